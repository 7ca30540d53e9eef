#include "app/Form1.h"

#include "app/FormGameHost.h"
#include "app/LoadingWindow.h"
#include "app/NyxGameInterface.h"
#include "archive/CUnit.h"
#include "archive/Error.h"
#include "archive/FileFolder.h"
#include "archive/Random.h"
#include "archive/ReplaceFile.h"
#include "audio/AudioDevice.h"
#include "audio/Music.h"
#include "fonts/NyxFont.h"
#include "fonts/NyxFontEngine.h"
#include "fx/NyxFXParticles.h"
#include "fx/NyxPiecewiseFunc.h"
#include "game/PieceGraphics.h"
#include "gfx/JpegPNG.h"
#include "gfx/PNGMorf.h"
#include "gfx/ResourceList.h"
#include "objects/NyxStrings.h"
#include "platform/Clock.h"
#include "platform/Display.h"
#include "platform/InputEvent.h"
#include "platform/MessageBox.h"
#include "platform/PixelConvert.h"
#include "platform/SafeFile.h"
#include "platform/SystemInfo.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace qz {

namespace {

constexpr const char* MemorySurface = "MemorySurface";
constexpr const char* Background = "Background";
constexpr int32_t ScreenWidth = 800;
constexpr int32_t ScreenHeight = 600;
constexpr int32_t CursorFrameWidth = 40;
constexpr int32_t CursorLastFrame = 17;

// The game's data as it comes with the game, and the working copies made from it at the
// first start.
std::string ShippedArchive(const std::string& name) {
    return name + "/" + name + ".zxc";
}
std::string WorkingArchive(const std::string& name) {
    return "temp/" + name + ".zxc";
}

// The pause and resume of the game's running timers.
void ShiftTimers(TGame& game, TLevel& level, uint32_t pause) {
    game.DangerStart += static_cast<int32_t>(pause);
    level.NextMoveTime += static_cast<int32_t>(pause);
}

} // namespace

std::string FormatGeneral(double value, int digits) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
    std::string text = buffer;
    const size_t e = text.find('e');
    if (e == std::string::npos)
        return text;
    // 1.23e+03 is written 1.23E3, as the game's number formatting does.
    const std::string mantissa = text.substr(0, e);
    const int exponent = std::stoi(text.substr(e + 1));
    return mantissa + "E" + std::to_string(exponent);
}

TForm1::TForm1(TFolders folders, TFormServices services)
    : Log(folders.UserFolder / "Quarzel.log", services.Clock),
      Board(std::make_unique<TBoard>(
          Defs, TGameServices{GameControls, GameSounds, GameEffects, GameClock, GamePictures})),
      Game(Board->Game), Level(Board->Level), Interface(std::move(services.Interface)),
      folders_(std::move(folders)), clock_(services.Clock), audio_(services.Audio),
      messageBox_(services.MessageBox), display_(services.Display), clipboard_(services.Clipboard),
      settings_(services.Settings), launcher_(services.Launcher),
      interfaceGiven_(Interface != nullptr) {
    if (!Interface)
        Interface = std::make_unique<TEmptyInterface>();
    RegisterMenuHandlers();
    RegisterGameHandlers();
}

void TForm1::RegisterHandler(const std::string& name, std::function<void()> handler) {
    handlers_.emplace_back(name, handler);
    Interface->RegisterHandler(name, std::move(handler));
}

TForm1::~TForm1() {
    FormDestroy();
}

uint32_t TForm1::Now() const {
    return clock_.Ticks();
}

std::filesystem::path TForm1::UserPath(const std::string& name) const {
    return folders_.UserFolder / name;
}

std::filesystem::path TForm1::ProgramPath(const std::string& name) const {
    return folders_.ProgramFolder / name;
}

void TForm1::HandleException(const std::string& message) {
    const bool wasInstalled = idleInstalled_;
    idleInstalled_ = false;
    messageBox_.ShowError(message);
    idleInstalled_ = wasInstalled;
}

bool TForm1::Guarded(const std::function<void()>& step) {
    try {
        step();
        return true;
    } catch (const std::exception& error) {
        HandleException(error.what());
        return false;
    }
}

