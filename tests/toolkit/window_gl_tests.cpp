#include <GL/freeglut.h>
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../support/gl_test_window.h"
#include "gl_driver_pin.h"
#include "toolkit/window.h"

namespace {

const Rgb BACKGROUND = {85, 95, 118};
const Rgb RED = {255, 0, 0};
const Rgb GREEN = {0, 255, 0};
const Rgb BLUE = {0, 0, 255};

// A plain coloured rectangle, drawn the way widgets draw: viewport on its own
// rectangle, the unit square filled.
struct Patch : InterfaceObject {
    Rgb colour = {0, 0, 0};
    int idleWalks = 0;
};

int drawPatch(InterfaceObject* object) {
    const Patch* patch = static_cast<Patch*>(object);
    glViewport(patch->x, patch->y, patch->w, patch->h);
    glColor3ub(patch->colour.r, patch->colour.g, patch->colour.b);
    fillTestUnitSquare();
    return 1;
}

int countIdle(InterfaceObject* object) {
    ++static_cast<Patch*>(object)->idleWalks;
    return 1;
}

void makePatch(Patch* patch, int x, int y, int w, int h, int level, Rgb colour,
               InterfaceObject* parent = nullptr) {
    initObjectBasic(patch, x, y, w, h, "patch", level, drawPatch);
    setIdleCallback(patch, countIdle);
    patch->colour = colour;
    if (parent) {
        insertChild(parent, patch);
    } else {
        ASSERT_EQ(addToCurrentWindow(patch), patch);
    }
}

class WindowGl : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        int argc = 1;
        char name[] = "window_gl_tests";
        char* argv[] = {name, nullptr};
        initToolkit(&argc, argv);
        keepGlDriverAtExit();
    }
};

TEST_F(WindowGl, CreationRegistersTheWindowAndReportsItsId) {
    bool first = windowCount() == 0;
    testing::internal::CaptureStdout();
    Window* window = createWindow(30, 40, 160, 120, "first window", 30.0f);
    std::string output = testing::internal::GetCapturedStdout();
    ASSERT_NE(window, nullptr);
    std::string idLine = "id: " + std::to_string(window->windowId) + "\n";
    EXPECT_EQ(output, first ? "_glutInterface.level: -1\n" + idLine : idLine);
    EXPECT_STREQ(_glutInterface.name, "interface");
    EXPECT_EQ(_glutInterface.level, -1);
    EXPECT_EQ(_glutInterface.flags, OBJ_ACTIVE);

    EXPECT_EQ(glutGetWindow(), window->windowId);
    EXPECT_EQ(currentWindowObject(), window);
    EXPECT_EQ(windowAt(windowCount() - 1), window);
    EXPECT_EQ(windowWithId(window->windowId), window);
    EXPECT_EQ(window->parent, nullptr);
    EXPECT_EQ(window->level, -1);
    EXPECT_STREQ(window->name, "first window");
    EXPECT_EQ(window->x, 30);
    EXPECT_EQ(window->y, 40);
    EXPECT_EQ(window->w, 160);
    EXPECT_EQ(window->h, 120);
    EXPECT_EQ(window->timer.rate, 30.0f);
    EXPECT_EQ(window->timer.lastTime, -1.0f);

    testing::internal::CaptureStdout();
    Window* second = createWindow(0, 0, 50, 50, "second window", 10.0f);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "id: " + std::to_string(second->windowId) + "\n");
    EXPECT_EQ(second->windowId, window->windowId + 1);
    EXPECT_EQ(currentWindowObject(), second);
}

TEST_F(WindowGl, FrameClearsProjectsTheUnitSquareAndDrawsInWalkOrder) {
    Window* window = createWindow(0, 0, 200, 100, "frame", 30.0f);
    static Patch red, green, blue, hidden;
    makePatch(&red, 10, 10, 50, 40, 0, RED);
    makePatch(&green, 40, 20, 50, 40, 1, GREEN);
    makePatch(&blue, 15, 15, 10, 10, 0, BLUE, &red);
    makePatch(&hidden, 0, 0, 200, 100, 2, BLUE);
    setFlags(&hidden, OBJ_HIDDEN);

    // Whatever matrices were left behind, the frame sets its own.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, 2.0, 0.0, 2.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.5f, 0.5f, 0.0f);
    drawWindowFrame(window);

    EXPECT_TRUE(nearColour(readPixel(150, 80), BACKGROUND));
    EXPECT_TRUE(nearColour(readPixel(10, 10), RED)) << "the unit square fills the viewport";
    EXPECT_TRUE(nearColour(readPixel(59, 12), RED));
    EXPECT_TRUE(nearColour(readPixel(9, 9), BACKGROUND));
    EXPECT_TRUE(nearColour(readPixel(60, 12), BACKGROUND));
    EXPECT_TRUE(nearColour(readPixel(45, 30), GREEN)) << "higher level drawn later";
    EXPECT_TRUE(nearColour(readPixel(89, 59), GREEN));
    EXPECT_TRUE(nearColour(readPixel(20, 20), BLUE)) << "children drawn after their parent";
    EXPECT_TRUE(nearColour(readPixel(30, 30), RED)) << "the hidden patch is not drawn";

    setFlags(window, OBJ_HIDDEN);
    drawWindowFrame(window);
    EXPECT_TRUE(nearColour(readPixel(20, 20), BACKGROUND));
    EXPECT_TRUE(nearColour(readPixel(45, 30), BACKGROUND));
}

