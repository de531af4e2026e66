#include "assist/tracking_failure.h"

#include <algorithm>
#include <cmath>

const char* trackingStopReason(TrackingStop stop) {
    switch (stop) {
        case TRACK_RUNNING:
            return "running";
        case TRACK_REACHED_KEY:
            return "next key reached";
        case TRACK_END_OF_VIDEO:
            return "end of the video";
        case TRACK_LIMIT:
            return "longest run tracked";
        case TRACK_BY_USER:
            return "stopped by the user";
        case TRACK_LOST:
            return "target lost";
        case TRACK_JUMP:
            return "implausible jump";
        case TRACK_SIZE_CHANGE:
            return "implausible size change";
        case TRACK_TOO_FAST:
            return "faster than a player runs";
        case TRACK_LEFT_PICTURE:
            return "target left the picture";
        case TRACK_UNREADABLE:
            return "frame cannot be read";
    }
    return "unknown";
}

bool fieldPointAt(const Registration* registration, int videoHeight, int frame, double x, double y,
                  double* fieldX, double* fieldY) {
    const Homography* h = homographyAt(registration, frame);
    if (h == nullptr) return false;
    const double image[3] = {x, videoHeight - y, 1.0};
    double field[3];
    projectToField(h, image, field);
    if (field[2] == 0.0 || !std::isfinite(field[0]) || !std::isfinite(field[1])) return false;
    *fieldX = field[0];
    *fieldY = field[1];
    return true;
}

double imageScaleAt(const Registration* registration, int videoHeight, int frame, double x,
                    double y) {
    double ax, ay, bx, by;
    if (!fieldPointAt(registration, videoHeight, frame, x - 0.5, y, &ax, &ay) ||
        !fieldPointAt(registration, videoHeight, frame, x + 0.5, y, &bx, &by))
        return 0.0;
    const double span = std::hypot(bx - ax, by - ay);
    return span > 0.0 && std::isfinite(span) ? 1.0 / span : 0.0;
}

namespace {

double insideShare(const KeyFrame& box, int width, int height) {
    const double area = box.rectWidth * box.rectHeight;
    if (!(area > 0.0)) return 0.0;
    const double x0 = std::max(0.0, box.rectX - box.rectWidth / 2);
    const double x1 = std::min(double(width), box.rectX + box.rectWidth / 2);
    const double y0 = std::max(0.0, box.rectY - box.rectHeight / 2);
    const double y1 = std::min(double(height), box.rectY + box.rectHeight / 2);
    if (x1 <= x0 || y1 <= y0) return 0.0;
    return (x1 - x0) * (y1 - y0) / area;
}

// The previous centre as it lies in this frame's image: the camera moved, the player
// did not necessarily.
void carriedCentre(const FailureCheck& check, int from, int to, const KeyFrame& box, double* x,
                   double* y) {
    *x = box.rectX;
    *y = box.rectY;
    const Homography* source = homographyAt(check.registration, from);
    const Homography* target = homographyAt(check.registration, to);
    if (source == nullptr || target == nullptr) return;
    const double image[3] = {box.rectX, check.videoHeight - box.rectY, 1.0};
    double moved[3];
    if (!transferPoint(moved, target, source, image)) return;
    const double cx = moved[0], cy = check.videoHeight - moved[1];
    if (std::isfinite(cx) && std::isfinite(cy)) {
        *x = cx;
        *y = cy;
    }
}

// Field distance (plan units) one pixel step spans at the image point, the larger of
// a step across and a step up; 0 without a record.
double pixelSpan(const FailureCheck& check, int frame, double x, double y) {
    double fx, fy, ax, ay, bx, by;
    if (!fieldPointAt(check.registration, check.videoHeight, frame, x, y, &fx, &fy) ||
        !fieldPointAt(check.registration, check.videoHeight, frame, x + 1, y, &ax, &ay) ||
        !fieldPointAt(check.registration, check.videoHeight, frame, x, y + 1, &bx, &by))
        return 0.0;
    return std::max(std::hypot(ax - fx, ay - fy), std::hypot(bx - fx, by - fy));
}

}  // namespace

TrackingStop checkTrackedStep(const FailureCheck& check, int previousFrame,
                              const KeyFrame& previous, int frame, const KeyFrame& next,
                              bool trackerOk) {
    if (!trackerOk) return TRACK_LOST;
    if (!(next.rectWidth > 0.0) || !(next.rectHeight > 0.0) || !std::isfinite(next.rectX) ||
        !std::isfinite(next.rectY))
        return TRACK_LOST;
    if (insideShare(next, check.videoWidth, check.videoHeight) < MIN_INSIDE)
        return TRACK_LEFT_PICTURE;

    double px, py;
    carriedCentre(check, previousFrame, frame, previous, &px, &py);
    if (std::hypot(next.rectX - px, next.rectY - py) > MAX_JUMP * previous.rectHeight)
        return TRACK_JUMP;

    const double widthStep = next.rectWidth / previous.rectWidth;
    const double heightStep = next.rectHeight / previous.rectHeight;
    if (!(widthStep <= MAX_SIZE_STEP && widthStep >= 1 / MAX_SIZE_STEP &&
          heightStep <= MAX_SIZE_STEP && heightStep >= 1 / MAX_SIZE_STEP))
        return TRACK_SIZE_CHANGE;

    double ax, ay, bx, by;
    if (fieldPointAt(check.registration, check.videoHeight, previousFrame, previous.feetX,
                     previous.feetY, &ax, &ay) &&
        fieldPointAt(check.registration, check.videoHeight, frame, next.feetX, next.feetY, &bx,
                     &by)) {
        const double reach = MAX_PLAYER_SPEED * FIELD_UNITS_PER_METRE / check.frameRate +
                             pixelSpan(check, previousFrame, previous.feetX, previous.feetY) +
                             pixelSpan(check, frame, next.feetX, next.feetY);
        if (std::hypot(bx - ax, by - ay) > reach) return TRACK_TOO_FAST;
    }
    return TRACK_RUNNING;
}
