// Sections: the capture state; opening and the frame index; reading a frame
// (cache, going on, seeking, retrying); the public operations.
#include "video/video_source.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unordered_set>
#include <vector>

#include "video/frame_cache.h"
#include "video/frame_decoder.h"
#include "video/frame_index.h"

// How a read asks for its frame; it decides which decoded neighbours are kept.
enum ReadKind {
    READ_NEXT,      // the frame after the last one asked for: keep only it
    READ_BACKWARD,  // a short step back: keep a run of frames before it for the next steps
    READ_JUMP,      // anywhere else: keep a few frames before it
};

// Seek points tried, each earlier than the last, before a frame counts as unreadable.
constexpr int MAX_SEEK_RETRIES = 3;
constexpr int MAX_JUMP_RUN = 16;  // frames kept before the target of a jump

struct CaptureState {
    FrameDecoder decoder;
    FrameIndex index;
    FrameCache cache;
    std::unique_ptr<unsigned char[]> output;  // the handed-on frame; never reallocated
    size_t frameBytes = 0;
    int heldFrame = -1;  // frame in output while frameImage is set
    int requested = -1;  // frame the last seek or read asked for
    // The decoding run: from which seek point it started and where it stands.
    int runSeekPoint = -1;
    int runFirstFrame = 0;   // frames below come out of the run unreliably
    int lastDelivered = -1;  // frame delivered last, when lastKnown
    bool lastKnown = false;
    int decoderNext = -1;                   // frame the decoder delivers next, -1 when unknown
    double timeBase = 0.0;                  // seconds per time-stamp unit
    double frameRate = DEFAULT_FRAME_RATE;  // frames per second
    bool timesRise = false;                 // every frame has a time stamp, each above the last
    std::unordered_set<int> unreadable;     // frames that no seek point delivered
    VideoCacheStats stats;
};

// ---------------------------------------------------------------------------
// Opening and the frame index

namespace {

// A console line that shows the progress of a pass over the file once it has
// taken longer than a second, and says when the pass is done.
struct ProgressLine {
    using Clock = std::chrono::steady_clock;
    const char* label;
    const char* fileName;
    Clock::time_point start = Clock::now();
    Clock::time_point lastShown{};
    bool shown = false;

    ProgressLine(const char* label, const char* fileName) : label(label), fileName(fileName) {}
    void update(int64_t done, int64_t total) {
        const Clock::time_point now = Clock::now();
        if (now - start < std::chrono::seconds(1)) return;
        if (shown && now - lastShown < std::chrono::milliseconds(250)) return;
        const int percent =
            total > 0 ? static_cast<int>(std::min<int64_t>(100, done * 100 / total)) : 0;
        printf("\r%s %s: %d%%", label, fileName, percent);
        fflush(stdout);
        shown = true;
        lastShown = now;
    }
    void finish() {
        if (!shown) return;
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        printf("\r%s %s: done in %.1f s\n", label, fileName, seconds);
        fflush(stdout);
    }
};

}  // namespace

// Frames are found by their presentation times read from the packets alone where
// every packet has its own; otherwise one decoding pass records the order and
// times in which the decoder delivers them.
static bool buildFrameIndex(CaptureState* state, const char* fileName) {
    FrameDecoder* decoder = &state->decoder;
    const int64_t total = fileBytes(decoder);
    std::vector<PacketInfo> packets;
    ProgressLine scan("indexing the frames of", fileName);
    while (readVideoPacket(decoder)) {
        packets.push_back(describePacket(decoder->packet));
        scan.update(bytesRead(decoder), total);
    }
    scan.finish();
    if (packets.empty()) return true;
    if (buildIndexFromPackets(packets, &state->index)) return true;

    FrameIndex fromStart;
    fromStart.seekPoints.push_back({packets[0], 0, 0});
    packets.clear();
    // One thread keeps the order of packets in and frames out exact.
    if (!reopenCodec(decoder, 1, false) || !positionAtSeekPoint(decoder, fromStart, 0))
        return false;
    DecodeIndexBuilder builder;
    std::vector<PacketInfo> sent;
    decoder->sentLog = &sent;
    ProgressLine pass("decoding every frame to index", fileName);
    while (decodeNextFrame(decoder) == 1) {
        for (const PacketInfo& packet : sent) builder.addPacket(packet);
        sent.clear();
        builder.addFrame(frameTime(decoder->frame), frameIsIntra(decoder->frame));
        pass.update(bytesRead(decoder), total);
    }
    for (const PacketInfo& packet : sent) builder.addPacket(packet);
    decoder->sentLog = nullptr;
    pass.finish();
    builder.finish(&state->index);
    return reopenCodec(decoder, 0, true);
}

