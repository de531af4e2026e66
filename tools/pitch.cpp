#include "tools/pitch.h"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>

#include "tools/seeded_random.h"

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double SAMPLE_SPACING = 25.0;      // plan units between widening samples on a line
constexpr double ARC_STEP = 2.0 * PI / 180;  // radians between arc samples
constexpr int SPOT_SIDES = 24;               // polygon sides of a spot
constexpr double MAX_COORDINATE = 1.0e6;     // pixels; polygons beyond are left out
constexpr int NOISE_SIZE = 64;               // ground noise table, cells per side
constexpr double NOISE_CELL = 6.0;           // plan units per noise cell
constexpr double NOISE_AMPLITUDE = 4.0;      // grey levels
constexpr uint64_t NOISE_SEED = 0x5EED6A55ull;

PitchMarkings buildMarkings() {
    PitchMarkings m;
    auto line = [&m](double x0, double y0, double x1, double y1) {
        m.lines.push_back({{x0, y0}, {x1, y1}});
    };
    // Boundary and halfway line.
    line(PITCH_LEFT, PITCH_BOTTOM, PITCH_RIGHT, PITCH_BOTTOM);
    line(PITCH_LEFT, PITCH_TOP, PITCH_RIGHT, PITCH_TOP);
    line(PITCH_LEFT, PITCH_BOTTOM, PITCH_LEFT, PITCH_TOP);
    line(PITCH_RIGHT, PITCH_BOTTOM, PITCH_RIGHT, PITCH_TOP);
    line(PITCH_CENTRE_X, PITCH_BOTTOM, PITCH_CENTRE_X, PITCH_TOP);
    m.arcs.push_back({centreSpot(), CENTRE_CIRCLE_RADIUS, 0.0, PI});
    m.arcs.push_back({centreSpot(), CENTRE_CIRCLE_RADIUS, PI, 2 * PI});
    m.spots.push_back({centreSpot(), SPOT_RADIUS});

    for (int side = 0; side < 2; ++side) {
        const double goalLine = side == 0 ? PITCH_LEFT : PITCH_RIGHT;
        const double inward = side == 0 ? 1.0 : -1.0;
        // Penalty area and goal area: three sides each, the fourth is the goal line.
        for (auto [depth, width] : {std::pair{PENALTY_AREA_DEPTH, PENALTY_AREA_WIDTH},
                                    std::pair{GOAL_AREA_DEPTH, GOAL_AREA_WIDTH}}) {
            const double front = goalLine + inward * depth;
            const double low = PITCH_CENTRE_Y - width / 2, high = PITCH_CENTRE_Y + width / 2;
            line(goalLine, low, front, low);
            line(front, low, front, high);
            line(front, high, goalLine, high);
        }
        const cv::Point2d spot = penaltySpot(side);
        m.spots.push_back({spot, SPOT_RADIUS});
        // The arc is the part of the circle round the spot outside the penalty area.
        const double half =
            std::acos((PENALTY_AREA_DEPTH - PENALTY_SPOT_DISTANCE) / CENTRE_CIRCLE_RADIUS);
        const double facing = side == 0 ? 0.0 : PI;
        m.arcs.push_back({spot, CENTRE_CIRCLE_RADIUS, facing - half, facing + half});
        // Corner arcs, a quarter circle inside the pitch at each corner of this end.
        m.arcs.push_back({{goalLine, PITCH_BOTTOM},
                          CORNER_ARC_RADIUS,
                          side == 0 ? 0.0 : PI / 2,
                          side == 0 ? PI / 2 : PI});
        m.arcs.push_back({{goalLine, PITCH_TOP},
                          CORNER_ARC_RADIUS,
                          side == 0 ? 1.5 * PI : PI,
                          side == 0 ? 2 * PI : 1.5 * PI});
    }
    return m;
}

// Image distance across the direction `along` between two image points.
double acrossDistance(const cv::Point2d& a, const cv::Point2d& b, const cv::Point2d& along) {
    const double length = std::hypot(along.x, along.y);
    const cv::Point2d d = a - b;
    if (length <= 0.0) return std::hypot(d.x, d.y);
    return std::abs(d.x * along.y - d.y * along.x) / length;
}

