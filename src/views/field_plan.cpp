#include "views/field_plan.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr TeamColour O_SIDE_COLOUR = {0.5, 0.5, 0.0};
constexpr TeamColour O_SIDE_SELECTED_COLOUR = {1.0, 1.0, 0.3};
constexpr TeamColour D_SIDE_COLOUR = {0.5, 0.0, 0.5};
constexpr TeamColour D_SIDE_SELECTED_COLOUR = {1.0, 0.3, 1.0};

constexpr float SELECTED_TRAIL_WIDTH = 2.0f;
constexpr float TRAIL_WIDTH = 1.0f;

constexpr int LABEL_WIDTH = 17;                 // one-digit numbers
constexpr int LABEL_WIDTH_PER_DIGIT = 6;        // added per extra digit
constexpr int LABEL_OFFSET = 3;                 // text starts this far left of the centred box
constexpr double LABEL_COORDINATE_LIMIT = 1e6;  // far off the plan; keeps int casts defined

bool validPlayer(const Scene* scene, int player) {
    return scene != nullptr && scene->tracks != nullptr && player >= 0 && player < PLAYER_COUNT;
}

PlanPoint mix(PlanPoint a, double w, PlanPoint b) {
    // w * a + (1 - w) * b, per coordinate.
    return {w * a.x + (1.0 - w) * b.x, w * a.y + (1.0 - w) * b.y};
}

// The key at or before frame, its next key and the interpolation weight between them.
struct KeySpan {
    KeyNode* key = nullptr;
    KeyNode* next = nullptr;
    double weight = 0.0;
};

bool spanAt(const Scene* scene, int player, int frame, KeySpan* span) {
    PlayerTrack* track = &scene->tracks[player];
    span->key = seekKey(track, frame);
    if (span->key == nullptr) return false;
    span->next = nextKey(track, span->key);
    span->weight = keyWeight(track, span->key, frame);
    return true;
}

// The player's point at frame from its span: interpolated strictly between two keys,
// else the key's own point (when allowLastKey, also after the last key).
bool spanPoint(const Scene* scene, const KeySpan& span, int frame, bool allowLastKey,
               PlanPoint* out) {
    PlanPoint key;
    if (!planPoint(scene, span.key, &key)) return false;
    if (span.weight < 1.0 && span.next != nullptr) {
        PlanPoint next;
        if (!planPoint(scene, span.next, &next)) return false;
        *out = mix(key, span.weight, next);
        return true;
    }
    if (!allowLastKey && span.key->frame != frame) return false;
    *out = key;
    return true;
}

}  // namespace

TeamColour teamColour(int player, int selectedPlayer) {
    const bool selected = player == selectedPlayer;
    if (isOSide(player)) return selected ? O_SIDE_SELECTED_COLOUR : O_SIDE_COLOUR;
    return selected ? D_SIDE_SELECTED_COLOUR : D_SIDE_COLOUR;
}

float trailWidth(int player, int selectedPlayer) {
    return player == selectedPlayer ? SELECTED_TRAIL_WIDTH : TRAIL_WIDTH;
}

bool planPoint(const Scene* scene, const KeyNode* key, PlanPoint* out) {
    if (scene == nullptr || key == nullptr) return false;
    const Homography* h = homographyAt(scene->registration, key->frame);
    if (h == nullptr) return false;
    const KeyFrame* k = keyFrameOf(key);
    if (k == nullptr) return false;
    const double image[3] = {k->feetX, scene->videoHeight - k->feetY, 1.0};
    double field[3];
    projectToField(h, image, field);
    out->x = field[0];
    out->y = PLAN_HEIGHT - field[1];
    return true;
}

bool playerDotPoint(const Scene* scene, int player, int frame, PlanPoint* out) {
    if (!validPlayer(scene, player)) return false;
    KeySpan span;
    if (!spanAt(scene, player, frame, &span)) return false;
    return spanPoint(scene, span, frame, false, out);
}

