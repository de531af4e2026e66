// Generates src/widgets/glyph_tables.cpp, the glyph images and metrics of the
// built-in 16 x 16 bitmap font, from a bold sans-serif TrueType face.
//
//   font_table_generator FONT.ttf OUTPUT.cpp    writes the table source
//   font_table_generator FONT.ttf --print       shows every glyph as text art
//
// Sections: character map, rasterising into the cell, hand-drawn glyphs,
// metrics, output.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int FIRST_CHAR = 31;
constexpr int GLYPH_COUNT = 225;
constexpr int CELL = 16;
constexpr int BASELINE_ROW = 3;
// Pixel sizes (height x width) at which the face's hinting gives capitals 10
// rows and lower-case letters an x-height of 7 rows; lower-case letters use
// the smaller height so that their ascenders end at the capitals' top row.
constexpr int CAPITAL_HEIGHT_PX = 14;
constexpr int LOWER_CASE_HEIGHT_PX = 13;
constexpr int WIDTH_PX = 11;

// ---------------------------------------------------------------- character map

constexpr int NO_GLYPH = -1;  // a blank cell
constexpr uint32_t VERTICAL_BAR = 0x7C;

// Unicode code point drawn for a character code, or NO_GLYPH for the blanks.
// Codes 127 to 159 are control codes in Latin-1; apart from the two single
// quotation marks of Windows-1252 they all show a vertical bar.
int codePointOf(int code) {
    if (code == 31 || code == 32 || code == 160) return NO_GLYPH;
    if (code == 145) return 0x2018;
    if (code == 146) return 0x2019;
    if (code >= 127 && code <= 159) return VERTICAL_BAR;
    return code;  // ASCII, and Latin-1 = U+00A1..U+00FF
}

bool isLowerCaseLetter(int cp) {
    return (cp >= 'a' && cp <= 'z') || cp == 0xAA || cp == 0xB5 || cp == 0xBA ||
           (cp >= 0xDF && cp <= 0xFF && cp != 0xF7);
}

// ---------------------------------------------------------- rasterising into the cell

struct Cell {
    bool px[CELL][CELL] = {};  // [row][column], row 0 at the bottom
};

struct InkBox {
    int xMin = CELL, xMax = -1, yMin = CELL, yMax = -1;
    bool empty() const { return xMax < 0; }
};

InkBox inkBox(const Cell& cell) {
    InkBox box;
    for (int row = 0; row < CELL; ++row)
        for (int col = 0; col < CELL; ++col)
            if (cell.px[row][col]) {
                box.xMin = std::min(box.xMin, col);
                box.xMax = std::max(box.xMax, col);
                box.yMin = std::min(box.yMin, row);
                box.yMax = std::max(box.yMax, row);
            }
    return box;
}

bool bitmapPixel(const FT_Bitmap& b, int row, int col) {
    return (b.buffer[row * b.pitch + col / 8] >> (7 - col % 8)) & 1;
}

