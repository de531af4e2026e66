// The demo generator's command line, its determinism, and the agreement of its ground
// truth and registration with the scripted match, read back through the tool's readers.
#include <algorithm>
#include <cmath>
#include <vector>

#include "demo_test_support.h"
#include "tools/demo_render.h"
#include "tools/pitch.h"

namespace {

bool parse(std::vector<const char*> arguments, DemoOptions* options, std::string* problem) {
    arguments.insert(arguments.begin(), "demo_generator");
    return parseDemoOptions(static_cast<int>(arguments.size()), arguments.data(), options, problem);
}

// The built-in demo's registration and ground truth, made once for the whole program.
struct RealDemo {
    TempFolder folder;
    DemoMatch match = makeDemoMatch(DemoSettings{});
    bool written = generateDemo(folder.path, DemoSettings{}, false);
};

const RealDemo& realDemo() {
    static const RealDemo demo;
    return demo;
}

}  // namespace

TEST(DemoOptions, ReadsFolderAndOptions) {
    DemoOptions options;
    std::string problem;
    ASSERT_TRUE(parse({"--no-video", "--frames", "40", "--seed", "7", "out"}, &options, &problem))
        << problem;
    EXPECT_EQ(options.outputFolder, "out");
    EXPECT_FALSE(options.writeVideo);
    EXPECT_EQ(options.settings.frameCount, 40);
    EXPECT_EQ(options.settings.seed, 7u);
    EXPECT_TRUE(options.artworkFolder.empty());

    ASSERT_TRUE(parse({"--field-artwork", "art"}, &options, &problem)) << problem;
    EXPECT_EQ(options.artworkFolder, "art");
    EXPECT_TRUE(options.outputFolder.empty());
    EXPECT_TRUE(options.writeVideo);
    EXPECT_EQ(options.settings.frameCount, DEMO_FRAMES);
    EXPECT_EQ(options.settings.seed, DEMO_SEED);
}

TEST(DemoOptions, RefusesBadCommandLines) {
    const std::vector<std::vector<const char*>> bad = {
        {},                          // nothing to write
        {"--no-video"},              // still nothing to write
        {"--frames", "0", "out"},    // no frames
        {"--frames", "-5", "out"},   // negative
        {"--frames", "12x", "out"},  // not a number
        {"--frames"},                // missing value
        {"--seed", "out"},           // not a number
        {"--field-artwork"},         // missing folder
        {"--colour", "out"},         // unknown option
        {"one", "two"},              // two folders
    };
    for (const auto& arguments : bad) {
        DemoOptions options;
        std::string problem;
        EXPECT_FALSE(parse(arguments, &options, &problem)) << arguments.size();
        EXPECT_FALSE(problem.empty());
    }
    const char* argv[] = {"demo_generator", "--frames", "0", "out"};
    EXPECT_EQ(runDemoGenerator(4, argv), 2);
}

TEST(DemoGenerator, WritesTheSameFilesOnEveryRun) {
    TempFolder first, second, other;
    DemoSettings settings;
    settings.frameCount = 60;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(generateDemo(first.path, settings, false));
    // The console says what is generated, not that the user saved something.
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(console.find("save "), std::string::npos) << console;
    EXPECT_NE(console.find("generating the demo match's ground truth: 60 frames in " +
                           first.file(DEMO_GROUND_TRUTH_NAME)),
              std::string::npos)
        << console;
    ASSERT_TRUE(generateDemo(second.path, settings, false));
    for (const char* name : {DEMO_REGISTRATION_NAME, DEMO_GROUND_TRUTH_NAME}) {
        const std::string a = readFile(first.file(name));
        EXPECT_GT(a.size(), 1000u) << name;
        EXPECT_EQ(a, readFile(second.file(name))) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(first.file(DEMO_VIDEO_NAME)));

    // The seed is what fixes the match: another seed plays another one.
    settings.seed = DEMO_SEED + 1;
    ASSERT_TRUE(generateDemo(other.path, settings, false));
    EXPECT_NE(readFile(first.file(DEMO_GROUND_TRUTH_NAME)),
              readFile(other.file(DEMO_GROUND_TRUTH_NAME)));
}

TEST(DemoGenerator, ReportsAFolderItCannotWrite) {
    TempFolder folder;
    const std::string blocked = folder.file("file");
    std::ofstream(blocked) << "not a folder";
    DemoSettings settings;
    settings.frameCount = 5;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(generateDemo(blocked, settings, false));
    EXPECT_NE(testing::internal::GetCapturedStdout().find(blocked), std::string::npos);
}

