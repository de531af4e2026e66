// Panels, text panels and the titled frame drawn in a real window and read back.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "../support/gl_test_window.h"
#include "widgets/bitmap_font.h"
#include "widgets/panel.h"
#include "widgets/text_panel.h"
#include "widgets/titled_frame.h"

namespace {

constexpr int kWindow = 240;
const Rgb kBackground = {0, 0, 255};
const Rgb kShadow = {77, 77, 77};    // (0.3, 0.3, 0.3)
const Rgb kLight = {255, 255, 255};  // (1, 1, 1)
const Rgb kFace = {212, 208, 202};   // (0.831, 0.815, 0.792)

class PanelGlTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        openTestWindow(kWindow, kWindow, "panel tests");
        initFonts();
    }
    void SetUp() override { beginTestFrame(kWindow, kWindow, 0.0f, 0.0f, 1.0f); }
};

// Lines along an edge of the unit square may land on the last pixel row inside
// the viewport or the first outside it, depending on the rasteriser: accept
// either, but require every sampled pixel to show the colour.
bool edgeShows(Rgb colour, bool vertical, int fixedInside, int fixedOutside, int from, int to) {
    for (int fixed : {fixedInside, fixedOutside}) {
        bool all = true;
        for (int along = from; along <= to && all; along += 4) {
            all = nearColour(vertical ? readPixel(fixed, along) : readPixel(along, fixed), colour);
        }
        if (all) return true;
    }
    return false;
}

void expectSunkenFrame(const InterfaceObject& o) {
    const int left = o.x, right = o.x + o.w - 1, bottom = o.y, top = o.y + o.h - 1;
    EXPECT_TRUE(edgeShows(kShadow, false, top, top + 1, left + 2, right - 2)) << "top";
    EXPECT_TRUE(edgeShows(kShadow, true, left, left - 1, bottom + 2, top - 2)) << "left";
    EXPECT_TRUE(edgeShows(kLight, false, bottom, bottom - 1, left + 2, right - 2)) << "bottom";
    EXPECT_TRUE(edgeShows(kLight, true, right, right + 1, bottom + 2, top - 2)) << "right";
}

TEST_F(PanelGlTest, PanelShowsItsTextureInASunkenFrame) {
    static unsigned char red[] = {0, 0, 255};
    static Panel panel;
    createPanel(&panel, 20, 30, 80, 60, "panel", 0);
    setDefaultTexture(&panel, red, 1, 1, 3, TEXTURE_BGR, TEXTURE_STATIC);
    EXPECT_EQ(displayPanel(&panel), 1);
    EXPECT_TRUE(nearColour(readPixel(60, 60), {255, 0, 0}));
    expectSunkenFrame(panel);
    delete[] panel.texture.storage;
}

TEST_F(PanelGlTest, PanelWithoutTextureDrawsNothing) {
    static Panel panel;
    createPanel(&panel, 20, 30, 80, 60, "empty", 0);
    EXPECT_EQ(initPanel(&panel), 0);
    displayPanel(&panel);
    for (int x : {19, 20, 60, 99, 100}) {
        for (int y : {29, 30, 60, 89, 90}) EXPECT_TRUE(nearColour(readPixel(x, y), kBackground));
    }
}

TEST_F(PanelGlTest, PanelWithoutPixelsBuildsNoListButStillDraws) {
    static Panel panel;
    createPanel(&panel, 20, 30, 80, 60, "no pixels", 0);
    setDefaultTexture(&panel, nullptr, 0, 0, 0, TEXTURE_BGR, TEXTURE_STATIC);
    setFlags(&panel, OBJ_CACHED);
    EXPECT_EQ(initPanel(&panel), 0);
    EXPECT_EQ(panel.displayList, 0);
    EXPECT_FALSE(flagsSet(&panel, OBJ_INITIALIZED));
    displayPanel(&panel);
    EXPECT_TRUE(nearColour(readPixel(60, 60), {0, 0, 0}));
    expectSunkenFrame(panel);
    delete[] panel.texture.storage;
}

TEST_F(PanelGlTest, CachedPanelDrawsFromItsList) {
    static unsigned char green[] = {0, 255, 0};
    static Panel panel;
    createPanel(&panel, 20, 30, 80, 60, "cached", 0);
    setDefaultTexture(&panel, green, 1, 1, 3, TEXTURE_BGR, TEXTURE_STATIC);
    setFlags(&panel, OBJ_CACHED);
    EXPECT_EQ(initPanel(&panel), 1);
    ASSERT_GT(panel.displayList, 0);
    EXPECT_TRUE(glIsList(static_cast<GLuint>(panel.displayList)));
    EXPECT_EQ(initPanel(&panel), 0);
    displayPanel(&panel);
    EXPECT_TRUE(nearColour(readPixel(60, 60), {0, 255, 0}));
    expectSunkenFrame(panel);
    delete[] panel.texture.storage;
}

