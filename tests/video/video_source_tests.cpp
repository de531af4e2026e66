// The video source on real clips of every kind of container: frame counts,
// sequential reading, seeks and step walks against the frame codes that the
// ffmpeg program decodes; the frame cache; hostile files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "test_clips.h"
#include "video/video_source.h"

namespace {

struct Clip {
    std::string path;
    std::vector<int> truth;  // code of every frame, as the ffmpeg program decodes them
};

const std::string H264_ARGS =
    "-c:v libx264 -preset veryfast -bf 3 -g 250 -keyint_min 250 -sc_threshold 0 -pix_fmt yuv420p";

// Each clip is made once per test program, on first use.
const Clip& clip(const std::string& name) {
    static std::map<std::string, Clip> clips;
    auto found = clips.find(name);
    if (found != clips.end()) return found->second;
    Clip made;
    if (name == "mjpeg.avi") made.path = makeClip(name, 120, "-c:v mjpeg -q:v 3");
    if (name == "h264.mp4") made.path = makeClip(name, 300, H264_ARGS);
    if (name == "h264.mkv") made.path = convertClip(clip("h264.mp4").path, name, "-c copy");
    if (name == "h264.ts")
        made.path = makeClip(
            name, 300, "-c:v libx264 -preset veryfast -bf 3 -g 60 -pix_fmt yuv420p -f mpegts");
    // Frame durations from 10 to 70 ms.
    if (name == "vfr.mp4")
        made.path = makeClip(name, 200,
                             "-vf \"setpts=(N*40+mod(N*N\\,7)*5)/1000/TB\" -fps_mode passthrough "
                             "-video_track_timescale 1000 -c:v libx264 -preset veryfast -bf 3 "
                             "-g 60 -pix_fmt yuv420p");
    // AVI gives B-frame streams no presentation times.
    if (name == "mpeg4.avi")
        made.path = makeClip(name, 200, "-c:v mpeg4 -vtag xvid -bf 2 -g 24 -q:v 3");
    // Neither a raw H.264 stream nor its frames carry any time.
    if (name == "h264.264")
        made.path = makeClip(name, 200,
                             "-c:v libx264 -preset veryfast -bf 3 -g 50 -pix_fmt yuv420p -f h264");
    // An MPEG program stream with open MPEG-2 GOPs.
    if (name == "mpeg2.mpg") made.path = makeClip(name, 200, "-c:v mpeg2video -bf 2 -g 15 -q:v 3");
    // Xvid with B-frames in AVI writes packed B-frames.
    if (name == "xvid.avi") made.path = makeClip(name, 200, "-c:v libxvid -bf 2 -g 60 -q:v 3");
    // Open GOPs: pictures after a CRA in decode order shown before it.
    if (name == "hevc.mkv")
        made.path = makeClip(name, 200,
                             "-c:v libx265 -x265-params "
                             "log-level=none:keyint=60:min-keyint=60:open-gop=1:bframes=3 "
                             "-pix_fmt yuv420p");
    if (!made.path.empty()) made.truth = decodeCodesWithFfmpeg(made.path);
    return clips.emplace(name, made).first->second;
}

int frameCode(const VideoSource& source) {
    return readFrameCode(source.frameImage, source.videoWidth, source.videoHeight);
}

int openQuietly(VideoSource* source, const std::string& path) {
    testing::internal::CaptureStdout();
    const int opened = openVideo(source, path.c_str(), VIDEO_FRAME_BGR);
    testing::internal::GetCapturedStdout();
    return opened;
}

// An input of a fuzzing finding, kept in the repository for the fuzzer to replay.
std::string regressionInput(const std::string& name) {
    const char* source = std::getenv("ANNOTATE_SOURCE_DIR");
    return std::string(source != nullptr ? source : ".") + "/fuzz/regressions/video_source/" + name;
}

std::string openTalking(VideoSource* source, const std::string& path, int* opened) {
    testing::internal::CaptureStdout();
    *opened = openVideo(source, path.c_str(), VIDEO_FRAME_BGR);
    return testing::internal::GetCapturedStdout();
}

// ---------------------------------------------------------------------------
// Every container

class Containers : public testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        const Clip& made = clip(GetParam());
        ASSERT_FALSE(made.path.empty()) << "ffmpeg could not make " << GetParam();
        ASSERT_FALSE(made.truth.empty());
        truth = made.truth;
        ASSERT_EQ(openQuietly(&video.source, made.path), 1);
        n = video.source.nFrames;
    }
    // Seeks to frame and says what went wrong, if anything.
    std::string seekAndCheck(int frame) {
        seekVideo(&video.source, frame);
        if (!video.source.frameImage) return "frame " + std::to_string(frame) + ": no image";
        if (currentVideoFrame(&video.source) != frame)
            return "frame " + std::to_string(frame) + ": holds " +
                   std::to_string(currentVideoFrame(&video.source));
        const int code = frameCode(video.source);
        if (code != truth[frame])
            return "frame " + std::to_string(frame) + ": shows " + std::to_string(code) +
                   " instead of " + std::to_string(truth[frame]);
        return "";
    }
    OpenSource video;
    std::vector<int> truth;
    int n = 0;
};

