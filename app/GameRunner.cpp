#include "app/GameRunner.h"

#include "app/Form1.h"
#include "app/InputScript.h"
#include "app/ScriptChecks.h"
#include "archive/Error.h"
#include "archive/Helpers.h"
#include "audio/NullAudioDevice.h"
#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/Folders.h"
#include "platform/FramePacer.h"
#include "platform/HeadlessDisplay.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/SdlDisplay.h"
#include "platform/SdlEventSource.h"
#include "platform/SettingsStore.h"
#include "platform/audio/SdlAudioDevice.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>

namespace qz {

namespace {

// 2026-06-01 09:00 UTC: the day a headless run's saves date from.
constexpr std::time_t HeadlessSaveDates = 1'780'304'400;

// How long a headless run waits for the moment of --quit-when when no --quit-at is given.
constexpr uint32_t MomentTimeout = 60000;

uint32_t ReadTick(const std::string& text, const std::string& option) {
    const auto value = TryStrToInt64(text);
    if (!value || *value < 0 || *value > int64_t(UINT32_MAX))
        throw TCommandLineError(option + " needs a tick in milliseconds, not \"" + text + "\"");
    return static_cast<uint32_t>(*value);
}

TFolders Folders(const TRunOptions& options) {
    TFolderRequest request;
    if (options.DataDir)
        request.DataDir = std::filesystem::absolute(*options.DataDir);
    return ResolveFolders(request);
}

} // namespace

TRunOptions ParseCommandLine(const std::vector<std::string>& args) {
    TRunOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw TCommandLineError(arg + " needs a value");
            return args[++i];
        };
        if (arg == "--headless") {
            options.Headless = true;
        } else if (arg == "--input") {
            options.InputFile = value();
        } else if (arg == "--screenshot") {
            const std::string& text = value();
            const size_t colon = text.find(':');
            if (colon == std::string::npos || colon + 1 >= text.size())
                throw TCommandLineError("--screenshot needs TICK:FILE.png, not \"" + text + "\"");
            options.Screenshots.push_back(
                {ReadTick(text.substr(0, colon), arg), text.substr(colon + 1)});
        } else if (arg == "--quit-at") {
            options.QuitAt = ReadTick(value(), arg);
        } else if (arg == "--quit-when") {
            const std::string& text = value();
            if (text == "intro")
                options.QuitWhen = TQuitWhen::Intro;
            else if (text == "title")
                options.QuitWhen = TQuitWhen::Title;
            else
                throw TCommandLineError("--quit-when needs intro or title, not \"" + text + "\"");
        } else if (arg == "--refuse-full-screen") {
            options.RefuseFullScreen = true;
        } else if (arg == "--print-frames") {
            options.PrintFrames = true;
        } else if (arg == "--seed") {
            const std::string& text = value();
            const auto seed = TryStrToInt64(text);
            if (!seed)
                throw TCommandLineError("--seed needs a number, not \"" + text + "\"");
            options.Seed = static_cast<uint64_t>(*seed);
        } else if (arg == "--frame-ms") {
            const uint32_t ms = ReadTick(value(), arg);
            if (ms == 0)
                throw TCommandLineError("--frame-ms needs at least 1");
            options.FrameMs = ms;
        } else if (arg == "--data-dir") {
            options.DataDir = value();
        } else if (arg == "--settings-file") {
            options.SettingsFile = value();
        } else if (arg == "--language") {
            options.Language = value();
            if (options.Language.size() != 3)
                throw TCommandLineError("--language needs a three-letter code such as ENU");
        } else if (arg.starts_with("--")) {
            throw TCommandLineError("unknown option " + arg);
        } else if (options.LevelFile.empty()) {
            options.LevelFile = arg;
        } else {
            throw TCommandLineError("unexpected argument " + arg);
        }
    }
    std::stable_sort(options.Screenshots.begin(), options.Screenshots.end(),
                     [](const auto& a, const auto& b) { return a.Tick < b.Tick; });
    return options;
}

int RunGame(const TRunOptions& options, std::ostream& errors) {
    return options.Headless ? RunHeadless(options, errors) : RunWindowed(options, errors);
}

