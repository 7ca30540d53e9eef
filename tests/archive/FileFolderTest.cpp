#include "archive/FileFolder.h"

#include "TempDir.h"
#include "WriteCalls.h"
#include "archive/Error.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace qz {
namespace {

std::string ReadBytes(const std::string& fileName) {
    TMemoryStream stream;
    stream.LoadFromFile(fileName);
    return stream.ToString();
}

void WriteBytes(const std::string& fileName, const std::string& bytes) {
    TMemoryStream(bytes).SaveToFile(fileName);
}

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    return "no error";
}

std::string U16(uint16_t v) {
    return {char(v & 0xFF), char(v >> 8)};
}
std::string U32(uint32_t v) {
    return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
}

// A directory entry as bytes, with recognisable reserved bytes.
std::string EntryBytes(const std::string& name, uint32_t offset, uint32_t size, uint16_t kind) {
    std::string entry(1, char(name.size()));
    entry += name + std::string(32 - name.size(), '\0');
    entry += "\x11\x22\x33";
    entry += U32(offset) + U32(size) + U16(kind) + "\x44\x55";
    return entry;
}

std::string Header(uint16_t count, uint16_t version = 0) {
    return U16(0x3039) + U16(version) + U16(count) + U16(static_cast<uint16_t>(~count));
}

TEST(Archive, EmptyArchiveIsEightBytes) {
    test::TempDir dir;
    const auto folder = TFileFolder::CreateNew(dir.File("empty.zxc"));
    EXPECT_EQ(folder->DataStart, 8u);
    folder->Save();
    EXPECT_EQ(ReadBytes(dir.File("empty.zxc")), std::string("\x39\x30\x00\x00\x00\x00\xFF\xFF", 8));
    const auto reopened = TFileFolder::Open(dir.File("empty.zxc"));
    EXPECT_EQ(reopened->Count, 0);
    EXPECT_TRUE(reopened->Dir.empty());
}

TEST(Archive, NamesAreCutTo32AndComparedIgnoringCase) {
    test::TempDir dir;
    const auto folder = TFileFolder::CreateNew(dir.File("names.zxc"));
    const std::string longName(40, 'n');
    folder->AddFile(longName, 0, TMemoryStream("x"));
    EXPECT_EQ(folder->Dir[0].Name(), longName.substr(0, 32));
    EXPECT_EQ(folder->IndexOf(longName), -1);
    EXPECT_EQ(folder->IndexOf(longName.substr(0, 32)), 0);

    folder->AddFile("ColorBomb0.pNg", 2, TMemoryStream("png"));
    EXPECT_EQ(folder->IndexOf("colorbomb0.PNG"), 1);
    EXPECT_EQ(folder->Dir[1].Name(), "ColorBomb0.pNg");
    EXPECT_EQ(ErrorOf([&] { folder->AddFile("COLORBOMB0.png", 0, TMemoryStream()); }),
              "Cannot add file (dublicate)");
    EXPECT_EQ(folder->Count, 2);
    EXPECT_EQ(folder->CountCheck, static_cast<uint16_t>(~2));
    // Only A-Z fold: a byte above 127 must match exactly.
    folder->AddFile("\xC4.png", 0, TMemoryStream());
    EXPECT_EQ(folder->IndexOf("\xE4.png"), -1);
}

TEST(Archive, AddFileCopiesTheWholeStreamWhateverItsPosition) {
    test::TempDir dir;
    const auto folder = TFileFolder::CreateNew(dir.File("copy.zxc"));
    TMemoryStream source("abcdef");
    source.SetPosition(4);
    folder->AddFile("a.txt", 7, source);
    EXPECT_EQ(folder->Dir[0].Size, 6u);
    EXPECT_EQ(folder->Dir[0].Kind, 7);
    EXPECT_EQ(folder->Dir[0].Offset, 0u);
    EXPECT_EQ(folder->MemFiles[0].State, TMemFileState::Added);
    EXPECT_EQ(folder->MemFiles[0].Stream->ToString(), "abcdef");
    EXPECT_EQ(source.Position(), 4u);
}

