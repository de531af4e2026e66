#include "views/camera.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstring>

void initCamera(Camera* camera, float eyeX, float eyeY, float eyeZ, float centerX, float centerY,
                float centerZ, float upX, float upY, float upZ, const char* name) {
    const float values[9] = {eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ};
    for (int i = 0; i < 3; ++i) {
        camera->eye[i] = values[i];
        camera->center[i] = values[3 + i];
        camera->up[i] = values[6 + i];
    }
    // The camera's own name may be passed back in (resetCamera): copy through a buffer.
    char copy[CAMERA_NAME_SIZE] = {};
    if (name != nullptr) std::strncpy(copy, name, CAMERA_NAME_SIZE - 1);
    std::memcpy(camera->name, copy, CAMERA_NAME_SIZE);
}

void resetCamera(Camera* camera) {
    initCamera(camera, 0, 0, 1, 0, 0, 0, 0, 1, 0, camera->name);
}

void rotateCamera(Camera* camera, float angle, float x, float y, float z) {
    // glRotated builds the matrix (normalising the axis); the stack is only a calculator.
    double matrix[16];
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glRotated(angle, x, y, z);
    glGetDoublev(GL_MODELVIEW_MATRIX, matrix);
    glPopMatrix();
    rotateCameraByMatrix(camera, matrix);
}

void rotateCameraByMatrix(Camera* camera, const double matrix[16]) {
    double direction[3], up[3];
    for (int i = 0; i < 3; ++i) {
        direction[i] = static_cast<double>(camera->center[i]) - camera->eye[i];
        up[i] = camera->up[i];
    }
    for (int row = 0; row < 3; ++row) {
        double d = 0.0, u = 0.0;
        for (int column = 0; column < 3; ++column) {
            d += matrix[column * 4 + row] * direction[column];
            u += matrix[column * 4 + row] * up[column];
        }
        camera->center[row] = static_cast<float>(camera->eye[row] + d);
        camera->up[row] = static_cast<float>(u);
    }
}

void moveCamera(Camera* camera, float dx, float dy, float dz) {
    const float delta[3] = {dx, dy, dz};
    for (int i = 0; i < 3; ++i) {
        camera->eye[i] += delta[i];
        camera->center[i] += delta[i];
    }
}

void dollyCamera(Camera* camera, float t) {
    for (int i = 0; i < 3; ++i) camera->eye[i] = t * camera->center[i] + (1 - t) * camera->eye[i];
}

void loadCamera(const Camera* camera) {
    gluLookAt(camera->eye[0], camera->eye[1], camera->eye[2], camera->center[0], camera->center[1],
              camera->center[2], camera->up[0], camera->up[1], camera->up[2]);
}
