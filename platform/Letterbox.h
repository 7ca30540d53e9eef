#pragma once
// The picture scaled to fit a window of any size with its aspect kept, centred between
// black bars, and window pixels mapped back into picture coordinates.

#include "archive/Helpers.h"

#include <cstdint>

namespace qz {

inline constexpr int32_t PictureWidth = 800;
inline constexpr int32_t PictureHeight = 600;

// Where the picture lands in the window: left, top, width, height in window pixels.
struct TViewport {
    int32_t X = 0;
    int32_t Y = 0;
    int32_t W = 0;
    int32_t H = 0;
    friend bool operator==(const TViewport&, const TViewport&) = default;
};

// The largest centred rectangle of the picture's aspect inside output pixels (at least
// 1 x 1 for an output of any size).
TViewport LetterboxViewport(int32_t outputW, int32_t outputH, int32_t pictureW = PictureWidth,
                            int32_t pictureH = PictureHeight);

struct TPointerHit {
    TPoint Point;        // in the picture, clamped to its edges
    bool Inside = false; // false when the window point lies in a bar
};

// Window pixel (x, y) in picture coordinates.
TPointerHit MapToPicture(const TViewport& viewport, int32_t x, int32_t y,
                         int32_t pictureW = PictureWidth, int32_t pictureH = PictureHeight);

} // namespace qz
