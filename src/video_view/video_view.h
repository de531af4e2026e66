// VideoView: the "video" panel. It shows the current frame and, over it, the drag in
// progress, the selected player's rectangle and feet point (or its trajectory), and the
// players' labels; a drag released over it becomes a key of the selected player.
#pragma once

#include "tracking/key_editing.h"
#include "tracking/scene.h"
#include "widgets/panel.h"

// The panel may be smaller than the video (the display scale): the frame and the
// overlays are drawn in video pixels and scaled by GL, and drags are carried back
// into video pixels, so the keys never depend on the scale.
struct VideoView : Panel {
    Scene* scene = nullptr;  // what the overlays show and a drag edits; not owned
    DragRect dragRect;       // the drag, relative to the view: set at the press, followed
                             // while the pointer moves, final at the release
};

// createPanel, then drawVideoView as display and videoDragStart, videoDragMove and
// videoDragEnd as press, drag and release callbacks. The
// composition gives the frame to the panel's texture (setDefaultTexture, streamed) and
// clears OBJ_CACHED so that every display shows the current frame.
void createVideoView(VideoView* view, int x, int y, int w, int h, const char* name, int level,
                     Scene* scene);

// Display callback: the panel as every panel draws, then, in a projection of
// videoWidth x videoHeight units, the drag rectangle while the view is pressed, the
// selected player's trajectory (showTrails) or plain marks, and the labels
// (showNumbers). Leaves the projection matrix mode selected. Returns 1.
int drawVideoView(InterfaceObject* object);
// Press and drag callbacks: the drag rectangle from the press to the pointer. Return 1.
int videoDragStart(InterfaceObject* object, int x, int y);
int videoDragMove(InterfaceObject* object, int x, int y, int pressX, int pressY);
// Release callback (a press on the view released over it): with a player selected, the
// drag from the press to the pointer becomes that player's key at the current frame.
// Returns 1.
int videoDragEnd(InterfaceObject* object, int x, int y, int pressX, int pressY);
