// Drags on the video view through the toolkit's pointer dispatch (no display needed):
// only a release over the view, with a player selected, stores a key.
#include <gtest/gtest.h>

#include "../tracking/scene_fixture.h"
#include "toolkit/event_dispatch.h"
#include "video_view/video_view.h"

namespace {

constexpr int kWindowH = 300;

struct DragTest : ::testing::Test {
    InterfaceObject window;
    PointerState pointer;  // the window's
    VideoView view;
    SceneFixture s{0};

    void SetUp() override {
        pointer = PointerState();
        initObjectBasic(&window, 0, 0, 400, kWindowH, "window", -1, nullptr);
        clearFlags(&window, OBJ_ACTIVE);
        createVideoView(&view, 20, 10, 320, 240, "video", 0, &s.scene);
        insertChild(&window, &view);
        s.at(7);
    }
    void TearDown() override {
        pointerListRelease(&window.children);
        pointerListRelease(&view.children);
    }
    // Button down and up at window positions (y upward), as GLUT reports them.
    void dragInWindow(int fromX, int fromY, int toX, int toY) {
        dispatchMouseButton(&window, &pointer, MOUSE_LEFT_BUTTON, MOUSE_BUTTON_DOWN, fromX,
                            kWindowH - fromY);
        dispatchMotion(&window, &pointer, toX, kWindowH - toY);
        dispatchMouseButton(&window, &pointer, MOUSE_LEFT_BUTTON, MOUSE_BUTTON_UP, toX,
                            kWindowH - toY);
    }
};

TEST_F(DragTest, ReleaseOverTheViewStoresTheSelectedPlayersKey) {
    s.scene.selectedPlayer = 13;
    dragInWindow(20 + 140, 10 + 130, 20 + 100, 10 + 50);
    // The drag is taken relative to the view: pointer (100, 50), button down at (140, 130).
    EXPECT_EQ(view.dragRect.x0, 100);
    EXPECT_EQ(view.dragRect.y0, 50);
    EXPECT_EQ(view.dragRect.x1, 140);
    EXPECT_EQ(view.dragRect.y1, 130);
    KeyNode* key = seekKey(&s.tracks[13], 7);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->frame, 7);
    const KeyFrame* k = keyFrameOf(key);
    EXPECT_DOUBLE_EQ(k->rectX, 120);
    EXPECT_DOUBLE_EQ(k->rectY, 90);
    EXPECT_DOUBLE_EQ(k->rectWidth, 40);
    EXPECT_DOUBLE_EQ(k->rectHeight, 80);
    EXPECT_DOUBLE_EQ(k->feetX, 120);
    EXPECT_DOUBLE_EQ(k->feetY, 50);
    EXPECT_EQ(k->flags, 0);
}

TEST_F(DragTest, ReleaseOutsideTheViewOrWithoutPlayerStoresNothing) {
    s.scene.selectedPlayer = 2;
    dragInWindow(100, 60, 380, 280);
    EXPECT_TRUE(flagsSet(&view, OBJ_RELEASED_OUTSIDE));
    EXPECT_EQ(s.tracks[2].keys.count, 0);

    s.scene.selectedPlayer = -1;
    dragInWindow(100, 60, 200, 150);
    for (const PlayerTrack& track : s.tracks) EXPECT_EQ(track.keys.count, 0);
}

}  // namespace
