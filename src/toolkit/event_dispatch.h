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

// Pointer state, window pixels with y upward (flipped against the window's height
// as created).
int getPointerX();  // last position seen by a mouse, motion or passive-motion event
int getPointerY();
int getButtonEventX();  // position stored at the end of the last mouse-button event
int getButtonEventY();
int getPointerDX();  // movement between the last two motion or passive-motion events
int getPointerDY();
InterfaceObject* getPressedObject();   // object under the pointer at the last button event
InterfaceObject* getRollOverObject();  // object the pointer was last found over, or null
// Forgets positions and objects (start of a test, or of a fresh set of windows).
void resetPointerState();

// Each handler takes the window object at the top of the tree and GLUT's pointer
// position (window pixels, y downward) and returns whether every window needs to
// be redrawn.
// A button went down or up (`state`): flags, press / release / release-outside calls.
bool dispatchMouseButton(InterfaceObject* window, int button, int state, int x, int y);
// The pointer moved with a button held: drags the pressed object when it is OBJ_MOVABLE.
bool dispatchMotion(InterfaceObject* window, int x, int y);
// The pointer moved with no button held: roll-over and roll-out flags.
bool dispatchPassiveMotion(InterfaceObject* window, int x, int y);
