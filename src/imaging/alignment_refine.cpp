#include "imaging/alignment_refine.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "imaging/alignment_pictures.h"

namespace alignment {
namespace {

enum : uint8_t { kOutside = 0, kClipped = 1, kUsable = 2 };

// Bilinear sample of an 8-bit picture: outside within border pixels of its edges, where filters
// saw the edge instead of the scene; clipped where one of the four neighbours is.
inline uint8_t Sample(const cv::Mat& picture, int border, double x, double y, float& value) {
    if (!(x >= border && y >= border && x < picture.cols - 1 - border &&
          y < picture.rows - 1 - border))
        return kOutside;
    const int x0 = static_cast<int>(x);
    const int y0 = static_cast<int>(y);
    const float fx = static_cast<float>(x - x0);
    const float fy = static_cast<float>(y - y0);
    const uchar* top = picture.ptr<uchar>(y0) + x0;
    const uchar* bottom = top + picture.step[0];
    if (std::max({top[0], top[1], bottom[0], bottom[1]}) >= kSaturated) return kClipped;
    const float upper = top[0] + fx * (top[1] - top[0]);
    const float lower = bottom[0] + fx * (bottom[1] - bottom[0]);
    value = upper + fy * (lower - upper);
    return kUsable;
}

// The live picture at every moved point.
struct Samples {
    std::vector<float> live;
    std::vector<uint8_t> state;
    int outside = 0, clipped = 0, usable = 0;
};

void SampleMoved(const LevelModel& model, const cv::Mat& live, const Warp& warp, Samples& out) {
    const double perUnit = kUnit * LevelScale(model.level);
    const cv::Point2d centre = kCentre * LevelScale(model.level);
    const size_t count = model.points.size();
    out.live.resize(count);
    out.state.resize(count);
    out.outside = out.clipped = out.usable = 0;
    const cv::Matx33d& h = warp.h;
    for (size_t i = 0; i < count; ++i) {
        const cv::Point2f u = model.units[i];
        const double w = h(2, 0) * u.x + h(2, 1) * u.y + h(2, 2);
        const double x = (h(0, 0) * u.x + h(0, 1) * u.y + h(0, 2)) / w * perUnit + centre.x;
        const double y = (h(1, 0) * u.x + h(1, 1) * u.y + h(1, 2)) / w * perUnit + centre.y;
        const uint8_t state =
            w > 0.0 ? Sample(live, model.border, x, y, out.live[i]) : uint8_t{kOutside};
        out.state[i] = state;
        out.outside += state == kOutside;
        out.clipped += state == kClipped;
        out.usable += state == kUsable;
    }
}

// The reference between two blur steps: values and descent rows at position blur, and the
// change of the values per step.
struct Blend {
    const LevelModel::Step* lower;
    const LevelModel::Step* upper;
    float share;  // of upper

    Blend(const LevelModel& model, double blur) {
        const size_t last = model.steps.size() - 1;
        const size_t k =
            std::min(static_cast<size_t>(std::max(blur, 0.0)), last > 0 ? last - 1 : 0);
        lower = &model.steps[k];
        upper = &model.steps[std::min(k + 1, last)];
        share = last > 0 ? static_cast<float>(blur - k) : 0.0f;
    }
    float Value(size_t i) const {
        return lower->values[i] + share * (upper->values[i] - lower->values[i]);
    }
    float Descent(size_t i, int parameters, int k) const {
        const size_t at = i * parameters + k;
        return lower->descent[at] + share * (upper->descent[at] - lower->descent[at]);
    }
    float Change(size_t i) const { return upper->values[i] - lower->values[i]; }
};

// live = (g0 + g1 ux + g2 uy + g3 |u|^2) reference + black, fitted with the points' weights.
struct Light {
    std::array<double, 5> c{};  // g0, g1, g2, g3, black

