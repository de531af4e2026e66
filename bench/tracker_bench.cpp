// The tracker assist measured on the demo generator's ground truth, which knows every
// player's true box and feet point on every frame.
//
//   tracker_bench [--trackers CSRT,KCF,MIL] [--matches tune,heldout] [--players A-B]
//                 [--start-interval N] [--no-speed] [DATA]
//
// --players measures players A..B only (0..21), so that two processes can share a match;
// the figures of both add up (sums are printed beside the means).
// Matches: "tune" is the built-in demo (500 frames), "heldout" a match of 3,000 frames
// from another seed that nothing was tuned on. Their clips are made in DATA (default
// tracker-bench-data) when missing. For each tracker and match:
// - accuracy: for each player visible at every 100th frame (--start-interval), a run
//   from the true box:
//   frames followed before the run stopped, feet error on the pitch (metres, mean and
//   95th percentile) and box IoU, over the visible frames followed;
// - effort: manual keys for every frame of each visible stretch to lie within 0.5 m of
//   the truth, (a) by linear interpolation of true keys alone (greedy), (b) keying,
//   tracking, and keying again where the error first exceeds 0.5 m or the run fails;
// - speed: frames per second of one player's run at 1024 x 576 and 1920 x 1080, decoding
//   included, beside decoding alone.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "assist/tracking_run.h"
#include "tools/demo_generator.h"
#include "tools/demo_render.h"
#include "tools/pitch.h"
#include "video/video_source.h"

