// Where the windows and widgets go for a video size and a set of picture sizes, and
// how the field windows' views follow a resize.
#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "app/layout.h"

namespace {

LayoutInput input640(int playerPictureHeight = 20) {
    LayoutInput in;
    in.videoWidth = 640;
    in.videoHeight = 480;
    in.buttonBar = {640, 40};
    in.play = {36, 32};
    in.previousFrame = {28, 20};
    in.nextFrame = {30, 20};
    in.previousKey = {34, 20};
    in.nextKey = {35, 20};
    in.load = {56, 20};
    in.save = {57, 20};
    in.deleteKey = {90, 20};
    in.modifyFeet = {106, 20};
    in.modifyRect = {104, 20};
    in.smallField = {164, 82};
    for (PictureSize& p : in.playerButtons) p = {80, playerPictureHeight};
    return in;
}

void expectRect(const Rect& r, int x, int y, int w, int h, const char* what) {
    EXPECT_EQ(r.x, x) << what;
    EXPECT_EQ(r.y, y) << what;
    EXPECT_EQ(r.w, w) << what;
    EXPECT_EQ(r.h, h) << what;
}

}  // namespace

TEST(Layout, WindowsAndMainWidgetsOfA640x480Video) {
    const Layout l = computeLayout(input640());
    expectRect(l.mainWindow, 1, 1, 810, 554, "main window");
    expectRect(l.fieldWindow, 1, 604, 810, 406, "field window");
    expectRect(l.window3D, 820, 1, 300, 300, "3D window");
    expectRect(l.buttonBar, 0, 0, 640, 40, "button bar");
    expectRect(l.videoPanel, 2, 71, 640, 480, "video panel");
    expectRect(l.timeline, 2, 41, 640, 28, "timeline");
    expectRect(l.subfieldView, 644, 41, 164, 82, "subfield view");
    expectRect(l.fieldView, 2, 0, 808, 403, "field view");
    expectRect(l.fieldView3D, 4, 4, 292, 292, "3D view");
    expectRect(l.helpPanel, 220, 280, 200, 220, "help text");
}

TEST(Layout, ControlButtonsSpreadFromThePlayButtonWithTheirOverlaps) {
    const Layout l = computeLayout(input640());
    expectRect(l.playButton, 300, 8, 36, 32, "play");  // (640 - 36) / 2 - 2, (40 - 32) / 2 + 4
    expectRect(l.previousFrameButton, 278, 18, 28, 20, "previous frame");  // 300 - 28 + 6
    expectRect(l.nextFrameButton, 330, 18, 30, 20, "next frame");          // 300 + 36 - 6
    expectRect(l.previousKeyButton, 246, 18, 34, 20, "previous key");      // 278 - 34 + 2
    expectRect(l.nextKeyButton, 358, 18, 35, 20, "next key");              // 330 + 30 - 2
    expectRect(l.loadButton, 391, 18, 56, 20, "load");                     // 358 + 35 - 2
    expectRect(l.saveButton, 445, 18, 57, 20, "save");                     // 391 + 56 - 2
    expectRect(l.deleteKeyButton, 499, 18, 90, 20, "delete key");          // 445 + 57 - 3
    expectRect(l.modifyFeetSwitch, 143, 18, 106, 20, "modify feet");       // 246 - 106 + 3
    expectRect(l.modifyRectSwitch, 41, 18, 104, 20, "modify rect");        // 143 - 104 + 2
}

TEST(Layout, PlayerButtonsStandInTwoColumnsFromO1AtTheTop) {
    const Layout l = computeLayout(input640(20));
    expectRect(l.playerButtons[0], 644, 345, 80, 20, "O1");
    expectRect(l.playerButtons[10], 644, 135, 80, 20, "O11");
    expectRect(l.playerButtons[11], 727, 345, 80, 20, "D1");
    expectRect(l.playerButtons[21], 727, 135, 80, 20, "D11");
    for (int p = 1; p < 11; ++p) {
        EXPECT_EQ(l.playerButtons[p - 1].y - l.playerButtons[p].y, 21) << "rows 21 apart";
        EXPECT_EQ(l.playerButtons[p].y, l.playerButtons[p + 11].y) << "O and D share a row";
    }

    // Taller pictures spread the rows; each button takes its own picture's height.
    LayoutInput tall = input640(24);
    tall.playerButtons[12] = {80, 30};  // D2
    const Layout t = computeLayout(tall);
    EXPECT_EQ(t.playerButtons[0].y, 25 * 10 + 135);
    EXPECT_EQ(t.playerButtons[12].y, 31 * 9 + 135);
    EXPECT_EQ(t.playerButtons[12].h, 30);
}

