// The commands behind the buttons, the timeline and the shortcut keys, run on the
// application state with a real (small) video and without a display. Mouse clicks go
// through the toolkit's event dispatch, which flips a switch after its release
// callback as it does in the running tool.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <opencv2/core/utility.hpp>
#include <sstream>
#include <string>

#include "../tracking/track_keys.h"
#include "app/app_callbacks.h"
#include "app/app_state.h"
#include "app/commands.h"
#include "app/key_table.h"
#include "app/layout.h"
#include "temp_folder.h"
#include "test_clips.h"
#include "toolkit/event_dispatch.h"
#include "tracking/tracking_file.h"

namespace {

constexpr int CLIP_FRAMES = 6;
constexpr int CLIP_W = 64, CLIP_H = 48;
constexpr int WINDOW_H = 554;        // the test window's height, for GLUT's downward y
constexpr double PERIOD = 1.0 / 25;  // seconds per frame of the clip

std::string folder;
std::string clip;

InterfaceObject window;  // a main window without GLUT, for clicks
PointerState pointer;    // its pointer

class Commands : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
#if defined(__SANITIZE_THREAD__)
        // OpenCV's thread pool is not built with the thread sanitizer, which cannot see
        // its hand-overs; the tracker runs on the calling thread here instead.
        cv::setNumThreads(0);
#endif
        folder = clipFolder();  // the saved files go beside the clip
        clip = makeClip("clip.avi", CLIP_FRAMES, "-c:v mjpeg", CLIP_W, CLIP_H);
        ASSERT_FALSE(clip.empty()) << "ffmpeg could not make the clip";
    }
    static void TearDownTestSuite() {
        releaseVideo(&app.video);
        for (PlayerTrack& track : app.tracks) clearTrack(&track);
        listClear(&app.timeline.selection);
    }

    // The state as composition leaves it, without textures or windows.
    void SetUp() override {
        // The threads of the last test end before its state goes.
        waitForExports(&app.exporter, &app);
        int written = 0;
        uint64_t revision = 0;
        collectRecoveryWrite(&app.recovery.writer, true, &written, &revision);
        releaseVideo(&app.video);
        ASSERT_EQ(openVideo(&app.video, clip.c_str(), VIDEO_FRAME_BGR), 1);
        ASSERT_EQ(app.video.nFrames, CLIP_FRAMES);
        for (PlayerTrack& track : app.tracks) {
            clearTrack(&track);
            initTrack(&track);
        }
        listClear(&app.timeline.selection);
        app.scene = Scene();
        app.scene.tracks = app.tracks;
        app.scene.videoWidth = CLIP_W;
        app.scene.videoHeight = CLIP_H;
        app.editMode = nullptr;
        app.playback = PlaybackClock();
        clearFlags(&app.timeline, OBJ_PLAYING | OBJ_PRESSED);
        app.history = UndoHistory();
        app.recovery = Recovery();
        app.status = StatusLine();
        std::snprintf(app.saveFileName, sizeof app.saveFileName, "%s/saved.dat", folder.c_str());
        std::snprintf(app.loadFileName, sizeof app.loadFileName, "%s/saved.dat", folder.c_str());
        std::remove(app.saveFileName);

        LayoutInput in;
        in.videoWidth = 640;
        in.videoHeight = 480;
        in.buttonBar = {640, 40};
        in.modifyFeet = in.modifyRect = {100, 20};
        for (PictureSize& p : in.playerButtons) p = {80, 20};
        layout = computeLayout(in);

        initObjectBasic(&window, 1, 1, 810, WINDOW_H, "main", -1, nullptr);
        pointer = PointerState();
        const Rect& t = layout.timeline;
        createTimeline(&app.timeline, t.x, t.y, t.w, t.h, "timeline", 0, 0, CLIP_FRAMES - 1);
        app.scene.currentFrame = &app.timeline.frames.currentFrame;
        createPlayPauseButton(&app.playButton, 300, 8, 36, 32, ">", 0);
        createVideoView(&app.videoPanel, 2, 71, CLIP_W, CLIP_H, "video", 0, &app.scene);
        setReleaseCallback(&app.videoPanel, videoPanelReleased);
        insertChild(&window, &app.videoPanel);
        setPanelPixels(&app.videoPanel, app.video.frameImage);
        const Rect& f = layout.modifyFeetSwitch;
        createSwitchButton(&app.modifyFeetSwitch, f.x, f.y, f.w, f.h, "modify feet", 0);
        const Rect& r = layout.modifyRectSwitch;
        createSwitchButton(&app.modifyRectSwitch, r.x, r.y, r.w, r.h, "modify rect", 0);
        for (SwitchButton* s : {&app.modifyFeetSwitch, &app.modifyRectSwitch}) {
            setReleaseCallback(s, modifySwitchReleased);
            insertChild(&window, s);
        }
        for (int i = 0; i < PLAYER_COUNT; ++i) {
            const Rect& b = layout.playerButtons[i];
            createSwitchButton(&app.playerButtons[i], b.x, b.y, b.w, b.h, "player", 0);
            setReleaseCallback(&app.playerButtons[i], playerButtonReleased);
            insertChild(&window, &app.playerButtons[i]);
        }
        createTitledFrame(&app.shortcutsPanel, 220, 280, 150, 236, "shortcuts", 2);
        setFlags(&app.shortcutsPanel, OBJ_HIDDEN | OBJ_MOVABLE);
    }

    // A left click in the middle of r, through the toolkit's dispatch.
    static void click(const Rect& r) {
        const int x = r.x + r.w / 2, y = WINDOW_H - (r.y + r.h / 2);
        dispatchMouseButton(&window, &pointer, MOUSE_LEFT_BUTTON, MOUSE_BUTTON_DOWN, x, y);
        dispatchMouseButton(&window, &pointer, MOUSE_LEFT_BUTTON, MOUSE_BUTTON_UP, x, y);
    }

    // A drag on the video panel from (x1, y1) to (x0, y0), panel pixels y upward.
    static void dragOnVideo(int x1, int y1, int x0, int y0) {
        const int ox = app.videoPanel.x, oy = WINDOW_H - app.videoPanel.y;
        dispatchMouseButton(&window, &pointer, MOUSE_LEFT_BUTTON, MOUSE_BUTTON_DOWN, ox + x1,
                            oy - y1);
        dispatchMotion(&window, &pointer, ox + x0, oy - y0);
        dispatchMouseButton(&window, &pointer, MOUSE_LEFT_BUTTON, MOUSE_BUTTON_UP, ox + x0,
                            oy - y0);
    }
    // What runKeyCommand printed for key.
    static std::string keyOutput(int key) {
        testing::internal::CaptureStdout();
        runKeyCommand(&app, key);
        return testing::internal::GetCapturedStdout();
    }
    static std::string shownStatus() {
        char text[STATUS_TEXT_SIZE + 32];
        statusLineShown(&app.status, hasUnsavedChanges(&app.history), text, sizeof text);
        return text;
    }

    static int frame() {
        return app.timeline.frames.currentFrame;
    }
    // One playback tick at `seconds` on the playback clock.
    static bool step(double seconds) {
        return playbackStep(&app, seconds);
    }
    // A moment just after frame f is due, counted from the frame playback started at.
    static double due(int f) {
        return f * PERIOD + 1e-3;
    }
    static bool playing() {
        return isPlaying(&app.timeline);
    }
    static bool on(const InterfaceObject* o) {
        return flagsSet(o, OBJ_SWITCHED_ON);
    }
    static int playersOn() {
        int n = 0;
        for (const SwitchButton& b : app.playerButtons) n += on(&b) ? 1 : 0;
        return n;
    }
    // The selection holds exactly the track of player (or nothing for -1).
    static void expectSelection(int player) {
        EXPECT_EQ(app.scene.selectedPlayer, player);
        if (player < 0) {
            EXPECT_EQ(app.timeline.selection.count, 0);
            EXPECT_EQ(playersOn(), 0);
            return;
        }
        ASSERT_EQ(app.timeline.selection.count, 1);
        EXPECT_EQ(app.timeline.selection.head.next->payload, &app.tracks[player]);
        EXPECT_TRUE(on(&app.playerButtons[player]));
        EXPECT_EQ(playersOn(), 1);
    }
    static void addKeyAt(int player, int keyFrame, double feetX) {
        KeyFrame* key = new KeyFrame{};
        key->feetX = feetX;
        key->feetY = 10;
        key->rectX = feetX;
        key->rectY = 20;
        key->rectWidth = 8;
        key->rectHeight = 20;
        ASSERT_NE(addKey(&app.tracks[player], key, NODE_OWNS_PAYLOAD, keyFrame), nullptr);
    }
    static int keyCount(int player) {
        return app.tracks[player].keys.count;
    }
    static TrackKeys keysNow() {
        return keysOf(app.tracks);
    }

    Layout layout;
};

