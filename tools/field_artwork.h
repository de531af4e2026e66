// Field artwork: the three pictures of the pitch that the field views stretch over the
// 800 x 400 field plan, drawn from the shared pitch definition. Plan point (0, 0) is
// the lower-left corner of a picture and (800, 400) its upper-right corner.
#pragma once

#include <opencv2/core.hpp>
#include <string>
#include <vector>

struct FieldPicture {
    const char* fileName;  // name inside the textures folder
    cv::Size size;         // pixels
    double minLineWidth;   // pixels; thinner lines are widened to this
    double minSpotRadius;  // pixels
};

// The small plan beside the video, the field window's plan and the 3D view's ground.
const std::vector<FieldPicture>& fieldPictures();

// Draws a picture: grass stripes, the markings and the goals' net outlines (CV_8UC3).
cv::Mat renderFieldPicture(const FieldPicture& picture);

// Writes the three pictures as three-channel PNG files into folder (which must exist).
// Returns 1, or 0 after printing "can't create the file %s!" for a picture not written.
int writeFieldArtwork(const std::string& folder);
