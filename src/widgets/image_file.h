// Image files read into plain pixel buffers for textures (no GL here).
#pragma once

constexpr int IMAGE_PATH_SIZE = 1024;  // bytes for directory + name, terminator included

// Reads the PNG file directory + name (plain concatenation; name alone when
// directory is null) into a new buffer of width x height x channels bytes: rows tightly packed, row
// 0 the bottom row of the picture, channel bytes blue, green, red (then the file's alpha for images
// that have one). With alphaThreshold > 0 one computed alpha byte follows per pixel: 255 when the
// brightness sum exceeds the threshold, else the sum truncated, so dark pixels turn transparent.
// Grey and palette images are widened to blue, green, red and 16-bit images
// narrowed to 8 bits; an image with an alpha channel (or a transparent colour) of
// its own keeps four bytes per pixel, its alpha lowered to the computed one when a
// threshold is given. Files that are not PNG, whatever their name, and pictures
// more than 8192 pixels a side are refused.
// Prints "name: <name> " and then the outcome on the same line. Returns 1 and
// fills the outputs; on failure returns 0 with a null buffer and zero sizes.
// The buffer is allocated with new[] and owned by the caller (delete[]).
int loadImageFile(const char* name, const char* directory, unsigned char** outPixels, int* outWidth,
                  int* outHeight, int* outChannels, int alphaThreshold);
