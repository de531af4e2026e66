// TexturedObject: the part that panels and buttons share, an object with one picture.
#pragma once

#include "toolkit/interface_object.h"
#include "widgets/texture.h"

// A Panel's `texture` and a Button's default look are this one field, so one
// setter serves both kinds.
struct TexturedObject : InterfaceObject {
    Texture texture;  // a panel's picture; a button's default look
};

// createTexture on object->texture with these arguments, in the current window.
void setDefaultTexture(TexturedObject* object, const unsigned char* pixels, int width, int height,
                       int bytesPerPixel, int format, int updateFlags);