// One side point pair of a strip at centre point p with unit plan normal n and plan
// tangent t, widened so the strip is at least minWidth pixels across in the image.
bool stripSection(const cv::Matx33d& h, const cv::Point2d& p, const cv::Point2d& n,
                  const cv::Point2d& t, double halfWidth, double minWidth, cv::Point2d* left,
                  cv::Point2d* right) {
    cv::Point2d centre, ahead;
    if (!mapPoint(h, p, &centre) || !mapPoint(h, p + t * 0.01, &ahead)) return false;
    if (!mapPoint(h, p + n * halfWidth, left) || !mapPoint(h, p - n * halfWidth, right))
        return false;
    const double width = acrossDistance(*left, *right, ahead - centre);
    if (width < minWidth && width > 0.0) {
        const double grown = halfWidth * minWidth / width;
        if (!mapPoint(h, p + n * grown, left) || !mapPoint(h, p - n * grown, right)) return false;
    }
    return true;
}

bool withinLimits(const std::vector<cv::Point2d>& polygon) {
    for (const cv::Point2d& p : polygon)
        if (!(std::abs(p.x) < MAX_COORDINATE && std::abs(p.y) < MAX_COORDINATE)) return false;
    return true;
}

void addStrip(std::vector<std::vector<cv::Point2d>>* out, const std::vector<cv::Point2d>& lefts,
              const std::vector<cv::Point2d>& rights) {
    std::vector<cv::Point2d> polygon(lefts);
    polygon.insert(polygon.end(), rights.rbegin(), rights.rend());
    if (withinLimits(polygon)) out->push_back(std::move(polygon));
}

// A straight painted line with square ends half a width past its end points.
void addLineStrip(std::vector<std::vector<cv::Point2d>>* out, const cv::Matx33d& planToImage,
                  const MarkingLine& line, double minLineWidth) {
    const double halfWidth = LINE_WIDTH / 2;
    const cv::Point2d d = line.to - line.from;
    const double length = std::hypot(d.x, d.y);
    const cv::Point2d t = d / length, n(-t.y, t.x);
    const cv::Point2d start = line.from - t * halfWidth;
    const double total = length + 2 * halfWidth;
    const int pieces = std::max(1, static_cast<int>(std::ceil(total / SAMPLE_SPACING)));
    std::vector<cv::Point2d> lefts, rights;
    for (int i = 0; i <= pieces; ++i) {
        cv::Point2d l, r;
        if (!stripSection(planToImage, start + t * (total * i / pieces), n, t, halfWidth,
                          minLineWidth, &l, &r))
            return;
        lefts.push_back(l);
        rights.push_back(r);
    }
    addStrip(out, lefts, rights);
}

// floor() without the library call that plain x86-64 code makes of it (the ground
// takes two per pixel); |v| stays far below the range of long long.
long long floorToInt(double v) {
    const long long i = static_cast<long long>(v);
    return v < static_cast<double>(i) ? i - 1 : i;
}

struct NoiseTable {
    float values[NOISE_SIZE][NOISE_SIZE];
    NoiseTable() {
        SeededRandom random{NOISE_SEED};
        for (auto& row : values)
            for (float& v : row) v = static_cast<float>(random.uniform(-1.0, 1.0));
    }
    // Smooth noise in [-1, 1] at a plan point, repeating every NOISE_SIZE cells.
    double at(double x, double y) const {
        // Far beyond the plan the value hardly matters, but the cast below must stay in range.
        const double fx = std::clamp(x / NOISE_CELL, -1e15, 1e15);
        const double fy = std::clamp(y / NOISE_CELL, -1e15, 1e15);
        const long long ix = floorToInt(fx), iy = floorToInt(fy);
        const double tx = fx - static_cast<double>(ix), ty = fy - static_cast<double>(iy);
        const int x0 = static_cast<int>(ix & (NOISE_SIZE - 1));
        const int y0 = static_cast<int>(iy & (NOISE_SIZE - 1));
        const int x1 = (x0 + 1) & (NOISE_SIZE - 1), y1 = (y0 + 1) & (NOISE_SIZE - 1);
        const double top = values[y0][x0] * (1 - tx) + values[y0][x1] * tx;
        const double bottom = values[y1][x0] * (1 - tx) + values[y1][x1] * tx;
        return top * (1 - ty) + bottom * ty;
    }
};

const NoiseTable& groundNoise() {
    static const NoiseTable table;
    return table;
}

unsigned char clampByte(double v) {
    return static_cast<unsigned char>(std::clamp(v + 0.5, 0.0, 255.0));
}

}  // namespace

const PitchMarkings& pitchMarkings() {
    static const PitchMarkings markings = buildMarkings();
    return markings;
}

cv::Point2d centreSpot() {
    return {PITCH_CENTRE_X, PITCH_CENTRE_Y};
}

cv::Point2d penaltySpot(int side) {
    return side == 0 ? cv::Point2d(PITCH_LEFT + PENALTY_SPOT_DISTANCE, PITCH_CENTRE_Y)
                     : cv::Point2d(PITCH_RIGHT - PENALTY_SPOT_DISTANCE, PITCH_CENTRE_Y);
}

