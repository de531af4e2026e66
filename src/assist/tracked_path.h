// Tracked path: the positions a tracking run followed, one per frame, and the rule
// that thins them into the fewest keys whose interpolation stays on the path.
//
// The interpolation is the one the video view shows: between keys at frames a < b, the
// rectangle centre and feet point of both keys are carried into frame j through the
// field plane and blended with the key weight; the sizes are blended as stored. Where a
// record of a, b or j is missing or cannot be inverted, the stored values are blended.
#pragma once

#include <vector>

#include "tracking/key_frame.h"
#include "tracking/player_track.h"
#include "tracking/registration.h"

constexpr double THINNING_TOLERANCE = 1.0;  // video pixels between path and keys' interpolation
constexpr int SMOOTHING_REACH = 4;          // frames each side averaged into a tracked box

// What carrying points between frames needs.
struct PathFrames {
    const Registration* registration = nullptr;  // may be null or short
    int videoHeight = 0;                         // pixels, for the y conversion
};

// The shown position at frame j (a < j < b) between a at frame fa and b at frame fb.
KeyFrame shownBetween(const PathFrames& frames, int fa, const KeyFrame& a, int fb,
                      const KeyFrame& b, int j);

// The indices of path (path[i] on frame firstFrame + i, count >= 1) to keep as keys: the
// fewest such that between consecutive kept indices every frame's shown interpolation
// lies within tolerance of the path (centre and feet point by distance, width and
// height each), always with the first and the last index.
std::vector<int> thinTrackedPath(const PathFrames& frames, int firstFrame, const KeyFrame* path,
                                 int count, double tolerance = THINNING_TOLERANCE);

// The tracker's boxes come in whole pixels and jitter by one from frame to frame;
// thinning that jitter to a pixel would key most frames. This averages each position
// with up to SMOOTHING_REACH neighbours each side (fewer near the ends, so both ends
// stay as they are), centres and feet points carried into its frame first, so that a
// steady motion of player or camera comes out unchanged. path[i] is on firstFrame + i.
std::vector<KeyFrame> smoothTrackedPath(const PathFrames& frames, int firstFrame,
                                        const KeyFrame* path, int count);

// The track's position at frame as the video view shows it: its key there, or the
// shown blend of the keys around it. False before the first and after the last key.
// Moves the track's cursor.
bool shownTrackPosition(const PathFrames& frames, PlayerTrack* track, int frame, KeyFrame* out);
