// Undo history and recovery copy on a full match (22 players, 135000 frames, a key every
// 25 frames): memory and time of 10,000 undo steps against a copy of all tracks per
// step, one load as a step, and how long the event thread stalls for a recovery copy
// written in the background against writing it in line.
//
// Usage: undo_bench [folder]   (default: a new folder under /tmp, removed after)
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "bench_support.h"
#include "tracking/key_editing.h"
#include "tracking/recovery_writer.h"
#include "tracking/tracking_file.h"
#include "tracking/undo_history.h"

namespace {

constexpr int STEPS = 10000;
constexpr int HEIGHT = 1080;

bool sameKeys(PlayerTrack* a, PlayerTrack* b) {
    for (int p = 0; p < PLAYER_COUNT; p++) {
        KeyNode* ka = firstKey(&a[p]);
        KeyNode* kb = firstKey(&b[p]);
        for (; ka != nullptr && kb != nullptr; ka = nextKey(&a[p], ka), kb = nextKey(&b[p], kb)) {
            const KeyFrame &x = *keyFrameOf(ka), &y = *keyFrameOf(kb);
            if (ka->frame != kb->frame || x.flags != y.flags || x.feetX != y.feetX ||
                x.feetY != y.feetY || x.rectX != y.rectX || x.rectY != y.rectY ||
                x.rectWidth != y.rectWidth || x.rectHeight != y.rectHeight)
                return false;
        }
        if (ka != kb) return false;
    }
    return true;
}

// Playback's way through frames on the event thread: every TICK seconds every player's
// position, as a redraw looks it up, until done() or `duration` seconds. Returns the
// longest a frame came after its tick in seconds, and the frames stepped in *frames.
template <typename Done>
double playThroughFrames(PlayerTrack* tracks, double duration, Done done, long* frames);

double seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

constexpr double TICK = 1.0 / 30;  // the frame timer's period

template <typename Done>
double playThroughFrames(PlayerTrack* tracks, double duration, Done done, long* frames) {
    const double begin = seconds();
    double longest = 0;
    KeyFrame position;
    *frames = 0;
    while (!done() && seconds() < begin + duration) {
        const double due = begin + TICK * static_cast<double>(*frames);
        const double wait = due - seconds();
        if (wait > 0) std::this_thread::sleep_for(std::chrono::duration<double>(wait));
        const int f = static_cast<int>((*frames)++ % FRAMES);
        for (int p = 0; p < PLAYER_COUNT; p++) trackPositionAt(&tracks[p], f, &position);
        longest = std::max(longest, seconds() - due);
    }
    return longest;
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder;
    bool removeFolder = false;
    if (!benchFolder(argc, argv, "undo_bench", &folder, &removeFolder)) return 1;
    const std::string copyName = folder + "/match.dat.autosave";
    const std::string inlineName = folder + "/match.dat";

    const double baseMB = statusMB("VmRSS");
    TrackSet match;
    makeMatch(match);
    PlayerTrack* tracks = match.tracks;
    const double tracksMB = statusMB("VmRSS") - baseMB;
    int keys = 0;
    for (int p = 0; p < PLAYER_COUNT; p++) keys += tracks[p].keys.count;

    // The baseline of a history that copies all tracks per step: one copy's time and size.
    TrackSet original;
    double before = statusMB("VmRSS");
    Timer start;
    for (int p = 0; p < PLAYER_COUNT; p++) copyKeys(&original.tracks[p], &tracks[p]);
    const Elapsed copyTime = elapsed(start);
    const double copyMB = statusMB("VmRSS") - before;

    // 10,000 drags: mostly keys replaced, some added between keys, some deleted.
    UndoHistory history;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> player(0, PLAYER_COUNT - 1), frame(0, FRAMES - 1),
        kind(0, 9), pixel(0, 1000);
    before = statusMB("VmRSS");
    double slowestStep = 0;
    start = Timer();
    int drags = 0;
    while (history.steps.size() < STEPS) {  // drags that change nothing make no step
        drags++;
        const int p = player(random), k = kind(random);
        int f = frame(random);
        if (k < 7) f -= f % KEY_STEP;  // on a key
        const double stepStart = seconds();
        beginStep(&history, tracks, f, p, "key %d at frame %d", p, f);
        recordKey(&history, p, f);
        if (k == 9) {
            removeKeyAt(&tracks[p], f);
        } else {
            const DragRect drag{pixel(random), pixel(random), pixel(random), pixel(random)};
            editKeyFromDrag(&tracks[p], f, EDIT_BOTH, drag, drag.x0, drag.y0);
        }
        endStep(&history);
        slowestStep = std::max(slowestStep, seconds() - stepStart);
    }
    const Elapsed recordTime = elapsed(start);
    const double historyMB = statusMB("VmRSS") - before;
    const size_t stored = history.steps.size();

    double slowestUndo = 0;
    start = Timer();
    for (;;) {
        const double undoStart = seconds();
        if (undoStep(&history, tracks) == nullptr) break;
        slowestUndo = std::max(slowestUndo, seconds() - undoStart);
    }
    const Elapsed undoTime = elapsed(start);
    const bool undoneAll = sameKeys(tracks, original.tracks);
    start = Timer();
    while (redoStep(&history, tracks) != nullptr) {
    }
    const Elapsed redoTime = elapsed(start);

    // A load as one step: every key of the match changes.
    TrackSet loaded;
    for (int p = 0; p < PLAYER_COUNT; p++) copyKeys(&loaded.tracks[p], &tracks[p]);
    for (int p = 0; p < PLAYER_COUNT; p++)
        for (KeyNode* k = firstKey(&loaded.tracks[p]); k; k = nextKey(&loaded.tracks[p], k))
            keyFrameOf(k)->feetX += 1.0;
    const size_t bytesBefore = history.bytes;
    start = Timer();
    beginStep(&history, tracks, 0, -1, "load");
    for (int p = 0; p < PLAYER_COUNT; p++) recordTrack(&history, p);
    for (int p = 0; p < PLAYER_COUNT; p++) replaceKeys(&tracks[p], &loaded.tracks[p]);
    endStep(&history);
    const Elapsed loadStepTime = elapsed(start);
    const double loadStepMB = (history.bytes - bytesBefore) / 1048576.0;

    // The recovery copy of the match as a broadcast camera films it: in line on the event thread,
    // against the background writer with the event thread stepping through frames meanwhile.
    const MovingCamera camera;
    start = Timer();
    const int inlineResult =
        writeTracking(inlineName.c_str(), tracks, FRAMES, HEIGHT, &camera.registration);
    const Elapsed inlineTime = elapsed(start);

    // Three rounds, each a background write with playback meanwhile and then playback as
    // long without a write: on a busy machine the lateness varies from round to round.
    constexpr int ROUNDS = 3;
    RecoveryWriter writer;
    Elapsed startTime, backgroundTime;
    int result = 1;
    double writingLate[ROUNDS] = {}, quietLate[ROUNDS] = {};
    long frames = 0;
    for (int round = 0; round < ROUNDS; round++) {
        start = Timer();
        const bool started = startRecoveryWrite(&writer, copyName.c_str(), tracks, FRAMES, HEIGHT,
                                                &camera.registration, 1);
        const Elapsed held = elapsed(start);
        startTime.wall = std::max(startTime.wall, held.wall);
        int written = 0;
        uint64_t revision = 0;
        writingLate[round] = playThroughFrames(
            tracks, 600.0,
            [&] { return !started || collectRecoveryWrite(&writer, false, &written, &revision); },
            &frames);
        const Elapsed total = elapsed(start);
        backgroundTime.wall = std::max(backgroundTime.wall, total.wall);
        if (written != 1) result = written;
        quietLate[round] = playThroughFrames(
            tracks, total.wall, [] { return false; }, &frames);
    }

    std::printf("undo benchmark: %d players, %d frames, %d keys (one every %d frames)\n",
                PLAYER_COUNT, FRAMES, keys, KEY_STEP);
    std::printf("tracks' own memory                 %8.1f MB\n", tracksMB);
    std::printf("%zu undo steps (of %d drags and deletes on random frames)\n", stored, drags);
    std::printf("                                   history     all tracks copied per step\n");
    std::printf("  memory of the steps              %8.2f MB  %10.0f MB (%.1f MB a copy)\n",
                bytesBefore / 1048576.0, copyMB * STEPS, copyMB);
    std::printf("  process growth                   %8.2f MB  (with the keys the drags added)\n",
                historyMB);
    std::printf("  recording, all steps             %8.3f s   %10.1f s  (%.1f ms a copy)\n",
                recordTime.wall, copyTime.wall * STEPS, copyTime.wall * 1000);
    std::printf("  slowest step                     %8.3f ms\n", slowestStep * 1000);
    std::printf("  undo all / redo all              %8.3f s / %.3f s, slowest undo %.3f ms\n",
                undoTime.wall, redoTime.wall, slowestUndo * 1000);
    std::printf("  tracks after undoing all         %s\n", undoneAll ? "identical" : "DIFFERENT");
    std::printf("a load as one step (%d keys changed): %.3f s, %.1f MB\n", keys, loadStepTime.wall,
                loadStepMB);
    std::printf("recovery copy of the match         event thread held    total\n");
    std::printf("  written in line (baseline)       %8.1f ms        %8.1f ms  (result %d)\n",
                inlineTime.wall * 1000, inlineTime.wall * 1000, inlineResult);
    std::printf("  background writer, slowest of %d %6.1f ms        %8.1f ms  (result %d)\n",
                ROUNDS, startTime.wall * 1000, backgroundTime.wall * 1000, result);
    std::printf("  playback at 30 frames a second, latest frame after its tick, by round:\n");
    std::printf("    while writing                 ");
    for (double late : writingLate) std::printf(" %8.2f ms", late * 1000);
    std::printf("\n    without a write (as long)     ");
    for (double late : quietLate) std::printf(" %8.2f ms", late * 1000);
    std::printf("\n");

    if (removeFolder) {
        unlink(copyName.c_str());
        unlink(inlineName.c_str());
        rmdir(folder.c_str());
    }
    return undoneAll && result == 1 ? 0 : 1;
}