void TForm1::FailStart(const std::filesystem::path& file, TRemedy remedy,
                       const std::string& reason) {
    if (!startFailure_.empty())
        return;
    const std::string name = "\"" + file.string() + "\"";
    switch (remedy) {
    case TRemedy::Reinstall:
        startFailure_ = "Quarzel cannot start: the game file " + name + " is missing or damaged (" +
                        reason + "). Please reinstall the game.";
        break;
    case TRemedy::MakeWritable:
        startFailure_ = "Quarzel cannot start: the file " + name + " cannot be written (" + reason +
                        "). Free some disk space, or allow writing in \"" +
                        file.parent_path().string() + "\".";
        break;
    case TRemedy::RemakeWorkingCopy:
        startFailure_ = "Quarzel cannot start: the working copy " + name + " is damaged (" +
                        reason + "). Delete it, and the game makes it again at the next start.";
        break;
    }
    HandleException(startFailure_);
}

bool TForm1::Essential(const std::filesystem::path& file, TRemedy remedy,
                       const std::function<void()>& step) {
    if (!startFailure_.empty())
        return false;
    try {
        step();
        return true;
    } catch (const std::exception& error) {
        FailStart(file, remedy, error.what());
        return false;
    }
}

TMemoryStream* TForm1::ArchiveEntry(const std::string& name) {
    if (!GameArchive)
        return nullptr;
    const int index = GameArchive->IndexOf(name);
    if (index < 0)
        return nullptr;
    TMemoryStream& stream = GameArchive->Entry(index);
    stream.SetPosition(0);
    return &stream;
}

void TForm1::FormCreate(bool withSender) {
    if (withSender) {
        Log.Restart();
        Log.Add("Quarzel Version: 1.16");
        Log.Add("System Information");
        for (const std::string& line : SystemInfoLines())
            Log.Add(line);
        Log.Add("Form Create Method runed.");
        // A rewrite cut short by a crash or a kill leaves its temporary file behind.
        for (const char* folder : {"", "saves", "temp"})
            RemoveStaleTemporaries(UserPath(folder));

        SurfEngine = std::make_unique<TSurfEngine>();
        Random().Seed(FixedSeed ? *FixedSeed
                                : static_cast<uint64_t>(
                                      std::chrono::steady_clock::now().time_since_epoch().count()));
        ResourceList =
            std::make_unique<TResourceList>(3, folders_.ProgramFolder.string() + "/", *SurfEngine);

        optionsUnreadable_ = !Guarded([&] { Options = ReadOptions(UserPath("options.cfg")); });
        Board->PredictsPuts = Options.ShowPutOutcome != 0;
        CountStart();

        SoundAvailable = audio_.GetVersion() == AudioVersion && audio_.Init();
        if (SoundAvailable)
            audio_.Start();
        audio_.SetGlobalVolumes(Options.MusicVolume, Options.SoundVolume);
        Log.Add("Bass init Ok...");

        ConvertArchives();
        OpenArchives();
        Log.Add("File Folders morfed Ok...");

        MusicList = std::make_unique<TMusicList>(audio_);
        if (GameArchive)
            Guarded([&] { MusicList->LoadList(*GameArchive, "sounds.dat", TMusicKind::Sample); });

        FontEngine = std::make_unique<TNyxFontEngine>();
        FontEngine->SetHost(std::shared_ptr<INyxGraphic>(std::shared_ptr<void>(), this));
        Interface->SetHost(std::shared_ptr<INyxGraphic>(std::shared_ptr<void>(), this),
                           *FontEngine);

        if (startFailure_.empty()) {
            Essential(ProgramPath(ShippedArchive("game")), TRemedy::Reinstall, [&] {
                TMemoryStream* font = ArchiveEntry("NyxUnicode.xml");
                if (!font)
                    throw Error("it has no font NyxUnicode.xml");
                FontEngine->LoadFromStream(*font);
            });
            // The bold face for headings comes with the game when it ships one.
            if (TMemoryStream* bold = ArchiveEntry("NyxUnicodeBold.xml"))
                Guarded([&] { FontEngine->LoadFromStream(*bold); });
            Log.Add("Nyx Font Loaded Ok...");

            LoadInterface();
            Log.Add("Nyx Interface Loaded Ok...");
        }
        if (startFailure_.empty()) {
            ReadLanguage();
            BuildLanguageList();
            ApplyLanguage();
        }

        DataKeyText = DataKey();
    }
    Interface->SetHost(std::shared_ptr<INyxGraphic>(std::shared_ptr<void>(), this), *FontEngine);
    if (withSender)
        Interface->CloseAllWindows();
    else
        optionsUnreadable_ = !Guarded([&] { Options = ReadOptions(UserPath("options.cfg")); });
    Board->PredictsPuts = Options.ShowPutOutcome != 0;
    WindowMode();
}

