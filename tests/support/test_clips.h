// Test clips: small videos made by the ffmpeg program in a temporary folder, whose
// frames carry their own index as a code of big black and white squares that
// survives lossy compression; and a video source closed when the test is done.
#pragma once

#include <string>
#include <vector>

#include "video/video_source.h"

constexpr int CLIP_WIDTH = 160;  // pixels
constexpr int CLIP_HEIGHT = 120;
constexpr int CLIP_RATE = 25;  // frames per second of the raw input

// Fills top-down BGR rows (width * 3 bytes each) with frame index's code and a moving
// pattern below it; the code is whole, and readable, from 160 x 96 pixels on.
void drawCodedFrame(unsigned char* pixels, int width, int height, int index);
// Reads the code of a frame given bottom row first, packed BGR; -1 when the code
// does not check out (a damaged or foreign picture).
int readFrameCode(const unsigned char* pixels, int width, int height);

// The folder the clips go to; made once, removed when the test program ends.
const std::string& clipFolder();
// Encodes frames coded 0 .. frames-1 through "ffmpeg -f rawvideo ... -i - ARGS path";
// returns the clip's path, or "" when ffmpeg failed.
std::string makeClip(const std::string& name, int frames, const std::string& args,
                     int width = CLIP_WIDTH, int height = CLIP_HEIGHT);
// Runs "ffmpeg -i source ARGS path" (a remux or a re-encode); returns the path or "".
std::string convertClip(const std::string& source, const std::string& name,
                        const std::string& args);
// The codes of every frame the ffmpeg program decodes from path, in order.
std::vector<int> decodeCodesWithFfmpeg(const std::string& path, int width = CLIP_WIDTH,
                                       int height = CLIP_HEIGHT);
// Writes bytes to a file in the clip folder and returns its path.
std::string writeClipFile(const std::string& name, const std::vector<unsigned char>& bytes);
std::vector<unsigned char> readFileBytes(const std::string& path);

// A source released with the record.
struct OpenSource {
    VideoSource source;
    OpenSource() = default;
    OpenSource(const OpenSource&) = delete;
    OpenSource& operator=(const OpenSource&) = delete;
    ~OpenSource() { releaseVideo(&source); }
};
