// How well a live picture agrees with a level's model once aligned: the confidence and the
// share of the picture that has not changed.
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "imaging/alignment_fit.h"
#include "imaging/alignment_refine.h"

namespace alignment {
namespace {

using namespace fit;

// Sums for the correlation of reference values r with live values l.
struct Moments {
    double n = 0, r = 0, l = 0, rr = 0, rl = 0, ll = 0;

    void Add(const Moments& o) {
        n += o.n;
        r += o.r;
        l += o.l;
        rr += o.rr;
        rl += o.rl;
        ll += o.ll;
    }
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
// Fewer agreeing points than this in a region say nothing about it.
constexpr double kFewest = 15;

using RegionGrid = std::array<Moments, kRegionsX * kRegionsY>;

// The regions of grid merged `by` x `by`.
RegionGrid Merged(const RegionGrid& grid, int by) {
    RegionGrid merged;
    const int across = kRegionsX / by;
    for (int y = 0; y < kRegionsY; ++y)
        for (int x = 0; x < kRegionsX; ++x)
            merged[(y / by) * across + x / by].Add(grid[y * kRegionsX + x]);
    return merged;
}

// A region says something when either picture has shapes there: regions without shapes in
// either say nothing; shapes only the live picture shows (a person before a plain wall, an edge
// where the reference has none) count against the agreement.
bool Shaped(const Moments& region, double liveFlat) {
    return region.n >= kFewest && (region.VarianceR() >= kFlat || region.VarianceL() >= liveFlat);
}

// A region's agreeing points correlate well.
bool Well(const Moments& agreeing) {
    return agreeing.n >= kFewest && agreeing.Correlation() >= kWellCorrelated;
}

// Of the points in shaped regions, the share agreeing in regions that correlate well; 0 when too
// few regions have shapes.
double WellShare(const RegionGrid& regions, const RegionGrid& agreeingIn, int count,
                 double liveFlat) {
    double shaped = 0.0, well = 0.0;
    int judged = 0;
    for (int r = 0; r < count; ++r) {
        if (!Shaped(regions[r], liveFlat)) continue;
        shaped += regions[r].n;
        ++judged;
        if (Well(agreeingIn[r])) well += agreeingIn[r].n;
    }
    return judged * kRegionsX * kRegionsY >= kMinRegions * count ? well / shaped : 0.0;
}

// Of the regions that disagree, at least kFewestChanged, and at least kOnePlace of them touching
// one another (side or corner), make one place; of the shaped regions that agree, at least
// kRestAgrees of their points must. A region or two that disagree do not explain a low
// agreement: the rest then agrees too little.
constexpr int kFewestChanged = 3;
constexpr double kOnePlace = 0.8;
constexpr double kRestAgrees = 0.9;

bool OnePlace(const RegionGrid& regions, const RegionGrid& agreeingIn, double liveFlat) {
    std::array<bool, kRegionsX * kRegionsY> changed{};
    int count = 0;
    double rest = 0.0, restAgreeing = 0.0;
    for (int r = 0; r < kRegionsX * kRegionsY; ++r) {
        if (!Shaped(regions[r], liveFlat)) continue;
        if (!Well(agreeingIn[r]) || agreeingIn[r].n < 0.5 * regions[r].n) {
            changed[r] = true;
            ++count;
        } else {
            rest += regions[r].n;
            restAgreeing += agreeingIn[r].n;
        }
    }
    if (count < kFewestChanged || rest == 0.0 || restAgreeing < kRestAgrees * rest) return false;
    // The largest group of touching changed regions.
    std::array<bool, kRegionsX * kRegionsY> seen{};
    std::vector<int> stack;
    int largest = 0;
    for (int first = 0; first < kRegionsX * kRegionsY; ++first) {
        if (!changed[first] || seen[first]) continue;
        int size = 0;
        seen[first] = true;
        stack.assign(1, first);
        while (!stack.empty()) {
            const int r = stack.back();
            stack.pop_back();
            ++size;
            const int x = r % kRegionsX, y = r / kRegionsX;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= kRegionsX || ny >= kRegionsY) continue;
                    const int n = ny * kRegionsX + nx;
                    if (changed[n] && !seen[n]) {
                        seen[n] = true;
                        stack.push_back(n);
                    }
                }
        }
        largest = std::max(largest, size);
    }
    return largest >= kOnePlace * count;
}

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
    RegionGrid regions, agreeingIn;
    Moments all;
    int agreeing = 0;
    for (size_t i = 0; i < samples.state.size(); ++i) {
        if (samples.state[i] != kUsable) continue;
        const int rx = std::min(kRegionsX - 1,
                                static_cast<int>(model.points[i].x * kRegionsX / (kWidth * scale)));
        const int ry = std::min(
            kRegionsY - 1, static_cast<int>(model.points[i].y * kRegionsY / (kHeight * scale)));
        const double value = light.Normalised(samples.live[i], model.units[i]);
        all.Add(reference.Value(i), samples.live[i]);
        regions[ry * kRegionsX + rx].Add(reference.Value(i), value);
        if (std::abs(residuals[i]) > kAgrees * spread) continue;
        ++agreeing;
        agreeingIn[ry * kRegionsX + rx].Add(reference.Value(i), value);
    }
    agreement.share = agreeing / static_cast<double>(samples.usable);
    // A flat live picture matches nothing.
    if (all.VarianceL() < kFlat) return agreement;
    const double liveFlat = kFlat + 4.0 * spread * spread;
    agreement.wellSmall = WellShare(regions, agreeingIn, kRegionsX * kRegionsY, liveFlat);
    agreement.onePlace = OnePlace(regions, agreeingIn, liveFlat);
    // A coarse level holds few pixels: its regions are also judged merged 2 x 2.
    agreement.well = model.level >= 2 ? WellShare(Merged(regions, 2), Merged(agreeingIn, 2),
                                                  kRegionsX * kRegionsY / 4, liveFlat)
                                      : agreement.wellSmall;
    return agreement;
}
}  // namespace alignment