namespace {

constexpr int GL_BGR_FORMAT = 0x80E0;
constexpr uint64_t HELDOUT_SEED = 7;
constexpr int HELDOUT_FRAMES = 3000;
constexpr double EFFORT_METRES = 0.5;  // what every frame must be within
constexpr int SPEED_FRAMES = 250;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Match {
    std::string name, folder;
    DemoMatch demo;
    Registration registration;
    int width = 0, height = 0;
};

// The truth of a player on a frame, as a key (video pixels, y upward).
struct Truth {
    bool visible = false;  // in front of the camera and the box wholly in the picture
    KeyFrame key;
    double fieldX = 0, fieldY = 0;  // the registration's field point of the feet
};

Truth truthOf(const Match& m, int frame, int player) {
    Truth t;
    const PlayerFigure figure = playerFigure(m.demo, frame, player);
    const cv::Rect2d& b = figure.box;
    t.visible = figure.inFront && b.x >= 0 && b.y >= 0 && b.x + b.width <= m.width &&
                b.y + b.height <= m.height;
    t.key.rectX = b.x + b.width / 2;
    t.key.rectY = m.height - (b.y + b.height / 2);
    t.key.rectWidth = b.width;
    t.key.rectHeight = b.height;
    t.key.feetX = figure.feet.x;
    t.key.feetY = m.height - figure.feet.y;
    // The registration's field has y downward from the plan's top edge.
    const cv::Point2d plan = m.demo.players[frame][player].position;
    t.fieldX = plan.x;
    t.fieldY = PLAN_HEIGHT - plan.y;
    return t;
}

double feetErrorMetres(const Match& m, int frame, const KeyFrame& key, const Truth& truth) {
    double x, y;
    if (!fieldPointAt(&m.registration, m.height, frame, key.feetX, key.feetY, &x, &y)) return 1e9;
    return std::hypot(x - truth.fieldX, y - truth.fieldY) / FIELD_UNITS_PER_METRE;
}

double iou(const KeyFrame& a, const KeyFrame& b) {
    const double x0 = std::max(a.rectX - a.rectWidth / 2, b.rectX - b.rectWidth / 2);
    const double x1 = std::min(a.rectX + a.rectWidth / 2, b.rectX + b.rectWidth / 2);
    const double y0 = std::max(a.rectY - a.rectHeight / 2, b.rectY - b.rectHeight / 2);
    const double y1 = std::min(a.rectY + a.rectHeight / 2, b.rectY + b.rectHeight / 2);
    const double inter = std::max(0.0, x1 - x0) * std::max(0.0, y1 - y0);
    const double uni = a.rectWidth * a.rectHeight + b.rectWidth * b.rectHeight - inter;
    return uni > 0 ? inter / uni : 0.0;
}

bool makeMatch(const std::string& data, const std::string& name, const DemoSettings& settings,
               Match* m) {
    m->name = name;
    m->folder = data + "/" + name;
    m->demo = makeDemoMatch(settings);
    m->width = settings.imageSize.width;
    m->height = settings.imageSize.height;
    const std::string video = m->folder + "/" + DEMO_VIDEO_NAME;
    if (!std::filesystem::exists(video)) {
        DemoOptions options;
        options.outputFolder = m->folder;
        options.settings = settings;
        std::printf("making the %s clip in %s\n", name.c_str(), m->folder.c_str());
        std::fflush(stdout);
        if (!writeDemo(options)) return false;
    }
    return readRegistration((m->folder + "/" + DEMO_REGISTRATION_NAME).c_str(), &m->registration) ==
           1;
}

FailureCheck checkFor(const Match& m) {
    FailureCheck check;
    check.registration = &m.registration;
    check.videoWidth = m.width;
    check.videoHeight = m.height;
    check.frameRate = m.demo.settings.frameRate;
    return check;
}

// Starts a run of a scratch track that holds one key.
bool startFrom(TrackingRun* run, PlayerTrack* scratch, const KeyFrame& key, int frame, int player,
               const Match& m, const unsigned char* pixels, VisualTrackerKind kind) {
    clearTrack(scratch);
    addKey(scratch, new KeyFrame(key), NODE_OWNS_PAYLOAD, frame);
    return startTrackingRun(run, scratch, player, frame, 1, int(m.demo.cameras.size()), pixels,
                            checkFor(m), kind) == nullptr;
}

struct Accuracy {
    long runs = 0, followed = 0, full = 0;
    std::vector<double> feetErrors;
    double iouSum = 0;
    long iouCount = 0;
    std::map<std::string, int> stops;
};

struct Effort {
    long interpolationKeys = 0, trackerKeys = 0;
};

// (a): greedy true keys: from a key, the interpolation runs on while every frame lies
// within the tolerance; a key goes on the last frame before the first that does not.
long interpolationKeys(const Match& m, int player) {
    const int n = int(m.demo.cameras.size());
    long keys = 0;
    int f = 0;
    while (f < n) {
        while (f < n && !truthOf(m, f, player).visible) ++f;
        if (f >= n) break;
        int end = f;
        while (end + 1 < n && truthOf(m, end + 1, player).visible) ++end;
        std::vector<Truth> t;
        for (int j = f; j <= end; ++j) t.push_back(truthOf(m, j, player));
        int key = 0;
        ++keys;
        const int len = int(t.size());
        for (int b = key + 2; b < len; ++b) {
            bool fits = true;
            for (int j = key + 1; j < b && fits; ++j) {
                const double s = double(j - key) / (b - key);
                const double x = t[key].fieldX + s * (t[b].fieldX - t[key].fieldX);
                const double y = t[key].fieldY + s * (t[b].fieldY - t[key].fieldY);
                fits = std::hypot(x - t[j].fieldX, y - t[j].fieldY) / FIELD_UNITS_PER_METRE <=
                       EFFORT_METRES;
            }
            if (!fits) {
                key = b - 1;
                ++keys;
            }
        }
        if (key != len - 1) ++keys;
        f = end + 1;
    }
    return keys;
}

// One pass over the clip with every run fed in frame order: accuracy runs from the
// starts, and one effort run per player.
int firstPlayer = 0, lastPlayer = DEMO_PLAYERS - 1;  // --players
int startInterval = 100;                             // --start-interval: accuracy runs' starts

void measure(const Match& m, VisualTrackerKind kind, Accuracy* accuracy, Effort* effort) {
    VideoSource source;
    const std::string video = m.folder + "/" + DEMO_VIDEO_NAME;
    if (!openVideo(&source, video.c_str(), GL_BGR_FORMAT)) return;
    const int n = std::min(source.nFrames, int(m.demo.cameras.size()));

    struct Run {
        TrackingRun run;
        PlayerTrack scratch;
        int player = 0;
        int startFrame = 0;
    };
    std::vector<std::unique_ptr<Run>> accuracyRuns;
    std::vector<std::unique_ptr<Run>> effortRuns(DEMO_PLAYERS);
    for (int p = 0; p < DEMO_PLAYERS; ++p) {
        effortRuns[p] = std::make_unique<Run>();
        initTrack(&effortRuns[p]->scratch);
        effortRuns[p]->player = p;
    }
    for (int f = 0; f < n; ++f) {
        const unsigned char* pixels =
            f == 0 ? source.frameImage : (readNextFrame(&source), source.frameImage);
        if (pixels == nullptr) break;
        // Accuracy runs: feed, score, and retire the ones that stopped.
        for (auto& r : accuracyRuns) {
            if (!trackingRunActive(&r->run) || r->run.nextFrame != f) continue;
            const TrackingStop stop = advanceTrackingRun(&r->run, pixels);
            const Truth t = truthOf(m, f, r->player);
            if (int(r->run.path.size()) - 1 == f - r->startFrame && t.visible) {
                const KeyFrame& k = r->run.path.back();
                accuracy->feetErrors.push_back(feetErrorMetres(m, f, k, t));
                accuracy->iouSum += iou(k, t.key);
                ++accuracy->iouCount;
            }
            if (stop != TRACK_RUNNING) {
                accuracy->followed += long(r->run.path.size()) - 1;
                if (!isTrackingFailure(stop)) ++accuracy->full;
                ++accuracy->stops[trackingStopReason(stop)];
            }
        }
        accuracyRuns.erase(
            std::remove_if(accuracyRuns.begin(), accuracyRuns.end(),
                           [](const auto& r) { return !trackingRunActive(&r->run); }),
            accuracyRuns.end());
        if (f % startInterval == 0) {
            for (int p = firstPlayer; p <= lastPlayer; ++p) {
                const Truth t = truthOf(m, f, p);
                if (!t.visible) continue;
                auto r = std::make_unique<Run>();
                initTrack(&r->scratch);
                r->player = p;
                r->startFrame = f;
                if (!startFrom(&r->run, &r->scratch, t.key, f, p, m, pixels, kind)) continue;
                ++accuracy->runs;
                accuracyRuns.push_back(std::move(r));
            }
        }
        // Effort (b): one analyst per player.
        for (int p = firstPlayer; p <= lastPlayer; ++p) {
            Run& r = *effortRuns[p];
            const Truth t = truthOf(m, f, p);
            if (!t.visible) {
                clearTrackingRun(&r.run);
                continue;
            }
            bool manualKey = false;
            if (!trackingRunActive(&r.run)) {
                manualKey = true;  // a new stretch, or a run that could not start
            } else if (r.run.nextFrame == f) {
                const TrackingStop stop = advanceTrackingRun(&r.run, pixels);
                if (isTrackingFailure(stop) ||
                    feetErrorMetres(m, f, r.run.path.back(), t) > EFFORT_METRES) {
                    manualKey = true;
                } else if (stop != TRACK_RUNNING) {
                    // The run's length is reached: 't' again, from its last box.
                    const KeyFrame last = r.run.path.back();
                    startFrom(&r.run, &r.scratch, last, f, p, m, pixels, kind);
                }
            }
            if (manualKey) {
                ++effort->trackerKeys;
                startFrom(&r.run, &r.scratch, t.key, f, p, m, pixels, kind);
            }
        }
    }
    for (int p = firstPlayer; p <= lastPlayer; ++p) {
        effort->interpolationKeys += interpolationKeys(m, p);
        clearTrack(&effortRuns[p]->scratch);
    }
    releaseVideo(&source);
}

double percentile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(q * v.size()))];
}