    static std::array<double, 5> Row(double r, cv::Point2f u) {
        return {r, r * u.x, r * u.y, r * (u.x * u.x + u.y * u.y), 1.0};
    }
    double Gain(cv::Point2f u) const {
        return c[0] + c[1] * u.x + c[2] * u.y + c[3] * (u.x * u.x + u.y * u.y);
    }
    // The live value in the reference's grey levels.
    double Normalised(double live, cv::Point2f u) const { return (live - c[4]) / Gain(u); }
};

// Solves the weighted least squares of the light over the first `terms` columns of its rows
// and the black level; false when the gain is not positive all over the picture.
bool SolveLight(const cv::Matx<double, 5, 5>& sums, const cv::Vec<double, 5>& rhs, int terms,
                Light& light) {
    cv::Matx<double, 5, 5> normal = sums;
    cv::Vec<double, 5> right = rhs;
    for (int a = terms; a < 4; ++a) {
        for (int b = 0; b < 5; ++b) normal(a, b) = normal(b, a) = 0.0;
        normal(a, a) = 1.0;
        right[a] = 0.0;
    }
    cv::Vec<double, 5> c;
    if (!cv::solve(normal, right, c, cv::DECOMP_CHOLESKY)) return false;
    for (int a = 0; a < 5; ++a) light.c[a] = c[a];
    for (const cv::Point2f corner : {cv::Point2f(-1, -0.75f), cv::Point2f(1, -0.75f),
                                     cv::Point2f(-1, 0.75f), cv::Point2f(1, 0.75f)})
        if (!(light.Gain(corner) > 1e-3)) return false;
    return light.Gain({0, 0}) > 1e-3;
}

bool FitLight(const LevelModel& model, const Blend& reference, const Samples& samples,
              const std::vector<float>& weights, Light& light, bool even = false) {
    cv::Matx<double, 5, 5> normal = cv::Matx<double, 5, 5>::zeros();
    cv::Vec<double, 5> rhs;
    double sum = 0.0, mean = 0.0, square = 0.0;
    for (size_t i = 0; i < samples.state.size(); ++i) {
        if (samples.state[i] != kUsable || weights[i] <= 0.0f) continue;
        const auto row = Light::Row(reference.Value(i), model.units[i]);
        const double w = weights[i];
        for (int a = 0; a < 5; ++a) {
            rhs[a] += w * row[a] * samples.live[i];
            for (int b = a; b < 5; ++b) normal(a, b) += w * row[a] * row[b];
        }
        sum += w;
        mean += w * samples.live[i];
        square += w * samples.live[i] * samples.live[i];
    }
    for (int a = 0; a < 5; ++a)
        for (int b = 0; b < a; ++b) normal(a, b) = normal(b, a);
    // A flat live picture (black, white, lens cap) has nothing to fit.
    if (sum <= 0.0 || square / sum - (mean / sum) * (mean / sum) < 1e-3) return false;
    // Where the uneven light cannot be told apart from what changed, one gain for all.
    return (!even && SolveLight(normal, rhs, 4, light)) || SolveLight(normal, rhs, 1, light);
}

// Tukey's biweight of each usable point's residual; the residuals' spread comes from their
// median absolute deviation, never below kNoiseFloor grey levels.
constexpr double kNoiseFloor = 0.5;
constexpr double kTukey = 4.685;

// The residuals' spread: 1.4826 times their median absolute value, at least kNoiseFloor.
double Spread(const Samples& samples, const std::vector<float>& residuals) {
    // Every fourth point of a large set tells the median as well.
    const size_t stride = residuals.size() > 2000 ? 4 : 1;
    std::vector<float> magnitudes;
    magnitudes.reserve(residuals.size() / stride + 1);
    for (size_t i = 0; i < residuals.size(); i += stride)
        if (samples.state[i] == kUsable) magnitudes.push_back(std::abs(residuals[i]));
    if (magnitudes.empty()) return kNoiseFloor;
    const auto middle = magnitudes.begin() + magnitudes.size() / 2;
    std::nth_element(magnitudes.begin(), middle, magnitudes.end());
    return std::max(1.4826 * *middle, kNoiseFloor);
}

void RobustWeights(const Samples& samples, const std::vector<float>& residuals,
                   std::vector<float>& weights) {
    const double limit = kTukey * Spread(samples, residuals);
    weights.assign(residuals.size(), 0.0f);
    for (size_t i = 0; i < residuals.size(); ++i) {
        if (samples.state[i] != kUsable) continue;
        const double t = residuals[i] / limit;
        weights[i] = t * t < 1.0 ? static_cast<float>((1.0 - t * t) * (1.0 - t * t)) : 0.0f;
    }
}

// Residuals of the usable points in the reference's grey levels.
void Residuals(const LevelModel& model, const Blend& reference, const Samples& samples,
               const Light& light, std::vector<float>& residuals) {
    residuals.assign(samples.state.size(), 0.0f);
    for (size_t i = 0; i < samples.state.size(); ++i)
        if (samples.state[i] == kUsable)
            residuals[i] = static_cast<float>(light.Normalised(samples.live[i], model.units[i]) -
                                              reference.Value(i));
}

// The light and the weights from nothing: a few rounds of least absolute deviations with one
// gain for all, which a quarter of the picture changed cannot lead astray, then the full light
// with Tukey's weights. False for a flat live picture.
bool SettleLight(const LevelModel& model, const Blend& reference, const Samples& samples,
                 std::vector<float>& weights, Light& light, std::vector<float>& residuals) {
    weights.assign(model.points.size(), 1.0f);
    for (int round = 0; round < 4; ++round) {
        if (!FitLight(model, reference, samples, weights, light, round < 3)) return false;
        Residuals(model, reference, samples, light, residuals);
        if (round == 3) break;
        for (size_t i = 0; i < residuals.size(); ++i)
            weights[i] = 1.0f / std::max(std::abs(residuals[i]), 1.0f);
    }
    RobustWeights(samples, residuals, weights);
    return true;
}

// The warp step of the parameters, as a homography.
cv::Matx33d StepWarp(Motion motion, const double* p) {
    const int count = ParameterCount(motion);
    double q[kMaxParameters] = {};
    std::copy(p, p + count, q);
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
// loosely, is left out: it would keep a well-converged fit going.
double ReadingMove(const cv::Matx33d& step, double perUnit) {
    const double scale = (step(0, 0) + step(1, 1)) / 2.0 - 1.0;
    const double turn = (step(1, 0) - step(0, 1)) / 2.0;
    return (std::hypot(step(0, 2), step(1, 2)) + 0.5 * (std::abs(scale) + std::abs(turn))) *
           perUnit;
}

// A camera turned about its lens, its picture then scaled and turned about the centre, moves
// its picture by H = [[A, t], [p^T, 1]] with A = s R + t p^T / 2 to second order in the turn:
// the stretch and shear of A are fixed by the shift and the perspective. Adds to the normal
// equations a strong pull of the step's stretch and shear (parameters 6 and 7) toward what
// makes the warp so, leaving the other six to the pictures.
constexpr double kTurnHold = 100.0;

template <typename Normal, typename Rhs>
void HoldToTurn(const Warp& warp, Normal& normal, Rhs& rhs) {
    const cv::Matx33d& h = warp.h;
    const cv::Matx22d b(h(0, 0) - 0.5 * h(0, 2) * h(2, 0), h(0, 1) - 0.5 * h(0, 2) * h(2, 1),
                        h(1, 0) - 0.5 * h(1, 2) * h(2, 0), h(1, 1) - 0.5 * h(1, 2) * h(2, 1));
    // b less its similarity part: its stretch along x against y, and its shear.
    const double stretch = (b(0, 0) - b(1, 1)) / 2.0;
    const double shear = (b(0, 1) + b(1, 0)) / 2.0;
    const double hold = kTurnHold * std::max({normal(6, 6), normal(7, 7), 1e-9});
    normal(6, 6) += hold;
    normal(7, 7) += hold;
    // A step of (c, d) takes about (c, d) off the warp's stretch and shear.
    rhs[6] += hold * stretch;
    rhs[7] += hold * shear;
}

FitFailure Shortage(const LevelModel& model, const Samples& samples) {
    const int needed = std::max(12, static_cast<int>(model.points.size()) / 4);
    if (samples.usable >= needed) return FitFailure::None;
    return samples.clipped > samples.outside ? FitFailure::Clipped : FitFailure::Outside;
}

}  // namespace

RefineResult Refine(const LevelModel& model, const cv::Mat& live, Warp& warp, double& blur,
                    int maxIterations, double stopShift) {
    RefineResult result;
    const int parameters = ParameterCount(model.motion);
    const bool fitBlur = model.steps.size() > 1;
    const int unknowns = parameters + (fitBlur ? 1 : 0);
    const double lastStep = static_cast<double>(model.steps.size() - 1);
    const double perUnit = kUnit * LevelScale(model.level);
    Samples samples;
    std::vector<float> weights(model.points.size(), 1.0f), residuals;
    Light light;
    for (; result.iterations < maxIterations; ++result.iterations) {
        SampleMoved(model, live, warp, samples);
        if ((result.failure = Shortage(model, samples)) != FitFailure::None) return result;
        const Blend reference(model, blur);
        const bool lit = result.iterations == 0
                             ? SettleLight(model, reference, samples, weights, light, residuals)
                             : FitLight(model, reference, samples, weights, light);
        if (!lit) {
            result.failure = FitFailure::Flat;
            return result;
        }
        if (result.iterations > 0) {
            Residuals(model, reference, samples, light, residuals);
            RobustWeights(samples, residuals, weights);
        }

        cv::Matx<double, kMaxParameters + 1, kMaxParameters + 1> normal;
        cv::Vec<double, kMaxParameters + 1> rhs;
        double row[kMaxParameters + 1];
        for (size_t i = 0; i < samples.state.size(); ++i) {
            if (weights[i] <= 0.0f) continue;
            for (int k = 0; k < parameters; ++k) row[k] = reference.Descent(i, parameters, k);
            if (fitBlur) row[parameters] = reference.Change(i);
            const double w = weights[i];
            for (int a = 0; a < unknowns; ++a) {
                rhs[a] += w * row[a] * residuals[i];
                for (int b = a; b < unknowns; ++b) normal(a, b) += w * row[a] * row[b];
            }
        }
        if (model.motion == Motion::Turn) HoldToTurn(warp, normal, rhs);
        for (int a = unknowns; a <= kMaxParameters; ++a) normal(a, a) = 1.0;
        for (int a = 0; a <= kMaxParameters; ++a)
            for (int b = 0; b < a; ++b) normal(a, b) = normal(b, a);
        cv::Vec<double, kMaxParameters + 1> step;
        if (!cv::solve(normal, rhs, step, cv::DECOMP_CHOLESKY)) {
            result.failure = FitFailure::Singular;
            return result;
        }
        // Inverse composition: warp <- warp o step^-1.
        const cv::Matx33d stepWarp = StepWarp(model.motion, step.val);
        warp.h = warp.h * stepWarp.inv();
        warp.h *= 1.0 / warp.h(2, 2);
        if (fitBlur)
            blur = std::clamp(blur + std::clamp(step[parameters], -1.0, 1.0), 0.0, lastStep);
        if (ReadingMove(stepWarp, perUnit) < stopShift) {
            ++result.iterations;
            break;
        }
    }
    return result;
}

namespace {

// Sums for the correlation of reference values r with live values l.
struct Moments {
    double n = 0, r = 0, l = 0, rr = 0, rl = 0, ll = 0;

