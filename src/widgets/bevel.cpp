#include "widgets/bevel.h"

#include <GL/gl.h>

void fillUnitSquare(Colour colour) {
    setColour(colour);
    glBegin(GL_QUADS);
    glVertex2f(0, 0);
    glVertex2f(1, 0);
    glVertex2f(1, 1);
    glVertex2f(0, 1);
    glEnd();
}

void drawBevelFrame(Colour topLeft, Colour bottomRight) {
    // Pushing the line state, unlike reading the width back, also works when
    // the frame is compiled into a display list.
    glPushAttrib(GL_LINE_BIT);
    glLineWidth(1);
    glBegin(GL_LINES);
    setColour(topLeft);
    glVertex2f(0, 1);
    glVertex2f(1, 1);
    glVertex2f(0, 0);
    glVertex2f(0, 1);
    setColour(bottomRight);
    glVertex2f(1, 0);
    glVertex2f(0, 0);
    glVertex2f(1, 1);
    glVertex2f(1, 0);
    glEnd();
    glPopAttrib();
}
