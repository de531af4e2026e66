// The trail layer draws exactly the picture of the direct player pass, redisplay
// after redisplay: while the frame moves on (keys taken in one by one), goes back,
// and while keys, the selection, the table or the view change.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "gl_pixels.h"
#include "test_scene.h"
#include "views/field_view.h"
#include "views/subfield_view.h"
#include "views/trail_layer.h"
#include "widgets/bitmap_font.h"

namespace {

constexpr int kWidth = 800, kHeight = 400;
constexpr int kFrames = 400;

View fieldView;
View subfieldView;

class TrailLayerGlTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        openTestWindow(kWidth, kHeight, "trail layer tests");
        initFonts();
        createView(&fieldView, 0, 0, kWidth, kHeight, "field", 0);
        setViewBackground(&fieldView, 0, 0, 0, 0);
        setDisplayCallback(&fieldView, drawFieldView);
        createView(&subfieldView, 3, 5, 331, 163, "subfield", 0);
        setViewBackground(&subfieldView, 0, 0, 0, 0);
        setDisplayCallback(&subfieldView, drawSubfieldView);
    }
    void TearDown() override {
        setTrailLayersEnabled(true);
        fieldView.scene = subfieldView.scene = nullptr;
    }

    static Region draw(View* view, bool layered) {
        beginTestFrame(kWidth, kHeight, 0.2f, 0.4f, 0.2f);
        setTrailLayersEnabled(layered);
        view->display(view);
        return Region(view->x, view->y, view->w, view->h);
    }
    // The layered picture equals the direct one, and shows some trail.
    static void expectSamePicture(View* view, const char* step) {
        const Region layered = draw(view, true);
        const Region direct = draw(view, false);
        int differences = 0;
        for (size_t i = 0; i < direct.pixels.size(); ++i)
            differences += !nearColour(layered.pixels[i], direct.pixels[i], 0);
        EXPECT_EQ(differences, 0) << step;
    }
};

// Players crowded in a small part of the field, so that trails and dots cross.
void crowdedGame(TestScene* t, uint32_t seed) {
    auto random = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<double>(seed >> 8) / (1u << 24);
    };
    for (int player = 0; player < PLAYER_COUNT; ++player) {
        double x = 300 + 100 * random(), y = 150 + 100 * random();
        for (int frame = static_cast<int>(10 * random()); frame < kFrames;
             frame += 5 + static_cast<int>(30 * random())) {
            x += 40 * (random() - 0.5);
            y += 40 * (random() - 0.5);
            t->key(player, frame, x, y);
        }
    }
    for (size_t frame = 0; frame < t->homographies.size(); ++frame)
        t->homographies[frame] = shiftHomography(frame % 7 - 3, frame % 5 - 2);
}

TEST_F(TrailLayerGlTest, SamePictureAsTheDirectPass) {
    TestScene t(kFrames - 40, kFrames);  // the last 40 frames have no record
    crowdedGame(&t, 7);
    t.scene.selectedPlayer = 13;
    t.scene.showNumbers = 1;
    fieldView.scene = subfieldView.scene = &t.scene;
    // Where the context offers no layer both pictures would come from the direct pass.
    ASSERT_TRUE(drawPlayerMarksLayered(&fieldView, FIELD_VIEW_MARKS)) << "no layer to compare";

    for (int frame : {0, 3, 4, 9, 10, 11, 17, 40, 41, 42, 90, 200, 359, 360, 370, 399}) {
        t.at(frame);
        expectSamePicture(&fieldView, "forward");
        expectSamePicture(&subfieldView, "forward, subfield");
    }
    for (int frame : {150, 20, 5, 160}) {
        t.at(frame);
        expectSamePicture(&fieldView, "back and forth");
    }
    // A key moved before the current frame, one added, one deleted.
    KeyNode* key = nextKey(&t.tracks[4], firstKey(&t.tracks[4]));
    keyFrameOf(key)->feetX += 30;
    expectSamePicture(&fieldView, "moved key");
    t.key(6, 100, 350, 200);
    expectSamePicture(&fieldView, "added key");
    // Deleted as the "delete key" command does it: the track selected, at the key's frame.
    LinkedList selection;
    selectTrack(&selection, &t.tracks[8]);
    t.at(nextKey(&t.tracks[8], firstKey(&t.tracks[8]))->frame);
    ASSERT_EQ(deleteKeysAtCurrentFrame(&selection, t.frames.currentFrame), 1);
    deselectTrack(&selection, &t.tracks[8]);
    t.at(159);
    expectSamePicture(&fieldView, "deleted key");
    // Selection, table and video size.
    t.scene.selectedPlayer = 2;
    expectSamePicture(&fieldView, "selection");
    t.scene.selectedPlayer = -1;
    expectSamePicture(&fieldView, "no selection");
    t.scene.videoHeight = 380;
    expectSamePicture(&fieldView, "video height");
    t.registration.count = 100;
    expectSamePicture(&fieldView, "shorter table");
    t.scene.showTrails = 0;
    expectSamePicture(&fieldView, "trails off");
    t.scene.showTrails = 1;
    expectSamePicture(&fieldView, "trails on again");
    // A resized view.
    subfieldView.w = 300;
    expectSamePicture(&subfieldView, "resized");
    subfieldView.w = 331;
}

