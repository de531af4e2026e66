#include "tools/demo_render.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <opencv2/imgproc.hpp>

#include "tools/seeded_random.h"

// Sections: scene constants; helpers; stand and boards; goals; shadows; figures; frame.

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double M = UNITS_PER_METRE;

// The grass is drawn once on a plan-sized texture and warped into each frame.
constexpr int GROUND_TEXTURE_SCALE = 3;  // texture pixels per plan unit

// The far stand: a slope rising from behind the boards, higher than the camera so
// that the camera never sees past it.
constexpr double STAND_LEFT = -800.0, STAND_RIGHT = 1600.0;  // plan x
constexpr double STAND_FOOT_Y = PLAN_HEIGHT;                 // plan y where it meets the ground
constexpr double STAND_TOP_Y = PLAN_HEIGHT + 160.0;
constexpr double STAND_TOP_Z = 140.0;
constexpr int STAND_TEXTURE_WIDTH = 2400, STAND_TEXTURE_HEIGHT = 212;
constexpr uint64_t STAND_SEED = 0xC20BDull;

// Advertising boards standing on the ground behind the far touchline.
constexpr double BOARD_Y = PITCH_TOP + 4.4 * M;
constexpr double BOARD_LEFT = 0.0, BOARD_RIGHT = PLAN_WIDTH;
constexpr double BOARD_HEIGHT = 1.0 * M;
constexpr int BOARD_PIXELS_PER_UNIT = 4;
constexpr double BOARD_PANEL = 10.0 * M;
constexpr const char* BOARD_WORDS[] = {"FOOTBALL",   "ANNOTATE",   "DEMO MATCH",
                                       "FIELD PLAN", "KEY FRAMES", "PLAY FAIR"};
constexpr unsigned char BOARD_COLOURS[][3] = {{150, 60, 20}, {30, 30, 170},  {40, 40, 40},
                                              {20, 120, 20}, {140, 20, 110}, {10, 110, 200}};

// Painted lines stay visible in the distance: at least this wide (pixels).
constexpr double MIN_LINE_WIDTH = 1.2;
constexpr double MIN_SPOT_RADIUS = 1.0;

// Goals.
constexpr double NET_SPACING = 0.5 * M;
constexpr double NET_BACK_HEIGHT = 0.75 * GOAL_HEIGHT;
const cv::Scalar NET_COLOUR(205, 205, 205);
constexpr double MIN_POST_WIDTH = 1.5;  // pixels

// Shadows, cast away from a sun behind the camera's left shoulder.
constexpr double SHADOW_LENGTH = 0.9 * M;
constexpr double SHADOW_WIDTH = 0.35 * M;
const cv::Point2d SHADOW_DIRECTION(0.45, 0.89);
constexpr double SHADOW_DARKNESS = 0.35;

// Figure proportions, in figure heights: heights up from the feet, offsets to the right.
constexpr double HIP = 0.49, SHORTS_TOP = 0.56, SHOULDER = 0.81;
constexpr double HEAD_CENTRE = 0.915, HEAD_RADIUS = 0.075;
constexpr double LEG_WIDTH = 0.075, ARM_WIDTH = 0.055, STRIDE = 0.12, ARM_LIFT = 0.05;
constexpr double NUMBER_HEIGHT = 0.11;  // text height of the shirt number
constexpr int FIGURE_SHIFT = 4;         // fraction bits of figure coordinates

struct TeamColours {
    cv::Scalar shirt, shorts, socks, number;
};
const TeamColours O_COLOURS{{40, 210, 235}, {110, 50, 20}, {40, 210, 235}, {30, 30, 30}};
const TeamColours D_COLOURS{{200, 60, 205}, {240, 240, 240}, {200, 60, 205}, {250, 250, 250}};
const cv::Scalar SKIN_TONES[] = {{105, 150, 200}, {80, 120, 170}, {60, 90, 130}, {120, 170, 215}};
const cv::Scalar HAIR(35, 35, 45);
const cv::Scalar SHOES(25, 25, 25);

// Score bug in the top-left corner, as broadcasts show, with the match clock.
constexpr int CLOCK_START_MINUTE = 27;
const cv::Rect SCORE_BOX(16, 14, 150, 26);
const cv::Scalar SCORE_BACKGROUND(40, 25, 20);
const cv::Scalar SCORE_TEXT(245, 245, 245);

