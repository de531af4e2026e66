// The glyph tables and the text measurements; no display is needed (the font's
// display lists are built without a current GL context, which GL ignores).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "widgets/bitmap_font.h"
#include "widgets/glyph_tables.h"

namespace {

struct InkBox {
    int xMin = GLYPH_SIZE, xMax = -1, yMin = GLYPH_SIZE, yMax = -1;
};

int glyphOf(unsigned char code) {
    return code - GLYPH_FIRST_CHAR;
}

bool pixelSet(int glyph, int col, int row) {
    const uint8_t* bytes = glyphBitmaps[glyph] + 2 * row;
    unsigned bits = (bytes[0] << 8) | bytes[1];
    return (bits & (0x8000u >> col)) != 0;
}

uint16_t rowBits(int glyph, int row) {
    return static_cast<uint16_t>((glyphBitmaps[glyph][2 * row] << 8) |
                                 glyphBitmaps[glyph][2 * row + 1]);
}

InkBox inkBox(int glyph) {
    InkBox box;
    for (int row = 0; row < GLYPH_SIZE; ++row)
        for (int col = 0; col < GLYPH_SIZE; ++col)
            if (pixelSet(glyph, col, row)) {
                box.xMin = std::min(box.xMin, col);
                box.xMax = std::max(box.xMax, col);
                box.yMin = std::min(box.yMin, row);
                box.yMax = std::max(box.yMax, row);
            }
    return box;
}

void expectMetrics(unsigned char code, GlyphMetrics expected) {
    const GlyphMetrics& m = glyphMetrics[glyphOf(code)];
    SCOPED_TRACE("code " + std::to_string(code));
    EXPECT_EQ(m.xMin, expected.xMin);
    EXPECT_EQ(m.xMax, expected.xMax);
    EXPECT_EQ(m.yMin, expected.yMin);
    EXPECT_EQ(m.yMax, expected.yMax);
    EXPECT_EQ(m.width, expected.width);
    EXPECT_EQ(m.height, expected.height);
}

float glyphWidth(unsigned char code) {
    return glyphMetrics[glyphOf(code)].width;
}

TextMetrics measured(const std::string& text) {
    TextMetrics m{};
    EXPECT_EQ(measureText(text.c_str(), &m, defaultFont), 1);
    return m;
}

void expectSameMetrics(const TextMetrics& a, const TextMetrics& b) {
    EXPECT_EQ(a.xStart, b.xStart);
    EXPECT_EQ(a.xEnd, b.xEnd);
    EXPECT_EQ(a.yMin, b.yMin);
    EXPECT_EQ(a.yMax, b.yMax);
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.height, b.height);
    EXPECT_EQ(a.length, b.length);
}

}  // namespace

TEST(GlyphTables, MetricsAreTheInkBoxOfEachImageExceptTheFixedOnes) {
    expectMetrics(31, {0, 15, 0, 15, 16, 16});
    expectMetrics(32, {0, 4, 0, 15, 5, 16});
    expectMetrics(160, {0, 14, 0, 16, 15, 17});
    for (int glyph = 0; glyph < GLYPH_COUNT; ++glyph) {
        int code = GLYPH_FIRST_CHAR + glyph;
        SCOPED_TRACE("code " + std::to_string(code));
        InkBox box = inkBox(glyph);
        if (code == 31 || code == 32 || code == 160) {
            EXPECT_LT(box.xMax, 0) << "blank glyph has ink";
            continue;
        }
        ASSERT_GE(box.xMax, 0) << "glyph without ink";
        const GlyphMetrics& m = glyphMetrics[glyph];
        EXPECT_EQ(m.xMin, box.xMin);
        EXPECT_EQ(m.xMax, code == 't' ? box.xMax + 1 : box.xMax);
        EXPECT_EQ(m.yMin, box.yMin);
        EXPECT_EQ(m.yMax, box.yMax);
        EXPECT_EQ(m.width, m.xMax - m.xMin + 1);
        EXPECT_EQ(m.height, m.yMax - m.yMin + 1);
        // The glyph and its advance stay inside the cell.
        EXPECT_LE(m.xMax + 1, GLYPH_SIZE);
    }
    EXPECT_EQ(inkBox(glyphOf('t')).xMax, 3);
}

