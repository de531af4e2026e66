// The background writer of the recovery copy: it writes the keys as they were when the
// write started, whatever the event thread does to the tracks meanwhile, and hands the
// result back only once. Also run under ThreadSanitizer (test.sh).
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "scene_fixture.h"
#include "temp_folder.h"
#include "tracking/recovery_writer.h"
#include "tracking/tracking_file.h"

namespace {

constexpr int FRAMES = 3000, HEIGHT = 480;

void randomKeys(PlayerTrack* tracks, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> value(0.0, 400.0);
    for (int p = 0; p < PLAYER_COUNT; p++)
        for (int frame = p; frame < FRAMES; frame += 7 + p) {
            KeyFrame* key =
                new KeyFrame{0, value(random), value(random), value(random), value(random), 30, 80};
            addKey(&tracks[p], key, NODE_OWNS_PAYLOAD, frame);
        }
}

}  // namespace

TEST(RecoveryWriter, WritesTheKeysOfItsStartWhileTheTracksChangeAndReportsOnce) {
    TempFolder folder;
    TrackSet tracks;
    randomKeys(tracks.tracks, 1);
    // The positions between keys are carried through a moving camera's records, which
    // both threads read.
    std::vector<Homography> records(FRAMES);
    randomCamera(&records, 3);
    const Registration camera{records.data(), FRAMES};
    const std::string expected = folder.file("expected.dat");
    ASSERT_EQ(writeTracking(expected.c_str(), tracks.tracks, FRAMES, HEIGHT, &camera), 1);

    RecoveryWriter writer;
    int result = -5;
    uint64_t revision = 0;
    EXPECT_FALSE(collectRecoveryWrite(&writer, false, &result, &revision)) << "none started";
    const std::string copy = folder.file("clip.dat.autosave");
    ASSERT_TRUE(
        startRecoveryWrite(&writer, copy.c_str(), tracks.tracks, FRAMES, HEIGHT, &camera, 42));
    EXPECT_FALSE(
        startRecoveryWrite(&writer, copy.c_str(), tracks.tracks, FRAMES, HEIGHT, &camera, 43))
        << "one write at a time";
    // The event thread edits on while the copy is written.
    for (int p = 0; p < PLAYER_COUNT; p += 2) clearTrack(&tracks.tracks[p]);
    randomKeys(tracks.tracks, 2);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!collectRecoveryWrite(&writer, false, &result, &revision)) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the write never finished";
        std::this_thread::yield();
    }
    EXPECT_EQ(result, 1);
    EXPECT_EQ(revision, 42u);
    EXPECT_FALSE(recoveryWriteStarted(&writer));
    EXPECT_FALSE(collectRecoveryWrite(&writer, true, &result, &revision)) << "reported once";
    EXPECT_EQ(readFile(copy), readFile(expected));

    // A copy that cannot be written says so; nothing is left behind.
    const std::string nowhere = folder.file("missing/clip.dat.autosave");
    ASSERT_TRUE(
        startRecoveryWrite(&writer, nowhere.c_str(), tracks.tracks, FRAMES, HEIGHT, &camera, 44));
    ASSERT_TRUE(collectRecoveryWrite(&writer, true, &result, &revision));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(folder.entries().size(), 2u);
}
