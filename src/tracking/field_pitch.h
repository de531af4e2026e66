// Field pitch: the 800 x 400 field plan that the registration maps every frame onto,
// and the pitch drawn in its middle. One definition for the field views, the exports
// and the demo generator's artwork, so that metres on the pitch and plan units agree.
#pragma once

#include "tracking/registration.h"

// The plan: x to the right, y upward; a registration record maps an image point to
// (u, v) with the plan point (u, PLAN_HEIGHT - v).
constexpr double PLAN_WIDTH = 800.0;
constexpr double PLAN_HEIGHT = 400.0;

// The pitch: 105 x 68 metres at 5 plan units a metre, centred on the plan.
constexpr double UNITS_PER_METRE = 5.0;
constexpr double PITCH_LENGTH_METRES = 105.0;                           // goal line to goal line
constexpr double PITCH_WIDTH_METRES = 68.0;                             // touchline to touchline
constexpr double PITCH_LENGTH = PITCH_LENGTH_METRES * UNITS_PER_METRE;  // 525 plan units
constexpr double PITCH_WIDTH = PITCH_WIDTH_METRES * UNITS_PER_METRE;    // 340 plan units
constexpr double PITCH_CENTRE_X = PLAN_WIDTH / 2;                       // the centre spot
constexpr double PITCH_CENTRE_Y = PLAN_HEIGHT / 2;
constexpr double PITCH_LEFT = PITCH_CENTRE_X - PITCH_LENGTH / 2;   // left goal line, x
constexpr double PITCH_RIGHT = PITCH_CENTRE_X + PITCH_LENGTH / 2;  // right goal line, x
constexpr double PITCH_BOTTOM = PITCH_CENTRE_Y - PITCH_WIDTH / 2;  // lower touchline, y
constexpr double PITCH_TOP = PITCH_CENTRE_Y + PITCH_WIDTH / 2;     // upper touchline, y

struct PitchMetres {
    double x = 0.0;  // metres from the centre spot toward the plan's right-hand goal
    double y = 0.0;  // metres from the centre spot toward the plan's upper touchline
};
PitchMetres planToMetres(double planX, double planY);

// The plan point of an image point (pixels, y downward) through a frame's record.
// False when the point maps to infinity or the result is not finite.
bool imageToPlan(const Homography* record, double x, double y, double* planX, double* planY);
