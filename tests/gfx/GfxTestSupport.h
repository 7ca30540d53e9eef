#pragma once
// Test pictures for the graphics tests, written with libpng directly so that the decoder
// under test does not also produce its own input.
#include "archive/MemoryStream.h"
#include "gfx/SurfEngine.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qz::test {

// channels: 1 grey, 2 grey + alpha, 3 RGB, 4 RGBA; pixels row by row.
TMemoryStream WritePNG(int width, int height, int channels, const std::vector<uint8_t>& pixels);
// A picture whose every byte comes from the seed.
std::vector<uint8_t> RandomBytes(size_t count, uint32_t seed);
// Pixel value of a surface at (x, y): a 32-bit word or a 16-bit word.
uint32_t PixelAt(const TSurface& surface, int x, int y);
void SetPixel(TSurface& surface, int x, int y, uint32_t value);
// A surface of the engine's format with random pixels and, when alpha, a random alpha plane.
TSurface RandomSurface(const TSurfEngine& engine, const std::string& name, int width, int height,
                       bool alpha, uint32_t seed);

} // namespace qz::test
