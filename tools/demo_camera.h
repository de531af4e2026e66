// BroadcastCamera: the demo clip's virtual pinhole camera beside the pitch, and the
// mappings it gives between the world, the field plan and the image.
//
// World coordinates are plan units with z upward; the ground is z = 0, where a world
// point (x, y, 0) is the plan point (x, y). Image coordinates are continuous pixels, x
// to the right and y downward from the top-left corner, pixel (i, j) covering
// [i, i + 1) x [j, j + 1).
#pragma once

#include <opencv2/core.hpp>

struct BroadcastCamera {
    cv::Vec3d position;  // the camera centre, world coordinates
    cv::Point2d target;  // the ground point seen at the centre of the image (plan)
    double focalLength;  // pixels
    cv::Size imageSize;  // pixels
};

// The 3 x 4 projection: world (x, y, z, 1) to image (X, Y, W), pixel (X / W, Y / W).
cv::Matx34d projectionMatrix(const BroadcastCamera& camera);

// The image point of a world point; false when the point lies behind the camera.
// depth, when given, receives its distance in front of the camera along the view axis.
bool projectWorld(const BroadcastCamera& camera, const cv::Vec3d& world, cv::Point2d* image,
                  double* depth = nullptr);

// Ground plane to image: plan (x, y, 1) to image (X, Y, W). The third coordinate is
// positive for ground points in front of the camera.
cv::Matx33d planToImage(const BroadcastCamera& camera);

// Image to plan: the inverse of planToImage.
cv::Matx33d imageToPlan(const BroadcastCamera& camera);

// The registration record of a frame: image (x, y, 1), y downward, to (u, v, w) with
// plan point (u / w, 400 - v / w). Scaled to unit norm, with w > 0 at the image centre.
cv::Matx33d registrationHomography(const BroadcastCamera& camera);
