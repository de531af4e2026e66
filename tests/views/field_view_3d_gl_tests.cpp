// The 3D view's camera placement and the view drawn in a real window: cubes where
// the players stand, a black background, and keys without a registration record.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "gl_pixels.h"
#include "test_scene.h"
#include "views/field_view_3d.h"

namespace {

constexpr int kWindow = 300;
constexpr int kViewOrigin = 4, kViewSize = 292;
constexpr double kEps = 1e-4;
const Rgb kGrass = {0, 153, 0};  // the artwork: one green texel
const Rgb kClear = {0, 0, 255};
const Rgb kShadow = {0, 77, 0};  // half-transparent black over the grass

View view3d;
Texture grass;

class Field3DGlTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        openTestWindow(kWindow, kWindow, "3D view tests");
        createView(&view3d, kViewOrigin, kViewOrigin, kViewSize, kViewSize, "3D view of the field",
                   0);
        setViewBackground(&view3d, 0, 0, 0, 0);
        setDisplayCallback(&view3d, draw3DView);
        static unsigned char green[] = {0, 153, 0};  // BGR
        createTexture(&grass, green, 1, 1, 3, TEXTURE_BGR, 1);
    }
    void SetUp() override {
        beginTestFrame(kWindow, kWindow, 0.0f, 0.0f, 1.0f);
        view3d.artwork = &grass;
    }
    void TearDown() override { view3d.scene = nullptr; }
    static void draw(TestScene* t) {
        view3d.scene = t ? &t->scene : nullptr;
        view3d.display(&view3d);
    }
};

void expectCamera(const Camera& c, const float eye[3], const float center[3], const float up[3]) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(c.eye[i], eye[i], kEps) << "eye " << i;
        EXPECT_NEAR(c.center[i], center[i], kEps) << "center " << i;
        EXPECT_NEAR(c.up[i], up[i], kEps) << "up " << i;
    }
}

// Where the camera of the last draw shows the scene point (x, y, z), in window pixels.
void projectWithCamera(double x, double y, double z, double* px, double* py) {
    const Camera* c = getCamera(&view3d, 0);
    double model[16], projection[16];
    const int viewport[4] = {kViewOrigin, kViewOrigin, kViewSize, kViewSize};
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    gluLookAt(c->eye[0], c->eye[1], c->eye[2], c->center[0], c->center[1], c->center[2], c->up[0],
              c->up[1], c->up[2]);
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glLoadIdentity();
    gluPerspective(90, 1, 0.1, 1000);
    glGetDoublev(GL_MODELVIEW_MATRIX, projection);
    glPopMatrix();
    double wz;
    gluProject(x, y, z, model, projection, viewport, px, py, &wz);
}

TEST_F(Field3DGlTest, CameraOperationsMoveEyeCenterAndUp) {
    Camera c;
    initCamera(&c, 1, 2, 3, 4, 5, 6, 0, 0, 1, "persp");
    EXPECT_STREQ(c.name, "persp");
    moveCamera(&c, 1, -2, 0.5f);
    const float eye[3] = {2, 0, 3.5f}, center[3] = {5, 3, 6.5f}, up[3] = {0, 0, 1};
    expectCamera(c, eye, center, up);
    dollyCamera(&c, 0.25f);  // a quarter of the way to the center
    const float dollied[3] = {2.75f, 0.75f, 4.25f};
    expectCamera(c, dollied, center, up);
    // A quarter turn about x through the eye: the direction (2.25, 2.25, 2.25) turns
    // to (2.25, -2.25, 2.25) and up (0, 0, 1) to (0, -1, 0).
    rotateCamera(&c, 90, 2, 0, 0);  // the axis is normalised
    const float turned[3] = {5, -1.5f, 6.5f}, turnedUp[3] = {0, -1, 0};
    expectCamera(c, dollied, turned, turnedUp);
    resetCamera(&c);
    const float e0[3] = {0, 0, 1}, c0[3] = {0, 0, 0}, u0[3] = {0, 1, 0};
    expectCamera(c, e0, c0, u0);
    EXPECT_STREQ(c.name, "persp");

    char longName[600];
    std::fill(longName, longName + 599, 'n');
    longName[599] = '\0';
    initCamera(&c, 0, 0, 0, 0, 0, 0, 0, 0, 0, longName);
    EXPECT_EQ(std::strlen(c.name), 511u);
}