int appendTrail(const Scene* scene, int player, int frame, double z, std::vector<double>* out) {
    if (!validPlayer(scene, player)) return 0;
    const PlayerTrack* track = &scene->tracks[player];
    int count = 0;
    auto append = [&](PlanPoint p) {
        out->push_back(p.x);
        out->push_back(p.y);
        out->push_back(z);
        ++count;
    };
    for (KeyNode* key = firstKey(track); key != nullptr && key->frame <= frame;
         key = nextKey(track, key)) {
        PlanPoint p;
        if (planPoint(scene, key, &p)) append(p);
    }
    // The segment from the last key on to the current position; at a key's own frame
    // that position is the key itself and adds nothing.
    KeySpan span;
    PlanPoint dot;
    if (count > 0 && spanAt(scene, player, frame, &span) && span.key->frame != frame &&
        spanPoint(scene, span, frame, false, &dot))
        append(dot);
    return count;
}

bool playerLabel(int player, PlanPoint at, PlayerLabel* out) {
    if (!std::isfinite(at.x) || !std::isfinite(at.y)) return false;
    const int number = player % O_SIDE_PLAYERS + 1;
    std::snprintf(out->text, sizeof out->text, "%c%d", isOSide(player) ? 'O' : 'D', number);
    out->width = LABEL_WIDTH + LABEL_WIDTH_PER_DIGIT * (number / 10);
    const int x = static_cast<int>(
        std::fmax(-LABEL_COORDINATE_LIMIT, std::fmin(at.x, LABEL_COORDINATE_LIMIT)));
    out->y = static_cast<int>(
        std::fmax(-LABEL_COORDINATE_LIMIT, std::fmin(at.y, LABEL_COORDINATE_LIMIT)));
    out->left = x - out->width / 2 - LABEL_OFFSET;
    return true;
}

PlanPoint scenePoint(PlanPoint plan) {
    return {(plan.x - PLAN_WIDTH / 2) * SCENE_SCALE, (plan.y - PLAN_HEIGHT / 2) * SCENE_SCALE};
}

void teamFocusPoints(const Scene* scene, int frame, PlanPoint* oSide, PlanPoint* dSide) {
    PlanPoint sum[2];
    int count[2] = {0, 0};
    if (scene != nullptr && scene->tracks != nullptr) {
        const bool anySelected = validPlayer(scene, scene->selectedPlayer);
        for (int player = 0; player < PLAYER_COUNT; ++player) {
            if (anySelected && player != scene->selectedPlayer) continue;
            KeySpan span;
            if (!spanAt(scene, player, frame, &span)) continue;
            PlanPoint key, point;
            if (!planPoint(scene, span.key, &key)) continue;
            if (span.weight < 1.0 && span.next != nullptr) {
                PlanPoint next;
                if (!planPoint(scene, span.next, &next)) continue;
                // Interpolated in scene units: (1 - w) * Q(P(n)) + w * Q(P(k)).
                const PlanPoint qk = scenePoint(key), qn = scenePoint(next);
                point = {(1.0 - span.weight) * qn.x + span.weight * qk.x,
                         (1.0 - span.weight) * qn.y + span.weight * qk.y};
            } else {
                point = scenePoint(key);
            }
            const int side = isOSide(player) ? 0 : 1;
            sum[side].x += point.x;
            sum[side].y += point.y;
            count[side]++;
        }
    }
    for (int side = 0; side < 2; ++side) {
        if (count[side] == 0) continue;
        sum[side].x /= count[side];
        sum[side].y /= count[side];
    }
    *oSide = sum[0];
    *dSide = sum[1];
}

PlanPoint cameraTarget(const Scene* scene, int frame) {
    PlanPoint o, d;
    teamFocusPoints(scene, frame, &o, &d);
    if (scene != nullptr && validPlayer(scene, scene->selectedPlayer))
        return isOSide(scene->selectedPlayer) ? o : d;
    return {(o.x + d.x) / 2, (o.y + d.y) / 2};
}