TEST_P(Containers, CountsTheFramesThatDecodingDelivers) {
    EXPECT_EQ(n, static_cast<int>(truth.size()));
    EXPECT_EQ(video.source.nChannels, 3);
    EXPECT_EQ(video.source.videoWidth, CLIP_WIDTH);
    EXPECT_EQ(video.source.videoHeight, CLIP_HEIGHT);
    // Apart from the packed-B-frame file, decoding gives back every frame encoded.
    if (std::string(GetParam()) != "xvid.avi") {
        for (int i = 0; i < static_cast<int>(truth.size()); i++) ASSERT_EQ(truth[i], i);
    }
}

TEST_P(Containers, ReadsEveryFrameInSequenceThenSignalsTheEnd) {
    ASSERT_EQ(currentVideoFrame(&video.source), 0);
    EXPECT_EQ(frameCode(video.source), truth[0]);
    for (int i = 1; i < n; i++) {
        readNextFrame(&video.source);
        ASSERT_TRUE(video.source.frameImage) << "frame " << i;
        ASSERT_EQ(frameCode(video.source), truth[i]) << "frame " << i;
    }
    readNextFrame(&video.source);
    EXPECT_EQ(video.source.frameImage, nullptr);
    EXPECT_EQ(currentVideoFrame(&video.source), -1);
}

TEST_P(Containers, RandomSeeksForwardAndBackLandOnTheirFrame) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> anyFrame(0, n - 1);
    for (int i = 0; i < 60; i++) {
        const std::string problem = seekAndCheck(anyFrame(random));
        ASSERT_EQ(problem, "") << "seek " << i;
    }
}

TEST_P(Containers, StepsBackwardAndForwardFrameByFrame) {
    const int top = std::min(n - 1, 250);
    ASSERT_EQ(seekAndCheck(top), "");
    for (int frame = top - 1; frame >= std::max(0, top - 100); frame--)
        ASSERT_EQ(seekAndCheck(frame), "");
    const int from = n / 3;
    ASSERT_EQ(seekAndCheck(from), "");
    for (int frame = from + 1; frame <= std::min(n - 1, from + 100); frame++)
        ASSERT_EQ(seekAndCheck(frame), "");
}

TEST_P(Containers, LastFrameAndPastTheEnd) {
    ASSERT_EQ(seekAndCheck(n - 1), "");
    readNextFrame(&video.source);
    EXPECT_EQ(video.source.frameImage, nullptr);
    seekVideo(&video.source, n);
    EXPECT_EQ(video.source.frameImage, nullptr);
    seekVideo(&video.source, n + 1000);
    EXPECT_EQ(video.source.frameImage, nullptr);
    seekVideo(&video.source, -1);
    EXPECT_EQ(video.source.frameImage, nullptr);
    EXPECT_EQ(rewindVideo(&video.source), video.source.frameImage);
    ASSERT_TRUE(video.source.frameImage);
    EXPECT_EQ(frameCode(video.source), truth[0]);
    readNextFrame(&video.source);
    EXPECT_EQ(frameCode(video.source), truth[1]);
}

TEST_P(Containers, PlaybackCatchingUpLandsOnTheFrameDue) {
    // Forward jumps of playback that fell behind, each on its frame, up to the end.
    std::mt19937 random(7);
    int frame = 0;
    for (;;) {
        frame += 1 + static_cast<int>(random() % 12);
        if (frame >= n) break;
        readFrameAhead(&video.source, frame);
        ASSERT_TRUE(video.source.frameImage) << "frame " << frame;
        ASSERT_EQ(frameCode(video.source), truth[frame]) << "frame " << frame;
    }
    readFrameAhead(&video.source, n);
    EXPECT_EQ(video.source.frameImage, nullptr);
    readFrameAhead(&video.source, 3);  // back: a plain seek
    EXPECT_EQ(frameCode(video.source), truth[3]);
}

