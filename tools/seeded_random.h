// SeededRandom: a small random generator whose sequence is fixed by its seed on every
// platform (the standard distributions are not), so the demo match renders the same
// clip, registration and ground truth everywhere.
#pragma once

#include <cstdint>

struct SeededRandom {
    uint64_t state = 0;  // the generator's whole state; the seed to begin with

    // The next 64 random bits (the splitmix64 sequence).
    uint64_t next() {
        state += 0x9E3779B97F4A7C15ull;
        uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // A real in [0, 1) from the upper 53 bits.
    double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    // A real in [low, high).
    double uniform(double low, double high) { return low + (high - low) * unit(); }
    // An integer in [0, count), count > 0.
    int below(int count) { return static_cast<int>(next() % static_cast<uint64_t>(count)); }
};
