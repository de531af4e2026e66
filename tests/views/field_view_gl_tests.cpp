// The field and subfield plans drawn in a real window and read back: dots, rings,
// trails, labels, selection, and keys without a registration record.
#include <gtest/gtest.h>

#include "gl_pixels.h"
#include "test_scene.h"
#include "views/field_view.h"
#include "views/subfield_view.h"
#include "widgets/bitmap_font.h"

namespace {

constexpr int kWidth = 800, kHeight = 400;  // the field view: one plan unit per pixel
const Rgb kGround = {0, 102, 0};            // the cleared window under the transparent view

View fieldView;
View subfieldView;

class FieldViewGlTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        openTestWindow(kWidth, kHeight, "field view tests");
        initFonts();
        createView(&fieldView, 0, 0, kWidth, kHeight, "field", 0);
        setViewBackground(&fieldView, 0, 0, 0, 0);
        setDisplayCallback(&fieldView, drawFieldView);
        createView(&subfieldView, 0, 0, kWidth / 2, kHeight / 2, "subfield", 0);
        setViewBackground(&subfieldView, 0, 0, 0, 0);
        setDisplayCallback(&subfieldView, drawSubfieldView);
    }
    void SetUp() override { beginTestFrame(kWidth, kHeight, 0.0f, 0.4f, 0.0f); }
    void TearDown() override {
        fieldView.scene = nullptr;
        subfieldView.scene = nullptr;
    }
    static void drawField(TestScene& t) {
        fieldView.scene = &t.scene;
        fieldView.display(&fieldView);
    }
    static void drawSubfield(TestScene& t) {
        subfieldView.scene = &t.scene;
        subfieldView.display(&subfieldView);
    }
};

// How many pixels of `colour` a row, or a column, of the region holds.
int rowRun(const Region& r, int y, Rgb colour) {
    int n = 0;
    for (int px = r.x; px < r.x + r.w; ++px) n += nearColour(r.at(px, y), colour);
    return n;
}
int columnRun(const Region& r, int x, Rgb colour) {
    int n = 0;
    for (int py = r.y; py < r.y + r.h; ++py) n += nearColour(r.at(x, py), colour);
    return n;
}

// A dot at pixel (x, y) of size 7 with a black centre of size 5: a ring one pixel wide.
void expectFieldDot(int x, int y, Rgb colour) {
    const Region r(x - 6, y - 6, 13, 13);
    EXPECT_TRUE(nearColour(r.at(x, y), kBlack));
    EXPECT_TRUE(nearColour(r.at(x + 2, y - 2), kBlack));
    EXPECT_TRUE(nearColour(r.at(x + 3, y), colour));
    EXPECT_TRUE(nearColour(r.at(x - 3, y + 3), colour));
    EXPECT_TRUE(nearColour(r.at(x, y - 3), colour));
    const Region square(x - 3, y - 3, 7, 7);
    EXPECT_EQ(square.count(kBlack), 25);
    EXPECT_EQ(square.count(colour), 49 - 25);
    // No larger: the corners one pixel further out (where no test's trail passes).
    for (int dx : {-4, 4}) {
        for (int dy : {-4, 4}) EXPECT_FALSE(nearColour(r.at(x + dx, y + dy), colour));
    }
}

