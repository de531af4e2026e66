// The rendered clip and the field pictures agree with the registration and the ground
// truth: markings found in the pixels project onto their plan points, figures stand
// in their ground-truth boxes, and the committed artwork is the shared pitch's.
#include <algorithm>
#include <cstdlib>
#include <opencv2/imgcodecs.hpp>
#include <vector>

#include "demo_test_support.h"
#include "tools/demo_render.h"
#include "tools/field_artwork.h"
#include "tools/pitch.h"

namespace {

constexpr int SPOT_WINDOW = 6;  // pixels around the expected spot searched for paint

// The built-in demo's files without the clip, made once for the whole program.
struct RealDemo {
    TempFolder folder;
    DemoMatch match = makeDemoMatch(DemoSettings{});
    bool written = generateDemo(folder.path, DemoSettings{}, false);
    LoadedRegistration registration;
    RealDemo() {
        if (written)
            written = readRegistration(folder.file(DEMO_REGISTRATION_NAME).c_str(),
                                       &registration.table) == 1;
    }
};

RealDemo& realDemo() {
    static RealDemo demo;
    return demo;
}

// Whiteness of a pixel: paint has all three channels high, grass has low blue and red.
int whiteness(const cv::Vec3b& pixel) {
    return std::min({pixel[0], pixel[1], pixel[2]});
}

// The centroid of the paint around an expected image point (continuous pixels); false
// when the window holds no paint or leaves the image.
bool findPaint(const cv::Mat& image, const cv::Point2d& expected, cv::Point2d* found) {
    const int cx = static_cast<int>(expected.x), cy = static_cast<int>(expected.y);
    if (cx - SPOT_WINDOW < 0 || cy - SPOT_WINDOW < 0 || cx + SPOT_WINDOW >= image.cols ||
        cy + SPOT_WINDOW >= image.rows)
        return false;
    double sum = 0, sx = 0, sy = 0;
    for (int y = cy - SPOT_WINDOW; y <= cy + SPOT_WINDOW; ++y)
        for (int x = cx - SPOT_WINDOW; x <= cx + SPOT_WINDOW; ++x) {
            const double weight = std::max(0, whiteness(image.at<cv::Vec3b>(y, x)) - 100);
            sum += weight, sx += weight * (x + 0.5), sy += weight * (y + 0.5);
        }
    if (sum <= 0) return false;
    *found = {sx / sum, sy / sum};
    return true;
}

// Image point of a plan point through the inverse of a frame's registration record.
cv::Point2d planToImagePoint(const Homography* h, const cv::Point2d& plan) {
    Homography inverse;
    invertHomography(&inverse, h);
    const double field[3] = {plan.x, PLAN_HEIGHT - plan.y, 1.0};
    double image[3];
    projectToField(&inverse, field, image);
    return {image[0], image[1]};
}

bool nearAnyPlayer(const DemoMatch& match, int frame, const cv::Point2d& point) {
    for (int p = 0; p < DEMO_PLAYERS; ++p) {
        const PlayerFigure figure = playerFigure(match, frame, p);
        // Figures and the shadows at their feet.
        cv::Rect2d area = figure.box;
        area.x -= 2 * SPOT_WINDOW, area.width += 4 * SPOT_WINDOW;
        area.y -= 2 * SPOT_WINDOW, area.height += 4 * SPOT_WINDOW;
        if (area.contains(point)) return true;
    }
    return false;
}

struct SpotSighting {
    int frame;
    cv::Point2d image;  // where the paint was found
};

}  // namespace

