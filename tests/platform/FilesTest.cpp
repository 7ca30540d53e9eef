#include "TempDir.h"
#include "WriteCalls.h"
#include "archive/Error.h"
#include "platform/Folders.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "platform/SettingsStore.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <vector>

using namespace qz;
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteAll(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

size_t FilesIn(const fs::path& folder) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) {
        ++n;
    }
    return n;
}

TFolderRequest Request(std::optional<fs::path> dataDir, fs::path executable, TEnvironment env,
                       std::function<bool(const fs::path&)> isWritable) {
    TFolderRequest request;
    request.DataDir = std::move(dataDir);
    request.Executable = std::move(executable);
    request.Environment = std::move(env);
    request.IsWritable = std::move(isWritable);
    return request;
}

TEnvironment FakeEnvironment(std::map<std::string, std::string> values) {
    return [values](const std::string& name) -> std::optional<std::string> {
        const auto it = values.find(name);
        if (it == values.end()) {
            return std::nullopt;
        }
        return it->second;
    };
}

} // namespace

TEST(IniFile, ReadsValuesIgnoringCaseWithDefaults) {
    const TIniFile ini = TIniFile::FromText("; options\n"
                                            "[Options]\n"
                                            "  SoundVolume = 40 \n"
                                            "musicvolume=abc\n"
                                            "PlayerName=\"  Anna  \"\n"
                                            "SoundVolume=99\n"
                                            "[Version]\n"
                                            "Build=116\n");
    EXPECT_EQ(ini.ReadInteger("options", "SOUNDVOLUME", 100), 40);  // the first of two counts
    EXPECT_EQ(ini.ReadInteger("Options", "MusicVolume", 100), 100); // not a number
    EXPECT_EQ(ini.ReadInteger("Options", "DebugMode", 0), 0);       // missing key
    EXPECT_EQ(ini.ReadInteger("Nothing", "Build", 7), 7);           // missing section
    EXPECT_EQ(ini.ReadString("Options", "PlayerName", "Player"), "  Anna  ");
    EXPECT_EQ(ini.ReadString("Version", "Build", ""), "116");
    EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"Options", "Version"}));
}

TEST(IniFile, SaveKeepsForeignKeysCommentsAndLineEnds) {
    test::TempDir dir;
    const fs::path file = dir.Path() / "options.cfg";
    WriteAll(file, "[Version]\r\nBuild=100\r\n\r\n"
                   "[Options]\r\n; set by hand\r\nScreenWidth=1024\r\nSoundVolume=10\r\n"
                   "WindowModeX=33\r\n\r\n"
                   "[Mine]\r\nFoo=bar\r\n");
    {
        TIniFile ini(file);
        ini.WriteString("Version", "Build", "116");
        ini.WriteString("Options", "PlayerName", "Player");
        ini.WriteInteger("Options", "SoundVolume", 55);
        ini.WriteInteger("Options", "MusicVolume", 0);
        ini.Save();
    }
    EXPECT_EQ(ReadAll(file), "[Version]\r\nBuild=116\r\n\r\n"
                             "[Options]\r\n; set by hand\r\nScreenWidth=1024\r\nSoundVolume=55\r\n"
                             "WindowModeX=33\r\nPlayerName=Player\r\nMusicVolume=0\r\n\r\n"
                             "[Mine]\r\nFoo=bar\r\n");
    EXPECT_EQ(FilesIn(dir.Path()), 1u); // no temporary file left behind

    const TIniFile again(file);
    EXPECT_EQ(again.ReadInteger("Options", "ScreenWidth", 800), 1024);
    EXPECT_EQ(again.ReadInteger("Options", "SoundVolume", 100), 55);
    EXPECT_EQ(again.ReadString("Mine", "Foo", ""), "bar");
}

TEST(IniFile, NewFileAndValuesThatNeedCare) {
    test::TempDir dir;
    TIniFile ini(dir.Path() / "missing.cfg");
    EXPECT_TRUE(ini.Sections().empty());
    ini.WriteString("Version", "Build", "116");
    ini.WriteString("Options", "PlayerName", "Evil\r\nDebugMode=1");
    ini.WriteString("Options", "Padded", " x ");
    ini.WriteString("Options", "Quoted", "\"q\"");
    EXPECT_EQ(ini.Text(), "[Version]\r\nBuild=116\r\n\r\n[Options]\r\n"
                          "PlayerName=Evil  DebugMode=1\r\nPadded=\" x \"\r\n"
                          "Quoted=\"\"q\"\"\r\n");
    ini.Save();
    const TIniFile again(dir.Path() / "missing.cfg");
    EXPECT_FALSE(again.Read("Options", "DebugMode").has_value()); // no key smuggled in
    EXPECT_EQ(again.ReadString("Options", "Padded", ""), " x ");
    EXPECT_EQ(again.ReadString("Options", "Quoted", ""), "\"q\"");
    EXPECT_EQ(again.Keys("OPTIONS"), (std::vector<std::string>{"PlayerName", "Padded", "Quoted"}));

    TIniFile lf = TIniFile::FromText("[A]\nx=1\n");
    lf.WriteString("a", "y", "2");
    EXPECT_TRUE(lf.DeleteKey("A", "X"));
    EXPECT_FALSE(lf.DeleteKey("A", "x"));
    EXPECT_EQ(lf.Text(), "[A]\ny=2\n");
}