TEST_F(Field3DGlTest, PlacementFollowsTheTargetAndTheAngles) {
    TestScene t(100);
    t.key(4, 0, 600, 300);  // an O-side player at Q = (0.5, 0.25)
    Camera c;
    initCamera(&c, 0, 0, 0, 0, 0, 0, 0, 0, 0, "persp");

    // No player selected: T = (0.25, 0.125), dolly 0.6.
    placeCamera(&c, &t.scene);
    {
        const float eye[3] = {0.25f + 0.37588f, 0.125f, 0.29479f};
        const float center[3] = {0.25f, 0.125f, 0.15798f};
        const float up[3] = {-0.34202f, 0, 0.93969f};
        expectCamera(c, eye, center, up);
    }
    // The O-side player selected: T = its point, dolly 0.8.
    t.scene.selectedPlayer = 4;
    placeCamera(&c, &t.scene);
    {
        const float eye[3] = {0.5f + 0.18794f, 0.25f, 0.22638f};
        const float center[3] = {0.5f, 0.25f, 0.15798f};
        const float up[3] = {-0.34202f, 0, 0.93969f};
        expectCamera(c, eye, center, up);
    }
    // After a flip (-90, -70) the camera looks from the other end.
    t.scene.cameraHeading = -90;
    t.scene.cameraTilt = -70;
    placeCamera(&c, &t.scene);
    {
        const float eye[3] = {0.5f - 0.18794f, 0.25f, 0.22638f};
        const float center[3] = {0.5f, 0.25f, 0.15798f};
        const float up[3] = {0.34202f, 0, 0.93969f};
        expectCamera(c, eye, center, up);
    }
    t.scene.selectedPlayer = -1;
    placeCamera(&c, &t.scene);
    {
        const float eye[3] = {0.25f - 0.37588f, 0.125f, 0.29479f};
        const float center[3] = {0.25f, 0.125f, 0.15798f};
        const float up[3] = {0.34202f, 0, 0.93969f};
        expectCamera(c, eye, center, up);
    }
    // A D-side player watched with the angles 90 and 70: from the -x side; flipped, +x.
    t.key(11, 0, 200, 100);  // Q = (-0.5, -0.25)
    t.scene.selectedPlayer = 11;
    t.scene.cameraHeading = 90;
    t.scene.cameraTilt = 70;
    placeCamera(&c, &t.scene);
    {
        const float eye[3] = {-0.5f - 0.18794f, -0.25f, 0.22638f};
        const float center[3] = {-0.5f, -0.25f, 0.15798f};
        const float up[3] = {0.34202f, 0, 0.93969f};
        expectCamera(c, eye, center, up);
    }
    t.scene.cameraHeading = -90;
    t.scene.cameraTilt = -70;
    placeCamera(&c, &t.scene);
    EXPECT_NEAR(c.eye[0] - c.center[0], 0.18794, kEps);
}

TEST_F(Field3DGlTest, BlackBackgroundWhateverTheViewsColour) {
    view3d.artwork = nullptr;
    setViewBackground(&view3d, 1, 0, 0, 1);
    draw(nullptr);
    setViewBackground(&view3d, 0, 0, 0, 0);
    const Region inside(kViewOrigin + 2, kViewOrigin + 2, kViewSize - 4, kViewSize - 4);
    EXPECT_EQ(inside.count(kBlack, 0), inside.w * inside.h);
    EXPECT_TRUE(nearColour(readPixel(1, 150), kClear)) << "nothing outside the view";
    EXPECT_TRUE(nearColour(readPixel(150, 298), kClear));
    // The frame: white top and left edges, black bottom and right edges.
    const int top = kViewOrigin + kViewSize - 1, left = kViewOrigin;
    EXPECT_TRUE(nearColour(readPixel(150, top), {255, 255, 255}) ||
                nearColour(readPixel(150, top + 1), {255, 255, 255}));
    EXPECT_TRUE(nearColour(readPixel(left, 150), {255, 255, 255}) ||
                nearColour(readPixel(left - 1, 150), {255, 255, 255}));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST)) << "depth test restored";
}

TEST_F(Field3DGlTest, ACubeStandsWhereThePlayerIs) {
    TestScene t(100);
    t.key(2, 0, 500, 250);
    t.key(2, 20, 700, 250);  // at frame 10: plan (600, 250), Q = (0.5, 0.125)
    t.at(10);
    t.scene.selectedPlayer = 2;
    draw(&t);
    double px, py;
    projectWithCamera(0.5, 0.125, 0.04, &px, &py);
    const int x = static_cast<int>(px), y = static_cast<int>(py);
    EXPECT_NEAR(x, 150, 1) << "the camera follows the selected player";
    const Region r(x - 12, y - 25, 25, 38);  // the shadow lies below the cube
    EXPECT_GT(r.count(kBlack), 40) << "the cube's body";
    EXPECT_GT(r.count(kOSideSelected, 8), 8) << "its coloured edges";
    EXPECT_GT(r.count(kShadow), 20) << "its shadow";
    // The field shows around it, and no other cube.
    projectWithCamera(0.4, 0.125, 0, &px, &py);
    EXPECT_TRUE(nearColour(readPixel(static_cast<int>(px), static_cast<int>(py)), kGrass));

    // Without selection, the player still stands at its point, in the plain colour.
    clearTestWindow(0.0f, 0.0f, 1.0f);
    t.scene.selectedPlayer = -1;
    draw(&t);
    projectWithCamera(0.5, 0.125, 0.04, &px, &py);
    const Region plain(static_cast<int>(px) - 10, static_cast<int>(py) - 10, 21, 21);
    EXPECT_GT(plain.count(kBlack), 10);
    EXPECT_GT(plain.count(kOSide, 8), 4);
    EXPECT_EQ(plain.count(kOSideSelected, 8), 0);

    // Past its last key no cube is drawn.
    clearTestWindow(0.0f, 0.0f, 1.0f);
    t.at(30);
    draw(&t);
    const Region gone(0, 0, kWindow, kWindow);
    EXPECT_EQ(gone.count(kOSide, 8), 0);
}

TEST_F(Field3DGlTest, KeysBeyondTheRegistrationTableAreNotDrawn) {
    TestScene t(6);
    t.key(0, 2, 400, 200);
    t.key(0, 9, 500, 200);
    t.key(11, 8, 300, 200);
    for (int frame : {4, 8, 9, 12}) {
        clearTestWindow(0.0f, 0.0f, 1.0f);
        t.at(frame);
        draw(&t);
        const Region r(0, 0, kWindow, kWindow);
        EXPECT_EQ(r.count(kOSide, 8), 0) << frame;
        EXPECT_EQ(r.count(kDSide, 8), 0) << frame;
        // With nobody located the camera looks at the centre of the field.
        EXPECT_NEAR(getCamera(&view3d, 0)->center[0], 0, kEps) << frame;
    }
}

}  // namespace
