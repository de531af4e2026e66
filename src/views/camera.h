// Camera: an eye, the point it looks at and an up direction, with the operations
// that place it and load it into OpenGL.
#pragma once

constexpr int CAMERA_NAME_SIZE = 512;

// One heap record per camera, owned by the View that lists it.
struct Camera {
    float eye[3] = {0, 0, 0};          // eye position x, y, z
    float center[3] = {0, 0, 0};       // the point looked at
    float up[3] = {0, 0, 0};           // up direction
    char name[CAMERA_NAME_SIZE] = {};  // terminated, at most 511 characters
};

// Sets the three vectors and copies name (null: empty), cut at 511 characters.
void initCamera(Camera* camera, float eyeX, float eyeY, float eyeZ, float centerX, float centerY,
                float centerZ, float upX, float upY, float upZ, const char* name);
// Eye (0, 0, 1), center (0, 0, 0), up (0, 1, 0); the name stays.
void resetCamera(Camera* camera);
// Turns the view direction and the up vector by `angle` degrees about the axis
// (x, y, z) through the eye; the eye stays. Takes the rotation matrix from the GL
// matrix stack of the current context, so a context must be current.
void rotateCamera(Camera* camera, float angle, float x, float y, float z);
// The same with a given rotation matrix, column-major as GL returns it (no GL).
void rotateCameraByMatrix(Camera* camera, const double matrix[16]);
// Adds (dx, dy, dz) to the eye and to the center.
void moveCamera(Camera* camera, float dx, float dy, float dz);
// eye = t * center + (1 - t) * eye; t = 1 puts the eye on the center.
void dollyCamera(Camera* camera, float t);
// gluLookAt with the camera's eye, center and up, multiplied onto the current matrix.
void loadCamera(const Camera* camera);