TEST(SafeFile, FailureLeavesTheOldFile) {
    test::TempDir dir;
    const fs::path file = dir.Path() / "a.txt";
    WriteFileSafely(file, "one");
    WriteFileSafely(file, "two");
    EXPECT_EQ(ReadAll(file), "two");
    try {
        WriteFileSafely(file, "three", test::DiskFullAfter(2));
        ADD_FAILURE() << "no error";
    } catch (const IOError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot write " + file.string() + ": No space left on device");
    }
    EXPECT_EQ(ReadAll(file), "two");
    EXPECT_THROW(WriteFileSafely(dir.Path() / "no" / "such" / "b.txt", "x"), IOError);
    // A folder where the file should be: the rename fails, nothing else changes.
    fs::create_directory(dir.Path() / "c.txt");
    fs::path inside = dir.Path() / "c.txt" / "keep";
    WriteAll(inside, "k");
    EXPECT_THROW(WriteFileSafely(dir.Path() / "c.txt", "x"), IOError);
    EXPECT_EQ(ReadAll(inside), "k");
    EXPECT_EQ(FilesIn(dir.Path()), 2u);
}

TEST(SettingsStore, FileStoreRoundTripsUnderItsKeyPath) {
    test::TempDir dir;
    const fs::path file = dir.Path() / "config" / "quarzel" / "settings.ini";
    {
        TFileSettingsStore store(file);
        EXPECT_FALSE(store.ReadString("Software\\Tindrel\\Quarzel", "LangStr").has_value());
        store.WriteString("Software\\Tindrel\\Quarzel", "LangStr", "DEU");
        store.WriteString("Software\\Tindrel\\Logo", "Url", "http://example.org/?a=b");
        store.WriteString("Software\\Tindrel\\Quarzel", "LangStr", "FRA");
    }
    EXPECT_EQ(ReadAll(file), "[Software\\Tindrel\\Quarzel]\r\nLangStr=FRA\r\n\r\n"
                             "[Software\\Tindrel\\Logo]\r\nUrl=http://example.org/?a=b\r\n");
    const TFileSettingsStore reread(file);
    EXPECT_EQ(reread.ReadString("software\\tindrel\\quarzel", "langstr"), "FRA");
    EXPECT_EQ(reread.ReadString("Software\\Tindrel\\Logo", "Url"), "http://example.org/?a=b");
    EXPECT_FALSE(reread.ReadString("Software\\Tindrel", "LangStr").has_value());

    TMemorySettingsStore memory;
    memory.WriteString("Software\\Tindrel\\Quarzel", "LangStr", "ENU");
    EXPECT_EQ(memory.ReadString("SOFTWARE\\TINDREL\\QUARZEL", "langstr"), "ENU");
    EXPECT_FALSE(memory.ReadString("Software\\Tindrel\\Quarzel", "Other").has_value());
}

TEST(Folders, XdgFoldersAndTheirFallbacks) {
    EXPECT_EQ(DataHomeFolder(FakeEnvironment({{"HOME", "/home/a"}})),
              fs::path("/home/a/.local/share/quarzel"));
    EXPECT_EQ(DataHomeFolder(FakeEnvironment({{"HOME", "/home/a"}, {"XDG_DATA_HOME", "/d"}})),
              fs::path("/d/quarzel"));
    // Empty or relative values are not valid base folders.
    EXPECT_EQ(DataHomeFolder(FakeEnvironment({{"HOME", "/home/a"}, {"XDG_DATA_HOME", ""}})),
              fs::path("/home/a/.local/share/quarzel"));
    EXPECT_EQ(ConfigFolder(FakeEnvironment({{"HOME", "/home/a"}, {"XDG_CONFIG_HOME", "rel"}})),
              fs::path("/home/a/.config/quarzel"));
    EXPECT_EQ(ConfigFolder(FakeEnvironment({{"HOME", "/h"}, {"XDG_CONFIG_HOME", "/c"}})),
              fs::path("/c/quarzel"));
    // No HOME: the password database still names one.
    EXPECT_TRUE(HomeFolder(FakeEnvironment({})).is_absolute());
}

