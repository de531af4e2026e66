// FrameDecoder: one video stream of a file read through FFmpeg: demuxing,
// decoding, positioning on a seek point, and conversion of decoded frames into
// tightly packed BGR rows, bottom row first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "video/frame_converter.h"
#include "video/frame_index.h"

struct AVFormatContext;
struct AVCodecContext;
struct AVPacket;
struct AVFrame;

struct FrameDecoder {
    AVFormatContext* format = nullptr;  // the demuxer, owned
    AVCodecContext* codec = nullptr;    // the decoder, owned; replaced by reopenCodec
    AVPacket* packet = nullptr;         // the packet to send next, while hasPacket
    bool hasPacket = false;
    bool endSent = false;                        // the demuxer ran dry and the decoder was told
    AVFrame* frame = nullptr;                    // the frame decodeNextFrame delivered last
    FrameConverter converter;                    // to BGR, for whoever holds the decoder
    int streamIndex = -1;                        // the video stream's index in the file
    int width = 0, height = 0;                   // size of the converted frames, pixels
    bool byteSeekFirst = false;                  // the container seeks exactly by byte, not by time
    std::vector<PacketInfo>* sentLog = nullptr;  // when set, every packet sent to the decoder
    // Packets shown before this time may skip their pictures when no other picture
    // refers to them; NO_TIME decodes everything.
    int64_t skipUnreferencedBefore = NO_TIME;
};

// Opens the file's video stream and its decoder; threads 0 lets FFmpeg choose.
// On failure fills problem with one line (without a line end) and returns false.
bool openFrameDecoder(FrameDecoder* decoder, const char* fileName, std::string* problem);
// Frees everything the decoder holds; it is closed (default values) afterwards.
void closeFrameDecoder(FrameDecoder* decoder);
// Replaces the decoder context: threads as above; pixels false skips the work that
// only makes pixels (for a pass that needs the frames' order and times alone).
bool reopenCodec(FrameDecoder* decoder, int threads, bool pixels);

// Reads the next packet of the video stream into decoder->packet without decoding;
// false at the end of the file.
bool readVideoPacket(FrameDecoder* decoder);
PacketInfo describePacket(const AVPacket* packet);  // the packet's place, size, times and flags

// Positions the demuxer so that the next packet fed is the seek point's packet and
// empties the decoder. Falls back from a seek by time to one by byte and to the
// start of the file; false when the packet cannot be found.
bool positionAtSeekPoint(FrameDecoder* decoder, const FrameIndex& index, int seekPoint);

// Feeds packets until a frame comes out: 1 with it in decoder->frame, 0 at the end.
int decodeNextFrame(FrameDecoder* decoder);
int64_t frameTime(const AVFrame* frame);  // pts, else the decoder's best guess, else NO_TIME
bool frameIsIntra(const AVFrame* frame);  // a key frame or an I picture

// Converts decoder->frame into width * height * 3 bytes at pixels: BGR, rows tightly
// packed, bottom row first. False when the frame's pixel format cannot be converted.
bool convertFrame(FrameDecoder* decoder, unsigned char* pixels);

int decoderPixelFormat(const FrameDecoder* decoder);     // AVPixelFormat the stream declares
const char* containerName(const FrameDecoder* decoder);  // the demuxer's name list
int reportedFrameCount(const FrameDecoder* decoder);     // what the container says, 0 if nothing
double streamTimeBase(const FrameDecoder* decoder);   // seconds per time-stamp unit, 0 if unknown
double streamFrameRate(const FrameDecoder* decoder);  // frames per second it declares, 0 if unknown
int64_t fileBytes(const FrameDecoder* decoder);       // file size, 0 when unknown
int64_t bytesRead(const FrameDecoder* decoder);       // position of the reader in the file
