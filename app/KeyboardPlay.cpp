#include "app/KeyboardPlay.h"

#include "archive/KeyCodes.h"

#include <algorithm>
#include <cstdlib>

namespace qz {

std::optional<TPoint> NearestPlaceThatWay(const TPoints& places, TPoint from, int32_t dx,
                                          int32_t dy) {
    std::optional<TPoint> nearest;
    int64_t nearestCost = 0;
    for (const TPoint& place : places) {
        const int64_t x = int64_t{place.X} - from.X;
        const int64_t y = int64_t{place.Y} - from.Y;
        const int64_t along = dx != 0 ? x * dx : y * dy;
        const int64_t across = dx != 0 ? std::abs(y) : std::abs(x);
        if (along <= 0)
            continue;
        // Up and down take the nearest row first, then the nearest place in it.
        const int64_t cost = dx != 0 ? along + 4 * across : along * 4096 + across;
        if (!nearest || cost < nearestCost) {
            nearest = place;
            nearestCost = cost;
        }
    }
    return nearest;
}

std::optional<std::vector<uint16_t>> ArrowsTo(const TPoints& places, TPoint from, TPoint target) {
    std::vector<uint16_t> keys;
    TPoints visited{from};
    TPoint at = from;
    while (!(at == target)) {
        // Towards the target's row while it is another, else along the row; the other way
        // when the first one leads nowhere new.
        const int32_t dy = target.Y > at.Y ? 1 : target.Y < at.Y ? -1 : 0;
        const int32_t dx = target.X > at.X ? 1 : -1;
        bool moved = false;
        for (const bool vertical : {dy != 0, dy == 0}) {
            if (vertical && dy == 0)
                continue;
            const std::optional<TPoint> next = vertical ? NearestPlaceThatWay(places, at, 0, dy)
                                                        : NearestPlaceThatWay(places, at, dx, 0);
            if (!next || std::find(visited.begin(), visited.end(), *next) != visited.end())
                continue;
            keys.push_back(vertical ? (dy > 0 ? vkDown : vkUp) : (dx > 0 ? vkRight : vkLeft));
            visited.push_back(*next);
            at = *next;
            moved = true;
            break;
        }
        if (!moved)
            return std::nullopt;
    }
    return keys;
}

} // namespace qz
