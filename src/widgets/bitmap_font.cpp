#include "widgets/bitmap_font.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstring>

#include "widgets/glyph_tables.h"

namespace {

constexpr uint32_t FONT_SETUP_FLAGS = FONT_SET_UP | FONT_RASTER_LINES;
constexpr const char* FONT_NAME = "bitmap font";
// One display-list name for every byte value, so that glCallLists can take a
// string's bytes as they are.
constexpr int FONT_LIST_BLOCK = 256;
// Codes below the first glyph (control characters) are drawn and measured as
// the first glyph, the blank code 31.
constexpr int BLANK_GLYPH = 0;

BitmapFont theFont;

// Index of a character's glyph in the font's tables; codes outside the
// tables fall back to the blank first glyph.
int glyphIndex(const BitmapFont* font, unsigned char code) {
    if (code < font->firstChar) return BLANK_GLYPH;
    unsigned index = code - font->firstChar;
    return index < font->glyphCount ? static_cast<int>(index) : BLANK_GLYPH;
}

// The font a measurement reads: fonts that were never set up have no tables,
// so they are measured with the one built-in font.
const BitmapFont* measuredFont(const BitmapFont* font) {
    return font && font->metrics && font->glyphCount > 0 ? font : defaultFont;
}

void ensureFontsInitialised() {
    if (!fontsInitialised) initFonts();
}

void compileGlyphList(int listName, int glyph) {
    const GlyphMetrics& m = glyphMetrics[glyph];
    glNewList(listName, GL_COMPILE);
    glBitmap(GLYPH_SIZE, GLYPH_SIZE, m.xMin, 0.0f, m.xMax + 1.0f, 0.0f, glyphBitmaps[glyph]);
    glEndList();
}

}  // namespace

BitmapFont* defaultFont = &theFont;
int fontsInitialised = 0;

int setupFont() {
    if (defaultFont->flags & FONT_SET_UP) return 0;
    defaultFont->flags = FONT_SETUP_FLAGS;
    std::snprintf(defaultFont->name, sizeof defaultFont->name, "%s", FONT_NAME);
    defaultFont->listBase = GLYPH_FIRST_CHAR;  // replaced by buildFontLists
    defaultFont->firstChar = GLYPH_FIRST_CHAR;
    defaultFont->glyphCount = GLYPH_COUNT;
    defaultFont->metrics = glyphMetrics;
    defaultFont->setupFn = setupFont;
    defaultFont->drawFn = bitmapFontDrawText;
    buildFontLists();
    return 1;
}

int buildFontLists() {
    BitmapFont* font = defaultFont;
    // Bitmaps are unpacked when the lists are compiled: use the tables'
    // layout whatever pixel-store state other code left behind.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

    // Without a block (no context, or an error) keep the old base rather
    // than compiling glyphs over list names that other code owns.
    GLuint base = glGenLists(FONT_LIST_BLOCK);
    if (base != 0) {
        font->listBase = static_cast<int>(base);
        int count = static_cast<int>(font->glyphCount);
        if (count > GLYPH_COUNT) count = GLYPH_COUNT;
        for (int code = 0; code < font->firstChar; ++code)
            compileGlyphList(font->listBase + code, BLANK_GLYPH);
        for (int i = 0; i < count; ++i) compileGlyphList(font->listBase + font->firstChar + i, i);
    }
    glPopClientAttrib();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    return 1;
}

int initFonts() {
    if (fontsInitialised) return 0;
    setupFont();
    std::printf("INIT FONTS\n");
    printFont(defaultFont);
    std::printf("----------\n");
    std::fflush(stdout);
    fontsInitialised = 1;
    return 1;
}

int rebuildFontLists() {
    // A font that was never set up gets its lists from setupFont.
    if (!setupFont()) buildFontLists();
    return 1;
}

int bitmapFontDrawText(const char* text, float x, float y, float width, float height) {
    setupFont();
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0.0, width, 0.0, height);
    glRasterPos2f(x, y);
    if (text && text[0] != '\0') {
        glPushAttrib(GL_LIST_BIT);
        glListBase(defaultFont->listBase);
        glCallLists(static_cast<GLsizei>(std::strlen(text)), GL_UNSIGNED_BYTE, text);
        glPopAttrib();
    }
    glPopMatrix();
    return 1;
}

int drawText(const char* text, float x, float y, float width, float height, BitmapFont* font) {
    ensureFontsInitialised();
    if (!font || !font->drawFn) return 0;
    return font->drawFn(text, x, y, width, height);
}

float textWidth(const char* text, BitmapFont* font) {
    ensureFontsInitialised();
    const BitmapFont* f = measuredFont(font);
    float width = 0.0f;
    for (const char* p = text ? text : ""; *p != '\0'; ++p)
        width += f->metrics[glyphIndex(f, static_cast<unsigned char>(*p))].width + 1.0f;
    return width;
}

float textHeight(const char* text, BitmapFont* font) {
    ensureFontsInitialised();
    const BitmapFont* f = measuredFont(font);
    float yMin = 255.0f, yMax = 0.0f;
    for (const char* p = text ? text : ""; *p != '\0'; ++p) {
        const GlyphMetrics& m = f->metrics[glyphIndex(f, static_cast<unsigned char>(*p))];
        if (m.yMin < yMin) yMin = m.yMin;
        if (m.yMax > yMax) yMax = m.yMax;
    }
    return yMax - yMin;
}

int measureText(const char* text, TextMetrics* out, BitmapFont* font) {
    ensureFontsInitialised();
    if (!out) return 0;
    const BitmapFont* f = measuredFont(font);
    if (!text) text = "";
    size_t length = std::strlen(text);
    TextMetrics m{};
    m.yMin = 255.0f;
    m.yMax = 0.0f;
    m.length = static_cast<float>(length);
    m.width = m.length - 1.0f;
    for (size_t i = 0; i < length; ++i) {
        const GlyphMetrics& g = f->metrics[glyphIndex(f, static_cast<unsigned char>(text[i]))];
        m.width += g.width;
        if (g.yMin < m.yMin) m.yMin = g.yMin;
        if (g.yMax > m.yMax) m.yMax = g.yMax;
    }
    m.height = m.yMax - m.yMin + 1.0f;
    if (length > 0) m.xStart = f->metrics[glyphIndex(f, static_cast<unsigned char>(text[0]))].xMin;
    m.xEnd = m.xStart + m.width;
    *out = m;
    return 1;
}

void printFont(const BitmapFont* font) {
    if (!font) return;
    std::printf("font: %s, %d, %d, %c, %d, %p, %p, %p\n", font->name, static_cast<int>(font->flags),
                font->listBase, font->firstChar, static_cast<int>(font->glyphCount),
                static_cast<const void*>(font->metrics), reinterpret_cast<void*>(font->setupFn),
                reinterpret_cast<void*>(font->drawFn));
}
