// Turning drags into keys: the integer arithmetic of the drag and the two edit modes.
#include <gtest/gtest.h>

#include <random>

#include "scene_fixture.h"
#include "tracking/key_editing.h"

namespace {

// A drag from where the button went down to where the pointer is.
DragRect drag(int downX, int downY, int toX, int toY) {
    return dragRectBetween(toX, toY, downX, downY, 0, 0);
}

// Edits player 0 at the scene's frame as the release over the video does.
const KeyFrame* editAndFetch(SceneFixture& s, KeyEditMode mode, const DragRect& d) {
    s.scene.selectedPlayer = 0;
    s.scene.editMode = mode;
    EXPECT_EQ(editSelectedPlayerKey(&s.scene, d), 1);
    KeyNode* key = seekKey(&s.tracks[0], s.frame);
    EXPECT_TRUE(key != nullptr && key->frame == s.frame);
    return key ? keyFrameOf(key) : nullptr;
}

void expectKey(const KeyFrame* k, double rectX, double rectY, double w, double h, double feetX,
               double feetY) {
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->flags, 0);
    EXPECT_DOUBLE_EQ(k->rectX, rectX);
    EXPECT_DOUBLE_EQ(k->rectY, rectY);
    EXPECT_DOUBLE_EQ(k->rectWidth, w);
    EXPECT_DOUBLE_EQ(k->rectHeight, h);
    EXPECT_DOUBLE_EQ(k->feetX, feetX);
    EXPECT_DOUBLE_EQ(k->feetY, feetY);
}

TEST(KeyEditing, DragIsRelativeToThePanel) {
    const DragRect d = dragRectBetween(150, 80, 110, 60, 10, 30);
    EXPECT_EQ(d.x0, 140);
    EXPECT_EQ(d.y0, 50);
    EXPECT_EQ(d.x1, 100);
    EXPECT_EQ(d.y1, 30);
    int fx = 0, fy = 0;
    dragFeetPoint(d, &fx, &fy);
    EXPECT_EQ(fx, 120);
    EXPECT_EQ(fy, 30);
}

TEST(KeyEditing, ADragOnAScaledPanelLandsOnThePictureSpotItCovers) {
    // Against the exact real-valued spot: a panel pixel covers video / panel video
    // pixels, and the drag takes the one under its middle; at 1:1 every offset is its
    // own pixel. Offsets off the panel follow at the same rate.
    std::mt19937 random(12);
    for (int trial = 0; trial < 20000; ++trial) {
        const int video = 1 + static_cast<int>(random() % 4000);
        const int panel = 1 + static_cast<int>(random() % video);
        const int offset = static_cast<int>(random() % (3 * panel)) - panel;
        const double exact = (offset + 0.5) * video / panel;
        const int got = panelToVideo(offset, panel, video);
        ASSERT_LE(got, exact) << offset << " on " << panel << " of " << video;
        ASSERT_GT(got + 1, exact) << offset << " on " << panel << " of " << video;
        ASSERT_EQ(panelToVideo(offset, video, video), offset);
    }
    // A drag on a panel at 0.5 scale: each coordinate doubled, plus the middle.
    const DragRect d = dragRectToVideo(DragRect{10, 20, 30, 5}, 960, 540, 1920, 1080);
    EXPECT_EQ(d.x0, 21);
    EXPECT_EQ(d.y0, 41);
    EXPECT_EQ(d.x1, 61);
    EXPECT_EQ(d.y1, 11);
}

TEST(KeyEditing, DragSetsRectangleAndFeetInEitherDirection) {
    SceneFixture s(0);
    s.at(7);
    expectKey(editAndFetch(s, EDIT_BOTH, drag(100, 50, 140, 130)), 120, 90, 40, 80, 120, 50);
    expectKey(editAndFetch(s, EDIT_BOTH, drag(140, 130, 100, 50)), 120, 90, 40, 80, 120, 50);
    // The odd sum 241 is halved toward zero.
    expectKey(editAndFetch(s, EDIT_BOTH, drag(101, 50, 140, 51)), 120, 50, 39, 1, 120, 50);
    // Every edit replaced the key on frame 7.
    EXPECT_EQ(s.tracks[0].keys.count, 1);
}

TEST(KeyEditing, ModifyFeetKeepsTheStoredInterpolatedRectangle) {
    SceneFixture s(0);
    s.key(0, 10, 10, 20, 100, 60, 20, 40);
    s.key(0, 20, 30, 40, 140, 100, 40, 80);
    s.at(15);
    // A click: the feet go under the pointer, the rectangle is the w = 0.5 blend.
    expectKey(editAndFetch(s, EDIT_FEET_ONLY, drag(60, 40, 60, 40)), 120, 80, 30, 60, 60, 40);
    EXPECT_EQ(s.tracks[0].keys.count, 3);

    // On a key's own frame its stored rectangle is kept.
    s.at(20);
    expectKey(editAndFetch(s, EDIT_FEET_ONLY, drag(5, 6, 5, 6)), 140, 100, 40, 80, 5, 6);
}

TEST(KeyEditing, ModifyRectKeepsFeetOnlyWhereThePlayerHasAPosition) {
    SceneFixture s(0);
    s.key(0, 10, 10, 20, 100, 60, 20, 40);
    s.key(0, 20, 30, 40, 140, 100, 40, 80);
    // Weight 0.8 of the key at 10: feet (0.8 * 10 + 0.2 * 30, 0.8 * 20 + 0.2 * 40).
    s.at(12);
    expectKey(editAndFetch(s, EDIT_RECT_ONLY, drag(100, 50, 140, 130)), 120, 90, 40, 80, 14, 24);
    // After the last key there is no position: the drag sets both.
    s.at(25);
    expectKey(editAndFetch(s, EDIT_RECT_ONLY, drag(100, 50, 140, 130)), 120, 90, 40, 80, 120, 50);
    // Before the first key, likewise for "modify feet".
    s.at(3);
    expectKey(editAndFetch(s, EDIT_FEET_ONLY, drag(100, 50, 140, 130)), 120, 90, 40, 80, 120, 50);
}

TEST(KeyEditing, NothingHappensWithoutASelectedPlayer) {
    SceneFixture s(0);
    for (int player : {-1, PLAYER_COUNT}) {
        s.scene.selectedPlayer = player;
        EXPECT_EQ(editSelectedPlayerKey(&s.scene, drag(1, 2, 3, 4)), 0);
    }
    for (const PlayerTrack& track : s.tracks) EXPECT_EQ(track.keys.count, 0);
    EXPECT_EQ(editKeyFromDrag(nullptr, 0, EDIT_BOTH, drag(1, 2, 3, 4), 2, 2), 0);
}

}  // namespace
