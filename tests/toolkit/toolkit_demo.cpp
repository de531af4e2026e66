// A small program built on the toolkit alone: two windows of plain rectangles
// that print every event they receive, one line each, on standard output. The
// end-to-end test drives it with real pointer and key events.
//
// Keys (in the main window): d dumps every object's rectangle and flags, i prints
// the idle counts, s stalls for one second; Esc ends the program (code 1).
#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "gl_driver_pin.h"
#include "gl_test_window.h"
#include "toolkit/window.h"

namespace {

struct Rgb {
    float r, g, b;
};

// A coloured rectangle that reports its events.
struct Patch : InterfaceObject {
    Rgb colour = {0.0f, 0.0f, 0.0f};
};

constexpr float DEMO_RATE = 30.0f;          // idle ticks per second of both windows
constexpr int STALL_MS = 1000;              // length of the 's' stall
constexpr int AFTER_STALL_WINDOW_MS = 100;  // idle walks are counted this long after it

Patch patchA, patchB, movable, movableChild, patchC;
Window* mainWindow = nullptr;
Window* secondWindow = nullptr;

int mainIdleWalks = 0;
int secondIdleWalks = 0;
int dumps = 0;
bool stallReportPending = false;
int walksAtStallEnd = 0;
std::chrono::steady_clock::time_point stallEnd;
const std::chrono::steady_clock::time_point programStart = std::chrono::steady_clock::now();

long msSince(std::chrono::steady_clock::time_point start) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - start)
                                 .count());
}

int reportInit(InterfaceObject* object) {
    std::printf("init %s\n", object->name);
    return defaultInit(object);
}

int reportPress(InterfaceObject* object, int x, int y) {
    std::printf("press %s %d %d\n", object->name, x, y);
    return 1;
}

int reportRelease(InterfaceObject* object, int x, int y, int, int) {
    std::printf("release %s %d %d\n", object->name, x, y);
    return 1;
}

int reportReleaseOutside(InterfaceObject* object, int x, int y, int, int) {
    std::printf("releaseOutside %s %d %d\n", object->name, x, y);
    return 1;
}

int reportKey(InterfaceObject* object, int key, int, int) {
    std::printf("key %s %d\n", object->name, key);
    return 1;
}

int drawPatch(InterfaceObject* object) {
    const Patch* patch = static_cast<Patch*>(object);
    float shade = flagsSet(object, OBJ_PRESSED)     ? 0.5f
                  : flagsSet(object, OBJ_ROLL_OVER) ? 1.2f
                                                    : 1.0f;
    glViewport(object->x, object->y, object->w, object->h);
    glColor3f(patch->colour.r * shade, patch->colour.g * shade, patch->colour.b * shade);
    fillTestUnitSquare();
    return 1;
}

int reportDisplay(InterfaceObject* window) {
    std::printf("display %s\n", window->name);
    return 1;
}

int countMainIdle(InterfaceObject*) {
    ++mainIdleWalks;
    if (stallReportPending && msSince(stallEnd) >= AFTER_STALL_WINDOW_MS) {
        stallReportPending = false;
        std::printf("after stall %d walks in %ld ms\n", mainIdleWalks - walksAtStallEnd,
                    msSince(stallEnd));
    }
    return 1;
}

int countSecondIdle(InterfaceObject*) {
    ++secondIdleWalks;
    return 1;
}

void dumpObject(const InterfaceObject* object) {
    static const struct {
        uint32_t bit;
        const char* name;
    } FLAG_NAMES[] = {
        {OBJ_HIDDEN, "HIDDEN"},
        {OBJ_ACTIVE, "ACTIVE"},
        {OBJ_MOVABLE, "MOVABLE"},
        {OBJ_ROLL_OVER, "ROLL_OVER"},
        {OBJ_ROLL_OUT, "ROLL_OUT"},
        {OBJ_PRESSED, "PRESSED"},
        {OBJ_RELEASED, "RELEASED"},
        {OBJ_RELEASED_OUTSIDE, "RELEASED_OUTSIDE"},
        {OBJ_LEFT_BUTTON, "LEFT_BUTTON"},
        {OBJ_MIDDLE_BUTTON, "MIDDLE_BUTTON"},
        {OBJ_RIGHT_BUTTON, "RIGHT_BUTTON"},
        {OBJ_PRESS_TOGGLE, "PRESS_TOGGLE"},
        {OBJ_SWITCHED_ON, "SWITCHED_ON"},
        {OBJ_INITIALIZED, "INITIALIZED"},
        {OBJ_VISITED, "VISITED"},
    };
    std::string flags;
    for (const auto& flag : FLAG_NAMES) {
        if (flagsSet(object, flag.bit)) flags += std::string(" ") + flag.name;
    }
    std::printf("state %s %d %d %d %d%s\n", object->name, object->x, object->y, object->w,
                object->h, flags.c_str());
}

