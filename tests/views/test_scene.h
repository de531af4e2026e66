// A small annotation state for view tests: 22 tracks, a table of homographies and a
// frame range, gathered in a Scene. With videoHeight 400 and the identity homography
// a key's plan point is its feet point.
#pragma once

#include <vector>

#include "tracking/scene.h"
#include "views/frame_range.h"

inline Homography identityHomography() {
    return {{1, 0, 0, 0, 1, 0, 0, 0, 1}};
}
// Shifts image points by (dx, dy) (image convention, y downward).
inline Homography shiftHomography(double dx, double dy) {
    return {{1, 0, dx, 0, 1, dy, 0, 0, 1}};
}
inline Homography scaleHomography(double s) {
    return {{s, 0, 0, 0, s, 0, 0, 0, 1}};
}

struct TestScene {
    TrackSet trackSet;
    PlayerTrack* tracks = trackSet.tracks;
    std::vector<Homography> homographies;
    Registration registration;
    FrameRange frames;
    Scene scene;

    // Records for frames 0..recordCount-1, all identity; a range of frameCount frames.
    explicit TestScene(int recordCount, int frameCount = 1000) {
        homographies.assign(recordCount, identityHomography());
        registration.homographies = homographies.empty() ? nullptr : homographies.data();
        registration.count = recordCount;
        frames = {0, frameCount - 1, 0};
        scene.tracks = tracks;
        scene.registration = &registration;
        scene.currentFrame = &frames.currentFrame;
        scene.videoWidth = 800;
        scene.videoHeight = 400;
    }
    TestScene(const TestScene&) = delete;
    TestScene& operator=(const TestScene&) = delete;

    // A key of player at frame with its feet at (x, y), video pixels y upward.
    void key(int player, int frame, double x, double y) {
        KeyFrame* k = new KeyFrame;
        k->flags = KEY_FLAG_KEY;
        k->feetX = x;
        k->feetY = y;
        addKey(&tracks[player], k, NODE_OWNS_PAYLOAD, frame);
    }
    void at(int frame) { frames.currentFrame = frame; }
};
