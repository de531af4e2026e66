// Sections: the capture state and who owns what; opening and the frame index;
// the decoding run; reading a frame (cache, going on, seeking, retrying); the
// prefetch thread; the public operations.
#include "video/video_source.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <unordered_set>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

#include "video/frame_cache.h"
#include "video/frame_converter.h"
#include "video/frame_decoder.h"
#include "video/frame_index.h"
#include "video/sample_tables.h"

// How a read asks for its frame; it decides which decoded neighbours are kept on
// the way and which way the prefetch thread works.
enum ReadKind {
    READ_NEXT,      // a frame after the last one asked for: keep only it; ahead next
    READ_BACKWARD,  // a short step back: keep a run of frames before it; behind next
    READ_JUMP,      // anywhere else: keep a few frames before it (none while
                    // prefetching); both sides next
};

// Seek points tried, each earlier than the last, before a frame counts as unreadable.
constexpr int MAX_SEEK_RETRIES = 3;
constexpr int MAX_JUMP_RUN = 16;  // frames kept before the target of a jump, without prefetching
// The prefetch thread keeps up to this many frames decoded on the side the user
// moves to (at most half the cache ahead, three quarters behind), and tops them up
// once half are used.
constexpr int MAX_PREFETCH_SPAN = 120;
// Cached planes start their rows at multiples of this, as the decoder's do, so that
// converting a cached frame gives the very pixels that converting it fresh does.
constexpr int PLANE_ALIGN = 64;

// Who owns what. Two threads share the state: the event thread, which calls the
// public operations, and the prefetch thread, which decodes ahead of the user.
// - Opening fills index, the layout fields and output before the prefetch thread
//   starts; they do not change until it has stopped.
// - decoderLock guards the decoder and the decoding run. Its holder is the only one
//   to decode. The event thread raises wantDecoder before it locks; the prefetch
//   thread decodes one frame per turn and gives way while wantDecoder is up, so
//   the event thread waits at most one frame's decoding.
// - cacheLock guards the cache and the plan (focus, direction, serial, switches);
//   it is held for one lookup and conversion or one frame's copy, never while
//   decoding. Lock order: decoderLock, then cacheLock.
// - output and its size and format, staging, display, the full-size copy and the hit
//   and miss counts belong to the event thread.
struct CaptureState {
    FrameIndex index;
    size_t frameBytes = 0;     // one BGR frame at the video's size
    bool planarCache = false;  // entries hold the decoder's 4:2:0 planes, not BGR
    int lumaStride = 0, chromaStride = 0, chromaWidth = 0, chromaHeight = 0;
    size_t chromaOffset = 0;  // bytes of the luma plane in an entry

    std::mutex decoderLock;
    std::atomic<bool> wantDecoder{false};
    FrameDecoder decoder;
    // The decoding run: from which seek point it started and where it stands.
    int runSeekPoint = -1;
    int runFirstFrame = 0;   // frames below come out of the run unreliably
    int runSkipFrom = 0;     // frames below may have been skipped as unreferenced
    int lastDelivered = -1;  // frame delivered last, when lastKnown
    bool lastKnown = false;
    int decoderNext = -1;                // frame the decoder delivers next, -1 when unknown
    std::unordered_set<int> unreadable;  // frames that no seek point delivered
    // The video's clock, from opening on.
    double timeBase = 0.0;                  // seconds per time-stamp unit
    double frameRate = DEFAULT_FRAME_RATE;  // frames per second
    bool timesRise = false;                 // every frame has a time stamp, each above the last

    std::mutex cacheLock;
    std::condition_variable wake;          // the plan changed, the decoder is free, or stopping
    std::condition_variable prefetchIdle;  // the prefetch thread ran out of work
    FrameCache cache;
    int focus = 0;          // frame the user asked for last
    int direction = 0;      // +1 forward, -1 backward, 0 after a jump
    long planSerial = 0;    // changes with every request
    long idleSerial = -1;   // the plan the prefetch thread has nothing left to do for
    bool prefetch = true;   // the prefetch thread may decode
    bool stopping = false;  // the prefetch thread is to end
    std::thread prefetcher;

