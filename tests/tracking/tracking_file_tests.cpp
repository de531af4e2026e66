#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "dense_tracking_writer.h"
#include "scene_fixture.h"
#include "temp_folder.h"
#include "tracking/key_editing.h"
#include "tracking/tracking_file.h"

namespace {

constexpr int HEIGHT = 480;

struct Tracks : TrackSet {
    void key(int player, int frame, KeyFrame value) {
        addKey(&tracks[player], new KeyFrame(value), NODE_OWNS_PAYLOAD, frame);
    }
    // Every key as (player, frame, flags, the six values): what a load must keep or make.
    std::vector<std::tuple<int, int, int, std::vector<double>>> snapshot() {
        std::vector<std::tuple<int, int, int, std::vector<double>>> keys;
        for (int player = 0; player < PLAYER_COUNT; player++) {
            for (KeyNode* k = firstKey(&tracks[player]); k != nullptr;
                 k = nextKey(&tracks[player], k)) {
                const KeyFrame* f = keyFrameOf(k);
                keys.emplace_back(player, k->frame, f->flags,
                                  std::vector<double>{f->feetX, f->feetY, f->rectX, f->rectY,
                                                      f->rectWidth, f->rectHeight});
            }
        }
        return keys;
    }
};

KeyFrame position(double feetX, double feetY, double rectX, double rectY, double w, double h,
                  int flags = 0) {
    return KeyFrame{flags, feetX, feetY, rectX, rectY, w, h};
}

struct Console {
    Console() { testing::internal::CaptureStdout(); }
    std::string text() { return testing::internal::GetCapturedStdout(); }
};

int save(Tracks& tracks, const std::string& path, int nFrames, std::string* console = nullptr,
         const Registration* registration = nullptr) {
    Console capture;
    const int result = saveTracking(path.c_str(), tracks.tracks, nFrames, HEIGHT, registration);
    const std::string text = capture.text();
    if (console != nullptr) *console = text;
    return result;
}

int load(Tracks& tracks, const std::string& path, int nFrames, std::string* console = nullptr) {
    Console capture;
    const int result = loadTracking(path.c_str(), tracks.tracks, nFrames, HEIGHT);
    const std::string text = capture.text();
    if (console != nullptr) *console = text;
    return result;
}

std::string header(int nFrames) {
    return "nFrames\t" + std::to_string(nFrames) + "\nfieldPosition\tn\ntotalNPlayers\t22\n";
}

std::string emptyBlocks(int count) {
    std::string text;
    for (int i = 0; i < count; i++) text += "\nnPlayers\t0\n";
    return text;
}

// The lines of a saved file whose flag has bit value 1, with their block number.
std::vector<std::string> keyLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    int block = -1;
    while (std::getline(in, line)) {
        if (line.rfind("nPlayers", 0) == 0) block++;
        const size_t tab = line.rfind('\t');
        if (block >= 0 && line.rfind("nPlayers", 0) != 0 && tab != std::string::npos &&
            (std::stoi(line.substr(tab + 1)) & 1))
            lines.push_back(std::to_string(block) + ":" + line);
    }
    return lines;
}

// The text of block b of a saved file, from its empty line up to the next block's.
std::string blockOf(const std::string& text, int b) {
    size_t start = text.find("\nnPlayers");
    for (int i = 0; i < b && start != std::string::npos; i++)
        start = text.find("\nnPlayers", start + 1);
    if (start == std::string::npos) return "";
    const size_t end = text.find("\nnPlayers", start + 1);
    return text.substr(start, end == std::string::npos ? end : end - start);
}

// Whether every block's count equals the lines that follow it.
bool countsMatchLines(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    int expected = -1, seen = 0;
    while (std::getline(in, line)) {
        if (line.rfind("nPlayers\t", 0) == 0) {
            if (expected >= 0 && seen != expected) return false;
            expected = std::stoi(line.substr(9));
            seen = 0;
        } else if (expected >= 0 && !line.empty()) {
            seen++;
        }
    }
    return expected < 0 || seen == expected;
}

// The bytes the file must have, as the dense-table writer writes them.
std::string denseReference(Tracks& tracks, int nFrames, const std::string& path,
                           const Registration* registration = nullptr) {
    denseSaveTracking(path.c_str(), tracks.tracks, nFrames, HEIGHT, registration);
    return readFile(path);
}

