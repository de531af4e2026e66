// The video view drawn in a real window and read back from the back buffer: the frame,
// the drag, the selected player's marks and trajectory, the labels.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "../tracking/scene_fixture.h"
#include "gl_test_window.h"
#include "toolkit/event_dispatch.h"
#include "video_view/video_view.h"
#include "widgets/bitmap_font.h"

namespace {

constexpr int kWindowW = 360, kWindowH = 280;
constexpr int kViewX = 20, kViewY = 20;  // the view's lower-left corner in the window
constexpr int kVideoW = 320, kVideoH = 240;

const Rgb kFrame = {20, 40, 60};  // the frame's colour wherever a test paints nothing
const Rgb kGreen = {51, 255, 51};
const Rgb kMagenta = {230, 26, 230};
const Rgb kYellow = {230, 230, 26};
const Rgb kCyan = {26, 230, 230};
const Rgb kLabelBox = {26, 26, 26};
const Rgb kDSideText = {255, 77, 255};

// The view's pixels after a draw, addressed in video pixels.
struct ViewPixels {
    std::vector<Rgb> pixels;
    ViewPixels() : pixels(static_cast<size_t>(kVideoW) * kVideoH) {
        glFinish();
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(kViewX, kViewY, kVideoW, kVideoH, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    }
    Rgb at(int x, int y) const { return pixels[static_cast<size_t>(y) * kVideoW + x]; }
    // Pixels of the colour in the box [x0, x1] x [y0, y1] (clipped to the view).
    int count(Rgb colour, int x0, int y0, int x1, int y1) const {
        int n = 0;
        for (int y = std::max(y0, 0); y <= std::min(y1, kVideoH - 1); ++y)
            for (int x = std::max(x0, 0); x <= std::min(x1, kVideoW - 1); ++x)
                n += nearColour(at(x, y), colour);
        return n;
    }
    int count(Rgb colour) const { return count(colour, 0, 0, kVideoW - 1, kVideoH - 1); }
    // The colour within one pixel of (x, y): lines on pixel boundaries may fall either side.
    bool near(Rgb colour, double x, double y) const {
        const int px = static_cast<int>(std::floor(x)), py = static_cast<int>(std::floor(y));
        return count(colour, px - 1, py - 1, px + 1, py + 1) > 0;
    }
};

class VideoViewGlTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        openTestWindow(kWindowW, kWindowH, "video view tests");
        initFonts();
    }

    SceneFixture s{40, kVideoW, kVideoH};
    std::vector<unsigned char> frame;  // BGR, bottom row first
    InterfaceObject window;
    PointerState pointer;  // the window's
    VideoView view;

    void SetUp() override {
        pointer = PointerState();
        frame.resize(static_cast<size_t>(kVideoW) * kVideoH * 3);
        paint(0, 0, kVideoW, kVideoH, kFrame);
        createVideoView(&view, kViewX, kViewY, kVideoW, kVideoH, "video", 0, &s.scene);
        setDefaultTexture(&view, frame.data(), kVideoW, kVideoH, 3, TEXTURE_BGR, TEXTURE_STREAMED);
        initObjectBasic(&window, 0, 0, kWindowW, kWindowH, "window", -1, nullptr);
        clearFlags(&window, OBJ_ACTIVE);
        insertChild(&window, &view);
    }
    void TearDown() override {
        const GLuint id = static_cast<GLuint>(view.texture.textureId);
        glDeleteTextures(1, &id);
        delete[] view.texture.storage;
        pointerListRelease(&window.children);
        pointerListRelease(&view.children);
    }

    void paint(int x0, int y0, int x1, int y1, Rgb c) {
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                unsigned char* p = &frame[(static_cast<size_t>(y) * kVideoW + x) * 3];
                p[0] = c.b;
                p[1] = c.g;
                p[2] = c.r;
            }
        }
    }
    // As the window's display does before its walk, then the view's display callback.
    void draw() {
        beginTestFrame(kWindowW, kWindowH, 0, 0, 0);
        EXPECT_EQ(drawVideoView(&view), 1);
    }
    // Pointer events at video positions, as GLUT reports them (window pixels, y down).
    void mouse(int state, int x, int y) {
        dispatchMouseButton(&window, &pointer, MOUSE_LEFT_BUTTON, state, kViewX + x,
                            kWindowH - (kViewY + y));
    }
    void keysAt10_20_30(int player) {
        s.key(player, 10, 100, 50, 100, 90, 20, 60);
        s.key(player, 20, 150, 80, 150, 120, 30, 70);
        s.key(player, 30, 200, 60, 200, 100, 40, 80);
    }
};

