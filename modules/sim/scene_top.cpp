#include "sim/paint.h"
#include "sim/scenes.h"

namespace vantrel::sim {
namespace {

using paint::At;

struct Box {
    float left, top, right, bottom;

    bool Near(float x, float y, float margin) const {
        return x > left - margin && x < right + margin && y > top - margin && y < bottom + margin;
    }
};

constexpr Box kBoard{26.0f, 34.0f, 604.0f, 448.0f};
constexpr Box kPanels[] = {{72.0f, 84.0f, 262.0f, 176.0f}, {352.0f, 300.0f, 556.0f, 408.0f}};
constexpr float kScreenEdge = 610.0f;

void PaintBoard(Radiance& image) {
    paint::FillRect(image, kBoard.left - 2.0f, kBoard.top - 2.0f, kBoard.right + 2.0f,
                    kBoard.bottom + 2.0f, 52.0f);
    for (int y = static_cast<int>(kBoard.top); y < kBoard.bottom; ++y) {
        for (int x = static_cast<int>(kBoard.left); x < kBoard.right; ++x) {
            // Long grain along the board.
            const float grain = paint::Fractal(x / 160.0f, y / 18.0f, 4, 41);
            At(image, x, y) = 36.0f + 8.0f * grain + 1.5f * paint::Grain(x, y, 42);
        }
    }
}

void PaintMarks(Radiance& image) {
    for (int row = 0; row < 6; ++row) {
        for (int column = 0; column < 8; ++column) {
            const float cx = 70.0f + 70.0f * column;
            const float cy = 72.0f + 68.0f * row;
            bool covered = false;
            for (const Box& panel : kPanels) covered = covered || panel.Near(cx, cy, 16.0f);
            if (covered) continue;
            // Each mark points toward the screen.
            const paint::Point triangle[] = {
                {cx - 7.0f, cy - 8.0f}, {cx + 8.0f, cy}, {cx - 7.0f, cy + 8.0f}};
            paint::FillConvex(image, triangle, 11.0f);
        }
    }
}

}  // namespace

Radiance RenderTopView() {
    Radiance image(kPixels);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            At(image, x, y) =
                8.0f + 5.0f * paint::Fractal(x / 80.0f, y / 80.0f, 3, 51) + paint::Grain(x, y, 52);
        }
    }
    PaintBoard(image);
    for (const Box& panel : kPanels) {
        paint::FillRect(image, panel.left, panel.top, panel.right, panel.bottom, 172.0f);
    }
    PaintMarks(image);

    paint::FillRect(image, kScreenEdge - 5.0f, 0.0f, kScreenEdge, kHeight, 6.0f);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = static_cast<int>(kScreenEdge); x < kWidth; ++x) {
            At(image, x, y) = 60.0f + 8.0f * paint::Fractal(x / 40.0f, y / 160.0f, 2, 61);
        }
    }

    // Uneven room light and the lens fall-off.
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const float light = 0.88f + 0.24f * paint::Fractal(x / 320.0f, y / 320.0f, 2, 71);
            At(image, x, y) *= light * paint::Vignette(x, y, 0.35f);
        }
    }
    return image;
}

}  // namespace vantrel::sim
