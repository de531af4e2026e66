#include "video/sample_tables.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "video/frame_decoder.h"

// A file with more top-level boxes than this (a fragmented recording cut very
// finely, or a hostile file) is read packet by packet instead.
constexpr int MAX_TOP_LEVEL_BOXES = 4096;
constexpr int INPUT_BUFFER_BYTES = 4096;  // reads above this go straight to the packet

namespace {

struct Range {
    int64_t begin = 0, end = 0;  // bytes [begin, end)
};

// The file as the demuxer sees it: real bytes outside the sample data, none read
// inside it.
struct HeaderInput {
    int fd = -1;
    int64_t size = 0;
    int64_t pos = 0;
    std::vector<Range> samples;  // payloads of the 'mdat' boxes, ascending
};

uint64_t bigEndian(const unsigned char* bytes, int count) {
    uint64_t value = 0;
    for (int i = 0; i < count; i++) value = (value << 8) | bytes[i];
    return value;
}

bool readAt(int fd, int64_t pos, unsigned char* bytes, size_t count) {
    size_t done = 0;
    while (done < count) {
        const ssize_t got = pread(fd, bytes + done, count - done, pos + done);
        if (got <= 0) return false;
        done += static_cast<size_t>(got);
    }
    return true;
}

// Walks the top-level boxes and notes where sample data lies.
bool findSampleData(HeaderInput* input) {
    int64_t pos = 0;
    for (int boxes = 0; pos + 8 <= input->size; boxes++) {
        if (boxes == MAX_TOP_LEVEL_BOXES) return false;
        unsigned char header[16];
        if (!readAt(input->fd, pos, header, 8)) return false;
        uint64_t size = bigEndian(header, 4);
        int headerBytes = 8;
        if (size == 1) {
            if (pos + 16 > input->size || !readAt(input->fd, pos + 8, header + 8, 8)) return false;
            size = bigEndian(header + 8, 8);
            headerBytes = 16;
        } else if (size == 0) {
            size = static_cast<uint64_t>(input->size - pos);  // up to the end of the file
        }
        if (size < static_cast<uint64_t>(headerBytes)) return false;
        const int64_t end = size > static_cast<uint64_t>(input->size - pos)
                                ? input->size
                                : pos + static_cast<int64_t>(size);
        if (memcmp(header + 4, "mdat", 4) == 0) input->samples.push_back({pos + headerBytes, end});
        pos = end;
    }
    return true;
}

int readInput(void* opaque, uint8_t* buffer, int wanted) {
    HeaderInput* input = static_cast<HeaderInput*>(opaque);
    if (input->pos >= input->size) return AVERROR_EOF;
    int64_t count = std::min<int64_t>(wanted, input->size - input->pos);
    for (const Range& range : input->samples) {
        if (input->pos >= range.end) continue;
        if (input->pos >= range.begin) {
            // Sample bytes: nobody looks at them while the packets are listed.
            count = std::min(count, range.end - input->pos);
            if (count <= INPUT_BUFFER_BYTES) memset(buffer, 0, count);
            input->pos += count;
            return static_cast<int>(count);
        }
        count = std::min(count, range.begin - input->pos);
        break;
    }
    const ssize_t got = pread(input->fd, buffer, count, input->pos);
    if (got <= 0) return AVERROR_EOF;
    input->pos += got;
    return static_cast<int>(got);
}

int64_t seekInput(void* opaque, int64_t offset, int whence) {
    HeaderInput* input = static_cast<HeaderInput*>(opaque);
    if (whence & AVSEEK_SIZE) return input->size;
    int64_t pos;
    switch (whence & ~AVSEEK_FORCE) {
        case SEEK_SET:
            pos = offset;
            break;
        case SEEK_CUR:
            pos = input->pos + offset;
            break;
        case SEEK_END:
            pos = input->size + offset;
            break;
        default:
            return -1;
    }
    if (pos < 0) return -1;
    input->pos = pos;
    return pos;
}

}  // namespace

bool hasSampleTables(const char* containerName) {
    return containerName && strstr(containerName, "mp4") && strstr(containerName, "mov");
}

bool scanSampleTables(const char* fileName, int streamIndex, std::vector<PacketInfo>* packets) {
    packets->clear();
    HeaderInput input;
    input.fd = open(fileName, O_RDONLY | O_CLOEXEC);
    if (input.fd < 0) return false;
    struct stat info {};
    bool done = false;
    AVFormatContext* format = nullptr;
    AVIOContext* io = nullptr;
    if (fstat(input.fd, &info) == 0 && (input.size = info.st_size) > 0 && findSampleData(&input) &&
        !input.samples.empty()) {
        unsigned char* buffer = static_cast<unsigned char*>(av_malloc(INPUT_BUFFER_BYTES));
        io = buffer ? avio_alloc_context(buffer, INPUT_BUFFER_BYTES, 0, &input, readInput, nullptr,
                                         seekInput)
                    : nullptr;
        if (!io) av_free(buffer);
        format = io ? avformat_alloc_context() : nullptr;
    }
    if (format) {
        format->pb = io;
        // No parser looks into the (unread) samples: key flags come from the sync
        // sample table, which is what a parser finds in a well-formed file.
        format->flags |= AVFMT_FLAG_CUSTOM_IO | AVFMT_FLAG_NOPARSE | AVFMT_FLAG_NOFILLIN;
        if (avformat_open_input(&format, nullptr, av_find_input_format("mp4"), nullptr) < 0)
            format = nullptr;  // freed by a failed open
    }
    if (format && streamIndex >= 0 && streamIndex < static_cast<int>(format->nb_streams)) {
        for (unsigned i = 0; i < format->nb_streams; i++)
            if (static_cast<int>(i) != streamIndex) format->streams[i]->discard = AVDISCARD_ALL;
        AVPacket* packet = av_packet_alloc();
        if (packet) {
            packets->reserve(static_cast<size_t>(
                std::max(0, avformat_index_get_entries_count(format->streams[streamIndex]))));
            while (av_read_frame(format, packet) >= 0) {
                if (packet->stream_index == streamIndex) packets->push_back(describePacket(packet));
                av_packet_unref(packet);
            }
            done = true;
        }
        av_packet_free(&packet);
    }
    avformat_close_input(&format);
    if (io) av_freep(&io->buffer);
    avio_context_free(&io);
    close(input.fd);
    if (!done) packets->clear();
    return done;
}
