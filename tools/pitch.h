// Pitch: the one definition of the demo pitch in field plan units, shared by the clip
// renderer and the field pictures, so that a marking sits on the same plan point in the
// video and on the plan. The plan is 800 x 400 units, x to the right, y upward, and
// the pitch lies in its middle with a margin of grass around it.
//
// Image coordinates used by the drawing functions are continuous pixels, x to the
// right and y downward from the top-left corner of the image, pixel (i, j) covering
// [i, i + 1) x [j, j + 1); its centre is (i + 0.5, j + 0.5).
//
// Sections: dimensions; markings; goals; drawing.
#pragma once

#include <opencv2/core.hpp>
#include <vector>

#include "tracking/field_pitch.h"

// Dimensions (plan units). The plan and the pitch's outline come from
// tracking/field_pitch.h, which the tool's exports use to give metres.

constexpr double LINE_WIDTH = 0.12 * UNITS_PER_METRE;             // every painted line
constexpr double CENTRE_CIRCLE_RADIUS = 9.15 * UNITS_PER_METRE;   // also the penalty arcs
constexpr double PENALTY_SPOT_DISTANCE = 11.0 * UNITS_PER_METRE;  // from the goal line
constexpr double PENALTY_AREA_DEPTH = 16.5 * UNITS_PER_METRE;
constexpr double PENALTY_AREA_WIDTH = 40.32 * UNITS_PER_METRE;
constexpr double GOAL_AREA_DEPTH = 5.5 * UNITS_PER_METRE;
constexpr double GOAL_AREA_WIDTH = 18.32 * UNITS_PER_METRE;
constexpr double CORNER_ARC_RADIUS = 1.0 * UNITS_PER_METRE;
constexpr double SPOT_RADIUS = 0.11 * UNITS_PER_METRE;  // centre and penalty spots
constexpr double GOAL_WIDTH = 7.32 * UNITS_PER_METRE;   // between the posts
constexpr double GOAL_HEIGHT = 2.44 * UNITS_PER_METRE;  // crossbar above the ground
constexpr double GOAL_DEPTH = 2.0 * UNITS_PER_METRE;    // net behind the goal line
constexpr double POST_WIDTH = 0.12 * UNITS_PER_METRE;

// Markings: centre lines of the painted lines, and filled spots.

struct MarkingLine {
    cv::Point2d from, to;  // plan units
};

struct MarkingArc {
    cv::Point2d centre;  // plan units
    double radius;       // plan units
    double startAngle;   // radians, counter-clockwise from +x on the plan
    double endAngle;     // radians, > startAngle
};

struct MarkingSpot {
    cv::Point2d centre;  // plan units
    double radius;       // plan units
};

struct PitchMarkings {
    std::vector<MarkingLine> lines;  // touchlines, goal lines, halfway line, the areas' sides
    std::vector<MarkingArc> arcs;    // centre circle, penalty arcs, corner arcs
    std::vector<MarkingSpot> spots;  // centre spot, penalty spots
};

// The markings of the pitch (built once, shared).
const PitchMarkings& pitchMarkings();

cv::Point2d centreSpot();           // plan point of the centre spot
cv::Point2d penaltySpot(int side);  // side 0: the left goal's, 1: the right goal's
// The four corners of the pitch (where touchlines meet goal lines), counter-clockwise
// from the lower left.
std::vector<cv::Point2d> pitchCorners();

// Goals.

struct Goal {
    double goalLineX;  // plan x of the goal line the goal stands on
    double outward;    // -1 for the left goal (net towards smaller x), +1 for the right
};

Goal pitchGoal(int side);  // side 0: left, 1: right

// Ground outline of a goal's net (plan units): back corners and the points on the goal
// line, as the lines of a closed path from one post round the back to the other.
std::vector<cv::Point2d> goalNetFootprint(const Goal& goal);

// Drawing. planToImage maps a plan point (x, y, 1) to image pixel coordinates (a
// homography: orthographic for the field pictures, a camera for the clip).

// Plan (x, y, 1) to the pixels (continuous, y downward) of a picture of `size` that
// the whole plan is stretched over: plan (0, 0) is its lower-left corner.
cv::Matx33d planToPicture(const cv::Size& size);

// Ground colours (BGR), shared by the clip and the pictures.
constexpr unsigned char GRASS_LIGHT[3] = {62, 156, 74};  // mown stripe, light
constexpr unsigned char GRASS_DARK[3] = {50, 134, 60};   // mown stripe, dark
constexpr unsigned char SURROUND[3] = {46, 96, 58};      // ground beyond the plan
constexpr double MARKING_WHITE = 238.0;                  // paint colour, each channel
constexpr double STRIPE_WIDTH = PITCH_LENGTH / 20;       // mowing stripes along x

// Fills every pixel of image (CV_8UC3) with the ground seen at its centre through
// imageToPlan: mown stripes inside the plan, the surround outside it and where a pixel
// does not look at the ground.
void fillGround(cv::Mat& image, const cv::Matx33d& imageToPlan);

// Paints the markings onto image (CV_8UC3) through planToImage, anti-aliased by
// supersampling; no line narrower than minLineWidth pixels and no spot smaller than
// minSpotRadius pixels, so that distant lines stay visible. A marking with a point
// behind the camera (third coordinate <= 0) is left out.
void drawPitchMarkings(cv::Mat& image, const cv::Matx33d& planToImage, double minLineWidth,
                       double minSpotRadius);

// The polygons that cover the markings, in image pixels, for callers that paint them
// into a mask of their own (drawPitchMarkings uses it with a supersampled mask).
std::vector<std::vector<cv::Point2d>> markingPolygons(const cv::Matx33d& planToImage,
                                                      double minLineWidth, double minSpotRadius);

// The polygons that cover the ground outlines of both goals' nets, drawn like lines.
std::vector<std::vector<cv::Point2d>> goalFootprintPolygons(const cv::Matx33d& planToImage,
                                                            double minLineWidth);

// Fills polygons (image pixels) into a single-channel mask that is `scale` times the
// image's size, with 255; the mask averaged down to the image is the coverage.
void fillPolygonsSupersampled(cv::Mat& mask, const std::vector<std::vector<cv::Point2d>>& polygons,
                              int scale);

// Blends colour into image (CV_8UC3) by coverage (CV_8UC1 of the same size, 255 = all).
void blendCoverage(cv::Mat& image, const cv::Mat& coverage, const cv::Scalar& colour);

// Maps a plan point through a homography; returns false when it lies behind the camera
// (third coordinate <= 0).
bool mapPoint(const cv::Matx33d& homography, const cv::Point2d& point, cv::Point2d* out);
