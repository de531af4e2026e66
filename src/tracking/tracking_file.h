// The tracking data file: one block per video frame listing every player that has a
// position on it, key frames and interpolated frames alike, tab-separated text.
//
//   nFrames <n> / fieldPosition n / totalNPlayers 22, then per frame an empty line,
//   "nPlayers <count>" and <count> lines "player feetX feetY rectX rectY rectWidth
//   rectHeight flags" (reals as printf "%lg", y measured downward from the top edge).
#pragma once

#include <cstdint>

#include "tracking/player_track.h"
#include "tracking/registration.h"

// One player's line of a frame's block. Values as in KeyFrame except the y values,
// which are videoHeight - the KeyFrame value (pixels downward from the top edge).
struct FrameSample {
    int32_t flags = -1;  // -1 no position; key: the key's flags | KEY_FLAG_KEY;
                         // KEY_FLAG_INTERPOLATED strictly between two keys
    double feetX = 0.0;
    double feetY = 0.0;
    double rectX = 0.0;
    double rectY = 0.0;
    double rectWidth = 0.0;
    double rectHeight = 0.0;
};

// Writes the PLAYER_COUNT tracks to fileName for frames 0..nFrames-1, interpolating
// between consecutive keys as the video view shows them: carried through the field
// plane with the registration's records where the frame and both keys' frames have
// usable ones, else blended from the stored values (tracking/shown_position). The file
// is written as an OutputFile: replaced only once complete, or in place where it must
// be (tracking/output_file). Returns 1 on success, 0 when the file cannot be created
// (or replaced; a file the user cannot write is refused), -1 when writing or closing it
// fails.
int saveTracking(const char* fileName, PlayerTrack* tracks, int nFrames, int videoHeight,
                 const Registration* registration);
// saveTracking without its "save ..." line, for programs that write a tracking file
// the user did not ask to save. It only reads the tracks and the registration, so a
// thread may write tracks it owns alone.
int writeTracking(const char* fileName, PlayerTrack* tracks, int nFrames, int videoHeight,
                  const Registration* registration);

// Reads fileName and, when the whole file converts, replaces the keys of the
// PLAYER_COUNT tracks by the file's key lines (interpolated lines are dropped). The
// tracks keep their addresses and selection; their cursors go to the head sentinel.
// Keys outside frames 0..nFrames-1 or players 0..PLAYER_COUNT-1 are skipped with a
// warning. A missing, empty, cut-short or malformed file leaves the tracks unchanged.
// Returns 1 on success, 0 when the file cannot be read, is empty or is rejected, -1
// when closing it fails (the keys read are then kept).
int loadTracking(const char* fileName, PlayerTrack* tracks, int nFrames, int videoHeight);

// Writes value as printf("%lg") would (six significant digits) at out, which has room
// for 32 characters; returns the end of the text (no terminating zero).
char* formatReal(char* out, double value);
