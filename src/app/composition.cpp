// Sections: pictures; main window; composing the windows; the event loop.
#include "app/composition.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <initializer_list>

#include "app/app_callbacks.h"
#include "app/app_state.h"
#include "app/layout.h"
#include "app/screen_fit.h"
#include "toolkit/window.h"
#include "tracking/player_label.h"
#include "views/field_view.h"
#include "views/field_view_3d.h"
#include "views/subfield_view.h"
#include "widgets/bevel.h"
#include "widgets/bitmap_font.h"
#include "widgets/glyph_tables.h"
#include "widgets/image_file.h"

// ---- Pictures

namespace {

// The help text, line by line.
const char* const HELP_LINES[] = {
    "'space' : play/pause",      "'>' : next frame",
    "'<' : previous frame",      "'m' : next key frame",
    "'n' : previous key frame",  "'r' : delete key",
    "'p' : next player",         "'o' : previous player",
    "'s' : show player numbers", "'f' : flip camera direction",
    "'h' : open/close help",     "'Ctrl+Z' : undo",
    "'Ctrl+Y' : redo",           "'Ctrl+S' : save",
    "'t' : track forward",       "'T' : track backward",
    "'Esc' : exit program",
};

constexpr int CONTROL_ALPHA_THRESHOLD = 50;  // dark corners of the control pictures turn clear
constexpr int HELP_INDENT = 3;               // pixels left of each help line
constexpr int HELP_SPACING = 2;              // pixels below each help line
constexpr int HELP_LEVEL = 1;
constexpr int SHORTCUTS_LEVEL = 2;  // the last child of the main window: drawn over everything
constexpr Colour STATUS_TEXT_COLOUR = {0.95f, 0.95f, 0.85f};  // on the window's background

int missingPictures = 0;
const char* artworkDirectory = "";

// The pictures are kept for the whole run: textures do not own their pixels, and
// panels read them again when they build their lists.
Image loadPicture(const char* name, int alphaThreshold) {
    char path[IMAGE_PATH_SIZE];
    std::snprintf(path, sizeof path, "/textures/%s.png", name);
    Image picture = loadImageFile(path, artworkDirectory, alphaThreshold);
    if (picture.pixels == nullptr) ++missingPictures;
    return picture;
}

PictureSize sizeOf(const Image& picture) {
    return PictureSize{picture.width, picture.height};
}

// The upload format that matches the picture's bytes; a missing picture takes the
// format its kind would have.
int formatOf(const Image& picture, int expected) {
    if (picture.channels == 4) return TEXTURE_BGRA;
    if (picture.channels == 3) return TEXTURE_BGR;
    return expected;
}

// The three looks of a button (off state) and, for switches, the three of its on state.
struct ButtonPictures {
    Image look[BUTTON_LOOKS];
    Image switchLook[BUTTON_LOOKS];
};

ButtonPictures loadButtonPictures(const char* offName, const char* onName, int threshold) {
    static const char* const prefixes[BUTTON_LOOKS] = {"default", "press", "rollOver"};
    ButtonPictures pictures;
    char name[64];  // the longest is "rollOverSwitchModifyFeet"
    for (int i = 0; i < BUTTON_LOOKS; ++i) {
        std::snprintf(name, sizeof name, "%s%s", prefixes[i], offName);
        pictures.look[i] = loadPicture(name, threshold);
    }
    if (onName != nullptr) {
        for (int i = 0; i < BUTTON_LOOKS; ++i) {
            std::snprintf(name, sizeof name, "%s%s", prefixes[i], onName);
            pictures.switchLook[i] = loadPicture(name, threshold);
        }
    }
    return pictures;
}

// Every picture the windows show, loaded before any window exists because the
// sizes decide the layout.
struct Artwork {
    Image buttonBar;
    ButtonPictures play, previousFrame, nextFrame, previousKey, nextKey;
    ButtonPictures load, save, deleteKey, modifyFeet, modifyRect;
    Image smallField, field, field3D;
    ButtonPictures players[PLAYER_COUNT];
};

void loadArtwork(Artwork* art) {
    const int t = CONTROL_ALPHA_THRESHOLD;
    art->buttonBar = loadPicture("button bar", 0);
    art->play = loadButtonPictures("Play", "Pause", t);
    art->previousFrame = loadButtonPictures("Prev", nullptr, t);
    art->nextFrame = loadButtonPictures("Next", nullptr, t);
    art->previousKey = loadButtonPictures("PrevKey", nullptr, t);
    art->nextKey = loadButtonPictures("NextKey", nullptr, t);
    art->load = loadButtonPictures("Load", nullptr, t);
    art->save = loadButtonPictures("Save", nullptr, t);
    art->deleteKey = loadButtonPictures("DeleteKey", nullptr, t);
    art->modifyFeet = loadButtonPictures("ModifyFeet", "SwitchModifyFeet", t);
    art->modifyRect = loadButtonPictures("ModifyRect", "SwitchModifyRect", t);
    art->smallField = loadPicture("small football field", 0);
    char off[32], on[32];
    for (int p = 1; p <= SIDE_PLAYER_COUNT; ++p) {
        // O p shows picture number p, D p picture number p + 11.
        for (int index : {p - 1, p - 1 + SIDE_PLAYER_COUNT}) {
            const int n = index + 1;
            std::snprintf(off, sizeof off, "Button%d", n);
            std::snprintf(on, sizeof on, "SwitchButton%d", n);
            art->players[index] = loadButtonPictures(off, on, 0);
        }
    }
    art->field = loadPicture("football field", 0);
    art->field3D = loadPicture("football field 3D", 0);
}

LayoutInput layoutInputOf(const Artwork& art, const VideoSource& video) {
    LayoutInput in;
    in.videoWidth = video.videoWidth;
    in.videoHeight = video.videoHeight;
    in.buttonBar = sizeOf(art.buttonBar);
    in.play = sizeOf(art.play.look[LOOK_DEFAULT]);
    in.previousFrame = sizeOf(art.previousFrame.look[LOOK_DEFAULT]);
    in.nextFrame = sizeOf(art.nextFrame.look[LOOK_DEFAULT]);
    in.previousKey = sizeOf(art.previousKey.look[LOOK_DEFAULT]);
    in.nextKey = sizeOf(art.nextKey.look[LOOK_DEFAULT]);
    in.load = sizeOf(art.load.look[LOOK_DEFAULT]);
    in.save = sizeOf(art.save.look[LOOK_DEFAULT]);
    in.deleteKey = sizeOf(art.deleteKey.look[LOOK_DEFAULT]);
    in.modifyFeet = sizeOf(art.modifyFeet.look[LOOK_DEFAULT]);
    in.modifyRect = sizeOf(art.modifyRect.look[LOOK_DEFAULT]);
    in.smallField = sizeOf(art.smallField);
    for (int i = 0; i < PLAYER_COUNT; ++i)
        in.playerButtons[i] = sizeOf(art.players[i].look[LOOK_DEFAULT]);
    return in;
}

void setTexture(Texture* texture, const Image& picture, int expectedFormat, int updateFlags) {
    createTexture(texture, picture.pixels.get(), picture.width, picture.height, picture.channels,
                  formatOf(picture, expectedFormat), updateFlags);
}

// Gives the button its pictures, its release callback and OBJ_TEXTURED, and adds it
// to the current window.
void finishButton(Button* button, const ButtonPictures& pictures, int format,
                  DragCallback release) {
    setTexture(&button->texture, pictures.look[LOOK_DEFAULT], format, TEXTURE_STATIC);
    setTexture(&button->pressTexture, pictures.look[LOOK_PRESSED], format, TEXTURE_STATIC);
    setTexture(&button->rollOverTexture, pictures.look[LOOK_ROLL_OVER], format, TEXTURE_STATIC);
    setReleaseCallback(button, release);
    setFlags(button, OBJ_TEXTURED);
    addToCurrentWindow(button);
}

void finishSwitch(SwitchButton* button, const ButtonPictures& pictures, int format,
                  DragCallback release) {
    setTexture(&button->switchDefaultTexture, pictures.switchLook[LOOK_DEFAULT], format,
               TEXTURE_STATIC);
    setTexture(&button->switchPressTexture, pictures.switchLook[LOOK_PRESSED], format,
               TEXTURE_STATIC);
    setTexture(&button->switchRollOverTexture, pictures.switchLook[LOOK_ROLL_OVER], format,
               TEXTURE_STATIC);
    finishButton(button, pictures, format, release);
}

using ButtonConstructor = void (*)(Button*, int, int, int, int, const char*, int);

void makeButton(Button* button, ButtonConstructor construct, const Rect& r, const char* name,
                const ButtonPictures& pictures, DragCallback release) {
    construct(button, r.x, r.y, r.w, r.h, name, 0);
    finishButton(button, pictures, TEXTURE_BGRA, release);
}

// A window of the tool, made current: the shortcut keys work in all three.
void createToolWindow(const Rect& r, const char* title, WindowReshapeCallback reshape) {
    Window* window = createWindow(r.x, r.y, r.w, r.h, title, TICKS_PER_SECOND);
    setKeyboardCallback(window, applicationKeyHandler);
    window->reshape = reshape;
}

// A view of the scene over its field picture, added to the current window; the picture
// becomes its texture there.
void makeSceneView(AppState* s, View* view, const Rect& r, const char* name,
                   DisplayCallback display, Texture* texture, const Image& picture) {
    setTexture(texture, picture, TEXTURE_BGR, TEXTURE_STATIC);
    createView(view, r.x, r.y, r.w, r.h, name, 0);
    setViewBackground(view, 0, 0, 0, 0);
    setDisplayCallback(view, display);
    view->scene = &s->scene;
    view->artwork = texture;
    addToCurrentWindow(view);
}

// ---- Main window

// The status line: the last message and whether there are unsaved changes. Text too wide
// for the strip loses its beginning, so that the file name and the unsaved state show.
int drawStatusLine(InterfaceObject* object) {
    if (object->w <= 0 || object->h <= 0) return 1;
    char shown[STATUS_TEXT_SIZE + 32];
    statusLineShown(&app.status, hasUnsavedChanges(&app.history), shown, sizeof shown);
    const char* text = shown;
    const float room = static_cast<float>(object->w);
    char cut[sizeof shown + 3];
    if (textWidth(text, defaultFont) > room) {
        const float ellipsis = textWidth("...", defaultFont);
        while (*text != '\0' && textWidth(text, defaultFont) + ellipsis > room) ++text;
        std::snprintf(cut, sizeof cut, "...%s", text);
        text = cut;
    }
    glViewport(object->x, object->y, object->w, object->h);
    setColour(STATUS_TEXT_COLOUR);
    // The glyphs' cells centred on the strip.
    const float bottom = static_cast<float>(object->h - GLYPH_SIZE) / 2;
    drawText(text, 0, bottom, room, static_cast<float>(object->h), defaultFont);
    return 1;
}

void composeMainWindow(AppState* s, const Artwork& art, const Layout& l) {
    createToolWindow(l.mainWindow, s->video.videoFileName, mainWindowReshaped);

    createPanel(&s->buttonBar, l.buttonBar.x, l.buttonBar.y, l.buttonBar.w, l.buttonBar.h,
                "button bar", 0);
    setDefaultTexture(&s->buttonBar, art.buttonBar.pixels.get(), art.buttonBar.width,
                      art.buttonBar.height, art.buttonBar.channels,
                      formatOf(art.buttonBar, TEXTURE_BGR), 0);
    addToCurrentWindow(&s->buttonBar);

    const Rect& play = l.playButton;
    createPlayPauseButton(&s->playButton, play.x, play.y, play.w, play.h, ">", 0);
    finishSwitch(&s->playButton, art.play, TEXTURE_BGRA, playPauseReleased);
    makeButton(&s->previousFrameButton, createPrevButton, l.previousFrameButton, "|<",
               art.previousFrame, previousFrameReleased);
    makeButton(&s->nextFrameButton, createNextButton, l.nextFrameButton, "|<", art.nextFrame,
               nextFrameReleased);
    makeButton(&s->previousKeyButton, createPrevButton, l.previousKeyButton, "|<", art.previousKey,
               previousKeyReleased);
    makeButton(&s->nextKeyButton, createNextButton, l.nextKeyButton, "|<", art.nextKey,
               nextKeyReleased);
    makeButton(&s->loadButton, createButton, l.loadButton, "load", art.load, loadReleased);
    makeButton(&s->saveButton, createButton, l.saveButton, "save", art.save, saveReleased);
    makeButton(&s->deleteKeyButton, createButton, l.deleteKeyButton, "delete key", art.deleteKey,
               deleteKeyReleased);
    const Rect& feet = l.modifyFeetSwitch;
    createSwitchButton(&s->modifyFeetSwitch, feet.x, feet.y, feet.w, feet.h, "modify feet", 0);
    finishSwitch(&s->modifyFeetSwitch, art.modifyFeet, TEXTURE_BGRA, modifySwitchReleased);
    const Rect& rect = l.modifyRectSwitch;
    createSwitchButton(&s->modifyRectSwitch, rect.x, rect.y, rect.w, rect.h, "modify rect", 0);
    finishSwitch(&s->modifyRectSwitch, art.modifyRect, TEXTURE_BGRA, modifySwitchReleased);

    makeSceneView(s, &s->subfieldView, l.subfieldView, "subfield", drawSubfieldView,
                  &s->smallFieldTexture, art.smallField);

    char label[PLAYER_LABEL_SIZE];
    for (int p = 1; p <= SIDE_PLAYER_COUNT; ++p) {
        for (int index : {p - 1, p - 1 + SIDE_PLAYER_COUNT}) {
            playerLabelText(index, label);
            const Rect& r = l.playerButtons[index];
            createSwitchButton(&s->playerButtons[index], r.x, r.y, r.w, r.h, label, 0);
            finishSwitch(&s->playerButtons[index], art.players[index], TEXTURE_BGR,
                         playerButtonReleased);
        }
    }

    const Rect& video = l.videoPanel;
    createVideoView(&s->videoPanel, video.x, video.y, video.w, video.h, "video", 0, &s->scene);
    // The edit a drag makes is one undoable step.
    setReleaseCallback(&s->videoPanel, videoPanelReleased);
    // The source reads each frame into the same buffer, in the format the texture
    // stores (BGRA: a software driver copies it rather than converts it) and at the
    // panel's size: the texture is uploaded again at the first draw after each read,
    // not at every redraw. Its storage holds the whole video's size, for any layout.
    static_assert(VIDEO_FRAME_BGRA == TEXTURE_BGRA, "video frames and textures agree on BGRA");
    setVideoOutput(&s->video, video.w, video.h, VIDEO_FRAME_BGRA);
    setDefaultTexture(&s->videoPanel, s->video.frameImage, s->video.videoWidth,
                      s->video.videoHeight, 4, TEXTURE_BGRA, TEXTURE_STREAMED | TEXTURE_OPAQUE);
    setTextureImageSize(&s->videoPanel.texture, s->video.frameWidth, s->video.frameHeight);
    s->videoPanel.texture.pixelsVersion = &s->video.frameSerial;
    clearFlags(&s->videoPanel, OBJ_CACHED);
    // Shrunk (a display scale below 1, now or after a resize), each panel pixel blends
    // the frame's pixels under it rather than picking one, which would make fine lines
    // flicker; at 1:1 GL takes the magnifying filter, which stays exact.
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(s->videoPanel.texture.textureId));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    addToCurrentWindow(&s->videoPanel);

