// Image files read into plain pixel buffers for textures (no GL here).
#pragma once

#include <memory>

constexpr int IMAGE_PATH_SIZE = 1024;  // bytes for directory + name, terminator included

// A picture in memory as textures read it: rows tightly packed, row 0 the bottom row
// of the picture, channel bytes blue, green, red (then alpha).
struct Image {
    std::unique_ptr<unsigned char[]> pixels;  // width x height x channels bytes; null when none
    int width = 0;
    int height = 0;
    int channels = 0;  // bytes per pixel: 3 or 4
};

// Reads the PNG file directory + name (plain concatenation; name alone when
// directory is null). The file's own channels come first (blue, green, red, then its
// alpha for images that have one); with alphaThreshold > 0 one computed alpha byte
// follows per pixel: 255 when the brightness sum exceeds the threshold, else the sum
// truncated, so dark pixels turn transparent.
// Grey and palette images are widened to blue, green, red and 16-bit images
// narrowed to 8 bits; an image with an alpha channel (or a transparent colour) of
// its own keeps four bytes per pixel, its alpha lowered to the computed one when a
// threshold is given. Files that are not PNG, whatever their name, and pictures
// more than 8192 pixels a side are refused.
// Prints "name: <name> " and then the outcome on the same line. A picture that
// cannot be loaded gives an empty image (null pixels, zero sizes).
Image loadImageFile(const char* name, const char* directory, int alphaThreshold);
