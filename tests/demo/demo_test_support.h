// Helpers of the demo generator's tests: the tool's own readers applied to the
// generated files.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "temp_folder.h"
#include "tools/demo_generator.h"
#include "tracking/player_track.h"
#include "tracking/registration.h"
#include "tracking/tracking_file.h"

// Writes the demo files for settings into folder; the clip only when asked.
inline bool generateDemo(const std::string& folder, const DemoSettings& settings, bool video) {
    DemoOptions options;
    options.outputFolder = folder;
    options.writeVideo = video;
    options.settings = settings;
    return writeDemo(options) == 1;
}

// A registration file's table as the tool reads it; freed at the end.
struct LoadedRegistration {
    Registration table;
    ~LoadedRegistration() { clearRegistration(&table); }
};

// Plan point (y upward) of an image point (y downward) through a registration record.
inline cv::Point2d imageToPlanPoint(const Homography* h, const cv::Point2d& image) {
    const double point[3] = {image.x, image.y, 1.0};
    double field[3] = {0, 0, 0};
    projectToField(h, point, field);
    return {field[0], 400.0 - field[1]};
}
