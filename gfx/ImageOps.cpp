#include "gfx/ImageOps.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace qz {

namespace {

uint8_t ClampByte(double value) {
    return uint8_t(std::clamp(std::nearbyint(value), 0.0, 255.0));
}

double Wrap240(double h) {
    if (h < 0)
        h += 240;
    else if (h > 240)
        h -= 240;
    return h;
}

// Channels of the point (x, y) from its four neighbours; the right and lower neighbour repeat
// the edge pixel at the last column and row.
void SampleBilinear(const TRGBImage& image, double x, double y, uint8_t* rgb, uint8_t* alpha) {
    const int32_t x0 = std::clamp(int32_t(std::floor(x)), 0, image.Width - 1);
    const int32_t y0 = std::clamp(int32_t(std::floor(y)), 0, image.Height - 1);
    const int32_t x1 = std::min(x0 + 1, image.Width - 1);
    const int32_t y1 = std::min(y0 + 1, image.Height - 1);
    const double fx = x - x0;
    const double fy = y - y0;
    const double w00 = (1 - fx) * (1 - fy);
    const double w10 = fx * (1 - fy);
    const double w01 = (1 - fx) * fy;
    const double w11 = fx * fy;
    const uint8_t* p00 = image.Pixel(x0, y0);
    const uint8_t* p10 = image.Pixel(x1, y0);
    const uint8_t* p01 = image.Pixel(x0, y1);
    const uint8_t* p11 = image.Pixel(x1, y1);
    for (int k = 0; k < 3; ++k)
        rgb[k] = ClampByte(w00 * p00[k] + w10 * p10[k] + w01 * p01[k] + w11 * p11[k]);
    if (alpha) {
        const auto a = [&](int32_t px, int32_t py) {
            return double(image.Alpha[size_t(py) * image.Width + px]);
        };
        *alpha = ClampByte(w00 * a(x0, y0) + w10 * a(x1, y0) + w01 * a(x0, y1) + w11 * a(x1, y1));
    }
}

// Source coordinates that land within rounding noise of a whole pixel count as that pixel,
// so that a quarter turn maps the grid onto itself.
double Snap(double value) {
    const double nearest = std::nearbyint(value);
    return std::abs(value - nearest) < 1e-9 ? nearest : value;
}

// For the shrinking resample: the source indexes that fall on each destination index, with
// their weights n(|i * scale - n(i * scale)| * 100), zero weights replaced by zeroWeight.
struct TTap {
    int32_t Index;
    int32_t Weight;
};

std::vector<std::vector<TTap>> ShrinkTaps(int32_t from, int32_t to, int32_t zeroWeight) {
    std::vector<std::vector<TTap>> taps(static_cast<size_t>(to));
    const double scale = double(to) / double(from);
    for (int32_t i = 0; i < from; ++i) {
        const double position = i * scale;
        const double nearest = std::nearbyint(position);
        if (nearest < 0 || nearest >= to)
            continue;
        int32_t weight = int32_t(std::nearbyint(std::abs(position - nearest) * 100));
        if (weight == 0)
            weight = zeroWeight;
        taps[size_t(nearest)].push_back({i, weight});
    }
    return taps;
}

} // namespace

THLS RGBToHLS(int r, int g, int b) {
    const double mx = std::max({r, g, b});
    const double mn = std::min({r, g, b});
    THLS hls;
    hls.L = std::nearbyint(((mx + mn) * 240 + 255) / 510);
    if (mx == mn) {
        hls.S = 0;
        hls.H = 160;
    } else {
        if (hls.L <= 120)
            hls.S = std::nearbyint(((mx - mn) * 240 + (mx + mn) / 2) / (mx + mn));
        else
            hls.S = std::nearbyint(((mx - mn) * 240 + (510 - mx - mn) / 2) / (510 - mx - mn));
        const auto delta = [&](double x) { return ((mx - x) * 40 + (mx - mn) / 2) / (mx - mn); };
        if (r == mx)
            hls.H = delta(b) - delta(g);
        else if (g == mx)
            hls.H = 80 + delta(r) - delta(b);
        else
            hls.H = 160 + delta(g) - delta(r);
        hls.H = Wrap240(hls.H);
    }
    hls.S = std::clamp(hls.S, 0.0, 240.0);
    hls.L = std::clamp(hls.L, 0.0, 240.0);
    return hls;
}