std::vector<cv::Point2d> pitchCorners() {
    return {{PITCH_LEFT, PITCH_BOTTOM},
            {PITCH_RIGHT, PITCH_BOTTOM},
            {PITCH_RIGHT, PITCH_TOP},
            {PITCH_LEFT, PITCH_TOP}};
}

Goal pitchGoal(int side) {
    return side == 0 ? Goal{PITCH_LEFT, -1.0} : Goal{PITCH_RIGHT, 1.0};
}

std::vector<cv::Point2d> goalNetFootprint(const Goal& goal) {
    const double low = PITCH_CENTRE_Y - GOAL_WIDTH / 2, high = PITCH_CENTRE_Y + GOAL_WIDTH / 2;
    const double back = goal.goalLineX + goal.outward * GOAL_DEPTH;
    return {{goal.goalLineX, low}, {back, low}, {back, high}, {goal.goalLineX, high}};
}

cv::Matx33d planToPicture(const cv::Size& size) {
    const double sx = size.width / PLAN_WIDTH, sy = size.height / PLAN_HEIGHT;
    return cv::Matx33d(sx, 0, 0, 0, -sy, size.height, 0, 0, 1);
}

bool mapPoint(const cv::Matx33d& h, const cv::Point2d& p, cv::Point2d* out) {
    const cv::Vec3d q = h * cv::Vec3d(p.x, p.y, 1.0);
    if (!(q[2] > 1e-12)) return false;
    *out = {q[0] / q[2], q[1] / q[2]};
    return true;
}

std::vector<std::vector<cv::Point2d>> markingPolygons(const cv::Matx33d& planToImage,
                                                      double minLineWidth, double minSpotRadius) {
    const PitchMarkings& markings = pitchMarkings();
    const double halfWidth = LINE_WIDTH / 2;
    std::vector<std::vector<cv::Point2d>> polygons;

    for (const MarkingLine& line : markings.lines)
        addLineStrip(&polygons, planToImage, line, minLineWidth);

    for (const MarkingArc& arc : markings.arcs) {
        const int pieces =
            std::max(4, static_cast<int>(std::ceil((arc.endAngle - arc.startAngle) / ARC_STEP)));
        std::vector<cv::Point2d> lefts, rights;
        bool visible = true;
        for (int i = 0; i <= pieces && visible; ++i) {
            const double a = arc.startAngle + (arc.endAngle - arc.startAngle) * i / pieces;
            const cv::Point2d n(std::cos(a), std::sin(a)), t(-n.y, n.x);
            cv::Point2d l, r;
            visible = stripSection(planToImage, arc.centre + n * arc.radius, n, t, halfWidth,
                                   minLineWidth, &l, &r);
            lefts.push_back(l);
            rights.push_back(r);
        }
        if (visible) addStrip(&polygons, lefts, rights);
    }

    for (const MarkingSpot& spot : markings.spots) {
        cv::Point2d c, ex, ey;
        if (!mapPoint(planToImage, spot.centre, &c) ||
            !mapPoint(planToImage, spot.centre + cv::Point2d(spot.radius, 0), &ex) ||
            !mapPoint(planToImage, spot.centre + cv::Point2d(0, spot.radius), &ey))
            continue;
        const double shortest =
            std::min(std::hypot(ex.x - c.x, ex.y - c.y), std::hypot(ey.x - c.x, ey.y - c.y));
        const double radius = shortest > 0 && shortest < minSpotRadius
                                  ? spot.radius * minSpotRadius / shortest
                                  : spot.radius;
        std::vector<cv::Point2d> polygon;
        bool visible = true;
        for (int i = 0; i < SPOT_SIDES && visible; ++i) {
            const double a = 2 * PI * i / SPOT_SIDES;
            cv::Point2d p;
            visible = mapPoint(planToImage,
                               spot.centre + cv::Point2d(std::cos(a), std::sin(a)) * radius, &p);
            polygon.push_back(p);
        }
        if (visible && withinLimits(polygon)) polygons.push_back(std::move(polygon));
    }
    return polygons;
}

std::vector<std::vector<cv::Point2d>> goalFootprintPolygons(const cv::Matx33d& planToImage,
                                                            double minLineWidth) {
    std::vector<std::vector<cv::Point2d>> polygons;
    for (int side = 0; side < 2; ++side) {
        const std::vector<cv::Point2d> outline = goalNetFootprint(pitchGoal(side));
        for (size_t i = 0; i + 1 < outline.size(); ++i)
            addLineStrip(&polygons, planToImage, {outline[i], outline[i + 1]}, minLineWidth);
    }
    return polygons;
}

