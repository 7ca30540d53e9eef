#pragma once
// The main window: creates and owns every engine for the whole run, runs start-up, the
// game-run preparation, the frame loop passes, the pause while the game is in the
// background and shutdown, and draws for the font and interface engines.

#include "app/FormGameHost.h"
#include "app/GameInterface.h"
#include "app/GameLog.h"
#include "app/Options.h"
#include "archive/MemoryStream.h"
#include "fonts/NyxInterface.h"
#include "game/Board.h"
#include "game/Definitions.h"
#include "game/GameRecords.h"
#include "game/GameScreen.h"
#include "game/HighScores.h"
#include "game/PartEffects.h"
#include "game/Progress.h"
#include "gfx/SurfEngine.h"
#include "platform/Folders.h"

#include <array>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qz {

class IAudioDevice;
class IClipboard;
class IClock;
class IDisplay;
class ILauncher;
class ISettingsStore;
class IMessageBox;
class TFileFolder;
class TMusicList;
class TNyxFontEngine;
class TResourceList;
struct TInputEvent;
namespace fx {
class TNyxParticleEffect;
}

// The sixteen effect descriptions loaded at preparation, "contour.xml" first.
inline constexpr std::array<const char*, 16> EffectFiles = {
    "contour.xml",         "BossContour.xml",        "BossPreventEffect.xml",
    "BossTextEffect.xml",  "ShiftEffect.xml",        "ShuffleEffect.xml",
    "SwapEffect.xml",      "BossDieEffect.xml",      "BossDieParticlesEffect.xml",
    "BonusBomb.xml",       "BonusCoin.xml",          "GiveBonus.xml",
    "GiveBonusBomb.xml",   "GiveBonusColorBomb.xml", "ScoreTextEffect.xml",
    "ClickHereEffect.xml",
};

struct TFormServices {
    const IClock& Clock;
    IAudioDevice& Audio;
    IMessageBox& MessageBox;
    IDisplay* Display = nullptr; // null: nothing can be shown, preparation stops
    // null: the interface engine over "Slider.li" when the archive has it, else none
    std::unique_ptr<IGameInterface> Interface;
    IClipboard* Clipboard = nullptr;    // null: the interface keeps its own clipboard text
    ISettingsStore* Settings = nullptr; // null: the language is not kept between runs
    ILauncher* Launcher = nullptr;      // null: links are not opened
};

class TForm1 final : public INyxGraphic {
public:
    TForm1(TFolders folders, TFormServices services);
    ~TForm1() override;
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    // Start-up; without a sender only the steps that re-apply the window mode run.
    void FormCreate(bool withSender = true);
    // The game-run preparation, on the first activation only.
    void FormActivate();
    // One idle pass of the frame loop; nothing while the loop is stopped.
    void IdlePass();
    void FormPaint();
    void FormDestroy();

    // The game goes to the background / comes back.
    void Deactivate();
    void Activate();
    // Window input: focus changes pause and resume, the rest goes to the interface.
    void HandleInput(const TInputEvent& event);

    // The application-wide error handler: stops the loop, shows the message, resumes.
    void HandleException(const std::string& message);
    // Runs step under the error handler; false when it raised an error.
    bool Guarded(const std::function<void()>& step);
    // Why the game cannot run, as its one message told the player; empty while it can.
    // The start stops at such a failure, and the program ends with it.
    const std::string& StartFailure() const { return startFailure_; }

    void ComposeFrame();
    void Present();
    void PrepareBackground();
    // "MemorySurface" as a PNG file; false when there is nothing to write.
    bool SaveScreenshot(const std::string& fileName) const;
    // A handler that the interface's scripts call by name (ExecMethod), kept for every
    // interface the window loads.
    void RegisterHandler(const std::string& name, std::function<void()> handler);
    // An effect the rules ask for, into the level's or the game's list; its running time.
    int32_t AddEffect(const TEffectRequest& request);
    // Where a control's centre is now, for input scripts.
    std::optional<TPoint> ControlCentre(const std::string& name) const;

