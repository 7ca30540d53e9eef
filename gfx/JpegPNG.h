#pragma once
// Pictures in memory as 8-bit RGB rows with an optional 8-bit alpha plane, and their PNG and
// JPEG coding: what the surface loaders and the image processor decode and encode.
#include "archive/MemoryStream.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace qz {

// Pictures larger than this on either side are refused before any pixel memory is taken.
inline constexpr int32_t MaxPictureSide = 16384;

struct TRGBImage {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint8_t> Pixels; // Width * Height * 3 bytes: red, green, blue
    std::vector<uint8_t> Alpha;  // Width * Height bytes, or empty when the picture is opaque

    bool HasAlpha() const { return !Alpha.empty(); }
    bool IsEmpty() const { return Width <= 0 || Height <= 0; }
    // A black picture of the given size, with an alpha plane of alphaFill when asked for.
    static TRGBImage Blank(int32_t width, int32_t height, std::optional<uint8_t> alphaFill = {});
    uint8_t* Pixel(int32_t x, int32_t y) { return &Pixels[(size_t(y) * Width + x) * 3]; }
    const uint8_t* Pixel(int32_t x, int32_t y) const {
        return &Pixels[(size_t(y) * Width + x) * 3];
    }
    friend bool operator==(const TRGBImage&, const TRGBImage&) = default;
};

// Decoders raise qz::Error with the codec's message. A PNG keeps its alpha plane only when
// its colour type carries an alpha channel (grey + alpha, RGBA).
TRGBImage DecodePNG(std::string_view bytes);
TRGBImage DecodeJPEG(std::string_view bytes);
// A greyscale PNG read as its grey values (one byte per pixel).
std::vector<uint8_t> DecodeGreyPNG(std::string_view bytes, int32_t& width, int32_t& height);

// PNG of the picture: RGBA when it has an alpha plane, RGB otherwise.
TMemoryStream EncodePNG(const TRGBImage& image);
TMemoryStream EncodeGreyPNG(int32_t width, int32_t height, const std::vector<uint8_t>& grey);
TMemoryStream EncodeJPEG(const TRGBImage& image, int quality);

// The format routines of the archive conversion: each gives nothing when decoding fails.
std::optional<TMemoryStream> PNGToJPEG(std::string_view png, int quality = 90);
std::optional<TMemoryStream> JPEGToPNG(std::string_view jpeg);
// The PNG's alpha as a greyscale PNG of the same size; black where it has no alpha channel.
std::optional<TMemoryStream> PNGAlphaToGrey(std::string_view png);
// The colour picture (PNG or JPEG) with the grey values of the greyscale PNG as its alpha.
std::optional<TMemoryStream> MergeColourAndAlpha(std::string_view colour, std::string_view grey);

} // namespace qz
