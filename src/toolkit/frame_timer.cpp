#include "toolkit/frame_timer.h"

#include <chrono>
#include <climits>
#include <cmath>

void frameTimerInit(FrameTimer* timer, float rate) {
    timer->accumulator = 0.0f;
    timer->lastTime = -1.0f;
    timer->rate = rate;
}

int frameTimerTick(FrameTimer* timer, float nowSeconds) {
    if (!std::isfinite(nowSeconds)) return 0;
    float elapsed = timer->lastTime >= 0.0f ? nowSeconds - timer->lastTime : 0.0f;
    if (elapsed < 0.0f) elapsed = 0.0f;
    timer->lastTime = nowSeconds;
    if (!(timer->rate > 0.0f)) return 0;
    float period = 1.0f / timer->rate;
    timer->accumulator += elapsed;
    if (!(timer->accumulator > period)) return 0;
    // The count of period subtractions that leaves the accumulator in (0, period],
    // computed at once: a float accumulator that has grown large (a window left
    // unchecked for days) would make a loop of subtractions slow or endless.
    double gathered = timer->accumulator;
    double periods = std::ceil(gathered / period) - 1.0;
    double rest = gathered - periods * period;
    if (rest > period) {
        rest -= period;
        periods += 1.0;
    } else if (rest <= 0.0 && periods > 1.0) {
        rest += period;
        periods -= 1.0;
    }
    timer->accumulator = static_cast<float>(rest < 0.0 ? 0.0 : rest);
    return periods >= INT_MAX ? INT_MAX : static_cast<int>(periods);
}

float toolkitClockSeconds() {
    using namespace std::chrono;
    // Readings relative to the first one keep the float seconds precise to the
    // millisecond for hours; an absolute steady-clock reading would not be.
    static const steady_clock::time_point start = steady_clock::now();
    auto ms = duration_cast<milliseconds>(steady_clock::now() - start).count();
    return static_cast<float>(ms) * 0.001f;
}
