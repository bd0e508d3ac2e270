// The fine fit on one level: inverse-compositional Gauss-Newton over a chosen set of the
// reference's high-gradient pixels. Everything that depends on the reference (the points, their
// values and their steepest-descent rows) is made once; an iteration only samples the live
// picture at the moved points.
//
// Brightness: at each iteration the live values are mapped onto the reference's by a black
// level and a gain that varies smoothly over the picture (vignetting, a lamp to one side), so
// neither exposure, gain nor uneven light moves the figures.
// Robustness: each point is weighted by Tukey's biweight of its residual over the residuals'
// spread (their median absolute deviation), so parts of the picture that changed since the
// reference (people, a screen, a moved chair) drop out of the fit. Points on clipped pixels of
// either picture are not used at all.
//
// A model may hold the reference at several blurs, in steps. The fit then also finds how blurred
// the live picture is, between the steps: a blur that does not match moves edges of uneven
// profile (a dark line beside a bright one) by a fraction of a pixel.
#pragma once

#include <array>
#include <opencv2/core.hpp>
#include <vector>

#include "imaging/alignment.h"
#include "imaging/alignment_geometry.h"

namespace alignment {

// What a level fits: a similarity (shift, turn, scale; for the coarse levels, where a turn's
// perspective is below a pixel), a similarity with perspective (the map of a camera turned
// about its lens to first order, whatever the lens), or the map of a turned camera to second
// order (Turn): a homography whose stretch and shear are kept to what the shift and the
// perspective make them. Left free, as in a general homography, they would trade off with the
// shift and the roll on scenes whose texture lies in a few places.
enum class Motion { Similarity, Perspective, Turn };
inline constexpr int kMaxParameters = 8;
inline int ParameterCount(Motion motion) {
    return motion == Motion::Similarity ? 4 : motion == Motion::Perspective ? 6 : 8;
}

struct LevelModel {
    struct Step {
        std::vector<float> values;   // reference grey levels at the points
        std::vector<float> descent;  // ParameterCount(motion) runs of one entry per point
    };
    int level = 0;
    int border = 0;  // pixels next to a picture's edge that are not used
    Motion motion = Motion::Similarity;
    std::vector<cv::Point2f> points;  // reference pixels, level units
    std::vector<cv::Point2f> units;   // the same points in normalised coordinates
    std::vector<Step> steps;          // one per blur, least blurred first
};

struct PointChoice {
    int cellsX = 16;  // the picture is cut into cellsX x cellsY cells ...
    int cellsY = 12;
    int perCell = 24;  // ... and each gives its strongest-gradient pixels
};

// steps: the reference at `level`, 32-bit float, at one or more blurs; the points are chosen on
// steps[chooseOn]. usable: 8-bit, zero where a pixel must not be used (clipped), or empty.
// border: how far from its edges the filters that made the level (blur, pyramid) saw past them;
// nearer pixels are used neither in the reference nor in the live picture.
LevelModel BuildLevelModel(const std::vector<cv::Mat>& steps, size_t chooseOn,
                           const cv::Mat& usable, int level, int border, const PointChoice& choice,
                           Motion motion);

enum class FitFailure {
    None,
    Outside,   // too many points fell outside the live picture
    Clipped,   // too many points fell on clipped pixels of the live picture
    Flat,      // the live picture has no contrast where the reference has
    Singular,  // the points do not fix the motion
};

struct RefineResult {
    FitFailure failure = FitFailure::None;
    int iterations = 0;
    bool settled = false;  // stopped because an iteration moved it less than stopShift
    bool ok() const { return failure == FitFailure::None; }
};

// Improves warp and, for a model of several steps, blur (a position between steps,
// 0 .. steps - 1) on live, the 8-bit live picture at model.level, clipped pixels marked 255.
// Stops after maxIterations or when an iteration moves the centre, and the picture half way to
// its edge by the turn and scale, by less than stopShift level pixels.
// light, when given: the light known from a coarser level or the last picture (a first term of
// 0: none). The fit settles the light afresh and starts from whichever of the two leaves the
// residuals less spread; light receives the light found.
RefineResult Refine(const LevelModel& model, const cv::Mat& live, Warp& warp, double& blur,
                    int maxIterations, double stopShift, LightTerms* light = nullptr);

// How well the live picture agrees with the model under warp. The picture is cut into
// kRegionsX x kRegionsY regions; within each region with shapes of its own, the points whose
// residual lies near the others' are compared by zero-mean normalised correlation. A region
// agrees well when they correlate at least kWellCorrelated: what changed since the reference (a
// person, a screen) makes its own regions disagree without pulling down the others. A coarse
// level is judged twice: in those regions, and in regions twice as large each way, which have
// points enough where the scene has little texture.
inline constexpr int kRegionsX = 8;
inline constexpr int kRegionsY = 6;
inline constexpr int kMinRegions = 8;
inline constexpr double kWellCorrelated = 0.9;
struct Agreement {
    double well = 0.0;       // of the points in regions with shapes, those agreeing in regions
                             // that agree well (the large regions on a coarse level); 0 when too
                             // few regions have shapes
    double wellSmall = 0.0;  // the same in kRegionsX x kRegionsY regions on every level
    // The regions that disagree (kRegionsX x kRegionsY) lie together in one place, as a person
    // or a screen does, and nearly all of the rest agrees; a scene that is not the reference
    // disagrees in scattered places.
    bool onePlace = false;
    double share = 0.0;    // of the usable points, those that agree
    double outside = 0.0;  // of all points, those outside the live picture
    double clipped = 0.0;  // of the points inside, those on clipped pixels
};
Agreement Judge(const LevelModel& model, const cv::Mat& live, const Warp& warp, double blur = 0.0);

}  // namespace alignment
