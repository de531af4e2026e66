// The artwork in textures/: every picture the main window loads exists, decodes
// as a three-channel image, and has a size that keeps the layout on screen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <string>
#include <vector>

namespace {

// The narrowest main window: a 640 x 480 video gives 810 x 554.
constexpr int kVideoWidth = 640;
constexpr int kVideoHeight = 480;
constexpr int kColumn = 170;       // main window width beyond the video
constexpr int kControlAlpha = 50;  // brightness threshold of the control pictures
constexpr int kPlayerRows = 11;

const char* const kLooks[] = {"default", "press", "rollOver"};

std::string texturesDir() {
    const char* source = std::getenv("ANNOTATE_SOURCE_DIR");
    return std::string(source != nullptr ? source : ".") + "/textures/";
}

cv::Mat picture(const std::string& name) {
    return cv::imread(texturesDir() + name + ".png", cv::IMREAD_UNCHANGED);
}

// A picture that must exist as 8-bit blue, green, red without alpha.
cv::Mat expectPicture(const std::string& name) {
    const cv::Mat image = picture(name);
    EXPECT_FALSE(image.empty()) << name << " is missing or does not decode";
    if (image.empty()) return image;
    EXPECT_EQ(image.channels(), 3) << name;
    EXPECT_EQ(image.depth(), CV_8U) << name;
    EXPECT_GT(image.cols, 0) << name;
    return image;
}

// The three looks (and, for switches, the three on-state looks) of one control
// share the default picture's size, which becomes the widget's size; returns it.
cv::Size expectLooks(const std::string& role, const std::string& onRole = "") {
    const cv::Size size = expectPicture(std::string("default") + role).size();
    std::vector<cv::Mat> looks;
    for (const char* look : kLooks) {
        for (const std::string& r : {role, onRole}) {
            if (r.empty()) continue;
            const cv::Mat image = expectPicture(look + r);
            EXPECT_EQ(image.size(), size) << look << r;
            // Each look must be told apart from the others.
            for (const cv::Mat& other : looks) {
                if (!image.empty() && other.size() == image.size()) {
                    EXPECT_GT(cv::norm(image, other, cv::NORM_L1), 0.0) << look << r;
                }
            }
            looks.push_back(image);
        }
    }
    return size;
}

double brightness(const cv::Vec3b& p) {
    return (p[0] + p[1] + p[2]) / 3.0;
}

// Control pictures turn dark pixels transparent: their corners must be dark, so
// that the bar shows around the control, and part of them bright.
void expectBrightOnBlack(const std::string& name) {
    const cv::Mat image = picture(name);
    if (image.empty() || image.channels() != 3) return;
    for (const cv::Point corner :
         {cv::Point(0, 0), cv::Point(image.cols - 1, 0), cv::Point(0, image.rows - 1),
          cv::Point(image.cols - 1, image.rows - 1)}) {
        EXPECT_LT(brightness(image.at<cv::Vec3b>(corner)), kControlAlpha) << name;
    }
    int bright = 0;
    for (int y = 0; y < image.rows; ++y) {
        for (int x = 0; x < image.cols; ++x)
            bright += brightness(image.at<cv::Vec3b>(y, x)) > kControlAlpha;
    }
    EXPECT_GT(bright, image.rows * image.cols / 3) << name;
}

struct Placed {
    const char* name;
    int x, y, w, h;
};

TEST(ArtworkTest, ButtonBarControlsFitOnTheBar) {
    const cv::Mat bar = expectPicture("button bar");
    ASSERT_FALSE(bar.empty());
    const int bw = bar.cols, bh = bar.rows;
    EXPECT_EQ(bh, 40);
    EXPECT_LE(bw, kVideoWidth + kColumn);

    const cv::Size play = expectLooks("Play", "Pause");
    const cv::Size prev = expectLooks("Prev"), next = expectLooks("Next");
    const cv::Size prevKey = expectLooks("PrevKey"), nextKey = expectLooks("NextKey");
    const cv::Size load = expectLooks("Load"), save = expectLooks("Save");
    const cv::Size deleteKey = expectLooks("DeleteKey");
    const cv::Size feet = expectLooks("ModifyFeet", "SwitchModifyFeet");
    const cv::Size rect = expectLooks("ModifyRect", "SwitchModifyRect");

    // Positions as the main window places the controls, left to right from play.
    std::vector<Placed> placed;
    placed.push_back(
        {"play", (bw - play.width) / 2 - 2, (bh - play.height) / 2 + 4, play.width, play.height});
    const Placed& p = placed[0];
    const int row = p.y + 10;
    const int prevX = p.x - prev.width + 6, nextX = p.x + p.w - 6;
    const int prevKeyX = prevX - prevKey.width + 2, nextKeyX = nextX + next.width - 2;
    const int loadX = nextKeyX + nextKey.width - 2, saveX = loadX + load.width - 2;
    const int deleteX = saveX + save.width - 3;
    const int feetX = prevKeyX - feet.width + 3, rectX = feetX - rect.width + 2;
    placed.push_back({"prev", prevX, row, prev.width, prev.height});
    placed.push_back({"next", nextX, row, next.width, next.height});
    placed.push_back({"prevKey", prevKeyX, row, prevKey.width, prevKey.height});
    placed.push_back({"nextKey", nextKeyX, row, nextKey.width, nextKey.height});
    placed.push_back({"load", loadX, row, load.width, load.height});
    placed.push_back({"save", saveX, row, save.width, save.height});
    placed.push_back({"deleteKey", deleteX, row, deleteKey.width, deleteKey.height});
    placed.push_back({"modifyFeet", feetX, row, feet.width, feet.height});
    placed.push_back({"modifyRect", rectX, row, rect.width, rect.height});
    for (const Placed& c : placed) {
        EXPECT_GE(c.x, 0) << c.name;
        EXPECT_LE(c.x + c.w, bw) << c.name;
        EXPECT_GE(c.y, 0) << c.name;
        EXPECT_LE(c.y + c.h, bh) << c.name;
    }
    for (const char* look : kLooks) {
        for (const char* role :
             {"Play", "Pause", "Prev", "Next", "PrevKey", "NextKey", "Load", "Save", "DeleteKey",
              "ModifyFeet", "ModifyRect", "SwitchModifyFeet", "SwitchModifyRect"}) {
            expectBrightOnBlack(look + std::string(role));
        }
    }
}

TEST(ArtworkTest, PlayerButtonsFitBesideTheVideo) {
    const cv::Mat bar = picture("button bar");
    const int bh = bar.empty() ? 40 : bar.rows;
    const int windowHeight = kVideoHeight + bh + 34;
    for (int n = 1; n <= 2 * kPlayerRows; ++n) {
        const std::string number = std::to_string(n);
        const cv::Size size = expectLooks("Button" + number, "SwitchButton" + number);
        // Two columns, at VW + 4 and VW + 87, inside the 170 pixels beyond the video.
        EXPECT_LE(size.width, 82) << n;
        // Eleven rows H + 1 apart from 95 + BH up stay below the window's top.
        const int topRowTop = (size.height + 1) * (kPlayerRows - 1) + 95 + bh + size.height;
        EXPECT_LE(topRowTop, windowHeight) << n;
    }
    // Both sides differ, so O and D are told apart at a glance.
    EXPECT_GT(
        cv::norm(picture("defaultSwitchButton1"), picture("defaultSwitchButton12"), cv::NORM_L1),
        0.0);
}

TEST(ArtworkTest, FieldPicturesDecodeAndTheSmallOneFitsAboveThePlayers) {
    const cv::Mat bar = picture("button bar");
    const int bh = bar.empty() ? 40 : bar.rows;
    const cv::Mat small = expectPicture("small football field");
    expectPicture("football field");
    expectPicture("football field 3D");
    if (small.empty()) return;
    // At (VW + 4, BH + 1), below the bottom player row at 95 + BH.
    EXPECT_LE(small.cols, kColumn - 4);
    EXPECT_LE(bh + 1 + small.rows, 95 + bh);
}

}  // namespace
