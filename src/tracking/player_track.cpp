#include "tracking/player_track.h"

#include <new>

KeyNode* asKeyNode(const PlayerTrack* track, ListNode* node) {
    if (node == nullptr || node == &track->keys.head || node == &track->keys.tail) return nullptr;
    return static_cast<KeyNode*>(node);
}

KeyNode* nextKey(const PlayerTrack* track, ListNode* node) {
    return node == nullptr ? nullptr : asKeyNode(track, node->next);
}

KeyNode* previousKey(const PlayerTrack* track, ListNode* node) {
    return node == nullptr ? nullptr : asKeyNode(track, node->prev);
}

KeyNode* firstKey(const PlayerTrack* track) {
    return asKeyNode(track, track->keys.head.next);
}

KeyNode* lastKey(const PlayerTrack* track) {
    return asKeyNode(track, track->keys.tail.prev);
}

KeyFrame* keyFrameOf(const KeyNode* key) {
    return static_cast<KeyFrame*>(key->payload);
}

KeyNode* seekKey(PlayerTrack* track, int frame) {
    ListNode* const head = &track->keys.head;
    ListNode* const tail = &track->keys.tail;
    ListNode* cursor = track->cursor;
    if (cursor == tail) return nullptr;
    if (cursor == head) cursor = tail->prev;

    // From a key after frame (or the last key), walk back to the last key at or before it.
    if (cursor == head || static_cast<KeyNode*>(cursor)->frame > frame) {
        while (cursor != head && static_cast<KeyNode*>(cursor)->frame > frame)
            cursor = cursor->prev;
        track->cursor = cursor;
        return asKeyNode(track, cursor);
    }
    // From a key at or before frame, walk forward while the next key is still at or
    // before it; the walk never leaves the keys.
    while (cursor->next != tail && static_cast<KeyNode*>(cursor->next)->frame <= frame)
        cursor = cursor->next;
    track->cursor = cursor;
    return static_cast<KeyNode*>(cursor);
}

double keyWeight(const PlayerTrack* track, const ListNode* node, int frame) {
    if (node == nullptr || node == &track->keys.head) return 0.0;
    if (node->next == &track->keys.tail) return 1.0;
    const int f0 = static_cast<const KeyNode*>(node)->frame;
    const int f1 = static_cast<const KeyNode*>(node->next)->frame;
    return 1.0 - static_cast<double>(frame - f0) / static_cast<double>(f1 - f0);
}

TrackSet::~TrackSet() {
    for (PlayerTrack& track : tracks) clearTrack(&track);
}

void initTrack(PlayerTrack* track) {
    track->selectionEntry = nullptr;
    listInit(&track->keys, 0);
    track->cursor = &track->keys.head;
}

void clearTrack(PlayerTrack* track) {
    track->cursor = &track->keys.head;
    listClear(&track->keys);
}

KeyNode* addKey(PlayerTrack* track, KeyFrame* keyFrame, int bits, int frame) {
    if (keyFrame == nullptr) return nullptr;
    KeyNode* node = new (std::nothrow) KeyNode;
    if (node == nullptr) return nullptr;
    node->bits = bits | NODE_OWNS_NODE;
    node->payload = keyFrame;
    node->frame = frame;

    KeyNode* found = seekKey(track, frame);
    listInsertAfter(track->cursor, node);
    if (found != nullptr && found->frame == frame)
        listRemove(found);
    else
        track->keys.count++;
    track->cursor = node;
    return node;
}

