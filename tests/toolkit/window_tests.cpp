#include <gtest/gtest.h>

#include "toolkit/window.h"

namespace {

// Before any window exists (and before GLUT is initialised) the window
// functions report or do nothing; GLUT itself would end the process.
TEST(WindowWithoutGlut, NothingIsCurrentAndNothingIsAdded) {
    InterfaceObject object;
    initObjectBasic(&object, 0, 0, 1, 1, "object", 0, nullptr);
    EXPECT_EQ(currentWindowObject(), nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(addToCurrentWindow(&object), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "no current window available\n");
    EXPECT_EQ(object.parent, nullptr);
    redisplayAll();
    runInterface(nullptr);
    EXPECT_EQ(windowCount(), 0);
    EXPECT_EQ(windowAt(0), nullptr);
    EXPECT_EQ(windowWithId(1), nullptr);
    pointerListRelease(&object.children);
}

}  // namespace