TEST_F(PanelGlTest, StreamedPanelShowsEachNewFrame) {
    static unsigned char first[2 * 2 * 3] = {};
    static unsigned char second[2 * 2 * 3] = {};
    for (int i = 0; i < 4; ++i) {
        first[i * 3 + 2] = 255;   // red
        second[i * 3 + 1] = 255;  // green
    }
    static Panel panel;
    createPanel(&panel, 20, 30, 80, 60, "video", 0);
    setDefaultTexture(&panel, first, 2, 2, 3, TEXTURE_BGR, TEXTURE_STREAMED);
    initPanel(&panel);
    displayPanel(&panel);
    EXPECT_TRUE(nearColour(readPixel(60, 60), {255, 0, 0}));

    EXPECT_EQ(setPanelPixels(&panel, second), 1);
    EXPECT_EQ(setPanelPixels(&panel, nullptr), 0);
    EXPECT_EQ(panel.texture.pixels, second);
    displayPanel(&panel);
    EXPECT_TRUE(nearColour(readPixel(60, 60), {0, 255, 0}));
    delete[] panel.texture.storage;
}

// Rows of the window where the text panel drew ink (the shadow colour).
std::vector<bool> inkRows(const TextPanel& panel, int* leftmost = nullptr) {
    std::vector<bool> rows(kWindow, false);
    int left = kWindow;
    for (int y = 0; y < kWindow; ++y) {
        for (int x = panel.x; x < panel.x + panel.w; ++x) {
            if (nearColour(readPixel(x, y), kShadow, 10)) {
                rows[y] = true;
                left = std::min(left, x);
            }
        }
    }
    if (leftmost != nullptr) *leftmost = left;
    return rows;
}

const TextLine& lineOf(const TextPanel& panel, int i) {
    return *static_cast<const TextLine*>(panel.lines.items[i]);
}

TEST_F(PanelGlTest, TextLinesHangFromTheTopOneBelowAnother) {
    static TextPanel panel;
    ASSERT_EQ(createTextPanel(&panel, 10, 20, 200, 150, "text", 0, defaultFont), 1);
    EXPECT_EQ(addTextLine(&panel, "Alpha", 3, 2), 1);
    addTextLine(&panel, "gyp", 3, 5);
    addTextLine(&panel, "MW", 3, 2);
    EXPECT_EQ(panel.overflow, 0);
    displayTextPanel(&panel);

    int leftmost = 0;
    const std::vector<bool> rows = inkRows(panel, &leftmost);
    EXPECT_EQ(leftmost, panel.x + 3);
    // Each line's highest ink row is the row just below the previous line's
    // cursor (the panel's top for the first); nothing lies between the lines.
    int cursor = panel.y + panel.h;
    for (int i = 0; i < 3; ++i) {
        const TextMetrics& m = lineOf(panel, i).metrics;
        const int above = cursor;
        cursor -= static_cast<int>(m.height + m.yMin);
        const int bottom = cursor + static_cast<int>(m.yMin);
        EXPECT_TRUE(rows[above - 1]) << "line " << i << " top row " << above - 1;
        EXPECT_TRUE(rows[bottom]) << "line " << i << " bottom row " << bottom;
        EXPECT_FALSE(rows[above]) << "line " << i;
        EXPECT_FALSE(rows[bottom - 1]) << "line " << i;
        cursor -= lineOf(panel, i).spacing;
    }
}

TEST_F(PanelGlTest, LinesBeyondTheHeightOverflowAndFitResetsIt) {
    TextMetrics a = {}, b = {};
    measureText("first", &a, defaultFont);
    measureText("second", &b, defaultFont);
    const int twoLines =
        static_cast<int>(a.height + a.yMin) + 4 + static_cast<int>(b.height + b.yMin);

    static TextPanel panel;
    createTextPanel(&panel, 10, 20, 200, twoLines, "overflow", 0, defaultFont);
    addTextLine(&panel, "first", 3, 4);
    addTextLine(&panel, "second", 23, 4);
    EXPECT_EQ(panel.overflow, 0);
    addTextLine(&panel, "third", 43, 4);
    EXPECT_EQ(panel.overflow, 1);
    addTextLine(&panel, "fourth", 63, 4);
    EXPECT_EQ(panel.overflow, 2);

    // Starting one line down shows the second line at the top, and only the
    // lines that fit: the top ink row is the panel's top row.
    panel.firstLine = 1;
    displayTextPanel(&panel);
    int leftmost = 0;
    std::vector<bool> rows = inkRows(panel, &leftmost);
    EXPECT_EQ(leftmost, panel.x + 23);
    EXPECT_TRUE(rows[panel.y + panel.h - 1]);

    fitTextPanel(&panel);
    EXPECT_EQ(panel.overflow, 0);
    int width = 0, height = 0;
    for (int i = 0; i < 4; ++i) {
        const TextLine& line = lineOf(panel, i);
        width = std::max(width, static_cast<int>(line.indent + line.metrics.width));
        height += static_cast<int>(line.spacing + line.metrics.height + line.metrics.yMin);
    }
    EXPECT_EQ(panel.w, width);
    EXPECT_EQ(panel.h, height);
    EXPECT_EQ(panel.x, 10);
    EXPECT_EQ(panel.y, 20);
}

