#include "app/app_callbacks.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/key_table.h"
#include "app/layout.h"
#include "app/screen_fit.h"
#include "toolkit/event_dispatch.h"
#include "toolkit/window.h"
#include "video_view/video_view.h"
#include "views/field_plan.h"
#include "views/field_view.h"
#include "views/field_view_3d.h"

int applicationKeyHandler(InterfaceObject*, int key, int, int) {
    const bool shift = (glutGetModifiers() & GLUT_ACTIVE_SHIFT) != 0;
    if (runKeyCommand(&app, keyWithModifiers(key, shift))) redisplayAll();
    return 1;
}

int videoPanelReleased(InterfaceObject* object, int x, int y, int pressX, int pressY) {
    beginKeyEdit(&app);
    videoDragEnd(object, x, y, pressX, pressY);
    endKeyEdit(&app);
    return 1;
}

int playPauseReleased(InterfaceObject*, int, int, int, int) {
    playPause(&app);
    return 1;
}

int previousFrameReleased(InterfaceObject*, int, int, int, int) {
    previousFrameCommand(&app);
    return 1;
}

int nextFrameReleased(InterfaceObject*, int, int, int, int) {
    nextFrameCommand(&app);
    return 1;
}

int previousKeyReleased(InterfaceObject*, int, int, int, int) {
    previousKeyCommand(&app);
    return 1;
}

int nextKeyReleased(InterfaceObject*, int, int, int, int) {
    nextKeyCommand(&app);
    return 1;
}

int loadReleased(InterfaceObject*, int, int, int, int) {
    loadCommand(&app);
    return 1;
}

int saveReleased(InterfaceObject*, int, int, int, int) {
    saveCommand(&app);
    return 1;
}

int deleteKeyReleased(InterfaceObject*, int, int, int, int) {
    deleteKeyCommand(&app);
    return 1;
}

int modifySwitchReleased(InterfaceObject* object, int, int, int, int) {
    toggleEditMode(&app, static_cast<SwitchButton*>(object));
    return 1;
}

int playerButtonReleased(InterfaceObject* object, int, int, int, int) {
    const int index = static_cast<int>(static_cast<SwitchButton*>(object) - app.playerButtons);
    selectPlayer(&app, index);
    return 1;
}

int timelinePressed(InterfaceObject*, int x, int) {
    app.timelinePointerX = x;
    timelinePress(&app, x);
    return 1;
}

int timelineDragged(InterfaceObject*, int x, int, int, int) {
    app.timelinePointerX = x;  // scrubbed to at the next tick: one seek per tick at most
    return 1;
}

int timelineIdle(InterfaceObject*) {
    // Held, the timeline scrubs: the frame under the pointer is shown while dragging.
    const bool changed =
        isPressed(&app.timeline) ? timelineScrub(&app, app.timelinePointerX) : false;
    const bool stepped = playbackStep(&app, playbackClockSeconds()) || trackingStep(&app);
    const bool exported = collectExport(&app.exporter, &app);
    if (changed || exported)
        redisplayAll();
    else if (stepped)
        redisplayAfterStep();
    return 1;
}

void redisplayAfterStep() {
    redisplayWindow(static_cast<Window*>(app.videoPanel.parent));
    const uint64_t now = fieldViewsDigest(&app.scene, sceneFrame(&app.scene));
    if (now != app.fieldViewDrawn) redisplayWindow(static_cast<Window*>(app.fieldView.parent));
    if (now != app.fieldView3DDrawn) redisplayWindow(static_cast<Window*>(app.fieldView3D.parent));
}

int fieldViewDisplay(InterfaceObject* object) {
    app.fieldViewDrawn = fieldViewsDigest(&app.scene, sceneFrame(&app.scene));
    return drawFieldView(object);
}

int fieldView3DDisplay(InterfaceObject* object) {
    app.fieldView3DDrawn = fieldViewsDigest(&app.scene, sceneFrame(&app.scene));
    return draw3DView(object);
}

void mainWindowReshaped(Window*, int width, int height) {
    if (width <= 0 || height <= 0) return;  // minimised: the layout waits for a real size
    // A window too small for the controls is asked back to the smallest size that holds
    // them; meanwhile (or if the window manager refuses) the smallest video is laid out.
    const Rect smallest = minimumMainWindow(app.layoutInput);
    if (width < smallest.w || height < smallest.h)
        glutReshapeWindow(std::max(width, smallest.w), std::max(height, smallest.h));
    if (mainWindowResized(&app, width, height)) dumpLayoutIfAsked(&app);
}

namespace {

void reshapeView(View* view, double* aspect, Rect* window, int width, int height) {
    Rect placed = reshapedViewRect(Rect{view->x, view->y, view->w, view->h}, aspect, width, height);
    view->x = placed.x;
    view->y = placed.y;
    view->w = placed.w;
    view->h = placed.h;
    window->w = width;
    window->h = height;
    dumpLayoutIfAsked(&app);
}

}  // namespace

namespace {

constexpr unsigned WORK_SAFETY_PERIOD_MS = 100;  // how soon a signal or a due write is seen

void workSafetyTimer(int) {
    if (const int signal = pendingExitSignal()) exitOnSignal(&app, signal);
    const double now =
        std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    recoveryTick(&app, now);
    glutTimerFunc(WORK_SAFETY_PERIOD_MS, workSafetyTimer, 0);
}

}  // namespace

void startWorkSafetyTimer() {
    installExitSignals();
    glutTimerFunc(WORK_SAFETY_PERIOD_MS, workSafetyTimer, 0);
}

void fieldWindowReshaped(Window*, int width, int height) {
    reshapeView(&app.fieldView, &app.fieldAspect, &app.layout.fieldWindow, width, height);
}

void window3DReshaped(Window*, int width, int height) {
    reshapeView(&app.fieldView3D, &app.aspect3D, &app.layout.window3D, width, height);
}

void windowClosed(Window*) {
    exitProgram(&app);
}
