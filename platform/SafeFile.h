#pragma once
// The settings and high-score files are rewritten through the shared safe writer: a crash or a
// full disk never leaves half a file.

#include "archive/ReplaceFile.h"

#include <filesystem>
#include <string_view>

namespace qz {

// Throws IOError when the file cannot be written; the old file then stays as it was.
void WriteFileSafely(const std::filesystem::path& path, std::string_view bytes,
                     const TWriteCalls& calls = {});

} // namespace qz
