#include "tools/demo_camera.h"

#include <cmath>

#include "tools/pitch.h"

namespace {

cv::Vec3d normalised(const cv::Vec3d& v) {
    return v / cv::norm(v);
}

}  // namespace

cv::Matx34d projectionMatrix(const BroadcastCamera& camera) {
    const cv::Vec3d forward =
        normalised(cv::Vec3d(camera.target.x, camera.target.y, 0.0) - camera.position);
    // No roll: the image x axis stays level, the image y axis points down the world.
    const cv::Vec3d right = normalised(forward.cross(cv::Vec3d(0, 0, 1)));
    const cv::Vec3d down = forward.cross(right);
    const cv::Matx33d rotation(right[0], right[1], right[2], down[0], down[1], down[2], forward[0],
                               forward[1], forward[2]);
    const cv::Matx33d intrinsics(camera.focalLength, 0, camera.imageSize.width / 2.0, 0,
                                 camera.focalLength, camera.imageSize.height / 2.0, 0, 0, 1);
    const cv::Vec3d translation = -(rotation * camera.position);
    cv::Matx34d extrinsics;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) extrinsics(r, c) = rotation(r, c);
        extrinsics(r, 3) = translation[r];
    }
    return intrinsics * extrinsics;
}

bool projectWorld(const BroadcastCamera& camera, const cv::Vec3d& world, cv::Point2d* image,
                  double* depth) {
    const cv::Vec3d p = projectionMatrix(camera) * cv::Vec4d(world[0], world[1], world[2], 1.0);
    if (depth) *depth = p[2];
    if (!(p[2] > 0.0)) return false;
    *image = {p[0] / p[2], p[1] / p[2]};
    return true;
}

cv::Matx33d planToImage(const BroadcastCamera& camera) {
    const cv::Matx34d p = projectionMatrix(camera);
    return cv::Matx33d(p(0, 0), p(0, 1), p(0, 3), p(1, 0), p(1, 1), p(1, 3), p(2, 0), p(2, 1),
                       p(2, 3));
}

cv::Matx33d imageToPlan(const BroadcastCamera& camera) {
    return planToImage(camera).inv();
}

cv::Matx33d registrationHomography(const BroadcastCamera& camera) {
    // (u, v) = (x, PLAN_HEIGHT - y) turns the plan's upward y into the record's downward v.
    const cv::Matx33d flip(1, 0, 0, 0, -1, PLAN_HEIGHT, 0, 0, 1);
    cv::Matx33d h = flip * imageToPlan(camera);
    const cv::Vec3d centre =
        h * cv::Vec3d(camera.imageSize.width / 2.0, camera.imageSize.height / 2.0, 1.0);
    const double scale = cv::norm(h, cv::NORM_L2);
    return h * ((centre[2] < 0 ? -1.0 : 1.0) / scale);
}