int RunHeadless(const TRunOptions& options, std::ostream& errors) {
    std::vector<TScriptEvent> script;
    if (options.InputFile) {
        std::ifstream file(*options.InputFile, std::ios::binary);
        if (!file) {
            errors << "Can not read the input script " << options.InputFile->string() << "\n";
            return ExitBadInput;
        }
        std::stringstream text;
        text << file.rdbuf();
        try {
            script = ParseInputScript(text.str());
        } catch (const TInputScriptError& error) {
            errors << error.what() << "\n";
            return ExitBadInput;
        }
    }

    TManualClock clock(0);
    TDisplayOptions displayOptions;
    displayOptions.RefusesFullScreen = options.RefuseFullScreen;
    THeadlessDisplay display(displayOptions);
    TNullAudioDevice audio;
    TForm1* formForLog = nullptr;
    TRunFacts facts;
    THeadlessMessageBox messageBox([&](const std::string& message) {
        ++facts.Messages;
        facts.LastMessage = message;
        if (formForLog)
            formForLog->Log.Add(message);
    });
    TMemoryClipboard clipboard;
    TMemorySettingsStore memorySettings;
    std::optional<TFileSettingsStore> fileSettings;
    if (options.SettingsFile) {
        fileSettings.emplace(*options.SettingsFile);
        if (!fileSettings->Problem().empty())
            messageBox.ShowError(fileSettings->Problem());
    }
    ISettingsStore& settings =
        fileSettings ? static_cast<ISettingsStore&>(*fileSettings) : memorySettings;
    if (!options.Language.empty())
        settings.WriteString("Software\\Tindrel\\Quarzel", "LangStr", options.Language);
    TRecordingLauncher launcher;
    TForm1 form(Folders(options), TFormServices{clock, audio, messageBox, &display, nullptr,
                                                &clipboard, &settings, &launcher});
    formForLog = &form;
    form.FixedSeed = options.Seed;
    // A repeatable run lists its saves with the same dates every time: from a fixed day on.
    form.SaveDatesFrom = HeadlessSaveDates;
    form.CommandLineLevel = options.LevelFile;

    form.FormCreate();
    form.FormActivate();
    // The headless message box has written the failure to stderr already.
    if (!form.StartFailure().empty()) {
        form.FormDestroy();
        return ExitStartFailed;
    }
    if (!form.DisplayReady()) {
        errors << "Quarzel: the display could not be initialised\n";
        form.FormDestroy();
        return ExitNoDisplay;
    }

    TScriptInput input(
        [&](const std::string& name) { return form.Interface->ControlBounds(name); });
    size_t next = 0;
    size_t shot = 0;
    uint32_t lastTick = 0;
    for (const TScriptEvent& event : script)
        lastTick = std::max(lastTick, event.Tick);
    if (!options.Screenshots.empty())
        lastTick = std::max(lastTick, options.Screenshots.back().Tick);
    // A run that waits for a moment of the start gives up when it has not come by then.
    const bool waitsForMoment = options.QuitWhen != TQuitWhen::Never;
    const uint32_t end =
        options.QuitAt.value_or(waitsForMoment ? std::max(lastTick, MomentTimeout) : lastTick);
    bool momentCame = false;

    int exitCode = 0;
    bool quit = false;
    std::vector<const TScriptEvent*> afterPass;
    while (!quit) {
        const uint32_t now = clock.Ticks();
        afterPass.clear();
        try {
            for (; next < script.size() && script[next].Tick <= now; ++next) {
                const TScriptEvent& event = script[next];
                if (event.Action == TScriptAction::Screenshot ||
                    event.Action == TScriptAction::Quit) {
                    afterPass.push_back(&event);
                    continue;
                }
                // An expectation sees the game as the lines before it left it.
                if (event.Action == TScriptAction::Expect) {
                    if (const auto failure = FailedExpectation(form, facts, event)) {
                        errors << "input script line " << event.Line << " (tick " << now
                               << "): " << *failure << "\n";
                        exitCode = ExitExpectationFailed;
                        break;
                    }
                    continue;
                }
                if (event.Action == TScriptAction::Remember) {
                    const std::optional<std::string> value =
                        SubjectValue(form, facts, event.Subject);
                    if (!value)
                        throw TInputScriptError(event.Line, "nothing to remember named \"" +
                                                                SubjectName(event.Subject) + "\"");
                    facts.Remembered[SubjectName(event.Subject)] = *value;
                    continue;
                }
                if (event.Action == TScriptAction::Report) {
                    std::cout << "tick " << now << ": " << StateReport(form, facts) << "\n";
                    continue;
                }
                if (event.Action == TScriptAction::BotPut ||
                    event.Action == TScriptAction::BotAim ||
                    event.Action == TScriptAction::BotKeys) {
                    for (const TScriptEvent& line : BotPutLines(form, event))
                        for (const TInputEvent& e : input.Translate(line))
                            form.HandleInput(e);
                    continue;
                }
                for (const TInputEvent& e : input.Translate(event))
                    form.HandleInput(e);
            }
        } catch (const TInputScriptError& error) {
            errors << error.what() << "\n";
            exitCode = ExitBadInput;
            break;
        }
        if (exitCode == ExitExpectationFailed)
            break;
        const uint64_t presentsBefore = display.PresentCount();
        form.IdlePass();
        const bool presented = display.PresentCount() != presentsBefore;
        if (presented &&
            ((options.QuitWhen == TQuitWhen::Intro && form.Game.GameState == gsIntro) ||
             (options.QuitWhen == TQuitWhen::Title && form.Game.GameState == gsTitle)))
            momentCame = quit = true;
        for (const TScriptEvent* event : afterPass) {
            if (event->Action == TScriptAction::Quit)
                quit = true;
            else
                form.SaveScreenshot(event->Text);
        }
        for (; shot < options.Screenshots.size() && options.Screenshots[shot].Tick <= now; ++shot)
            form.SaveScreenshot(options.Screenshots[shot].FileName);
        if (!form.StartFailure().empty()) {
            exitCode = ExitStartFailed;
            break;
        }
        if (now >= end || form.CloseRequested)
            quit = true;
        if (!quit)
            clock.Advance(options.FrameMs);
    }
    if (waitsForMoment && !momentCame && exitCode == 0) {
        errors << "Quarzel: the " << (options.QuitWhen == TQuitWhen::Intro ? "intro" : "title")
               << " did not come by tick " << clock.Ticks() << "\n";
        exitCode = ExitNoDisplay;
    }
    form.FormDestroy();
    return exitCode;
}

