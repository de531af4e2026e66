// The frame index: frames in presentation order, their seek points, and the
// fallbacks when packets or decoded frames carry no usable times.
#include <gtest/gtest.h>

#include <vector>

#include "video/frame_index.h"

namespace {

PacketInfo packet(int64_t pts, bool key = false, int64_t pos = -1) {
    PacketInfo info;
    info.pts = pts;
    info.dts = pts;
    info.key = key;
    info.pos = pos;
    info.size = 100;
    return info;
}

// Decode order of an open-GOP stream with B-frames: I0 P3 B1 B2 P6 B4 B5 I9 B7 B8 P12 B10 B11.
std::vector<PacketInfo> openGopPackets() {
    const int64_t shown[] = {0, 3, 1, 2, 6, 4, 5, 9, 7, 8, 12, 10, 11};
    std::vector<PacketInfo> packets;
    for (int i = 0; i < 13; i++)
        packets.push_back(packet(shown[i] * 40, shown[i] % 9 == 0, 1000 + i * 500));
    return packets;
}

TEST(FrameIndexFromPackets, FramesAreInPresentationOrderAndLeadingPicturesSeekEarlier) {
    FrameIndex index;
    ASSERT_TRUE(buildIndexFromPackets(openGopPackets(), &index));
    ASSERT_EQ(index.frameCount(), 13);
    for (int frame = 0; frame < 13; frame++) EXPECT_EQ(index.findFrame(frame * 40), frame);
    EXPECT_EQ(index.findFrame(41), -1);
    EXPECT_EQ(index.findFrame(NO_TIME), -1);

    ASSERT_EQ(index.seekPoints.size(), 2u);
    EXPECT_EQ(index.seekPoints[0].packetNumber, 0);
    EXPECT_EQ(index.seekPoints[1].packetNumber, 7);
    EXPECT_EQ(index.seekPoints[1].firstFrame, 9);
    // Frames 7 and 8 are decoded after I9 but shown before it: decoding from I9
    // cannot deliver them.
    EXPECT_EQ(index.seekPointFor(6), 0);
    EXPECT_EQ(index.seekPointFor(8), 0);
    EXPECT_EQ(index.seekPointFor(9), 1);
    EXPECT_EQ(index.seekPointFor(12), 1);
    EXPECT_EQ(index.packetAt(1000 + 7 * 500), 7);
    EXPECT_EQ(index.packetAt(1001), -1);
}

TEST(FrameIndexFromPackets, MissingOrSharedTimesNeedADecodingPass) {
    std::vector<PacketInfo> packets = openGopPackets();
    packets[4].pts = NO_TIME;
    FrameIndex index;
    EXPECT_FALSE(buildIndexFromPackets(packets, &index));
    EXPECT_EQ(index.frameCount(), 0);
    packets = openGopPackets();
    packets[5].pts = packets[6].pts;
    EXPECT_FALSE(buildIndexFromPackets(packets, &index));
}

TEST(FrameIndexFromPackets, DiscardedPacketsAreNoFramesButDecodingStartsAtTheFirst) {
    // An edit list that hides the first two decoded pictures.
    std::vector<PacketInfo> packets = openGopPackets();
    packets[0].discard = true;
    packets[2].discard = true;
    FrameIndex index;
    ASSERT_TRUE(buildIndexFromPackets(packets, &index));
    EXPECT_EQ(index.frameCount(), 11);
    EXPECT_EQ(index.findFrame(0), -1);
    EXPECT_EQ(index.findFrame(2 * 40), 0);
    EXPECT_EQ(index.seekPoints[0].packetNumber, 0);
    EXPECT_EQ(index.seekPoints[0].firstFrame, 0);
    EXPECT_EQ(index.seekPoints[1].firstFrame, 7);
}

TEST(FrameIndexFromPackets, KeyPacketsThatGoBackInTimeAreNoSeekPoints) {
    std::vector<PacketInfo> packets;
    const int64_t start = 133200;  // transport streams rarely start at 0
    for (int i = 0; i < 30; i++) packets.push_back(packet(start + i * 3600, i % 10 == 0));
    packets[25].key = true;
    packets[25].pts = start - 3600;  // a stray key frame shown before everything
    FrameIndex index;
    ASSERT_TRUE(buildIndexFromPackets(packets, &index));
    EXPECT_EQ(index.findFrame(start - 3600), 0);
    EXPECT_EQ(index.findFrame(start + 5 * 3600), 6);
    ASSERT_EQ(index.seekPoints.size(), 3u);
    EXPECT_EQ(index.seekPoints[1].firstFrame, 11);
    EXPECT_EQ(index.seekPoints[2].firstFrame, 21);
}

// A packed-B-frame AVI as the decoder sees it: the key packet 3 holds the intra
// frame, packet 5 is a placeholder that the container also flags as key, and
// the intra frame comes out after both have been fed.
TEST(FrameIndexFromDecoding, TheEarliestKeyPacketBeforeAnIntraFrameIsItsSeekPoint) {
    DecodeIndexBuilder builder;
    builder.addPacket(packet(NO_TIME, true));  // 0: I
    builder.addPacket(packet(NO_TIME));        // 1
    builder.addFrame(3, true);                 // frame 0
    builder.addPacket(packet(NO_TIME));        // 2
    builder.addFrame(4, false);                // frame 1
    builder.addPacket(packet(NO_TIME, true));  // 3: I, packed with a B-frame
    builder.addFrame(5, false);                // frame 2
    builder.addPacket(packet(NO_TIME));        // 4
    builder.addFrame(6, false);                // frame 3
    builder.addPacket(packet(NO_TIME, true));  // 5: placeholder flagged key
    builder.addPacket(packet(NO_TIME));        // 6
    builder.addFrame(7, true);                 // frame 4: the intra frame of packet 3
    builder.addFrame(NO_TIME, false);          // frame 5: the last, without a time
    FrameIndex index;
    builder.finish(&index);
    EXPECT_TRUE(index.fromDecoding);
    EXPECT_FALSE(index.byOrdinal);
    ASSERT_EQ(index.frameCount(), 6);
    ASSERT_EQ(index.seekPoints.size(), 2u);
    EXPECT_EQ(index.seekPoints[1].packetNumber, 3);
    EXPECT_EQ(index.seekPoints[1].firstFrame, 4);
    EXPECT_EQ(index.findFrame(7), 4);
    EXPECT_EQ(index.findFrame(NO_TIME), -1);
}

TEST(FrameIndexFromDecoding, AnIntraFrameWithoutATimeIsNoSeekPoint) {
    // The decoder gives the last frame no time; here that frame is intra.
    DecodeIndexBuilder builder;
    for (int i = 0; i < 12; i++) {
        builder.addPacket(packet(NO_TIME, i % 4 == 0 || i == 11));
        builder.addFrame(i == 11 ? NO_TIME : i + 1, i % 4 == 0 || i == 11);
    }
    FrameIndex index;
    builder.finish(&index);
    EXPECT_FALSE(index.byOrdinal);
    ASSERT_EQ(index.seekPoints.size(), 3u);
    EXPECT_EQ(index.seekPoints[2].firstFrame, 8);
    EXPECT_EQ(index.seekPointFor(11), 2);
    EXPECT_EQ(index.findFrame(9), 8);
}

TEST(FrameIndexFromDecoding, SharedTimesMakeFramesKnownByTheirCount) {
    DecodeIndexBuilder builder;
    for (int i = 0; i < 8; i++) {
        builder.addPacket(packet(NO_TIME, i % 4 == 0));
        builder.addFrame(i == 5 ? 2 : i, i % 4 == 0);
    }
    FrameIndex index;
    builder.finish(&index);
    EXPECT_TRUE(index.byOrdinal);
    EXPECT_EQ(index.frameCount(), 8);
    EXPECT_EQ(index.findFrame(3), -1);
    ASSERT_EQ(index.seekPoints.size(), 2u);
    EXPECT_EQ(index.seekPoints[1].packetNumber, 4);
    EXPECT_EQ(index.seekPointFor(7), 1);
}

TEST(FrameIndexFromDecoding, FramesWithoutAnyTimesAreKnownByTheirCount) {
    // A raw elementary stream: no times at all, an intra frame every third packet.
    DecodeIndexBuilder builder;
    for (int i = 0; i < 9; i++) {
        builder.addPacket(packet(NO_TIME, i % 3 == 0));
        builder.addFrame(NO_TIME, i % 3 == 0);
    }
    FrameIndex index;
    builder.finish(&index);
    EXPECT_TRUE(index.byOrdinal);
    ASSERT_EQ(index.seekPoints.size(), 3u);
    EXPECT_EQ(index.seekPoints[2].firstFrame, 6);
}

}  // namespace
