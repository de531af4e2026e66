#include "tracking/shown_position.h"

#include <cmath>

const Homography* usableRecord(const Registration* registration, int frame) {
    const Homography* record = homographyAt(registration, frame);
    if (record == nullptr) return nullptr;
    Homography inverse;
    const double det = invertHomography(&inverse, record);
    return det != 0.0 && std::isfinite(det) ? record : nullptr;
}

CarryTarget carryTarget(const Registration* registration, int frame) {
    CarryTarget target;
    const Homography* record = homographyAt(registration, frame);
    if (record == nullptr) return target;
    const double det = invertHomography(&target.inverse, record);
    if (det != 0.0 && std::isfinite(det)) target.record = record;
    return target;
}

bool carryMatrix(const CarryTarget& target, const Homography* source, Homography* out) {
    if (target.record == nullptr || source == nullptr) return false;
    multiplyHomography(out, &target.inverse, source);
    return true;
}

bool carryKeyPoint(const Homography& carry, int videoHeight, double x, double y, double* outX,
                   double* outY) {
    const double* h = carry.h;
    const double image[3] = {x, videoHeight - y, 1.0};
    const double X = h[0] * image[0] + h[1] * image[1] + h[2] * image[2];
    const double Y = h[3] * image[0] + h[4] * image[1] + h[5] * image[2];
    const double W = h[6] * image[0] + h[7] * image[1] + h[8] * image[2];
    const double carriedX = X / W, carriedY = videoHeight - Y / W;
    if (!std::isfinite(carriedX) || !std::isfinite(carriedY)) return false;
    *outX = carriedX;
    *outY = carriedY;
    return true;
}

ShownSpan shownSpan(const Registration* registration, const KeyNode* k0, const KeyNode* k1) {
    ShownSpan span;
    span.f0 = k0->frame;
    span.f1 = k1->frame;
    span.a = keyFrameOf(k0);
    span.b = keyFrameOf(k1);
    span.h0 = usableRecord(registration, span.f0);
    span.h1 = usableRecord(registration, span.f1);
    return span;
}

KeyFrame shownBetweenKeys(const ShownSpan& span, const CarryTarget& target, int frame, double w,
                          int videoHeight, bool* carried) {
    const KeyFrame& a = *span.a;
    const KeyFrame& b = *span.b;
    if (carried != nullptr) *carried = false;
    // On a key's own frame nothing is carried: the key is shown as stored.
    if (frame == span.f0) return a;
    if (frame == span.f1)
        return KeyFrame{a.flags, b.feetX, b.feetY, b.rectX, b.rectY, b.rectWidth, b.rectHeight};
    KeyFrame shown = blendKeyFrames(w, a, b);
    Homography m0, m1;
    double ax, ay, bx, by, cx, cy, dx, dy;
    if (!carryMatrix(target, span.h0, &m0) || !carryMatrix(target, span.h1, &m1) ||
        !carryKeyPoint(m0, videoHeight, a.feetX, a.feetY, &ax, &ay) ||
        !carryKeyPoint(m1, videoHeight, b.feetX, b.feetY, &bx, &by) ||
        !carryKeyPoint(m0, videoHeight, a.rectX, a.rectY, &cx, &cy) ||
        !carryKeyPoint(m1, videoHeight, b.rectX, b.rectY, &dx, &dy))
        return shown;
    shown.feetX = blendValue(w, ax, bx);
    shown.feetY = blendValue(w, ay, by);
    shown.rectX = blendValue(w, cx, dx);
    shown.rectY = blendValue(w, cy, dy);
    if (carried != nullptr) *carried = true;
    return shown;
}
