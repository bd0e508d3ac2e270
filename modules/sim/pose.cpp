#include <algorithm>
#include <cmath>
#include <numbers>

#include "sim/scene.h"

namespace vantrel::sim {
namespace {

constexpr double kCentreX = (kWidth - 1) / 2.0;
constexpr double kCentreY = (kHeight - 1) / 2.0;

using Matrix = std::array<double, 9>;

Matrix Multiply(const Matrix& a, const Matrix& b) {
    Matrix c{};
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 3; ++k)
            for (int j = 0; j < 3; ++j) c[r * 3 + j] += a[r * 3 + k] * b[k * 3 + j];
    return c;
}

Matrix Inverse(const Matrix& m) {
    const double a = m[0], b = m[1], c = m[2], d = m[3], e = m[4], f = m[5], g = m[6], h = m[7],
                 i = m[8];
    const double det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    return {(e * i - f * h) / det, (c * h - b * i) / det, (b * f - c * e) / det,
            (f * g - d * i) / det, (a * i - c * g) / det, (c * d - a * f) / det,
            (d * h - e * g) / det, (b * g - a * h) / det, (a * e - b * d) / det};
}

// The turn about an axis in the picture plane that takes the optical axis to direction d, and
// nothing more: it turns the picture not at all at its centre.
Matrix PlainTurn(double dx, double dy, double dz) {
    const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
    const double c = dz / length;
    const double s = std::sqrt(std::max(0.0, 1.0 - c * c));
    const double across = std::hypot(dx, dy);
    if (across == 0.0) return {1, 0, 0, 0, 1, 0, 0, 0, 1};
    const double ax = -dy / across, ay = dx / across;  // z x d, normalised
    // Rodrigues' formula for an axis (ax, ay, 0).
    return {c + ax * ax * (1 - c),
            ax * ay * (1 - c),
            ay * s,
            ax * ay * (1 - c),
            c + ay * ay * (1 - c),
            -ax * s,
            -ay * s,
            ax * s,
            c};
}

}  // namespace

std::array<double, 9> PoseHomography(const Pose& pose, double focal) {
    const double radians = pose.angle * std::numbers::pi / 180.0;
    const double cosine = std::cos(radians), sine = std::sin(radians);
    const double scale = pose.scale > 0.0f ? pose.scale : 1.0;
    // Where the plain turn must bring the centre so that the roll and scale then take it to
    // (dx, dy).
    const double vx = (cosine * pose.dx + sine * pose.dy) / scale;
    const double vy = (-sine * pose.dx + cosine * pose.dy) / scale;
    const Matrix turn = PlainTurn(vx, vy, focal);
    const Matrix lens{focal, 0, 0, 0, focal, 0, 0, 0, 1};
    const Matrix roll{scale * cosine, -scale * sine, 0, scale * sine, scale * cosine, 0, 0, 0, 1};
    const Matrix centre{1, 0, kCentreX, 0, 1, kCentreY, 0, 0, 1};
    Matrix h = Multiply(lens, Multiply(turn, Inverse(lens)));
    h = Multiply(centre, Multiply(roll, Multiply(h, Inverse(centre))));
    for (double& v : h) v /= h[8];
    return h;
}

namespace {

// Keys' cubic convolution weights (a = -1/2) of the four samples around a point t past the
// second of them.
void CubicWeights(float t, float (&w)[4]) {
    const float t2 = t * t;
    const float t3 = t2 * t;
    w[0] = -0.5f * t3 + t2 - 0.5f * t;
    w[1] = 1.5f * t3 - 2.5f * t2 + 1.0f;
    w[2] = -1.5f * t3 + 2.0f * t2 + 0.5f * t;
    w[3] = 0.5f * t3 - 0.5f * t2;
}

// Index i of a row of n pixels, mirrored at the edges (the edge pixel not repeated).
int Mirrored(int i, int n) {
    const int period = 2 * (n - 1);
    i %= period;
    if (i < 0) i += period;
    return i < n ? i : period - i;
}

float Sample(const Radiance& image, float x, float y) {
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    float wx[4], wy[4];
    CubicWeights(x - fx, wx);
    CubicWeights(y - fy, wy);
    const int x0 = static_cast<int>(fx) - 1;
    const int y0 = static_cast<int>(fy) - 1;
    int columns[4];
    for (int i = 0; i < 4; ++i) columns[i] = Mirrored(x0 + i, kWidth);
    float sum = 0.0f;
    for (int j = 0; j < 4; ++j) {
        const float* row = image.data() + Mirrored(y0 + j, kHeight) * kWidth;
        float line = 0.0f;
        for (int i = 0; i < 4; ++i) line += wx[i] * row[columns[i]];
        sum += wy[j] * line;
    }
    return sum;
}

}  // namespace

void Place(Radiance& image, const Pose& pose) {
    if (pose.IsIdentity() || image.size() < static_cast<size_t>(kPixels)) return;
    // Each pixel q of the turned camera's picture shows the scene at H^-1(q).
    const Matrix back = Inverse(PoseHomography(pose));
    const Radiance scene = image;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const double w = back[6] * x + back[7] * y + back[8];
            const double sx = (back[0] * x + back[1] * y + back[2]) / w;
            const double sy = (back[3] * x + back[4] * y + back[5]) / w;
            // Far outside the scene keep the coordinates small.
            image[y * kWidth + x] =
                Sample(scene, static_cast<float>(std::clamp(sx, -2.0 * kWidth, 3.0 * kWidth)),
                       static_cast<float>(std::clamp(sy, -2.0 * kHeight, 3.0 * kHeight)));
        }
    }
}

}  // namespace vantrel::sim