void randomTracks(Tracks& tracks, int nFrames, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> pixel(-50.0, 2000.0);
    for (int p = 0; p < PLAYER_COUNT; p++) {
        const int keys = static_cast<int>(random() % 12);
        for (int i = 0; i < keys; i++)
            tracks.key(
                p, static_cast<int>(random() % nFrames),
                position(pixel(random), pixel(random), pixel(random), pixel(random),
                         pixel(random) / 10, pixel(random) / 7, static_cast<int>(random() % 4)));
    }
}

// A random moving camera (randomCamera) with records for the first `count` frames only
// and every seventh record singular.
struct MovingCamera {
    std::vector<Homography> records;
    Registration registration;
    MovingCamera(int count, unsigned seed) : records(count) {
        randomCamera(&records, seed);
        for (int k = 3; k < count; k += 7) records[k] = Homography();
        registration.homographies = records.data();
        registration.count = count;
    }
};

}  // namespace

TEST(TrackingFile, FormatRealWritesTheBytesOfPrintf) {
    std::vector<double> values = {
        0.0,     -0.0,          1e-5,     123456.5,   999999.5, 1e6,       -1e6,  -3.25,
        0.0001,  0.00009999995, 99999.95, 123.456789, 999.9995, 9.9999996, 1e300, 5e-324,
        -1e-300, 0.5,           480,      -123456.75, INFINITY, -INFINITY, NAN};
    std::mt19937_64 random(11);
    for (int i = 0; i < 100000; i++) {
        const double scale = std::pow(10.0, static_cast<int>(random() % 24) - 12);
        values.push_back((static_cast<double>(random() % 20000001) - 1e7) / 1e4 * scale);
        uint64_t bits = random();
        double any;
        std::memcpy(&any, &bits, sizeof any);
        values.push_back(any);
    }
    // Values at and next to the halfway points of the sixth digit, in every decade.
    for (int i = 0; i < 100000; i++) {
        const double tie = (static_cast<double>(100000 + random() % 900000) + 0.5) *
                           std::pow(10.0, static_cast<int>(random() % 14) - 10);
        values.push_back(i % 3 == 0 ? tie : std::nextafter(tie, i % 3 == 1 ? 0.0 : 1e300));
    }
    for (double value : values) {
        char expected[64], actual[64];
        std::snprintf(expected, sizeof expected, "%lg", value);
        *formatReal(actual, value) = '\0';
        ASSERT_STREQ(actual, expected) << "value " << value;
    }
}

TEST(TrackingFile, NoKeysGivesHeaderAndEmptyBlocks) {
    TempFolder folder;
    Tracks tracks;
    std::string console;
    EXPECT_EQ(save(tracks, folder.file("t.txt"), 3, &console), 1);
    EXPECT_EQ(console, "save 3 frames data in " + folder.file("t.txt") + "\n");
    EXPECT_EQ(readFile(folder.file("t.txt")),
              "nFrames\t3\nfieldPosition\tn\ntotalNPlayers\t22\n"
              "\nnPlayers\t0\n\nnPlayers\t0\n\nnPlayers\t0\n");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"t.txt"});  // no temporary left
}

