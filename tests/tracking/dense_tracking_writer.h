// The tracking file written the plain way: the whole dense table of samples (22 players
// by nFrames) first, then every line with fprintf("%lg"). Between two keys the centres
// and feet points are carried into the frame with transferPoint, one call per point,
// when the three frames' records can be inverted. saveTracking must write the same
// bytes; the tests compare with it and the benchmark times it.
#pragma once

#include <cmath>
#include <cstdio>
#include <vector>

#include "tracking/tracking_file.h"

inline bool denseInvertible(const Registration* registration, int frame) {
    const Homography* record = homographyAt(registration, frame);
    Homography inverse;
    const double det = record != nullptr ? invertHomography(&inverse, record) : 0.0;
    return det != 0.0 && std::isfinite(det);
}

// A key point (y upward) of frame `from` in the image of frame `to`, y upward.
inline bool denseCarry(const Registration* registration, int to, int from, int videoHeight,
                       double x, double y, double* outX, double* outY) {
    const double image[3] = {x, videoHeight - y, 1.0};
    double moved[3];
    transferPoint(moved, homographyAt(registration, to), homographyAt(registration, from), image);
    *outX = moved[0];
    *outY = videoHeight - moved[1];
    return std::isfinite(*outX) && std::isfinite(*outY);
}

// Writes the tracks to fileName; every key must lie on a frame 0..nFrames-1. Returns 1,
// 0 when the file cannot be created, -1 when closing it fails.
inline int denseSaveTracking(const char* fileName, PlayerTrack* tracks, int nFrames,
                             int videoHeight, const Registration* registration) {
    std::vector<std::vector<FrameSample>> samples(PLAYER_COUNT, std::vector<FrameSample>(nFrames));
    std::vector<int> count(nFrames, 0);
    for (int p = 0; p < PLAYER_COUNT; p++) {
        for (KeyNode* k0 = firstKey(&tracks[p]); k0 != nullptr; k0 = nextKey(&tracks[p], k0)) {
            const KeyFrame& a = *keyFrameOf(k0);
            const int f0 = k0->frame;
            samples[p][f0] =
                FrameSample{a.flags | KEY_FLAG_KEY, a.feetX,     videoHeight - a.feetY, a.rectX,
                            videoHeight - a.rectY,  a.rectWidth, a.rectHeight};
            count[f0]++;
            KeyNode* k1 = nextKey(&tracks[p], k0);
            if (k1 == nullptr) break;
            const KeyFrame& b = *keyFrameOf(k1);
            const double r = 1.0 / (k1->frame - f0);
            const int f1 = k1->frame;
            for (int j = f0 + 1; j < f1; j++) {
                const double t = (j - f0) * r, w = 1 - t;
                // Feet and centre of a and of b, carried when every record allows.
                double p0[4] = {a.feetX, a.feetY, a.rectX, a.rectY};
                double p1[4] = {b.feetX, b.feetY, b.rectX, b.rectY};
                double c0[4], c1[4];
                if (denseInvertible(registration, f0) && denseInvertible(registration, f1) &&
                    denseInvertible(registration, j) &&
                    denseCarry(registration, j, f0, videoHeight, a.feetX, a.feetY, &c0[0],
                               &c0[1]) &&
                    denseCarry(registration, j, f1, videoHeight, b.feetX, b.feetY, &c1[0],
                               &c1[1]) &&
                    denseCarry(registration, j, f0, videoHeight, a.rectX, a.rectY, &c0[2],
                               &c0[3]) &&
                    denseCarry(registration, j, f1, videoHeight, b.rectX, b.rectY, &c1[2],
                               &c1[3])) {
                    for (int i = 0; i < 4; i++) p0[i] = c0[i], p1[i] = c1[i];
                }
                samples[p][j] = FrameSample{KEY_FLAG_INTERPOLATED,
                                            w * p0[0] + (1 - w) * p1[0],
                                            videoHeight - (w * p0[1] + (1 - w) * p1[1]),
                                            w * p0[2] + (1 - w) * p1[2],
                                            videoHeight - (w * p0[3] + (1 - w) * p1[3]),
                                            w * a.rectWidth + (1 - w) * b.rectWidth,
                                            w * a.rectHeight + (1 - w) * b.rectHeight};
                count[j]++;
            }
        }
    }
    std::FILE* file = std::fopen(fileName, "w+");
    if (file == nullptr) return 0;
    std::fprintf(file, "nFrames\t%d\nfieldPosition\t%c\ntotalNPlayers\t%d\n", nFrames, 'n',
                 PLAYER_COUNT);
    for (int f = 0; f < nFrames; f++) {
        std::fprintf(file, "\nnPlayers\t%d\n", count[f]);
        for (int p = 0; p < PLAYER_COUNT; p++) {
            const FrameSample& s = samples[p][f];
            if (s.flags > 0 && (s.flags & (KEY_FLAG_KEY | KEY_FLAG_INTERPOLATED)))
                std::fprintf(file, "%d\t%lg\t%lg\t%lg\t%lg\t%lg\t%lg\t%d\n", p, s.feetX, s.feetY,
                             s.rectX, s.rectY, s.rectWidth, s.rectHeight, s.flags);
        }
    }
    return std::fclose(file) == 0 ? 1 : -1;
}
