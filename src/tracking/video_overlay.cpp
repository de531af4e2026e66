#include "tracking/video_overlay.h"

#include <cmath>

#include "tracking/player_label.h"

namespace {

constexpr double LABEL_TEXT_OFFSET = 3.0;  // the box starts this far left of being centred
constexpr double LABEL_DROP = 4.0;         // y0 lies this far below the rectangle centre

VideoPoint feetOf(const KeyFrame* key) {
    return {key->feetX, key->feetY};
}

VideoPoint centreOf(const KeyFrame* key) {
    return {key->rectX, key->rectY};
}

// w * a + (1 - w) * b of two key points, each carried from its key's frame to frame.
// A point of weight 0 plays no part and is not carried, so a key without a record
// does not hide a position that does not depend on it.
bool blendCarried(const Scene* scene, int frame, double w, const KeyNode* ka, VideoPoint a,
                  const KeyNode* kb, VideoPoint b, VideoPoint* out) {
    VideoPoint pa, pb;
    if (w != 0.0 && !carryPoint(scene, ka->frame, frame, a, &pa)) return false;
    if (w != 1.0 && !carryPoint(scene, kb->frame, frame, b, &pb)) return false;
    *out = {blendValue(w, pa.x, pb.x), blendValue(w, pa.y, pb.y)};
    return true;
}

}  // namespace

bool carryPoint(const Scene* scene, int from, int to, VideoPoint point, VideoPoint* out) {
    if (scene == nullptr) return false;
    // On its own frame a key needs no homography, not even a valid one.
    if (from == to) {
        *out = point;
        return true;
    }
    const Homography* target = homographyAt(scene->registration, to);
    const Homography* source = homographyAt(scene->registration, from);
    if (target == nullptr || source == nullptr) return false;
    const double image[3] = {point.x, scene->videoHeight - point.y, 1.0};
    double moved[3];
    if (!transferPoint(moved, target, source, image)) return false;
    const VideoPoint carried = {moved[0], scene->videoHeight - moved[1]};
    if (!std::isfinite(carried.x) || !std::isfinite(carried.y)) return false;
    *out = carried;
    return true;
}

VideoRect keyRect(const KeyFrame* key) {
    return {key->rectX, key->rectY, key->rectWidth * 0.5, key->rectHeight * 0.5};
}

bool interpolatedRect(const Scene* scene, const KeyNode* k0, const KeyNode* k1, double w, int frame,
                      VideoRect* out) {
    if (k0 == nullptr || k1 == nullptr) return false;
    const KeyFrame* a = keyFrameOf(k0);
    const KeyFrame* b = keyFrameOf(k1);
    VideoPoint centre;
    if (!blendCarried(scene, frame, w, k0, centreOf(a), k1, centreOf(b), &centre)) return false;
    out->cx = centre.x;
    out->cy = centre.y;
    out->halfWidth = blendValue(w, a->rectWidth, b->rectWidth) * 0.5;
    out->halfHeight = blendValue(w, a->rectHeight, b->rectHeight) * 0.5;
    return true;
}

void buildTrajectory(const Scene* scene, PlayerTrack* track, Trajectory* out) {
    out->steps.clear();
    out->hasTail = false;
    out->hasRect = false;
    if (scene == nullptr || track == nullptr) return;
    const int frame = sceneFrame(scene);

    bool havePrevious = false;
    VideoPoint previous;
    KeyNode* last = nullptr;
    for (KeyNode* key = firstKey(track); key != nullptr && key->frame <= frame;
         key = nextKey(track, key)) {
        const KeyFrame* k = keyFrameOf(key);
        last = key;
        TrailStep step;
        VideoPoint feet;
        // A key that cannot be carried drops out; the line joins its neighbours.
        if (carryPoint(scene, key->frame, frame, feetOf(k), &feet)) {
            if (havePrevious) {
                step.hasLine = true;
                step.lineFrom = previous;
                step.lineTo = feet;
            }
            step.hasPoint = true;
            step.point = feet;
            previous = feet;
            havePrevious = true;
        }
        if (key->frame == frame) {
            step.hasRect = true;
            step.rect = keyRect(k);
        }
        out->steps.push_back(step);
    }

    KeyNode* next = last != nullptr ? nextKey(track, last) : nullptr;
    if (next == nullptr) return;
    const double w = keyWeight(track, last, frame);
    const KeyFrame* a = keyFrameOf(last);
    const KeyFrame* b = keyFrameOf(next);
    VideoPoint from, to;
    // On the last key's own frame (w = 1) the line has no length.
    if (w < 1.0 && carryPoint(scene, last->frame, frame, feetOf(a), &from) &&
        blendCarried(scene, frame, w, last, feetOf(a), next, feetOf(b), &to)) {
        out->hasTail = true;
        out->tailFrom = from;
        out->tailTo = to;
    }
    out->hasRect = interpolatedRect(scene, last, next, w, frame, &out->rect);
}

void buildPlainMarks(const Scene* scene, PlayerTrack* track, PlainMarks* out) {
    *out = PlainMarks();
    if (scene == nullptr || track == nullptr) return;
    const int frame = sceneFrame(scene);
    KeyNode* k0 = seekKey(track, frame);
    if (k0 == nullptr) return;
    const KeyFrame* a = keyFrameOf(k0);
    KeyNode* k1 = nextKey(track, k0);
    if (k1 == nullptr) {
        // After the last key its drawing stays as it was on its own frame.
        out->hasRect = true;
        out->rect = keyRect(a);
        out->hasFeet = true;
        out->feet = feetOf(a);
        return;
    }
    const KeyFrame* b = keyFrameOf(k1);
    const double w = keyWeight(track, k0, frame);
    out->hasRect = interpolatedRect(scene, k0, k1, w, frame, &out->rect);
    out->hasFeet = true;
    out->feet = {blendValue(w, a->feetX, b->feetX), blendValue(w, a->feetY, b->feetY)};
}

bool videoLabel(const Scene* scene, int player, VideoLabel* out) {
    if (scene == nullptr || scene->tracks == nullptr || player < 0 || player >= PLAYER_COUNT)
        return false;
    PlayerTrack* track = &scene->tracks[player];
    const int frame = sceneFrame(scene);
    KeyNode* key = seekKey(track, frame);
    if (key == nullptr) return false;
    KeyNode* next = nextKey(track, key);
    if (next == nullptr && key->frame != frame) return false;

    VideoPoint at;
    const double w = keyWeight(track, key, frame);
    if (w == 1.0) {
        at = centreOf(keyFrameOf(key));
    } else {
        VideoRect rect;
        if (!interpolatedRect(scene, key, next, w, frame, &rect)) return false;
        at = {rect.cx, rect.cy};
    }

    out->oSide = isOSidePlayer(player);
    playerLabelText(player, out->text);
    out->width = playerLabelWidth(player);
    out->x0 = at.x - (out->width * 0.5 + LABEL_TEXT_OFFSET);
    out->y0 = at.y - LABEL_DROP;
    return true;
}