TEST(TrackingFile, KeysAndInterpolationAreWrittenByFrame) {
    TempFolder folder;
    Tracks tracks;
    tracks.key(3, 10, position(50, 80, 50, 100, 20, 40));
    tracks.key(3, 12, position(60, 90, 60, 110, 22, 44));
    ASSERT_EQ(save(tracks, folder.file("t.txt"), 14), 1);
    EXPECT_EQ(readFile(folder.file("t.txt")),
              header(14) + emptyBlocks(10) +
                  "\nnPlayers\t1\n3\t50\t400\t50\t380\t20\t40\t1\n"
                  "\nnPlayers\t1\n3\t55\t395\t55\t375\t21\t42\t2\n"
                  "\nnPlayers\t1\n3\t60\t390\t60\t370\t22\t44\t1\n" +
                  emptyBlocks(1));

    Tracks single;
    single.key(21, 1, position(123.456789, 0.5, 7, 8, 9, 10, 4));
    single.key(0, 1, position(1, 2, 3, 4, 5, 6));
    ASSERT_EQ(save(single, folder.file("s.txt"), 3), 1);
    EXPECT_EQ(readFile(folder.file("s.txt")), header(3) + emptyBlocks(1) +
                                                  "\nnPlayers\t2\n0\t1\t478\t3\t476\t5\t6\t1\n"
                                                  "21\t123.457\t479.5\t7\t472\t9\t10\t5\n" +
                                                  emptyBlocks(1));

    // r = 1/5 once for the pair, w = 1 - 3r falls just below 0.4, so 308.64125 * w
    // prints as 123.456 (a weight of 1 - 3/5 would print 123.457).
    Tracks rounding;
    rounding.key(0, 0, position(308.64125, 0, 0, 0, 0, 0));
    rounding.key(0, 5, position(0, 0, 0, 0, 0, 0));
    ASSERT_EQ(save(rounding, folder.file("r.txt"), 6), 1);
    EXPECT_NE(readFile(folder.file("r.txt")).find("\n0\t123.456\t480\t"), std::string::npos);

    Tracks loaded;
    ASSERT_EQ(load(loaded, folder.file("s.txt"), 3), 1);
    EXPECT_EQ(keyFrameOf(seekKey(&loaded.tracks[21], 1))->feetX, 123.457);
    EXPECT_EQ(keyFrameOf(seekKey(&loaded.tracks[21], 1))->flags, 5);
}

TEST(TrackingFile, StreamedSaveMatchesTheDenseTableWriter) {
    TempFolder folder;
    for (unsigned seed = 1; seed <= 6; seed++) {
        Tracks tracks;
        randomTracks(tracks, 300, seed);
        // Without a registration, and with a moving camera whose records stop before
        // the end and are singular here and there.
        MovingCamera camera(280, seed);
        const Registration* registration = seed % 2 ? &camera.registration : nullptr;
        ASSERT_EQ(save(tracks, folder.file("t.txt"), 300, nullptr, registration), 1);
        const std::string text = readFile(folder.file("t.txt"));
        ASSERT_EQ(text, denseReference(tracks, 300, folder.file("r.txt"), registration))
            << "seed " << seed;
        // The camera does move the interpolated lines.
        if (registration != nullptr) {
            EXPECT_NE(text, denseReference(tracks, 300, folder.file("r.txt")));
        }
    }
}

TEST(TrackingFile, InterpolatedLinesAreCarriedOnlyWhenEveryRecordAllows) {
    // Keys at frames 2 and 6, the line at 4 (w = 0.5). Frame 2's record moves the image
    // by (10, 0) and frame 6's by (0, 20): carried into frame 4 (identity), key 2's
    // points move 10 right and key 6's 20 down in the image.
    Tracks tracks;
    tracks.key(3, 2, position(50, 80, 50, 100, 20, 40));
    tracks.key(3, 6, position(60, 90, 60, 110, 22, 44));
    const std::string carried = "\nnPlayers\t1\n3\t60\t405\t60\t385\t21\t42\t2\n";
    const std::string stored = "\nnPlayers\t1\n3\t55\t395\t55\t375\t21\t42\t2\n";
    struct Case {
        const char* name;
        int count;          // records for frames 0..count-1
        int singularFrame;  // -1: none
        const std::string& line;
    };
    const Case cases[] = {
        {"every record", 8, -1, carried},   {"no record at f0", 0, -1, stored},
        {"no record at f1", 6, -1, stored}, {"no record at j", 4, -1, stored},
        {"singular at f0", 8, 2, stored},   {"singular at f1", 8, 6, stored},
        {"singular at j", 8, 4, stored},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        std::vector<Homography> records(8, shiftHomography(0, 0));
        records[2] = shiftHomography(10, 0);
        records[6] = shiftHomography(0, 20);
        if (c.singularFrame >= 0) records[c.singularFrame] = Homography();
        Registration registration{records.data(), c.count};
        ASSERT_EQ(save(tracks, folder.file("t.txt"), 8, nullptr, &registration), 1);
        const std::string text = readFile(folder.file("t.txt"));
        EXPECT_EQ(blockOf(text, 4), c.line) << c.name;
        EXPECT_EQ(blockOf(text, 2), "\nnPlayers\t1\n3\t50\t400\t50\t380\t20\t40\t1\n") << c.name;
    }
}

