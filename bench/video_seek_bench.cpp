// Latency of reading, stepping and jumping in the video source, with decoding
// ahead in the background off (the source as it was) and on, against OpenCV's
// set()+read() and against the floor of a jump (decoding exactly the frames it
// needs); the cost of opening long files from a cold page cache; resident memory.
//
//   video_seek_bench [--no-long] [CLIP ...]
//
// Without clips it makes them with the ffmpeg program: 1280x720 and 1920x1080
// H.264 (libx264 veryfast, GOP 250, 3 B-frames, 1,500 frames at 25 per second).
// For opening it makes a 90-minute 1920x1080 clip (a 10-second GOP-250 stretch at
// 400 kbit/s copied 540 times) in MP4, MKV and MPEG-TS; --no-long leaves that out.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "video/frame_decoder.h"
#include "video/frame_index.h"
#include "video/sample_tables.h"
#include "video/video_source.h"

namespace {

constexpr int WALK_STEPS = 100;
constexpr int WALK_FROM = 1000;
constexpr int JUMPS = 40;
constexpr int PLAIN_STEPS = 30;          // steps of the set()+read() walk
constexpr int MEMORY_WALK_STEPS = 1000;  // steps before resident memory is read
constexpr double LOOK_SECONDS = 1.0;     // the user looks at the frame jumped to

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

void printFigures(const char* what, const Figures& figures, double reference,
                  const char* referenceName) {
    printf("  %-36s median %8.2f ms  worst %8.2f ms", what, figures.median(), figures.worst());
    if (reference > 0) printf("  (%.2f x %s)", figures.median() / reference, referenceName);
    printf("\n");
}

bool run(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

std::string makeClip(const std::string& folder, const char* size) {
    const std::string path = folder + "/bench-" + size + ".mp4";
    printf("making %s with ffmpeg ...\n", path.c_str());
    fflush(stdout);
    return run("ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=size=" + std::string(size) +
               ":rate=25 -frames:v 1500 -c:v libx264 -preset veryfast -bf 3 -g 250 "
               "-keyint_min 250 -sc_threshold 0 -pix_fmt yuv420p '" +
               path + "'")
               ? path
               : "";
}

bool openQuietly(VideoSource* source, const std::string& path, bool prefetch) {
    fflush(stdout);
    const int saved = dup(1);
    const int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, 1);
    const int opened = openVideo(source, path.c_str(), VIDEO_FRAME_BGR);
    fflush(stdout);
    dup2(saved, 1);
    close(saved);
    close(devnull);
    if (opened) setVideoPrefetch(source, prefetch);
    return opened == 1;
}

// A walk of WALK_STEPS steps back from `from` at `rate` steps per second, as a held
// or tapped key gives them: latency of each step, and how far the display fell
// behind the key presses.
void walkBack(const std::string& path, bool prefetch, int rate, int from) {
    VideoSource source;
    if (!openQuietly(&source, path, prefetch)) return;
    seekVideo(&source, from);
    std::this_thread::sleep_for(std::chrono::duration<double>(LOOK_SECONDS));
    Figures steps;
    double lag = 0;
    const Clock::time_point start = Clock::now();
    const auto period = std::chrono::duration<double>(1.0 / rate);
    for (int i = 1; i <= WALK_STEPS && from - i >= 0; i++) {
        const Clock::time_point pressed =
            start + std::chrono::duration_cast<Clock::duration>(period * (i - 1));
        std::this_thread::sleep_until(pressed);  // returns at once when behind
        const Clock::time_point step = Clock::now();
        seekVideo(&source, from - i);
        steps.add(millisecondsSince(step));
        lag = std::max(lag, millisecondsSince(pressed));
    }
    char what[64];
    snprintf(what, sizeof what, "walk back, %d steps/s, prefetch %s", rate,
             prefetch ? "on" : "off");
    printf("  %-36s median %8.2f ms  worst %8.2f ms  display behind the keys at most %7.1f ms\n",
           what, steps.median(), steps.worst(), lag);
    releaseVideo(&source);
}

// The floor of a jump: a decoder of its own decodes exactly the frames from the
// seek point that the target needs (unreferenced ones before it skipped), with its
// threads, and converts nothing.
struct JumpFloor {
    FrameDecoder decoder;
    FrameIndex index;
    bool ready = false;

