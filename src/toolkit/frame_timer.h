// FrameTimer: paces a window's idle work at a fixed number of ticks per second.
// The tick logic takes the clock reading as an argument, so it runs without GL.
#pragma once

struct FrameTimer {
    float accumulator = 0.0f;  // seconds gathered since the last tick
    float lastTime = -1.0f;    // clock reading at the previous check, seconds; -1: none yet
    float rate = 0.0f;         // ticks per second
};

// Resets the timer: nothing gathered, no previous check, `rate` ticks per second.
void frameTimerInit(FrameTimer* timer, float rate);
// One check at clock reading `nowSeconds`: adds the time since the previous check
// (nothing at the first one) to the accumulator, then takes periods (1 / rate) off
// it while it exceeds one period. Returns the number of periods taken (0: no tick;
// always 0 when the rate is not positive); at most one period stays gathered.
int frameTimerTick(FrameTimer* timer, float nowSeconds);
// The toolkit's wall clock: seconds since its first reading, in whole milliseconds.
float toolkitClockSeconds();
