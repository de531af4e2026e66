#include "video/frame_decoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
}

// Larger frames are refused: a broken or hostile header must not make the
// source allocate gigabytes for its buffers.
constexpr int MAX_FRAME_SIDE = 16384;  // pixels
// 33.5 Mpixel: 8K UHD (7680 x 4320) and 8192 x 4096 panoramas pass; 100 MB as BGR.
// Beyond, a frame takes the source more than half a gigabyte, a hostile file of a
// few kilobytes too: the decoder's pictures, the converted frame and its staging.
constexpr int64_t MAX_FRAME_PIXELS = 1LL << 25;
// A stream may change its frame size on the way (a broadcast going from SD to HD),
// so the decoder takes frames up to a 4K frame, or up to twice the pixels the
// stream declares when that is more (room for the decoders' row padding), never
// much above the largest frame. A frame beyond comes from a damaged or hostile
// file: the decoder skips it as damaged instead of allocating hundreds of
// megabytes for a file of a few kilobytes.
constexpr int64_t MIN_PIXEL_LIMIT = 4096LL * 2160;
constexpr int64_t MAX_PIXEL_LIMIT = MAX_FRAME_PIXELS * 5 / 4;

static std::string averrorText(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

static int pickVideoStream(AVFormatContext* format) {
    int best = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (best >= 0 && !(format->streams[best]->disposition & AV_DISPOSITION_ATTACHED_PIC))
        return best;
    // A cover picture is not the video.
    for (unsigned i = 0; i < format->nb_streams; i++) {
        const AVStream* stream = format->streams[i];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
            !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            return static_cast<int>(i);
    }
    return -1;
}

bool openFrameDecoder(FrameDecoder* decoder, const char* fileName, std::string* problem) {
    closeFrameDecoder(decoder);
    // FFmpeg's own warnings about damaged streams would drown the tool's lines.
    av_log_set_level(AV_LOG_FATAL);
    int error = avformat_open_input(&decoder->format, fileName, nullptr, nullptr);
    if (error < 0) {
        *problem = averrorText(error);
        return false;
    }
    error = avformat_find_stream_info(decoder->format, nullptr);
    if (error < 0) {
        *problem = "no stream information: " + averrorText(error);
        closeFrameDecoder(decoder);
        return false;
    }
    decoder->streamIndex = pickVideoStream(decoder->format);
    if (decoder->streamIndex < 0) {
        *problem = "the file holds no video stream";
        closeFrameDecoder(decoder);
        return false;
    }
    for (unsigned i = 0; i < decoder->format->nb_streams; i++)
        if (static_cast<int>(i) != decoder->streamIndex)
            decoder->format->streams[i]->discard = AVDISCARD_ALL;

    const AVCodecParameters* parameters = decoder->format->streams[decoder->streamIndex]->codecpar;
    const int width = parameters->width, height = parameters->height;
    if (width <= 0 || height <= 0 || width > MAX_FRAME_SIDE || height > MAX_FRAME_SIDE ||
        static_cast<int64_t>(width) * height > MAX_FRAME_PIXELS) {
        *problem =
            "unsupported frame size " + std::to_string(width) + " x " + std::to_string(height);
        closeFrameDecoder(decoder);
        return false;
    }
    decoder->width = width;
    decoder->height = height;
    if (!avcodec_find_decoder(parameters->codec_id)) {
        *problem =
            std::string("no decoder for the video codec ") + avcodec_get_name(parameters->codec_id);
        closeFrameDecoder(decoder);
        return false;
    }
    decoder->packet = av_packet_alloc();
    decoder->frame = av_frame_alloc();
    if (!decoder->packet || !decoder->frame) {
        *problem = "out of memory";
        closeFrameDecoder(decoder);
        return false;
    }
    if (!reopenCodec(decoder, 0, true)) {
        *problem = "the video decoder cannot be started";
        closeFrameDecoder(decoder);
        return false;
    }
    const int flags = decoder->format->iformat->flags;
    // Transport and program streams seek by time only through a bisection that
    // lands near, not on, a frame; their packets' byte positions are exact.
    decoder->byteSeekFirst = (flags & AVFMT_TS_DISCONT) && !(flags & AVFMT_NO_BYTE_SEEK);
    return true;
}

void closeFrameDecoder(FrameDecoder* decoder) {
    avcodec_free_context(&decoder->codec);
    avformat_close_input(&decoder->format);
    av_packet_free(&decoder->packet);
    av_frame_free(&decoder->frame);
    closeFrameConverter(&decoder->converter);
    *decoder = FrameDecoder();
}

bool reopenCodec(FrameDecoder* decoder, int threads, bool pixels) {
    avcodec_free_context(&decoder->codec);
    const AVCodecParameters* parameters = decoder->format->streams[decoder->streamIndex]->codecpar;
    const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
    if (!codec) return false;
    decoder->codec = avcodec_alloc_context3(codec);
    if (!decoder->codec) return false;
    if (avcodec_parameters_to_context(decoder->codec, parameters) < 0) return false;
    decoder->codec->pkt_timebase = decoder->format->streams[decoder->streamIndex]->time_base;
    decoder->codec->thread_count = threads;
    const int64_t declared = static_cast<int64_t>(decoder->width) * decoder->height;
    decoder->codec->max_pixels = std::min(MAX_PIXEL_LIMIT, std::max(MIN_PIXEL_LIMIT, 2 * declared));
    if (!pixels) {
        decoder->codec->skip_idct = AVDISCARD_ALL;
        decoder->codec->skip_loop_filter = AVDISCARD_ALL;
    }
    decoder->hasPacket = false;
    decoder->endSent = false;
    return avcodec_open2(decoder->codec, codec, nullptr) >= 0;
}

bool readVideoPacket(FrameDecoder* decoder) {
    av_packet_unref(decoder->packet);
    decoder->hasPacket = false;
    while (av_read_frame(decoder->format, decoder->packet) >= 0) {
        if (decoder->packet->stream_index == decoder->streamIndex) return true;
        av_packet_unref(decoder->packet);
    }
    return false;
}

PacketInfo describePacket(const AVPacket* packet) {
    PacketInfo info;
    info.pos = packet->pos;
    info.size = packet->size;
    info.pts = packet->pts;
    info.dts = packet->dts;
    info.key = (packet->flags & AV_PKT_FLAG_KEY) != 0;
    info.discard = (packet->flags & AV_PKT_FLAG_DISCARD) != 0;
    return info;
}

static bool samePacket(const AVPacket* packet, const PacketInfo& wanted) {
    if (packet->size != wanted.size) return false;
    if (wanted.pos >= 0 && packet->pos >= 0) return packet->pos == wanted.pos;
    return packet->pts == wanted.pts && packet->dts == wanted.dts;
}

// After a container seek: reads packets until the wanted one, which is then kept
// to be sent first. False once the demuxer is past it or the file ends.
static bool findPacket(FrameDecoder* decoder, const FrameIndex& index, const SeekPoint& point) {
    while (readVideoPacket(decoder)) {
        if (samePacket(decoder->packet, point.packet)) {
            decoder->hasPacket = true;
            return true;
        }
        if (index.packetAt(decoder->packet->pos) > point.packetNumber) break;
    }
    av_packet_unref(decoder->packet);
    return false;
}

bool positionAtSeekPoint(FrameDecoder* decoder, const FrameIndex& index, int seekPoint) {
    if (seekPoint < 0 || seekPoint >= static_cast<int>(index.seekPoints.size())) return false;
    const SeekPoint& point = index.seekPoints[seekPoint];
    AVFormatContext* format = decoder->format;
    const int stream = decoder->streamIndex;
    avcodec_flush_buffers(decoder->codec);
    av_packet_unref(decoder->packet);
    decoder->hasPacket = false;
    decoder->endSent = false;

    const bool byteSeekable = !(format->iformat->flags & AVFMT_NO_BYTE_SEEK);
    const int64_t pos = point.packet.pos;
    int64_t time = point.packet.dts;
    if (point.packet.pts != NO_TIME && (time == NO_TIME || point.packet.pts < time))
        time = point.packet.pts;

    if (decoder->byteSeekFirst && pos >= 0 &&
        av_seek_frame(format, stream, pos, AVSEEK_FLAG_BYTE) >= 0 &&
        findPacket(decoder, index, point))
        return true;
    if (time != NO_TIME && av_seek_frame(format, stream, time, AVSEEK_FLAG_BACKWARD) >= 0 &&
        findPacket(decoder, index, point))
        return true;
    if (!decoder->byteSeekFirst && byteSeekable && pos >= 0 &&
        av_seek_frame(format, stream, pos, AVSEEK_FLAG_BYTE) >= 0 &&
        findPacket(decoder, index, point))
        return true;
    // Last resort: from the start of the file, skipping packets up to the point.
    const int64_t start = format->start_time != AV_NOPTS_VALUE ? format->start_time : 0;
    if (av_seek_frame(format, -1, start, AVSEEK_FLAG_BACKWARD) >= 0 &&
        findPacket(decoder, index, point))
        return true;
    return byteSeekable && av_seek_frame(format, stream, 0, AVSEEK_FLAG_BYTE) >= 0 &&
           findPacket(decoder, index, point);
}

int decodeNextFrame(FrameDecoder* decoder) {
    // A damaged frame makes the decoder report an error and go on with the next.
    constexpr int MAX_ERRORS_IN_A_ROW = 64;
    int errors = 0;
    for (;;) {
        const int received = avcodec_receive_frame(decoder->codec, decoder->frame);
        if (received == 0) return 1;
        if (received == AVERROR_EOF) return 0;
        if (received != AVERROR(EAGAIN)) {
            if (++errors > MAX_ERRORS_IN_A_ROW) return 0;
            continue;
        }
        if (decoder->endSent) return 0;
        if (!decoder->hasPacket && !readVideoPacket(decoder)) {
            decoder->endSent = true;
            avcodec_send_packet(decoder->codec, nullptr);
            continue;
        }
        decoder->hasPacket = true;
        const int64_t pts = decoder->packet->pts;
        const bool skippable = decoder->skipUnreferencedBefore != NO_TIME &&
                               pts != AV_NOPTS_VALUE && pts < decoder->skipUnreferencedBefore;
        decoder->codec->skip_frame = skippable ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
        const int sent = avcodec_send_packet(decoder->codec, decoder->packet);
        if (sent == AVERROR(EAGAIN)) continue;
        if (sent == 0 && decoder->sentLog)
            decoder->sentLog->push_back(describePacket(decoder->packet));
        // A damaged packet is dropped; the decoder goes on with the next one.
        av_packet_unref(decoder->packet);
        decoder->hasPacket = false;
    }
}

int64_t frameTime(const AVFrame* frame) {
    if (frame->pts != AV_NOPTS_VALUE) return frame->pts;
    if (frame->best_effort_timestamp != AV_NOPTS_VALUE) return frame->best_effort_timestamp;
    return NO_TIME;
}

bool frameIsIntra(const AVFrame* frame) {
    return frame->key_frame || frame->pict_type == AV_PICTURE_TYPE_I;
}

bool convertFrame(FrameDecoder* decoder, unsigned char* pixels) {
    return convertPlanes(&decoder->converter, framePlanes(decoder->frame), decoder->width,
                         decoder->height, pixels);
}

int decoderPixelFormat(const FrameDecoder* decoder) {
    return decoder->format->streams[decoder->streamIndex]->codecpar->format;
}

const char* containerName(const FrameDecoder* decoder) {
    return decoder->format->iformat->name;
}

int reportedFrameCount(const FrameDecoder* decoder) {
    const AVStream* stream = decoder->format->streams[decoder->streamIndex];
    if (stream->nb_frames > 0)
        return stream->nb_frames > INT32_MAX ? 0 : static_cast<int>(stream->nb_frames);
    // Without a count in the header, the duration times the frame rate.
    double seconds = 0.0;
    if (decoder->format->duration != AV_NOPTS_VALUE)
        seconds = decoder->format->duration / static_cast<double>(AV_TIME_BASE);
    else if (stream->duration != AV_NOPTS_VALUE)
        seconds = stream->duration * av_q2d(stream->time_base);
    const double rate =
        av_q2d(av_guess_frame_rate(decoder->format, const_cast<AVStream*>(stream), nullptr));
    const double estimate = std::floor(seconds * rate + 0.5);
    return estimate > 0 && estimate < INT32_MAX ? static_cast<int>(estimate) : 0;
}

double streamTimeBase(const FrameDecoder* decoder) {
    const double base = av_q2d(decoder->format->streams[decoder->streamIndex]->time_base);
    return std::isfinite(base) && base > 0.0 ? base : 0.0;
}

double streamFrameRate(const FrameDecoder* decoder) {
    AVStream* stream = decoder->format->streams[decoder->streamIndex];
    const double rate = av_q2d(av_guess_frame_rate(decoder->format, stream, nullptr));
    return std::isfinite(rate) && rate > 0.0 ? rate : 0.0;
}

int64_t fileBytes(const FrameDecoder* decoder) {
    if (!decoder->format || !decoder->format->pb) return 0;
    return std::max<int64_t>(0, avio_size(decoder->format->pb));
}

int64_t bytesRead(const FrameDecoder* decoder) {
    if (!decoder->format || !decoder->format->pb) return 0;
    return avio_tell(decoder->format->pb);
}
