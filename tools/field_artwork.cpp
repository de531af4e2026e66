#include "tools/field_artwork.h"

#include <cstdio>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include "tools/pitch.h"

namespace {

constexpr int SUPERSAMPLING = 4;  // the grass is drawn this much larger, then averaged
const cv::Scalar NET_OUTLINE(200, 200, 200);

}  // namespace

const std::vector<FieldPicture>& fieldPictures() {
    // The small plan sits in the main window between the timeline and the player
    // buttons, so it stays 164 pixels wide and well under 93 high.
    static const std::vector<FieldPicture> pictures = {
        {"small football field.png", {164, 82}, 1.0, 0.7},
        {"football field.png", {1024, 512}, 1.5, 1.5},
        {"football field 3D.png", {1024, 512}, 2.5, 2.5},
    };
    return pictures;
}

cv::Mat renderFieldPicture(const FieldPicture& picture) {
    const cv::Size big(picture.size.width * SUPERSAMPLING, picture.size.height * SUPERSAMPLING);
    cv::Mat ground(big, CV_8UC3);
    fillGround(ground, planToPicture(big).inv());
    cv::Mat image;
    cv::resize(ground, image, picture.size, 0, 0, cv::INTER_AREA);

    const cv::Matx33d toPicture = planToPicture(picture.size);
    cv::Mat mask = cv::Mat::zeros(big, CV_8UC1), coverage;
    fillPolygonsSupersampled(mask, goalFootprintPolygons(toPicture, picture.minLineWidth),
                             SUPERSAMPLING);
    cv::resize(mask, coverage, picture.size, 0, 0, cv::INTER_AREA);
    blendCoverage(image, coverage, NET_OUTLINE);
    drawPitchMarkings(image, toPicture, picture.minLineWidth, picture.minSpotRadius);
    return image;
}

int writeFieldArtwork(const std::string& folder) {
    int result = 1;
    for (const FieldPicture& picture : fieldPictures()) {
        const std::string path = folder + "/" + picture.fileName;
        bool written = false;
        try {
            written = cv::imwrite(path, renderFieldPicture(picture));
        } catch (const cv::Exception&) {
            written = false;
        }
        if (!written) {
            std::printf("can't create the file %s!\n", path.c_str());
            result = 0;
        }
    }
    return result;
}