TEST(GlyphTables, ListedGlyphsAndTheImageOfA) {
    expectMetrics('!', {1, 2, 3, 12, 2, 10});
    expectMetrics('0', {1, 6, 3, 12, 6, 10});
    expectMetrics('1', {1, 4, 3, 12, 4, 10});
    expectMetrics('A', {0, 7, 3, 12, 8, 10});
    expectMetrics('M', {1, 10, 3, 12, 10, 10});
    expectMetrics('W', {0, 13, 3, 12, 14, 10});
    expectMetrics('a', {1, 6, 3, 9, 6, 7});
    expectMetrics('g', {1, 6, 0, 9, 6, 10});
    expectMetrics('j', {0, 2, 0, 12, 3, 13});
    expectMetrics('t', {1, 4, 3, 11, 4, 9});

    const uint16_t a[GLYPH_SIZE] = {0x0000, 0x0000, 0x0000, 0xC300, 0xC300, 0x7E00, 0x6600, 0x6600,
                                    0x2400, 0x3C00, 0x3C00, 0x1800, 0x1800, 0x0000, 0x0000, 0x0000};
    for (int row = 0; row < GLYPH_SIZE; ++row) EXPECT_EQ(rowBits(glyphOf('A'), row), a[row]) << row;
    EXPECT_EQ(glyphBitmaps[glyphOf('A')][6], 0xC3);
    EXPECT_EQ(glyphBitmaps[glyphOf('A')][7], 0x00);
}

TEST(GlyphTables, FaceKeepsBaselineCapitalHeightAndDescenders) {
    auto expectRows = [](const char* letters, float yMin, float yMax) {
        for (const char* p = letters; *p; ++p) {
            const GlyphMetrics& m = glyphMetrics[glyphOf(*p)];
            EXPECT_EQ(m.yMin, yMin) << *p;
            EXPECT_EQ(m.yMax, yMax) << *p;
        }
    };
    expectRows("ABCDEFGHIKLMNOPRSTUVWXYZ0123456789bdhkl", 3, 12);
    expectRows("acemnorsuvwxz", 3, 9);
    expectRows("gpqy", 0, 9);

    int fromColumnOne = 0, fromColumnZero = 0;
    for (const GlyphMetrics& m : glyphMetrics) {
        fromColumnOne += m.xMin == 1;
        fromColumnZero += m.xMin == 0;
    }
    EXPECT_EQ(fromColumnOne + fromColumnZero, GLYPH_COUNT);
    EXPECT_GT(fromColumnOne, 2 * fromColumnZero);
}

TEST(GlyphTables, CodesAboveAsciiShowBarsQuotesAndLatinLetters) {
    const int bar = glyphOf(127);
    for (int code = 127; code <= 159; ++code) {
        if (code == 145 || code == 146) continue;
        for (int row = 0; row < GLYPH_SIZE; ++row)
            ASSERT_EQ(rowBits(glyphOf(code), row), rowBits(bar, row)) << code;
    }
    InkBox barBox = inkBox(bar);
    EXPECT_EQ(barBox.xMin, barBox.xMax) << "a one-column bar";
    EXPECT_GE(barBox.yMax - barBox.yMin, 10);

    // The curly quotes are small marks high up, mirror images of each other's hook.
    for (int code : {145, 146}) {
        InkBox box = inkBox(glyphOf(code));
        EXPECT_GE(box.yMin, 8) << code;
        EXPECT_LE(box.xMax - box.xMin, 3) << code;
    }
    bool sameQuotes = true;
    for (int row = 0; row < GLYPH_SIZE; ++row)
        sameQuotes &= rowBits(glyphOf(145), row) == rowBits(glyphOf(146), row);
    EXPECT_FALSE(sameQuotes);

    // Accented capitals keep their accents inside the cell, above the capital.
    for (unsigned char code : {0xC0, 0xC9, 0xD1, 0xDC}) {
        InkBox box = inkBox(glyphOf(code));
        EXPECT_EQ(box.yMin, 3) << int(code);
        EXPECT_GE(box.yMax, 14) << int(code);
        EXPECT_LE(box.yMax, 15) << int(code);
    }
    // Lower-case accented letters share the x-height of their base letter.
    EXPECT_EQ(glyphMetrics[glyphOf(0xE9)].yMin, 3);  // e acute
    EXPECT_EQ(glyphMetrics[glyphOf(0xE7)].yMin, 0);  // c cedilla
}

