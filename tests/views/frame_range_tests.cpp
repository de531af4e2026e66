// Stepping, wrapping and clamping of the timeline's frame range.
#include <gtest/gtest.h>

#include <climits>

#include "views/frame_range.h"

namespace {

FrameRange range(int first, int last, int current) {
    FrameRange r;
    r.firstFrame = first;
    r.lastFrame = last;
    r.currentFrame = current;
    return r;
}

TEST(FrameRange, SetCurrentFrameWrapsWithLoop) {
    FrameRange r = range(0, 99, 0);
    EXPECT_EQ(setCurrentFrame(&r, true, 100), 0);
    EXPECT_EQ(setCurrentFrame(&r, true, -1), 99);
    EXPECT_EQ(setCurrentFrame(&r, true, 42), 42);
    EXPECT_EQ(r.currentFrame, 42);
    EXPECT_EQ(setCurrentFrame(&r, true, 250), 50);
    // Far below the range the result still lands inside it.
    EXPECT_EQ(setCurrentFrame(&r, true, -250), 50);
    EXPECT_EQ(setCurrentFrame(&r, true, -1000), 0);
    const int low = setCurrentFrame(&r, true, INT_MIN);
    EXPECT_TRUE(low >= 0 && low <= 99) << low;
    const int high = setCurrentFrame(&r, true, INT_MAX);
    EXPECT_TRUE(high >= 0 && high <= 99) << high;

    FrameRange shifted = range(10, 19, 10);
    EXPECT_EQ(setCurrentFrame(&shifted, true, 20), 10);
    EXPECT_EQ(setCurrentFrame(&shifted, true, 9), 19);
    EXPECT_EQ(setCurrentFrame(&shifted, true, -5), 15);

    // A range without frames has nothing to wrap into (and no remainder to take).
    FrameRange empty = range(0, -1, 0);
    EXPECT_EQ(setCurrentFrame(&empty, true, 5), 0);
    EXPECT_EQ(setCurrentFrame(&empty, false, -5), 0);
}

TEST(FrameRange, SetCurrentFrameClampsWithoutLoop) {
    FrameRange r = range(0, 99, 0);
    EXPECT_EQ(setCurrentFrame(&r, false, 100), 99);
    EXPECT_EQ(setCurrentFrame(&r, false, -1), 0);
    EXPECT_EQ(setCurrentFrame(&r, false, 42), 42);
    EXPECT_EQ(setCurrentFrame(&r, false, INT_MIN), 0);
    EXPECT_EQ(setCurrentFrame(&r, false, INT_MAX), 99);
    EXPECT_EQ(r.currentFrame, 99);
}

TEST(FrameRange, NextAndPreviousWrapWithLoopAndStopWithout) {
    FrameRange r = range(0, 99, 98);
    EXPECT_EQ(nextFrame(&r, true), 99);
    EXPECT_EQ(nextFrame(&r, true), 0);
    EXPECT_EQ(previousFrame(&r, true), 99);
    EXPECT_EQ(previousFrame(&r, true), 98);

    r.currentFrame = 99;
    EXPECT_EQ(nextFrame(&r, false), 99);
    r.currentFrame = 0;
    EXPECT_EQ(previousFrame(&r, false), 0);
    EXPECT_EQ(nextFrame(&r, false), 1);
}

TEST(FrameRange, LengthPlayStepAndRewind) {
    FrameRange r = range(0, 249, 0);
    EXPECT_EQ(frameRangeLength(&r), 250);
    FrameRange one = range(7, 7, 7);
    EXPECT_EQ(frameRangeLength(&one), 1);
    EXPECT_EQ(nextFrame(&one, true), 7);
    EXPECT_EQ(previousFrame(&one, true), 7);

    r.currentFrame = 5;
    EXPECT_EQ(playStep(&r, true, false), 6);
    EXPECT_EQ(playStep(&r, true, true), 5);
    r.currentFrame = 0;
    EXPECT_EQ(playStep(&r, true, true), 249);
    EXPECT_EQ(playStep(&r, false, true), 248);
    r.currentFrame = 249;
    EXPECT_EQ(playStep(&r, true, false), 0);
    rewindFrames(&r);
    EXPECT_EQ(r.currentFrame, 0);
    FrameRange shifted = range(10, 19, 15);
    rewindFrames(&shifted);
    EXPECT_EQ(shifted.currentFrame, 10);
}

}  // namespace
