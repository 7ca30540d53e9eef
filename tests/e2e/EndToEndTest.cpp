// The built game played through its screens: each file of scenarios/ is one or more headless
// runs of `quarzel` on a copy of the shipped data, whose "expect" lines check the screen
// state, the windows, the controls and the files as the game goes. Every screenshot a
// scenario takes is compared with its reference picture in references/ (both at half size,
// within a small tolerance); when they differ, a difference picture is written next to the
// screenshot. With QUARZEL_UPDATE_REFERENCES=1 the screenshots become the references
// (scripts/e2e-references.sh).
//
// Scenario lines beginning "#!" are for this harness: "#! run ARGS..." starts the next run
// of the game with these extra arguments ("{source}" in them stands for the project's
// folder; runs share the data folder, so a run sees what the one before it wrote), and
// "#! option KEY=VALUE" sets a key of options.cfg before it. "#! file PATH HOW..." writes a
// file of the data folder before it: "lines A | B" the lines as the game writes a save (each
// through the line codec), "text WORD" that word on a line as it stands, "cut SOURCE N" the
// first N bytes of another file, "random N" N seeded random bytes.

#include "archive/CUnit.h"
#include "gfx/JpegPNG.h"
#include "platform/IniFile.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

extern char** environ;

namespace qz {
namespace {

namespace fs = std::filesystem;

const fs::path Scenarios = QUARZEL_E2E_SOURCE "/scenarios";
const fs::path References = QUARZEL_E2E_SOURCE "/references";
const fs::path Output = QUARZEL_E2E_OUTPUT;

// A channel may differ by this much before the pixel counts as different, and this share
// of the pixels may differ before the pictures do.
constexpr int ChannelTolerance = 24;
constexpr double PixelShare = 0.002;

// A file a scenario plants in the data folder: its path there, the words that say how, and
// for "lines" the text after that word as it stands.
struct TPlantedFile {
    std::string Path;
    std::vector<std::string> How;
    std::string Lines;
};

struct TRun {
    std::vector<std::string> Arguments;
    std::vector<std::pair<std::string, std::string>> Options;
    std::vector<TPlantedFile> Files;
    std::string Script;
};

std::string ReadText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

std::vector<TRun> ReadScenario(const fs::path& file) {
    std::vector<TRun> runs;
    std::vector<std::pair<std::string, std::string>> options; // for the next run
    std::vector<TPlantedFile> files;
    std::istringstream lines(ReadText(file));
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("#!")) {
            const std::vector<std::string> words = Words(line.substr(2));
            if (!words.empty() && words[0] == "run") {
                runs.emplace_back();
                runs.back().Options = std::move(options);
                runs.back().Files = std::move(files);
                options.clear();
                files.clear();
                for (auto word = words.begin() + 1; word != words.end(); ++word) {
                    std::string argument = *word;
                    if (const size_t at = argument.find("{source}"); at != std::string::npos)
                        argument.replace(at, 8, QUARZEL_SOURCE_DIR);
                    runs.back().Arguments.push_back(argument);
                }
            } else if (words.size() == 2 && words[0] == "option" &&
                       words[1].find('=') != std::string::npos) {
                const size_t equals = words[1].find('=');
                options.emplace_back(words[1].substr(0, equals), words[1].substr(equals + 1));
            } else if (words.size() >= 3 && words[0] == "file") {
                const size_t lines = line.find(" lines ");
                files.push_back({words[1],
                                 {words.begin() + 2, words.end()},
                                 lines == std::string::npos ? "" : line.substr(lines + 7)});
            } else {
                ADD_FAILURE() << file << ": unknown harness line " << line;
            }
            continue;
        }
        if (runs.empty()) {
            // The scenario's own description, before its first run.
            const size_t start = line.find_first_not_of(" \t\r");
            if (start == std::string::npos || line[start] == '#')
                continue;
            runs.emplace_back();
            runs.back().Options = std::move(options);
            options.clear();
        }
        runs.back().Script += line + "\n";
    }
    return runs;
}

void Plant(const fs::path& data, const TPlantedFile& file) {
    const fs::path target = data / file.Path;
    fs::create_directories(target.parent_path());
    const std::string& how = file.How[0];
    std::string bytes;
    if (how == "lines") {
        std::istringstream parts(file.Lines);
        for (std::string part; std::getline(parts, part, '|');) {
            const size_t first = part.find_first_not_of(' ');
            const size_t last = part.find_last_not_of(" \r");
            bytes +=
                EncodeText(first == std::string::npos ? "" : part.substr(first, last - first + 1));
            bytes += "\r\n";
        }
    } else if (how == "text" && file.How.size() == 2) {
        bytes = file.How[1] + "\n";
    } else if (how == "cut" && file.How.size() == 3) {
        bytes = ReadText(data / file.How[1]).substr(0, std::stoul(file.How[2]));
    } else if (how == "random" && file.How.size() == 2) {
        std::mt19937 random(7);
        bytes.resize(std::stoul(file.How[1]));
        for (char& c : bytes)
            c = static_cast<char>(random() & 0xff);
    } else {
        ADD_FAILURE() << "cannot make " << file.Path << " " << how;
    }
    std::ofstream(target, std::ios::binary) << bytes;
    // Dated like the saves of a headless run (2026-06-01 09:00 UTC), so the save lists read
    // the same on every day the suite runs.
    const auto day = std::chrono::system_clock::from_time_t(1'780'304'400);
    fs::last_write_time(target,
                        std::chrono::file_clock::from_sys(
                            std::chrono::time_point_cast<fs::file_time_type::duration>(day)));
}

// Starts the game in folder with its output in the files "stdout" and "stderr" there; 0
// when it could not start.
pid_t StartGame(const fs::path& folder, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), QUARZEL_BINARY);
    std::vector<char*> argv;
    for (std::string& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, "stdout", O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, "stderr", O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : 0;
}

