// FrameConverter: turns decoded picture planes into the tightly packed BGR or BGRA
// rows, bottom row first, that the source hands on, at the picture's size or scaled
// to another. Each thread that converts keeps its own converter: the converter's
// scratch buffers are not shared.
#pragma once

#include <cstdint>

struct SwsContext;
struct AVFrame;

// Planes of one picture in FFmpeg's terms (a decoded frame or a cached copy).
struct PicturePlanes {
    const uint8_t* data[4] = {};
    int linesize[4] = {};
    int format = -1;  // AVPixelFormat
    int width = 0, height = 0;
    bool fullRange = false;  // JPEG range rather than video range
    bool bt709 = false;      // BT.709 matrix rather than BT.601
};

struct FrameConverter {
    SwsContext* scaler = nullptr;  // owned
    AVFrame* scratch = nullptr;    // owned: aligned BGR rows, top first
    // What scaler was made for; format -1 when none.
    int format = -1, width = 0, height = 0, outWidth = 0, outHeight = 0, outBytes = 0;
    int fullRange = -1, bt709 = -1;
};

// The planes of a decoded frame, its deprecated full-range formats made plain.
PicturePlanes framePlanes(const AVFrame* frame);
// Converts planes into outWidth * outHeight * 3 bytes (BGR) at pixels; false when
// the pixel format cannot be converted or the buffers cannot be had.
bool convertPlanes(FrameConverter* converter, const PicturePlanes& planes, int outWidth,
                   int outHeight, unsigned char* pixels);
// The same with outBytes bytes per pixel: 3 for BGR, 4 for BGRA (alpha 255). A
// picture scaled is filtered bilinearly.
bool convertPlanesTo(FrameConverter* converter, const PicturePlanes& planes, int outWidth,
                     int outHeight, int outBytes, unsigned char* pixels);
void closeFrameConverter(FrameConverter* converter);
