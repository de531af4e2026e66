// UndoHistory: the changes made to the tracks, one step per user action, to be undone
// and redone. A step stores only the keys it changed, each before and after, with the
// frame and the selected player at the time of the change. No GL.
//
// Recording a step, for any operation on the tracks:
//   beginStep(history, tracks, frame, selectedPlayer, "key %s at frame %d", ...);
//   recordKey(history, player, frame);  // before that one key may change, or
//   recordTrack(history, player);       // before any key of the player may change
//   ... change the tracks ...
//   endStep(history);                   // keeps the step when something changed
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "tracking/key_frame.h"
#include "tracking/player_track.h"

constexpr size_t UNDO_STEP_LIMIT = 10000;                // steps kept; the oldest go first
constexpr size_t UNDO_MEMORY_LIMIT = size_t{256} << 20;  // bytes of changes kept
constexpr int UNDO_TEXT_SIZE = 160;                      // room for a description and a path

// One key of one player before and after a step.
struct KeyChange {
    int player = 0;
    int frame = 0;
    bool hadKey = false;  // a key was there before the step: `before`
    bool hasKey = false;  // a key is there after it: `after`
    KeyFrame before, after;
};

struct UndoStep {
    char what[UNDO_TEXT_SIZE] = {};  // what the user did: "key O3 at frame 120"
    int frame = 0;                   // the current frame when it was done
    int selectedPlayer = -1;         // the selected player then, or -1
    std::vector<KeyChange> changes;  // one per changed key, each (player, frame) once
};

// A key of a track as kept while a step is open.
struct FrameKey {
    int frame = 0;
    KeyFrame key;
};

struct UndoHistory {
    std::deque<UndoStep> steps;  // oldest first
    size_t done = 0;             // steps[0, done) are applied; the rest can be redone
    long savedAt = 0;            // the `done` at which the tracks equal the save file, or -1
    uint64_t revision = 0;       // grows at every change of the tracks (step, undo, redo)
    size_t bytes = 0;            // memory held by the stored steps

    // The step being recorded, between beginStep and endStep.
    PlayerTrack* tracks = nullptr;  // PLAYER_COUNT tracks, not owned
    bool open = false;
    UndoStep pending;
    std::vector<KeyChange> recordedKeys;              // recordKey: the before values
    bool trackRecorded[PLAYER_COUNT] = {};            // recordTrack: whole tracks
    std::vector<FrameKey> trackBefore[PLAYER_COUNT];  // their keys before the step
};

// Opens a step on tracks (PLAYER_COUNT of them); `what` is a printf format.
void beginStep(UndoHistory* history, PlayerTrack* tracks, int frame, int selectedPlayer,
               const char* what, ...) __attribute__((format(printf, 5, 6)));
// Remembers the player's key on frame (or its absence) before it changes.
void recordKey(UndoHistory* history, int player, int frame);
// Remembers every key of the player before any of them changes.
void recordTrack(UndoHistory* history, int player);
// Closes the step: compares the recorded keys with the tracks as they are now and stores
// the differences as one step, dropping the steps that could have been redone. A step
// that changed nothing is not stored. Returns true when one was stored.
bool endStep(UndoHistory* history);

// Takes the tracks back to before the last applied step, or forward through the next
// undone one; returns that step (its frame and selection to show), or null when there
// is nothing to undo or redo. Null also when memory ran out halfway (reported).
const UndoStep* undoStep(UndoHistory* history, PlayerTrack* tracks);
const UndoStep* redoStep(UndoHistory* history, PlayerTrack* tracks);

// The tracks now equal the save file.
void markSaved(UndoHistory* history);
// Whether the tracks differ from what was last saved (undoing back to it makes them equal).
bool hasUnsavedChanges(const UndoHistory* history);
