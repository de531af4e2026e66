// The timeline drawn in a real window and read back: ticks, played part, the
// current-frame line and number, the key marks of the selected tracks, and the
// one-time report of the scale's height.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "gl_pixels.h"
#include "test_scene.h"
#include "views/timeline.h"
#include "widgets/bitmap_font.h"

namespace {

constexpr int kWidth = 640, kWindowHeight = 60;
constexpr int kY = 10, kHeight = 28;  // the strip's rows: kY .. kY + 27
const Rgb kFace = {212, 208, 202};    // (0.831, 0.815, 0.792)
const Rgb kPlayed = {230, 179, 179};  // (0.9, 0.7, 0.7)
const Rgb kTick = {26, 26, 26};       // (0.1, 0.1, 0.1)
const Rgb kRed = {255, 26, 26};       // (1, 0.1, 0.1)
const Rgb kKey = {26, 26, 255};       // (0.1, 0.1, 1)
const Rgb kWhite = {255, 255, 255};

Timeline timeline;
std::string scaleReport;

class TimelineGlTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        openTestWindow(kWidth, kWindowHeight, "timeline tests");
        initFonts();
        createTimeline(&timeline, 0, kY, kWidth, kHeight, "timeline", 0, 0, 299);
        testing::internal::CaptureStdout();
        initTimeline(&timeline);
        initTimeline(&timeline);
        SetUpWindow();
        displayTimeline(&timeline);
        scaleReport = testing::internal::GetCapturedStdout();
    }
    static void SetUpWindow() { beginTestFrame(kWidth, kWindowHeight, 0.0f, 0.0f, 0.0f); }
    void SetUp() override { SetUpWindow(); }
    void TearDown() override {
        listClear(&timeline.selection);
        timeline.frames.currentFrame = 0;
    }
    static Region draw(int current) {
        timeline.frames.currentFrame = current;
        displayTimeline(&timeline);
        return Region(0, kY, kWidth, kHeight);
    }
};

int tickHeight() {
    return static_cast<int>(textHeight("0", defaultFont)) + 4;
}

TEST_F(TimelineGlTest, ReportsTheScaleHeightOnceWhenRecorded) {
    char expected[32];
    std::snprintf(expected, sizeof expected, "y: %g\n", textHeight("0", defaultFont) + 4.0);
    EXPECT_EQ(scaleReport, expected);
    EXPECT_TRUE(flagsSet(&timeline, OBJ_INITIALIZED));
    EXPECT_GT(timeline.scaleList, 0);
    EXPECT_EQ(timeline.scaleList, timeline.backgroundList + 1);
    EXPECT_EQ(timeline.frameList, timeline.backgroundList + 2);
    testing::internal::CaptureStdout();
    draw(5);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(TimelineGlTest, TicksEveryTwentyFramesOverThePlayedPart) {
    const Region r = draw(299);
    const int th = tickHeight();
    ASSERT_GT(th, 6);
    const int row = kY + th / 2;
    // Tick i at column 640 * i / 300, rounded down; every 20 frames.
    for (int column :
         {42, 85, 128 - 1, 170, 213, 256 - 1, 298, 341, 384 - 1, 426, 469, 512 - 1, 554, 597}) {
        bool tick = false;
        for (int c = column; c <= column + 1; ++c) tick = tick || nearColour(r.at(c, row), kTick);
        EXPECT_TRUE(tick) << column;
    }
    // Between the ticks the played part shows, and no tick at frame 10.
    for (int column : {21, 60, 100, 300, 500, 580})
        EXPECT_TRUE(nearColour(r.at(column, row), kPlayed)) << column;
    // Ticks rise from the bottom to th - 1, below the numbers.
    EXPECT_TRUE(nearColour(r.at(42, kY + th - 2), kTick));
    EXPECT_FALSE(nearColour(r.at(42, kY + th + 1), kTick));
    // The number of tick 20 stands to the right of its tick, at column 44.
    const Region label(44, kY + th, 30, kHeight - th - 1);
    EXPECT_GT(label.count(kTick), 5);
}

TEST_F(TimelineGlTest, PlayedPartAndCurrentFrameLine) {
    const Region r = draw(110);  // 640 * 110 / 300 = 234.67: column 234
    const int row = kY + kHeight - 3;
    // Columns between the tick numbers.
    EXPECT_TRUE(nearColour(r.at(75, row), kPlayed)) << r.at(75, row).r;
    EXPECT_TRUE(nearColour(r.at(233, row), kPlayed));
    EXPECT_TRUE(nearColour(r.at(234, row), kRed));
    EXPECT_TRUE(nearColour(r.at(236, row), kFace));
    EXPECT_TRUE(nearColour(r.at(420, row), kFace));
    // The current frame's number in red, two pixels right of the line.
    const Region number(236, kY + 1, 40, 12);
    EXPECT_GT(number.count(kRed), 5);
    EXPECT_EQ(Region(0, kY + 1, 233, 12).count(kRed), 0);
}

TEST_F(TimelineGlTest, AtTheLastFrameTheNumberMovesLeftOfTheRightEdge) {
    const Region r = draw(299);  // line at 640 * 299 / 300 = 637.87
    EXPECT_TRUE(nearColour(r.at(637, kY + kHeight - 3), kRed));
    EXPECT_TRUE(nearColour(r.at(636, kY + kHeight - 3), kPlayed));
    const int tw = static_cast<int>(textWidth("299", defaultFont));
    const Region number(640 - tw - 2, kY + 1, tw - 2, 12);
    EXPECT_GT(number.count(kRed), 5) << "ends two pixels before the edge";
    EXPECT_EQ(Region(0, kY + 1, 640 - tw - 3, 12).count(kRed), 0);
}

TEST_F(TimelineGlTest, KeyMarksOfTheSelectedTracks) {
    TestScene t(1);
    t.key(5, 61, 0, 0);   // column 130
    t.key(5, 110, 0, 0);  // column 234, the current frame
    t.key(7, 200, 0, 0);  // column 426: a tick column, covered by the mark
    Region none = draw(110);
    EXPECT_TRUE(nearColour(none.at(130, kY + kHeight - 3), kPlayed)) << "no selection, no mark";

    selectTrack(&timeline.selection, &t.tracks[5]);
    selectTrack(&timeline.selection, &t.tracks[7]);
    SetUpWindow();
    const Region r = draw(110);
    for (int row : {kY + 1, kY + 5, kY + kHeight - 3}) {
        EXPECT_TRUE(nearColour(r.at(130, row), kKey)) << row;
        EXPECT_TRUE(nearColour(r.at(234, row), kWhite)) << "over the red line, row " << row;
        EXPECT_TRUE(nearColour(r.at(426, row), kKey)) << row;
    }
    EXPECT_TRUE(nearColour(r.at(131, kY + kHeight - 3), kPlayed));

    SetUpWindow();
    const Region moved = draw(111);
    EXPECT_TRUE(nearColour(moved.at(234, kY + kHeight - 3), kKey));
    EXPECT_TRUE(nearColour(moved.at(236, kY + kHeight - 3), kRed));
    deselectTrack(&timeline.selection, &t.tracks[5]);
    deselectTrack(&timeline.selection, &t.tracks[7]);
}

}  // namespace
