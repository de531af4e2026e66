#include "views/field_plan.h"

#include <cmath>
#include <cstring>

namespace {

constexpr Colour O_SIDE_COLOUR = {0.5f, 0.5f, 0.0f};
constexpr Colour O_SIDE_SELECTED_COLOUR = {1.0f, 1.0f, 0.3f};
constexpr Colour D_SIDE_COLOUR = {0.5f, 0.0f, 0.5f};
constexpr Colour D_SIDE_SELECTED_COLOUR = {1.0f, 0.3f, 1.0f};

constexpr float SELECTED_TRAIL_WIDTH = 2.0f;
constexpr float TRAIL_WIDTH = 1.0f;

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

// A key with a record and a position: it gives a point on the plan.
bool located(const Scene* scene, const KeyNode* key) {
    return homographyAt(scene->registration, key->frame) != nullptr && keyFrameOf(key) != nullptr;
}

constexpr uint64_t DIGEST_SEED = 0xcbf29ce484222325ull;

uint64_t doubleBits(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// One step of a 64-bit mixing chain (a multiply-xorshift): order matters, so a key
// moved, added or removed anywhere before the end changes the digest.
uint64_t mixDigest(uint64_t digest, uint64_t value) {
    digest ^= value + 0x9e3779b97f4a7c15ull + (digest << 6) + (digest >> 2);
    digest *= 0xff51afd7ed558ccdull;
    return digest ^ (digest >> 33);
}

}  // namespace

Colour teamColour(int player, int selectedPlayer) {
    const bool selected = player == selectedPlayer;
    if (isOSidePlayer(player)) return selected ? O_SIDE_SELECTED_COLOUR : O_SIDE_COLOUR;
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

int appendKeyTrail(const Scene* scene, int player, int frame, int skip, double z,
                   std::vector<double>* out) {
    if (!validPlayer(scene, player)) return 0;
    const PlayerTrack* track = &scene->tracks[player];
    int count = 0;
    for (KeyNode* key = firstKey(track); key != nullptr && key->frame <= frame;
         key = nextKey(track, key)) {
        if (count < skip) {
            count += located(scene, key);
            continue;
        }
        PlanPoint p;
        if (!planPoint(scene, key, &p)) continue;
        out->push_back(p.x);
        out->push_back(p.y);
        out->push_back(z);
        ++count;
    }
    return count;
}

bool trailTail(const Scene* scene, int player, int frame, PlanPoint* from, PlanPoint* to) {
    if (!validPlayer(scene, player)) return false;
    // At a key's own frame the position is the key itself: no segment.
    KeySpan span;
    return spanAt(scene, player, frame, &span) && span.key->frame != frame &&
           spanPoint(scene, span, frame, false, to) && planPoint(scene, span.key, from);
}

int appendTrail(const Scene* scene, int player, int frame, double z, std::vector<double>* out) {
    const int count = appendKeyTrail(scene, player, frame, 0, z, out);
    PlanPoint from, to;
    if (count == 0 || !trailTail(scene, player, frame, &from, &to)) return count;
    out->push_back(to.x);
    out->push_back(to.y);
    out->push_back(z);
    return count + 1;
}

TrailDigest digestKeyTrail(const Scene* scene, int player, int frame, int prefix) {
    TrailDigest result;
    if (!validPlayer(scene, player)) return result;
    const PlayerTrack* track = &scene->tracks[player];
    uint64_t digest = DIGEST_SEED;
    for (KeyNode* key = firstKey(track); key != nullptr && key->frame <= frame;
         key = nextKey(track, key)) {
        if (!located(scene, key)) continue;
        const KeyFrame* k = keyFrameOf(key);
        digest = mixDigest(digest, static_cast<uint64_t>(static_cast<uint32_t>(key->frame)));
        digest = mixDigest(digest, doubleBits(k->feetX));
        digest = mixDigest(digest, doubleBits(k->feetY));
        if (++result.points == prefix) result.prefixDigest = digest;
    }
    result.digest = digest;
    return result;
}

bool playerLabel(int player, PlanPoint at, PlayerLabel* out) {
    if (!std::isfinite(at.x) || !std::isfinite(at.y)) return false;
    playerLabelText(player, out->text);
    out->width = playerLabelWidth(player);
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
            // A player past its last key still counts, with that key's point. Q is
            // affine, so interpolating on the plan gives the point between Q(P(k)) and
            // Q(P(n)) with the same weight.
            KeySpan span;
            PlanPoint plan;
            if (!spanAt(scene, player, frame, &span) || !spanPoint(scene, span, frame, true, &plan))
                continue;
            const PlanPoint point = scenePoint(plan);
            const int side = isOSidePlayer(player) ? 0 : 1;
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

uint64_t fieldViewsDigest(const Scene* scene, int frame) {
    if (scene == nullptr) return DIGEST_SEED;
    uint64_t digest = DIGEST_SEED;
    digest = mixDigest(digest, static_cast<uint64_t>(static_cast<uint32_t>(scene->selectedPlayer)));
    digest = mixDigest(
        digest, static_cast<uint64_t>((scene->showTrails ? 1 : 0) | (scene->showNumbers ? 2 : 0)));
    digest = mixDigest(digest, doubleBits(scene->cameraHeading));
    digest = mixDigest(digest, doubleBits(scene->cameraTilt));
    const PlanPoint target = cameraTarget(scene, frame);
    digest = mixDigest(digest, doubleBits(target.x));
    digest = mixDigest(digest, doubleBits(target.y));
    if (scene->tracks == nullptr) return digest;
    for (int player = 0; player < PLAYER_COUNT; ++player) {
        // A trail is its keys up to frame, then the dot.
        digest = mixDigest(digest, digestKeyTrail(scene, player, frame, 0).digest);
        PlanPoint dot;
        const bool shown = playerDotPoint(scene, player, frame, &dot);
        digest = mixDigest(digest, shown ? 1 : 0);
        if (!shown) continue;
        digest = mixDigest(digest, doubleBits(dot.x));
        digest = mixDigest(digest, doubleBits(dot.y));
    }
    return digest;
}

PlanPoint cameraTarget(const Scene* scene, int frame) {
    PlanPoint o, d;
    teamFocusPoints(scene, frame, &o, &d);
    if (scene != nullptr && validPlayer(scene, scene->selectedPlayer))
        return isOSidePlayer(scene->selectedPlayer) ? o : d;
    return {(o.x + d.x) / 2, (o.y + d.y) / 2};
}
