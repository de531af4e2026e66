#include "app/commands.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tracking/player_label.h"
#include "tracking/tracking_file.h"

namespace {

void seekToCurrentFrame(AppState* state) {
    seekVideo(&state->video, state->timeline.frames.currentFrame);
}

int currentFrame(const AppState* state) {
    return state->timeline.frames.currentFrame;
}

int selectedPlayerOf(const AppState* state) {
    const int player = state->scene.selectedPlayer;
    return player >= 0 && player < PLAYER_COUNT ? player : -1;
}

// The selected player's label for the undo history's descriptions, "-" for none.
void selectedLabel(const AppState* state, char label[PLAYER_LABEL_SIZE]) {
    const int player = selectedPlayerOf(state);
    if (player >= 0)
        playerLabelText(player, label);
    else
        std::snprintf(label, PLAYER_LABEL_SIZE, "-");
}

// Shows where an undone or redone step was made: its frame, and its player selected
// (or none) as a click on the player buttons would leave them.
void showStep(AppState* state, const UndoStep& step) {
    Timeline* timeline = &state->timeline;
    if (step.frame != timeline->frames.currentFrame) {
        setCurrentFrame(&timeline->frames, timeline->flags, step.frame);
        seekToCurrentFrame(state);
    }
    const int current = selectedPlayerOf(state);
    if (step.selectedPlayer == current) return;
    if (step.selectedPlayer < 0) {
        clearFlags(&state->playerButtons[current], OBJ_SWITCHED_ON);
        selectPlayer(state, current);  // the selected one again: deselects it
        return;
    }
    setFlags(&state->playerButtons[step.selectedPlayer], OBJ_SWITCHED_ON);
    selectPlayer(state, step.selectedPlayer);
}

// Frames per second over the whole video, from its clock.
double meanFrameRate(const VideoSource* video) {
    const double seconds = videoFrameTime(video, video->nFrames - 1) - videoFrameTime(video, 0);
    return video->nFrames > 1 && seconds > 0.0 ? (video->nFrames - 1) / seconds
                                               : DEFAULT_FRAME_RATE;
}

// The video at frame, shown in the panel; the timeline goes there too.
void showFrame(AppState* state, int frame) {
    setCurrentFrame(&state->timeline.frames, state->timeline.flags, frame);
    if (currentVideoFrame(&state->video) != frame) seekVideo(&state->video, frame);
    if (state->video.frameImage != nullptr)
        setPanelPixels(&state->videoPanel, const_cast<unsigned char*>(state->video.frameImage));
}

// The running run's latest box goes on the video: its keys are not in the track yet.
void showLiveBox(AppState* state) {
    state->scene.hasLiveBox = true;
    state->scene.liveBox = state->trackingRun.path.back();
}

// Ends the run: its keys go in, the status says why, and the current frame goes where
// it stopped (the failing frame, where the next key is needed, or the last tracked).
void finishTracking(AppState* state) {
    TrackingRun* run = &state->trackingRun;
    char label[PLAYER_LABEL_SIZE];
    playerLabelText(run->player, label);
    const TrackingStop stop = run->stop;
    const int where = run->stopFrame;
    const int added = applyTrackedKeys(state);
    state->scene.hasLiveBox = false;
    setStatusText(&state->status, "tracking of %s stopped at frame %d: %s", label, where,
                  trackingStopReason(stop));
    std::printf("tracking of %s stopped at frame %d: %s (%d keys)\n", label, where,
                trackingStopReason(stop), added);
    std::fflush(stdout);
    showFrame(state, where);
}

}  // namespace

void playPause(AppState* state) {
    Timeline* timeline = &state->timeline;
    if (isPlaying(timeline)) {
        clearFlags(timeline, OBJ_PLAYING);
    } else if (state->video.frameImage != nullptr) {
        setFlags(timeline, OBJ_PLAYING);
    } else {
        // The video has run out: back to the start, paused, so that the next
        // play/pause plays from frame 0.
        rewindVideo(&state->video);
        rewindFrames(&timeline->frames);
    }
}

void playPauseKey(AppState* state) {
    playPause(state);
    toggleFlags(&state->playButton, OBJ_SWITCHED_ON);
}

