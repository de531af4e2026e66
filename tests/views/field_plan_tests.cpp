// Where the players stand on the plan: projection through each key's own frame,
// interpolation, the dot and trail rules, labels, colours, the 3D focus points, and
// keys whose frame has no registration record.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "test_scene.h"
#include "video_view/video_overlay.h"
#include "views/field_plan.h"

namespace {

constexpr double kEps = 1e-9;

void expectPoint(PlanPoint p, double x, double y, double eps = kEps) {
    EXPECT_NEAR(p.x, x, eps);
    EXPECT_NEAR(p.y, y, eps);
}

std::vector<PlanPoint> trailOf(const TestScene& t, int player, int frame) {
    std::vector<double> raw;
    const int n = appendTrail(&t.scene, player, frame, 0.9, &raw);
    EXPECT_EQ(raw.size(), static_cast<size_t>(3 * n));
    std::vector<PlanPoint> points;
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(raw[3 * i + 2], 0.9);
        points.push_back({raw[3 * i], raw[3 * i + 1]});
    }
    return points;
}

TEST(PlanPoint, EachKeyUsesTheHomographyOfItsOwnFrame) {
    TestScene t(20);
    t.scene.videoHeight = 300;
    t.homographies[3] = shiftHomography(10, 20);
    t.homographies[7] = scaleHomography(2);
    t.key(0, 0, 50, 100);
    t.key(0, 3, 50, 100);
    t.key(0, 7, 50, 100);
    PlanPoint p;
    // Image point (50, 300 - 100 = 200): identity -> (50, 200) -> plan (50, 200).
    ASSERT_TRUE(planPoint(&t.scene, firstKey(&t.tracks[0]), &p));
    expectPoint(p, 50, 200);
    // Shift: (60, 220) -> plan (60, 180).
    KeyNode* second = nextKey(&t.tracks[0], firstKey(&t.tracks[0]));
    ASSERT_TRUE(planPoint(&t.scene, second, &p));
    expectPoint(p, 60, 180);
    // Scale 2: (100, 400) -> plan (100, 0); the current frame does not matter.
    t.at(3);
    ASSERT_TRUE(planPoint(&t.scene, lastKey(&t.tracks[0]), &p));
    expectPoint(p, 100, 0);
}

TEST(PlanPoint, AProjectiveHomographyIsDividedThrough) {
    TestScene t(1);
    t.homographies[0] = {{2, 0, 0, 0, 2, 0, 0, 0, 4}};  // W = 4: the same as a scale of 0.5
    t.key(0, 0, 100, 200);
    PlanPoint p;
    ASSERT_TRUE(planPoint(&t.scene, firstKey(&t.tracks[0]), &p));
    expectPoint(p, 50, 300);
}

TEST(PlayerDot, FollowsTheKeysAndInterpolatesOnThePlan) {
    TestScene t(20);
    t.homographies[10] = shiftHomography(200, 0);
    t.homographies[5] = shiftHomography(-50, 0);  // the current frame's: never used
    t.key(0, 0, 100, 100);
    t.key(0, 10, 100, 100);  // plan (300, 100) through its own shift
    t.key(1, 10, 40, 60);    // a single key, plan (240, 60)
    PlanPoint p;
    t.at(5);
    ASSERT_TRUE(playerDotPoint(&t.scene, 0, 5, &p));
    expectPoint(p, 200, 100);
    ASSERT_TRUE(playerDotPoint(&t.scene, 0, 2, &p));
    expectPoint(p, 140, 100);
    ASSERT_TRUE(playerDotPoint(&t.scene, 0, 10, &p));
    expectPoint(p, 300, 100);
    EXPECT_FALSE(playerDotPoint(&t.scene, 0, 11, &p)) << "after the last key";

    EXPECT_FALSE(playerDotPoint(&t.scene, 1, 9, &p)) << "before the first key";
    ASSERT_TRUE(playerDotPoint(&t.scene, 1, 10, &p));
    expectPoint(p, 240, 60);
    EXPECT_FALSE(playerDotPoint(&t.scene, 1, 11, &p));
    EXPECT_FALSE(playerDotPoint(&t.scene, 2, 10, &p)) << "no keys";
    EXPECT_FALSE(playerDotPoint(&t.scene, 22, 10, &p)) << "no such player";
    EXPECT_FALSE(playerDotPoint(&t.scene, -1, 10, &p));
}