INSTANTIATE_TEST_SUITE_P(Clips, Containers,
                         testing::Values("mjpeg.avi", "h264.mp4", "h264.mkv", "h264.ts", "vfr.mp4",
                                         "mpeg4.avi", "xvid.avi", "hevc.mkv"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name;
                         });

TEST(VideoClock, FrameTimesFromTheTimeStampsOrElseTheRate) {
    // MP4 stamps every frame; a raw H.264 stream stamps none and goes by the rate.
    for (const char* name : {"h264.mp4", "h264.264"}) {
        OpenSource video;
        ASSERT_EQ(openQuietly(&video.source, clip(name).path), 1) << name;
        const int n = video.source.nFrames;
        for (int f = 0; f < n; ++f) {
            const double at = static_cast<double>(f) / CLIP_RATE;
            ASSERT_NEAR(videoFrameTime(&video.source, f), at, 1e-9) << name << " " << f;
            ASSERT_EQ(videoFrameAt(&video.source, at + 1e-4), f) << name;
            ASSERT_EQ(videoFrameAt(&video.source, at - 1e-4), std::max(0, f - 1)) << name;
        }
        EXPECT_EQ(videoFrameAt(&video.source, -1.0), 0) << name;
        EXPECT_EQ(videoFrameAt(&video.source, static_cast<double>(n) / CLIP_RATE + 1e-4), n)
            << name << ": past the last frame's time";
    }
}

// ---------------------------------------------------------------------------
// Opening messages and the layout of the handed-on frame

TEST(OpenVideo, PrintsTheOpenedAndSizeLines) {
    const Clip& made = clip("mjpeg.avi");
    OpenSource video;
    int opened = 0;
    const std::string said = openTalking(&video.source, made.path, &opened);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(said,
              "video file " + made.path + " opened\nw: 160 h:120 nFrames: 120 nChannels: 3 \n");
    EXPECT_STREQ(video.source.videoFileName, made.path.c_str());
    EXPECT_EQ(video.source.framePixelFormat, VIDEO_FRAME_BGR);
}

