// VideoSource: the game video, opened once, read frame by frame or at any frame.
//
// Frame i is the i-th frame that decoding the file from its start delivers; a
// seek to i lands on exactly that frame in every container. Frames are handed on
// as tightly packed BGR rows (3 bytes per pixel; or BGRA, and at the size shown, as
// setVideoOutput asks), bottom row first, always in the same output buffer, owned
// by the source, whose address never changes while the source is open: a viewer
// keeps one pointer to it and re-reads it after a read.
// Decoded frames are also kept in a cache with a memory budget (as the decoder's
// 4:2:0 planes where it delivers them, converted when shown), so that stepping back
// and forth is a conversion rather than a decode. A background thread decodes
// ahead of the user into that cache, in the direction of travel: the frames after
// the current one while playing or stepping forward, the ones before it (the
// previous stretch of the GOP) while stepping back, a few on both sides after a
// jump. Every operation below belongs to one thread (the caller's); the source
// shares its decoder and cache with its own thread internally.
#pragma once

#include <cstddef>

constexpr int VIDEO_FILE_NAME_SIZE = 512;  // bytes of videoFileName, terminator included

struct CaptureState;  // demuxer, decoder, frame index and cache; private to the source

// The frames' pixel format as an OpenGL enum (GL_BGR), the one start-up asks for:
// blue, green, red bytes. The video knows no GL; the texture that shows the frames
// reads the value.
constexpr int VIDEO_FRAME_BGR = 0x80E0;
// Blue, green, red and alpha (always 255) bytes (GL_BGRA), which a texture takes as it
// stores them: the form to show frames in.
constexpr int VIDEO_FRAME_BGRA = 0x80E1;

struct VideoSource {
    char videoFileName[VIDEO_FILE_NAME_SIZE] = {};  // the file opened, the main window's title
    CaptureState* capture = nullptr;                // owned, null while closed
    int framePixelFormat = 0;  // GL enum of the handed-on pixels, as given to openVideo
    int videoWidth = 0;        // frame width, pixels
    int videoHeight = 0;       // frame height, pixels
    int nFrames = 0;           // frames that can be read; frame indices are 0 .. nFrames-1
    int nChannels = 0;         // bytes per pixel of the handed-on frames: 3, or 4 for BGRA
    // Size of the handed-on frames: the video's, unless setVideoOutput asked for less.
    int frameWidth = 0;
    int frameHeight = 0;
    // The current frame's pixels (the output buffer), or null after a read that failed.
    const unsigned char* frameImage = nullptr;
    unsigned frameSerial = 0;  // changes with every read that puts a frame in the output buffer
};

// Opens fileName, indexes its frames where the container needs it and reads frame
// 0. Returns 1, or 0 after a console line saying why (the source is then closed).
int openVideo(VideoSource* source, const char* fileName, int pixelFormat);
// Reads frame 0; returns frameImage (null when it cannot be read).
const unsigned char* rewindVideo(VideoSource* source);
// Reads frame frameIndex into the output buffer; frameImage is null when there is
// no such frame or it cannot be read.
void seekVideo(VideoSource* source, int frameIndex);
// Reads the frame after the one last asked for; frameImage is null past the end.
void readNextFrame(VideoSource* source);
// Reads frame frameIndex, later than the frame last asked for, as playback does when it
// falls behind: decoding goes on (or starts from a nearer seek point) and the frames in
// between are not kept. Any other frame is read as seekVideo reads it.
void readFrameAhead(VideoSource* source, int frameIndex);
// Hands frames on at width x height (each within 1 .. the video's size; smaller is
// scaled down) in pixelFormat (VIDEO_FRAME_BGRA, else BGR), the frame on show too
// (frameSerial changes). The viewer that shows frames at a display scale asks for
// them at that size: each frame is converted once, straight to the size shown.
void setVideoOutput(VideoSource* source, int width, int height, int pixelFormat);
// The frame in the output buffer as BGR at the video's size, bottom row first, for
// analysis in video pixels: frameImage itself when frames are handed on so, else a
// conversion of the frame's cached copy kept until the next read. Null when no frame
// is held, or when the cache is too small to keep even the frame on show.
const unsigned char* fullFrameImage(VideoSource* source);
// Closes the file and frees the buffers; frameImage becomes null.
void releaseVideo(VideoSource* source);

// Index of the frame in the output buffer, -1 when frameImage is null or closed.
int currentVideoFrame(const VideoSource* source);

// The video's clock: when frame `frame` is shown, in seconds after frame 0. From the
// frames' time stamps where every frame has one and they rise (a variable rate plays
// as recorded), else from the stream's frame rate (DEFAULT_FRAME_RATE when it
// declares none). 0 while closed.
double videoFrameTime(const VideoSource* source, int frame);
// The frame on show `seconds` after frame 0: the last one whose time has come; 0
// before frame 0, nFrames once the last frame's time (one frame period) is over.
int videoFrameAt(const VideoSource* source, double seconds);
constexpr double DEFAULT_FRAME_RATE = 25.0;

// What the frame cache holds and how reads were served since opening.
struct VideoCacheStats {
    long long hits = 0;              // reads served from the cache, without decoding
    long long misses = 0;            // reads that had to decode
    long long decodedFrames = 0;     // frames the decoder delivered for reads
    long long seeks = 0;             // container seeks made for reads
    long long prefetchedFrames = 0;  // frames the background thread decoded
    int framesHeld = 0;              // frames in the cache now
    size_t bytesHeld = 0;            // their bytes; never above budgetBytes
    size_t budgetBytes = 0;          // the cache's memory budget
    size_t entryBytes = 0;           // bytes of one cached frame
};
VideoCacheStats videoCacheStats(const VideoSource* source);
// Sets the cache's memory budget in bytes (DEFAULT_FRAME_CACHE_BUDGET, 256 MB, at
// opening); frames that no longer fit leave, the farthest from the current one first.
void setVideoCacheBudget(VideoSource* source, size_t budgetBytes);
// Lets the background thread decode ahead (on at opening) or stops it from doing so.
void setVideoPrefetch(VideoSource* source, bool on);
// Waits until the background thread has nothing left to decode for the frame asked
// for last, at most seconds; false when that time ran out (tests and benchmarks).
bool waitForVideoPrefetch(VideoSource* source, double seconds);
