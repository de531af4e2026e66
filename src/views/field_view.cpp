#include "views/field_view.h"

#include <GL/gl.h>

#include <vector>

#include "views/trail_layer.h"
#include "widgets/bitmap_font.h"

namespace {

constexpr double LABEL_Z = 0.99;  // label boxes, over every player
constexpr double PLAN_NEAR = -2.0, PLAN_FAR = 2.0;
constexpr float LABEL_BOX[3] = {0.1f, 0.1f, 0.1f};
constexpr int LABEL_BOX_HALF_HEIGHT = 6;
constexpr int LABEL_TEXT_DROP = 7;  // text origin below the anchor

void drawPoint(PlanPoint at, double z, float size) {
    glPointSize(size);
    glBegin(GL_POINTS);
    glVertex3d(at.x, at.y, z);
    glEnd();
}

}  // namespace

void setPlayerColour(int player, int selectedPlayer) {
    setColour(teamColour(player, selectedPlayer));
}

void drawPlayerDot(PlanPoint at, int player, int selectedPlayer, const PlanMarkStyle& style) {
    setPlayerColour(player, selectedPlayer);
    drawPoint(at, PLAN_MARK_Z, style.dotSize);
    glColor3d(0, 0, 0);
    drawPoint(at, PLAN_CENTRE_Z, style.centreSize);
}

void drawPlayerMarks(const Scene* scene, const PlanMarkStyle& style) {
    if (scene == nullptr || scene->tracks == nullptr) return;
    const int frame = sceneFrame(scene);
    // One line strip per player, from one projection per key, draws the same pixels
    // as a line per segment at a fraction of the calls.
    // Kept between redisplays: a trail of thousands of points would otherwise be
    // allocated afresh, and its pages faulted in, at every redisplay.
    static std::vector<double> trail;
    glPushAttrib(GL_LINE_BIT | GL_POINT_BIT | GL_CURRENT_BIT);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glEnableClientState(GL_VERTEX_ARRAY);
    for (int player = 0; player < PLAYER_COUNT; ++player) {
        if (scene->showTrails) {
            trail.clear();
            const int points = appendTrail(scene, player, frame, PLAN_MARK_Z, &trail);
            if (points > 1) {
                setPlayerColour(player, scene->selectedPlayer);
                glLineWidth(trailWidth(player, scene->selectedPlayer));
                glVertexPointer(3, GL_DOUBLE, 0, trail.data());
                glDrawArrays(GL_LINE_STRIP, 0, points);
            }
        }
        PlanPoint dot;
        if (playerDotPoint(scene, player, frame, &dot))
            drawPlayerDot(dot, player, scene->selectedPlayer, style);
    }
    glPopClientAttrib();
    glPopAttrib();
}

void drawPlayerLabels(const Scene* scene) {
    if (scene == nullptr || scene->tracks == nullptr) return;
    const int frame = sceneFrame(scene);
    for (int player = 0; player < PLAYER_COUNT; ++player) {
        PlanPoint dot;
        PlayerLabel label;
        if (!playerDotPoint(scene, player, frame, &dot) || !playerLabel(player, dot, &label))
            continue;
        const int l = label.left, b = label.width, y = label.y;
        glColor3fv(LABEL_BOX);
        glBegin(GL_QUADS);
        glVertex3d(l - 2, y - LABEL_BOX_HALF_HEIGHT, LABEL_Z);
        glVertex3d(l + b - 1, y - LABEL_BOX_HALF_HEIGHT, LABEL_Z);
        glVertex3d(l + b - 1, y + LABEL_BOX_HALF_HEIGHT, LABEL_Z);
        glVertex3d(l - 2, y + LABEL_BOX_HALF_HEIGHT, LABEL_Z);
        glEnd();
        setPlayerColour(player, scene->selectedPlayer);
        drawText(label.text, static_cast<float>(l), static_cast<float>(y - LABEL_TEXT_DROP),
                 static_cast<float>(PLAN_WIDTH), static_cast<float>(PLAN_HEIGHT), defaultFont);
    }
}

void drawPlanView(View* view, const PlanMarkStyle& style) {
    displayView(view);
    if (view->artwork != nullptr) drawTexture(view->artwork);
    const Scene* scene = view->scene;
    if (scene == nullptr) return;

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, PLAN_WIDTH, 0, PLAN_HEIGHT, PLAN_NEAR, PLAN_FAR);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    if (!drawPlayerMarksLayered(view, style)) drawPlayerMarks(scene, style);
    if (style.labels && scene->showNumbers) drawPlayerLabels(scene);

    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

int drawFieldView(InterfaceObject* object) {
    drawPlanView(static_cast<View*>(object), FIELD_VIEW_MARKS);
    return 1;
}