TEST(OpenVideo, SaysSoWhenTheReportedFrameCountIsWrong) {
    const Clip& made = clip("xvid.avi");
    OpenSource video;
    int opened = 0;
    const std::string said = openTalking(&video.source, made.path, &opened);
    ASSERT_EQ(opened, 1);
    const int real = static_cast<int>(made.truth.size());
    ASSERT_LT(real, 200) << "the packed file was expected to lose its last frames";
    EXPECT_NE(said.find("frame count: the file reports 200, " + std::to_string(real) +
                        " frames can be read\n"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("nFrames: " + std::to_string(real) + " "), std::string::npos) << said;
}

TEST(OpenVideo, HandsOverPaddedRowsPackedAndBottomRowFirst) {
    // Raw BGR rows of 161 pixels are padded to 4 bytes in the file.
    const int width = 161, height = 121;
    const std::string path =
        makeClip("padded.avi", 12, "-c:v rawvideo -pix_fmt bgr24", width, height);
    ASSERT_FALSE(path.empty());
    OpenSource video;
    ASSERT_EQ(openQuietly(&video.source, path), 1);
    ASSERT_EQ(video.source.videoWidth, width);
    ASSERT_EQ(video.source.videoHeight, height);
    const size_t rowBytes = width * 3;
    std::vector<unsigned char> topDown(rowBytes * height), expected(rowBytes * height);
    for (int frame : {5, 0, 11, 3}) {
        seekVideo(&video.source, frame);
        ASSERT_TRUE(video.source.frameImage);
        drawCodedFrame(topDown.data(), width, height, frame);
        for (int y = 0; y < height; y++)
            memcpy(&expected[(height - 1 - y) * rowBytes], &topDown[y * rowBytes], rowBytes);
        EXPECT_EQ(memcmp(video.source.frameImage, expected.data(), expected.size()), 0)
            << "frame " << frame;
    }
}

// ---------------------------------------------------------------------------
// The frame cache and the output buffer

class FrameCacheOfSource : public testing::Test {
  protected:
    void SetUp() override {
        const Clip& made = clip("h264.mp4");
        ASSERT_FALSE(made.path.empty());
        ASSERT_EQ(openQuietly(&video.source, made.path), 1);
        // These count the reads' own work: nothing decodes behind their back.
        setVideoPrefetch(&video.source, false);
        ASSERT_TRUE(waitForVideoPrefetch(&video.source, 60));
        frameBytes = static_cast<size_t>(video.source.videoWidth) * video.source.videoHeight * 3;
    }
    void seekExpecting(int frame) {
        seekVideo(&video.source, frame);
        ASSERT_TRUE(video.source.frameImage) << frame;
        ASSERT_EQ(frameCode(video.source), frame);
    }
    OpenSource video;
    size_t frameBytes = 0;
};

TEST_F(FrameCacheOfSource, AStepBackDecodesARunSoTheNextStepsBackAreHits) {
    seekExpecting(280);
    const VideoCacheStats before = videoCacheStats(&video.source);
    for (int frame = 279; frame >= 180; frame--) seekExpecting(frame);
    const VideoCacheStats after = videoCacheStats(&video.source);
    EXPECT_EQ(after.misses - before.misses, 1);
    EXPECT_EQ(after.hits - before.hits, 99);
}

TEST_F(FrameCacheOfSource, TheBudgetIsNeverExceeded) {
    const size_t entry = videoCacheStats(&video.source).entryBytes;
    const size_t budget = 20 * entry + entry / 2;
    setVideoCacheBudget(&video.source, budget);
    EXPECT_LE(videoCacheStats(&video.source).bytesHeld, budget);
    const VideoCacheStats before = videoCacheStats(&video.source);
    std::mt19937 random(3);
    for (int frame = 299; frame >= 200; frame--) {
        seekExpecting(frame);
        ASSERT_LE(videoCacheStats(&video.source).bytesHeld, budget);
    }
    // Runs of 15 frames: one miss for every 16 steps back.
    const VideoCacheStats after = videoCacheStats(&video.source);
    EXPECT_LE(after.misses - before.misses, 8);
    EXPECT_EQ(after.framesHeld, 20);
    for (int i = 0; i < 30; i++) {
        seekExpecting(std::uniform_int_distribution<int>(0, 299)(random));
        ASSERT_LE(videoCacheStats(&video.source).bytesHeld, budget);
    }
}

TEST_F(FrameCacheOfSource, WithoutABudgetEveryReadDecodesAndStaysRight) {
    setVideoCacheBudget(&video.source, 0);
    for (int frame : {150, 149, 148, 10, 299, 298, 0}) seekExpecting(frame);
    EXPECT_EQ(videoCacheStats(&video.source).framesHeld, 0);
}

TEST_F(FrameCacheOfSource, PlayedFramesAreHitsAndAHitDecodesNothing) {
    for (int frame = 1; frame <= 40; frame++) readNextFrame(&video.source);
    ASSERT_EQ(frameCode(video.source), 40);
    const VideoCacheStats before = videoCacheStats(&video.source);
    seekExpecting(39);
    seekExpecting(12);
    seekExpecting(40);
    const VideoCacheStats after = videoCacheStats(&video.source);
    EXPECT_EQ(after.hits - before.hits, 3);
    EXPECT_EQ(after.decodedFrames, before.decodedFrames);
    // Playback goes on from the frame asked for last, with the decoder where it was.
    readNextFrame(&video.source);
    EXPECT_EQ(frameCode(video.source), 41);
    EXPECT_EQ(videoCacheStats(&video.source).seeks, before.seeks);
}

TEST_F(FrameCacheOfSource, TheOutputBufferStaysInPlaceAndChangesOnlyOnARead) {
    const unsigned char* buffer = video.source.frameImage;
    ASSERT_TRUE(buffer);
    seekExpecting(120);
    EXPECT_EQ(video.source.frameImage, buffer);
    const std::vector<unsigned char> held(buffer, buffer + frameBytes);
    // A failed read hands on nothing and leaves the pixels as they were.
    seekVideo(&video.source, 5000);
    EXPECT_EQ(video.source.frameImage, nullptr);
    EXPECT_EQ(memcmp(buffer, held.data(), frameBytes), 0);
    // Filling the cache while the frame is held does not touch it either: only the
    // next read does.
    setVideoCacheBudget(&video.source, 4 * videoCacheStats(&video.source).entryBytes);
    for (int frame : {7, 6, 5, 4, 3, 250, 249}) {
        seekExpecting(frame);
        EXPECT_EQ(video.source.frameImage, buffer);
    }
    seekExpecting(120);
    EXPECT_EQ(memcmp(buffer, held.data(), frameBytes), 0);
}

// ---------------------------------------------------------------------------
// Decoding ahead in the background

// A checksum of the handed-on pixels (FNV-1a).
uint64_t pixelSum(const VideoSource& source) {
    const size_t bytes = static_cast<size_t>(source.videoWidth) * source.videoHeight * 3;
    uint64_t sum = 1469598103934665603ull;
    for (size_t i = 0; i < bytes; i++) sum = (sum ^ source.frameImage[i]) * 1099511628211ull;
    return sum;
}

class Prefetching : public testing::TestWithParam<const char*> {};

// Every frame the user is shown while the background thread decodes around them
// is, to the byte, the frame that reading the file in sequence gives.
TEST_P(Prefetching, RandomRequestsShowExactlyWhatASequentialReadShows) {
    const Clip& made = clip(GetParam());
    ASSERT_FALSE(made.path.empty());
    std::vector<uint64_t> sums;
    {
        OpenSource plain;
        ASSERT_EQ(openQuietly(&plain.source, made.path), 1);
        setVideoPrefetch(&plain.source, false);
        for (int i = 0; plain.source.frameImage; i++) {
            sums.push_back(pixelSum(plain.source));
            readNextFrame(&plain.source);
        }
    }
    OpenSource video;
    ASSERT_EQ(openQuietly(&video.source, made.path), 1);
    const int n = video.source.nFrames;
    ASSERT_EQ(n, static_cast<int>(sums.size()));
    // A small cache, so that the thread's frames also push each other out.
    setVideoCacheBudget(&video.source, 40 * videoCacheStats(&video.source).entryBytes);
    std::mt19937 random(23);
    int frame = 0;
    for (int request = 0; request < 400; request++) {
        const int move = random() % 10;
        if (move < 4) {
            frame = std::max(0, frame - 1);  // the analyst's usual step back
        } else if (move < 6) {
            frame = std::min(n - 1, frame + 1);
        } else if (move < 8) {
            frame = std::uniform_int_distribution<int>(0, n - 1)(random);
        } else {
            // Let the thread get ahead before the next request, now and then.
            ASSERT_TRUE(waitForVideoPrefetch(&video.source, 60));
            continue;
        }
        if (move == 5 && random() % 2) {
            readNextFrame(&video.source);
            if (frame == n - 1 && !video.source.frameImage) continue;
        } else {
            seekVideo(&video.source, frame);
        }
        ASSERT_TRUE(video.source.frameImage) << "request " << request << ", frame " << frame;
        ASSERT_EQ(currentVideoFrame(&video.source), frame);
        ASSERT_EQ(pixelSum(video.source), sums[frame])
            << "request " << request << ", frame " << frame;
        ASSERT_LE(videoCacheStats(&video.source).bytesHeld,
                  videoCacheStats(&video.source).budgetBytes);
    }
    EXPECT_GT(videoCacheStats(&video.source).prefetchedFrames, 0);
}

INSTANTIATE_TEST_SUITE_P(Clips, Prefetching,
                         testing::Values("h264.mp4", "h264.ts", "hevc.mkv", "mpeg4.avi",
                                         "mjpeg.avi"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name;
                         });

TEST(PrefetchingWalk, StepsBackAreHitsWhenTheThreadKeepsUp) {
    OpenSource video;
    ASSERT_EQ(openQuietly(&video.source, clip("h264.mp4").path), 1);
    // A cache of 60 frames: the walk back crosses a seek point and outruns the
    // first fill several times over.
    setVideoCacheBudget(&video.source, 60 * videoCacheStats(&video.source).entryBytes);
    seekVideo(&video.source, 290);
    const VideoCacheStats before = videoCacheStats(&video.source);
    for (int frame = 289; frame >= 150; frame--) {
        ASSERT_TRUE(waitForVideoPrefetch(&video.source, 60));
        seekVideo(&video.source, frame);
        ASSERT_TRUE(video.source.frameImage);
        ASSERT_EQ(frameCode(video.source), frame);
    }
    const VideoCacheStats after = videoCacheStats(&video.source);
    EXPECT_EQ(after.misses, before.misses);
    EXPECT_EQ(after.decodedFrames, before.decodedFrames);
    EXPECT_GT(after.prefetchedFrames, before.prefetchedFrames + 100);
}

TEST(PrefetchingWalk, ClosingOrResizingWhileTheThreadDecodesIsSafe) {
    const std::string& path = clip("h264.mp4").path;
    std::mt19937 random(31);
    for (int round = 0; round < 6; round++) {
        VideoSource source;
        ASSERT_EQ(openQuietly(&source, path), 1);
        const int entry = static_cast<int>(videoCacheStats(&source).entryBytes);
        for (int i = 0; i < round * 3; i++) {
            seekVideo(&source, std::uniform_int_distribution<int>(0, source.nFrames - 1)(random));
            setVideoCacheBudget(&source, (random() % 50) * entry);
            ASSERT_LE(videoCacheStats(&source).bytesHeld, videoCacheStats(&source).budgetBytes);
        }
        seekVideo(&source, 280);  // the thread starts a fill behind 280 ...
        releaseVideo(&source);    // ... which closing must end, not wait out
        EXPECT_EQ(source.capture, nullptr);
        EXPECT_EQ(source.frameImage, nullptr);
    }
}

// ---------------------------------------------------------------------------
// Frames handed on at the size shown

// One channel of a packed picture, bottom row first, sampled bilinearly at (x, y)
// in pixel-centre coordinates, clamped at the edges.
double sampleBilinear(const unsigned char* pixels, int width, int height, int bytes, double x,
                      double y, int channel) {
    x = std::clamp(x, 0.0, width - 1.0);
    y = std::clamp(y, 0.0, height - 1.0);
    const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
    const int x1 = std::min(x0 + 1, width - 1), y1 = std::min(y0 + 1, height - 1);
    const double fx = x - x0, fy = y - y0;
    auto at = [&](int px, int py) {
        return pixels[(static_cast<size_t>(py) * width + px) * bytes + channel];
    };
    return (at(x0, y0) * (1 - fx) + at(x1, y0) * fx) * (1 - fy) +
           (at(x0, y1) * (1 - fx) + at(x1, y1) * fx) * fy;
}

class ShownSize : public testing::TestWithParam<const char*> {};

// A frame asked for at a smaller size in BGRA is the full frame scaled (within what
// two bilinear filters disagree on at the codes' hard edges), opaque; the tracker's
// full-size frame stays exact to the byte, whichever way the cache keeps frames
// (planes for 4:2:0, BGR for the 4:2:2 of MJPEG).
TEST_P(ShownSize, ReducedFramesAreTheFullFramesScaledAndTheFullOnesStayExact) {
    const Clip& made = clip(GetParam());
    ASSERT_FALSE(made.path.empty());
    OpenSource plain, video;
    ASSERT_EQ(openQuietly(&plain.source, made.path), 1);
    ASSERT_EQ(openQuietly(&video.source, made.path), 1);
    const int w = plain.source.videoWidth, h = plain.source.videoHeight;
    const size_t fullBytes = static_cast<size_t>(w) * h * 3;
    const int sw = w * 7 / 10, sh = h * 7 / 10;
    const unsigned char* buffer = video.source.frameImage;
    const unsigned serial = video.source.frameSerial;
    setVideoOutput(&video.source, sw, sh, VIDEO_FRAME_BGRA);
    EXPECT_NE(video.source.frameSerial, serial);  // the frame on show, handed on again
    EXPECT_EQ(video.source.frameImage, buffer);
    EXPECT_EQ(currentVideoFrame(&video.source), 0);
    EXPECT_EQ(video.source.frameWidth, sw);
    EXPECT_EQ(video.source.frameHeight, sh);
    EXPECT_EQ(video.source.nChannels, 4);
    std::mt19937 random(7);
    for (int request = 0; request < 12; request++) {
        const int frame = request < 4 ? 60 - request : static_cast<int>(random() % 120);
        seekVideo(&plain.source, frame);
        seekVideo(&video.source, frame);
        ASSERT_TRUE(plain.source.frameImage && video.source.frameImage) << frame;
        const unsigned char* full = fullFrameImage(&video.source);
        ASSERT_TRUE(full) << frame;
        ASSERT_EQ(memcmp(full, plain.source.frameImage, fullBytes), 0) << frame;
        double difference = 0;
        for (int y = 0; y < sh; y++)
            for (int x = 0; x < sw; x++) {
                const unsigned char* shown = video.source.frameImage + (y * sw + x) * 4;
                ASSERT_EQ(shown[3], 255);
                for (int c = 0; c < 3; c++)
                    difference += std::abs(shown[c] - sampleBilinear(plain.source.frameImage, w, h,
                                                                     3, (x + 0.5) * w / sw - 0.5,
                                                                     (y + 0.5) * h / sh - 0.5, c));
            }
        EXPECT_LT(difference / (sw * sh * 3), 5.0) << "frame " << frame;
    }
    // Back to full-size BGR, the frames are the very bytes again.
    setVideoOutput(&video.source, w, h, VIDEO_FRAME_BGR);
    EXPECT_EQ(video.source.nChannels, 3);
    EXPECT_EQ(fullFrameImage(&video.source), video.source.frameImage);
    EXPECT_EQ(memcmp(video.source.frameImage, plain.source.frameImage, fullBytes), 0);
}

INSTANTIATE_TEST_SUITE_P(Clips, ShownSize, testing::Values("h264.mp4", "mjpeg.avi"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '.', '_');
                             return name;
                         });

