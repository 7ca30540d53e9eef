#include "tools/artgen/Canvas.h"

#include "archive/Error.h"

#include <cstdio>

namespace qz::art {

TCanvas::TCanvas(int width, int height)
    : width_(width), height_(height),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      cr_(cairo_create(surface_)) {
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_GOOD);
}

TCanvas::~TCanvas() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

TRGBImage TCanvas::Image(bool withAlpha) const {
    cairo_surface_flush(surface_);
    const unsigned char* data = cairo_image_surface_get_data(surface_);
    const int stride = cairo_image_surface_get_stride(surface_);
    TRGBImage image = TRGBImage::Blank(width_, height_);
    if (withAlpha) {
        image.Alpha.assign(size_t(width_) * height_, 0);
    }
    for (int y = 0; y < height_; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * stride);
        for (int x = 0; x < width_; ++x) {
            const uint32_t argb = row[x];
            const uint32_t a = argb >> 24;
            uint8_t* out = image.Pixel(x, y);
            for (int c = 0; c < 3; ++c) {
                const uint32_t v = (argb >> (16 - 8 * c)) & 0xFF;
                out[c] = static_cast<uint8_t>(
                    a == 0 ? 0 : std::min<uint32_t>(255, (v * 255 + a / 2) / a));
            }
            if (withAlpha) {
                image.Alpha[size_t(y) * width_ + x] = static_cast<uint8_t>(a);
            }
        }
    }
    return image;
}

void TCanvas::SavePNG(const std::string& fileName) const {
    WriteStream(EncodePNG(Image(true)), fileName);
}

void TCanvas::SaveJPEG(const std::string& fileName, int quality) const {
    WriteStream(EncodeJPEG(Image(false), quality), fileName);
}

void WriteStream(const TMemoryStream& stream, const std::string& fileName) {
    std::FILE* file = std::fopen(fileName.c_str(), "wb");
    if (file == nullptr) {
        throw IOError("Cannot write file \"" + fileName + "\"");
    }
    const bool written = std::fwrite(stream.Data(), 1, stream.Size(), file) == stream.Size();
    if (std::fclose(file) != 0 || !written) {
        throw IOError("Cannot write file \"" + fileName + "\"");
    }
}

} // namespace qz::art
