// Video overlay: what the video view draws over the frame, as geometry in video
// pixels (origin at the frame's lower-left corner, y upward). No GL: the view draws
// what these functions compute.
//
// A key's points belong to the image of the key's own frame; shown on another frame
// they are carried there through the two frames' homographies (tracking/shown_position,
// which the tracking file's interpolated lines share). Where a frame involved has no
// usable registration record (none, one that cannot be inverted, a result at infinity)
// the points are shown as stored, in image space: the selected player stays visible
// without a registration, where the file holds the plain blend of the stored values.
#pragma once

#include <vector>

#include "tracking/player_label.h"
#include "tracking/scene.h"

struct VideoPoint {
    double x = 0.0;  // video pixels, y upward
    double y = 0.0;
};

// An axis-aligned rectangle by its centre and half sizes, video pixels.
struct VideoRect {
    double cx = 0.0, cy = 0.0;
    double halfWidth = 0.0, halfHeight = 0.0;
};

// Carries a point of frame `from` into the image of frame `to` (carryKeyPoint with the
// two frames' records). A point of the frame itself comes back as it is. False (out
// untouched) when a frame has no usable record or the result is not finite.
bool carryPoint(const Scene* scene, int from, int to, VideoPoint point, VideoPoint* out);

// The rectangle of a key as stored (valid on the key's own frame).
VideoRect keyRect(const KeyFrame* key);
// The rectangle at frame between keys k0 and k1 with weight w of k0, as
// shownBetweenKeys places it: both centres carried to frame and blended,
// w * p0 + (1 - w) * p1, or blended as stored where they cannot be carried; the sizes
// blended as stored. False only without two keys.
bool interpolatedRect(const Scene* scene, const KeyNode* k0, const KeyNode* k1, double w, int frame,
                      VideoRect* out);

// The selected player's trajectory at the current frame, in drawing order.
struct TrailStep {
    bool hasLine = false;  // from the previous drawn feet point to this key's
    VideoPoint lineFrom, lineTo;
    bool hasPoint = false;  // this key's feet point, carried to the current frame (or as
                            // stored where it cannot be carried)
    VideoPoint point;
    bool hasRect = false;  // the key's stored rectangle, when the key is on the current frame
    VideoRect rect;
};

struct Trajectory {
    std::vector<TrailStep> steps;  // one per key up to the current frame, in frame order
    bool hasTail = false;          // from the last walked key's feet point towards the next key's
    VideoPoint tailFrom, tailTo;
    bool hasRect = false;  // the interpolated rectangle between the last walked key and the next
    VideoRect rect;
};
// Fills out for the track at the scene's current frame: one step per key up to that
// frame, then, when a later key follows, the line from the last key's feet point to
// the feet point of shownBetweenKeys, and the interpolated rectangle.
void buildTrajectory(const Scene* scene, PlayerTrack* track, Trajectory* out);

// The selected player without trajectory: on or after the last key the last key's
// rectangle and feet point as stored; between two keys the rectangle and the feet
// point of shownBetweenKeys, carried as the trajectory carries them. Nothing before
// the first key. Moves the track's cursor.
struct PlainMarks {
    bool hasRect = false;
    VideoRect rect;
    bool hasFeet = false;
    VideoPoint feet;
};
void buildPlainMarks(const Scene* scene, PlayerTrack* track, PlainMarks* out);

// A player's label on the video.
struct VideoLabel {
    char text[PLAYER_LABEL_SIZE] = {};  // "O1".."O11", "D1".."D11"
    int width = 0;                      // 17 for one digit, 23 for two
    double x0 = 0.0;     // lower-left corner of the text: the box spans x0 .. x0 + width
    double y0 = 0.0;     // and y0 - 1 .. y0 + 10; the text's origin is (x0, y0 - 3)
    bool oSide = false;  // player 0..10
};
// The label of player at the scene's current frame, shown from its first key to its
// last key inclusive, at the key's stored rectangle centre on a key's own frame (or on
// the last key), else at the interpolated rectangle's centre. False when the player
// has no label there. Moves the track's cursor.
bool videoLabel(const Scene* scene, int player, VideoLabel* out);
