#pragma once
// Playing with the arrow keys: the pointer jumps between the places where the crystal in hand
// can be put, so that every put the mouse can make the keyboard can make too.

#include "archive/Helpers.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace qz {

// Of places (pointer positions where the crystal in hand can be put), the nearest one that
// lies the way of the arrow (dx or dy, -1 or 1) from `from`: left and right count a pixel
// across the way four times a pixel along it; up and down take the nearest row, then the
// nearest place in it. Nothing when no place lies that way.
std::optional<TPoint> NearestPlaceThatWay(const TPoints& places, TPoint from, int32_t dx,
                                          int32_t dy);

// The arrow keys whose steps take the pointer from `from` to target, one of places: towards
// its row first, then along it. Nothing when the steps do not reach it.
std::optional<std::vector<uint16_t>> ArrowsTo(const TPoints& places, TPoint from, TPoint target);

} // namespace qz
