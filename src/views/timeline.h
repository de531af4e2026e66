// Timeline: the strip below the video that owns the frame range, marks the selected
// tracks' keys and shows the current frame over a scale of frame numbers.
#pragma once

#include "toolkit/interface_object.h"
#include "tracking/linked_list.h"
#include "views/frame_range.h"

struct Timeline : InterfaceObject {
    FrameRange frames;       // firstFrame, lastFrame, currentFrame: the frame every view shows
    LinkedList selection;    // PlayerTrack pointers of the selected tracks (nodes own themselves)
    int backgroundList = 0;  // display list of the background quad; 0 until built
    int scaleList = 0;       // display list of the ticks and their numbers; 0 until built
    int frameList = 0;       // display list of the two-colour frame; 0 until built
};

// The timeline's flags as the frame range's stepping rules take them.
inline bool timelineLoops(const Timeline* timeline) {
    return (timeline->flags & OBJ_LOOP) != 0;
}
inline bool timelinePlaysBackward(const Timeline* timeline) {
    return (timeline->flags & OBJ_BACKWARD) != 0;
}

// Builds the timeline in caller-provided storage over frames first..last, current
// frame first, with OBJ_LOOP set. Returns 1; 0 when last < first, leaving the
// one-frame range first..first.
int createTimeline(Timeline* timeline, int x, int y, int w, int h, const char* name, int level,
                   int first, int last);
// Init callback: records the three display lists; 0 when they exist already, else 1.
int initTimeline(InterfaceObject* object);
// Display callback: background, played part, scale, current-frame line and number,
// key marks, frame. Returns 1.
int displayTimeline(InterfaceObject* object);
// The drawing steps, each in the unit square of the timeline's viewport.
void drawTimelineScale(const Timeline* timeline);
void drawTimelineCursor(const Timeline* timeline);
void drawKeyMarks(Timeline* timeline);

// Frames between two ticks for count frames over width pixels: count * 40 / width,
// rounded up to a multiple of 5; 5 when that is 0 (a short range or a wide strip, or
// no width at all).
int timelineTickStep(int count, int width);
// Pixel column, from the strip's left edge, where frame offset `offset` (frame minus
// firstFrame) begins: offset * width / count, rounded down.
int timelineColumn(int offset, int count, int width);
// Left edge of the current frame's number of textWidth pixels: two pixels right of
// the frame's column, or ending two pixels before the right edge when it would not fit.
int currentFrameTextX(int offset, int count, int width, int textWidth);