TEST_F(Commands, NextAndPreviousPlayerKeysWrapRound) {
    runKeyCommand(&app, 'p');
    expectSelection(0);  // none selected: O1
    runKeyCommand(&app, 'p');
    expectSelection(1);

    // Back to none with a click on the selected button, then 'o' also gives O1.
    click(layout.playerButtons[1]);
    expectSelection(-1);
    runKeyCommand(&app, 'o');
    expectSelection(0);

    runKeyCommand(&app, 'o');  // O1 + o: D11
    expectSelection(21);
    runKeyCommand(&app, 'p');  // D11 + p: O1
    expectSelection(0);
    EXPECT_FALSE(on(&app.playerButtons[21]));
}

TEST_F(Commands, ClicksOnPlayerButtonsMoveAndDropTheSelection) {
    click(layout.playerButtons[13]);  // D3
    expectSelection(13);
    click(layout.playerButtons[4]);  // O5: D3 goes off
    expectSelection(4);
    click(layout.playerButtons[4]);  // the selected one: nothing selected
    expectSelection(-1);
    click(layout.playerButtons[4]);
    expectSelection(4);
    runKeyCommand(&app, 'p');  // keys and clicks share one selection
    expectSelection(5);
    click(layout.playerButtons[5]);
    expectSelection(-1);
}

