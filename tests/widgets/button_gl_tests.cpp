// Buttons and switch buttons drawn in a real window and read back: the face of
// each kind in each look, symbol geometry, textured looks and list building.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <deque>

#include "../support/gl_test_window.h"
#include "widgets/bitmap_font.h"
#include "widgets/button.h"
#include "widgets/switch_button.h"

namespace {

constexpr int kWindow = 200;
const Rgb kShadow = {77, 77, 77};
const Rgb kLight = {255, 255, 255};
const Rgb kHover = {26, 128, 26};         // (0.1, 0.5, 0.1)
const Rgb kFace = {212, 208, 202};        // (0.831, 0.815, 0.792)
const Rgb kSwitchFace = {128, 230, 128};  // (0.5, 0.9, 0.5)

class ButtonGlTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        openTestWindow(kWindow, kWindow, "button tests");
        initFonts();
    }
    void SetUp() override { clearTestWindow(0.0f, 0.0f, 1.0f); }
};

// A one-texel opaque picture of one colour, alive for the whole run as the
// textures expect.
unsigned char* texel(Rgb colour) {
    static std::deque<std::array<unsigned char, 4>> texels;
    texels.push_back({colour.b, colour.g, colour.r, 255});
    return texels.back().data();
}

// Gives a button one look's texture through one of the setters. The buttons are
// static, so their texture storage stays reachable like the program's.
template <typename Kind, typename Setter>
void give(Kind* button, Setter setter, Rgb colour) {
    setter(button, texel(colour), 1, 1, 4, TEXTURE_BGRA, TEXTURE_STATIC);
}

// The three off-state looks: default red, pressed green, roll-over yellow.
const Rgb kDefaultLook = {200, 0, 0}, kPressLook = {0, 200, 0}, kRollOverLook = {200, 200, 0};
void giveOffLooks(Button* button) {
    give(button, setDefaultTexture, kDefaultLook);
    give(button, setPressTexture, kPressLook);
    give(button, setRollOverTexture, kRollOverLook);
}

// Counts the pixels of the button's inside (one pixel in from each edge) that
// show `colour`.
int countInside(const InterfaceObject& b, Rgb colour) {
    int n = 0;
    for (int y = b.y + 1; y < b.y + b.h - 1; ++y) {
        for (int x = b.x + 1; x < b.x + b.w - 1; ++x) n += nearColour(readPixel(x, y), colour);
    }
    return n;
}

void drawWithFlags(InterfaceObject* button, uint32_t flags) {
    clearTestWindow(0, 0, 1);
    assignFlags(button, (button->flags & (OBJ_INITIALIZED | OBJ_TEXTURED | OBJ_SWITCHED_ON)) |
                            OBJ_ACTIVE | flags);
    EXPECT_EQ(button->display(button), 1);
}

// Whether the label was drawn in `ink` and in no other look's colour.
void expectLabelInk(const InterfaceObject& b, Rgb ink, const char* look) {
    EXPECT_GT(countInside(b, ink), 5) << look;
    for (Rgb other : {kShadow, kLight, kHover}) {
        if (other.r == ink.r && other.g == ink.g) continue;
        EXPECT_EQ(countInside(b, other), 0) << look;
    }
}

TEST(ButtonLookTest, LaterFlagRulesOverrideEarlierOnes) {
    EXPECT_EQ(buttonLook(0), LOOK_DEFAULT);
    EXPECT_EQ(buttonLook(OBJ_PRESSED), LOOK_PRESSED);
    EXPECT_EQ(buttonLook(OBJ_PRESSED | OBJ_ROLL_OVER), LOOK_ROLL_OVER);
    EXPECT_EQ(buttonLook(OBJ_RELEASED), LOOK_ROLL_OVER);
    EXPECT_EQ(buttonLook(OBJ_RELEASED | OBJ_ROLL_OUT), LOOK_DEFAULT);
    EXPECT_EQ(buttonLook(OBJ_PRESSED | OBJ_RELEASED_OUTSIDE), LOOK_DEFAULT);
}

TEST_F(ButtonGlTest, LabelButtonFaceFollowsTheFlags) {
    static Button button;
    createButton(&button, 20, 30, 100, 24, "load", 0);
    EXPECT_EQ(button.init, initLabelButton);
    EXPECT_EQ(button.display, displayButton);

    drawWithFlags(&button, 0);
    EXPECT_TRUE(nearColour(readPixel(25, 32), kFace));
    expectLabelInk(button, kShadow, "default");
    // Raised: light top edge, shadow right edge.
    EXPECT_TRUE(nearColour(readPixel(70, 30 + 24 - 1), kLight));
    EXPECT_TRUE(nearColour(readPixel(20 + 100 - 1, 40), kShadow));

    drawWithFlags(&button, OBJ_PRESSED);
    expectLabelInk(button, kLight, "pressed");
    EXPECT_TRUE(nearColour(readPixel(70, 30 + 24 - 1), kShadow));
    EXPECT_TRUE(nearColour(readPixel(20 + 100 - 1, 40), kLight));

    drawWithFlags(&button, OBJ_PRESSED | OBJ_ROLL_OVER);
    expectLabelInk(button, kHover, "pressed and rolled over");
    drawWithFlags(&button, OBJ_RELEASED);
    expectLabelInk(button, kHover, "released");
    drawWithFlags(&button, OBJ_RELEASED | OBJ_ROLL_OUT);
    expectLabelInk(button, kShadow, "released and rolled out");
}

