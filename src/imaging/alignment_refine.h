// The fine fit on one level: inverse-compositional Gauss-Newton over a chosen set of the
// reference's high-gradient pixels. Everything that depends on the reference (the points, their
// values and their steepest-descent rows) is made once; an iteration only samples the live
// picture at the moved points. Gain and black level are fitted anew at each iteration, so the
// exposure and gain of the live camera do not matter.
//
// A model may hold the reference at several blurs, in steps. The fit then also finds how blurred
// the live picture is, between the steps: a blur that does not match moves edges of uneven
// profile (a dark line beside a bright one) by a fraction of a pixel.
#pragma once

#include <opencv2/core.hpp>
#include <vector>

#include "imaging/alignment_geometry.h"

namespace alignment {

struct LevelModel {
    struct Step {
        std::vector<float> values;       // reference grey levels at the points
        std::vector<cv::Vec3f> descent;  // their gradient times the motion's Jacobian
    };
    int level = 0;
    int border = 0;                   // pixels next to a picture's edge that are not used
    std::vector<cv::Point2f> points;  // reference pixels, level units
    std::vector<Step> steps;          // one per blur, least blurred first
};

struct PointChoice {
    int cellsX = 16;  // the picture is cut into cellsX x cellsY cells ...
    int cellsY = 12;
    int perCell = 24;  // ... and each gives its strongest-gradient pixels
};

// steps: the reference at `level`, 32-bit float, at one or more blurs; the points are chosen on
// steps[chooseOn]. usable: 8-bit, zero where a pixel must not be used (saturated), or empty.
// border: how far from its edges the filters that made the level (blur, pyramid) saw past them;
// nearer pixels are used neither in the reference nor in the live picture.
LevelModel BuildLevelModel(const std::vector<cv::Mat>& steps, size_t chooseOn,
                           const cv::Mat& usable, int level, int border, const PointChoice& choice);

struct RefineResult {
    bool ok = false;  // false: too few points fell inside the live picture, or no contrast
    int iterations = 0;
};

// Improves motion (level-0 pixels) and, for a model of several steps, blur (a position between
// steps, 0 .. steps - 1) on live, the 8-bit live picture at model.level. Stops after
// maxIterations or when an iteration moves no point by more than stopShift level pixels.
RefineResult Refine(const LevelModel& model, const cv::Mat& live, Rigid& motion, double& blur,
                    int maxIterations, double stopShift);

// The picture is cut into kRegionsX x kRegionsY regions; the weakest zero-mean normalised
// correlation of the model (at blur) with the live picture under motion, among the regions with
// shapes of their own, of which there must be kMinRegions. A picture that shares most of the
// reference's layout but differs in one part (mirrored, another scene) scores low there. 0 when
// fewer than half of the points fall inside the live picture.
inline constexpr int kRegionsX = 4;
inline constexpr int kRegionsY = 3;
inline constexpr int kMinRegions = 4;
double WeakestRegion(const LevelModel& model, const cv::Mat& live, const Rigid& motion,
                     double blur = 0.0);

}  // namespace alignment
