#include "archive/ReplaceFile.h"

#include "TempDir.h"
#include "WriteCalls.h"
#include "archive/Error.h"
#include "archive/MemoryStream.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace qz {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
    TMemoryStream stream;
    stream.LoadFromFile(path.string());
    return stream.ToString();
}

size_t FilesIn(const fs::path& folder) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

std::string Describe(const TWriteFailure& failure) {
    const char* steps[] = {"create", "write", "replace"};
    return std::string(steps[static_cast<int>(failure.Step)]) + " " + failure.Target + " " +
           failure.Temporary + ": " + failure.Reason;
}

std::string ErrorOf(const fs::path& target, std::string_view bytes, const TWriteCalls& calls) {
    try {
        ReplaceFile(target, bytes, Describe, calls);
    } catch (const IOError& error) {
        return error.what();
    }
    return "no error";
}

TEST(ReplaceFile, TheNewBytesAreOnTheDiskBeforeTheNameMoves) {
    test::TempDir dir;
    const fs::path target = dir.Path() / "game.sav";
    ReplaceFile(target, "old", Describe);

    // Interrupted and short writes go on; the flush sees the whole new file beside the old one.
    TWriteCalls calls = test::DiskFullAfter(1000);
    const auto shortWrite = calls.Write;
    bool interrupted = false;
    calls.Write = [&](int file, const void* bytes, size_t count) {
        if (!interrupted) {
            interrupted = true;
            errno = EINTR;
            return std::ptrdiff_t{-1};
        }
        return shortWrite(file, bytes, count);
    };
    int syncs = 0;
    off_t flushedSize = -1;
    std::string targetAtFlush;
    calls.Sync = [&](int file) {
        ++syncs;
        struct stat status {};
        fstat(file, &status);
        flushedSize = status.st_size;
        targetAtFlush = ReadBytes(target);
        return ::fsync(file);
    };
    const std::string_view pieces[] = {"the new ", "", "content, written in pieces"};
    ReplaceFile(target, pieces, Describe, calls);
    EXPECT_EQ(syncs, 1);
    EXPECT_EQ(flushedSize, 34);
    EXPECT_EQ(targetAtFlush, "old");
    EXPECT_EQ(ReadBytes(target), "the new content, written in pieces");
    EXPECT_EQ(FilesIn(dir.Path()), 1u);
    // An ordinary user file, not the temporary file's private mode.
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0666 & ~mask));
}

TEST(ReplaceFile, EachFailedStepKeepsTheOldFileAndSaysWhichStepFailed) {
    test::TempDir dir;
    const fs::path target = dir.Path() / "keep.zxc";
    ReplaceFile(target, "old bytes", Describe);
    const std::string temporary = target.string() + ".";

    const std::string full = ErrorOf(target, std::string(40, 'n'), test::DiskFullAfter(12));
    EXPECT_EQ(full.rfind("write " + target.string() + " " + temporary, 0), 0u) << full;
    EXPECT_TRUE(full.ends_with(": No space left on device")) << full;
    EXPECT_EQ(ReadBytes(target), "old bytes");
    EXPECT_EQ(FilesIn(dir.Path()), 1u);

    TWriteCalls failingSync;
    failingSync.Sync = [](int) {
        errno = EIO;
        return -1;
    };
    EXPECT_TRUE(ErrorOf(target, "new", failingSync).ends_with(": Input/output error"));
    EXPECT_EQ(ReadBytes(target), "old bytes");
    EXPECT_EQ(FilesIn(dir.Path()), 1u);

    const fs::path folder = dir.Path() / "folder";
    fs::create_directory(folder);
    EXPECT_EQ(ErrorOf(folder, "x", {}).rfind("replace " + folder.string(), 0), 0u);
    EXPECT_EQ(FilesIn(dir.Path()), 2u);

    const fs::path nowhere = dir.Path() / "no" / "file";
    EXPECT_EQ(ErrorOf(nowhere, "x", {}), "create " + nowhere.string() + " " + nowhere.string() +
                                             ".XXXXXX.saving: No such file or directory");
}

} // namespace
} // namespace qz