TEST_F(Commands, ModifySwitchesActAsAPair) {
    click(layout.modifyFeetSwitch);
    EXPECT_EQ(app.editMode, &app.modifyFeetSwitch);
    EXPECT_EQ(app.scene.editMode, EDIT_FEET_ONLY);
    EXPECT_TRUE(on(&app.modifyFeetSwitch));

    click(layout.modifyRectSwitch);
    EXPECT_EQ(app.editMode, &app.modifyRectSwitch);
    EXPECT_EQ(app.scene.editMode, EDIT_RECT_ONLY);
    EXPECT_FALSE(on(&app.modifyFeetSwitch));
    EXPECT_TRUE(on(&app.modifyRectSwitch));

    click(layout.modifyRectSwitch);
    EXPECT_EQ(app.editMode, nullptr);
    EXPECT_EQ(app.scene.editMode, EDIT_BOTH);
    EXPECT_FALSE(on(&app.modifyFeetSwitch));
    EXPECT_FALSE(on(&app.modifyRectSwitch));
}

TEST_F(Commands, PlaybackRunsToTheEndThenSpaceRewindsThenPlays) {
    runKeyCommand(&app, ' ');
    EXPECT_TRUE(playing());
    EXPECT_TRUE(on(&app.playButton)) << "space switches the button's look as a click does";
    EXPECT_FALSE(step(0.0)) << "the clock starts with the frame on show";
    for (int f = 1; f < CLIP_FRAMES; ++f) {
        ASSERT_TRUE(step(due(f)));
        EXPECT_EQ(frame(), f);
        EXPECT_EQ(currentVideoFrame(&app.video), f);
        EXPECT_EQ(app.videoPanel.texture.pixels, app.video.frameImage);
    }
    // The last frame's time over, no further frame: playback stops on the last frame.
    EXPECT_TRUE(step(due(CLIP_FRAMES)));
    EXPECT_FALSE(playing());
    EXPECT_EQ(frame(), CLIP_FRAMES - 1);
    EXPECT_EQ(app.video.frameImage, nullptr);
    EXPECT_FALSE(step(CLIP_FRAMES * PERIOD + 1)) << "paused: nothing to do";

    runKeyCommand(&app, ' ');  // the video has run out: rewind, stay paused
    EXPECT_FALSE(playing());
    EXPECT_EQ(frame(), 0);
    EXPECT_EQ(currentVideoFrame(&app.video), 0);
    runKeyCommand(&app, ' ');
    EXPECT_TRUE(playing());
    EXPECT_FALSE(step(10.0));
    ASSERT_TRUE(step(10.0 + due(1)));
    EXPECT_EQ(frame(), 1);
    runKeyCommand(&app, ' ');  // pause
    EXPECT_FALSE(playing());
    EXPECT_FALSE(step(20.0));
    EXPECT_EQ(frame(), 1);
    EXPECT_FALSE(on(&app.playButton)) << "four spaces, four switches";
}

TEST_F(Commands, PlaybackShowsTheFrameDueByTheVideosClock) {
    // A 25 fps clip ticked 30 times a second: 5 ticks in 6 bring a new frame, each the
    // one due at that moment.
    playPause(&app);
    int shown = 0;
    for (int tick = 0; tick <= 6; ++tick) {
        if (step(tick / 30.0 + 1e-3)) ++shown;
        EXPECT_EQ(frame(), static_cast<int>(tick / 30.0 / PERIOD)) << "tick " << tick;
    }
    EXPECT_EQ(shown, 5);
    EXPECT_EQ(currentVideoFrame(&app.video), frame());

    // A late tick skips the frames it is too late for.
    playPause(&app);
    timelinePress(&app, 0);
    playPause(&app);
    EXPECT_FALSE(step(50.0));
    ASSERT_TRUE(step(50.0 + due(4)));
    EXPECT_EQ(frame(), 4);
    EXPECT_EQ(currentVideoFrame(&app.video), 4);
    EXPECT_EQ(app.videoPanel.texture.pixels, app.video.frameImage);
}

