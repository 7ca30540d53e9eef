#include "platform/HeadlessDisplay.h"

#include "platform/Letterbox.h"
#include "platform/PixelConvert.h"

namespace qz {

THeadlessDisplay::THeadlessDisplay(const TDisplayOptions& options)
    : refusesFullScreen_(options.RefusesFullScreen),
      fullScreen_(options.FullScreen && !options.RefusesFullScreen),
      position_{options.HasPosition ? options.WindowX : 0,
                options.HasPosition ? options.WindowY : 0},
      title_(options.Title) {}

void THeadlessDisplay::Present(const void* pixels, int32_t pitch, int32_t bitsPerPixel) {
    frame_.resize(static_cast<size_t>(PictureWidth) * PictureHeight);
    ConvertToXrgb(pixels, pitch, bitsPerPixel, frame_.data(), PictureWidth * 4, PictureWidth,
                  PictureHeight);
    ++presents_;
}

} // namespace qz
