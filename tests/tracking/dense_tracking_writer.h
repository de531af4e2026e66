// The tracking file written the plain way: the whole dense table of samples (22 players
// by nFrames) first, then every line with fprintf("%lg"). saveTracking must write the
// same bytes; the tests compare with it and the benchmark times it.
#pragma once

#include <cstdio>
#include <vector>

#include "tracking/tracking_file.h"

// Writes the tracks to fileName; every key must lie on a frame 0..nFrames-1. Returns 1,
// 0 when the file cannot be created, -1 when closing it fails.
inline int denseSaveTracking(const char* fileName, PlayerTrack* tracks, int nFrames,
                             int videoHeight) {
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
            for (int j = f0 + 1; j < k1->frame; j++) {
                const double t = (j - f0) * r, w = 1 - t;
                samples[p][j] = FrameSample{KEY_FLAG_INTERPOLATED,
                                            w * a.feetX + (1 - w) * b.feetX,
                                            videoHeight - (w * a.feetY + (1 - w) * b.feetY),
                                            w * a.rectX + (1 - w) * b.rectX,
                                            videoHeight - (w * a.rectY + (1 - w) * b.rectY),
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
