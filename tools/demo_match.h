// DemoMatch: the scripted demo match: where each of the 22 players stands and how the
// broadcast camera is placed at every frame. Everything follows from the settings and
// the seed through SeededRandom, so a match is the same on every run and platform.
#pragma once

#include <array>
#include <cstdint>
#include <opencv2/core.hpp>
#include <vector>

#include "tools/demo_camera.h"
#include "tracking/player_label.h"

constexpr int DEMO_PLAYERS = PLAYER_COUNT;  // 0..10 the O side (O1..O11), 11..21 the D side
constexpr uint64_t DEMO_SEED = 20240611;    // the seed of the built-in demo
constexpr int DEMO_FRAMES = 500;            // 20 seconds
constexpr double DEMO_FRAME_RATE = 25.0;    // frames per second
constexpr int DEMO_WIDTH = 1024;            // pixels
constexpr int DEMO_HEIGHT = 576;

struct DemoSettings {
    uint64_t seed = DEMO_SEED;                    // fixes the whole match
    int frameCount = DEMO_FRAMES;                 // frames of the clip, > 0
    double frameRate = DEMO_FRAME_RATE;           // frames per second, > 0
    cv::Size imageSize{DEMO_WIDTH, DEMO_HEIGHT};  // pixels
};

struct PlayerState {
    cv::Point2d position;  // plan point of the feet (plan units, y upward)
    double stridePhase;    // radians through the running cycle; constant while standing
};

struct DemoMatch {
    DemoSettings settings;
    std::vector<BroadcastCamera> cameras;                        // one per frame
    std::vector<std::array<PlayerState, DEMO_PLAYERS>> players;  // one table per frame
};

// Plays the match script for the settings.
DemoMatch makeDemoMatch(const DemoSettings& settings);