TEST_F(VideoViewGlTest, FrameIsDrawnUpright) {
    paint(0, 0, kVideoW / 2, kVideoH / 2, {255, 0, 0});  // rows bottom first: lower left
    draw();
    ViewPixels v;
    EXPECT_TRUE(nearColour(v.at(50, 40), {255, 0, 0}));
    EXPECT_TRUE(nearColour(v.at(50, 200), kFrame));
    EXPECT_TRUE(nearColour(v.at(250, 40), kFrame));
    EXPECT_TRUE(nearColour(v.at(250, 200), kFrame));
}

TEST_F(VideoViewGlTest, DragRectangleWhilePressedOnly) {
    mouse(MOUSE_BUTTON_DOWN, 100, 50);
    dispatchMotion(&window, &pointer, kViewX + 140, kWindowH - (kViewY + 130));
    draw();
    EXPECT_EQ(view.dragRect.x0, 140);
    EXPECT_EQ(view.dragRect.y0, 130);
    EXPECT_EQ(view.dragRect.x1, 100);
    EXPECT_EQ(view.dragRect.y1, 50);
    {
        ViewPixels v;
        // 0.4 of (0.7, 0.7, 0.7) over 0.6 of the frame.
        EXPECT_TRUE(nearColour(v.at(120, 90), {83, 95, 107})) << int(v.at(120, 90).r);
        EXPECT_TRUE(nearColour(v.at(90, 90), kFrame));
        EXPECT_TRUE(nearColour(v.at(150, 90), kFrame));
        // The light outline, pure or under the fill, on each side.
        auto light = [&](int x, int y) {
            for (int dx = -1; dx <= 1; ++dx)
                for (int dy = -1; dy <= 1; ++dy) {
                    const Rgb p = v.at(x + dx, y + dy);
                    if (p.r >= 185 && p.r == p.g && p.g == p.b) return true;
                }
            return false;
        };
        EXPECT_TRUE(light(100, 90) && light(140, 90) && light(120, 50) && light(120, 130));
    }
    // Released without a selected player: the rectangle goes and no key is made.
    mouse(MOUSE_BUTTON_UP, 140, 130);
    draw();
    ViewPixels after;
    EXPECT_TRUE(nearColour(after.at(120, 90), kFrame));
    for (const PlayerTrack& track : s.tracks) EXPECT_EQ(track.keys.count, 0);
}

TEST_F(VideoViewGlTest, PlainDrawingAfterTheLastKeyIsAsStoredOneLineWide) {
    s.shiftEveryFrame();
    s.key(0, 20, 0, 0, 0, 0, 0, 0);  // an earlier key, so that 40 is the last of two
    s.key(0, 40, 120, 50, 120, 90, 40, 80);
    s.scene.selectedPlayer = 0;
    s.scene.showTrails = 0;
    for (int frame : {40, 45}) {
        s.at(frame);
        glLineWidth(4);  // left behind by some other widget
        draw();
        ViewPixels v;
        // Edges at x = 100 and 140, y = 50 and 130, each one pixel wide.
        EXPECT_EQ(v.count(kGreen, 95, 90, 105, 90), 1) << frame;
        EXPECT_EQ(v.count(kGreen, 135, 90, 145, 90), 1) << frame;
        EXPECT_EQ(v.count(kGreen, 110, 125, 110, 135), 1) << frame;
        // The feet point, 3 x 3 over the rectangle's lower edge.
        EXPECT_EQ(v.count(kMagenta, 119, 49, 121, 51), 9) << frame;
        EXPECT_EQ(v.count(kMagenta), 9) << frame;
    }
    s.at(15);
    draw();
    ViewPixels before;
    EXPECT_EQ(before.count(kGreen) + before.count(kMagenta), 0);
}

