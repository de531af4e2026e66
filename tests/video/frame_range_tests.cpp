// Stepping, wrapping and clamping of the timeline's frame range.
#include <gtest/gtest.h>

#include <climits>

#include "toolkit/interface_object.h"
#include "video/frame_range.h"

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
    EXPECT_EQ(setCurrentFrame(&r, OBJ_LOOP, 100), 0);
    EXPECT_EQ(setCurrentFrame(&r, OBJ_LOOP, -1), 99);
    EXPECT_EQ(setCurrentFrame(&r, OBJ_LOOP, 42), 42);
    EXPECT_EQ(r.currentFrame, 42);
    EXPECT_EQ(setCurrentFrame(&r, OBJ_LOOP, 250), 50);
    // Far below the range the result still lands inside it.
    EXPECT_EQ(setCurrentFrame(&r, OBJ_LOOP, -250), 50);
    EXPECT_EQ(setCurrentFrame(&r, OBJ_LOOP, -1000), 0);
    const int low = setCurrentFrame(&r, OBJ_LOOP, INT_MIN);
    EXPECT_TRUE(low >= 0 && low <= 99) << low;
    const int high = setCurrentFrame(&r, OBJ_LOOP, INT_MAX);
    EXPECT_TRUE(high >= 0 && high <= 99) << high;

    FrameRange shifted = range(10, 19, 10);
    EXPECT_EQ(setCurrentFrame(&shifted, OBJ_LOOP, 20), 10);
    EXPECT_EQ(setCurrentFrame(&shifted, OBJ_LOOP, 9), 19);
    EXPECT_EQ(setCurrentFrame(&shifted, OBJ_LOOP, -5), 15);

    // A range without frames has nothing to wrap into (and no remainder to take).
    FrameRange empty = range(0, -1, 0);
    EXPECT_EQ(setCurrentFrame(&empty, OBJ_LOOP, 5), 0);
    EXPECT_EQ(setCurrentFrame(&empty, 0, -5), 0);
}

TEST(FrameRange, SetCurrentFrameClampsWithoutLoop) {
    FrameRange r = range(0, 99, 0);
    EXPECT_EQ(setCurrentFrame(&r, 0, 100), 99);
    EXPECT_EQ(setCurrentFrame(&r, 0, -1), 0);
    EXPECT_EQ(setCurrentFrame(&r, 0, 42), 42);
    EXPECT_EQ(setCurrentFrame(&r, 0, INT_MIN), 0);
    EXPECT_EQ(setCurrentFrame(&r, 0, INT_MAX), 99);
    EXPECT_EQ(r.currentFrame, 99);
}

TEST(FrameRange, NextAndPreviousWrapWithLoopAndStopWithout) {
    FrameRange r = range(0, 99, 98);
    EXPECT_EQ(nextFrame(&r, OBJ_LOOP), 99);
    EXPECT_EQ(nextFrame(&r, OBJ_LOOP), 0);
    EXPECT_EQ(previousFrame(&r, OBJ_LOOP), 99);
    EXPECT_EQ(previousFrame(&r, OBJ_LOOP), 98);

    r.currentFrame = 99;
    EXPECT_EQ(nextFrame(&r, 0), 99);
    r.currentFrame = 0;
    EXPECT_EQ(previousFrame(&r, 0), 0);
    EXPECT_EQ(nextFrame(&r, 0), 1);
}

TEST(FrameRange, LengthPlayStepAndRewind) {
    FrameRange r = range(0, 249, 0);
    EXPECT_EQ(frameRangeLength(&r), 250);
    FrameRange one = range(7, 7, 7);
    EXPECT_EQ(frameRangeLength(&one), 1);
    EXPECT_EQ(nextFrame(&one, OBJ_LOOP), 7);
    EXPECT_EQ(previousFrame(&one, OBJ_LOOP), 7);

    r.currentFrame = 5;
    EXPECT_EQ(playStep(&r, OBJ_LOOP), 6);
    EXPECT_EQ(playStep(&r, OBJ_LOOP | OBJ_BACKWARD), 5);
    r.currentFrame = 0;
    EXPECT_EQ(playStep(&r, OBJ_LOOP | OBJ_BACKWARD), 249);
    EXPECT_EQ(playStep(&r, OBJ_BACKWARD), 248);
    r.currentFrame = 249;
    EXPECT_EQ(playStep(&r, OBJ_LOOP), 0);
    rewindFrames(&r);
    EXPECT_EQ(r.currentFrame, 0);
    FrameRange shifted = range(10, 19, 15);
    rewindFrames(&shifted);
    EXPECT_EQ(shifted.currentFrame, 10);
}

}  // namespace