// Runs the game in folder to its end: its exit code, or 128 + the signal that ended it.
int RunGame(const fs::path& folder, std::vector<std::string> arguments) {
    const pid_t pid = StartGame(folder, std::move(arguments));
    if (pid == 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Each 2 x 2 block of pixels averaged into one.
TRGBImage HalfSize(const TRGBImage& image) {
    TRGBImage half = TRGBImage::Blank(image.Width / 2, image.Height / 2);
    for (int32_t y = 0; y < half.Height; ++y)
        for (int32_t x = 0; x < half.Width; ++x)
            for (int32_t c = 0; c < 3; ++c) {
                int32_t sum = 0;
                for (int32_t dy = 0; dy < 2; ++dy)
                    for (int32_t dx = 0; dx < 2; ++dx)
                        sum += image.Pixels[(size_t(2 * y + dy) * image.Width + 2 * x + dx) * 3 +
                                            size_t(c)];
                half.Pixels[(size_t(y) * half.Width + x) * 3 + size_t(c)] =
                    static_cast<uint8_t>((sum + 2) / 4);
            }
    return half;
}

TRGBImage ReadPicture(const fs::path& file) {
    return DecodePNG(ReadText(file));
}

// Empty when the screenshot matches its reference; otherwise why not, and the difference
// picture (the reference, darkened, with the differing pixels in red) is written.
std::string Compare(const fs::path& shot, const fs::path& reference, const fs::path& diff) {
    if (!fs::exists(reference))
        return "no reference picture " + reference.string() +
               " (scripts/e2e-references.sh makes the references)";
    const TRGBImage actual = HalfSize(ReadPicture(shot));
    TRGBImage expected = ReadPicture(reference);
    if (actual.Width != expected.Width || actual.Height != expected.Height)
        return "the reference has another size";
    size_t differing = 0;
    for (size_t i = 0; i < expected.Pixels.size(); i += 3) {
        bool differs = false;
        for (size_t c = 0; c < 3; ++c)
            differs = differs || std::abs(int(actual.Pixels[i + c]) - int(expected.Pixels[i + c])) >
                                     ChannelTolerance;
        differing += differs ? 1 : 0;
        for (size_t c = 0; c < 3; ++c)
            expected.Pixels[i + c] = differs ? (c == 0 ? 255 : 0) : expected.Pixels[i + c] / 3;
    }
    const size_t allowed = size_t(PixelShare * double(expected.Pixels.size() / 3));
    if (differing <= allowed)
        return {};
    EncodePNG(expected).SaveToFile(diff.string());
    return std::to_string(differing) + " pixels differ (at most " + std::to_string(allowed) +
           "); the difference picture is " + diff.string();
}

// A copy of the shipped data for one test in Output / name.
fs::path FreshData(const std::string& name) {
    const fs::path data = Output / name / "data";
    fs::remove_all(Output / name);
    fs::create_directories(data);
    for (const char* part : {"game", "levels", "lng"})
        fs::copy(fs::path(QUARZEL_BIN_DIR) / part, data / part, fs::copy_options::recursive);
    return data;
}

class Scenario : public ::testing::TestWithParam<std::string> {};

TEST_P(Scenario, PlaysThroughItsScreens) {
    const std::string name = GetParam();
    const fs::path data = FreshData(name);
    const fs::path folder = data.parent_path();

    const std::vector<TRun> runs = ReadScenario(Scenarios / (name + ".txt"));
    ASSERT_FALSE(runs.empty());
    for (size_t r = 0; r < runs.size(); ++r) {
        const TRun& run = runs[r];
        if (!run.Options.empty()) {
            TIniFile options(data / "options.cfg");
            for (const auto& [key, value] : run.Options)
                options.WriteString("Options", key, value);
            options.Save();
        }
        for (const TPlantedFile& file : run.Files)
            Plant(data, file);
        const fs::path script = folder / ("run" + std::to_string(r + 1) + ".txt");
        std::ofstream(script, std::ios::binary) << run.Script;
        std::vector<std::string> arguments{"--headless",
                                           "--data-dir",
                                           data.string(),
                                           "--settings-file",
                                           (data / "settings.ini").string(),
                                           "--input",
                                           script.string()};
        if (std::find(run.Arguments.begin(), run.Arguments.end(), "--seed") == run.Arguments.end())
            arguments.insert(arguments.end(), {"--seed", "1"});
        arguments.insert(arguments.end(), run.Arguments.begin(), run.Arguments.end());
        const int code = RunGame(folder, arguments);
        ASSERT_EQ(code, 0) << "run " << r + 1 << " of " << name << ":\n"
                           << ReadText(folder / "stderr");
    }

    const bool update = std::getenv("QUARZEL_UPDATE_REFERENCES") != nullptr;
    size_t pictures = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const fs::path shot = entry.path();
        if (shot.extension() != ".png" || shot.stem().string().ends_with("-diff"))
            continue;
        ++pictures;
        const fs::path reference = References / name / shot.filename();
        if (update) {
            fs::create_directories(reference.parent_path());
            EncodePNG(HalfSize(ReadPicture(shot))).SaveToFile(reference.string());
            continue;
        }
        const fs::path diff = folder / (shot.stem().string() + "-diff.png");
        const std::string difference = Compare(shot, reference, diff);
        EXPECT_TRUE(difference.empty()) << shot.filename() << ": " << difference;
    }
    EXPECT_GT(pictures, 0u) << name << " took no screenshot";
}

std::vector<std::string> HeadlessArguments(const fs::path& data, const fs::path& script) {
    return {"--headless",
            "--data-dir",
            data.string(),
            "--settings-file",
            (data / "settings.ini").string(),
            "--input",
            script.string(),
            "--seed",
            "1",
            "--language",
            "ENU"};
}

// Empty when the file is a whole save as the game writes one: lines through the line codec,
// each ended by CR LF, a GameSave element first and its end tag last.
std::string WholeSaveProblem(const std::string& bytes) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < bytes.size();) {
        const size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos)
            return "a line without CR LF at byte " + std::to_string(start);
        lines.push_back(DecodeText(std::string_view(bytes).substr(start, end - start)));
        start = end + 2;
    }
    if (lines.empty() || !lines.front().starts_with("<GameSave "))
        return "no GameSave element first";
    if (lines.size() > 1 ? lines.back() != "</GameSave>" : !lines.front().ends_with("/>"))
        return "the GameSave element does not end: " + lines.back();
    return {};
}