    explicit JumpFloor(const std::string& path) {
        std::string problem;
        if (!openFrameDecoder(&decoder, path.c_str(), &problem)) return;
        std::vector<PacketInfo> packets;
        if (!scanSampleTables(path.c_str(), decoder.streamIndex, &packets))
            while (readVideoPacket(&decoder)) packets.push_back(describePacket(decoder.packet));
        ready = buildIndexFromPackets(packets, &index);
    }
    ~JumpFloor() { closeFrameDecoder(&decoder); }
    double milliseconds(int target) {
        const Clock::time_point start = Clock::now();
        decoder.skipUnreferencedBefore = index.frameTimes[target];
        if (!positionAtSeekPoint(&decoder, index, index.seekPointFor(target))) return 0;
        while (decodeNextFrame(&decoder) == 1)
            if (frameTime(decoder.frame) == index.frameTimes[target]) break;
        return millisecondsSince(start);
    }
};

// Random jumps, each made three ways in turn so that all three meet the same load
// on a shared machine: the floor, the source without prefetching, the source with
// it (its thread working for 200 ms before, as while the user looks at a frame, and
// held still while the other two are measured).
void benchJumps(const std::string& path, const std::vector<int>& targets) {
    JumpFloor floor(path);
    VideoSource off, on;
    if (!floor.ready || !openQuietly(&off, path, false) || !openQuietly(&on, path, true)) return;
    Figures floors, offs, ons;
    for (int target : targets) {
        setVideoPrefetch(&on, false);
        waitForVideoPrefetch(&on, 60);
        floors.add(floor.milliseconds(target));
        Clock::time_point jump = Clock::now();
        seekVideo(&off, target);
        offs.add(millisecondsSince(jump));
        setVideoPrefetch(&on, true);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        jump = Clock::now();
        seekVideo(&on, target);
        ons.add(millisecondsSince(jump));
    }
    printFigures("jump floor (needed frames only)", floors, 0, "");
    printFigures("random jump, prefetch off", offs, floors.median(), "the floor");
    printFigures("random jump, prefetch on", ons, floors.median(), "the floor");
    releaseVideo(&off);
    releaseVideo(&on);
}

long long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return atoll(line.c_str() + 6);
    return 0;
}

void benchClip(const std::string& path) {
    printf("\n%s\n", path.c_str());
    VideoSource source;
    if (!openQuietly(&source, path, false)) return;
    const int n = source.nFrames;
    printf("  %d x %d, %d frames\n", source.videoWidth, source.videoHeight, n);
    Figures sequential;
    for (int i = 1; i < std::min(n, 500); i++) {
        const Clock::time_point read = Clock::now();
        readNextFrame(&source);
        sequential.add(millisecondsSince(read));
    }
    const double readMedian = sequential.median();
    printFigures("sequential read (prefetch off)", sequential, 0, "");
    releaseVideo(&source);

    const int from = std::min(n - 1, WALK_FROM);
    for (int rate : {10, 30})
        for (bool prefetch : {false, true}) walkBack(path, prefetch, rate, from);

    std::vector<int> targets;
    std::mt19937 random(17);
    for (int i = 0; i < JUMPS; i++)
        targets.push_back(std::uniform_int_distribution<int>(0, n - 1)(random));
    benchJumps(path, targets);

    // Resident memory after a long walk: steps back and forth, one jump in a hundred.
    const long long before = residentKilobytes();
    if (!openQuietly(&source, path, true)) return;
    int frame = from;
    const Clock::time_point walkStart = Clock::now();
    for (int step = 0; step < MEMORY_WALK_STEPS; step++) {
        const int move = static_cast<int>(random() % 100);
        frame = move == 0 ? static_cast<int>(random() % n)
                          : std::clamp(frame + (move < 70 ? -1 : 1), 0, n - 1);
        seekVideo(&source, frame);
    }
    const VideoCacheStats stats = videoCacheStats(&source);
    printf(
        "  after %d steps (%.1f s): resident %.0f MB (%.0f MB before opening); cache %d "
        "frames, %.1f of %.1f MB\n",
        MEMORY_WALK_STEPS, millisecondsSince(walkStart) / 1000, residentKilobytes() / 1024.0,
        before / 1024.0, stats.framesHeld, stats.bytesHeld / 1048576.0,
        stats.budgetBytes / 1048576.0);
    releaseVideo(&source);

    // The same backward walk with a plain capture, seeking at every step.
    fflush(stdout);
    cv::VideoCapture capture(path);
    if (!capture.isOpened()) {
        printf("  OpenCV cannot open the clip\n");
        return;
    }
    cv::Mat image;
    Figures plain;
    for (int step = 0; step < PLAIN_STEPS; step++) {
        const Clock::time_point start = Clock::now();
        capture.set(cv::CAP_PROP_POS_FRAMES, from - 1 - step);
        capture.read(image);
        plain.add(millisecondsSince(start));
    }
    printFigures("OpenCV set()+read() step back", plain, readMedian, "a sequential read");
    Figures plainJumps;
    for (int i = 0; i < 10; i++) {
        const Clock::time_point start = Clock::now();
        capture.set(cv::CAP_PROP_POS_FRAMES, targets[i]);
        capture.read(image);
        plainJumps.add(millisecondsSince(start));
    }
    printFigures("OpenCV set()+read() jump (10)", plainJumps, 0, "");
}