// ---------------------------------------------------------------------------
// Files that are not videos, or broken ones

TEST(HostileFiles, MissingEmptyAndGarbageFilesAreRefused) {
    std::mt19937 random(11);
    std::vector<unsigned char> garbage(64 * 1024);
    for (unsigned char& byte : garbage) byte = static_cast<unsigned char>(random());
    const std::string missing = clipFolder() + "/no-such-file.avi";
    const std::string empty = writeClipFile("empty.mp4", {});
    const std::string noise = writeClipFile("noise.avi", garbage);
    for (const std::string& path : {missing, empty, noise}) {
        OpenSource video;
        int opened = -1;
        const std::string said = openTalking(&video.source, path, &opened);
        EXPECT_EQ(opened, 0) << path;
        EXPECT_EQ(video.source.capture, nullptr);
        EXPECT_EQ(video.source.frameImage, nullptr);
        const bool refused = said.rfind("couldn't open video file " + path + "\n", 0) == 0 ||
                             said == "couldn't query the first frame\n";
        EXPECT_TRUE(refused) << said;
        // A closed source reads nothing.
        seekVideo(&video.source, 3);
        readNextFrame(&video.source);
        EXPECT_EQ(rewindVideo(&video.source), nullptr);
    }
    OpenSource video;
    int opened = -1;
    EXPECT_EQ(openTalking(&video.source, missing, &opened),
              "couldn't open video file " + missing + "\nreason: No such file or directory\n");
}

