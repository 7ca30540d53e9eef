#pragma once
// The one way the game rewrites a file: the bytes go to a new temporary file beside it, are
// flushed to disk, and only then is it renamed over the old file, so that a crash or a full
// disk never leaves half a file. Saves, archives, settings and high scores all use it.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace qz {

enum class TWriteStep : uint8_t {
    Create,  // the temporary file could not be made
    Write,   // writing, flushing or closing it failed
    Replace, // renaming it over the target failed
};

// What a failed rewrite tells its caller, who words the error.
struct TWriteFailure {
    TWriteStep Step = TWriteStep::Create;
    std::string Target;    // the file being replaced
    std::string Temporary; // the temporary file beside it
    std::string Reason;    // the system's words for the failure
};
using TDescribeFailure = std::string (*)(const TWriteFailure& failure);

// The calls made on the temporary file's descriptor; empty ones are the system's write(2) and
// fsync(2). A test gives its own to watch the flush or to make a write fail part-way.
struct TWriteCalls {
    std::function<std::ptrdiff_t(int file, const void* bytes, size_t count)> Write;
    std::function<int(int file)> Sync;
};

// The temporary file is the target's name, six random characters and TemporarySuffix, so
// that a start can clear away what a crash in the middle of a rewrite left behind.
inline constexpr std::string_view TemporarySuffix = ".saving";
inline constexpr std::string_view TemporaryPattern = ".XXXXXX.saving";

// Writes the pieces one after another as the new content of target. On any failure the
// temporary file is removed, the old file stays byte for byte as it was, and an IOError with
// the text describe gives is thrown. The new file gets the usual permissions of a user file.
void ReplaceFile(const std::filesystem::path& target, std::span<const std::string_view> pieces,
                 TDescribeFailure describe, const TWriteCalls& calls = {});

inline void ReplaceFile(const std::filesystem::path& target, std::string_view bytes,
                        TDescribeFailure describe, const TWriteCalls& calls = {}) {
    ReplaceFile(target, std::span(&bytes, 1), describe, calls);
}

// Removes the temporary files a rewrite cut short left in folder (regular files named like
// TemporaryPattern after some name); returns how many. A missing folder has none.
int RemoveStaleTemporaries(const std::filesystem::path& folder);

} // namespace qz
