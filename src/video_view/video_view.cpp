#include "video_view/video_view.h"

#include <GL/gl.h>

#include "toolkit/event_dispatch.h"
#include "video_view/video_overlay.h"
#include "widgets/bitmap_font.h"
#include "widgets/colour.h"

namespace {

constexpr Colour DRAG_OUTLINE = {0.8f, 0.8f, 0.8f};
constexpr Colour DRAG_FILL = {0.7f, 0.7f, 0.7f, 0.4f};  // blended over the frame
constexpr Colour RECT_COLOUR = {0.2f, 1.0f, 0.2f};
constexpr Colour FEET_COLOUR = {0.9f, 0.1f, 0.9f};
constexpr Colour TRAIL_COLOUR = {0.9f, 0.9f, 0.1f};
constexpr Colour LIVE_BOX_COLOUR = {0.1f, 0.9f, 0.9f};  // the tracker's box during a run
constexpr Colour LABEL_BOX = {0.1f, 0.1f, 0.1f};
constexpr Colour O_SIDE_TEXT = {1.0f, 1.0f, 0.3f};
constexpr Colour D_SIDE_TEXT = {1.0f, 0.3f, 1.0f};

constexpr double DRAG_OUTLINE_Z = 1.0;
constexpr double DRAG_FILL_Z = 0.5;
constexpr double RECT_Z = 0.85;
constexpr double TRAIL_Z = 0.9;
constexpr double FEET_Z = 1.0;
constexpr double LABEL_Z = 0.1;
constexpr double VIEW_NEAR = -2.0, VIEW_FAR = 2.0;

constexpr float LINE_WIDTH = 1.0f;
constexpr float FEET_SIZE = 3.0f;
constexpr double LABEL_BOX_BELOW = 1.0;   // box bottom below the label's y0
constexpr double LABEL_BOX_ABOVE = 10.0;  // box top above y0
constexpr double LABEL_TEXT_BELOW = 3.0;  // text origin below y0

// The drag from the press to the pointer (relative to the panel) in video pixels:
// the panel may show the video scaled.
DragRect dragInVideo(const VideoView* view, int x, int y, int pressX, int pressY) {
    const DragRect onPanel = dragRectBetween(x, y, pressX, pressY, 0, 0);
    const Scene* scene = view->scene;
    if (scene == nullptr) return onPanel;
    return dragRectToVideo(onPanel, view->w, view->h, scene->videoWidth, scene->videoHeight);
}

void dragCorners(const DragRect& d, double z) {
    glVertex3d(d.x1, d.y1, z);
    glVertex3d(d.x1, d.y0, z);
    glVertex3d(d.x0, d.y0, z);
    glVertex3d(d.x0, d.y1, z);
}

void drawDragRect(const DragRect& drag) {
    setColour(DRAG_OUTLINE);
    glLineWidth(LINE_WIDTH);
    glBegin(GL_LINE_LOOP);
    dragCorners(drag, DRAG_OUTLINE_Z);
    glEnd();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    setColour(DRAG_FILL);
    glBegin(GL_QUADS);
    dragCorners(drag, DRAG_FILL_Z);
    glEnd();
    glDisable(GL_BLEND);
}

void drawRect(const VideoRect& r, const Colour& colour = RECT_COLOUR) {
    setColour(colour);
    glBegin(GL_LINE_LOOP);
    glVertex3d(r.cx + r.halfWidth, r.cy + r.halfHeight, RECT_Z);
    glVertex3d(r.cx - r.halfWidth, r.cy + r.halfHeight, RECT_Z);
    glVertex3d(r.cx - r.halfWidth, r.cy - r.halfHeight, RECT_Z);
    glVertex3d(r.cx + r.halfWidth, r.cy - r.halfHeight, RECT_Z);
    glEnd();
}

void drawFeet(VideoPoint p) {
    setColour(FEET_COLOUR);
    glPointSize(FEET_SIZE);
    glBegin(GL_POINTS);
    glVertex3d(p.x, p.y, FEET_Z);
    glEnd();
}

void drawTrailLine(VideoPoint a, VideoPoint b) {
    setColour(TRAIL_COLOUR);
    glBegin(GL_LINES);
    glVertex3d(a.x, a.y, TRAIL_Z);
    glVertex3d(b.x, b.y, TRAIL_Z);
    glEnd();
}

void drawTrajectory(const Scene* scene, PlayerTrack* track) {
    Trajectory trajectory;
    buildTrajectory(scene, track, &trajectory);
    glLineWidth(LINE_WIDTH);
    for (const TrailStep& step : trajectory.steps) {
        if (step.hasLine) drawTrailLine(step.lineFrom, step.lineTo);
        if (step.hasPoint) drawFeet(step.point);
        if (step.hasRect) drawRect(step.rect);
    }
    if (trajectory.hasTail) drawTrailLine(trajectory.tailFrom, trajectory.tailTo);
    if (trajectory.hasRect) drawRect(trajectory.rect);
}

void drawPlainMarks(const Scene* scene, PlayerTrack* track) {
    PlainMarks marks;
    buildPlainMarks(scene, track, &marks);
    // Fixed here rather than inherited from whatever the window drew before.
    glLineWidth(LINE_WIDTH);
    if (marks.hasRect) drawRect(marks.rect);
    if (marks.hasFeet) drawFeet(marks.feet);
}

void drawLabels(const Scene* scene) {
    for (int player = 0; player < PLAYER_COUNT; ++player) {
        VideoLabel label;
        if (!videoLabel(scene, player, &label)) continue;
        const double left = label.x0, right = label.x0 + label.width;
        const double bottom = label.y0 - LABEL_BOX_BELOW, top = label.y0 + LABEL_BOX_ABOVE;
        setColour(LABEL_BOX);
        glBegin(GL_QUADS);
        glVertex3d(left, bottom, LABEL_Z);
        glVertex3d(right, bottom, LABEL_Z);
        glVertex3d(right, top, LABEL_Z);
        glVertex3d(left, top, LABEL_Z);
        glEnd();
        setColour(label.oSide ? O_SIDE_TEXT : D_SIDE_TEXT);
        drawText(label.text, static_cast<float>(label.x0),
                 static_cast<float>(label.y0 - LABEL_TEXT_BELOW),
                 static_cast<float>(scene->videoWidth), static_cast<float>(scene->videoHeight),
                 defaultFont);
    }
}

}  // namespace

