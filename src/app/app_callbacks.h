// The callbacks that tie the commands to the widgets and windows: each runs a
// command on the application state and asks for the redraw that follows.
#pragma once

#include "toolkit/interface_object.h"
#include "toolkit/window.h"

// Keyboard callback of the three window objects: the shortcut keys. Returns 1.
int applicationKeyHandler(InterfaceObject* object, int key, int x, int y);

// Release callbacks of the main window's buttons (the toolkit redraws after them).
int playPauseReleased(InterfaceObject* object, int x, int y, int pressX, int pressY);
int previousFrameReleased(InterfaceObject* object, int x, int y, int pressX, int pressY);
int nextFrameReleased(InterfaceObject* object, int x, int y, int pressX, int pressY);
int previousKeyReleased(InterfaceObject* object, int x, int y, int pressX, int pressY);
int nextKeyReleased(InterfaceObject* object, int x, int y, int pressX, int pressY);
int loadReleased(InterfaceObject* object, int x, int y, int pressX, int pressY);
int saveReleased(InterfaceObject* object, int x, int y, int pressX, int pressY);
int deleteKeyReleased(InterfaceObject* object, int x, int y, int pressX, int pressY);
int modifySwitchReleased(InterfaceObject* object, int x, int y, int pressX, int pressY);
int playerButtonReleased(InterfaceObject* object, int x, int y, int pressX, int pressY);

// Release callback of the video panel: the panel's own (a drag becomes a key) as one
// undoable step.
int videoPanelReleased(InterfaceObject* object, int x, int y, int pressX, int pressY);

// Starts the GLUT timer that keeps the recovery copy and ends the program on SIGTERM,
// SIGHUP and SIGINT (installing their handlers).
void startWorkSafetyTimer();

// The timeline's press callback (jump to the frame under the pointer), drag callback
// (remembers the pointer) and idle callback (while held, the frame under the pointer;
// else one playback step; then a redraw of every window).
int timelinePressed(InterfaceObject* object, int x, int y);
int timelineDragged(InterfaceObject* object, int x, int y, int pressX, int pressY);
int timelineIdle(InterfaceObject* object);
// After a playback or tracking step: the main window is redrawn (the new frame), a
// field window only when what it shows changed with the frame.
void redisplayAfterStep();
// Display callbacks of fieldView and fieldView3D: the views' own, noting what they drew.
int fieldViewDisplay(InterfaceObject* object);
int fieldView3DDisplay(InterfaceObject* object);

// Reshape callbacks. The main window lays its widgets out again for the new size;
// the "football field" and "3D view of football field" windows keep their view's
// aspect and centre it.
void mainWindowReshaped(Window* window, int width, int height);
void fieldWindowReshaped(Window* window, int width, int height);
void window3DReshaped(Window* window, int width, int height);
// A window was closed with the window manager: the program ends as after Esc, so that
// no window is left alone.
void windowClosed(Window* window);
