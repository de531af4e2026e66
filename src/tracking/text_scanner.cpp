#include "tracking/text_scanner.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

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

constexpr double EXACT_POWERS[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The usual short decimal, read up to the first character that is not part of it:
// with at most 2^53 as its digits and a power of ten up to 1e22, both are exact
// doubles and one multiplication or division rounds correctly, giving the value
// from_chars gives. Returns where the number stops, or null for anything else (no
// digits, too many digits, a large exponent), which is left to from_chars.
const char* scanShortDecimal(const char* p, const char* end, double* value) {
    const bool negative = p != end && *p == '-';
    if (p != end && (*p == '-' || *p == '+')) p++;
    uint64_t digits = 0;
    int count = 0, scale = 0;
    bool any = false;
    // Leading zeros are not counted; more than 19 digits would not fit.
    const auto append = [&](char c) {
        any = true;
        if (digits == 0 && c == '0') return true;
        if (++count > 19) return false;
        digits = digits * 10 + static_cast<uint64_t>(c - '0');
        return true;
    };
    for (; p != end && *p >= '0' && *p <= '9'; p++)
        if (!append(*p)) return nullptr;
    if (p != end && *p == '.') {
        for (p++; p != end && *p >= '0' && *p <= '9'; p++, scale--)
            if (!append(*p)) return nullptr;
    }
    if (!any) return nullptr;
    if (p != end && (*p == 'e' || *p == 'E')) {
        p++;
        const bool negativeExponent = p != end && *p == '-';
        if (p != end && (*p == '-' || *p == '+')) p++;
        int exponent = 0, exponentDigits = 0;
        for (; p != end && *p >= '0' && *p <= '9'; p++)
            if (++exponentDigits > 4)
                return nullptr;
            else
                exponent = exponent * 10 + (*p - '0');
        if (exponentDigits == 0) return nullptr;
        scale += negativeExponent ? -exponent : exponent;
    }
    if (digits > (uint64_t{1} << 53) || scale < -22 || scale > 22) return nullptr;
    const double magnitude = scale >= 0 ? static_cast<double>(digits) * EXACT_POWERS[scale]
                                        : static_cast<double>(digits) / EXACT_POWERS[-scale];
    *value = negative ? -magnitude : magnitude;
    return p;
}

// A field stops at white space or at the end of the line.
bool endsField(const char* p, const char* end) {
    return p == end || isBlank(*p);
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
    double parsed = 0.0;
    if (scanShortDecimal(begin, end, &parsed) == end) {
        *value = parsed;
        return true;
    }
    begin = skipPlus(begin, end);
    const auto result = std::from_chars(begin, end, parsed, std::chars_format::general);
    if (result.ptr != end) return false;
    // A decimal too small for a double is 0 or a subnormal, as strtod makes it; one
    // too large stays refused.
    if (result.ec == std::errc::result_out_of_range) {
        parsed = std::strtod(std::string(begin, end).c_str(), nullptr);
        if (!std::isfinite(parsed) || std::fabs(parsed) > DBL_MIN) return false;
    } else if (result.ec != std::errc()) {
        return false;
    }
    if (!std::isfinite(parsed)) return false;
    *value = parsed;
    return true;
}

// Both convert in one pass over the usual field and fall back to the whole-field
// conversions for anything else.

bool nextIntField(TextScanner* scanner, int* value) {
    const char* p = skipBlanks(scanner->field, scanner->fieldEnd);
    const char* end = scanner->fieldEnd;
    const char* q = p + (p != end && (*p == '-' || *p == '+'));
    int digits = 0;
    long parsed = 0;
    for (; q != end && *q >= '0' && *q <= '9' && digits < 9; q++, digits++)
        parsed = parsed * 10 + (*q - '0');
    if (digits > 0 && endsField(q, end)) {
        *value = static_cast<int>(*p == '-' ? -parsed : parsed);
        scanner->field = q;
        return true;
    }
    const char *begin, *fieldEnd;
    return nextField(scanner, &begin, &fieldEnd) && parseInt(begin, fieldEnd, value);
}

bool nextRealField(TextScanner* scanner, double* value) {
    const char* p = skipBlanks(scanner->field, scanner->fieldEnd);
    double parsed = 0.0;
    const char* stop = scanShortDecimal(p, scanner->fieldEnd, &parsed);
    if (stop != nullptr && endsField(stop, scanner->fieldEnd)) {
        *value = parsed;
        scanner->field = stop;
        return true;
    }
    const char *begin, *end;
    return nextField(scanner, &begin, &end) && parseReal(begin, end, value);
}
