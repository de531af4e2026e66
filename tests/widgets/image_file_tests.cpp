// Loading image files into pixel buffers: byte order, flipping, computed alpha,
// console report, and files the loader must refuse or convert.
#include <gtest/gtest.h>

#include <filesystem>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <string>

#include "temp_folder.h"
#include "widgets/image_file.h"

namespace {

namespace fs = std::filesystem;

struct Loaded : Image {
    std::string console;

    // Byte k of the pixel at (row, column), row 0 being the bottom row.
    int at(int row, int column, int k) const {
        return pixels[(static_cast<size_t>(row) * width + column) * channels + k];
    }
};

class ImageFileTest : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directories(dir_ / "textures"); }

    // Writes image as dir/textures/<file> and returns the name fragment.
    std::string write(const std::string& file, const cv::Mat& image) {
        EXPECT_TRUE(cv::imwrite((dir_ / "textures" / file).string(), image));
        return "/textures/" + file;
    }

    Loaded load(const std::string& name, int threshold, const char* directory = nullptr) {
        Loaded out;
        const std::string folder = dir_.string();
        ::testing::internal::CaptureStdout();
        static_cast<Image&>(out) =
            loadImageFile(name.c_str(), directory ? directory : folder.c_str(), threshold);
        out.console = ::testing::internal::GetCapturedStdout();
        return out;
    }

    TempFolder folder_;
    fs::path dir_ = folder_.path;
};

// A 64 x 32 picture with a few marked pixels; the top-left one is (10, 200, 30) in
// blue, green, red order.
cv::Mat markedPicture() {
    cv::Mat image(32, 64, CV_8UC3, cv::Scalar(0, 0, 0));
    image.at<cv::Vec3b>(0, 0) = {10, 200, 30};
    image.at<cv::Vec3b>(31, 1) = {50, 50, 50};
    image.at<cv::Vec3b>(31, 2) = {51, 51, 51};
    image.at<cv::Vec3b>(31, 3) = {153, 0, 0};  // one bright channel: the sum is 51
    return image;
}

TEST_F(ImageFileTest, ThresholdAddsBrightnessAlphaToFlippedBgrPixels) {
    const Loaded out = load(write("marked.png", markedPicture()), 50);
    ASSERT_TRUE(out.pixels);
    EXPECT_EQ(out.console, "name: /textures/marked.png w: 64 h: 32 f: 4\n");
    EXPECT_EQ(out.width, 64);
    EXPECT_EQ(out.height, 32);
    EXPECT_EQ(out.channels, 4);

    // The picture's top row is the buffer's last row, bytes as blue, green, red.
    EXPECT_EQ(out.at(31, 0, 0), 10);
    EXPECT_EQ(out.at(31, 0, 1), 200);
    EXPECT_EQ(out.at(31, 0, 2), 30);
    EXPECT_EQ(out.at(31, 0, 3), 255);

    EXPECT_EQ(out.at(0, 0, 3), 0);    // black
    EXPECT_EQ(out.at(0, 1, 3), 49);   // (50, 50, 50) sums to just below 50
    EXPECT_EQ(out.at(0, 2, 3), 255);  // (51, 51, 51)
    EXPECT_EQ(out.at(0, 3, 3), 255);
    EXPECT_EQ(out.at(0, 1, 0), 50);
}

TEST_F(ImageFileTest, NoThresholdKeepsTheFileChannels) {
    const Loaded out = load(write("marked.png", markedPicture()), 0);
    ASSERT_TRUE(out.pixels);
    EXPECT_EQ(out.console, "name: /textures/marked.png w: 64 h: 32 f: 3\n");
    EXPECT_EQ(out.channels, 3);
    EXPECT_EQ(out.at(31, 0, 0), 10);
    EXPECT_EQ(out.at(31, 0, 2), 30);
    EXPECT_EQ(out.at(0, 1, 2), 50);
}

TEST_F(ImageFileTest, MissingFileReportsNotLoadedWithEmptyOutputs) {
    ::testing::internal::CaptureStderr();
    const Loaded out = load("/textures/missing.png", 50);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");  // the outcome says it all
    EXPECT_FALSE(out.pixels);
    EXPECT_EQ(out.console, "name: /textures/missing.png not loaded!\n");
    EXPECT_EQ(out.pixels, nullptr);
    EXPECT_EQ(out.width, 0);
    EXPECT_EQ(out.height, 0);
    EXPECT_EQ(out.channels, 0);
}

TEST_F(ImageFileTest, NullDirectoryUsesTheNameAsWholePath) {
    const std::string whole = dir_.string() + write("whole.png", markedPicture());
    ::testing::internal::CaptureStdout();
    const Image out = loadImageFile(whole.c_str(), nullptr, 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "name: " + whole + " w: 64 h: 32 f: 3\n");
    EXPECT_TRUE(out.pixels);
}

