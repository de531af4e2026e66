// A small annotation state for the key-editing, overlay and video-view tests: 22
// tracks, a table of homographies (identity unless a test changes one) and a current
// frame, gathered in a Scene.
#pragma once

#include <random>
#include <vector>

#include "tracking/scene.h"

// Moves image points (y downward) by (dx, dy).
inline Homography shiftHomography(double dx, double dy) {
    return {{1, 0, dx, 0, 1, dy, 0, 0, 1}};
}

// A camera that pans, zooms and tilts at random from frame to frame, perspective
// included: one record per element of records.
inline void randomCamera(std::vector<Homography>* records, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (Homography& h : *records) {
        const double zoom = 1.0 + 0.3 * unit(random);
        h = {{zoom, 0.05 * unit(random), 300 * unit(random), 0.05 * unit(random), zoom,
              100 * unit(random), 2e-4 * unit(random), 2e-4 * unit(random), 1.0}};
    }
}

struct SceneFixture : TrackSet {
    std::vector<Homography> homographies;
    Registration registration;
    int frame = 0;  // the current frame
    Scene scene;

    // Records for frames 0..recordCount-1; a video of width x height pixels.
    explicit SceneFixture(int recordCount, int width = 320, int height = 240) {
        homographies.assign(recordCount, shiftHomography(0, 0));
        registration.homographies = homographies.empty() ? nullptr : homographies.data();
        registration.count = recordCount;
        scene.tracks = tracks;
        scene.registration = &registration;
        scene.currentFrame = &frame;
        scene.videoWidth = width;
        scene.videoHeight = height;
    }

    // Frame k's homography moves image points by (2k, k): carried from frame k to frame
    // f a key point moves by (2 (k - f), -(k - f)) in video pixels (y upward).
    void shiftEveryFrame() {
        for (size_t k = 0; k < homographies.size(); ++k)
            homographies[k] = shiftHomography(2.0 * k, 1.0 * k);
    }
    // A key of player at frame (flags 1, as if loaded from a file).
    void key(int player, int frame, double feetX, double feetY, double rectX, double rectY,
             double rectWidth, double rectHeight) {
        addKey(&tracks[player],
               new KeyFrame{KEY_FLAG_KEY, feetX, feetY, rectX, rectY, rectWidth, rectHeight},
               NODE_OWNS_PAYLOAD, frame);
    }
    void at(int f) { frame = f; }
};
