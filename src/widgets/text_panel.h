// TextPanel: lines of text, top-aligned and left-indented, sized to its lines.
#pragma once

#include "toolkit/interface_object.h"
#include "toolkit/pointer_list.h"
#include "widgets/bitmap_font.h"

constexpr int TEXT_LINE_SIZE = 512;  // bytes of TextLine::text, terminator included

// One line of a text panel; allocated by addTextLine, owned by the panel, never freed.
struct TextLine {
    char text[TEXT_LINE_SIZE] = {};  // the line, cut at 511 characters
    TextMetrics metrics = {};        // measured with the panel's font when added
    int spacing = 0;                 // pixels left empty below the line
    int indent = 0;                  // x of the first glyph origin, pixels from the left edge
};

struct TextPanel : InterfaceObject {
    PointerList lines;           // TextLine pointers in the order added
    int displayList = 0;         // list holding the text drawing; 0 until built
    int firstLine = 0;           // index of the first line shown
    int overflow = 0;            // lines at the end that do not fit into h
    BitmapFont* font = nullptr;  // font of the lines; not owned
};

// Short-form initialisation with displayTextPanel and initTextPanel; no lines.
// Returns the result of initialising the line list (1 when it allocated).
int createTextPanel(TextPanel* panel, int x, int y, int w, int h, const char* name, int level,
                    BitmapFont* font);
// Appends a measured line and recomputes overflow. Returns 1, or 0 when no memory.
int addTextLine(TextPanel* panel, const char* text, int indent, int spacing);
// Sets w and h so that every line fits exactly (0 x 0 without lines); overflow 0.
void fitTextPanel(TextPanel* panel);
// Number of lines at the end that do not fit into the panel's current height.
int textOverflow(const TextPanel* panel);

// Init callback: compiles drawTextPanelText once; 1 when it did, else 0.
int initTextPanel(InterfaceObject* object);
// Display callback: init, viewport on the panel, then the list when OBJ_CACHED
// is set, else drawTextPanelText. Returns 1.
int displayTextPanel(InterfaceObject* object);
// Draws the lines that fit, from min(firstLine, overflow), in the shadow colour.
// Leaves the projection matrix selected and the depth test disabled.
void drawTextPanelText(const TextPanel* panel);