// ---------------------------------------------------------------------------
// Reading a frame

static bool startRun(CaptureState* state, int seekPoint) {
    state->stats.seeks++;
    state->runSeekPoint = seekPoint;
    state->runFirstFrame = state->index.seekPoints[seekPoint].firstFrame;
    // From the file's first packet, frames follow on from -1 whatever they hold.
    state->lastKnown = seekPoint == 0;
    state->lastDelivered = -1;
    state->decoderNext = -1;
    return positionAtSeekPoint(&state->decoder, state->index, seekPoint);
}

// The frame index of the frame just decoded, or -1 when it is not one to use.
static int identifyFrame(CaptureState* state) {
    const FrameIndex& index = state->index;
    int frame;
    if (index.byOrdinal) {
        // Frames before the seek point's intra frame are leftovers of an open GOP.
        if (state->lastKnown)
            frame = state->lastDelivered + 1;
        else
            frame = frameIsIntra(state->decoder.frame) ? state->runFirstFrame : -1;
    } else {
        const int64_t time = frameTime(state->decoder.frame);
        frame = index.findFrame(time);
        if (frame < 0 && time == NO_TIME && state->lastKnown) frame = state->lastDelivered + 1;
    }
    state->lastKnown = frame >= 0;
    state->lastDelivered = frame;
    if (frame < state->runFirstFrame || frame >= index.frameCount()) return -1;
    return frame;
}

static int backwardRun(const CaptureState* state) {
    return state->cache.capacity() * 3 / 4;
}

static int jumpRun(const CaptureState* state) {
    return std::min(MAX_JUMP_RUN, state->cache.capacity() / 4);
}

// Keeps the frame just decoded in the cache, unless it is there already.
static void keepDecodedFrame(CaptureState* state, int frame) {
    if (state->cache.contains(frame)) return;
    unsigned char* slot = state->cache.insert(frame);
    if (slot && !convertFrame(&state->decoder, slot)) state->cache.erase(frame);
}

