// The input script of headless runs, the command line, the log format, the options file and
// a headless run of the real program.
#include "AppData.h"
#include "TempDir.h"
#include "app/GameLog.h"
#include "app/GameRunner.h"
#include "app/InputScript.h"
#include "app/Options.h"
#include "archive/MemoryStream.h"
#include "gfx/JpegPNG.h"
#include "platform/KeyMap.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>

namespace qz {
namespace {

std::string ReadText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(InputScript, ReadsEveryAction) {
    const std::vector<TScriptEvent> events =
        ParseInputScript("# a comment line\n"
                         "0 move 10 20\r\n"
                         "10 move WTitle_BStart   # aimed at a control\n"
                         "20 down right 5 6\n"
                         "20 up middle\n"
                         "30 click 7 8\n"
                         "30 click right WTitle_BExit\n"
                         "40 dblclick 1 2\n"
                         "50 wheel -2\n"
                         "60 key F2 shift ctrl alt\n"
                         "61 keydown Escape\n"
                         "62 keyup A\n"
                         "70 text Hello # world\n"
                         "80 focus lost\n"
                         "90 focus gained\n"
                         "100 screenshot out.png\n"
                         "5 quit\n"
                         "\n");
    ASSERT_EQ(events.size(), 16u);
    EXPECT_EQ(events[0].Action, TScriptAction::Move);
    EXPECT_EQ(events[0].Tick, 0u);
    EXPECT_EQ(events[0].Line, 2);
    EXPECT_EQ(events[0].At, (TPoint{10, 20}));
    EXPECT_EQ(events[1].Action, TScriptAction::Quit) << "sorted by tick";
    EXPECT_EQ(events[2].Control, "WTitle_BStart");
    EXPECT_FALSE(events[2].At);
    EXPECT_EQ(events[3].Action, TScriptAction::Down);
    EXPECT_EQ(events[3].Button, TMouseButton::mbRight);
    EXPECT_EQ(events[4].Action, TScriptAction::Up);
    EXPECT_EQ(events[4].Button, TMouseButton::mbMiddle);
    EXPECT_FALSE(events[4].At);
    EXPECT_EQ(events[5].Action, TScriptAction::Click);
    EXPECT_EQ(events[5].Button, TMouseButton::mbLeft);
    EXPECT_EQ(events[6].Button, TMouseButton::mbRight);
    EXPECT_EQ(events[6].Control, "WTitle_BExit");
    EXPECT_EQ(events[7].Action, TScriptAction::DblClick);
    EXPECT_EQ(events[8].WheelDelta, -2 * WheelDeltaPerNotch);
    EXPECT_EQ(events[9].Key, vkF1 + 1);
    EXPECT_EQ(events[9].Shift, ssShift | ssCtrl | ssAlt);
    EXPECT_EQ(events[10].Action, TScriptAction::KeyDown);
    EXPECT_EQ(events[10].Key, vkEscape);
    EXPECT_EQ(events[11].Action, TScriptAction::KeyUp);
    EXPECT_EQ(events[11].Key, 'A');
    EXPECT_EQ(events[12].Text, "Hello # world");
    EXPECT_EQ(events[13].Action, TScriptAction::FocusLost);
    EXPECT_EQ(events[14].Action, TScriptAction::FocusGained);
    EXPECT_EQ(events[15].Text, "out.png");
    EXPECT_EQ(VirtualKeyFromName("Space"), vkSpace);
    EXPECT_EQ(VirtualKeyFromName("Return"), vkReturn);
    EXPECT_EQ(VirtualKeyFromName("Backspace"), vkBack);
    EXPECT_EQ(VirtualKeyFromName("Left"), vkLeft);
}

TEST(InputScript, BadLinesNameTheirLine) {
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"x move 1 2", "expected \"TICK ACTION ...\""},
        {"-5 move 1 2", "expected \"TICK ACTION ...\""},
        {"10", "expected \"TICK ACTION ...\""},
        {"10 jump", "unknown action \"jump\""},
        {"10 move 1", "expected X Y or a control name"},
        {"10 move 1 2 3", "expected X Y or a control name"},
        {"10 down", "expected a button"},
        {"10 down left 3", "expected X Y"},
        {"10 up wrong 1 2", "unknown button \"wrong\""},
        {"10 click", "expected X Y or a control name"},
        {"10 wheel up", "expected the wheel notches"},
        {"10 key NoSuchKey", "unknown key \"NoSuchKey\""},
        {"10 key A super", "unknown modifier \"super\""},
        {"10 text", "text needs the characters to type"},
        {"10 focus away", "expected \"focus lost\" or \"focus gained\""},
        {"10 screenshot", "expected one file name"},
        {"10 quit now", "quit takes nothing"},
    };
    for (const auto& [line, message] : bad) {
        try {
            ParseInputScript("0 move 1 1\n# fine\n" + line + "\n");
            ADD_FAILURE() << line;
        } catch (const TInputScriptError& error) {
            EXPECT_EQ(error.Line, 3) << line;
            EXPECT_EQ(std::string(error.what()), "input script line 3: " + message) << line;
        }
    }
}

