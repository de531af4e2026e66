#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "tracking/player_track.h"

namespace {

KeyFrame* makeKey(double feetX) {
    KeyFrame* key = new KeyFrame;
    key->feetX = feetX;
    return key;
}

KeyNode* add(PlayerTrack* track, int frame, double feetX = 0.0) {
    return addKey(track, makeKey(feetX), NODE_OWNS_PAYLOAD, frame);
}

std::vector<int> framesOf(PlayerTrack* track) {
    std::vector<int> frames;
    for (KeyNode* key = firstKey(track); key != nullptr; key = nextKey(track, key))
        frames.push_back(key->frame);
    return frames;
}

struct Track {
    PlayerTrack track;
    Track() { initTrack(&track); }
    ~Track() { clearTrack(&track); }
};

// A selection list holding the given tracks, emptied (nodes freed) at the end.
struct Selection {
    LinkedList list;
    std::vector<PlayerTrack*> tracks;
    explicit Selection(std::vector<PlayerTrack*> selected) : tracks(selected) {
        listInit(&list, 0);
        for (PlayerTrack* track : tracks) selectTrack(&list, track);
    }
    ~Selection() {
        for (PlayerTrack* track : tracks) deselectTrack(&list, track);
    }
};

}  // namespace

TEST(LinkedList, AppendIterateAndRemoveKeepOrderAndOwnership) {
    LinkedList list;
    listInit(&list, 7);
    ListIterator it;
    EXPECT_EQ(iterBegin(&it, &list), &list.tail);
    EXPECT_FALSE(iterValid(&it));
    EXPECT_EQ(iterLast(&it), &list.head);

    int a = 1, b = 2;
    ListNode* first = listAppend(&list, &a, 0);
    ListNode* second = listAppend(&list, &b, 0);
    listAppend(&list, new KeyFrame, NODE_OWNS_PAYLOAD);  // freed by listClear
    EXPECT_EQ(list.count, 3);
    EXPECT_EQ(first->bits, NODE_OWNS_NODE);

    std::vector<void*> seen;
    for (iterBegin(&it, &list); iterValid(&it); iterNext(&it)) seen.push_back(iterPayload(&it));
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], &a);
    EXPECT_EQ(seen[1], &b);
    EXPECT_EQ(iterLast(&it), list.tail.prev);

    // A node that does not own itself is only unlinked and handed back.
    // (On the heap, so that optimising across files does not warn about the delete on
    // the owning path it cannot rule out.)
    auto loose = std::make_unique<ListNode>(ListNode{nullptr, nullptr, 0, &a});
    listInsertAfter(first, loose.get());
    EXPECT_EQ(first->next, loose.get());
    EXPECT_EQ(listRemove(loose.get()), loose.get());
    EXPECT_EQ(first->next, second);
    EXPECT_EQ(listRemove(second), nullptr);
    list.count--;

    listClear(&list);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.tag, 7);
    EXPECT_EQ(list.head.next, &list.tail);
    EXPECT_EQ(list.tail.prev, &list.head);
}

TEST(PlayerTrack, EmptyTrackHasNoKeyAndZeroWeight) {
    Track t;
    EXPECT_EQ(seekKey(&t.track, 5), nullptr);
    EXPECT_EQ(t.track.cursor, &t.track.keys.head);
    EXPECT_EQ(keyWeight(&t.track, t.track.cursor, 5), 0.0);
    EXPECT_EQ(keyWeight(&t.track, nullptr, 5), 0.0);
}