TEST(DemoGroundTruth, KeysLandOnTheTruePlanPositions) {
    const RealDemo& demo = realDemo();
    ASSERT_TRUE(demo.written);
    LoadedRegistration registration;
    ASSERT_EQ(
        readRegistration(demo.folder.file(DEMO_REGISTRATION_NAME).c_str(), &registration.table), 1);
    ASSERT_EQ(registration.table.count, DEMO_FRAMES);
    TrackSet truth;
    ASSERT_EQ(loadTracking(demo.folder.file(DEMO_GROUND_TRUTH_NAME).c_str(), truth.tracks,
                           DEMO_FRAMES, DEMO_HEIGHT),
              1);

    std::vector<int> expectedFrames;
    for (int f = 0; f < DEMO_FRAMES; ++f)
        if (isGroundTruthKeyFrame(f, DEMO_FRAMES)) expectedFrames.push_back(f);
    ASSERT_EQ(expectedFrames.back(), DEMO_FRAMES - 1);

    int checked = 0;
    for (int p = 0; p < PLAYER_COUNT; ++p) {
        std::vector<int> frames;
        for (KeyNode* key = firstKey(&truth.tracks[p]); key; key = nextKey(&truth.tracks[p], key)) {
            frames.push_back(key->frame);
            const KeyFrame* k = keyFrameOf(key);
            // Key frames count y upward; the registration wants it downward.
            const cv::Point2d feet(k->feetX, DEMO_HEIGHT - k->feetY);
            const cv::Point2d plan =
                imageToPlanPoint(homographyAt(&registration.table, key->frame), feet);
            const cv::Point2d truePosition = demo.match.players[key->frame][p].position;
            EXPECT_NEAR(plan.x, truePosition.x, 0.5) << "player " << p << " frame " << key->frame;
            EXPECT_NEAR(plan.y, truePosition.y, 0.5) << "player " << p << " frame " << key->frame;

            // The feet point is at the box's lower edge, inside it: in the middle for an
            // upright figure, off it as perspective leans figures far off the picture.
            const double bottom = k->rectY - k->rectHeight / 2;
            EXPECT_GT(k->rectHeight, 10.0);
            EXPECT_LE(std::abs(k->rectX - k->feetX), 0.5 * k->rectWidth);
            EXPECT_GE(k->feetY, bottom - 0.01);
            EXPECT_LT(k->feetY - bottom, 0.1 * k->rectHeight);
            ++checked;
        }
        EXPECT_EQ(frames, expectedFrames) << "player " << p;
    }
    EXPECT_EQ(checked, PLAYER_COUNT * static_cast<int>(expectedFrames.size()));
}

TEST(DemoMatch, CameraPansAndZoomsButNeverShowsTheWholePitch) {
    const RealDemo& demo = realDemo();
    ASSERT_TRUE(demo.written);
    LoadedRegistration registration;
    ASSERT_EQ(
        readRegistration(demo.folder.file(DEMO_REGISTRATION_NAME).c_str(), &registration.table), 1);
    ASSERT_EQ(registration.table.count, DEMO_FRAMES);
    EXPECT_EQ(readFile(demo.folder.file(DEMO_GROUND_TRUTH_NAME)).rfind("nFrames\t500\n", 0), 0u);

    double lowestCentre = 1e9, highestCentre = -1e9, narrowest = 1e9, widest = 0;
    for (int f = 0; f < DEMO_FRAMES; ++f) {
        const Homography* h = homographyAt(&registration.table, f);
        Homography inverse;
        ASSERT_NE(invertHomography(&inverse, h), 0.0);
        int outside = 0;
        for (const cv::Point2d& corner : pitchCorners()) {
            // Field point (u, v) = (x, 400 - y) back into the image.
            const double field[3] = {corner.x, PLAN_HEIGHT - corner.y, 1.0};
            double image[3];
            projectToField(&inverse, field, image);
            // Undivided means the corner would lie on the camera's horizon.
            ASSERT_EQ(image[2], 1.0) << "frame " << f;
            const double w = inverse.h[6] * field[0] + inverse.h[7] * field[1] + inverse.h[8];
            const double wCentre = inverse.h[6] * PITCH_CENTRE_X +
                                   inverse.h[7] * (PLAN_HEIGHT - PITCH_CENTRE_Y) + inverse.h[8];
            // The whole pitch lies in front of the camera: no corner is projected through
            // the camera's back.
            EXPECT_GT(w * wCentre, 0.0) << "frame " << f;
            if (image[0] < 0 || image[0] > DEMO_WIDTH || image[1] < 0 || image[1] > DEMO_HEIGHT)
                ++outside;
        }
        EXPECT_GT(outside, 0) << "frame " << f << " shows the whole pitch";

        const cv::Point2d left = imageToPlanPoint(h, {0, DEMO_HEIGHT / 2.0});
        const cv::Point2d centre = imageToPlanPoint(h, {DEMO_WIDTH / 2.0, DEMO_HEIGHT / 2.0});
        const cv::Point2d right = imageToPlanPoint(h, {DEMO_WIDTH, DEMO_HEIGHT / 2.0});
        lowestCentre = std::min(lowestCentre, centre.x);
        highestCentre = std::max(highestCentre, centre.x);
        narrowest = std::min(narrowest, right.x - left.x);
        widest = std::max(widest, right.x - left.x);
    }
    EXPECT_GT(highestCentre - lowestCentre, 100.0) << "the camera hardly pans";
    EXPECT_GT(widest / narrowest, 1.3) << "the camera hardly zooms";
    EXPECT_LT(widest, PITCH_LENGTH);
}

TEST(DemoMatch, PlayersRunSmoothlyInsideThePitch) {
    const DemoMatch& match = realDemo().match;
    ASSERT_EQ(match.players.size(), static_cast<size_t>(DEMO_FRAMES));
    const double frameTime = 1.0 / DEMO_FRAME_RATE;
    for (int p = 0; p < DEMO_PLAYERS; ++p) {
        double travelled = 0;
        for (int f = 0; f < DEMO_FRAMES; ++f) {
            const cv::Point2d at = match.players[f][p].position;
            EXPECT_TRUE(at.x > PITCH_LEFT && at.x < PITCH_RIGHT && at.y > PITCH_BOTTOM &&
                        at.y < PITCH_TOP)
                << "player " << p << " frame " << f;
            if (f == 0) continue;
            const double step = cv::norm(at - match.players[f - 1][p].position);
            // Nobody outruns a sprinter (10 m/s), and nobody jumps.
            EXPECT_LT(step / frameTime, 10.0 * UNITS_PER_METRE) << "player " << p << " frame " << f;
            travelled += step;
        }
        EXPECT_GT(travelled, 10.0 * UNITS_PER_METRE) << "player " << p << " hardly moves";
    }
}