// With affine cameras, carrying into the frame and blending in the image is blending on
// the plan: the video view's feet point, projected through the frame's record, is the
// field view's dot.
TEST(PlayerDot, IsTheVideoViewsFeetPointUnderAffineCameras) {
    TestScene t(60);
    std::mt19937 random(3);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (Homography& h : t.homographies) {
        const double zoom = 1.0 + 0.4 * unit(random);
        h = {{zoom, 0.1 * unit(random), 300 * unit(random), 0.1 * unit(random),
              zoom * (1.0 + 0.1 * unit(random)), 150 * unit(random), 0, 0, 1}};
    }
    for (int player = 0; player < PLAYER_COUNT; player += 2)
        for (int i = 0; i < 5; i++)
            t.key(player, static_cast<int>(random() % 60), 400 + 380 * unit(random),
                  200 + 190 * unit(random));
    int compared = 0;
    for (int frame = 0; frame < 60; frame++) {
        t.at(frame);
        for (int player = 0; player < PLAYER_COUNT; player += 2) {
            PlanPoint dot;
            PlainMarks marks;
            KeyNode* key = seekKey(&t.tracks[player], frame);
            if (key == nullptr || key->frame == frame ||
                !playerDotPoint(&t.scene, player, frame, &dot))
                continue;
            buildPlainMarks(&t.scene, &t.tracks[player], &marks);
            ASSERT_TRUE(marks.hasFeet);
            const double image[3] = {marks.feet.x, t.scene.videoHeight - marks.feet.y, 1.0};
            double field[3];
            projectToField(&t.homographies[frame], image, field);
            expectPoint({field[0], PLAN_HEIGHT - field[1]}, dot.x, dot.y, 1e-9 * 1000);
            compared++;
        }
    }
    EXPECT_GT(compared, 100);
}

TEST(Trail, RunsThroughEveryKeyUpToTheFrameAndOnToTheCurrentPosition) {
    TestScene t(100);
    t.key(3, 0, 10, 10);
    t.key(3, 10, 20, 10);
    t.key(3, 20, 20, 30);
    t.key(3, 40, 60, 30);

    std::vector<PlanPoint> trail = trailOf(t, 3, 30);
    ASSERT_EQ(trail.size(), 4u);
    expectPoint(trail[0], 10, 10);
    expectPoint(trail[1], 20, 10);
    expectPoint(trail[2], 20, 30);
    expectPoint(trail[3], 40, 30);  // halfway to the key at 40

    trail = trailOf(t, 3, 20);  // at a key: it ends there
    ASSERT_EQ(trail.size(), 3u);
    expectPoint(trail[2], 20, 30);

    trail = trailOf(t, 3, 50);  // after the last key: the whole trail, nothing beyond
    ASSERT_EQ(trail.size(), 4u);
    expectPoint(trail[3], 60, 30);

    EXPECT_TRUE(trailOf(t, 3, -1).empty());
    EXPECT_EQ(trailOf(t, 4, 30).size(), 0u);
}

TEST(UnregisteredKeys, AreLeftOutOfTrailsDotsAndFocusPoints) {
    TestScene t(12);  // records for frames 0..11 only
    t.key(0, 2, 10, 10);
    t.key(0, 8, 30, 10);
    t.key(0, 15, 50, 10);  // beyond the table
    t.key(0, 20, 70, 10);  // beyond the table
    t.key(0, 30, 90, 10);  // beyond the table
    PlanPoint p;

    // The trail joins the keys that have a record and stops at the last of them.
    std::vector<PlanPoint> trail = trailOf(t, 0, 25);
    ASSERT_EQ(trail.size(), 2u);
    expectPoint(trail[1], 30, 10);

    EXPECT_FALSE(playerDotPoint(&t.scene, 0, 15, &p)) << "its key has no record";
    EXPECT_FALSE(playerDotPoint(&t.scene, 0, 25, &p)) << "between two unregistered keys";
    EXPECT_FALSE(playerDotPoint(&t.scene, 0, 10, &p)) << "the next key has no record";
    EXPECT_EQ(trailOf(t, 0, 10).size(), 2u) << "no segment on to a position that does not exist";
    ASSERT_TRUE(playerDotPoint(&t.scene, 0, 5, &p));
    expectPoint(p, 20, 10);

    // Negative frames and a missing table are outside the table too.
    t.key(1, -5, 10, 10);
    EXPECT_FALSE(playerDotPoint(&t.scene, 1, -5, &p));
    t.scene.registration = nullptr;
    EXPECT_FALSE(playerDotPoint(&t.scene, 0, 5, &p));
    EXPECT_TRUE(trailOf(t, 0, 25).empty());

    // Focus points ignore them as well: only player 2, with a record, counts.
    t.scene.registration = &t.registration;
    t.key(2, 3, 600, 300);
    PlanPoint o, d;
    teamFocusPoints(&t.scene, 15, &o, &d);
    expectPoint(o, 0.5, 0.25);
    expectPoint(d, 0, 0);
}

