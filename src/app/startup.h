// Start-up: the set-up routine that opens the video, reads the registration,
// prepares the tracks and runs the windows.
#pragma once

#include <cstdio>

#include "app/command_line.h"

struct AppState;

constexpr int STARTUP_FAILURE_EXIT = -1;  // shown as 255 by the shell

// Prints "PRESS ENTER TO EXIT" to `stream`, waits for one character on
// standard input and ends the process with STARTUP_FAILURE_EXIT.
[[noreturn]] void exitAfterPrompt(FILE* stream);

// Empties the state's 22 tracks and points its scene at them, at the registration and
// at the opened video's frame size (the frame range follows with the timeline).
void prepareScene(AppState* state);

// Runs the set-up steps with the names of the command line; returns the
// process's exit code when the windows close (1), and does not return after a
// start-up failure.
int runSetup(const CommandLine& names);
