// AppState: the one application state, alive for the whole run.
#pragma once

#include "app/command_line.h"
#include "tracking/player_track.h"
#include "tracking/registration.h"
#include "tracking/scene.h"
#include "video/video_source.h"

struct AppState {
    VideoSource video;                        // the game video and its current frame
    char saveFileName[STATE_NAME_SIZE] = {};  // "save" writes here
    char loadFileName[STATE_NAME_SIZE] = {};  // "load" reads from here
    Registration registration;                // per-frame homographies (may be empty)
    PlayerTrack tracks[PLAYER_COUNT];         // O1..O11 then D1..D11
    Scene scene;                              // what the views draw, pointing at the above
};

extern AppState app;
