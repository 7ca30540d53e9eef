// The main window on the game screen: the flow between levels and menus, the player's
// input while a level is played, the two animation lists, and the frames of the board
// states.

#include "app/Form1.h"
#include "app/KeyboardPlay.h"
#include "app/SaveFiles.h"
#include "archive/Error.h"
#include "archive/FileFolder.h"
#include "archive/KeyCodes.h"
#include "audio/Music.h"
#include "fx/NyxFXParticles.h"
#include "fx/NyxPiecewiseFunc.h"
#include "game/LevelLoader.h"
#include "game/SavedGame.h"
#include "platform/InputEvent.h"

#include <array>

namespace qz {

namespace {

constexpr const char* TitleMusic = "Vibe-rlx.mo3";
// Between levels the title tune comes back at its quiet bridge.
constexpr int32_t BridgeOrder = 12;
constexpr size_t PlayPlace = 0;
constexpr size_t NextLevelPlace = 1;
constexpr size_t ResumePlace = 2;

std::string LevelFile(int32_t number) {
    return "Level" + std::to_string(number) + ".xml";
}

} // namespace

void TForm1::RegisterGameHandlers() {
    RegisterHandler("WStartGame_BPlay_MouseUp", [this] { NewGame(); });
    // A new game that opens on the level map, to begin at any level the mode has reached.
    RegisterHandler("WStartGame_BLevelMap_MouseUp", [this] {
        NewGame();
        if (Game.GameState != gsGamePlay)
            return;
        Game.GameState = gsBetweenLevels;
        Game.LevelNumber = 0;
        PrepareBackground();
        if (MusicList)
            MusicList->StopAll();
        PlayTitleMusic(BridgeOrder);
        ShowLevelMap();
        StartPointingEffect(NextLevelPlace);
    });
    // Published for descriptions that want a button to do nothing but its own script.
    RegisterHandler("YesMouseUp", [] {});
    RegisterHandler("WGame_BMenu_MouseUp", [this] {
        PauseMoveTimers();
        Game.GameState = gsGameMenu;
        PrepareBackground();
        StartPointingEffect(ResumePlace);
    });
    RegisterHandler("WGameMenu_BResume_MouseUp", [this] {
        Game.GameState = gsGamePlay;
        PrepareBackground();
        ResumeMoveTimers();
        RemovePointingEffect();
    });
    RegisterHandler("WGame_BSwap_MouseUp", [this] { Board->Swap(); });
    RegisterHandler("WGame_BUndo_MouseUp", [this] { Board->Undo(); });
    RegisterHandler("WGame_BShift_MouseUp", [this] { Board->Shift(); });
    RegisterHandler("WGame_BShuffle_MouseUp", [this] { Board->Shuffle(); });
    RegisterHandler("WExitToMainMenu_BOk_MouseUp", [this] {
        Game.GameState = gsTitle;
        PrepareBackground();
        RemovePointingEffect();
    });
    RegisterHandler("WAbortLevel_BOk_MouseUp", [this] {
        Game.GameState = gsBetweenLevels;
        PrepareBackground();
        Game.LevelNumber -= 1;
        Game.Score = Game.PrevScore;
        Interface->SetProperty("WGameFinished_LYourScoreCount", "Caption",
                               std::to_string(Game.Score));
        ShowLevelMap();
        if (MusicList)
            MusicList->StopAll();
        PlayTitleMusic(BridgeOrder);
        RemovePointingEffect();
        StartPointingEffect(NextLevelPlace);
    });
    RegisterHandler("WGameOver_BOk_MouseUp", [this] {
        Game.Score = Game.PrevScore;
        Interface->SetProperty("WGameFinished_LYourScoreCount", "Caption",
                               std::to_string(Game.Score));
        Game.LevelNumber -= 1;
        ShowLevelMap();
        // The level map stands between levels now, as after an abandoned level: a game saved
        // there replays the lost level instead of holding its lost board.
        Game.GameState = gsBetweenLevels;
        PrepareBackground();
        PlayTitleMusic(BridgeOrder);
    });
    RegisterHandler("WLevelComplete_BOk_MouseUp", [this] {
        const int32_t next = Game.LevelNumber + 1;
        if (LevelArchive && LevelArchive->IndexOf(LevelFile(next)) >= 0) {
            ShowLevelMap();
            PlayTitleMusic(BridgeOrder);
            StartPointingEffect(NextLevelPlace);
            WriteSave(SavePath("autosave"));
            return;
        }
        // The button's script opened the level map first; the finished game stands alone.
        ShowGameFinished(true);
    });
    // A lost game may end here instead of replaying the level: its score so far goes to the
    // high scores.
    RegisterHandler("WGameOver_BEndGame_MouseUp", [this] { ShowGameFinished(false); });
    RegisterHandler("WGame_BQuickSave_MouseUp", [this] {
        if (!Level.LevelDone)
            WriteSave(SavePath("QuickSave"));
    });
    RegisterHandler("WSaveGame_BSave_MouseUp", [this] {
        const std::string name = ChosenSaveName();
        if (name.empty())
            return;
        std::error_code error;
        if (std::filesystem::exists(SavePath(name), error)) {
            Interface->ShowWindow("WReplace");
            return;
        }
        WriteSave(SavePath(name));
        Interface->CloseWindow(Interface->TopWindow());
    });
    RegisterHandler("WReplace_BOk_MouseUp", [this] {
        const std::string name = ChosenSaveName();
        if (!name.empty())
            WriteSave(SavePath(name));
        Interface->CloseWindow(Interface->TopWindow());
    });
    RegisterHandler("WLoadGame_BLoad_MouseUp", [this] {
        const std::string name =
            Interface->GetProperty("WLoadGame_ELoadFile", "Caption").value_or("");
        if (name.empty() || !LevelArchive)
            return;
        if (!LoadGame(SavePath(name), *Board, *LevelArchive))
            throw Error("There is no saved game called \"" + name + "\"");
        ShowLoadedGame();
    });
    RegisterHandler("WTitle_BContinue_MouseUp", [this] {
        if (!LevelArchive)
            return;
        if (!LoadGame(ResumeSavePath(UserPath("saves")), *Board, *LevelArchive))
            throw Error("The game to continue is gone; start a new one");
        ShowLoadedGame();
    });
    // A level chosen on the map plays as the next-level button does; an earlier one starts
    // the score afresh, so that replaying never piles up points.
    RegisterHandler("WBetweenLevel_TLevel_MouseUp", [this] {
        const std::string sender = Interface->SenderName();
        constexpr std::string_view Prefix = "WBetweenLevel_TLevel";
        const int32_t chosen =
            sender.starts_with(Prefix) ? StrToIntDef(sender.substr(Prefix.size()), 0) : 0;
        if (chosen < 1)
            return;
        if (chosen <= Game.LevelNumber) {
            Game.Score = 0;
            Interface->SetProperty("WGame_LScoreCount", "Caption", "0");
        }
        Game.LevelNumber = chosen - 1;
        RunHandler("WBetweenLevel_BNextLevel_MouseUp");
    });
    RegisterHandler("WBetweenLevel_BNextLevel_MouseUp", [this] {
        Game.LevelNumber += 1;
        if (!LoadLevelNumber(Game.LevelNumber)) {
            Game.LevelNumber -= 1;
            return;
        }
        Game.GameState = gsGamePlay;
        PrepareBackground();
        Interface->SetProperty("WGame_LLevelCount", "Caption", std::to_string(Game.LevelNumber));
        Game.DangerDelay = 3000;
        Game.Danger = false;
        Game.PrevScore = Game.Score;
        RemovePointingEffect();
    });
}

void TForm1::RunHandler(const std::string& name) {
    for (const auto& [registered, handler] : handlers_)
        if (SameText(registered, name)) {
            handler();
            return;
        }
}

bool TForm1::LoadLevelNumber(int32_t number) {
    if (!LevelArchive)
        return false;
    bool loaded = false;
    Guarded([&] {
        const std::string file = LevelFile(number);
        loaded = LoadLevel(*Board, *LevelArchive, file, true);
        if (!loaded)
            throw Error("The level " + file + " is damaged: it is no level file");
    });
    // The first crystal in hand stands at the pointer, not in the corner until it moves.
    if (loaded)
        Board->MovePointer(Game.PointerX, Game.PointerY);
    return loaded;
}

bool TForm1::LoadFirstLevel() {
    if (!DebugKeys() || CommandLineLevel.empty())
        return LoadLevelNumber(1);
    if (!LevelArchive)
        return false;
    bool loaded = false;
    Guarded([&] {
        if (LevelArchive->IndexOf(CommandLineLevel) >= 0) {
            loaded = LoadLevel(*Board, *LevelArchive, CommandLineLevel, true);
            return;
        }
        // A level designer tries a file on disk without packing it into the archive.
        const std::filesystem::path file(CommandLineLevel);
        if (!std::filesystem::is_regular_file(file))
            throw Error("Can not find the level " + CommandLineLevel +
                        " in the levels archive or on disk");
        TMemoryStream bytes;
        bytes.LoadFromFile(file.string());
        const std::string name = file.filename().string();
        std::unique_ptr<TFileFolder> single = TFileFolder::CreateNew(name);
        single->AddFile(name, 0, bytes);
        loaded = LoadLevel(*Board, *single, name, true);
    });
    if (loaded)
        Board->MovePointer(Game.PointerX, Game.PointerY);
    return loaded;
}

void TForm1::NewGame() {
    ForgetUnfinishedGame();
    Game.DangerDelay = 3000;
    Game.Danger = false;
    Game.ViewY = 0;
    Game.ViewX = 0;
    Game.LevelNumber = 1;
    Game.Score = 0;
    Game.PrevScore = 0;
    if (!LoadFirstLevel()) {
        // The error was told; the player is back where a game starts from.
        Interface->CloseAllWindows();
        Interface->ShowWindow("WTitle");
        Game.GameState = gsTitle;
        return;
    }
    Game.GameState = gsGamePlay;
    PrepareBackground();
    Game.Shifts = 3;
    Game.Shuffles = 3;
    Interface->SetProperty("WGame_LShiftCount", "Caption", "3");
    Interface->SetProperty("WGame_LShuffleCount", "Caption", "3");
    Interface->SetProperty("WGame_LLevelCount", "Caption", "1");
    Interface->SetProperty("WGame_LScoreCount", "Caption", std::to_string(Game.Score));
    ShowReachedLevels(1);
    Interface->SetProperty("WGame_PBDead", "Position", "0");
    const bool strategy = Game.Mode == gmStrategy;
    Interface->SetProperty("WGame_PBDead", "BarPicture",
                           strategy ? "DeadProgressBarGreen.png" : "DeadProgressBar.png");
    Interface->SetProperty("WGame_LPutsLeftCount", "Visible", strategy ? "true" : "false");
    ShowModePanelRows();
    if (strategy)
        Interface->SetProperty("WGame_LPutsLeftCount", "Caption", std::to_string(Level.PutLeft));
    Game.BossHint = true;
    Game.Rescue = true;
    Game.DisappearHint = true;
    Interface->ShowHint("WGame_HPutFishka", std::nullopt);
    RemovePointingEffect();
}

void TForm1::ShowReachedLevels(int32_t reached) {
    for (int32_t n = 1;; ++n) {
        const std::string label = "WBetweenLevel_TLevel" + std::to_string(n);
        if (!Interface->GetProperty(label, "Visible"))
            return;
        Interface->SetProperty(label, "Visible", n <= reached ? "true" : "false");
    }
}

void TForm1::ShowModePanelRows() {
    // The puts-left caption comes and goes with the number the rules show or hide.
    Interface->SetProperty(
        "WGame_LPutsLeft", "Visible",
        Interface->GetProperty("WGame_LPutsLeftCount", "Visible").value_or("false"));
    // Relaxed play never scores: its score row would read 0 all game.
    const char* scored = Game.Mode == gmNoLose ? "false" : "true";
    Interface->SetProperty("WGame_LScore", "Visible", scored);
    Interface->SetProperty("WGame_LScoreCount", "Visible", scored);
}

bool TForm1::HandleKeyboardPlay(const TInputEvent& event) {
    constexpr uint16_t vkX = 'X';
    constexpr uint16_t vkZ = 'Z';
    // The debug keys keep Up and Down for moving the view.
    const bool arrowsFree = !DebugKeys();
    switch (event.Key) {
    case vkLeft:
        StepToPlace(-1, 0);
        return true;
    case vkRight:
        StepToPlace(1, 0);
        return true;
    case vkUp:
        if (!arrowsFree)
            return false;
        StepToPlace(0, -1);
        return true;
    case vkDown:
        if (!arrowsFree)
            return false;
        StepToPlace(0, 1);
        return true;
    case vkReturn:
        if (event.Shift & ssAlt)
            return false;
        if (!Board->PlayerPut())
            PlaySound("9_wrong_place.ogg");
        return true;
    case vkZ:
    case vkX:
        if (event.Key == vkZ)
            Board->RotatePrevious();
        else
            Board->RotateNext();
        Board->UpdateHover();
        return true;
    default:
        return false;
    }
}

void TForm1::StepToPlace(int32_t dx, int32_t dy) {
    const int32_t type = Board->Fishka(Game.InHand).FType;
    TPoints places;
    for (const int32_t frag : Board->PutPlaces())
        places.push_back(Board->PointerFor(type, frag));
    const std::optional<TPoint> next =
        NearestPlaceThatWay(places, TPoint{Game.PointerX, Game.PointerY}, dx, dy);
    if (!next)
        return;
    Board->MovePointer(next->X, next->Y);
    const THeldAlpha held = HeldPieceAlpha(next->X, next->Y);
    OverBoard = held.OverBoard;
    HeldAlpha = held.Alpha;
}

void TForm1::UpdateToolTip(uint32_t now) {
    static constexpr std::array<std::string_view, 6> Tools{"Swap",    "Undo",      "Shift",
                                                           "Shuffle", "QuickSave", "Menu"};
    std::string under;
    if (Game.GameState == gsGamePlay && Interface->TopWindow() == "WGame")
        for (std::string_view tool : Tools) {
            const std::optional<TRect> bounds =
                Interface->ControlBounds("WGame_B" + std::string(tool));
            if (bounds && Game.PointerX >= bounds->Left && Game.PointerX <= bounds->Right &&
                Game.PointerY >= bounds->Top && Game.PointerY <= bounds->Bottom)
                under = tool;
        }
    if (under != ToolUnderPointer) {
        if (ToolTipShown)
            Interface->HideToolTip();
        ToolUnderPointer = under;
        ToolRestSince = now;
        ToolTipShown = false;
    } else if (!under.empty() && !ToolTipShown && now - ToolRestSince >= ToolTipDelay) {
        Interface->ShowToolTip("WGame_HTool" + under, TPoint{Game.PointerX, Game.PointerY});
        ToolTipShown = true;
    }
}

void TForm1::ShowLoadedGame() {
    Interface->SetProperty("WGame_PBDead", "Position", "0");
    Interface->SetProperty("WGame_PBDead", "BarPicture",
                           Game.Mode == gmStrategy ? "DeadProgressBarGreen.png"
                                                   : "DeadProgressBar.png");
    Interface->CloseAllWindows();
    ShowModePanelRows();
    if (Game.GameState == gsGamePlay) {
        Interface->ShowWindow("WGame");
        Game.DangerDelay = 3000;
        RemovePointingEffect();
    } else {
        if (MusicList)
            MusicList->StopAll();
        PlayTitleMusic(BridgeOrder);
        Interface->ShowWindow("WBetweenLevel");
        RemovePointingEffect();
        StartPointingEffect(NextLevelPlace);
    }
    // Labels lit by an earlier game go out; the loaded game's own are lit.
    if (Game.GameState == gsGamePlay)
        ShowReachedLevels(Game.LevelNumber);
    else
        ShowLevelMap();
    PrepareBackground();
    Game.BossHint = false;
    Game.Rescue = false;
    Game.DisappearHint = false;
    Board->DeadEndCheck();
}

void TForm1::ShowGameFinished(bool won) {
    Game.GameState = gsGameFinished;
    Interface->SetProperty("WGameFinished_LYourScoreCount", "Caption", std::to_string(Game.Score));
    Interface->CloseAllWindows();
    Interface->ShowWindow("WGameFinished");
    const char* scored = Game.Mode == gmNoLose ? "false" : "true";
    for (const char* control : {"WGameFinished_LYourScoreCount", "WGameFinished_LYourScore",
                                "WGameFinished_LYourName", "WGameFinished_EYourName"})
        Interface->SetProperty(control, "Visible", scored);
    for (const char* control : {"WGameFinished_LTitle", "WGameFinished_LText"}) {
        Interface->SetProperty(control, "Visible", won ? "true" : "false");
        Interface->SetProperty(std::string(control) + "Lost", "Visible", won ? "false" : "true");
    }
}

void TForm1::PlayTitleMusic(int32_t order) {
    if (MusicList)
        MusicList->Play(TitleMusic, Options.MusicVolume, Options.SoundVolume, order);
}

void TForm1::PauseMoveTimers() {
    MovePauseTick = Now();
}

void TForm1::ResumeMoveTimers() {
    const auto pause = static_cast<int32_t>(Now() - MovePauseTick);
    Game.DangerStart += pause;
    Level.NextMoveTime += pause;
}

int32_t TForm1::AddEffect(const TEffectRequest& request) {
    TPartEffect entry;
    entry.Name = request.Name;
    entry.Template = request.Effect;
    entry.Image = request.Image;
    entry.Text = request.Text;
    entry.Position = request.Position;
    entry.Clip = request.Clip;
    entry.StartTick = request.StartTick;
    entry.Path = request.Path;
    int32_t duration = 0;
    // Entries of the game's list run at once; board entries wait for their start tick.
    if (request.List == TEffectList::Game || request.StartTick <= static_cast<int32_t>(Now())) {
        entry.Effect = StartEffect(entry);
        if (entry.Effect)
            duration = entry.Effect->HasLifetime ? entry.Effect->Lifetime : 0;
    }
    (request.List == TEffectList::Game ? PartEffects : LevelEffects).push_back(std::move(entry));
    return duration;
}

std::unique_ptr<fx::TNyxParticleEffect> TForm1::StartEffect(const TPartEffect& entry) const {
    const std::string name = entry.Template.empty() ? EffectFiles[0] : entry.Template;
    for (size_t i = 0; i < EffectTypes.size(); ++i) {
        if (!SameText(EffectFiles[i], name) || !EffectTypes[i])
            continue;
        auto effect = std::make_unique<fx::TNyxParticleEffect>();
        if (!effect->Assign(EffectTypes[i].get()))
            return nullptr;
        if (!entry.Path.empty())
            if (auto* path =
                    dynamic_cast<fx::TNyxPiecewiseFunc*>(effect->Functions.Find("FContour")))
                path->SetScript(entry.Path);
        effect->Start(entry.StartTick);
        return effect;
    }
    return nullptr;
}

void TForm1::AdvanceEffects(uint32_t now) {
    const auto t = static_cast<int32_t>(now);
    for (size_t i = 0; i < LevelEffects.size();) {
        TPartEffect& entry = LevelEffects[i];
        if (!entry.Effect && entry.StartTick <= t)
            entry.Effect = StartEffect(entry);
        if (entry.Effect) {
            entry.Effect->Update(t);
            if (entry.Effect->Finished) {
                LevelEffects.erase(LevelEffects.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
        } else if (entry.StartTick <= t) {
            // No template of that name: nothing will ever run.
            LevelEffects.erase(LevelEffects.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        ++i;
    }
}

void TForm1::LevelEndCheck(uint32_t now) {
    if (Game.GameState != gsGamePlay || !Level.LevelDone ||
        static_cast<int32_t>(now) < Level.LevelEndTime)
        return;
    Game.GameState = gsBetweenLevels;
    PrepareBackground();
    RecordFinishedLevel();
    ForgetUnfinishedGame();
    Interface->ShowWindow("WLevelComplete");
}

int32_t TForm1::LevelCount() const {
    int32_t count = 0;
    while (LevelArchive && LevelArchive->IndexOf(LevelFile(count + 1)) >= 0)
        ++count;
    return count;
}

void TForm1::ShowLevelMap() {
    const int32_t reached = std::max(Game.LevelNumber + 1, Progress.Of(Game.Mode).Reached);
    for (int32_t n = 1;; ++n) {
        const std::string number = std::to_string(n);
        if (!Interface->GetProperty("WBetweenLevel_TLevel" + number, "Visible"))
            return;
        const bool shown = n <= reached;
        const int32_t best = Progress.BestOf(Game.Mode, n);
        Interface->SetProperty("WBetweenLevel_TLevel" + number, "Visible",
                               shown ? "true" : "false");
        Interface->SetProperty("WBetweenLevel_LBest" + number, "Visible",
                               shown && best >= 0 && Game.Mode != gmNoLose ? "true" : "false");
        Interface->SetProperty("WBetweenLevel_LBest" + number, "Caption", std::to_string(best));
    }
}

void TForm1::ComposeBoardState() {
    SurfEngine->CopyOpaque("Background", "MemorySurface", std::nullopt, 0, 0);
    if (Game.GameState != gsGamePlay || !Screen) {
        Interface->DrawWindows(false);
        const std::string top = Interface->TopWindow();
        const bool effects = (Game.GameState == gsBetweenLevels &&
                              (top == "WBetweenLevel" || top == "WStartGame")) ||
                             (Game.GameState == gsGameMenu && top == "WGameMenu");
        if (effects && Screen)
            Screen->DrawFreeEffects(PartEffects);
        Interface->DrawHints();
        return;
    }
    const auto now = static_cast<int32_t>(Now());
    Interface->DrawWindows(false);
    Screen->DrawBoard(*Board, LevelEffects, now, RiseDistance);
    Screen->DrawFreeEffects(PartEffects);
    Screen->DrawHand(*Board, THeldAlpha{OverBoard, HeldAlpha}, now);
    Interface->DrawHints();
}

bool TForm1::HandleDebugKey(const TInputEvent& event) {
    constexpr uint16_t vkB = 'B';
    const bool board = Board->HasLayer();
    switch (event.Key) {
    case vkB:
        if (Level.Bosses.empty())
            return false;
        Board->KillBoss(0);
        return true;
    case vkUp:
        Game.ViewY += 1;
        return false;
    case vkDown:
        Game.ViewY -= 1;
        return false;
    case vkF1 + 8:
        FrameRateShown = !FrameRateShown;
        return false;
    case vkF1 + 7:
        // Only a level in play can be skipped.
        if (!board || Game.GameState != gsGamePlay)
            return false;
        if (event.Shift & ssCtrl) {
            Board->NextLayer();
            if (!Level.LevelDone)
                Board->FollowBottom();
        } else {
            Board->FinishLevel();
        }
        return false;
    default:
        return false;
    }
}

bool TForm1::HandleGameInput(const TInputEvent& event) {
    const bool playing = Game.GameState == gsGamePlay;
    const bool hand = playing && Board->HasLayer() && Game.InHand >= 0;
    switch (event.Kind) {
    case TInputKind::MouseMove: {
        const THeldAlpha held = HeldPieceAlpha(event.X, event.Y);
        OverBoard = held.OverBoard;
        HeldAlpha = held.Alpha;
        LastPointerMove = Now();
        Interface->HandleInput(event);
        if (hand) {
            Board->MovePointer(event.X, event.Y);
            // The flights from the queue to the hand keep aiming at the pointer.
            for (TPartEffect& entry : PartEffects) {
                if ((entry.Name != "ToMouseMove3" && entry.Name != "ToMouseMove2") || !entry.Effect)
                    continue;
                if (auto* path = dynamic_cast<fx::TNyxPiecewiseFunc*>(
                        entry.Effect->Functions.Find("FContour")))
                    path->MovePoint(path->PointCount(), float(event.X - entry.Position.X),
                                    float(event.Y - entry.Position.Y), 0);
            }
        }
        return true;
    }
    case TInputKind::MouseDown:
        if (!(playing && Level.LevelDone))
            Interface->HandleInput(event);
        if (!hand)
            return true;
        if (event.Button == TMouseButton::mbLeft) {
            if (!Board->PlayerPut() && OverBoard)
                PlaySound("9_wrong_place.ogg");
        } else if (event.Button == TMouseButton::mbRight) {
            if (event.Shift & ssShift)
                Board->RotatePrevious();
            else
                Board->RotateNext();
            Board->UpdateHover();
        }
        return true;
    case TInputKind::MouseWheel:
        if (!playing) {
            Interface->HandleInput(event);
        } else if (hand) {
            if (event.WheelDelta > 0)
                Board->RotatePrevious();
            else
                Board->RotateNext();
            Board->UpdateHover();
        }
        return true;
    case TInputKind::KeyUp:
        if (playing && event.Key == vkSpace)
            SpaceReleased = true;
        return false;
    case TInputKind::KeyDown:
        if (DebugKeys() && HandleDebugKey(event))
            return true;
        if (event.Key == vkReturn && (event.Shift & ssAlt)) {
            if (playing)
                PauseMoveTimers();
            SwitchWindowMode();
            if (playing)
                ResumeMoveTimers();
            return true;
        }
        if (event.Key == vkReturn && Game.GameState != gsIntro) {
            const std::string top = Interface->TopWindow();
            if (top == "WSaveGame" || top == "WLoadGame")
                RunHandler(top == "WSaveGame" ? "WSaveGame_BSave_MouseUp"
                                              : "WLoadGame_BLoad_MouseUp");
        }
        if (hand && Interface->TopWindow() == "WGame" && HandleKeyboardPlay(event))
            return true;
        if (playing && event.Key == vkF1 + 1 && !Level.LevelDone) {
            WriteSave(SavePath("QuickSave"));
        } else if (playing && event.Key == vkF1 + 4) {
            Board->Shift();
        } else if (playing && event.Key == vkF1 + 5) {
            Board->Shuffle();
        } else if (playing && event.Key == vkSpace && SpaceReleased) {
            SpaceReleased = false;
            Board->Swap();
        } else if (playing && event.Key == vkEscape && !Level.LevelDone) {
            PauseMoveTimers();
            Game.GameState = gsGameMenu;
            PrepareBackground();
            StartPointingEffect(ResumePlace);
            Interface->ShowWindow("WGameMenu");
        } else if (Game.GameState == gsGameMenu && event.Key == vkEscape &&
                   Interface->TopWindow() == "WGameMenu") {
            Game.GameState = gsGamePlay;
            PrepareBackground();
            ResumeMoveTimers();
            RemovePointingEffect();
            Interface->CloseWindow(Interface->TopWindow());
            return true;
        } else if (playing && event.Key == vkBack) {
            Board->Undo();
        }
        return false;
    default:
        return false;
    }
}

} // namespace qz
