#include <gtest/gtest.h>

#include "toolkit/frame_timer.h"

namespace {

constexpr float RATE = 30.0f;
constexpr float PERIOD = 1.0f / RATE;

TEST(FrameTimer, FirstCheckGathersNothing) {
    FrameTimer timer;
    frameTimerInit(&timer, RATE);
    EXPECT_EQ(frameTimerTick(&timer, 500.0f), 0);
    EXPECT_EQ(timer.accumulator, 0.0f);
    EXPECT_EQ(timer.lastTime, 500.0f);
    // A first reading of 0 s (the toolkit clock starts there) is a real reading too.
    frameTimerInit(&timer, RATE);
    EXPECT_EQ(frameTimerTick(&timer, 0.0f), 0);
    EXPECT_EQ(frameTimerTick(&timer, 0.05f), 1);
}

TEST(FrameTimer, TicksAtTheRateWhenCheckedOften) {
    FrameTimer timer;
    frameTimerInit(&timer, RATE);
    int ticks = 0;
    int maxPerCheck = 0;
    // Two seconds of checks every 2 ms.
    for (int ms = 0; ms <= 2000; ms += 2) {
        int periods = frameTimerTick(&timer, 10.0f + ms * 0.001f);
        if (periods > 0) ++ticks;
        maxPerCheck = std::max(maxPerCheck, periods);
        ASSERT_LE(timer.accumulator, PERIOD + 1e-6f);
    }
    EXPECT_GE(ticks, 58);
    EXPECT_LE(ticks, 60);
    EXPECT_EQ(maxPerCheck, 1);
}

TEST(FrameTimer, AStallLeavesAtMostOnePeriod) {
    FrameTimer timer;
    frameTimerInit(&timer, RATE);
    frameTimerTick(&timer, 10.0f);
    frameTimerTick(&timer, 10.01f);
    int periods = frameTimerTick(&timer, 11.01f);
    EXPECT_GE(periods, 29);
    EXPECT_LE(periods, 30);
    EXPECT_GT(timer.accumulator, 0.0f);
    EXPECT_LE(timer.accumulator, PERIOD);
    // The next check soon after gathers too little for another tick.
    EXPECT_EQ(frameTimerTick(&timer, 11.012f), 0);
}

TEST(FrameTimer, AnExactMultipleKeepsOneFullPeriod) {
    FrameTimer timer;
    frameTimerInit(&timer, 4.0f);
    frameTimerTick(&timer, 1.0f);
    // 1 s at 4 ticks per second: periods come off while more than one is held.
    EXPECT_EQ(frameTimerTick(&timer, 2.0f), 3);
    EXPECT_FLOAT_EQ(timer.accumulator, 0.25f);
    EXPECT_EQ(frameTimerTick(&timer, 2.0f), 0);
}

TEST(FrameTimer, HugeGapsAndBadInputEndQuickly) {
    FrameTimer timer;
    frameTimerInit(&timer, RATE);
    frameTimerTick(&timer, 1.0f);
    // Days without a check: the count is large, the work is not.
    EXPECT_GT(frameTimerTick(&timer, 1.0e6f), 1000000);
    EXPECT_GT(timer.accumulator, 0.0f);
    EXPECT_LE(timer.accumulator, PERIOD);
    // A clock reading that goes back gathers nothing.
    EXPECT_EQ(frameTimerTick(&timer, 5.0f), 0);
    EXPECT_LE(timer.accumulator, PERIOD);

    FrameTimer stopped;
    frameTimerInit(&stopped, 0.0f);
    frameTimerTick(&stopped, 1.0f);
    EXPECT_EQ(frameTimerTick(&stopped, 100.0f), 0);
    FrameTimer negative;
    frameTimerInit(&negative, -30.0f);
    frameTimerTick(&negative, 1.0f);
    EXPECT_EQ(frameTimerTick(&negative, 100.0f), 0);
}

TEST(FrameTimer, ToolkitClockStartsAtZeroAndAdvances) {
    float first = toolkitClockSeconds();
    EXPECT_GE(first, 0.0f);
    EXPECT_LT(first, 1.0f);
    float later = first;
    while (later == first) later = toolkitClockSeconds();
    EXPECT_GT(later, first);
    EXPECT_LT(later - first, 0.5f);
}

}  // namespace
