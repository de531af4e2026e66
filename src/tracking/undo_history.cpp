// Sections: recording a step; undo and redo; the saved state.
#include "tracking/undo_history.h"

#include <cassert>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

// Recording a step.

namespace {

// Exact equality, bit for bit, so that a change of -0.0 to 0.0 or of one NaN to
// another is still undone.
bool sameValue(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool sameKey(const KeyFrame& a, const KeyFrame& b) {
    return a.flags == b.flags && sameValue(a.feetX, b.feetX) && sameValue(a.feetY, b.feetY) &&
           sameValue(a.rectX, b.rectX) && sameValue(a.rectY, b.rectY) &&
           sameValue(a.rectWidth, b.rectWidth) && sameValue(a.rectHeight, b.rectHeight);
}

size_t stepBytes(const UndoStep& step) {
    return sizeof step + step.changes.capacity() * sizeof(KeyChange);
}

void closeStep(UndoHistory* history) {
    history->open = false;
    history->recordedKeys.clear();
    for (int player = 0; player < PLAYER_COUNT; player++) {
        history->trackRecorded[player] = false;
        std::vector<FrameKey>().swap(history->trackBefore[player]);
    }
}

// The differences between a track's keys before (sorted by frame) and now.
void diffTrack(UndoHistory* history, int player, std::vector<KeyChange>* changes) {
    const std::vector<FrameKey>& before = history->trackBefore[player];
    PlayerTrack* track = &history->tracks[player];
    size_t i = 0;
    KeyNode* now = firstKey(track);
    while (i < before.size() || now != nullptr) {
        KeyChange change;
        change.player = player;
        if (now == nullptr || (i < before.size() && before[i].frame < now->frame)) {
            change.frame = before[i].frame;
            change.hadKey = true;
            change.before = before[i++].key;
        } else if (i == before.size() || now->frame < before[i].frame) {
            change.frame = now->frame;
            change.hasKey = true;
            change.after = *keyFrameOf(now);
            now = nextKey(track, now);
        } else {
            const bool same = sameKey(before[i].key, *keyFrameOf(now));
            change.frame = now->frame;
            change.hadKey = change.hasKey = true;
            change.before = before[i++].key;
            change.after = *keyFrameOf(now);
            now = nextKey(track, now);
            if (same) continue;
        }
        changes->push_back(change);
    }
}

void dropOldest(UndoHistory* history) {
    history->bytes -= stepBytes(history->steps.front());
    history->steps.pop_front();
    history->done--;
    // The saved state can no longer be reached by undoing.
    history->savedAt = history->savedAt > 0 ? history->savedAt - 1 : -1;
}

}  // namespace

void beginStep(UndoHistory* history, PlayerTrack* tracks, int frame, int selectedPlayer,
               const char* what, ...) {
    assert(!history->open && "a step is open already");
    closeStep(history);
    history->open = true;
    history->tracks = tracks;
    history->pending = UndoStep();
    history->pending.frame = frame;
    history->pending.selectedPlayer = selectedPlayer;
    va_list args;
    va_start(args, what);
    std::vsnprintf(history->pending.what, sizeof history->pending.what, what, args);
    va_end(args);
}

void recordKey(UndoHistory* history, int player, int frame) {
    assert(history->open && "recordKey outside a step");
    if (player < 0 || player >= PLAYER_COUNT || history->trackRecorded[player]) return;
    for (const KeyChange& change : history->recordedKeys)
        if (change.player == player && change.frame == frame) return;
    KeyChange change;
    change.player = player;
    change.frame = frame;
    if (KeyNode* key = keyAt(&history->tracks[player], frame)) {
        change.hadKey = true;
        change.before = *keyFrameOf(key);
    }
    history->recordedKeys.push_back(change);
}

void recordTrack(UndoHistory* history, int player) {
    assert(history->open && "recordTrack outside a step");
    if (player < 0 || player >= PLAYER_COUNT || history->trackRecorded[player]) return;
    history->trackRecorded[player] = true;
    PlayerTrack* track = &history->tracks[player];
    std::vector<FrameKey>& before = history->trackBefore[player];
    before.reserve(track->keys.count);
    for (KeyNode* key = firstKey(track); key != nullptr; key = nextKey(track, key))
        before.push_back(FrameKey{key->frame, *keyFrameOf(key)});
}

bool endStep(UndoHistory* history) {
    assert(history->open && "endStep without beginStep");
    UndoStep& step = history->pending;
    for (KeyChange change : history->recordedKeys) {
        if (history->trackRecorded[change.player]) continue;  // the whole track is compared
        if (KeyNode* key = keyAt(&history->tracks[change.player], change.frame)) {
            change.hasKey = true;
            change.after = *keyFrameOf(key);
        }
        if (change.hadKey != change.hasKey ||
            (change.hadKey && !sameKey(change.before, change.after)))
            step.changes.push_back(change);
    }
    for (int player = 0; player < PLAYER_COUNT; player++)
        if (history->trackRecorded[player]) diffTrack(history, player, &step.changes);
    const bool changed = !step.changes.empty();
    if (changed) {
        step.changes.shrink_to_fit();
        while (history->steps.size() > history->done) {
            history->bytes -= stepBytes(history->steps.back());
            history->steps.pop_back();
        }
        if (history->savedAt > static_cast<long>(history->done)) history->savedAt = -1;
        history->bytes += stepBytes(step);
        history->steps.push_back(std::move(step));
        history->done++;
        history->revision++;
        while (history->steps.size() > 1 &&
               (history->steps.size() > UNDO_STEP_LIMIT || history->bytes > UNDO_MEMORY_LIMIT))
            dropOldest(history);
    }
    closeStep(history);
    return changed;
}

// Undo and redo.

namespace {

// Puts every changed key of the step to its value before (forward false) or after it.
bool applyStep(const UndoStep& step, PlayerTrack* tracks, bool forward) {
    for (const KeyChange& change : step.changes) {
        PlayerTrack* track = &tracks[change.player];
        const bool present = forward ? change.hasKey : change.hadKey;
        if (!present) {
            removeKeyAt(track, change.frame);
            continue;
        }
        KeyFrame* key = new (std::nothrow) KeyFrame(forward ? change.after : change.before);
        if (key == nullptr || addKey(track, key, NODE_OWNS_PAYLOAD, change.frame) == nullptr) {
            delete key;
            std::fprintf(stderr, "no memory to %s \"%s\"; it is done only in part\n",
                         forward ? "redo" : "undo", step.what);
            return false;
        }
    }
    return true;
}

}  // namespace

const UndoStep* undoStep(UndoHistory* history, PlayerTrack* tracks) {
    if (history->open || history->done == 0) return nullptr;
    const UndoStep& step = history->steps[history->done - 1];
    history->revision++;
    if (!applyStep(step, tracks, false)) return nullptr;
    history->done--;
    return &step;
}

const UndoStep* redoStep(UndoHistory* history, PlayerTrack* tracks) {
    if (history->open || history->done == history->steps.size()) return nullptr;
    const UndoStep& step = history->steps[history->done];
    history->revision++;
    if (!applyStep(step, tracks, true)) return nullptr;
    history->done++;
    return &step;
}

// The saved state.

void markSaved(UndoHistory* history) {
    history->savedAt = static_cast<long>(history->done);
}

bool hasUnsavedChanges(const UndoHistory* history) {
    return history->savedAt != static_cast<long>(history->done);
}
