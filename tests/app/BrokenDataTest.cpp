// The game on damaged copies of its own data: a start that cannot go on is exactly one
// message naming the file and what the player can do, and the program ends with exit code 1;
// a damage the game can live with is told once and the game goes on.
#include "TempDir.h"
#include "app/Form1.h"
#include "app/InputScript.h"
#include "archive/FileFolder.h"
#include "audio/NullAudioDevice.h"
#include "platform/Clock.h"
#include "platform/HeadlessDisplay.h"
#include "platform/MessageBox.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

namespace qz {
namespace {

namespace fs = std::filesystem;

class RecordingBox final : public IMessageBox {
public:
    void ShowError(const std::string& message) override { Messages.push_back(message); }
    std::vector<std::string> Messages;
};

std::string Joined(const std::vector<std::string>& messages) {
    std::string text;
    for (const std::string& message : messages)
        text += message + "\n";
    return text;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The archive written again with change applied to its entries (by name: nothing removes
// the entry, anything else replaces its bytes).
void Rewrite(
    const fs::path& file,
    const std::function<std::optional<std::string>(const std::string&, std::string)>& change) {
    std::unique_ptr<TFileFolder> from = TFileFolder::Open(file.string());
    std::unique_ptr<TFileFolder> to = TFileFolder::CreateNew(file.string() + ".new");
    for (size_t i = 0; i < from->Dir.size(); ++i) {
        const std::string name = from->Dir[i].Name();
        const std::optional<std::string> bytes =
            change(name, from->Entry(static_cast<int>(i)).ToString());
        if (bytes)
            to->AddFile(name, from->Dir[i].Kind, TMemoryStream(*bytes));
    }
    to->Save();
    from.reset();
    to.reset();
    fs::rename(file.string() + ".new", file);
}

class BrokenData : public ::testing::Test {
protected:
    BrokenData() {
        for (const char* folder : {"game", "levels", "lng"})
            fs::copy(fs::path(QUARZEL_BIN_DIR) / folder, program.Path() / folder,
                     fs::copy_options::recursive);
    }
    fs::path GameFile() const { return program.Path() / "game" / "game.zxc"; }
    fs::path LevelsFile() const { return program.Path() / "levels" / "levels.zxc"; }

    // Starts the game and runs its intro until the title or a failed start; prepare puts
    // something into the user's folder once the working copies of an earlier start are gone.
    void Start(const std::function<void()>& prepare = {}) {
        box.Messages.clear();
        fs::remove_all(user.Path() / "temp");
        if (prepare)
            prepare();
        form = std::make_unique<TForm1>(TFolders{program.Path(), user.Path(), false},
                                        TFormServices{clock, audio, box, &display, nullptr});
        form->FormCreate();
        form->FormActivate();
        for (int i = 0; i < 600 && form->StartFailure().empty() && form->Game.GameState != gsTitle;
             ++i) {
            clock.Advance(10);
            form->IdlePass();
        }
    }
    // From the title, a new game in the default mode.
    void StartNewGame() {
        for (const char* control : {"WTitle_BNewGame", "WStartGame_BPlay"}) {
            TScriptInput input(
                [&](const std::string& name) { return form->Interface->ControlBounds(name); });
            for (const TInputEvent& event :
                 input.Translate(ParseInputScriptLine(std::string("0 click ") + control, 1)))
                form->HandleInput(event);
            form->IdlePass();
        }
    }
    // One message, the start failure, naming the file and the remedy; no title.
    void ExpectFailedStart(const fs::path& file, const std::string& remedy,
                           const std::function<void()>& prepare = {}) {
        Start(prepare);
        ASSERT_EQ(box.Messages.size(), 1u) << Joined(box.Messages);
        EXPECT_EQ(form->StartFailure(), box.Messages[0]);
        EXPECT_NE(box.Messages[0].find("\"" + file.string() + "\""), std::string::npos)
            << box.Messages[0];
        EXPECT_NE(box.Messages[0].find(remedy), std::string::npos) << box.Messages[0];
        EXPECT_NE(form->Game.GameState, gsTitle);
        form->FormDestroy();
    }

    test::TempDir program;
    test::TempDir user;
    TManualClock clock{0};
    TNullAudioDevice audio;
    RecordingBox box;
    THeadlessDisplay display;
    std::unique_ptr<TForm1> form;
};

TEST_F(BrokenData, EachStartThatCannotGoOnIsOneMessage) {
    const std::string reinstall = "Please reinstall the game.";
    const std::string shipped = ReadText(GameFile());
    const auto restore = [&] { std::ofstream(GameFile(), std::ios::binary) << shipped; };

    fs::remove(GameFile());
    ExpectFailedStart(GameFile(), reinstall);
    std::ofstream(GameFile(), std::ios::binary).flush();
    ExpectFailedStart(GameFile(), reinstall);
    std::ofstream(GameFile(), std::ios::binary) << std::string(5000, '\x5a');
    ExpectFailedStart(GameFile(), reinstall);
    // Cut in the middle of its entries.
    std::ofstream(GameFile(), std::ios::binary) << shipped.substr(0, shipped.size() / 2);
    ExpectFailedStart(GameFile(), reinstall);
    restore();

    // Damaged entries the game cannot run without: the font, the interface, the definitions.
    for (const char* entry : {"NyxUnicode.xml", "Slider.li", "MetaColors.xml"}) {
        SCOPED_TRACE(entry);
        Rewrite(GameFile(), [&](const std::string& name, std::string bytes) {
            return name == entry ? std::optional<std::string>("<Junk") : bytes;
        });
        ExpectFailedStart(GameFile(), reinstall);
        restore();
    }
    // One property element misspelt: the description still reads, but every window after
    // it would be missing.
    Rewrite(GameFile(), [](const std::string& name, std::string bytes) {
        if (name == "Slider.li") {
            const size_t at = bytes.find("<p n=\"ParentName\">WTitle</p>");
            EXPECT_NE(at, std::string::npos);
            if (at != std::string::npos)
                bytes[at + 1] = 't';
        }
        return std::optional(bytes);
    });
    ExpectFailedStart(GameFile(), reinstall);
    restore();
    Rewrite(GameFile(), [](const std::string& name, std::string bytes) {
        return name == "fishkaShapes.xml" ? std::nullopt : std::optional(bytes);
    });
    ExpectFailedStart(GameFile(), reinstall);
    restore();

    const std::string levels = ReadText(LevelsFile());
    std::ofstream(LevelsFile(), std::ios::binary) << "junk";
    ExpectFailedStart(LevelsFile(), reinstall);
    std::ofstream(LevelsFile(), std::ios::binary) << levels;

    // No room for the working copies.
    ExpectFailedStart(user.Path() / "temp" / "game.zxc", "Free some disk space", [&] {
        std::ofstream(user.Path() / "temp") << "a file where the folder should be";
    });
    fs::remove(user.Path() / "temp");

    // A damaged working copy from an earlier start.
    ExpectFailedStart(user.Path() / "temp" / "game.zxc", "Delete it", [&] {
        fs::create_directories(user.Path() / "temp");
        std::ofstream(user.Path() / "temp" / "game.zxc") << "junk";
    });

    // The undamaged data starts without a word.
    Start();
    EXPECT_TRUE(box.Messages.empty()) << box.Messages.front();
    EXPECT_EQ(form->Game.GameState, gsTitle);
}

TEST_F(BrokenData, AFailingScriptCostsOnlyItsPicture) {
    std::string failing;
    Rewrite(GameFile(), [&](const std::string& name, std::string bytes) {
        if (failing.empty() && name.ends_with("._aim")) {
            failing = name;
            return std::optional<std::string>("<AutoImage name=\"x\"><Junk");
        }
        return std::optional(bytes);
    });
    ASSERT_FALSE(failing.empty());
    Start();
    ASSERT_EQ(box.Messages.size(), 1u) << Joined(box.Messages);
    EXPECT_NE(box.Messages[0].find(failing.substr(0, failing.size() - 5)), std::string::npos)
        << box.Messages[0];
    EXPECT_TRUE(form->StartFailure().empty());
    EXPECT_EQ(form->Game.GameState, gsTitle);
    form->FormDestroy();
    // The working copy holds every other entry, and no temporary file was left.
    std::unique_ptr<TFileFolder> shipped = TFileFolder::Open(GameFile().string());
    std::unique_ptr<TFileFolder> working =
        TFileFolder::Open((user.Path() / "temp" / "game.zxc").string());
    EXPECT_GT(working->Dir.size(), shipped->Dir.size() / 2);
    EXPECT_GE(working->IndexOf("Slider.li"), 0);
    EXPECT_GE(working->IndexOf("MetaColors.xml"), 0);
    for (const auto& entry : fs::directory_iterator(user.Path() / "temp"))
        EXPECT_FALSE(entry.path().string().ends_with(".saving")) << entry.path();
}

TEST_F(BrokenData, AMissingFirstLevelIsOneMessageAndTheTitleAgain) {
    Rewrite(LevelsFile(), [](const std::string& name, std::string bytes) {
        return name == "Level1.xml" ? std::nullopt : std::optional(bytes);
    });
    Start();
    ASSERT_TRUE(box.Messages.empty()) << box.Messages.front();
    ASSERT_EQ(form->Game.GameState, gsTitle);
    StartNewGame();
    ASSERT_EQ(box.Messages.size(), 1u) << Joined(box.Messages);
    EXPECT_NE(box.Messages[0].find("Level1.xml"), std::string::npos) << box.Messages[0];
    EXPECT_EQ(form->Game.GameState, gsTitle);
    EXPECT_EQ(form->Interface->OpenWindows(), std::vector<std::string>{"WTitle"});
}

// Two damaged pictures of the first level: the first is told, both go missing, and the level
// plays without them.
TEST_F(BrokenData, DamagedLevelPicturesAreToldOnceAndTheLevelPlays) {
    Rewrite(LevelsFile(), [](const std::string& name, std::string bytes) {
        if (name == "map_dawn1.png" || name == "deco_dawn2.png")
            bytes.replace(bytes.size() / 2, 16, std::string(16, '\x5a'));
        return std::optional(bytes);
    });
    Start();
    ASSERT_TRUE(box.Messages.empty()) << box.Messages.front();
    ASSERT_EQ(form->Game.GameState, gsTitle);
    StartNewGame();
    ASSERT_EQ(box.Messages.size(), 1u) << Joined(box.Messages);
    EXPECT_NE(box.Messages[0].find("damaged"), std::string::npos) << box.Messages[0];
    EXPECT_EQ(form->Game.GameState, gsGamePlay);
    for (int i = 0; i < 100; ++i) {
        clock.Advance(10);
        form->IdlePass();
    }
    EXPECT_EQ(box.Messages.size(), 1u) << Joined(box.Messages);
    EXPECT_EQ(form->Game.GameState, gsGamePlay);
    EXPECT_GT(form->Board->Layer().Fishkas.size(), 0u);
}

// A folder, a pipe or an oversized file where the options or a language should be: told by
// name, never a hang, and the game plays on with its defaults.
TEST_F(BrokenData, OddFilesForTheOptionsOrTheLanguageAreToldByName) {
    const fs::path options = user.Path() / "options.cfg";
    const std::vector<std::pair<std::string, std::function<void(const fs::path&)>>> odd = {
        {"a folder", [](const fs::path& file) { fs::create_directory(file); }},
        {"a pipe", [](const fs::path& file) { ASSERT_EQ(mkfifo(file.c_str(), 0600), 0); }},
        {"a huge file",
         [](const fs::path& file) {
             std::ofstream(file, std::ios::binary) << "[Options]\r\n" << std::string(1100000, ';');
         }},
    };
    for (const auto& [what, make] : odd) {
        SCOPED_TRACE(what);
        make(options);
        Start();
        ASSERT_EQ(box.Messages.size(), 1u) << Joined(box.Messages);
        EXPECT_NE(box.Messages[0].find("\"" + options.string() + "\""), std::string::npos)
            << box.Messages[0];
        EXPECT_EQ(form->Game.GameState, gsTitle);
        EXPECT_EQ(form->Options.MusicVolume, 100);
        // The shutdown leaves the thing alone and says nothing more.
        form->FormDestroy();
        EXPECT_EQ(box.Messages.size(), 1u);
        EXPECT_TRUE(fs::exists(fs::symlink_status(options)));
        fs::remove_all(options);
    }
    // A language file that is no file is not listed: the texts stay those of the interface.
    // One too large to be a language file is told by name.
    const fs::path language = program.Path() / "lng" / "ENU_1.lng";
    for (const auto& [what, make] : odd) {
        SCOPED_TRACE(what);
        fs::remove_all(language);
        make(language);
        Start();
        for (const std::string& message : box.Messages)
            EXPECT_NE(message.find("\"" + language.string() + "\""), std::string::npos) << message;
        EXPECT_EQ(box.Messages.empty(), what != "a huge file");
        EXPECT_EQ(form->Game.GameState, gsTitle);
        form->FormDestroy();
    }
}

// The program itself: the message on stderr and exit code 1, at start-up and in the intro.
TEST_F(BrokenData, TheProgramEndsWithExitCode1) {
    const auto run = [&] {
        const std::string command = std::string(QUARZEL_BINARY) + " --headless --data-dir " +
                                    program.Path().string() + " --quit-when title > /dev/null 2> " +
                                    program.File("err.txt");
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const std::string shipped = ReadText(GameFile());
    fs::remove(GameFile());
    EXPECT_EQ(run(), 1);
    EXPECT_NE(ReadText(program.Path() / "err.txt").find("Please reinstall the game."),
              std::string::npos)
        << ReadText(program.Path() / "err.txt");
    std::ofstream(GameFile(), std::ios::binary) << shipped;
    Rewrite(GameFile(), [](const std::string& name, std::string bytes) {
        return name == "BossTypes.xml" ? std::nullopt : std::optional(bytes);
    });
    EXPECT_EQ(run(), 1);
    EXPECT_NE(ReadText(program.Path() / "err.txt").find("Please reinstall the game."),
              std::string::npos)
        << ReadText(program.Path() / "err.txt");
}

} // namespace
} // namespace qz
