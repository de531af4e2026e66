#include "app/app_callbacks.h"

#include <GL/freeglut.h>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/key_table.h"
#include "app/layout.h"
#include "toolkit/window.h"

int applicationKeyHandler(InterfaceObject*, int key, int, int) {
    if (runKeyCommand(&app, key)) redisplayAll();
    return 1;
}

int playPauseReleased(InterfaceObject*, int, int) {
    playPause(&app);
    return 1;
}

int previousFrameReleased(InterfaceObject*, int, int) {
    previousFrameCommand(&app);
    return 1;
}

int nextFrameReleased(InterfaceObject*, int, int) {
    nextFrameCommand(&app);
    return 1;
}

int previousKeyReleased(InterfaceObject*, int, int) {
    previousKeyCommand(&app);
    return 1;
}

int nextKeyReleased(InterfaceObject*, int, int) {
    nextKeyCommand(&app);
    return 1;
}

int loadReleased(InterfaceObject*, int, int) {
    loadCommand(&app);
    return 1;
}

int saveReleased(InterfaceObject*, int, int) {
    saveCommand(&app);
    return 1;
}

int deleteKeyReleased(InterfaceObject*, int, int) {
    deleteKeyCommand(&app);
    return 1;
}

int modifySwitchReleased(InterfaceObject* object, int, int) {
    toggleEditMode(&app, static_cast<SwitchButton*>(object));
    return 1;
}

int playerButtonReleased(InterfaceObject* object, int, int) {
    const int index = static_cast<int>(static_cast<SwitchButton*>(object) - app.playerButtons);
    selectPlayer(&app, index);
    return 1;
}

int timelinePressed(InterfaceObject*, int x, int) {
    timelinePress(&app, x);
    return 1;
}

int timelineIdle(InterfaceObject*) {
    if (playbackStep(&app)) redisplayAll();
    return 1;
}

namespace {

// Mesa's software driver takes a window's new size only at the buffer swap after
// the resize, so the first frame drawn after it still has the old size; a second
// frame a moment later shows the whole window.
constexpr unsigned RESIZE_FOLLOW_UP_MS = 50;

void redrawWindow(int windowId) {
    const int current = glutGetWindow();
    if (windowWithId(windowId) == nullptr) return;
    glutSetWindow(windowId);
    glutPostRedisplay();
    if (current > 0 && windowWithId(current) != nullptr) glutSetWindow(current);
}

void reshapeView(View* view, double* aspect, int width, int height) {
    glViewport(0, 0, width, height);  // as GLUT's own reshape does
    Rect placed = reshapedViewRect(Rect{view->x, view->y, view->w, view->h}, aspect, width, height);
    view->x = placed.x;
    view->y = placed.y;
    view->w = placed.w;
    view->h = placed.h;
    glutPostRedisplay();
    glutTimerFunc(RESIZE_FOLLOW_UP_MS, redrawWindow, glutGetWindow());
}

}  // namespace

void fieldWindowReshaped(int width, int height) {
    reshapeView(&app.fieldView, &app.fieldAspect, width, height);
}

void window3DReshaped(int width, int height) {
    reshapeView(&app.fieldView3D, &app.aspect3D, width, height);
}
