// How well a live picture agrees with a level's model once aligned: the confidence and the
// share of the picture that has not changed.
#include <algorithm>
#include <array>
#include <cmath>

#include "imaging/alignment_fit.h"
#include "imaging/alignment_refine.h"

namespace alignment {
namespace {

using namespace fit;

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
// Fewer agreeing points than this in a region say nothing about it.
constexpr double kFewest = 15;

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
    // Two views. Weakest: among regions with shapes of their own and mostly agreeing points,
    // the lowest correlation of those points; none if more than kMostChanged of the points
    // disagree. Well: of the points in regions with shapes, those agreeing in a region that
    // correlates well.
    double weakest = agreement.share >= 1.0 - kMostChanged ? 1.0 : 0.0;
    double shaped = 0.0, well = 0.0;
    int judgedWeakest = 0, judgedWell = 0;
    for (int r = 0; r < across * down; ++r) {
        if (regions[r].n >= kFewest && regions[r].VarianceR() >= kFlat) {
            shaped += regions[r].n;
            ++judgedWell;
            if (agreeingIn[r].n >= kFewest && agreeingIn[r].Correlation() >= kWellCorrelated)
                well += agreeingIn[r].n;
        }
        if (agreeingIn[r].n < kFewest || agreeingIn[r].n * 2 < regions[r].n ||
            agreeingIn[r].VarianceR() < kFlat)
            continue;
        weakest = std::min(weakest, agreeingIn[r].Correlation());
        ++judgedWeakest;
    }
    const auto enough = [&](int judged) {
        return judged * kRegionsX * kRegionsY >= kMinRegions * across * down;
    };
    if (enough(judgedWeakest)) agreement.weakest = weakest;
    if (enough(judgedWell)) agreement.well = well / shaped;
    return agreement;
}
}  // namespace alignment
