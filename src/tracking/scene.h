// Scene: what the video view and the field views draw, gathered in one record
// that the application owns and every view points at.
#pragma once

#include "tracking/player_track.h"
#include "tracking/registration.h"

// What a drag on the video edits: both the rectangle and the feet point, or
// only one of them (the "modify feet" or "modify rect" switch is on).
enum KeyEditMode { EDIT_BOTH = 0, EDIT_FEET_ONLY = 1, EDIT_RECT_ONLY = 2 };

struct Scene {
    PlayerTrack* tracks = nullptr;               // PLAYER_COUNT tracks, in player order
    const Registration* registration = nullptr;  // the per-frame homographies
    const int* currentFrame = nullptr;           // the timeline's current frame
    int videoWidth = 0;                          // video frame size in pixels
    int videoHeight = 0;
    int selectedPlayer = -1;           // 0..21, or -1 when none is selected
    int showTrails = 1;                // trajectories in the video and field views
    int showNumbers = 0;               // player labels in the video and field views
    double cameraHeading = 90.0;       // 3D camera angles in degrees; the
    double cameraTilt = 70.0;          // flip-camera command negates both
    KeyEditMode editMode = EDIT_BOTH;  // set by the modify switches
    // While the tracker follows the selected player, the box it found on the current
    // frame (video pixels), drawn over the player's marks: the run's keys go into the
    // track only when it ends.
    bool hasLiveBox = false;
    KeyFrame liveBox;
};

// The current frame of the scene (the timeline's), or 0 when no timeline is attached.
inline int sceneFrame(const Scene* scene) {
    return scene->currentFrame ? *scene->currentFrame : 0;
}