TEST_F(FieldViewGlTest, ViewBlendsItsBackgroundInsideAFrameAndCachesIt) {
    static View view;
    createView(&view, 100, 50, 200, 100, "plain", 0);
    ASSERT_NE(getCamera(&view, 0), nullptr);
    EXPECT_STREQ(getCamera(&view, 0)->name, "persp");
    EXPECT_EQ(getCamera(&view, 1), nullptr);
    EXPECT_FLOAT_EQ(view.background.r, 0.831f);
    setViewBackground(&view, 1.0, 0.0, 0.0, 0.5);
    for (bool cached : {false, true}) {
        clearTestWindow(0.0f, 0.4f, 0.0f);
        if (cached) {
            EXPECT_EQ(initView(&view), 1);
            EXPECT_EQ(initView(&view), 0);
            EXPECT_GT(view.backgroundList, 0);
            EXPECT_EQ(view.textureList, 0) << "no pixels, no texture list";
            setFlags(&view, OBJ_CACHED);
        }
        EXPECT_EQ(displayView(&view), 1);
        const Region r(90, 40, 220, 120);
        EXPECT_TRUE(nearColour(r.at(200, 100), {128, 51, 0})) << "half red over green";
        EXPECT_TRUE(nearColour(r.at(97, 100), kGround)) << "nothing outside";
        // Dark grey top and left edges, white bottom and right ones.
        const Rgb grey = {77, 77, 77}, white = {255, 255, 255};
        EXPECT_TRUE(nearColour(r.at(200, 149), grey) || nearColour(r.at(200, 150), grey));
        EXPECT_TRUE(nearColour(r.at(100, 100), grey) || nearColour(r.at(99, 100), grey));
        EXPECT_TRUE(nearColour(r.at(200, 50), white) || nearColour(r.at(200, 49), white));
        EXPECT_TRUE(nearColour(r.at(299, 100), white) || nearColour(r.at(300, 100), white));
    }
}

TEST_F(FieldViewGlTest, WithoutKeysOnlyTheBackgroundShows) {
    TestScene t(10);
    drawField(t);
    const Region r(2, 2, kWidth - 4, kHeight - 4);
    EXPECT_EQ(r.count(kGround, 0), r.w * r.h);
}

TEST_F(FieldViewGlTest, ArtworkCoversTheView) {
    static Texture artwork;
    static unsigned char blue[] = {255, 0, 0};  // BGR
    if (artwork.textureId == 0) createTexture(&artwork, blue, 1, 1, 3, TEXTURE_BGR, 1);
    TestScene t(10);
    fieldView.artwork = &artwork;
    drawField(t);
    fieldView.artwork = nullptr;
    EXPECT_TRUE(nearColour(readPixel(400, 200), {0, 0, 255}));
    EXPECT_TRUE(nearColour(readPixel(5, 395), {0, 0, 255}));
}

TEST_F(FieldViewGlTest, DotAtTheProjectedPlanPositionOnlyFromTheFirstKey) {
    TestScene t(20);
    t.homographies[10] = shiftHomography(100, 50);  // plan point (200.5 + 100, 100.5 - 50)
    t.key(0, 10, 200.5, 100.5);
    t.at(9);
    drawField(t);
    EXPECT_EQ(Region(0, 0, kWidth, kHeight).count(kOSide, 8), 0) << "nothing before the key";

    clearTestWindow(0.0f, 0.4f, 0.0f);
    t.at(10);
    drawField(t);
    expectFieldDot(300, 50, kOSide);

    clearTestWindow(0.0f, 0.4f, 0.0f);
    t.at(11);
    drawField(t);
    EXPECT_EQ(Region(0, 0, kWidth, kHeight).count(kOSide, 8), 0) << "no trail, no dot";
}

TEST_F(FieldViewGlTest, InterpolatedDotAndTrailUpToIt) {
    TestScene t(20);
    t.homographies[10] = scaleHomography(2);  // (150.25, 250.25) -> image (300.5, 299.5)
    t.key(11, 0, 100.5, 150.5);
    t.key(11, 10, 150.25, 250.25);  // plan (300.5, 100.5)
    t.at(5);
    drawField(t);
    expectFieldDot(200, 125, kDSide);
    // The trail runs from the first key to the dot, not on to the next key.
    const Region r(0, 0, kWidth, kHeight);
    EXPECT_TRUE(nearColour(r.at(150, 137), kDSide) || nearColour(r.at(150, 138), kDSide));
    EXPECT_TRUE(nearColour(r.at(101, 150), kDSide) || nearColour(r.at(101, 149), kDSide));
    for (int x = 210; x < 310; x += 10) {
        const int y = 125 - (x - 200) / 4;
        for (int dy = -2; dy <= 2; ++dy) EXPECT_FALSE(nearColour(r.at(x, y + dy), kDSide)) << x;
    }
}

