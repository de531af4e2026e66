// Rendering of the demo clip: the pitch seen through the frame's broadcast camera, the
// stand and advertising boards behind the far touchline, the goals, and the 22 players
// as upright figures in their side's colours with their shirt numbers.
#pragma once

#include <opencv2/core.hpp>

#include "tools/demo_match.h"
#include "tools/pitch.h"

constexpr double PLAYER_HEIGHT =
    1.8 * UNITS_PER_METRE;                  // plan units from the feet to the top of the head
constexpr double FIGURE_HALF_WIDTH = 0.22;  // half the figure's width, in figure heights

// Where a player's figure stands in a frame's image (continuous pixels, y downward).
struct PlayerFigure {
    cv::Point2d feet;  // image of the player's plan position
    cv::Point2d head;  // image of the point PLAYER_HEIGHT above it
    double depth;      // distance in front of the camera along its axis (plan units)
    cv::Rect2d box;    // the figure's bounding box
    bool inFront;      // false when the player is behind the camera (nothing is drawn)
};

// Where player stands in frame's image, through that frame's camera.
PlayerFigure playerFigure(const DemoMatch& match, int frame, int player);

// Textures and scratch images kept from one frame to the next.
struct DemoRenderer {
    cv::Mat groundTexture;  // the plan's grass, GROUND_TEXTURE_SCALE pixels per plan unit
    cv::Mat standTexture;   // crowd on the far stand
    cv::Mat boardTexture;   // the advertising boards
    cv::Mat mask;           // supersampled coverage scratch
    DemoRenderer();         // draws the textures
};

// Draws frame `frame` of the match into image (allocated as CV_8UC3 of the match's
// image size).
void renderDemoFrame(const DemoMatch& match, int frame, DemoRenderer& renderer, cv::Mat& image);
