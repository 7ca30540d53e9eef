#include "archive/ReplaceFile.h"

#include "archive/Error.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace qz {

namespace {

// Writes all of bytes, going on after short writes and interruptions; 0 or the error number.
int WriteAll(int file, std::string_view bytes, const TWriteCalls& calls) {
    size_t done = 0;
    while (done < bytes.size()) {
        const void* from = bytes.data() + done;
        const size_t count = bytes.size() - done;
        const std::ptrdiff_t n =
            calls.Write ? calls.Write(file, from, count) : ::write(file, from, count);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n == 0) {
            return ENOSPC; // nothing more goes in: the disk is full
        } else if (errno != EINTR) {
            return errno;
        }
    }
    return 0;
}

} // namespace

void ReplaceFile(const std::filesystem::path& target, std::span<const std::string_view> pieces,
                 TDescribeFailure describe, const TWriteCalls& calls) {
    TWriteFailure failure;
    failure.Target = target.string();
    failure.Temporary = failure.Target + std::string(TemporaryPattern);
    const auto failed = [&failure, describe](TWriteStep step, int error) {
        failure.Step = step;
        failure.Reason = std::strerror(error);
        return IOError(describe(failure));
    };

    // A name of its own, so that two writers of one file never share a temporary file.
    const int file = ::mkstemps(failure.Temporary.data(), int(TemporarySuffix.size()));
    if (file < 0) {
        const int error = errno;
        failure.Temporary =
            failure.Target + std::string(TemporaryPattern); // the name it tried last means nothing
        throw failed(TWriteStep::Create, error);
    }
    int error = 0;
    for (size_t i = 0; i < pieces.size() && error == 0; ++i) {
        error = WriteAll(file, pieces[i], calls);
    }
    if (error == 0) {
        // mkstemp makes the file private; the game's files are ordinary user files.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(file, 0666 & ~mask);
        // The new bytes are on the disk before the name points at them.
        if ((calls.Sync ? calls.Sync(file) : ::fsync(file)) != 0) {
            error = errno;
        }
    }
    if (::close(file) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(failure.Temporary.c_str());
        throw failed(TWriteStep::Write, error);
    }
    if (std::rename(failure.Temporary.c_str(), failure.Target.c_str()) != 0) {
        error = errno;
        ::unlink(failure.Temporary.c_str());
        throw failed(TWriteStep::Replace, error);
    }
}

int RemoveStaleTemporaries(const std::filesystem::path& folder) {
    int removed = 0;
    std::error_code error;
    std::error_code ignored;
    std::filesystem::directory_iterator entries(folder, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        const size_t random = name.size() - std::min(name.size(), TemporaryPattern.size());
        if (name.size() <= TemporaryPattern.size() || !name.ends_with(TemporarySuffix) ||
            name[random] != '.' || !entries->is_regular_file(ignored)) {
            continue;
        }
        if (std::filesystem::remove(entries->path(), ignored)) {
            ++removed;
        }
    }
    return removed;
}

} // namespace qz