// Image coordinates here are continuous (pixel centres at +0.5); OpenCV's drawing and
// warping put pixel centres at integers.
const cv::Matx33d TO_OPENCV(1, 0, -0.5, 0, 1, -0.5, 0, 0, 1);
const cv::Matx33d FROM_OPENCV(1, 0, 0.5, 0, 1, 0.5, 0, 0, 1);

cv::Point fixedPoint(const cv::Point2d& p) {
    const double f = 1 << FIGURE_SHIFT;
    return {cvRound((p.x - 0.5) * f), cvRound((p.y - 0.5) * f)};
}

void fillPolygon(cv::Mat& image, const std::vector<cv::Point2d>& polygon,
                 const cv::Scalar& colour) {
    std::vector<cv::Point> points;
    for (const cv::Point2d& p : polygon) points.push_back(fixedPoint(p));
    cv::fillConvexPoly(image, points, colour, cv::LINE_AA, FIGURE_SHIFT);
}

// A quad of the given width around the segment a-b (image pixels).
std::vector<cv::Point2d> segmentQuad(const cv::Point2d& a, const cv::Point2d& b, double width) {
    cv::Point2d d = b - a;
    const double length = std::hypot(d.x, d.y);
    const cv::Point2d n =
        length > 0 ? cv::Point2d(-d.y, d.x) * (width / 2 / length) : cv::Point2d(width / 2, 0);
    return {a + n, b + n, b - n, a - n};
}

// The homography from a texture on a world plane to the image: texture pixel (s, t)
// (OpenCV centres) lies at origin + (s + 0.5) * along + (t + 0.5) * down in the world.
cv::Matx33d textureToImage(const BroadcastCamera& camera, const cv::Vec3d& origin,
                           const cv::Vec3d& along, const cv::Vec3d& down) {
    const cv::Matx34d p = projectionMatrix(camera);
    const cv::Vec3d start = origin + 0.5 * along + 0.5 * down;
    const cv::Matx43d plane(along[0], down[0], start[0], along[1], down[1], start[1], along[2],
                            down[2], start[2], 0, 0, 1);
    return TO_OPENCV * (p * plane);
}

// Warps texture onto the part of image that its quad covers (the whole frame would
// cost a sample per pixel for a strip of boards), or onto the whole frame when a corner
// of the quad lies behind the camera.
void warpOnto(const cv::Mat& texture, const cv::Matx33d& textureToImage, cv::Mat& image) {
    const cv::Point2d corners[4] = {{-0.5, -0.5},
                                    {texture.cols - 0.5, -0.5},
                                    {texture.cols - 0.5, texture.rows - 0.5},
                                    {-0.5, texture.rows - 0.5}};
    double left = image.cols, right = 0, top = image.rows, bottom = 0;
    for (const cv::Point2d& c : corners) {
        cv::Point2d p;
        if (!mapPoint(textureToImage, c, &p)) {
            left = top = 0, right = image.cols, bottom = image.rows;
            break;
        }
        left = std::min(left, p.x), right = std::max(right, p.x);
        top = std::min(top, p.y), bottom = std::max(bottom, p.y);
    }
    const cv::Rect area =
        cv::Rect(cv::Point(static_cast<int>(std::floor(std::max(left, 0.0))),
                           static_cast<int>(std::floor(std::max(top, 0.0)))),
                 cv::Point(static_cast<int>(std::ceil(std::min<double>(right + 1, image.cols))),
                           static_cast<int>(std::ceil(std::min<double>(bottom + 1, image.rows))))) &
        cv::Rect(0, 0, image.cols, image.rows);
    if (area.empty()) return;
    const cv::Matx33d shift(1, 0, -area.x, 0, 1, -area.y, 0, 0, 1);
    cv::Mat part = image(area);
    cv::warpPerspective(texture, part, cv::Mat(shift * textureToImage), part.size(),
                        cv::INTER_LINEAR, cv::BORDER_TRANSPARENT);
}

cv::Mat makeGroundTexture() {
    cv::Mat texture(static_cast<int>(PLAN_HEIGHT * GROUND_TEXTURE_SCALE),
                    static_cast<int>(PLAN_WIDTH * GROUND_TEXTURE_SCALE), CV_8UC3);
    fillGround(texture, planToPicture(texture.size()).inv());
    return texture;
}