TEST(Archive, SaveRewritesTheSameBytesAndAppendsAddedEntries) {
    test::TempDir dir;
    const std::string original = Header(3) + EntryBytes("first.xml", 0, 3, 0) +
                                 EntryBytes("Empty.bin", 3, 0, 1) +
                                 EntryBytes("third.png", 3, 2, 2) + "abc" + "de";
    WriteBytes(dir.File("game.zxc"), original);

    auto folder = TFileFolder::Open(dir.File("game.zxc"));
    ASSERT_EQ(folder->Count, 3);
    EXPECT_EQ(folder->DataStart, 8u + 3 * 48);
    for (const TMemFile& file : folder->MemFiles) {
        EXPECT_EQ(file.State, TMemFileState::NotLoaded);
        EXPECT_EQ(file.Stream->Size(), 0u);
    }
    folder->Save();
    EXPECT_EQ(ReadBytes(dir.File("game.zxc")), original);
    for (const TMemFile& file : folder->MemFiles) {
        EXPECT_EQ(file.State, TMemFileState::Loaded);
    }

    folder->AddFile("later.txt", 0, TMemoryStream("XYZ"));
    folder->AddFile("last.txt", 0, TMemoryStream("!"));
    folder->Save();
    EXPECT_EQ(folder->MemFiles[3].State, TMemFileState::Added);
    const std::string expected =
        Header(5) + EntryBytes("first.xml", 0, 3, 0) + EntryBytes("Empty.bin", 3, 0, 1) +
        EntryBytes("third.png", 3, 2, 2) +
        EntryBytes("later.txt", 5, 3, 0).replace(33, 3, 3, '\0').replace(46, 2, 2, '\0') +
        EntryBytes("last.txt", 8, 1, 0).replace(33, 3, 3, '\0').replace(46, 2, 2, '\0') +
        "abcdeXYZ!";
    EXPECT_EQ(ReadBytes(dir.File("game.zxc")), expected);

    folder = TFileFolder::Open(dir.File("game.zxc"));
    folder->LoadFile("LATER.TXT");
    EXPECT_EQ(folder->MemFiles[3].Stream->ToString(), "XYZ");
    folder->LoadFile("empty.bin");
    EXPECT_EQ(folder->MemFiles[1].Stream->Size(), 0u);
    EXPECT_EQ(folder->MemFiles[1].State, TMemFileState::Loaded);
    EXPECT_EQ(folder->Dir[1].Offset, folder->Dir[2].Offset);
}

TEST(Archive, OpenRefusesDamagedHeadersWithTheirMessages) {
    test::TempDir dir;
    const std::string file = dir.File("bad.zxc");
    const auto openError = [&](const std::string& bytes) {
        WriteBytes(file, bytes);
        return ErrorOf([&] { TFileFolder::Open(file); });
    };
    EXPECT_EQ(openError("\x39\x30\x00"), "Cannot open FileFolder (wrong file size)");
    EXPECT_EQ(openError(U16(0x3930) + U16(0) + U16(0) + U16(0xFFFF)),
              "Cannot open FileFolder (broked label)");
    EXPECT_EQ(openError(Header(0, 1)), "Cannot open FileFolder (wrong version)");
    EXPECT_EQ(openError(U16(0x3039) + U16(0) + U16(1) + U16(0xFFFF)),
              "Cannot open FileFolder (wrong sizing)");
    EXPECT_EQ(openError(Header(2) + EntryBytes("a", 0, 0, 0)), "Cannot open Dir (wrong size)");
    // The largest count with a short file is refused without reading 3 MB of directory.
    EXPECT_EQ(openError(Header(0xFFFF - 1) + std::string(100, 'x')),
              "Cannot open Dir (wrong size)");
    EXPECT_THROW(TFileFolder::Open(dir.File("missing.zxc")), IOError);
}

TEST(Archive, LoadFileRefusesMissingNamesAndShortData) {
    test::TempDir dir;
    const std::string file = dir.File("short.zxc");
    WriteBytes(file, Header(2) + EntryBytes("ok", 0, 2, 0) + EntryBytes("cut", 2, 10, 0) + "okabc");
    const auto folder = TFileFolder::Open(file);
    EXPECT_EQ(ErrorOf([&] { folder->LoadFile("nothing"); }), "Cannot load file (wrong file name)");
    EXPECT_EQ(ErrorOf([&] { folder->LoadFile("cut"); }), "Cannot load file (wrong file size)");
    EXPECT_EQ(folder->MemFiles[1].Stream->Size(), 0u);
    EXPECT_EQ(folder->MemFiles[1].State, TMemFileState::NotLoaded);
    folder->LoadFile("ok");
    EXPECT_EQ(folder->MemFiles[0].Stream->ToString(), "ok");

    // A directory claiming gigabytes must not be allocated.
    WriteBytes(file, Header(1) + EntryBytes("huge", 0xFFFFFF00u, 0xFFFFFFF0u, 0) + "x");
    const auto damaged = TFileFolder::Open(file);
    EXPECT_EQ(ErrorOf([&] { damaged->LoadFile("huge"); }), "Cannot load file (wrong file size)");
    EXPECT_EQ(ErrorOf([&] { damaged->Save(); }), "Cannot load file (wrong file size)");
    EXPECT_EQ(ReadBytes(file).size(), 8u + 48 + 1);
}

TEST(Archive, FailedSaveLeavesTheOldArchiveWhole) {
    test::TempDir dir;
    const std::string file = dir.File("keep.zxc");
    const std::string original = Header(1) + EntryBytes("a", 0, 1, 0) + "A";
    WriteBytes(file, original);
    const auto folder = TFileFolder::Open(file);
    folder->AddFile("b", 0, TMemoryStream("B"));
    // The disk fills up inside the directory.
    const std::string error = ErrorOf([&] { folder->Save(test::DiskFullAfter(60)); });
    EXPECT_EQ(error.rfind("Cannot write file \"" + file + ".", 0), 0u) << error;
    EXPECT_TRUE(error.ends_with("\": No space left on device")) << error;
    EXPECT_EQ(ReadBytes(file), original);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
    folder->Save();
    EXPECT_EQ(TFileFolder::Open(file)->Count, 2);
    EXPECT_EQ(ReadBytes(file).substr(8 + 2 * 48), "AB");
}

} // namespace
} // namespace qz
