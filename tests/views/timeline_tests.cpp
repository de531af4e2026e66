// Timeline arithmetic: tick spacing, columns and where the current frame's number goes.
#include <gtest/gtest.h>

#include "views/timeline.h"

namespace {

TEST(TimelineArithmetic, TickStepIsAMultipleOfFiveAtLeastFortyPixelsApart) {
    EXPECT_EQ(timelineTickStep(300, 640), 20);  // 18 rounded up
    EXPECT_EQ(timelineTickStep(400, 640), 25);  // already a multiple of 5
    EXPECT_EQ(timelineTickStep(160, 640), 10);
    EXPECT_EQ(timelineTickStep(135000, 640), 8440);
    // count * 40 < w would give 0, which never ends the tick loop.
    EXPECT_EQ(timelineTickStep(10, 640), 5);
    EXPECT_EQ(timelineTickStep(1, 640), 5);
    EXPECT_EQ(timelineTickStep(300, 0), 5);
    // No overflow for long ranges.
    EXPECT_EQ(timelineTickStep(2000000000, 1000), 80000000);
}

TEST(TimelineArithmetic, ColumnsAndCurrentFrameNumber) {
    EXPECT_EQ(timelineColumn(0, 300, 640), 0);
    EXPECT_EQ(timelineColumn(20, 300, 640), 42);
    EXPECT_EQ(timelineColumn(280, 300, 640), 597);
    EXPECT_EQ(timelineColumn(1999999999, 2000000000, 1000), 999);
    // Two pixels right of the frame's column...
    EXPECT_EQ(currentFrameTextX(100, 300, 640, 24), 213 + 2);
    // ...unless it would reach the right edge: then it ends two pixels before it.
    EXPECT_EQ(currentFrameTextX(299, 300, 640, 24), 640 - 24 - 2);
    EXPECT_EQ(currentFrameTextX(289, 300, 640, 24), 640 - 24 - 2);  // 618 + 24 = 642
    EXPECT_EQ(currentFrameTextX(280, 300, 640, 24), 599);           // 599 + 24 < 640
}

TEST(TimelineConstruction, KeepsAtLeastOneFrame) {
    static Timeline timeline;
    EXPECT_EQ(createTimeline(&timeline, 2, 41, 640, 28, "timeline", 0, 0, 299), 1);
    EXPECT_EQ(timeline.frames.firstFrame, 0);
    EXPECT_EQ(timeline.frames.lastFrame, 299);
    EXPECT_EQ(timeline.frames.currentFrame, 0);
    EXPECT_TRUE(flagsSet(&timeline, OBJ_LOOP));
    EXPECT_EQ(timeline.selection.count, 0);
    EXPECT_EQ(timeline.backgroundList + timeline.scaleList + timeline.frameList, 0);

    static Timeline empty;
    EXPECT_EQ(createTimeline(&empty, 0, 0, 640, 28, "timeline", 0, 5, 4), 0);
    EXPECT_EQ(empty.frames.firstFrame, 5);
    EXPECT_EQ(empty.frames.lastFrame, 5);
    EXPECT_EQ(frameRangeLength(&empty.frames), 1);
}

}  // namespace