    // INyxGraphic: everything is drawn into "MemorySurface".
    void Draw(const std::string& picture, const std::string& reserved, int32_t x, int32_t y,
              uint8_t alpha) override;
    void ExtDraw(const std::string& picture, std::span<const TCharRect> glyphs) override;
    void LowExtDraw(const std::string& picture, const TRect& source, const std::string& target,
                    int32_t x, int32_t y, uint32_t color, uint8_t alpha) override;
    void DrawRect(const std::string& reserved, const TRect& rect, uint32_t color, uint8_t alpha,
                  uint8_t mode) override;
    void DrawColoredAlpha(const std::string& picture, const std::string& reserved, int32_t x,
                          int32_t y, uint32_t color, uint8_t alpha) override;
    void DrawColored(const std::string& picture, const std::string& target, int32_t x, int32_t y,
                     uint32_t color);
    void GetPictureSize(int32_t& width, int32_t& height, const std::string& picture) override;
    void GetScreenSize(int32_t& width, int32_t& height) override;
    void PlaySound(const std::string& name) override;

    // The path of a file the game writes ("Quarzel.log", "temp/game.zxc" ...).
    std::filesystem::path UserPath(const std::string& name) const;
    std::filesystem::path ProgramPath(const std::string& name) const;

    bool IdleInstalled() const { return idleInstalled_; }
    bool Prepared() const { return prepared_; }
    bool DisplayReady() const { return displayReady_; }
    bool Paused() const { return paused_; }
    // A quit button was pressed: the program's loop ends and shutdown follows.
    bool CloseRequested = false;
    uint32_t Now() const;

    // Prepares the crystal pictures during the intro; without it the game loads the
    // definitions and composes the pieces itself (PreparePieces).
    std::function<void(TForm1&)> OnPreparePieces;
    // The definitions and every crystal and bonus picture, with the loading bar moving.
    void PreparePieces();
    // Seeds the random generator at start-up instead of the clock (repeatable runs).
    std::optional<uint64_t> FixedSeed;
    // Dates the saves from this moment on the game's own clock, listed in UTC, so that a
    // repeatable run lists the same times on every run; unset, saves keep the system's time
    // and are listed in local time.
    std::optional<std::time_t> SaveDatesFrom;
    // The level file named on the command line; a new game starts with it in debug mode.
    std::string CommandLineLevel;
    bool DebugKeys() const { return Options.DebugMode == DebugAccessValue; }

    TGameLog Log;
    TOptions Options;
    TDefinitions Defs;
    // The rules reach the window through these; the board lives as long as the window.
    TFormControls GameControls{*this};
    TFormSounds GameSounds{*this};
    TFormEffects GameEffects{*this};
    TFormClock GameClock{*this};
    TFormPictures GamePictures{*this};
    std::unique_ptr<TBoard> Board;
    TGame& Game;   // the board's
    TLevel& Level; // the board's
    std::string LanguageCode;
    std::string DataKeyText;

    std::unique_ptr<TSurfEngine> SurfEngine;
    std::unique_ptr<TResourceList> ResourceList;
    std::unique_ptr<TFileFolder> GameArchive;  // "temp/game.zxc"; null when missing
    std::unique_ptr<TFileFolder> LevelArchive; // "temp/levels.zxc"; null when missing
    std::unique_ptr<TNyxFontEngine> FontEngine;
    std::unique_ptr<IGameInterface> Interface;
    std::unique_ptr<TMusicList> MusicList;
    std::vector<std::unique_ptr<fx::TNyxParticleEffect>> EffectTypes; // EffectFiles order
    TPartEffects PartEffects;            // the game's free-standing effects
    TPartEffects LevelEffects;           // the level's board effects
    std::unique_ptr<TGameScreen> Screen; // draws the board states once the display is up
    TMemoryStream Scratch;