TEST(InputScript, TranslatesToWindowInput) {
    TScriptInput input([](const std::string& name) -> std::optional<TRect> {
        if (name == "WTitle_BStart")
            return TRect{350, 280, 449, 319};
        return std::nullopt;
    });
    const auto events = ParseInputScript("0 click WTitle_BStart\n"
                                         "0 down right\n"
                                         "0 wheel 1\n"
                                         "0 key Return\n"
                                         "0 dblclick 5 6\n"
                                         "0 text hé\n"
                                         "0 move Nowhere\n");
    auto out = input.Translate(events[0]);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0], TInputEvent::MouseMove(400, 300));
    EXPECT_EQ(out[1], TInputEvent::MouseDown(TMouseButton::mbLeft, 400, 300));
    EXPECT_EQ(out[2], TInputEvent::MouseUp(TMouseButton::mbLeft, 400, 300));
    out = input.Translate(events[1]);
    ASSERT_EQ(out.size(), 1u) << "a press without X Y happens where the pointer is";
    EXPECT_EQ(out[0], TInputEvent::MouseDown(TMouseButton::mbRight, 400, 300));
    out = input.Translate(events[2]);
    EXPECT_EQ(out[0], TInputEvent::MouseWheel(WheelDeltaPerNotch, 400, 300, ssRight))
        << "the right button is still held";
    out = input.Translate(events[3]);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0], TInputEvent::KeyDown(vkReturn));
    EXPECT_EQ(out[1], TInputEvent::KeyUp(vkReturn));
    EXPECT_EQ(out[2], TInputEvent::Typed("\r"));
    out = input.Translate(events[4]);
    ASSERT_EQ(out.size(), 5u);
    EXPECT_TRUE(out[3].DoubleClick);
    out = input.Translate(events[5]);
    EXPECT_EQ(out[0], TInputEvent::Typed("hé"));
    try {
        input.Translate(events[6]);
        ADD_FAILURE();
    } catch (const TInputScriptError& error) {
        EXPECT_EQ(error.Line, 7);
    }
}

TEST(CommandLine, ReadsTheHeadlessOptions) {
    const TRunOptions options =
        ParseCommandLine({"--headless", "--input", "in.txt", "--screenshot", "500:b.png",
                          "--screenshot", "100:a.png", "--quit-at", "900", "--seed", "42",
                          "--frame-ms", "16", "--data-dir", "/data", "level.xml"});
    EXPECT_TRUE(options.Headless);
    EXPECT_EQ(options.InputFile, std::filesystem::path("in.txt"));
    ASSERT_EQ(options.Screenshots.size(), 2u);
    EXPECT_EQ(options.Screenshots[0].Tick, 100u);
    EXPECT_EQ(options.Screenshots[0].FileName, "a.png");
    EXPECT_EQ(options.QuitAt, 900u);
    EXPECT_EQ(options.Seed, 42u);
    EXPECT_EQ(options.FrameMs, 16u);
    EXPECT_EQ(options.DataDir, std::filesystem::path("/data"));
    EXPECT_EQ(options.LevelFile, "level.xml");
    EXPECT_EQ(ParseCommandLine({}).FrameMs, 10u);
    EXPECT_EQ(ParseCommandLine({}).QuitWhen, TQuitWhen::Never);
    EXPECT_EQ(ParseCommandLine({"--quit-when", "intro"}).QuitWhen, TQuitWhen::Intro);
    EXPECT_EQ(ParseCommandLine({"--quit-when", "title"}).QuitWhen, TQuitWhen::Title);
    EXPECT_TRUE(ParseCommandLine({"--print-frames"}).PrintFrames);
    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"--quit-at"},
                                               {"--quit-at", "soon"},
                                               {"--screenshot", "a.png"},
                                               {"--frame-ms", "0"},
                                               {"--quit-when", "menu"},
                                               {"--quit-when"},
                                               {"--fast"},
                                               {"a", "b"}})
        EXPECT_THROW(ParseCommandLine(bad), TCommandLineError) << bad[0];
}

TEST(GameLog, FormatsTimeSinceStart) {
    EXPECT_EQ(TGameLog::FormatLine(3047, "x"), "{0:3:47} x");
    EXPECT_EQ(TGameLog::FormatLine(65200, "Game Started..."), "{1:5:200} Game Started...");
    EXPECT_EQ(TGameLog::FormatLine(61 * 60000 + 59999, "m"), "{61:59:999} m");
}

