// The callbacks that tie the commands to the widgets and windows: each runs a
// command on the application state and asks for the redraw that follows.
#pragma once

#include "toolkit/interface_object.h"

// Keyboard callback of the three window objects: the shortcut keys. Returns 1.
int applicationKeyHandler(InterfaceObject* object, int key, int x, int y);

// Release callbacks of the main window's buttons (the toolkit redraws after them).
int playPauseReleased(InterfaceObject* object, int x, int y);
int previousFrameReleased(InterfaceObject* object, int x, int y);
int nextFrameReleased(InterfaceObject* object, int x, int y);
int previousKeyReleased(InterfaceObject* object, int x, int y);
int nextKeyReleased(InterfaceObject* object, int x, int y);
int loadReleased(InterfaceObject* object, int x, int y);
int saveReleased(InterfaceObject* object, int x, int y);
int deleteKeyReleased(InterfaceObject* object, int x, int y);
int modifySwitchReleased(InterfaceObject* object, int x, int y);
int playerButtonReleased(InterfaceObject* object, int x, int y);

// The timeline's press callback (jump to the frame under the pointer) and idle
// callback (one playback step, then a redraw of every window).
int timelinePressed(InterfaceObject* object, int x, int y);
int timelineIdle(InterfaceObject* object);

// GLUT reshape callbacks of the "football field" and "3D view of football field"
// windows: their view keeps its aspect and is centred.
void fieldWindowReshaped(int width, int height);
void window3DReshaped(int width, int height);
