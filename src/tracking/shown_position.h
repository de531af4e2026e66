// Shown position: where a track stands between two of its keys, as the video view
// draws it and the tracking file writes it. A key's points belong to the image of the
// key's own frame; between two keys both keys' rectangle centres and feet points are
// carried into the frame's image through the field plane and blended there, so the
// position follows the player while the camera pans. Without usable registration
// records the blend is made from the stored values, in image space.
#pragma once

#include "tracking/key_frame.h"
#include "tracking/player_track.h"
#include "tracking/registration.h"

// A frame's registration record, ready to carry points into the frame's image.
struct CarryTarget {
    const Homography* record = nullptr;  // null: no record, or one that cannot be inverted
    Homography inverse;                  // the record's inverse while record is set
};
CarryTarget carryTarget(const Registration* registration, int frame);
// The record of frame when it exists and can be inverted (a finite, non-zero
// determinant), else null.
const Homography* usableRecord(const Registration* registration, int frame);

// The map of image points from the frame whose record is `source` into the target's
// image: inverse(target) * source, as transferWithInverse makes it. False when either
// record is unusable (source null).
bool carryMatrix(const CarryTarget& target, const Homography* source, Homography* out);
// Carries the point (x, y) through a carryMatrix; both points in KeyFrame convention
// (video pixels, y upward), turned into image convention (videoHeight - y) and back.
// The arithmetic of transferWithInverse, so the same bits. False (out untouched) when
// the result is not finite.
bool carryKeyPoint(const Homography& carry, int videoHeight, double x, double y, double* outX,
                   double* outY);

// Two consecutive keys of a track with their frames' usable records (null when unusable).
struct ShownSpan {
    int f0 = 0, f1 = 0;  // the keys' frames, f0 < f1
    const KeyFrame* a = nullptr;
    const KeyFrame* b = nullptr;
    const Homography* h0 = nullptr;
    const Homography* h1 = nullptr;
};
ShownSpan shownSpan(const Registration* registration, const KeyNode* k0, const KeyNode* k1);

// The position at frame (f0 <= frame <= f1, w the weight of a there) with a's flags:
// a itself on f0 and b's values on f1; strictly between, when the records of f0, f1
// and frame (target) are usable and every carried point is finite, the rectangle
// centres and feet points carried into frame and blended, the sizes blended as
// stored; otherwise every field blended from the stored values (blendKeyFrames).
// *carried (when given) says which of the two it was.
KeyFrame shownBetweenKeys(const ShownSpan& span, const CarryTarget& target, int frame, double w,
                          int videoHeight, bool* carried = nullptr);