void fillPolygonsSupersampled(cv::Mat& mask, const std::vector<std::vector<cv::Point2d>>& polygons,
                              int scale) {
    // Two fraction bits more: vertices keep a sixteenth of a mask pixel.
    constexpr int SHIFT = 2;
    const double factor = scale * double(1 << SHIFT);
    for (const auto& polygon : polygons) {
        std::vector<cv::Point> points;
        points.reserve(polygon.size());
        // The mask's pixel centres sit at integers, half a mask pixel into each cell.
        for (const cv::Point2d& p : polygon)
            points.emplace_back(cvRound(p.x * factor - 0.5 * (1 << SHIFT)),
                                cvRound(p.y * factor - 0.5 * (1 << SHIFT)));
        const cv::Point* data = points.data();
        const int count = static_cast<int>(points.size());
        cv::fillPoly(mask, &data, &count, 1, cv::Scalar(255), cv::LINE_8, SHIFT);
    }
}

void blendCoverage(cv::Mat& image, const cv::Mat& coverage, const cv::Scalar& colour) {
    CV_Assert(image.type() == CV_8UC3 && coverage.type() == CV_8UC1 &&
              image.size() == coverage.size());
    for (int y = 0; y < image.rows; ++y) {
        cv::Vec3b* row = image.ptr<cv::Vec3b>(y);
        const unsigned char* c = coverage.ptr<unsigned char>(y);
        for (int x = 0; x < image.cols; ++x) {
            if (c[x] == 0) continue;
            const double a = c[x] / 255.0;
            for (int k = 0; k < 3; ++k) row[x][k] = clampByte(row[x][k] * (1 - a) + colour[k] * a);
        }
    }
}

void drawPitchMarkings(cv::Mat& image, const cv::Matx33d& planToImage, double minLineWidth,
                       double minSpotRadius) {
    constexpr int SCALE = 4;
    cv::Mat mask = cv::Mat::zeros(image.rows * SCALE, image.cols * SCALE, CV_8UC1);
    fillPolygonsSupersampled(mask, markingPolygons(planToImage, minLineWidth, minSpotRadius),
                             SCALE);
    cv::Mat coverage;
    cv::resize(mask, coverage, image.size(), 0, 0, cv::INTER_AREA);
    blendCoverage(image, coverage, cv::Scalar::all(MARKING_WHITE));
}

void fillGround(cv::Mat& image, const cv::Matx33d& imageToPlan) {
    CV_Assert(image.type() == CV_8UC3);
    const NoiseTable& noise = groundNoise();
    const cv::Matx33d& h = imageToPlan;
    for (int j = 0; j < image.rows; ++j) {
        cv::Vec3b* row = image.ptr<cv::Vec3b>(j);
        const double y = j + 0.5;
        double previousX = 0.0;
        for (int i = 0; i < image.cols; ++i) {
            const double x = i + 0.5;
            const double w = h(2, 0) * x + h(2, 1) * y + h(2, 2);
            if (!(w > 1e-12)) {
                row[i] = cv::Vec3b(SURROUND[0], SURROUND[1], SURROUND[2]);
                continue;
            }
            const double px = (h(0, 0) * x + h(0, 1) * y + h(0, 2)) / w;
            const double py = (h(1, 0) * x + h(1, 1) * y + h(1, 2)) / w;
            const double grain = NOISE_AMPLITUDE * noise.at(px, py);
            double colour[3];
            if (px >= 0 && px <= PLAN_WIDTH && py >= 0 && py <= PLAN_HEIGHT) {
                const double s = (px - PITCH_LEFT) / STRIPE_WIDTH;
                const long long stripe = floorToInt(s);
                const double k = static_cast<double>(stripe);
                const bool light = stripe % 2 == 0;
                // Soften a stripe edge over the pixel it crosses.
                const double step = i > 0 ? std::abs(px - previousX) : 0.0;
                const double edge = std::min(s - k, k + 1 - s) * STRIPE_WIDTH;
                const double own = step > 0 ? std::clamp(0.5 + edge / step, 0.5, 1.0) : 1.0;
                const unsigned char* a = light ? GRASS_LIGHT : GRASS_DARK;
                const unsigned char* b = light ? GRASS_DARK : GRASS_LIGHT;
                for (int c = 0; c < 3; ++c) colour[c] = a[c] * own + b[c] * (1 - own);
            } else {
                for (int c = 0; c < 3; ++c) colour[c] = SURROUND[c];
            }
            for (int c = 0; c < 3; ++c) row[i][c] = clampByte(colour[c] + grain);
            previousX = px;
        }
    }
}