// What tells one version of the file at path from another (a number reused for a new file
// comes with a new change time: the game sets the write time of a headless run's saves
// itself), or nothing when there is no file.
std::optional<std::tuple<ino_t, time_t, long>> FileNumber(const fs::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return std::tuple{status.st_ino, status.st_ctim.tv_sec, status.st_ctim.tv_nsec};
}

// Quick saves in a loop, the game killed at random moments: the save left is always whole,
// and no temporary file of a write cut short survives the next start.
TEST(EndToEnd, KilledWhileQuickSavingLeavesAWholeSave) {
    const fs::path data = FreshData("kill-while-saving");
    const fs::path folder = data.parent_path();
    std::string script = "3600 click WTitle_BNewGame\n+100 click WStartGame_BPlay\n"
                         "+2500 move 300 300\n";
    for (int i = 0; i < 400; ++i)
        script += i % 8 == 0 ? "+10 botput\n+1600 key F2\n" : "+10 key F2\n";
    script += "+10 quit\n";
    const fs::path saving = folder / "saving.txt";
    std::ofstream(saving, std::ios::binary) << script;
    const fs::path quitting = folder / "quitting.txt";
    std::ofstream(quitting, std::ios::binary) << "3600 quit\n";
    const fs::path save = data / "saves" / "QuickSave.sav";

    std::mt19937 random(3);
    const int kills = std::getenv("QUARZEL_KILLS") ? std::atoi(std::getenv("QUARZEL_KILLS")) : 30;
    int killedWhileSaving = 0;
    for (int round = 0; round < kills; ++round) {
        const auto before = FileNumber(save);
        const pid_t pid = StartGame(folder, HeadlessArguments(data, saving));
        ASSERT_NE(pid, 0);
        // Wait for this run's first save (a new file under the name), then kill at a random
        // moment among the saves that follow.
        for (int wait = 0; wait < 5000 && FileNumber(save) == before; ++wait)
            usleep(1000);
        usleep(static_cast<useconds_t>(random() % 150000));
        ::kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        if (FileNumber(save) == before)
            continue;
        ++killedWhileSaving;
        const std::string problem = WholeSaveProblem(ReadText(save));
        EXPECT_TRUE(problem.empty()) << "after kill " << round + 1 << ": " << problem;
    }
    EXPECT_GT(killedWhileSaving, kills / 2) << "the game rarely got to saving before it was killed";

    ASSERT_EQ(RunGame(folder, HeadlessArguments(data, quitting)), 0);
    for (const auto& entry : fs::directory_iterator(data / "saves"))
        EXPECT_FALSE(entry.path().string().ends_with(".saving"))
            << entry.path() << " survived the next start";
    EXPECT_TRUE(WholeSaveProblem(ReadText(save)).empty());
}

std::vector<std::string> ScenarioNames() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Scenarios))
        if (entry.path().extension() == ".txt")
            names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, Scenario, ::testing::ValuesIn(ScenarioNames()),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

} // namespace
} // namespace qz