TEST(Labels, NameThePlayerAndCentreABoxOnTheDot) {
    PlayerLabel label;
    ASSERT_TRUE(playerLabel(6, {200.7, 100.9}, &label));
    EXPECT_STREQ(label.text, "O7");
    EXPECT_EQ(label.width, 17);
    EXPECT_EQ(label.left, 200 - 11);
    EXPECT_EQ(label.y, 100);

    const struct {
        int player;
        const char* text;
        int width;
    } cases[] = {{9, "O10", 23},  {10, "O11", 23}, {11, "D1", 17}, {20, "D10", 23},
                 {21, "D11", 23}, {0, "O1", 17},   {19, "D9", 17}};
    for (const auto& c : cases) {
        ASSERT_TRUE(playerLabel(c.player, {300, 50}, &label));
        EXPECT_STREQ(label.text, c.text);
        EXPECT_EQ(label.width, c.width) << c.text;
        EXPECT_EQ(label.left, 300 - c.width / 2 - 3) << c.text;
    }
    // Truncated toward zero, not rounded down.
    ASSERT_TRUE(playerLabel(0, {-3.7, -0.5}, &label));
    EXPECT_EQ(label.left, -3 - 11);
    EXPECT_EQ(label.y, 0);
    // Wild projections neither overflow nor produce a label at a non-number.
    ASSERT_TRUE(playerLabel(0, {1e300, -1e300}, &label));
    EXPECT_GT(label.left, 0);
    EXPECT_LT(label.y, 0);
    EXPECT_FALSE(playerLabel(0, {0.0 / 0.0, 1}, &label));
}

TEST(TeamColours, DependOnSideAndSelection) {
    const struct {
        int player, selected;
        Colour colour;
        float width;
    } cases[] = {{0, -1, {0.5f, 0.5f, 0.0f}, 1},
                 {10, 10, {1.0f, 1.0f, 0.3f}, 2},
                 {11, 13, {0.5f, 0.0f, 0.5f}, 1},
                 {13, 13, {1.0f, 0.3f, 1.0f}, 2},
                 {21, 0, {0.5f, 0.0f, 0.5f}, 1}};
    for (const auto& c : cases) {
        const Colour colour = teamColour(c.player, c.selected);
        EXPECT_EQ(colour.r, c.colour.r) << c.player;
        EXPECT_EQ(colour.g, c.colour.g) << c.player;
        EXPECT_EQ(colour.b, c.colour.b) << c.player;
        EXPECT_EQ(trailWidth(c.player, c.selected), c.width) << c.player;
    }
}

TEST(ScenePoint, CentresTheFieldOnTheOrigin) {
    expectPoint(scenePoint({0, 0}), -1, -0.5);
    expectPoint(scenePoint({800, 400}), 1, 0.5);
    expectPoint(scenePoint({600, 300}), 0.5, 0.25);
}

TEST(FocusPoints, AverageEachSideOrFollowTheSelectedPlayer) {
    TestScene t(100);
    // One O-side player at (600, 300), no D-side player located.
    t.key(4, 0, 600, 300);
    expectPoint(cameraTarget(&t.scene, 10), 0.25, 0.125);

    // Two D-side players, one of them between two keys; a third whose only key is
    // after the frame does not count. A last key before the frame still counts.
    t.key(11, 0, 400, 200);
    t.key(12, 0, 0, 0);
    t.key(12, 20, 200, 0);  // at frame 10: (100, 0)
    t.key(13, 50, 800, 400);
    PlanPoint o, d;
    teamFocusPoints(&t.scene, 10, &o, &d);
    expectPoint(o, 0.5, 0.25);
    // Q(400, 200) = (0, 0), Q(100, 0) = (-0.75, -0.5): mean (-0.375, -0.25).
    expectPoint(d, -0.375, -0.25);
    expectPoint(cameraTarget(&t.scene, 10), (0.5 - 0.375) / 2, (0.25 - 0.25) / 2);

    // With a selection only that player is visited.
    t.scene.selectedPlayer = 12;
    teamFocusPoints(&t.scene, 10, &o, &d);
    expectPoint(o, 0, 0);
    expectPoint(d, -0.75, -0.5);
    expectPoint(cameraTarget(&t.scene, 10), -0.75, -0.5);
    t.scene.selectedPlayer = 4;
    expectPoint(cameraTarget(&t.scene, 10), 0.5, 0.25);
    // A selected player with no key at or before the frame looks at the centre.
    t.scene.selectedPlayer = 13;
    expectPoint(cameraTarget(&t.scene, 10), 0, 0);
}

}  // namespace

