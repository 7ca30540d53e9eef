#include "GfxTestSupport.h"

#include <cstring>
#include <png.h>
#include <random>
#include <stdexcept>

namespace qz::test {

TMemoryStream WritePNG(int width, int height, int channels, const std::vector<uint8_t>& pixels) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    const png_uint_32 formats[] = {PNG_FORMAT_GRAY, PNG_FORMAT_GA, PNG_FORMAT_RGB, PNG_FORMAT_RGBA};
    image.format = formats[channels - 1];
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr);
    std::vector<uint8_t> out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr))
        throw std::runtime_error(image.message);
    TMemoryStream stream;
    stream.Write(out.data(), size);
    return stream;
}

std::vector<uint8_t> RandomBytes(size_t count, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(count);
    for (uint8_t& b : bytes)
        b = uint8_t(random());
    return bytes;
}

uint32_t PixelAt(const TSurface& surface, int x, int y) {
    const TPixelSurface& s = *surface.Surface;
    uint32_t value = 0;
    std::memcpy(&value, s.Row(y) + size_t(x) * size_t(s.BytesPerPixel), size_t(s.BytesPerPixel));
    return value;
}

void SetPixel(TSurface& surface, int x, int y, uint32_t value) {
    TPixelSurface& s = *surface.Surface;
    std::memcpy(s.Row(y) + size_t(x) * size_t(s.BytesPerPixel), &value, size_t(s.BytesPerPixel));
}

TSurface RandomSurface(const TSurfEngine& engine, const std::string& name, int width, int height,
                       bool alpha, uint32_t seed) {
    TSurface surface;
    surface.Name = name;
    surface.Width = width;
    surface.Height = height;
    surface.Surface = engine.CreateSurface(width, height);
    surface.Surface->Pixels = RandomBytes(surface.Surface->Pixels.size(), seed);
    if (alpha) {
        // Mostly the two extremes, as sprites are, with every other value in between.
        std::vector<uint8_t> bytes = RandomBytes(size_t(width) * height * 2, seed + 1);
        surface.Alpha.resize(size_t(width) * height);
        for (size_t i = 0; i < surface.Alpha.size(); ++i) {
            const uint8_t kind = bytes[2 * i] % 4;
            surface.Alpha[i] = kind == 0 ? 0 : kind == 1 ? 255 : bytes[2 * i + 1];
        }
        surface.AlphaPitch = width;
    }
    return surface;
}

} // namespace qz::test
