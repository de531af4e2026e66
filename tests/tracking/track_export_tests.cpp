// The exports: the CSV in pixels and metres, the MOT file, and a failed export that
// leaves the previous files in place.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "temp_folder.h"
#include "tracking/track_export.h"

namespace {

constexpr int HEIGHT = 480;

// O1 keyed at frames 1 and 3, D2 at frame 2; frame 0 has nobody.
struct KnownKeys : TrackSet {
    std::vector<double> seconds = {0.0, 0.04, 0.08, 0.12};
    KnownKeys() {
        addKey(&tracks[0], new KeyFrame{0, 50, 80, 50, 100, 20, 40}, NODE_OWNS_PAYLOAD, 1);
        addKey(&tracks[0], new KeyFrame{0, 60, 90, 60, 110, 22, 44}, NODE_OWNS_PAYLOAD, 3);
        addKey(&tracks[12], new KeyFrame{0, 10, 20, 10, 30, 4, 8}, NODE_OWNS_PAYLOAD, 2);
    }
    ExportSource source(const Registration* registration) {
        ExportSource s;
        s.tracks = tracks;
        s.registration = registration;
        s.nFrames = 4;
        s.videoHeight = HEIGHT;
        s.frameSeconds = seconds.data();
        return s;
    }
};

int exportQuietly(const std::string& saveName, const ExportSource& source,
                  std::string* console = nullptr) {
    testing::internal::CaptureStdout();
    const int result = exportTracking(saveName.c_str(), source);
    const std::string text = testing::internal::GetCapturedStdout();
    if (console != nullptr) *console = text;
    return result;
}

}  // namespace

TEST(TrackExport, WritesBothFilesRowByRow) {
    TempFolder folder;
    KnownKeys keys;
    // Frames 0 and 1 have records that move image points by (300, -100) onto the plan.
    std::vector<Homography> records(2, Homography{{1, 0, 300, 0, 1, -100, 0, 0, 1}});
    Registration registration{records.data(), 2};
    std::string console;
    ASSERT_EQ(exportQuietly(folder.file("match.dat"), keys.source(&registration), &console), 1);
    EXPECT_EQ(console, "export 4 rows to " + folder.file("match.csv") + " and " +
                           folder.file("match.mot.txt") + "\n");

    // Frames from 1, ids in player order, boxes by their top-left corner (y downward).
    EXPECT_EQ(readFile(folder.file("match.mot.txt")),
              "2,1,40,360,20,40,1,1,1\n"
              "3,1,44.5,354,21,42,1,1,1\n"
              "3,13,8,446,4,8,1,1,1\n"
              "4,1,49,348,22,44,1,1,1\n");
    // O1's feet at frame 1, image (50, 400), lie on plan (350, 100): 10 m left of the
    // centre spot and 20 m towards the lower touchline. Frames 2 and 3 have no record.
    EXPECT_EQ(readFile(folder.file("match.csv")),
              "frame,time,player,kind,feetX,feetY,boxLeft,boxTop,boxWidth,boxHeight,fieldX,"
              "fieldY\n"
              "1,0.040,O1,key,50,400,40,360,20,40,-10.000,-20.000\n"
              "2,0.080,O1,interpolated,55,395,44.5,354,21,42,,\n"
              "2,0.080,D2,key,10,460,8,446,4,8,,\n"
              "3,0.120,O1,key,60,390,49,348,22,44,,\n");
    EXPECT_EQ(folder.entries().size(), 2u);  // no temporary file left
}

TEST(TrackExport, AFailedExportKeepsThePreviousFiles) {
    TempFolder folder;
    writeFile(folder.file("match.csv"), "previous csv");
    ASSERT_EQ(mkdir(folder.file("match.mot.txt").c_str(), 0755), 0);
    KnownKeys keys;
    std::string console;
    EXPECT_EQ(exportQuietly(folder.file("match.dat"), keys.source(nullptr), &console), 0);
    EXPECT_EQ(console, "can't create the file " + folder.file("match.mot.txt") + "!\n");
    EXPECT_EQ(readFile(folder.file("match.csv")), "previous csv");
    EXPECT_EQ(folder.entries().size(), 2u);

    // A folder that cannot be written to: neither file appears.
    TempFolder locked;
    chmod(locked.path.c_str(), 0500);
    if (access(locked.path.c_str(), W_OK) != 0) {  // root may write anyway
        EXPECT_EQ(exportQuietly(locked.file("match.dat"), keys.source(nullptr)), 0);
        EXPECT_TRUE(locked.entries().empty());
    }
    chmod(locked.path.c_str(), 0700);
}

TEST(TrackExport, AbsurdNumbersStayInTheirCells) {
    TempFolder folder;
    KnownKeys keys;
    keys.seconds = {0.0, 1e300, NAN, -1e20};
    std::vector<Homography> records(4, Homography{{1e300, 0, 0, 0, 1e300, 0, 0, 0, 1}});
    Registration registration{records.data(), 4};
    ASSERT_EQ(exportQuietly(folder.file("m.dat"), keys.source(&registration)), 1);
    const std::string csv = readFile(folder.file("m.csv"));
    EXPECT_NE(csv.find("1,1e+300,O1,key,50,400,40,360,20,40,1e+301,"), std::string::npos) << csv;
    EXPECT_NE(csv.find("2,nan,D2,key,"), std::string::npos) << csv;
    std::istringstream rows(csv);
    for (std::string row; std::getline(rows, row);)
        EXPECT_EQ(std::count(row.begin(), row.end(), ','), 11) << row;
}

TEST(TrackExport, NamesAndKinds) {
    EXPECT_EQ(exportBaseName("a/b.dat"), "a/b");
    EXPECT_EQ(exportBaseName("clip.tar.dat"), "clip.tar");
    EXPECT_EQ(exportBaseName("a.d/name"), "a.d/name");
    EXPECT_EQ(exportBaseName("a/.hidden"), "a/.hidden");
    EXPECT_EQ(exportBaseName("plain"), "plain");
    EXPECT_STREQ(exportKind(KEY_FLAG_KEY), "key");
    EXPECT_STREQ(exportKind(KEY_FLAG_KEY | 2), "key");
    EXPECT_STREQ(exportKind(KEY_FLAG_KEY | KEY_FLAG_TRACKED), "tracked");
    EXPECT_STREQ(exportKind(KEY_FLAG_INTERPOLATED), "interpolated");
}
