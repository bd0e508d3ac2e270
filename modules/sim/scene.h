// Renders what each of the four camera positions sees: the scene behind the simulated cameras
// and, at build time, behind the built-in reference pictures.
//
// Images are 640 x 480, row by row from the top row, without padding. The renderer is
// deterministic: the same arguments give the same pixels on every run.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace vantrel::sim {

inline constexpr int kWidth = 640;
inline constexpr int kHeight = 480;
inline constexpr int kPixels = kWidth * kHeight;

// Light reaching the sensor, expressed in the grey levels of a frame taken at the nominal
// exposure with unit gain and no black level. The nominal picture is dim: most of it lies
// between 10 and 60, the bright parts below 240.
using Radiance = std::vector<float>;

// The sharp scene as seen from camera position slot: 0 right-handed side camera, 1 left-handed
// side, 2 right-handed top, 3 left-handed top. The side cameras look at a dark mat with a small
// bright spot on it; the top cameras at a board with two bright panels and a grid of triangular
// marks. The left-handed pair is the right-handed pair mirrored left-right. Any other slot
// gives an empty image.
Radiance RenderRadiance(int slot);

// Gaussian blur with standard deviation sigma pixels, in place; pixels beyond the border repeat
// the edge. sigma <= 0 leaves the image unchanged. image holds kPixels values.
void Defocus(std::span<float> image, float sigma);

// How a camera is mounted relative to the one that took its reference picture: turned on its
// mount about its lens (pan, tilt, roll) and perhaps a little nearer or farther. The pose is
// given by what the picture shows, with c = (319.5, 239.5) the centre of the picture, x right,
// y down:
// - (dx, dy): pixels by which the point of the reference at c moves (the pan and tilt that
//   bring it there, for a lens of focal length kFocalLength);
// - angle: degrees by which the picture turns there, positive clockwise on the screen (roll);
// - scale: how much larger the picture shows things (1.02: 2 % nearer).
// The picture changes by the homography of that turn, H = C S Rz K R0 K^-1 C^-1, not by a slide.
struct Pose {
    float dx = 0.0f;     // pixels, positive to the right
    float dy = 0.0f;     // pixels, positive downward
    float angle = 0.0f;  // degrees, positive clockwise on the screen
    float scale = 1.0f;  // ratio

    bool operator==(const Pose&) const = default;
    bool IsIdentity() const { return *this == Pose{}; }
};

// The simulated lens: 60 degrees across the 640 pixels of the picture, f = 320 / tan(30 deg).
inline constexpr double kFocalLength = 554.2563;

// The homography, row by row, that takes a pixel of the reference picture to where a camera
// mounted at pose with a lens of focal length focal (pixels) shows it.
std::array<double, 9> PoseHomography(const Pose& pose, double focal = kFocalLength);

// The sharp scene as a camera mounted at pose sees it, with bicubic interpolation. Beyond the
// rendered scene the camera sees the scene mirrored at its edges, so no border shows. The
// identity pose leaves the image untouched. image holds kPixels values.
void Place(Radiance& image, const Pose& pose);

struct FrameSettings {
    float brightness = 1.0f;  // exposure times gain, relative to the nominal picture
    float blackLevel = 2.0f;  // grey levels added to every pixel, after brightness
    float defocus = 0.0f;     // blur, standard deviation in pixels
    float noise = 0.0f;       // sensor noise, standard deviation in grey levels
    uint32_t seed = 0;        // seeds the noise
    Pose pose = {};           // the camera's mounting, applied to the sharp scene
};

// One complete 8-bit frame: the scene of slot, placed by the pose, defocused, scaled by
// brightness, offset by the black level, with noise added, rounded and clipped to 0..255.
// Returns false, writing nothing, for a bad slot or an out shorter than kPixels.
bool RenderFrame(int slot, const FrameSettings& settings, std::span<uint8_t> out);

// The built-in reference picture of slot, as the program carries it: what a perfectly aligned
// and focused camera sees, dim, with a little sensor noise. Fails like RenderFrame.
bool RenderReference(int slot, std::span<uint8_t> out);

}  // namespace vantrel::sim
