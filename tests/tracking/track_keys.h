// Test helper: every key of the PLAYER_COUNT tracks as values, for comparing whole tracks
// bit for bit.
#pragma once

#include <cstring>
#include <tuple>
#include <vector>

#include "tracking/player_track.h"

// Player, frame and the key's bytes (flags and the six positions), in track order.
using TrackKeys = std::vector<std::tuple<int, int, std::vector<unsigned char>>>;

inline TrackKeys keysOf(PlayerTrack* tracks) {
    TrackKeys out;
    for (int p = 0; p < PLAYER_COUNT; p++)
        for (KeyNode* k = firstKey(&tracks[p]); k != nullptr; k = nextKey(&tracks[p], k)) {
            const KeyFrame* v = keyFrameOf(k);
            std::vector<unsigned char> bytes(sizeof(int32_t) + 6 * sizeof(double));
            std::memcpy(bytes.data(), &v->flags, sizeof(int32_t));
            std::memcpy(bytes.data() + sizeof(int32_t), &v->feetX, 6 * sizeof(double));
            out.emplace_back(p, k->frame, bytes);
        }
    return out;
}