TEST_F(VideoViewGlTest, TrajectoryThroughShiftedFrames) {
    s.shiftEveryFrame();
    keysAt10_20_30(4);
    s.scene.selectedPlayer = 4;
    s.at(25);
    draw();
    {
        ViewPixels v;
        // Keys 10 and 20 carried to (70, 65) and (140, 85); key 30, at (210, 55), is not
        // walked. Later lines cover part of each 3 x 3 point.
        EXPECT_GE(v.count(kMagenta, 69, 64, 71, 66), 4);
        EXPECT_GE(v.count(kMagenta, 139, 84, 141, 86), 4);
        EXPECT_EQ(v.count(kMagenta, 205, 50, 215, 60), 0);
        EXPECT_TRUE(v.near(kYellow, 105, 75));
        // The tail ends halfway to key 30's carried point, at (175, 70).
        EXPECT_TRUE(v.near(kYellow, 157.5, 77.5));
        EXPECT_EQ(v.count(kYellow, 185, 58, 200, 67), 0);
        // The interpolated rectangle: centre (175, 110), half sizes 17.5 and 37.5.
        EXPECT_TRUE(v.near(kGreen, 157.5, 110));
        EXPECT_TRUE(v.near(kGreen, 192.5, 110));
        EXPECT_TRUE(v.near(kGreen, 175, 147.5));
        EXPECT_TRUE(v.near(kGreen, 175, 72.5));
        // Key 20's own rectangle is not drawn off its frame.
        EXPECT_FALSE(v.near(kGreen, 135, 120));
    }
    s.at(35);
    draw();
    ViewPixels later;
    EXPECT_GE(later.count(kMagenta, 49, 74, 51, 76), 4);
    EXPECT_GE(later.count(kMagenta, 119, 94, 121, 96), 4);
    EXPECT_EQ(later.count(kMagenta, 189, 64, 191, 66), 9);
    EXPECT_EQ(later.count(kGreen), 0);
}

// A tracking run shows its box over the selected player's marks until it ends.
TEST_F(VideoViewGlTest, LiveTrackerBoxOverTheMarks) {
    keysAt10_20_30(4);
    s.scene.selectedPlayer = 4;
    s.at(30);
    s.scene.hasLiveBox = true;
    s.scene.liveBox = KeyFrame{KEY_FLAG_TRACKED, 250, 40, 250, 80, 30, 80};
    draw();
    {
        ViewPixels v;
        // Edges at x = 235 and 265, y = 40 and 120; its feet point at (250, 40).
        EXPECT_GT(v.count(kCyan, 233, 50, 237, 110), 50);
        EXPECT_GT(v.count(kCyan, 263, 50, 267, 110), 50);
        EXPECT_GT(v.count(kCyan, 240, 118, 260, 122), 15);
        EXPECT_EQ(v.count(kMagenta, 249, 39, 251, 41), 9);
        EXPECT_TRUE(v.near(kGreen, 180, 100));  // key 30's own rectangle is still there
    }
    s.scene.hasLiveBox = false;
    draw();
    EXPECT_EQ(ViewPixels().count(kCyan), 0);
}

TEST_F(VideoViewGlTest, LabelOnlyOnItsKeyFrame) {
    s.key(13, 30, 0, 0, 120, 90, 10, 10);
    s.scene.showNumbers = 1;
    s.at(30);
    draw();
    {
        ViewPixels v;
        // The box spans x 108.5 .. 125.5 and y 85 .. 96; the text may cover parts of it.
        int left = kVideoW, right = -1;
        for (int y = 85; y <= 95; ++y)
            for (int x = 95; x <= 140; ++x)
                if (nearColour(v.at(x, y), kLabelBox)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        EXPECT_TRUE(left == 108 || left == 109) << left;
        EXPECT_TRUE(right == 124 || right == 125) << right;
        EXPECT_EQ(v.count(kLabelBox, 0, 0, kVideoW - 1, 83), 0);
        EXPECT_EQ(v.count(kLabelBox, 0, 98, kVideoW - 1, kVideoH - 1), 0);
        EXPECT_GT(v.count(kDSideText, 105, 80, 130, 100), 0);
    }
    for (int frame : {29, 31}) {
        s.at(frame);
        draw();
        ViewPixels v;
        EXPECT_EQ(v.count(kLabelBox) + v.count(kDSideText), 0) << frame;
    }
}

TEST_F(VideoViewGlTest, FrameWithoutRecordDrawsTheStoredPositions) {
    SceneFixture short22(22, kVideoW, kVideoH);
    short22.shiftEveryFrame();
    view.scene = &short22.scene;
    for (int k : {10, 20, 30}) short22.key(4, k, 100 + k, 50, 100 + k, 90, 20, 60);
    short22.scene.selectedPlayer = 4;
    short22.at(25);
    // Frames 25 and 30 have no record: the keys' feet points, the tail and the
    // rectangle (left edge at 115) as stored, in image space.
    for (int trails : {1, 0}) {
        short22.scene.showTrails = trails;
        draw();
        ViewPixels v;
        if (trails) {
            EXPECT_GT(v.count(kMagenta, 109, 49, 111, 51), 0);
            EXPECT_GT(v.count(kMagenta, 119, 49, 121, 51), 0);
        } else {
            EXPECT_EQ(v.count(kMagenta, 124, 49, 126, 51), 9);
        }
        EXPECT_GT(v.count(kGreen, 114, 65, 116, 115), 40) << "trails " << trails;
    }
}

}  // namespace