bool playbackStep(AppState* state, double nowSeconds) {
    Timeline* timeline = &state->timeline;
    if (!isPlaying(timeline) || isPressed(timeline)) {
        stopClock(&state->playback);
        return false;
    }
    if (trackingRunActive(&state->trackingRun)) return false;  // the run moves the video
    const int current = timeline->frames.currentFrame;
    const int due = dueFrame(&state->playback, &state->video, current, nowSeconds);
    if (due <= current) return false;
    // Past the last frame the read fails and playback stops there.
    const int target = std::max(current + 1, std::min(due, timeline->frames.lastFrame));
    readFrameAhead(&state->video, target);
    if (state->video.frameImage != nullptr) {
        // The source reads into one buffer of its own; the panel only uploads it.
        setPanelPixels(&state->videoPanel, state->video.frameImage);
        setCurrentFrame(&timeline->frames, timelineLoops(timeline), target);
        clockShowed(&state->playback, timeline->frames.currentFrame);
    } else {
        clearFlags(timeline, OBJ_PLAYING);
        stopClock(&state->playback);
    }
    return true;
}

int applyTrackedKeys(AppState* state) {
    TrackingRun* run = &state->trackingRun;
    if (run->player < 0 || run->player >= PLAYER_COUNT) {
        clearTrackingRun(run);
        return 0;
    }
    // One run is one undo step, however many keys it made.
    char label[PLAYER_LABEL_SIZE];
    playerLabelText(run->player, label);
    beginStep(&state->history, state->tracks, currentFrame(state), run->player, "tracking of %s",
              label);
    recordTrack(&state->history, run->player);
    const int added = applyTrackingRun(run, &state->tracks[run->player]);
    endStep(&state->history);
    return added;
}

void trackCommand(AppState* state, int direction) {
    TrackingRun* run = &state->trackingRun;
    if (trackingRunActive(run)) {
        stopTrackingRun(run);
        finishTracking(state);
        return;
    }
    const int player = state->scene.selectedPlayer;
    const int frame = state->timeline.frames.currentFrame;
    if (player < 0 || player >= PLAYER_COUNT) {
        setStatusText(&state->status, "tracking needs a selected player");
        return;
    }
    clearFlags(&state->timeline, OBJ_PLAYING);
    if (currentVideoFrame(&state->video) != frame) seekVideo(&state->video, frame);
    FailureCheck check;
    check.registration = &state->registration;
    check.videoWidth = state->video.videoWidth;
    check.videoHeight = state->video.videoHeight;
    check.frameRate = meanFrameRate(&state->video);
    // The tracker works in video pixels, whatever size the panel shows.
    const unsigned char* pixels = fullFrameImage(&state->video);
    const char* problem = pixels == nullptr
                              ? "frame cannot be read"
                              : startTrackingRun(run, &state->tracks[player], player, frame,
                                                 direction, state->video.nFrames, pixels, check);
    if (problem != nullptr) {
        char label[PLAYER_LABEL_SIZE];
        playerLabelText(player, label);
        setStatusText(&state->status, "tracking of %s cannot start at frame %d: %s", label, frame,
                      problem);
        return;
    }
    showLiveBox(state);
}

void spaceCommand(AppState* state) {
    if (trackingRunActive(&state->trackingRun)) {
        trackCommand(state, state->trackingRun.direction);
    } else {
        playPauseKey(state);
    }
}

bool trackingStep(AppState* state) {
    TrackingRun* run = &state->trackingRun;
    if (!trackingRunActive(run)) return false;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    do {
        const int frame = run->nextFrame;
        // Forward reads on from the frame before; backward the source's cache and
        // seek points serve each earlier frame.
        if (run->direction > 0 && currentVideoFrame(&state->video) == frame - 1)
            readNextFrame(&state->video);
        else
            seekVideo(&state->video, frame);
        advanceTrackingRun(run, fullFrameImage(&state->video));
    } while (trackingRunActive(run) &&
             Clock::now() - start < std::chrono::milliseconds(TRACKING_TICK_MS));
    if (trackingRunActive(run)) {
        showFrame(state, run->stopFrame);
        showLiveBox(state);
    } else {
        finishTracking(state);
    }
    return true;
}

void previousFrameCommand(AppState* state) {
    previousFrame(&state->timeline.frames, timelineLoops(&state->timeline));
    seekToCurrentFrame(state);
}

void nextFrameCommand(AppState* state) {
    nextFrame(&state->timeline.frames, timelineLoops(&state->timeline));
    seekToCurrentFrame(state);
}

