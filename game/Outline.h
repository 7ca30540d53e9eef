#pragma once
// The outline of a set of triangles: the closed borders around them, walked vertex by
// vertex, which the removal particles run along.

#include "archive/Helpers.h"

#include <utility>
#include <vector>

namespace qz {

struct TOutline {
    TPoints Points;   // every outline, one after another
    TIntegers Starts; // 0, then the index where each outline ends
    size_t Count() const { return Starts.empty() ? 0 : Starts.size() - 1; }
    // The first and last index in Points of outline k (1-based); first > last when empty.
    std::pair<int32_t, int32_t> Range(size_t k) const;
};

TOutline TraceOutline(const std::vector<TPoints>& triangles);

} // namespace qz
