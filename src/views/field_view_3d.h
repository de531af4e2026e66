// 3D field view: the field in perspective with the players as cubes, seen by a
// camera placed afresh at every redisplay from the selection and the camera angles.
#pragma once

#include "views/view.h"

// Places `camera` for the scene at its current frame: from the reset state, turned by
// the heading about z and the tilt about y (both negated for a selected D-side
// player), lowered by 0.5, moved towards its center (0.6 of the way with no player
// selected, 0.8 with one), then shifted so that the center stands above the target
// (cameraTarget). Uses the GL matrix stack of the current context.
void placeCamera(Camera* camera, const Scene* scene);
// Draws one player cube with its shadow at scene point (x, y) in the current matrices.
void drawPlayerCube(double x, double y, int player, int selectedPlayer);
// Display callback of the "3D view of the field": a black background, the field
// artwork on the plane z = 0 and a cube at every player's position, depth-tested,
// then a white and black frame. Ignores the view's background colour. Returns 1.
int draw3DView(InterfaceObject* object);
