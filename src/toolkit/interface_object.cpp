// InterfaceObject operations.
//
// Sections: initialisation and setters; flag operations; invokers; insertion;
// walks; hit test.
#include "toolkit/interface_object.h"

#include <cassert>
#include <cstdio>
#include <cstring>

#include "toolkit/work_stack.h"

InterfaceObject _glutInterface;

// ---- Initialisation and setters

void initObject(InterfaceObject* object, int x, int y, int w, int h, const char* name, int level,
                uint32_t flags, InterfaceObject* parent, InitCallback init, DisplayCallback display,
                KeyboardCallback keyboard, IdleCallback idle, PointerCallback press,
                DragCallback release, DragCallback releaseOutside, int reserved0, int reserved1) {
    assert(object);
    object->flags = flags;
    object->x = x;
    object->y = y;
    object->w = w;
    object->h = h;
    std::memset(object->name, 0, sizeof object->name);
    if (name) std::strncpy(object->name, name, sizeof object->name - 1);
    object->level = level;
    object->parent = parent;
    pointerListInit(&object->children, 1, 0);
    object->init = init;
    object->display = display;
    object->keyboard = keyboard;
    object->idle = idle;
    object->press = press;
    object->release = release;
    object->releaseOutside = releaseOutside;
    object->reserved[0] = reserved0;
    object->reserved[1] = reserved1;
    object->drag = nullptr;  // set apart by the few objects that follow a drag
}

void initObjectBasic(InterfaceObject* object, int x, int y, int w, int h, const char* name,
                     int level, DisplayCallback display) {
    initObject(object, x, y, w, h, name, level, OBJ_ACTIVE, nullptr, defaultInit, display, nullptr,
               nullptr, nullptr, nullptr, nullptr, 0, 0);
}

int defaultInit(InterfaceObject* object) {
    if (flagsSet(object, OBJ_INITIALIZED)) return 0;
    setFlags(object, OBJ_INITIALIZED);
    return 1;
}

void setDisplayCallback(InterfaceObject* object, DisplayCallback callback) {
    object->display = callback;
}
void setKeyboardCallback(InterfaceObject* object, KeyboardCallback callback) {
    object->keyboard = callback;
}
void setIdleCallback(InterfaceObject* object, IdleCallback callback) {
    object->idle = callback;
}
void setPressCallback(InterfaceObject* object, PointerCallback callback) {
    object->press = callback;
}
void setReleaseCallback(InterfaceObject* object, DragCallback callback) {
    object->release = callback;
}
void setDragCallback(InterfaceObject* object, DragCallback callback) {
    object->drag = callback;
}

// ---- Flag operations

void assignFlags(InterfaceObject* object, uint32_t flags) {
    object->flags = flags;
}
uint32_t setFlags(InterfaceObject* object, uint32_t bits) {
    return object->flags |= bits;
}
uint32_t clearFlags(InterfaceObject* object, uint32_t bits) {
    return object->flags &= ~bits;
}
void toggleFlags(InterfaceObject* object, uint32_t bits) {
    object->flags ^= bits;
}
bool flagsSet(const InterfaceObject* object, uint32_t bits) {
    return (object->flags & bits) == bits;
}
bool flagsNotSet(const InterfaceObject* object, uint32_t bits) {
    return !flagsSet(object, bits);
}
bool isPlaying(const InterfaceObject* object) {
    return flagsSet(object, OBJ_PLAYING);
}
bool isPressed(const InterfaceObject* object) {
    return flagsSet(object, OBJ_PRESSED);
}

// ---- Invokers

int invokeInit(InterfaceObject* object) {
    return object->init ? object->init(object) : 0;
}
int invokeDisplay(InterfaceObject* object) {
    return object->display ? object->display(object) : 0;
}
int invokeIdle(InterfaceObject* object) {
    return object->idle ? object->idle(object) : 0;
}
int invokeKeyboard(InterfaceObject* object, int key, int x, int y) {
    return object->keyboard ? object->keyboard(object, key, x, y) : 0;
}
int invokePress(InterfaceObject* object, int x, int y) {
    return object->press ? object->press(object, x, y) : 0;
}
int invokeDrag(InterfaceObject* object, int x, int y, int pressX, int pressY) {
    return object->drag ? object->drag(object, x, y, pressX, pressY) : 0;
}
int invokeRelease(InterfaceObject* object, int x, int y, int pressX, int pressY) {
    return object->release ? object->release(object, x, y, pressX, pressY) : 0;
}
int invokeReleaseOutside(InterfaceObject* object, int x, int y, int pressX, int pressY) {
    return object->releaseOutside ? object->releaseOutside(object, x, y, pressX, pressY) : 0;
}