// The ground seen by the camera: the grass texture inside the plan, the surround beyond.
void drawGround(const BroadcastCamera& camera, const cv::Mat& groundTexture, cv::Mat& image) {
    const cv::Matx33d textureToImage =
        TO_OPENCV * planToImage(camera) * planToPicture(groundTexture.size()).inv() * FROM_OPENCV;
    cv::warpPerspective(groundTexture, image, cv::Mat(textureToImage), image.size(),
                        cv::INTER_LINEAR, cv::BORDER_CONSTANT,
                        cv::Scalar(SURROUND[0], SURROUND[1], SURROUND[2]));
}

cv::Mat makeStandTexture() {
    cv::Mat texture(STAND_TEXTURE_HEIGHT, STAND_TEXTURE_WIDTH, CV_8UC3, cv::Scalar(52, 48, 46));
    SeededRandom random{STAND_SEED};
    // Rows of seats, each with its spectators: small blobs of clothing colours.
    for (int row = 0; row + 6 <= STAND_TEXTURE_HEIGHT; row += 7) {
        cv::rectangle(texture, cv::Rect(0, row + 5, STAND_TEXTURE_WIDTH, 2), cv::Scalar(70, 66, 64),
                      cv::FILLED);
        for (int x = random.below(3); x < STAND_TEXTURE_WIDTH; x += 2 + random.below(3)) {
            if (random.unit() < 0.25) continue;
            // Muted clothes: a crowd seen from afar, and a kinder load for the JPEG coder.
            const double grey = random.uniform(60, 170);
            const cv::Scalar clothes(grey + random.uniform(-40, 40), grey + random.uniform(-40, 40),
                                     grey + random.uniform(-40, 40));
            cv::rectangle(texture, cv::Rect(x, row + 2, 2, 3), clothes, cv::FILLED);
            cv::rectangle(texture, cv::Rect(x, row + 1, 2, 1), SKIN_TONES[random.below(4)],
                          cv::FILLED);
        }
    }
    cv::GaussianBlur(texture, texture, cv::Size(3, 3), 0.8);
    return texture;
}

cv::Mat makeBoardTexture() {
    const int width = static_cast<int>((BOARD_RIGHT - BOARD_LEFT) * BOARD_PIXELS_PER_UNIT);
    const int height = static_cast<int>(BOARD_HEIGHT * BOARD_PIXELS_PER_UNIT);
    const int panel = static_cast<int>(BOARD_PANEL * BOARD_PIXELS_PER_UNIT);
    cv::Mat texture(height, width, CV_8UC3);
    const int words = static_cast<int>(std::size(BOARD_WORDS));
    for (int i = 0, x = 0; x < width; ++i, x += panel) {
        const unsigned char* c = BOARD_COLOURS[i % words];
        const cv::Rect box(x, 0, std::min(panel, width - x), height);
        cv::rectangle(texture, box, cv::Scalar(c[0], c[1], c[2]), cv::FILLED);
        const char* word = BOARD_WORDS[(i * 5 + 2) % words];
        int baseline = 0;
        const cv::Size size = cv::getTextSize(word, cv::FONT_HERSHEY_DUPLEX, 0.6, 1, &baseline);
        cv::putText(texture, word,
                    cv::Point(x + (panel - size.width) / 2, (height + size.height) / 2),
                    cv::FONT_HERSHEY_DUPLEX, 0.6, cv::Scalar(245, 245, 245), 1, cv::LINE_AA);
    }
    return texture;
}

void drawStandAndBoards(const BroadcastCamera& camera, const DemoRenderer& renderer,
                        cv::Mat& image) {
    const double standRise = (STAND_TOP_Y - STAND_FOOT_Y) / STAND_TEXTURE_HEIGHT;
    warpOnto(renderer.standTexture,
             textureToImage(camera, {STAND_LEFT, STAND_TOP_Y, STAND_TOP_Z},
                            {(STAND_RIGHT - STAND_LEFT) / STAND_TEXTURE_WIDTH, 0, 0},
                            {0, -standRise, -STAND_TOP_Z / STAND_TEXTURE_HEIGHT}),
             image);
    const double step = 1.0 / BOARD_PIXELS_PER_UNIT;
    warpOnto(
        renderer.boardTexture,
        textureToImage(camera, {BOARD_LEFT, BOARD_Y, BOARD_HEIGHT}, {step, 0, 0}, {0, 0, -step}),
        image);
}

