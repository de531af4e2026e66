#include "app/layout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tracking/player_label.h"
#include "widgets/titled_frame.h"

namespace {

constexpr int SIDE_STRIP = 170;        // main and field windows are this much wider than the video
constexpr int MAIN_EXTRA_HEIGHT = 34;  // the timeline strip and margins above the bar
constexpr int FIELD_WINDOW_GAP = 50;   // pixels between the main window and the field window
constexpr int WINDOW_3D_GAP = 180;     // the 3D window's left edge is this far right of VW
constexpr int PLAYER_ROW_BASE = 95;    // bottom row of player buttons, above the bar
constexpr int O_COLUMN = 4;            // O buttons: this far right of the video
constexpr int D_COLUMN = 87;           // D buttons: this far right of the video
constexpr int VIDEO_BOTTOM = 31;       // the video panel's distance above the bar
constexpr int TIMELINE_BOTTOM = 1;     // the timeline's distance above the bar
constexpr int HELP_LEFT = 100;         // the help text's left edge, left of the video's middle
constexpr int HELP_BELOW_TOP = 240;    // the help text's bottom, below the video's top
constexpr int WINDOW_ORIGIN = 1;       // the main window's screen position (x and y)
constexpr int COLUMN_GAP = 8;          // between the main window's frame and the column's
constexpr int MIN_FIELD_WIDTH = 560;   // narrowest field window a smaller video may buy
constexpr int CONTROL_MARGIN = 2;      // free pixels kept right of and above the controls
constexpr int STATUS_GAP = 4;          // between the button bar and the status text
constexpr int STATUS_MIN_WIDTH = 120;  // status room kept when the window must widen anyway
constexpr int STATUS_LINE_HEIGHT = 16;

Rect sized(int x, int y, PictureSize size) {
    return Rect{x, y, size.w, size.h};
}

int right(const Rect& r) {
    return r.x + r.w;
}

int top(const Rect& r) {
    return r.y + r.h;
}

// The screen area a window's frame takes: its client area with the title bar above
// and borders round the rest.
Rect footprint(const Rect& window) {
    return Rect{window.x, window.y, window.w + 2 * WINDOW_BORDER_ROOM,
                window.h + WINDOW_TITLE_ROOM + WINDOW_BORDER_ROOM};
}

bool overlap(const Rect& a, const Rect& b) {
    return a.x < right(b) && b.x < right(a) && a.y < top(b) && b.y < top(a);
}

bool screenKnown(const LayoutInput& in) {
    return in.screenWidth > 0 && in.screenHeight > 0;
}

int scaledHeight(const LayoutInput& in, int videoPanelWidth) {
    if (in.videoWidth <= 0) return in.videoHeight;
    const int64_t h = (static_cast<int64_t>(in.videoHeight) * videoPanelWidth * 2 + in.videoWidth) /
                      (2 * static_cast<int64_t>(in.videoWidth));
    return static_cast<int>(h);
}

// The controls of the button bar, spread from the play button.
void placeControls(const LayoutInput& in, Layout* l) {
    const int BW = in.buttonBar.w, BH = in.buttonBar.h;
    l->buttonBar = Rect{0, 0, BW, BH};
    // The play button sits on the bar's centre; the others spread from it with
    // small overlaps so that their rounded ends meet.
    l->playButton = sized((BW - in.play.w) / 2 - 2, (BH - in.play.h) / 2 + 4, in.play);
    const Rect& play = l->playButton;
    l->previousFrameButton = sized(play.x - in.previousFrame.w + 6, play.y + 10, in.previousFrame);
    l->nextFrameButton = sized(play.x + play.w - 6, play.y + 10, in.nextFrame);
    l->previousKeyButton = sized(l->previousFrameButton.x - in.previousKey.w + 2,
                                 l->previousFrameButton.y, in.previousKey);
    l->nextKeyButton = sized(right(l->nextFrameButton) - 2, l->nextFrameButton.y, in.nextKey);
    l->loadButton = sized(right(l->nextKeyButton) - 2, l->nextKeyButton.y, in.load);
    l->saveButton = sized(right(l->loadButton) - 2, l->loadButton.y, in.save);
    l->deleteKeyButton = sized(right(l->saveButton) - 3, l->saveButton.y, in.deleteKey);
    l->modifyFeetSwitch =
        sized(l->previousKeyButton.x - in.modifyFeet.w + 3, l->previousKeyButton.y, in.modifyFeet);
    l->modifyRectSwitch =
        sized(l->modifyFeetSwitch.x - in.modifyRect.w + 2, l->modifyFeetSwitch.y, in.modifyRect);
}

// The main window's widgets for a video panel vw x vh, and the window's size: the
// classic size where it holds every control, else widened or heightened to hold them.
void placeMainWindow(const LayoutInput& in, int vw, int vh, Layout* l) {
    const int BH = in.buttonBar.h;
    placeControls(in, l);
    l->subfieldView = sized(vw + 4, BH + 1, in.smallField);
    for (int p = 1; p <= SIDE_PLAYER_COUNT; ++p) {
        const PictureSize o = in.playerButtons[p - 1];
        const PictureSize d = in.playerButtons[p - 1 + SIDE_PLAYER_COUNT];
        l->playerButtons[p - 1] =
            sized(vw + O_COLUMN, (o.h + 1) * (SIDE_PLAYER_COUNT - p) + PLAYER_ROW_BASE + BH, o);
        l->playerButtons[p - 1 + SIDE_PLAYER_COUNT] =
            sized(vw + D_COLUMN, (d.h + 1) * (SIDE_PLAYER_COUNT - p) + PLAYER_ROW_BASE + BH, d);
    }
    l->videoPanel = Rect{2, BH + VIDEO_BOTTOM, vw, vh};
    l->timeline = Rect{2, BH + TIMELINE_BOTTOM, vw, TIMELINE_HEIGHT};
    l->helpPanel = Rect{vw / 2 - HELP_LEFT, vh - HELP_BELOW_TOP + BH, HELP_WIDTH, HELP_HEIGHT};
    if (l->helpPanel.y < 0) l->helpPanel.y = 0;

    int needWidth = in.buttonBar.w, needHeight = 0;
    const Rect* controls[] = {&l->playButton,        &l->previousFrameButton, &l->nextFrameButton,
                              &l->previousKeyButton, &l->nextKeyButton,       &l->loadButton,
                              &l->saveButton,        &l->deleteKeyButton,     &l->subfieldView};
    for (const Rect* r : controls) {
        if (right(*r) > needWidth) needWidth = right(*r);
        if (top(*r) > needHeight) needHeight = top(*r);
    }
    for (const Rect& r : l->playerButtons) {
        if (right(r) + CONTROL_MARGIN > needWidth) needWidth = right(r) + CONTROL_MARGIN;
        if (top(r) + CONTROL_MARGIN > needHeight) needHeight = top(r) + CONTROL_MARGIN;
    }
    int w = vw + SIDE_STRIP, h = vh + BH + MAIN_EXTRA_HEIGHT;
    // A narrow video would leave controls outside the window; the widened window
    // also keeps room for the status text.
    if (w < needWidth) w = std::max(needWidth, in.buttonBar.w + STATUS_GAP + STATUS_MIN_WIDTH);
    if (h < needHeight) h = needHeight;
    l->mainWindow = Rect{WINDOW_ORIGIN, WINDOW_ORIGIN, w, h};
}

void placeStatusLine(const LayoutInput& in, Layout* l) {
    int x = in.buttonBar.w;
    const Rect* bar[] = {&l->playButton,        &l->previousFrameButton, &l->nextFrameButton,
                         &l->previousKeyButton, &l->nextKeyButton,       &l->loadButton,
                         &l->saveButton,        &l->deleteKeyButton};
    for (const Rect* r : bar)
        if (right(*r) > x) x = right(*r);
    x += STATUS_GAP;
    // Beside the bar, below the subfield view and the player buttons.
    const int h = std::min(STATUS_LINE_HEIGHT, std::max(0, in.buttonBar.h));
    const int y = std::max(0, (in.buttonBar.h - h) / 2);
    const int w = l->mainWindow.w - CONTROL_MARGIN - x;
    l->statusLine = Rect{std::min(x, l->mainWindow.w), y, std::max(0, w), h};
}

void placeFieldWindows(const LayoutInput& in, WindowArrangement arrangement, Layout* l) {
    const Rect& main = l->mainWindow;
    int fieldX, fieldY, fieldW;
    if (arrangement == FIELD_BELOW) {
        fieldX = WINDOW_ORIGIN;
        fieldY = main.h + FIELD_WINDOW_GAP;
        fieldW = main.w;
        l->window3D = Rect{main.w + WINDOW_3D_GAP - SIDE_STRIP, WINDOW_ORIGIN, WINDOW_3D_SIZE,
                           WINDOW_3D_SIZE};
    } else {
        const int columnX = right(footprint(main)) + COLUMN_GAP;
        l->window3D = Rect{columnX, WINDOW_ORIGIN, WINDOW_3D_SIZE, WINDOW_3D_SIZE};
        fieldX = columnX;
        fieldY = top(footprint(l->window3D)) + COLUMN_GAP;
        fieldW = screenKnown(in) ? in.screenWidth - fieldX - 2 * WINDOW_BORDER_ROOM : main.w;
    }
    if (screenKnown(in)) {
        // The field window keeps the plan's 2 : 1 and fits below what is above it; no
        // narrower than MIN_FIELD_WIDTH (then the layout does not fit, and a smaller
        // video is tried).
        const int room = in.screenHeight - fieldY - WINDOW_TITLE_ROOM - WINDOW_BORDER_ROOM - 1;
        fieldW = std::min(fieldW, 2 * room);
        fieldW = std::max(fieldW, std::min(MIN_FIELD_WIDTH, main.w));
    }
    l->fieldWindow = Rect{fieldX, fieldY, fieldW, fieldW / 2 + 1};
    l->fieldView = Rect{2, 0, fieldW - 2, fieldW / 2 - 2};
    l->fieldView3D = Rect{VIEW_3D_MARGIN, VIEW_3D_MARGIN, WINDOW_3D_SIZE - 2 * VIEW_3D_MARGIN,
                          WINDOW_3D_SIZE - 2 * VIEW_3D_MARGIN};
}

int smallestPanelWidth(const LayoutInput& in) {
    const int w = static_cast<int>(std::ceil(in.videoWidth * MIN_DISPLAY_SCALE));
    return std::max(1, std::min(w, in.videoWidth));
}

int64_t fieldArea(const Layout& l) {
    return static_cast<int64_t>(l.fieldWindow.w) * l.fieldWindow.h;
}

}  // namespace

