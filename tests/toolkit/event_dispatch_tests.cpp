#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "toolkit/event_dispatch.h"

namespace {

std::vector<std::string> calls;

std::string describe(const char* what, const InterfaceObject* object, int x, int y) {
    return std::string(what) + " " + object->name + " " + std::to_string(x) + " " +
           std::to_string(y);
}
int recordPress(InterfaceObject* object, int x, int y) {
    calls.push_back(describe("press", object, x, y));
    return 1;
}
int recordRelease(InterfaceObject* object, int x, int y, int pressX, int pressY) {
    calls.push_back(describe("release", object, x, y));
    // The switch flips after the release callback, which hears where the press was.
    calls.push_back(std::string("switched ") + (flagsSet(object, OBJ_SWITCHED_ON) ? "on" : "off"));
    calls.push_back(describe("pressed at", object, pressX, pressY));
    return 1;
}
int recordReleaseOutside(InterfaceObject* object, int x, int y, int pressX, int pressY) {
    calls.push_back(describe("outside", object, x, y) + " from " + std::to_string(pressX) + " " +
                    std::to_string(pressY));
    return 1;
}

constexpr int WINDOW_H = 300;

// A 400 x 300 window whose object sits beside its objects (as a window placed
// away from the screen's corner does), so that empty space hits nothing.
// GLUT's y is downward: gy(y) gives GLUT's y of a toolkit y.
class Dispatch : public testing::Test {
  protected:
    void SetUp() override {
        calls.clear();
        pointer = PointerState();
        window = make("window", 500, 400, 400, WINDOW_H);
        a = make("a", 20, 20, 100, 60, window);
        b = make("b", 150, 20, 100, 60, window);
        frame = make("frame", 20, 150, 120, 100, window);
        inner = make("inner", 40, 170, 40, 30, frame);
        setFlags(frame, OBJ_MOVABLE);
    }
    void TearDown() override {
        for (InterfaceObject& object : objects) pointerListRelease(&object.children);
    }
    InterfaceObject* make(const char* name, int x, int y, int w, int h,
                          InterfaceObject* parent = nullptr) {
        objects.emplace_back();
        InterfaceObject* object = &objects.back();
        initObjectBasic(object, x, y, w, h, name, 0, nullptr);
        setPressCallback(object, recordPress);
        setReleaseCallback(object, recordRelease);
        object->releaseOutside = recordReleaseOutside;
        if (parent) insertChild(parent, object);
        return object;
    }
    static int gy(int y) { return WINDOW_H - y; }
    bool press(int x, int y, int button = MOUSE_LEFT_BUTTON) {
        return dispatchMouseButton(window, &pointer, button, MOUSE_BUTTON_DOWN, x, gy(y));
    }
    bool release(int x, int y, int button = MOUSE_LEFT_BUTTON) {
        return dispatchMouseButton(window, &pointer, button, MOUSE_BUTTON_UP, x, gy(y));
    }
    bool hover(int x, int y) { return dispatchPassiveMotion(window, &pointer, x, gy(y)); }
    bool drag(int x, int y) { return dispatchMotion(window, &pointer, x, gy(y)); }

