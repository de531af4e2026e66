// InterfaceObject: the widget record of the toolkit and its tree.
//
// Sections: state flags; callbacks; the record; initialisation and setters;
// flag operations; invokers; insertion; walks and hit test.
#pragma once

#include <cstdint>

#include "toolkit/pointer_list.h"

// State flags: one word, several bits may be set at once.
constexpr uint32_t OBJ_HIDDEN = 0x1;             // neither drawn nor hit, with its subtree
constexpr uint32_t OBJ_ACTIVE = 0x2;             // the hit test may return the object
constexpr uint32_t OBJ_MOVABLE = 0x4;            // a drag moves the object and its subtree
constexpr uint32_t OBJ_ROLL_OVER = 0x8;          // the pointer is over the object
constexpr uint32_t OBJ_ROLL_OUT = 0x10;          // the pointer has left the object
constexpr uint32_t OBJ_PRESSED = 0x20;           // a button went down on it and is held
constexpr uint32_t OBJ_RELEASED = 0x40;          // the button came up over the object
constexpr uint32_t OBJ_RELEASED_OUTSIDE = 0x80;  // pressed here, released elsewhere
constexpr uint32_t OBJ_LEFT_BUTTON = 0x100;      // the left button is down on the object
constexpr uint32_t OBJ_MIDDLE_BUTTON = 0x200;    // the middle button is down on the object
constexpr uint32_t OBJ_RIGHT_BUTTON = 0x400;     // the right button is down on the object
constexpr uint32_t OBJ_PRESS_TOGGLE = 0x2000;    // flips at every press
constexpr uint32_t OBJ_SWITCHED_ON = 0x4000;     // flips at every click; a switch's on state
constexpr uint32_t OBJ_PLAYING = 0x8000;         // timeline: the video is playing
constexpr uint32_t OBJ_BACKWARD = 0x10000;       // timeline: stepping goes backward
constexpr uint32_t OBJ_LOOP = 0x20000;           // timeline: stepping past an end wraps
constexpr uint32_t OBJ_TEXTURED = 0x40000;       // buttons: draw textures, not plain faces
constexpr uint32_t OBJ_INITIALIZED = 0x80000;    // the init callback has done its work
constexpr uint32_t OBJ_CACHED = 0x100000;        // draw from the prebuilt display list
constexpr uint32_t OBJ_VISITED = 0x200000;       // hit-test mark while children are searched
constexpr uint32_t OBJ_BUTTON_BITS = OBJ_LEFT_BUTTON | OBJ_MIDDLE_BUTTON | OBJ_RIGHT_BUTTON;

constexpr int OBJECT_NAME_SIZE = 512;

struct InterfaceObject;

// Every callback returns an int that no caller reads. Pointer positions given to
// press, drag, release and release-outside are relative to the object's lower-left
// corner, y upward; the last three also get where the button went down (pressX,
// pressY). Keyboard gets the window system's key and pointer (y down).
using InitCallback = int (*)(InterfaceObject* object);
using DisplayCallback = int (*)(InterfaceObject* object);
using KeyboardCallback = int (*)(InterfaceObject* object, int key, int x, int y);
using IdleCallback = int (*)(InterfaceObject* object);
using PointerCallback = int (*)(InterfaceObject* object, int x, int y);
using DragCallback = int (*)(InterfaceObject* object, int x, int y, int pressX, int pressY);

struct InterfaceObject {
    uint32_t flags = 0;                     // state flags above
    int x = 0, y = 0;                       // lower-left corner, window pixels, y upward
    int w = 0, h = 0;                       // size in pixels
    char name[OBJECT_NAME_SIZE] = {};       // object name, or the label a button draws
    int level = 0;                          // drawing order among siblings: higher is on top
    InterfaceObject* parent = nullptr;      // holder of this object in its child list
    PointerList children;                   // children in ascending level
    InitCallback init = nullptr;            // prepares the object once (init walk, display)
    DisplayCallback display = nullptr;      // draws the object
    KeyboardCallback keyboard = nullptr;    // each key press of the object's window
    IdleCallback idle = nullptr;            // each frame tick of the program
    PointerCallback press = nullptr;        // a mouse button went down on the object
    DragCallback release = nullptr;         // it came up on the object it went down on
    DragCallback releaseOutside = nullptr;  // it came up elsewhere after going down here
    int reserved[2] = {0, 0};               // set by initialisation, never read
    DragCallback drag = nullptr;            // the pointer moved while pressed on the object
};