Layout layoutAtWidth(const LayoutInput& in, int videoPanelWidth, WindowArrangement arrangement) {
    Layout l;
    const int vw = videoPanelWidth;
    l.displayScale = in.videoWidth > 0 ? static_cast<double>(vw) / in.videoWidth : 1.0;
    l.arrangement = arrangement;
    placeMainWindow(in, vw, scaledHeight(in, vw), &l);
    placeStatusLine(in, &l);
    placeFieldWindows(in, arrangement, &l);
    return l;
}

bool layoutFitsScreen(const Layout& l, const LayoutInput& in) {
    const Rect frames[] = {footprint(l.mainWindow), footprint(l.fieldWindow),
                           footprint(l.window3D)};
    for (const Rect& f : frames)
        if (f.x < 0 || f.y < 0 || right(f) > in.screenWidth || top(f) > in.screenHeight)
            return false;
    return !overlap(frames[0], frames[1]) && !overlap(frames[0], frames[2]) &&
           !overlap(frames[1], frames[2]);
}

Layout computeLayout(const LayoutInput& in) {
    const Layout classic = layoutAtWidth(in, in.videoWidth, FIELD_BELOW);
    if (!screenKnown(in) || in.videoWidth <= 0) return classic;
    // The classic layout: the video at 1:1 and the field window as wide as the main one.
    if (classic.fieldWindow.w == classic.mainWindow.w && layoutFitsScreen(classic, in))
        return classic;
    // The largest video each arrangement allows; the larger wins, and between equals
    // the one with the larger field window.
    const int smallest = smallestPanelWidth(in);
    Layout best;
    bool found = false;
    for (WindowArrangement arrangement : {FIELD_BELOW, FIELD_COLUMN}) {
        for (int vw = in.videoWidth; vw >= smallest; --vw) {
            Layout l = layoutAtWidth(in, vw, arrangement);
            if (!layoutFitsScreen(l, in)) continue;
            if (!found || l.videoPanel.w > best.videoPanel.w ||
                (l.videoPanel.w == best.videoPanel.w && fieldArea(l) > fieldArea(best)))
                best = l;
            found = true;
            break;
        }
    }
    // A screen too small for any arrangement gets the most compact one.
    return found ? best : layoutAtWidth(in, smallest, FIELD_COLUMN);
}

