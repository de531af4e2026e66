// Texture: an image held as an OpenGL texture padded to power-of-two sizes.
#pragma once

// Pixel formats of Texture::format (the OpenGL enums GL_BGR and GL_BGRA).
constexpr int TEXTURE_BGR = 0x80E0;   // 3 bytes per pixel: blue, green, red
constexpr int TEXTURE_BGRA = 0x80E1;  // 4 bytes per pixel: blue, green, red, alpha

// Texture::updateFlags bits.
constexpr int TEXTURE_STATIC = 1;    // uploaded once (no effect; the usual value for artwork)
constexpr int TEXTURE_STREAMED = 2;  // pixels are uploaded again at every draw
constexpr int TEXTURE_OPAQUE = 4;    // every alpha is 1: a BGRA texture is drawn unblended

constexpr int TEXTURE_MAX_SIZE = 1 << 30;  // larger sizes have no power-of-two storage

struct Texture {
    // The image to upload, rows bottom-up; not owned; may be null.
    const unsigned char* pixels = nullptr;
    int width = 0;                     // image width in pixels
    int height = 0;                    // image height in pixels
    int bytesPerPixel = 0;             // bytes per pixel of pixels (3 or 4)
    unsigned char* storage = nullptr;  // zero-filled texels (new[]), owned, never freed
    int texWidth = 1;                  // smallest power of two >= width (1 for width <= 1)
    int texHeight = 1;                 // likewise for height
    int format = TEXTURE_BGR;          // format of pixels: TEXTURE_BGR or TEXTURE_BGRA
    int updateFlags = 0;               // TEXTURE_STREAMED: re-upload pixels at every draw
    int textureId = 0;                 // OpenGL texture name; 0 when not created
    double s0 = 0, t0 = 0;             // texels mapped to the quad's lower-left corner
    double s1 = 0, t1 = 0;             // texels mapped to the upper-right corner (width, height)
    // When set, a streamed texture is uploaded only when this count, kept by the
    // owner of pixels and changed with every new image, differs from the one
    // uploaded last: however often the windows redraw, each image is uploaded once.
    const unsigned* pixelsVersion = nullptr;  // not owned
    mutable unsigned uploadedVersion = 0;     // *pixelsVersion at the last upload
    mutable bool uploaded = false;            // uploadedVersion holds a version
};

// Smallest power of two not below size; 1 for sizes of 1 or less, 0 above TEXTURE_MAX_SIZE.
int textureSize(int size);
// Bytes per pixel that an upload in `format` reads: 3 for TEXTURE_BGR, 4 for
// TEXTURE_BGRA, 0 for any other value.
int formatBytesPerPixel(int format);

// Fills every field of `texture` except storage and textureId, which it zeroes,
// as createTexture does. An image of nonzero size whose bytesPerPixel does not
// match the format, an unknown format, or a size without power-of-two storage is
// refused with a message on standard error: the texture then keeps no pixels, has
// zero sizes and is 1 x 1 (format TEXTURE_BGRA when the given one was unknown).
// Returns 1 when accepted (also without pixels), 0 when refused.
int prepareTexture(Texture* texture, const unsigned char* pixels, int width, int height,
                   int bytesPerPixel, int format, int updateFlags);

// Puts texture into the reset state: all zero or null, texWidth = texHeight = 1,
// format TEXTURE_BGR. Always returns 0.
int resetTexture(Texture* texture);
// Fills texture (prepareTexture) and creates its OpenGL texture in the current
// context: zero-filled power-of-two storage with the image in its lower-left corner.
void createTexture(Texture* texture, const unsigned char* pixels, int width, int height,
                   int bytesPerPixel, int format, int updateFlags);
// The image now covers width x height texels, within the storage made at creation
// (texWidth x texHeight): draws map that much of the texture to the quad, and a
// streamed image is uploaded again at the next draw. Returns 1, or 0 (nothing
// changed) when the size does not fit the storage.
int setTextureImageSize(Texture* texture, int width, int height);
// Draws the texture on the unit square at z = 0, blended; re-uploads streamed
// pixels first. Returns textureId, or 0 (drawing nothing) when not created.
int drawTexture(const Texture* texture);
// The same on the rectangle (x0, y0)-(x1, y1) at z = 0.
int drawTextureRect(const Texture* texture, double x0, double y0, double x1, double y1);
