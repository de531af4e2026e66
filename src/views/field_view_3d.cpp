#include "views/field_view_3d.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include "views/field_view.h"
#include "widgets/bevel.h"

namespace {

constexpr double FIELD_OF_VIEW = 90.0;  // degrees
constexpr double ASPECT = 1.0;
constexpr double NEAR_PLANE = 0.1, FAR_PLANE = 1000.0;

constexpr float CAMERA_DROP = -0.5f;
constexpr float OVERVIEW_DOLLY = 0.6f;  // no player selected
constexpr float PLAYER_DOLLY = 0.8f;    // following a selected player

constexpr double FIELD_HALF_WIDTH = 1.0, FIELD_HALF_HEIGHT = 0.5;  // scene units

constexpr double CUBE_LIFT = 0.04;   // cube centre above the field
constexpr double CUBE_SIZE = 0.02;   // coloured wire edges
constexpr double BODY_SIZE = 0.019;  // black body inside the edges
constexpr double SHADOW_HALF = 0.01;
constexpr double SHADOW_Z = -0.039;  // relative to the cube centre: 0.001 above the field
constexpr float SHADOW_COLOUR[4] = {0.0f, 0.0f, 0.0f, 0.5f};

constexpr Colour BLACK = {0.0f, 0.0f, 0.0f};

}  // namespace

void placeCamera(Camera* camera, const Scene* scene) {
    const int selected = scene != nullptr ? scene->selectedPlayer : -1;
    const bool anySelected = selected >= 0 && selected < PLAYER_COUNT;
    float heading = scene != nullptr ? static_cast<float>(scene->cameraHeading) : 90.0f;
    float tilt = scene != nullptr ? static_cast<float>(scene->cameraTilt) : 70.0f;
    // The D side is watched from the other end of the field.
    if (anySelected && !isOSidePlayer(selected)) {
        heading = -heading;
        tilt = -tilt;
    }
    resetCamera(camera);
    rotateCamera(camera, heading, 0, 0, 1);
    rotateCamera(camera, tilt, 0, 1, 0);
    moveCamera(camera, 0, 0, CAMERA_DROP);
    dollyCamera(camera, anySelected ? PLAYER_DOLLY : OVERVIEW_DOLLY);
    const PlanPoint target = cameraTarget(scene, scene != nullptr ? sceneFrame(scene) : 0);
    moveCamera(camera, static_cast<float>(target.x - camera->center[0]),
               static_cast<float>(target.y - camera->center[1]), 0);
}

void drawPlayerCube(double x, double y, int player, int selectedPlayer) {
    setPlayerColour(player, selectedPlayer);
    glLineWidth(1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslated(x, y, CUBE_LIFT);
    glutWireCube(CUBE_SIZE);
    setColour(BLACK);
    glutSolidCube(BODY_SIZE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4fv(SHADOW_COLOUR);
    glBegin(GL_QUADS);
    glVertex3d(-SHADOW_HALF, -SHADOW_HALF, SHADOW_Z);
    glVertex3d(-SHADOW_HALF, SHADOW_HALF, SHADOW_Z);
    glVertex3d(SHADOW_HALF, SHADOW_HALF, SHADOW_Z);
    glVertex3d(SHADOW_HALF, -SHADOW_HALF, SHADOW_Z);
    glEnd();
    glDisable(GL_BLEND);
    glPopMatrix();
}

int draw3DView(InterfaceObject* object) {
    View* view = static_cast<View*>(object);
    const Scene* scene = view->scene;
    glViewport(view->x, view->y, view->w, view->h);
    fillUnitSquare(BLACK);

    const GLboolean depthWasOn = glIsEnabled(GL_DEPTH_TEST);
    glPushAttrib(GL_LINE_BIT);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(FIELD_OF_VIEW, ASPECT, NEAR_PLANE, FAR_PLANE);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    Camera* camera = getCamera(view, 0);
    if (camera != nullptr) {
        placeCamera(camera, scene);
        applyCamera(view, 0);
    }
    if (view->artwork != nullptr)
        drawTextureRect(view->artwork, -FIELD_HALF_WIDTH, -FIELD_HALF_HEIGHT, FIELD_HALF_WIDTH,
                        FIELD_HALF_HEIGHT);
    // No trails here: a cube where the plan views draw a dot. A key at the current
    // frame with a later key gives the same position twice; one cube shows it.
    if (scene != nullptr && scene->tracks != nullptr) {
        const int frame = sceneFrame(scene);
        for (int player = 0; player < PLAYER_COUNT; ++player) {
            PlanPoint dot;
            if (!playerDotPoint(scene, player, frame, &dot)) continue;
            const PlanPoint q = scenePoint(dot);
            drawPlayerCube(q.x, q.y, player, scene->selectedPlayer);
        }
    }

    if (!depthWasOn) glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();

    drawBevelFrame(BEVEL_LIGHT, BLACK);
    return 1;
}
