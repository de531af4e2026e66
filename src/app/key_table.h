// The shortcut keys: a table of commands indexed by key code - 19, covering the
// codes 19 (Ctrl+S) to 116 ('t'). Keys are case-sensitive; no GL here.
#pragma once

#include "app/app_state.h"

using KeyCommand = void (*)(AppState* state);

constexpr int KEY_TABLE_FIRST = 19;  // Ctrl+S
constexpr int KEY_TABLE_SIZE = 98;   // codes 19 .. 116
constexpr int KEY_CTRL_S = 19;       // GLUT gives Ctrl+letter as the control character
constexpr int KEY_CTRL_Y = 25;
constexpr int KEY_CTRL_Z = 26;  // also for Ctrl+Shift+Z: only the modifiers tell

// The key a press stands for: Ctrl+Shift+Z (code 26 with Shift held) is redo, as
// Ctrl+Y; every other key is itself.
int keyWithModifiers(int key, bool shift);

// The command of a key (only its low byte counts), or null when the key has none.
KeyCommand keyCommand(int key);
// Runs the key's command on state and returns true; a key without one prints
// "key not available\n" on standard output and returns false.
bool runKeyCommand(AppState* state, int key);
