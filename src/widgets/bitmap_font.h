// BitmapFont: the one built-in 16 x 16 bitmap font, drawn through display lists.
#pragma once

#include <cstdint>

constexpr uint32_t FONT_SET_UP = 0x80000;         // record filled and lists built once
constexpr uint32_t FONT_RASTER_LINES = 0x200000;  // text panels place lines by raster position
constexpr int FONT_NAME_SIZE = 512;

// One glyph's ink box: columns and rows of set pixels (row 0 is the bottom).
struct GlyphMetrics {
    float xMin, xMax, yMin, yMax, width, height;
};

// A measured string, in pixels: xStart is the first glyph's xMin and xEnd = xStart +
// width; yMin and yMax the lowest and highest ink rows of all glyphs; width the sum of
// the glyph widths plus one between each two; height = yMax - yMin + 1; length the
// number of characters.
struct TextMetrics {
    float xStart, xEnd, yMin, yMax, width, height, length;
};

struct BitmapFont;
using FontSetupFn = int (*)();
using FontDrawFn = int (*)(const char* text, float x, float y, float width, float height);

struct BitmapFont {
    uint32_t flags = 0;              // FONT_SET_UP | FONT_RASTER_LINES once set up
    char name[FONT_NAME_SIZE] = {};  // "bitmap font"
    int listBase = 0;                // display list of character code 0 in the current window
    uint8_t firstChar = 0;           // first code with a glyph: 31
    uint32_t glyphCount = 0;         // 225 (codes 31 to 255)
    const GlyphMetrics* metrics = nullptr;  // glyphCount ink boxes; not owned
    FontSetupFn setupFn = nullptr;          // setupFont
    FontDrawFn drawFn = nullptr;            // bitmapFontDrawText
};

extern BitmapFont* defaultFont;  // the one font
extern int fontsInitialised;     // the one-time initialisation has run

int setupFont();         // fills the record and builds the lists once; 1 when it did
int buildFontLists();    // builds the glyph lists in the current window
int initFonts();         // setupFont with the console report, once; 1 when it ran
int rebuildFontLists();  // builds the lists again in the current window
// The font's drawFn: text at (x, y) of a width x height unit system over the viewport,
// with the lists of the current window. Leaves the projection matrix selected (as it
// was) and the depth test disabled. Returns 1.
int bitmapFontDrawText(const char* text, float x, float y, float width, float height);

// Draws text with its first glyph's origin at (x, y) of a width x height unit
// system covering the current viewport. Returns the font's drawFn result, or 0.
int drawText(const char* text, float x, float y, float width, float height, BitmapFont* font);
float textWidth(const char* text, BitmapFont* font);   // sum of (glyph width + 1)
float textHeight(const char* text, BitmapFont* font);  // highest yMax - lowest yMin
// Fills *out with the metrics of text (null text: empty). Returns 1, 0 when out is null.
int measureText(const char* text, TextMetrics* out, BitmapFont* font);
// Prints the font record on one line ("font: name, flags, listBase, ...").
void printFont(const BitmapFont* font);