// Puts frame target into the output buffer: a copy from the cache, or decoding
// on from where the decoder stands, or from the seek point before the frames to
// keep. Leaves the output buffer untouched and returns false when it cannot.
static bool fetchFrame(CaptureState* state, int target, ReadKind kind) {
    const FrameIndex& index = state->index;
    if (target < 0 || target >= index.frameCount() || index.seekPoints.empty()) return false;
    if (const unsigned char* cached = state->cache.find(target)) {
        memcpy(state->output.get(), cached, state->frameBytes);
        state->stats.hits++;
        return true;
    }
    state->stats.misses++;
    if (state->unreadable.count(target)) return false;

    // A step back decodes from before a whole run of frames, so that the next steps
    // back find theirs in the cache; a jump keeps what its seek point yields anyway.
    int keepFrom = target;
    if (kind == READ_BACKWARD) keepFrom = std::max(0, target - backwardRun(state));
    const int seekPoint = index.seekPointFor(keepFrom);
    if (kind == READ_JUMP)
        keepFrom = std::max(index.seekPoints[seekPoint].firstFrame, target - jumpRun(state));
    // Going on is never slower than seeking when the seek point lies behind the decoder.
    const bool goOn = state->decoderNext >= 0 && state->decoderNext <= keepFrom &&
                      index.seekPoints[seekPoint].firstFrame <= state->decoderNext;
    // Frames before those to keep are decoded only as references, where the index
    // knows every frame by its packet's time (a skipped frame leaves no gap in
    // counting then).
    const bool byPacketTimes = !index.fromDecoding && !index.byOrdinal;
    state->decoder.skipUnreferencedBefore = byPacketTimes ? index.frameTimes[keepFrom] : NO_TIME;
    bool positioned = goOn || startRun(state, seekPoint);
    bool fromSeekPoint = !goOn;
    int retries = 0;
    for (;;) {
        if (positioned) {
            while (decodeNextFrame(&state->decoder) == 1) {
                state->stats.decodedFrames++;
                const int frame = identifyFrame(state);
                if (frame < 0) continue;
                state->decoderNext = frame + 1;
                if (frame < keepFrom) continue;
                if (frame < target) {
                    keepDecodedFrame(state, frame);
                    continue;
                }
                if (frame > target) break;
                if (!convertFrame(&state->decoder, state->output.get())) return false;
                if (unsigned char* slot = state->cache.insert(target))
                    memcpy(slot, state->output.get(), state->frameBytes);
                return true;
            }
        }
        // The frame did not come out of this run (the file ended, or the frame
        // was skipped): try an earlier seek point, and the file's start last.
        state->decoderNext = -1;
        int earlier = fromSeekPoint ? std::min(state->runSeekPoint - 1, seekPoint) : seekPoint;
        if (retries == MAX_SEEK_RETRIES - 1 && state->runSeekPoint > 0) earlier = 0;
        if (earlier < 0 || retries >= MAX_SEEK_RETRIES) break;
        retries++;
        fromSeekPoint = true;
        positioned = startRun(state, earlier);
    }
    state->unreadable.insert(target);
    return false;
}

// Reads target into the output buffer and updates frameImage.
static void readFrame(VideoSource* source, int target, ReadKind kind) {
    CaptureState* state = source->capture;
    if (!state) {
        source->frameImage = nullptr;
        return;
    }
    state->requested = target;
    const bool fetched = fetchFrame(state, target, kind);
    state->decoder.skipUnreferencedBefore = NO_TIME;
    if (fetched) {
        state->heldFrame = target;
        source->frameImage = state->output.get();
    } else {
        state->heldFrame = -1;
        source->frameImage = nullptr;
    }
}

// ---------------------------------------------------------------------------
// The public operations

static int refuse(VideoSource* source, const char* message, const char* detail) {
    if (message) printf(message, source->videoFileName);
    if (detail) printf("reason: %s\n", detail);
    fflush(stdout);
    releaseVideo(source);
    source->videoWidth = source->videoHeight = source->nFrames = source->nChannels = 0;
    return 0;
}

int openVideo(VideoSource* source, const char* fileName, int pixelFormat) {
    releaseVideo(source);
    if (!fileName) fileName = "";
    const size_t length = strlen(fileName);
    if (length >= sizeof source->videoFileName) {
        printf("couldn't open video file: its name has %zu characters, at most %zu are allowed\n",
               length, sizeof source->videoFileName - 1);
        fflush(stdout);
        source->videoFileName[0] = '\0';
        return 0;
    }
    memcpy(source->videoFileName, fileName, length + 1);
    source->framePixelFormat = pixelFormat;

    CaptureState* state = new CaptureState();
    source->capture = state;
    std::string problem;
    if (!openFrameDecoder(&state->decoder, fileName, &problem))
        return refuse(source, "couldn't open video file %s\n", problem.c_str());
    source->videoWidth = state->decoder.width;
    source->videoHeight = state->decoder.height;
    source->nChannels = 3;
    if (!buildFrameIndex(state, fileName) || state->index.frameCount() == 0)
        return refuse(source, "couldn't query the first frame\n", nullptr);
    source->nFrames = state->index.frameCount();
    const int reported = reportedFrameCount(&state->decoder);
    if (reported != source->nFrames)
        printf("frame count: the file reports %d, %d frames can be read\n", reported,
               source->nFrames);

    const double rate = streamFrameRate(&state->decoder);
    if (rate > 0.0) state->frameRate = rate;
    state->timeBase = streamTimeBase(&state->decoder);
    const std::vector<int64_t>& times = state->index.frameTimes;
    state->timesRise = !state->index.byOrdinal && state->timeBase > 0.0 && times[0] != NO_TIME;
    for (size_t i = 1; state->timesRise && i < times.size(); i++)
        state->timesRise = times[i] != NO_TIME && times[i] > times[i - 1];

    state->frameBytes = static_cast<size_t>(source->videoWidth) * source->videoHeight * 3;
    state->output.reset(new unsigned char[state->frameBytes]());
    state->cache = FrameCache(state->frameBytes, DEFAULT_FRAME_CACHE_BUDGET);
    readFrame(source, 0, READ_NEXT);
    if (!source->frameImage) return refuse(source, "couldn't query the first frame\n", nullptr);

    printf("video file %s opened\n", source->videoFileName);
    printf("w: %d h:%d nFrames: %d nChannels: %d \n", source->videoWidth, source->videoHeight,
           source->nFrames, source->nChannels);
    fflush(stdout);
    return 1;
}