TEST_F(ImageFileTest, PathMustFitItsBuffer) {
    write("fits.png", markedPicture());
    // Pad the name with "/." steps so that the path has exactly 1023 bytes, the
    // most the buffer holds with its terminator; then make it one byte longer.
    const std::string folder = dir_.string();
    const std::string tail = "/textures/fits.png";
    const size_t target = IMAGE_PATH_SIZE - 1 - folder.size() - tail.size();
    std::string steps = target % 2 == 1 ? "/" : "";
    while (steps.size() < target) steps += "/.";
    ASSERT_EQ(folder.size() + steps.size() + tail.size(), size_t(IMAGE_PATH_SIZE - 1));

    const Loaded fits = load(steps + tail, 0);
    EXPECT_TRUE(fits.pixels) << fits.console;

    const Loaded tooLong = load("/" + steps + tail, 0);
    EXPECT_FALSE(tooLong.pixels);
    EXPECT_EQ(tooLong.pixels, nullptr);
    EXPECT_EQ(tooLong.console, "name: /" + steps + tail + " not loaded!\n");

    const Loaded farTooLong = load(std::string(5000, '/') + tail, 0);
    EXPECT_FALSE(farTooLong.pixels);
}

TEST_F(ImageFileTest, GreyAndSixteenBitImagesBecomeEightBitBgr) {
    cv::Mat grey(4, 6, CV_8UC1, cv::Scalar(0));
    grey.at<uint8_t>(0, 0) = 120;
    grey.at<uint8_t>(3, 5) = 40;
    const Loaded g = load(write("grey.png", grey), 50);
    ASSERT_TRUE(g.pixels);
    EXPECT_EQ(g.channels, 4);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(g.at(3, 0, k), 120);
    EXPECT_EQ(g.at(3, 0, 3), 255);
    EXPECT_EQ(g.at(0, 5, 0), 40);
    EXPECT_EQ(g.at(0, 5, 3), 40);

    cv::Mat deep(2, 3, CV_16UC3, cv::Scalar(0, 0, 0));
    deep.at<cv::Vec3w>(0, 0) = {65535, 257 * 51, 257 * 7};
    const Loaded d = load(write("deep.png", deep), 0);
    ASSERT_TRUE(d.pixels);
    EXPECT_EQ(d.channels, 3);
    EXPECT_EQ(d.at(1, 0, 0), 255);
    EXPECT_EQ(d.at(1, 0, 1), 51);
    EXPECT_EQ(d.at(1, 0, 2), 7);
}

TEST_F(ImageFileTest, OwnAlphaIsKeptAndLoweredByTheComputedOne) {
    cv::Mat image(1, 3, CV_8UC4);
    image.at<cv::Vec4b>(0, 0) = {200, 200, 200, 100};  // bright, half transparent
    image.at<cv::Vec4b>(0, 1) = {30, 30, 30, 255};     // dark, opaque
    image.at<cv::Vec4b>(0, 2) = {200, 10, 10, 0};      // bright, transparent
    const std::string name = write("alpha.png", image);

    const Loaded plain = load(name, 0);
    ASSERT_TRUE(plain.pixels);
    EXPECT_EQ(plain.channels, 4);
    EXPECT_EQ(plain.at(0, 0, 3), 100);
    EXPECT_EQ(plain.at(0, 1, 3), 255);

    // Four bytes per pixel still: one alpha byte that GL_BGRA can read.
    const Loaded computed = load(name, 50);
    ASSERT_TRUE(computed.pixels);
    EXPECT_EQ(computed.console, "name: " + name + " w: 3 h: 1 f: 4\n");
    EXPECT_EQ(computed.channels, 4);
    EXPECT_EQ(computed.at(0, 0, 3), 100);
    EXPECT_EQ(computed.at(0, 1, 3), 30);
    EXPECT_EQ(computed.at(0, 2, 3), 0);
    EXPECT_EQ(computed.at(0, 2, 0), 200);
}

TEST_F(ImageFileTest, UndecodableFileIsNotLoaded) {
    const fs::path bad = dir_ / "textures" / "bad.png";
    FILE* file = std::fopen(bad.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("\x89PNG\r\n\x1a\n truncated", file);
    std::fclose(file);
    const Loaded out = load("/textures/bad.png", 50);
    EXPECT_FALSE(out.pixels);
    EXPECT_EQ(out.console, "name: /textures/bad.png not loaded!\n");
}

// Only PNG is decoded, whatever a file's content claims: a picture in another
// format named .png, and a medical-image header that once aborted the tool.
TEST_F(ImageFileTest, FilesThatAreNotPngAreNotLoaded) {
    const fs::path bmp = dir_ / "textures" / "picture.bmp";
    ASSERT_TRUE(cv::imwrite(bmp.string(), markedPicture()));
    fs::rename(bmp, dir_ / "textures" / "bmp.png");
    const Loaded fromBmp = load("/textures/bmp.png", 0);
    EXPECT_FALSE(fromBmp.pixels);
    EXPECT_EQ(fromBmp.console, "name: /textures/bmp.png not loaded!\n");

    FILE* file = std::fopen((dir_ / "textures" / "dicom.png").c_str(), "wb");
    ASSERT_NE(file, nullptr);
    const std::string dicom = std::string(128, '\0') + "DICM";
    std::fwrite(dicom.data(), 1, dicom.size(), file);
    std::fclose(file);
    const Loaded fromDicom = load("/textures/dicom.png", 50);
    EXPECT_FALSE(fromDicom.pixels);
    EXPECT_EQ(fromDicom.console, "name: /textures/dicom.png not loaded!\n");
}

}  // namespace
