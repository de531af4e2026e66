#include "tracking/track_sampler.h"

namespace {

// A position as a line of the file: the y values measured downward from the top edge.
FrameSample sampleOf(const KeyFrame& v, int32_t flags, int videoHeight) {
    return FrameSample{
        flags,       v.feetX,     videoHeight - v.feetY, v.rectX, videoHeight - v.rectY,
        v.rectWidth, v.rectHeight};
}

// The arithmetic of the weight is that of the dense table (r once per pair,
// t = (j - f0) * r, w = 1 - t), so the bytes do not depend on how the samples are
// gathered. A key's line is written whatever the sign of its flags (a hand-made file
// may hold a negative flag with bit value 1, even -1), so every block's count equals
// its lines and the key survives the next load.
bool sampleAt(TrackSampler* sampler, SamplerCursor* c, int frame, const CarryTarget& target,
              FrameSample* out) {
    while (c->k1 != nullptr && c->k1->frame <= frame) {
        c->k0 = c->k1;
        c->k1 = nextKey(c->track, c->k0);
        if (c->k1 != nullptr) {
            c->r = 1.0 / (c->k1->frame - c->k0->frame);
            c->span = shownSpan(sampler->registration, c->k0, c->k1);
        }
    }
    if (c->k0 == nullptr) return false;
    const KeyFrame& a = *keyFrameOf(c->k0);
    if (c->k0->frame == frame) {
        *out = sampleOf(a, a.flags | KEY_FLAG_KEY, sampler->videoHeight);
        return true;
    }
    if (c->k1 == nullptr) return false;  // after the last key
    const double t = (frame - c->k0->frame) * c->r;
    *out = sampleOf(shownBetweenKeys(c->span, target, frame, 1 - t, sampler->videoHeight),
                    KEY_FLAG_INTERPOLATED, sampler->videoHeight);
    return true;
}

}  // namespace

void startSampler(TrackSampler* sampler, PlayerTrack* tracks, const Registration* registration,
                  int videoHeight) {
    sampler->registration = registration;
    sampler->videoHeight = videoHeight;
    for (int player = 0; player < PLAYER_COUNT; player++) {
        SamplerCursor* c = &sampler->cursors[player];
        *c = SamplerCursor();
        c->track = &tracks[player];
        c->k1 = firstKey(c->track);
    }
}

int sampleFrame(TrackSampler* sampler, int frame, FrameSample samples[PLAYER_COUNT],
                bool present[PLAYER_COUNT]) {
    // The frame's record is inverted once for all the players between keys.
    const CarryTarget target = carryTarget(sampler->registration, frame);
    int count = 0;
    for (int player = 0; player < PLAYER_COUNT; player++) {
        present[player] =
            sampleAt(sampler, &sampler->cursors[player], frame, target, &samples[player]);
        count += present[player];
    }
    return count;
}
