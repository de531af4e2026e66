#include "video_view/video_overlay.h"

#include "tracking/player_label.h"
#include "tracking/shown_position.h"

namespace {

constexpr double LABEL_TEXT_OFFSET = 3.0;  // the box starts this far left of being centred
constexpr double LABEL_DROP = 4.0;         // y0 lies this far below the rectangle centre

VideoPoint feetOf(const KeyFrame* key) {
    return {key->feetX, key->feetY};
}

VideoPoint centreOf(const KeyFrame* key) {
    return {key->rectX, key->rectY};
}

// A key point carried from its frame into the target frame (prepared once for every
// key), or as stored where it cannot be.
VideoPoint shownPoint(const Scene* scene, const CarryTarget& target, int targetFrame, int from,
                      VideoPoint point) {
    // On its own frame a key needs no homography, not even a valid one.
    if (from == targetFrame) return point;
    Homography carry;
    VideoPoint carried;
    if (carryMatrix(target, usableRecord(scene->registration, from), &carry) &&
        carryKeyPoint(carry, scene->videoHeight, point.x, point.y, &carried.x, &carried.y))
        return carried;
    return point;
}

// The position between k0 and k1 at frame, as the tracking file writes it.
KeyFrame shownAt(const Scene* scene, const KeyNode* k0, const KeyNode* k1, double w, int frame,
                 bool* carried = nullptr) {
    return shownBetweenKeys(shownSpan(scene->registration, k0, k1),
                            carryTarget(scene->registration, frame), frame, w, scene->videoHeight,
                            carried);
}

}  // namespace

bool carryPoint(const Scene* scene, int from, int to, VideoPoint point, VideoPoint* out) {
    if (scene == nullptr) return false;
    // On its own frame a key needs no homography, not even a valid one.
    if (from == to) {
        *out = point;
        return true;
    }
    Homography carry;
    return carryMatrix(carryTarget(scene->registration, to),
                       usableRecord(scene->registration, from), &carry) &&
           carryKeyPoint(carry, scene->videoHeight, point.x, point.y, &out->x, &out->y);
}

VideoRect keyRect(const KeyFrame* key) {
    return {key->rectX, key->rectY, key->rectWidth * 0.5, key->rectHeight * 0.5};
}

bool interpolatedRect(const Scene* scene, const KeyNode* k0, const KeyNode* k1, double w, int frame,
                      VideoRect* out) {
    if (scene == nullptr || k0 == nullptr || k1 == nullptr) return false;
    const KeyFrame shown = shownAt(scene, k0, k1, w, frame);
    *out = keyRect(&shown);
    return true;
}

void buildTrajectory(const Scene* scene, PlayerTrack* track, Trajectory* out) {
    out->steps.clear();
    out->hasTail = false;
    out->hasRect = false;
    if (scene == nullptr || track == nullptr) return;
    const int frame = sceneFrame(scene);
    const CarryTarget target = carryTarget(scene->registration, frame);

    bool havePrevious = false;
    VideoPoint previous;
    KeyNode* last = nullptr;
    for (KeyNode* key = firstKey(track); key != nullptr && key->frame <= frame;
         key = nextKey(track, key)) {
        const KeyFrame* k = keyFrameOf(key);
        last = key;
        TrailStep step;
        const VideoPoint feet = shownPoint(scene, target, frame, key->frame, feetOf(k));
        if (havePrevious) {
            step.hasLine = true;
            step.lineFrom = previous;
            step.lineTo = feet;
        }
        step.hasPoint = true;
        step.point = feet;
        previous = feet;
        havePrevious = true;
        if (key->frame == frame) {
            step.hasRect = true;
            step.rect = keyRect(k);
        }
        out->steps.push_back(step);
    }

    KeyNode* next = last != nullptr ? nextKey(track, last) : nullptr;
    if (next == nullptr) return;
    const double w = keyWeight(track, last, frame);
    bool carried = false;
    const KeyFrame shown = shownAt(scene, last, next, w, frame, &carried);
    // On the last key's own frame (w = 1) the line has no length. It starts where the
    // blend started: at the carried key point, or at the stored one.
    if (w < 1.0) {
        const VideoPoint a = feetOf(keyFrameOf(last));
        out->hasTail = true;
        out->tailFrom = carried ? shownPoint(scene, target, frame, last->frame, a) : a;
        out->tailTo = feetOf(&shown);
    }
    out->hasRect = true;
    out->rect = keyRect(&shown);
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
    const KeyFrame shown = shownAt(scene, k0, k1, keyWeight(track, k0, frame), frame);
    out->hasRect = true;
    out->rect = keyRect(&shown);
    out->hasFeet = true;
    out->feet = feetOf(&shown);
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