    int32_t RiseDistance = 0;
    int64_t IntroStart = -1;
    uint8_t SketchAlpha = 0;
    uint8_t TitleAlpha = 0;
    bool PiecesPrepared = false;
    uint32_t FrameCounter = 0;
    uint8_t LastFrameRate = 0;
    double AverageFrameRate = 0;
    int32_t FrameRateSamples = 0;
    uint32_t SampleTick = 0;
    int32_t CursorFrame = 0;
    uint32_t NextCursorTime = 0;
    int32_t CursorInterval = 50;
    int32_t CursorWidth = 0;
    int32_t CursorHeight = 0;
    uint32_t PauseTick = 0;
    std::vector<TPoint> PointingPlaces; // the start, next-level and resume buttons
    bool SoundAvailable = false;
    bool SpaceReleased = true;
    bool OverBoard = false;
    // The tool button the pointer rests on ("" when none), since when, and whether its tool
    // tip stands.
    std::string ToolUnderPointer;
    uint32_t ToolRestSince = 0;
    bool ToolTipShown = false;
    uint8_t HeldAlpha = 255;
    bool FrameRateShown = false; // the debug overlay
    // How often each sound was asked for, for the input scripts' expectations.
    std::map<std::string, int32_t, std::less<>> PlayedSounds;
    uint32_t LastPointerMove = 0;       // the tick of the last pointer movement
    uint32_t MovePauseTick = 0;         // when the game menu paused the move timers
    THighScores RealTimeScores;         // "HighScoresRTP.dat"
    TProgress Progress;                 // "progress.dat"
    THighScores TurnBasedScores;        // "HighScoresTBP.dat"
    std::vector<std::string> LogoLinks; // by logo index; empty: no link
    // The logos' pictures as loaded from the program folder: picture name, file.
    std::vector<std::pair<std::string, std::filesystem::path>> LogoPictures;

private:
    void ConvertArchives();
    void OpenArchives();
    void LoadInterface();
    void WindowMode();
    void LoadEffects();
    bool InitDisplay();
    void AdvanceGame(uint32_t now);
    void AdvanceIntro(uint32_t now);
    void SampleFrameRate(uint32_t now);
    void DrawCursor();
    void SetOptionControls();

    // The game screen: flow handlers, input and frames of the board states (Form1Game.cpp).
    void RegisterGameHandlers();
    // A registered handler by name, as a button's script would call it.
    void RunHandler(const std::string& name);
    std::unique_ptr<fx::TNyxParticleEffect> StartEffect(const TPartEffect& entry) const;
    void AdvanceEffects(uint32_t now);
    void ComposeBoardState();
    bool HandleGameInput(const TInputEvent& event);
    void NewGame();
    bool LoadLevelNumber(int32_t number);
    // The first level of a new game: level 1, or in debug mode the command line's level,
    // an entry of the levels archive or else a file on disk.
    bool LoadFirstLevel();
    // The debug keys; true when the key is not to be passed on.
    bool HandleDebugKey(const TInputEvent& event);
    void SetLevelCaptions();
    void PauseMoveTimers();
    void ResumeMoveTimers();
    void LevelEndCheck(uint32_t now);
    void PlayTitleMusic(int32_t order);
    // The panel rows the mode uses: puts left in strategy play, the score where it scores.
    void ShowModePanelRows();
    // Keyboard play: the pointer moves to the nearest place the crystal in hand can be put,
    // dx or dy (-1 or 1) saying which way; nothing when there is none that way.
    void StepToPlace(int32_t dx, int32_t dy);
    // Arrows, Enter and Z/X over the board in play; true when the key was one of them.
    bool HandleKeyboardPlay(const TInputEvent& event);
    // A tool button the pointer has rested on in play for ToolTipDelay names its tool and key.
    void UpdateToolTip(uint32_t now);
    static constexpr uint32_t ToolTipDelay = 600;
    // The level map's labels of levels 1 .. reached are shown, the others hidden.
    void ShowReachedLevels(int32_t reached);
    // The level map as the player may play it: the levels of this game so far and those the
    // mode reached in earlier games, each finished one with its best score.
    void ShowLevelMap();
    // The levels the archive holds, 1 .. LevelCount() with no gap.
    int32_t LevelCount() const;
    // "progress.dat": read at start (a damaged file is ignored and logged), written safely
    // each time a level is finished.
    void LoadProgress();
    void RecordFinishedLevel();
    // The closing window of a game, won after the last level or ended after a loss: the score
    // and the name for the high scores, where the mode scores.
    void ShowGameFinished(bool won);
    // The screen of a game just loaded from a save: play, or the level map between levels.
    void ShowLoadedGame();

