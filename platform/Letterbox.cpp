#include "platform/Letterbox.h"

#include <algorithm>

namespace qz {

namespace {

// floor(a / b) for b > 0.
int64_t FloorDiv(int64_t a, int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

} // namespace

TViewport LetterboxViewport(int32_t outputW, int32_t outputH, int32_t pictureW, int32_t pictureH) {
    outputW = std::max(outputW, 1);
    outputH = std::max(outputH, 1);
    TViewport v;
    // Compare outputW / outputH with pictureW / pictureH without rounding.
    if (int64_t{outputW} * pictureH <= int64_t{outputH} * pictureW) {
        v.W = outputW;
        v.H = static_cast<int32_t>((int64_t{outputW} * pictureH + pictureW / 2) / pictureW);
    } else {
        v.H = outputH;
        v.W = static_cast<int32_t>((int64_t{outputH} * pictureW + pictureH / 2) / pictureH);
    }
    v.W = std::clamp(v.W, 1, outputW);
    v.H = std::clamp(v.H, 1, outputH);
    v.X = (outputW - v.W) / 2;
    v.Y = (outputH - v.H) / 2;
    return v;
}

TPointerHit MapToPicture(const TViewport& viewport, int32_t x, int32_t y, int32_t pictureW,
                         int32_t pictureH) {
    const int64_t px = FloorDiv((int64_t{x} - viewport.X) * pictureW, std::max(viewport.W, 1));
    const int64_t py = FloorDiv((int64_t{y} - viewport.Y) * pictureH, std::max(viewport.H, 1));
    TPointerHit hit;
    hit.Inside = px >= 0 && px < pictureW && py >= 0 && py < pictureH;
    hit.Point.X = static_cast<int32_t>(std::clamp<int64_t>(px, 0, pictureW - 1));
    hit.Point.Y = static_cast<int32_t>(std::clamp<int64_t>(py, 0, pictureH - 1));
    return hit;
}

} // namespace qz
