// TrackSampler: every player's line of the tracking file, frame after frame, without a
// table of every frame: each player's pair of keys around the frame advances with it.
// Between two keys the line is the position the video view shows (shownBetweenKeys);
// the tracking file and the exports read the same lines.
#pragma once

#include "tracking/player_track.h"
#include "tracking/registration.h"
#include "tracking/shown_position.h"
#include "tracking/tracking_file.h"

struct SamplerCursor {
    PlayerTrack* track = nullptr;
    KeyNode* k0 = nullptr;  // last key at or before the frame, null before the first
    KeyNode* k1 = nullptr;  // the key after k0 (the first key while k0 is null)
    double r = 0.0;         // 1 / (k1 frame - k0 frame)
    ShownSpan span;         // k0 and k1 with their records, while both exist
};

struct TrackSampler {
    SamplerCursor cursors[PLAYER_COUNT];
    const Registration* registration = nullptr;  // not owned; may be null or empty
    int videoHeight = 0;
};

// Starts at frame 0 of the PLAYER_COUNT tracks (which must not change while sampling).
void startSampler(TrackSampler* sampler, PlayerTrack* tracks, const Registration* registration,
                  int videoHeight);
// Every player's line at frame, which must not be below the frame sampled before:
// present[p] says whether player p has one (samples[p]); returns how many have one.
int sampleFrame(TrackSampler* sampler, int frame, FrameSample samples[PLAYER_COUNT],
                bool present[PLAYER_COUNT]);
