#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "temp_folder.h"
#include "tracking/registration.h"

namespace {

const Homography IDENTITY{{1, 0, 0, 0, 1, 0, 0, 0, 1}};
const Homography SHIFT{{1, 0, 5, 0, 1, 7, 0, 0, 1}};  // adds (5, 7)
const Homography HALF{{1, 0, 0, 0, 1, 0, 0, 0, 2}};   // halves both coordinates

struct Console {
    Console() { testing::internal::CaptureStdout(); }
    std::string text() { return testing::internal::GetCapturedStdout(); }
};

struct Read {
    int result = 0;
    std::string console;
    Registration registration;
    ~Read() { clearRegistration(&registration); }
};

void read(const std::string& path, Read* out) {
    Console capture;
    out->result = readRegistration(path.c_str(), &out->registration);
    out->console = capture.text();
}

}  // namespace

TEST(Registration, ProjectIdentityScaleAndShift) {
    const double p[3] = {12.5, -3, 1};
    double out[3] = {};
    ASSERT_EQ(projectToField(&IDENTITY, p, out), 1);
    EXPECT_DOUBLE_EQ(out[0], 12.5);
    EXPECT_DOUBLE_EQ(out[1], -3);
    EXPECT_DOUBLE_EQ(out[2], 1);
    projectToField(&HALF, p, out);
    EXPECT_DOUBLE_EQ(out[0], 6.25);
    EXPECT_DOUBLE_EQ(out[1], -1.5);
    EXPECT_DOUBLE_EQ(out[2], 1);
    projectToField(&SHIFT, p, out);
    EXPECT_DOUBLE_EQ(out[0], 17.5);
    EXPECT_DOUBLE_EQ(out[1], 4);

    // W = 0 is handed back undivided.
    const Homography toInfinity{{1, 0, 0, 0, 1, 0, 0, 0, 0}};
    projectToField(&toInfinity, p, out);
    EXPECT_DOUBLE_EQ(out[0], 12.5);
    EXPECT_DOUBLE_EQ(out[2], 0);
    EXPECT_EQ(projectToField(nullptr, p, out), 0);
}

TEST(Registration, TransferGoesThroughTheField) {
    const double p[3] = {100, 200, 1};
    double out[3] = {};
    ASSERT_EQ(transferPoint(out, &IDENTITY, &IDENTITY, p), 1);
    EXPECT_DOUBLE_EQ(out[0], 100);
    EXPECT_DOUBLE_EQ(out[1], 200);
    ASSERT_EQ(transferPoint(out, &IDENTITY, &SHIFT, p), 1);  // from the shifted frame
    EXPECT_DOUBLE_EQ(out[0], 105);
    EXPECT_DOUBLE_EQ(out[1], 207);
    ASSERT_EQ(transferPoint(out, &SHIFT, &IDENTITY, p), 1);  // into the shifted frame
    EXPECT_DOUBLE_EQ(out[0], 95);
    EXPECT_DOUBLE_EQ(out[1], 193);

    // A singular target gives no result and leaves out as it was.
    const Homography singular{{1, 2, 3, 2, 4, 6, 0, 0, 1}};
    double untouched[3] = {-1, -2, -3};
    EXPECT_EQ(transferPoint(untouched, &singular, &SHIFT, p), 0);
    EXPECT_EQ(untouched[0], -1);
    EXPECT_EQ(untouched[1], -2);
    EXPECT_EQ(untouched[2], -3);
}

TEST(Registration, InverseTimesMatrixIsIdentity) {
    const Homography m{{0.9, 0.2, 30, -0.1, 1.3, -12, 0.0004, 0.0002, 1.1}};
    Homography inverse, product;
    const double det = invertHomography(&inverse, &m);
    EXPECT_NEAR(det,
                0.9 * (1.3 * 1.1 + 12 * 0.0002) - 0.2 * (-0.1 * 1.1 + 12 * 0.0004) +
                    30 * (-0.1 * 0.0002 - 1.3 * 0.0004),
                1e-12);
    multiplyHomography(&product, &inverse, &m);
    for (int i = 0; i < 9; i++) EXPECT_NEAR(product.h[i], IDENTITY.h[i], 1e-12) << i;
    // The product may overwrite a factor.
    product = SHIFT;
    multiplyHomography(&product, &product, &SHIFT);
    EXPECT_EQ(product.h[2], 10);
    EXPECT_EQ(product.h[5], 14);
    EXPECT_EQ(invertHomography(nullptr, &m), 0.0);
}

