#include "video/frame_index.h"

#include <algorithm>
#include <iterator>

int FrameIndex::findFrame(int64_t time) const {
    if (time == NO_TIME) return -1;
    auto found = frameByTime.find(time);
    return found == frameByTime.end() ? -1 : found->second;
}

int FrameIndex::seekPointFor(int frame) const {
    auto after = std::upper_bound(
        seekPoints.begin(), seekPoints.end(), frame,
        [](int value, const SeekPoint& point) { return value < point.firstFrame; });
    return after == seekPoints.begin() ? 0 : static_cast<int>(after - seekPoints.begin()) - 1;
}

int FrameIndex::packetAt(int64_t pos) const {
    if (pos < 0) return -1;
    auto found = packetByPos.find(pos);
    return found == packetByPos.end() ? -1 : found->second;
}

static void indexPacketPositions(const std::vector<PacketInfo>& packets, FrameIndex* index) {
    index->packetByPos.clear();
    index->packetByPos.reserve(packets.size());
    for (size_t i = 0; i < packets.size(); i++)
        if (packets[i].pos >= 0) index->packetByPos.emplace(packets[i].pos, static_cast<int>(i));
}

bool buildIndexFromPackets(const std::vector<PacketInfo>& packets, FrameIndex* index) {
    *index = FrameIndex();
    std::vector<int64_t> times;
    times.reserve(packets.size());
    for (const PacketInfo& packet : packets) {
        if (packet.discard) continue;
        if (packet.pts == NO_TIME) return false;
        times.push_back(packet.pts);
    }
    std::sort(times.begin(), times.end());
    if (std::adjacent_find(times.begin(), times.end()) != times.end()) return false;

    index->frameTimes = std::move(times);
    index->frameByTime.reserve(index->frameTimes.size());
    for (size_t i = 0; i < index->frameTimes.size(); i++)
        index->frameByTime.emplace(index->frameTimes[i], static_cast<int>(i));
    indexPacketPositions(packets, index);
    if (packets.empty()) return true;

    // Decoding from the file's first packet delivers every frame. A later key
    // packet delivers its own frame and every frame shown after it; frames shown
    // before it but decoded after it (open-GOP leading pictures) belong to the
    // seek point before.
    index->seekPoints.push_back({packets[0], 0, 0});
    for (size_t i = 1; i < packets.size(); i++) {
        const PacketInfo& packet = packets[i];
        if (!packet.key || packet.discard) continue;
        const auto& frameTimes = index->frameTimes;
        int first =
            static_cast<int>(std::lower_bound(frameTimes.begin(), frameTimes.end(), packet.pts) -
                             frameTimes.begin());
        if (first > index->seekPoints.back().firstFrame)
            index->seekPoints.push_back({packet, static_cast<int>(i), first});
    }
    return true;
}

void DecodeIndexBuilder::addPacket(const PacketInfo& packet) {
    if (packet.key) pendingKeys.push_back(static_cast<int>(packets.size()));
    packets.push_back(packet);
}

void DecodeIndexBuilder::addFrame(int64_t time, bool intra) {
    const int frame = static_cast<int>(frameTimes.size());
    frameTimes.push_back(time);
    // The intra frame came out of one of the key packets fed since the last one;
    // the earliest of them is the safe start (a container may also flag the
    // placeholder packets of packed B-frames as key).
    if (intra && !pendingKeys.empty()) {
        const int packet = pendingKeys.front();
        if (seekPoints.empty() || frame > seekPoints.back().firstFrame)
            seekPoints.push_back({packets[packet], packet, frame});
        pendingKeys.clear();
    }
}

void DecodeIndexBuilder::finish(FrameIndex* index) {
    *index = FrameIndex();
    index->fromDecoding = true;
    indexPacketPositions(packets, index);
    index->frameTimes = std::move(frameTimes);
    if (packets.empty()) return;

    // Decoding from the first packet is the sequential reading that defines the
    // frames, so it is a seek point for frame 0 whatever it holds.
    if (!seekPoints.empty() && seekPoints.front().packetNumber == 0)
        seekPoints.front().firstFrame = 0;
    if (seekPoints.empty() || seekPoints.front().packetNumber != 0)
        seekPoints.insert(seekPoints.begin(), SeekPoint{packets[0], 0, 0});

    bool usable = true;
    index->frameByTime.reserve(index->frameTimes.size());
    for (size_t i = 0; i < index->frameTimes.size() && usable; i++) {
        const int64_t time = index->frameTimes[i];
        if (time != NO_TIME) usable = index->frameByTime.emplace(time, static_cast<int>(i)).second;
    }
    // After a seek the first accepted frame must be recognisable by its time; a
    // seek point whose frame has none is left out. When that leaves out most of
    // them, or times repeat, frames are known by their count from an intra frame.
    const auto unrecognisable = [index](const SeekPoint& point) {
        return point.packetNumber > 0 && index->frameTimes[point.firstFrame] == NO_TIME;
    };
    std::vector<SeekPoint> timed;
    std::remove_copy_if(seekPoints.begin(), seekPoints.end(), std::back_inserter(timed),
                        unrecognisable);
    const size_t dropped = seekPoints.size() - timed.size();
    if (!usable || dropped * 2 > seekPoints.size() - 1) {
        index->byOrdinal = true;
        index->frameByTime.clear();
        index->seekPoints = std::move(seekPoints);
    } else {
        index->seekPoints = std::move(timed);
    }
}
