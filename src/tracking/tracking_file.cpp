// Sections: formatting; buffered output; frame-by-frame sampling of the tracks;
// saveTracking; loadTracking.
#include "tracking/tracking_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "tracking/text_scanner.h"

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

char* formatInt(char* out, int value) {
    return std::to_chars(out, out + 16, value).ptr;
}

char* appendText(char* out, const char* text) {
    const size_t length = std::strlen(text);
    std::memcpy(out, text, length);
    return out + length;
}

// Buffered output.

constexpr size_t WRITE_BUFFER_SIZE = 1 << 20;  // bytes gathered before each write
constexpr size_t LINE_ROOM = 512;              // more than the longest line or header

struct OutputFile {
    int fd = -1;
    std::unique_ptr<char[]> buffer;
    size_t used = 0;
    int error = 0;  // errno of the first failed write, 0 while all went well
};

bool flushOutput(OutputFile* out) {
    const char* data = out->buffer.get();
    size_t done = 0;
    while (done < out->used) {
        const ssize_t n = ::write(out->fd, data + done, out->used - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            // The save has failed; the rest of the frame still goes into the buffer,
            // which must have room for it.
            out->error = errno;
            out->used = 0;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    out->used = 0;
    return true;
}

// Where the next text goes; the buffer is flushed first when a line may not fit.
char* reserve(OutputFile* out) {
    if (out->used > WRITE_BUFFER_SIZE - LINE_ROOM) flushOutput(out);
    return out->buffer.get() + out->used;
}

void commit(OutputFile* out, const char* end) {
    out->used = end - out->buffer.get();
}

// Frame-by-frame sampling: each player's pair of keys around the frame advances with
// it, so the file is written in one pass without a table of every frame. The
// arithmetic is that of the dense table (r once per pair, t = (j - f0) * r, w = 1 - t)
// so that the bytes do not depend on how the samples are gathered.

struct PlayerCursor {
    PlayerTrack* track = nullptr;
    KeyNode* k0 = nullptr;  // last key at or before the frame, null before the first
    KeyNode* k1 = nullptr;  // the key after k0 (the first key while k0 is null)
    double r = 0.0;         // 1 / (k1 frame - k0 frame)
};

void startCursor(PlayerCursor* cursor, PlayerTrack* track) {
    cursor->track = track;
    cursor->k0 = nullptr;
    cursor->k1 = firstKey(track);
}

// A position as a line of the file: the y values measured downward from the top edge.
FrameSample sampleOf(const KeyFrame& v, int32_t flags, int videoHeight) {
    return FrameSample{
        flags,       v.feetX,     videoHeight - v.feetY, v.rectX, videoHeight - v.rectY,
        v.rectWidth, v.rectHeight};
}

// Fills out with the player's line at frame; false when the player has no position
// there. A key's line is written whatever the sign of its flags (a hand-made file may
// hold a negative flag with bit value 1, even -1), so every block's count equals its
// lines and the key survives the next load.
bool sampleAt(PlayerCursor* c, int frame, int videoHeight, FrameSample* out) {
    while (c->k1 != nullptr && c->k1->frame <= frame) {
        c->k0 = c->k1;
        c->k1 = nextKey(c->track, c->k0);
        if (c->k1 != nullptr) c->r = 1.0 / (c->k1->frame - c->k0->frame);
    }
    if (c->k0 == nullptr) return false;
    const KeyFrame& a = *keyFrameOf(c->k0);
    if (c->k0->frame == frame) {
        *out = sampleOf(a, a.flags | KEY_FLAG_KEY, videoHeight);
        return true;
    }
    if (c->k1 == nullptr) return false;  // after the last key
    const double t = (frame - c->k0->frame) * c->r;
    *out =
        sampleOf(blendKeyFrames(1 - t, a, *keyFrameOf(c->k1)), KEY_FLAG_INTERPOLATED, videoHeight);
    return true;
}

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

void writeTracks(OutputFile* out, PlayerTrack* tracks, int nFrames, int videoHeight) {
    char* p = reserve(out);
    p = appendText(p, "nFrames\t");
    p = formatInt(p, nFrames);
    p = appendText(p, "\nfieldPosition\tn\ntotalNPlayers\t");
    p = formatInt(p, PLAYER_COUNT);
    *p++ = '\n';
    commit(out, p);

    PlayerCursor cursors[PLAYER_COUNT];
    for (int player = 0; player < PLAYER_COUNT; player++)
        startCursor(&cursors[player], &tracks[player]);
    FrameSample samples[PLAYER_COUNT];
    bool present[PLAYER_COUNT];
    for (int frame = 0; frame < nFrames && out->error == 0; frame++) {
        int count = 0;
        for (int player = 0; player < PLAYER_COUNT; player++) {
            present[player] = sampleAt(&cursors[player], frame, videoHeight, &samples[player]);
            count += present[player];
        }
        p = appendText(reserve(out), "\nnPlayers\t");
        p = formatInt(p, count);
        *p++ = '\n';
        commit(out, p);
        for (int player = 0; player < PLAYER_COUNT; player++) {
            if (!present[player]) continue;
            commit(out, formatSample(reserve(out), player, samples[player]));
        }
    }
    if (out->error == 0) flushOutput(out);
}

std::string folderOf(const std::string& fileName) {
    const size_t slash = fileName.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : fileName.substr(0, slash);
}

// The new file gets the mode of the file it replaces, or the usual mode of a new file.
mode_t newFileMode(const struct stat* existing) {
    if (existing != nullptr) return existing->st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

// saveTracking

int saveTracking(const char* fileName, PlayerTrack* tracks, int nFrames, int videoHeight) {
    std::printf("save %d frames data in %s\n", nFrames, fileName);
    if (nFrames < 0) nFrames = 0;

    OutputFile out;
    out.buffer.reset(new (std::nothrow) char[WRITE_BUFFER_SIZE]);
    if (out.buffer == nullptr) {
        std::printf("memory allocation not done for the file %s!\n", fileName);
        return 0;
    }
    // Everything goes to a temporary file beside the target, which replaces the
    // target only once it is complete and closed: a failed save keeps the old file.
    // A symbolic link is followed so that the link stays; anything but a regular file
    // (a device, a folder) is never replaced.
    std::string target = fileName;
    if (char* real = ::realpath(fileName, nullptr)) {
        target = real;
        std::free(real);
    }
    struct stat existing;
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        std::printf("can't create the file %s!\n", fileName);
        return 0;
    }
    std::string tempName = target + ".XXXXXX";
    out.fd = ::mkstemp(tempName.data());
    if (out.fd < 0) {
        std::printf("can't create the file %s!\n", fileName);
        return 0;
    }
    ::fchmod(out.fd, newFileMode(exists ? &existing : nullptr));

    writeTracks(&out, tracks, nFrames, videoHeight);
    if (out.error == 0 && ::fsync(out.fd) != 0) out.error = errno;
    if (out.error != 0) {
        std::printf("can't write the file %s: %s!\n", fileName, std::strerror(out.error));
        ::close(out.fd);
        ::unlink(tempName.c_str());
        return -1;
    }
    if (::close(out.fd) != 0) {
        std::printf("can't close the file %s!\n", fileName);
        ::unlink(tempName.c_str());
        return -1;
    }
    if (::rename(tempName.c_str(), target.c_str()) != 0) {
        std::printf("can't create the file %s!\n", fileName);
        ::unlink(tempName.c_str());
        return 0;
    }
    // Makes the rename itself durable; the file is complete whatever this answers.
    const int folder = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return 1;
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

// Reads the next non-blank line; false with the message when there is none.
bool readLine(Loader* loader) {
    const int result = nextNonBlankLine(&loader->scanner);
    return result == 1 || reportNoLine(loader, result);
}

bool fieldInt(Loader* loader, int* value) {
    return nextIntField(&loader->scanner, value);
}

bool fieldReal(Loader* loader, double* value) {
    return nextRealField(&loader->scanner, value);
}

bool fieldWord(Loader* loader, const char* word) {
    const char *begin, *end;
    return nextField(&loader->scanner, &begin, &end) &&
           static_cast<size_t>(end - begin) == std::strlen(word) &&
           std::memcmp(begin, word, end - begin) == 0;
}

// A "name value" line holding a count >= 0.
bool countLine(Loader* loader, const char* name, int* count) {
    return fieldWord(loader, name) && fieldInt(loader, count) && *count >= 0 &&
           lineFinished(&loader->scanner);
}

bool readHeader(Loader* loader, int* fileFrames) {
    TextScanner* scanner = &loader->scanner;
    const int first = nextNonBlankLine(scanner);
    if (first == 0) {
        std::printf("empty file\n");
        return false;
    }
    if (first < 0) return reportNoLine(loader, first);
    if (!countLine(loader, "nFrames", fileFrames)) return rejectLine(loader);

    const char *begin, *end;
    if (!readLine(loader)) return false;
    if (!fieldWord(loader, "fieldPosition") || !nextField(scanner, &begin, &end) ||
        end - begin != 1 || !lineFinished(scanner))
        return rejectLine(loader);
    const char fieldPosition = *begin;
    int totalPlayers = 0;
    if (!readLine(loader)) return false;
    if (!countLine(loader, "totalNPlayers", &totalPlayers)) return rejectLine(loader);

    std::printf("nFrames: %d fieldPosition: %c\n", *fileFrames, fieldPosition);
    if (*fileFrames != loader->videoFrames)
        std::printf("warning: the file %s holds %d frames, the video has %d\n", loader->fileName,
                    *fileFrames, loader->videoFrames);
    return true;
}

// One player line of block `frame`; a key line becomes a key of fresh.
bool readPlayerLine(Loader* loader, int frame, TrackSet* fresh) {
    int player = 0, flags = 0;
    KeyFrame key;
    if (!fieldInt(loader, &player) || !fieldReal(loader, &key.feetX) ||
        !fieldReal(loader, &key.feetY) || !fieldReal(loader, &key.rectX) ||
        !fieldReal(loader, &key.rectY) || !fieldReal(loader, &key.rectWidth) ||
        !fieldReal(loader, &key.rectHeight) || !fieldInt(loader, &flags) ||
        !lineFinished(&loader->scanner))
        return rejectLine(loader);
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

bool readTrackingFile(Loader* loader, TrackSet* fresh) {
    int fileFrames = 0;
    if (!readHeader(loader, &fileFrames)) return false;
    for (int frame = 0; frame < fileFrames; frame++) {
        int count = 0;
        if (!readLine(loader)) return false;
        if (!countLine(loader, "nPlayers", &count)) return rejectLine(loader);
        for (int i = 0; i < count; i++)
            if (!readLine(loader) || !readPlayerLine(loader, frame, fresh)) return false;
    }
    const int rest = nextNonBlankLine(&loader->scanner);
    if (rest == 0) return true;
    if (rest < 0) return reportNoLine(loader, rest);
    std::printf("unexpected text at line %d of the file %s, tracks unchanged!\n",
                loader->scanner.lineNumber, loader->fileName);
    return false;
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