TEST(Layout, FollowsTheVideoSizeAndTheBarHeight) {
    LayoutInput in = input640();
    in.videoWidth = 1280;
    in.videoHeight = 720;
    in.buttonBar = {640, 50};
    const Layout l = computeLayout(in);
    expectRect(l.mainWindow, 1, 1, 1450, 804, "main window");  // 720 + 50 + 34
    expectRect(l.fieldWindow, 1, 854, 1450, 726, "field window");
    expectRect(l.window3D, 1460, 1, 300, 300, "3D window");
    expectRect(l.videoPanel, 2, 81, 1280, 720, "video panel");
    expectRect(l.timeline, 2, 51, 1280, 28, "timeline");
    EXPECT_EQ(l.playerButtons[10].y, 145);  // 95 + BH
    EXPECT_EQ(l.playerButtons[21].x, 1367);
    EXPECT_EQ(l.playButton.y, (50 - 32) / 2 + 4);
    expectRect(l.helpPanel, 540, 530, 200, 220, "help text");
}

TEST(Layout, MissingPicturesGiveEmptyWidgetsAndTheRestStillFits) {
    LayoutInput in = input640();
    in.buttonBar = {};
    in.play = {};
    in.playerButtons[0] = {};
    const Layout l = computeLayout(in);
    expectRect(l.mainWindow, 1, 1, 810, 514, "main window without the bar");
    expectRect(l.playButton, -2, 4, 0, 0, "play without a picture");
    EXPECT_EQ(l.previousFrameButton.x, -2 - 28 + 6);
    EXPECT_EQ(l.nextFrameButton.x, -2 + 0 - 6);
    expectRect(l.playerButtons[0], 644, 105, 0, 0, "O1 without a picture");  // (0 + 1) * 10 + 95
    EXPECT_EQ(l.playerButtons[1].y, 21 * 9 + 95);
}

TEST(Layout, ShortcutsFrameAddsTheTitleBarAboveTheText) {
    const Rect frame = shortcutsFrameRect(Rect{220, 280, 152, 216});
    expectRect(frame, 220, 280, 152, 236, "shortcuts frame");
}

TEST(Reshape, TwiceAsWideKeepsTheHeightAndAspectAndCentres) {
    const Layout l = computeLayout(input640());
    double aspect = -1.0;
    // The window's first reshape reports its created size.
    Rect first = reshapedViewRect(l.fieldView, &aspect, 810, 406);
    EXPECT_DOUBLE_EQ(aspect, 808.0 / 403.0);
    expectRect(first, 0, 1, 810, 403, "at the created size");  // 810 * 403 / 808 = 403.99

    Rect wide = reshapedViewRect(first, &aspect, 1620, 406);
    EXPECT_EQ(wide.h, 406);
    EXPECT_EQ(wide.w, static_cast<int>(808.0 / 403.0 * 406));  // 814
    EXPECT_EQ(wide.x, (1620 - wide.w) / 2);
    EXPECT_EQ(wide.y, 0);
    EXPECT_DOUBLE_EQ(aspect, 808.0 / 403.0) << "the aspect is fixed at the first reshape";

    // Taller than the aspect: full width, bars above and below.
    Rect tall = reshapedViewRect(wide, &aspect, 500, 900);
    EXPECT_EQ(tall.w, 500);
    EXPECT_EQ(tall.h, static_cast<int>(500 / (808.0 / 403.0)));  // 249
    EXPECT_EQ(tall.x, 0);
    EXPECT_EQ(tall.y, (900 - 249) / 2);
}

