#include "video/frame_range.h"

#include "toolkit/interface_object.h"

int nextFrame(FrameRange* range, uint32_t flags) {
    if (range->currentFrame < range->lastFrame)
        range->currentFrame++;
    else
        range->currentFrame = (flags & OBJ_LOOP) ? range->firstFrame : range->lastFrame;
    return range->currentFrame;
}

int previousFrame(FrameRange* range, uint32_t flags) {
    if (range->currentFrame > range->firstFrame)
        range->currentFrame--;
    else
        range->currentFrame = (flags & OBJ_LOOP) ? range->lastFrame : range->firstFrame;
    return range->currentFrame;
}

int frameRangeLength(const FrameRange* range) {
    return range->lastFrame - range->firstFrame + 1;
}

int playStep(FrameRange* range, uint32_t flags) {
    return (flags & OBJ_BACKWARD) ? previousFrame(range, flags) : nextFrame(range, flags);
}

void rewindFrames(FrameRange* range) {
    range->currentFrame = range->firstFrame;
}

int setCurrentFrame(FrameRange* range, uint32_t flags, int frame) {
    const long long n = frameRangeLength(range);
    if (n <= 0) {
        // A range without frames (a video that reported none) has only its first.
        range->currentFrame = range->firstFrame;
    } else if (flags & OBJ_LOOP) {
        // The remainder keeps the sign of its dividend, so wrap it into 0..n-1
        // once more: a frame far below the range must not land before it.
        long long offset = (static_cast<long long>(frame) - range->firstFrame) % n;
        if (offset < 0) offset += n;
        range->currentFrame = range->firstFrame + static_cast<int>(offset);
    } else if (frame < range->firstFrame) {
        range->currentFrame = range->firstFrame;
    } else if (frame > range->lastFrame) {
        range->currentFrame = range->lastFrame;
    } else {
        range->currentFrame = frame;
    }
    return range->currentFrame;
}