    std::deque<InterfaceObject> objects;
    InterfaceObject *window, *a, *b, *frame, *inner;
    PointerState pointer;  // the window's
};

using Lines = std::vector<std::string>;

TEST_F(Dispatch, ClickCallsPressThenReleaseThenFlipsTheSwitch) {
    EXPECT_TRUE(press(30, 25));
    EXPECT_EQ(pointer.x, 30);
    EXPECT_EQ(pointer.y, 25);
    EXPECT_TRUE(flagsSet(a, OBJ_PRESSED | OBJ_LEFT_BUTTON | OBJ_PRESS_TOGGLE));
    EXPECT_EQ(pointer.pressed, a);
    EXPECT_TRUE(release(35, 28));
    EXPECT_EQ(calls,
              (Lines{"press a 10 5", "release a 15 8", "switched off", "pressed at a 10 5"}));
    EXPECT_EQ(pointer.pressX, 35);
    EXPECT_EQ(pointer.pressY, 28);
    EXPECT_TRUE(flagsSet(a, OBJ_RELEASED | OBJ_SWITCHED_ON | OBJ_PRESS_TOGGLE));
    EXPECT_FALSE(flagsSet(a, OBJ_PRESSED));
    EXPECT_EQ(a->flags & OBJ_BUTTON_BITS, 0u);

    // A second click turns the switch off again; every press flips the toggle.
    press(30, 25, MOUSE_RIGHT_BUTTON);
    EXPECT_TRUE(flagsSet(a, OBJ_RIGHT_BUTTON));
    EXPECT_FALSE(flagsSet(a, OBJ_PRESS_TOGGLE));
    EXPECT_FALSE(flagsSet(a, OBJ_RELEASED));
    release(30, 25, MOUSE_RIGHT_BUTTON);
    EXPECT_FALSE(flagsSet(a, OBJ_SWITCHED_ON));
}

TEST_F(Dispatch, ReleaseOverAnotherObject) {
    press(30, 25);
    calls.clear();
    EXPECT_TRUE(release(160, 30));
    EXPECT_EQ(calls, (Lines{"outside a 140 10 from 10 5"}));
    EXPECT_TRUE(flagsSet(b, OBJ_RELEASED));
    EXPECT_FALSE(flagsSet(b, OBJ_SWITCHED_ON));
    EXPECT_TRUE(flagsSet(a, OBJ_RELEASED_OUTSIDE));
    EXPECT_FALSE(flagsSet(a, OBJ_PRESSED));
    EXPECT_FALSE(flagsSet(a, OBJ_RELEASED));
    EXPECT_FALSE(flagsSet(a, OBJ_LEFT_BUTTON));
    EXPECT_FALSE(flagsSet(a, OBJ_SWITCHED_ON));
    // Released over empty space: the window takes the flags, the pressed object
    // hears of it.
    press(30, 25);
    calls.clear();
    EXPECT_TRUE(release(300, 290));
    EXPECT_EQ(calls, (Lines{"outside a 280 270 from 10 5"}));
    EXPECT_TRUE(flagsSet(window, OBJ_RELEASED));
    EXPECT_EQ(pointer.pressed, nullptr);
}

TEST_F(Dispatch, PressOnEmptySpaceMarksTheWindowOnly) {
    EXPECT_FALSE(press(300, 290));
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(flagsSet(window, OBJ_PRESSED | OBJ_LEFT_BUTTON));
    EXPECT_FALSE(release(300, 290));
    EXPECT_TRUE(flagsSet(window, OBJ_RELEASED));
    EXPECT_FALSE(flagsSet(window, OBJ_PRESSED));
}

TEST_F(Dispatch, UnknownButtonIsReportedAndStillHandled) {
    testing::internal::CaptureStderr();
    press(30, 25, 3);
    release(30, 25, 3);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Unknown mouse button: 3\nUnknown mouse button: 3\n");
    EXPECT_EQ(calls.front(), "press a 10 5");
    EXPECT_EQ(a->flags & OBJ_BUTTON_BITS, 0u);
    EXPECT_TRUE(flagsSet(a, OBJ_SWITCHED_ON));
}

TEST_F(Dispatch, OtherButtonStatesClearThePointerFlags) {
    press(30, 25);
    dispatchMouseButton(window, &pointer, MOUSE_LEFT_BUTTON, 7, 30, gy(25));
    EXPECT_EQ(a->flags & (OBJ_POINTER_STATE_BITS | OBJ_BUTTON_BITS), 0u);
}

TEST_F(Dispatch, DraggingMovesOnlyMovableObjectsWithTheirSubtrees) {
    EXPECT_FALSE(drag(25, 160)) << "no pressed object yet";
    press(25, 160);
    EXPECT_EQ(pointer.pressed, frame);
    EXPECT_TRUE(drag(30, 157));
    EXPECT_EQ(pointer.dx, 5);
    EXPECT_EQ(pointer.dy, -3);
    EXPECT_EQ(frame->x, 25);
    EXPECT_EQ(frame->y, 147);
    EXPECT_EQ(inner->x, 45);
    EXPECT_EQ(inner->y, 167);
    release(30, 157);
    EXPECT_EQ(calls.size(), 4u) << "no callback while dragging";

    // On inner, which is not movable but follows the drag: its drag callback hears
    // the pointer and the press, relative to it.
    setDragCallback(inner, [](InterfaceObject* object, int x, int y, int pressX, int pressY) {
        calls.push_back(describe("drag", object, x, y) + " from " + std::to_string(pressX) + " " +
                        std::to_string(pressY));
        return 1;
    });
    calls.clear();
    press(50, 175);
    EXPECT_EQ(pointer.pressed, inner);
    EXPECT_TRUE(drag(60, 170));
    EXPECT_EQ(inner->x, 45);
    EXPECT_EQ(frame->x, 25);
    EXPECT_EQ(calls, (Lines{"press inner 5 8", "drag inner 15 3 from 5 8"}));

    // Another window's pointer has pressed nothing: its motion drags nothing here.
    PointerState other;
    EXPECT_FALSE(dispatchMotion(window, &other, 70, gy(160)));
    EXPECT_EQ(calls.size(), 2u);
}

TEST_F(Dispatch, RollOverAndRollOut) {
    EXPECT_TRUE(hover(30, 25));
    EXPECT_TRUE(flagsSet(a, OBJ_ROLL_OVER));
    EXPECT_EQ(pointer.rollOver, a);
    EXPECT_FALSE(hover(31, 26)) << "still over the same object";
    EXPECT_EQ(pointer.dx, 1);

    EXPECT_TRUE(hover(300, 290));
    EXPECT_TRUE(flagsSet(a, OBJ_ROLL_OUT));
    EXPECT_FALSE(flagsSet(a, OBJ_ROLL_OVER));
    // Back onto the same object: it is still the recorded one, nothing changes.
    EXPECT_FALSE(hover(30, 25));
    EXPECT_TRUE(flagsSet(a, OBJ_ROLL_OUT));
    EXPECT_FALSE(flagsSet(a, OBJ_ROLL_OVER));

    EXPECT_TRUE(hover(160, 30));
    EXPECT_TRUE(flagsSet(b, OBJ_ROLL_OVER));
    EXPECT_TRUE(hover(30, 25));
    EXPECT_TRUE(flagsSet(a, OBJ_ROLL_OVER));
    EXPECT_FALSE(flagsSet(a, OBJ_ROLL_OUT));
    EXPECT_TRUE(flagsSet(b, OBJ_ROLL_OUT));
}

TEST_F(Dispatch, RollOverClearsPressAndReleaseMarks) {
    press(30, 25);
    release(160, 30);
    ASSERT_TRUE(flagsSet(b, OBJ_RELEASED));
    hover(160, 30);
    EXPECT_FALSE(flagsSet(b, OBJ_RELEASED));
    EXPECT_TRUE(flagsSet(b, OBJ_ROLL_OVER));
    // A press clears roll flags on the object pressed.
    press(160, 30);
    EXPECT_FALSE(flagsSet(b, OBJ_ROLL_OVER));
}

TEST_F(Dispatch, PositionsFlipAgainstTheWindowHeightAsCreated) {
    dispatchPassiveMotion(window, &pointer, 10, 0);
    EXPECT_EQ(pointer.y, WINDOW_H);
    dispatchPassiveMotion(window, &pointer, 10, 299);
    EXPECT_EQ(pointer.y, 1);
    EXPECT_EQ(pointer.dy, 1 - WINDOW_H);
}

}  // namespace