    const Rect& help = l.helpPanel;
    createTextPanel(&s->helpPanel, help.x, help.y, help.w, help.h, "help", HELP_LEVEL, defaultFont);
    for (const char* line : HELP_LINES) addTextLine(&s->helpPanel, line, HELP_INDENT, HELP_SPACING);
    fitTextPanel(&s->helpPanel);
    setFlags(&s->helpPanel, OBJ_CACHED);
    // Clicks on the text go to the frame around it, which moves.
    clearFlags(&s->helpPanel, OBJ_ACTIVE);

    const Rect frame =
        shortcutsFrameRect(Rect{s->helpPanel.x, s->helpPanel.y, s->helpPanel.w, s->helpPanel.h});
    createTitledFrame(&s->shortcutsPanel, frame.x, frame.y, frame.w, frame.h, "shortcuts",
                      SHORTCUTS_LEVEL);
    insertChild(&s->shortcutsPanel, &s->helpPanel);
    setFlags(&s->shortcutsPanel, OBJ_HIDDEN | OBJ_MOVABLE);
    addToCurrentWindow(&s->shortcutsPanel);

    const Rect& t = l.timeline;
    createTimeline(&s->timeline, t.x, t.y, t.w, t.h, "timeline", 0, 0, s->video.nFrames - 1);
    setPressCallback(&s->timeline, timelinePressed);
    setDragCallback(&s->timeline, timelineDragged);
    setIdleCallback(&s->timeline, timelineIdle);
    addToCurrentWindow(&s->timeline);
    s->scene.currentFrame = &s->timeline.frames.currentFrame;

