// RecoveryWriter: writes a copy of the tracks as a tracking file in a background
// thread, so that a full match is kept on disk without stalling the event loop.
//
// Who owns what: the event thread owns the writer record and the tracks. startRecoveryWrite
// copies the keys on the event thread into a job; from then on the job (the copy, the
// file name, the result) belongs to the worker thread alone, until the worker sets
// `finished` as its last act. The event thread reads the result only after it has seen
// `finished` and joined the worker, and then frees the job. The tracks themselves never
// cross threads; the registration, which nothing changes after start-up, is read by both.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "tracking/player_track.h"
#include "tracking/registration.h"

struct RecoveryJob {
    TrackSet keys;                               // the copy being written
    std::string fileName;                        // where it goes
    int nFrames = 0, videoHeight = 0;            // as saveTracking takes them
    const Registration* registration = nullptr;  // shared, read-only for the whole run
    uint64_t revision = 0;                       // the caller's name for the state copied
    int result = 0;                              // writeTracking's result, set by the worker
    std::atomic<bool> finished{false};           // set by the worker once result is final
};

struct RecoveryWriter {
    std::thread worker;                // runs while job is being written
    std::unique_ptr<RecoveryJob> job;  // the write in progress, or null
};

// Copies the tracks (PLAYER_COUNT) and starts writing them to fileName, atomically as a
// save does. False when a write is still in progress or memory ran out (nothing started).
bool startRecoveryWrite(RecoveryWriter* writer, const char* fileName, PlayerTrack* tracks,
                        int nFrames, int videoHeight, const Registration* registration,
                        uint64_t revision);
// Whether a write has been started and not yet collected.
bool recoveryWriteStarted(const RecoveryWriter* writer);
// Collects a finished write: its result (1 written, 0 or -1 failed, as the tracking file
// says) and the revision it copied. Returns false, without waiting, while it still runs
// or when none was started; with `wait` it waits for a write in progress to end.
bool collectRecoveryWrite(RecoveryWriter* writer, bool wait, int* result, uint64_t* revision);
