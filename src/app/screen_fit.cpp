#include "app/screen_fit.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tracking/player_label.h"

namespace {

void place(InterfaceObject* object, const Rect& r) {
    object->x = r.x;
    object->y = r.y;
    object->w = r.w;
    object->h = r.h;
}

// How far a span [start, start + size) must move to lie within [0, limit), the start
// kept when it cannot.
int shiftInside(int start, int size, int limit) {
    if (start + size > limit) return std::max(0, limit - size) - start;
    if (start < 0) return -start;
    return 0;
}

}  // namespace

void placeMainWidgets(AppState* s) {
    const Layout& l = s->layout;
    place(&s->buttonBar, l.buttonBar);
    place(&s->playButton, l.playButton);
    place(&s->previousFrameButton, l.previousFrameButton);
    place(&s->nextFrameButton, l.nextFrameButton);
    place(&s->previousKeyButton, l.previousKeyButton);
    place(&s->nextKeyButton, l.nextKeyButton);
    place(&s->loadButton, l.loadButton);
    place(&s->saveButton, l.saveButton);
    place(&s->deleteKeyButton, l.deleteKeyButton);
    place(&s->modifyFeetSwitch, l.modifyFeetSwitch);
    place(&s->modifyRectSwitch, l.modifyRectSwitch);
    place(&s->subfieldView, l.subfieldView);
    for (int i = 0; i < PLAYER_COUNT; ++i) place(&s->playerButtons[i], l.playerButtons[i]);
    place(&s->videoPanel, l.videoPanel);
    // Frames come at the panel's new size from now on, the one on show at once.
    setVideoOutput(&s->video, l.videoPanel.w, l.videoPanel.h, VIDEO_FRAME_BGRA);
    setTextureImageSize(&s->videoPanel.texture, s->video.frameWidth, s->video.frameHeight);
    place(&s->timeline, l.timeline);
    place(&s->statusPanel, l.statusLine);
    TitledFrame* frame = &s->shortcutsPanel;
    const int dx = shiftInside(frame->x, frame->w, l.mainWindow.w);
    const int dy = shiftInside(frame->y, frame->h, l.mainWindow.h);
    if (dx != 0 || dy != 0) moveWalk(frame, dx, dy);
}

bool mainWindowResized(AppState* s, int width, int height) {
    if (width == s->layout.mainWindow.w && height == s->layout.mainWindow.h) return false;
    s->layout = relayoutMainWindow(s->layout, s->layoutInput, width, height);
    placeMainWidgets(s);
    return true;
}

int writeLayoutDump(const AppState* s, const char* fileName) {
    static int dumps = 0;
    const std::string temporary = std::string(fileName) + ".part";
    FILE* f = std::fopen(temporary.c_str(), "w");
    if (f == nullptr) return 0;
    const Layout& l = s->layout;
    auto line = [f](const char* name, const Rect& r) {
        std::fprintf(f, "%s %d %d %d %d\n", name, r.x, r.y, r.w, r.h);
    };
    auto object = [f](const char* name, const InterfaceObject& o) {
        std::fprintf(f, "%s %d %d %d %d\n", name, o.x, o.y, o.w, o.h);
    };
    std::fprintf(f, "dump %d\nscale %.9g\nscreen %d %d\n", ++dumps, l.displayScale,
                 s->layoutInput.screenWidth, s->layoutInput.screenHeight);
    line("mainWindow", l.mainWindow);
    line("fieldWindow", l.fieldWindow);
    line("window3D", l.window3D);
    object("buttonBar", s->buttonBar);
    object("playButton", s->playButton);
    object("previousFrameButton", s->previousFrameButton);
    object("nextFrameButton", s->nextFrameButton);
    object("previousKeyButton", s->previousKeyButton);
    object("nextKeyButton", s->nextKeyButton);
    object("loadButton", s->loadButton);
    object("saveButton", s->saveButton);
    object("deleteKeyButton", s->deleteKeyButton);
    object("modifyFeetSwitch", s->modifyFeetSwitch);
    object("modifyRectSwitch", s->modifyRectSwitch);
    object("subfieldView", s->subfieldView);
    char label[PLAYER_LABEL_SIZE];
    for (int i = 0; i < PLAYER_COUNT; ++i) {
        playerLabelText(i, label);
        object(label, s->playerButtons[i]);
    }
    object("videoPanel", s->videoPanel);
    object("timeline", s->timeline);
    object("shortcutsPanel", s->shortcutsPanel);
    object("helpPanel", s->helpPanel);
    line("statusLine", l.statusLine);
    object("fieldView", s->fieldView);
    object("fieldView3D", s->fieldView3D);
    const bool written = !std::ferror(f);
    if (std::fclose(f) != 0 || !written || std::rename(temporary.c_str(), fileName) != 0) {
        std::remove(temporary.c_str());
        return 0;
    }
    return 1;
}

void dumpLayoutIfAsked(const AppState* s) {
    const char* fileName = std::getenv(LAYOUT_DUMP_VARIABLE);
    if (fileName == nullptr || fileName[0] == '\0') return;
    if (!writeLayoutDump(s, fileName)) std::printf("can't create the file %s!\n", fileName);
}