TEST_F(Commands, HoldingTheTimelinePausesPlaybackAndScrubs) {
    playPause(&app);
    step(0.0);
    ASSERT_TRUE(step(due(1)));
    setFlags(&app.timeline, OBJ_PRESSED);
    EXPECT_FALSE(step(2 * PERIOD));
    EXPECT_FALSE(step(3 * PERIOD));
    EXPECT_EQ(frame(), 1);
    EXPECT_TRUE(playing());
    // Dragging while held moves the frame and the video with the pointer.
    const int w = app.timeline.w;
    EXPECT_TRUE(timelineScrub(&app, w - 1));
    EXPECT_EQ(frame(), CLIP_FRAMES - 1);
    EXPECT_EQ(currentVideoFrame(&app.video), CLIP_FRAMES - 1);
    EXPECT_FALSE(timelineScrub(&app, w)) << "the same frame: nothing to redraw";
    EXPECT_TRUE(timelineScrub(&app, w / 2));
    EXPECT_EQ(frame(), 3);
    EXPECT_EQ(currentVideoFrame(&app.video), 3);
    // Released, playback goes on from there at the video's pace.
    clearFlags(&app.timeline, OBJ_PRESSED);
    EXPECT_FALSE(step(30.0));
    ASSERT_TRUE(step(30.0 + due(1)));
    EXPECT_EQ(frame(), 4);
}

TEST_F(Commands, FrameStepsWrapAndMoveTheVideo) {
    runKeyCommand(&app, ',');
    EXPECT_EQ(frame(), CLIP_FRAMES - 1);
    EXPECT_EQ(currentVideoFrame(&app.video), CLIP_FRAMES - 1);
    runKeyCommand(&app, '.');
    EXPECT_EQ(frame(), 0);
    runKeyCommand(&app, '>');
    runKeyCommand(&app, '>');
    EXPECT_EQ(frame(), 2);
    EXPECT_EQ(currentVideoFrame(&app.video), 2);
    runKeyCommand(&app, '<');
    EXPECT_EQ(frame(), 1);
    EXPECT_EQ(currentVideoFrame(&app.video), 1);
}

TEST_F(Commands, KeyJumpsFollowTheSelectedPlayerOnly) {
    addKeyAt(3, 1, 10);
    addKeyAt(3, 4, 20);
    addKeyAt(5, 2, 30);
    runKeyCommand(&app, 'm');
    runKeyCommand(&app, 'n');
    EXPECT_EQ(frame(), 0) << "no player selected: the frame stays";

    click(layout.playerButtons[3]);
    runKeyCommand(&app, 'm');
    EXPECT_EQ(frame(), 1);
    EXPECT_EQ(currentVideoFrame(&app.video), 1);
    runKeyCommand(&app, 'm');
    EXPECT_EQ(frame(), 4);
    runKeyCommand(&app, 'm');  // wraps to the first key
    EXPECT_EQ(frame(), 1);
    runKeyCommand(&app, 'n');  // and back round to the last
    EXPECT_EQ(frame(), 4);
    EXPECT_EQ(currentVideoFrame(&app.video), 4);
}

TEST_F(Commands, DeleteRemovesOnlyTheSelectedPlayersKeyOnTheCurrentFrame) {
    addKeyAt(3, 2, 10);
    addKeyAt(3, 4, 20);
    addKeyAt(5, 2, 30);
    nextFrameCommand(&app);
    nextFrameCommand(&app);
    runKeyCommand(&app, 'r');
    EXPECT_EQ(keyCount(3), 2) << "nobody selected";
    click(layout.playerButtons[3]);
    runKeyCommand(&app, 'r');
    EXPECT_EQ(keyCount(3), 1);
    EXPECT_EQ(keyCount(5), 1);
    EXPECT_EQ(deleteKeyCommand(&app), 0) << "no key left on this frame";
}

TEST_F(Commands, TimelinePressFindsTheFrameUnderThePointerAtBothEnds) {
    FrameRange range{0, 99, 0};
    EXPECT_EQ(timelineFrameAt(range, 640, 0), 0);
    EXPECT_EQ(timelineFrameAt(range, 640, 319), 50);
    EXPECT_EQ(timelineFrameAt(range, 640, 632), 98);
    EXPECT_EQ(timelineFrameAt(range, 640, 633), 99);
    EXPECT_EQ(timelineFrameAt(range, 640, 639), 99) << "the last column is the last frame";
    EXPECT_EQ(timelineFrameAt(range, 640, 640), 99) << "the right edge is inside the strip";
    FrameRange offset{10, 14, 10};
    EXPECT_EQ(timelineFrameAt(offset, 100, 0), 10);
    EXPECT_EQ(timelineFrameAt(offset, 100, 19), 11);
    EXPECT_EQ(timelineFrameAt(offset, 100, 99), 14);
    EXPECT_EQ(timelineFrameAt(offset, 0, 5), 10) << "a strip without width";

    // The press on the real timeline moves the video with it.
    const int w = app.timeline.w;  // 640 for 6 frames
    timelinePress(&app, w);
    EXPECT_EQ(frame(), CLIP_FRAMES - 1);
    EXPECT_EQ(currentVideoFrame(&app.video), CLIP_FRAMES - 1);
    timelinePress(&app, w / 2);
    EXPECT_EQ(frame(), 3);  // 6 * 321 / 640
    EXPECT_EQ(currentVideoFrame(&app.video), 3);
    timelinePress(&app, 0);
    EXPECT_EQ(frame(), 0);
}

