#include "imaging/alignment_refine.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <opencv2/imgproc.hpp>

#include "imaging/alignment_pictures.h"

namespace alignment {
namespace {

// Bilinear sample of an 8-bit picture; false within border pixels of its edges, where filters
// saw the edge instead of the scene, and where one of the four neighbours is saturated.
inline bool Sample(const cv::Mat& picture, int border, double x, double y, float& value) {
    if (!(x >= border && y >= border && x < picture.cols - 1 - border &&
          y < picture.rows - 1 - border))
        return false;
    const int x0 = static_cast<int>(x);
    const int y0 = static_cast<int>(y);
    const float fx = static_cast<float>(x - x0);
    const float fy = static_cast<float>(y - y0);
    const uchar* top = picture.ptr<uchar>(y0) + x0;
    const uchar* bottom = top + picture.step[0];
    if (std::max({top[0], top[1], bottom[0], bottom[1]}) >= kSaturated) return false;
    const float upper = top[0] + fx * (top[1] - top[0]);
    const float lower = bottom[0] + fx * (bottom[1] - bottom[0]);
    value = upper + fy * (lower - upper);
    return true;
}

// Samples the live picture at every moved point; returns how many fell inside.
int SampleMoved(const LevelModel& model, const cv::Mat& live, const Rigid& motion,
                std::vector<float>& sampled, std::vector<uint8_t>& inside) {
    const double scale = LevelScale(model.level);
    const double cosine = std::cos(motion.angle);
    const double sine = std::sin(motion.angle);
    const double tx = motion.t.x * scale;
    const double ty = motion.t.y * scale;
    const size_t count = model.points.size();
    sampled.resize(count);
    inside.resize(count);
    int found = 0;
    for (size_t i = 0; i < count; ++i) {
        const cv::Point2f p = model.points[i];
        const double x = cosine * p.x - sine * p.y + tx;
        const double y = sine * p.x + cosine * p.y + ty;
        inside[i] = Sample(live, model.border, x, y, sampled[i]) ? 1 : 0;
        found += inside[i];
    }
    return found;
}

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
    // Per-point variances and covariance.
    double VarianceR() const { return n > 0 ? (rr - r * r / n) / n : 0.0; }
    double VarianceL() const { return n > 0 ? (ll - l * l / n) / n : 0.0; }
    double Covariance() const { return n > 0 ? (rl - r * l / n) / n : 0.0; }
    double Correlation() const {
        const double v = VarianceR() * VarianceL();
        return v > 0.0 ? Covariance() / std::sqrt(v) : 0.0;
    }
};

// Grey-level variance below which a set of pixels counts as flat. Sensor noise of the full
// picture is about 1.5; two pyramid levels down, where pictures are judged, about 0.1.
constexpr double kFlat = 1.0;

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
    cv::Vec3f Descent(size_t i) const {
        return lower->descent[i] + share * (upper->descent[i] - lower->descent[i]);
    }
    float Change(size_t i) const { return upper->values[i] - lower->values[i]; }
};

}  // namespace

LevelModel BuildLevelModel(const std::vector<cv::Mat>& steps, size_t chooseOn,
                           const cv::Mat& usable, int level, int border,
                           const PointChoice& choice) {
    LevelModel model;
    model.level = level;
    model.border = border;
    const size_t count = steps.size();
    std::vector<cv::Mat> gx(count), gy(count);
    for (size_t k = 0; k < count; ++k) {
        cv::Scharr(steps[k], gx[k], CV_32F, 1, 0, 1.0 / 32.0);
        cv::Scharr(steps[k], gy[k], CV_32F, 0, 1, 1.0 / 32.0);
    }

    // Cells of the picture inside the border (and one pixel more for the gradient's reach).
    const int margin = border + 1;
    const int width = steps[chooseOn].cols - 2 * margin;
    const int height = steps[chooseOn].rows - 2 * margin;
    struct Candidate {
        float strength;
        int x, y;
    };
    std::vector<Candidate> cell;
    for (int cj = 0; cj < choice.cellsY; ++cj) {
        for (int ci = 0; ci < choice.cellsX; ++ci) {
            cell.clear();
            for (int y = margin + cj * height / choice.cellsY;
                 y < margin + (cj + 1) * height / choice.cellsY; ++y) {
                for (int x = margin + ci * width / choice.cellsX;
                     x < margin + (ci + 1) * width / choice.cellsX; ++x) {
                    if (!usable.empty() && usable.at<uchar>(y, x) == 0) continue;
                    const float dx = gx[chooseOn].at<float>(y, x);
                    const float dy = gy[chooseOn].at<float>(y, x);
                    cell.push_back({dx * dx + dy * dy, x, y});
                }
            }
            const size_t keep = std::min<size_t>(choice.perCell, cell.size());
            std::nth_element(
                cell.begin(), cell.begin() + keep, cell.end(),
                [](const Candidate& a, const Candidate& b) { return a.strength > b.strength; });
            for (size_t i = 0; i < keep; ++i)
                model.points.emplace_back(static_cast<float>(cell[i].x),
                                          static_cast<float>(cell[i].y));
        }
    }

    const double scale = LevelScale(level);
    const cv::Point2d centre = kCentre * scale;
    model.steps.resize(count);
    for (size_t k = 0; k < count; ++k) {
        LevelModel::Step& step = model.steps[k];
        for (const cv::Point2f p : model.points) {
            const int x = static_cast<int>(p.x);
            const int y = static_cast<int>(p.y);
            const float dx = gx[k].at<float>(y, x);
            const float dy = gy[k].at<float>(y, x);
            step.values.push_back(steps[k].at<float>(y, x));
            // d/d(angle) of a turn about the centre moves p by (-(y - cy), x - cx).
            step.descent.emplace_back(
                dx, dy, static_cast<float>(-dx * (y - centre.y) + dy * (x - centre.x)));
        }
    }
    return model;
}

