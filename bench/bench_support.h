// What the benchmarks share: the full match they measure on, timers and the process's
// memory as the kernel counts it.
#pragma once

#include <stdlib.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "tracking/player_track.h"
#include "tracking/registration.h"

constexpr int FRAMES = 135000;  // 90 minutes at 25 frames per second
constexpr int KEY_STEP = 25;    // one key a second

// The folder a benchmark writes in: the one named on its command line, or a new one
// under /tmp, which *owned says the benchmark removes when done. False when none
// could be made.
inline bool benchFolder(int argc, char** argv, const char* name, std::string* folder, bool* owned) {
    *owned = argc <= 1;
    if (!*owned) {
        *folder = argv[1];
        return true;
    }
    std::string pattern = std::string("/tmp/") + name + "_XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) return false;
    *folder = pattern;
    return true;
}

// Wall-clock and processor time of one run; processor time is steadier on a busy machine.
struct Timer {
    std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
    std::clock_t cpu = std::clock();
};

struct Elapsed {
    double wall = 0, cpu = 0;  // seconds
};

inline Elapsed elapsed(const Timer& since) {
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - since.wall).count(),
            static_cast<double>(std::clock() - since.cpu) / CLOCKS_PER_SEC};
}

// A "VmRSS" or "VmHWM" line of /proc/self/status, in MB.
inline double statusMB(const char* field) {
    FILE* status = std::fopen("/proc/self/status", "r");
    char line[256];
    double kb = 0;
    while (status != nullptr && std::fgets(line, sizeof line, status))
        if (std::strncmp(line, field, std::strlen(field)) == 0)
            kb = std::atof(line + std::strlen(field) + 1);
    if (status != nullptr) std::fclose(status);
    return kb / 1024.0;
}

// Sets the peak resident size back to the current one.
inline bool resetPeak() {
    FILE* clear = std::fopen("/proc/self/clear_refs", "w");
    if (clear == nullptr) return false;
    const bool done = std::fputs("5", clear) >= 0;
    return std::fclose(clear) == 0 && done;
}

// 22 players over FRAMES frames with a key every KEY_STEP frames, wandering a little.
inline void makeMatch(TrackSet& tracks) {
    std::mt19937 random(2024);
    std::uniform_real_distribution<double> step(-3.0, 3.0);
    for (int p = 0; p < PLAYER_COUNT; p++) {
        double x = 100 + 80 * p, y = 200 + 30 * p;
        for (int frame = 0; frame < FRAMES; frame += KEY_STEP) {
            x += step(random);
            y += step(random);
            const double w = 30 + step(random), h = 90 + 2 * step(random);
            KeyFrame* key = new KeyFrame{0, x, y - h / 2, x, y, w, h};
            addKey(&tracks.tracks[p], key, NODE_OWNS_PAYLOAD, frame);
        }
    }
}

// A broadcast camera's registration: image (1920 x 1080) to the plan, panning along the
// pitch, zooming in and out and tilting, different on every frame.
struct MovingCamera {
    std::vector<Homography> records;
    Registration registration;
    MovingCamera() : records(FRAMES) {
        for (int k = 0; k < FRAMES; k++) {
            const double t = k / 25.0;
            const double zoom = 0.25 + 0.08 * std::sin(t / 7.0);
            const double pan = 400 + 200 * std::sin(t / 31.0);
            const double tilt = 2e-5 * (1.0 + 0.3 * std::sin(t / 13.0));
            records[k] = {{zoom, 0.02, pan - 240, 0.0, zoom * 0.9, 80 + 20 * std::sin(t / 17.0),
                           0.0, tilt, 1.0}};
        }
        registration.homographies = records.data();
        registration.count = FRAMES;
    }
};