TEST_F(WindowGl, IdleRunsOneWalkPerWindowPerTickAndKeepsTheCurrentWindow) {
    Window* first = createWindow(0, 0, 40, 40, "idle one", 30.0f);
    static Patch one, two;
    makePatch(&one, 0, 0, 10, 10, 0, RED);
    Window* second = createWindow(50, 0, 40, 40, "idle two", 30.0f);
    makePatch(&two, 0, 0, 10, 10, 0, RED);
    (void)first;

    // The first check of the current window's timer gathers nothing.
    handleIdle();
    EXPECT_EQ(one.idleWalks + two.idleWalks, 0);
    EXPECT_GE(second->timer.lastTime, 0.0f);

    // A second's worth gathered, as after a stall: one walk per window, not thirty.
    second->timer.accumulator = 1.0f;
    handleIdle();
    EXPECT_EQ(one.idleWalks, 1);
    EXPECT_EQ(two.idleWalks, 1);
    EXPECT_LE(second->timer.accumulator, 1.0f / 30.0f);
    EXPECT_EQ(glutGetWindow(), second->windowId);
}

TEST_F(WindowGl, RedisplayAllRestoresTheCurrentWindow) {
    Window* first = createWindow(0, 0, 40, 40, "redisplay one", 30.0f);
    createWindow(50, 0, 40, 40, "redisplay two", 30.0f);
    glutSetWindow(first->windowId);
    redisplayAll();
    EXPECT_EQ(glutGetWindow(), first->windowId);
    EXPECT_EQ(currentWindowObject(), first);
}

std::vector<std::string> closedTitles;
void recordClosed(Window* window) {
    closedTitles.push_back(window->name);
}

TEST_F(WindowGl, ClosedWindowsAreSkippedFromThenOn) {
    createWindow(0, 0, 40, 40, "kept", 30.0f);
    static Patch keptPatch;
    makePatch(&keptPatch, 0, 0, 10, 10, 0, RED);
    Window* closing = createWindow(50, 0, 40, 40, "closing", 30.0f);
    int closingId = closing->windowId;
    setWindowClosedHook(recordClosed);

    // Closing the current window leaves GLUT without one until the next event.
    glutDestroyWindow(closingId);
    EXPECT_EQ(currentWindowObject(), nullptr);
    testing::internal::CaptureStderr();
    static Patch orphan;
    initObjectBasic(&orphan, 0, 0, 1, 1, "orphan", 0, nullptr);
    EXPECT_EQ(addToCurrentWindow(&orphan), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "no current window available\n");
    // Idle goes on with the first open window's timer meanwhile.
    Window* firstOpen = windowAt(0);
    ASSERT_NE(firstOpen->windowId, 0);
    firstOpen->timer.accumulator = 1.0f;
    int walksBefore = keptPatch.idleWalks;
    handleIdle();
    EXPECT_EQ(keptPatch.idleWalks, walksBefore + 1);
    EXPECT_EQ(glutGetWindow(), firstOpen->windowId);

    glutMainLoopEvent();  // GLUT closes windows between events
    setWindowClosedHook(nullptr);
    EXPECT_EQ(closedTitles, std::vector<std::string>{"closing"});
    EXPECT_EQ(closing->windowId, 0);
    EXPECT_EQ(windowWithId(closingId), nullptr);
    // Neither may touch the closed window: GLUT would end the process.
    redisplayAll();
    firstOpen->timer.accumulator = 1.0f;
    glutSetWindow(firstOpen->windowId);
    handleIdle();
    EXPECT_EQ(keptPatch.idleWalks, walksBefore + 2);
}

int announceKey(InterfaceObject*, int key, int, int) {
    fprintf(stderr, "key seen %d\n", key);
    return 1;
}

TEST_F(WindowGl, EscEndsTheProcessWithCodeOneAfterTheKeyboardWalk) {
    Window* window = createWindow(0, 0, 40, 40, "esc", 30.0f);
    setKeyboardCallback(window, announceKey);
    handleKeyboard('q', 1, 2);  // any other key leaves the process running
    // A forked child would share GL's threads; a fresh process exits as a program does.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(handleKeyboard(27, 1, 2), testing::ExitedWithCode(1), "key seen 27");
}

}  // namespace
