#include "tools/demo_generator.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <opencv2/videoio.hpp>
#include <vector>

#include "tools/demo_render.h"
#include "tools/field_artwork.h"
#include "tracking/player_track.h"
#include "tracking/tracking_file.h"

namespace {

constexpr const char* USAGE =
    "usage: demo_generator [--no-video] [--frames N] [--seed N] [--field-artwork DIR] "
    "[FOLDER]";
constexpr int MAX_FRAMES = 100000;

bool parseNumber(const char* text, unsigned long long limit, unsigned long long* out) {
    if (!text || !*text || *text == '-') return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0' || value > limit) return false;
    *out = value;
    return true;
}

struct FileCloser {
    void operator()(std::FILE* file) const {
        if (file) std::fclose(file);
    }
};

}  // namespace

bool parseDemoOptions(int argc, const char* const* argv, DemoOptions* options,
                      std::string* problem) {
    *options = DemoOptions{};
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        unsigned long long value = 0;
        if (argument == "--no-video") {
            options->writeVideo = false;
        } else if (argument == "--frames") {
            if (i + 1 >= argc || !parseNumber(argv[i + 1], MAX_FRAMES, &value) || value == 0) {
                *problem = "--frames needs a frame count from 1 to " + std::to_string(MAX_FRAMES);
                return false;
            }
            options->settings.frameCount = static_cast<int>(value);
            ++i;
        } else if (argument == "--seed") {
            if (i + 1 >= argc || !parseNumber(argv[i + 1], ~0ull, &value)) {
                *problem = "--seed needs a non-negative integer";
                return false;
            }
            options->settings.seed = value;
            ++i;
        } else if (argument == "--field-artwork") {
            if (i + 1 >= argc || !*argv[i + 1]) {
                *problem = "--field-artwork needs a folder";
                return false;
            }
            options->artworkFolder = argv[++i];
        } else if (argument.size() > 1 && argument[0] == '-') {
            *problem = "unknown option " + argument;
            return false;
        } else if (!options->outputFolder.empty()) {
            *problem = "more than one output folder: " + argument;
            return false;
        } else if (argument.empty()) {
            *problem = "empty output folder name";
            return false;
        } else {
            options->outputFolder = argument;
        }
    }
    if (options->outputFolder.empty() && options->artworkFolder.empty()) {
        *problem = "no output folder given";
        return false;
    }
    return true;
}

bool isGroundTruthKeyFrame(int frame, int frameCount) {
    return frame % GROUND_TRUTH_KEY_INTERVAL == 0 || frame == frameCount - 1;
}

int writeRegistrationFile(const std::string& path, const DemoMatch& match) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "w"));
    if (!file) {
        std::printf("can't create the file %s!\n", path.c_str());
        return 0;
    }
    bool ok = std::fprintf(file.get(), "%d\n", static_cast<int>(match.cameras.size())) > 0;
    for (size_t f = 0; f < match.cameras.size() && ok; ++f) {
        const cv::Matx33d h = registrationHomography(match.cameras[f]);
        ok = std::fprintf(file.get(),
                          "%d %d\n%.17g %.17g %.17g %.17g %.17g %.17g %.17g %.17g %.17g\n",
                          static_cast<int>(f), 0, h(0, 0), h(0, 1), h(0, 2), h(1, 0), h(1, 1),
                          h(1, 2), h(2, 0), h(2, 1), h(2, 2)) > 0;
    }
    const bool closed = std::fclose(file.release()) == 0;
    if (!ok || !closed) {
        std::printf(ok ? "can't close the file %s!\n" : "can't write the file %s!\n", path.c_str());
        return 0;
    }
    return 1;
}