Layout relayoutMainWindow(const Layout& current, const LayoutInput& in, int width, int height) {
    Layout l = layoutAtWidth(in, smallestPanelWidth(in), current.arrangement);
    for (int vw = std::max(in.videoWidth, 1); vw > smallestPanelWidth(in); --vw) {
        Layout candidate = layoutAtWidth(in, vw, current.arrangement);
        if (candidate.mainWindow.w <= width && candidate.mainWindow.h <= height) {
            l = candidate;
            break;
        }
    }
    l.mainWindow = Rect{current.mainWindow.x, current.mainWindow.y, width, height};
    placeStatusLine(in, &l);
    l.fieldWindow = current.fieldWindow;
    l.fieldView = current.fieldView;
    l.window3D = current.window3D;
    l.fieldView3D = current.fieldView3D;
    return l;
}

Rect minimumMainWindow(const LayoutInput& in) {
    return layoutAtWidth(in, smallestPanelWidth(in), FIELD_BELOW).mainWindow;
}

Rect shortcutsFrameRect(const Rect& fittedHelp) {
    return Rect{fittedHelp.x, fittedHelp.y, fittedHelp.w, fittedHelp.h + TITLE_BAR_HEIGHT};
}

Rect reshapedViewRect(const Rect& view, double* aspect, int width, int height) {
    if (*aspect <= 0.0 && view.h > 0) *aspect = static_cast<double>(view.w) / view.h;
    // A window shrunk to nothing, or a view that never had a height, keeps its place.
    if (*aspect <= 0.0 || width <= 0 || height <= 0) return view;
    Rect out = view;
    if (*aspect < static_cast<double>(width) / height) {
        out.h = height;
        out.w = static_cast<int>(*aspect * height);
    } else {
        out.w = width;
        out.h = static_cast<int>(width / *aspect);
    }
    out.x = (width - out.w) / 2;
    out.y = (height - out.h) / 2;
    return out;
}
