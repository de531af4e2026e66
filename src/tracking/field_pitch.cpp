#include "tracking/field_pitch.h"

#include <cmath>

PitchMetres planToMetres(double planX, double planY) {
    return {(planX - PITCH_CENTRE_X) / UNITS_PER_METRE, (planY - PITCH_CENTRE_Y) / UNITS_PER_METRE};
}

bool imageToPlan(const Homography* record, double x, double y, double* planX, double* planY) {
    const double image[3] = {x, y, 1.0};
    double field[3];
    if (!projectToField(record, image, field) || field[2] == 0.0) return false;
    const double px = field[0], py = PLAN_HEIGHT - field[1];
    if (!std::isfinite(px) || !std::isfinite(py)) return false;
    *planX = px;
    *planY = py;
    return true;
}