TEST(HostileFiles, ANameTooLongIsRefusedNotCut) {
    const std::string name = clipFolder() + "/" + std::string(600, 'v') + ".avi";
    OpenSource video;
    int opened = -1;
    const std::string said = openTalking(&video.source, name, &opened);
    EXPECT_EQ(opened, 0);
    EXPECT_NE(said.find("at most 511"), std::string::npos) << said;
    EXPECT_STREQ(video.source.videoFileName, "");
}

TEST(HostileFiles, AbsurdFrameSizeIsRefused) {
    // Raw frames carry no size of their own: the AVI header's is believed.
    const std::string raw = makeClip("raw.avi", 3, "-c:v rawvideo -pix_fmt bgr24");
    ASSERT_FALSE(raw.empty());
    std::vector<unsigned char> bytes = readFileBytes(raw);
    // The stream format's bitmap header: size, then width and height.
    const unsigned char tag[] = {'s', 't', 'r', 'f'};
    auto at = std::search(bytes.begin(), bytes.end(), tag, tag + 4);
    ASSERT_NE(at, bytes.end());
    const size_t width = (at - bytes.begin()) + 12;
    bytes[width] = 0xA0, bytes[width + 1] = 0x86, bytes[width + 2] = 0x01, bytes[width + 3] = 0;
    const std::string path = writeClipFile("huge.avi", bytes);
    OpenSource video;
    int opened = -1;
    std::string said = openTalking(&video.source, path, &opened);
    EXPECT_EQ(opened, 0);
    EXPECT_NE(said.find("unsupported frame size 100000 x 120"), std::string::npos) << said;
    // Past 8K a frame takes the source more than half a gigabyte: a 4.5 KB file
    // that declares 8191 x 8167 (a fuzzing finding) is refused.
    OpenSource large;
    const std::string declared = regressionInput("declares-8191x8167.m4v");
    said = openTalking(&large.source, declared, &opened);
    EXPECT_EQ(opened, 0);
    EXPECT_NE(said.find("unsupported frame size 8191 x 8167"), std::string::npos) << said;
}

