// Track export: every position of the tracking file, written for other programs in
// two files beside the save file, each replaced only once it is complete:
//
//   <name>.csv      "frame,time,player,kind,feetX,feetY,boxLeft,boxTop,boxWidth,
//                   boxHeight,fieldX,fieldY", then one row per frame and player with a
//                   position: time in seconds, player "O1".."D11", image pixels with y
//                   downward, metres on the pitch (tracking/field_pitch), the metres
//                   empty where the frame has no registration record.
//   <name>.mot.txt  the multi-object-tracking ground-truth text format: "frame,id,left,
//                   top,width,height,1,1,1" with frames from 1 and ids 1..22 in player
//                   order ("consider", class 1, visibility 1).
//
// <name> is the save name without its extension. The positions are the tracking
// file's lines (track_sampler), key and interpolated alike.
#pragma once

#include <cstdint>
#include <string>

#include "tracking/player_track.h"
#include "tracking/registration.h"

struct ExportSource {
    PlayerTrack* tracks = nullptr;               // PLAYER_COUNT tracks, in player order
    const Registration* registration = nullptr;  // may be null or empty
    int nFrames = 0;                             // frames 0..nFrames-1
    int videoHeight = 0;                         // pixels
    const double* frameSeconds = nullptr;        // nFrames times from frame 0, or null: empty
};

// The kind column of a line with these flags: "tracked" for a key the tracker made,
// "key" for another key's line, "interpolated" for a line between keys. A kind that a later flag bit brings is tested here, before
// the plain key.
const char* exportKind(int32_t flags);

// The save name without the extension of its last path component ("a/b.dat" gives
// "a/b"; a name without one, or whose last component starts with its only dot, stays).
std::string exportBaseName(const char* saveName);

// Writes both files for saveName. Returns 1 after "export %d rows to %s and %s\n", 0
// when a file cannot be created or replaced, -1 when writing or closing fails, each
// after a console line that says why; a failed export leaves the previous files as
// they were. rows (when given) receives the number of position rows.
int exportTracking(const char* saveName, const ExportSource& source, int* rows = nullptr);