TEST(TextMeasure, WordEmptyStringAndSpace) {
    TextMetrics load = measured("load");
    float sum = glyphWidth('l') + glyphWidth('o') + glyphWidth('a') + glyphWidth('d');
    EXPECT_EQ(load.width, sum + 3);
    EXPECT_EQ(load.height, 10);
    EXPECT_EQ(load.yMin, 3);
    EXPECT_EQ(load.yMax, 12);
    EXPECT_EQ(load.xStart, 1);
    EXPECT_EQ(load.xEnd, 1 + sum + 3);
    EXPECT_EQ(load.length, 4);
    EXPECT_EQ(textWidth("load", defaultFont), sum + 4);
    EXPECT_EQ(textHeight("load", defaultFont), 9);

    TextMetrics aj = measured("Aj");
    EXPECT_EQ(aj.xStart, 0);
    EXPECT_EQ(aj.width, 8 + 3 + 1);
    EXPECT_EQ(aj.height, 13);

    TextMetrics empty = measured("");
    expectSameMetrics(empty, TextMetrics{0, -1, 255, 0, -1, -254, 0});
    EXPECT_EQ(textWidth("", defaultFont), 0);
    EXPECT_EQ(textHeight("", defaultFont), -255);

    TextMetrics space = measured(" ");
    EXPECT_EQ(space.width, 5);
    EXPECT_EQ(space.height, 16);
    EXPECT_EQ(textWidth(" ", defaultFont), 6);
}

TEST(TextMeasure, CodesAreUnsignedBytes) {
    TextMetrics last = measured("\xff");
    EXPECT_EQ(last.width, glyphMetrics[GLYPH_COUNT - 1].width);
    EXPECT_EQ(last.yMin, glyphMetrics[GLYPH_COUNT - 1].yMin);
    EXPECT_EQ(textWidth("\x92\xe9", defaultFont), glyphWidth(0x92) + glyphWidth(0xE9) + 2);
}

TEST(TextMeasure, ControlCharactersMeasureAsTheBlankFirstGlyph) {
    TextMetrics blank = measured("\x1f");
    for (int code = 1; code < 31; ++code) {
        std::string text(1, static_cast<char>(code));
        SCOPED_TRACE(code);
        expectSameMetrics(measured(text), blank);
        EXPECT_EQ(textWidth(text.c_str(), defaultFont), 17);
        EXPECT_EQ(textHeight(text.c_str(), defaultFont), 15);
    }
    TextMetrics tab = measured("a\tb");
    EXPECT_EQ(tab.length, 3);
    EXPECT_EQ(tab.width, glyphWidth('a') + 16 + glyphWidth('b') + 2);
    EXPECT_EQ(tab.height, 16);
    EXPECT_EQ(tab.xStart, 1);
}

TEST(TextMeasure, FontsWithoutTablesOrDrawing) {
    BitmapFont bare;
    TextMetrics viaBare{};
    EXPECT_EQ(measureText("Mg", &viaBare, &bare), 1);
    expectSameMetrics(viaBare, measured("Mg"));
    EXPECT_EQ(textWidth("Mg", nullptr), textWidth("Mg", defaultFont));
    EXPECT_EQ(drawText("Mg", 0, 0, 10, 10, &bare), 0);
    EXPECT_EQ(drawText("Mg", 0, 0, 10, 10, nullptr), 0);
    EXPECT_EQ(measureText("Mg", nullptr, defaultFont), 0);
}
