#include "app/playback_clock.h"

#include <chrono>

int dueFrame(PlaybackClock* clock, const VideoSource* source, int currentFrame, double nowSeconds) {
    if (!clock->running || clock->frame != currentFrame) {
        clock->running = true;
        clock->startSeconds = nowSeconds;
        clock->startVideoSeconds = videoFrameTime(source, currentFrame);
        clock->frame = currentFrame;
    }
    const double elapsed = nowSeconds - clock->startSeconds;
    // A clock that went back (it should not) shows the anchor frame again.
    if (!(elapsed > 0.0)) return currentFrame;
    return videoFrameAt(source, clock->startVideoSeconds + elapsed);
}

void stopClock(PlaybackClock* clock) {
    clock->running = false;
}

void clockShowed(PlaybackClock* clock, int frame) {
    clock->frame = frame;
}

double playbackClockSeconds() {
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}
