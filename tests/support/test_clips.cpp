#include "test_clips.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "temp_folder.h"

// The code: 5 x 3 squares of 32 pixels from the top-left corner, row by row;
// 12 bits of index and 3 bits of index % 7 as a check.
constexpr int CELL = 32;
constexpr int CODE_COLUMNS = 5;
constexpr int CODE_ROWS = 3;
constexpr int INDEX_BITS = 12;

static int codeBits(int index) {
    return (index & 0xFFF) | ((index % 7) << INDEX_BITS);
}

void drawCodedFrame(unsigned char* pixels, int width, int height, int index) {
    const int bits = codeBits(index);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            unsigned char* p = pixels + (static_cast<size_t>(y) * width + x) * 3;
            const int column = x / CELL, row = y / CELL;
            if (column < CODE_COLUMNS && row < CODE_ROWS) {
                const bool on = (bits >> (row * CODE_COLUMNS + column)) & 1;
                p[0] = p[1] = p[2] = on ? 235 : 20;
            } else {
                // A band that moves from frame to frame, so that the encoders
                // predict across frames as they do on real footage.
                p[0] = static_cast<unsigned char>((x * 3 + index * 5) & 0xFF);
                p[1] = static_cast<unsigned char>((y * 7 + index * 3) & 0xFF);
                p[2] = static_cast<unsigned char>(((x + y) * 2 + index * 11) & 0xFF);
            }
        }
    }
}

int readFrameCode(const unsigned char* pixels, int width, int height) {
    if (!pixels || width < CELL * CODE_COLUMNS || height < CELL * CODE_ROWS) return -1;
    int bits = 0;
    for (int row = 0; row < CODE_ROWS; row++) {
        for (int column = 0; column < CODE_COLUMNS; column++) {
            long sum = 0;
            for (int dy = 8; dy < 24; dy++) {
                const int yDown = row * CELL + dy;
                const unsigned char* line =
                    pixels + static_cast<size_t>(height - 1 - yDown) * width * 3;
                for (int dx = 8; dx < 24; dx++) {
                    const unsigned char* p = line + (column * CELL + dx) * 3;
                    sum += p[0] + p[1] + p[2];
                }
            }
            if (sum / (16 * 16 * 3) > 128) bits |= 1 << (row * CODE_COLUMNS + column);
        }
    }
    const int index = bits & 0xFFF;
    return (bits >> INDEX_BITS) == index % 7 ? index : -1;
}

const std::string& clipFolder() {
    static TempFolder folder;
    return folder.path;
}

std::string makeClip(const std::string& name, int frames, const std::string& args, int width,
                     int height) {
    const std::string path = clipFolder() + "/" + name;
    const std::string command = "ffmpeg -nostdin -v error -y -f rawvideo -pix_fmt bgr24 -s " +
                                std::to_string(width) + "x" + std::to_string(height) + " -r " +
                                std::to_string(CLIP_RATE) + " -i - " + args + " '" + path + "'";
    FILE* pipe = popen(command.c_str(), "w");
    if (!pipe) return "";
    std::vector<unsigned char> frame(static_cast<size_t>(width) * height * 3);
    bool written = true;
    for (int i = 0; i < frames && written; i++) {
        drawCodedFrame(frame.data(), width, height, i);
        written = fwrite(frame.data(), 1, frame.size(), pipe) == frame.size();
    }
    return pclose(pipe) == 0 && written ? path : "";
}

std::string convertClip(const std::string& source, const std::string& name,
                        const std::string& args) {
    const std::string path = clipFolder() + "/" + name;
    const std::string command =
        "ffmpeg -nostdin -v error -y -i '" + source + "' " + args + " '" + path + "'";
    return std::system(command.c_str()) == 0 ? path : "";
}

std::vector<int> decodeCodesWithFfmpeg(const std::string& path, int width, int height) {
    std::vector<int> codes;
    const std::string command = "ffmpeg -nostdin -v error -i '" + path +
                                "' -fps_mode passthrough -f rawvideo -pix_fmt bgr24 -";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return codes;
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    std::vector<unsigned char> topDown(rowBytes * height), bottomUp(rowBytes * height);
    while (fread(topDown.data(), 1, topDown.size(), pipe) == topDown.size()) {
        for (int y = 0; y < height; y++)
            memcpy(&bottomUp[(height - 1 - y) * rowBytes], &topDown[y * rowBytes], rowBytes);
        codes.push_back(readFrameCode(bottomUp.data(), width, height));
    }
    pclose(pipe);
    return codes;
}

std::string writeClipFile(const std::string& name, const std::vector<unsigned char>& bytes) {
    const std::string path = clipFolder() + "/" + name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::vector<unsigned char> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>());
}