TEST_F(Commands, SaveThenLoadRestoresTheSavedKeysAndKeepsTheSelection) {
    click(layout.playerButtons[12]);  // D2
    addKeyAt(12, 1, 10);
    addKeyAt(12, 3, 20);
    ASSERT_EQ(saveCommand(&app), 1);
    const std::string saved = readFile(app.saveFileName);
    EXPECT_NE(saved.find("\nnPlayers\t1\n12\t10\t38\t10\t28\t8\t20\t1\n"), std::string::npos)
        << saved;
    EXPECT_NE(saved.find("\nnPlayers\t1\n12\t15\t38\t15\t28\t8\t20\t2\n"), std::string::npos)
        << saved;
    // The save started the exports, written while the work goes on on a copy of the
    // keys; 'e' writes them again.
    const std::string base = folder + "/saved";
    const std::string status = "export 3 rows to " + base + ".csv and " + base + ".mot.txt";
    addKeyAt(12, 2, 50);  // after the request: not in the exports
    waitForExports(&app.exporter, &app);
    EXPECT_FALSE(exportBusy(&app.exporter));
    EXPECT_EQ(app.status.text, status);
    EXPECT_EQ(readFile(base + ".mot.txt"),
              "2,13,6,18,8,20,1,1,1\n3,13,11,18,8,20,1,1,1\n4,13,16,18,8,20,1,1,1\n");
    std::remove((base + ".mot.txt").c_str());
    app.status.text[0] = '\0';
    // Asked for twice while running: the second runs after the first, with the key at 2.
    runKeyCommand(&app, 'e');
    runKeyCommand(&app, 'e');
    EXPECT_TRUE(exportBusy(&app.exporter));
    waitForExports(&app.exporter, &app);
    EXPECT_EQ(app.status.text, status);
    EXPECT_NE(readFile(base + ".csv").find("\n2,"), std::string::npos);
    EXPECT_NE(readFile(base + ".mot.txt").find("3,13,46,18,8,20,1,1,1\n"), std::string::npos);
    // Edit after saving, then load: the saved keys come back.
    deleteKeyCommand(&app);  // frame 0: nothing there
    addKeyAt(12, 5, 99);
    addKeyAt(2, 2, 50);
    ASSERT_EQ(loadCommand(&app), 1);
    EXPECT_EQ(keyCount(12), 2);
    EXPECT_EQ(keyCount(2), 0);
    EXPECT_EQ(lastKey(&app.tracks[12])->frame, 3);
    expectSelection(12);
    EXPECT_NE(app.tracks[12].selectionEntry, nullptr);
    runKeyCommand(&app, 'm');  // the selection still drives the key jumps
    EXPECT_EQ(frame(), 1);
    EXPECT_FALSE(hasUnsavedChanges(&app.history)) << "the save file itself was loaded";

    // The whole load is one step: Ctrl+Z brings the edits back.
    EXPECT_EQ(keyOutput(KEY_CTRL_Z), std::string("undo: load ") + app.loadFileName + "\n");
    EXPECT_EQ(keyCount(12), 4);  // 1, 2, 3 and 5
    EXPECT_EQ(keyCount(2), 1);
}

