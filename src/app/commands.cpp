#include "app/commands.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tracking/tracking_file.h"

namespace {

void seekToCurrentFrame(AppState* state) {
    seekVideo(&state->video, state->timeline.frames.currentFrame);
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
    return deleteKeysAtCurrentFrame(&state->timeline.selection,
                                    state->timeline.frames.currentFrame);
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
    const int saved = saveTracking(state->saveFileName, state->tracks, state->video.nFrames,
                                   state->video.videoHeight, &state->registration);
    // The exports follow every save that succeeded, so they never lag behind the file;
    // they are written while the user goes on.
    if (saved == 1) requestExport(&state->exporter, state);
    return saved;
}

bool exportCommand(AppState* state) {
    return requestExport(&state->exporter, state);
}

int loadCommand(AppState* state) {
    // No clearing first: a file that cannot be read whole leaves the work on screen.
    return loadTracking(state->loadFileName, state->tracks, state->video.nFrames,
                        state->video.videoHeight);
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
    releaseVideo(&state->video);
    std::fflush(stdout);
    std::exit(EXIT_BY_ESC);
}