// Renders one code point with the face's monochrome hinting and places it in
// the cell: baseline on row 3, ink starting at column 1 (column 0 for glyphs
// whose ink reaches the pen position or further left, and for glyphs too wide
// for column 1). Accents that would rise above the cell move down into the gap
// between them and the letter; pixels still outside are dropped with a note.
bool rasterise(FT_Face face, int code, int cp, Cell* cell) {
    int height = isLowerCaseLetter(cp) ? LOWER_CASE_HEIGHT_PX : CAPITAL_HEIGHT_PX;
    if (FT_Set_Pixel_Sizes(face, WIDTH_PX, height) != 0) return false;
    if (FT_Load_Char(face, cp, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) != 0)
        return false;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& b = slot->bitmap;
    int left = static_cast<int>(b.width), right = -1;
    for (unsigned r = 0; r < b.rows; ++r)
        for (unsigned c = 0; c < b.width; ++c)
            if (bitmapPixel(b, r, c)) {
                left = std::min(left, static_cast<int>(c));
                right = std::max(right, static_cast<int>(c));
            }
    if (right < 0) return false;
    int inkWidth = right - left + 1;
    int firstColumn = (slot->bitmap_left + left <= 0 || inkWidth >= CELL) ? 0 : 1;

    // Rows of pixels by cell row (may lie outside 0..15), bottom first.
    int bottom = BASELINE_ROW + slot->bitmap_top - static_cast<int>(b.rows);
    std::vector<std::vector<bool>> rows(b.rows, std::vector<bool>(CELL, false));
    int dropped = 0;
    for (unsigned r = 0; r < b.rows; ++r)
        for (int c = left; c <= right; ++c) {
            if (!bitmapPixel(b, r, c)) continue;
            int col = firstColumn + c - left;
            if (col >= CELL)
                ++dropped;
            else
                rows[b.rows - 1 - r][col] = true;
        }
    auto blank = [&](int cellRow) {
        int i = cellRow - bottom;
        if (i < 0 || i >= static_cast<int>(rows.size())) return true;
        return std::find(rows[i].begin(), rows[i].end(), true) == rows[i].end();
    };
    constexpr int FIRST_ACCENT_ROW = 13;
    while (bottom + static_cast<int>(rows.size()) - 1 >= CELL) {
        int top = bottom + static_cast<int>(rows.size()) - 1;
        int removable = -1;
        for (int r = FIRST_ACCENT_ROW; r < top && removable < 0; ++r)
            if (blank(r) && blank(r - 1)) removable = r;
        if (removable < 0) break;
        rows.erase(rows.begin() + (removable - bottom));
    }
    for (int i = 0; i < static_cast<int>(rows.size()); ++i)
        for (int col = 0; col < CELL; ++col) {
            if (!rows[i][col]) continue;
            int row = bottom + i;
            if (row < 0 || row >= CELL)
                ++dropped;
            else
                cell->px[row][col] = true;
        }
    if (dropped > 0)
        std::fprintf(stderr, "note: code %d (U+%04X): %d pixels outside the cell dropped\n", code,
                     static_cast<unsigned>(cp), dropped);
    return true;
}

// ----------------------------------------------------------------- hand-drawn glyphs

// Glyphs drawn by hand where the rasteriser's shapes are too wide, too narrow
// or badly hinted at this size. Rows are listed top first; '#' is ink; the
// first character of every row is column 0 and the last row is `bottomRow`.
struct HandGlyph {
    int code;
    int bottomRow;
    std::vector<const char*> rows;
};

const std::vector<HandGlyph>& handGlyphs() {
    static const std::vector<HandGlyph> glyphs = {
        {'A',
         3,
         {"...##...", "...##...", "..####..", "..####..", "..#..#..", ".##..##.", ".##..##.",
          ".######.", "##....##", "##....##"}},
        {'0',
         3,
         {"..####.", ".######", ".##..##", ".##..##", ".##..##", ".##..##", ".##..##", ".##..##",
          ".######", "..####."}},
        {'1',
         3,
         {"...##", "..###", ".####", "...##", "...##", "...##", "...##", "...##", "...##",
          "...##"}},
        {'M',
         3,
         {".###....###", ".###....###", ".####..####", ".####..####", ".##.#..#.##", ".##.####.##",
          ".##..##..##", ".##..##..##", ".##......##", ".##......##"}},
        {'W',
         3,
         {"##....##....##", "##....##....##", "##...####...##", ".##..####..##.", ".##..#..#..##.",
          ".##.##..##.##.", "..####..####..", "..###....###..", "..###....###..",
          "..##......##.."}},
        // A narrow "t"; its metrics give it one more column, so that the text
        // after it is spaced as after the wider letters.
        {'t', 3, {".##", ".##", ".###", ".##", ".##", ".##", ".##", ".##", "..##"}},
    };
    return glyphs;
}

Cell drawHandGlyph(const HandGlyph& glyph) {
    Cell cell;
    int row = glyph.bottomRow + static_cast<int>(glyph.rows.size()) - 1;
    for (const char* line : glyph.rows) {
        for (int col = 0; line[col] != '\0' && col < CELL; ++col)
            if (line[col] == '#') cell.px[row][col] = true;
        --row;
    }
    return cell;
}

// ---------------------------------------------------------------------------- metrics

struct Metrics {
    int xMin, xMax, yMin, yMax;
};

// The ink box, except for the blanks and "t", whose boxes are fixed.
Metrics metricsOf(int code, const Cell& cell) {
    switch (code) {
        case 31:
            return {0, 15, 0, 15};
        case 32:
            return {0, 4, 0, 15};
        case 160:
            return {0, 14, 0, 16};
        default:
            break;
    }
    InkBox box = inkBox(cell);
    Metrics m{box.xMin, box.xMax, box.yMin, box.yMax};
    if (code == 't') m.xMax = 4;
    return m;
}

// ----------------------------------------------------------------------------- output