TEST_F(FieldViewGlTest, AfterTheLastKeyTheTrailStaysWithoutADot) {
    TestScene t(20);
    t.key(1, 0, 100.5, 300.5);
    t.key(1, 4, 300.5, 300.5);
    t.at(8);
    drawField(t);
    const Region r(0, 0, kWidth, kHeight);
    EXPECT_TRUE(nearColour(r.at(200, 300), kOSide));
    EXPECT_EQ(r.count(kBlack), 0);
    EXPECT_FALSE(nearColour(r.at(300, 303), kOSide)) << "no ring at the last key";

    clearTestWindow(0.0f, 0.4f, 0.0f);
    t.scene.showTrails = 0;
    drawField(t);
    EXPECT_EQ(Region(0, 0, kWidth, kHeight).count(kOSide, 8), 0);
}

TEST_F(FieldViewGlTest, TrailsOffKeepDotsAndLabels) {
    TestScene t(20);
    t.key(2, 0, 100.5, 200.5);
    t.key(2, 10, 300.5, 200.5);
    t.at(5);
    t.scene.showTrails = 0;
    t.scene.showNumbers = 1;
    drawField(t);
    const Region r(0, 0, kWidth, kHeight);
    EXPECT_FALSE(nearColour(r.at(150, 200), kOSide)) << "no trail";
    // The label box covers the dot: it spans (L - 2 .. L + b - 2) x (y - 6 .. y + 5).
    EXPECT_TRUE(nearColour(r.at(200 - 11 - 2, 200 - 6), kLabelBox));
    EXPECT_TRUE(r.count(kOSide, 8) > 0) << "the label's text";
}

TEST_F(FieldViewGlTest, LabelsOnlyWithShowNumbersAndSizedByTheNumber) {
    TestScene t(20);
    t.key(0, 0, 100.5, 100.5);   // O1: b = 17
    t.key(9, 0, 400.5, 300.5);   // O10: b = 23
    t.key(21, 0, 600.5, 100.5);  // D11: b = 23
    drawField(t);
    EXPECT_EQ(Region(0, 0, kWidth, kHeight).count(kLabelBox), 0);

    clearTestWindow(0.0f, 0.4f, 0.0f);
    t.scene.showNumbers = 1;
    drawField(t);
    const Region r(0, 0, kWidth, kHeight);
    struct Box {
        int x, y, b;
        Rgb text;
    };
    for (const Box box :
         {Box{100, 100, 17, kOSide}, Box{400, 300, 23, kOSide}, Box{600, 100, 23, kDSide}}) {
        const int left = box.x - box.b / 2 - 3;
        // The box's left column and bottom row, and nothing of it just outside.
        for (int y = box.y - 6; y <= box.y + 5; ++y) {
            EXPECT_TRUE(nearColour(r.at(left - 2, y), kLabelBox)) << box.x << "," << y;
            EXPECT_FALSE(nearColour(r.at(left - 3, y), kLabelBox)) << box.x << "," << y;
        }
        for (int x = left - 2; x <= left + box.b - 2; ++x) {
            EXPECT_FALSE(nearColour(r.at(x, box.y - 7), kLabelBox)) << box.x << "," << x;
            EXPECT_FALSE(nearColour(r.at(x, box.y + 6), kLabelBox)) << box.x << "," << x;
        }
        EXPECT_FALSE(nearColour(r.at(left + box.b - 1, box.y - 6), kLabelBox)) << box.x;
        // The text in the team's colour inside the box.
        const Region inside(left - 2, box.y - 6, box.b + 1, 12);
        EXPECT_GT(inside.count(box.text, 8), 5) << box.x;
    }
}

TEST_F(FieldViewGlTest, SelectedPlayerIsBrighterWithAWiderTrail) {
    TestScene t(20);
    for (int player : {12, 13}) {
        const double y = player == 13 ? 300.5 : 100.5;
        t.key(player, 0, 100.5, y);
        t.key(player, 10, 500.5, y);
    }
    t.scene.selectedPlayer = 13;
    t.at(5);
    drawField(t);
    const Region r(0, 0, kWidth, kHeight);
    expectFieldDot(300, 300, kDSideSelected);
    expectFieldDot(300, 100, kDSide);
    EXPECT_EQ(columnRun(Region(200, 290, 1, 20), 200, kDSideSelected), 2);
    EXPECT_EQ(columnRun(Region(200, 90, 1, 20), 200, kDSide), 1);
    EXPECT_EQ(r.count(kOSide), 0);
    // The trail from column 100 up to the ring at 297, and the ring's far side at 303.
    EXPECT_EQ(rowRun(r, 300, kDSideSelected), 297 - 100 + 2);
}

