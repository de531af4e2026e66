#include "tracking/registration.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "tracking/text_scanner.h"

namespace {

// The table grows as records are read, never ahead of them: the count at the head
// of a file (or of a pipe, which has no size) is only a claim.
constexpr int FIRST_CAPACITY = 1024;

bool readInt(TextScanner* scanner, int* value) {
    const char *begin, *end;
    return nextToken(scanner, &begin, &end) && parseInt(begin, end, value);
}

bool readReal(TextScanner* scanner, double* value) {
    const char *begin, *end;
    return nextToken(scanner, &begin, &end) && parseReal(begin, end, value);
}

bool readRecord(TextScanner* scanner, Homography* record) {
    int unused = 0;
    if (!readInt(scanner, &unused) || !readInt(scanner, &unused)) return false;
    Homography read;
    for (double& value : read.h)
        if (!readReal(scanner, &value)) return false;
    *record = read;
    return true;
}

// Reads the count and the records into out; returns whether all announced were read.
// Returns -1 when nothing could be read (the message is printed).
int readRecords(TextScanner* scanner, const char* fileName, Registration* out) {
    const char *begin, *end;
    if (!nextToken(scanner, &begin, &end)) {
        if (scanner->readError)
            std::printf("can't read the file %s!\n", fileName);
        else
            std::printf("empty file\n");
        return -1;
    }
    int count = 0;
    if (!parseInt(begin, end, &count)) {
        std::printf("can't convert line %d of the file %s!\n", scanner->lineNumber, fileName);
        return -1;
    }
    if (count < 0) {
        std::printf("can't read %d records from the file %s!\n", count, fileName);
        return -1;
    }
    int capacity = 0;
    Homography record;
    while (out->count < count && readRecord(scanner, &record)) {
        if (out->count == capacity) {
            const int grown = static_cast<int>(
                std::min<long long>(count, std::max<long long>(FIRST_CAPACITY, capacity * 2LL)));
            Homography* table = new (std::nothrow) Homography[grown];
            if (table == nullptr) {
                std::printf("memory allocation not done: %p!\n", static_cast<void*>(table));
                return -1;
            }
            std::copy(out->homographies, out->homographies + out->count, table);
            delete[] out->homographies;
            out->homographies = table;
            capacity = grown;
        }
        out->homographies[out->count++] = record;
    }
    if (out->count == count) return 1;
    std::printf("read %d of %d records of the file %s, stopped at line %d\n", out->count, count,
                fileName, scanner->lineNumber);
    return 0;
}

}  // namespace

int readRegistration(const char* fileName, Registration* out) {
    clearRegistration(out);
    FILE* file = std::fopen(fileName, "r");
    if (file == nullptr) {
        std::printf("can't read the file %s!\n", fileName);
        return 0;
    }
    std::printf("load %s\n", fileName);
    TextScanner scanner;
    int complete = -1;
    if (scannerInit(&scanner, file))
        complete = readRecords(&scanner, fileName, out);
    else
        std::printf("memory allocation not done: %p!\n", static_cast<void*>(nullptr));
    if (std::fclose(file) != 0) {
        std::printf("can't close the file %s!\n", fileName);
        return -1;
    }
    return complete == 1 ? 1 : 0;
}

void clearRegistration(Registration* registration) {
    delete[] registration->homographies;
    registration->homographies = nullptr;
    registration->count = 0;
}

const Homography* homographyAt(const Registration* registration, int frame) {
    if (registration == nullptr || registration->homographies == nullptr || frame < 0 ||
        frame >= registration->count)
        return nullptr;
    return &registration->homographies[frame];
}

int projectToField(const Homography* h, const double point[3], double out[3]) {
    if (h == nullptr || point == nullptr || out == nullptr) return 0;
    const double* m = h->h;
    double x = m[0] * point[0] + m[1] * point[1] + m[2] * point[2];
    double y = m[3] * point[0] + m[4] * point[1] + m[5] * point[2];
    double w = m[6] * point[0] + m[7] * point[1] + m[8] * point[2];
    if (w != 0.0) {
        x /= w;
        y /= w;
        w = 1.0;
    }
    out[0] = x;
    out[1] = y;
    out[2] = w;
    return 1;
}

double invertHomography(Homography* out, const Homography* homography) {
    if (out == nullptr) return 0.0;
    const double* m = homography->h;
    const double det = m[0] * m[4] * m[8] + m[1] * m[5] * m[6] + m[2] * m[3] * m[7] -
                       m[0] * m[5] * m[7] - m[2] * m[4] * m[6] - m[1] * m[3] * m[8];
    const double d = 1.0 / det;
    const Homography inverse{{
        d * (m[4] * m[8] - m[5] * m[7]),
        d * (m[2] * m[7] - m[1] * m[8]),
        d * (m[1] * m[5] - m[2] * m[4]),
        d * (m[5] * m[6] - m[3] * m[8]),
        d * (m[0] * m[8] - m[2] * m[6]),
        d * (m[2] * m[3] - m[0] * m[5]),
        d * (m[3] * m[7] - m[4] * m[6]),
        d * (m[1] * m[6] - m[0] * m[7]),
        d * (m[0] * m[4] - m[1] * m[3]),
    }};
    *out = inverse;
    return det;
}

void multiplyHomography(Homography* out, const Homography* a, const Homography* b) {
    // Computed apart so that out may be one of the factors.
    Homography product;
    for (int row = 0; row < 3; row++)
        for (int column = 0; column < 3; column++)
            for (int k = 0; k < 3; k++)
                product.h[row * 3 + column] += a->h[row * 3 + k] * b->h[k * 3 + column];
    *out = product;
}

int transferPoint(double out[3], const Homography* target, const Homography* source,
                  const double point[3]) {
    Homography inverse;
    if (invertHomography(&inverse, target) == 0.0) return 0;
    transferWithInverse(out, &inverse, source, point);
    return 1;
}

void transferWithInverse(double out[3], const Homography* targetInverse, const Homography* source,
                         const double point[3]) {
    Homography m;
    multiplyHomography(&m, targetInverse, source);
    const double* h = m.h;
    const double x = h[0] * point[0] + h[1] * point[1] + h[2] * point[2];
    const double y = h[3] * point[0] + h[4] * point[1] + h[5] * point[2];
    const double w = h[6] * point[0] + h[7] * point[1] + h[8] * point[2];
    out[0] = x / w;
    out[1] = y / w;
    out[2] = w;
}
