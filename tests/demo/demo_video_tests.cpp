// The demo clip in the tool's video source: its size and frame count, exact seeks, and
// pixels that are the generator's own rendering.
#include <algorithm>
#include <map>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>
#include <vector>

#include "demo_test_support.h"
#include "test_clips.h"
#include "tools/demo_render.h"
#include "video/video_source.h"

namespace {

// The whole built-in clip takes a while to render; under the sanitizers, whose code
// runs many times slower, a shorter clip of the same match stands in for it.
#if defined(__SANITIZE_ADDRESS__)
constexpr int CLIP_FRAMES = 60;
#else
constexpr int CLIP_FRAMES = DEMO_FRAMES;
#endif

// Frames compared after seeks, in an order that jumps forwards and backwards.
std::vector<int> framesToSeek() {
    return {CLIP_FRAMES - 1, 0, CLIP_FRAMES / 2, 13, CLIP_FRAMES / 2 + 1, CLIP_FRAMES - 2, 1, 37};
}

struct Clip {
    TempFolder folder;
    DemoSettings settings;
    bool written = false;
    // Frames of a plain sequential decode by OpenCV, turned bottom row first like the
    // video source's frames.
    std::map<int, cv::Mat> sequential;
    int sequentialCount = 0;

    Clip() {
        settings.frameCount = CLIP_FRAMES;
        written = generateDemo(folder.path, settings, true);
        if (!written) return;
        const std::vector<int> wanted = framesToSeek();
        cv::VideoCapture capture(folder.file(DEMO_VIDEO_NAME));
        cv::Mat frame;
        while (capture.read(frame)) {
            if (std::find(wanted.begin(), wanted.end(), sequentialCount) != wanted.end()) {
                cv::Mat flipped;
                cv::flip(frame, flipped, 0);
                sequential[sequentialCount] = flipped;
            }
            ++sequentialCount;
        }
    }
};

Clip& clip() {
    static Clip shared;
    return shared;
}

// Mean absolute difference per channel between the source's frame and an image.
double meanDifference(const unsigned char* pixels, const cv::Mat& image) {
    const cv::Mat frame(image.rows, image.cols, CV_8UC3, const_cast<unsigned char*>(pixels));
    cv::Mat difference;
    cv::absdiff(frame, image, difference);
    const cv::Scalar mean = cv::mean(difference);
    return (mean[0] + mean[1] + mean[2]) / 3;
}

}  // namespace

TEST(DemoVideo, OpensWithTheAnnouncedSizeAndFrameCount) {
    Clip& demo = clip();
    ASSERT_TRUE(demo.written);
    EXPECT_EQ(demo.sequentialCount, CLIP_FRAMES);
    OpenSource opened;
    testing::internal::CaptureStdout();
    const int result =
        openVideo(&opened.source, demo.folder.file(DEMO_VIDEO_NAME).c_str(), VIDEO_FRAME_BGR);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(result, 1);
    EXPECT_EQ(opened.source.videoWidth, DEMO_WIDTH);
    EXPECT_EQ(opened.source.videoHeight, DEMO_HEIGHT);
    EXPECT_EQ(opened.source.nFrames, CLIP_FRAMES);
    EXPECT_EQ(opened.source.nChannels, 3);
    ASSERT_NE(opened.source.frameImage, nullptr);
}

TEST(DemoVideo, SeeksLandOnTheFrameAskedFor) {
    Clip& demo = clip();
    ASSERT_TRUE(demo.written);
    OpenSource opened;
    testing::internal::CaptureStdout();
    const int result =
        openVideo(&opened.source, demo.folder.file(DEMO_VIDEO_NAME).c_str(), VIDEO_FRAME_BGR);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(result, 1);
    for (int frame : framesToSeek()) {
        seekVideo(&opened.source, frame);
        ASSERT_NE(opened.source.frameImage, nullptr) << "frame " << frame;
        EXPECT_EQ(currentVideoFrame(&opened.source), frame);
        // The camera moves every frame, so the right frame is the closest one.
        const double right = meanDifference(opened.source.frameImage, demo.sequential[frame]);
        EXPECT_LT(right, 1.0) << "frame " << frame;
        for (int other : framesToSeek()) {
            if (other == frame) continue;
            EXPECT_LT(right, meanDifference(opened.source.frameImage, demo.sequential[other]))
                << "frame " << frame << " looks like frame " << other;
        }
    }
    // Reading on after a seek continues with the next frame.
    seekVideo(&opened.source, 13);
    readNextFrame(&opened.source);
    EXPECT_EQ(currentVideoFrame(&opened.source), 14);
}

TEST(DemoVideo, FramesAreTheGeneratorsRendering) {
    Clip& demo = clip();
    ASSERT_TRUE(demo.written);
    const DemoMatch match = makeDemoMatch(demo.settings);
    DemoRenderer renderer;
    cv::Mat rendered, flipped;
    for (int frame : {1, CLIP_FRAMES / 2, CLIP_FRAMES - 1}) {
        const cv::Mat& decoded = demo.sequential[frame];
        ASSERT_FALSE(decoded.empty()) << "frame " << frame;
        renderDemoFrame(match, frame, renderer, rendered);
        cv::flip(rendered, flipped, 0);
        // JPEG keeps the picture to within a few grey levels...
        const double same = cv::PSNR(decoded, flipped);
        EXPECT_GT(same, 30.0) << "frame " << frame;
        // ...and the neighbouring frame, a little further panned, is plainly different.
        renderDemoFrame(match, frame - 1, renderer, rendered);
        cv::flip(rendered, flipped, 0);
        EXPECT_GT(same, cv::PSNR(decoded, flipped) + 1.0) << "frame " << frame;
    }
}
