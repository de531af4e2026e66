#include "widgets/image_file.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <string>
#include <vector>

namespace {

// The double nearest to one third lies slightly below it, so a pixel of three
// equal values v sums to just under v: (50, 50, 50) gives 49, not 50.
constexpr double kThird = 0.3333333333333333;
constexpr int kOpaque = 255;
constexpr double k16To8Bit = 1.0 / 257.0;  // 65535 maps to 255

// The reason, when there is one, follows the outcome on standard error, after the
// "name: " line is complete.
int failLoad(unsigned char** outPixels, int* outWidth, int* outHeight, int* outChannels,
             const std::string& reason) {
    *outPixels = nullptr;
    *outWidth = *outHeight = *outChannels = 0;
    std::printf("not loaded!\n");
    std::fflush(stdout);
    if (!reason.empty()) std::fprintf(stderr, "%s\n", reason.c_str());
    return 0;
}

// Brings a decoded image to 8-bit blue, green, red with an optional alpha, so that
// every pixel has 3 or 4 bytes that GL_BGR or GL_BGRA read correctly. Returns an
// empty matrix for depths and channel counts that have no such reading.
cv::Mat toEightBitBgr(const cv::Mat& image, const char* name, std::string& reason) {
    cv::Mat eightBit;
    if (image.depth() == CV_8U) {
        eightBit = image;
    } else if (image.depth() == CV_16U) {
        image.convertTo(eightBit, CV_MAKETYPE(CV_8U, image.channels()), k16To8Bit);
    } else {
        reason = std::string(name) + ": only 8-bit and 16-bit images are supported";
        return cv::Mat();
    }
    switch (eightBit.channels()) {
        case 3:
        case 4:
            return eightBit;
        case 1: {
            cv::Mat bgr;
            cv::merge(std::vector<cv::Mat>{eightBit, eightBit, eightBit}, bgr);
            return bgr;
        }
        case 2: {
            std::vector<cv::Mat> greyAlpha;
            cv::split(eightBit, greyAlpha);
            cv::Mat bgra;
            cv::merge(std::vector<cv::Mat>{greyAlpha[0], greyAlpha[0], greyAlpha[0], greyAlpha[1]},
                      bgra);
            return bgra;
        }
        default:
            reason = std::string(name) + ": " + std::to_string(eightBit.channels()) +
                     " channels are not supported";
            return cv::Mat();
    }
}

}  // namespace

int loadImageFile(const char* name, const char* directory, unsigned char** outPixels, int* outWidth,
                  int* outHeight, int* outChannels, int alphaThreshold) {
    if (name == nullptr) name = "";
    std::printf("name: %s ", name);

    std::string path = directory != nullptr ? directory : "";
    path += name;
    if (path.size() >= static_cast<size_t>(IMAGE_PATH_SIZE)) {
        return failLoad(outPixels, outWidth, outHeight, outChannels,
                        std::string(name) + ": the path is longer than " +
                            std::to_string(IMAGE_PATH_SIZE - 1) + " bytes");
    }

    std::string reason;
    cv::Mat image;
    try {
        cv::Mat decoded = cv::imread(path, cv::IMREAD_UNCHANGED);
        if (!decoded.empty()) image = toEightBitBgr(decoded, name, reason);
    } catch (const cv::Exception& error) {
        reason = std::string(name) + ": " + error.what();
        image.release();
    }
    if (image.empty()) return failLoad(outPixels, outWidth, outHeight, outChannels, reason);

    const int width = image.cols;
    const int height = image.rows;
    const int ownChannels = image.channels();
    // An image with an alpha of its own keeps four bytes: the computed alpha
    // replaces a fifth byte that no texture format could read.
    const bool ownAlpha = ownChannels == 4;
    const int colourChannels = ownAlpha ? 3 : ownChannels;
    const int channels = alphaThreshold > 0 && !ownAlpha ? ownChannels + 1 : ownChannels;

    const size_t size = static_cast<size_t>(width) * height * channels;
    unsigned char* pixels = new (std::nothrow) unsigned char[size];
    if (pixels == nullptr) {
        return failLoad(outPixels, outWidth, outHeight, outChannels,
                        std::string(name) + ": no memory for the pixels");
    }

    // Rows are copied bottom-up, which flips the picture for OpenGL without a
    // flipped copy of the whole image.
    for (int row = 0; row < height; ++row) {
        const unsigned char* source = image.ptr<unsigned char>(height - 1 - row);
        unsigned char* target = pixels + static_cast<size_t>(row) * width * channels;
        for (int column = 0; column < width; ++column) {
            double sum = 0.0;
            for (int k = 0; k < ownChannels; ++k) {
                target[k] = source[k];
                if (k < colourChannels) sum += source[k] * kThird;
            }
            if (alphaThreshold > 0) {
                const int alpha = sum > alphaThreshold ? kOpaque : static_cast<int>(sum);
                // A pixel the file makes transparent stays so.
                unsigned char& last = target[channels - 1];
                last = ownAlpha ? std::min<int>(last, alpha) : alpha;
            }
            source += ownChannels;
            target += channels;
        }
    }

    *outPixels = pixels;
    *outWidth = width;
    *outHeight = height;
    *outChannels = channels;
    std::printf("w: %d h: %d f: %d\n", width, height, channels);
    return 1;
}
