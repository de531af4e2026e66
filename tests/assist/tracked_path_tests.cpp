// Thinning a tracked path into keys: the video view's own drawing of the keys stays
// within a pixel of the path, and no fewer keys would do.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "assist/tracked_path.h"
#include "scene_fixture.h"
#include "tracking/key_editing.h"
#include "video_view/video_overlay.h"

namespace {

constexpr int HEIGHT = 240;

KeyFrame box(double cx, double cy, double w, double h) {
    return KeyFrame{0, cx, cy - h / 2, cx, cy, w, h};
}

// What the video view shows at frame for the keys kept of path: the key's stored
// rectangle and feet on a key's frame, else the trajectory's carried blend.
KeyFrame viewShows(SceneFixture& s, int frame) {
    s.at(frame);
    Trajectory t;
    buildTrajectory(&s.scene, &s.tracks[0], &t);
    KeyNode* k = seekKey(&s.tracks[0], frame);
    if (k != nullptr && k->frame == frame) return *keyFrameOf(k);
    EXPECT_TRUE(t.hasRect && t.hasTail) << frame;
    return KeyFrame{0,         t.tailTo.x,           t.tailTo.y,           t.rect.cx,
                    t.rect.cy, 2 * t.rect.halfWidth, 2 * t.rect.halfHeight};
}

double worstGap(const KeyFrame& a, const KeyFrame& b) {
    return std::max({std::hypot(a.rectX - b.rectX, a.rectY - b.rectY),
                     std::hypot(a.feetX - b.feetX, a.feetY - b.feetY),
                     std::fabs(a.rectWidth - b.rectWidth), std::fabs(a.rectHeight - b.rectHeight)});
}

// Keeps the kept indices of path as keys of track 0.
void keyKept(SceneFixture& s, int first, const std::vector<KeyFrame>& path,
             const std::vector<int>& kept) {
    clearTrack(&s.tracks[0]);
    for (int i : kept) addKey(&s.tracks[0], new KeyFrame(path[i]), NODE_OWNS_PAYLOAD, first + i);
}

// Every subset of the inner indices, smallest first: the fewest keys that fit.
int bruteForceFewest(const PathFrames& frames, int first, const std::vector<KeyFrame>& path) {
    const int n = int(path.size());
    int best = n;
    for (unsigned mask = 0; mask < (1u << (n - 2)); ++mask) {
        std::vector<int> kept = {0};
        for (int i = 1; i < n - 1; ++i)
            if (mask & (1u << (i - 1))) kept.push_back(i);
        kept.push_back(n - 1);
        if (int(kept.size()) >= best) continue;
        bool fits = true;
        for (size_t k = 0; k + 1 < kept.size() && fits; ++k)
            for (int j = kept[k] + 1; j < kept[k + 1] && fits; ++j)
                fits = worstGap(shownBetween(frames, first + kept[k], path[kept[k]],
                                             first + kept[k + 1], path[kept[k + 1]], first + j),
                                path[j]) <= THINNING_TOLERANCE;
        if (fits) best = int(kept.size());
    }
    return best;
}

TEST(TrackedPath, KnownPathsKeepTheirCorners) {
    const PathFrames still{nullptr, HEIGHT};
    // A straight run at constant speed, growing steadily: its ends are enough.
    std::vector<KeyFrame> path;
    for (int i = 0; i <= 100; ++i)
        path.push_back(box(10 + 1.5 * i, 50 + 0.5 * i, 20 + 0.1 * i, 40));
    EXPECT_EQ(thinTrackedPath(still, 7, path.data(), int(path.size())), (std::vector<int>{0, 100}));
    // A zigzag turning at 30 and 70; one frame alone gives one key.
    path.clear();
    for (int i = 0; i <= 90; ++i) {
        const double x = i <= 30 ? 2.0 * i : i <= 70 ? 60 - 1.0 * (i - 30) : 20 + 3.0 * (i - 70);
        path.push_back(box(100 + x, 80, 20, 40));
    }
    EXPECT_EQ(thinTrackedPath(still, 0, path.data(), int(path.size())),
              (std::vector<int>{0, 30, 70, 90}));
    EXPECT_EQ(thinTrackedPath(still, 0, path.data(), 1), (std::vector<int>{0}));

    // The camera pans 3 pixels a frame while the player stands: the boxes move in the
    // picture, but the shown interpolation carries the ends along, so two keys do.
    SceneFixture s(60, 320, HEIGHT);
    for (int k = 0; k < 60; ++k) s.homographies[k] = shiftHomography(3.0 * k, 0);
    path.clear();
    for (int i = 0; i < 60; ++i) path.push_back(box(200 - 3.0 * i, 80, 20, 40));
    const PathFrames panning{&s.registration, HEIGHT};
    EXPECT_EQ(thinTrackedPath(panning, 0, path.data(), 60), (std::vector<int>{0, 59}));
    // Smoothing leaves that steady path as it is, and takes a tracker's whole-pixel
    // jitter out of it, down to the two ends again.
    const std::vector<KeyFrame> smooth = smoothTrackedPath(panning, 0, path.data(), 60);
    for (int i = 0; i < 60; ++i) EXPECT_LT(worstGap(smooth[i], path[i]), 1e-9) << i;
    for (int i = 1; i < 59; ++i) {
        path[i].rectX += i % 2 ? 1.5 : -1.5;
        path[i].feetX += i % 2 ? 1.5 : -1.5;
    }
    EXPECT_GT(thinTrackedPath(panning, 0, path.data(), 60).size(), 2u);
    EXPECT_EQ(
        thinTrackedPath(panning, 0, smoothTrackedPath(panning, 0, path.data(), 60).data(), 60),
        (std::vector<int>{0, 59}));
}

TEST(TrackedPath, RandomPathsStayWithinAPixelOfTheViewWithTheFewestKeys) {
    std::mt19937 random(15);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int round = 0; round < 40; ++round) {
        const bool registered = round % 4 != 3;  // some runs have no registration
        const int n = round < 20 ? 12 : 120;     // short ones are checked by brute force
        const int first = 5;
        SceneFixture s(registered ? first + n : 0, 320, HEIGHT);
        // A panning, zooming camera with some perspective.
        for (int k = 0; registered && k < first + n; ++k) {
            const double z = 1 + 0.002 * k;
            s.homographies[k] = {{z, 0.01, 1.5 * k, 0.0, z, 0.4 * k, 1e-5 * k, 2e-5, 1}};
        }
        // A player who speeds up, turns and jitters by a pixel, as a tracker reports.
        std::vector<KeyFrame> path;
        double x = 150, y = 100, vx = 2 * unit(random), vy = unit(random), w = 18, h = 40;
        for (int i = 0; i < n; ++i) {
            vx += 0.3 * unit(random);
            vy += 0.2 * unit(random);
            x += vx;
            y += vy;
            w += 0.1 * unit(random);
            path.push_back(box(std::round(x + unit(random)), std::round(y), std::round(w), h));
        }
        const PathFrames frames{&s.registration, HEIGHT};
        const std::vector<int> kept = thinTrackedPath(frames, first, path.data(), n);
        ASSERT_GE(kept.size(), 1u);
        EXPECT_EQ(kept.front(), 0);
        EXPECT_EQ(kept.back(), n - 1);
        EXPECT_LT(kept.size(), size_t(n));
        keyKept(s, first, path, kept);
        for (int i = 0; i < n; ++i) {
            // Without records the view blends the stored values, as the file does.
            KeyFrame shown;
            if (registered) {
                shown = viewShows(s, first + i);
            } else {
                ASSERT_TRUE(trackPositionAt(&s.tracks[0], first + i, &shown));
            }
            ASSERT_LE(worstGap(shown, path[i]), THINNING_TOLERANCE + 1e-6)
                << "round " << round << " frame " << first + i;
        }
        if (n <= 12) {
            EXPECT_EQ(int(kept.size()), bruteForceFewest(frames, first, path)) << round;
        }
    }
}

}  // namespace
