// Saves and loads the tracking file of a full match (22 players, 135000 frames, a key
// every 25 frames, a camera that pans, zooms and tilts on every frame) and compares
// with a dense-table fprintf("%lg") writer and an fscanf reader of the same file; times
// the save without a registration too, and the exports that follow every save. Prints
// times, peak memory and the file sizes.
//
// Usage: tracking_file_bench [folder]   (default: a new folder under /tmp, removed after)
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "bench_support.h"
#include "dense_tracking_writer.h"
#include "tracking/track_export.h"
#include "tracking/tracking_file.h"

namespace {

constexpr int HEIGHT = 1080;

// The reader with the file's scanf formats, adding every key line to the tracks.
int fscanfLoad(const char* fileName, PlayerTrack* tracks, int videoHeight) {
    FILE* file = std::fopen(fileName, "r");
    if (file == nullptr) return 0;
    int nFrames = 0, totalPlayers = 0;
    char fieldPosition = 0;
    if (std::fscanf(file, "nFrames\t%d\n", &nFrames) != 1 ||
        std::fscanf(file, "fieldPosition\t%c\n", &fieldPosition) != 1 ||
        std::fscanf(file, "totalNPlayers\t%d\n", &totalPlayers) != 1) {
        std::fclose(file);
        return 0;
    }
    for (int b = 0; b < nFrames; b++) {
        int count = 0;
        if (std::fscanf(file, "\nnPlayers\t%d\n", &count) != 1) break;
        for (int i = 0; i < count; i++) {
            int player = 0;
            KeyFrame key;
            if (std::fscanf(file, "%d\t%lg\t%lg\t%lg\t%lg\t%lg\t%lg\t%d\n", &player, &key.feetX,
                            &key.feetY, &key.rectX, &key.rectY, &key.rectWidth, &key.rectHeight,
                            &key.flags) != 8)
                break;
            if (!(key.flags & 1) || player < 0 || player >= PLAYER_COUNT) continue;
            key.feetY = videoHeight - key.feetY;
            key.rectY = videoHeight - key.rectY;
            addKey(&tracks[player], new KeyFrame(key), NODE_OWNS_PAYLOAD, b);
        }
    }
    return std::fclose(file) == 0 ? 1 : -1;
}

bool sameBytes(const std::string& a, const std::string& b) {
    FILE* fa = std::fopen(a.c_str(), "rb");
    FILE* fb = std::fopen(b.c_str(), "rb");
    bool same = fa != nullptr && fb != nullptr;
    std::vector<char> ba(1 << 20), bb(1 << 20);
    while (same) {
        const size_t na = std::fread(ba.data(), 1, ba.size(), fa);
        const size_t nb = std::fread(bb.data(), 1, bb.size(), fb);
        same = na == nb && std::memcmp(ba.data(), bb.data(), na) == 0;
        if (na == 0) break;
    }
    if (fa != nullptr) std::fclose(fa);
    if (fb != nullptr) std::fclose(fb);
    return same;
}

bool sameKeys(TrackSet& a, TrackSet& b) {
    for (int p = 0; p < PLAYER_COUNT; p++) {
        KeyNode* ka = firstKey(&a.tracks[p]);
        KeyNode* kb = firstKey(&b.tracks[p]);
        for (; ka != nullptr && kb != nullptr;
             ka = nextKey(&a.tracks[p], ka), kb = nextKey(&b.tracks[p], kb))
            if (ka->frame != kb->frame ||
                std::memcmp(keyFrameOf(ka), keyFrameOf(kb), sizeof(KeyFrame)))
                return false;
        if (ka != kb) return false;
    }
    return true;
}

long fileSize(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return -1;
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fclose(file);
    return size;
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder;
    bool removeFolder = false;
    if (!benchFolder(argc, argv, "tracking_file_bench", &folder, &removeFolder)) return 1;
    const std::string ours = folder + "/match.txt", theirs = folder + "/match_fprintf.txt";

    const double baseMB = statusMB("VmRSS");
    TrackSet tracks;
    makeMatch(tracks);
    const double tracksMB = statusMB("VmRSS") - baseMB;
    const MovingCamera camera;
    std::vector<double> seconds(FRAMES);
    for (int frame = 0; frame < FRAMES; frame++) seconds[frame] = frame / 25.0;

    const bool peakReset = resetPeak();
    double before = statusMB("VmRSS");
    Timer start;
    const int saved =
        saveTracking(ours.c_str(), tracks.tracks, FRAMES, HEIGHT, &camera.registration);
    const Elapsed saveTime = elapsed(start);
    const double savePeakMB = statusMB("VmHWM") - before;

    resetPeak();
    before = statusMB("VmRSS");
    start = Timer();
    ExportSource source;
    source.tracks = tracks.tracks;
    source.registration = &camera.registration;
    source.nFrames = FRAMES;
    source.videoHeight = HEIGHT;
    source.frameSeconds = seconds.data();
    int rows = 0;
    const int exported = exportTracking(ours.c_str(), source, &rows);
    const Elapsed exportTime = elapsed(start);
    const double exportPeakMB = statusMB("VmHWM") - before;

    start = Timer();
    const std::string plain = folder + "/match_plain.txt";
    const int plainSaved = saveTracking(plain.c_str(), tracks.tracks, FRAMES, HEIGHT, nullptr);
    const Elapsed plainSaveTime = elapsed(start);

    resetPeak();
    before = statusMB("VmRSS");
    start = Timer();
    const int referenceSaved =
        denseSaveTracking(theirs.c_str(), tracks.tracks, FRAMES, HEIGHT, &camera.registration);
    const Elapsed referenceSaveTime = elapsed(start);
    const double referencePeakMB = statusMB("VmHWM") - before;
    const bool identical = sameBytes(ours, theirs);
    const bool cameraMoves = !sameBytes(ours, plain);

    Elapsed loadTime, referenceLoadTime;
    double loadPeakMB = 0;
    int loaded = 0, referenceLoaded = 0;
    bool keysAgree = false;
    {
        TrackSet fresh, reference;
        resetPeak();
        before = statusMB("VmRSS");
        start = Timer();
        loaded = loadTracking(ours.c_str(), fresh.tracks, FRAMES, HEIGHT);
        loadTime = elapsed(start);
        loadPeakMB = statusMB("VmHWM") - before;
        start = Timer();
        referenceLoaded = fscanfLoad(ours.c_str(), reference.tracks, HEIGHT);
        referenceLoadTime = elapsed(start);
        keysAgree = sameKeys(fresh, reference);
    }

    int keys = 0;
    for (PlayerTrack& track : tracks.tracks) keys += track.keys.count;
    const std::string base = exportBaseName(ours.c_str());
    std::printf(
        "tracking file benchmark: %d players, %d frames, %d keys (one every %d frames), a "
        "camera moving on every frame\n",
        PLAYER_COUNT, FRAMES, keys, KEY_STEP);
    std::printf("file size                %.1f MB (%ld bytes)\n", fileSize(ours) / 1e6,
                fileSize(ours));
    std::printf("export sizes             %.1f MB csv, %.1f MB mot (%d rows)\n",
                fileSize(base + ".csv") / 1e6, fileSize(base + ".mot.txt") / 1e6, rows);
    std::printf("tracks' own memory       %.1f MB\n", tracksMB);
    std::printf("                         wall s   processor s\n");
    std::printf("saveTracking             %6.3f   %6.3f   (result %d, fsync included)\n",
                saveTime.wall, saveTime.cpu, saved);
    std::printf("fprintf dense writer     %6.3f   %6.3f   (result %d)\n", referenceSaveTime.wall,
                referenceSaveTime.cpu, referenceSaved);
    std::printf("  save speed-up          %5.1fx   %5.1fx\n",
                referenceSaveTime.wall / saveTime.wall, referenceSaveTime.cpu / saveTime.cpu);
    std::printf("byte-identical output    %s\n", identical ? "yes" : "NO");
    std::printf("saveTracking, no camera  %6.3f   %6.3f   (result %d; lines differ: %s)\n",
                plainSaveTime.wall, plainSaveTime.cpu, plainSaved, cameraMoves ? "yes" : "NO");
    std::printf("exportTracking           %6.3f   %6.3f   (result %d, fsync included)\n",
                exportTime.wall, exportTime.cpu, exported);
    std::printf("save and export          %6.3f   %6.3f\n", saveTime.wall + exportTime.wall,
                saveTime.cpu + exportTime.cpu);
    std::printf("loadTracking             %6.3f   %6.3f   (result %d)\n", loadTime.wall,
                loadTime.cpu, loaded);
    std::printf("fscanf reader            %6.3f   %6.3f   (result %d)\n", referenceLoadTime.wall,
                referenceLoadTime.cpu, referenceLoaded);
    std::printf("  load speed-up          %5.1fx   %5.1fx\n",
                referenceLoadTime.wall / loadTime.wall, referenceLoadTime.cpu / loadTime.cpu);
    std::printf("loaded keys agree        %s\n", keysAgree ? "yes" : "NO");
    std::printf(
        "peak memory above the tracks%s: save %.1f MB, export %.1f MB, load %.1f MB, fprintf "
        "writer %.1f MB\n",
        peakReset ? "" : " (peak could not be reset: figures are upper bounds)", savePeakMB,
        exportPeakMB, loadPeakMB, referencePeakMB);

    if (removeFolder) {
        for (const std::string& file : {ours, theirs, plain, base + ".csv", base + ".mot.txt"})
            unlink(file.c_str());
        rmdir(folder.c_str());
    }
    return identical && cameraMoves && keysAgree && saved == 1 && loaded == 1 && exported == 1 ? 0
                                                                                               : 1;
}
