// Fuzzes the tracking-file loader with any bytes as the file of a short video.
//
// A file that is refused must leave the tracks exactly as they were. A file that
// loads goes round once more: saved (A), loaded back and saved again (B), A and B
// must hold the same key lines, and the keys loaded from A must be those that
// were saved. Only the y values may move, by the rounding of videoHeight - y that
// the file's y-down convention costs on the way in and out. The saves carry the
// positions between keys through a registration whose records a calibration tool
// could hardly get worse (a pan, no inverse, values near overflow): whatever the
// keys, what is saved must load again.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_input_file.h"
#include "tracking/registration.h"
#include "tracking/tracking_file.h"

namespace {

constexpr int VIDEO_FRAMES = 4;  // a seed has its last key on frame 4, just beyond
constexpr int VIDEO_HEIGHT = 720;
// videoHeight - (videoHeight - y) is y to within a few units of videoHeight's last
// bit; six significant digits of a y that small may then differ in their last digit.
constexpr double Y_TOLERANCE = VIDEO_HEIGHT * 1e-9;

// One record per video frame.
Registration hostileRegistration() {
    static Homography records[VIDEO_FRAMES] = {
        {{2, 0, -300, 0, 2, -100, 0, 0, 1}},
        {{1e-3, 2e-3, 1e154, 3e-3, -4e-3, 1e-200, 1e-7, 2e-6, 1e-154}},
        {{0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {{1e300, 0, 0, 0, 1e300, 0, 0, 0, 1e-300}},
    };
    Registration registration;
    registration.homographies = records;
    registration.count = VIDEO_FRAMES;
    return registration;
}

struct Key {
    int player;
    int frame;
    KeyFrame value;
};

std::vector<Key> keysOf(PlayerTrack* tracks) {
    std::vector<Key> keys;
    for (int player = 0; player < PLAYER_COUNT; player++)
        for (KeyNode* key = firstKey(&tracks[player]); key; key = nextKey(&tracks[player], key))
            keys.push_back({player, key->frame, *keyFrameOf(key)});
    return keys;
}

bool sameKeyFrame(const KeyFrame& a, const KeyFrame& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "tracking file round trip: %s\n", what);
    std::abort();
}

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
    return fields;
}

// The key lines of a saved file, each with its block number in front.
std::vector<std::string> keyLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    int block = -1;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("nPlayers\t", 0) == 0) block++;
        const std::vector<std::string> fields = splitTabs(line);
        if (fields.size() == 8 && (std::atoi(fields[7].c_str()) & KEY_FLAG_KEY))
            lines.push_back(std::to_string(block) + "\t" + line);
    }
    return lines;
}

// Equal text, except that the y columns (feet y and rectangle y) may differ within
// Y_TOLERANCE.
bool sameKeyLine(const std::string& a, const std::string& b) {
    if (a == b) return true;
    const std::vector<std::string> fa = splitTabs(a), fb = splitTabs(b);
    if (fa.size() != fb.size()) return false;
    for (size_t i = 0; i < fa.size(); i++) {
        if (fa[i] == fb[i]) continue;
        const bool yColumn = i == 3 || i == 5;  // after the block number and player
        if (!yColumn || !(std::fabs(std::strtod(fa[i].c_str(), nullptr) -
                                    std::strtod(fb[i].c_str(), nullptr)) <= Y_TOLERANCE))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& input = writeFuzzInput("input.dat", data, size);
    static const std::string savedA = fuzzFilePath("a.dat"), savedB = fuzzFilePath("b.dat");

    TrackSet tracks;
    // A key the user had before loading: a refused file must leave it alone.
    KeyFrame before;
    before.flags = 5;
    before.feetX = 1.25;
    before.rectHeight = 3.5;
    addKey(&tracks.tracks[7], new KeyFrame(before), NODE_OWNS_PAYLOAD, 3);

    const int loaded = loadTracking(input.c_str(), tracks.tracks, VIDEO_FRAMES, VIDEO_HEIGHT);
    if (loaded != 1) {
        const std::vector<Key> keys = keysOf(tracks.tracks);
        if (keys.size() != 1 || keys[0].player != 7 || keys[0].frame != 3 ||
            !sameKeyFrame(keys[0].value, before))
            fail("a refused file changed the tracks");
        return 0;
    }
    for (const Key& key : keysOf(tracks.tracks))
        if (key.frame < 0 || key.frame >= VIDEO_FRAMES || !(key.value.flags & KEY_FLAG_KEY))
            fail("a key outside the video or without the key flag");

    const Registration registration = hostileRegistration();  // not owned: never cleared
    if (saveTracking(savedA.c_str(), tracks.tracks, VIDEO_FRAMES, VIDEO_HEIGHT, &registration) != 1)
        fail("saving the loaded keys failed");
    TrackSet again;
    if (loadTracking(savedA.c_str(), again.tracks, VIDEO_FRAMES, VIDEO_HEIGHT) != 1)
        fail("the saved file does not load");
    const std::vector<Key> first = keysOf(tracks.tracks), second = keysOf(again.tracks);
    if (first.size() != second.size()) fail("the saved file holds another number of keys");
    for (size_t i = 0; i < first.size(); i++)
        if (first[i].player != second[i].player || first[i].frame != second[i].frame ||
            first[i].value.flags != second[i].value.flags)
            fail("a key came back on another player, frame or flags");

    if (saveTracking(savedB.c_str(), again.tracks, VIDEO_FRAMES, VIDEO_HEIGHT, &registration) != 1)
        fail("saving the reloaded keys failed");
    const std::vector<std::string> linesA = keyLines(readText(savedA)),
                                   linesB = keyLines(readText(savedB));
    if (linesA.size() != first.size() || linesB.size() != first.size())
        fail("the key lines do not match the keys");
    for (size_t i = 0; i < linesA.size(); i++)
        if (!sameKeyLine(linesA[i], linesB[i])) fail("a key line changed on the way round");
    return 0;
}
