// The shortcut keys: a table of commands indexed by key code - 27, covering the
// codes 27 (Esc) to 115 ('s'). Keys are case-sensitive; no GL here.
#pragma once

#include "app/app_state.h"

using KeyCommand = void (*)(AppState* state);

constexpr int KEY_TABLE_FIRST = 27;  // Esc
constexpr int KEY_TABLE_SIZE = 89;   // codes 27 .. 115

// The command of a key (only its low byte counts), or null when the key has none.
KeyCommand keyCommand(int key);
// Runs the key's command on state and returns true; a key without one prints
// "key not available\n" on standard output and returns false.
bool runKeyCommand(AppState* state, int key);
