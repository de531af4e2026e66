// Key editing: a drag on the video becomes a key frame of a player at the current
// frame. The edit mode decides whether the drag sets the rectangle, the feet point or
// both. No GL: the video view reads the pointer and calls these.
#pragma once

#include "tracking/key_frame.h"
#include "tracking/player_track.h"
#include "tracking/scene.h"

// A drag on the video: video pixels from the frame's lower-left corner, y upward.
struct DragRect {
    int x0 = 0, y0 = 0;  // the pointer position
    int x1 = 0, y1 = 0;  // the button-event position: where the button went down
};

// The drag between the pointer and the button-event position (window pixels),
// made relative to the origin (the video panel's lower-left corner).
DragRect dragRectBetween(int pointerX, int pointerY, int buttonX, int buttonY, int originX,
                         int originY);
// A pointer offset (pixels from a panel's edge) on a panel panelSize pixels long that
// shows videoSize video pixels: the video pixel under the middle of that panel pixel,
// so that at 1:1 an offset is its own video pixel. Offsets outside the panel map on
// at the same rate. A panel of size 0 or less gives the offset unchanged.
int panelToVideo(int offset, int panelSize, int videoSize);
// A drag in panel pixels (panelWidth x panelHeight) carried into video pixels
// (videoWidth x videoHeight): panelToVideo on each coordinate.
DragRect dragRectToVideo(const DragRect& drag, int panelWidth, int panelHeight, int videoWidth,
                         int videoHeight);
// The feet point of a drag, the middle of its lower edge: fx = (x0 + x1) / 2 truncated
// toward zero, fy = min(y0, y1).
void dragFeetPoint(const DragRect& drag, int* fx, int* fy);

// The track's position at frame from its stored keys, without transfer between frames:
// the key's value on a key's own frame, the field-by-field blend of the two keys around
// it strictly between them. False (out untouched) before the first key, after the last
// key, or without keys. Moves the track's cursor.
bool trackPositionAt(PlayerTrack* track, int frame, KeyFrame* out);

// Stores a new key (flags 0) at frame, replacing a key already there. Its rectangle
// comes from the drag (centre = integer midpoints, size = the drag's extent) unless mode
// is EDIT_FEET_ONLY and the track has a position at frame, which it then keeps; its feet
// point is (fx, fy) unless mode is EDIT_RECT_ONLY and the track has a position, which it
// then keeps. Returns 1, or 0 (track unchanged) for a null track or when no memory is left.
int editKeyFromDrag(PlayerTrack* track, int frame, KeyEditMode mode, const DragRect& drag, int fx,
                    int fy);
// The end of a drag on the video: editKeyFromDrag for the scene's selected player at
// the current frame, with the drag's feet point and the scene's edit mode. Returns 0
// without a change when no player (or no valid one) is selected.
int editSelectedPlayerKey(Scene* scene, const DragRect& drag);