TEST_F(FieldViewGlTest, LaterPlayersCoverEarlierOnes) {
    TestScene t(20);
    t.key(0, 0, 300.5, 200.5);
    t.key(11, 0, 302.5, 200.5);
    drawField(t);
    const Region r(290, 190, 20, 20);
    // O1 spans columns 297..303, D1 299..305 and is drawn over it.
    EXPECT_TRUE(nearColour(r.at(297, 200), kOSide));
    EXPECT_TRUE(nearColour(r.at(298, 200), kBlack));
    EXPECT_TRUE(nearColour(r.at(299, 200), kDSide)) << "D1's ring covers O1's centre";
    EXPECT_TRUE(nearColour(r.at(303, 200), kBlack)) << "D1's centre covers O1's ring";
    EXPECT_TRUE(nearColour(r.at(305, 200), kDSide));
}

TEST_F(FieldViewGlTest, SubfieldDrawsSmallerDotsAndNoLabels) {
    TestScene t(20);
    t.key(0, 0, 201, 101);  // pixel (100.5, 50.5) of the half-size view
    t.key(0, 10, 201, 301);
    t.key(13, 0, 601, 301);
    t.scene.showNumbers = 1;
    t.scene.selectedPlayer = 13;
    t.at(0);
    drawSubfield(t);
    const Region r(0, 0, kWidth / 2, kHeight / 2);
    EXPECT_EQ(r.count(kLabelBox), 0);
    EXPECT_TRUE(nearColour(r.at(100, 50), kBlack));
    const Region dot(94, 44, 13, 13);
    EXPECT_EQ(dot.count(kOSide) + dot.count(kBlack), 16) << "a 4 x 4 dot";
    EXPECT_EQ(dot.count(kBlack), 4) << "a 2 x 2 centre";
    const Region selected(294, 144, 13, 13);
    EXPECT_EQ(selected.count(kDSideSelected) + selected.count(kBlack), 16);
    // Nothing drawn beyond the view's quarter of the window.
    EXPECT_EQ(Region(kWidth / 2 + 2, 0, kWidth / 2 - 2, kHeight).count(kGround, 0),
              (kWidth / 2 - 2) * kHeight);

    // The trail maps through the same plan-to-view stretch.
    clearTestWindow(0.0f, 0.4f, 0.0f);
    t.at(5);
    drawSubfield(t);
    const Region moved(0, 0, kWidth / 2, kHeight / 2);
    EXPECT_TRUE(nearColour(moved.at(100, 100), kBlack));
    EXPECT_TRUE(nearColour(moved.at(100, 60), kOSide));
}

TEST_F(FieldViewGlTest, KeysBeyondTheRegistrationTableAreNotDrawn) {
    TestScene t(6);  // records for frames 0..5
    t.key(0, 2, 100.5, 100.5);
    t.key(0, 9, 300.5, 100.5);
    t.key(11, 8, 200.5, 300.5);
    t.key(11, 12, 400.5, 300.5);
    t.scene.showNumbers = 1;
    for (int frame : {4, 8, 9, 10, 20}) {
        clearTestWindow(0.0f, 0.4f, 0.0f);
        t.at(frame);
        drawField(t);
        const Region r(0, 0, kWidth, kHeight);
        EXPECT_EQ(r.count(kBlack), 0) << frame;
        EXPECT_EQ(r.count(kLabelBox), 0) << frame;
        EXPECT_EQ(r.count(kDSide, 8), 0) << frame;
        clearTestWindow(0.0f, 0.4f, 0.0f);
        drawSubfield(t);
        EXPECT_EQ(Region(0, 0, kWidth, kHeight).count(kBlack), 0) << frame;
    }
    t.scene.registration = nullptr;
    t.key(0, 3, 200.5, 200.5);
    t.at(3);
    clearTestWindow(0.0f, 0.4f, 0.0f);
    drawField(t);
    EXPECT_EQ(Region(0, 0, kWidth, kHeight).count(kBlack), 0);
}

}  // namespace
