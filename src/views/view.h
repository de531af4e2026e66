// View: the widget kind of the three field views: an object with a texture slot,
// two display lists, a background colour and a list of cameras, plus what this
// program's views draw (the scene and the field artwork).
#pragma once

#include "toolkit/interface_object.h"
#include "toolkit/pointer_list.h"
#include "tracking/scene.h"
#include "views/camera.h"
#include "widgets/bevel.h"
#include "widgets/texture.h"

struct View : InterfaceObject {
    Texture texture;                 // an artwork slot drawn by displayView; reset at creation
    int textureList = 0;             // display list drawing texture and the frame; 0 while none
    int backgroundList = 0;          // display list of drawViewFrame; 0 until built
    Colour background = BEVEL_FACE;  // the quad behind the artwork; alpha 0 leaves it out
    PointerList cameras;             // Camera pointers, owned, never freed; entry 0 is "persp"
    Scene* scene = nullptr;          // what the field views draw; null: artwork and background only
    const Texture* artwork = nullptr;  // field picture made in this view's window; not owned
};

// Builds the view in caller-provided storage: display callback displayView, init
// callback initView, the default background and one camera "persp" (eye (0, 0, 1),
// center (0, 0, 0), up (0, 1, 0)). Returns 1. Each call allocates a new camera.
int createView(View* view, int x, int y, int w, int h, const char* name, int level);
// Stores the colour (0 to 1 per component) in background; returns view.
View* setViewBackground(View* view, double red, double green, double blue, double alpha);
// The background quad (blended) and the two-colour frame in the unit square.
void drawViewFrame(const View* view);
// Display callback: viewport on the view, then its texture and frame, or the frame
// alone. Returns 1.
int displayView(InterfaceObject* object);
// Init callback: records the display lists once; 0 when already done, else 1.
int initView(InterfaceObject* object);

// Entry i of the view's cameras, or null when there is none.
Camera* getCamera(View* view, int i);
// Multiplies camera i's look-at matrix onto the current matrix; returns the camera,
// or null (doing nothing) when there is none.
Camera* applyCamera(View* view, int i);