TEST(Folders, ProgramFolderAndWhereTheGameWrites) {
    test::TempDir dir;
    const fs::path game = dir.Path() / "game";
    fs::create_directories(game / "bin");
    const TEnvironment env = FakeEnvironment({{"HOME", (dir.Path() / "home").string()}});
    const auto writable = [](const fs::path&) { return true; };
    const auto readOnly = [](const fs::path&) { return false; };

    // By default the executable's folder, which takes the game's files when writable.
    TFolders f = ResolveFolders(Request({}, game / "bin" / "quarzel", env, writable));
    EXPECT_EQ(f.ProgramFolder, game / "bin");
    EXPECT_EQ(f.UserFolder, game / "bin");
    EXPECT_TRUE(f.UserFolderIsProgramFolder);

    // --data-dir wins, and is made absolute and tidy.
    f = ResolveFolders(Request(game / "bin" / ".." / "", game / "bin" / "quarzel", env, writable));
    EXPECT_EQ(f.ProgramFolder, game);

    // A read-only program folder: the user's data folder is made and used.
    f = ResolveFolders(Request(game, {}, env, readOnly));
    EXPECT_EQ(f.ProgramFolder, game);
    EXPECT_EQ(f.UserFolder, dir.Path() / "home" / ".local" / "share" / "quarzel");
    EXPECT_FALSE(f.UserFolderIsProgramFolder);
    EXPECT_TRUE(fs::is_directory(f.UserFolder));

    // A data folder that cannot be made is an error, not a silent fallback.
    WriteAll(dir.Path() / "file", "x");
    const auto blocked = FakeEnvironment({{"XDG_DATA_HOME", (dir.Path() / "file").string()}});
    EXPECT_THROW(ResolveFolders(Request(game, {}, blocked, readOnly)), IOError);

    // With nothing given: this test's own folder, and the real file-system check.
    f = ResolveFolders();
    EXPECT_EQ(f.ProgramFolder, ExecutableFolder());
    EXPECT_TRUE(f.ProgramFolder.is_absolute());
    EXPECT_TRUE(IsWritableFolder(dir.Path()));
    EXPECT_FALSE(IsWritableFolder(dir.Path() / "nothing-here"));
}

TEST(Folders, InstalledLayoutFindsShareQuarzel) {
    test::TempDir dir;
    const fs::path prefix = dir.Path() / "usr";
    const fs::path share = prefix / "share" / "quarzel";
    fs::create_directories(prefix / "bin");
    fs::create_directories(share / "game");
    WriteAll(share / "game" / "game.zxc", "zxc");
    const fs::path xdg = dir.Path() / "xdg";
    const TEnvironment env = FakeEnvironment({{"XDG_DATA_HOME", xdg.string()}});
    // A system install: only the user's own folders can be written.
    std::vector<fs::path> asked;
    const auto systemWide = [&](const fs::path& folder) {
        asked.push_back(folder);
        return !folder.string().starts_with(prefix.string());
    };

    TFolders f = ResolveFolders(Request({}, prefix / "bin" / "quarzel", env, systemWide));
    EXPECT_EQ(f.ProgramFolder, share);
    EXPECT_EQ(f.UserFolder, xdg / "quarzel");
    EXPECT_FALSE(f.UserFolderIsProgramFolder);
    EXPECT_TRUE(fs::is_directory(xdg / "quarzel"));
    EXPECT_EQ(asked, std::vector<fs::path>{share});

    // Reached through "..", the share folder is still named tidily.
    f = ResolveFolders(Request({}, prefix / "bin" / ".." / "bin" / "quarzel", env, systemWide));
    EXPECT_EQ(f.ProgramFolder, share);

    // A user install (a writable prefix) keeps its files next to the data.
    f = ResolveFolders(
        Request({}, prefix / "bin" / "quarzel", env, [](const fs::path&) { return true; }));
    EXPECT_EQ(f.ProgramFolder, share);
    EXPECT_EQ(f.UserFolder, share);
    EXPECT_TRUE(f.UserFolderIsProgramFolder);

    // --data-dir wins over the installed data.
    f = ResolveFolders(Request(prefix / "bin", prefix / "bin" / "quarzel", env, systemWide));
    EXPECT_EQ(f.ProgramFolder, prefix / "bin");

    // A "game" folder without the archive does not make the executable's folder the data.
    fs::create_directories(prefix / "bin" / "game");
    f = ResolveFolders(Request({}, prefix / "bin" / "quarzel", env, systemWide));
    EXPECT_EQ(f.ProgramFolder, share);

    // A build folder holding the archive next to the executable wins over an install beside it.
    WriteAll(prefix / "bin" / "game" / "game.zxc", "zxc");
    f = ResolveFolders(Request({}, prefix / "bin" / "quarzel", env, systemWide));
    EXPECT_EQ(f.ProgramFolder, prefix / "bin");

    // No data anywhere: the executable's folder, as before.
    fs::create_directories(dir.Path() / "bare" / "bin");
    f = ResolveFolders(Request({}, dir.Path() / "bare" / "bin" / "quarzel", env, systemWide));
    EXPECT_EQ(f.ProgramFolder, dir.Path() / "bare" / "bin");
}