TEST_F(PanelGlTest, LongLinesAreCutAndEmptyPanelsFitToNothing) {
    static TextPanel panel;
    createTextPanel(&panel, 10, 20, 100, 100, "empty", 0, defaultFont);
    fitTextPanel(&panel);
    EXPECT_EQ(panel.w, 0);
    EXPECT_EQ(panel.h, 0);
    setFlags(&panel, OBJ_CACHED);
    displayTextPanel(&panel);
    EXPECT_GT(panel.displayList, 0);
    EXPECT_TRUE(nearColour(readPixel(12, 22), kBackground));

    static TextPanel longPanel;
    createTextPanel(&longPanel, 10, 20, 100, 100, "long", 0, defaultFont);
    const std::string text(700, 'x');
    addTextLine(&longPanel, text.c_str(), 0, 0);
    EXPECT_EQ(std::strlen(lineOf(longPanel, 0).text), 511u);
    EXPECT_EQ(lineOf(longPanel, 0).metrics.length, 511.0f);
}

TEST_F(PanelGlTest, CachedTextPanelDrawsTheSameText) {
    static TextPanel panel;
    createTextPanel(&panel, 10, 20, 200, 100, "help", 1, defaultFont);
    addTextLine(&panel, "'h' : open/close help", 3, 2);
    addTextLine(&panel, "'Esc' : exit program", 3, 2);
    fitTextPanel(&panel);
    displayTextPanel(&panel);
    const std::vector<bool> direct = inkRows(panel);

    SetUp();
    setFlags(&panel, OBJ_CACHED);
    displayTextPanel(&panel);
    EXPECT_TRUE(flagsSet(&panel, OBJ_INITIALIZED));
    EXPECT_EQ(inkRows(panel), direct);
    // The fitted panel's last line ends on its bottom row.
    EXPECT_TRUE(direct[panel.y + static_cast<int>(lineOf(panel, 1).metrics.yMin) + 2]);
}

TEST_F(PanelGlTest, TitledFrameHasAShadedTitleBarAndARaisedFrame) {
    static TitledFrame frame;
    createTitledFrame(&frame, 20, 40, 160, 100, "Title", 2);
    EXPECT_EQ(displayTitledFrame(&frame), 1);
    const int top = frame.y + frame.h - 1;
    const int right = frame.x + frame.w - 1;

    // The bar is 20 rows high and shades from dark blue to light blue.
    EXPECT_TRUE(nearColour(readPixel(frame.x + 1, top - 10), {10, 36, 106}, 6));
    EXPECT_TRUE(nearColour(readPixel(right - 1, top - 10), {166, 201, 240}, 6));
    EXPECT_TRUE(nearColour(readPixel(frame.x + 80, top - 21), kFace));
    EXPECT_FALSE(nearColour(readPixel(frame.x + 80, top - 19), kFace, 20));

    // The title starts 3 pixels from the left edge, its glyph row 0 17 rows below the top.
    TextMetrics m = {};
    measureText("Title", &m, defaultFont);
    int left = kWindow, lowest = kWindow;
    for (int y = top - 19; y < top - 1; ++y) {
        for (int x = frame.x + 1; x < right - 1; ++x) {
            if (nearColour(readPixel(x, y), kLight)) {
                left = std::min(left, x);
                lowest = std::min(lowest, y);
            }
        }
    }
    EXPECT_EQ(left, frame.x + 3);
    EXPECT_EQ(lowest, frame.y + frame.h - 17 + static_cast<int>(m.yMin));

    // Raised: light along the top and left, shadow along the bottom and right.
    EXPECT_TRUE(edgeShows(kLight, false, top, top + 1, frame.x + 2, right - 2));
    EXPECT_TRUE(edgeShows(kLight, true, frame.x, frame.x - 1, frame.y + 2, top - 2));
    EXPECT_TRUE(edgeShows(kShadow, false, frame.y, frame.y - 1, frame.x + 2, right - 2));
    EXPECT_TRUE(edgeShows(kShadow, true, right, right + 1, frame.y + 2, top - 2));
}

}  // namespace
