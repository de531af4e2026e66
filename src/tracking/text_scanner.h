// TextScanner: buffered reading of a text data file line by line, and strict
// conversion of its white-space separated fields. Used by the tracking and
// registration readers.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>

constexpr size_t SCANNER_BUFFER_SIZE = 1 << 20;  // bytes; also the longest line accepted

struct TextScanner {
    FILE* file = nullptr;            // read from, not owned
    std::unique_ptr<char[]> buffer;  // SCANNER_BUFFER_SIZE bytes
    size_t begin = 0;                // first byte not yet returned
    size_t end = 0;                  // one past the last byte read
    size_t searched = 0;             // bytes from begin known to hold no line end
    bool atEnd = false;              // the file has no more bytes
    bool readError = false;          // reading failed
    int lineNumber = 0;              // number of the last line returned, from 1
    const char* field = nullptr;     // the unread rest of the current line
    const char* fieldEnd = nullptr;
};

// Prepares reading from file; returns false when the buffer cannot be allocated.
bool scannerInit(TextScanner* scanner, FILE* file);
// Reads the next line (without its line end) into the field cursor. Returns 1 for a
// line, 0 at the end of the file, -1 when reading fails (readError) or the line is
// longer than the buffer (lineNumber is then the number of the offending line).
int nextLine(TextScanner* scanner);
// Reads the next non-blank line; results as nextLine.
int nextNonBlankLine(TextScanner* scanner);
// The next field of the current line as [*begin, *end); false when the line has no more.
bool nextField(TextScanner* scanner, const char** begin, const char** end);
// The next field of the file, reading further lines as needed; false at the end of the
// file or on a read error.
bool nextToken(TextScanner* scanner, const char** begin, const char** end);
bool lineFinished(TextScanner* scanner);  // only white space is left on the current line

// Whole-field conversions: an optional sign and the number, nothing else. Reals are
// decimal (fixed or exponent form) and finite: values too large do not convert, values
// too small for a double become 0 or a subnormal, as with strtod.
bool parseInt(const char* begin, const char* end, int* value);
bool parseReal(const char* begin, const char* end, double* value);
// The next field of the current line converted whole, as parseInt or parseReal; false
// when the line has no more fields or the field does not convert.
bool nextIntField(TextScanner* scanner, int* value);
bool nextRealField(TextScanner* scanner, double* value);
