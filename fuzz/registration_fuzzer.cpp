// Fuzzes the registration reader with any bytes as a registration file, against a
// reading of the same bytes by the C library (reference_numbers.h): the records
// read, their count and every value must agree. The homography operations then run
// on every record read, as the views use them.
#include <sys/stat.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_input_file.h"
#include "reference_numbers.h"
#include "tracking/registration.h"
#include "tracking/text_scanner.h"

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "registration: %s\n", what);
    std::abort();
}

// What the reader should make of text: refused (no table), or the records that
// convert one after another, complete when all the count announces are there.
struct Expected {
    bool refused = true;
    bool complete = false;
    bool countTooLarge = false;  // the file cannot hold the records it announces
    std::vector<Homography> records;
};

Expected expectedReading(const std::string& text) {
    std::vector<std::string> tokens;
    std::string token;
    for (char c : text + ' ') {
        if (isSeparator(c)) {
            if (!token.empty()) tokens.push_back(token);
            token.clear();
        } else {
            token += c;
        }
    }
    Expected expected;
    int count = 0;
    if (tokens.empty() || !referenceInt(tokens[0], &count) || count < 0) return expected;
    expected.refused = false;
    // Eleven numbers and their separators take at least 22 bytes.
    expected.countTooLarge = count > static_cast<long long>(text.size()) / 20;
    size_t next = 1;
    while (static_cast<int>(expected.records.size()) < count) {
        int unused = 0;
        Homography record;
        bool whole = next + 11 <= tokens.size() && referenceInt(tokens[next], &unused) &&
                     referenceInt(tokens[next + 1], &unused);
        for (int k = 0; k < 9 && whole; k++)
            whole = referenceReal(tokens[next + 2 + k], &record.h[k]);
        if (!whole) break;
        expected.records.push_back(record);
        next += 11;
    }
    expected.complete = static_cast<int>(expected.records.size()) == count;
    return expected;
}

// The operations the views and the video overlay apply, on the records read.
void useRecords(const Registration& registration) {
    const double points[][3] = {{0, 0, 1}, {640, 360, 1}, {1919, 1079, 1}, {-5, 1e6, 1}};
    for (int i = 0; i < registration.count; i++) {
        const Homography* h = homographyAt(&registration, i);
        const Homography* previous = homographyAt(&registration, i > 0 ? i - 1 : 0);
        if (h == nullptr || previous == nullptr) fail("a record read is missing");
        for (const double* point : points) {
            double out[3];
            if (projectToField(h, point, out) != 1) fail("projectToField refused a record");
            if (out[2] != 0.0 && out[2] != 1.0) fail("projectToField left W other than 0 or 1");
            transferPoint(out, previous, h, point);
        }
        Homography inverse, product;
        invertHomography(&inverse, h);
        multiplyHomography(&product, h, &inverse);
    }
    if (homographyAt(&registration, registration.count) != nullptr ||
        homographyAt(&registration, -1) != nullptr)
        fail("homographyAt answered outside the table");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size >= SCANNER_BUFFER_SIZE) return 0;  // longer lines are refused on purpose
    const std::string& input = writeFuzzInput("input.reg", data, size);
    Registration registration;
    const int result = readRegistration(input.c_str(), &registration);

    const Expected expected =
        expectedReading(std::string(reinterpret_cast<const char*>(data), size));
    if (result != (expected.complete ? 1 : 0)) fail("the result differs from the C library's");
    // A count the file cannot hold may be refused before any record is read.
    const bool refusedEarly = expected.countTooLarge && registration.count == 0;
    if (registration.count != static_cast<int>(expected.records.size()) && !refusedEarly)
        fail("the number of records differs from the C library's");
    if (expected.refused && registration.homographies != nullptr)
        fail("a refused file has a table");
    for (int i = 0; i < registration.count; i++)
        if (std::memcmp(&registration.homographies[i], &expected.records[i], sizeof(Homography)))
            fail("a value differs from the C library's");
    useRecords(registration);
    clearRegistration(&registration);
    return 0;
}