const unsigned char* rewindVideo(VideoSource* source) {
    seekVideo(source, 0);
    return source->frameImage;
}

void seekVideo(VideoSource* source, int frameIndex) {
    const CaptureState* state = source->capture;
    ReadKind kind = READ_JUMP;
    if (state && frameIndex == state->requested + 1) kind = READ_NEXT;
    if (state && frameIndex < state->requested &&
        state->requested - frameIndex <= backwardRun(state))
        kind = READ_BACKWARD;
    readFrame(source, frameIndex, kind);
}

void readNextFrame(VideoSource* source) {
    const CaptureState* state = source->capture;
    readFrame(source, state ? state->requested + 1 : 0, READ_NEXT);
}

void readFrameAhead(VideoSource* source, int frameIndex) {
    const CaptureState* state = source->capture;
    if (state && frameIndex > state->requested)
        readFrame(source, frameIndex, READ_NEXT);
    else
        seekVideo(source, frameIndex);
}

void releaseVideo(VideoSource* source) {
    if (source->capture) closeFrameDecoder(&source->capture->decoder);
    delete source->capture;
    source->capture = nullptr;
    source->frameImage = nullptr;
}

int currentVideoFrame(const VideoSource* source) {
    return source->capture && source->frameImage ? source->capture->heldFrame : -1;
}

VideoCacheStats videoCacheStats(const VideoSource* source) {
    if (!source->capture) return VideoCacheStats();
    VideoCacheStats stats = source->capture->stats;
    stats.framesHeld = source->capture->cache.size();
    stats.bytesHeld = source->capture->cache.bytesUsed();
    stats.budgetBytes = source->capture->cache.budgetBytes();
    return stats;
}

void setVideoCacheBudget(VideoSource* source, size_t budgetBytes) {
    if (source->capture) source->capture->cache.setBudget(budgetBytes);
}

double videoFrameTime(const VideoSource* source, int frame) {
    const CaptureState* state = source->capture;
    if (!state || frame <= 0) return 0.0;
    const std::vector<int64_t>& times = state->index.frameTimes;
    if (state->timesRise && frame < static_cast<int>(times.size()))
        return static_cast<double>(times[frame] - times[0]) * state->timeBase;
    return frame / state->frameRate;
}

int videoFrameAt(const VideoSource* source, double seconds) {
    const CaptureState* state = source->capture;
    if (!state || source->nFrames <= 0 || !(seconds > 0.0)) return 0;
    const int last = source->nFrames - 1;
    // The last frame shows for one frame period, as every frame of a steady rate does.
    if (seconds >= videoFrameTime(source, last) + 1.0 / state->frameRate) return source->nFrames;
    if (!state->timesRise)
        return std::min(last, static_cast<int>(seconds * state->frameRate + 1e-6));
    // The first frame whose time is later, minus one.
    int low = 0, high = last + 1;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (videoFrameTime(source, middle) <= seconds)
            low = middle + 1;
        else
            high = middle;
    }
    return std::max(0, low - 1);
}
