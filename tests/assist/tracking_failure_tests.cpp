// The failure rule: which reported boxes end a run, with and without the camera's help.
#include <gtest/gtest.h>

#include "assist/tracking_failure.h"

namespace {

constexpr int WIDTH = 640, HEIGHT = 360;

KeyFrame box(double cx, double cy, double w, double h) {
    return KeyFrame{0, cx, cy - h / 2, cx, cy, w, h};
}

// Image to field at 20 pixels a metre, the camera panning `pan` pixels a frame.
struct Camera {
    Homography records[2];
    Registration registration{records, 2};
    explicit Camera(double pan) {
        const double s = 1.0 / 20 * FIELD_UNITS_PER_METRE;
        records[0] = {{s, 0, 0, 0, s, 0, 0, 0, 1}};
        records[1] = {{s, 0, pan * s, 0, s, 0, 0, 0, 1}};
    }
};

TEST(TrackingFailure, TheRuleTable) {
    Camera still(0), panning(40);
    const FailureCheck none{nullptr, WIDTH, HEIGHT, 25.0};
    const FailureCheck fixed{&still.registration, WIDTH, HEIGHT, 25.0};
    const FailureCheck moving{&panning.registration, WIDTH, HEIGHT, 25.0};
    const KeyFrame from = box(300, 200, 20, 40);
    struct Case {
        const char* what;
        const FailureCheck& check;
        KeyFrame next;
        bool trackerOk;
        TrackingStop expected;
    } cases[] = {
        {"a small step", none, box(305, 202, 21, 41), true, TRACK_RUNNING},
        {"the tracker's loss", none, box(305, 202, 21, 41), false, TRACK_LOST},
        {"an empty box", none, box(305, 202, 0, 41), true, TRACK_LOST},
        {"half a height and more", none, box(300, 221, 20, 40), true, TRACK_JUMP},
        {"just half a height", none, box(300, 220, 20, 40), true, TRACK_RUNNING},
        {"a quarter wider", none, box(300, 200, 25.5, 40), true, TRACK_SIZE_CHANGE},
        {"a fifth smaller", none, box(300, 200, 20, 31), true, TRACK_SIZE_CHANGE},
        {"mostly outside", none, box(WIDTH + 2, 200, 20, 40), true, TRACK_LEFT_PICTURE},
        // 12 m/s at 25 frames/s is 0.48 m = 9.6 pixels here, plus a pixel at each end.
        {"a sprint", fixed, box(311, 200, 20, 40), true, TRACK_RUNNING},
        {"faster than a player", fixed, box(312, 200, 20, 40), true, TRACK_TOO_FAST},
        {"too fast unseen without records", none, box(312, 200, 20, 40), true, TRACK_RUNNING},
        // The camera pans 40 pixels: the standing player moves 40 pixels left in the
        // picture, which is neither a jump nor a run.
        {"a pan", moving, box(260, 200, 20, 40), true, TRACK_RUNNING},
        {"a pan, the box staying behind", moving, box(300, 200, 20, 40), true, TRACK_JUMP},
        {"a pan and 12 pixels more", moving, box(272, 200, 20, 40), true, TRACK_TOO_FAST},
    };
    for (const Case& c : cases)
        EXPECT_EQ(checkTrackedStep(c.check, 0, from, 1, c.next, c.trackerOk), c.expected) << c.what;
    EXPECT_STREQ(trackingStopReason(TRACK_LOST), "target lost");
    EXPECT_TRUE(isTrackingFailure(TRACK_TOO_FAST));
    EXPECT_FALSE(isTrackingFailure(TRACK_REACHED_KEY));
}

}  // namespace