TEST_F(Commands, UndoAndRedoTakeTheTracksFrameAndSelectionBackAndSayWhat) {
    click(layout.playerButtons[0]);  // O1
    dragOnVideo(10, 5, 30, 40);
    nextFrameCommand(&app);
    nextFrameCommand(&app);
    click(layout.playerButtons[12]);  // D2
    dragOnVideo(20, 10, 40, 30);
    click(layout.modifyFeetSwitch);
    dragOnVideo(5, 6, 5, 6);  // replaces D2's key: the feet only
    click(layout.modifyFeetSwitch);
    const TrackKeys edited = keysNow();
    EXPECT_EQ(keyOutput('r'), "");
    EXPECT_EQ(keyCount(12), 0);
    click(layout.playerButtons[12]);  // nobody selected, on another frame
    previousFrameCommand(&app);

    EXPECT_EQ(keyOutput(KEY_CTRL_Z), "undo: delete key of D2 at frame 2\n");
    EXPECT_TRUE(keysNow() == edited);
    EXPECT_EQ(frame(), 2);
    EXPECT_EQ(currentVideoFrame(&app.video), 2);
    expectSelection(12);
    EXPECT_EQ(shownStatus(), "undo: delete key of D2 at frame 2 - unsaved changes");
    EXPECT_EQ(keyOutput(KEY_CTRL_Z), "undo: feet of D2 at frame 2\n");
    EXPECT_EQ(keyOutput(KEY_CTRL_Z), "undo: key D2 at frame 2\n");
    EXPECT_EQ(keyCount(12), 0);
    EXPECT_EQ(keyOutput(KEY_CTRL_Z), "undo: key O1 at frame 0\n");
    EXPECT_EQ(frame(), 0);
    expectSelection(0);
    EXPECT_TRUE(keysNow().empty());
    EXPECT_EQ(keyOutput(KEY_CTRL_Z), "nothing to undo\n");
    EXPECT_EQ(shownStatus(), "nothing to undo") << "back at the saved state: an empty file";

    // Ctrl+Shift+Z comes as Ctrl+Z with Shift held; it redoes as Ctrl+Y does.
    EXPECT_EQ(keyOutput(keyWithModifiers(KEY_CTRL_Z, true)), "redo: key O1 at frame 0\n");
    for (int i = 0; i < 3; i++) runKeyCommand(&app, KEY_CTRL_Y);
    EXPECT_EQ(keyCount(12), 0);
    EXPECT_EQ(keyOutput(KEY_CTRL_Z), "undo: delete key of D2 at frame 2\n");
    EXPECT_TRUE(keysNow() == edited);

    // Ctrl+S saves as the button does; the status names the file.
    const std::string said = keyOutput(KEY_CTRL_S);  // the exports may follow at once
    EXPECT_EQ(said.rfind(std::string("save 6 frames data in ") + app.saveFileName + "\n", 0), 0u);
    EXPECT_EQ(shownStatus(), std::string("saved 6 frames to ") + app.saveFileName);
    waitForExports(&app.exporter, &app);
    runKeyCommand(&app, KEY_CTRL_Z);
    EXPECT_EQ(shownStatus(), "undo: feet of D2 at frame 2 - unsaved changes");
    // A new change after an undo drops what could have been redone.
    dragOnVideo(1, 1, 9, 9);
    EXPECT_EQ(keyOutput(KEY_CTRL_Y), "nothing to redo\n");
}

TEST_F(Commands, RecoveryCopyFollowsTheChangesIsLoadedAtTheNextStartAndGoesWithASave) {
    const std::string copy = std::string(app.saveFileName) + ".autosave";
    const std::string expected = folder + "/expected.dat";
    EXPECT_EQ(recoverAtStart(&app), 0);
    EXPECT_EQ(app.recovery.fileName, copy);
    click(layout.playerButtons[3]);
    dragOnVideo(10, 5, 30, 40);

    // Written a while after the change, not at once.
    recoveryTick(&app, 100.0);
    recoveryTick(&app, 100.0 + RECOVERY_DELAY_SECONDS - 0.5);
    EXPECT_FALSE(recoveryWriteStarted(&app.recovery.writer));
    recoveryTick(&app, 100.0 + RECOVERY_DELAY_SECONDS);
    EXPECT_TRUE(recoveryWriteStarted(&app.recovery.writer));
    while (recoveryWriteStarted(&app.recovery.writer)) recoveryTick(&app, 200.0);
    writeTracking(expected.c_str(), app.tracks, CLIP_FRAMES, CLIP_H, &app.registration);
    EXPECT_EQ(readFile(copy), readFile(expected));

    // What changed since is written at the end, whatever the last write held.
    nextFrameCommand(&app);
    dragOnVideo(20, 10, 40, 30);
    testing::internal::CaptureStdout();
    finishRecovery(&app);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "unsaved changes kept in " + copy + "\n");
    writeTracking(expected.c_str(), app.tracks, CLIP_FRAMES, CLIP_H, &app.registration);
    EXPECT_EQ(readFile(copy), readFile(expected));

    // The next start loads it as unsaved changes, one step to undo.
    for (PlayerTrack& track : app.tracks) clearTrack(&track);
    app.history = UndoHistory();
    app.recovery = Recovery();
    testing::internal::CaptureStdout();
    EXPECT_EQ(recoverAtStart(&app), 2);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("recovered 2 keys from " + copy),
              std::string::npos);
    const std::string again = folder + "/again.dat";
    writeTracking(again.c_str(), app.tracks, CLIP_FRAMES, CLIP_H, &app.registration);
    EXPECT_EQ(readFile(again), readFile(expected)) << "the same keys, as the file holds them";
    EXPECT_EQ(shownStatus(), "recovered 2 keys from " + copy + " - unsaved changes");
    runKeyCommand(&app, KEY_CTRL_Z);
    EXPECT_TRUE(keysNow().empty());
    runKeyCommand(&app, KEY_CTRL_Y);
    ASSERT_EQ(saveCommand(&app), 1);
    EXPECT_NE(access(copy.c_str(), F_OK), 0) << "a save removes the copy";
    waitForExports(&app.exporter, &app);

    // A copy no newer than the save file is stale: not loaded.
    writeTracking(copy.c_str(), app.tracks, CLIP_FRAMES, CLIP_H, &app.registration);
    const timespec past[2] = {{1, 0}, {1, 0}};
    utimensat(AT_FDCWD, copy.c_str(), past, 0);
    for (PlayerTrack& track : app.tracks) clearTrack(&track);
    EXPECT_EQ(recoverAtStart(&app), 0);
    EXPECT_EQ(keyCount(3), 0);

    // A copy that cannot be written is said once, and tried again only after a change.
    std::snprintf(app.recovery.fileName, sizeof app.recovery.fileName, "%s/missing/x.autosave",
                  folder.c_str());
    dragOnVideo(1, 1, 9, 9);
    testing::internal::CaptureStdout();
    for (double t = 300.0; t < 300.0 + 3 * RECOVERY_DELAY_SECONDS; t += 1.0) {
        recoveryTick(&app, t);
        while (recoveryWriteStarted(&app.recovery.writer)) recoveryTick(&app, t);
    }
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_EQ(said, std::string("can't create the file ") + app.recovery.fileName +
                        "!\ncan't write the recovery file " + app.recovery.fileName +
                        ": unsaved changes are not kept!\n");
}

