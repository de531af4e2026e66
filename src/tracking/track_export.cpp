#include "tracking/track_export.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "tracking/field_pitch.h"
#include "tracking/output_file.h"
#include "tracking/player_label.h"
#include "tracking/track_sampler.h"
#include "tracking/tracking_file.h"

namespace {

constexpr const char* CSV_EXTENSION = ".csv";
constexpr const char* MOT_EXTENSION = ".mot.txt";
constexpr const char* CSV_HEADER =
    "frame,time,player,kind,feetX,feetY,boxLeft,boxTop,boxWidth,boxHeight,fieldX,fieldY\n";
constexpr const char* MOT_TRAILER = ",1,1,1\n";  // consider, class 1 (a person), visible

// Seconds and metres with three decimals (to the millisecond and the millimetre), "-"
// only before a non-zero value, through one rounded integer. Absurd magnitudes (a
// hostile registration) are written as the pixels are, in six significant digits.
char* formatDecimals(char* p, double value) {
    const double scaled = std::round(value * 1000.0);
    if (!(std::fabs(scaled) < 1e15)) return formatReal(p, value);
    long long units = static_cast<long long>(scaled);
    if (units < 0) {
        *p++ = '-';
        units = -units;
    }
    p = std::to_chars(p, p + 24, units / 1000).ptr;
    const int fraction = static_cast<int>(units % 1000);
    *p++ = '.';
    *p++ = static_cast<char>('0' + fraction / 100);
    *p++ = static_cast<char>('0' + fraction / 10 % 10);
    *p++ = static_cast<char>('0' + fraction % 10);
    return p;
}

struct PlayerLabels {
    char text[PLAYER_COUNT][PLAYER_LABEL_SIZE];
    PlayerLabels() {
        for (int player = 0; player < PLAYER_COUNT; player++) playerLabelText(player, text[player]);
    }
};

char* csvRow(char* p, int frame, const double* seconds, const char* label, const FrameSample& s,
             const Homography* record) {
    p = formatInt(p, frame);
    *p++ = ',';
    if (seconds != nullptr) p = formatDecimals(p, seconds[frame]);
    *p++ = ',';
    p = appendText(p, label);
    *p++ = ',';
    p = appendText(p, exportKind(s.flags));
    const double values[] = {
        s.feetX,     s.feetY,     s.rectX - s.rectWidth / 2, s.rectY - s.rectHeight / 2,
        s.rectWidth, s.rectHeight};
    for (double value : values) {
        *p++ = ',';
        p = formatReal(p, value);
    }
    double planX, planY;
    *p++ = ',';
    if (record != nullptr && imageToPlan(record, s.feetX, s.feetY, &planX, &planY)) {
        const PitchMetres metres = planToMetres(planX, planY);
        p = formatDecimals(p, metres.x);
        *p++ = ',';
        p = formatDecimals(p, metres.y);
    } else {
        *p++ = ',';
    }
    *p++ = '\n';
    return p;
}

char* motRow(char* p, int frame, int player, const FrameSample& s) {
    p = formatInt(p, frame + 1);
    *p++ = ',';
    p = formatInt(p, player + 1);
    const double values[] = {s.rectX - s.rectWidth / 2, s.rectY - s.rectHeight / 2, s.rectWidth,
                             s.rectHeight};
    for (double value : values) {
        *p++ = ',';
        p = formatReal(p, value);
    }
    return appendText(p, MOT_TRAILER);
}

int writeRows(OutputFile* csv, OutputFile* mot, const ExportSource& source) {
    commitOutput(csv, appendText(reserveOutput(csv), CSV_HEADER));
    TrackSampler sampler;
    startSampler(&sampler, source.tracks, source.registration, source.videoHeight);
    FrameSample samples[PLAYER_COUNT];
    bool present[PLAYER_COUNT];
    const PlayerLabels labels;
    int rows = 0;
    for (int frame = 0; frame < source.nFrames && csv->error == 0 && mot->error == 0; frame++) {
        if (sampleFrame(&sampler, frame, samples, present) == 0) continue;
        const Homography* record = homographyAt(source.registration, frame);
        for (int player = 0; player < PLAYER_COUNT; player++) {
            if (!present[player]) continue;
            const FrameSample& s = samples[player];
            commitOutput(csv, csvRow(reserveOutput(csv), frame, source.frameSeconds,
                                     labels.text[player], s, record));
            commitOutput(mot, motRow(reserveOutput(mot), frame, player, s));
            rows++;
        }
    }
    return rows;
}

}  // namespace

const char* exportKind(int32_t flags) {
    if ((flags & KEY_FLAG_KEY) && (flags & KEY_FLAG_TRACKED)) return "tracked";
    if (flags & KEY_FLAG_KEY) return "key";
    return "interpolated";
}

std::string exportBaseName(const char* saveName) {
    const std::string name = saveName;
    const size_t slash = name.rfind('/');
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot <= start) return name;
    return name.substr(0, dot);
}

int exportTracking(const char* saveName, const ExportSource& source, int* rows) {
    const std::string base = exportBaseName(saveName);
    const std::string csvName = base + CSV_EXTENSION, motName = base + MOT_EXTENSION;
    OutputFile csv, mot;
    if (!openOutput(&csv, csvName.c_str())) return 0;
    if (!openOutput(&mot, motName.c_str())) {
        discardOutput(&csv);
        return 0;
    }
    const int written = writeRows(&csv, &mot, source);
    // Neither file replaces its previous version until both are complete.
    const int csvFinished = finishOutput(&csv);
    const int motFinished = csvFinished == 1 ? finishOutput(&mot) : -1;
    if (csvFinished != 1 || motFinished != 1) {
        discardOutput(&csv);
        discardOutput(&mot);
        return -1;
    }
    if (replaceTarget(&csv) != 1) {
        discardOutput(&mot);
        return 0;
    }
    if (replaceTarget(&mot) != 1) return 0;
    if (rows != nullptr) *rows = written;
    std::printf("export %d rows to %s and %s\n", written, csvName.c_str(), motName.c_str());
    return 1;
}
