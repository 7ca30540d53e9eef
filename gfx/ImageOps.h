#pragma once
// The pixel work of the image processor's commands, each on a decoded picture (8-bit RGB
// rows with an optional alpha plane), so that a script can keep its canvas decoded.
#include "archive/Helpers.h"
#include "gfx/JpegPNG.h"

#include <array>
#include <cstdint>

namespace qz {

// Every rounding of the processor goes to the nearest integer with ties to even.
struct THLS {
    double H = 0;
    double L = 0;
    double S = 0;
};

// The 0..240 hue, lightness and saturation of the colour (red, green, blue) and back.
THLS RGBToHLS(int r, int g, int b);
std::array<uint8_t, 3> HLSToRGB(double h, double l, double s);

// Places the rectangle src of picture at (left, top) of canvas with tint weight w, tint colour
// (red, green, blue) and opacity o; the first picture of a script replaces the canvas colours
// instead of blending with them. Pixels outside either picture are left out.
void AddImage(TRGBImage& canvas, const TRGBImage& picture, const TRect& src, int32_t left,
              int32_t top, int w, const std::array<int, 3>& colour, int o, bool first);
void FlipImageHorizontal(TRGBImage& image);
void FlipImageVertical(TRGBImage& image);
// Offsets on the 0..240 scale; all three 0 leave the picture as it is.
void ImageHueChange(TRGBImage& image, int hue, int saturation, int lightness);
void RotateImage(TRGBImage& image, double cx, double cy, double angle);
void ScaleImage(TRGBImage& image, int32_t width, int32_t height);
// Pixels of the rectangle that lie outside the picture come out black and transparent.
void CropImage(TRGBImage& image, int32_t left, int32_t top, int32_t width, int32_t height);

} // namespace qz
