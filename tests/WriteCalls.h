#pragma once
// A stand-in for the safe writer's write call: a disk that fills up after a number of bytes.

#include "archive/ReplaceFile.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace qz::test {

// Writes go through at most 7 bytes at a time, so the writer has to go on after short writes;
// once limit bytes are written every write fails with ENOSPC.
inline TWriteCalls DiskFullAfter(size_t limit) {
    TWriteCalls calls;
    calls.Write = [left = limit](int file, const void* bytes, size_t count) mutable {
        if (left == 0) {
            errno = ENOSPC;
            return std::ptrdiff_t{-1};
        }
        const std::ptrdiff_t n = ::write(file, bytes, std::min({count, left, size_t{7}}));
        if (n > 0) {
            left -= static_cast<size_t>(n);
        }
        return n;
    };
    return calls;
}

} // namespace qz::test