// Generic initialisation: stores every field (no drag callback), copies the name (cut at
// 511 characters), gives the child list capacity 1. Does not insert into parent.
void initObject(InterfaceObject* object, int x, int y, int w, int h, const char* name, int level,
                uint32_t flags, InterfaceObject* parent, InitCallback init, DisplayCallback display,
                KeyboardCallback keyboard, IdleCallback idle, PointerCallback press,
                DragCallback release, DragCallback releaseOutside, int reserved0, int reserved1);
// Short form used by every widget constructor: OBJ_ACTIVE, default init, no other callbacks.
void initObjectBasic(InterfaceObject* object, int x, int y, int w, int h, const char* name,
                     int level, DisplayCallback display);
// Default init callback: 0 when OBJ_INITIALIZED is set, else sets it and returns 1.
int defaultInit(InterfaceObject* object);

// Setters, each replacing one callback (null: none).
void setDisplayCallback(InterfaceObject* object, DisplayCallback callback);
void setKeyboardCallback(InterfaceObject* object, KeyboardCallback callback);
void setIdleCallback(InterfaceObject* object, IdleCallback callback);
void setPressCallback(InterfaceObject* object, PointerCallback callback);
void setReleaseCallback(InterfaceObject* object, DragCallback callback);
void setDragCallback(InterfaceObject* object, DragCallback callback);

// Flag operations.
void assignFlags(InterfaceObject* object, uint32_t flags);
uint32_t setFlags(InterfaceObject* object, uint32_t bits);       // OR; returns the new word
uint32_t clearFlags(InterfaceObject* object, uint32_t bits);     // AND NOT; returns the new word
void toggleFlags(InterfaceObject* object, uint32_t bits);        // XOR
bool flagsSet(const InterfaceObject* object, uint32_t bits);     // all given bits set
bool flagsNotSet(const InterfaceObject* object, uint32_t bits);  // not all given bits set
bool isPlaying(const InterfaceObject* object);                   // OBJ_PLAYING set
bool isPressed(const InterfaceObject* object);                   // OBJ_PRESSED set

// Invokers: call the callback when it is set and return its result, else 0. Every
// callback of the toolkit and the widgets is called through them.
int invokeInit(InterfaceObject* object);
int invokeDisplay(InterfaceObject* object);
int invokeIdle(InterfaceObject* object);
int invokeKeyboard(InterfaceObject* object, int key, int x, int y);
int invokePress(InterfaceObject* object, int x, int y);
int invokeDrag(InterfaceObject* object, int x, int y, int pressX, int pressY);
int invokeRelease(InterfaceObject* object, int x, int y, int pressX, int pressY);
int invokeReleaseOutside(InterfaceObject* object, int x, int y, int pressX, int pressY);

// Inserts child into parent's child list in level order (after every child of
// equal or lower level) and sets its parent. Returns the child, or null with a
// message when parent is null.
InterfaceObject* insertChild(InterfaceObject* parent, InterfaceObject* child);

// Walks over the tree below `start`, on one shared work stack: they must not nest
// (no callback called by a walk may start a walk or a hit test). Each returns 1,
// or 0 when start is null. Init, idle and keyboard walks visit hidden objects too.
int initWalk(InterfaceObject* start);
int idleWalk(InterfaceObject* start);
int keyboardWalk(InterfaceObject* start, int key, int x, int y);
int displayWalk(InterfaceObject* start);               // 0 when start is null or hidden
int moveWalk(InterfaceObject* start, int dx, int dy);  // moves start and its subtree
// The deepest, topmost active object containing (px, py) (edges inclusive), or null.
InterfaceObject* hitTest(InterfaceObject* start, int px, int py);

// The root object "interface": its child list is the window table.
extern InterfaceObject _glutInterface;