TEST(DemoRender, PenaltySpotsInThePixelsProjectOntoThePlan) {
    RealDemo& demo = realDemo();
    ASSERT_TRUE(demo.written);
    DemoRenderer renderer;
    cv::Mat image;
    int spotsSeen = 0;
    for (int side = 0; side < 2; ++side) {
        const cv::Point2d spot = penaltySpot(side);
        std::vector<SpotSighting> sightings;
        for (int f = 0; f < DEMO_FRAMES && sightings.size() < 4; f += 7) {
            const Homography* h = homographyAt(&demo.registration.table, f);
            const cv::Point2d expected = planToImagePoint(h, spot);
            if (expected.x < 20 || expected.y < 20 || expected.x > DEMO_WIDTH - 20 ||
                expected.y > DEMO_HEIGHT - 20 || nearAnyPlayer(demo.match, f, expected))
                continue;
            renderDemoFrame(demo.match, f, renderer, image);
            cv::Point2d found;
            ASSERT_TRUE(findPaint(image, expected, &found)) << "frame " << f;
            // The paint is where the registration puts the spot, to a fraction of a
            // pixel (half a pixel off would be a mix-up of pixel corners and centres)...
            EXPECT_LT(cv::norm(found - expected), 0.35) << "frame " << f;
            // ...so the registration carries the paint onto the spot's plan point.
            const cv::Point2d plan = imageToPlanPoint(h, found);
            EXPECT_NEAR(plan.x, spot.x, 0.5) << "frame " << f;
            EXPECT_NEAR(plan.y, spot.y, 0.5) << "frame " << f;
            sightings.push_back({f, found});
        }
        ASSERT_GE(sightings.size(), 2u) << "penalty spot " << side << " is never in view";
        spotsSeen += static_cast<int>(sightings.size());

        // Seen from two frames, the spot lands on one plan point, and carried from one
        // frame into the other it lands on the paint there.
        const SpotSighting& a = sightings.front();
        for (size_t i = 1; i < sightings.size(); ++i) {
            const SpotSighting& b = sightings[i];
            const Homography* ha = homographyAt(&demo.registration.table, a.frame);
            const Homography* hb = homographyAt(&demo.registration.table, b.frame);
            EXPECT_LT(cv::norm(imageToPlanPoint(ha, a.image) - imageToPlanPoint(hb, b.image)), 0.5);
            const double source[3] = {a.image.x, a.image.y, 1.0};
            double carried[3];
            ASSERT_EQ(transferPoint(carried, hb, ha, source), 1);
            EXPECT_LT(cv::norm(cv::Point2d(carried[0], carried[1]) - b.image), 0.5)
                << "frames " << a.frame << " and " << b.frame;
        }
    }
    EXPECT_GE(spotsSeen, 4);
}

TEST(DemoRender, FiguresStandInTheirGroundTruthBoxes) {
    RealDemo& demo = realDemo();
    ASSERT_TRUE(demo.written);
    TrackSet truth;
    ASSERT_EQ(loadTracking(demo.folder.file(DEMO_GROUND_TRUTH_NAME).c_str(), truth.tracks,
                           DEMO_FRAMES, DEMO_HEIGHT),
              1);
    DemoRenderer renderer;
    cv::Mat image;
    int checked = 0, found = 0;
    for (int frame : {0, 100, 250, 400, DEMO_FRAMES - 1}) {
        renderDemoFrame(demo.match, frame, renderer, image);
        std::vector<cv::Rect2d> boxes(PLAYER_COUNT);
        for (int p = 0; p < PLAYER_COUNT; ++p) {
            KeyNode* key = seekKey(&truth.tracks[p], frame);
            ASSERT_TRUE(key && key->frame == frame) << "player " << p << " frame " << frame;
            const KeyFrame* k = keyFrameOf(key);
            // Back to image rows: the file's y counts upward from the bottom edge.
            boxes[p] =
                cv::Rect2d(k->rectX - k->rectWidth / 2, DEMO_HEIGHT - k->rectY - k->rectHeight / 2,
                           k->rectWidth, k->rectHeight);
        }
        for (int p = 0; p < PLAYER_COUNT; ++p) {
            const cv::Rect2d& box = boxes[p];
            if (box.x < 0 || box.y < 40 || box.br().x > DEMO_WIDTH || box.br().y > DEMO_HEIGHT)
                continue;
            bool overlapped = false;
            for (int q = 0; q < PLAYER_COUNT; ++q)
                if (q != p && (boxes[q] & box).area() > 0) overlapped = true;
            if (overlapped) continue;
            // The shirt fills the band from a fifth to two fifths down the box.
            const cv::Vec3b shirt =
                isOSidePlayer(p) ? cv::Vec3b(40, 210, 235) : cv::Vec3b(200, 60, 205);
            int pixels = 0, shirtPixels = 0;
            for (int y = static_cast<int>(box.y + 0.22 * box.height);
                 y < static_cast<int>(box.y + 0.40 * box.height); ++y)
                for (int x = static_cast<int>(box.x + 0.3 * box.width);
                     x < static_cast<int>(box.x + 0.7 * box.width); ++x) {
                    const cv::Vec3b pixel = image.at<cv::Vec3b>(y, x);
                    ++pixels;
                    if (cv::norm(cv::Vec3d(pixel) - cv::Vec3d(shirt)) < 60) ++shirtPixels;
                }
            ++checked;
            if (pixels > 0 && shirtPixels * 3 >= pixels) ++found;
        }
    }
    ASSERT_GE(checked, 20);
    EXPECT_GE(found * 10, checked * 9) << found << " of " << checked;
}