TEST_F(ButtonGlTest, LabelIsCentredAndSinksWhenPressed) {
    static Button button;
    createButton(&button, 20, 30, 100, 40, "save", 0);
    TextMetrics m = {};
    measureText("save", &m, defaultFont);
    auto leftInk = [&](Rgb ink) {
        for (int x = button.x + 1; x < button.x + button.w - 1; ++x) {
            for (int y = button.y + 1; y < button.y + button.h - 1; ++y) {
                if (nearColour(readPixel(x, y), ink)) return x - button.x;
            }
        }
        return -1;
    };
    drawWithFlags(&button, 0);
    const int centred = leftInk(kShadow);
    // Ink begins at the raster position: (w - width) / 2, and half a pixel
    // further right when pressed.
    EXPECT_EQ(centred, static_cast<int>((100 - m.width) * 0.5f));
    drawWithFlags(&button, OBJ_PRESSED);
    EXPECT_EQ(leftInk(kLight), static_cast<int>((101 - m.width) * 0.5f));
}

TEST_F(ButtonGlTest, SwitchLabelFaceTurnsGreenWhenOn) {
    static SwitchButton button;
    createSwitchButton(&button, 20, 30, 100, 24, "modify feet", 0);
    EXPECT_EQ(button.display, displaySwitchButton);
    drawWithFlags(&button, 0);
    EXPECT_TRUE(nearColour(readPixel(23, 33), kFace));
    expectLabelInk(button, kShadow, "off");

    setFlags(&button, OBJ_SWITCHED_ON);
    drawWithFlags(&button, 0);
    EXPECT_TRUE(nearColour(readPixel(23, 33), kSwitchFace));
    expectLabelInk(button, kShadow, "on");
    drawWithFlags(&button, OBJ_ROLL_OVER);
    EXPECT_TRUE(nearColour(readPixel(23, 33), kSwitchFace));
    expectLabelInk(button, kHover, "on, rolled over");
}

TEST_F(ButtonGlTest, PlayPauseSymbolsOnASquareButton) {
    static SwitchButton button;
    createPlayPauseButton(&button, 0, 0, 30, 30, ">", 0);
    drawWithFlags(&button, 0);
    // Triangle (0.2, 0.2), (0.2, 0.8), (0.8, 0.5): pixels 6 to 24.
    for (auto p : {std::pair{7, 15}, {7, 7}, {7, 22}, {15, 15}, {21, 15}}) {
        EXPECT_TRUE(nearColour(readPixel(p.first, p.second), kShadow))
            << p.first << "," << p.second;
    }
    for (auto p : {std::pair{5, 15}, {7, 5}, {7, 24}, {25, 15}, {20, 21}, {20, 9}}) {
        EXPECT_TRUE(nearColour(readPixel(p.first, p.second), kFace)) << p.first << "," << p.second;
    }

    setFlags(&button, OBJ_SWITCHED_ON);
    drawWithFlags(&button, 0);
    // Bars 0.2 wide: 0.2 to 0.4 and 0.6 to 0.8, from 0.2 to 0.8 high.
    for (auto p : {std::pair{6, 6}, {11, 15}, {18, 23}, {23, 15}}) {
        EXPECT_TRUE(nearColour(readPixel(p.first, p.second), kShadow))
            << p.first << "," << p.second;
    }
    for (auto p : {std::pair{5, 15}, {12, 15}, {15, 15}, {17, 15}, {24, 15}, {8, 24}, {8, 5}}) {
        EXPECT_TRUE(nearColour(readPixel(p.first, p.second), kFace)) << p.first << "," << p.second;
    }
    drawWithFlags(&button, OBJ_PRESSED);
    EXPECT_TRUE(nearColour(readPixel(8, 15), kLight));
}