// Long random editing sessions, starting from no keys at all: every redisplay of the
// layered views gives the direct pass's picture. The window's stencil is never
// cleared between redisplays, as in the program. Six players of both sides on a short
// stretch of frames and a small part of the field, so that trails come and go (the
// frame going back before the second keys, keys deleted) and marks overlap.
TEST_F(TrailLayerGlTest, RandomSessionsMatchTheDirectPass) {
    for (uint32_t seed : {1u, 2u, 3u}) {
        TestScene t(kFrames);
        fieldView.scene = subfieldView.scene = &t.scene;
        uint32_t state = seed;
        auto random = [&state](int n) {
            state = state * 1664525u + 1013904223u;
            return static_cast<int>((state >> 8) % static_cast<uint32_t>(n));
        };
        LinkedList selection;
        constexpr int kPlayers[] = {0, 1, 2, 11, 12, 13};
        constexpr int kSessionFrames = 60;
        for (int step = 0; step < 200; ++step) {
            const int player = kPlayers[random(6)];
            PlayerTrack* track = &t.tracks[player];
            const int frame = t.frames.currentFrame;
            switch (random(10)) {
                case 0:
                case 1:
                case 2:  // mostly small steps forward, as when stepping or playing
                    t.at(std::min(kSessionFrames - 1, std::max(0, frame + random(8) - 2)));
                    break;
                case 3:
                    t.at(random(kSessionFrames));
                    break;
                case 4:
                case 5:  // keys near the current frame, players crowded together
                    t.key(player, std::max(0, frame + random(20) - 10), 300 + random(60),
                          180 + random(40));
                    break;
                case 6:
                    if (KeyNode* key = firstKey(track)) {
                        for (int skip = random(4); skip > 0 && nextKey(track, key); --skip)
                            key = nextKey(track, key);
                        t.at(key->frame);
                        selectTrack(&selection, track);
                        ASSERT_EQ(deleteKeysAtCurrentFrame(&selection, t.frames.currentFrame), 1);
                        deselectTrack(&selection, track);
                    }
                    break;
                case 7:
                    t.scene.selectedPlayer = random(2) ? kPlayers[random(6)] : -1;
                    break;
                case 8:
                    t.scene.showTrails = !t.scene.showTrails;
                    break;
                case 9:
                    t.scene.showNumbers = !t.scene.showNumbers;
                    break;
            }
            const std::string where = "seed " + std::to_string(seed) + " step " +
                                      std::to_string(step) + " frame " +
                                      std::to_string(t.frames.currentFrame);
            expectSamePicture(&fieldView, where.c_str());
            expectSamePicture(&subfieldView, (where + ", subfield").c_str());
            if (HasFailure()) return;
        }
    }
}

TEST_F(TrailLayerGlTest, AnotherGameInTheSameViewReplacesTheLayer) {
    TestScene first(kFrames);
    crowdedGame(&first, 11);
    fieldView.scene = &first.scene;
    first.at(300);
    expectSamePicture(&fieldView, "first game");
    TestScene second(kFrames);
    crowdedGame(&second, 12);
    fieldView.scene = &second.scene;
    second.at(300);
    expectSamePicture(&fieldView, "second game");
}

}  // namespace
