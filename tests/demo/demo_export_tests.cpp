// The export of the demo's ground truth, read back as the tool reads it: the metres of
// every key on the plan's pitch are the players' own pitch positions in the scripted
// match; between keys, how far the exported feet point lies from the field view's dot.
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "demo_test_support.h"
#include "tracking/field_pitch.h"
#include "tracking/track_export.h"
#include "views/field_plan.h"

namespace {

// The CSV row's player, "O1".."D11", as a player index.
int playerIndex(const std::string& label) {
    return (label[0] == 'D' ? SIDE_PLAYER_COUNT : 0) + std::stoi(label.substr(1)) - 1;
}

}  // namespace

TEST(DemoExport, KeysLieWhereTheMatchPutThePlayers) {
    TempFolder folder;
    ASSERT_TRUE(generateDemo(folder.path, DemoSettings{}, false));
    const DemoMatch match = makeDemoMatch(DemoSettings{});
    LoadedRegistration registration;
    TrackSet truth;
    testing::internal::CaptureStdout();
    ASSERT_EQ(readRegistration(folder.file(DEMO_REGISTRATION_NAME).c_str(), &registration.table),
              1);
    ASSERT_EQ(loadTracking(folder.file(DEMO_GROUND_TRUTH_NAME).c_str(), truth.tracks, DEMO_FRAMES,
                           DEMO_HEIGHT),
              1);
    std::vector<double> seconds(DEMO_FRAMES);
    for (int f = 0; f < DEMO_FRAMES; f++) seconds[f] = f / DEMO_FRAME_RATE;
    ExportSource source;
    source.tracks = truth.tracks;
    source.registration = &registration.table;
    source.nFrames = DEMO_FRAMES;
    source.videoHeight = DEMO_HEIGHT;
    source.frameSeconds = seconds.data();
    ASSERT_EQ(exportTracking(folder.file(DEMO_GROUND_TRUTH_NAME).c_str(), source), 1);
    testing::internal::GetCapturedStdout();

    Scene scene;
    scene.tracks = truth.tracks;
    scene.registration = &registration.table;
    scene.videoWidth = DEMO_WIDTH;
    scene.videoHeight = DEMO_HEIGHT;

    std::istringstream csv(readFile(folder.file("demo-groundtruth.csv")));
    std::string row;
    std::getline(csv, row);  // the header
    int keys = 0, between = 0;
    double worstKey = 0, worstDot = 0, sumDot = 0;
    while (std::getline(csv, row)) {
        std::vector<std::string> cells;
        std::stringstream fields(row);
        for (std::string cell; std::getline(fields, cell, ',');) cells.push_back(cell);
        ASSERT_EQ(cells.size(), 12u) << row;
        const int frame = std::stoi(cells[0]), player = playerIndex(cells[2]);
        const PitchMetres exported{std::stod(cells[10]), std::stod(cells[11])};
        if (cells[3] == "key") {
            const cv::Point2d plan = match.players[frame][player].position;
            const PitchMetres truePlace = planToMetres(plan.x, plan.y);
            const double error = std::hypot(exported.x - truePlace.x, exported.y - truePlace.y);
            EXPECT_LT(error, 0.05) << row;
            worstKey = std::max(worstKey, error);
            keys++;
        } else {
            PlanPoint dot;
            ASSERT_TRUE(playerDotPoint(&scene, player, frame, &dot)) << row;
            const PitchMetres onPlan = planToMetres(dot.x, dot.y);
            const double gap = std::hypot(exported.x - onPlan.x, exported.y - onPlan.y);
            worstDot = std::max(worstDot, gap);
            sumDot += gap;
            between++;
        }
    }
    EXPECT_EQ(keys, 21 * DEMO_PLAYERS);  // frames 0, 25, ..., 475 and the last
    ASSERT_GT(between, 0);
    // With perspective the field view blends on the pitch and the video view in the
    // image, so the two places of an in-between position differ a little.
    std::printf(
        "demo: keys within %.3f m of the match; in-between feet %.3f m from the field "
        "view's dot on average, %.3f m at most (%d rows)\n",
        worstKey, sumDot / between, worstDot, between);
    EXPECT_LT(worstDot, 0.25);
}
