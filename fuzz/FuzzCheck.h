#pragma once
// The fuzz targets' check of a property that must hold.

namespace qz::fuzz {

// Stops the run as a finding when condition is false.
inline void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

} // namespace qz::fuzz
