// The constant glyph tables of the built-in bitmap font, generated into
// glyph_tables.cpp by tools/font_table_generator.cpp.
#pragma once

#include <cstdint>

#include "widgets/bitmap_font.h"

constexpr int GLYPH_FIRST_CHAR = 31;  // character code of glyph 0
constexpr int GLYPH_COUNT = 225;      // glyphs for the codes 31 to 255
constexpr int GLYPH_SIZE = 16;        // cell width and height in pixels
constexpr int GLYPH_BYTES = 32;       // 16 rows of 2 bytes, bottom row first, MSB = column 0

// Glyph images in character-code order from GLYPH_FIRST_CHAR, laid out as
// glBitmap reads them with an unpack alignment of 1.
extern const uint8_t glyphBitmaps[GLYPH_COUNT][GLYPH_BYTES];
// Ink box of each image (pixels, row 0 at the bottom), in the same order.
extern const GlyphMetrics glyphMetrics[GLYPH_COUNT];