// The net as lines, and the posts and crossbar as polygons for the white mask.
void drawGoal(const BroadcastCamera& camera, const Goal& goal, cv::Mat& image,
              std::vector<std::vector<cv::Point2d>>* posts) {
    const double low = PITCH_CENTRE_Y - GOAL_WIDTH / 2, high = PITCH_CENTRE_Y + GOAL_WIDTH / 2;
    const double back = goal.goalLineX + goal.outward * GOAL_DEPTH;
    auto line3d = [&](const cv::Vec3d& a, const cv::Vec3d& b) {
        cv::Point2d pa, pb;
        if (!projectWorld(camera, a, &pa) || !projectWorld(camera, b, &pb)) return;
        cv::line(image, fixedPoint(pa), fixedPoint(pb), NET_COLOUR, 1, cv::LINE_AA, FIGURE_SHIFT);
    };
    // Net: the back wall, the roof from the crossbar to the back, and both sides.
    for (double y = low; y <= high + 1e-9; y += NET_SPACING) {
        line3d({back, y, 0}, {back, y, NET_BACK_HEIGHT});
        line3d({back, y, NET_BACK_HEIGHT}, {goal.goalLineX, y, GOAL_HEIGHT});
    }
    for (double z = 0; z <= NET_BACK_HEIGHT + 1e-9; z += NET_SPACING)
        line3d({back, low, z}, {back, high, z});
    for (double d = 0; d <= GOAL_DEPTH + 1e-9; d += NET_SPACING) {
        const double x = goal.goalLineX + goal.outward * d;
        const double top = GOAL_HEIGHT + (NET_BACK_HEIGHT - GOAL_HEIGHT) * d / GOAL_DEPTH;
        line3d({x, low, 0}, {x, low, top});
        line3d({x, high, 0}, {x, high, top});
        line3d({x, low, top}, {x, high, top});
    }
    const std::vector<cv::Point2d> footprint = goalNetFootprint(goal);
    for (size_t i = 0; i + 1 < footprint.size(); ++i)
        line3d({footprint[i].x, footprint[i].y, 0}, {footprint[i + 1].x, footprint[i + 1].y, 0});

    // Posts and crossbar, as wide as the projected post (at least a pixel and a half).
    auto bar = [&](const cv::Vec3d& a, const cv::Vec3d& b) {
        cv::Point2d pa, pb;
        double depth = 0;
        if (!projectWorld(camera, a, &pa, &depth) || !projectWorld(camera, b, &pb)) return;
        const double width = std::max(MIN_POST_WIDTH, camera.focalLength * POST_WIDTH / depth);
        posts->push_back(segmentQuad(pa, pb, width));
    };
    bar({goal.goalLineX, low, 0}, {goal.goalLineX, low, GOAL_HEIGHT});
    bar({goal.goalLineX, high, 0}, {goal.goalLineX, high, GOAL_HEIGHT});
    bar({goal.goalLineX, low, GOAL_HEIGHT}, {goal.goalLineX, high, GOAL_HEIGHT});
}

// The pixel coverage of polygons, by filling them into the renderer's supersampled mask.
cv::Mat coverageOf(DemoRenderer& renderer, const std::vector<std::vector<cv::Point2d>>& polygons,
                   const cv::Size& size) {
    constexpr int SCALE = 4;
    renderer.mask.create(size.height * SCALE, size.width * SCALE, CV_8UC1);
    renderer.mask.setTo(0);
    fillPolygonsSupersampled(renderer.mask, polygons, SCALE);
    cv::Mat coverage;
    cv::resize(renderer.mask, coverage, size, 0, 0, cv::INTER_AREA);
    return coverage;
}

void drawShadows(const DemoMatch& match, int frame, DemoRenderer& renderer, cv::Mat& image) {
    const cv::Matx33d toImage = planToImage(match.cameras[frame]);
    std::vector<std::vector<cv::Point2d>> shadows;
    const cv::Point2d side(-SHADOW_DIRECTION.y, SHADOW_DIRECTION.x);
    for (const PlayerState& state : match.players[frame]) {
        std::vector<cv::Point2d> polygon;
        for (int i = 0; i < 16; ++i) {
            const double a = 2 * PI * i / 16;
            const cv::Point2d p = state.position +
                                  SHADOW_DIRECTION * (SHADOW_LENGTH * (0.5 + 0.5 * std::cos(a))) +
                                  side * (SHADOW_WIDTH * 0.5 * std::sin(a));
            cv::Point2d q;
            if (!mapPoint(toImage, p, &q)) break;
            polygon.push_back(q);
        }
        if (polygon.size() == 16) shadows.push_back(std::move(polygon));
    }
    const cv::Mat coverage = coverageOf(renderer, shadows, image.size());
    for (int y = 0; y < image.rows; ++y) {
        cv::Vec3b* row = image.ptr<cv::Vec3b>(y);
        const unsigned char* c = coverage.ptr<unsigned char>(y);
        for (int x = 0; x < image.cols; ++x)
            if (c[x]) row[x] *= 1.0 - SHADOW_DARKNESS * c[x] / 255.0;
    }
}

