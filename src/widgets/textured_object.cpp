#include "widgets/textured_object.h"

void setDefaultTexture(TexturedObject* object, const unsigned char* pixels, int width, int height,
                       int bytesPerPixel, int format, int updateFlags) {
    createTexture(&object->texture, pixels, width, height, bytesPerPixel, format, updateFlags);
}
