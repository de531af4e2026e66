#include "assist/visual_tracker.h"

#include <cmath>
#include <opencv2/core.hpp>
#include <opencv2/tracking.hpp>
#include <opencv2/video/tracking.hpp>

struct VisualTrackerState {
    cv::Ptr<cv::Tracker> tracker;
};

VisualTracker::VisualTracker() = default;
VisualTracker::~VisualTracker() = default;

const char* visualTrackerName(VisualTrackerKind kind) {
    switch (kind) {
        case TRACKER_CSRT:
            return "CSRT";
        case TRACKER_KCF:
            return "KCF";
        case TRACKER_MIL:
            return "MIL";
    }
    return "?";
}

namespace {

cv::Ptr<cv::Tracker> makeTracker(VisualTrackerKind kind) {
    switch (kind) {
        case TRACKER_CSRT:
            return cv::TrackerCSRT::create();
        case TRACKER_KCF:
            return cv::TrackerKCF::create();
        case TRACKER_MIL:
            return cv::TrackerMIL::create();
    }
    return {};
}

// The source's buffer as an image, without a copy: rows bottom first.
cv::Mat frameImage(const unsigned char* pixels, int width, int height) {
    return cv::Mat(height, width, CV_8UC3, const_cast<unsigned char*>(pixels));
}

}  // namespace

bool startVisualTracker(VisualTracker* tracker, VisualTrackerKind kind, const unsigned char* pixels,
                        int width, int height, const KeyFrame& box) {
    tracker->state.reset();
    if (pixels == nullptr || width <= 0 || height <= 0) return false;
    const cv::Rect wanted(int(std::lround(box.rectX - box.rectWidth / 2)),
                          int(std::lround(box.rectY - box.rectHeight / 2)),
                          int(std::lround(box.rectWidth)), int(std::lround(box.rectHeight)));
    const cv::Rect inside = wanted & cv::Rect(0, 0, width, height);
    if (inside.width < MIN_TRACKED_SIZE || inside.height < MIN_TRACKED_SIZE) return false;
    // OpenCV reports what it cannot do by exceptions; none may reach the event loop.
    try {
        auto state = std::make_unique<VisualTrackerState>();
        state->tracker = makeTracker(kind);
        if (!state->tracker) return false;
        state->tracker->init(frameImage(pixels, width, height), inside);
        tracker->state = std::move(state);
        return true;
    } catch (const cv::Exception&) {
        return false;
    }
}

void stopVisualTracker(VisualTracker* tracker) {
    tracker->state.reset();
}

bool updateVisualTracker(VisualTracker* tracker, const unsigned char* pixels, int width, int height,
                         KeyFrame* box) {
    if (!tracker->state || pixels == nullptr) return false;
    cv::Rect found;
    try {
        if (!tracker->state->tracker->update(frameImage(pixels, width, height), found))
            return false;
    } catch (const cv::Exception&) {
        return false;
    }
    box->rectX = found.x + found.width / 2.0;
    box->rectY = found.y + found.height / 2.0;
    box->rectWidth = found.width;
    box->rectHeight = found.height;
    return true;
}
