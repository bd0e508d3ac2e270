// The reference side of a level's fit: which points, and their steepest-descent rows.
#include <algorithm>
#include <opencv2/imgproc.hpp>

#include "imaging/alignment_refine.h"

namespace alignment {
namespace {

// The strongest-gradient usable pixels of each cell.
std::vector<cv::Point2f> ChoosePoints(const cv::Mat& gx, const cv::Mat& gy, const cv::Mat& usable,
                                      int border, const PointChoice& choice) {
    // Cells of the picture inside the border (and one pixel more for the gradient's reach).
    const int margin = border + 1;
    const int width = gx.cols - 2 * margin;
    const int height = gx.rows - 2 * margin;
    struct Candidate {
        float strength;
        int x, y;
    };
    std::vector<Candidate> cell;
    std::vector<cv::Point2f> points;
    for (int cj = 0; cj < choice.cellsY; ++cj) {
        for (int ci = 0; ci < choice.cellsX; ++ci) {
            cell.clear();
            for (int y = margin + cj * height / choice.cellsY;
                 y < margin + (cj + 1) * height / choice.cellsY; ++y) {
                for (int x = margin + ci * width / choice.cellsX;
                     x < margin + (ci + 1) * width / choice.cellsX; ++x) {
                    if (!usable.empty() && usable.at<uchar>(y, x) == 0) continue;
                    const float dx = gx.at<float>(y, x);
                    const float dy = gy.at<float>(y, x);
                    cell.push_back({dx * dx + dy * dy, x, y});
                }
            }
            const size_t keep = std::min<size_t>(choice.perCell, cell.size());
            std::nth_element(
                cell.begin(), cell.begin() + keep, cell.end(),
                [](const Candidate& a, const Candidate& b) { return a.strength > b.strength; });
            for (size_t i = 0; i < keep; ++i)
                points.emplace_back(static_cast<float>(cell[i].x), static_cast<float>(cell[i].y));
        }
    }
    return points;
}

// The gradient (level pixels) times the derivative of the warp at the identity, per parameter.
// Similarity: (tx, ty, a, b) for [[1 + a, -b, tx], [b, 1 + a, ty], [0, 0, 1]]; perspective adds
// (p, q) for the bottom row [p, q, 1].
void AddDescent(Motion motion, double gx, double gy, cv::Point2d u, std::vector<float>& out) {
    const double radial = gx * u.x + gy * u.y;
    // Homography adds (c, d) for [[1 + a + c, -b + d, tx], [b + d, 1 + a - c, ty], [p, q, 1]].
    const double row[8] = {gx,
                           gy,
                           radial,
                           -gx * u.y + gy * u.x,
                           -radial * u.x,
                           -radial * u.y,
                           gx * u.x - gy * u.y,
                           gx * u.y + gy * u.x};
    out.insert(out.end(), row, row + ParameterCount(motion));
}

}  // namespace

LevelModel BuildLevelModel(const std::vector<cv::Mat>& steps, size_t chooseOn,
                           const cv::Mat& usable, int level, int border, const PointChoice& choice,
                           Motion motion) {
    LevelModel model;
    model.level = level;
    model.border = border;
    model.motion = motion;
    const size_t count = steps.size();
    std::vector<cv::Mat> gx(count), gy(count);
    for (size_t k = 0; k < count; ++k) {
        cv::Scharr(steps[k], gx[k], CV_32F, 1, 0, 1.0 / 32.0);
        cv::Scharr(steps[k], gy[k], CV_32F, 0, 1, 1.0 / 32.0);
    }
    model.points = ChoosePoints(gx[chooseOn], gy[chooseOn], usable, border, choice);

    const double scale = LevelScale(level);
    // A level pixel moves by unit * scale per unit of u.
    const double perUnit = kUnit * scale;
    for (const cv::Point2f p : model.points)
        model.units.emplace_back(static_cast<float>((p.x / scale - kCentre.x) / kUnit),
                                 static_cast<float>((p.y / scale - kCentre.y) / kUnit));
    model.steps.resize(count);
    for (size_t k = 0; k < count; ++k) {
        LevelModel::Step& step = model.steps[k];
        for (size_t i = 0; i < model.points.size(); ++i) {
            const int x = static_cast<int>(model.points[i].x);
            const int y = static_cast<int>(model.points[i].y);
            step.values.push_back(steps[k].at<float>(y, x));
            AddDescent(motion, gx[k].at<float>(y, x) * perUnit, gy[k].at<float>(y, x) * perUnit,
                       model.units[i], step.descent);
        }
        // Parameter by parameter, so that a fit reads each as one run of memory.
        const size_t points = model.points.size();
        const int parameters = ParameterCount(motion);
        std::vector<float> byParameter(step.descent.size());
        for (size_t i = 0; i < points; ++i)
            for (int p = 0; p < parameters; ++p)
                byParameter[p * points + i] = step.descent[i * parameters + p];
        step.descent = std::move(byParameter);
    }
    return model;
}

namespace {

// Derivative of the warp at u, in u units (the same in pixels, the scale being common).
cv::Matx22d Derivative(const Warp& warp, cv::Point2d u) {
    const cv::Matx33d& h = warp.h;
    const cv::Vec3d q = h * cv::Vec3d(u.x, u.y, 1.0);
    const double w = q[2];
    cv::Matx22d d;
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c) d(r, c) = (h(r, c) * w - q[r] * h(2, c)) / (w * w);
    return d;
}

}  // namespace

WarpReading Read(const Warp& warp) {
    WarpReading reading;
    const cv::Point2d origin(0.0, 0.0);
    reading.shift = warp.ApplyUnit(origin) * kUnit;
    const cv::Matx22d here = Derivative(warp, origin);
    const cv::Matx22d there = Derivative(warp, warp.Inverse().ApplyUnit(origin));
    reading.angle = std::atan2(there(1, 0) - there(0, 1), there(0, 0) + there(1, 1));
    const double area = cv::determinant(here) * cv::determinant(there);
    reading.scale = area > 0.0 ? std::pow(area, 0.25) : 0.0;
    return reading;
}

}  // namespace alignment