namespace {

PlayerTrack* trackOf(const ListNode* selectionNode) {
    return static_cast<PlayerTrack*>(selectionNode->payload);
}

// The key the next-key command moves a track to from frame, with the cursor on it;
// null for a track without keys. Past the last key it wraps to the first.
KeyNode* nextKeyCandidate(PlayerTrack* track, int frame) {
    if (firstKey(track) == nullptr) return nullptr;
    seekKey(track, frame);
    KeyNode* candidate = nextKey(track, track->cursor);
    if (candidate == nullptr) candidate = firstKey(track);
    track->cursor = candidate;
    return candidate;
}

// The last key strictly before frame, wrapping to the last key, with the cursor on it.
KeyNode* previousKeyCandidate(PlayerTrack* track, int frame) {
    if (firstKey(track) == nullptr) return nullptr;
    KeyNode* candidate = seekKey(track, frame);
    if (candidate != nullptr && candidate->frame == frame)
        candidate = previousKey(track, candidate);
    if (candidate == nullptr) candidate = lastKey(track);
    track->cursor = candidate;
    return candidate;
}

// Picks, among the selected tracks' candidates, the nearest one in the direction of
// travel; only when no track has a key that way does it wrap round. Comparing wrapped
// candidates by their frame alone would let one track's wrap-around beat another
// track's nearer key.
int stepToKey(LinkedList* selection, int frame, bool forward) {
    bool haveAhead = false, haveWrapped = false;
    int ahead = frame, wrapped = frame;
    ListIterator it;
    for (iterBegin(&it, selection); iterValid(&it); iterNext(&it)) {
        PlayerTrack* track = trackOf(it.current);
        KeyNode* key =
            forward ? nextKeyCandidate(track, frame) : previousKeyCandidate(track, frame);
        if (key == nullptr || key->frame == frame) continue;
        const bool isAhead = forward ? key->frame > frame : key->frame < frame;
        int& best = isAhead ? ahead : wrapped;
        bool& have = isAhead ? haveAhead : haveWrapped;
        // In both groups the nearest in the direction of travel wins.
        const bool better = forward ? key->frame < best : key->frame > best;
        if (!have || better) best = key->frame;
        have = true;
    }
    if (haveAhead) return ahead;
    if (haveWrapped) return wrapped;
    return frame;
}

}  // namespace

int deleteKeysAtCurrentFrame(LinkedList* selection, int frame) {
    int removed = 0;
    ListIterator it;
    for (iterBegin(&it, selection); iterValid(&it); iterNext(&it))
        removed += removeKeyAt(trackOf(it.current), frame);
    return removed;
}

int nextKeyFrame(LinkedList* selection, int frame) {
    return stepToKey(selection, frame, true);
}

int previousKeyFrame(LinkedList* selection, int frame) {
    return stepToKey(selection, frame, false);
}

int selectTrack(LinkedList* selection, PlayerTrack* track) {
    // A second node for the same track would be left dangling by deselectTrack.
    if (track->selectionEntry != nullptr) return 1;
    track->selectionEntry = listAppend(selection, track, NODE_OWNS_NODE);
    return track->selectionEntry != nullptr;
}

void deselectTrack(LinkedList* selection, PlayerTrack* track) {
    if (track->selectionEntry == nullptr) return;
    selection->count--;
    listRemove(track->selectionEntry);
    track->selectionEntry = nullptr;
}

void replaceKeys(PlayerTrack* track, PlayerTrack* source) {
    clearTrack(track);
    LinkedList* to = &track->keys;
    LinkedList* from = &source->keys;
    if (from->head.next != &from->tail) {
        to->head.next = from->head.next;
        to->head.next->prev = &to->head;
        to->tail.prev = from->tail.prev;
        to->tail.prev->next = &to->tail;
        to->count = from->count;
        from->head.next = &from->tail;
        from->tail.prev = &from->head;
        from->count = 0;
    }
    source->cursor = &from->head;
}

KeyNode* keyAt(PlayerTrack* track, int frame) {
    KeyNode* key = seekKey(track, frame);
    return key != nullptr && key->frame == frame ? key : nullptr;
}

int removeKeyAt(PlayerTrack* track, int frame) {
    KeyNode* key = keyAt(track, frame);
    if (key == nullptr) return 0;
    track->cursor = key->prev;
    track->keys.count--;
    listRemove(key);
    return 1;
}

bool copyKeys(PlayerTrack* track, const PlayerTrack* source) {
    // Appending in frame order: the cursor of track stays on the last key added, so each
    // insertion is one step.
    for (KeyNode* key = firstKey(source); key != nullptr; key = nextKey(source, key)) {
        KeyFrame* copy = new (std::nothrow) KeyFrame(*keyFrameOf(key));
        if (copy == nullptr || addKey(track, copy, NODE_OWNS_PAYLOAD, key->frame) == nullptr) {
            delete copy;
            return false;
        }
    }
    return true;
}
