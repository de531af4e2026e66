// Layout: where every window and widget of the tool goes, computed from the video's
// frame size, the sizes of the artwork pictures and the screen. No GL: composition
// asks this module and then creates what it says.
//
// The video is shown at the display scale s <= 1, the largest that lets the three
// windows lie on the screen side by side; at s = 1 with the field window below the
// main window the arrangement is the tool's classic one, pixel for pixel. Controls,
// player buttons and text stay at 1:1: only the video panel and the views scale.
#pragma once

#include "tracking/player_track.h"

// A rectangle in window pixels, origin at the lower-left corner, y upward (for the
// windows: screen position of the top-left corner and client size).
struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

// Width and height of a picture in pixels; 0 x 0 when it could not be loaded.
struct PictureSize {
    int w = 0, h = 0;
};

// What the layout depends on: the video frame size and the default pictures.
struct LayoutInput {
    int videoWidth = 0;                                                // VW, pixels
    int videoHeight = 0;                                               // VH, pixels
    PictureSize buttonBar;                                             // "button bar.png": BW x BH
    PictureSize play, previousFrame, nextFrame, previousKey, nextKey;  // default pictures
    PictureSize load, save, deleteKey, modifyFeet, modifyRect;
    PictureSize smallField;                   // "small football field.png"
    PictureSize playerButtons[PLAYER_COUNT];  // default pictures, O1..O11 then D1..D11
    int screenWidth = 0;  // the screen in pixels; 0 when unknown: the video at 1:1
    int screenHeight = 0;
};

// Frame timer rate of every window: above 50, so that a 50 fps video gets a tick for
// each of its frames.
constexpr int TICKS_PER_SECOND = 60;
constexpr int TIMELINE_HEIGHT = 28;
constexpr int HELP_WIDTH = 200;  // the help text's box before it is fitted to its lines
constexpr int HELP_HEIGHT = 220;
constexpr int WINDOW_3D_SIZE = 300;  // the 3D window is square
constexpr int VIEW_3D_MARGIN = 4;    // the 3D view's distance from the window's edges

// Room a window manager's frame takes around a window's client area: the title bar
// above and a border on the other sides. The windows are placed so that their frames
// neither overlap nor leave the screen.
constexpr int WINDOW_TITLE_ROOM = 32;
constexpr int WINDOW_BORDER_ROOM = 4;
constexpr double MIN_DISPLAY_SCALE = 0.1;  // below this a video is not worth showing

// Where the field windows go: the classic arrangement puts the field window below
// the main window and the 3D window to its right; the column puts both right of the
// main window, the 3D window on top, for videos too big for the classic one.
enum WindowArrangement { FIELD_BELOW = 0, FIELD_COLUMN = 1 };

struct Layout {
    double displayScale = 1.0;  // video panel pixels per video pixel (videoPanel.w / VW)
    WindowArrangement arrangement = FIELD_BELOW;
    Rect mainWindow, fieldWindow, window3D;  // screen position (top-left) and client size
    Rect buttonBar;
    Rect playButton, previousFrameButton, nextFrameButton, previousKeyButton, nextKeyButton;
    Rect loadButton, saveButton, deleteKeyButton, modifyFeetSwitch, modifyRectSwitch;
    Rect subfieldView;
    Rect playerButtons[PLAYER_COUNT];  // O1..O11 then D1..D11
    Rect videoPanel;
    Rect helpPanel;  // before fitting: the frame around it follows the fitted size
    Rect timeline;
    Rect fieldView, fieldView3D;
    // A one-line text strip of the main window right of the button bar: it covers no
    // control and no part of the video, and stays inside the window at every scale
    // (it may be narrow, never negative).
    Rect statusLine;
};

// Every rectangle of the three windows at the largest display scale that fits the
// screen (1:1 when the screen is unknown). Widgets are as large as their default
// pictures; a missing picture gives a 0 x 0 widget and moves its neighbours only
// by what the formulas make of 0.
Layout computeLayout(const LayoutInput& input);
// The layout with the video panel videoPanelWidth pixels wide (1 .. VW) and the
// given arrangement; the windows are placed for the input's screen.
Layout layoutAtWidth(const LayoutInput& input, int videoPanelWidth, WindowArrangement arrangement);
// Whether every window's frame lies on the input's screen and no two frames overlap.
bool layoutFitsScreen(const Layout& layout, const LayoutInput& input);

// The main window's widgets after the window was resized to width x height: the
// largest scale (<= 1) whose main window fits in that size. The field windows keep
// their places. The main window's rectangle takes the given size.
Layout relayoutMainWindow(const Layout& current, const LayoutInput& input, int width, int height);
// The smallest main window that still holds every control, player button and the video
// at the smallest scale: a resize below it is undone.
Rect minimumMainWindow(const LayoutInput& input);

// The "shortcuts" frame around the fitted help text: the text's rectangle with a
// title bar on top.
Rect shortcutsFrameRect(const Rect& fittedHelp);

// The view rectangle after its window was resized to width x height: the view keeps
// `aspect` (width / height, set from the view's own size at the first call, when it
// is 0 or less) and is centred, with bars on two sides. Integer parts truncate.
Rect reshapedViewRect(const Rect& view, double* aspect, int width, int height);