// One player followed through the first SPEED_FRAMES frames, decoding included; a run
// that fails restarts from the truth, as an analyst would.
void measureSpeed(const Match& m, VisualTrackerKind kind) {
    const std::string video = m.folder + "/" + DEMO_VIDEO_NAME;
    VideoSource source;
    if (!openVideo(&source, video.c_str(), GL_BGR_FORMAT)) return;
    const int frames = std::min(SPEED_FRAMES, source.nFrames);
    Clock::time_point start = Clock::now();
    for (int f = 1; f < frames; ++f) readNextFrame(&source);
    const double decodeSeconds = secondsSince(start);

    // The player nearest the picture's centre on frame 0.
    int player = 0;
    double best = 1e18;
    for (int p = 0; p < DEMO_PLAYERS; ++p) {
        const Truth t = truthOf(m, 0, p);
        const double d = std::hypot(t.key.rectX - m.width / 2, t.key.rectY - m.height / 2);
        if (t.visible && d < best) best = d, player = p;
    }
    rewindVideo(&source);
    const std::clock_t cpuStart = std::clock();
    TrackingRun run;
    PlayerTrack scratch;
    initTrack(&scratch);
    start = Clock::now();
    int restarts = 0;
    for (int f = 0; f < frames; ++f) {
        if (f > 0) readNextFrame(&source);
        if (source.frameImage == nullptr) break;
        if (trackingRunActive(&run) && advanceTrackingRun(&run, source.frameImage) == TRACK_RUNNING)
            continue;
        if (!trackingRunActive(&run) || isTrackingFailure(run.stop)) {
            const Truth t = truthOf(m, f, player);
            if (startFrom(&run, &scratch, t.key, f, player, m, source.frameImage, kind)) ++restarts;
        }
    }
    const double trackSeconds = secondsSince(start);
    const double cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    char label[PLAYER_LABEL_SIZE];
    playerLabelText(player, label);
    std::printf(
        "  %-5s %4dx%-4d  tracking %6.1f frames/s (%6.1f per CPU second)   decoding "
        "alone %6.1f frames/s  (player %s, %d starts)\n",
        visualTrackerName(kind), m.width, m.height, frames / trackSeconds, frames / cpuSeconds,
        (frames - 1) / decodeSeconds, label, restarts);
    clearTrack(&scratch);
    releaseVideo(&source);
}

