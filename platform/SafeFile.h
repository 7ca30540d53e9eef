#pragma once
// Files the game rewrites are written to a temporary file beside them, flushed to disk and
// renamed over the old one, so that a crash or a full disk never leaves half a file.

#include <filesystem>
#include <string_view>

namespace qz {

// Throws IOError when the file cannot be written; the old file then stays as it was.
void WriteFileSafely(const std::filesystem::path& path, std::string_view bytes);

} // namespace qz