std::array<uint8_t, 3> HLSToRGB(double h, double l, double s) {
    if (s == 0) {
        const uint8_t grey = ClampByte(l * 255 / 240);
        return {grey, grey, grey};
    }
    const double m2 = l <= 120 ? (l * (240 + s) + 120) / 240 : l + s - (l * s + 120) / 240;
    const double m1 = 2 * l - m2;
    const auto f = [&](double hue) {
        hue = Wrap240(hue);
        if (hue < 40)
            return m1 + ((m2 - m1) * hue + 20) / 40;
        if (hue < 120)
            return m2;
        if (hue < 160)
            return m1 + ((m2 - m1) * (160 - hue) + 20) / 40;
        return m1;
    };
    return {ClampByte((f(h + 80) * 255 + 120) / 240), ClampByte((f(h) * 255 + 120) / 240),
            ClampByte((f(h - 80) * 255 + 120) / 240)};
}

void AddImage(TRGBImage& canvas, const TRGBImage& picture, const TRect& src, int32_t left,
              int32_t top, int w, const std::array<int, 3>& colour, int o, bool first) {
    const bool pictureAlpha = picture.HasAlpha();
    if (pictureAlpha && !canvas.HasAlpha())
        canvas.Alpha.assign(size_t(canvas.Width) * size_t(canvas.Height), first ? 0 : 255);
    for (int64_t v = src.Top; v <= src.Bottom; ++v) {
        const int64_t y = top + v - src.Top;
        if (v < 0 || v >= picture.Height || y < 0 || y >= canvas.Height)
            continue;
        for (int64_t u = src.Left; u <= src.Right; ++u) {
            const int64_t x = left + u - src.Left;
            if (u < 0 || u >= picture.Width || x < 0 || x >= canvas.Width)
                continue;
            const size_t from = size_t(v) * picture.Width + size_t(u);
            const size_t to = size_t(y) * canvas.Width + size_t(x);
            const int t = pictureAlpha ? picture.Alpha[from] : 255;
            if (t > 0) {
                const uint8_t* s = &picture.Pixels[from * 3];
                uint8_t* d = &canvas.Pixels[to * 3];
                if (t == 255 && o == 255 && w == 0) {
                    std::memcpy(d, s, 3);
                } else {
                    const int a = (o * t) >> 8;
                    for (int k = 0; k < 3; ++k) {
                        const int sk = w != 0 ? colour[k] + ((w * (s[k] - colour[k])) >> 8) : s[k];
                        d[k] = first ? uint8_t(sk) : uint8_t(((255 - a) * d[k] + a * sk) >> 8);
                    }
                }
            }
            if (pictureAlpha) {
                const int q = o == 255 ? t : (t * o) >> 8;
                const int e = canvas.Alpha[to];
                canvas.Alpha[to] =
                    (e != 0 || q != 0) ? uint8_t(255 - (((255 - e) * (255 - q)) >> 8)) : 0;
            }
        }
    }
}

void FlipImageHorizontal(TRGBImage& image) {
    for (int32_t y = 0; y < image.Height; ++y)
        for (int32_t x = 0, z = image.Width - 1; x < z; ++x, --z) {
            std::swap_ranges(image.Pixel(x, y), image.Pixel(x, y) + 3, image.Pixel(z, y));
            if (image.HasAlpha())
                std::swap(image.Alpha[size_t(y) * image.Width + x],
                          image.Alpha[size_t(y) * image.Width + z]);
        }
}

void FlipImageVertical(TRGBImage& image) {
    const size_t row = size_t(image.Width) * 3;
    for (int32_t y = 0, z = image.Height - 1; y < z; ++y, --z) {
        std::swap_ranges(image.Pixel(0, y), image.Pixel(0, y) + row, image.Pixel(0, z));
        if (image.HasAlpha())
            std::swap_ranges(image.Alpha.begin() + ptrdiff_t(size_t(y) * image.Width),
                             image.Alpha.begin() + ptrdiff_t(size_t(y + 1) * image.Width),
                             image.Alpha.begin() + ptrdiff_t(size_t(z) * image.Width));
    }
}

void ImageHueChange(TRGBImage& image, int hue, int saturation, int lightness) {
    if (hue == 0 && saturation == 0 && lightness == 0)
        return;
    for (size_t i = 0; i + 2 < image.Pixels.size(); i += 3) {
        // The bytes are taken in the order blue, green, red, as the stored pixels are.
        uint8_t* p = &image.Pixels[i];
        const THLS hls = RGBToHLS(p[2], p[1], p[0]);
        const std::array<uint8_t, 3> rgb =
            HLSToRGB(hls.H + hue, hls.L + lightness, hls.S + saturation);
        p[2] = rgb[0];
        p[1] = rgb[1];
        p[0] = rgb[2];
    }
}

