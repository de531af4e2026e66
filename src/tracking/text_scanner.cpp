#include "tracking/text_scanner.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <new>

namespace {

// White space within a line, as the C locale's isspace minus the line end.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

const char* skipBlanks(const char* p, const char* end) {
    while (p != end && isBlank(*p)) p++;
    return p;
}

// from_chars takes no plus sign; scanf conversions do.
const char* skipPlus(const char* begin, const char* end) {
    if (end - begin >= 2 && begin[0] == '+' && begin[1] != '-' && begin[1] != '+') return begin + 1;
    return begin;
}

}  // namespace

bool scannerInit(TextScanner* scanner, FILE* file) {
    scanner->file = file;
    scanner->buffer.reset(new (std::nothrow) char[SCANNER_BUFFER_SIZE]);
    scanner->begin = scanner->end = scanner->searched = 0;
    scanner->atEnd = scanner->readError = false;
    scanner->lineNumber = 0;
    scanner->field = scanner->fieldEnd = nullptr;
    return scanner->buffer != nullptr;
}

int nextLine(TextScanner* scanner) {
    char* const buffer = scanner->buffer.get();
    for (;;) {
        const size_t from = scanner->begin + scanner->searched;
        const char* newline =
            static_cast<const char*>(std::memchr(buffer + from, '\n', scanner->end - from));
        if (newline != nullptr || (scanner->atEnd && scanner->begin < scanner->end)) {
            const char* lineEnd = newline != nullptr ? newline : buffer + scanner->end;
            scanner->field = buffer + scanner->begin;
            scanner->fieldEnd = lineEnd;
            scanner->begin = newline != nullptr ? lineEnd - buffer + 1 : scanner->end;
            scanner->searched = 0;
            scanner->lineNumber++;
            return 1;
        }
        if (scanner->atEnd) return 0;
        scanner->searched = scanner->end - scanner->begin;
        if (scanner->begin > 0) {
            std::memmove(buffer, buffer + scanner->begin, scanner->searched);
            scanner->end = scanner->searched;
            scanner->begin = 0;
        }
        if (scanner->end == SCANNER_BUFFER_SIZE) {
            scanner->lineNumber++;
            return -1;
        }
        const size_t n =
            std::fread(buffer + scanner->end, 1, SCANNER_BUFFER_SIZE - scanner->end, scanner->file);
        scanner->end += n;
        if (n == 0) {
            if (std::ferror(scanner->file)) {
                scanner->readError = true;
                return -1;
            }
            scanner->atEnd = true;
        }
    }
}

int nextNonBlankLine(TextScanner* scanner) {
    for (;;) {
        const int result = nextLine(scanner);
        if (result != 1 || !lineFinished(scanner)) return result;
    }
}

bool nextField(TextScanner* scanner, const char** begin, const char** end) {
    const char* p = skipBlanks(scanner->field, scanner->fieldEnd);
    if (p == scanner->fieldEnd) {
        scanner->field = p;
        return false;
    }
    *begin = p;
    while (p != scanner->fieldEnd && !isBlank(*p)) p++;
    *end = p;
    scanner->field = p;
    return true;
}

bool nextToken(TextScanner* scanner, const char** begin, const char** end) {
    while (!nextField(scanner, begin, end))
        if (nextLine(scanner) != 1) return false;
    return true;
}

bool lineFinished(TextScanner* scanner) {
    scanner->field = skipBlanks(scanner->field, scanner->fieldEnd);
    return scanner->field == scanner->fieldEnd;
}

bool parseInt(const char* begin, const char* end, int* value) {
    begin = skipPlus(begin, end);
    int parsed = 0;
    const auto result = std::from_chars(begin, end, parsed);
    if (result.ec != std::errc() || result.ptr != end) return false;
    *value = parsed;
    return true;
}

bool parseReal(const char* begin, const char* end, double* value) {
    begin = skipPlus(begin, end);
    double parsed = 0.0;
    const auto result = std::from_chars(begin, end, parsed, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != end || !std::isfinite(parsed)) return false;
    *value = parsed;
    return true;
}
