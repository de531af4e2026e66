// TrackingRun: one run of the tracker for one player, from a frame toward the next
// key (or, backward, the previous one). The caller feeds it frames one at a time in
// the run's direction; the run changes no track until applyTrackingRun, the one place
// its keys go in (one undoable step). No GL: the application drives it from the idle
// callback, the benchmark and tests from a loop.
#pragma once

#include <vector>

#include "assist/tracking_failure.h"
#include "assist/visual_tracker.h"
#include "tracking/player_track.h"

constexpr int TRACK_RUN_LIMIT = 250;  // most frames one run follows after its start

struct TrackingRun {
    int player = -1;                       // 0..21 while a run exists
    int direction = 0;                     // +1 forward, -1 backward, 0: no run
    int startFrame = 0;                    // the frame tracked from
    int lastFrame = 0;                     // the last frame the run may reach (inclusive)
    TrackingStop endReason = TRACK_LIMIT;  // why it ends at lastFrame
    int nextFrame = 0;                     // the frame to feed next
    TrackingStop stop = TRACK_RUNNING;     // why it stopped, TRACK_RUNNING while it runs
    int stopFrame = 0;                     // a failure's frame, else the last frame tracked
    bool startKeyed = false;               // the start frame has a key of the track's own
    std::vector<KeyFrame> path;            // tracked positions in run order; path[0] is the start
    double feetOffsetX = 0.0;              // the start's feet point from the box centre,
    double feetOffsetY = 0.0;              // in box widths and heights
    double startScale = 0.0;               // imageScaleAt path[0]'s feet, 0 without record
    FailureCheck check;                    // the video the run checks against
    VisualTracker tracker;
};

// Starts a run of track (player's) at frame, whose pixels are given, in direction +1 or
// -1, within frames 0..nFrames-1. Null when it started; else why not ("no position to
// start from", "nothing to track before the next key", ...), and run stays empty.
const char* startTrackingRun(TrackingRun* run, PlayerTrack* track, int player, int frame,
                             int direction, int nFrames, const unsigned char* pixels,
                             const FailureCheck& check, VisualTrackerKind kind = CHOSEN_TRACKER);
inline bool trackingRunActive(const TrackingRun* run) {
    return run->direction != 0 && run->stop == TRACK_RUNNING;
}
// Feeds run->nextFrame's pixels (null: the frame could not be read). Returns the run's
// state: TRACK_RUNNING to go on, else why it stopped (stopFrame says where).
TrackingStop advanceTrackingRun(TrackingRun* run, const unsigned char* pixels);
// Ends a running run early (the user's key): what was tracked so far stays.
void stopTrackingRun(TrackingRun* run);
// The run's keys in frame order: the fewest that keep the shown interpolation within
// THINNING_TOLERANCE of the smoothed path, plus the last tracked frame, with flags
// KEY_FLAG_TRACKED; the start frame's own key is not among them. Frames in *frames.
std::vector<KeyFrame> trackingRunKeys(const TrackingRun* run, std::vector<int>* frames);
// Adds trackingRunKeys to track (which has no key between the start and the last
// frame tracked) and empties the run. Returns the number of keys added.
int applyTrackingRun(TrackingRun* run, PlayerTrack* track);
// Forgets the run without touching any track.
void clearTrackingRun(TrackingRun* run);
