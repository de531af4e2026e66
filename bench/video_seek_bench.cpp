// Latency of reading, stepping and jumping in the video source, against a plain
// sequential read and against OpenCV's set()+read() stepping.
//
//   video_seek_bench [H264_CLIP [TS_CLIP]]
//
// Without clips it makes them with the ffmpeg program: 1280x720 H.264, GOP 250,
// B-frames, 1,500 frames, in MP4 and the same stream in MPEG-TS. OpenCV's
// set()+read() takes seconds per step on the transport stream, so there it walks
// the first 25 steps only, compared with the same 25 steps here.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>
#include <random>
#include <string>
#include <vector>

#include "video/video_source.h"

namespace {

constexpr int GL_BGR_FORMAT = 0x80E0;
constexpr int WALK_STEPS = 100;
constexpr int WALK_FROM = 1000;
constexpr int JUMPS = 40;
constexpr int PLAIN_STEPS_MP4 = 100;  // steps of the set()+read() walk
constexpr int PLAIN_STEPS_TS = 25;

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Figures {
    std::vector<double> times;  // milliseconds
    void add(double ms) { times.push_back(ms); }
    double median() const {
        if (times.empty()) return 0;
        std::vector<double> sorted = times;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
    double worst() const {
        return times.empty() ? 0 : *std::max_element(times.begin(), times.end());
    }
    double total() const {
        double sum = 0;
        for (double t : times) sum += t;
        return sum;
    }
};

void printFigures(const char* what, const Figures& figures, double sequentialMedian) {
    printf("  %-34s median %8.2f ms  worst %8.2f ms  total %9.1f ms", what, figures.median(),
           figures.worst(), figures.total());
    if (sequentialMedian > 0)
        printf("  (%.2f x a sequential read)", figures.median() / sequentialMedian);
    printf("\n");
}

bool makeClips(const std::string& folder, std::string* mp4, std::string* ts) {
    *mp4 = folder + "/bench-720p.mp4";
    *ts = folder + "/bench-720p.ts";
    printf("making the clips with ffmpeg in %s ...\n", folder.c_str());
    fflush(stdout);
    const std::string encode =
        "ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=size=1280x720:rate=25 -frames:v 1500 "
        "-c:v libx264 -preset veryfast -bf 3 -g 250 -keyint_min 250 -sc_threshold 0 "
        "-pix_fmt yuv420p '" +
        *mp4 + "'";
    const std::string remux =
        "ffmpeg -nostdin -v error -y -i '" + *mp4 + "' -c copy -f mpegts '" + *ts + "'";
    return std::system(encode.c_str()) == 0 && std::system(remux.c_str()) == 0;
}

void benchClip(const std::string& path, int plainSteps) {
    printf("\n%s\n", path.c_str());
    VideoSource source;
    Clock::time_point start = Clock::now();
    if (!openVideo(&source, path.c_str(), GL_BGR_FORMAT)) return;
    const double openTime = millisecondsSince(start);
    const int n = source.nFrames;

    Figures sequential;
    start = Clock::now();
    for (int i = 1; i < n; i++) {
        Clock::time_point read = Clock::now();
        readNextFrame(&source);
        sequential.add(millisecondsSince(read));
    }
    const double passTime = millisecondsSince(start);
    const double readMedian = sequential.median();
    printf(
        "  open (index included)              %8.1f ms; one sequential pass %.1f ms (open = %.2f "
        "of a pass)\n",
        openTime, passTime, openTime / passTime);
    printFigures("sequential read", sequential, 0);

    const int from = std::min(n - 1, WALK_FROM);
    Figures forward;
    seekVideo(&source, from / 2);
    for (int frame = from / 2 + 1; frame <= from / 2 + WALK_STEPS && frame < n; frame++) {
        Clock::time_point step = Clock::now();
        seekVideo(&source, frame);
        forward.add(millisecondsSince(step));
    }
    printFigures("step forward", forward, readMedian);

    Figures backward;
    seekVideo(&source, from);
    for (int frame = from - 1; frame >= from - WALK_STEPS && frame >= 0; frame--) {
        Clock::time_point step = Clock::now();
        seekVideo(&source, frame);
        backward.add(millisecondsSince(step));
    }
    printFigures("step backward (100 from 1000)", backward, readMedian);

    Figures jumps;
    std::mt19937 random(17);
    for (int i = 0; i < JUMPS; i++) {
        const int frame = std::uniform_int_distribution<int>(0, n - 1)(random);
        Clock::time_point jump = Clock::now();
        seekVideo(&source, frame);
        jumps.add(millisecondsSince(jump));
    }
    printFigures("random jump", jumps, readMedian);
    const VideoCacheStats stats = videoCacheStats(&source);
    printf("  cache: %d frames, %.1f MB of %.1f MB\n", stats.framesHeld,
           stats.bytesHeld / 1048576.0, stats.budgetBytes / 1048576.0);
    releaseVideo(&source);

    // The same backward walk with a plain capture, seeking at every step.
    fflush(stdout);
    cv::VideoCapture capture(path);
    if (!capture.isOpened()) {
        printf("  OpenCV cannot open the clip\n");
        return;
    }
    cv::Mat image;
    Figures plain, ours;
    for (int step = 0; step < plainSteps && step < static_cast<int>(backward.times.size());
         step++) {
        const int frame = from - 1 - step;
        Clock::time_point start = Clock::now();
        capture.set(cv::CAP_PROP_POS_FRAMES, frame);
        capture.read(image);
        plain.add(millisecondsSince(start));
        ours.add(backward.times[step]);
    }
    printFigures("OpenCV set()+read() step backward", plain, readMedian);
    printf(
        "  backward walk of %d steps: %.1f ms here against %.1f ms with set()+read(): %.1f "
        "times faster\n",
        static_cast<int>(plain.times.size()), ours.total(), plain.total(),
        plain.total() / ours.total());
}

}  // namespace

int main(int argc, char** argv) {
    std::string mp4 = argc > 1 ? argv[1] : "";
    std::string ts = argc > 2 ? argv[2] : "";
    std::string folder;
    if (mp4.empty()) {
        char pattern[] = "/tmp/video-seek-bench-XXXXXX";
        if (!mkdtemp(pattern)) return 1;
        folder = pattern;
        if (!makeClips(folder, &mp4, &ts)) {
            printf("ffmpeg could not make the clips\n");
            return 1;
        }
    }
    // OpenCV's FFmpeg reports every broken reference after its inexact seeks.
    setenv("OPENCV_FFMPEG_LOGLEVEL", "-8", 0);
    benchClip(mp4, PLAIN_STEPS_MP4);
    if (!ts.empty()) benchClip(ts, PLAIN_STEPS_TS);
    if (!folder.empty()) std::system(("rm -rf '" + folder + "'").c_str());
    return 0;
}
