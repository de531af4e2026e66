// Pointer events of a window's object tree: hit testing, state flags, press and
// release callbacks, dragging. No GL: the GLUT callbacks in window.cpp find the
// window and redraw; these functions decide.
#pragma once

#include "toolkit/interface_object.h"

// GLUT's button and button-state codes.
constexpr int MOUSE_LEFT_BUTTON = 0;
constexpr int MOUSE_MIDDLE_BUTTON = 1;
constexpr int MOUSE_RIGHT_BUTTON = 2;
constexpr int MOUSE_BUTTON_DOWN = 0;
constexpr int MOUSE_BUTTON_UP = 1;

// The flags that pointer events maintain on the object under the pointer.
constexpr uint32_t OBJ_POINTER_STATE_BITS =
    OBJ_PRESSED | OBJ_RELEASED | OBJ_RELEASED_OUTSIDE | OBJ_ROLL_OVER | OBJ_ROLL_OUT;

// The pointer as one window has seen it, kept in the window's record (each window
// has its own: a press in one window is not a drag in another). Window pixels with
// y upward (flipped against the window's height as created).
struct PointerState {
    int x = 0, y = 0;                     // last position of a button or motion event
    int pressX = 0, pressY = 0;           // where the last button event happened
    int dx = 0, dy = 0;                   // movement between the last two motion events
    InterfaceObject* pressed = nullptr;   // object under the pointer at the last button event
    InterfaceObject* rollOver = nullptr;  // object the pointer was last found over, or null
};

// Each handler takes the window object at the top of the tree, that window's pointer
// state and GLUT's pointer position (window pixels, y downward), and returns whether
// every window needs to be redrawn.
// A button went down or up (`state`): flags, press / release / release-outside calls.
bool dispatchMouseButton(InterfaceObject* window, PointerState* pointer, int button, int state,
                         int x, int y);
// The pointer moved with a button held: drags the pressed object when it is OBJ_MOVABLE,
// and calls its drag callback.
bool dispatchMotion(InterfaceObject* window, PointerState* pointer, int x, int y);
// The pointer moved with no button held: roll-over and roll-out flags.
bool dispatchPassiveMotion(InterfaceObject* window, PointerState* pointer, int x, int y);