    // The title menus' handlers and what they share (Form1Menus.cpp).
    void RegisterMenuHandlers();
    void OpenLink(const std::filesystem::path& target);
    void OptionsOk();
    void SwitchWindowMode();
    void ReinitialiseDisplay();
    // The pictures the surface engine cannot rebuild from its archives by itself: the
    // composed crystals and bonuses, the logos from their files, the intro's alpha planes.
    void ReloadGeneratedPictures();
    void ReadLanguage();
    void BuildLanguageList();
    void ApplyLanguage();
    void SaveLanguage();
    bool RealTimeChosen() const;
    bool IsChecked(const std::string& control) const;
    THighScores& ChosenHighScores();
    void LoadHighScores();
    // The how-to-play window at page (1 .. HelpPages, clamped); the tool pictures stand on the
    // page about the tools.
    void ShowHelpPage(int32_t page);
    static constexpr int32_t HelpPages = 6;
    static constexpr int32_t HelpToolsPage = 5;
    int32_t HelpPage = 1;
    void FillHighScores();
    void GameFinishedOk();
    void LoadLogos();
    // The pointing effect at one of PointingPlaces (start, next-level, resume button).
    void StartPointingEffect(size_t place);
    void RemovePointingEffect();
    // The save files of "saves" into a grid, its edit showing the selected one.
    void FillSaveList(const std::string& grid, const std::string& edit);
    // The name the save window saves under: the one typed, else the one it proposes.
    std::string ChosenSaveName() const;
    std::filesystem::path SavePath(const std::string& name) const;
    // Saves the game as it stands into file, dated by SaveDatesFrom.
    void WriteSave(const std::filesystem::path& file);
    // The game quit during play is kept for the title's "Continue" until it is finished, lost
    // or replaced by a new game; the title menu shows the button while the file is there.
    void KeepUnfinishedGame();
    // "starts.dat" counts the starts that have not reached the title or a normal end (a
    // crash, a kill); after two in a row a full-screen start opens in a window instead.
    void CountStart();
    void StartFinished();
    static constexpr const char* UnfinishedStartsFile = "starts.dat";
    void ForgetUnfinishedGame();
    void LayOutTitleMenu();
    bool ResumeKept = false;
    // The start window's caption of a mode, empty for a number that names none.
    std::string ModeCaption(int32_t mode) const;
    // The archive entry's bytes from position 0, or null when the archive lacks it.
    TMemoryStream* ArchiveEntry(const std::string& name);

    TFolders folders_;
    const IClock& clock_;
    IAudioDevice& audio_;
    IMessageBox& messageBox_;
    IDisplay* display_;
    IClipboard* clipboard_;
    ISettingsStore* settings_;
    ILauncher* launcher_;
    // The interface came from TFormServices; otherwise it is replaced once "Slider.li" loads.
    bool interfaceGiven_ = false;
    std::vector<std::pair<std::string, std::function<void()>>> handlers_;
    std::vector<TGlyphItem> glyphItems_;
    bool prepared_ = false;
    bool displayReady_ = false;
    bool idleInstalled_ = false;
    bool paused_ = false;
    bool destroyed_ = false;
    // "options.cfg" could not be read: that is told once, and the thing there is left alone.
    bool optionsUnreadable_ = false;
    std::string startFailure_;

    enum class TRemedy : uint8_t { Reinstall, MakeWritable, RemakeWorkingCopy };
    // Runs a step the game cannot run without, unless the start failed already. A failure
    // becomes the start failure: one message naming file and what the player can do.
    bool Essential(const std::filesystem::path& file, TRemedy remedy,
                   const std::function<void()>& step);
    void FailStart(const std::filesystem::path& file, TRemedy remedy, const std::string& reason);
};

// The value in general format with the given significant digits ("30", "29.5", "1.23E3").
std::string FormatGeneral(double value, int digits);

} // namespace qz
