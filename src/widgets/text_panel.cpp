#include "widgets/text_panel.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "widgets/bevel.h"

namespace {

constexpr int kLineListCapacity = 1;
constexpr uint32_t kLineListSpare = 1;

const TextLine* lineAt(const TextPanel* panel, int index) {
    return static_cast<const TextLine*>(panel->lines.items[index]);
}

// Height a line takes above its cursor: its ink rows from the lowest glyph row
// (the metrics are whole pixels, so truncating the sum loses nothing).
int lineHeight(const TextLine* line) {
    return static_cast<int>(line->metrics.height + line->metrics.yMin);
}

}  // namespace

int createTextPanel(TextPanel* panel, int x, int y, int w, int h, const char* name, int level,
                    BitmapFont* font) {
    initObjectBasic(panel, x, y, w, h, name, level, displayTextPanel);
    panel->displayList = 0;
    panel->firstLine = 0;
    panel->overflow = 0;
    panel->init = initTextPanel;
    panel->font = font;
    return pointerListInit(&panel->lines, kLineListCapacity, kLineListSpare);
}

int addTextLine(TextPanel* panel, const char* text, int indent, int spacing) {
    TextLine* line = new (std::nothrow) TextLine();
    if (line == nullptr) return 0;
    std::strncpy(line->text, text != nullptr ? text : "", TEXT_LINE_SIZE - 1);
    line->text[TEXT_LINE_SIZE - 1] = '\0';
    measureText(line->text, &line->metrics, panel->font);
    line->spacing = spacing;
    line->indent = indent;
    if (pointerListAppend(&panel->lines, line) == 0) {
        delete line;
        return 0;
    }
    panel->overflow = textOverflow(panel);
    return 1;
}

int textOverflow(const TextPanel* panel) {
    int used = 0;
    for (int i = 0; i < panel->lines.count; ++i) {
        const TextLine* line = lineAt(panel, i);
        const int needed = used + lineHeight(line);
        if (panel->h < needed) return panel->lines.count - i;
        used = needed + line->spacing;
    }
    return 0;
}

void fitTextPanel(TextPanel* panel) {
    panel->w = 0;
    panel->h = 0;
    panel->overflow = 0;
    for (int i = 0; i < panel->lines.count; ++i) {
        const TextLine* line = lineAt(panel, i);
        panel->w = std::max(panel->w, static_cast<int>(line->indent + line->metrics.width));
        panel->h += line->spacing + lineHeight(line);
    }
}

int initTextPanel(InterfaceObject* object) {
    TextPanel* panel = static_cast<TextPanel*>(object);
    if (flagsSet(panel, OBJ_INITIALIZED)) return 0;
    // The font's own lists must exist before this list is compiled: building
    // them while compiling would nest display lists.
    initFonts();
    panel->displayList = static_cast<int>(glGenLists(1));
    glNewList(static_cast<GLuint>(panel->displayList), GL_COMPILE);
    drawTextPanelText(panel);
    glEndList();
    setFlags(panel, OBJ_INITIALIZED);
    return 1;
}

int displayTextPanel(InterfaceObject* object) {
    const TextPanel* panel = static_cast<const TextPanel*>(object);
    invokeInit(object);
    glViewport(panel->x, panel->y, panel->w, panel->h);
    if (flagsSet(panel, OBJ_CACHED)) {
        glCallList(static_cast<GLuint>(panel->displayList));
    } else {
        drawTextPanelText(panel);
    }
    return 1;
}

void drawTextPanelText(const TextPanel* panel) {
    // A panel without size has no projection to draw in (a fitted empty panel).
    if (panel->w <= 0 || panel->h <= 0 || panel->font == nullptr) return;
    const int first = std::max(0, std::min(panel->firstLine, panel->overflow));
    const int end = std::min(panel->lines.count, first + panel->lines.count - panel->overflow);
    initFonts();

    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, panel->w, 0, panel->h, -1, 1);

    setColour(BEVEL_SHADOW);
    glPushAttrib(GL_LIST_BIT);
    glListBase(static_cast<GLuint>(panel->font->listBase));
    int cursor = panel->h;
    for (int i = first; i < end; ++i) {
        const TextLine* line = lineAt(panel, i);
        cursor -= lineHeight(line);
        glRasterPos2i(line->indent, cursor);
        glCallLists(static_cast<GLsizei>(line->metrics.length), GL_UNSIGNED_BYTE, line->text);
        cursor -= line->spacing;
    }
    glPopAttrib();
    glPopMatrix();
}
