// Fuzzes the number conversions of the data files against the C library: formatReal
// must write what printf("%lg") writes, and every field must convert, or not, as
// strtol and strtod decide (reference_numbers.h), to the same value, whether it is
// taken whole or by the scanner's one-pass field readers.
//
// Input: eight bytes of a double to format, four choosing how the scanner reads each
// field, eight bytes of digits and one of a power of ten making a decimal field of
// up to 20 digits (the width where a one-step conversion stops being exact), then
// text whose fields are converted.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "reference_numbers.h"
#include "tracking/text_scanner.h"
#include "tracking/tracking_file.h"

namespace {

[[noreturn]] void fail(const char* what, const std::string& text) {
    std::fprintf(stderr, "numbers: %s: \"%s\"\n", what, text.c_str());
    std::abort();
}

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void checkFormat(double value) {
    constexpr int ROOM = 32;  // formatReal's promise; the buffer is exactly that big
    std::unique_ptr<char[]> out(new char[ROOM]);
    const std::string ours(out.get(), formatReal(out.get(), value));
    char expected[64];
    std::snprintf(expected, sizeof expected, "%lg", value);
    if (ours != expected) fail("formatReal differs from %lg", ours + "\" vs \"" + expected);
}

void checkField(const std::string& field) {
    int ours = 0, reference = 0;
    const bool intOurs = parseInt(field.data(), field.data() + field.size(), &ours);
    const bool intReference = referenceInt(field, &reference);
    if (intOurs != intReference || (intOurs && ours != reference)) fail("parseInt", field);

    double real = 0.0, realReference = 0.0;
    const bool realOurs = parseReal(field.data(), field.data() + field.size(), &real);
    const bool realExpected = referenceReal(field, &realReference);
    if (realOurs != realExpected || (realOurs && !sameBits(real, realReference)))
        fail("parseReal", field);
    if (realOurs) checkFormat(real);
}

bool isBlank(char c) {
    return c != '\n' && isSeparator(c);
}

// Reads text through the scanner line by line; on each line field k is read as an
// int or a real as bit k of `choice` says, and must agree with the whole-field
// conversion of the same field.
void checkScanner(const std::string& text, uint32_t choice) {
    FILE* file = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    if (file == nullptr) return;
    TextScanner scanner;
    if (!scannerInit(&scanner, file)) std::abort();
    while (nextLine(&scanner) == 1) {
        std::vector<std::string> fields;
        for (const char* p = scanner.field; p != scanner.fieldEnd;) {
            while (p != scanner.fieldEnd && isBlank(*p)) p++;
            const char* begin = p;
            while (p != scanner.fieldEnd && !isBlank(*p)) p++;
            if (p != begin) fields.emplace_back(begin, p);
        }
        bool whole = true;
        for (size_t k = 0; k < fields.size() && whole; k++) {
            const std::string& field = fields[k];
            bool read = false, expected = false;
            if (choice >> (k % 32) & 1) {
                int value = 0, converted = 0;
                read = nextIntField(&scanner, &value);
                expected = parseInt(field.data(), field.data() + field.size(), &converted);
                if (read && value != converted) fail("nextIntField", field);
            } else {
                double value = 0.0, converted = 0.0;
                read = nextRealField(&scanner, &value);
                expected = parseReal(field.data(), field.data() + field.size(), &converted);
                if (read && !sameBits(value, converted)) fail("nextRealField", field);
            }
            if (read != expected) fail("a field reader disagrees with the whole field", field);
            whole = read;  // after a refusal the rest of the line is left alone
        }
        if (whole && !lineFinished(&scanner)) fail("text left after the last field", text);
    }
    std::fclose(file);
}

// digits with a decimal point `point` % 48 - 24 places from their end (zeros
// appended below 0, leading zeros as needed), or in exponent form when the high bit
// of point is set.
std::string decimalField(uint64_t digits, uint8_t point) {
    std::string text = std::to_string(digits);
    const int shift = (point & 0x7F) % 48 - 24;
    if (point & 0x80) return text + "e" + std::to_string(-shift);
    if (shift <= 0) return text + std::string(-shift, '0');
    if (static_cast<size_t>(shift) >= text.size())
        text.insert(0, std::string(shift - text.size() + 1, '0'));
    return text.insert(text.size() - shift, ".");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr size_t HEAD = sizeof(double) + sizeof(uint32_t) + sizeof(uint64_t) + 1;
    if (size < HEAD) return 0;
    double value;
    std::memcpy(&value, data, sizeof value);
    checkFormat(value);
    uint32_t choice;
    std::memcpy(&choice, data + sizeof value, sizeof choice);
    uint64_t digits;
    std::memcpy(&digits, data + sizeof value + sizeof choice, sizeof digits);
    const std::string decimal = decimalField(digits, data[HEAD - 1]);
    checkField(decimal);
    checkField("-" + decimal);
    const std::string text(reinterpret_cast<const char*>(data) + HEAD, size - HEAD);

    std::string field;
    for (char c : text + ' ') {
        if (isSeparator(c)) {
            if (!field.empty()) checkField(field);
            field.clear();
        } else {
            field += c;
        }
    }
    checkScanner(text, choice);
    return 0;
}
