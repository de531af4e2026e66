// Sections: formatting; saveTracking; loadTracking.
#include "tracking/tracking_file.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <new>

#include "tracking/output_file.h"
#include "tracking/text_scanner.h"
#include "tracking/track_sampler.h"

// Formatting.

namespace {

// Powers of ten for the fast path: DECADE[i] = 10^(i - 4) marks decade i - 4, and
// SCALE[k] = 10^k is exact.
constexpr double DECADE[] = {1e-4, 1e-3, 1e-2, 1e-1, 1e0, 1e1, 1e2, 1e3, 1e4, 1e5};
constexpr double SCALE[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

// Values written without exponent, the usual case, are rounded to six significant
// digits by one exact-power multiplication: its error is below 1e-10 of a unit of the
// last digit, so a result that is not within 1e-7 of a tie rounds as printf would.
// Anything else (ties, exponent form, zero, non-finite) is left to the caller.
char* formatFixed(char* out, double value) {
    const double magnitude = value < 0 ? -value : value;
    if (!(magnitude >= DECADE[0] && magnitude < 999999.5)) return nullptr;
    int decade = 9;
    while (decade > 0 && magnitude < DECADE[decade]) decade--;
    const int exponent = decade - 4;
    const double scaled = magnitude * SCALE[5 - exponent];
    if (!(scaled >= 99999.5 && scaled < 999999.5)) return nullptr;
    const double whole = static_cast<double>(static_cast<long>(scaled));
    const double fraction = scaled - whole;
    if (fraction > 0.5 - 1e-7 && fraction < 0.5 + 1e-7) return nullptr;
    const long digits = static_cast<long>(whole) + (fraction > 0.5 ? 1 : 0);
    if (digits < 100000 || digits > 999999) return nullptr;

    char text[6];
    long rest = digits;
    for (int i = 5; i >= 0; i--, rest /= 10) text[i] = static_cast<char>('0' + rest % 10);
    int last = 5;  // the last digit written: trailing zeros of the fraction are dropped
    while (last > exponent && last > 0 && text[last] == '0') last--;

    char* p = out;
    if (value < 0) *p++ = '-';
    if (exponent >= 0) {
        for (int i = 0; i <= exponent; i++) *p++ = text[i];
        if (last > exponent) {
            *p++ = '.';
            for (int i = exponent + 1; i <= last; i++) *p++ = text[i];
        }
    } else {
        *p++ = '0';
        *p++ = '.';
        for (int i = -1; i > exponent; i--) *p++ = '0';
        for (int i = 0; i <= last; i++) *p++ = text[i];
    }
    return p;
}

}  // namespace

char* formatReal(char* out, double value) {
    if (char* end = formatFixed(out, value)) return end;
    // The general format with precision 6 follows the same rules as "%lg" (six
    // significant digits, trailing zeros dropped, exponent below 1e-4 and from 1e6,
    // "-0", "inf", "nan") and writes the same bytes.
    return std::to_chars(out, out + 32, value, std::chars_format::general, 6).ptr;
}

namespace {

char* formatSample(char* p, int player, const FrameSample& s) {
    p = formatInt(p, player);
    const double values[] = {s.feetX, s.feetY, s.rectX, s.rectY, s.rectWidth, s.rectHeight};
    for (double value : values) {
        *p++ = '\t';
        p = formatReal(p, value);
    }
    *p++ = '\t';
    p = formatInt(p, s.flags);
    *p++ = '\n';
    return p;
}

void writeTracks(OutputFile* out, PlayerTrack* tracks, int nFrames, int videoHeight,
                 const Registration* registration) {
    char* p = reserveOutput(out);
    p = appendText(p, "nFrames\t");
    p = formatInt(p, nFrames);
    p = appendText(p, "\nfieldPosition\tn\ntotalNPlayers\t");
    p = formatInt(p, PLAYER_COUNT);
    *p++ = '\n';
    commitOutput(out, p);

    TrackSampler sampler;
    startSampler(&sampler, tracks, registration, videoHeight);
    FrameSample samples[PLAYER_COUNT];
    bool present[PLAYER_COUNT];
    for (int frame = 0; frame < nFrames && out->error == 0; frame++) {
        const int count = sampleFrame(&sampler, frame, samples, present);
        p = appendText(reserveOutput(out), "\nnPlayers\t");
        p = formatInt(p, count);
        *p++ = '\n';
        commitOutput(out, p);
        for (int player = 0; player < PLAYER_COUNT; player++) {
            if (!present[player]) continue;
            commitOutput(out, formatSample(reserveOutput(out), player, samples[player]));
        }
    }
}

}  // namespace

// saveTracking

int saveTracking(const char* fileName, PlayerTrack* tracks, int nFrames, int videoHeight,
                 const Registration* registration) {
    std::printf("save %d frames data in %s\n", nFrames, fileName);
    return writeTracking(fileName, tracks, nFrames, videoHeight, registration);
}

int writeTracking(const char* fileName, PlayerTrack* tracks, int nFrames, int videoHeight,
                  const Registration* registration) {
    if (nFrames < 0) nFrames = 0;
    OutputFile out;
    if (!openOutput(&out, fileName)) return 0;
    writeTracks(&out, tracks, nFrames, videoHeight, registration);
    const int finished = finishOutput(&out);
    if (finished != 1) return finished;
    return replaceTarget(&out);
}

// loadTracking

namespace {

struct Loader {
    TextScanner scanner;
    const char* fileName = nullptr;
    int videoFrames = 0;  // frames of the video: keys beyond are skipped
    int videoHeight = 0;
    int skippedKeys = 0;
};

bool rejectLine(Loader* loader) {
    std::printf("can't convert line %d of the file %s, tracks unchanged!\n",
                loader->scanner.lineNumber, loader->fileName);
    return false;
}

// Reports why nextNonBlankLine gave no line (its result `result`); returns false.
bool reportNoLine(Loader* loader, int result) {
    if (loader->scanner.readError)
        std::printf("can't read the file %s!\n", loader->fileName);
    else if (result < 0)
        rejectLine(loader);  // longer than the buffer
    else
        std::printf("the file %s ends at line %d before its last block, tracks unchanged!\n",
                    loader->fileName, loader->scanner.lineNumber);
    return false;
}

// The file is read as a scanf-style reader reads it: any run of white space, line
// ends included, separates two fields, so a record may span lines or share one. Each
// step below prints its own message when it fails.

// Moves to the next field, reading further lines as needed; false with the message
// when the file has none.
bool toField(Loader* loader) {
    while (lineFinished(&loader->scanner)) {
        const int result = nextLine(&loader->scanner);
        if (result != 1) return reportNoLine(loader, result);
    }
    return true;
}

bool fieldInt(Loader* loader, int* value) {
    return toField(loader) && (nextIntField(&loader->scanner, value) || rejectLine(loader));
}

bool fieldReal(Loader* loader, double* value) {
    return toField(loader) && (nextRealField(&loader->scanner, value) || rejectLine(loader));
}

// The next field, which must be one character; false with the message otherwise.
bool fieldCharacter(Loader* loader, char* value) {
    const char *begin, *end;
    if (!toField(loader)) return false;
    if (!nextField(&loader->scanner, &begin, &end) || end - begin != 1) return rejectLine(loader);
    *value = *begin;
    return true;
}

bool fieldWord(Loader* loader, const char* word) {
    const char *begin, *end;
    if (!toField(loader)) return false;
    if (nextField(&loader->scanner, &begin, &end) &&
        static_cast<size_t>(end - begin) == std::strlen(word) &&
        std::memcmp(begin, word, end - begin) == 0)
        return true;
    return rejectLine(loader);
}

// "name value" holding a count >= 0.
bool countField(Loader* loader, const char* name, int* count) {
    return fieldWord(loader, name) && fieldInt(loader, count) &&
           (*count >= 0 || rejectLine(loader));
}

// Skips a UTF-8 byte-order mark at the start of the file's first line.
void skipByteOrderMark(TextScanner* scanner) {
    static constexpr char MARK[] = "\xEF\xBB\xBF";
    if (scanner->lineNumber == 1 && scanner->field == scanner->buffer.get() &&
        scanner->fieldEnd - scanner->field >= 3 && std::memcmp(scanner->field, MARK, 3) == 0)
        scanner->field += 3;
}

bool readHeader(Loader* loader, int* fileFrames) {
    TextScanner* scanner = &loader->scanner;
    int first = nextNonBlankLine(scanner);
    if (first == 1) {
        skipByteOrderMark(scanner);
        if (lineFinished(scanner)) first = nextNonBlankLine(scanner);
    }
    if (first == 0) {
        std::printf("empty file\n");
        return false;
    }
    if (first < 0) return reportNoLine(loader, first);
    char fieldPosition = 0;
    int totalPlayers = 0;
    if (!countField(loader, "nFrames", fileFrames) || !fieldWord(loader, "fieldPosition") ||
        !fieldCharacter(loader, &fieldPosition) ||
        !countField(loader, "totalNPlayers", &totalPlayers))
        return false;

    std::printf("nFrames: %d fieldPosition: %c\n", *fileFrames, fieldPosition);
    if (*fileFrames != loader->videoFrames)
        std::printf("warning: the file %s holds %d frames, the video has %d\n", loader->fileName,
                    *fileFrames, loader->videoFrames);
    return true;
}

// One player record of block `frame`; a key record becomes a key of fresh.
bool readPlayerLine(Loader* loader, int frame, TrackSet* fresh) {
    int player = 0, flags = 0;
    KeyFrame key;
    if (!fieldInt(loader, &player) || !fieldReal(loader, &key.feetX) ||
        !fieldReal(loader, &key.feetY) || !fieldReal(loader, &key.rectX) ||
        !fieldReal(loader, &key.rectY) || !fieldReal(loader, &key.rectWidth) ||
        !fieldReal(loader, &key.rectHeight) || !fieldInt(loader, &flags))
        return false;
    if (!(flags & KEY_FLAG_KEY)) return true;  // interpolated lines are rebuilt on save
    if (player < 0 || player >= PLAYER_COUNT || frame >= loader->videoFrames) {
        loader->skippedKeys++;
        return true;
    }
    key.flags = flags;
    key.feetY = loader->videoHeight - key.feetY;
    key.rectY = loader->videoHeight - key.rectY;
    KeyFrame* owned = new (std::nothrow) KeyFrame(key);
    if (owned == nullptr ||
        addKey(&fresh->tracks[player], owned, NODE_OWNS_PAYLOAD, frame) == nullptr) {
        delete owned;
        std::printf("memory allocation not done while loading %s, tracks unchanged!\n",
                    loader->fileName);
        return false;
    }
    return true;
}

// Reads the header and exactly the blocks it announces; what follows them is not
// read.
bool readTrackingFile(Loader* loader, TrackSet* fresh) {
    int fileFrames = 0;
    if (!readHeader(loader, &fileFrames)) return false;
    for (int frame = 0; frame < fileFrames; frame++) {
        int count = 0;
        if (!countField(loader, "nPlayers", &count)) return false;
        for (int i = 0; i < count; i++)
            if (!readPlayerLine(loader, frame, fresh)) return false;
    }
    return true;
}

}  // namespace

int loadTracking(const char* fileName, PlayerTrack* tracks, int nFrames, int videoHeight) {
    FILE* file = std::fopen(fileName, "r");
    if (file == nullptr) {
        std::printf("can't read the file %s!\n", fileName);
        return 0;
    }
    std::printf("load %s\n", fileName);

    Loader loader;
    loader.fileName = fileName;
    loader.videoFrames = nFrames;
    loader.videoHeight = videoHeight;
    TrackSet fresh;
    bool complete = false;
    if (scannerInit(&loader.scanner, file))
        complete = readTrackingFile(&loader, &fresh);
    else
        std::printf("memory allocation not done while loading %s, tracks unchanged!\n", fileName);
    const bool closed = std::fclose(file) == 0;
    if (!closed) std::printf("can't close the file %s!\n", fileName);
    if (!complete) return 0;

    for (int player = 0; player < PLAYER_COUNT; player++)
        replaceKeys(&tracks[player], &fresh.tracks[player]);
    if (loader.skippedKeys > 0)
        std::printf(
            "warning: %d keys of the file %s lie outside frames 0..%d or players 0..%d, "
            "skipped\n",
            loader.skippedKeys, fileName, nFrames - 1, PLAYER_COUNT - 1);
    return closed ? 1 : -1;
}