    // The handed-on frame; never reallocated: large enough for BGRA at the video's size.
    std::unique_ptr<unsigned char[]> output;
    int outWidth = 0, outHeight = 0;           // its size, at most the video's
    int outBytes = 3;                          // its bytes per pixel: 3 for BGR, 4 for BGRA
    std::unique_ptr<unsigned char[]> staging;  // a frame's planes on their way to output
    FrameConverter display;                    // cached planes to output
    // The held frame as BGR at the video's size when output is not that (fullFrameImage).
    std::unique_ptr<unsigned char[]> full;
    FrameConverter fullConverter;
    unsigned fullSerial = 0;  // frameSerial of the frame in full
    bool fullHeld = false;
    int heldFrame = -1;  // frame in output while frameImage is set
    int requested = -1;  // frame the last seek or read asked for
    long long hits = 0, misses = 0;
    std::atomic<long long> decodedFrames{0}, seeks{0}, prefetchedFrames{0};
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
    // An MP4 or MOV header lists every packet: the file itself need not be read.
    if (!hasSampleTables(containerName(decoder)) ||
        !scanSampleTables(fileName, decoder->streamIndex, &packets)) {
        ProgressLine scan("indexing the frames of", fileName);
        while (readVideoPacket(decoder)) {
            packets.push_back(describePacket(decoder->packet));
            scan.update(bytesRead(decoder), total);
        }
        scan.finish();
    }
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
// The decoding run (the holder of decoderLock only)

// Frames are known by their packets' times: frames before those wanted may then
// skip their pictures when nothing refers to them, without a gap in the counting.
static bool byPacketTimes(const FrameIndex& index) {
    return !index.fromDecoding && !index.byOrdinal;
}

// Positions the decoder at seekPoint, for frames from keepFrom on.
static bool startRun(CaptureState* state, int seekPoint, int keepFrom, bool forRead) {
    if (forRead) state->seeks++;
    state->runSeekPoint = seekPoint;
    state->runFirstFrame = state->index.seekPoints[seekPoint].firstFrame;
    // From the file's first packet, frames follow on from -1 whatever they hold.
    state->lastKnown = seekPoint == 0;
    state->lastDelivered = -1;
    state->runSkipFrom = byPacketTimes(state->index) ? keepFrom : 0;
    state->decoder.skipUnreferencedBefore =
        byPacketTimes(state->index) ? state->index.frameTimes[keepFrom] : NO_TIME;
    const bool positioned = positionAtSeekPoint(&state->decoder, state->index, seekPoint);
    // Every frame from the seek point's own comes out, those skipped excepted.
    state->decoderNext = positioned ? state->runFirstFrame : -1;
    return positioned;
}

// Decoding on from where the decoder stands delivers keepFrom and every frame
// after it, and is never slower than seeking.
static bool canGoOn(const CaptureState* state, int keepFrom) {
    const FrameIndex& index = state->index;
    return state->decoderNext >= 0 && state->decoderNext <= keepFrom &&
           keepFrom >= state->runSkipFrom &&
           index.seekPoints[index.seekPointFor(keepFrom)].firstFrame <= state->decoderNext;
}

// Goes on with the run for frames from keepFrom on.
static void goOn(CaptureState* state, int keepFrom) {
    if (!byPacketTimes(state->index)) return;
    state->runSkipFrom = keepFrom;
    state->decoder.skipUnreferencedBefore = state->index.frameTimes[keepFrom];
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

// Copies the decoded frame's planes into an entry's layout; false when the frame
// is not 8-bit 4:2:0 of the source's size (its format changed on the way).
static bool copyPlanes(CaptureState* state, unsigned char* bytes, int* tag) {
    const AVFrame* frame = state->decoder.frame;
    const PicturePlanes planes = framePlanes(frame);
    if (planes.format != AV_PIX_FMT_YUV420P || frame->width != state->decoder.width ||
        frame->height != state->decoder.height)
        return false;
    const int width = frame->width, height = frame->height;
    for (int y = 0; y < height; y++)
        memcpy(bytes + static_cast<size_t>(y) * state->lumaStride,
               frame->data[0] + static_cast<ptrdiff_t>(y) * frame->linesize[0], width);
    unsigned char* chroma = bytes + state->chromaOffset;
    const size_t chromaPlane = static_cast<size_t>(state->chromaStride) * state->chromaHeight;
    for (int plane = 1; plane <= 2; plane++)
        for (int y = 0; y < state->chromaHeight; y++)
            memcpy(
                chroma + (plane - 1) * chromaPlane + static_cast<size_t>(y) * state->chromaStride,
                frame->data[plane] + static_cast<ptrdiff_t>(y) * frame->linesize[plane],
                state->chromaWidth);
    *tag = (planes.fullRange ? 1 : 0) | (planes.bt709 ? 2 : 0);
    return true;
}

// Keeps the frame just decoded in the cache; false when it could not be kept.
static bool keepDecodedFrame(CaptureState* state, int frame) {
    std::lock_guard<std::mutex> lock(state->cacheLock);
    if (state->cache.contains(frame)) return true;
    unsigned char* slot = state->cache.insert(frame);
    if (!slot) return false;
    int tag = 0;
    const bool kept =
        state->planarCache ? copyPlanes(state, slot, &tag) : convertFrame(&state->decoder, slot);
    if (!kept) {
        state->cache.erase(frame);
        return false;
    }
    state->cache.insert(frame, tag);  // the frame's own entry: only its tag changes
    return true;
}

// ---------------------------------------------------------------------------
// Reading a frame (the event thread)

// Output is BGR at the video's size: what the cache keeps when it cannot keep planes.
static bool outputIsFullBgr(const CaptureState* state) {
    return state->outBytes == 3 && state->outWidth == state->decoder.width &&
           state->outHeight == state->decoder.height;
}

// Converts a cache entry (or the staging copy) into width x height pixels of bytes
// bytes each.
static bool convertEntry(CaptureState* state, const unsigned char* bytes, int tag,
                         FrameConverter* converter, int width, int height, int outBytes,
                         unsigned char* pixels) {
    PicturePlanes planes;
    if (!state->planarCache) {
        if (outBytes == 3 && width == state->decoder.width && height == state->decoder.height) {
            memcpy(pixels, bytes, state->frameBytes);
            return true;
        }
        // BGR rows bottom first: read from the last row up, the picture is upright.
        const int rowBytes = state->decoder.width * 3;
        planes.format = AV_PIX_FMT_BGR24;
        planes.width = state->decoder.width;
        planes.height = state->decoder.height;
        planes.data[0] = bytes + static_cast<size_t>(planes.height - 1) * rowBytes;
        planes.linesize[0] = -rowBytes;
        return convertPlanesTo(converter, planes, width, height, outBytes, pixels);
    }
    planes.format = AV_PIX_FMT_YUV420P;
    planes.width = state->decoder.width;
    planes.height = state->decoder.height;
    planes.fullRange = tag & 1;
    planes.bt709 = (tag & 2) != 0;
    const size_t chromaPlane = static_cast<size_t>(state->chromaStride) * state->chromaHeight;
    planes.data[0] = bytes;
    planes.data[1] = bytes + state->chromaOffset;
    planes.data[2] = bytes + state->chromaOffset + chromaPlane;
    planes.linesize[0] = state->lumaStride;
    planes.linesize[1] = planes.linesize[2] = state->chromaStride;
    return convertPlanesTo(converter, planes, width, height, outBytes, pixels);
}

// Converts a cache entry (or the staging copy) into the output buffer.
static bool showEntry(CaptureState* state, const unsigned char* bytes, int tag) {
    return convertEntry(state, bytes, tag, &state->display, state->outWidth, state->outHeight,
                        state->outBytes, state->output.get());
}

// Hands on the frame just decoded, through the same planes a cached copy would
// give, and keeps it in the cache.
static bool showDecodedFrame(CaptureState* state, int frame) {
    int tag = 0;
    if (!state->planarCache || !copyPlanes(state, state->staging.get(), &tag)) {
        // Converted from the decoder's picture; a cache of BGR frames keeps it too.
        if (!convertPlanesTo(&state->decoder.converter, framePlanes(state->decoder.frame),
                             state->outWidth, state->outHeight, state->outBytes,
                             state->output.get()))
            return false;
        if (state->planarCache) return true;
        if (!outputIsFullBgr(state)) {
            keepDecodedFrame(state, frame);
            return true;
        }
        std::lock_guard<std::mutex> lock(state->cacheLock);
        if (unsigned char* slot = state->cache.insert(frame))
            memcpy(slot, state->output.get(), state->frameBytes);
        return true;
    }
    if (!showEntry(state, state->staging.get(), tag)) return false;
    std::lock_guard<std::mutex> lock(state->cacheLock);
    if (unsigned char* slot = state->cache.insert(frame, tag))
        memcpy(slot, state->staging.get(), state->cache.entryBytes());
    return true;
}

static int backwardRun(CaptureState* state) {
    std::lock_guard<std::mutex> lock(state->cacheLock);
    return state->cache.capacity() * 3 / 4;
}

static int jumpRun(CaptureState* state) {
    std::lock_guard<std::mutex> lock(state->cacheLock);
    return std::min(MAX_JUMP_RUN, state->cache.capacity() / 4);
}

// Frames the prefetch thread keeps decoded on the side the user moves to.
static int spanFor(const FrameCache& cache) {
    return std::min(MAX_PREFETCH_SPAN, cache.capacity() / 2);
}

static int prefetchSpan(CaptureState* state) {
    std::lock_guard<std::mutex> lock(state->cacheLock);
    return spanFor(state->cache);
}

// The cached copy of target into the output buffer; false when it is not cached.
static bool showCached(CaptureState* state, int target) {
    std::lock_guard<std::mutex> lock(state->cacheLock);
    int tag = 0;
    const unsigned char* cached = state->cache.find(target, &tag);
    return cached && showEntry(state, cached, tag);
}

// Puts frame target into the output buffer, holding the decoder: a copy from the
// cache, or decoding on from where the decoder stands, or from the seek point
// before the frames to keep. Leaves the output buffer untouched and returns false
// when it cannot.
static bool fetchFrame(CaptureState* state, int target, ReadKind kind, bool prefetching) {
    const FrameIndex& index = state->index;
    if (showCached(state, target)) {
        state->hits++;
        return true;
    }
    state->misses++;
    if (state->unreadable.count(target)) return false;

    // Without prefetching, a step back decodes from before a whole run of frames,
    // so that the next steps back find theirs in the cache, and a jump keeps what
    // its seek point yields anyway. The prefetch thread does that work afterwards
    // otherwise: the frame asked for comes first.
    int keepFrom = target;
    if (kind == READ_BACKWARD && !prefetching) keepFrom = std::max(0, target - backwardRun(state));
    const int seekPoint = index.seekPointFor(keepFrom);
    if (kind == READ_JUMP && !prefetching)
        keepFrom = std::max(index.seekPoints[seekPoint].firstFrame, target - jumpRun(state));
    // A step back that outran the prefetch thread keeps the frames of the next steps
    // back on its way: those that the thread's run is about to deliver, or else half
    // of what the thread keeps behind, from the same seek point. The thread would
    // otherwise decode the same stretch of the GOP again at once.
    if (kind == READ_BACKWARD && prefetching) {
        if (canGoOn(state, target))
            keepFrom = std::max(state->decoderNext, state->runSkipFrom);
        else
            keepFrom =
                std::max(index.seekPoints[seekPoint].firstFrame, target - prefetchSpan(state) / 2);
    }
    const bool wentOn = canGoOn(state, keepFrom);
    bool positioned = true;
    if (wentOn)
        goOn(state, keepFrom);
    else
        positioned = startRun(state, seekPoint, keepFrom, true);
    bool fromSeekPoint = !wentOn;
    int retries = 0;
    for (;;) {
        if (positioned) {
            while (decodeNextFrame(&state->decoder) == 1) {
                state->decodedFrames++;
                const int frame = identifyFrame(state);
                if (frame < 0) continue;
                state->decoderNext = frame + 1;
                if (frame < keepFrom) continue;
                if (frame < target) {
                    keepDecodedFrame(state, frame);
                    continue;
                }
                if (frame > target) break;
                return showDecodedFrame(state, target);
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
        positioned = startRun(state, earlier, keepFrom, true);
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
    bool prefetching;
    {
        std::lock_guard<std::mutex> lock(state->cacheLock);
        state->focus = target;
        state->direction = kind == READ_NEXT ? 1 : kind == READ_BACKWARD ? -1 : 0;
        state->cache.setFocus(target, state->direction);
        state->planSerial++;
        prefetching = state->prefetch && state->prefetcher.joinable();
    }
    bool fetched = false;
    if (target >= 0 && target < state->index.frameCount() && !state->index.seekPoints.empty()) {
        if (showCached(state, target)) {
            state->hits++;
            fetched = true;
        } else {
            state->wantDecoder = true;
            {
                std::lock_guard<std::mutex> lock(state->decoderLock);
                fetched = fetchFrame(state, target, kind, prefetching);
                state->decoder.skipUnreferencedBefore = NO_TIME;
            }
            std::lock_guard<std::mutex> lock(state->cacheLock);
            state->wantDecoder = false;
        }
    }
    state->wake.notify_all();
    if (fetched) {
        state->heldFrame = target;
        source->frameImage = state->output.get();
        source->frameSerial++;
    } else {
        state->heldFrame = -1;
        source->frameImage = nullptr;
    }
}

// ---------------------------------------------------------------------------
// The prefetch thread

// The frames to decode next around the focus, keepFrom .. last (some may be
// cached already); false when the frames on the side of travel are there.
static bool nextFill(CaptureState* state, int* keepFrom, int* last) {
    const FrameCache& cache = state->cache;
    const int n = state->index.frameCount();
    const int span = spanFor(cache);
    if (span < 2) return false;
    const int focus = state->focus;
    // After a jump the user may go either way: the frames behind first, which only
    // a decoding run from the seek point gives, then a few ahead, which the decoder
    // standing just past the focus gives at once.
    const int ahead = state->direction > 0 ? span : state->direction == 0 ? span / 6 : 0;
    // A fill behind decodes from the seek point however few frames it keeps (a long
    // run at the end of a GOP): it keeps as many as a step back without the thread
    // would, three quarters of the cache, so that the steps back have several seconds
    // in hand when the next fill starts.
    const int behind =
        state->direction <= 0 ? std::min(MAX_PREFETCH_SPAN, cache.capacity() * 3 / 4) : 0;
    if (behind > 0) {
        int held = 0;
        while (focus - 1 - held >= 0 && held < behind && cache.contains(focus - 1 - held)) held++;
        // Topped up once half is used: one decoding run serves many steps.
        if (focus - 1 - held >= 0 && held < std::max(1, behind / 2)) {
            *last = focus - 1 - held;
            int from = std::max(0, focus - behind);
            while (from < *last && cache.contains(from)) from++;
            *keepFrom = from;
            return true;
        }
    }
    if (ahead > 0) {
        int held = 0;
        while (focus + 1 + held < n && held < ahead && cache.contains(focus + 1 + held)) held++;
        if (focus + 1 + held < n && held < std::max(1, ahead / 2)) {
            *keepFrom = focus + 1 + held;
            *last = std::min(n - 1, focus + ahead);
            return true;
        }
    }
    return false;
}

enum FillResult { FILL_MORE, FILL_DONE, FILL_FAILED };

// Decodes one frame toward the frames keepFrom .. last and keeps it.
static FillResult fillStep(CaptureState* state, int keepFrom, int last) {
    const FrameIndex& index = state->index;
    if (state->unreadable.count(keepFrom)) return FILL_FAILED;
    // Each step back moves the frames to keep one lower, below what the run under
    // way keeps (or below where it stands): it goes on for the part it still
    // delivers rather than start again from the seek point at every step, which a
    // held key would make it do forever. The frames left out come with a later fill.
    if (!canGoOn(state, keepFrom) && state->decoderNext >= 0) {
        const int rest = std::max({keepFrom, state->runSkipFrom, state->decoderNext});
        if (rest <= last && canGoOn(state, rest)) keepFrom = rest;
    }
    if (canGoOn(state, keepFrom))
        goOn(state, keepFrom);
    else if (!startRun(state, index.seekPointFor(keepFrom), keepFrom, false))
        return FILL_FAILED;
    if (decodeNextFrame(&state->decoder) != 1) {
        state->decoderNext = -1;
        return FILL_FAILED;
    }
    state->prefetchedFrames++;
    const int frame = identifyFrame(state);
    if (frame < 0) return FILL_MORE;
    state->decoderNext = frame + 1;
    if (frame < keepFrom) return FILL_MORE;
    if (frame > last) return FILL_DONE;
    if (!keepDecodedFrame(state, frame)) return FILL_FAILED;
    return frame == last ? FILL_DONE : FILL_MORE;
}

static void prefetchLoop(CaptureState* state) {
    long seenSerial = -1;
    bool stuck = false;              // the plan cannot be filled: wait for the next request
    int doneFrom = -1, doneTo = -1;  // the fill finished last for this plan
    for (;;) {
        int keepFrom = 0, last = 0;
        {
            std::unique_lock<std::mutex> lock(state->cacheLock);
            for (;;) {
                if (state->stopping) return;
                if (state->planSerial != seenSerial) {
                    seenSerial = state->planSerial;
                    stuck = false;
                    doneFrom = doneTo = -1;
                }
                if (state->wantDecoder) {
                    state->wake.wait(lock);
                    continue;
                }
                if (state->prefetch && !stuck && nextFill(state, &keepFrom, &last)) {
                    // The same fill again means its frames did not come out of it.
                    if (keepFrom != doneFrom || last != doneTo) break;
                    stuck = true;
                }
                state->idleSerial = seenSerial;
                state->prefetchIdle.notify_all();
                state->wake.wait(lock);
            }
        }
        std::lock_guard<std::mutex> lock(state->decoderLock);
        const FillResult result = fillStep(state, keepFrom, last);
        state->decoder.skipUnreferencedBefore = NO_TIME;
        if (result == FILL_FAILED) stuck = true;
        if (result == FILL_DONE) doneFrom = keepFrom, doneTo = last;
    }
}

static void stopPrefetching(CaptureState* state) {
    if (!state->prefetcher.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(state->cacheLock);
        state->stopping = true;
    }
    state->wake.notify_all();
    state->prefetcher.join();
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

static int alignUp(int value) {
    return (value + PLANE_ALIGN - 1) / PLANE_ALIGN * PLANE_ALIGN;
}

// Entries hold the decoder's own planes when it delivers 8-bit 4:2:0: half the
// bytes of BGR, converted when shown. Anything else is kept as BGR.
static void chooseCacheLayout(CaptureState* state) {
    const FrameDecoder& decoder = state->decoder;
    const int format = decoderPixelFormat(&decoder);
    size_t entryBytes = state->frameBytes;
    state->planarCache = format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVJ420P;
    if (state->planarCache) {
        state->lumaStride = alignUp(decoder.width);
        state->chromaWidth = (decoder.width + 1) / 2;
        state->chromaHeight = (decoder.height + 1) / 2;
        state->chromaStride = alignUp(state->chromaWidth);
        state->chromaOffset = static_cast<size_t>(state->lumaStride) * decoder.height;
        entryBytes = state->chromaOffset +
                     2 * static_cast<size_t>(state->chromaStride) * state->chromaHeight;
        state->staging.reset(new unsigned char[entryBytes]);
    }
    state->cache = FrameCache(entryBytes, DEFAULT_FRAME_CACHE_BUDGET);
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
    state->output.reset(new unsigned char[state->frameBytes / 3 * 4]());
    state->outWidth = source->frameWidth = source->videoWidth;
    state->outHeight = source->frameHeight = source->videoHeight;
    chooseCacheLayout(state);
    readFrame(source, 0, READ_NEXT);
    if (!source->frameImage) return refuse(source, "couldn't query the first frame\n", nullptr);
    state->prefetcher = std::thread(prefetchLoop, state);

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
    CaptureState* state = source->capture;
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
    if (source->capture) {
        stopPrefetching(source->capture);
        closeFrameDecoder(&source->capture->decoder);
        closeFrameConverter(&source->capture->display);
        closeFrameConverter(&source->capture->fullConverter);
    }
    delete source->capture;
    source->capture = nullptr;
    source->frameImage = nullptr;
}

int currentVideoFrame(const VideoSource* source) {
    return source->capture && source->frameImage ? source->capture->heldFrame : -1;
}

void setVideoOutput(VideoSource* source, int width, int height, int pixelFormat) {
    CaptureState* state = source->capture;
    if (!state) return;
    const int bytes = pixelFormat == VIDEO_FRAME_BGRA ? 4 : 3;
    width = std::max(1, std::min(width, source->videoWidth));
    height = std::max(1, std::min(height, source->videoHeight));
    if (width == state->outWidth && height == state->outHeight && bytes == state->outBytes) return;
    state->outWidth = source->frameWidth = width;
    state->outHeight = source->frameHeight = height;
    state->outBytes = source->nChannels = bytes;
    source->framePixelFormat = bytes == 4 ? VIDEO_FRAME_BGRA : VIDEO_FRAME_BGR;
    // The frame on show is handed on again in the new form.
    if (source->frameImage) readFrame(source, state->heldFrame, READ_JUMP);
}

const unsigned char* fullFrameImage(VideoSource* source) {
    CaptureState* state = source->capture;
    if (!state || !source->frameImage) return nullptr;
    if (outputIsFullBgr(state)) return source->frameImage;
    if (state->fullHeld && state->fullSerial == source->frameSerial) return state->full.get();
    if (!state->full) state->full.reset(new (std::nothrow) unsigned char[state->frameBytes]);
    if (!state->full) return nullptr;
    std::lock_guard<std::mutex> lock(state->cacheLock);
    int tag = 0;
    const unsigned char* cached = state->cache.find(state->heldFrame, &tag);
    state->fullHeld =
        cached && convertEntry(state, cached, tag, &state->fullConverter, state->decoder.width,
                               state->decoder.height, 3, state->full.get());
    state->fullSerial = source->frameSerial;
    return state->fullHeld ? state->full.get() : nullptr;
}

VideoCacheStats videoCacheStats(const VideoSource* source) {
    VideoCacheStats stats;
    CaptureState* state = source->capture;
    if (!state) return stats;
    stats.hits = state->hits;
    stats.misses = state->misses;
    stats.decodedFrames = state->decodedFrames;
    stats.seeks = state->seeks;
    stats.prefetchedFrames = state->prefetchedFrames;
    std::lock_guard<std::mutex> lock(state->cacheLock);
    stats.framesHeld = state->cache.size();
    stats.bytesHeld = state->cache.bytesUsed();
    stats.budgetBytes = state->cache.budgetBytes();
    stats.entryBytes = state->cache.entryBytes();
    return stats;
}

void setVideoCacheBudget(VideoSource* source, size_t budgetBytes) {
    CaptureState* state = source->capture;
    if (!state) return;
    {
        std::lock_guard<std::mutex> lock(state->cacheLock);
        state->cache.setBudget(budgetBytes);
        state->planSerial++;
    }
    state->wake.notify_all();
}

void setVideoPrefetch(VideoSource* source, bool on) {
    CaptureState* state = source->capture;
    if (!state) return;
    {
        std::lock_guard<std::mutex> lock(state->cacheLock);
        state->prefetch = on;
        state->planSerial++;
    }
    state->wake.notify_all();
}

bool waitForVideoPrefetch(VideoSource* source, double seconds) {
    CaptureState* state = source->capture;
    if (!state) return true;
    std::unique_lock<std::mutex> lock(state->cacheLock);
    return state->prefetchIdle.wait_for(lock, std::chrono::duration<double>(seconds), [state] {
        return !state->prefetcher.joinable() || state->idleSerial == state->planSerial;
    });
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