TEST(FieldArtwork, CommittedPicturesAreTheSharedPitch) {
    const char* source = std::getenv("ANNOTATE_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    for (const FieldPicture& picture : fieldPictures()) {
        const std::string path = std::string(source) + "/textures/" + picture.fileName;
        const cv::Mat committed = cv::imread(path, cv::IMREAD_UNCHANGED);
        ASSERT_FALSE(committed.empty()) << path;
        // Three channels without alpha: the tool uploads them as BGR.
        EXPECT_EQ(committed.type(), CV_8UC3) << path;
        EXPECT_EQ(committed.size(), picture.size) << path;
        const cv::Mat drawn = renderFieldPicture(picture);
        ASSERT_EQ(drawn.size(), committed.size());
        cv::Mat difference;
        cv::absdiff(drawn, committed, difference);
        cv::Mat largest;
        cv::reduce(difference.reshape(1, difference.rows * difference.cols), largest, 1,
                   cv::REDUCE_MAX);
        EXPECT_LE(cv::countNonZero(largest > 40), static_cast<int>(drawn.total() / 1000))
            << path << " is not the current pitch; run the regenerate_field_artwork target";
    }
    const auto& pictures = fieldPictures();
    // The small plan fits between the timeline and the player buttons of the main window.
    EXPECT_LE(pictures[0].size.width, 164);
    EXPECT_LE(pictures[0].size.height, 93);
    for (const FieldPicture& picture : pictures)
        EXPECT_EQ(picture.size.width, 2 * picture.size.height) << picture.fileName;
}

TEST(FieldArtwork, MarkingsSitOnTheirPlanPoints) {
    for (const FieldPicture& picture : fieldPictures()) {
        const cv::Mat image = renderFieldPicture(picture);
        const cv::Matx33d toPicture = planToPicture(picture.size);
        // The brightest pixel next to a plan point (continuous picture coordinates).
        auto paintNear = [&](const cv::Point2d& plan) {
            cv::Point2d p;
            EXPECT_TRUE(mapPoint(toPicture, plan, &p));
            int best = 0;
            for (int y = static_cast<int>(p.y) - 1; y <= static_cast<int>(p.y) + 1; ++y)
                for (int x = static_cast<int>(p.x) - 1; x <= static_cast<int>(p.x) + 1; ++x)
                    if (x >= 0 && y >= 0 && x < image.cols && y < image.rows)
                        best = std::max(best, whiteness(image.at<cv::Vec3b>(y, x)));
            return best;
        };
        const std::vector<cv::Point2d> painted = {
            penaltySpot(0),
            penaltySpot(1),
            {PITCH_LEFT, PITCH_CENTRE_Y + 60},                        // goal line
            {PITCH_CENTRE_X, PITCH_TOP - 20},                         // halfway line
            {PITCH_CENTRE_X + CENTRE_CIRCLE_RADIUS, PITCH_CENTRE_Y},  // centre circle
            {PITCH_RIGHT - PENALTY_AREA_DEPTH, PITCH_CENTRE_Y - 80},  // penalty area
            {PITCH_LEFT + 100, PITCH_BOTTOM},                         // near touchline
        };
        for (const cv::Point2d& plan : painted)
            EXPECT_GT(paintNear(plan), 140) << picture.fileName << " at " << plan;
        const std::vector<cv::Point2d> grass = {
            {PITCH_LEFT + 130, PITCH_CENTRE_Y + 60},
            {PITCH_CENTRE_X - 150, PITCH_BOTTOM + 50},
            {20, 20},  // the margin beyond the pitch
        };
        for (const cv::Point2d& plan : grass)
            EXPECT_LT(paintNear(plan), 110) << picture.fileName << " at " << plan;
    }
}