void TForm1::ConvertArchives() {
    TForm3 loading(display_);
    TPNGMorf morf(90);
    morf.OnProgress = [&](const std::string& fileName, int32_t percent) {
        loading.SetProgress(std::filesystem::path(fileName).filename().string(), percent);
    };
    loading.Show();
    for (const char* name : {"game", "levels"}) {
        const std::filesystem::path source = ProgramPath(ShippedArchive(name));
        const std::filesystem::path dest = UserPath(WorkingArchive(name));
        morf.Jobs = {"Source=\"" + source.string() + "\" Dest=\"" + dest.string() + "\""};
        try {
            morf.RunJobs();
        } catch (const std::exception& error) {
            // A failure that names the working folder is one of writing there; any other
            // one comes from the game's own file.
            const std::string reason = error.what();
            if (reason.find(dest.parent_path().string()) != std::string::npos)
                FailStart(dest, TRemedy::MakeWritable, reason);
            else
                FailStart(source, TRemedy::Reinstall, reason);
            break;
        }
    }
    if (!morf.ScriptFailures.empty()) {
        std::string failures;
        for (const std::string& failure : morf.ScriptFailures)
            failures += (failures.empty() ? "" : "; ") + failure;
        HandleException("Some pictures of the game could not be composed, the game goes on "
                        "without them: " +
                        failures);
    }
    loading.Hide();
}

void TForm1::OpenArchives() {
    const auto open = [&](const std::string& path) -> std::unique_ptr<TFileFolder> {
        std::unique_ptr<TFileFolder> archive;
        Essential(path, TRemedy::RemakeWorkingCopy, [&] { archive = TFileFolder::Open(path); });
        return archive;
    };
    const std::string levels = UserPath(WorkingArchive("levels")).string();
    const std::string game = UserPath(WorkingArchive("game")).string();
    LevelArchive = open(levels);
    GameArchive = open(game);
    if (LevelArchive)
        Guarded([&] { ResourceList->AddFolder(levels); });
    if (GameArchive)
        Guarded([&] { ResourceList->AddFolder(game); });
}

void TForm1::LoadInterface() {
    TMemoryStream* description = ArchiveEntry("Slider.li");
    if (!description)
        return;
    if (!interfaceGiven_ && !dynamic_cast<TNyxGameInterface*>(Interface.get())) {
        auto engine = std::make_unique<TNyxGameInterface>(
            [&clock = clock_] { return clock.Ticks(); }, clipboard_);
        engine->SetHost(std::shared_ptr<INyxGraphic>(std::shared_ptr<void>(), this), *FontEngine);
        for (const auto& [name, handler] : handlers_)
            engine->RegisterHandler(name, handler);
        Interface = std::move(engine);
    }
    Essential(ProgramPath(ShippedArchive("game")), TRemedy::Reinstall, [&] {
        Interface->LoadFromStream(*description);
        if (!Interface->GetProperty("WTitle", "Visible"))
            throw Error("its interface description Slider.li has no title window");
    });
}

void TForm1::WindowMode() {
    if (!display_)
        return;
    const bool wanted = Options.FullScreenMode == 1;
    display_->SetFullScreen(wanted);
    if (wanted && !display_->FullScreen()) {
        // Every other option stays as the player set it.
        Options.FullScreenMode = 0;
        Options.BitsPerPixel = 32;
        Log.Add("Full screen failed; playing in a window");
        messageBox_.ShowError("Full screen could not be opened on this display, so Quarzel "
                              "plays in a window at 32 bits. Options can try full screen again.");
    }
    display_->SetSystemCursorVisible(false);
}

