// Text drawn through the font's display lists, read back from the back buffer.
#include <GL/freeglut.h>
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "../support/gl_test_window.h"
#include "widgets/bitmap_font.h"
#include "widgets/glyph_tables.h"

namespace {

constexpr int W = 320;
constexpr int H = 40;

int firstWindow = 0;
std::string firstReport;  // what the first text operation of the run printed
int firstDrawResult = -1;

// Opens the first window and makes the first text operation of the program in it.
class FirstWindow : public testing::Environment {
  public:
    void SetUp() override {
        firstWindow = openTestWindow(W, H, "font 1");
        testing::internal::CaptureStdout();
        firstDrawResult = drawText("first", 0.5f, 0.5f, W, H, defaultFont);
        firstReport = testing::internal::GetCapturedStdout();
    }
};
testing::Environment* const firstWindowEnvironment =
    testing::AddGlobalTestEnvironment(new FirstWindow);

bool glyphPixel(int glyph, int col, int row) {
    const uint8_t* bytes = glyphBitmaps[glyph] + 2 * row;
    return (((bytes[0] << 8) | bytes[1]) & (0x8000u >> col)) != 0;
}

// The window pixels that the glyph images cover when the text's first glyph
// starts at pixel (x0, y0): ink from the pen position, advance xMax + 1.
// Control characters use the blank first glyph.
std::vector<bool> expectedInk(const std::string& text, int x0, int y0) {
    std::vector<bool> ink(W * H, false);
    int pen = x0;
    for (unsigned char code : text) {
        int glyph = code < GLYPH_FIRST_CHAR ? 0 : code - GLYPH_FIRST_CHAR;
        const GlyphMetrics& m = glyphMetrics[glyph];
        for (int row = 0; row < GLYPH_SIZE; ++row)
            for (int col = 0; col < GLYPH_SIZE; ++col) {
                int x = pen + col - static_cast<int>(m.xMin), y = y0 + row;
                if (glyphPixel(glyph, col, row) && x >= 0 && x < W && y >= 0 && y < H)
                    ink[y * W + x] = true;
            }
        pen += static_cast<int>(m.xMax) + 1;
    }
    return ink;
}

std::vector<bool> inkOnScreen() {
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    std::vector<uint8_t> rgb(W * H * 3);
    glReadPixels(0, 0, W, H, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    std::vector<bool> ink(W * H);
    for (int i = 0; i < W * H; ++i) ink[i] = rgb[3 * i] > 127 && rgb[3 * i + 2] > 127;
    return ink;
}

// Draws text in white on black in the current window at (x, y) of an area of
// areaW x areaH units covering the window; returns the ink read back.
std::vector<bool> drawnInk(const std::string& text, float x, float y, float areaW = W,
                           float areaH = H) {
    clearTestWindow(0, 0, 0);
    glColor3f(1, 1, 1);
    EXPECT_EQ(drawText(text.c_str(), x, y, areaW, areaH, defaultFont), 1);
    std::vector<bool> ink = inkOnScreen();
    glutSwapBuffers();
    return ink;
}

int inkCount(const std::vector<bool>& ink) {
    int n = 0;
    for (bool b : ink) n += b;
    return n;
}

// Compares pixel by pixel and names the first few differences.
void expectSameInk(const std::vector<bool>& actual, const std::vector<bool>& expected) {
    int differences = 0;
    for (int i = 0; i < W * H; ++i)
        if (actual[i] != expected[i] && ++differences <= 5)
            ADD_FAILURE() << "pixel (" << i % W << ", " << i / W << ") "
                          << (actual[i] ? "inked" : "blank");
    EXPECT_EQ(differences, 0);
    EXPECT_GT(inkCount(expected), 0);
}

}  // namespace

TEST(BitmapFontGl, FirstTextOperationReportsOnceAndLaterOnesAreSilent) {
    EXPECT_EQ(firstDrawResult, 1);
    std::string fontLine =
        "font: bitmap font, 2621440, " + std::to_string(defaultFont->listBase) + ", \x1f, 225, ";
    ASSERT_EQ(firstReport.rfind("INIT FONTS\n" + fontLine, 0), 0u) << firstReport;
    ASSERT_GE(firstReport.size(), 12u);
    EXPECT_EQ(firstReport.substr(firstReport.size() - 12), "\n----------\n");
    EXPECT_EQ(std::count(firstReport.begin(), firstReport.end(), '\n'), 3);

    glutSetWindow(firstWindow);
    testing::internal::CaptureStdout();
    TextMetrics m;
    drawText("again", 1, 1, W, H, defaultFont);
    measureText("again", &m, defaultFont);
    textWidth("again", defaultFont);
    textHeight("again", defaultFont);
    EXPECT_EQ(initFonts(), 0);
    EXPECT_EQ(setupFont(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(BitmapFontGl, GlyphsLandBitExactFromTheRasterPosition) {
    glutSetWindow(firstWindow);
    // Half-pixel positions keep the raster position clear of rounding.
    const std::string text = "Ag!jW0t1Ma \xe9\x92q|\x85";
    expectSameInk(drawnInk(text, 10.5f, 4.5f), expectedInk(text, 10, 4));
    // The same in an area of 2 x 1 units: x and y are scaled to the window.
    expectSameInk(drawnInk(text, 101.5f / W * 2, 20.5f / H, 2, 1), expectedInk(text, 101, 20));
}

TEST(BitmapFontGl, ControlCharactersDrawAsTheBlankFirstGlyph) {
    glutSetWindow(firstWindow);
    const std::string text =
        "a\tb\x01"
        "c";
    expectSameInk(drawnInk(text, 3.5f, 2.5f), expectedInk(text, 3, 2));
}

TEST(BitmapFontGl, FurtherWindowsDrawWithTheirOwnRebuiltLists) {
    const std::string text = "window";
    // A fresh context has none of the first window's lists...
    int second = openTestWindow(W, H, "font 2");
    ASSERT_NE(second, firstWindow);
    EXPECT_EQ(inkCount(drawnInk(text, 5.5f, 5.5f)), 0);
    // ...until they are built there.
    EXPECT_EQ(rebuildFontLists(), 1);
    expectSameInk(drawnInk(text, 5.5f, 5.5f), expectedInk(text, 5, 5));

    openTestWindow(W, H, "font 3");
    EXPECT_EQ(rebuildFontLists(), 1);
    expectSameInk(drawnInk("third", 7.5f, 3.5f), expectedInk("third", 7, 3));

    // Every fresh context gives the block the same first name, so the one
    // listBase still serves the earlier windows.
    glutSetWindow(firstWindow);
    expectSameInk(drawnInk("first again", 2.5f, 9.5f), expectedInk("first again", 2, 9));
    glutSetWindow(second);
    expectSameInk(drawnInk(text, 5.5f, 5.5f), expectedInk(text, 5, 5));
}

TEST(BitmapFontGl, DrawingKeepsProjectionAndListBaseAndDisablesDepthTest) {
    glutSetWindow(firstWindow);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-3, 5, -2, 7, -1, 4);
    GLfloat before[16], after[16];
    glGetFloatv(GL_PROJECTION_MATRIX, before);
    glMatrixMode(GL_MODELVIEW);
    glListBase(7);
    glEnable(GL_DEPTH_TEST);

    EXPECT_EQ(drawText("depth", 1, 1, W, H, defaultFont), 1);

    glGetFloatv(GL_PROJECTION_MATRIX, after);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(after[i], before[i]) << i;
    GLint depth = 0, listBase = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
    glGetIntegerv(GL_LIST_BASE, &listBase);
    EXPECT_EQ(depth, 1);
    EXPECT_EQ(listBase, 7);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    glListBase(0);
    resetTestFrame(W, H);
}