    const Rect& status = l.statusLine;
    initObjectBasic(&s->statusPanel, status.x, status.y, status.w, status.h, "status", 0,
                    drawStatusLine);
    clearFlags(&s->statusPanel, OBJ_ACTIVE);  // clicks on it go nowhere
    addToCurrentWindow(&s->statusPanel);
}

}  // namespace

// ---- Composing the windows

int composeWindows(AppState* state, const char* programDirectory) {
    artworkDirectory = programDirectory;
    missingPictures = 0;
    static Artwork art;  // the pixels stay with the textures for the whole run
    loadArtwork(&art);
    state->layoutInput = layoutInputOf(art, state->video);
    screenSize(&state->layoutInput.screenWidth, &state->layoutInput.screenHeight);
    state->layout = computeLayout(state->layoutInput);
    const Layout& layout = state->layout;
    if (layout.displayScale < 1.0)
        std::printf("display scale %g (screen %dx%d)\n", layout.displayScale,
                    state->layoutInput.screenWidth, state->layoutInput.screenHeight);

    composeMainWindow(state, art, layout);
    // The field windows: one view each, which their reshape handlers keep centred at
    // its first aspect.
    createToolWindow(layout.fieldWindow, "football field", fieldWindowReshaped);
    makeSceneView(state, &state->fieldView, layout.fieldView, "field", fieldViewDisplay,
                  &state->fieldTexture, art.field);
    createToolWindow(layout.window3D, "3D view of football field", window3DReshaped);
    makeSceneView(state, &state->fieldView3D, layout.fieldView3D, "3D view of the field",
                  fieldView3DDisplay, &state->fieldTexture3D, art.field3D);
    // Closing any window ends the program as Esc does, so that none is left alone.
    setWindowClosedHook(windowClosed);
    dumpLayoutIfAsked(state);

    if (missingPictures > 0)
        std::printf("%d picture%s not loaded: the widgets concerned show no artwork\n",
                    missingPictures, missingPictures == 1 ? "" : "s");
    std::fflush(stdout);
    return missingPictures;
}

// ---- The event loop

namespace {

// Each window's context needs the font's display lists of its own.
void prepareWindow(int windowIndex) {
    if (windowIndex == 0)
        initFonts();
    else
        rebuildFontLists();
}

}  // namespace

void runWindows() {
    startWorkSafetyTimer();
    runInterface(prepareWindow);
}