TEST(HostileFiles, FramesFarLargerThanDeclaredAreSkippedNotDecoded) {
    // A raw MPEG-4 stream may change its size on the way: one that grows from the
    // clip size to four times as many pixels keeps every frame, scaled to the size
    // it declares first (which leaves the code of the larger frames unreadable).
    const std::string small = makeClip("small.m4v", 3, "-c:v mpeg4 -q:v 3 -f m4v");
    const std::string grown =
        makeClip("grown.m4v", 3, "-c:v mpeg4 -q:v 3 -f m4v", 2 * CLIP_WIDTH, 2 * CLIP_HEIGHT);
    ASSERT_FALSE(small.empty() || grown.empty());
    std::vector<unsigned char> bytes = readFileBytes(small);
    const std::vector<unsigned char> more = readFileBytes(grown);
    bytes.insert(bytes.end(), more.begin(), more.end());
    OpenSource growing;
    ASSERT_EQ(openQuietly(&growing.source, writeClipFile("growing.m4v", bytes)), 1);
    ASSERT_EQ(growing.source.nFrames, 6);
    for (int frame : {0, 4, 2, 5}) {
        seekVideo(&growing.source, frame);
        ASSERT_TRUE(growing.source.frameImage) << frame;
        if (frame < 3) {
            EXPECT_EQ(frameCode(growing.source), frame) << frame;
        }
    }
    // A 1.4 KB stream that declares 32 x 24 and goes on with frames of 8191 x 8167
    // (a fuzzing finding): those frames would take hundreds of megabytes to decode.
    OpenSource video;
    ASSERT_EQ(openQuietly(&video.source, regressionInput("grows-to-8191x8167.m4v")), 1);
    EXPECT_EQ(video.source.videoWidth, 32);
    EXPECT_EQ(video.source.videoHeight, 24);
    EXPECT_EQ(video.source.nFrames, 4);
    for (int frame = 0; frame < 4; frame++) {
        seekVideo(&video.source, frame);
        EXPECT_TRUE(video.source.frameImage) << frame;
    }
}

