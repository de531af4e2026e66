// Windows and the dispatch of GLUT events.
//
// Sections: constants and state; the window table; window creation; the GLUT
// callbacks; redisplay and the event loop.
#include "toolkit/window.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

// ---- Constants and state

namespace {

constexpr unsigned WINDOW_DISPLAY_MODE = GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH | GLUT_STENCIL;
static_assert(WINDOW_DISPLAY_MODE == 50, "double buffer, RGBA, depth and stencil");
// Background of every window: red 85, green 95, blue 118 of 255, opaque.
constexpr float WINDOW_CLEAR_COLOUR[4] = {85.0f / 255.0f, 95.0f / 255.0f, 118.0f / 255.0f, 1.0f};
constexpr int ESC_KEY = 27;  // ends the process with exit code 1 after the keyboard walk
constexpr int ROOT_LEVEL = -1;
constexpr int WINDOW_LEVEL = -1;
constexpr auto IDLE_SLEEP = std::chrono::milliseconds(1);
// Mesa's software driver takes a window's new size only at the buffer swap after
// the resize, so the first frame drawn after it still has the old size; a second
// frame a moment later shows the whole window.
constexpr unsigned RESIZE_FOLLOW_UP_MS = 50;

bool rootInitialised = false;
bool processEnding = false;  // GLUT destroys the windows left open when the process ends
WindowClosedHook windowClosedHook = nullptr;

bool glutReady() {
    return glutGet(GLUT_INIT_STATE) != 0;
}

}  // namespace

// ---- The window table

int windowCount() {
    return _glutInterface.children.count;
}

Window* windowAt(int index) {
    if (index < 0 || index >= windowCount()) return nullptr;
    return static_cast<Window*>(_glutInterface.children.items[index]);
}

Window* windowWithId(int id) {
    if (id < 1) return nullptr;
    // Entry id - 1 when every window came from createWindow; searched otherwise,
    // so that a window GLUT made for someone else never indexes past the table.
    Window* guess = windowAt(id - 1);
    if (guess && guess->windowId == id) return guess;
    for (int i = 0; i < windowCount(); ++i) {
        if (windowAt(i)->windowId == id) return windowAt(i);
    }
    return nullptr;
}

// GLUT keeps the current window (the window of the running callback, or the
// one created or set last); the toolkit asks it each time instead of keeping a copy.
Window* currentWindowObject() {
    return glutReady() ? windowWithId(glutGetWindow()) : nullptr;
}

// ---- Window creation

void initToolkit(int* argc, char** argv) {
    static bool exitHandlerRegistered = false;
    if (!glutReady()) glutInit(argc, argv);
    if (!exitHandlerRegistered) {
        // Registered after GLUT's own clean-up, so it runs before it.
        std::atexit([] { processEnding = true; });
        exitHandlerRegistered = true;
    }
    // GLUT's default would end the process, unsaved work and all, at the close
    // button of any window.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
}

void setWindowClosedHook(WindowClosedHook hook) {
    windowClosedHook = hook;
}

namespace {

void handleClose() {
    Window* window = windowWithId(glutGetWindow());
    if (!window) return;
    if (windowClosedHook && !processEnding) windowClosedHook(window);
    window->windowId = 0;
}

// A program that did not call initToolkit gets GLUT initialised here.
void initToolkitIfNeeded() {
    int argc = 1;
    char name[] = "annotate";
    char* argv[] = {name, nullptr};
    initToolkit(&argc, argv);
}

}  // namespace

bool screenSize(int* width, int* height) {
    initToolkitIfNeeded();
    *width = glutGet(GLUT_SCREEN_WIDTH);
    *height = glutGet(GLUT_SCREEN_HEIGHT);
    if (*width > 0 && *height > 0) return true;
    *width = *height = 0;
    return false;
}

Window* createWindow(int x, int y, int w, int h, const char* title, float rate) {
    initToolkitIfNeeded();
    Window* window = new Window();
    if (!rootInitialised) {
        initObjectBasic(&_glutInterface, 0, 0, 0, 0, "interface", ROOT_LEVEL, nullptr);
        rootInitialised = true;
        std::printf("_glutInterface.level: %d\n", _glutInterface.level);
    }
    initObjectBasic(window, x, y, w, h, title, WINDOW_LEVEL, nullptr);
    frameTimerInit(&window->timer, rate);
    insertChild(&_glutInterface, window);
    window->parent = nullptr;

    glutInitDisplayMode(WINDOW_DISPLAY_MODE);
    glutInitWindowPosition(x, y);
    glutInitWindowSize(w, h);
    window->windowId = glutCreateWindow(title);
    std::printf("id: %d\n", window->windowId);

    glutSetWindow(window->windowId);
    glEnable(GL_NORMALIZE);
    glClearColor(WINDOW_CLEAR_COLOUR[0], WINDOW_CLEAR_COLOUR[1], WINDOW_CLEAR_COLOUR[2],
                 WINDOW_CLEAR_COLOUR[3]);

    glutDisplayFunc(handleDisplay);
    glutKeyboardFunc(handleKeyboard);
    glutMouseFunc(handleMouse);
    // Without a wheel callback freeglut reports wheel turns as presses and
    // releases of buttons 3 and 4: a scroll over "load" or a player button
    // would then click it.
    glutMouseWheelFunc(ignoreMouseWheel);
    glutMotionFunc(handleMotion);
    glutPassiveMotionFunc(handlePassiveMotion);
    glutIdleFunc(handleIdle);
    glutReshapeFunc(handleReshape);
    glutCloseFunc(handleClose);
    return window;
}

