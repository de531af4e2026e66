// The demo generator: writes the built-in demo match (a broadcast-style clip, its
// registration and a ground-truth tracking file) and, on request, the field artwork.
//
//   demo_generator [--no-video] [--frames N] [--seed N] [--field-artwork DIR] [FOLDER]
#pragma once

#include <string>

#include "tools/demo_match.h"

constexpr const char* DEMO_VIDEO_NAME = "demo.avi";                     // MJPEG in AVI
constexpr const char* DEMO_REGISTRATION_NAME = "demo.reg";              // per-frame homographies
constexpr const char* DEMO_GROUND_TRUTH_NAME = "demo-groundtruth.dat";  // tracking file
constexpr int GROUND_TRUTH_KEY_INTERVAL = 25;  // frames between ground-truth keys
constexpr int DEMO_VIDEO_QUALITY = 75;         // JPEG quality of the clip's frames

struct DemoOptions {
    std::string outputFolder;   // where the demo files go; empty: no demo
    std::string artworkFolder;  // where the field pictures go; empty: none
    bool writeVideo = true;     // false: only the registration and the ground truth
    DemoSettings settings;      // seed and frame count of the match
};

// Reads the command line (argv[0] is the program). Returns false, with one line in
// problem, for an unknown option, a bad number or a missing folder.
bool parseDemoOptions(int argc, const char* const* argv, DemoOptions* options,
                      std::string* problem);

// The frames that carry a ground-truth key: every GROUND_TRUTH_KEY_INTERVAL-th frame
// from 0, and the last frame, so that the whole clip lies between keys.
bool isGroundTruthKeyFrame(int frame, int frameCount);

// Each writer returns 1 on success and 0 after printing a message that names the file.

// "%d\n" record count, then per frame "%d %d\n" (the frame, 0) and the nine reals of its
// registration homography, written with 17 significant digits so they read back exactly.
int writeRegistrationFile(const std::string& path, const DemoMatch& match);
// The tool's tracking file with a key per player on every ground-truth key frame: feet
// point = image of the player's plan position, rectangle = the figure's box.
int writeGroundTruthFile(const std::string& path, const DemoMatch& match);
// The clip, one JPEG per frame, every frame a key frame.
int writeDemoVideo(const std::string& path, const DemoMatch& match);

// Makes the output folder and writes the files the options ask for.
int writeDemo(const DemoOptions& options);

// The program: parses, writes, and returns the process exit code (0 success, 1 a file
// could not be written, 2 a bad command line).
int runDemoGenerator(int argc, const char* const* argv);
