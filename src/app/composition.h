// Composition: the three windows of the tool with every widget, its artwork and its
// callbacks, and the event loop that runs them.
#pragma once

#include "app/app_state.h"

// Creates the main window, the "football field" window and the "3D view of football
// field" window, in this order, with their widgets, from the state's opened video and
// scene. Artwork comes from programDirectory + "/textures/<name>.png"; a picture that
// cannot be loaded is named on the console and leaves its widget without a picture.
// Returns the number of pictures that could not be loaded.
int composeWindows(AppState* state, const char* programDirectory);

// Prepares every window (fonts, display lists) and runs the event loop; returns only
// when every window has been closed.
void runWindows();
