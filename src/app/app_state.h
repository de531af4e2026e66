// AppState: the one application state, alive for the whole run: the video, the
// tracks, the scene the views draw, and every widget record of the three windows.
#pragma once

#include <cstdint>

#include "app/command_line.h"
#include "app/export_worker.h"
#include "app/layout.h"
#include "app/playback_clock.h"
#include "app/recovery.h"
#include "app/status_line.h"
#include "assist/tracking_run.h"
#include "tracking/player_track.h"
#include "tracking/registration.h"
#include "tracking/scene.h"
#include "tracking/undo_history.h"
#include "video/video_source.h"
#include "video_view/video_view.h"
#include "views/timeline.h"
#include "views/view.h"
#include "widgets/button.h"
#include "widgets/panel.h"
#include "widgets/switch_button.h"
#include "widgets/text_panel.h"
#include "widgets/texture.h"
#include "widgets/titled_frame.h"

struct AppState {
    VideoSource video;                        // the game video and its current frame
    char saveFileName[STATE_NAME_SIZE] = {};  // "save" writes here
    char loadFileName[STATE_NAME_SIZE] = {};  // "load" reads from here
    Registration registration;                // per-frame homographies (may be empty)
    PlayerTrack tracks[PLAYER_COUNT];         // O1..O11 then D1..D11
    // What the views draw, pointing at the above and at the timeline's frame range;
    // also holds selectedPlayer, showTrails, showNumbers, the camera angles and the
    // edit mode that the commands change.
    Scene scene;

    // The main window's widgets, in the window's child order.
    Panel buttonBar;
    SwitchButton playButton;  // play/pause: its on state shows the pause pictures
    Button previousFrameButton, nextFrameButton, previousKeyButton, nextKeyButton;
    Button loadButton, saveButton, deleteKeyButton;
    SwitchButton modifyFeetSwitch, modifyRectSwitch;  // at most one is on: editMode
    View subfieldView;
    SwitchButton playerButtons[PLAYER_COUNT];  // index = player: O1..O11 then D1..D11
    VideoView videoPanel;
    TextPanel helpPanel;         // the shortcut list, inside shortcutsPanel
    TitledFrame shortcutsPanel;  // hidden until 'h'; movable
    Timeline timeline;           // owns the current frame and the selection
    int timelinePointerX = 0;    // pointer x while the timeline is held, timeline pixels
    // The field windows' views.
    View fieldView;    // "football field" window
    View fieldView3D;  // "3D view of football field" window

    // Field pictures, each made in the window that draws it.
    Texture smallFieldTexture, fieldTexture, fieldTexture3D;

    SwitchButton* editMode = nullptr;  // the modify switch that is on, or null
    double fieldAspect = -1.0;  // width / height of fieldView, fixed at its window's first reshape
    double aspect3D = -1.0;     // the same for fieldView3D
    // fieldViewsDigest of what fieldView and fieldView3D drew last: playback redraws
    // a field window only when its digest at the new frame differs.
    uint64_t fieldViewDrawn = 0, fieldView3DDrawn = 0;

    StatusLine status;            // shown in the main window, in layout.statusLine
    InterfaceObject statusPanel;  // where the main window shows it

    LayoutInput layoutInput;  // the video and picture sizes and the screen, for relayouts
    Layout layout;            // where everything is now: the display scale, the status strip
    PlaybackClock playback;   // which frame is due while playing
    ExportWorker exporter;    // the exports being written after a save or 'e'

    UndoHistory history;  // every change of the tracks, to undo and redo
    Recovery recovery;    // the copy of unsaved changes beside the save file
    // The tracker's run of the selected player ('t', 'T'), fed by the idle callback;
    // empty (direction 0) when no run is going.
    TrackingRun trackingRun;
};

extern AppState app;
