#include "widgets/colour.h"

#include <GL/gl.h>

void setColour(Colour colour) {
    glColor4f(colour.r, colour.g, colour.b, colour.a);
}
