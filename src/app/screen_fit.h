// Screen fit: the layout applied to the main window's widgets, the layout again after
// the window manager resized the main window, and the layout dump that end-to-end
// tests read instead of recomputing the formulas. No GL.
#pragma once

#include "app/app_state.h"

// Moves and sizes the main window's widgets to state->layout. The shortcuts frame
// stays where the user left it, moved back inside the window when it would leave it.
void placeMainWidgets(AppState* state);
// The main window now has a width x height client area: the largest display scale
// whose widgets fit in it is laid out. False when the size is the layout's already.
bool mainWindowResized(AppState* state, int width, int height);

// The environment variable naming the file the layout dump is written to.
constexpr const char* LAYOUT_DUMP_VARIABLE = "ANNOTATE_LAYOUT_DUMP";
// Writes the windows and widgets as they are now: a "dump N" line counting the dumps
// of the run, "scale S", "screen W H", then one "name x y w h" line per window (screen
// position, client size) and per widget (window pixels, y upward). The file is
// written beside and renamed over fileName, so that a reader never sees half of it.
// Returns 1, or 0 when it could not be written.
int writeLayoutDump(const AppState* state, const char* fileName);
// writeLayoutDump to the file LAYOUT_DUMP_VARIABLE names, when it is set.
void dumpLayoutIfAsked(const AppState* state);