void RotateImage(TRGBImage& image, double cx, double cy, double angle) {
    if (image.IsEmpty())
        return;
    TRGBImage result = TRGBImage::Blank(
        image.Width, image.Height, image.HasAlpha() ? std::optional<uint8_t>(0) : std::nullopt);
    const double radians = angle * std::numbers::pi / 180;
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    for (int32_t y = 0; y < image.Height; ++y)
        for (int32_t x = 0; x < image.Width; ++x) {
            const double dx = x - cx;
            const double dy = y - cy;
            const double sx = Snap(c * dx - s * dy + cx);
            const double sy = Snap(s * dx + c * dy + cy);
            if (sx < 0 || sy < 0 || sx > image.Width - 1 || sy > image.Height - 1)
                continue;
            SampleBilinear(image, sx, sy, result.Pixel(x, y),
                           image.HasAlpha() ? &result.Alpha[size_t(y) * image.Width + x] : nullptr);
        }
    image = std::move(result);
}

void ScaleImage(TRGBImage& image, int32_t width, int32_t height) {
    if (image.IsEmpty() || width <= 0 || height <= 0) {
        image = TRGBImage::Blank(0, 0);
        return;
    }
    const bool alpha = image.HasAlpha();
    TRGBImage result =
        TRGBImage::Blank(width, height, alpha ? std::optional<uint8_t>(0) : std::nullopt);
    if (width >= image.Width && height >= image.Height) {
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                SampleBilinear(image, double(x) * image.Width / width,
                               double(y) * image.Height / height, result.Pixel(x, y),
                               alpha ? &result.Alpha[size_t(y) * width + x] : nullptr);
        image = std::move(result);
        return;
    }
    const auto columns = ShrinkTaps(image.Width, width, 100);
    const auto rows = ShrinkTaps(image.Height, height, 1);
    const int channels = alpha ? 4 : 3;
    const auto value = [&](int32_t x, int32_t y, int k) -> double {
        return k < 3 ? image.Pixel(x, y)[k] : image.Alpha[size_t(y) * image.Width + x];
    };
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            double out[4] = {};
            if (rows[size_t(y)].empty() || columns[size_t(x)].empty()) {
                // A growing dimension leaves destination pixels that no source pixel maps to:
                // they take the source pixel under them.
                const int32_t px =
                    std::min(int32_t(int64_t(x) * image.Width / width), image.Width - 1);
                const int32_t py =
                    std::min(int32_t(int64_t(y) * image.Height / height), image.Height - 1);
                for (int k = 0; k < channels; ++k)
                    out[k] = value(px, py, k);
            } else {
                double total[4] = {};
                int64_t rowWeights = 0;
                for (const TTap& row : rows[size_t(y)]) {
                    double sum[4] = {};
                    int64_t weights = 0;
                    for (const TTap& column : columns[size_t(x)]) {
                        for (int k = 0; k < channels; ++k)
                            sum[k] += column.Weight * value(column.Index, row.Index, k);
                        weights += column.Weight;
                    }
                    for (int k = 0; k < channels; ++k)
                        total[k] += row.Weight * std::nearbyint(sum[k] / double(weights));
                    rowWeights += row.Weight;
                }
                for (int k = 0; k < channels; ++k)
                    out[k] = std::nearbyint(total[k] / double(rowWeights));
            }
            for (int k = 0; k < 3; ++k)
                result.Pixel(x, y)[k] = ClampByte(out[k]);
            if (alpha)
                result.Alpha[size_t(y) * width + x] = ClampByte(out[3]);
        }
    image = std::move(result);
}

void CropImage(TRGBImage& image, int32_t left, int32_t top, int32_t width, int32_t height) {
    TRGBImage result = TRGBImage::Blank(
        width, height, image.HasAlpha() ? std::optional<uint8_t>(0) : std::nullopt);
    for (int32_t y = 0; y < result.Height; ++y)
        for (int32_t x = 0; x < result.Width; ++x) {
            const int64_t sx = int64_t(left) + x;
            const int64_t sy = int64_t(top) + y;
            if (sx < 0 || sy < 0 || sx >= image.Width || sy >= image.Height)
                continue;
            std::memcpy(result.Pixel(x, y), image.Pixel(int32_t(sx), int32_t(sy)), 3);
            if (image.HasAlpha())
                result.Alpha[size_t(y) * width + x] =
                    image.Alpha[size_t(sy) * image.Width + size_t(sx)];
        }
    image = std::move(result);
}

} // namespace qz
