// Live pictures made from real photographs: the photograph is the scene as the reference camera
// sees it (with room around it), and a camera turned on its mount sees the homography of it.
// The photographs are those of Debian's opencv-doc package (scripts/install-deps.sh installs it
// for the benchmarks); VANTREL_PHOTOS names another folder holding the same files.
#pragma once

#include <array>
#include <opencv2/core.hpp>
#include <random>
#include <string>
#include <vector>

namespace bench {

// Room around the reference's view, pixels: more than the farthest pose swept shows.
inline constexpr int kMargin = 160;

struct Photo {
    std::string name;
    const char* kind;  // "textured", "plain", "repetitive"
    cv::Mat scene;     // 8-bit grey, (640 + 2 kMargin) x (480 + 2 kMargin)
};

// The photographs found; empty when the folder is missing.
std::vector<Photo> LoadPhotos();

// What a camera whose picture is the homography h (row by row, reference pixels to live ones)
// of the reference's view sees; h identity gives the reference's view.
cv::Mat TurnedView(const Photo& photo, const std::array<double, 9>& h);

// What can spoil a live picture.
struct Nuisance {
    double noise = 1.0;       // sensor noise, grey levels
    double brightness = 1.0;  // exposure times gain; clipped at 255
    double blur = 0.0;        // pixels
    double vignette = 1.0;    // relative brightness in the corners
    double changed = 0.0;     // share of the picture covered by something new
    int jpeg = 0;             // JPEG quality, 0: none
};

// The picture spoiled as nuisance says; `other` provides what covers the changed part.
cv::Mat Spoil(const cv::Mat& view, const Nuisance& nuisance, const cv::Mat& other,
              std::mt19937& random);

}  // namespace bench
