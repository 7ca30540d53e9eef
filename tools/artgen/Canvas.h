#pragma once
// A cairo drawing surface that becomes one of the game's pictures: straight (not
// premultiplied) RGB with an alpha plane, written as PNG or JPEG by the game's own coders.

#include "gfx/JpegPNG.h"

#include <cairo.h>
#include <string>

namespace qz::art {

class TCanvas {
public:
    TCanvas(int width, int height);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    cairo_t* operator*() const { return cr_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // The picture; opaque pictures carry no alpha plane.
    TRGBImage Image(bool withAlpha = true) const;
    void SavePNG(const std::string& fileName) const;
    void SaveJPEG(const std::string& fileName, int quality = 90) const;

private:
    int width_;
    int height_;
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

// Writes bytes to fileName, raising qz::IOError when that fails.
void WriteStream(const TMemoryStream& stream, const std::string& fileName);

} // namespace qz::art