TEST(Reshape, SquareViewStaysSquareAndANullWindowChangesNothing) {
    double aspect = 0.0;
    Rect view{4, 4, 292, 292};
    Rect filled = reshapedViewRect(view, &aspect, 300, 300);
    expectRect(filled, 0, 0, 300, 300, "3D view at the created size");
    Rect wide = reshapedViewRect(filled, &aspect, 601, 300);
    expectRect(wide, 150, 0, 300, 300, "3D view in a wide window");
    Rect none = reshapedViewRect(wide, &aspect, 0, 0);
    expectRect(none, 150, 0, 300, 300, "minimised");
}

// ---- Screen fit

namespace {

std::vector<Rect> mainWidgets(const Layout& l) {
    std::vector<Rect> all = {l.playButton,        l.previousFrameButton, l.nextFrameButton,
                             l.previousKeyButton, l.nextKeyButton,       l.loadButton,
                             l.saveButton,        l.deleteKeyButton,     l.modifyFeetSwitch,
                             l.modifyRectSwitch,  l.subfieldView,        l.videoPanel,
                             l.timeline};
    all.insert(all.end(), std::begin(l.playerButtons), std::end(l.playerButtons));
    return all;
}

bool inside(const Rect& r, int w, int h) {
    return r.x >= 0 && r.y >= 0 && r.x + r.w <= w && r.y + r.h <= h;
}

bool overlaps(const Rect& a, const Rect& b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

// A window's frame on the screen: title bar above, borders round the rest.
Rect frameOf(const Rect& window) {
    return Rect{window.x, window.y, window.w + 2 * WINDOW_BORDER_ROOM,
                window.h + WINDOW_TITLE_ROOM + WINDOW_BORDER_ROOM};
}

// Every control on the main window and off the video; the status strip over nothing.
void expectUsableMainWindow(const Layout& l, const std::string& what) {
    const std::vector<Rect> widgets = mainWidgets(l);
    for (size_t i = 0; i < widgets.size(); ++i) {
        EXPECT_TRUE(inside(widgets[i], l.mainWindow.w, l.mainWindow.h)) << what << " widget " << i;
        EXPECT_FALSE(overlaps(widgets[i], l.statusLine)) << what << " status over widget " << i;
        if (i < 11 || i >= 13) {  // controls and player buttons
            EXPECT_FALSE(overlaps(widgets[i], l.videoPanel) || overlaps(widgets[i], l.timeline))
                << what << " widget " << i << " over the video or the timeline";
        }
    }
    EXPECT_TRUE(inside(l.statusLine, l.mainWindow.w, l.mainWindow.h)) << what;
    EXPECT_GE(l.statusLine.w, 0) << what;
}

}  // namespace

TEST(ScreenFit, EveryVideoFitsEveryScreenAtTheLargestScale) {
    const int videos[][2] = {{320, 240},  {640, 480},   {1024, 576},
                             {1280, 720}, {1920, 1080}, {3840, 2160}};
    const int screens[][2] = {{1366, 768}, {1920, 1080}, {2560, 1440}};
    for (const auto& screen : screens) {
        for (const auto& video : videos) {
            LayoutInput in = input640(24);
            in.videoWidth = video[0];
            in.videoHeight = video[1];
            in.screenWidth = screen[0];
            in.screenHeight = screen[1];
            const Layout l = computeLayout(in);
            const std::string what = std::to_string(video[0]) + "x" + std::to_string(video[1]) +
                                     " on " + std::to_string(screen[0]) + "x" +
                                     std::to_string(screen[1]);
            std::printf("%-22s scale %.3f  %s  field window %dx%d\n", what.c_str(), l.displayScale,
                        l.arrangement == FIELD_BELOW ? "below " : "column", l.fieldWindow.w,
                        l.fieldWindow.h);

            const Rect frames[3] = {frameOf(l.mainWindow), frameOf(l.fieldWindow),
                                    frameOf(l.window3D)};
            for (int i = 0; i < 3; ++i) {
                EXPECT_TRUE(inside(frames[i], screen[0], screen[1])) << what << " window " << i;
                for (int j = i + 1; j < 3; ++j)
                    EXPECT_FALSE(overlaps(frames[i], frames[j])) << what << " windows " << i << j;
            }
            expectUsableMainWindow(l, what);
            EXPECT_EQ(l.fieldWindow.h, l.fieldWindow.w / 2 + 1) << what << ": the plan's 2 : 1";
            EXPECT_LE(l.displayScale, 1.0);
            EXPECT_EQ(l.videoPanel.w, static_cast<int>(l.displayScale * video[0] + 0.5)) << what;
            EXPECT_NEAR(l.videoPanel.h, l.displayScale * video[1], 0.5) << what;
            // The largest scale: one pixel more fits in neither arrangement.
            if (l.videoPanel.w < video[0]) {
                for (WindowArrangement a : {FIELD_BELOW, FIELD_COLUMN})
                    EXPECT_FALSE(layoutFitsScreen(layoutAtWidth(in, l.videoPanel.w + 1, a), in))
                        << what;
            }
            if (screen[0] == 1920 && video[0] == 1920) {
                EXPECT_GE(l.displayScale, 0.55);
                EXPECT_GE(l.fieldWindow.w, 560);
            }
            if (screen[0] == 1920 && video[0] == 1280) {
                EXPECT_GE(l.displayScale, 0.8);
            }
        }
    }
}

TEST(ScreenFit, TheClassicLayoutStaysPixelForPixelWhereItFits) {
    const Layout classic = computeLayout(input640(24));  // no screen: 1:1
    for (int screenHeight : {1080, 1200}) {
        LayoutInput in = input640(24);
        in.screenWidth = 1920;
        in.screenHeight = screenHeight;
        const Layout l = computeLayout(in);
        EXPECT_EQ(l.displayScale, 1.0);
        std::vector<Rect> a = mainWidgets(l), b = mainWidgets(classic);
        for (const Layout* x : {&l, &classic}) {
            std::vector<Rect>& v = x == &l ? a : b;
            v.insert(v.end(), {x->mainWindow, x->fieldWindow, x->window3D, x->buttonBar,
                               x->helpPanel, x->fieldView, x->fieldView3D, x->statusLine});
        }
        for (size_t i = 0; i < a.size(); ++i)
            expectRect(a[i], b[i].x, b[i].y, b[i].w, b[i].h, ("rect " + std::to_string(i)).c_str());
    }
    expectRect(classic.mainWindow, 1, 1, 810, 554, "main window");
    expectRect(classic.statusLine, 644, 12, 164, 16, "the free strip right of the bar");
}

TEST(ScreenFit, AResizedMainWindowKeepsItsControlsAndComesBackTheSame) {
    LayoutInput in = input640(24);
    in.videoWidth = 1280;
    in.videoHeight = 720;
    in.screenWidth = 1920;
    in.screenHeight = 1080;
    const Layout start = computeLayout(in);
    const Rect smallest = minimumMainWindow(in);
    for (const auto& size : {std::pair<int, int>{900, 600},
                             {smallest.w, smallest.h},
                             {2400, 1500},
                             {start.mainWindow.w + 300, start.mainWindow.h}}) {
        const Layout l = relayoutMainWindow(start, in, size.first, size.second);
        const std::string what = std::to_string(size.first) + "x" + std::to_string(size.second);
        expectRect(l.mainWindow, start.mainWindow.x, start.mainWindow.y, size.first, size.second,
                   what.c_str());
        expectUsableMainWindow(l, what);
        EXPECT_LE(l.displayScale, 1.0) << what;
        EXPECT_GT(l.videoPanel.w, 0) << what;
        // Bigger by one step would not fit in the window.
        if (l.videoPanel.w < in.videoWidth) {
            const Layout more = layoutAtWidth(in, l.videoPanel.w + 1, start.arrangement);
            EXPECT_TRUE(more.mainWindow.w > size.first || more.mainWindow.h > size.second) << what;
        }
        expectRect(l.fieldWindow, start.fieldWindow.x, start.fieldWindow.y, start.fieldWindow.w,
                   start.fieldWindow.h, "the field window stays");
    }
    const Layout back = relayoutMainWindow(relayoutMainWindow(start, in, 900, 600), in,
                                           start.mainWindow.w, start.mainWindow.h);
    const std::vector<Rect> a = mainWidgets(back), b = mainWidgets(start);
    for (size_t i = 0; i < a.size(); ++i)
        expectRect(a[i], b[i].x, b[i].y, b[i].w, b[i].h, "after resizing back");
}
