// The geometry of the video overlays: carrying key points between frames, the
// trajectory, the plain marks and the labels, including frames that cannot be carried.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "../tracking/scene_fixture.h"
#include "temp_folder.h"
#include "tracking/tracking_file.h"
#include "video_view/video_overlay.h"

namespace {

void expectPoint(VideoPoint p, double x, double y) {
    EXPECT_NEAR(p.x, x, 1e-9);
    EXPECT_NEAR(p.y, y, 1e-9);
}

void expectRect(const VideoRect& r, double cx, double cy, double hw, double hh) {
    EXPECT_NEAR(r.cx, cx, 1e-9);
    EXPECT_NEAR(r.cy, cy, 1e-9);
    EXPECT_DOUBLE_EQ(r.halfWidth, hw);
    EXPECT_DOUBLE_EQ(r.halfHeight, hh);
}

TEST(VideoOverlay, CarryPointThroughHomographies) {
    SceneFixture s(3, 320, 240);
    s.homographies[1] = shiftHomography(5, 7);
    VideoPoint out;
    ASSERT_TRUE(carryPoint(&s.scene, 0, 2, {30, 40}, &out));
    expectPoint(out, 30, 40);
    // Image y runs downward: +7 in the image is -7 in video pixels.
    ASSERT_TRUE(carryPoint(&s.scene, 1, 0, {30, 40}, &out));
    expectPoint(out, 35, 33);
    ASSERT_TRUE(carryPoint(&s.scene, 0, 1, {30, 40}, &out));
    expectPoint(out, 25, 47);

    // No record for frame 3, or a target that cannot be inverted: out stays untouched.
    s.homographies[2] = Homography();
    const VideoPoint untouched = {-1, -1};
    for (auto [from, to] : {std::pair{0, 3}, std::pair{3, 0}, std::pair{0, 2}}) {
        out = untouched;
        EXPECT_FALSE(carryPoint(&s.scene, from, to, {30, 40}, &out)) << from << "->" << to;
        expectPoint(out, -1, -1);
    }
    // A singular source sends the point to infinity: not a point either.
    EXPECT_FALSE(carryPoint(&s.scene, 2, 0, {30, 40}, &out));
    // On its own frame a point needs no record at all.
    ASSERT_TRUE(carryPoint(&s.scene, 9, 9, {30, 40}, &out));
    expectPoint(out, 30, 40);
}

// Keys at 10, 20 and 30 of player 4; feet and rectangle centres apart so that a
// swapped coordinate shows.
void keysAt10_20_30(SceneFixture& s) {
    s.key(4, 10, 100, 50, 100, 90, 20, 60);
    s.key(4, 20, 150, 80, 150, 120, 30, 70);
    s.key(4, 30, 200, 60, 200, 100, 40, 80);
}

TEST(VideoOverlay, TrajectoryCarriesKeysIntoTheCurrentFrame) {
    SceneFixture s(40);
    s.shiftEveryFrame();
    keysAt10_20_30(s);
    Trajectory t;

    // Frame 25: keys carried by (2 (k - 25), -(k - 25)); the tail goes halfway to key 30.
    s.at(25);
    buildTrajectory(&s.scene, &s.tracks[4], &t);
    ASSERT_EQ(t.steps.size(), 2u);
    EXPECT_FALSE(t.steps[0].hasLine);
    expectPoint(t.steps[0].point, 70, 65);
    ASSERT_TRUE(t.steps[1].hasLine && t.steps[1].hasPoint);
    expectPoint(t.steps[1].lineFrom, 70, 65);
    expectPoint(t.steps[1].lineTo, 140, 85);
    EXPECT_FALSE(t.steps[0].hasRect || t.steps[1].hasRect);
    ASSERT_TRUE(t.hasTail && t.hasRect);
    expectPoint(t.tailFrom, 140, 85);
    expectPoint(t.tailTo, 175, 70);
    expectRect(t.rect, 175, 110, 17.5, 37.5);

    // Frame 22, weight 0.8 of key 20: carried (146, 82) and (216, 52) for the feet,
    // (146, 122) and (216, 92) for the centres.
    s.at(22);
    buildTrajectory(&s.scene, &s.tracks[4], &t);
    ASSERT_TRUE(t.hasTail && t.hasRect);
    expectPoint(t.tailTo, 160, 76);
    expectRect(t.rect, 160, 116, 16, 36);

    // Frame 35: three points, two lines, no rectangle.
    s.at(35);
    buildTrajectory(&s.scene, &s.tracks[4], &t);
    ASSERT_EQ(t.steps.size(), 3u);
    expectPoint(t.steps[2].lineFrom, 120, 95);
    expectPoint(t.steps[2].point, 190, 65);
    EXPECT_FALSE(t.hasTail || t.hasRect || t.steps[2].hasRect);

    // On a key's own frame: its stored rectangle, no tail.
    s.at(20);
    buildTrajectory(&s.scene, &s.tracks[4], &t);
    ASSERT_EQ(t.steps.size(), 2u);
    ASSERT_TRUE(t.steps[1].hasRect);
    expectRect(t.steps[1].rect, 150, 120, 15, 35);
    expectPoint(t.steps[1].point, 150, 80);
    EXPECT_FALSE(t.hasTail);
}

TEST(VideoOverlay, WhatCannotBeCarriedIsShownAsStored) {
    SceneFixture s(26);
    s.shiftEveryFrame();
    keysAt10_20_30(s);
    Trajectory t;
    PlainMarks m;

    // Key 30 has no record: the tail and the rectangle blend the stored values, and
    // the tail starts at key 20 as stored; the keys before are carried.
    s.at(25);
    buildTrajectory(&s.scene, &s.tracks[4], &t);
    ASSERT_EQ(t.steps.size(), 2u);
    expectPoint(t.steps[1].point, 140, 85);
    ASSERT_TRUE(t.hasTail && t.hasRect);
    expectPoint(t.tailFrom, 150, 80);
    expectPoint(t.tailTo, 175, 70);
    expectRect(t.rect, 175, 110, 17.5, 37.5);
    buildPlainMarks(&s.scene, &s.tracks[4], &m);
    ASSERT_TRUE(m.hasRect && m.hasFeet);
    expectRect(m.rect, 175, 110, 17.5, 37.5);
    expectPoint(m.feet, 175, 70);

    // The current frame has no record: every key point as stored.
    s.at(27);
    buildTrajectory(&s.scene, &s.tracks[4], &t);
    ASSERT_EQ(t.steps.size(), 2u);
    expectPoint(t.steps[0].point, 100, 50);
    expectPoint(t.steps[1].lineFrom, 100, 50);
    expectPoint(t.steps[1].point, 150, 80);

    // A singular homography at key 20's frame: that key as stored, the others carried...
    SceneFixture z(40);
    z.shiftEveryFrame();
    keysAt10_20_30(z);
    z.homographies[20] = Homography();
    z.at(35);
    buildTrajectory(&z.scene, &z.tracks[4], &t);
    ASSERT_EQ(t.steps.size(), 3u);
    expectPoint(t.steps[0].point, 50, 75);
    expectPoint(t.steps[1].point, 150, 80);
    expectPoint(t.steps[2].point, 190, 65);
    // ...and as the current frame nothing can be carried into it.
    z.at(20);
    buildTrajectory(&z.scene, &z.tracks[4], &t);
    expectPoint(t.steps[0].point, 100, 50);
    ASSERT_TRUE(t.steps[1].hasRect && t.hasRect);
    expectRect(t.rect, 150, 120, 15, 35);
}

TEST(VideoOverlay, PlainMarks) {
    SceneFixture s(21);
    s.shiftEveryFrame();
    s.homographies[20] = shiftHomography(0, 0);
    keysAt10_20_30(s);
    PlainMarks m;

    s.at(5);
    buildPlainMarks(&s.scene, &s.tracks[4], &m);
    EXPECT_FALSE(m.hasRect || m.hasFeet);

    // After the last key: as stored, although frame 45 has no record.
    s.at(45);
    buildPlainMarks(&s.scene, &s.tracks[4], &m);
    ASSERT_TRUE(m.hasRect && m.hasFeet);
    expectRect(m.rect, 200, 100, 20, 40);
    expectPoint(m.feet, 200, 60);

    // Frame 11, weight 0.9: key 10 carried by (-2, +1) and key 20 by (-22, +11), the
    // feet point as well as the rectangle's centre.
    s.at(11);
    buildPlainMarks(&s.scene, &s.tracks[4], &m);
    ASSERT_TRUE(m.hasRect && m.hasFeet);
    expectRect(m.rect, 101, 95, 10.5, 30.5);
    expectPoint(m.feet, 101, 55);
}

// On random keys and a camera that moves with perspective (a few records missing or
// singular), every interpolated line of the saved file is what the video view draws,
// in both drawings, to the file's six significant digits.
TEST(VideoOverlay, TheFileSaysWhatTheViewDraws) {
    constexpr int FRAMES = 80, HEIGHT = 720;
    SceneFixture s(FRAMES - 4, 1280, HEIGHT);
    randomCamera(&s.homographies, 7);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    s.homographies[33] = Homography();
    for (int player = 0; player < PLAYER_COUNT; player += 3)
        for (int i = 0; i < 6; i++)
            s.key(player, static_cast<int>(random() % FRAMES), 640 + 600 * unit(random),
                  360 + 340 * unit(random), 640 + 600 * unit(random), 360 + 340 * unit(random),
                  40 + 30 * unit(random), 90 + 60 * unit(random));
    TempFolder folder;
    testing::internal::CaptureStdout();
    ASSERT_EQ(saveTracking(folder.file("t.txt").c_str(), s.tracks, FRAMES, HEIGHT, &s.registration),
              1);
    testing::internal::GetCapturedStdout();

    auto text = [](double value) {
        char out[32];
        return std::string(out, formatReal(out, value));
    };
    std::istringstream file(readFile(folder.file("t.txt")));
    std::string line;
    int frame = -1, lines = 0;
    while (std::getline(file, line)) {
        if (line.rfind("nPlayers", 0) == 0) frame++;
        std::istringstream fields(line);
        int player;
        std::string feetX, feetY, rectX, rectY, width, height;
        int flags = 0;
        if (!(fields >> player >> feetX >> feetY >> rectX >> rectY >> width >> height >> flags) ||
            flags != KEY_FLAG_INTERPOLATED)
            continue;
        s.at(frame);
        PlainMarks m;
        Trajectory t;
        buildPlainMarks(&s.scene, &s.tracks[player], &m);
        buildTrajectory(&s.scene, &s.tracks[player], &t);
        ASSERT_TRUE(m.hasRect && m.hasFeet && t.hasRect && t.hasTail);
        const std::vector<std::string> shown = {
            text(m.feet.x),           text(HEIGHT - m.feet.y),    text(m.rect.cx),
            text(HEIGHT - m.rect.cy), text(2 * m.rect.halfWidth), text(2 * m.rect.halfHeight)};
        EXPECT_EQ(shown, (std::vector<std::string>{feetX, feetY, rectX, rectY, width, height}))
            << "frame " << frame << " player " << player;
        EXPECT_EQ(t.tailTo.x, m.feet.x);
        EXPECT_EQ(t.tailTo.y, m.feet.y);
        EXPECT_EQ(t.rect.cx, m.rect.cx);
        EXPECT_EQ(t.rect.cy, m.rect.cy);
        lines++;
    }
    EXPECT_GT(lines, 200);
}

TEST(VideoOverlay, LabelsFromFirstToLastKey) {
    SceneFixture s(40);
    s.key(13, 30, 0, 0, 120, 90, 10, 10);
    VideoLabel label;
    s.at(30);
    ASSERT_TRUE(videoLabel(&s.scene, 13, &label));
    EXPECT_STREQ(label.text, "D3");
    EXPECT_FALSE(label.oSide);
    EXPECT_EQ(label.width, 17);
    EXPECT_DOUBLE_EQ(label.x0, 120 - 11.5);
    EXPECT_DOUBLE_EQ(label.x0 + label.width, 120 + 5.5);
    EXPECT_DOUBLE_EQ(label.y0, 86);
    for (int frame : {29, 31}) {
        s.at(frame);
        EXPECT_FALSE(videoLabel(&s.scene, 13, &label)) << frame;
    }

    // Between two keys: at the carried, blended rectangle centre.
    s.shiftEveryFrame();
    s.key(9, 10, 0, 0, 100, 90, 10, 10);
    s.key(10, 10, 0, 0, 100, 90, 10, 10);
    s.key(10, 20, 0, 0, 150, 120, 10, 10);
    s.at(15);
    ASSERT_TRUE(videoLabel(&s.scene, 10, &label));
    EXPECT_STREQ(label.text, "O11");
    EXPECT_TRUE(label.oSide);
    EXPECT_EQ(label.width, 23);
    // Centres carried to (90, 95) and (160, 115), blended to (125, 105).
    EXPECT_DOUBLE_EQ(label.x0, 125 - 14.5);
    EXPECT_DOUBLE_EQ(label.y0, 101);
    // O10's only key lies before frame 15.
    EXPECT_FALSE(videoLabel(&s.scene, 9, &label));
    s.at(10);
    ASSERT_TRUE(videoLabel(&s.scene, 9, &label));
    EXPECT_STREQ(label.text, "O10");
    EXPECT_EQ(label.width, 23);
}

}  // namespace
