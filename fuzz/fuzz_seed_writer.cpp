// Writes the seeds that come from the project's own code: tracking files saved by
// saveTracking, number fields as formatReal writes them, and command lines.
//
//   fuzz_seed_writer FOLDER   (FOLDER/tracking_file, numbers and command_line exist)
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "tracking/tracking_file.h"

namespace {

bool writeBytes(const std::string& path, const std::string& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

void addKey(TrackSet* set, int player, int frame, const KeyFrame& key) {
    ::addKey(&set->tracks[player], new KeyFrame(key), NODE_OWNS_PAYLOAD, frame);
}

bool writeTrackingSeeds(const std::string& folder) {
    bool ok = true;
    {
        TrackSet empty;
        ok &= saveTracking((folder + "/empty.dat").c_str(), empty.tracks, 2, 480, nullptr) == 1;
    }
    {
        // Two keys of one player with frames between them, as an analyst makes them.
        TrackSet set;
        addKey(&set, 3, 1, KeyFrame{0, 320.5, 100, 320, 130, 24, 60});
        addKey(&set, 3, 4, KeyFrame{0, 330.25, 110, 331, 140, 26, 62});
        ok &=
            saveTracking((folder + "/interpolated.dat").c_str(), set.tracks, 6, 720, nullptr) == 1;
    }
    {
        // Players on one frame, odd flags, values in exponent form and below zero.
        TrackSet set;
        addKey(&set, 0, 0, KeyFrame{3, -1.5, 1e-5, 1234567, 0.000123456, 0, 1e300});
        addKey(&set, 21, 0, KeyFrame{-1, 0, 0, 0, 0, 0, 0});
        addKey(&set, 11, 2, KeyFrame{1, 123.456789, 719.999, 5, 6, 7, 8});
        ok &= saveTracking((folder + "/players.dat").c_str(), set.tracks, 3, 720, nullptr) == 1;
    }
    return ok;
}

// Eight bytes of a double to format, four choosing int or real fields, eight of
// digits and one placing their decimal point, then fields.
bool writeNumberSeeds(const std::string& folder) {
    const double values[] = {123.456789, -0.0, 1e-5, 999999.5, 5e-324, 1.7976931348623157e308};
    bool ok = true;
    int n = 0;
    for (double value : values) {
        std::string seed(sizeof value + sizeof(uint32_t) + sizeof(uint64_t) + 1, '\0');
        std::memcpy(&seed[0], &value, sizeof value);
        const uint32_t choice = 0x81u << n;  // an int field first and last, reals between
        std::memcpy(&seed[sizeof value], &choice, sizeof choice);
        const uint64_t digits = (uint64_t{1} << 53) + n;
        std::memcpy(&seed[sizeof value + sizeof choice], &digits, sizeof digits);
        seed.back() = static_cast<char>(24 + 5 * n);
        char text[32];
        for (double field : values) seed += std::string(text, formatReal(text, field)) + "\t";
        seed += "-2147483648 +17 0012\n";
        ok &= writeBytes(folder + "/fields" + std::to_string(n++), seed);
    }
    return ok;
}

bool writeCommandLineSeeds(const std::string& folder) {
    using namespace std::string_literals;
    return writeBytes(folder + "/video", "\x00./annotate\x00match.avi"s) &&
           writeBytes(folder + "/all",
                      "\x01/usr/bin/annotate\x00/data/a.b/clip.mp4\x00"
                      "clip.reg\x00out.dat\x00in.dat"s) &&
           writeBytes(folder + "/dots", "\x03annotate\x00takes.v2/clip\x00x.reg"s);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seed_writer FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    const bool ok = writeTrackingSeeds(folder + "/tracking_file") &&
                    writeNumberSeeds(folder + "/numbers") &&
                    writeCommandLineSeeds(folder + "/command_line");
    if (!ok) std::fprintf(stderr, "fuzz_seed_writer: can't write the seeds in %s\n", argv[1]);
    return ok ? 0 : 1;
}
