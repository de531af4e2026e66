// FrameRange: the timeline's frame-position state and its stepping rules. The
// timeline's flags decide wrapping (loop) and direction (backward).
#pragma once

struct FrameRange {
    int firstFrame = 0;    // first frame of the range
    int lastFrame = 0;     // last frame of the range, >= firstFrame
    int currentFrame = 0;  // the frame every view shows
};

// One step forward; past lastFrame wraps to firstFrame when loop, else stays.
int nextFrame(FrameRange* range, bool loop);
// One step back; before firstFrame wraps to lastFrame when loop, else stays.
int previousFrame(FrameRange* range, bool loop);
int frameRangeLength(const FrameRange* range);  // lastFrame - firstFrame + 1
// previousFrame when backward, else nextFrame.
int playStep(FrameRange* range, bool loop, bool backward);
void rewindFrames(FrameRange* range);  // currentFrame = firstFrame
// Wraps frame into the range when loop, clamps it otherwise; stores and returns it.
int setCurrentFrame(FrameRange* range, bool loop, int frame);