void previousKeyCommand(AppState* state) {
    Timeline* timeline = &state->timeline;
    setCurrentFrame(&timeline->frames, timelineLoops(timeline),
                    previousKeyFrame(&timeline->selection, timeline->frames.currentFrame));
    seekToCurrentFrame(state);
}

void nextKeyCommand(AppState* state) {
    Timeline* timeline = &state->timeline;
    setCurrentFrame(&timeline->frames, timelineLoops(timeline),
                    nextKeyFrame(&timeline->selection, timeline->frames.currentFrame));
    seekToCurrentFrame(state);
}

int deleteKeyCommand(AppState* state) {
    const int frame = currentFrame(state);
    char label[PLAYER_LABEL_SIZE];
    selectedLabel(state, label);
    beginStep(&state->history, state->tracks, frame, selectedPlayerOf(state),
              "delete key of %s at frame %d", label, frame);
    for (int p = 0; p < PLAYER_COUNT; p++)
        if (state->tracks[p].selectionEntry != nullptr) recordKey(&state->history, p, frame);
    const int removed =
        deleteKeysAtCurrentFrame(&state->timeline.selection, state->timeline.frames.currentFrame);
    endStep(&state->history);
    return removed;
}

void selectPlayer(AppState* state, int index) {
    if (index < 0 || index >= PLAYER_COUNT) return;
    LinkedList* selection = &state->timeline.selection;
    const int current = state->scene.selectedPlayer;
    if (current == index) {
        deselectTrack(selection, &state->tracks[index]);
        state->scene.selectedPlayer = -1;
        return;
    }
    if (current >= 0 && current < PLAYER_COUNT) {
        clearFlags(&state->playerButtons[current], OBJ_SWITCHED_ON);
        deselectTrack(selection, &state->tracks[current]);
    }
    if (selectTrack(selection, &state->tracks[index]) == 0) {
        std::fprintf(stderr, "no memory to select player %d\n", index);
        state->scene.selectedPlayer = -1;
        return;
    }
    state->scene.selectedPlayer = index;
}

void selectNeighbourPlayer(AppState* state, int step) {
    const int current = state->scene.selectedPlayer;
    const int index =
        current < 0 ? 0 : ((current + step) % PLAYER_COUNT + PLAYER_COUNT) % PLAYER_COUNT;
    setFlags(&state->playerButtons[index], OBJ_SWITCHED_ON);
    selectPlayer(state, index);
}

void toggleEditMode(AppState* state, SwitchButton* modifySwitch) {
    if (state->editMode == modifySwitch) {
        state->editMode = nullptr;
    } else {
        if (state->editMode != nullptr) clearFlags(state->editMode, OBJ_SWITCHED_ON);
        state->editMode = modifySwitch;
    }
    if (state->editMode == &state->modifyFeetSwitch)
        state->scene.editMode = EDIT_FEET_ONLY;
    else if (state->editMode == &state->modifyRectSwitch)
        state->scene.editMode = EDIT_RECT_ONLY;
    else
        state->scene.editMode = EDIT_BOTH;
}

int saveCommand(AppState* state) {
    const int result = saveTracking(state->saveFileName, state->tracks, state->video.nFrames,
                                    state->video.videoHeight, &state->registration);
    char shown[ABSOLUTE_NAME_SIZE];
    absoluteName(state->saveFileName, shown, sizeof shown);
    if (result != 1) {
        setStatusText(&state->status, "can't save to %s (see the console)", shown);
        return result;
    }
    markSaved(&state->history);
    recoverySaved(state);
    setStatusText(&state->status, "saved %d frames to %s", state->video.nFrames, shown);
    // The exports follow every save that succeeded, so they never lag behind the file;
    // they are written while the user goes on.
    requestExport(&state->exporter, state);
    return result;
}

bool exportCommand(AppState* state) {
    return requestExport(&state->exporter, state);
}

