// Commands: what the buttons, the timeline and the shortcut keys do to the
// application state. No GL and no GLUT: the callbacks in app_callbacks.h call these
// and then ask for a redraw.
#pragma once

#include "app/app_state.h"

// Play/pause on the timeline: pauses while playing; plays when a frame is loaded;
// after the video has run out, rewinds to frame 0 and stays paused, so that the
// next call plays. Leaves the play button's switch state alone.
void playPause(AppState* state);
// Space: play/pause, and the play button's look switches as a click on it switches it.
void playPauseKey(AppState* state);
// One playback step (the timeline's idle work) at wall clock nowSeconds: while playing
// and not held by the mouse, reads the frame due by the video's clock (skipping those
// it is too late for), hands it to the video panel and moves the timeline there; stops
// playing when no frame comes. True when it did anything (a redraw is due), false when
// paused, held, or the frame on show is still due.
bool playbackStep(AppState* state, double nowSeconds);
// While the timeline is held, the frame under the pointer (x pixels from the
// timeline's left edge) becomes the current one. True when the frame changed.
bool timelineScrub(AppState* state, int x);

// 't' (direction 1) and 'T' (-1): with no run going, starts one for the selected
// player from the current frame (status text when it cannot start); with a run going,
// stops it there and keeps what it tracked.
void trackCommand(AppState* state, int direction);
// Space: stops a run of the tracker, else playPauseKey.
void spaceCommand(AppState* state);
// A tracking run's idle work: feeds it the next frames for up to TRACKING_TICK_MS,
// moving the timeline and the video along; when it stops, its keys go into the track
// (applyTrackedKeys) and the status text says where and why. True when it did
// anything (a redraw is due).
bool trackingStep(AppState* state);
// The one place a finished run changes a track: adds its keys and returns how many.
int applyTrackedKeys(AppState* state);

constexpr int TRACKING_TICK_MS = 30;  // tracker work per idle tick, so keys stay answered

// The timeline one frame back or forward (wrapping at the ends), and the video there.
void previousFrameCommand(AppState* state);
void nextFrameCommand(AppState* state);
// The timeline to the selected players' previous or next key (wrapping round), and
// the video there. Without a selection the frame stays.
void previousKeyCommand(AppState* state);
void nextKeyCommand(AppState* state);
// Deletes the selected players' keys on the current frame; returns how many.
int deleteKeyCommand(AppState* state);

// The player button `index` was clicked: deselects it when it is the selected one,
// else moves the selection to it (switching the previous button off). The toolkit
// flips the clicked button's switch afterwards.
void selectPlayer(AppState* state, int index);
// 'p' (step 1) and 'o' (step -1): the next or previous player, wrapping round from D11
// to O1 and back; O1 when none is selected. Switches its button on and selects it.
void selectNeighbourPlayer(AppState* state, int step);

// A modify switch was clicked: it becomes the edit mode, or the mode is cleared when
// it was the mode already. The other switch is switched off, so at most one is on.
void toggleEditMode(AppState* state, SwitchButton* modifySwitch);

// Writes every track to the save name and, when that succeeded, starts the exports
// (export_worker), marks the tracks saved and removes the recovery copy; the status
// line tells the result with the file's absolute path. The tracking file's result (1
// on success).
int saveCommand(AppState* state);
// 'e': starts writing the exports beside the save name (<name>.csv and <name>.mot.txt);
// their result goes to the status line when they are done. False when they cannot start.
bool exportCommand(AppState* state);
// Reads the load name's keys into the tracks, as one undoable step. The tracks change
// only when the whole file was read, and the selection stays. The tracking file's
// result (1 on success).
int loadCommand(AppState* state);

// A drag on the video is about to become a key of the selected player at the current
// frame: opens its undo step. endKeyEdit closes it (no step when nothing changed).
void beginKeyEdit(AppState* state);
void endKeyEdit(AppState* state);
// Ctrl+Z and Ctrl+Y: takes the tracks one step back or forward, shows the frame and
// selects the player of that step, and says "undo: <what>" or "redo: <what>" on the
// console and the status line ("nothing to undo" / "nothing to redo" at either end).
void undoCommand(AppState* state);
void redoCommand(AppState* state);

// The frame a press at x pixels from the left edge of a timeline `width` pixels wide
// stands for: count * (x + 1) / width after the first frame, kept within the range,
// so that the rightmost pixels give the last frame.
int timelineFrameAt(const FrameRange& range, int width, int x);
// A press on the timeline: its current frame becomes that frame, and the video goes there.
void timelinePress(AppState* state, int x);

void toggleTrails(AppState* state);   // 'd'
void toggleNumbers(AppState* state);  // 's'
void flipCamera(AppState* state);     // 'f': negates both camera angles
void toggleHelp(AppState* state);     // 'h': opens or closes the "shortcuts" frame
// Esc (and a window's close button): waits for the exports being written, keeps
// unsaved changes in the recovery copy, releases the video and ends the process with
// exit code 1.
[[noreturn]] void exitProgram(AppState* state);

constexpr int EXIT_BY_ESC = 1;  // the process's exit code after Esc