void TForm1::CountStart() {
    const std::filesystem::path file = UserPath(UnfinishedStartsFile);
    std::error_code error;
    int32_t unfinished = 0;
    if (std::filesystem::is_regular_file(file, error)) {
        std::ifstream text(file);
        text >> unfinished;
    }
    if (unfinished >= 2 && Options.FullScreenMode == 1) {
        Options.FullScreenMode = 0;
        Options.BitsPerPixel = 32;
        Log.Add("Two starts in a row ended before the title; starting in a window");
        messageBox_.ShowError("The last two starts of Quarzel ended before the title, so this "
                              "one opens in a window at 32 bits. Options can turn full screen "
                              "on again.");
    }
    Guarded([&] { WriteFileSafely(file, std::to_string(std::max(unfinished, 0) + 1) + "\n"); });
}

void TForm1::StartFinished() {
    std::error_code ignored;
    std::filesystem::remove(UserPath(UnfinishedStartsFile), ignored);
}

void TForm1::LoadEffects() {
    EffectTypes.clear();
    for (const char* file : EffectFiles) {
        auto effect = std::make_unique<fx::TNyxParticleEffect>();
        Guarded([&] {
            TMemoryStream* stream = ArchiveEntry(file);
            if (!stream)
                throw Error(std::string("Can not find ") + file + "in file folder");
            effect->LoadFromStream(*stream);
        });
        EffectTypes.push_back(std::move(effect));
    }
    if (auto* position =
            dynamic_cast<fx::TNyxPiecewiseFunc*>(EffectTypes[0]->Functions.Find("FPosition"));
        position && position->PieceCount() > 0) {
        const fx::TNyxPiece last = position->GetPiece(position->PieceCount() - 1);
        RiseDistance = static_cast<int32_t>(std::lround(last.P[3][0]));
    }
}

bool TForm1::InitDisplay() {
    if (!display_)
        return false;
    const TPixelFormat format =
        Options.BitsPerPixel == 16 ? TPixelFormat::Bits16() : TPixelFormat::Bits32();
    SurfEngine->Initialise(format, ScreenWidth, ScreenHeight);
    return true;
}

void TForm1::FormActivate() {
    if (prepared_)
        return;
    prepared_ = true;
    if (!startFailure_.empty())
        return;
    Log.Add("Prepare for Game run...");
    std::error_code ignored;
    std::filesystem::create_directories(UserPath("saves"), ignored);
    IntroStart = -1;

    LoadEffects();
    Log.Add("Effects Type Loaded Ok...");

    if (!InitDisplay())
        return;
    displayReady_ = true;
    Log.Add("Init Direct Draw Ok...");

    SurfEngine->CreateBlankSurface(MemorySurface, ScreenWidth, ScreenHeight);
    SurfEngine->CreateBlankSurface(Background, ScreenWidth, ScreenHeight);
    Screen = std::make_unique<TGameScreen>(*SurfEngine, Defs);
    Screen->SetFont(FontEngine ? FontEngine->FindFont("NyxUnicode") : nullptr);
    Screen->SetEffectTemplates([this](std::string_view file) -> const fx::TNyxParticleEffect* {
        for (size_t i = 0; i < EffectTypes.size(); ++i)
            if (SameText(EffectFiles[i], file))
                return EffectTypes[i].get();
        return nullptr;
    });
    Game.ViewY = 0;
    Game.CurrentY = 0;
    Game.ScrollMid = 0;
    Game.ScrollSpeed = 0;

    if (GameArchive)
        Guarded(
            [&] { ResourceList->RegisterArchivePictures(*GameArchive, GameArchive->FileName); });
    Log.Add("Pictures from Folder Load Ok...");
    Guarded([&] { ResourceList->Apply(3); });
    Log.Add("resource List Reinit Surfaces Ok...");

    if (const TSurface* cursor = SurfEngine->FindSurface("cursor_line.png")) {
        CursorWidth = cursor->Width;
        CursorHeight = cursor->Height;
    }

    if (GameArchive)
        Guarded([&] { MusicList->LoadList(*GameArchive, "musics.dat", TMusicKind::Module); });
    MusicList->Play("Vibe-rlx.mo3", Options.MusicVolume, Options.SoundVolume, 0);

    Guarded([&] { LoadHighScores(); });
    LoadProgress();

    Interface->Clear();
    LoadInterface();
    BuildLanguageList();
    ApplyLanguage();
    Log.Add("Changed Language Ok...");

    Guarded([&] { LoadLogos(); });

    SetOptionControls();
    LayOutTitleMenu();
    PointingPlaces.clear();
    for (const char* button : {"WStartGame_BPlay", "WBetweenLevel_BNextLevel", "WGameMenu_BResume"})
        PointingPlaces.push_back(ControlCentre(button).value_or(TPoint{0, 0}));

    SampleTick = Now();
    idleInstalled_ = true;
    SurfEngine->FillSurface(MemorySurface, 0);

    Game.Score = 0;
    Game.Mode = gmStrategy;
    CursorInterval = 50;
    Game.ScrollStep = 30;
    Game.Danger = false;
    Interface->SetProperty("WGame_LScoreCount", "Caption", "1");
    Interface->SetProperty("WGame_PBDead", "Position", "0");

    SurfEngine->AddAlphaPlane("Title.jpg", 255);
    SurfEngine->AddAlphaPlane("TitleSketch.jpg", 255);

    Game.GameState = gsIntro;
    IntroStart = Now();
    Log.Add("Game Started...");
}

