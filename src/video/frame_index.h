// FrameIndex: where every frame of a video lies, so that a seek can land on an
// exact frame number. Frame i is the i-th frame that decoding the file from its
// start delivers. The index knows each frame by a time stamp (or, failing that,
// by its count from the start) and lists the places where decoding may begin.
//
// Two ways to build it:
// - buildIndexFromPackets: from the demuxed packets alone, when every shown
//   packet carries its own unique presentation time (MP4, MKV, WebM, MPEG-TS, ...).
// - DecodeIndexBuilder: from a full decoding pass, for containers whose packets
//   do not say when they are shown (AVI with B-frames, packed B-frames, ...).
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

constexpr int64_t NO_TIME = INT64_MIN;  // a missing time stamp (FFmpeg's AV_NOPTS_VALUE)

// One packet of the video stream, in decode order, as the demuxer hands it over.
struct PacketInfo {
    int64_t pos = -1;       // byte position in the file, -1 when unknown
    int size = 0;           // payload bytes
    int64_t pts = NO_TIME;  // presentation time, stream time base
    int64_t dts = NO_TIME;  // decoding time, stream time base
    bool key = false;       // the container marks it as a key frame
    bool discard = false;   // decoded for reference only, never delivered
};

// A packet where decoding may begin, and the first frame that decoding from it
// delivers correctly: frames delivered before that one are to be ignored.
struct SeekPoint {
    PacketInfo packet;     // the packet to find after a container seek
    int packetNumber = 0;  // its place among all packets, decode order
    int firstFrame = 0;    // frame index; ascending along FrameIndex::seekPoints
};

struct FrameIndex {
    std::vector<int64_t> frameTimes;  // per frame: its time stamp, NO_TIME when it has none
    std::unordered_map<int64_t, int> frameByTime;  // time stamp -> frame index
    std::vector<SeekPoint> seekPoints;             // seekPoints[0] is the first packet
    std::unordered_map<int64_t, int> packetByPos;  // byte position -> packet number
    // Frames have no usable times: after a seek, the first intra frame delivered is
    // the seek point's firstFrame and the frames after it follow in count.
    bool byOrdinal = false;
    bool fromDecoding = false;  // built by a decoding pass rather than from packets

    int frameCount() const { return static_cast<int>(frameTimes.size()); }
    // Frame index of a delivered frame's time stamp, or -1 when no frame has it.
    int findFrame(int64_t time) const;
    // Index into seekPoints of the last seek point whose firstFrame <= frame.
    int seekPointFor(int frame) const;
    // Packet number at a byte position, or -1 when no packet starts there.
    int packetAt(int64_t pos) const;
};

// Builds the index from the packets alone (decode order). Returns false, leaving
// index empty, when a shown packet lacks a presentation time or two share one:
// then only decoding can tell the frames apart.
bool buildIndexFromPackets(const std::vector<PacketInfo>& packets, FrameIndex* index);

// Collects a decoding pass from the first packet: every packet fed to the decoder
// and every frame it delivered, in the order they happened.
struct DecodeIndexBuilder {
    std::vector<PacketInfo> packets;    // every packet fed, in decode order
    std::vector<int64_t> frameTimes;    // per delivered frame: its time stamp or NO_TIME
    std::vector<int> pendingKeys;       // key packets fed since the last intra frame came out
    std::vector<SeekPoint> seekPoints;  // one per intra frame that a key packet started

    void addPacket(const PacketInfo& packet);
    // A delivered frame: its time stamp (NO_TIME if none) and whether it is intra-coded.
    void addFrame(int64_t time, bool intra);
    // Moves the result into index; falls back to byOrdinal when the times cannot
    // identify frames after a seek (duplicates, or most seek points' frames lack one).
    void finish(FrameIndex* index);
};
