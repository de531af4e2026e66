// TitledFrame: a raised frame with a 20-pixel title bar that shows its name.
#pragma once

#include "toolkit/interface_object.h"

constexpr int TITLE_BAR_HEIGHT = 20;  // pixels at the top of the frame
constexpr int TITLE_TEXT_X = 3;       // title origin, pixels from the left edge
constexpr int TITLE_TEXT_DROP = 17;   // title raster row, pixels below the top edge

struct TitledFrame : InterfaceObject {};

// Short-form initialisation with displayTitledFrame; the name is the title.
void createTitledFrame(TitledFrame* frame, int x, int y, int w, int h, const char* name, int level);
// Display callback: face, shaded title bar with the name, raised frame. Returns 1.
int displayTitledFrame(InterfaceObject* object);
