#pragma once
// The composition picture's pixels turned into the display texture's 32-bit layout
// (B, G, R, unused byte in memory).

#include <cstdint>

namespace qz {

// One 5-6-5 pixel as 0x00RRGGBB, each channel widened so that full intensity stays 255.
uint32_t Rgb565ToXrgb(uint16_t pixel);

// Copies a width x height picture of bitsPerPixel 16 (5-6-5) or 32 (B, G, R, unused) with
// srcPitch bytes per row into 32-bit rows of dstPitch bytes.
void ConvertToXrgb(const void* src, int32_t srcPitch, int32_t bitsPerPixel, void* dst,
                   int32_t dstPitch, int32_t width, int32_t height);

} // namespace qz
