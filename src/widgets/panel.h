// Panel: one texture on the object's rectangle inside a sunken frame.
#pragma once

#include "widgets/textured_object.h"

struct Panel : TexturedObject {
    int displayList = 0;  // list holding the panel's drawing; 0 until built
};

// Short-form initialisation with displayPanel and initPanel; resets the texture.
void createPanel(Panel* panel, int x, int y, int w, int h, const char* name, int level);
// Replaces texture.pixels (a streamed texture shows them at its next draw).
// Returns 1, or 0 without a change when pixels is null.
int setPanelPixels(Panel* panel, const unsigned char* pixels);

// Init callback: compiles drawPanel into displayList once, when the texture has
// pixels; 1 when it did, else 0.
int initPanel(InterfaceObject* object);
// Display callback: viewport on the panel, then the list when built and
// OBJ_CACHED is set, else drawPanel. Returns 1.
int displayPanel(InterfaceObject* object);
// Draws the texture on the unit square and the sunken frame; nothing when the
// texture was never created.
void drawPanel(const Panel* panel);
