// Packets listed from MP4 and MOV headers against the packets the demuxer reads
// from the whole file: the same places, sizes, times and flags, for a fraction of
// the bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "test_clips.h"
#include "video/frame_decoder.h"
#include "video/sample_tables.h"

namespace {

std::vector<PacketInfo> readAllPackets(const std::string& path, int* stream) {
    FrameDecoder decoder;
    std::string problem;
    std::vector<PacketInfo> packets;
    if (!openFrameDecoder(&decoder, path.c_str(), &problem)) return packets;
    *stream = decoder.streamIndex;
    while (readVideoPacket(&decoder)) packets.push_back(describePacket(decoder.packet));
    closeFrameDecoder(&decoder);
    return packets;
}

// Bytes this process has read through system calls so far.
long long bytesReadSoFar() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value)
        if (key == "rchar:") return value;
    return -1;
}

TEST(SampleTables, ListTheSamePacketsAsReadingTheFile) {
    const std::string audio = " -f lavfi -i sine=frequency=440:sample_rate=48000 -shortest ";
    const std::vector<std::string> paths = {
        // B-frames (an edit list shifts the times) and audio between the video samples.
        makeClip("tables-h264.mp4", 240,
                 audio + "-c:v libx264 -preset veryfast -bf 3 -g 100 -pix_fmt yuv420p -c:a aac "
                         "-b:a 256k -movflags +faststart"),
        // Frame durations from 10 to 70 ms, in a MOV.
        makeClip("tables-vfr.mov", 150,
                 "-vf \"setpts=(N*40+mod(N*N\\,7)*5)/1000/TB\" -fps_mode passthrough "
                 "-video_track_timescale 1000 -c:v libx264 -preset veryfast -bf 2 -g 50 "
                 "-pix_fmt yuv420p"),
        // Open GOPs: leading pictures shown before their key picture.
        makeClip("tables-hevc.mp4", 150,
                 "-c:v libx265 -x265-params "
                 "log-level=none:keyint=50:min-keyint=50:open-gop=1:bframes=3 -tag:v hvc1 "
                 "-pix_fmt yuv420p"),
    };
    for (const std::string& path : paths) {
        ASSERT_FALSE(path.empty());
        int stream = -1;
        const std::vector<PacketInfo> truth = readAllPackets(path, &stream);
        ASSERT_GT(truth.size(), 100u) << path;
        std::vector<PacketInfo> listed;
        const long long before = bytesReadSoFar();
        ASSERT_TRUE(scanSampleTables(path.c_str(), stream, &listed)) << path;
        const long long read = bytesReadSoFar() - before;
        ASSERT_EQ(listed.size(), truth.size()) << path;
        for (size_t i = 0; i < truth.size(); i++) {
            const PacketInfo& a = listed[i];
            const PacketInfo& b = truth[i];
            ASSERT_TRUE(a.pos == b.pos && a.size == b.size && a.pts == b.pts && a.dts == b.dts &&
                        a.key == b.key && a.discard == b.discard)
                << path << " packet " << i << ": " << a.pos << "/" << b.pos << " " << a.size << "/"
                << b.size << " " << a.pts << "/" << b.pts << " " << a.dts << "/" << b.dts << " "
                << a.key << "/" << b.key << " " << a.discard << "/" << b.discard;
        }
        const long long fileSize = static_cast<long long>(readFileBytes(path).size());
        EXPECT_LT(read * 4, fileSize) << path << ": " << read << " bytes read";
    }
}

TEST(SampleTables, FilesWithoutUsableBoxesAreLeftToThePacketReader) {
    std::vector<PacketInfo> packets;
    EXPECT_FALSE(scanSampleTables((clipFolder() + "/missing.mp4").c_str(), 0, &packets));
    // Boxes claiming less than their own header, and an MP4 cut before its header.
    const std::string broken =
        writeClipFile("broken.mp4", {0, 0, 0, 4, 'f', 't', 'y', 'p', 0, 0, 0, 0});
    EXPECT_FALSE(scanSampleTables(broken.c_str(), 0, &packets));
    EXPECT_TRUE(packets.empty());
    const std::string whole =
        makeClip("tables-cut.mp4", 60, "-c:v libx264 -preset veryfast -pix_fmt yuv420p");
    ASSERT_FALSE(whole.empty());
    std::vector<unsigned char> bytes = readFileBytes(whole);
    bytes.resize(bytes.size() / 2);
    const std::string cut = writeClipFile("tables-cut-half.mp4", bytes);
    EXPECT_FALSE(scanSampleTables(cut.c_str(), 0, &packets));
    EXPECT_TRUE(packets.empty());
}

}  // namespace