int RunWindowed(const TRunOptions& options, std::ostream& errors) {
    const TFolders folders = Folders(options);
    // An unreadable options file means the defaults; the game itself reports it.
    TOptions settings;
    try {
        settings = ReadOptions(folders.UserFolder / "options.cfg");
    } catch (const Error&) {
    }
    TDisplayOptions displayOptions;
    displayOptions.FullScreen = settings.FullScreenMode == 1;
    if (!displayOptions.FullScreen) {
        displayOptions.HasPosition = settings.WindowModeX != 0 || settings.WindowModeY != 0;
        displayOptions.WindowX = settings.WindowModeX;
        displayOptions.WindowY = settings.WindowModeY;
    }
    TSdlDisplay::TOpenResult opened = TSdlDisplay::Open(displayOptions);
    // A display that cannot open full screen may still open a window; the game then says so.
    if (!opened.Display && displayOptions.FullScreen) {
        displayOptions.FullScreen = false;
        opened = TSdlDisplay::Open(displayOptions);
    }
    if (!opened.Display)
        return ExitNoDisplay; // the reason is already on stderr and in a message box

    TSdlDisplay& display = *opened.Display;
    TSdlClock clock;
    TSdlEventSource events(&display);
    TSdlAudioDevice audio;
    TSdlMessageBox messageBox(display.Window());
    TSdlClipboard clipboard;
    TFileSettingsStore userSettings(DefaultSettingsFile());
    if (!userSettings.Problem().empty())
        messageBox.ShowError(userSettings.Problem());
    TXdgLauncher launcher;
    TForm1 form(folders, TFormServices{clock, audio, messageBox, &display, nullptr, &clipboard,
                                       &userSettings, &launcher});
    form.FixedSeed = options.Seed;
    form.CommandLineLevel = options.LevelFile;

    form.FormCreate();
    form.FormActivate();
    if (!form.StartFailure().empty()) {
        errors << form.StartFailure() << "\n";
        form.FormDestroy();
        return ExitStartFailed;
    }
    if (!form.DisplayReady()) {
        ReportFatalDisplayError("Quarzel: the display could not be initialised");
        form.FormDestroy();
        return ExitNoDisplay;
    }
    // Without vertical sync the loop would draw as fast as it can; the pacer holds it to the
    // frame cap, waiting for input in the meantime.
    const auto micros = [] {
        return uint64_t(std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count());
    };
    TFramePacer pacer(micros, [&](uint64_t wait) {
        return events.WaitForEvent(static_cast<uint32_t>((wait + 999) / 1000));
    });
    uint32_t framesTick = clock.Ticks();
    if (options.PrintFrames)
        std::cout << "# frame cap " << settings.FrameCap.value_or(display.RefreshRate())
                  << ", monitor " << display.RefreshRate() << " Hz" << std::endl;
    bool quit = false;
    while (!quit) {
        std::optional<TInputEvent> event = form.Paused() ? events.Wait() : events.Poll();
        for (; event; event = events.Poll()) {
            if (event->Kind == TInputKind::Quit) {
                quit = true;
                break;
            }
            form.HandleInput(*event);
        }
        if (quit)
            break;
        pacer.SetRate(settings.FrameCap.value_or(display.RefreshRate()));
        if (!pacer.WaitForFrame())
            continue; // input came first
        form.IdlePass();
        pacer.FrameShown();
        if (!form.StartFailure().empty()) {
            errors << form.StartFailure() << "\n";
            form.FormDestroy();
            return ExitStartFailed;
        }
        quit = form.CloseRequested;
        if (options.PrintFrames && clock.Ticks() - framesTick >= 1000) {
            framesTick = clock.Ticks();
            std::cout << framesTick << " " << display.PresentCount() << std::endl;
        }
    }
    form.FormDestroy();
    return 0;
}

} // namespace qz