TEST(Registration, ReadsRecordsAndAnswersNoRecordOutsideThem) {
    TempFolder folder;
    const std::string path = folder.file("r.txt");
    // Any white space separates the numbers.
    writeFile(path, "2\n0 0\n1 0 5 0 1 7 0 0 1\n1 1\t1 0 0\n0 1 0\n0 0 2");
    Read r;
    read(path, &r);
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.console, "load " + path + "\n");
    ASSERT_EQ(r.registration.count, 2);
    const Homography* shift = homographyAt(&r.registration, 0);
    ASSERT_NE(shift, nullptr);
    for (int i = 0; i < 9; i++) EXPECT_EQ(shift->h[i], SHIFT.h[i]);
    EXPECT_EQ(homographyAt(&r.registration, 1)->h[8], 2);
    EXPECT_EQ(homographyAt(&r.registration, 2), nullptr);
    EXPECT_EQ(homographyAt(&r.registration, -1), nullptr);
    EXPECT_EQ(homographyAt(nullptr, 0), nullptr);

    writeFile(path, "0\n");
    read(path, &r);  // reading again frees the previous table
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.registration.count, 0);
    EXPECT_EQ(homographyAt(&r.registration, 0), nullptr);
}

TEST(Registration, BadFilesAreReported) {
    TempFolder folder;
    const std::string path = folder.file("r.txt");
    // Records long enough that the file size does not refuse the counts.
    const std::string record =
        "0 0\n1.000000 0.000000 0.000000 0.000000 1.000000 0.000000 "
        "0.000000 0.000000 1.000000\n";
    struct Case {
        const char* name;
        std::string text;
        int result;
        int count;            // complete records kept
        std::string message;  // after the "load" line
    };
    const Case cases[] = {
        {"empty", "", 0, 0, "empty file\n"},
        {"blank", "\n \n", 0, 0, "empty file\n"},
        {"word", "many\n" + record, 0, 0, "can't convert line 1 of the file %s!\n"},
        {"negative", "-1\n" + record, 0, 0, "can't read -1 records from the file %s!\n"},
        // The table grows with the records read, whatever the count announces.
        {"huge", "1000000000\n" + record, 0, 1,
         "read 1 of 1000000000 records of the file %s, stopped at line 3\n"},
        {"short", "2\n0 0 1 0 0 0 1 0 0 0 1", 0, 1,
         "read 1 of 2 records of the file %s, stopped at line 2\n"},
        {"cut record", "2\n" + record + "0 0\n1 0 0 0 1", 0, 1,
         "read 1 of 2 records of the file %s, stopped at line 5\n"},
        {"count above records", "3\n" + record + record + std::string(60, ' '), 0, 2,
         "read 2 of 3 records of the file %s, stopped at line 6\n"},
        {"nan", "2\n" + record + "0 0\n1 0 0 0 nan 0 0 0 1\n", 0, 1,
         "read 1 of 2 records of the file %s, stopped at line 5\n"},
        {"garbage", "2\n" + record + "0 0\n1 0 0 \x01\xff 1 0 0 0 1\n", 0, 1,
         "read 1 of 2 records of the file %s, stopped at line 5\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(path, c.text);
        Read r;
        read(path, &r);
        EXPECT_EQ(r.result, c.result);
        EXPECT_EQ(r.registration.count, c.count);
        if (c.count == 0) {
            EXPECT_EQ(r.registration.homographies, nullptr);
        }
        std::string expected = "load " + path + "\n" + c.message;
        for (size_t at; (at = expected.find("%s")) != std::string::npos;)
            expected.replace(at, 2, path);
        EXPECT_EQ(r.console, expected);
    }

    Read missing;
    read(folder.file("missing.txt"), &missing);
    EXPECT_EQ(missing.result, 0);
    EXPECT_EQ(missing.console, "can't read the file " + folder.file("missing.txt") + "!\n");
}