int writeGroundTruthFile(const std::string& path, const DemoMatch& match) {
    const int frameCount = static_cast<int>(match.cameras.size());
    const int height = match.settings.imageSize.height;
    TrackSet truth;  // freed with its keys
    for (int f = 0; f < frameCount; ++f) {
        if (!isGroundTruthKeyFrame(f, frameCount)) continue;
        for (int p = 0; p < DEMO_PLAYERS; ++p) {
            const PlayerFigure figure = playerFigure(match, f, p);
            // A player behind the camera has no image position on this frame.
            if (!figure.inFront) continue;
            // Key frames measure y upward from the bottom edge.
            auto* key = new KeyFrame;
            key->feetX = figure.feet.x;
            key->feetY = height - figure.feet.y;
            key->rectX = figure.box.x + figure.box.width / 2;
            key->rectY = height - (figure.box.y + figure.box.height / 2);
            key->rectWidth = figure.box.width;
            key->rectHeight = figure.box.height;
            if (!addKey(&truth.tracks[p], key, NODE_OWNS_PAYLOAD, f)) {
                delete key;
                std::printf("can't create the file %s!\n", path.c_str());
                return 0;
            }
        }
    }
    // The interpolated lines carried through the registration the clip comes with, as
    // the tool shows them.
    std::vector<Homography> records(frameCount);
    for (int f = 0; f < frameCount; ++f) {
        const cv::Matx33d h = registrationHomography(match.cameras[f]);
        for (int i = 0; i < 9; ++i) records[f].h[i] = h.val[i];
    }
    Registration registration;
    registration.homographies = records.data();
    registration.count = frameCount;
    std::printf("generating the demo match's ground truth: %d frames in %s\n", frameCount,
                path.c_str());
    const int written =
        writeTracking(path.c_str(), truth.tracks, frameCount, height, &registration);
    return written == 1 ? 1 : 0;
}

int writeDemoVideo(const std::string& path, const DemoMatch& match) {
    cv::VideoWriter writer;
    // OpenCV's own MJPEG writer: every frame is a complete JPEG, so seeking is exact.
    const bool opened =
        writer.open(path, cv::CAP_OPENCV_MJPEG, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'),
                    match.settings.frameRate, match.settings.imageSize, true);
    if (!opened) {
        std::printf("can't create the file %s!\n", path.c_str());
        return 0;
    }
    writer.set(cv::VIDEOWRITER_PROP_QUALITY, DEMO_VIDEO_QUALITY);
    DemoRenderer renderer;
    cv::Mat image;
    for (size_t f = 0; f < match.cameras.size(); ++f) {
        renderDemoFrame(match, static_cast<int>(f), renderer, image);
        writer.write(image);
    }
    writer.release();
    std::error_code error;
    if (std::filesystem::file_size(path, error) == 0 || error) {
        std::printf("can't close the file %s!\n", path.c_str());
        return 0;
    }
    return 1;
}

int writeDemo(const DemoOptions& options) {
    if (!options.artworkFolder.empty()) {
        std::error_code error;
        std::filesystem::create_directories(options.artworkFolder, error);
        if (!writeFieldArtwork(options.artworkFolder)) return 0;
        std::printf("field artwork written in %s\n", options.artworkFolder.c_str());
    }
    if (options.outputFolder.empty()) return 1;

    std::error_code error;
    std::filesystem::create_directories(options.outputFolder, error);
    if (error) {
        std::printf("can't create the folder %s!\n", options.outputFolder.c_str());
        return 0;
    }
    const DemoMatch match = makeDemoMatch(options.settings);
    const std::string folder = options.outputFolder + "/";
    if (!writeRegistrationFile(folder + DEMO_REGISTRATION_NAME, match)) return 0;
    if (!writeGroundTruthFile(folder + DEMO_GROUND_TRUTH_NAME, match)) return 0;
    if (options.writeVideo && !writeDemoVideo(folder + DEMO_VIDEO_NAME, match)) return 0;
    std::printf("demo match of %d frames written in %s\n", options.settings.frameCount,
                options.outputFolder.c_str());
    return 1;
}

int runDemoGenerator(int argc, const char* const* argv) {
    DemoOptions options;
    std::string problem;
    if (!parseDemoOptions(argc, argv, &options, &problem)) {
        std::fprintf(stderr, "%s\n%s\n", problem.c_str(), USAGE);
        return 2;
    }
    return writeDemo(options) ? 0 : 1;
}