TEST(TrackingFile, SaveLoadSaveKeepsTheKeyLines) {
    TempFolder folder;
    Tracks tracks;
    randomTracks(tracks, 200, 42);
    ASSERT_EQ(save(tracks, folder.file("a.txt"), 200), 1);
    Tracks second;
    std::string console;
    ASSERT_EQ(load(second, folder.file("a.txt"), 200, &console), 1);
    EXPECT_EQ(console, "load " + folder.file("a.txt") + "\nnFrames: 200 fieldPosition: n\n");
    ASSERT_EQ(save(second, folder.file("b.txt"), 200), 1);
    const std::string a = readFile(folder.file("a.txt")), b = readFile(folder.file("b.txt"));
    EXPECT_FALSE(keyLines(a).empty());
    EXPECT_EQ(keyLines(a), keyLines(b));

    // Once the keys are rounded, a further round trip changes nothing at all.
    Tracks third;
    ASSERT_EQ(load(third, folder.file("b.txt"), 200), 1);
    ASSERT_EQ(save(third, folder.file("c.txt"), 200), 1);
    EXPECT_EQ(readFile(folder.file("c.txt")), b);
}

TEST(TrackingFile, TrackedKeysAreWrittenAsFiveAndReadBackAsKeysUntilADragMakesThemOne) {
    TempFolder folder;
    Tracks tracks;
    tracks.key(3, 0, position(10, 20, 10, 40, 8, 40));
    tracks.key(3, 4, position(18, 20, 18, 40, 8, 40, KEY_FLAG_TRACKED));
    ASSERT_EQ(save(tracks, folder.file("t.txt"), 6), 1);
    const std::string text = readFile(folder.file("t.txt"));
    EXPECT_NE(text.find("\nnPlayers\t1\n3\t18\t460\t18\t440\t8\t40\t5\n"), std::string::npos)
        << text;

    Tracks loaded;
    ASSERT_EQ(load(loaded, folder.file("t.txt"), 6), 1);
    ASSERT_EQ(loaded.tracks[3].keys.count, 2);
    EXPECT_EQ(keyFrameOf(lastKey(&loaded.tracks[3]))->flags, KEY_FLAG_KEY | KEY_FLAG_TRACKED);

    // A drag over the tracked key replaces it by the analyst's own.
    ASSERT_EQ(editKeyFromDrag(&loaded.tracks[3], 4, EDIT_BOTH, DragRect{14, 20, 22, 60}, 18, 20),
              1);
    ASSERT_EQ(save(loaded, folder.file("u.txt"), 6), 1);
    const std::string edited = readFile(folder.file("u.txt"));
    EXPECT_NE(edited.find("\nnPlayers\t1\n3\t18\t460\t18\t440\t8\t40\t1\n"), std::string::npos)
        << edited;
}

TEST(TrackingFile, HandMadeFlagsAndLayout) {
    TempFolder folder;
    // Flag 2 lines are dropped, flag 3 stays 3, a negative flag with bit value 1 is a
    // key; spaces, several tabs, a plus sign and CRLF line ends are white space too.
    writeFile(
        folder.file("h.txt"),
        "nFrames 3\r\nfieldPosition\tn\r\ntotalNPlayers\t\t22\r\n\r\n"
        "nPlayers 4\r\n1 1 2 3 4 5 6 2\r\n2\t+1.5\t2e1\t.5\t4.\t5\t6\t3\r\n"
        "4\t1\t2\t3\t4\t5\t6\t-3\r\n5\t1\t2\t3\t4\t5\t6\t-1\r\n\r\nnPlayers\t0\r\n\r\nnPlayers\t0");
    Tracks tracks;
    ASSERT_EQ(load(tracks, folder.file("h.txt"), 3), 1);
    EXPECT_EQ(tracks.tracks[1].keys.count, 0);
    ASSERT_EQ(tracks.tracks[2].keys.count, 1);
    const KeyFrame* key = keyFrameOf(firstKey(&tracks.tracks[2]));
    EXPECT_EQ(key->flags, 3);
    EXPECT_EQ(key->feetX, 1.5);
    EXPECT_EQ(key->feetY, HEIGHT - 20.0);
    EXPECT_EQ(key->rectX, 0.5);
    EXPECT_EQ(key->rectY, HEIGHT - 4.0);
    ASSERT_EQ(tracks.tracks[4].keys.count, 1);
    EXPECT_EQ(keyFrameOf(firstKey(&tracks.tracks[4]))->flags, -3);
    ASSERT_EQ(tracks.tracks[5].keys.count, 1);
    EXPECT_EQ(keyFrameOf(firstKey(&tracks.tracks[5]))->flags, -1);

    // Negative keys are written and counted, so every count equals its lines.
    ASSERT_EQ(save(tracks, folder.file("out.txt"), 3), 1);
    const std::string text = readFile(folder.file("out.txt"));
    EXPECT_TRUE(countsMatchLines(text));
    EXPECT_NE(text.find("\nnPlayers\t3\n2\t1.5\t20\t0.5\t4\t5\t6\t3\n4\t1\t2\t3\t4\t5\t6\t-3\n"
                        "5\t1\t2\t3\t4\t5\t6\t-1\n"),
              std::string::npos)
        << text;
}

