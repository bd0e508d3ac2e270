// Where a camera's live picture lies relative to its reference picture, measured with OpenCV,
// for the Alignment Assistant.
#pragma once

#include <array>
#include <memory>
#include <opencv2/core.hpp>

// Why a measurement gave no numbers.
enum class AlignmentFailure {
    None,
    NoReference,  // no reference, or a picture of the wrong size or type
    OverExposed,  // too little of the picture is below white
    TooDark,      // too little of the picture is above black
    NoMatch,      // the live picture does not show the reference's scene
    OutOfRange,   // the scene, but turned, moved or scaled beyond the measuring range
};

// Where a camera's live picture lies relative to its reference picture. The live picture is the
// reference seen by the camera turned on its mount (pan, tilt, roll) and perhaps a little nearer
// or farther: a homography of it. With c = (319.5, 239.5) the picture centre:
// - (dx, dy): the point of the reference at c shows at c + (dx, dy) in the live picture;
//   dx > 0: content lies right of where the reference has it; dy > 0: below;
// - angle: how far the picture is turned there, positive clockwise as seen on the screen
//   (x right, y down);
// - scale: how much larger the live picture shows things, > 1 for a camera nearer than the
//   reference's. A turn alone leaves it at 1 whatever the lens.
// Within the measuring range below; beyond it the measurement refuses with OutOfRange.
struct AlignmentOffset {
    bool measured = false;  // false: no numbers; failure says why
    AlignmentFailure failure = AlignmentFailure::NoReference;
    double dx = 0, dy = 0;  // pixels
    double angle = 0;       // degrees
    double scale = 1;       // ratio
    double confidence = 0;  // 0..1: the share of the picture that agrees well with the
                            // reference; measured is false below kAlignmentMinConfidence,
                            // or below kAlignmentOnePlaceConfidence when what disagrees lies
                            // in one place (a person, a screen)
    double agreeing = 0;    // 0..1: the share of the picture that matches the reference
};

// Below this confidence a measurement gives no numbers, unless the part that disagrees lies in
// one place; then below the second. Lower, a fit a few tenths of a pixel off (a plain scene
// whose texture a figure half covers) gets through.
inline constexpr double kAlignmentMinConfidence = 0.65;
inline constexpr double kAlignmentOnePlaceConfidence = 0.55;

// The measuring range.
inline constexpr double kAlignmentRangeX = 80.0;      // pixels, either way
inline constexpr double kAlignmentRangeY = 60.0;      // pixels, either way
inline constexpr double kAlignmentRangeAngle = 4.0;   // degrees, either way
inline constexpr double kAlignmentRangeScale = 0.04;  // 1 - 4 % .. 1 + 4 %

namespace alignment {
struct Prepared;
struct PictureLevels;
struct Warp;
class StillCheck;
// The light that maps live values onto the reference's: the gain's terms and the black level
// (see alignment_fit.h). A first term of 0 says none is known.
using LightTerms = std::array<double, 5>;
}  // namespace alignment

// What one measurement of a camera leaves for the next of the same camera and reference: where
// its fit ended, and the picture it settled on. A new one (or one whose last measurement gave
// no numbers) follows nothing.
class AlignmentTrack {
private:
    friend class AlignmentMeter;
    cv::Matx33d motion_;
    double blur_ = 0.0;
    alignment::LightTerms light_{};  // the light the fit ended with
    AlignmentOffset last_;           // followed only when it was measured
    // The picture of the last measurement whose fit had converged with the camera at rest; a
    // picture that shows it unmoved is answered with last_ without fitting again.
    std::shared_ptr<const alignment::StillCheck> still_;
};

class AlignmentMeter {
public:
    // reference: 640 x 480 CV_8UC1. Prepares everything that depends only on the reference
    // (pyramids, gradients, spectra) once.
    void SetReference(const cv::Mat& reference);
    bool HasReference() const;
    // live: 640 x 480 CV_8UC1. Never modifies its input. With a track of the same camera (and
    // this reference), the fit starts where the last one ended and skips the search when the
    // camera moved little, and a picture that shows the camera unmoved since the last converged
    // fit (see alignment_still.h) gets that fit's figures again; the track is updated.
    AlignmentOffset Measure(const cv::Mat& live, AlignmentTrack* track = nullptr) const;

private:
    // light: the light of the live picture, carried from level to level (and from picture to
    // picture on a track); all zero when not yet known.
    AlignmentFailure FitCoarse(const alignment::PictureLevels& levels, alignment::Warp& warp,
                               alignment::LightTerms& light) const;
    AlignmentOffset FitFine(const alignment::PictureLevels& levels, alignment::Warp& warp,
                            double& blur, alignment::LightTerms& light, int iterations,
                            bool* converged = nullptr) const;
    static void Keep(AlignmentTrack& track, const AlignmentOffset& offset,
                     const alignment::Warp& warp, double blur, const alignment::LightTerms& light,
                     const cv::Mat& live, bool still);

    // Shared, never changed once made: copies of a meter share it.
    std::shared_ptr<const alignment::Prepared> prepared_;
};
