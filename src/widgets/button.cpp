#include "widgets/button.h"

#include <GL/gl.h>

#include "widgets/bitmap_font.h"

namespace {

constexpr double kSymbolInset = 0.2;    // of the shorter side, on each side of the box
constexpr double kPauseBarWidth = 0.2;  // unit width of each pause bar
constexpr double kPauseShift = 2;       // pixels the pause bars move left on wide buttons
constexpr double kStepShift = 0.06;     // offset of the step symbols' first triangle and bar
constexpr double kNextMiddle = 0.44;    // where the next symbol's two triangles meet
constexpr double kPrevMiddle = 0.56;    // where the previous symbol's two triangles meet

// Colour of the label or symbol of each look.
constexpr Colour kInkOfLook[BUTTON_LOOKS] = {BEVEL_SHADOW, BEVEL_LIGHT, BUTTON_HOVER};

// Face fill and bevel common to every look: raised, or sunken while pressed.
void drawFaceBase(int look, Colour face) {
    fillUnitSquare(face);
    if (look == LOOK_PRESSED) {
        drawBevelFrame(BEVEL_SHADOW, BEVEL_LIGHT);
    } else {
        drawBevelFrame(BEVEL_LIGHT, BEVEL_SHADOW);
    }
}

void triangle(double x0, double y0, double x1, double y1, double x2, double y2) {
    glBegin(GL_TRIANGLES);
    glVertex2d(x0, y0);
    glVertex2d(x1, y1);
    glVertex2d(x2, y2);
    glEnd();
}

void rectangle(double x0, double y0, double x1, double y1) {
    glBegin(GL_QUADS);
    glVertex2d(x0, y0);
    glVertex2d(x1, y0);
    glVertex2d(x1, y1);
    glVertex2d(x0, y1);
    glEnd();
}

}  // namespace

void createButton(Button* button, int x, int y, int w, int h, const char* name, int level) {
    initObjectBasic(button, x, y, w, h, name, level, displayButton);
    button->init = initLabelButton;
    resetTexture(&button->texture);
    resetTexture(&button->pressTexture);
    resetTexture(&button->rollOverTexture);
    for (int look = 0; look < BUTTON_LOOKS; ++look) {
        button->plainLists[look] = 0;
        button->textureLists[look] = 0;
    }
}

void createPrevButton(Button* button, int x, int y, int w, int h, const char* name, int level) {
    createButton(button, x, y, w, h, name, level);
    button->init = initPrevButton;
}

void createNextButton(Button* button, int x, int y, int w, int h, const char* name, int level) {
    createButton(button, x, y, w, h, name, level);
    button->init = initNextButton;
}

void setPressTexture(Button* button, const unsigned char* pixels, int width, int height,
                     int bytesPerPixel, int format, int updateFlags) {
    createTexture(&button->pressTexture, pixels, width, height, bytesPerPixel, format, updateFlags);
}

void setRollOverTexture(Button* button, const unsigned char* pixels, int width, int height,
                        int bytesPerPixel, int format, int updateFlags) {
    createTexture(&button->rollOverTexture, pixels, width, height, bytesPerPixel, format,
                  updateFlags);
}

int buttonLook(uint32_t flags) {
    int look = LOOK_DEFAULT;
    if (flags & OBJ_PRESSED) look = LOOK_PRESSED;
    if (flags & (OBJ_RELEASED | OBJ_ROLL_OVER)) look = LOOK_ROLL_OVER;
    if (flags & (OBJ_RELEASED_OUTSIDE | OBJ_ROLL_OUT)) look = LOOK_DEFAULT;
    return look;
}

const int* buttonListSet(const Button* button) {
    const bool textured = flagsSet(button, OBJ_TEXTURED) && button->texture.textureId > 0 &&
                          button->pressTexture.textureId > 0 &&
                          button->rollOverTexture.textureId > 0;
    return textured ? button->textureLists : button->plainLists;
}

void drawLabelFace(const InterfaceObject* button, int look, Colour face) {
    drawFaceBase(look, face);
    TextMetrics metrics = {};
    measureText(button->name, &metrics, defaultFont);
    const float w = static_cast<float>(button->w);
    const float h = static_cast<float>(button->h);
    setColour(kInkOfLook[look]);
    if (look == LOOK_PRESSED) {
        // Half a pixel right and down: the label sinks with the face.
        drawText(button->name, (w + 1 - metrics.width) * 0.5f, (h - 1 - metrics.height) * 0.5f, w,
                 h, defaultFont);
    } else {
        drawText(button->name, (w - metrics.width) * 0.5f, (h - metrics.height) * 0.5f, w, h,
                 defaultFont);
    }
}

SymbolBox symbolBox(int w, int h) {
    const double side = w > h ? h : w;
    const double inset = kSymbolInset * side;
    SymbolBox box = {};
    box.xl = ((w - side) / 2 + inset) / w;
    box.xr = ((w + side) / 2 - inset) / w;
    box.yb = ((h - side) / 2 + inset) / h;
    box.yt = ((h + side) / 2 - inset) / h;
    box.pixel = 1.0 / w;
    return box;
}