std::string describe(int code) {
    char buffer[32];
    if (code > 32 && code < 127 && code != '\\')
        std::snprintf(buffer, sizeof buffer, "%d '%c'", code, code);
    else
        std::snprintf(buffer, sizeof buffer, "%d", code);
    return buffer;
}

void printGlyphs(const std::vector<Cell>& cells) {
    for (int i = 0; i < GLYPH_COUNT; ++i) {
        Metrics m = metricsOf(FIRST_CHAR + i, cells[i]);
        std::printf("%s: %d %d %d %d\n", describe(FIRST_CHAR + i).c_str(), m.xMin, m.xMax, m.yMin,
                    m.yMax);
        for (int row = CELL - 1; row >= 0; --row) {
            std::printf("  %2d ", row);
            for (int col = 0; col < CELL; ++col) std::putchar(cells[i].px[row][col] ? '#' : '.');
            std::putchar('\n');
        }
    }
}

bool writeTables(const std::vector<Cell>& cells, const char* path, const char* fontPath) {
    FILE* out = std::fopen(path, "w");
    if (!out) {
        std::fprintf(stderr, "can't create the file %s!\n", path);
        return false;
    }
    const char* fontName = std::strrchr(fontPath, '/');
    fontName = fontName ? fontName + 1 : fontPath;
    std::fprintf(out,
                 "// Generated by tools/font_table_generator.cpp from %s; do not edit.\n"
                 "// Regenerate with: cmake --build BUILD_DIR --target regenerate_glyph_tables\n"
                 "#include \"widgets/glyph_tables.h\"\n\n"
                 "// clang-format off\n"
                 "const uint8_t glyphBitmaps[GLYPH_COUNT][GLYPH_BYTES] = {\n",
                 fontName);
    for (int i = 0; i < GLYPH_COUNT; ++i) {
        std::fprintf(out, "    // %s\n    {", describe(FIRST_CHAR + i).c_str());
        for (int row = 0; row < CELL; ++row) {
            unsigned bits = 0;
            for (int col = 0; col < CELL; ++col)
                if (cells[i].px[row][col]) bits |= 0x8000u >> col;
            std::fprintf(out, "%s0x%02X, 0x%02X%s", row == 8 ? "\n     " : "", bits >> 8,
                         bits & 0xFF, row == CELL - 1 ? "" : ",");
            if (row != CELL - 1 && row != 7) std::fputc(' ', out);
        }
        std::fprintf(out, "},\n");
    }
    std::fprintf(out,
                 "};\n\n"
                 "// xMin, xMax, yMin, yMax, width, height\n"
                 "const GlyphMetrics glyphMetrics[GLYPH_COUNT] = {\n");
    for (int i = 0; i < GLYPH_COUNT; ++i) {
        Metrics m = metricsOf(FIRST_CHAR + i, cells[i]);
        std::fprintf(out, "    {%d, %d, %d, %d, %d, %d},  // %s\n", m.xMin, m.xMax, m.yMin, m.yMax,
                     m.xMax - m.xMin + 1, m.yMax - m.yMin + 1, describe(FIRST_CHAR + i).c_str());
    }
    std::fprintf(out, "};\n// clang-format on\n");
    if (std::fclose(out) != 0) {
        std::fprintf(stderr, "can't close the file %s!\n", path);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FONT.ttf OUTPUT.cpp | --print\n", argv[0]);
        return 2;
    }
    FT_Library library;
    FT_Face face;
    if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, argv[1], 0, &face) != 0) {
        std::fprintf(stderr, "can't read the file %s!\n", argv[1]);
        return 1;
    }
    std::vector<Cell> cells(GLYPH_COUNT);
    int status = 0;
    for (int i = 0; i < GLYPH_COUNT; ++i) {
        int code = FIRST_CHAR + i;
        int cp = codePointOf(code);
        if (cp == NO_GLYPH) continue;
        if (!rasterise(face, code, cp, &cells[i])) {
            std::fprintf(stderr, "error: no glyph for code %d (U+%04X)\n", code,
                         static_cast<unsigned>(cp));
            status = 1;
        }
    }
    for (const HandGlyph& glyph : handGlyphs())
        cells[glyph.code - FIRST_CHAR] = drawHandGlyph(glyph);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    if (status != 0) return status;

    if (std::strcmp(argv[2], "--print") == 0) {
        printGlyphs(cells);
        return 0;
    }
    return writeTables(cells, argv[2], argv[1]) ? 0 : 1;
}