void createVideoView(VideoView* view, int x, int y, int w, int h, const char* name, int level,
                     Scene* scene) {
    createPanel(view, x, y, w, h, name, level);
    setDisplayCallback(view, drawVideoView);
    setPressCallback(view, videoDragStart);
    setDragCallback(view, videoDragMove);
    setReleaseCallback(view, videoDragEnd);
    view->scene = scene;
    view->dragRect = DragRect();
}

int drawVideoView(InterfaceObject* object) {
    VideoView* view = static_cast<VideoView*>(object);
    displayPanel(view);
    const Scene* scene = view->scene;
    if (scene == nullptr || scene->videoWidth <= 0 || scene->videoHeight <= 0) return 1;

    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_POINT_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, scene->videoWidth, 0, scene->videoHeight, VIEW_NEAR, VIEW_FAR);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    if (flagsSet(view, OBJ_PRESSED)) drawDragRect(view->dragRect);
    const int player = scene->selectedPlayer;
    if (scene->tracks != nullptr && player >= 0 && player < PLAYER_COUNT) {
        PlayerTrack* track = &scene->tracks[player];
        if (scene->showTrails)
            drawTrajectory(scene, track);
        else
            drawPlainMarks(scene, track);
    }
    if (scene->hasLiveBox) {
        glLineWidth(LINE_WIDTH);
        drawRect(keyRect(&scene->liveBox), LIVE_BOX_COLOUR);
        drawFeet({scene->liveBox.feetX, scene->liveBox.feetY});
    }
    if (scene->showNumbers && scene->tracks != nullptr) drawLabels(scene);

    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
    return 1;
}

int videoDragStart(InterfaceObject* object, int x, int y) {
    VideoView* view = static_cast<VideoView*>(object);
    view->dragRect = dragInVideo(view, x, y, x, y);
    return 1;
}

int videoDragMove(InterfaceObject* object, int x, int y, int pressX, int pressY) {
    VideoView* view = static_cast<VideoView*>(object);
    view->dragRect = dragInVideo(view, x, y, pressX, pressY);
    return 1;
}

int videoDragEnd(InterfaceObject* object, int x, int y, int pressX, int pressY) {
    VideoView* view = static_cast<VideoView*>(object);
    view->dragRect = dragInVideo(view, x, y, pressX, pressY);
    Scene* scene = view->scene;
    if (scene == nullptr || scene->selectedPlayer < 0) return 1;
    editSelectedPlayerKey(scene, view->dragRect);
    return 1;
}