namespace {

TEST(TrailPieces, KeyPointsTailAndDigestAgreeWithTheWholeTrail) {
    TestScene t(30);
    t.key(5, 0, 10, 10);
    t.key(5, 4, 20, 10);
    t.key(5, 8, 30, 10);
    t.key(5, 40, 40, 10);  // beyond the table: left out
    t.key(5, 12, 50, 10);

    // Skipping leaves out the first key points but counts them.
    std::vector<double> points;
    EXPECT_EQ(appendKeyTrail(&t.scene, 5, 10, 1, 0.5, &points), 3);
    ASSERT_EQ(points.size(), 6u);
    EXPECT_EQ(points[0], 20);
    EXPECT_EQ(points[3], 30);

    PlanPoint from, to;
    ASSERT_TRUE(trailTail(&t.scene, 5, 10, &from, &to));
    expectPoint(from, 30, 10);
    expectPoint(to, 40, 10);
    EXPECT_FALSE(trailTail(&t.scene, 5, 8, &from, &to)) << "at a key";
    EXPECT_FALSE(trailTail(&t.scene, 5, 50, &from, &to)) << "after the last key";

    // The digest over a prefix is the digest the shorter trail had.
    const TrailDigest early = digestKeyTrail(&t.scene, 5, 5, 0);
    EXPECT_EQ(early.points, 2);
    const TrailDigest late = digestKeyTrail(&t.scene, 5, 20, early.points);
    EXPECT_EQ(late.points, 4);
    EXPECT_EQ(late.prefixDigest, early.digest);
    EXPECT_NE(late.digest, early.digest);
    EXPECT_EQ(digestKeyTrail(&t.scene, 5, 60, 0).points, 4) << "the unregistered key";
    // Moving an early key changes every later digest.
    keyFrameOf(nextKey(&t.tracks[5], firstKey(&t.tracks[5])))->feetY += 1;
    EXPECT_NE(digestKeyTrail(&t.scene, 5, 20, 2).prefixDigest, early.digest);
    EXPECT_EQ(digestKeyTrail(&t.scene, 5, 2, 0).digest,
              digestKeyTrail(&t.scene, 5, 2, 1).prefixDigest);
}

// What the field windows draw at frame, gathered plainly: each player's dot and
// trail, and the 3D camera's target.
std::vector<double> fieldContent(const TestScene& t, int frame) {
    std::vector<double> content;
    const PlanPoint target = cameraTarget(&t.scene, frame);
    content.insert(content.end(), {target.x, target.y});
    for (int player = 0; player < PLAYER_COUNT; ++player) {
        PlanPoint dot;
        if (playerDotPoint(&t.scene, player, frame, &dot))
            content.insert(content.end(), {1.0, dot.x, dot.y});
        else
            content.push_back(0.0);
        std::vector<double> trail;
        content.push_back(appendTrail(&t.scene, player, frame, 0.0, &trail));
        content.insert(content.end(), trail.begin(), trail.end());
    }
    return content;
}

// Playback skips a field window's redraw when the digest stays: between any two
// frames of random scenes, an equal digest must mean equal content; and the digest
// does change where the content does (interpolated dots, keys passed, a selection).
TEST(FieldViewsDigest, StaysOnlyWhileWhatTheFieldWindowsDrawStays) {
    std::mt19937 random(5);
    int same = 0, changed = 0;
    for (int round = 0; round < 20; ++round) {
        TestScene t(80);
        for (int keys = random() % 12; keys > 0; --keys)
            t.key(static_cast<int>(random() % PLAYER_COUNT), static_cast<int>(random() % 100),
                  random() % 300, random() % 300);
        t.scene.selectedPlayer = static_cast<int>(random() % (PLAYER_COUNT + 1)) - 1;
        for (int frame = 0; frame < 100; ++frame) {
            const int other = random() % 3 == 0 ? static_cast<int>(random() % 100) : frame + 1;
            const bool sameContent = fieldContent(t, frame) == fieldContent(t, other);
            const bool sameDigest =
                fieldViewsDigest(&t.scene, frame) == fieldViewsDigest(&t.scene, other);
            EXPECT_EQ(sameDigest, sameContent)
                << "round " << round << ", frames " << frame << " and " << other;
            (sameContent ? same : changed)++;
        }
        const uint64_t before = fieldViewsDigest(&t.scene, 50);
        t.scene.showNumbers = !t.scene.showNumbers;
        EXPECT_NE(fieldViewsDigest(&t.scene, 50), before);
    }
    EXPECT_GT(same, 100);
    EXPECT_GT(changed, 100);
}

}  // namespace
