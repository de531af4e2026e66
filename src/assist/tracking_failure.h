// The failure rule of a tracking run: whether the box the tracker reports on a frame
// is believable after the box of the frame before. What fails is not made a key.
#pragma once

#include "tracking/key_frame.h"
#include "tracking/registration.h"

constexpr double FIELD_UNITS_PER_METRE = 5.0;  // the plan draws the 105 m pitch 525 units long
constexpr double MAX_PLAYER_SPEED = 12.0;      // metres per second no player outruns
constexpr double MAX_JUMP = 0.5;               // centre step per frame, in box heights
constexpr double MAX_SIZE_STEP = 1.25;         // width or height ratio per frame
constexpr double MIN_INSIDE = 0.5;             // share of the box inside the picture

// Why a run ended. Values below TRACK_LOST end it normally, the others are failures.
enum TrackingStop {
    TRACK_RUNNING = 0,
    TRACK_REACHED_KEY,   // the player's next key (or previous one, backward)
    TRACK_END_OF_VIDEO,  // first or last frame of the video
    TRACK_LIMIT,         // the most frames one run follows
    TRACK_BY_USER,       // 't' or space
    TRACK_LOST,          // the tracker reports a loss
    TRACK_JUMP,          // the box moved too far in the picture
    TRACK_SIZE_CHANGE,   // the box grew or shrank too fast
    TRACK_TOO_FAST,      // the feet moved faster than a player runs on the field
    TRACK_LEFT_PICTURE,  // most of the box lies outside the picture
    TRACK_UNREADABLE,    // the frame could not be read
};

// The words of the status text: "target lost", "next key reached", ...
const char* trackingStopReason(TrackingStop stop);
inline bool isTrackingFailure(TrackingStop stop) {
    return stop >= TRACK_LOST;
}

// What the rule knows about the video.
struct FailureCheck {
    const Registration* registration = nullptr;  // may be null or short: no field check
    int videoWidth = 0, videoHeight = 0;         // pixels
    double frameRate = 25.0;                     // frames per second, > 0
};

// The verdict on box `next` at frame `frame` after `previous` at `previousFrame` (one
// frame apart, either way). Video pixels, y upward, as in KeyFrame. trackerOk is the
// tracker's own verdict. TRACK_RUNNING when the box is believable:
// - in the picture: at least MIN_INSIDE of its area;
// - jump: the centre moves at most MAX_JUMP of the previous height, measured after
//   carrying the previous centre into this frame's image when both have records (the
//   camera's own motion is no jump);
// - size: width and height change by at most MAX_SIZE_STEP either way;
// - field speed: with records for both frames, the feet point's field positions lie at
//   most MAX_PLAYER_SPEED / frameRate apart, plus what one pixel of each feet point
//   spans on the field (a tracker reports whole pixels).
TrackingStop checkTrackedStep(const FailureCheck& check, int previousFrame,
                              const KeyFrame& previous, int frame, const KeyFrame& next,
                              bool trackerOk);

// The field point (plan units) of an image point (video pixels, y upward) of frame,
// false without a usable record.
bool fieldPointAt(const Registration* registration, int videoHeight, int frame, double x, double y,
                  double* fieldX, double* fieldY);
// The picture's magnification at an image point of frame: video pixels per plan unit of
// a step along the image's rows on the field. A standing player's picture scales with
// it, so the ratio of two frames' values is the ratio of his sizes. 0 without a record.
double imageScaleAt(const Registration* registration, int videoHeight, int frame, double x,
                    double y);
