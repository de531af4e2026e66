// Fuzzes the video source with any bytes as a video file: open, read a few frames
// in sequence, jump, step back, read past the end and rewind, with a cache budget
// of a few frames so that eviction runs as well. Whatever the file holds, a read
// either delivers the frame asked for or none, and the cache stays within budget.
// The reads run without the background thread, so that an input replays the same
// way; a last jump then lets the thread decode around it before the source closes.
// Videos of frames larger than 4K are left out: an 8K clip of three frames takes
// 650 MB to decode, more than the fuzzing limit, whatever else the file holds.
#include <sanitizer/asan_interface.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz_input_file.h"
#include "video/frame_decoder.h"
#include "video/video_source.h"

namespace {

constexpr int CACHED_FRAMES = 3;
constexpr double PREFETCH_WAIT_SECONDS = 2.0;  // a few frames of a small clip take far less
constexpr int64_t MAX_FUZZED_PIXELS = 4096LL * 2304;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "video source: %s\n", what);
    std::abort();
}

// AddressSanitizer checks that the buffer holds the whole frame, without a copy
// that would take as much memory again.
void checkRead(VideoSource* source, int frame) {
    const VideoCacheStats stats = videoCacheStats(source);
    if (stats.bytesHeld > stats.budgetBytes) fail("the cache holds more than its budget");
    if (source->frameImage == nullptr) {
        if (currentVideoFrame(source) != -1) fail("no frame, yet a current frame");
        return;
    }
    if (frame < 0 || frame >= source->nFrames) fail("a frame outside the video was delivered");
    if (currentVideoFrame(source) != frame) fail("another frame than the one asked for");
    const size_t bytes = static_cast<size_t>(source->videoWidth) * source->videoHeight * 3;
    if (__asan_region_is_poisoned(const_cast<unsigned char*>(source->frameImage), bytes))
        fail("the frame runs past the end of its buffer");
}

// Whether the file opens as a video of frames above MAX_FUZZED_PIXELS.
bool declaresLargeFrames(const char* path) {
    FrameDecoder probe;
    std::string problem;
    if (!openFrameDecoder(&probe, path, &problem)) return false;
    const bool large = static_cast<int64_t>(probe.width) * probe.height > MAX_FUZZED_PIXELS;
    closeFrameDecoder(&probe);
    return large;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& input = writeFuzzInput("input.video", data, size);
    if (declaresLargeFrames(input.c_str())) return 0;
    VideoSource source;
    if (openVideo(&source, input.c_str(), VIDEO_FRAME_BGR) != 1) {
        if (source.capture != nullptr || source.frameImage != nullptr)
            fail("a refused video stays open");
        return 0;
    }
    if (source.nFrames <= 0 || source.videoWidth <= 0 || source.videoHeight <= 0)
        fail("an open video without frames or size");
    checkRead(&source, 0);
    const size_t frameBytes = static_cast<size_t>(source.videoWidth) * source.videoHeight * 3;
    setVideoCacheBudget(&source, frameBytes * CACHED_FRAMES);
    setVideoPrefetch(&source, false);

    const int last = source.nFrames - 1;
    for (int i = 1; i < 4; i++) {
        readNextFrame(&source);
        checkRead(&source, i);
    }
    const int targets[] = {last, last / 2, last / 2 - 1, last / 2 - 2, 1, last + 1, -1, last};
    for (int target : targets) {
        seekVideo(&source, target);
        checkRead(&source, target);
    }
    readNextFrame(&source);
    checkRead(&source, last + 1);
    rewindVideo(&source);
    checkRead(&source, 0);
    setVideoPrefetch(&source, true);
    seekVideo(&source, last / 2);
    checkRead(&source, last / 2);
    waitForVideoPrefetch(&source, PREFETCH_WAIT_SECONDS);
    checkRead(&source, last / 2);
    releaseVideo(&source);
    if (source.capture != nullptr || source.frameImage != nullptr) fail("a released video is open");
    return 0;
}
