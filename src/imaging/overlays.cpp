// The alignment overlays drawn into the working image: centre guide with the SCREEN marker, the
// 5 x 5 grid and the focus marker with its value.
#include <opencv2/imgproc/imgproc_c.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "imaging/focus.h"
#include "imaging/frame_grabber.h"

namespace {

const CvScalar kWhite = cvScalar(255, 255, 255, 0);
const CvScalar kBlack = cvScalar(0, 0, 0, 0);
constexpr int kLineType = 8;

void Line(IplImage* frame, CvPoint from, CvPoint to, CvScalar colour, int thickness) {
    cvLine(frame, from, to, colour, thickness, kLineType, 0);
}

// The focus point is never clamped, so marker coordinates saturate instead of overflowing; a
// point that far away is off the picture either way.
int Offset(int value, int delta) {
    const int64_t sum = int64_t{value} + delta;
    return static_cast<int>(std::clamp<int64_t>(sum, INT_MIN, INT_MAX));
}

CvPoint At(CvPoint centre, int dx, int dy) {
    return cvPoint(Offset(centre.x, dx), Offset(centre.y, dy));
}

void DrawScreenMarker(IplImage* frame, int leftHanded) {
    CvFont font;
    cvInitFont(&font, CV_FONT_HERSHEY_PLAIN, 3.0, 3.0, 0.0, 1, kLineType);
    const int x = leftHanded == 0 ? 610 : 1;
    static constexpr const char* kLetters[] = {"S", "C", "R", "E", "E", "N"};
    int y = 120;
    for (const char* letter : kLetters) {
        cvPutText(frame, letter, cvPoint(x, y), &font, kWhite);
        y += 50;
    }
}

// A short tick, white with a black outline.
void DrawTick(IplImage* frame, CvPoint from, CvPoint to) {
    Line(frame, from, to, kBlack, 3);
    Line(frame, from, to, kWhite, 1);
}

void DrawFocusValue(IplImage* frame) {
    CvFont font;
    cvInitFont(&font, CV_FONT_HERSHEY_PLAIN, 2.5, 2.0, 0.0, 1, kLineType);
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(g_focusFit.a));

    const CvPoint origin = cvPoint(30, 25);
    font.thickness = 4;
    cvPutText(frame, text, origin, &font, kBlack);
    font.thickness = 2;
    cvPutText(frame, text, origin, &font, kWhite);
}

}  // namespace

namespace {

// The centre guide and the grid are white and depend only on the picture's geometry (and the
// handedness), so the pixels they paint are found once, by drawing them onto a blank picture
// of the same geometry, and afterwards painted from that list: the same pixels, without
// running OpenCV's line and text rasterisers at every grab.
struct PaintedRun {
    int offset;  // bytes from imageData
    int length;  // pixels in a row
};

struct Geometry {
    int width, height, widthStep;
    bool operator==(const Geometry&) const = default;
};

struct PaintedOverlay {
    Geometry geometry{};  // of the list; none before the first, as no paintable picture is empty
    std::vector<PaintedRun> runs;
};

// Only whole one-channel 8-bit pictures are painted from a list; anything else is drawn.
bool Paintable(const IplImage* frame) {
    return frame && frame->nChannels == 1 && frame->depth == IPL_DEPTH_8U && !frame->roi &&
           frame->imageData && frame->width > 0 && frame->height > 0;
}

template <typename Draw>
void Record(PaintedOverlay& overlay, const Geometry& geometry, Draw draw) {
    overlay.runs.clear();
    IplImage* blank = cvCreateImageHeader(cvSize(geometry.width, geometry.height), IPL_DEPTH_8U, 1);
    std::vector<uint8_t> pixels(static_cast<size_t>(geometry.widthStep) * geometry.height, 0);
    cvSetData(blank, pixels.data(), geometry.widthStep);
    draw(blank);
    cvReleaseImageHeader(&blank);
    for (int y = 0; y < geometry.height; ++y) {
        const uint8_t* row = pixels.data() + static_cast<size_t>(y) * geometry.widthStep;
        for (int x = 0; x < geometry.width;) {
            if (!row[x]) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < geometry.width && row[x]) ++x;
            overlay.runs.push_back({y * geometry.widthStep + start, x - start});
        }
    }
    overlay.geometry = geometry;
}

template <typename Draw>
void PaintWhite(IplImage* frame, PaintedOverlay& overlay, Draw draw) {
    if (!Paintable(frame)) {
        draw(frame);
        return;
    }
    const Geometry geometry{frame->width, frame->height, frame->widthStep};
    if (!(overlay.geometry == geometry)) Record(overlay, geometry, draw);
    auto* data = reinterpret_cast<uint8_t*>(frame->imageData);
    for (const PaintedRun& run : overlay.runs) std::fill_n(data + run.offset, run.length, 255);
}

PaintedOverlay g_centreGuide[2];  // right-handed, left-handed
PaintedOverlay g_grid;

}  // namespace

void DrawCenterGuideDirect(IplImage* frame, int leftHanded) {
    const int w = frame->width;
    const int h = frame->height;
    Line(frame, cvPoint(0, h / 2 - 12), cvPoint(w, h / 2 - 12), kWhite, 1);
    Line(frame, cvPoint(0, h / 2 + 12), cvPoint(w, h / 2 + 12), kWhite, 1);
    Line(frame, cvPoint(30, 0), cvPoint(30, h), kWhite, 1);
    Line(frame, cvPoint(w - 30, 0), cvPoint(w - 30, h), kWhite, 1);
    DrawScreenMarker(frame, leftHanded);
}

void DrawGridDirect(IplImage* frame) {
    const int w = frame->width;
    const int h = frame->height;
    const int sx = w / 5;
    const int sy = h / 5;
    for (int k = 0; k < 5; ++k) {
        Line(frame, cvPoint(k * sx, 0), cvPoint(k * sx, h), kWhite, 1);
        Line(frame, cvPoint(0, k * sy), cvPoint(w, k * sy), kWhite, 1);
    }
}

void DrawCenterGuide(IplImage* frame, int leftHanded) {
    const int hand = leftHanded == 0 ? 0 : 1;
    PaintWhite(frame, g_centreGuide[hand],
               [hand](IplImage* image) { DrawCenterGuideDirect(image, hand); });
}

void DrawGrid(IplImage* frame) {
    PaintWhite(frame, g_grid, [](IplImage* image) { DrawGridDirect(image); });
}

void DrawFocusMarker(IplImage* frame) {
    MeasureFocus(frame);

    const CvPoint focus = g_ptFocus;
    DrawTick(frame, At(focus, -5, -40), At(focus, 5, -40));
    DrawTick(frame, At(focus, -5, 40), At(focus, 5, 40));
    DrawTick(frame, At(focus, -40, -5), At(focus, -40, 5));
    DrawTick(frame, At(focus, 40, 5), At(focus, 40, -5));
    cvCircle(frame, focus, 6, kBlack, 2, kLineType, 0);

    DrawFocusValue(frame);
}