TEST(Options, DefaultsAndSaveKeepHandWrittenKeys) {
    test::TempDir dir;
    const auto file = dir.Path() / "options.cfg";
    TOptions options = ReadOptions(file);
    EXPECT_EQ(options.ScreenWidth, 800);
    EXPECT_EQ(options.BitsPerPixel, 32);
    EXPECT_EQ(options.MusicVolume, 100);
    EXPECT_EQ(options.FullScreenMode, 0);
    EXPECT_EQ(options.PlayerName, "Player");
    std::ofstream(file) << "[Options]\r\nScreenWidth=1024\r\nWindowModeX=33\r\nMusicVolume=40\r\n";
    options = ReadOptions(file);
    EXPECT_EQ(options.ScreenWidth, 1024);
    EXPECT_EQ(options.WindowModeX, 33);
    EXPECT_EQ(options.MusicVolume, 40);
    options.MusicVolume = 70;
    options.ScreenWidth = 640; // never written
    options.FrameCap = 25;     // never written either
    SaveOptions(file, options);
    const TOptions again = ReadOptions(file);
    EXPECT_EQ(again.MusicVolume, 70);
    EXPECT_EQ(again.ScreenWidth, 1024);
    EXPECT_EQ(again.WindowModeX, 33);
    EXPECT_NE(ReadText(file).find("[Version]"), std::string::npos);
    // No cap given: the monitor's rate; 0 turns the cap off; a negative one is the default.
    EXPECT_FALSE(again.FrameCap);
    for (const auto& [text, cap] : std::vector<std::pair<std::string, std::optional<int32_t>>>{
             {"144", 144}, {"0", 0}, {"-5", std::nullopt}, {"fast", std::nullopt}}) {
        std::ofstream(file) << "[Options]\r\nFrameCap=" << text << "\r\n";
        EXPECT_EQ(ReadOptions(file).FrameCap, cap) << text;
    }
}

// The built program as a child process.
int RunQuarzel(const std::string& arguments, const std::filesystem::path& err) {
    const std::string command =
        std::string(QUARZEL_BINARY) + " " + arguments + " > /dev/null 2> " + err.string();
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(HeadlessRun, ScriptScreenshotsAndLog) {
    test::TempDir dir;
    test::MakeAppData(dir.Path());
    std::ofstream(dir.Path() / "input.txt") << "# focus away for a while\n"
                                               "100 move 200 100\n"
                                               "200 focus lost\n"
                                               "700 focus gained\n"
                                               "800 screenshot " +
                                                   dir.File("late.png") + "\n";
    const int code = RunQuarzel(
        "--headless --data-dir " + dir.Path().string() + " --input " + dir.File("input.txt") +
            " --screenshot 150:" + dir.File("early.png") + " --quit-at 1000 --seed 7",
        dir.Path() / "err.txt");
    ASSERT_EQ(code, 0) << ReadText(dir.Path() / "err.txt");
    for (const char* shot : {"early.png", "late.png"}) {
        TMemoryStream bytes;
        bytes.LoadFromFile(dir.File(shot));
        const TRGBImage image = DecodePNG(bytes.View());
        EXPECT_EQ(image.Width, 800) << shot;
        EXPECT_EQ(image.Height, 600) << shot;
    }
    const std::string log = ReadText(dir.Path() / "Quarzel.log");
    EXPECT_TRUE(log.starts_with("{0:0:0} Quarzel Version: 1.16\r\n"));
    EXPECT_NE(log.find("} Game Started...\r\n"), std::string::npos);
    EXPECT_NE(log.find("{0:1:0} Everage FPS: 0\r\n"), std::string::npos) << log;
}

// --quit-when ends a run right after the first intro frame or the first title frame, and a
// run whose moment never comes by --quit-at fails.
TEST(HeadlessRun, QuitsWhenTheIntroOrTheTitleIsShown) {
    test::TempDir dir;
    test::MakeAppData(dir.Path());
    const auto run = [&](const std::string& arguments) {
        return RunQuarzel("--headless --data-dir " + dir.Path().string() + " " + arguments,
                          dir.Path() / "err.txt");
    };
    ASSERT_EQ(run("--quit-when intro"), 0) << ReadText(dir.Path() / "err.txt");
    std::string log = ReadText(dir.Path() / "Quarzel.log");
    EXPECT_NE(log.find("{0:0:0} Everage FPS: "), std::string::npos) << log;
    ASSERT_EQ(run("--quit-when title"), 0) << ReadText(dir.Path() / "err.txt");
    log = ReadText(dir.Path() / "Quarzel.log");
    // The intro's three seconds, the last one counted from the end of the crystal
    // preparation at 2010 ms, and the first frame after them.
    EXPECT_NE(log.find("{0:3:20} Everage FPS: "), std::string::npos) << log;
    EXPECT_EQ(run("--quit-when title --quit-at 2000"), 1);
    EXPECT_NE(ReadText(dir.Path() / "err.txt").find("the title did not come by tick 2000"),
              std::string::npos);
}

TEST(HeadlessRun, BadScriptLineStopsWithExitCode2) {
    test::TempDir dir;
    test::MakeAppData(dir.Path());
    std::ofstream(dir.Path() / "input.txt") << "0 move 1 1\n10 click\n";
    const int code = RunQuarzel("--headless --data-dir " + dir.Path().string() + " --input " +
                                    dir.File("input.txt"),
                                dir.Path() / "err.txt");
    EXPECT_EQ(code, 2);
    EXPECT_NE(ReadText(dir.Path() / "err.txt").find("input script line 2: "), std::string::npos);
    EXPECT_EQ(RunQuarzel("--headless --frame-ms x", dir.Path() / "err.txt"), 2);
}

} // namespace
} // namespace qz
