#include "gl_test_window.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

#include <cstdlib>

#include "gl_driver_pin.h"

void initGlutForTests() {
    static bool initialised = false;
    if (initialised) return;
    int argc = 1;
    char name[] = "gl-test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    keepGlDriverAtExit();
    initialised = true;
}

int openTestWindow(int w, int h, const char* title) {
    initGlutForTests();
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH | GLUT_STENCIL);
    glutInitWindowPosition(0, 0);
    glutInitWindowSize(w, h);
    int id = glutCreateWindow(title);
    glutSetWindow(id);
    glutDisplayFunc([] {});
    resetTestFrame(w, h);
    return id;
}

void resetTestFrame(int w, int h) {
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
}

void clearTestWindow(float r, float g, float b) {
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void beginTestFrame(int w, int h, float r, float g, float b) {
    resetTestFrame(w, h);
    clearTestWindow(r, g, b);
}

Rgb readPixel(int x, int y) {
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    uint8_t p[3] = {0, 0, 0};
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
}

bool nearColour(Rgb actual, Rgb expected, int tolerance) {
    return std::abs(actual.r - expected.r) <= tolerance &&
           std::abs(actual.g - expected.g) <= tolerance &&
           std::abs(actual.b - expected.b) <= tolerance;
}

void fillTestUnitSquare() {
    glBegin(GL_QUADS);
    glVertex2f(0.0f, 0.0f);
    glVertex2f(1.0f, 0.0f);
    glVertex2f(1.0f, 1.0f);
    glVertex2f(0.0f, 1.0f);
    glEnd();
}
