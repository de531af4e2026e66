// PlaybackClock: which frame is due while the video plays, by the video's own clock
// rather than by the 30 ticks per second of the window timers, so that a 25 or a 50
// frames per second video plays in real time. No GL: the clock reading comes in.
#pragma once

#include "video/video_source.h"

struct PlaybackClock {
    bool running = false;            // anchored: the video time below was on show at startSeconds
    double startSeconds = 0.0;       // wall clock at the anchor, seconds
    double startVideoSeconds = 0.0;  // video time of the frame on show then
    int frame = -1;                  // the frame playback showed last
};

// The frame due at wall clock nowSeconds while playing from currentFrame: the clock is
// anchored at currentFrame first when it is not running or something else (a step, a
// seek, the timeline) has moved the frame since playback showed its last one. May be
// source->nFrames once the last frame's time is over.
int dueFrame(PlaybackClock* clock, const VideoSource* source, int currentFrame, double nowSeconds);
// Playback paused or held: the next dueFrame anchors again.
void stopClock(PlaybackClock* clock);
// Playback showed `frame`.
void clockShowed(PlaybackClock* clock, int frame);
// The wall clock the playback uses: seconds from an arbitrary start, steady.
double playbackClockSeconds();