void TForm1::SetOptionControls() {
    const bool full = Options.FullScreenMode == 1;
    Interface->SetProperty("WOptions_CBFullScreen", "Checked", full ? "true" : "false");
    Interface->SetProperty("WOptions_CB32bitColor", "Visible", full ? "true" : "false");
    if (full)
        Interface->SetProperty("WOptions_CB32bitColor", "Checked",
                               Options.BitsPerPixel == 32 ? "true" : "false");
    Interface->SetProperty("WOptions_CBTurnOffHints", "Checked",
                           Options.TurnOffHint != 0 ? "true" : "false");
    Interface->SetProperty("WOptions_CBShowPutOutcome", "Checked",
                           Options.ShowPutOutcome != 0 ? "true" : "false");
    // The sliders run from 0 to 90; a volume shows where dragging would give it back.
    const auto position = [](int32_t volume) {
        return std::to_string(std::lround(volume * 90.0 / 100.0));
    };
    Interface->SetProperty("WOptions_SMusicVolume", "Position", position(Options.MusicVolume));
    Interface->SetProperty("WOptions_SSoundVolume", "Position", position(Options.SoundVolume));
    Interface->SetProperty("WHighScores_RBRealTimePuzzle", "Checked", "true");
    Interface->SetProperty("WHighScores_LBRealTimePuzzle", "Checked", "true");
}

std::optional<TPoint> TForm1::ControlCentre(const std::string& name) const {
    const std::optional<TRect> bounds = Interface->ControlBounds(name);
    if (!bounds)
        return std::nullopt;
    return TPoint{bounds->Left + (bounds->Right - bounds->Left + 1) / 2,
                  bounds->Top + (bounds->Bottom - bounds->Top + 1) / 2};
}

void TForm1::IdlePass() {
    if (!idleInstalled_ || !startFailure_.empty())
        return;
    Guarded([&] {
        const uint32_t now = Now();
        Game.FrameTime = static_cast<int32_t>(now);
        if (!displayReady_)
            return;
        AdvanceGame(now);
        if (!SurfEngine)
            return;
        SampleFrameRate(now);
        ComposeFrame();
        Present();
    });
}