TEST(PlayerTrack, SeekAndWeightAroundTwoKeys) {
    Track t;
    KeyNode* k10 = add(&t.track, 10);
    KeyNode* k20 = add(&t.track, 20);
    EXPECT_EQ(seekKey(&t.track, 5), nullptr);
    EXPECT_EQ(t.track.cursor, &t.track.keys.head);
    EXPECT_EQ(seekKey(&t.track, 10), k10);
    EXPECT_EQ(seekKey(&t.track, 15), k10);
    EXPECT_EQ(t.track.cursor, k10);
    EXPECT_EQ(seekKey(&t.track, 20), k20);
    EXPECT_EQ(seekKey(&t.track, 25), k20);
    EXPECT_DOUBLE_EQ(keyWeight(&t.track, k10, 15), 0.5);
    EXPECT_DOUBLE_EQ(keyWeight(&t.track, k10, 10), 1.0);
    EXPECT_DOUBLE_EQ(keyWeight(&t.track, k20, 25), 1.0);

    Track u;
    KeyNode* k0 = add(&u.track, 0);
    add(&u.track, 3);
    EXPECT_DOUBLE_EQ(keyWeight(&u.track, k0, 1), 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(keyWeight(&u.track, k0, 2), 1.0 / 3.0);
}

// The cursor makes every lookup depend on the previous one: check seekKey from every
// starting position against a plain search.
TEST(PlayerTrack, SeekFromAnyCursorFindsLastKeyAtOrBefore) {
    Track t;
    const std::vector<int> frames = {3, 4, 9, 20, 21, 40};
    for (int frame : frames) add(&t.track, frame);
    for (int from = 0; from <= 45; from++) {
        for (int to = 0; to <= 45; to++) {
            seekKey(&t.track, from);
            KeyNode* found = seekKey(&t.track, to);
            int expected = -1;
            for (int frame : frames)
                if (frame <= to) expected = frame;
            if (expected < 0) {
                ASSERT_EQ(found, nullptr) << from << " -> " << to;
                ASSERT_EQ(t.track.cursor, &t.track.keys.head);
            } else {
                ASSERT_NE(found, nullptr) << from << " -> " << to;
                ASSERT_EQ(found->frame, expected) << from << " -> " << to;
                ASSERT_EQ(t.track.cursor, found);
            }
        }
    }
}

TEST(PlayerTrack, AddKeyKeepsOrderAndReplacesSameFrame) {
    Track t;
    std::mt19937 random(3);
    std::vector<int> expected;
    for (int i = 0; i < 200; i++) {
        const int frame = static_cast<int>(random() % 120);
        KeyNode* node = add(&t.track, frame, i);
        EXPECT_EQ(t.track.cursor, node);
        if (std::find(expected.begin(), expected.end(), frame) == expected.end())
            expected.push_back(frame);
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(framesOf(&t.track), expected);
    EXPECT_EQ(t.track.keys.count, static_cast<int>(expected.size()));

    // Replacing keeps the count and shows the new values; a key before all goes first.
    const int count = t.track.keys.count;
    KeyNode* replaced = add(&t.track, expected[3], 999.0);
    EXPECT_EQ(t.track.keys.count, count);
    EXPECT_EQ(keyFrameOf(seekKey(&t.track, expected[3]))->feetX, 999.0);
    EXPECT_EQ(seekKey(&t.track, expected[3]), replaced);
    KeyNode* early = add(&t.track, -5);
    EXPECT_EQ(firstKey(&t.track), early);
    EXPECT_EQ(t.track.keys.count, count + 1);

    // A key without a position is refused: every key has its KeyFrame.
    EXPECT_EQ(addKey(&t.track, nullptr, NODE_OWNS_PAYLOAD, expected[5]), nullptr);
    EXPECT_EQ(t.track.keys.count, count + 1);
    EXPECT_NE(keyFrameOf(seekKey(&t.track, expected[5])), nullptr);
}

TEST(PlayerTrack, ClearAndReplaceKeysKeepSelection) {
    Track a, b;
    LinkedList selection;
    selectTrack(&selection, &a.track);
    ListNode* entry = a.track.selectionEntry;
    add(&a.track, 1);
    add(&b.track, 5);
    add(&b.track, 6);
    replaceKeys(&a.track, &b.track);
    EXPECT_EQ(framesOf(&a.track), (std::vector<int>{5, 6}));
    EXPECT_EQ(a.track.keys.count, 2);
    EXPECT_EQ(a.track.cursor, &a.track.keys.head);
    EXPECT_EQ(seekKey(&a.track, 7)->frame, 6);
    EXPECT_EQ(b.track.keys.count, 0);
    EXPECT_EQ(firstKey(&b.track), nullptr);
    EXPECT_EQ(a.track.selectionEntry, entry);
    clearTrack(&a.track);
    EXPECT_EQ(a.track.keys.count, 0);
    EXPECT_EQ(a.track.selectionEntry, entry);
    deselectTrack(&selection, &a.track);
}

TEST(PlayerTrack, DeleteKeysAtCurrentFrameOfSelectedTracks) {
    Track a, b, other;
    for (int frame : {10, 20, 30}) add(&a.track, frame);
    add(&b.track, 20);
    add(&other.track, 20);
    Selection selection({&a.track, &b.track});
    EXPECT_EQ(deleteKeysAtCurrentFrame(&selection.list, 15), 0);
    EXPECT_EQ(a.track.keys.count, 3);

    EXPECT_EQ(deleteKeysAtCurrentFrame(&selection.list, 20), 2);
    EXPECT_EQ(framesOf(&a.track), (std::vector<int>{10, 30}));
    EXPECT_EQ(a.track.keys.count, 2);
    EXPECT_EQ(a.track.cursor, firstKey(&a.track));  // on the key before
    EXPECT_EQ(b.track.keys.count, 0);
    EXPECT_EQ(b.track.cursor, &b.track.keys.head);
    EXPECT_EQ(other.track.keys.count, 1);  // not selected
}

TEST(PlayerTrack, NextAndPreviousKeyWrapAround) {
    Track t;
    for (int frame : {10, 20, 30}) add(&t.track, frame);
    Selection selection({&t.track});
    const auto next = [&](int from) { return nextKeyFrame(&selection.list, from); };
    const auto previous = [&](int from) { return previousKeyFrame(&selection.list, from); };
    EXPECT_EQ(next(15), 20);
    EXPECT_EQ(next(30), 10);
    EXPECT_EQ(next(5), 10);
    EXPECT_EQ(next(10), 20);
    EXPECT_EQ(previous(25), 20);
    EXPECT_EQ(previous(20), 10);
    EXPECT_EQ(previous(15), 10);
    EXPECT_EQ(previous(10), 30);
    EXPECT_EQ(previous(5), 30);
    EXPECT_EQ(previous(35), 30);
    EXPECT_EQ(t.track.cursor, lastKey(&t.track));
}

TEST(PlayerTrack, NavigationWithoutKeysLeavesTheFrame) {
    LinkedList empty;
    EXPECT_EQ(nextKeyFrame(&empty, 42), 42);
    EXPECT_EQ(previousKeyFrame(&empty, 42), 42);
    Track blank;
    Selection selection({&blank.track});
    EXPECT_EQ(nextKeyFrame(&selection.list, 42), 42);
    EXPECT_EQ(previousKeyFrame(&selection.list, 42), 42);

    // A lone key on the frame: no move at all.
    Track lone;
    add(&lone.track, 40);
    Selection loneSelection({&lone.track});
    EXPECT_EQ(nextKeyFrame(&loneSelection.list, 40), 40);
    EXPECT_EQ(previousKeyFrame(&loneSelection.list, 40), 40);
}

TEST(PlayerTrack, NavigationPrefersANearerKeyOfAnotherTrackToAWrap) {
    Track a, b;
    add(&a.track, 5);
    add(&b.track, 20);
    add(&b.track, 50);
    Selection selection({&a.track, &b.track});
    EXPECT_EQ(nextKeyFrame(&selection.list, 15), 20);  // not a's wrap to 5
    EXPECT_EQ(nextKeyFrame(&selection.list, 60), 5);   // all wrap: the earliest
    EXPECT_EQ(previousKeyFrame(&selection.list, 30), 20);
    EXPECT_EQ(previousKeyFrame(&selection.list, 3), 50);  // all wrap: the latest
}

TEST(PlayerTrack, SelectAndDeselectKeepTheListConsistent) {
    Track a, b;
    LinkedList selection;
    EXPECT_EQ(selectTrack(&selection, &a.track), 1);
    EXPECT_EQ(selectTrack(&selection, &b.track), 1);
    EXPECT_EQ(selectTrack(&selection, &a.track), 1);  // already selected: no second node
    EXPECT_EQ(selection.count, 2);
    EXPECT_EQ(selection.head.next->payload, &a.track);
    EXPECT_EQ(a.track.selectionEntry, selection.head.next);

    deselectTrack(&selection, &a.track);
    EXPECT_EQ(a.track.selectionEntry, nullptr);
    EXPECT_EQ(selection.count, 1);
    EXPECT_EQ(selection.head.next->payload, &b.track);
    deselectTrack(&selection, &a.track);  // not selected: nothing happens
    EXPECT_EQ(selection.count, 1);
    deselectTrack(&selection, &b.track);
    EXPECT_EQ(selection.count, 0);
    EXPECT_EQ(selection.head.next, &selection.tail);
}