TEST(TrackingFile, LoadReplacesKeysInPlaceAndKeepsSelection) {
    TempFolder folder;
    Tracks file;
    file.key(5, 2, position(1, 2, 3, 4, 5, 6));
    ASSERT_EQ(save(file, folder.file("t.txt"), 4), 1);

    Tracks tracks;
    tracks.key(5, 0, position(9, 9, 9, 9, 9, 9));
    tracks.key(6, 1, position(9, 9, 9, 9, 9, 9));
    LinkedList selection;
    selectTrack(&selection, &tracks.tracks[5]);
    ListNode* entry = tracks.tracks[5].selectionEntry;
    seekKey(&tracks.tracks[5], 3);
    ASSERT_EQ(load(tracks, folder.file("t.txt"), 4), 1);
    EXPECT_EQ(tracks.tracks[5].selectionEntry, entry);
    EXPECT_EQ(entry->payload, &tracks.tracks[5]);
    EXPECT_EQ(tracks.tracks[5].cursor, &tracks.tracks[5].keys.head);
    EXPECT_EQ(tracks.tracks[6].keys.count, 0);
    ASSERT_EQ(tracks.tracks[5].keys.count, 1);
    EXPECT_EQ(firstKey(&tracks.tracks[5])->frame, 2);
    EXPECT_EQ(seekKey(&tracks.tracks[5], 3), firstKey(&tracks.tracks[5]));
    deselectTrack(&selection, &tracks.tracks[5]);
}

