#include "archive/ReplaceFile.h"

#include "TempDir.h"
#include "WriteCalls.h"
#include "archive/Error.h"
#include "archive/FileFolder.h"
#include "archive/MemoryStream.h"

#include <fstream>
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

TEST(ReplaceFile, AStartClearsOnlyTheTemporariesOfRewritesCutShort) {
    test::TempDir dir;
    const auto write = [&](const std::string& name) {
        ReplaceFile(dir.Path() / name, "x", Describe);
    };
    write("QuickSave.sav");
    std::ofstream(dir.Path() / "QuickSave.sav.a1B2c3.saving") << "half";
    std::ofstream(dir.Path() / "options.cfg.Zz09yY.saving") << "";
    std::ofstream(dir.Path() / "notes.saving") << "mine";     // no six characters
    std::ofstream(dir.Path() / "x.abcdefg.saving") << "mine"; // seven
    fs::create_directory(dir.Path() / "old.ABCDEF.saving");   // a folder is not one
    EXPECT_EQ(RemoveStaleTemporaries(dir.Path()), 2);
    EXPECT_EQ(FilesIn(dir.Path()), 4u);
    EXPECT_EQ(ReadBytes(dir.Path() / "QuickSave.sav"), "x");
    EXPECT_TRUE(fs::exists(dir.Path() / "notes.saving"));
    EXPECT_TRUE(fs::exists(dir.Path() / "x.abcdefg.saving"));
    EXPECT_EQ(RemoveStaleTemporaries(dir.Path() / "missing"), 0);
}

TEST(MemoryStream, OnlyRegularFilesWithinTheLimitAreRead) {
    test::TempDir dir;
    const auto errorOf = [](const std::string& file, size_t limit) {
        try {
            TMemoryStream stream;
            stream.LoadFromFile(file, limit);
            return "read " + std::to_string(stream.Size());
        } catch (const IOError& error) {
            return std::string(error.what());
        }
    };
    std::ofstream(dir.File("ten")) << "0123456789";
    EXPECT_EQ(errorOf(dir.File("ten"), 10), "read 10");
    EXPECT_EQ(errorOf(dir.File("ten"), 9),
              "Cannot read file \"" + dir.File("ten") + "\": it is larger than 9 bytes");
    fs::create_directory(dir.Path() / "folder");
    EXPECT_EQ(errorOf(dir.File("folder"), 100),
              "Cannot read file \"" + dir.File("folder") + "\": it is a folder");
    // Neither a pipe nobody writes to nor an endless device may hold the reader up.
    ASSERT_EQ(mkfifo(dir.File("pipe").c_str(), 0600), 0);
    EXPECT_EQ(errorOf(dir.File("pipe"), 100),
              "Cannot read file \"" + dir.File("pipe") + "\": it is not a regular file");
    EXPECT_EQ(errorOf("/dev/zero", SIZE_MAX),
              "Cannot read file \"/dev/zero\": it is not a regular file");
    EXPECT_EQ(
        errorOf(dir.File("none"), 100).rfind("Cannot open file \"" + dir.File("none") + "\"", 0),
        0u);
    // An archive is opened the same way.
    try {
        TFileFolder::Open(dir.File("pipe"));
        FAIL() << "no error";
    } catch (const IOError& error) {
        EXPECT_EQ(error.what(),
                  "Cannot open file \"" + dir.File("pipe") + "\": it is not a regular file");
    }
}

} // namespace
} // namespace qz
