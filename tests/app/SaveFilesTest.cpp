#include "app/SaveFiles.h"

#include "TempDir.h"
#include "archive/Error.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>

namespace qz::test {
namespace {

namespace fs = std::filesystem;

std::string Refusal(std::string_view name) {
    try {
        SaveFilePath("saves", name);
    } catch (const Error& error) {
        return error.what();
    }
    return {};
}

// Names come from an edit whose forbidden characters the interface description sets; the
// path is safe without them.
TEST(SaveFiles, NamesThatWouldLeaveTheFolderOrHideAreRefused) {
    EXPECT_EQ(SaveFilePath("saves", "Level 3"), fs::path("saves/Level 3.sav"));
    EXPECT_EQ(SaveFilePath("saves", "M\xfcller"), fs::path("saves/M\xc3\xbcller.sav"));
    EXPECT_EQ(SaveFilePath("saves", "a.b"), fs::path("saves/a.b.sav"));
    EXPECT_EQ(SaveFilePath("saves", std::string(64, 'x')),
              fs::path("saves/" + std::string(64, 'x') + ".sav"));

    EXPECT_EQ(Refusal(""), "a saved game needs a name");
    EXPECT_EQ(Refusal("../options"), "the name \"../options\" cannot be used for a saved game: "
                                     "it holds \"/\", \"\\\" or \"\"\"");
    EXPECT_NE(Refusal("a\\b").find("it holds"), std::string::npos);
    EXPECT_NE(Refusal("say \"hi\"").find("it holds"), std::string::npos);
    EXPECT_NE(Refusal("..").find("it holds \"..\""), std::string::npos);
    EXPECT_NE(Refusal("a..b").find("it holds \"..\""), std::string::npos);
    EXPECT_NE(Refusal(".hidden").find("it starts with a dot"), std::string::npos);
    // The game the title continues keeps its own file: no save takes its place.
    EXPECT_NE(Refusal("resume").find("kept for the game the title continues"), std::string::npos);
    EXPECT_EQ(Refusal("Resume"), "");
    EXPECT_EQ(ResumeSavePath("saves"), fs::path("saves/resume.sav"));
    for (const char* name : {"tab\there", "bell\a", "del\x7f", "c1\x85", "nl\n"})
        EXPECT_EQ(Refusal(name), "the name of a saved game cannot hold control characters") << name;
    EXPECT_NE(Refusal(std::string(65, 'x')).find("too long"), std::string::npos);
    // The limit counts the bytes of the file name: 32 letters with an accent take 64.
    EXPECT_EQ(Refusal(std::string(32, '\xe9')), "");
    EXPECT_NE(Refusal(std::string(33, '\xe9')).find("too long"), std::string::npos);
}

TEST(SaveFiles, TheListShowsEveryNameThatLoadsBackAndNothingElse) {
    TempDir dir;
    for (const char* file :
         {"autosave.sav", "resume.sav", "M\xc3\xbcller.sav", "notes.SAV", "sav", ".sav",
          ".hidden.sav", "bad\xff.sav", "\xe2\x82\xac uro.sav", "b.sav.saving", "zsav"})
        std::ofstream(dir.Path() / file) << "x";
    fs::create_directory(dir.Path() / "folder.sav");
    EXPECT_EQ(SaveNames(dir.Path()), (std::vector<std::string>{"M\xfcller", "autosave"}));
    EXPECT_EQ(SaveFilePath(dir.Path(), SaveNames(dir.Path())[0]), dir.Path() / "M\xc3\xbcller.sav");
    EXPECT_TRUE(SaveNames(dir.Path() / "none").empty());

    // Each row gives the time its file was written.
    const fs::path save = dir.Path() / "autosave.sav";
    fs::last_write_time(save, std::chrono::file_clock::from_sys(
                                  std::chrono::time_point_cast<fs::file_time_type::duration>(
                                      std::chrono::system_clock::from_time_t(1'780'304'400))));
    EXPECT_EQ(SaveTimeText(save, true), "2026-06-01 09:00");
    EXPECT_EQ(SaveTimeText(dir.Path() / "none.sav", true), "");
}

} // namespace
} // namespace qz::test