TEST(TrackingFile, BadFilesLeaveTheTracksUnchanged) {
    TempFolder folder;
    const std::string good = header(2) + "\nnPlayers\t1\n3\t1\t2\t3\t4\t5\t6\t1\n" + emptyBlocks(1);
    std::string garbage = "nFrames\t2\n";
    std::mt19937 random(5);
    for (int i = 0; i < 4000; i++) garbage += static_cast<char>(random());
    struct Case {
        const char* name;
        std::string text;
        std::string message;  // expected console text after the "load" line
    };
    const std::vector<Case> cases = {
        {"empty", "", "empty file\n"},
        {"blank", " \n\t\n", "empty file\n"},
        {"word", "frames\t2\n", "can't convert line 1 of the file %s, tracks unchanged!\n"},
        {"negative frames", "nFrames\t-2\n",
         "can't convert line 1 of the file %s, tracks unchanged!\n"},
        {"header only", header(2),
         "nFrames: 2 fieldPosition: n\n"
         "the file %s ends at line 3 before its last block, tracks unchanged!\n"},
        {"two-letter field", "nFrames\t2\nfieldPosition\tnn\ntotalNPlayers\t22\n",
         "can't convert line 2 of the file %s, tracks unchanged!\n"},
        {"cut mid-line", good.substr(0, good.find("4\t5")),
         "nFrames: 2 fieldPosition: n\n"
         "the file %s ends at line 6 before its last block, tracks unchanged!\n"},
        {"cut mid-block", header(2) + "\nnPlayers\t2\n3\t1\t2\t3\t4\t5\t6\t1\n",
         "nFrames: 2 fieldPosition: n\n"
         "the file %s ends at line 6 before its last block, tracks unchanged!\n"},
        {"count above lines",
         header(2) + "\nnPlayers\t2\n3\t1\t2\t3\t4\t5\t6\t1\n" + emptyBlocks(1),
         "nFrames: 2 fieldPosition: n\ncan't convert line 8 of the file %s, tracks unchanged!\n"},
        {"huge count", header(2) + "\nnPlayers\t2000000000\n3\t1\t2\t3\t4\t5\t6\t1\n",
         "nFrames: 2 fieldPosition: n\n"
         "the file %s ends at line 6 before its last block, tracks unchanged!\n"},
        {"huge frames", header(2000000000) + emptyBlocks(3),
         "nFrames: 2000000000 fieldPosition: n\n"
         "warning: the file %s holds 2000000000 frames, the video has 2\n"
         "the file %s ends at line 9 before its last block, tracks unchanged!\n"},
        {"negative count", header(2) + "\nnPlayers\t-1\n" + emptyBlocks(2),
         "nFrames: 2 fieldPosition: n\ncan't convert line 5 of the file %s, tracks unchanged!\n"},
        {"count overflow", header(2) + "\nnPlayers\t99999999999\n",
         "nFrames: 2 fieldPosition: n\ncan't convert line 5 of the file %s, tracks unchanged!\n"},
        {"nan", header(2) + "\nnPlayers\t1\n3\tnan\t2\t3\t4\t5\t6\t1\n" + emptyBlocks(1),
         "nFrames: 2 fieldPosition: n\ncan't convert line 6 of the file %s, tracks unchanged!\n"},
        {"infinite", header(2) + "\nnPlayers\t1\n3\t1\t2\t3\t-inf\t5\t6\t1\n" + emptyBlocks(1),
         "nFrames: 2 fieldPosition: n\ncan't convert line 6 of the file %s, tracks unchanged!\n"},
        {"too large", header(2) + "\nnPlayers\t1\n3\t1e999\t2\t3\t4\t5\t6\t1\n" + emptyBlocks(1),
         "nFrames: 2 fieldPosition: n\ncan't convert line 6 of the file %s, tracks unchanged!\n"},
        {"extra field", header(2) + "\nnPlayers\t1\n3\t1\t2\t3\t4\t5\t6\t1\t0\n" + emptyBlocks(1),
         "nFrames: 2 fieldPosition: n\ncan't convert line 6 of the file %s, tracks unchanged!\n"},
        {"real index", header(2) + "\nnPlayers\t1\n3.5\t1\t2\t3\t4\t5\t6\t1\n" + emptyBlocks(1),
         "nFrames: 2 fieldPosition: n\ncan't convert line 6 of the file %s, tracks unchanged!\n"},
        {"garbage", garbage, ""},
        {"long line", "nFrames\t" + std::string(2 << 20, '1') + "\n",
         "can't convert line 1 of the file %s, tracks unchanged!\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tracks tracks;
        tracks.key(3, 0, position(7, 7, 7, 7, 7, 7));
        tracks.key(8, 1, position(8, 8, 8, 8, 8, 8));
        const auto before = tracks.snapshot();
        const std::string path = folder.file("bad.txt");
        writeFile(path, c.text);
        std::string console;
        EXPECT_EQ(load(tracks, path, 2, &console), 0);
        EXPECT_EQ(tracks.snapshot(), before);
        EXPECT_EQ(console.rfind("load " + path + "\n", 0), 0u) << console;
        if (c.message.empty()) continue;
        std::string expected = "load " + path + "\n" + c.message;
        for (size_t at; (at = expected.find("%s")) != std::string::npos;)
            expected.replace(at, 2, path);
        EXPECT_EQ(console, expected);
    }

    Tracks tracks;
    tracks.key(3, 0, position(7, 7, 7, 7, 7, 7));
    std::string console;
    EXPECT_EQ(load(tracks, folder.file("missing.txt"), 2, &console), 0);
    EXPECT_EQ(console, "can't read the file " + folder.file("missing.txt") + "!\n");
    EXPECT_EQ(tracks.tracks[3].keys.count, 1);
}

// The layouts a reader with scanf-style conversions accepts: any run of white space
// between fields, line ends included; a byte-order mark; anything after the last
// block; a real too small for a double, which is 0.
TEST(TrackingFile, ReadsWhatWhiteSpaceSeparatedConversionsRead) {
    TempFolder folder;
    const std::string path = folder.file("t.txt");
    const std::string lines = "\nnPlayers\t2\n3\t1\t2\t3\t4\t5\t6\t1\n7\t1\t2\t0\t4\t5\t6\t1\n";
    const std::string good = header(2) + lines + emptyBlocks(1);
    std::string oneLine = good;
    for (char& c : oneLine)
        if (c == '\n') c = ' ';
    const std::string cases[] = {
        good,
        "\xEF\xBB\xBF" + good,
        oneLine,
        header(2) + "\nnPlayers\t2\n3\t1\t2\t3\n4\t5\t6\t1\n7\t1\n2\t0\t4\t5\t6\t1\n" +
            emptyBlocks(1),
        good + "\nnPlayers\t5\nnotes: anything at all",
        header(2) + "\nnPlayers\t2\n3\t1\t2\t3\t4\t5\t6\t1\n7\t1\t2\t1e-400\t4\t5\t6\t1\n" +
            emptyBlocks(1),
    };
    Tracks reference;
    writeFile(path, good);
    ASSERT_EQ(load(reference, path, 2), 1);
    ASSERT_EQ(reference.snapshot().size(), 2u);
    for (const std::string& text : cases) {
        writeFile(path, text);
        Tracks tracks;
        std::string console;
        EXPECT_EQ(load(tracks, path, 2, &console), 1) << text << console;
        EXPECT_EQ(tracks.snapshot(), reference.snapshot()) << text;
    }
}

TEST(TrackingFile, KeysOutsideTheVideoOrTheTeamsAreSkipped) {
    TempFolder folder;
    const std::string path = folder.file("t.txt");
    writeFile(path, header(4) +
                        "\nnPlayers\t3\n22\t1\t2\t3\t4\t5\t6\t1\n-1\t1\t2\t3\t4\t5\t6\t1\n"
                        "40\t1\t2\t3\t4\t5\t6\t2\n"
                        "\nnPlayers\t1\n21\t1\t2\t3\t4\t5\t6\t1\n"
                        "\nnPlayers\t1\n0\t1\t2\t3\t4\t5\t6\t1\n" +
                        emptyBlocks(1));
    Tracks tracks;
    std::string console;
    ASSERT_EQ(load(tracks, path, 2, &console), 1);
    EXPECT_EQ(console, "load " + path +
                           "\nnFrames: 4 fieldPosition: n\n"
                           "warning: the file " +
                           path +
                           " holds 4 frames, the video has 2\n"
                           "warning: 3 keys of the file " +
                           path + " lie outside frames 0..1 or players 0..21, skipped\n");
    EXPECT_EQ(tracks.tracks[21].keys.count, 1);
    EXPECT_EQ(tracks.tracks[0].keys.count, 0);  // its key lies on frame 2
}

TEST(TrackingFile, FailedSaveKeepsThePreviousFile) {
    TempFolder folder;
    // About 30 MB of long lines, so that writes fail while a frame's lines still come.
    Tracks tracks;
    for (int player = 0; player < PLAYER_COUNT; player++) {
        tracks.key(player, 0, position(1.23456, 2.34567, 3.45678, 4.56789, 5.67891, 6.78912));
        tracks.key(player, 19999, position(10.1234, 20.1234, 30.1234, 40.1234, 50.1234, 60.1234));
    }
    std::string console;

    // A folder that does not exist.
    const std::string nowhere = folder.file("none/t.txt");
    EXPECT_EQ(save(tracks, nowhere, 20000, &console), 0);
    EXPECT_EQ(console, "save 20000 frames data in " + nowhere + "\ncan't create the file " +
                           nowhere + "!\n");

    // A target that is not a regular file is never replaced.
    const std::string fifo = folder.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(save(tracks, fifo, 10, &console), 0);
    EXPECT_EQ(console,
              "save 10 frames data in " + fifo + "\ncan't create the file " + fifo + "!\n");
    struct stat status;
    ASSERT_EQ(stat(fifo.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));

    // A full disk: the file size limit makes the writes fail part way.
    const std::string path = folder.file("t.txt");
    writeFile(path, "previous contents\n");
    signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int result = save(tracks, path, 20000, &console);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(console, "save 20000 frames data in " + path + "\ncan't write the file " + path +
                           ": File too large!\n");
    EXPECT_EQ(readFile(path), "previous contents\n");
    EXPECT_EQ(folder.entries().size(), 2u);  // t.txt and the fifo, no temporary file

    // Through a symbolic link the target is replaced and the link stays.
    const std::string link = folder.file("link.txt");
    ASSERT_EQ(symlink(path.c_str(), link.c_str()), 0);
    EXPECT_EQ(save(tracks, link, 1), 1);
    const std::string start = header(1) + "\nnPlayers\t22\n0\t1.23456\t477.654\t";
    EXPECT_EQ(readFile(path).substr(0, start.size()), start);
    ASSERT_EQ(lstat(link.c_str(), &status), 0);
    EXPECT_TRUE(S_ISLNK(status.st_mode));
}

// Saving as a user without special rights (the tests may run as root, who may write
// anything): the result and the console of saveTracking run in a child process.
int saveAsUser(Tracks& tracks, const std::string& path, std::string* console) {
    int output[2];
    if (pipe(output) != 0) return -100;
    const pid_t child = fork();
    if (child == 0) {
        dup2(output[1], STDOUT_FILENO);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(100);
        const int result = saveTracking(path.c_str(), tracks.tracks, 1, HEIGHT, nullptr);
        std::fflush(stdout);
        _exit(result + 1);
    }
    close(output[1]);
    console->clear();
    char buffer[512];
    for (ssize_t n; (n = read(output[0], buffer, sizeof buffer)) > 0;) console->append(buffer, n);
    close(output[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) - 1 : -100;
}

TEST(TrackingFile, SaveRespectsWhatTheUserProtectedAndKeepsLinks) {
    TempFolder folder;
    Tracks tracks;
    tracks.key(0, 0, position(1, 2, 3, 4, 5, 6));
    const std::string saved = header(1) + "\nnPlayers\t1\n0\t1\t478\t3\t476\t5\t6\t1\n";
    chmod(folder.path.c_str(), 0777);
    // A file of the user (who is not root) with the given mode.
    auto userFile = [](const std::string& path, mode_t mode) {
        writeFile(path, "previous\n");
        if (geteuid() == 0) {
            EXPECT_EQ(chown(path.c_str(), 65534, 65534), 0);
        }
        chmod(path.c_str(), mode);
    };
    auto inode = [](const std::string& path) {
        struct stat status {};
        stat(path.c_str(), &status);
        return std::make_pair(status.st_ino, status.st_mode & 07777);
    };
    std::string console;

    const std::string readOnly = folder.file("read-only.txt");
    userFile(readOnly, 0444);
    EXPECT_EQ(saveAsUser(tracks, readOnly, &console), 0);
    EXPECT_EQ(console,
              "save 1 frames data in " + readOnly + "\ncan't create the file " + readOnly + "!\n");
    EXPECT_EQ(readFile(readOnly), "previous\n");

    // A writable file in a folder the user cannot write is saved in place.
    const std::string locked = folder.file("locked");
    mkdir(locked.c_str(), 0755);
    const std::string inLocked = locked + "/t.txt";
    userFile(inLocked, 0600);
    chmod(locked.c_str(), 0555);
    const auto before = inode(inLocked);
    EXPECT_EQ(saveAsUser(tracks, inLocked, &console), 1) << console;
    EXPECT_EQ(readFile(inLocked), saved);
    EXPECT_EQ(inode(inLocked), before);

    // Hard links keep sharing the file, which keeps its mode.
    const std::string linked = folder.file("a.txt"), other = folder.file("b.txt");
    userFile(linked, 0604);
    ASSERT_EQ(link(linked.c_str(), other.c_str()), 0);
    EXPECT_EQ(saveAsUser(tracks, linked, &console), 1) << console;
    EXPECT_EQ(readFile(other), saved);
    EXPECT_EQ(inode(other), inode(linked));
    EXPECT_EQ(inode(linked).second, 0604u);

    // A dangling link and a loop are refused, and stay links.
    const std::string dangling = folder.file("dangling"), loop = folder.file("loop");
    ASSERT_EQ(symlink(folder.file("missing.txt").c_str(), dangling.c_str()), 0);
    ASSERT_EQ(symlink(loop.c_str(), loop.c_str()), 0);
    for (const std::string& path : {dangling, loop}) {
        EXPECT_EQ(saveAsUser(tracks, path, &console), 0) << path;
        EXPECT_EQ(console,
                  "save 1 frames data in " + path + "\ncan't create the file " + path + "!\n");
        struct stat status {};
        ASSERT_EQ(lstat(path.c_str(), &status), 0);
        EXPECT_TRUE(S_ISLNK(status.st_mode)) << path;
    }
    chmod(locked.c_str(), 0755);  // so that the folder can be emptied
    unlink(inLocked.c_str());
}