TEST_F(ButtonGlTest, StepSymbolsEndInABarOnTheirSide) {
    static Button next;
    static Button previous;
    createNextButton(&next, 0, 0, 30, 30, "|<", 0);
    createPrevButton(&previous, 40, 0, 30, 30, "|<", 0);
    EXPECT_EQ(next.init, initNextButton);
    EXPECT_EQ(previous.init, initPrevButton);
    clearTestWindow(0, 0, 1);
    next.display(&next);
    previous.display(&previous);
    // Next: the bar from 0.74 to 0.8 at the right; previous: around 0.167 at the left.
    EXPECT_TRUE(nearColour(readPixel(23, 8), kShadow));
    EXPECT_TRUE(nearColour(readPixel(25, 15), kFace));
    EXPECT_TRUE(nearColour(readPixel(40 + 5, 8), kShadow));
    EXPECT_TRUE(nearColour(readPixel(40 + 2, 15), kFace));
    // Both symbols' first triangles point at the middle from their own side.
    EXPECT_TRUE(nearColour(readPixel(5, 15), kShadow));
    EXPECT_TRUE(nearColour(readPixel(40 + 24, 15), kShadow));
}

TEST_F(ButtonGlTest, TexturedLooksFollowTheFlags) {
    static Button button;
    createButton(&button, 10, 10, 40, 20, "save", 0);
    giveOffLooks(&button);
    setFlags(&button, OBJ_TEXTURED);

    drawWithFlags(&button, 0);
    EXPECT_TRUE(nearColour(readPixel(30, 20), kDefaultLook));
    drawWithFlags(&button, OBJ_PRESSED);
    EXPECT_TRUE(nearColour(readPixel(30, 20), kPressLook));
    drawWithFlags(&button, OBJ_PRESSED | OBJ_ROLL_OVER);
    EXPECT_TRUE(nearColour(readPixel(30, 20), kRollOverLook));
    drawWithFlags(&button, OBJ_RELEASED | OBJ_ROLL_OUT);
    EXPECT_TRUE(nearColour(readPixel(30, 20), kDefaultLook));

    // Without OBJ_TEXTURED the same button shows its plain face.
    clearFlags(&button, OBJ_TEXTURED);
    drawWithFlags(&button, 0);
    EXPECT_TRUE(nearColour(readPixel(12, 12), kFace));
}

TEST_F(ButtonGlTest, SwitchTexturesOfBothStates) {
    static SwitchButton button;
    createSwitchButton(&button, 10, 10, 40, 20, "O1", 0);
    giveOffLooks(&button);
    give(&button, setSwitchDefaultTexture, {0, 0, 100});
    give(&button, setSwitchPressTexture, {0, 100, 100});
    give(&button, setSwitchRollOverTexture, {100, 0, 100});
    setFlags(&button, OBJ_TEXTURED);

    drawWithFlags(&button, OBJ_ROLL_OVER);
    EXPECT_TRUE(nearColour(readPixel(30, 20), kRollOverLook));
    setFlags(&button, OBJ_SWITCHED_ON);
    drawWithFlags(&button, 0);
    EXPECT_TRUE(nearColour(readPixel(30, 20), {0, 0, 100}));
    drawWithFlags(&button, OBJ_PRESSED);
    EXPECT_TRUE(nearColour(readPixel(30, 20), {0, 100, 100}));
    drawWithFlags(&button, OBJ_RELEASED);
    EXPECT_TRUE(nearColour(readPixel(30, 20), {100, 0, 100}));
}

TEST_F(ButtonGlTest, SwitchWithOnlyOffTexturesDrawsPlainFaces) {
    static SwitchButton button;
    createSwitchButton(&button, 10, 10, 60, 20, "D3", 0);
    giveOffLooks(&button);
    setFlags(&button, OBJ_TEXTURED);

    drawWithFlags(&button, 0);
    EXPECT_TRUE(nearColour(readPixel(12, 12), kFace));
    expectLabelInk(button, kShadow, "off");
    setFlags(&button, OBJ_SWITCHED_ON);
    drawWithFlags(&button, 0);
    EXPECT_TRUE(nearColour(readPixel(12, 12), kSwitchFace));
    // The created off-state textures still got their lists.
    EXPECT_GT(button.textureLists[LOOK_DEFAULT], 0);
    EXPECT_EQ(button.switchTextureLists[LOOK_DEFAULT], 0);
}

TEST_F(ButtonGlTest, SecondDisplayBuildsNoList) {
    static SwitchButton button;
    createSwitchButton(&button, 10, 10, 60, 20, "O2", 0);
    give(&button, setDefaultTexture, {200, 0, 0});
    button.display(&button);
    EXPECT_TRUE(flagsSet(&button, OBJ_INITIALIZED));
    EXPECT_GT(button.plainLists[0], 0);
    EXPECT_GT(button.switchPlainLists[2], 0);

    // Names handed out around the second display follow each other directly.
    const GLuint before = glGenLists(1);
    button.display(&button);
    EXPECT_EQ(button.init(&button), 0);
    const GLuint after = glGenLists(1);
    EXPECT_EQ(after, before + 1);
    glDeleteLists(before, 2);
}

}  // namespace
