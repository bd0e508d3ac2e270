// The fit of one level: Gauss-Newton steps of the chosen motion with the robust weights.
#include "imaging/alignment_refine.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "imaging/alignment_fit.h"

namespace alignment {
namespace {

using namespace fit;

// The warp step of the parameters (those a motion does not use are 0), as a homography.
cv::Matx33d StepWarp(const double* q) {
    return {1.0 + q[2] + q[6],
            -q[3] + q[7],
            q[0],
            q[3] + q[7],
            1.0 + q[2] - q[6],
            q[1],
            q[4],
            q[5],
            1.0};
}

// How far the step moves what is read off the warp, level pixels: the centre, and the turn and
// scale half way to the picture's edge. The perspective, which the pictures may fix only
// loosely, is left out: it would keep a well-converged fit going. On the full picture, whose
// figures are read, the largest of the moves counts, with the scale taken a tenth of the way to
// the edge: the scale matters to a few hundredths of a per cent, and on a picture of little
// texture it creeps with the perspective for many steps at finer sizes.
double ReadingMove(const cv::Matx33d& step, double perUnit, bool fine) {
    const double scale = std::abs((step(0, 0) + step(1, 1)) / 2.0 - 1.0);
    const double turn = std::abs((step(1, 0) - step(0, 1)) / 2.0);
    const double centre = std::hypot(step(0, 2), step(1, 2));
    if (fine) return std::max({centre, 0.5 * turn, 0.05 * scale}) * perUnit;
    return (centre + 0.5 * (scale + turn)) * perUnit;
}

// A camera turned about its lens, its picture then scaled and turned about the centre, moves
// its picture by H = [[A, t], [p^T, 1]] with A = s R + t p^T / 2 to second order in the turn:
// the stretch and shear of A are fixed by the shift and the perspective. Puts the warp back on
// such maps: keeps its shift, perspective and the similarity part of A - t p^T / 2, and sets the
// stretch and shear to what the shift and the perspective make them.
void ProjectToTurn(Warp& warp) {
    cv::Matx33d& h = warp.h;
    const cv::Matx22d b(h(0, 0) - 0.5 * h(0, 2) * h(2, 0), h(0, 1) - 0.5 * h(0, 2) * h(2, 1),
                        h(1, 0) - 0.5 * h(1, 2) * h(2, 0), h(1, 1) - 0.5 * h(1, 2) * h(2, 1));
    const double scale = (b(0, 0) + b(1, 1)) / 2.0;
    const double turn = (b(1, 0) - b(0, 1)) / 2.0;
    h(0, 0) = scale + 0.5 * h(0, 2) * h(2, 0);
    h(0, 1) = -turn + 0.5 * h(0, 2) * h(2, 1);
    h(1, 0) = turn + 0.5 * h(1, 2) * h(2, 0);
    h(1, 1) = scale + 0.5 * h(1, 2) * h(2, 1);
}

using Normal = cv::Matx<double, kMaxParameters + 1, kMaxParameters + 1>;

FitFailure Shortage(const LevelModel& model, const Samples& samples) {
    const int needed = std::max(12, static_cast<int>(model.points.size()) / 4);
    if (samples.usable >= needed) return FitFailure::None;
    return samples.clipped > samples.outside ? FitFailure::Clipped : FitFailure::Outside;
}
}  // namespace

RefineResult Refine(const LevelModel& model, const cv::Mat& live, Warp& warp, double& blur,
                    int maxIterations, double stopShift, LightTerms* known) {
    RefineResult result;
    const int parameters = ParameterCount(model.motion);
    const bool fitBlur = model.steps.size() > 1;
    // A turned camera's stretch and shear follow from the rest: the first six parameters are
    // fitted, and every step is followed by putting the warp back on the turned camera's maps.
    const int fitted = model.motion == Motion::Turn ? 6 : parameters;
    const int unknowns = fitted + (fitBlur ? 1 : 0);
    const double lastStep = static_cast<double>(model.steps.size() - 1);
    const double perUnit = kUnit * LevelScale(model.level);
    Samples samples;
    std::vector<float> weights(model.points.size(), 1.0f), residuals, carriedResiduals;
    std::array<std::vector<float>, kMaxParameters + 1> buffers;
    Light light;
    for (; result.iterations < maxIterations; ++result.iterations) {
        SampleMoved(model, live, warp, samples);
        if ((result.failure = Shortage(model, samples)) != FitFailure::None) return result;
        const Blend reference(model, blur);
        const bool start = result.iterations == 0;
        const bool lit = start ? SettleLight(model, reference, samples, weights, light, residuals)
                               : FitLight(model, reference, samples, weights, light);
        if (!lit) {
            result.failure = FitFailure::Flat;
            return result;
        }
        if (!start) {
            Residuals(model, reference, samples, light, residuals);
            RobustWeights(samples, residuals, weights);
        } else if (known != nullptr && (*known)[0] > 0.0) {
            // Settled afresh, the light may take a large dark figure for uneven light, and the
            // residuals' wide spread then keeps the figure in the fit. The light known from a
            // coarser level or the last picture starts the fit instead when it leaves the
            // residuals less spread.
            Light carried;
            carried.c = *known;
            Residuals(model, reference, samples, carried, carriedResiduals);
            if (Spread(samples, carriedResiduals) < Spread(samples, residuals)) {
                light = carried;
                residuals.swap(carriedResiduals);
                RobustWeights(samples, residuals, weights);
            }
        }
        if (known != nullptr) *known = light.c;

        Normal normal;
        cv::Vec<double, kMaxParameters + 1> rhs;
        std::array<const float*, kMaxParameters + 1> columns;
        for (int k = 0; k < fitted; ++k) columns[k] = reference.Descents(k, buffers[k]);
        if (fitBlur) columns[fitted] = reference.Changes(buffers[fitted]);
        WeightedSums(columns.data(), unknowns, weights.data(), residuals.data(), weights.size(),
                     normal, rhs);
        for (int a = unknowns; a <= kMaxParameters; ++a) normal(a, a) = 1.0;
        for (int a = 0; a <= kMaxParameters; ++a)
            for (int b = 0; b < a; ++b) normal(a, b) = normal(b, a);
        cv::Vec<double, kMaxParameters + 1> step;
        if (!cv::solve(normal, rhs, step, cv::DECOMP_CHOLESKY)) {
            result.failure = FitFailure::Singular;
            return result;
        }
        // Inverse composition: warp <- warp o step^-1.
        double q[kMaxParameters] = {};
        std::copy(step.val, step.val + fitted, q);
        const cv::Matx33d stepWarp = StepWarp(q);
        warp.h = warp.h * stepWarp.inv();
        warp.h *= 1.0 / warp.h(2, 2);
        if (model.motion == Motion::Turn) ProjectToTurn(warp);
        if (fitBlur) blur = std::clamp(blur + std::clamp(step[fitted], -1.0, 1.0), 0.0, lastStep);
        if (ReadingMove(stepWarp, perUnit, model.level == 0) < stopShift) {
            ++result.iterations;
            result.settled = true;
            break;
        }
    }
    return result;
}

}  // namespace alignment