void ignoreMouseWheel(int, int, int, int) {}

InterfaceObject* addToCurrentWindow(InterfaceObject* object) {
    Window* window = currentWindowObject();
    if (!window) {
        std::fputs("no current window available\n", stderr);
        return nullptr;
    }
    return insertChild(window, object);
}

// ---- The GLUT callbacks

void drawWindowFrame(Window* window) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glRasterPos2i(0, 0);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 1.0, 0.0, 1.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // Every object sets the viewport to its own rectangle and draws in the unit square.
    displayWalk(window);
}

void handleDisplay() {
    Window* window = currentWindowObject();
    if (!window) return;
    drawWindowFrame(window);
    glFlush();
    glutSwapBuffers();
}

void handleKeyboard(unsigned char key, int x, int y) {
    Window* window = currentWindowObject();
    if (!window) return;
    keyboardWalk(window, key, x, y);
    if (key == ESC_KEY) std::exit(1);
}

void handleMouse(int button, int state, int x, int y) {
    Window* window = currentWindowObject();
    if (!window) return;
    if (dispatchMouseButton(window, &window->pointer, button, state, x, y)) redisplayAll();
}

void handleMotion(int x, int y) {
    Window* window = currentWindowObject();
    if (!window) return;
    if (dispatchMotion(window, &window->pointer, x, y)) redisplayAll();
}

void handlePassiveMotion(int x, int y) {
    Window* window = currentWindowObject();
    if (!window) return;
    if (dispatchPassiveMotion(window, &window->pointer, x, y)) redisplayAll();
}

namespace {

void redrawWindow(int windowId) {
    if (windowWithId(windowId) == nullptr) return;
    const int current = glutGetWindow();
    glutSetWindow(windowId);
    glutPostRedisplay();
    if (current > 0 && windowWithId(current) != nullptr) glutSetWindow(current);
}

}  // namespace

void handleReshape(int width, int height) {
    glViewport(0, 0, width, height);  // as GLUT's own reshape does
    Window* window = currentWindowObject();
    if (!window) return;
    window->w = width;
    window->h = height;
    if (window->reshape) window->reshape(window, width, height);
    glutPostRedisplay();
    glutTimerFunc(RESIZE_FOLLOW_UP_MS, redrawWindow, window->windowId);
}

namespace {

Window* firstOpenWindow() {
    for (int i = 0; i < windowCount(); ++i) {
        if (windowAt(i)->windowId != 0) return windowAt(i);
    }
    return nullptr;
}

}  // namespace

void handleIdle() {
    // After the current window has been closed GLUT names none until the next
    // event; playback goes on with the first open window's timer meanwhile.
    Window* window = currentWindowObject();
    if (!window) window = firstOpenWindow();
    if (!window) {
        std::this_thread::sleep_for(IDLE_SLEEP);
        return;
    }
    int windowId = window->windowId;
    int periods = frameTimerTick(&window->timer, toolkitClockSeconds());
    std::this_thread::sleep_for(IDLE_SLEEP);
    // One walk per tick whatever the count: a stalled program skips the frames it
    // missed instead of racing through them.
    if (periods != 0) {
        for (int i = 0; i < windowCount(); ++i) {
            Window* each = windowAt(i);
            if (each->windowId == 0) continue;
            glutSetWindow(each->windowId);
            idleWalk(each);
        }
    }
    if (windowWithId(windowId)) glutSetWindow(windowId);
}

// ---- Redisplay and the event loop

void redisplayAll() {
    if (!glutReady()) return;
    Window* previous = currentWindowObject();
    for (int i = 0; i < windowCount(); ++i) {
        Window* window = windowAt(i);
        if (window->windowId == 0) continue;
        glutSetWindow(window->windowId);
        glutPostRedisplay();
    }
    if (previous && previous->windowId != 0) glutSetWindow(previous->windowId);
}

void redisplayWindow(const Window* window) {
    if (!glutReady() || window == nullptr || window->windowId == 0) return;
    redrawWindow(window->windowId);
}

void runInterface(void (*prepareWindow)(int windowIndex)) {
    if (!glutReady()) return;  // no window was ever created
    for (int i = 0; i < windowCount(); ++i) {
        Window* window = windowAt(i);
        if (window->windowId == 0) continue;
        glutSetWindow(window->windowId);
        if (prepareWindow) prepareWindow(i);
        initWalk(window);
    }
    glutMainLoop();
}
