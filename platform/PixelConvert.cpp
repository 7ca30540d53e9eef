#include "platform/PixelConvert.h"

#include <cassert>
#include <cstring>

namespace qz {

uint32_t Rgb565ToXrgb(uint16_t pixel) {
    const uint32_t r5 = (pixel >> 11) & 0x1F;
    const uint32_t g6 = (pixel >> 5) & 0x3F;
    const uint32_t b5 = pixel & 0x1F;
    const uint32_t r = (r5 << 3) | (r5 >> 2);
    const uint32_t g = (g6 << 2) | (g6 >> 4);
    const uint32_t b = (b5 << 3) | (b5 >> 2);
    return (r << 16) | (g << 8) | b;
}

void ConvertToXrgb(const void* src, int32_t srcPitch, int32_t bitsPerPixel, void* dst,
                   int32_t dstPitch, int32_t width, int32_t height) {
    assert(bitsPerPixel == 16 || bitsPerPixel == 32);
    const auto* srcRow = static_cast<const uint8_t*>(src);
    auto* dstRow = static_cast<uint8_t*>(dst);
    for (int32_t y = 0; y < height; ++y, srcRow += srcPitch, dstRow += dstPitch) {
        if (bitsPerPixel == 32) {
            std::memcpy(dstRow, srcRow, static_cast<size_t>(width) * 4);
            continue;
        }
        for (int32_t x = 0; x < width; ++x) {
            uint16_t pixel;
            std::memcpy(&pixel, srcRow + 2 * x, 2);
            const uint32_t out = Rgb565ToXrgb(pixel);
            std::memcpy(dstRow + 4 * x, &out, 4);
        }
    }
}

} // namespace qz