TEST(HostileFiles, ColourFieldsOutsideTheirRangesAreReadAsPlainNumbers) {
    // An MPEG-4 stream whose header gives the colour matrix 128 (a fuzzing finding):
    // FFmpeg hands that on, and reading it as its enumeration is undefined.
    OpenSource video;
    ASSERT_EQ(openQuietly(&video.source, regressionInput("colour-space-128.m4v")), 1);
    ASSERT_GT(video.source.nFrames, 1);
    for (int frame = 1; frame < video.source.nFrames; frame++) {
        readNextFrame(&video.source);
        EXPECT_TRUE(video.source.frameImage) << frame;
    }
}

TEST(HostileFiles, TruncatedFilesGiveTheirReadableFramesOnly) {
    const std::vector<unsigned char> mp4 = readFileBytes(clip("h264.mp4").path);
    // The MP4 index comes last: without it nothing can be read.
    const std::string headless = writeClipFile(
        "cut.mp4", std::vector<unsigned char>(mp4.begin(), mp4.begin() + mp4.size() / 2));
    OpenSource refused;
    EXPECT_EQ(openQuietly(&refused.source, headless), 0);

    for (const char* name : {"h264.ts", "h264.mkv", "xvid.avi"}) {
        const std::vector<unsigned char> whole = readFileBytes(clip(name).path);
        const std::string path = writeClipFile(
            std::string("cut-") + name,
            std::vector<unsigned char>(whole.begin(), whole.begin() + whole.size() * 3 / 5));
        OpenSource video;
        ASSERT_EQ(openQuietly(&video.source, path), 1) << name;
        const int n = video.source.nFrames;
        EXPECT_GT(n, 0);
        EXPECT_LT(n, static_cast<int>(clip(name).truth.size()));
        std::mt19937 random(5);
        for (int i = 0; i < 40; i++) {
            const int frame = std::uniform_int_distribution<int>(-2, n + 2)(random);
            seekVideo(&video.source, frame);
            if (frame < 0 || frame >= n) {
                EXPECT_EQ(video.source.frameImage, nullptr) << name << " " << frame;
            } else if (video.source.frameImage && frame < n - 2) {
                EXPECT_EQ(frameCode(video.source), clip(name).truth[frame]) << name << " " << frame;
            }
        }
    }
}

TEST(HostileFiles, DamagedPacketsNeitherCrashNorMisplaceFrames) {
    std::vector<unsigned char> bytes = readFileBytes(clip("h264.ts").path);
    std::mt19937 random(9);
    // Scribble over a few spots in the middle of the stream.
    for (int spot = 0; spot < 6; spot++) {
        const size_t at = bytes.size() / 4 + random() % (bytes.size() / 2);
        for (size_t i = at; i < std::min(bytes.size(), at + 300); i++)
            bytes[i] = static_cast<unsigned char>(random());
    }
    const std::string path = writeClipFile("damaged.ts", bytes);
    OpenSource video;
    ASSERT_EQ(openQuietly(&video.source, path), 1);
    const int n = video.source.nFrames;
    for (int i = 0; i < n; i++) readNextFrame(&video.source);
    for (int frame = n - 1; frame >= 0; frame -= 7) seekVideo(&video.source, frame);
    seekVideo(&video.source, 0);
    ASSERT_TRUE(video.source.frameImage);
    EXPECT_EQ(frameCode(video.source), 0);
}

}  // namespace
