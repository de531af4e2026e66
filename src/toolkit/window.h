// Window: a GLUT window with the object tree below it, the window table, the
// shared GLUT callbacks that turn events into walks and state flags, and the
// event loop.
#pragma once

#include "toolkit/event_dispatch.h"
#include "toolkit/frame_timer.h"
#include "toolkit/interface_object.h"

struct Window;
// Called after the window took a new client size (width x height pixels), before
// the redraw that follows.
using WindowReshapeCallback = void (*)(Window* window, int width, int height);

// A window object: the top of its window's tree. Its rectangle is the screen
// position given at creation and the current client size; its name is the title,
// its level -1.
struct Window : InterfaceObject {
    int windowId = 0;      // GLUT's id for the window (1, 2, 3 in creation order); 0 once closed
    FrameTimer timer;      // paces the idle walks while this window is current
    PointerState pointer;  // the pointer as this window's events have reported it
    WindowReshapeCallback reshape = nullptr;  // lays the tree out again after a resize
};

// Calls glutInit unless GLUT is initialised already, and keeps the process
// running when the user closes a window: the other windows stay usable, and the
// event loop returns once the last one is closed. Call it before createWindow.
void initToolkit(int* argc, char** argv);

// Creates a window at screen position (x, y) with a w x h client area, titled
// `title`, whose timer runs at `rate` ticks per second; registers it in the window
// table and makes it current. Prints "id: %d\n" with GLUT's id (and the root's
// level on the first call). The window object lives for the whole run.
Window* createWindow(int x, int y, int w, int h, const char* title, float rate);
// The screen size in pixels as GLUT reports it (initialising GLUT when needed);
// false, with 0 x 0, when it cannot tell.
bool screenSize(int* width, int* height);
// The window object of GLUT's current window, or null when there is none.
Window* currentWindowObject();
// Inserts `object` into the current window's tree (level order) and returns it;
// null with "no current window available\n" on stderr when there is no window.
InterfaceObject* addToCurrentWindow(InterfaceObject* object);
// Asks GLUT to redraw every open window, then restores the current window.
void redisplayAll();
// The same for one window; nothing when it is closed.
void redisplayWindow(const Window* window);

int windowCount();             // entries of the window table, closed windows included
Window* windowAt(int index);   // table entry `index` (creation order), or null
Window* windowWithId(int id);  // the open window with GLUT id `id`, or null

// Called when a window is closed (by the user or glutDestroyWindow) while the
// process runs on, before the toolkit forgets the window's id.
using WindowClosedHook = void (*)(Window* window);
void setWindowClosedHook(WindowClosedHook hook);

// Prepares every window in table order (makes it current, calls
// prepareWindow(index) when given, runs the init walk) and runs the GLUT event
// loop. Returns only when every window has been closed.
void runInterface(void (*prepareWindow)(int windowIndex));

// The GLUT callbacks shared by every window (registered by createWindow).
void handleDisplay();
void handleKeyboard(unsigned char key, int x, int y);
void handleMouse(int button, int state, int x, int y);
void handleMotion(int x, int y);
void handlePassiveMotion(int x, int y);
void handleIdle();
void ignoreMouseWheel(int wheel, int direction, int x, int y);  // wheel turns click nothing
// A window took a new client size: the window object follows it (the pointer's y is
// flipped against it), its reshape callback runs, and the whole window is redrawn.
void handleReshape(int width, int height);
// The frame of the display callback without the buffer swap: clear, unit-square
// projection, display walk of `window`'s tree.
void drawWindowFrame(Window* window);
