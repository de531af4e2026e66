// Test programs call keepGlDriverAtExit() once GLUT is initialised (it
// registers an exit handler that must run before GLUT's own).
//
// GLUT closes the display at exit, and Mesa unloads its driver with it before
// the leak checker of a sanitizer build runs: the stacks of the driver's own
// allocations then name no module and no suppression can match them. Keeping
// the driver mapped lets the suppressions for the GL libraries apply.
#pragma once

void keepGlDriverAtExit();
