// KeyFrame: one annotated position of a player on one video frame.
#pragma once

#include <cstdint>
#include <type_traits>

constexpr int32_t KEY_FLAG_KEY = 1;           // the position is a key frame
constexpr int32_t KEY_FLAG_INTERPOLATED = 2;  // the position lies strictly between two keys
constexpr int32_t KEY_FLAG_TRACKED = 4;       // a key the tracker made; a drag clears it

// Pixels of the key's own video frame, x to the right, y upward from the bottom edge.
struct KeyFrame {
    int32_t flags = 0;   // 0 when made by editing; the file's flag column when loaded
    double feetX = 0.0;  // feet point
    double feetY = 0.0;
    double rectX = 0.0;  // centre of the player's rectangle
    double rectY = 0.0;
    double rectWidth = 0.0;  // rectangle size, >= 0
    double rectHeight = 0.0;
};

// The value w of the way from b to a: w * a + (1 - w) * b. With w = keyWeight of a's key
// at a frame, and b the next key's value, this is the track's value there.
inline double blendValue(double w, double a, double b) {
    return w * a + (1.0 - w) * b;
}

// blendValue of every position field of two keys; the flags are a's.
inline KeyFrame blendKeyFrames(double w, const KeyFrame& a, const KeyFrame& b) {
    return KeyFrame{a.flags,
                    blendValue(w, a.feetX, b.feetX),
                    blendValue(w, a.feetY, b.feetY),
                    blendValue(w, a.rectX, b.rectX),
                    blendValue(w, a.rectY, b.rectY),
                    blendValue(w, a.rectWidth, b.rectWidth),
                    blendValue(w, a.rectHeight, b.rectHeight)};
}

// Lists release owned payloads without knowing their type.
static_assert(std::is_trivially_destructible_v<KeyFrame>);