// ---------------------------------------------------------------------------
// Opening long files

struct IoCounts {
    long long rchar = 0, readBytes = 0;  // through read calls; from the storage
};

IoCounts ioCounts() {
    IoCounts counts;
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value) {
        if (key == "rchar:") counts.rchar = value;
        if (key == "read_bytes:") counts.readBytes = value;
    }
    return counts;
}

// Drops the file from the page cache, so that opening reads it from the disk.
void dropFromPageCache(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return;
    fdatasync(fd);
    posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    close(fd);
}

long long fileMegabytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    return static_cast<long long>(file.tellg()) >> 20;
}

void benchOpen(const std::string& path, const char* what) {
    dropFromPageCache(path);
    const IoCounts before = ioCounts();
    const Clock::time_point start = Clock::now();
    VideoSource source;
    const bool opened = openQuietly(&source, path, false);
    const double ms = millisecondsSince(start);
    const IoCounts after = ioCounts();
    printf("  %-34s %7.0f ms  read %8.1f MB (%8.1f MB from the disk) of %lld MB; %d frames%s\n",
           what, ms, (after.rchar - before.rchar) / 1048576.0,
           (after.readBytes - before.readBytes) / 1048576.0, fileMegabytes(path), source.nFrames,
           opened ? "" : " NOT OPENED");
    releaseVideo(&source);
}

// The way the source opened an MP4 before: every packet read from the file.
void benchOpenByPackets(const std::string& path) {
    dropFromPageCache(path);
    const IoCounts before = ioCounts();
    const Clock::time_point start = Clock::now();
    FrameDecoder decoder;
    std::string problem;
    long long packets = 0;
    if (openFrameDecoder(&decoder, path.c_str(), &problem))
        while (readVideoPacket(&decoder)) packets++;
    closeFrameDecoder(&decoder);
    const double ms = millisecondsSince(start);
    const IoCounts after = ioCounts();
    printf("  %-34s %7.0f ms  read %8.1f MB (%8.1f MB from the disk); %lld packets\n",
           "MP4, every packet read (before)", ms, (after.rchar - before.rchar) / 1048576.0,
           (after.readBytes - before.readBytes) / 1048576.0, packets);
}

void benchLongFiles(const std::string& folder) {
    const std::string stretch = folder + "/stretch.mp4", list = folder + "/list.txt";
    const std::string mp4 = folder + "/long.mp4", mkv = folder + "/long.mkv",
                      ts = folder + "/long.ts";
    printf("\nmaking a 90-minute 1920x1080 clip in MP4, MKV and MPEG-TS ...\n");
    fflush(stdout);
    {
        std::ofstream out(list);
        for (int i = 0; i < 540; i++) out << "file '" << stretch << "'\n";
    }
    if (!run("ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=size=1920x1080:rate=25 -frames:v "
             "250 -c:v libx264 -preset veryfast -b:v 400k -bf 3 -g 250 -keyint_min 250 "
             "-sc_threshold 0 -pix_fmt yuv420p '" +
             stretch + "'") ||
        !run("ffmpeg -nostdin -v error -y -f concat -safe 0 -i '" + list + "' -c copy '" + mp4 +
             "'") ||
        !run("ffmpeg -nostdin -v error -y -i '" + mp4 + "' -c copy '" + mkv + "'") ||
        !run("ffmpeg -nostdin -v error -y -i '" + mp4 + "' -c copy -f mpegts '" + ts + "'")) {
        printf("ffmpeg could not make the long clips\n");
        return;
    }
    printf("opening from a cold page cache (135,000 frames):\n");
    benchOpenByPackets(mp4);
    benchOpen(mp4, "MP4 (header tables)");
    benchOpen(mkv, "MKV (every packet read)");
    benchOpen(ts, "MPEG-TS (every packet read)");
}

}  // namespace

int main(int argc, char** argv) {
    bool longFiles = true;
    std::vector<std::string> clips;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--no-long") == 0)
            longFiles = false;
        else
            clips.push_back(argv[i]);
    }
    // Page-cache drops need a real disk: the clips go to /var/tmp, not a tmpfs.
    char pattern[] = "/var/tmp/video-seek-bench-XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const std::string folder = pattern;
    if (clips.empty()) {
        for (const char* size : {"1280x720", "1920x1080"}) {
            const std::string path = makeClip(folder, size);
            if (path.empty()) {
                printf("ffmpeg could not make the clips\n");
                return 1;
            }
            clips.push_back(path);
        }
    }
    // OpenCV's FFmpeg reports every broken reference after its inexact seeks.
    setenv("OPENCV_FFMPEG_LOGLEVEL", "-8", 0);
    for (const std::string& clip : clips) benchClip(clip);
    if (longFiles) benchLongFiles(folder);
    run("rm -rf '" + folder + "'");
    return 0;
}
