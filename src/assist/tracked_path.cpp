#include "assist/tracked_path.h"

#include <algorithm>
#include <cmath>

#include "tracking/key_editing.h"

namespace {

// Carries image points between a list of frames through the field plane, with each
// frame's homography and its inverse looked up once.
struct Carrier {
    int videoHeight;
    std::vector<Homography> forward, inverse;  // per listed frame
    std::vector<char> valid;                   // record present and invertible

    Carrier(const PathFrames& frames, const std::vector<int>& frameList)
        : videoHeight(frames.videoHeight),
          forward(frameList.size()),
          inverse(frameList.size()),
          valid(frameList.size(), 0) {
        for (size_t i = 0; i < frameList.size(); ++i) {
            const Homography* h = homographyAt(frames.registration, frameList[i]);
            if (h == nullptr) continue;
            forward[i] = *h;
            const double det = invertHomography(&inverse[i], h);
            valid[i] = det != 0.0 && std::isfinite(det);
        }
    }

    // Point (video pixels, y upward) of listed frame from, in the image of listed frame to.
    bool carry(int from, int to, double x, double y, double* outX, double* outY) const {
        if (!valid[from] || !valid[to]) return false;
        const double image[3] = {x, videoHeight - y, 1.0};
        double field[3], moved[3];
        apply(forward[from], image, field);
        apply(inverse[to], field, moved);
        const double cx = moved[0] / moved[2], cy = videoHeight - moved[1] / moved[2];
        if (!std::isfinite(cx) || !std::isfinite(cy)) return false;
        *outX = cx;
        *outY = cy;
        return true;
    }

    static void apply(const Homography& m, const double in[3], double out[3]) {
        for (int r = 0; r < 3; ++r)
            out[r] = m.h[3 * r] * in[0] + m.h[3 * r + 1] * in[1] + m.h[3 * r + 2] * in[2];
    }

    // The shown position on listed frame j between a on listed frame ia and b on ib,
    // with w the weight of a.
    KeyFrame between(int ia, const KeyFrame& a, int ib, const KeyFrame& b, int j, double w) const {
        KeyFrame out = blendKeyFrames(w, a, b);
        double ax, ay, bx, by;
        if (carry(ia, j, a.rectX, a.rectY, &ax, &ay) && carry(ib, j, b.rectX, b.rectY, &bx, &by)) {
            out.rectX = blendValue(w, ax, bx);
            out.rectY = blendValue(w, ay, by);
        }
        if (carry(ia, j, a.feetX, a.feetY, &ax, &ay) && carry(ib, j, b.feetX, b.feetY, &bx, &by)) {
            out.feetX = blendValue(w, ax, bx);
            out.feetY = blendValue(w, ay, by);
        }
        return out;
    }
};

bool within(const KeyFrame& shown, const KeyFrame& tracked, double tolerance) {
    return std::hypot(shown.rectX - tracked.rectX, shown.rectY - tracked.rectY) <= tolerance &&
           std::hypot(shown.feetX - tracked.feetX, shown.feetY - tracked.feetY) <= tolerance &&
           std::fabs(shown.rectWidth - tracked.rectWidth) <= tolerance &&
           std::fabs(shown.rectHeight - tracked.rectHeight) <= tolerance;
}

}  // namespace

KeyFrame shownBetween(const PathFrames& frames, int fa, const KeyFrame& a, int fb,
                      const KeyFrame& b, int j) {
    const Carrier carrier(frames, {fa, j, fb});
    return carrier.between(0, a, 2, b, 1, 1.0 - double(j - fa) / double(fb - fa));
}

std::vector<int> thinTrackedPath(const PathFrames& frames, int firstFrame, const KeyFrame* path,
                                 int count, double tolerance) {
    if (count <= 0) return {};
    std::vector<int> frameList(count);
    for (int i = 0; i < count; ++i) frameList[i] = firstFrame + i;
    const Carrier carrier(frames, frameList);
    auto fits = [&](int a, int b) {
        for (int j = a + 1; j < b; ++j) {
            const double w = 1.0 - double(j - a) / double(b - a);
            if (!within(carrier.between(a, path[a], b, path[b], j, w), path[j], tolerance))
                return false;
        }
        return true;
    };
    // Fewest keys by the shortest path through the segments that fit: a segment that
    // does not fit may still be part of a longer one that does, so a greedy walk that
    // stops at the first misfit is not always the fewest.
    std::vector<int> keys(count, 0), from(count, -1);
    for (int b = 1; b < count; ++b) {
        keys[b] = keys[b - 1] + 1;
        from[b] = b - 1;
        for (int a = 0; a < b - 1; ++a) {
            if (keys[a] + 1 >= keys[b]) continue;
            if (fits(a, b)) {
                keys[b] = keys[a] + 1;
                from[b] = a;
            }
        }
    }
    std::vector<int> kept;
    for (int i = count - 1; i >= 0; i = from[i]) kept.insert(kept.begin(), i);
    return kept;
}

std::vector<KeyFrame> smoothTrackedPath(const PathFrames& frames, int firstFrame,
                                        const KeyFrame* path, int count) {
    std::vector<KeyFrame> smooth(path, path + std::max(count, 0));
    std::vector<int> frameList(std::max(count, 0));
    for (int i = 0; i < count; ++i) frameList[i] = firstFrame + i;
    const Carrier carrier(frames, frameList);
    for (int i = 1; i + 1 < count; ++i) {
        const int reach = std::min({SMOOTHING_REACH, i, count - 1 - i});
        KeyFrame sum{path[i].flags, 0, 0, 0, 0, 0, 0};
        for (int j = i - reach; j <= i + reach; ++j) {
            double cx = path[j].rectX, cy = path[j].rectY, fx = path[j].feetX, fy = path[j].feetY;
            if (j != i) {
                double x, y;
                if (carrier.carry(j, i, cx, cy, &x, &y)) cx = x, cy = y;
                if (carrier.carry(j, i, fx, fy, &x, &y)) fx = x, fy = y;
            }
            sum.rectX += cx;
            sum.rectY += cy;
            sum.feetX += fx;
            sum.feetY += fy;
            sum.rectWidth += path[j].rectWidth;
            sum.rectHeight += path[j].rectHeight;
        }
        const double n = 2 * reach + 1;
        smooth[i] = KeyFrame{path[i].flags, sum.feetX / n,     sum.feetY / n,     sum.rectX / n,
                             sum.rectY / n, sum.rectWidth / n, sum.rectHeight / n};
    }
    return smooth;
}

bool shownTrackPosition(const PathFrames& frames, PlayerTrack* track, int frame, KeyFrame* out) {
    KeyNode* k0 = seekKey(track, frame);
    if (k0 == nullptr) return false;
    if (k0->frame == frame) {
        *out = *keyFrameOf(k0);
        return true;
    }
    KeyNode* k1 = nextKey(track, k0);
    if (k1 == nullptr) return false;
    *out = shownBetween(frames, k0->frame, *keyFrameOf(k0), k1->frame, *keyFrameOf(k1), frame);
    return true;
}
