#include "app/layout.h"

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

Rect sized(int x, int y, PictureSize size) {
    return Rect{x, y, size.w, size.h};
}

}  // namespace

Layout computeLayout(const LayoutInput& in) {
    const int VW = in.videoWidth, VH = in.videoHeight;
    const int BW = in.buttonBar.w, BH = in.buttonBar.h;
    Layout l;

    l.mainWindow = Rect{1, 1, VW + SIDE_STRIP, VH + BH + MAIN_EXTRA_HEIGHT};
    l.buttonBar = Rect{0, 0, BW, BH};

    // The play button sits on the bar's centre; the others spread from it with
    // small overlaps so that their rounded ends meet.
    l.playButton = sized((BW - in.play.w) / 2 - 2, (BH - in.play.h) / 2 + 4, in.play);
    const Rect& play = l.playButton;
    l.previousFrameButton = sized(play.x - in.previousFrame.w + 6, play.y + 10, in.previousFrame);
    l.nextFrameButton = sized(play.x + play.w - 6, play.y + 10, in.nextFrame);
    l.previousKeyButton = sized(l.previousFrameButton.x - in.previousKey.w + 2,
                                l.previousFrameButton.y, in.previousKey);
    l.nextKeyButton =
        sized(l.nextFrameButton.x + l.nextFrameButton.w - 2, l.nextFrameButton.y, in.nextKey);
    l.loadButton = sized(l.nextKeyButton.x + l.nextKeyButton.w - 2, l.nextKeyButton.y, in.load);
    l.saveButton = sized(l.loadButton.x + l.loadButton.w - 2, l.loadButton.y, in.save);
    l.deleteKeyButton = sized(l.saveButton.x + l.saveButton.w - 3, l.saveButton.y, in.deleteKey);
    l.modifyFeetSwitch =
        sized(l.previousKeyButton.x - in.modifyFeet.w + 3, l.previousKeyButton.y, in.modifyFeet);
    l.modifyRectSwitch =
        sized(l.modifyFeetSwitch.x - in.modifyRect.w + 2, l.modifyFeetSwitch.y, in.modifyRect);

    l.subfieldView = sized(VW + 4, BH + 1, in.smallField);

    for (int p = 1; p <= SIDE_PLAYER_COUNT; ++p) {
        const PictureSize o = in.playerButtons[p - 1];
        const PictureSize d = in.playerButtons[p - 1 + SIDE_PLAYER_COUNT];
        l.playerButtons[p - 1] =
            sized(VW + O_COLUMN, (o.h + 1) * (SIDE_PLAYER_COUNT - p) + PLAYER_ROW_BASE + BH, o);
        l.playerButtons[p - 1 + SIDE_PLAYER_COUNT] =
            sized(VW + D_COLUMN, (d.h + 1) * (SIDE_PLAYER_COUNT - p) + PLAYER_ROW_BASE + BH, d);
    }

    l.videoPanel = Rect{2, BH + 31, VW, VH};
    l.helpPanel = Rect{VW / 2 - 100, VH - 240 + BH, HELP_WIDTH, HELP_HEIGHT};
    l.timeline = Rect{2, BH + 1, VW, TIMELINE_HEIGHT};

    const int FW = VW + SIDE_STRIP;
    l.fieldWindow = Rect{1, l.mainWindow.h + FIELD_WINDOW_GAP, FW, FW / 2 + 1};
    l.fieldView = Rect{2, 0, VW + 168, FW / 2 - 2};
    l.window3D = Rect{VW + WINDOW_3D_GAP, 1, WINDOW_3D_SIZE, WINDOW_3D_SIZE};
    l.fieldView3D = Rect{VIEW_3D_MARGIN, VIEW_3D_MARGIN, WINDOW_3D_SIZE - 2 * VIEW_3D_MARGIN,
                         WINDOW_3D_SIZE - 2 * VIEW_3D_MARGIN};
    return l;
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
