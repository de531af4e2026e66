#include "widgets/titled_frame.h"

#include <GL/gl.h>

#include "widgets/bevel.h"
#include "widgets/bitmap_font.h"

namespace {

constexpr Colour kTitleDark = {0.04f, 0.14f, 0.415f};  // left end of the title bar
constexpr Colour kTitleLight = {0.65f, 0.79f, 0.94f};  // right end of the title bar

}  // namespace

void createTitledFrame(TitledFrame* frame, int x, int y, int w, int h, const char* name,
                       int level) {
    initObjectBasic(frame, x, y, w, h, name, level, displayTitledFrame);
}

int displayTitledFrame(InterfaceObject* object) {
    invokeInit(object);
    glViewport(object->x, object->y, object->w, object->h);
    if (object->w <= 0 || object->h <= 0) return 1;

    fillUnitSquare(BEVEL_FACE);

    const float barBottom = 1.0f - static_cast<float>(TITLE_BAR_HEIGHT) / object->h;
    glPushAttrib(GL_LIGHTING_BIT);  // the shade model
    glShadeModel(GL_SMOOTH);
    glBegin(GL_QUADS);
    setColour(kTitleDark);
    glVertex2f(0, 1);
    glVertex2f(0, barBottom);
    setColour(kTitleLight);
    glVertex2f(1, barBottom);
    glVertex2f(1, 1);
    glEnd();
    glPopAttrib();

    setColour(BEVEL_LIGHT);
    drawText(object->name, TITLE_TEXT_X, static_cast<float>(object->h - TITLE_TEXT_DROP),
             static_cast<float>(object->w), static_cast<float>(object->h), defaultFont);
    drawBevelFrame(BEVEL_LIGHT, BEVEL_SHADOW);
    return 1;
}
