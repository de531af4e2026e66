// The undo history as a model without a display: random sequences of the edits the tool
// makes (drags in the three edit modes, deletes, loads, many-key runs) undone and redone
// in random order give back exactly the tracks before and after each step.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "track_keys.h"
#include "tracking/key_editing.h"
#include "tracking/undo_history.h"

namespace {

constexpr int FRAMES = 40;

struct Edits {
    std::mt19937 random{7};
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
    DragRect drag() { return {below(600), below(400), below(600), below(400)}; }

    // One user action on tracks, recorded as one step; false when it changed nothing.
    bool act(UndoHistory* h, PlayerTrack* tracks) {
        const int player = below(4), frame = below(FRAMES);
        beginStep(h, tracks, frame, player, "action");
        const int kind = below(6);
        if (kind <= 2) {  // a drag with neither switch, "modify feet" or "modify rect"
            recordKey(h, player, frame);
            const DragRect d = drag();
            editKeyFromDrag(&tracks[player], frame, static_cast<KeyEditMode>(kind), d, d.x0, d.y0);
        } else if (kind == 3) {  // delete key
            recordKey(h, player, frame);
            removeKeyAt(&tracks[player], frame);
        } else if (kind == 4) {  // load: every track replaced
            for (int p = 0; p < PLAYER_COUNT; p++) recordTrack(h, p);
            TrackSet file;
            for (int i = below(12); i > 0; i--) {
                KeyFrame* key = new KeyFrame{1, 1.0 * below(100), 2, 3, 4, 5, 6.5};
                addKey(&file.tracks[below(4)], key, NODE_OWNS_PAYLOAD, below(FRAMES));
            }
            for (int p = 0; p < PLAYER_COUNT; p++) replaceKeys(&tracks[p], &file.tracks[p]);
        } else {  // a run over many keys of two players, some recorded twice
            for (int i = below(10); i > 0; i--) {
                const int p = below(2) ? player : 21, f = below(FRAMES);
                if (p == 21) recordTrack(h, p);
                recordKey(h, p, f);
                if (below(3) == 0) {
                    removeKeyAt(&tracks[p], f);
                } else {
                    KeyFrame* key = new KeyFrame{0, -0.0, 1.0 * i, 2, 3, 4, 5};
                    addKey(&tracks[p], key, NODE_OWNS_PAYLOAD, f);
                }
            }
        }
        return endStep(h);
    }
};

}  // namespace

TEST(UndoHistory, RandomEditsUndoneAndRedoneInAnyOrderGiveTheTracksOfEachStep) {
    TrackSet set;
    PlayerTrack* tracks = set.tracks;
    UndoHistory history;
    Edits edits;
    std::vector<TrackKeys> states{keysOf(tracks)};  // states[i]: after i applied steps
    size_t at = 0;
    int undos = 0, redos = 0, dropped = 0;
    for (int round = 0; round < 3000; round++) {
        const int choice = edits.below(10);
        if (choice < 4) {
            const bool changed = edits.act(&history, tracks);
            const TrackKeys now = keysOf(tracks);
            ASSERT_EQ(changed, now != states[at]) << "round " << round;
            if (changed) {
                dropped += static_cast<int>(states.size() - at - 1);
                states.resize(at + 1);
                states.push_back(now);
                at++;
            }
        } else if (choice < 7) {
            const UndoStep* step = undoStep(&history, tracks);
            ASSERT_EQ(step != nullptr, at > 0) << "round " << round;
            if (step) at--, undos++;
        } else {
            const UndoStep* step = redoStep(&history, tracks);
            ASSERT_EQ(step != nullptr, at + 1 < states.size()) << "round " << round;
            if (step) at++, redos++;
        }
        ASSERT_TRUE(keysOf(tracks) == states[at]) << "round " << round;
    }
    EXPECT_GT(undos, 300);
    EXPECT_GT(redos, 100);
    EXPECT_GT(dropped, 10) << "new changes after undos should have dropped redo steps";
    // Everything undone leads back to the empty start.
    while (undoStep(&history, tracks) != nullptr) {
    }
    EXPECT_TRUE(keysOf(tracks) == states[0]);
    EXPECT_EQ(firstKey(&tracks[0]), nullptr);
}

TEST(UndoHistory, StepsKeepTheirFrameSelectionAndSavedStateAndTheOldestGoAtTheLimit) {
    TrackSet set;
    PlayerTrack* tracks = set.tracks;
    UndoHistory history;
    EXPECT_FALSE(hasUnsavedChanges(&history));

    beginStep(&history, tracks, 12, 3, "key %s at frame %d", "O4", 12);
    recordKey(&history, 3, 12);
    addKey(&tracks[3], new KeyFrame{}, NODE_OWNS_PAYLOAD, 12);
    ASSERT_TRUE(endStep(&history));
    EXPECT_TRUE(hasUnsavedChanges(&history));
    markSaved(&history);
    EXPECT_FALSE(hasUnsavedChanges(&history));

    // A step that changes nothing is not kept, and leaves the saved state.
    beginStep(&history, tracks, 5, 3, "delete");
    recordKey(&history, 3, 5);
    removeKeyAt(&tracks[3], 5);
    EXPECT_FALSE(endStep(&history));

    const UndoStep* step = undoStep(&history, tracks);
    ASSERT_NE(step, nullptr);
    EXPECT_STREQ(step->what, "key O4 at frame 12");
    EXPECT_EQ(step->frame, 12);
    EXPECT_EQ(step->selectedPlayer, 3);
    EXPECT_TRUE(hasUnsavedChanges(&history)) << "the save held the key";
    EXPECT_NE(redoStep(&history, tracks), nullptr);
    EXPECT_FALSE(hasUnsavedChanges(&history));

    // Past the limit the oldest steps go; the saved state, among them, can't come back.
    const uint64_t revision = history.revision;
    for (size_t i = 0; i < UNDO_STEP_LIMIT + 5; i++) {
        beginStep(&history, tracks, 0, 0, "step");
        recordKey(&history, 0, static_cast<int>(i % 7));
        addKey(&tracks[0], new KeyFrame{0, 1.0 * i}, NODE_OWNS_PAYLOAD, static_cast<int>(i % 7));
        endStep(&history);
    }
    EXPECT_EQ(history.steps.size(), UNDO_STEP_LIMIT);
    EXPECT_EQ(history.revision, revision + UNDO_STEP_LIMIT + 5);
    EXPECT_LT(history.bytes, UNDO_STEP_LIMIT * 1024) << "memory follows what changed";
    size_t undone = 0;
    while (undoStep(&history, tracks) != nullptr) undone++;
    EXPECT_EQ(undone, UNDO_STEP_LIMIT);
    EXPECT_TRUE(hasUnsavedChanges(&history));
}
