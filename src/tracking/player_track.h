// PlayerTrack: one player's key frames in frame order, with a cursor on the key
// found by the last lookup, and the selection and navigation operations on tracks.
//
// Sections: records; lookup and interpolation; editing; selection and navigation.
#pragma once

#include <cstdint>
#include <type_traits>

#include "tracking/key_frame.h"
#include "tracking/linked_list.h"

constexpr int PLAYER_COUNT = 22;  // players 0..10 are the O side, 11..21 the D side

// A key of a track: the node's payload is its KeyFrame, owned by the node.
struct KeyNode : ListNode {
    int frame = 0;  // video frame of the key
};
static_assert(std::is_trivially_destructible_v<KeyNode>);

// Tracks stay at their addresses for the whole run: the selection points at them.
struct PlayerTrack {
    ListNode* selectionEntry = nullptr;  // this track's node in the selection, or null
    LinkedList keys;                     // KeyNodes, frames strictly increasing
    ListNode* cursor = &keys.head;       // the key of the last seekKey, or keys.head
};

// The PLAYER_COUNT tracks of a match owned as a whole, for tracks that are not the
// application's (a file being read, a generator's ground truth): empty at first, and
// every key is freed with them.
struct TrackSet {
    PlayerTrack tracks[PLAYER_COUNT];  // in player order
    TrackSet() = default;
    ~TrackSet();
    TrackSet(const TrackSet&) = delete;
    TrackSet& operator=(const TrackSet&) = delete;
};

// Lookup and interpolation.

// The node as a key of the track, or null for a sentinel or null.
KeyNode* asKeyNode(const PlayerTrack* track, ListNode* node);
// The key after node (the first key when node is the head sentinel), or null (also
// for a null node).
KeyNode* nextKey(const PlayerTrack* track, ListNode* node);
// The key before node (the last key when node is the tail sentinel), or null (also
// for a null node).
KeyNode* previousKey(const PlayerTrack* track, ListNode* node);
KeyNode* firstKey(const PlayerTrack* track);  // null when the track has no keys
KeyNode* lastKey(const PlayerTrack* track);   // null when the track has no keys
KeyFrame* keyFrameOf(const KeyNode* key);     // the key's position, owned by the node

// Moves the cursor to the last key whose frame <= frame and returns it; with no such
// key the cursor goes to the head sentinel and the result is null.
KeyNode* seekKey(PlayerTrack* track, int frame);
// Interpolation weight at frame of node, the key at or before frame: 0.0 for the head
// sentinel (or null), 1.0 without a later key, else 1 - (frame - f0) / (f1 - f0).
// A field's value is w * node's value + (1 - w) * the next key's value.
double keyWeight(const PlayerTrack* track, const ListNode* node, int frame);

// Editing.

// Empties the track; selectionEntry = null.
void initTrack(PlayerTrack* track);
// Frees every key and its KeyFrame; the cursor goes to the head sentinel and
// selectionEntry stays.
void clearTrack(PlayerTrack* track);
// Inserts keyFrame at frame with ownership `bits | NODE_OWNS_NODE` (pass
// NODE_OWNS_PAYLOAD: the node then owns keyFrame), replacing and freeing a key already
// on that frame. The cursor ends on the new key. Returns it, or null when keyFrame is
// null or the node cannot be allocated (track unchanged, keyFrame still the caller's):
// every key of a track has its KeyFrame.
KeyNode* addKey(PlayerTrack* track, KeyFrame* keyFrame, int bits, int frame);
// Moves source's keys to track, freeing the keys track had; source is left empty. Both
// cursors go to their head sentinels; selection entries stay.
void replaceKeys(PlayerTrack* track, PlayerTrack* source);
// Removes and frees the key on frame; the cursor goes to the key before it. Returns 1,
// or 0 (track unchanged) when the track has no key there.
int removeKeyAt(PlayerTrack* track, int frame);
// The key on frame exactly, or null. Moves the cursor.
KeyNode* keyAt(PlayerTrack* track, int frame);
// Adds to track a copy of every key of source (a key on the same frame is replaced).
// Returns false when memory ran out; the keys copied until then stay.
bool copyKeys(PlayerTrack* track, const PlayerTrack* source);

// Selection and navigation. `selection` holds PlayerTrack pointers in nodes that own
// only themselves.

// Removes from every selected track its key on currentFrame; returns how many.
int deleteKeysAtCurrentFrame(LinkedList* selection, int currentFrame);
// The frame of the nearest later key of the selected tracks, wrapping round to the
// earliest key when none lies later; frame itself when no selected track has a key
// off it.
int nextKeyFrame(LinkedList* selection, int frame);
// As nextKeyFrame, towards the nearest earlier key, wrapping round to the latest key.
int previousKeyFrame(LinkedList* selection, int frame);
// Appends track to the selection and remembers its node; a selected track stays as it
// is. Returns 0 when the node cannot be allocated, else 1.
int selectTrack(LinkedList* selection, PlayerTrack* track);
// Removes track from the selection (an unselected track is left alone).
void deselectTrack(LinkedList* selection, PlayerTrack* track);
