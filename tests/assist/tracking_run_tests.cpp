// A run of the real tracker on a short clip drawn by the demo generator, whose every
// player's true box and field position are known, forward to the clip's end and
// backward to a key; and what the run's keys become in the track.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <opencv2/core.hpp>

#include "assist/tracking_run.h"
#include "tools/demo_render.h"
#include "tools/pitch.h"

namespace {

constexpr int FRAMES = 40;

struct Clip {
    DemoMatch match;
    std::vector<cv::Mat> frames;           // as the video source hands them: bottom row first
    std::vector<Homography> homographies;  // the registration file's records
    Registration registration;
    int width = 0, height = 0;

    Clip() {
        DemoSettings settings;
        settings.frameCount = FRAMES;
        match = makeDemoMatch(settings);
        width = settings.imageSize.width;
        height = settings.imageSize.height;
        DemoRenderer renderer;
        cv::Mat image;
        for (int f = 0; f < FRAMES; ++f) {
            renderDemoFrame(match, f, renderer, image);
            cv::Mat flipped;
            cv::flip(image, flipped, 0);
            frames.push_back(flipped);
            const cv::Matx33d h = registrationHomography(match.cameras[f]);
            Homography record;
            for (int i = 0; i < 9; ++i) record.h[i] = h.val[i];
            homographies.push_back(record);
        }
        registration = {homographies.data(), FRAMES};
    }
    FailureCheck check() const { return {&registration, width, height, DEMO_FRAME_RATE}; }
    const unsigned char* pixels(int f) const { return frames[f].data; }

