// Layout: where every window and widget of the tool goes, computed from the video's
// frame size and the sizes of the artwork pictures. No GL: composition asks this
// module and then creates what it says.
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
};

constexpr int TICKS_PER_SECOND = 30;  // frame timer rate of every window
constexpr int TIMELINE_HEIGHT = 28;
constexpr int HELP_WIDTH = 200;  // the help text's box before it is fitted to its lines
constexpr int HELP_HEIGHT = 220;
constexpr int WINDOW_3D_SIZE = 300;  // the 3D window is square
constexpr int VIEW_3D_MARGIN = 4;    // the 3D view's distance from the window's edges

struct Layout {
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
};

// Every rectangle of the three windows. Widgets are as large as their default
// pictures; a missing picture gives a 0 x 0 widget and moves its neighbours only
// by what the formulas make of 0.
Layout computeLayout(const LayoutInput& input);

// The "shortcuts" frame around the fitted help text: the text's rectangle with a
// title bar on top.
Rect shortcutsFrameRect(const Rect& fittedHelp);

// The view rectangle after its window was resized to width x height: the view keeps
// `aspect` (width / height, set from the view's own size at the first call, when it
// is 0 or less) and is centred, with bars on two sides. Integer parts truncate.
Rect reshapedViewRect(const Rect& view, double* aspect, int width, int height);