TEST_F(Commands, ARecoveryCopyThatCannotBeReadWholeChangesNothingAndIsKept) {
    addKeyAt(7, 2, 10);
    const TrackKeys before = keysNow();
    const std::string copy = std::string(app.saveFileName) + ".autosave";
    for (const char* text : {"nFrames\t6\nfieldPosition\tn\ntotalNPlayers\t22\n\nnPlayers\t1\n3\t1",
                             "garbage\n", ""}) {
        std::ofstream(copy) << text;
        app.recovery = Recovery();
        EXPECT_EQ(recoverAtStart(&app), 0);
        EXPECT_TRUE(keysNow() == before);
        EXPECT_FALSE(hasUnsavedChanges(&app.history));
        EXPECT_EQ(readFile(copy), text);
        EXPECT_NE(app.recovery.fileName, copy) << "this run keeps its copy elsewhere";
    }
    // This run's own copy goes beside it and leaves it alone.
    click(layout.playerButtons[3]);
    dragOnVideo(10, 5, 30, 40);
    finishRecovery(&app);
    EXPECT_EQ(readFile(copy), "");
    EXPECT_EQ(readFile(app.recovery.fileName).rfind("nFrames\t6\n", 0), 0u);
    std::remove(app.recovery.fileName);
    std::remove(copy.c_str());
}

TEST_F(Commands, LoadOfAnUnreadableFileLeavesTheWorkAsItWas) {
    addKeyAt(7, 2, 10);
    std::snprintf(app.loadFileName, sizeof app.loadFileName, "%s/missing.dat", folder.c_str());
    EXPECT_EQ(loadCommand(&app), 0);
    EXPECT_EQ(keyCount(7), 1);

    // A file cut short in its second block.
    std::snprintf(app.loadFileName, sizeof app.loadFileName, "%s/cut.dat", folder.c_str());
    std::ofstream(app.loadFileName) << "nFrames\t6\nfieldPosition\tn\ntotalNPlayers\t22\n\n"
                                       "nPlayers\t1\n3\t1\t2\t3\t4\t5\t6\t1\n\nnPlayers\t2\n3\t1";
    EXPECT_NE(loadCommand(&app), 1);
    EXPECT_EQ(keyCount(7), 1);
    EXPECT_EQ(keyCount(3), 0);
}

TEST_F(Commands, ViewSwitchKeysAndHelp) {
    runKeyCommand(&app, 'd');
    EXPECT_EQ(app.scene.showTrails, 0);
    runKeyCommand(&app, 'd');
    EXPECT_EQ(app.scene.showTrails, 1);
    runKeyCommand(&app, 's');
    EXPECT_EQ(app.scene.showNumbers, 1);
    runKeyCommand(&app, 'f');
    EXPECT_EQ(app.scene.cameraHeading, -90.0);
    EXPECT_EQ(app.scene.cameraTilt, -70.0);
    runKeyCommand(&app, 'h');
    EXPECT_FALSE(flagsSet(&app.shortcutsPanel, OBJ_HIDDEN));
    EXPECT_TRUE(flagsSet(&app.shortcutsPanel, OBJ_MOVABLE));
    runKeyCommand(&app, 'h');
    EXPECT_TRUE(flagsSet(&app.shortcutsPanel, OBJ_HIDDEN));
}

