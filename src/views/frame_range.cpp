#include "views/frame_range.h"

int nextFrame(FrameRange* range, bool loop) {
    if (range->currentFrame < range->lastFrame)
        range->currentFrame++;
    else
        range->currentFrame = loop ? range->firstFrame : range->lastFrame;
    return range->currentFrame;
}

int previousFrame(FrameRange* range, bool loop) {
    if (range->currentFrame > range->firstFrame)
        range->currentFrame--;
    else
        range->currentFrame = loop ? range->lastFrame : range->firstFrame;
    return range->currentFrame;
}

int frameRangeLength(const FrameRange* range) {
    return range->lastFrame - range->firstFrame + 1;
}

int playStep(FrameRange* range, bool loop, bool backward) {
    return backward ? previousFrame(range, loop) : nextFrame(range, loop);
}

void rewindFrames(FrameRange* range) {
    range->currentFrame = range->firstFrame;
}

int setCurrentFrame(FrameRange* range, bool loop, int frame) {
    const long long n = frameRangeLength(range);
    if (n <= 0) {
        // A range without frames (a video that reported none) has only its first.
        range->currentFrame = range->firstFrame;
    } else if (loop) {
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