void drawFigure(const DemoMatch& match, int frame, int player, cv::Mat& image) {
    const PlayerFigure figure = playerFigure(match, frame, player);
    if (!figure.inFront) return;
    const cv::Point2d axis = figure.head - figure.feet;
    const double height = std::hypot(axis.x, axis.y);
    if (height < 2.0) return;
    const cv::Point2d up = axis / height, right(-up.y, up.x);
    auto at = [&](double h, double s) {
        return figure.feet + up * (h * height) + right * (s * height);
    };
    const TeamColours& team = isOSidePlayer(player) ? O_COLOURS : D_COLOURS;
    const cv::Scalar& skin = SKIN_TONES[(player * 7 + 3) % 4];
    const double swing = std::sin(match.players[frame][player].stridePhase);

    // Legs: a foot swings forward while the other swings back.
    for (int leg = 0; leg < 2; ++leg) {
        const double side = leg == 0 ? -0.05 : 0.05;
        const double step = (leg == 0 ? 1 : -1) * STRIDE * swing;
        const cv::Point2d hip = at(HIP, side), foot = at(0.02, side + step);
        const cv::Point2d knee = (hip + foot) * 0.5 + right * (0.02 * height * (step > 0 ? 1 : -1));
        fillPolygon(image, segmentQuad(hip, knee, LEG_WIDTH * height), skin);
        fillPolygon(image, segmentQuad(knee, foot, LEG_WIDTH * height), team.socks);
        fillPolygon(image, segmentQuad(foot, foot + right * (0.05 * height), 0.04 * height), SHOES);
    }
    fillPolygon(
        image,
        {at(HIP - 0.06, -0.12), at(HIP - 0.06, 0.12), at(SHORTS_TOP, 0.12), at(SHORTS_TOP, -0.12)},
        team.shorts);
    // Arms swing against each other, which seen from the front lifts one hand as the
    // other drops; the sleeve covers the upper half. Hands stay inside the figure's box.
    for (int arm = 0; arm < 2; ++arm) {
        const double side = arm == 0 ? -1.0 : 1.0;
        const cv::Point2d shoulder = at(SHOULDER - 0.02, side * 0.14);
        const cv::Point2d hand = at(HIP + 0.05 + side * ARM_LIFT * swing, side * 0.19);
        const cv::Point2d elbow = (shoulder + hand) * 0.5;
        fillPolygon(image, segmentQuad(elbow, hand, ARM_WIDTH * height), skin);
        fillPolygon(image, segmentQuad(shoulder, elbow, ARM_WIDTH * 1.2 * height), team.shirt);
    }
    fillPolygon(image,
                {at(SHORTS_TOP - 0.02, -0.12), at(SHORTS_TOP - 0.02, 0.12), at(SHOULDER, 0.15),
                 at(SHOULDER + 0.02, 0.10), at(SHOULDER + 0.02, -0.10), at(SHOULDER, -0.15)},
                team.shirt);
    // Head, with the hair as a darker cap.
    const cv::Point2d head = at(HEAD_CENTRE, 0);
    const int radius = cvRound(HEAD_RADIUS * height * (1 << FIGURE_SHIFT));
    cv::circle(image, fixedPoint(head), radius, skin, cv::FILLED, cv::LINE_AA, FIGURE_SHIFT);
    fillPolygon(image,
                {at(HEAD_CENTRE + 0.02, -HEAD_RADIUS), at(HEAD_CENTRE + 0.02, HEAD_RADIUS),
                 at(HEAD_CENTRE + HEAD_RADIUS * 0.8, HEAD_RADIUS * 0.6), at(1.0, 0),
                 at(HEAD_CENTRE + HEAD_RADIUS * 0.8, -HEAD_RADIUS * 0.6)},
                HAIR);

    // The shirt number, as large as the chest allows.
    const std::string number = std::to_string(playerNumber(player));
    const double textHeight = NUMBER_HEIGHT * height;
    if (textHeight >= 3.0) {
        int baseline = 0;
        const cv::Size unit = cv::getTextSize(number, cv::FONT_HERSHEY_SIMPLEX, 1.0, 1, &baseline);
        const double scale = textHeight / unit.height;
        const cv::Point2d centre = at(0.69, 0);
        const cv::Point2d origin(centre.x - unit.width * scale / 2,
                                 centre.y + unit.height * scale / 2);
        cv::putText(image, number, cv::Point(cvRound(origin.x - 0.5), cvRound(origin.y - 0.5)),
                    cv::FONT_HERSHEY_SIMPLEX, scale, team.number, textHeight >= 9 ? 2 : 1,
                    cv::LINE_AA);
    }
}