TEST_F(Commands, TrackingRunsInTheIdleWorkAndEndsWithItsKeysAndAStatus) {
    // Without a player, or backward from frame 0, a run does not start.
    runKeyCommand(&app, 't');
    EXPECT_STREQ(app.status.text, "tracking needs a selected player");
    selectPlayer(&app, 13);
    addKey(&app.tracks[13], new KeyFrame{0, 32, 10, 32, 24, 24, 28}, NODE_OWNS_PAYLOAD, 0);
    runKeyCommand(&app, 'T');
    EXPECT_STREQ(app.status.text,
                 "tracking of D3 cannot start at frame 0: nothing to track after the previous "
                 "key or the start");
    EXPECT_FALSE(trackingRunActive(&app.trackingRun));

    // Space stops a run at once (and does not play): nothing was tracked.
    runKeyCommand(&app, 't');
    ASSERT_TRUE(trackingRunActive(&app.trackingRun)) << app.status.text;
    runKeyCommand(&app, ' ');
    EXPECT_FALSE(trackingRunActive(&app.trackingRun));
    EXPECT_FALSE(playing());
    EXPECT_STREQ(app.status.text, "tracking of D3 stopped at frame 0: stopped by the user");
    EXPECT_EQ(app.tracks[13].keys.count, 1);

    // Left to the idle work, the run ends on its own: the frame and the video are where
    // it stopped, and its keys (tracked, none past the stop) are in the track.
    // While it runs the video shows the box it follows on the frame it reached.
    runKeyCommand(&app, 't');
    while (trackingRunActive(&app.trackingRun)) {
        ASSERT_TRUE(app.scene.hasLiveBox);
        EXPECT_EQ(app.scene.liveBox.rectX, app.trackingRun.path.back().rectX);
        EXPECT_EQ(frame(), app.trackingRun.stopFrame);
        ASSERT_TRUE(trackingStep(&app));
    }
    EXPECT_FALSE(app.scene.hasLiveBox);
    EXPECT_FALSE(trackingStep(&app));
    int stoppedAt = -1;
    char reason[64] = {};
    ASSERT_EQ(std::sscanf(app.status.text, "tracking of D3 stopped at frame %d: %63[^\n]",
                          &stoppedAt, reason),
              2)
        << app.status.text;
    EXPECT_EQ(frame(), stoppedAt);
    EXPECT_EQ(currentVideoFrame(&app.video), stoppedAt);
    EXPECT_EQ(keyFrameOf(firstKey(&app.tracks[13]))->flags, 0);
    for (KeyNode* k = nextKey(&app.tracks[13], firstKey(&app.tracks[13])); k != nullptr;
         k = nextKey(&app.tracks[13], k)) {
        EXPECT_EQ(keyFrameOf(k)->flags, KEY_FLAG_TRACKED);
        EXPECT_LE(k->frame, stoppedAt);
    }
    if (std::string(reason) == "end of the video") {
        EXPECT_EQ(stoppedAt, CLIP_FRAMES - 1);
        EXPECT_EQ(lastKey(&app.tracks[13])->frame, CLIP_FRAMES - 1);
    }
    // The whole run is one undo step: one Ctrl+Z leaves the hand-made key alone.
    const int runKeys = app.tracks[13].keys.count;
    ASSERT_GT(runKeys, 1);
    runKeyCommand(&app, KEY_CTRL_Z);
    EXPECT_EQ(app.tracks[13].keys.count, 1);
    EXPECT_EQ(firstKey(&app.tracks[13])->frame, 0);
    runKeyCommand(&app, KEY_CTRL_Y);
    EXPECT_EQ(app.tracks[13].keys.count, runKeys);
    deselectTrack(&app.timeline.selection, &app.tracks[13]);
}

TEST_F(Commands, KeysWithoutACommandSayNotAvailableAndChangeNothing) {
    for (int key :
         std::initializer_list<int>{'H', 'P', 'S', 'a', 'u', 'z', 20, 117, '0', 127, 200}) {
        testing::internal::CaptureStdout();
        EXPECT_FALSE(runKeyCommand(&app, key)) << key;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "key not available\n") << key;
        EXPECT_EQ(keyCommand(key), nullptr) << key;
    }
    EXPECT_EQ(app.scene.selectedPlayer, -1);
    EXPECT_EQ(frame(), 0);
    // Only the low byte counts.
    EXPECT_EQ(keyCommand(0x100 + 'p'), keyCommand('p'));
    EXPECT_NE(keyCommand('p'), nullptr);
    runKeyCommand(&app, 0x300 + '.');
    EXPECT_EQ(frame(), 1);
}

TEST_F(Commands, EscReleasesTheVideoAndExitsWithOne) {
    // The video source decodes in a thread of its own, which a plain fork leaves
    // behind holding its locks: the child runs the test again from the start.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(runKeyCommand(&app, 27), testing::ExitedWithCode(EXIT_BY_ESC), "");
}

}  // namespace
