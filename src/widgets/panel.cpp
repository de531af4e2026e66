#include "widgets/panel.h"

#include <GL/gl.h>

#include "widgets/bevel.h"

void createPanel(Panel* panel, int x, int y, int w, int h, const char* name, int level) {
    initObjectBasic(panel, x, y, w, h, name, level, displayPanel);
    panel->init = initPanel;
    resetTexture(&panel->texture);
    panel->displayList = 0;
}

int setPanelPixels(Panel* panel, const unsigned char* pixels) {
    if (pixels == nullptr) return 0;
    panel->texture.pixels = pixels;
    return 1;
}

int initPanel(InterfaceObject* object) {
    Panel* panel = static_cast<Panel*>(object);
    if (panel->texture.pixels == nullptr || flagsSet(panel, OBJ_INITIALIZED)) return 0;
    panel->displayList = static_cast<int>(glGenLists(1));
    glNewList(static_cast<GLuint>(panel->displayList), GL_COMPILE);
    drawPanel(panel);
    glEndList();
    setFlags(panel, OBJ_INITIALIZED);
    return 1;
}

int displayPanel(InterfaceObject* object) {
    const Panel* panel = static_cast<const Panel*>(object);
    glViewport(panel->x, panel->y, panel->w, panel->h);
    if (panel->displayList > 0 && flagsSet(panel, OBJ_CACHED)) {
        glCallList(static_cast<GLuint>(panel->displayList));
    } else {
        drawPanel(panel);
    }
    return 1;
}

void drawPanel(const Panel* panel) {
    if (panel->texture.textureId <= 0) return;
    drawTexture(&panel->texture);
    drawBevelFrame(BEVEL_SHADOW, BEVEL_LIGHT);
}
