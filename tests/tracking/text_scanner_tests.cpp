#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tracking/text_scanner.h"

namespace {

bool real(const std::string& text, double* value) {
    return parseReal(text.data(), text.data() + text.size(), value);
}

bool integer(const std::string& text, int* value) {
    return parseInt(text.data(), text.data() + text.size(), value);
}

}  // namespace

TEST(TextScanner, RealsConvertExactlyAsStrtod) {
    std::mt19937_64 random(7);
    std::vector<std::string> texts = {"0",
                                      "-0",
                                      "1.",
                                      ".5",
                                      "-.5",
                                      "+2.5",
                                      "1e5",
                                      "1E+05",
                                      "1e-05",
                                      "123.457",
                                      "9007199254740993",
                                      "0.1",
                                      "1e22",
                                      "1e23",
                                      "1e-22",
                                      "1e-23",
                                      "0.000000000000000000000000001",
                                      "123456789012345678901"};
    for (int i = 0; i < 200000; i++) {
        char text[64];
        const double value = std::ldexp(static_cast<double>(random() >> 11), -52) *
                             std::pow(10.0, static_cast<int>(random() % 30) - 15);
        const int precision = static_cast<int>(random() % 19) + 1;
        std::snprintf(text, sizeof text, random() % 2 ? "%.*g" : "%.*f", precision,
                      random() % 2 ? value : -value);
        texts.push_back(text);
    }
    // Whole fields, and the same texts as fields of scanned lines.
    std::string lines;
    for (size_t i = 0; i < texts.size(); i++) lines += texts[i] + (i % 7 == 6 ? "\n" : " \t");
    FILE* file = fmemopen(lines.data(), lines.size(), "r");
    TextScanner scanner;
    ASSERT_TRUE(scannerInit(&scanner, file));
    ASSERT_EQ(nextLine(&scanner), 1);
    for (const std::string& text : texts) {
        const double expected = std::strtod(text.c_str(), nullptr);
        double parsed = -1.0, scanned = -1.0;
        ASSERT_TRUE(real(text, &parsed)) << text;
        ASSERT_EQ(std::memcmp(&parsed, &expected, sizeof parsed), 0)
            << text << ": " << parsed << " instead of " << expected;
        if (lineFinished(&scanner)) {
            ASSERT_EQ(nextLine(&scanner), 1);
        }
        ASSERT_TRUE(nextRealField(&scanner, &scanned)) << text;
        ASSERT_EQ(std::memcmp(&scanned, &expected, sizeof scanned), 0) << text;
    }
    EXPECT_EQ(nextNonBlankLine(&scanner), 0);
    std::fclose(file);
}

TEST(TextScanner, LinesAcrossBufferRefills) {
    std::string text;
    int lines = 0;
    while (text.size() < 3 * SCANNER_BUFFER_SIZE) text += std::to_string(lines++) + " x\n";
    text += "last";  // no line end
    FILE* file = fmemopen(text.data(), text.size(), "r");
    TextScanner scanner;
    ASSERT_TRUE(scannerInit(&scanner, file));
    for (int n = 0; n < lines; n++) {
        ASSERT_EQ(nextLine(&scanner), 1);
        int value = -1;
        ASSERT_TRUE(nextIntField(&scanner, &value));
        ASSERT_EQ(value, n);
        const char *begin, *end;
        ASSERT_TRUE(nextField(&scanner, &begin, &end));
        ASSERT_EQ(std::string(begin, end), "x");
    }
    ASSERT_EQ(nextLine(&scanner), 1);
    EXPECT_EQ(std::string(scanner.field, scanner.fieldEnd), "last");
    EXPECT_EQ(scanner.lineNumber, lines + 1);
    EXPECT_EQ(nextLine(&scanner), 0);
    std::fclose(file);
}

TEST(TextScanner, FieldsThatDoNotConvertWhole) {
    double r = 0;
    for (const char* text : {"", "-", "+", ".", "e5", "1e", "1e+", "1.5.2", "1,5", "0x10", "nan",
                             "-inf", "infinity", "1e999", "+-1", "--1", "1 2", "12abc"})
        EXPECT_FALSE(real(text, &r)) << text;
    // Within a line: fields after white space, the rest of a field that does not convert.
    char line[] = "  12\t-3.5e2  +7 9x 1e999 99999999999 -2147483648";
    FILE* file = fmemopen(line, sizeof line - 1, "r");
    TextScanner scanner;
    ASSERT_TRUE(scannerInit(&scanner, file));
    ASSERT_EQ(nextLine(&scanner), 1);
    int n = 0;
    EXPECT_TRUE(nextIntField(&scanner, &n));
    EXPECT_EQ(n, 12);
    EXPECT_TRUE(nextRealField(&scanner, &r));
    EXPECT_EQ(r, -350);
    EXPECT_TRUE(nextIntField(&scanner, &n));
    EXPECT_EQ(n, 7);
    EXPECT_FALSE(nextIntField(&scanner, &n));
    EXPECT_FALSE(nextRealField(&scanner, &r));
    EXPECT_FALSE(nextIntField(&scanner, &n));
    EXPECT_TRUE(nextIntField(&scanner, &n));
    EXPECT_EQ(n, -2147483648);
    EXPECT_FALSE(nextRealField(&scanner, &r));
    EXPECT_TRUE(lineFinished(&scanner));
    std::fclose(file);

    EXPECT_TRUE(integer("+17", &n));
    EXPECT_EQ(n, 17);
    EXPECT_TRUE(integer("-2147483648", &n));
    EXPECT_EQ(n, -2147483648);
    for (const char* text : {"", "2147483648", "1.0", "3e2", "7x", "- 1"})
        EXPECT_FALSE(integer(text, &n)) << text;
}