void drawPlayFace(const InterfaceObject* button, int look, Colour face) {
    drawFaceBase(look, face);
    if (button->w <= 0 || button->h <= 0) return;
    const SymbolBox box = symbolBox(button->w, button->h);
    setColour(kInkOfLook[look]);
    triangle(box.xl, box.yb, box.xl, box.yt, box.xr, 0.5);
}

void drawPauseFace(const InterfaceObject* button, int look, Colour face) {
    drawFaceBase(look, face);
    if (button->w <= 0 || button->h <= 0) return;
    SymbolBox box = symbolBox(button->w, button->h);
    if (button->w > button->h) {
        box.xl -= kPauseShift * box.pixel;
        box.xr -= kPauseShift * box.pixel;
    }
    setColour(kInkOfLook[look]);
    rectangle(box.xl, box.yb, box.xl + kPauseBarWidth, box.yt);
    rectangle(box.xr - kPauseBarWidth, box.yb, box.xr, box.yt);
}

void drawNextFace(const InterfaceObject* button, int look, Colour face) {
    drawFaceBase(look, face);
    if (button->w <= 0 || button->h <= 0) return;
    const SymbolBox box = symbolBox(button->w, button->h);
    setColour(kInkOfLook[look]);
    triangle(box.xl - kStepShift, box.yb, box.xl - kStepShift, box.yt, kNextMiddle, 0.5);
    triangle(kNextMiddle, box.yb, kNextMiddle, box.yt, box.xr - kStepShift, 0.5);
    rectangle(box.xr - kStepShift, box.yb, box.xr, box.yt);
}

void drawPrevFace(const InterfaceObject* button, int look, Colour face) {
    drawFaceBase(look, face);
    if (button->w <= 0 || button->h <= 0) return;
    const SymbolBox box = symbolBox(button->w, button->h);
    const double p = box.pixel;
    const double middle = kPrevMiddle;
    setColour(kInkOfLook[look]);
    triangle(box.xr - p + kStepShift, box.yb, box.xr - p + kStepShift, box.yt, middle - p, 0.5);
    triangle(middle - p, box.yb, middle - p, box.yt, box.xl - p + kStepShift, 0.5);
    rectangle(box.xl - p - kStepShift, box.yb, box.xl - p + kStepShift, box.yt);
}

void compileFaceLists(const InterfaceObject* button, FaceFn face, Colour faceColour,
                      int lists[BUTTON_LOOKS]) {
    const GLuint first = glGenLists(BUTTON_LOOKS);
    for (int look = 0; look < BUTTON_LOOKS; ++look) {
        lists[look] = static_cast<int>(first) + look;
        glNewList(first + static_cast<GLuint>(look), GL_COMPILE);
        face(button, look, faceColour);
        glEndList();
    }
}

void compileTextureLists(const Texture* const textures[BUTTON_LOOKS], int lists[BUTTON_LOOKS]) {
    for (int look = 0; look < BUTTON_LOOKS; ++look) {
        if (textures[look]->textureId <= 0) continue;
        const GLuint list = glGenLists(1);
        lists[look] = static_cast<int>(list);
        glNewList(list, GL_COMPILE);
        drawTexture(textures[look]);
        glEndList();
    }
}

int buildButtonLists(Button* button, FaceFn face, Colour faceColour) {
    if (flagsSet(button, OBJ_INITIALIZED)) return 0;
    // The font's lists must exist before a label is compiled: building them
    // inside another list's compilation would nest display lists.
    initFonts();
    compileFaceLists(button, face, faceColour, button->plainLists);
    const Texture* const textures[BUTTON_LOOKS] = {&button->texture, &button->pressTexture,
                                                   &button->rollOverTexture};
    compileTextureLists(textures, button->textureLists);
    setFlags(button, OBJ_INITIALIZED);
    return 1;
}

int initLabelButton(InterfaceObject* object) {
    return buildButtonLists(static_cast<Button*>(object), drawLabelFace, BEVEL_FACE);
}

int initPrevButton(InterfaceObject* object) {
    return buildButtonLists(static_cast<Button*>(object), drawPrevFace, BEVEL_FACE);
}

int initNextButton(InterfaceObject* object) {
    return buildButtonLists(static_cast<Button*>(object), drawNextFace, BEVEL_FACE);
}

int drawButtonLook(InterfaceObject* object, const int lists[BUTTON_LOOKS]) {
    invokeInit(object);
    glViewport(object->x, object->y, object->w, object->h);
    glCallList(static_cast<GLuint>(lists[buttonLook(object->flags)]));
    return 1;
}

int displayButton(InterfaceObject* object) {
    return drawButtonLook(object, buttonListSet(static_cast<const Button*>(object)));
}
