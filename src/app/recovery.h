// Recovery: while there are unsaved changes, a copy of the keys is kept beside the save
// file, named after it with ".autosave" appended, in the tracking file's format. It is
// written by a background thread a while after a change, at once when the program ends,
// removed by a save, and loaded at the next start when it is newer than the save file.
// No GL: the callbacks drive it with the time and at the exits.
#pragma once

#include <cstdint>

#include "app/command_line.h"
#include "tracking/recovery_writer.h"

struct AppState;

constexpr const char* RECOVERY_SUFFIX = ".autosave";
constexpr double RECOVERY_DELAY_SECONDS = 10.0;  // from the first change not yet in the file
constexpr int RECOVERY_NAME_SIZE = STATE_NAME_SIZE + 32;
constexpr int ABSOLUTE_NAME_SIZE = 4096;  // a path as shown to the user

// The recovery copy of one run. The event thread owns it; only `writer` hands a copy of
// the keys to its own thread (see recovery_writer.h).
struct Recovery {
    char fileName[RECOVERY_NAME_SIZE] = {};  // where this run keeps its copy
    RecoveryWriter writer;
    uint64_t writtenRevision = 0;  // the history revision the file holds, or need not hold
    bool ownsFile = false;         // the file is this run's copy: when the tracks equal the
                                   // save file again it says nothing new and goes
    double changeSeenAt = -1.0;    // seconds at which a change not in the file was first
                                   // seen, -1 when there is none
    bool failing = false;          // the last write failed (said once)
    uint64_t failedRevision = 0;   // the revision whose write failed: retried after a change
};

// The name as the user should read it: absolute, as far as the file system knows it.
void absoluteName(const char* name, char* out, int size);

// Start-up, before the windows: names the copy, and when a copy newer than the save file
// exists loads its keys as unsaved changes, one undoable step ("recovered %d keys from
// %s"). A copy that cannot be read whole is left as it is, and this run keeps its own
// copy under another name so that it never replaces it. Returns the keys recovered.
int recoverAtStart(AppState* state);
// The event loop's periodic call with the time in seconds: collects a finished write, and
// starts one RECOVERY_DELAY_SECONDS after a change not in the file. Cheap when idle.
void recoveryTick(AppState* state, double now);
// At every end of the program: the copy holds the unsaved changes when this returns
// (written here, on this thread, when the last background write is not current).
void finishRecovery(AppState* state);
// After a successful save: the copy is removed (a write in progress is waited for first).
void recoverySaved(AppState* state);

// Signals that end the program (SIGTERM, SIGHUP, SIGINT): the handler only notes the
// signal; the event loop calls exitOnSignal, which keeps the work and then ends the
// process by the signal's own default action.
void installExitSignals();
int pendingExitSignal();  // the signal noted, or 0
[[noreturn]] void exitOnSignal(AppState* state, int signal);