    void Add(double vr, double vl) {
        n += 1;
        r += vr;
        l += vl;
        rr += vr * vr;
        rl += vr * vl;
        ll += vl * vl;
    }
    double VarianceR() const { return n > 0 ? (rr - r * r / n) / n : 0.0; }
    double VarianceL() const { return n > 0 ? (ll - l * l / n) / n : 0.0; }
    double Correlation() const {
        const double v = VarianceR() * VarianceL();
        return v > 0.0 ? (rl - r * l / n) / n / std::sqrt(v) : 0.0;
    }
};

// Grey-level variance below which a set of pixels counts as flat. Sensor noise of the full
// picture is about 1.5; three pyramid levels down, where pictures are judged, below 0.1.
constexpr double kFlat = 1.0;
constexpr double kAgrees = 3.0;
constexpr double kMostChanged = 0.35;

}  // namespace

Agreement Judge(const LevelModel& model, const cv::Mat& live, const Warp& warp, double blur) {
    Agreement agreement;
    Samples samples;
    SampleMoved(model, live, warp, samples);
    const double count = static_cast<double>(model.points.size());
    if (count == 0) return agreement;
    agreement.outside = samples.outside / count;
    const int inside = samples.usable + samples.clipped;
    agreement.clipped = inside > 0 ? samples.clipped / static_cast<double>(inside) : 0.0;
    if (samples.usable < std::max(12, static_cast<int>(count) / 4)) return agreement;

    const Blend reference(model, blur);
    std::vector<float> weights, residuals;
    Light light;
    if (!SettleLight(model, reference, samples, weights, light, residuals)) return agreement;
    if (!FitLight(model, reference, samples, weights, light)) return agreement;
    Residuals(model, reference, samples, light, residuals);
    // A point agrees when its residual lies within kAgrees spreads of the residuals: tighter
    // than the fit's weights, so that what changed counts against the agreement.
    const double spread = Spread(samples, residuals);
    const double scale = LevelScale(model.level);
    // A coarse level holds few pixels: half as many regions each way.
    const int across = model.level >= 2 ? kRegionsX / 2 : kRegionsX;
    const int down = model.level >= 2 ? kRegionsY / 2 : kRegionsY;
    std::array<Moments, kRegionsX * kRegionsY> regions, agreeingIn;
    Moments all;
    int agreeing = 0;
    for (size_t i = 0; i < samples.state.size(); ++i) {
        if (samples.state[i] != kUsable) continue;
        const int rx =
            std::min(across - 1, static_cast<int>(model.points[i].x * across / (kWidth * scale)));
        const int ry =
            std::min(down - 1, static_cast<int>(model.points[i].y * down / (kHeight * scale)));
        const double value = light.Normalised(samples.live[i], model.units[i]);
        all.Add(reference.Value(i), samples.live[i]);
        regions[ry * across + rx].Add(reference.Value(i), value);
        if (std::abs(residuals[i]) > kAgrees * spread) continue;
        ++agreeing;
        agreeingIn[ry * across + rx].Add(reference.Value(i), value);
    }
    agreement.share = agreeing / static_cast<double>(samples.usable);
    // A flat live picture matches nothing.
    if (all.VarianceL() < kFlat) return agreement;
    // Regions without shapes of their own, or mostly outside the live picture, say nothing; so
    // do those mostly changed, the points that do not agree being kMostChanged at most. The
    // others are judged on their agreeing points.
    double weakest = agreement.share >= 1.0 - kMostChanged ? 1.0 : 0.0;
    int judged = 0;
    for (int r = 0; r < across * down; ++r) {
        if (agreeingIn[r].n < 15 || agreeingIn[r].n * 2 < regions[r].n ||
            agreeingIn[r].VarianceR() < kFlat)
            continue;
        weakest = std::min(weakest, agreeingIn[r].Correlation());
        ++judged;
    }
    agreement.weakest =
        judged * kRegionsX * kRegionsY >= kMinRegions * across * down ? weakest : 0.0;
    return agreement;
}

}  // namespace alignment
