// Button: a clickable object with three looks (default, pressed, roll-over), each
// a plain face or a texture, compiled once into display lists.
//
// Sections: looks and colours; the record; constructors and setters; look
// choice; faces; callbacks.
#pragma once

#include <cstdint>

#include "widgets/bevel.h"
#include "widgets/textured_object.h"

// Looks, the index into every list triple.
constexpr int LOOK_DEFAULT = 0;    // nothing is happening
constexpr int LOOK_PRESSED = 1;    // a mouse button is held down on it
constexpr int LOOK_ROLL_OVER = 2;  // the pointer is over it, or was released over it
constexpr int BUTTON_LOOKS = 3;

constexpr Colour BUTTON_HOVER = {0.1f, 0.5f, 0.1f};        // label and symbol when rolled over
constexpr Colour BUTTON_SWITCH_FACE = {0.5f, 0.9f, 0.5f};  // face of on-state label looks

// The default look's texture is TexturedObject::texture (set by setDefaultTexture).
struct Button : TexturedObject {
    Texture pressTexture;                 // look while pressed
    Texture rollOverTexture;              // look while rolled over and after a release over it
    int plainLists[BUTTON_LOOKS] = {};    // plain faces: default, pressed, roll-over
    int textureLists[BUTTON_LOOKS] = {};  // lists drawing texture, pressTexture, rollOverTexture
};

// Constructors: short-form initialisation with displayButton, the kind's init
// callback, every texture reset and no lists. The label button draws its name;
// the previous and next buttons draw step symbols instead.
void createButton(Button* button, int x, int y, int w, int h, const char* name, int level);
void createPrevButton(Button* button, int x, int y, int w, int h, const char* name, int level);
void createNextButton(Button* button, int x, int y, int w, int h, const char* name, int level);

// createTexture on one look's texture; call while the button's window is current
// and before its lists are built (the default look: setDefaultTexture).
void setPressTexture(Button* button, const unsigned char* pixels, int width, int height,
                     int bytesPerPixel, int format, int updateFlags);
void setRollOverTexture(Button* button, const unsigned char* pixels, int width, int height,
                        int bytesPerPixel, int format, int updateFlags);

// The look that state flags select: pressed when OBJ_PRESSED, roll-over when
// OBJ_RELEASED or OBJ_ROLL_OVER, default when OBJ_RELEASED_OUTSIDE or
// OBJ_ROLL_OUT, each later rule overriding the earlier ones.
int buttonLook(uint32_t flags);
// The list triple a button draws from: textureLists when OBJ_TEXTURED is set and
// all three textures were created, else plainLists.
const int* buttonListSet(const Button* button);

// Draws one look of a button's face in the unit square of a w x h pixel viewport.
using FaceFn = void (*)(const InterfaceObject* button, int look, Colour face);
void drawLabelFace(const InterfaceObject* button, int look, Colour face);  // centred name
void drawPlayFace(const InterfaceObject* button, int look, Colour face);   // triangle
void drawPauseFace(const InterfaceObject* button, int look, Colour face);  // two bars
void drawNextFace(const InterfaceObject* button, int look, Colour face);   // two triangles, bar
void drawPrevFace(const InterfaceObject* button, int look, Colour face);   // bar, two triangles

// Symbol box in unit coordinates: the centred square of the shorter side, inset
// by a fifth of it on each side; pixel is 1 / w.
struct SymbolBox {
    double xl, xr, yb, yt, pixel;
};
SymbolBox symbolBox(int w, int h);

// Compiles the three looks of `face` into three consecutive new lists.
void compileFaceLists(const InterfaceObject* button, FaceFn face, Colour faceColour,
                      int lists[BUTTON_LOOKS]);
// Compiles drawTexture of each created texture into a new list; leaves the entry
// of a texture that was never created as it is.
void compileTextureLists(const Texture* const textures[BUTTON_LOOKS], int lists[BUTTON_LOOKS]);
// Builds plainLists with `face` and one list per created texture, once; sets
// OBJ_INITIALIZED. Returns 1 when it built them, 0 when already initialised.
int buildButtonLists(Button* button, FaceFn face, Colour faceColour);
// Init callbacks of the three kinds.
int initLabelButton(InterfaceObject* object);
int initPrevButton(InterfaceObject* object);
int initNextButton(InterfaceObject* object);
// The display steps of every button kind: the init callback (lists built once),
// viewport on the button, then the entry of `lists` that the flags choose
// (buttonLook). Returns 1.
int drawButtonLook(InterfaceObject* object, const int lists[BUTTON_LOOKS]);
// Display callback: drawButtonLook from buttonListSet. Returns 1.
int displayButton(InterfaceObject* object);
