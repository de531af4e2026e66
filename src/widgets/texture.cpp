#include "widgets/texture.h"

#include <GL/gl.h>

#include <cstdio>
#include <new>

static_assert(TEXTURE_BGR == GL_BGR && TEXTURE_BGRA == GL_BGRA, "texture formats are GL enums");

namespace {

// The storage always holds 4 bytes per texel: enough for either format, and at
// least one whole texel for a texture without an image.
constexpr int kStorageBytesPerTexel = 4;

void uploadImage(const Texture* texture) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, texture->width, texture->height,
                    static_cast<GLenum>(texture->format), GL_UNSIGNED_BYTE, texture->pixels);
}

bool streamsPixels(const Texture* texture) {
    return texture->pixels != nullptr && (texture->updateFlags & TEXTURE_STREAMED) != 0;
}

// A streamed texture's image is new, or its version unknown.
bool imageChanged(const Texture* texture) {
    if (!texture->pixelsVersion) return true;
    // A display list being compiled uploads nothing now: it does not count.
    GLint compiling = 0;
    glGetIntegerv(GL_LIST_INDEX, &compiling);
    if (compiling != 0) return true;
    if (texture->uploaded && texture->uploadedVersion == *texture->pixelsVersion) return false;
    texture->uploadedVersion = *texture->pixelsVersion;
    texture->uploaded = true;
    return true;
}

// Shared by both drawing operations: the corners are given by the caller.
template <typename Vertex>
int drawQuad(const Texture* texture, Vertex vertex, double x0, double y0, double x1, double y1) {
    if (texture->textureId <= 0) return 0;
    const double uMin = 1.0 / texture->texWidth * texture->s0;
    const double vMin = 1.0 / texture->texHeight * texture->t0;
    const double uMax = 1.0 / texture->texWidth * texture->s1;
    const double vMax = 1.0 / texture->texHeight * texture->t1;

    // A three-byte texture is opaque everywhere (alpha 1), and so is one marked
    // opaque, so blending would give the same pixels; leaving it off spares the frame buffer read,
    // which in a software driver is a good part of the cost of a full-window picture (the video,
    // the field).
    if (texture->format == TEXTURE_BGRA && (texture->updateFlags & TEXTURE_OPAQUE) == 0)
        glEnable(GL_BLEND);
    else
        glDisable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture->textureId));
    if (streamsPixels(texture) && imageChanged(texture)) uploadImage(texture);

    glBegin(GL_QUADS);
    glTexCoord2d(uMin, vMin);
    vertex(x0, y0);
    glTexCoord2d(uMin, vMax);
    vertex(x0, y1);
    glTexCoord2d(uMax, vMax);
    vertex(x1, y1);
    glTexCoord2d(uMax, vMin);
    vertex(x1, y0);
    glEnd();

    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    return texture->textureId;
}

}  // namespace

int textureSize(int size) {
    if (size > TEXTURE_MAX_SIZE) return 0;
    int padded = 1;
    while (padded < size) padded *= 2;
    return padded;
}

int formatBytesPerPixel(int format) {
    switch (format) {
        case TEXTURE_BGR:
            return 3;
        case TEXTURE_BGRA:
            return 4;
        default:
            return 0;
    }
}

int prepareTexture(Texture* texture, const unsigned char* pixels, int width, int height,
                   int bytesPerPixel, int format, int updateFlags) {
    resetTexture(texture);
    texture->format = format;
    texture->updateFlags = updateFlags;
    texture->bytesPerPixel = bytesPerPixel;

    const char* refusal = nullptr;
    if (formatBytesPerPixel(format) == 0) {
        refusal = "unknown pixel format";
        texture->format = TEXTURE_BGRA;
    } else if ((pixels != nullptr || width > 0 || height > 0) &&
               bytesPerPixel != formatBytesPerPixel(format)) {
        // A later re-upload from another buffer reads width x height x the
        // format's bytes, so a sized texture must agree with its format too.
        refusal = "bytes per pixel do not match the pixel format";
    } else if (textureSize(width) == 0 || textureSize(height) == 0) {
        refusal = "image too large";
    }
    if (refusal != nullptr) {
        std::fprintf(stderr, "texture of %d x %d, %d bytes per pixel, format 0x%X: %s; no image\n",
                     width, height, bytesPerPixel, static_cast<unsigned>(format), refusal);
        return 0;
    }

    texture->pixels = pixels;
    texture->width = width > 0 ? width : 0;
    texture->height = height > 0 ? height : 0;
    texture->texWidth = textureSize(width);
    texture->texHeight = textureSize(height);
    texture->s1 = texture->width;
    texture->t1 = texture->height;
    return 1;
}

int resetTexture(Texture* texture) {
    *texture = Texture();
    return 0;
}

void createTexture(Texture* texture, const unsigned char* pixels, int width, int height,
                   int bytesPerPixel, int format, int updateFlags) {
    prepareTexture(texture, pixels, width, height, bytesPerPixel, format, updateFlags);
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (texture->texWidth > maxSize || texture->texHeight > maxSize) {
        std::fprintf(stderr, "texture of %d x %d: larger than %d texels; no image\n", width, height,
                     static_cast<int>(maxSize));
        prepareTexture(texture, nullptr, 0, 0, 0, texture->format, updateFlags);
    }

    const size_t texels = static_cast<size_t>(texture->texWidth) * texture->texHeight;
    texture->storage = new (std::nothrow) unsigned char[texels * kStorageBytesPerTexel]();
    if (texture->storage == nullptr) {
        // Fall back to one texel rather than leave the texture without storage.
        std::fprintf(stderr, "texture of %d x %d: no memory for its storage; no image\n", width,
                     height);
        prepareTexture(texture, nullptr, 0, 0, 0, texture->format, updateFlags);
        texture->storage = new unsigned char[kStorageBytesPerTexel]();
    }

    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, texture->texWidth, texture->texHeight, 0,
                 static_cast<GLenum>(texture->format), GL_UNSIGNED_BYTE, texture->storage);
    if (texture->pixels != nullptr) uploadImage(texture);
    texture->textureId = static_cast<int>(name);
}

int setTextureImageSize(Texture* texture, int width, int height) {
    if (width <= 0 || height <= 0 || width > texture->texWidth || height > texture->texHeight)
        return 0;
    texture->width = width;
    texture->height = height;
    texture->s1 = width;
    texture->t1 = height;
    texture->uploaded = false;
    return 1;
}

int drawTexture(const Texture* texture) {
    return drawQuad(
        texture, [](double x, double y) { glVertex3f(float(x), float(y), 0.0f); }, 0, 0, 1, 1);
}

int drawTextureRect(const Texture* texture, double x0, double y0, double x1, double y1) {
    return drawQuad(
        texture, [](double x, double y) { glVertex3d(x, y, 0.0); }, x0, y0, x1, y1);
}
