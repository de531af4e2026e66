// Helpers for GL tests: a real GLUT window on the test display, and pixel read-back.
#pragma once

#include <cstdint>

struct Rgb {
    uint8_t r, g, b;
};

// Initialises GLUT once per process (GL tests call it before anything else).
void initGlutForTests();
// Creates a w x h window, makes it current and returns its GLUT id. The window
// is left with the toolkit's frame setup (resetTestFrame).
int openTestWindow(int w, int h, const char* title = "test");
// Gives the current w x h window the frame setup of the toolkit's display
// callback: viewport on the whole window, an orthographic (0, 1) x (0, 1)
// projection, the identity model-view and no depth test.
void resetTestFrame(int w, int h);
// Clears the back buffer of the current window to the given colour.
void clearTestWindow(float r, float g, float b);
// resetTestFrame, then clearTestWindow: a fresh frame for the next drawing.
void beginTestFrame(int w, int h, float r, float g, float b);
// Reads one pixel of the back buffer of the current window (y upward from the bottom).
Rgb readPixel(int x, int y);
// True when every channel differs by at most `tolerance`.
bool nearColour(Rgb actual, Rgb expected, int tolerance = 2);
// Fills the unit square (0, 0)-(1, 1) in the current colour.
void fillTestUnitSquare();