void TForm1::AdvanceGame(uint32_t now) {
    if (now > NextCursorTime) {
        CursorFrame = CursorFrame >= CursorLastFrame ? 0 : CursorFrame + 1;
        NextCursorTime = now + static_cast<uint32_t>(CursorInterval);
    }
    AdvanceEffects(now);
    for (size_t i = 0; i < PartEffects.size();) {
        fx::TNyxParticleEffect* effect = PartEffects[i].Effect.get();
        if (effect)
            effect->Update(static_cast<int32_t>(now));
        if (!effect || effect->Finished)
            PartEffects.erase(PartEffects.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
    if (Game.GameState == gsGamePlay) {
        const int32_t viewBefore = Game.ViewY;
        Board->FrameTick(static_cast<int32_t>(now));
        // The picture map and the hints of the background move with the view.
        if (Game.ViewY != viewBefore)
            PrepareBackground();
        AdvanceHiddenColour(*Board, static_cast<int32_t>(now));
        LevelEndCheck(now);
    }
    // A lost level is no game to continue.
    if (Game.GameState == gsGameOver)
        ForgetUnfinishedGame();
    UpdateToolTip(now);
    if (Game.GameState == gsIntro)
        AdvanceIntro(now);
}

void TForm1::AdvanceIntro(uint32_t now) {
    if (IntroStart < 0)
        return;
    const int64_t e = int64_t(now) - IntroStart;
    if (e <= 2000) {
        SketchAlpha = static_cast<uint8_t>(std::lround(double(e) * 255 / 2000));
        TitleAlpha = 0;
        return;
    }
    SketchAlpha = 255;
    if (!PiecesPrepared) {
        Interface->ShowWindow("WGameLoading");
        ComposeFrame();
        Present();
        if (OnPreparePieces)
            OnPreparePieces(*this);
        else
            PreparePieces();
        PiecesPrepared = true;
        Interface->CloseWindow("WGameLoading");
        ComposeFrame();
        Present();
        IntroStart = int64_t(Now()) - 2000;
        TitleAlpha = 0;
        return;
    }
    TitleAlpha =
        static_cast<uint8_t>(std::min<int64_t>(255, std::lround(double(e - 2000) * 255 / 1000)));
    if (e > 3000) {
        Game.GameState = gsTitle;
        Interface->ShowWindow("WTitle");
        StartFinished();
        IntroStart = now;
    }
}

void TForm1::PreparePieces() {
    if (!GameArchive || !LevelArchive || !SurfEngine)
        return;
    Defs = TDefinitions{};
    // Without crystal or boss types no level can be played.
    const bool defined = Essential(ProgramPath(ShippedArchive("game")), TRemedy::Reinstall, [&] {
        LoadDefinitions(Defs, *GameArchive, GamePictures, GameControls);
        if (Defs.FishkaTypes.empty())
            throw Error("its definitions give no crystal type");
        if (Defs.BossTypes.empty())
            throw Error("its definitions give no boss type");
    });
    if (!defined) {
        Defs = TDefinitions{};
        return;
    }
    Guarded([&] {
        PreparePieceGraphics(Defs, *LevelArchive, *GameArchive, *SurfEngine, [&](int32_t position) {
            GameControls.SetProperty("WGameLoading_PBGameLoading", "Position",
                                     std::to_string(position));
        });
    });
    Board->RefreshPictureSizes();
}

void TForm1::SampleFrameRate(uint32_t now) {
    if (now - SampleTick <= 1000)
        return;
    SampleTick = now;
    LastFrameRate = static_cast<uint8_t>(FrameCounter);
    if (Game.GameState == gsGamePlay) {
        ++FrameRateSamples;
        AverageFrameRate =
            (FrameRateSamples * AverageFrameRate + LastFrameRate) / (FrameRateSamples + 1);
    }
    FrameCounter = 0;
}

void TForm1::ComposeFrame() {
    if (!SurfEngine || !SurfEngine->FindSurface(MemorySurface))
        return;
    switch (Game.GameState) {
    case gsIntro:
        SurfEngine->CopyOpaque(Background, MemorySurface, std::nullopt, 0, 0);
        if (SketchAlpha != 0)
            Draw("TitleSketch.jpg", MemorySurface, 0, 0, SketchAlpha);
        if (TitleAlpha != 0)
            Draw("Title.jpg", MemorySurface, 0, 0, TitleAlpha);
        Interface->DrawWindows(true);
        break;
    case gsTitle:
        Interface->DrawWindows(true);
        if (Screen)
            Screen->DrawFreeEffects(PartEffects);
        break;
    default:
        ComposeBoardState();
        break;
    }
    DrawCursor();
    ++FrameCounter;
    if (FrameRateShown && FontEngine && FontEngine->Count() > 0)
        if (const auto* font = dynamic_cast<const TNyxFont*>(FontEngine->Object(0)))
            font->DrawText(1, 10, 0xFFFFFF, 255,
                           Utf8ToUtf16("FPS: " + FormatGeneral(LastFrameRate, 2) + " "));
}

void TForm1::DrawCursor() {
    if (CursorWidth <= 0 || CursorHeight <= 0)
        return;
    const int32_t x = Game.PointerX;
    const int32_t y = Game.PointerY;
    TRect source{CursorFrameWidth * CursorFrame, 0, CursorFrameWidth * CursorFrame + 39,
                 CursorHeight - 1};
    if (x + CursorFrameWidth > ScreenWidth)
        source.Right -= x + CursorFrameWidth - ScreenWidth;
    if (y + CursorHeight > ScreenHeight)
        source.Bottom -= y + CursorHeight - ScreenHeight;
    if (source.Right < source.Left || source.Bottom < source.Top)
        return;
    SurfEngine->DrawImage("cursor_line.png", MemorySurface, 0, 0, source, 255, x, y);
}

void TForm1::Present() {
    if (!display_ || !SurfEngine)
        return;
    const TSurface* surface = SurfEngine->FindSurface(MemorySurface);
    if (!surface || !surface->Surface)
        return;
    display_->Present(surface->Surface->Pixels.data(), surface->Surface->Pitch,
                      SurfEngine->PixelFormat.BitCount);
}

void TForm1::FormPaint() {
    ComposeFrame();
    Present();
}

void TForm1::PrepareBackground() {
    // The board states bake the board into "Background"; the title and intro leave it.
    if (!Screen)
        return;
    const int32_t state = Game.GameState;
    const bool hints = Options.TurnOffHint != 0;
    const auto now = static_cast<int32_t>(Now());
    if (state == gsGamePlay)
        Screen->PrepareBackground(*Board, hints, TStillBoard::None, now);
    else if (state == gsBetweenLevels)
        Screen->PrepareBackground(*Board, hints, TStillBoard::Pieces, now);
    else if (state == gsGameOver || state == gsGameMenu)
        Screen->PrepareBackground(*Board, hints, TStillBoard::PiecesAndQueue, now);
}

bool TForm1::SaveScreenshot(const std::string& fileName) const {
    if (!SurfEngine)
        return false;
    const TSurface* surface = SurfEngine->FindSurface(MemorySurface);
    if (!surface || !surface->Surface)
        return false;
    const TPixelSurface& pixels = *surface->Surface;
    std::vector<uint32_t> xrgb(size_t(pixels.Width) * size_t(pixels.Height));
    ConvertToXrgb(pixels.Pixels.data(), pixels.Pitch, SurfEngine->PixelFormat.BitCount, xrgb.data(),
                  pixels.Width * 4, pixels.Width, pixels.Height);
    TRGBImage image = TRGBImage::Blank(pixels.Width, pixels.Height);
    for (size_t i = 0; i < xrgb.size(); ++i) {
        image.Pixels[i * 3] = uint8_t(xrgb[i] >> 16);
        image.Pixels[i * 3 + 1] = uint8_t(xrgb[i] >> 8);
        image.Pixels[i * 3 + 2] = uint8_t(xrgb[i]);
    }
    EncodePNG(image).SaveToFile(fileName);
    return true;
}

void TForm1::Deactivate() {
    if (paused_ || !prepared_)
        return;
    idleInstalled_ = false;
    paused_ = true;
    PauseTick = Now();
    audio_.Pause();
    PrepareBackground();
    if (display_)
        display_->SetSystemCursorVisible(true);
}

void TForm1::Activate() {
    if (!paused_)
        return;
    paused_ = false;
    idleInstalled_ = displayReady_;
    ShiftTimers(Game, Level, Now() - PauseTick);
    if (SoundAvailable)
        audio_.Start();
    if (display_)
        display_->SetSystemCursorVisible(false);
}

void TForm1::HandleInput(const TInputEvent& event) {
    switch (event.Kind) {
    case TInputKind::FocusLost:
        Deactivate();
        return;
    case TInputKind::FocusGained:
        Activate();
        return;
    case TInputKind::Quit:
        return;
    case TInputKind::MouseMove:
    case TInputKind::MouseDown:
    case TInputKind::MouseUp:
        Game.PointerX = event.X;
        Game.PointerY = event.Y;
        break;
    default:
        break;
    }
    Guarded([&] {
        if (!HandleGameInput(event))
            Interface->HandleInput(event);
    });
}

void TForm1::FormDestroy() {
    if (destroyed_ || !SurfEngine)
        return;
    destroyed_ = true;
    KeepUnfinishedGame();
    StartFinished();
    Log.Add("Everage FPS: " + FormatGeneral(AverageFrameRate, 3));
    if (!optionsUnreadable_)
        Guarded([&] { SaveOptions(UserPath("options.cfg"), Options); });
    idleInstalled_ = false;
    SurfEngine.reset();
    LevelArchive.reset();
    GameArchive.reset();
    Scratch.Clear();
    ResourceList.reset();
    PartEffects.clear();
    if (MusicList) {
        MusicList->StopAll();
        MusicList->Clear();
    }
    audio_.Stop();
    MusicList.reset();
    Interface->Clear();
    FontEngine.reset();
    EffectTypes.clear();
}

void TForm1::Draw(const std::string& picture, const std::string&, int32_t x, int32_t y,
                  uint8_t alpha) {
    if (SurfEngine)
        SurfEngine->DrawImage(picture, MemorySurface, 0, 0, std::nullopt, alpha, x, y);
}

void TForm1::ExtDraw(const std::string& picture, std::span<const TCharRect> glyphs) {
    if (!SurfEngine)
        return;
    glyphItems_.resize(glyphs.size());
    for (size_t i = 0; i < glyphs.size(); ++i) {
        const TCharRect& g = glyphs[i];
        glyphItems_[i] = TGlyphItem{g.Left, g.Top, g.Right, g.Bottom, g.X, g.Y, g.Color, g.Alpha};
    }
    SurfEngine->DrawGlyphs(picture, MemorySurface, static_cast<int32_t>(glyphItems_.size()),
                           glyphItems_.data());
}

void TForm1::LowExtDraw(const std::string& picture, const TRect& source, const std::string&,
                        int32_t x, int32_t y, uint32_t color, uint8_t alpha) {
    if (SurfEngine)
        SurfEngine->DrawImage(picture, MemorySurface, 1, color, source, alpha, x, y);
}

void TForm1::DrawRect(const std::string&, const TRect& rect, uint32_t color, uint8_t alpha,
                      uint8_t) {
    if (SurfEngine)
        SurfEngine->BlendRect(MemorySurface, rect, alpha, color);
}

void TForm1::DrawColoredAlpha(const std::string& picture, const std::string&, int32_t x, int32_t y,
                              uint32_t color, uint8_t alpha) {
    if (SurfEngine)
        SurfEngine->DrawImage(picture, MemorySurface, 1, color, std::nullopt, alpha, x, y);
}

void TForm1::DrawColored(const std::string& picture, const std::string& target, int32_t x,
                         int32_t y, uint32_t color) {
    DrawColoredAlpha(picture, target, x, y, color, 255);
}

void TForm1::GetPictureSize(int32_t& width, int32_t& height, const std::string& picture) {
    width = 0;
    height = 0;
    if (!SurfEngine)
        return;
    if (const TSurface* surface = SurfEngine->FindSurface(picture)) {
        width = surface->Width;
        height = surface->Height;
    }
}

void TForm1::GetScreenSize(int32_t& width, int32_t& height) {
    width = SurfEngine ? SurfEngine->ScreenWidth : ScreenWidth;
    height = SurfEngine ? SurfEngine->ScreenHeight : ScreenHeight;
}

void TForm1::PlaySound(const std::string& name) {
    ++PlayedSounds[name];
    if (MusicList)
        MusicList->Play(name, Options.MusicVolume, Options.SoundVolume, 0);
}

} // namespace qz
