#include "video/frame_converter.h"

#include <cstddef>
#include <cstring>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

// The deprecated full-range YUV formats are their limited twins plus a range flag.
static AVPixelFormat plainFormat(AVPixelFormat format, bool* fullRange) {
    switch (format) {
        case AV_PIX_FMT_YUVJ420P:
            *fullRange = true;
            return AV_PIX_FMT_YUV420P;
        case AV_PIX_FMT_YUVJ422P:
            *fullRange = true;
            return AV_PIX_FMT_YUV422P;
        case AV_PIX_FMT_YUVJ444P:
            *fullRange = true;
            return AV_PIX_FMT_YUV444P;
        case AV_PIX_FMT_YUVJ440P:
            *fullRange = true;
            return AV_PIX_FMT_YUV440P;
        case AV_PIX_FMT_YUVJ411P:
            *fullRange = true;
            return AV_PIX_FMT_YUV411P;
        default:
            return format;
    }
}

// The colour fields as the numbers FFmpeg stored. Decoders copy them from the
// stream unchecked, so a damaged stream leaves values outside the enumerations
// there, which must not be read as the enumerations themselves.
template <typename Enumeration>
static int fieldValue(const Enumeration& field) {
    int value;
    static_assert(sizeof field == sizeof value, "FFmpeg's enumerations are ints");
    memcpy(&value, &field, sizeof value);
    return value;
}

PicturePlanes framePlanes(const AVFrame* frame) {
    PicturePlanes planes;
    for (int i = 0; i < 4; i++) {
        planes.data[i] = frame->data[i];
        planes.linesize[i] = frame->linesize[i];
    }
    planes.fullRange = fieldValue(frame->color_range) == AVCOL_RANGE_JPEG;
    planes.format = plainFormat(static_cast<AVPixelFormat>(frame->format), &planes.fullRange);
    planes.width = frame->width;
    planes.height = frame->height;
    planes.bt709 = fieldValue(frame->colorspace) == AVCOL_SPC_BT709;
    return planes;
}

static bool prepare(FrameConverter* c, const PicturePlanes& planes, int outWidth, int outHeight,
                    int outBytes) {
    if (c->scaler && c->format == planes.format && c->width == planes.width &&
        c->height == planes.height && c->outWidth == outWidth && c->outHeight == outHeight &&
        c->outBytes == outBytes && c->fullRange == static_cast<int>(planes.fullRange) &&
        c->bt709 == static_cast<int>(planes.bt709))
        return true;
    c->format = -1;
    const AVPixelFormat outFormat = outBytes == 4 ? AV_PIX_FMT_BGRA : AV_PIX_FMT_BGR24;
    c->scaler = sws_getCachedContext(c->scaler, planes.width, planes.height,
                                     static_cast<AVPixelFormat>(planes.format), outWidth, outHeight,
                                     outFormat, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!c->scaler) return false;
    const int* coefficients = sws_getCoefficients(planes.bt709 ? SWS_CS_ITU709 : SWS_CS_DEFAULT);
    sws_setColorspaceDetails(c->scaler, coefficients, planes.fullRange ? 1 : 0,
                             sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    if (!c->scratch || c->scratch->width != outWidth || c->scratch->height != outHeight ||
        c->scratch->format != outFormat) {
        av_frame_free(&c->scratch);
        c->scratch = av_frame_alloc();
        if (!c->scratch) return false;
        c->scratch->format = outFormat;
        c->scratch->width = outWidth;
        c->scratch->height = outHeight;
        if (av_frame_get_buffer(c->scratch, 0) < 0) {
            av_frame_free(&c->scratch);
            return false;
        }
    }
    c->format = planes.format;
    c->width = planes.width;
    c->height = planes.height;
    c->outWidth = outWidth;
    c->outHeight = outHeight;
    c->outBytes = outBytes;
    c->fullRange = planes.fullRange;
    c->bt709 = planes.bt709;
    return true;
}

bool convertPlanes(FrameConverter* converter, const PicturePlanes& planes, int outWidth,
                   int outHeight, unsigned char* pixels) {
    return convertPlanesTo(converter, planes, outWidth, outHeight, 3, pixels);
}

bool convertPlanesTo(FrameConverter* converter, const PicturePlanes& planes, int outWidth,
                     int outHeight, int outBytes, unsigned char* pixels) {
    if (planes.width <= 0 || planes.height <= 0 || !planes.data[0] || outWidth <= 0 ||
        outHeight <= 0 || (outBytes != 3 && outBytes != 4))
        return false;
    if (!prepare(converter, planes, outWidth, outHeight, outBytes)) return false;
    AVFrame* scratch = converter->scratch;
    if (sws_scale(converter->scaler, planes.data, planes.linesize, 0, planes.height, scratch->data,
                  scratch->linesize) != outHeight)
        return false;
    // The converter writes aligned rows top first; the frame is handed on packed,
    // bottom row first.
    const size_t rowBytes = static_cast<size_t>(outWidth) * outBytes;
    for (int y = 0; y < outHeight; y++)
        memcpy(pixels + static_cast<size_t>(outHeight - 1 - y) * rowBytes,
               scratch->data[0] + static_cast<ptrdiff_t>(y) * scratch->linesize[0], rowBytes);
    return true;
}

void closeFrameConverter(FrameConverter* converter) {
    sws_freeContext(converter->scaler);
    av_frame_free(&converter->scratch);
    *converter = FrameConverter();
}
