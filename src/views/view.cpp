#include "views/view.h"

#include <GL/gl.h>

#include "widgets/bevel.h"

namespace {

constexpr float BACKGROUND_Z = -0.00001f;  // just behind the frame

void callList(int list) {
    glCallList(static_cast<GLuint>(list));
}

// The texture on the unit square inside the sunken frame, as a panel draws it.
void drawTexturedView(const View* view) {
    drawTexture(&view->texture);
    drawBevelFrame(BEVEL_SHADOW, BEVEL_LIGHT);
}

}  // namespace

int createView(View* view, int x, int y, int w, int h, const char* name, int level) {
    Camera* camera = new Camera;
    initCamera(camera, 0, 0, 1, 0, 0, 0, 0, 1, 0, "persp");
    initObjectBasic(view, x, y, w, h, name, level, displayView);
    view->init = initView;
    resetTexture(&view->texture);
    view->textureList = view->backgroundList = 0;
    view->background = BEVEL_FACE;
    pointerListInit(&view->cameras, 1, 1);
    pointerListAppend(&view->cameras, camera);
    return 1;
}

View* setViewBackground(View* view, double red, double green, double blue, double alpha) {
    view->background = {static_cast<float>(red), static_cast<float>(green),
                        static_cast<float>(blue), static_cast<float>(alpha)};
    return view;
}

void drawViewFrame(const View* view) {
    // A fully transparent background (the field views') would blend to nothing: the
    // quad is left out rather than blended over the whole view at every redisplay.
    if (view->background.a > 0.0f) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        setColour(view->background);
        glBegin(GL_QUADS);
        glVertex3f(0, 0, BACKGROUND_Z);
        glVertex3f(1, 0, BACKGROUND_Z);
        glVertex3f(1, 1, BACKGROUND_Z);
        glVertex3f(0, 1, BACKGROUND_Z);
        glEnd();
        glDisable(GL_BLEND);
    }
    drawBevelFrame(BEVEL_SHADOW, BEVEL_LIGHT);
}

int displayView(InterfaceObject* object) {
    const View* view = static_cast<const View*>(object);
    glViewport(view->x, view->y, view->w, view->h);
    if (flagsSet(view, OBJ_CACHED) && (view->textureList > 0 || view->backgroundList > 0)) {
        callList(view->textureList > 0 ? view->textureList : view->backgroundList);
    } else if (view->textureList <= 0) {
        drawViewFrame(view);
    } else {
        drawTexturedView(view);
    }
    return 1;
}

int initView(InterfaceObject* object) {
    View* view = static_cast<View*>(object);
    if (flagsSet(view, OBJ_INITIALIZED)) return 0;
    if (view->texture.pixels != nullptr) {
        view->textureList = static_cast<int>(glGenLists(1));
        glNewList(static_cast<GLuint>(view->textureList), GL_COMPILE);
        drawTexturedView(view);
        glEndList();
    }
    view->backgroundList = static_cast<int>(glGenLists(1));
    glNewList(static_cast<GLuint>(view->backgroundList), GL_COMPILE);
    drawViewFrame(view);
    glEndList();
    setFlags(view, OBJ_INITIALIZED);
    return 1;
}

Camera* getCamera(View* view, int i) {
    if (view == nullptr || i < 0 || i >= view->cameras.count) return nullptr;
    return static_cast<Camera*>(view->cameras.items[i]);
}

Camera* applyCamera(View* view, int i) {
    Camera* camera = getCamera(view, i);
    if (camera != nullptr) loadCamera(camera);
    return camera;
}