// ---- Insertion

InterfaceObject* insertChild(InterfaceObject* parent, InterfaceObject* child) {
    if (!parent) {
        std::fputs("error, list = NULL\n", stderr);
        return nullptr;
    }
    assert(child);
    if (!child) return nullptr;
    PointerList* list = &parent->children;
    if (!pointerListMakeRoom(list)) return nullptr;
    // Shift every child of a higher level one place on, so equal levels keep
    // the order in which they were inserted.
    int slot = list->count;
    while (slot > 0 && static_cast<InterfaceObject*>(list->items[slot - 1])->level > child->level) {
        list->items[slot] = list->items[slot - 1];
        --slot;
    }
    list->items[slot] = child;
    ++list->count;
    child->parent = parent;
    return child;
}

// ---- Walks

namespace {

InterfaceObject* childAt(const InterfaceObject* object, int index) {
    return static_cast<InterfaceObject*>(object->children.items[index]);
}

void pushChildrenFirstToLast(const InterfaceObject* object) {
    for (int i = 0; i < object->children.count; ++i) workStackPush(childAt(object, i));
}

// Runs `visit` on every object of the tree, hidden ones included, the last
// child of each object first.
template <typename Visit>
int walkAll(InterfaceObject* start, Visit visit) {
    if (!start) return 0;
    workStackBegin();
    workStackPush(start);
    while (!workStackEmpty()) {
        InterfaceObject* object = workStackPop();
        visit(object);
        pushChildrenFirstToLast(object);
    }
    workStackEnd();
    return 1;
}

}  // namespace

int initWalk(InterfaceObject* start) {
    return walkAll(start, [](InterfaceObject* object) { invokeInit(object); });
}

int idleWalk(InterfaceObject* start) {
    return walkAll(start, [](InterfaceObject* object) { invokeIdle(object); });
}

int keyboardWalk(InterfaceObject* start, int key, int x, int y) {
    return walkAll(start, [=](InterfaceObject* object) { invokeKeyboard(object, key, x, y); });
}

int moveWalk(InterfaceObject* start, int dx, int dy) {
    return walkAll(start, [=](InterfaceObject* object) {
        object->x += dx;
        object->y += dy;
    });
}

int displayWalk(InterfaceObject* start) {
    if (!start || flagsSet(start, OBJ_HIDDEN)) return 0;
    workStackBegin();
    workStackPush(start);
    while (!workStackEmpty()) {
        InterfaceObject* object = workStackPop();
        invokeDisplay(object);
        // Pushed last to first so that the first (lowest level) child is drawn next.
        for (int i = object->children.count - 1; i >= 0; --i) {
            InterfaceObject* child = childAt(object, i);
            if (flagsNotSet(child, OBJ_HIDDEN)) workStackPush(child);
        }
    }
    workStackEnd();
    return 1;
}

// ---- Hit test

InterfaceObject* hitTest(InterfaceObject* start, int px, int py) {
    if (!start || flagsSet(start, OBJ_HIDDEN)) return nullptr;
    workStackBegin();
    workStackPush(start);
    InterfaceObject* found = nullptr;
    while (!workStackEmpty()) {
        InterfaceObject* object = workStackPop();
        if (pointerListHasItems(&object->children) && flagsNotSet(object, OBJ_VISITED)) {
            // Children are tested before their parent: the parent goes back
            // under them, marked so that it is tested when it comes up again.
            workStackPush(object);
            for (int i = 0; i < object->children.count; ++i) {
                InterfaceObject* child = childAt(object, i);
                if (flagsNotSet(child, OBJ_HIDDEN)) workStackPush(child);
            }
            setFlags(object, OBJ_VISITED);
            continue;
        }
        clearFlags(object, OBJ_VISITED);
        bool inside = object->x <= px && px <= object->x + object->w && object->y <= py &&
                      py <= object->y + object->h;
        if (inside && flagsSet(object, OBJ_ACTIVE)) {
            found = object;
            while (!workStackEmpty()) clearFlags(workStackPop(), OBJ_VISITED);
        }
    }
    workStackEnd();
    return found;
}
