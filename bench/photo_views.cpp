#include "photo_views.h"

#include <cstdlib>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

namespace bench {
namespace {

struct Listed {
    const char* file;
    const char* kind;
};
// Textured outdoor and indoor scenes, plain ones with large smooth areas, and repeating ones.
constexpr Listed kPhotos[] = {
    {"building.jpg", "textured"}, {"home.jpg", "textured"},     {"aero1.jpg", "textured"},
    {"leuvenA.jpg", "textured"},  {"board.jpg", "textured"},    {"messi5.jpg", "textured"},
    {"fruits.jpg", "plain"},      {"orange.jpg", "plain"},      {"apple.jpg", "plain"},
    {"left01.jpg", "repetitive"}, {"sudoku.png", "repetitive"}, {"baboon.jpg", "textured"},
};

std::string Folder() {
    const char* folder = std::getenv("VANTREL_PHOTOS");
    return folder != nullptr ? folder : "/usr/share/doc/opencv-doc/examples/data";
}

}  // namespace

std::vector<Photo> LoadPhotos() {
    std::vector<Photo> photos;
    const cv::Size size(640 + 2 * kMargin, 480 + 2 * kMargin);
    for (const Listed& listed : kPhotos) {
        const cv::Mat grey = cv::imread(Folder() + "/" + listed.file, cv::IMREAD_GRAYSCALE);
        if (grey.empty()) continue;
        // Enlarged to cover the scene, then its middle.
        const double factor = std::max(static_cast<double>(size.width) / grey.cols,
                                       static_cast<double>(size.height) / grey.rows);
        cv::Mat enlarged;
        cv::resize(grey, enlarged, {}, factor, factor, cv::INTER_CUBIC);
        const cv::Rect middle((enlarged.cols - size.width) / 2, (enlarged.rows - size.height) / 2,
                              size.width, size.height);
        photos.push_back({listed.file, listed.kind, enlarged(middle).clone()});
    }
    return photos;
}

cv::Mat TurnedView(const Photo& photo, const std::array<double, 9>& h) {
    // Scene pixel s is reference pixel s - margin; the live picture shows H of it.
    const cv::Matx33d turn(h.data());
    const cv::Matx33d shift(1, 0, -kMargin, 0, 1, -kMargin, 0, 0, 1);
    cv::Mat view;
    cv::warpPerspective(photo.scene, view, turn * shift, {640, 480}, cv::INTER_CUBIC,
                        cv::BORDER_REFLECT);
    return view;
}

cv::Mat Spoil(const cv::Mat& view, const Nuisance& nuisance, const cv::Mat& other,
              std::mt19937& random) {
    cv::Mat values;
    view.convertTo(values, CV_32F);
    if (nuisance.changed > 0.0) {
        // An upright figure, twice as tall as wide, textured with another scene, darker.
        const double area = nuisance.changed * values.total();
        const int width = std::min(values.cols, static_cast<int>(std::sqrt(area / 2.0)));
        const int height = std::min(values.rows, static_cast<int>(area / width));
        std::uniform_int_distribution<int> x(0, values.cols - width);
        std::uniform_int_distribution<int> y(0, values.rows - height);
        const cv::Rect place(x(random), y(random), width, height);
        cv::Mat cover;
        other(cv::Rect(0, 0, width, height)).convertTo(cover, CV_32F, 0.5);
        cover.copyTo(values(place));
    }
    if (nuisance.blur > 0.0) cv::GaussianBlur(values, values, {}, nuisance.blur);
    if (nuisance.vignette != 1.0) {
        const double corner2 = 319.5 * 319.5 + 239.5 * 239.5;
        for (int y = 0; y < values.rows; ++y)
            for (int x = 0; x < values.cols; ++x) {
                const double r2 = (x - 319.5) * (x - 319.5) + (y - 239.5) * (y - 239.5);
                values.at<float>(y, x) *=
                    static_cast<float>(1.0 - (1.0 - nuisance.vignette) * r2 / corner2);
            }
    }
    values *= nuisance.brightness;
    cv::Mat noise(values.size(), CV_32F);
    cv::theRNG().state = random();
    cv::randn(noise, 0.0, nuisance.noise);
    values += noise;
    cv::Mat live;
    values.convertTo(live, CV_8U);  // rounds and clips to 0..255
    if (nuisance.jpeg > 0) {
        std::vector<uchar> bytes;
        cv::imencode(".jpg", live, bytes, {cv::IMWRITE_JPEG_QUALITY, nuisance.jpeg});
        live = cv::imdecode(bytes, cv::IMREAD_GRAYSCALE);
    }
    return live;
}

}  // namespace bench
