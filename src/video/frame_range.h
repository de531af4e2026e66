// FrameRange: the timeline's frame-position state and its stepping rules.
// The owner's flags word decides wrapping (OBJ_LOOP) and direction (OBJ_BACKWARD).
#pragma once

#include <cstdint>

struct FrameRange {
    int firstFrame = 0;    // first frame of the range
    int lastFrame = 0;     // last frame of the range, >= firstFrame
    int currentFrame = 0;  // the frame every view shows
};

// One step forward; past lastFrame wraps to firstFrame with OBJ_LOOP, else stays.
int nextFrame(FrameRange* range, uint32_t flags);
// One step back; before firstFrame wraps to lastFrame with OBJ_LOOP, else stays.
int previousFrame(FrameRange* range, uint32_t flags);
int frameRangeLength(const FrameRange* range);    // lastFrame - firstFrame + 1
int playStep(FrameRange* range, uint32_t flags);  // previousFrame with OBJ_BACKWARD, else next
void rewindFrames(FrameRange* range);             // currentFrame = firstFrame
// Wraps frame into the range with OBJ_LOOP, clamps it without; stores and returns it.
int setCurrentFrame(FrameRange* range, uint32_t flags, int frame);
