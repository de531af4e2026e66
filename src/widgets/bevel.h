// The colours and the bevelled edges shared by panels, frames and buttons.
#pragma once

#include "widgets/colour.h"

constexpr Colour BEVEL_FACE = {0.831f, 0.815f, 0.792f};  // face of buttons, panels and frames
constexpr Colour BEVEL_LIGHT = {1.0f, 1.0f, 1.0f};       // lit edges
constexpr Colour BEVEL_SHADOW = {0.3f, 0.3f, 0.3f};      // shaded edges

// Fills the unit square (0, 0)-(1, 1) with one colour.
void fillUnitSquare(Colour colour);
// Draws the edges of the unit square one pixel wide: top and left in topLeft,
// bottom and right in bottomRight (light over shadow looks raised, the reverse
// sunken). Restores the line width.
void drawBevelFrame(Colour topLeft, Colour bottomRight);