std::vector<std::string> splitList(const char* text) {
    std::vector<std::string> out;
    std::string item;
    for (const char* c = text;; ++c) {
        if (*c == ',' || *c == '\0') {
            if (!item.empty()) out.push_back(item);
            item.clear();
            if (*c == '\0') break;
        } else {
            item += *c;
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> trackers = {"CSRT", "KCF", "MIL"};
    std::vector<std::string> matches = {"tune", "heldout"};
    bool speed = true;
    std::string data = "tracker-bench-data";
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--trackers") && i + 1 < argc) {
            trackers = splitList(argv[++i]);
        } else if (!std::strcmp(argv[i], "--matches") && i + 1 < argc) {
            matches = splitList(argv[++i]);
        } else if (!std::strcmp(argv[i], "--players") && i + 1 < argc &&
                   std::sscanf(argv[i + 1], "%d-%d", &firstPlayer, &lastPlayer) == 2 &&
                   firstPlayer >= 0 && firstPlayer <= lastPlayer && lastPlayer < DEMO_PLAYERS) {
            ++i;
        } else if (!std::strcmp(argv[i], "--start-interval") && i + 1 < argc &&
                   std::atoi(argv[i + 1]) > 0) {
            startInterval = std::atoi(argv[++i]);
        } else if (!std::strcmp(argv[i], "--no-speed")) {
            speed = false;
        } else if (argv[i][0] == '-') {
            std::fprintf(stderr,
                         "usage: tracker_bench [--trackers CSRT,KCF,MIL] [--matches "
                         "tune,heldout] [--no-speed] [DATA]\n");
            return 2;
        } else {
            data = argv[i];
        }
    }
    std::vector<VisualTrackerKind> kinds;
    for (const std::string& t : trackers)
        for (VisualTrackerKind k : {TRACKER_CSRT, TRACKER_KCF, TRACKER_MIL})
            if (t == visualTrackerName(k)) kinds.push_back(k);

    for (const std::string& name : matches) {
        DemoSettings settings;
        if (name == "heldout") {
            settings.seed = HELDOUT_SEED;
            settings.frameCount = HELDOUT_FRAMES;
        } else if (name != "tune") {
            continue;
        }
        Match m;
        if (!makeMatch(data, name, settings, &m)) return 1;
        std::printf("\n%s match: seed %llu, %d frames, %dx%d\n", name.c_str(),
                    (unsigned long long)settings.seed, settings.frameCount, m.width, m.height);
        for (VisualTrackerKind kind : kinds) {
            Accuracy a;
            Effort e;
            const Clock::time_point start = Clock::now();
            measure(m, kind, &a, &e);
            double mean = 0;
            for (double v : a.feetErrors) mean += v;
            if (!a.feetErrors.empty()) mean /= a.feetErrors.size();
            std::printf(
                "  %-5s players %d-%d  runs %ld  frames followed %.1f per run (sum %ld), "
                "%.0f%% ran to their end (%ld)\n"
                "        feet error mean %.2f m, p95 %.2f m (%zu frames)   mean IoU %.3f\n"
                "        keys (a) interpolation %ld   (b) tracker %ld   (b)/(a) %.3f   "
                "[%.0f s]\n        stops:",
                visualTrackerName(kind), firstPlayer, lastPlayer, a.runs,
                a.runs ? double(a.followed) / a.runs : 0.0, a.followed,
                a.runs ? 100.0 * a.full / a.runs : 0.0, a.full, mean,
                percentile(a.feetErrors, 0.95), a.feetErrors.size(),
                a.iouCount ? a.iouSum / a.iouCount : 0.0, e.interpolationKeys, e.trackerKeys,
                e.interpolationKeys ? double(e.trackerKeys) / e.interpolationKeys : 0.0,
                secondsSince(start));
            for (const auto& [reason, count] : a.stops)
                std::printf(" %s %d,", reason.c_str(), count);
            std::printf("\n");
            std::fflush(stdout);
        }
        clearRegistration(&m.registration);
    }
    if (speed) {
        std::printf("\nspeed, one player, decoding included\n");
        for (const cv::Size size : {cv::Size(DEMO_WIDTH, DEMO_HEIGHT), cv::Size(1920, 1080)}) {
            DemoSettings settings;
            settings.frameCount = SPEED_FRAMES;
            settings.imageSize = size;
            Match m;
            if (!makeMatch(data, "speed" + std::to_string(size.height), settings, &m)) return 1;
            for (VisualTrackerKind kind : kinds) measureSpeed(m, kind);
            clearRegistration(&m.registration);
        }
    }
    return 0;
}