int loadCommand(AppState* state) {
    // A run going on would put its keys into the tracks the file replaces.
    clearTrackingRun(&state->trackingRun);
    state->scene.hasLiveBox = false;
    char shown[ABSOLUTE_NAME_SIZE];
    absoluteName(state->loadFileName, shown, sizeof shown);
    UndoHistory* history = &state->history;
    beginStep(history, state->tracks, currentFrame(state), selectedPlayerOf(state), "load %s",
              shown);
    for (int player = 0; player < PLAYER_COUNT; player++) recordTrack(history, player);
    // No clearing first: a file that cannot be read whole leaves the work on screen.
    const int result = loadTracking(state->loadFileName, state->tracks, state->video.nFrames,
                                    state->video.videoHeight);
    endStep(history);
    if (result == 0) {
        setStatusText(&state->status, "can't load %s (see the console)", shown);
        return result;
    }
    int keys = 0;
    for (const PlayerTrack& track : state->tracks) keys += track.keys.count;
    setStatusText(&state->status, "loaded %d keys from %s", keys, shown);
    // Loading the save file itself leaves nothing unsaved.
    char saveShown[ABSOLUTE_NAME_SIZE];
    absoluteName(state->saveFileName, saveShown, sizeof saveShown);
    if (result == 1 && std::strcmp(shown, saveShown) == 0) markSaved(history);
    return result;
}

void beginKeyEdit(AppState* state) {
    const int frame = currentFrame(state);
    const int player = selectedPlayerOf(state);
    char label[PLAYER_LABEL_SIZE];
    selectedLabel(state, label);
    const char* what = state->scene.editMode == EDIT_FEET_ONLY   ? "feet of"
                       : state->scene.editMode == EDIT_RECT_ONLY ? "rectangle of"
                                                                 : "key";
    beginStep(&state->history, state->tracks, frame, player, "%s %s at frame %d", what, label,
              frame);
    if (player >= 0) recordKey(&state->history, player, frame);
}

void endKeyEdit(AppState* state) {
    endStep(&state->history);
}

namespace {

// Says what an undo or a redo did ("undo: key O1 at frame 12"), or that there was
// nothing to do, and shows where it happened.
void reportStep(AppState* state, const UndoStep* step, const char* verb) {
    if (step == nullptr) {
        std::printf("nothing to %s\n", verb);
        setStatusText(&state->status, "nothing to %s", verb);
        return;
    }
    std::printf("%s: %s\n", verb, step->what);
    setStatusText(&state->status, "%s: %s", verb, step->what);
    showStep(state, *step);
}

}  // namespace

void undoCommand(AppState* state) {
    reportStep(state, undoStep(&state->history, state->tracks), "undo");
}

void redoCommand(AppState* state) {
    reportStep(state, redoStep(&state->history, state->tracks), "redo");
}

int timelineFrameAt(const FrameRange& range, int width, int x) {
    const int count = frameRangeLength(&range);
    if (width <= 0 || count <= 0) return range.firstFrame;
    // Without the clamp the last pixel columns (and the right edge itself, which the
    // hit test counts as inside) would give last + 1 and wrap round to the first frame.
    int64_t frame =
        static_cast<int64_t>(count) * (static_cast<int64_t>(x) + 1) / width + range.firstFrame;
    if (frame < range.firstFrame) frame = range.firstFrame;
    if (frame > range.lastFrame) frame = range.lastFrame;
    return static_cast<int>(frame);
}

void timelinePress(AppState* state, int x) {
    Timeline* timeline = &state->timeline;
    setCurrentFrame(&timeline->frames, timelineLoops(timeline),
                    timelineFrameAt(timeline->frames, timeline->w, x));
    seekToCurrentFrame(state);
}

bool timelineScrub(AppState* state, int x) {
    Timeline* timeline = &state->timeline;
    const int frame = timelineFrameAt(timeline->frames, timeline->w, x);
    if (frame == timeline->frames.currentFrame) return false;
    setCurrentFrame(&timeline->frames, timelineLoops(timeline), frame);
    seekToCurrentFrame(state);
    return true;
}

void toggleTrails(AppState* state) {
    state->scene.showTrails = !state->scene.showTrails;
}

void toggleNumbers(AppState* state) {
    state->scene.showNumbers = !state->scene.showNumbers;
}

void flipCamera(AppState* state) {
    state->scene.cameraHeading = -state->scene.cameraHeading;
    state->scene.cameraTilt = -state->scene.cameraTilt;
}

void toggleHelp(AppState* state) {
    toggleFlags(&state->shortcutsPanel, OBJ_HIDDEN);
}

void exitProgram(AppState* state) {
    // The exports of the last save are finished rather than left half written.
    waitForExports(&state->exporter, state);
    finishRecovery(state);
    releaseVideo(&state->video);
    std::fflush(stdout);
    std::exit(EXIT_BY_ESC);
}
