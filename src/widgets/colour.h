// Colour: the one colour record of the drawing code (widgets, views, the video view).
#pragma once

struct Colour {
    float r, g, b;   // 0 to 1
    float a = 1.0f;  // opacity: 1 opaque, 0 transparent
};

void setColour(Colour colour);  // glColor4f