RefineResult Refine(const LevelModel& model, const cv::Mat& live, Rigid& motion, double& blur,
                    int maxIterations, double stopShift) {
    RefineResult result;
    const double scale = LevelScale(model.level);
    const cv::Point2d centre = kCentre * scale;
    const bool fitBlur = model.steps.size() > 1;
    const int unknowns = fitBlur ? 4 : 3;
    const double lastStep = static_cast<double>(model.steps.size() - 1);
    std::vector<float> sampled;
    std::vector<uint8_t> inside;
    for (; result.iterations < maxIterations; ++result.iterations) {
        const int found = SampleMoved(model, live, motion, sampled, inside);
        if (found < static_cast<int>(model.points.size()) / 4 || found < 12) return result;
        const Blend reference(model, blur);

        // The gain and black level that map the reference onto the live picture.
        Moments moments;
        for (size_t i = 0; i < sampled.size(); ++i)
            if (inside[i]) moments.Add(reference.Value(i), sampled[i]);
        // A flat live picture (black, white, lens cap) has nothing to fit.
        if (moments.VarianceR() <= 0.0 || moments.VarianceL() < 1e-3) return result;
        const double gain = moments.Covariance() / moments.VarianceR();
        if (!(gain > 1e-3)) return result;
        const double offset = (moments.l - gain * moments.r) / moments.n;

        cv::Matx44d normal = cv::Matx44d::zeros();
        cv::Vec4d rhs(0, 0, 0, 0);
        for (size_t i = 0; i < sampled.size(); ++i) {
            if (!inside[i]) continue;
            const double error = (sampled[i] - offset) / gain - reference.Value(i);
            const cv::Vec3f descent = reference.Descent(i);
            const cv::Vec4d row(descent[0], descent[1], descent[2],
                                fitBlur ? reference.Change(i) : 0.0f);
            for (int a = 0; a < unknowns; ++a) {
                rhs[a] += row[a] * error;
                for (int b = a; b < unknowns; ++b) normal(a, b) += row[a] * row[b];
            }
        }
        if (!fitBlur) normal(3, 3) = 1.0;
        for (int a = 0; a < 4; ++a)
            for (int b = 0; b < a; ++b) normal(a, b) = normal(b, a);
        cv::Vec4d step;
        if (!cv::solve(normal, rhs, step, cv::DECOMP_CHOLESKY)) return result;

        // Inverse composition: motion <- motion o turn^-1, with turn a rotation about the
        // level's centre by step[2] followed by the shift (step[0], step[1]).
        const Rigid rotation{step[2], {0.0, 0.0}};
        const cv::Point2d turnShift =
            centre + cv::Point2d(step[0], step[1]) - rotation.Apply(centre);
        motion.angle -= step[2];
        motion.t -= Rigid{motion.angle, {0.0, 0.0}}.Apply(turnShift) / scale;
        if (fitBlur) blur = std::clamp(blur + std::clamp(step[3], -1.0, 1.0), 0.0, lastStep);

        const double moved = std::hypot(step[0], step[1]) + std::abs(step[2]) * centre.x;
        if (moved < stopShift) {
            ++result.iterations;
            break;
        }
    }
    result.ok = true;
    return result;
}

double WeakestRegion(const LevelModel& model, const cv::Mat& live, const Rigid& motion,
                     double blur) {
    std::vector<float> sampled;
    std::vector<uint8_t> inside;
    const int found = SampleMoved(model, live, motion, sampled, inside);
    if (found * 2 < static_cast<int>(model.points.size()) || found < 12) return 0.0;
    const double scale = LevelScale(model.level);
    const Blend reference(model, blur);
    std::array<Moments, kRegionsX * kRegionsY> regions;
    Moments all;
    for (size_t i = 0; i < sampled.size(); ++i) {
        if (!inside[i]) continue;
        const int rx = std::min(kRegionsX - 1,
                                static_cast<int>(model.points[i].x * kRegionsX / (kWidth * scale)));
        const int ry = std::min(
            kRegionsY - 1, static_cast<int>(model.points[i].y * kRegionsY / (kHeight * scale)));
        regions[ry * kRegionsX + rx].Add(reference.Value(i), sampled[i]);
        all.Add(reference.Value(i), sampled[i]);
    }
    // A flat live picture matches nothing.
    if (all.VarianceL() < kFlat) return 0.0;
    double weakest = 1.0;
    int judged = 0;
    for (const Moments& region : regions) {
        // Regions without shapes of their own, or mostly outside the live picture, say nothing.
        if (region.n < 50 || region.VarianceR() < kFlat) continue;
        weakest = std::min(weakest, region.Correlation());
        ++judged;
    }
    return judged >= kMinRegions ? weakest : 0.0;
}

}  // namespace alignment
