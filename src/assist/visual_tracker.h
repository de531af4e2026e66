// VisualTracker: a single-object tracker from OpenCV that follows a box through the
// frames of a video. It sees the source's frames as they are handed on (packed BGR
// rows, bottom row first), so its image rows run upward and its boxes are in the
// KeyFrame convention (video pixels, y upward) without conversion.
#pragma once

#include <memory>

#include "tracking/key_frame.h"

// The trackers that need no model files. The benchmark (bench/tracker_bench) chose
// CHOSEN_TRACKER: see the README.
enum VisualTrackerKind { TRACKER_CSRT = 0, TRACKER_KCF = 1, TRACKER_MIL = 2 };
constexpr VisualTrackerKind CHOSEN_TRACKER = TRACKER_CSRT;
constexpr int MIN_TRACKED_SIZE = 4;  // pixels: a smaller box gives the tracker nothing to hold

const char* visualTrackerName(VisualTrackerKind kind);  // "CSRT", "KCF", "MIL"

struct VisualTrackerState;  // the OpenCV tracker; private to visual_tracker.cpp

struct VisualTracker {
    VisualTracker();
    ~VisualTracker();
    VisualTracker(const VisualTracker&) = delete;
    VisualTracker& operator=(const VisualTracker&) = delete;
    std::unique_ptr<VisualTrackerState> state;  // null until started
};

// Starts following the rectangle of box (rectX, rectY, rectWidth, rectHeight) in the
// frame. False when the box is smaller than MIN_TRACKED_SIZE, lies outside the frame
// or the tracker refuses it.
bool startVisualTracker(VisualTracker* tracker, VisualTrackerKind kind, const unsigned char* pixels,
                        int width, int height, const KeyFrame& box);
// Forgets the box (a tracker that was never started stays as it is).
void stopVisualTracker(VisualTracker* tracker);
// Finds the box in the next frame: writes its rectangle fields (the feet are left
// alone). False when the tracker reports the target lost.
bool updateVisualTracker(VisualTracker* tracker, const unsigned char* pixels, int width, int height,
                         KeyFrame* box);