int mainWindowKey(InterfaceObject* object, int key, int x, int y) {
    reportKey(object, key, x, y);
    if (key == 'd') {
        ++dumps;
        std::printf("dump begin %d\n", dumps);
        for (const InterfaceObject* each :
             {static_cast<InterfaceObject*>(mainWindow), static_cast<InterfaceObject*>(&patchA),
              static_cast<InterfaceObject*>(&patchB), static_cast<InterfaceObject*>(&movable),
              static_cast<InterfaceObject*>(&movableChild),
              static_cast<InterfaceObject*>(&patchC)}) {
            dumpObject(each);
        }
        std::printf("dump end %d\n", dumps);
    } else if (key == 'i') {
        std::printf("idle %d %d %ld\n", mainIdleWalks, secondIdleWalks, msSince(programStart));
    } else if (key == 's') {
        std::this_thread::sleep_for(std::chrono::milliseconds(STALL_MS));
        stallEnd = std::chrono::steady_clock::now();
        walksAtStallEnd = mainIdleWalks;
        stallReportPending = true;
        std::printf("stall done\n");
    }
    return 1;
}

void makePatch(Patch* patch, const char* name, int x, int y, int w, int h, int level, Rgb colour) {
    initObjectBasic(patch, x, y, w, h, name, level, drawPatch);
    patch->init = reportInit;
    patch->colour = colour;
    setKeyboardCallback(patch, reportKey);
    setPressCallback(patch, reportPress);
    setReleaseCallback(patch, reportRelease);
    // The toolkit offers no setter for this one: widgets leave it empty.
    patch->releaseOutside = reportReleaseOutside;
}

void prepareWindow(int index) {
    std::printf("prepare %d\n", index);
}

void windowClosed(Window* window) {
    std::printf("closed %s\n", window->name);
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    initToolkit(&argc, argv);
    keepGlDriverAtExit();  // for the leak checker of sanitizer builds
    setWindowClosedHook(windowClosed);

    // Placed away from the screen's corner so that its empty space hits nothing.
    mainWindow = createWindow(500, 400, 400, 300, "demo main", DEMO_RATE);
    mainWindow->init = reportInit;
    setDisplayCallback(mainWindow, reportDisplay);
    setKeyboardCallback(mainWindow, mainWindowKey);
    makePatch(&patchA, "A", 20, 20, 100, 60, 0, {0.8f, 0.2f, 0.2f});
    setIdleCallback(&patchA, countMainIdle);
    addToCurrentWindow(&patchA);
    makePatch(&patchB, "B", 150, 20, 100, 60, 0, {0.2f, 0.7f, 0.2f});
    addToCurrentWindow(&patchB);
    makePatch(&movable, "M", 20, 150, 120, 100, 1, {0.2f, 0.3f, 0.8f});
    setFlags(&movable, OBJ_MOVABLE);
    addToCurrentWindow(&movable);
    makePatch(&movableChild, "MC", 40, 170, 40, 30, 0, {0.9f, 0.9f, 0.3f});
    insertChild(&movable, &movableChild);

    secondWindow = createWindow(100, 400, 200, 150, "demo second", DEMO_RATE);
    secondWindow->init = reportInit;
    setDisplayCallback(secondWindow, reportDisplay);
    setKeyboardCallback(secondWindow, reportKey);
    makePatch(&patchC, "C", 20, 20, 80, 60, 0, {0.6f, 0.3f, 0.6f});
    setIdleCallback(&patchC, countSecondIdle);
    addToCurrentWindow(&patchC);

    runInterface(prepareWindow);
    std::printf("event loop ended\n");
    return 0;
}