    // The truth as a key (video pixels, y upward), and the feet's field point.
    KeyFrame truth(int f, int player) const {
        const PlayerFigure p = playerFigure(match, f, player);
        return KeyFrame{0,
                        p.feet.x,
                        height - p.feet.y,
                        p.box.x + p.box.width / 2,
                        height - (p.box.y + p.box.height / 2),
                        p.box.width,
                        p.box.height};
    }
    double feetErrorMetres(int f, int player, const KeyFrame& k) const {
        double x, y;
        if (!fieldPointAt(&registration, height, f, k.feetX, k.feetY, &x, &y)) return 1e9;
        const cv::Point2d plan = match.players[f][player].position;
        return std::hypot(x - plan.x, y - (PLAN_HEIGHT - plan.y)) / FIELD_UNITS_PER_METRE;
    }
    // The player with the tallest (or the shortest) box wholly in the picture on frame f.
    int playerBySize(int f, bool tallest) const {
        int best = 0;
        double bestHeight = tallest ? 0.0 : 1e9;
        for (int p = 0; p < DEMO_PLAYERS; ++p) {
            const PlayerFigure figure = playerFigure(match, f, p);
            const cv::Rect2d& b = figure.box;
            const bool inside = figure.inFront && b.x >= 0 && b.y >= 0 && b.x + b.width <= width &&
                                b.y + b.height <= height;
            if (inside && (tallest ? b.height > bestHeight : b.height < bestHeight))
                bestHeight = b.height, best = p;
        }
        return best;
    }
};

const Clip& clip() {
    static const Clip drawn;
    return drawn;
}

double iou(const KeyFrame& a, const KeyFrame& b) {
    const double x =
        std::max(0.0, std::min(a.rectX + a.rectWidth / 2, b.rectX + b.rectWidth / 2) -
                          std::max(a.rectX - a.rectWidth / 2, b.rectX - b.rectWidth / 2));
    const double y =
        std::max(0.0, std::min(a.rectY + a.rectHeight / 2, b.rectY + b.rectHeight / 2) -
                          std::max(a.rectY - a.rectHeight / 2, b.rectY - b.rectHeight / 2));
    return x * y / (a.rectWidth * a.rectHeight + b.rectWidth * b.rectHeight - x * y);
}

// Feeds the run frame after frame until it stops.
TrackingStop runToTheEnd(TrackingRun* run) {
    while (trackingRunActive(run)) advanceTrackingRun(run, clip().pixels(run->nextFrame));
    return run->stop;
}

TEST(TrackingRun, FollowsAPlayerForwardToTheEndAndBackwardToAKey) {
    const Clip& c = clip();
    TrackSet set;
    TrackingRun run;
    // Forward to the clip's end, a distant player and a near one. On the distant one a
    // tenth of the box height is most of a metre on the field: the feet must come from
    // the camera's magnification, not from the tracker's own box, whose feet drift to a
    // mean of 0.19 m and a worst of 0.55 m here.
    int player = 0;
    PlayerTrack* track = nullptr;
    for (const bool tallest : {false, true}) {
        player = c.playerBySize(0, tallest);
        track = &set.tracks[player];
        addKey(track, new KeyFrame(c.truth(0, player)), NODE_OWNS_PAYLOAD, 0);
        ASSERT_EQ(startTrackingRun(&run, track, player, 0, 1, FRAMES, c.pixels(0), c.check()),
                  nullptr);
        EXPECT_EQ(runToTheEnd(&run), TRACK_END_OF_VIDEO);
        EXPECT_EQ(run.stopFrame, FRAMES - 1);
        ASSERT_EQ(int(run.path.size()), FRAMES);
        double sum = 0;
        for (int f = 1; f < FRAMES; ++f) {
            const double error = c.feetErrorMetres(f, player, run.path[f]);
            EXPECT_LT(error, 0.45) << f;
            EXPECT_GT(iou(run.path[f], c.truth(f, player)), 0.6) << f;
            sum += error;
        }
        EXPECT_LT(sum / (FRAMES - 1), 0.15) << "tallest " << tallest;
    }

    // Fewer keys than frames, tracked, the last on the last frame, the user's key kept.
    const std::vector<KeyFrame> path = run.path;
    const int added = applyTrackingRun(&run, track);
    EXPECT_GT(added, 0);
    EXPECT_LT(added, FRAMES / 2);
    EXPECT_EQ(track->keys.count, added + 1);
    EXPECT_EQ(keyFrameOf(firstKey(track))->flags, 0);
    for (KeyNode* k = nextKey(track, firstKey(track)); k != nullptr; k = nextKey(track, k))
        EXPECT_EQ(keyFrameOf(k)->flags, KEY_FLAG_TRACKED);
    EXPECT_EQ(lastKey(track)->frame, FRAMES - 1);
    EXPECT_FALSE(trackingRunActive(&run));

    // Backward from a true key on the last frame to the key on frame 0: the run stops
    // on frame 1, and an unkeyed start (frame 20, between keys) is keyed as shown.
    clearTrack(track);
    addKey(track, new KeyFrame(c.truth(0, player)), NODE_OWNS_PAYLOAD, 0);
    addKey(track, new KeyFrame(c.truth(FRAMES - 1, player)), NODE_OWNS_PAYLOAD, FRAMES - 1);
    ASSERT_EQ(startTrackingRun(&run, track, player, FRAMES - 1, -1, FRAMES, c.pixels(FRAMES - 1),
                               c.check()),
              nullptr);
    EXPECT_EQ(runToTheEnd(&run), TRACK_REACHED_KEY);
    EXPECT_EQ(run.stopFrame, 1);
    for (int i = 1; i < int(run.path.size()); ++i)
        EXPECT_LT(c.feetErrorMetres(FRAMES - 1 - i, player, run.path[i]), 0.5) << i;
    clearTrackingRun(&run);
    ASSERT_EQ(startTrackingRun(&run, track, player, 20, 1, FRAMES, c.pixels(20), c.check()),
              nullptr);
    EXPECT_FALSE(run.startKeyed);
    stopTrackingRun(&run);  // the user stops it at once: only the start is new
    EXPECT_EQ(run.stop, TRACK_BY_USER);
    EXPECT_EQ(applyTrackingRun(&run, track), 0);

    // Nothing to track between neighbouring keys, or from a frame without a position.
    addKey(track, new KeyFrame(c.truth(1, player)), NODE_OWNS_PAYLOAD, 1);
    EXPECT_NE(startTrackingRun(&run, track, player, 0, 1, FRAMES, c.pixels(0), c.check()), nullptr);
    EXPECT_NE(startTrackingRun(&run, &set.tracks[(player + 1) % PLAYER_COUNT], player, 5, 1, FRAMES,
                               c.pixels(5), c.check()),
              nullptr);
    EXPECT_FALSE(trackingRunActive(&run));
}

}  // namespace
