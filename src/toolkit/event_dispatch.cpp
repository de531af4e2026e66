#include "toolkit/event_dispatch.h"

#include <cstdio>

namespace {

uint32_t buttonBit(int button) {
    switch (button) {
        case MOUSE_LEFT_BUTTON:
            return OBJ_LEFT_BUTTON;
        case MOUSE_MIDDLE_BUTTON:
            return OBJ_MIDDLE_BUTTON;
        case MOUSE_RIGHT_BUTTON:
            return OBJ_RIGHT_BUTTON;
        default:
            std::fprintf(stderr, "Unknown mouse button: %d\n", button);
            return 0;
    }
}

// Records a pointer position given by GLUT (y downward) and the movement since the last one.
void trackMovement(const InterfaceObject* window, PointerState* pointer, int x, int y) {
    int upward = window->h - y;
    pointer->dx = x - pointer->x;
    pointer->dy = upward - pointer->y;
    pointer->x = x;
    pointer->y = upward;
}

void storeButtonEventPosition(PointerState* pointer) {
    pointer->pressX = pointer->x;
    pointer->pressY = pointer->y;
}

// The pointer and the press, relative to the object, for the drag callbacks.
int callWithPress(int (*invoke)(InterfaceObject*, int, int, int, int), InterfaceObject* object,
                  const PointerState* pointer) {
    return invoke(object, pointer->x - object->x, pointer->y - object->y,
                  pointer->pressX - object->x, pointer->pressY - object->y);
}

}  // namespace

bool dispatchMouseButton(InterfaceObject* window, PointerState* pointer, int button, int state,
                         int x, int y) {
    pointer->x = x;
    pointer->y = window->h - y;
    InterfaceObject* hit = hitTest(window, pointer->x, pointer->y);
    // Flags go to the window itself when the pointer is over none of its objects.
    InterfaceObject* target = hit ? hit : window;
    uint32_t bit = buttonBit(button);
    bool redraw = false;

    if (state == MOUSE_BUTTON_DOWN) {
        setFlags(target, bit | OBJ_PRESSED);
        clearFlags(target, OBJ_RELEASED | OBJ_RELEASED_OUTSIDE | OBJ_ROLL_OVER | OBJ_ROLL_OUT);
        toggleFlags(target, OBJ_PRESS_TOGGLE);
        storeButtonEventPosition(pointer);
        if (hit) {
            invokePress(hit, pointer->x - hit->x, pointer->y - hit->y);
            redraw = true;
        }
    } else if (state == MOUSE_BUTTON_UP) {
        setFlags(target, OBJ_RELEASED);
        clearFlags(target, OBJ_RELEASED_OUTSIDE | OBJ_PRESSED | OBJ_ROLL_OVER | OBJ_ROLL_OUT | bit);
        InterfaceObject* pressed = pointer->pressed;
        if (hit && hit == pressed) {
            callWithPress(invokeRelease, hit, pointer);
            toggleFlags(hit, OBJ_SWITCHED_ON);
            redraw = true;
        } else if (pressed) {
            setFlags(pressed, OBJ_RELEASED_OUTSIDE);
            clearFlags(pressed, OBJ_RELEASED | OBJ_PRESSED | bit);
            callWithPress(invokeReleaseOutside, pressed, pointer);
            redraw = true;
        }
        // Stored only now: the release callbacks get where the button went down.
        storeButtonEventPosition(pointer);
    } else {
        clearFlags(target, OBJ_POINTER_STATE_BITS | OBJ_BUTTON_BITS);
        storeButtonEventPosition(pointer);
    }
    pointer->pressed = hit;
    return redraw;
}

bool dispatchMotion(InterfaceObject* window, PointerState* pointer, int x, int y) {
    trackMovement(window, pointer, x, y);
    InterfaceObject* pressed = pointer->pressed;
    if (!pressed) return false;
    if (flagsSet(pressed, OBJ_MOVABLE)) moveWalk(pressed, pointer->dx, pointer->dy);
    callWithPress(invokeDrag, pressed, pointer);
    return true;
}

bool dispatchPassiveMotion(InterfaceObject* window, PointerState* pointer, int x, int y) {
    trackMovement(window, pointer, x, y);
    InterfaceObject* hit = hitTest(window, pointer->x, pointer->y);
    InterfaceObject* target = hit ? hit : window;
    if (hit == pointer->rollOver) return false;
    bool redraw = false;
    if (pointer->rollOver) {
        clearFlags(pointer->rollOver, OBJ_ROLL_OVER);
        setFlags(pointer->rollOver, OBJ_ROLL_OUT);
        clearFlags(target, OBJ_PRESSED | OBJ_RELEASED | OBJ_RELEASED_OUTSIDE);
        redraw = true;
    }
    // Over empty space the object left stays recorded, so coming back onto it
    // changes nothing until the pointer has been over another object.
    if (!hit) return redraw;
    clearFlags(hit, OBJ_ROLL_OUT);
    setFlags(hit, OBJ_ROLL_OVER);
    clearFlags(target, OBJ_PRESSED | OBJ_RELEASED | OBJ_RELEASED_OUTSIDE);
    pointer->rollOver = hit;
    return true;
}