void drawScoreBug(const DemoMatch& match, int frame, cv::Mat& image) {
    cv::rectangle(image, SCORE_BOX, SCORE_BACKGROUND, cv::FILLED);
    const int seconds = static_cast<int>(frame / match.settings.frameRate);
    char text[32];
    std::snprintf(text, sizeof text, "O 0-0 D  %02d:%02d", CLOCK_START_MINUTE + seconds / 60,
                  seconds % 60);
    cv::putText(image, text, cv::Point(SCORE_BOX.x + 8, SCORE_BOX.y + 18), cv::FONT_HERSHEY_SIMPLEX,
                0.5, SCORE_TEXT, 1, cv::LINE_AA);
}

}  // namespace

PlayerFigure playerFigure(const DemoMatch& match, int frame, int player) {
    const BroadcastCamera& camera = match.cameras[frame];
    const cv::Point2d ground = match.players[frame][player].position;
    PlayerFigure figure{};
    figure.inFront = projectWorld(camera, {ground.x, ground.y, 0.0}, &figure.feet, &figure.depth) &&
                     projectWorld(camera, {ground.x, ground.y, PLAYER_HEIGHT}, &figure.head);
    if (!figure.inFront) return figure;
    const cv::Point2d axis = figure.head - figure.feet;
    const cv::Point2d across(-axis.y * FIGURE_HALF_WIDTH, axis.x * FIGURE_HALF_WIDTH);
    const cv::Point2d corners[4] = {figure.feet + across, figure.feet - across,
                                    figure.head + across, figure.head - across};
    double left = corners[0].x, right = left, top = corners[0].y, bottom = top;
    for (const cv::Point2d& c : corners) {
        left = std::min(left, c.x), right = std::max(right, c.x);
        top = std::min(top, c.y), bottom = std::max(bottom, c.y);
    }
    figure.box = cv::Rect2d(left, top, right - left, bottom - top);
    return figure;
}

DemoRenderer::DemoRenderer()
    : groundTexture(makeGroundTexture()),
      standTexture(makeStandTexture()),
      boardTexture(makeBoardTexture()) {}

void renderDemoFrame(const DemoMatch& match, int frame, DemoRenderer& renderer, cv::Mat& image) {
    const BroadcastCamera& camera = match.cameras[frame];
    image.create(camera.imageSize, CV_8UC3);
    drawGround(camera, renderer.groundTexture, image);
    drawStandAndBoards(camera, renderer, image);

    std::vector<std::vector<cv::Point2d>> white =
        markingPolygons(planToImage(camera), MIN_LINE_WIDTH, MIN_SPOT_RADIUS);
    for (int side = 0; side < 2; ++side) drawGoal(camera, pitchGoal(side), image, &white);
    blendCoverage(image, coverageOf(renderer, white, image.size()), cv::Scalar::all(MARKING_WHITE));
    drawShadows(match, frame, renderer, image);

    // Far players first, so nearer ones cover them.
    std::vector<int> order(DEMO_PLAYERS);
    std::iota(order.begin(), order.end(), 0);
    std::vector<double> depth(DEMO_PLAYERS);
    for (int p = 0; p < DEMO_PLAYERS; ++p) depth[p] = playerFigure(match, frame, p).depth;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return depth[a] > depth[b]; });
    for (int p : order) drawFigure(match, frame, p, image);
    drawScoreBug(match, frame, image);
}
