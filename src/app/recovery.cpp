// Sections: names; start-up; while running; at the end; signals.
#include "app/recovery.h"

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/app_state.h"
#include "tracking/tracking_file.h"

// Names.

void absoluteName(const char* name, char* out, int size) {
    if (char* real = ::realpath(name, nullptr)) {
        std::snprintf(out, size, "%s", real);
        std::free(real);
        return;
    }
    // A file not yet written: its folder's place, or the name as it is.
    std::string shown = name;
    char folder[ABSOLUTE_NAME_SIZE];
    if (name[0] != '/' && ::getcwd(folder, sizeof folder) != nullptr)
        shown = std::string(folder) + "/" + name;
    std::snprintf(out, size, "%s", shown.c_str());
}

namespace {

int keyCount(const PlayerTrack* tracks) {
    int count = 0;
    for (int player = 0; player < PLAYER_COUNT; player++) count += tracks[player].keys.count;
    return count;
}

bool newerThan(const struct stat& a, const struct stat& b) {
    if (a.st_mtim.tv_sec != b.st_mtim.tv_sec) return a.st_mtim.tv_sec > b.st_mtim.tv_sec;
    return a.st_mtim.tv_nsec > b.st_mtim.tv_nsec;
}

}  // namespace

// Start-up.

int recoverAtStart(AppState* state) {
    Recovery* r = &state->recovery;
    std::snprintf(r->fileName, sizeof r->fileName, "%s%s", state->saveFileName, RECOVERY_SUFFIX);
    struct stat copy, saved;
    if (::stat(r->fileName, &copy) != 0) return 0;
    char shown[ABSOLUTE_NAME_SIZE];
    absoluteName(r->fileName, shown, sizeof shown);
    if (::stat(state->saveFileName, &saved) == 0 && !newerThan(copy, saved)) {
        std::printf("the recovery file %s is not newer than %s: not loaded\n", shown,
                    state->saveFileName);
        return 0;
    }

    UndoHistory* history = &state->history;
    beginStep(history, state->tracks, 0, state->scene.selectedPlayer, "recovery from %s", shown);
    for (int player = 0; player < PLAYER_COUNT; player++) recordTrack(history, player);
    const int result =
        loadTracking(r->fileName, state->tracks, state->video.nFrames, state->video.videoHeight);
    endStep(history);
    if (result == 0) {
        // Never write over a copy the user may still want: this run keeps its own.
        std::snprintf(r->fileName, sizeof r->fileName, "%s%s.%d", state->saveFileName,
                      RECOVERY_SUFFIX, static_cast<int>(::getpid()));
        std::printf(
            "can't recover the keys of %s: it is left as it is; this run keeps its "
            "recovery copy in %s\n",
            shown, r->fileName);
        setStatusText(&state->status, "can't recover the keys of %s: it is left as it is", shown);
        return 0;
    }
    // The file holds these keys already; a save removes it.
    r->writtenRevision = history->revision;
    const int keys = keyCount(state->tracks);
    std::printf("recovered %d keys from %s\n", keys, shown);
    setStatusText(&state->status, "recovered %d keys from %s", keys, shown);
    return keys;
}

// While running.

namespace {

void collectWrite(Recovery* r, bool wait) {
    int result = 0;
    uint64_t revision = 0;
    if (!collectRecoveryWrite(&r->writer, wait, &result, &revision)) return;
    if (result == 1) {
        r->writtenRevision = revision;
        r->ownsFile = true;
        r->failing = false;
        return;
    }
    r->failedRevision = revision;
    if (!r->failing)
        std::printf("can't write the recovery file %s: unsaved changes are not kept!\n",
                    r->fileName);
    r->failing = true;
}

}  // namespace

void recoveryTick(AppState* state, double now) {
    Recovery* r = &state->recovery;
    collectWrite(r, false);
    if (recoveryWriteStarted(&r->writer)) return;
    const uint64_t revision = state->history.revision;
    if (revision == r->writtenRevision) return;
    // A copy that could not be written is tried again after the next change, not at
    // every tick.
    if (r->failing && revision == r->failedRevision) return;
    if (!hasUnsavedChanges(&state->history)) {
        // Back to the saved keys (by undo): the copy, if it is ours, says nothing new.
        if (r->ownsFile) std::remove(r->fileName);
        r->ownsFile = false;
        r->writtenRevision = revision;
        r->changeSeenAt = -1.0;
        return;
    }
    if (r->changeSeenAt < 0.0) r->changeSeenAt = now;
    if (now - r->changeSeenAt < RECOVERY_DELAY_SECONDS) return;
    r->changeSeenAt = -1.0;
    if (!startRecoveryWrite(&r->writer, r->fileName, state->tracks, state->video.nFrames,
                            state->video.videoHeight, &state->registration, revision)) {
        if (!r->failing) std::printf("can't start writing the recovery file %s!\n", r->fileName);
        r->failing = true;
        r->failedRevision = revision;
    }
}

// At the end.

void finishRecovery(AppState* state) {
    Recovery* r = &state->recovery;
    if (r->fileName[0] == '\0') return;  // recoverAtStart has not run: nothing to keep
    collectWrite(r, true);
    if (!hasUnsavedChanges(&state->history)) {
        if (r->ownsFile) std::remove(r->fileName);
        r->ownsFile = false;
        return;
    }
    if (r->writtenRevision != state->history.revision) {
        if (writeTracking(r->fileName, state->tracks, state->video.nFrames,
                          state->video.videoHeight, &state->registration) != 1) {
            std::printf("can't write the recovery file %s: unsaved changes are lost!\n",
                        r->fileName);
            return;
        }
        r->writtenRevision = state->history.revision;
        r->ownsFile = true;
    }
    std::printf("unsaved changes kept in %s\n", r->fileName);
}

void recoverySaved(AppState* state) {
    Recovery* r = &state->recovery;
    // A write still running would bring the file back after the removal.
    collectWrite(r, true);
    if (r->fileName[0] != '\0') std::remove(r->fileName);
    r->ownsFile = false;
    r->writtenRevision = state->history.revision;
    r->changeSeenAt = -1.0;
}

// Signals.

namespace {

volatile std::sig_atomic_t exitSignal = 0;

void noteSignal(int signal) {
    exitSignal = signal;
}

}  // namespace

void installExitSignals() {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) sigaction(signal, &action, nullptr);
}

int pendingExitSignal() {
    return exitSignal;
}

void exitOnSignal(AppState* state, int signal) {
    // As at Esc: the exports of the last save are finished, then the keys kept.
    waitForExports(&state->exporter, state);
    finishRecovery(state);
    releaseVideo(&state->video);
    std::fflush(stdout);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal);  // in case the default action was to carry on
}
