// The main window's handlers for the title menus: quit and the link, the options window,
// the language window and the language files, the high-score tables, and the logos of
// "AddLogo.xml".

#include "app/Form1.h"
#include "app/Languages.h"
#include "app/SaveFiles.h"
#include "archive/Error.h"
#include "archive/FileFolder.h"
#include "archive/Helpers.h"
#include "audio/Music.h"
#include "fx/NyxFXParticles.h"
#include "game/PieceGraphics.h"
#include "game/SavedGame.h"
#include "platform/Launcher.h"
#include "platform/SafeFile.h"
#include "platform/SettingsStore.h"
#include "platform/TextCodec.h"
#include "xml/NyxParser.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <sstream>

namespace qz {

namespace {

constexpr const char* LanguageKey = "Software\\Tindrel\\Quarzel";
constexpr const char* LanguageValue = "LangStr";
constexpr int32_t SliderTop = 90;

// The high-score tables and link shortcuts are small; anything larger is not one of them.
std::string ReadWholeFile(const std::filesystem::path& path) {
    TMemoryStream file;
    file.LoadFromFile(path.string(), size_t{64} << 10);
    return file.ToString();
}

int32_t VolumeFromSlider(const std::string& position) {
    return static_cast<int32_t>(std::lround(100.0 * StrToIntDef(position, 0) / SliderTop));
}

} // namespace

bool TForm1::IsChecked(const std::string& control) const {
    return SameText(Interface->GetProperty(control, "Checked").value_or(""), "true");
}

void TForm1::RegisterMenuHandlers() {
    const auto quit = [this] { CloseRequested = true; };
    RegisterHandler("WTitle_BQuit_MouseUp", quit);
    RegisterHandler("WGameMenu_BQuit_MouseUp", quit);
    RegisterHandler("WTitle_LTindrelLink_MouseUp",
                    [this] { OpenLink(ProgramPath("Tindrel.url")); });

    RegisterHandler("WOptions_BOk_MouseUp", [this] { OptionsOk(); });
    RegisterHandler("WOptions_BCancel_MouseUp", [this] {
        Options = ReadOptions(UserPath("options.cfg"));
        SetOptionControls();
        audio_.SetGlobalVolumes(Options.MusicVolume, Options.SoundVolume);
    });
    RegisterHandler("WOptions_SMusicVolume_Change", [this] {
        const int32_t before = Options.MusicVolume;
        Options.MusicVolume = VolumeFromSlider(
            Interface->GetProperty("WOptions_SMusicVolume", "Position").value_or("0"));
        audio_.SetGlobalVolumes(Options.MusicVolume, Options.SoundVolume);
        if (before == 0 && MusicList && !MusicList->CurrentMusic().empty())
            MusicList->Play(MusicList->CurrentMusic(), Options.MusicVolume, Options.SoundVolume, 0);
    });
    RegisterHandler("WOptions_SSoundVolume_Change", [this] {
        Options.SoundVolume = VolumeFromSlider(
            Interface->GetProperty("WOptions_SSoundVolume", "Position").value_or("0"));
        audio_.SetGlobalVolumes(Options.MusicVolume, Options.SoundVolume);
        if (IntroStart > 0 && MusicList)
            MusicList->Play("4_change.ogg", Options.MusicVolume, Options.SoundVolume, 0);
    });

    RegisterHandler("WLanguage_BOk_MouseUp", [this] {
        for (const auto& [name, className] : Interface->WindowControls("WLanguage")) {
            if (className != "TNyxRadioButton" || !IsChecked(name))
                continue;
            const std::string chosen = name.size() > 12 ? name.substr(12, 3) : std::string();
            if (UpperCase(chosen) != UpperCase(LanguageCode)) {
                LanguageCode = chosen;
                ApplyLanguage();
                SaveLanguage();
            }
            return;
        }
    });
    RegisterHandler("SaveLanguageToReg", [this] { SaveLanguage(); });

    RegisterHandler("WTitle_BHighScores_MouseUp", [this] { FillHighScores(); });
    RegisterHandler("WTitle_BHowToPlay_MouseUp", [this] { ShowHelpPage(1); });
    RegisterHandler("WHowToPlay_BPrevious_MouseUp", [this] { ShowHelpPage(HelpPage - 1); });
    RegisterHandler("WHowToPlay_BNext_MouseUp", [this] { ShowHelpPage(HelpPage + 1); });
    RegisterHandler("WHighScores_BClear_MouseUp", [this] {
        if (!ChosenHighScores().empty())
            Interface->ShowWindow("WClearHighScores");
    });
    RegisterHandler("WClearHighScores_BOk_MouseUp", [this] {
        Interface->ClearGrid("WHighScores_GHighScores");
        ChosenHighScores().clear();
        std::error_code ignored;
        std::filesystem::remove(
            UserPath(RealTimeChosen() ? "HighScoresRTP.dat" : "HighScoresTBP.dat"), ignored);
    });
    RegisterHandler("WGameFinished_BOk_MouseUp", [this] { GameFinishedOk(); });

    RegisterHandler("WTitle_BNewGame_MouseUp", [this] {
        Interface->SetProperty("WStartGame_RBPuzzle", "Checked", "true");
        Game.Mode = gmPuzzle;
        Game.Danger = false;
        Interface->SetProperty("WGame_PBDead", "Position", "0");
        StartPointingEffect(0);
    });
    RegisterHandler("WStartGame_RBPuzzle_MouseUp", [this] { Game.Mode = gmPuzzle; });
    RegisterHandler("WStartGame_RBStrategy_MouseUp", [this] { Game.Mode = gmStrategy; });
    RegisterHandler("WStartGame_RBNoLose_MouseUp", [this] { Game.Mode = gmNoLose; });
    RegisterHandler("WStartGame_BBack_MouseUp", [this] { RemovePointingEffect(); });

    RegisterHandler("WTitle_BLoadGame_MouseUp",
                    [this] { FillSaveList("WLoadGame_GFiles", "WLoadGame_ELoadFile"); });
    const auto openSaveList = [this] { FillSaveList("WSaveGame_GFiles", "WSaveGame_ESaveFile"); };
    RegisterHandler("WBetweenLevel_BSaveGame_MouseUp", openSaveList);
    RegisterHandler("WGameMenu_BSaveGame_MouseUp", openSaveList);
    RegisterHandler("WLoadGame_GFiles_MouseDown", [this] {
        Interface->SetProperty("WLoadGame_ELoadFile", "Caption",
                               Interface->GridSelectedText("WLoadGame_GFiles"));
    });
    RegisterHandler("WSaveGame_GFiles_MouseDown", [this] {
        Interface->SetProperty("WSaveGame_ESaveFile", "Caption",
                               Interface->GridSelectedText("WSaveGame_GFiles"));
    });
    const auto askDelete = [this] {
        const std::string edit =
            Interface->TopWindow() == "WLoadGame" ? "WLoadGame_ELoadFile" : "WSaveGame_ESaveFile";
        const std::string name = Interface->GetProperty(edit, "Caption").value_or("");
        std::error_code error;
        if (!name.empty() && std::filesystem::is_regular_file(SavePath(name), error))
            Interface->ShowWindow("WDelete");
    };
    RegisterHandler("WLoadGame_BDelete_MouseUp", askDelete);
    RegisterHandler("WSaveGame_BDelete_MouseUp", askDelete);
    RegisterHandler("WDelete_BOk_MouseUp", [this] {
        Interface->CloseWindow(Interface->TopWindow());
        const bool loading = Interface->TopWindow() == "WLoadGame";
        const std::string grid = loading ? "WLoadGame_GFiles" : "WSaveGame_GFiles";
        const std::string edit = loading ? "WLoadGame_ELoadFile" : "WSaveGame_ESaveFile";
        std::error_code ignored;
        std::filesystem::remove(SavePath(Interface->GetProperty(edit, "Caption").value_or("")),
                                ignored);
        FillSaveList(grid, edit);
    });

    RegisterHandler("AddLogoMouseUp", [this] {
        const std::string sender = Interface->SenderName();
        const int32_t index = StrToIntDef(sender.size() > 7 ? sender.substr(7, 3) : "", -1);
        if (index >= 0 && size_t(index) < LogoLinks.size() && !LogoLinks[size_t(index)].empty())
            OpenLink(LogoLinks[size_t(index)]);
    });
}

void TForm1::OpenLink(const std::filesystem::path& target) {
    if (!launcher_)
        return;
    // A shortcut file names its link in a "URL=" line; open the link rather than the file.
    std::string link = target.string();
    if (target.extension() == ".url") {
        std::error_code error;
        if (!std::filesystem::is_regular_file(target, error))
            return;
        std::istringstream lines(ReadWholeFile(target));
        for (std::string line; std::getline(lines, line);) {
            line = Trim(line);
            if (line.size() > 4 && SameText(line.substr(0, 4), "URL="))
                link = line.substr(4);
        }
    }
    launcher_->Open(link);
}

void TForm1::OptionsOk() {
    Options.TurnOffHint = IsChecked("WOptions_CBTurnOffHints") ? 1 : 0;
    Options.ShowPutOutcome = IsChecked("WOptions_CBShowPutOutcome") ? 1 : 0;
    Board->PredictsPuts = Options.ShowPutOutcome != 0;
    Board->UpdateHover();
    SaveOptions(UserPath("options.cfg"), Options);
    const bool fullChecked = IsChecked("WOptions_CBFullScreen");
    const bool deepChecked = IsChecked("WOptions_CB32bitColor");
    bool depthChanged = false;
    if (Options.FullScreenMode == 1 && deepChecked != (Options.BitsPerPixel == 32)) {
        Options.BitsPerPixel = deepChecked ? 32 : 16;
        SaveOptions(UserPath("options.cfg"), Options);
        depthChanged = true;
    }
    if (fullChecked != (Options.FullScreenMode == 1))
        SwitchWindowMode();
    else if (depthChanged)
        ReinitialiseDisplay();
}

void TForm1::SwitchWindowMode() {
    Options.FullScreenMode = Options.FullScreenMode == 1 ? 0 : 1;
    SaveOptions(UserPath("options.cfg"), Options);
    FormCreate(false);
    ReinitialiseDisplay();
    SetOptionControls();
}

void TForm1::ReinitialiseDisplay() {
    if (!SurfEngine || !displayReady_)
        return;
    SurfEngine->ReleaseSurfaces();
    if (!InitDisplay())
        return;
    const std::string bar =
        Interface->GetProperty("WGameLoading_PBGameLoading", "BarPicture").value_or("");
    const std::string frame =
        Interface->GetProperty("WGameLoading_PBGameLoading", "Picture").value_or("");
    SurfEngine->OnProgress = [&](int32_t percent) {
        Interface->SetProperty("WGameLoading_PBGameLoading", "Position", std::to_string(percent));
        const TSurface* barSurface = SurfEngine->FindSurface(bar);
        const TSurface* frameSurface = SurfEngine->FindSurface(frame);
        const TSurface* memory = SurfEngine->FindSurface("MemorySurface");
        if (!memory || !memory->Surface || (barSurface && !barSurface->Surface) ||
            (frameSurface && !frameSurface->Surface))
            return;
        SurfEngine->FillSurface("MemorySurface", 0);
        Interface->ShowWindow("WGameLoading");
        Interface->DrawWindows(false);
        Interface->CloseWindow("WGameLoading");
        Present();
    };
    SurfEngine->ReloadSurfaces(GameArchive.get(), LevelArchive.get(),
                               bar + " " + frame + " NyxUnicode.png", 800, 600);
    SurfEngine->OnProgress = nullptr;
    ReloadGeneratedPictures();
    PrepareBackground();
    ComposeFrame();
}

void TForm1::ReloadGeneratedPictures() {
    if (PiecesPrepared && LevelArchive && GameArchive)
        Guarded([&] { ReloadPieceGraphics(Defs, *LevelArchive, *GameArchive, *SurfEngine); });
    for (const auto& [name, file] : LogoPictures) {
        std::error_code error;
        if (SurfEngine->FindSurface(name) || !std::filesystem::is_regular_file(file, error))
            continue;
        if (LowerCase(name).ends_with("png"))
            SurfEngine->LoadPNGFromFile(name, file.string());
        else
            SurfEngine->LoadJPEGFromFile(name, file.string());
    }
    SurfEngine->AddAlphaPlane("Title.jpg", 255);
    SurfEngine->AddAlphaPlane("TitleSketch.jpg", 255);
}

void TForm1::BuildLanguageList() {
    const std::optional<TRect> english = Interface->ControlBounds("WLanguage_RBENU");
    const std::optional<TRect> window = Interface->ControlBounds("WLanguage");
    if (!english || !window)
        return;
    int32_t k = 0;
    for (const TLanguageFile& file : ListLanguageFiles(ProgramPath("lng"))) {
        if (LowerCase(file.Code) == "enu")
            continue;
        const std::string name = "WLanguage_RB" + UpperCase(file.Code);
        if (!Interface->CreateControl("", name, "WLanguage", "WLanguage_RBENU"))
            continue;
        ++k;
        const TLanguageButtonOffset offset = LanguageButtonOffset(k);
        Interface->SetProperty(name, "Checked", "false");
        Interface->SetProperty(name, "Left",
                               std::to_string(english->Left - window->Left + offset.Left));
        Interface->SetProperty(name, "Top",
                               std::to_string(english->Top - window->Top + offset.Top));
        // Each button shows its language's name in that language, whatever the current one.
        const std::string ownName = LanguageOwnName(file);
        Interface->SetProperty(name, "Caption", ownName.empty() ? UpperCase(file.Code) : ownName);
    }
}

void TForm1::ApplyLanguage() {
    const std::vector<TLanguageFile> files = ListLanguageFiles(ProgramPath("lng"));
    if (files.empty() && !std::filesystem::is_directory(ProgramPath("lng")))
        return;
    const auto apply = [&] {
        bool found = false;
        for (const TLanguageFile& file : files) {
            if (UpperCase(file.Code) != UpperCase(LanguageCode))
                continue;
            Guarded([&] { Interface->ApplyPropertiesFile(file.Path.string()); });
            found = true;
        }
        return found;
    };
    if (!apply()) {
        LanguageCode = "ENU";
        SaveLanguage();
        apply();
    }
    Interface->SetProperty("WLanguage_RB" + UpperCase(LanguageCode), "Checked", "true");
    Interface->SetProperty("WGame_LShiftCount", "Caption", std::to_string(Game.Shifts));
    Interface->SetProperty("WGame_LShuffleCount", "Caption", std::to_string(Game.Shuffles));
    Interface->SetProperty("WGame_LLevelCount", "Caption", std::to_string(Game.LevelNumber));
    Interface->SetProperty("WGame_LScoreCount", "Caption", std::to_string(Game.Score));
    Interface->SetProperty("WGame_LPutsLeftCount", "Caption", std::to_string(Level.PutLeft));
}

void TForm1::ReadLanguage() {
    const std::optional<std::string> stored =
        settings_ ? settings_->ReadString(LanguageKey, LanguageValue) : std::nullopt;
    LanguageCode = stored ? PersistedLanguageCode(*stored) : std::string();
}

void TForm1::SaveLanguage() {
    if (settings_)
        Guarded([&] { settings_->WriteString(LanguageKey, LanguageValue, LanguageCode); });
}

bool TForm1::RealTimeChosen() const {
    return IsChecked("WHighScores_RBRealTimePuzzle");
}

THighScores& TForm1::ChosenHighScores() {
    return RealTimeChosen() ? RealTimeScores : TurnBasedScores;
}

void TForm1::LoadHighScores() {
    const auto load = [&](const char* name) {
        const std::filesystem::path path = UserPath(name);
        std::error_code error;
        THighScores scores;
        if (std::filesystem::exists(path, error))
            Guarded([&] { scores = ParseHighScores(ReadWholeFile(path)); });
        return scores;
    };
    RealTimeScores = load("HighScoresRTP.dat");
    TurnBasedScores = load("HighScoresTBP.dat");
}

void TForm1::LoadProgress() {
    const std::filesystem::path path = UserPath("progress.dat");
    std::error_code error;
    Progress = TProgress{};
    if (!std::filesystem::exists(path, error))
        return;
    try {
        Progress = ParseProgress(ReadWholeFile(path));
    } catch (const std::exception& damage) {
        // The level map starts over; the file is written whole again at the next level.
        Log.Add("The progress file " + path.string() +
                " is damaged and was ignored: " + damage.what());
    }
}

void TForm1::RecordFinishedLevel() {
    Progress.Finished(Game.Mode, Game.LevelNumber, Game.Score - Game.PrevScore, LevelCount());
    Guarded([&] { WriteFileSafely(UserPath("progress.dat"), ProgressText(Progress)); });
}

void TForm1::ShowHelpPage(int32_t page) {
    HelpPage = std::clamp(page, 1, HelpPages);
    const auto shown = [](bool visible) { return visible ? "true" : "false"; };
    for (int32_t n = 1; n <= HelpPages; ++n)
        Interface->SetProperty("WHowToPlay_LPage" + std::to_string(n), "Visible",
                               shown(n == HelpPage));
    for (const char* tool : {"Swap", "Undo", "Shift", "Shuffle", "QuickSave", "Menu"})
        Interface->SetProperty(std::string("WHowToPlay_ITool") + tool, "Visible",
                               shown(HelpPage == HelpToolsPage));
    Interface->SetProperty("WHowToPlay_LPageNumber", "Caption",
                           std::to_string(HelpPage) + " / " + std::to_string(HelpPages));
    Interface->SetProperty("WHowToPlay_BPrevious", "Visible", shown(HelpPage > 1));
    Interface->SetProperty("WHowToPlay_BNext", "Visible", shown(HelpPage < HelpPages));
}

void TForm1::FillHighScores() {
    Interface->ClearGrid("WHighScores_GHighScores");
    const THighScores& table = ChosenHighScores();
    for (size_t i = 0; i < table.size(); ++i)
        Interface->SetProperty("WHighScores_GHighScores", "AddCells", HighScoreRow(i, table[i]));
}

void TForm1::GameFinishedOk() {
    Interface->CloseAllWindows();
    Interface->ShowWindow("WTitle");
    if (Game.Mode == gmNoLose)
        return;
    const bool realTime = Game.Mode == gmPuzzle;
    const char* on = realTime ? "RealTimePuzzle" : "TurnBasedPuzzle";
    const char* off = realTime ? "TurnBasedPuzzle" : "RealTimePuzzle";
    for (const char* prefix : {"WHighScores_RB", "WHighScores_LB"}) {
        Interface->SetProperty(std::string(prefix) + on, "Checked", "true");
        Interface->SetProperty(std::string(prefix) + off, "Checked", "false");
    }
    THighScores& table = realTime ? RealTimeScores : TurnBasedScores;
    const size_t position = InsertHighScore(
        table, Interface->GetProperty("WGameFinished_EYourName", "Caption").value_or(""),
        Game.Score);
    FillHighScores();
    WriteFileSafely(UserPath(realTime ? "HighScoresRTP.dat" : "HighScoresTBP.dat"),
                    HighScoresText(table));
    Interface->SetProperty("WHighScores_GHighScores", "Position", std::to_string(position));
    Interface->ShowWindow("WHighScores");
}

void TForm1::LoadLogos() {
    LogoLinks.clear();
    LogoPictures.clear();
    const std::filesystem::path path = ProgramPath("AddLogo.xml");
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return;
    TNyxParser document;
    document.LoadFromFile(path.string());
    if (document.TagCount() == 0)
        throw Error(path.string() + "XML file does not has tags!");
    const TNyxXMLTag& top = *document.GetTag(0);
    const auto loadPicture = [&](const std::string& name) {
        if (name.empty() || SurfEngine->FindSurface(name))
            return;
        const std::filesystem::path file = ProgramPath(name);
        if (LowerCase(name).ends_with("png"))
            SurfEngine->LoadPNGFromFile(name, file.string());
        else
            SurfEngine->LoadJPEGFromFile(name, file.string());
        LogoPictures.emplace_back(name, file);
    };
    for (size_t i = 0; i < top.TagCount(); ++i) {
        LogoLinks.emplace_back();
        const TNyxXMLTag& logo = *top.GetTag(i);
        const TNyxXMLTag* position = logo.FindTag("Position");
        const TNyxXMLTag* parent = logo.FindTag("Parent");
        if (logo.Name != "Logo" || !position || !parent || !position->FindAttribute("x") ||
            !position->FindAttribute("y") || !Interface->ControlBounds(parent->Value))
            continue;
        const std::string name = "AddLogo" + std::to_string(i);
        if (!Interface->CreateControl("TNyxLabel", name, parent->Value, ""))
            continue;
        const auto set = [&](const char* property, const std::string& value) {
            Interface->SetProperty(name, property, value);
        };
        set("Alpha", "255");
        set("PictureAlpha", "255");
        set("Left", position->FindAttribute("x")->Value);
        set("Top", position->FindAttribute("y")->Value);
        set("Visible", "true");
        const TNyxXMLTag* picture = logo.FindTag("Picture");
        if (picture) {
            loadPicture(picture->Value);
            int32_t width = 0, height = 0;
            GetPictureSize(width, height, picture->Value);
            set("Picture", picture->Value);
            set("Width", std::to_string(width));
            set("Height", std::to_string(height));
        }
        for (const auto& [element, property] :
             {std::pair{"PictureMouseOn", "MouseOverPicture"},
              std::pair{"PictureMouseDown", "MouseDownPicture"}}) {
            const TNyxXMLTag* tag = logo.FindTag(element);
            const std::string value = tag ? tag->Value : picture ? picture->Value : "";
            loadPicture(value);
            set(property, value);
        }
        if (const TNyxXMLTag* caption = logo.FindTag("Caption")) {
            set("FontName", "NyxUnicode");
            set("Caption", caption->Value);
        }
        if (const TNyxXMLTag* colour = logo.FindTag("Color")) {
            if (const TNyxParserAttribute* normal = colour->FindAttribute("Caption"))
                set("Color", normal->Value);
            if (const TNyxParserAttribute* over = colour->FindAttribute("MouseOverCaption"))
                set("MouseOverColor", over->Value);
        }
        if (const TNyxXMLTag* url = logo.FindTag("URL")) {
            const TNyxParserAttribute* source = url->FindAttribute("Source");
            if (!source) {
                LogoLinks.back() = ProgramPath(url->Value).string();
            } else if (SameText(source->Value, "registry") && settings_) {
                const size_t slash = url->Value.find('\\');
                const size_t dot = url->Value.find('.', slash == std::string::npos ? 0 : slash);
                if (slash != std::string::npos && dot != std::string::npos)
                    LogoLinks.back() =
                        settings_
                            ->ReadString(url->Value.substr(slash + 1, dot - slash - 1),
                                         url->Value.substr(dot + 1))
                            .value_or("");
            }
            set("OnMouseUp", "ExecMethod Method=\"AddLogoMouseUp\";");
        }
    }
}

void TForm1::StartPointingEffect(size_t place) {
    constexpr size_t ClickHere = EffectFiles.size() - 1;
    if (EffectTypes.size() <= ClickHere || place >= PointingPlaces.size())
        return;
    auto effect = std::make_unique<fx::TNyxParticleEffect>();
    if (!effect->Assign(EffectTypes[ClickHere].get()))
        return;
    effect->Start(static_cast<int32_t>(Now()));
    TPartEffect entry;
    entry.Name = "ClickHereEffect";
    entry.Template = EffectFiles[ClickHere];
    entry.Image = "particle1.png";
    entry.Position = PointingPlaces[place];
    entry.StartTick = static_cast<int32_t>(Now());
    entry.Effect = std::move(effect);
    PartEffects.push_back(std::move(entry));
}

void TForm1::RemovePointingEffect() {
    std::erase_if(PartEffects,
                  [](const TPartEffect& entry) { return entry.Name == "ClickHereEffect"; });
}

std::filesystem::path TForm1::SavePath(const std::string& name) const {
    return SaveFilePath(UserPath("saves"), name);
}

void TForm1::WriteSave(const std::filesystem::path& file) {
    SaveGame(file, *Board);
    if (SaveDatesFrom) {
        const auto dated = std::chrono::system_clock::from_time_t(*SaveDatesFrom) +
                           std::chrono::milliseconds(Now());
        std::error_code ignored;
        std::filesystem::last_write_time(
            file,
            std::chrono::file_clock::from_sys(
                std::chrono::time_point_cast<std::chrono::file_clock::duration>(dated)),
            ignored);
    }
}

void TForm1::KeepUnfinishedGame() {
    const bool playing = Game.GameState == gsGamePlay || Game.GameState == gsGameMenu;
    if (!playing || !Board || !Board->HasLayer() || Level.LevelDone)
        return;
    Guarded([&] {
        WriteSave(ResumeSavePath(UserPath("saves")));
        ResumeKept = true;
        Log.Add("The unfinished game was kept for Continue");
    });
}

void TForm1::ForgetUnfinishedGame() {
    if (!ResumeKept)
        return;
    std::error_code ignored;
    std::filesystem::remove(ResumeSavePath(UserPath("saves")), ignored);
    ResumeKept = false;
    LayOutTitleMenu();
}

void TForm1::LayOutTitleMenu() {
    std::error_code error;
    ResumeKept = std::filesystem::is_regular_file(ResumeSavePath(UserPath("saves")), error);
    // With "Continue" the menu holds eight buttons on a taller panel.
    Interface->SetProperty("WTitle_BContinue", "Visible", ResumeKept ? "true" : "false");
    Interface->SetProperty("WTitle_LMenuPanel", "Picture",
                           ResumeKept ? "PanelMenuTall.png" : "PanelMenu.png");
    Interface->SetProperty("WTitle_LMenuPanel", "Top", ResumeKept ? "130" : "150");
    Interface->SetProperty("WTitle_LMenuPanel", "Height", ResumeKept ? "400" : "380");
    const char* buttons[] = {"WTitle_BContinue",  "WTitle_BNewGame",    "WTitle_BLoadGame",
                             "WTitle_BHowToPlay", "WTitle_BHighScores", "WTitle_BOptions",
                             "WTitle_BLanguage",  "WTitle_BQuit"};
    int32_t top = ResumeKept ? 148 : 174;
    for (const char* button : buttons) {
        if (!ResumeKept && button == buttons[0])
            continue;
        Interface->SetProperty(button, "Top", std::to_string(top));
        top += ResumeKept ? 46 : 48;
    }
}

std::string TForm1::ModeCaption(int32_t mode) const {
    const char* captions[] = {"WStartGame_RBNoLose", "WStartGame_RBPuzzle",
                              "WStartGame_RBStrategy"};
    if (mode < gmNoLose || mode > gmStrategy)
        return {};
    return Interface->GetProperty(captions[mode - gmNoLose], "Caption").value_or("");
}

void TForm1::FillSaveList(const std::string& grid, const std::string& edit) {
    Interface->ClearGrid(grid);
    const std::filesystem::path folder = UserPath("saves");
    const auto cell = [](const std::string& text) { return "Text=\"" + text + "\";"; };
    for (const std::string& name : SaveNames(folder)) {
        // A save that would not load still shows its name and date, so it can be deleted.
        const std::filesystem::path file = SaveFilePath(folder, name);
        const std::optional<TSaveSummary> summary = ReadSaveSummary(file);
        const bool scored = summary && summary->Mode != gmNoLose;
        Interface->SetProperty(
            grid, "AddCells",
            cell(Latin1ToUtf8(name)) +
                cell(summary ? std::to_string(summary->LevelNumber) : std::string()) +
                cell(summary ? ModeCaption(summary->Mode) : std::string()) +
                cell(scored ? std::to_string(summary->Score) : std::string()) +
                cell(SaveTimeText(file, SaveDatesFrom.has_value())));
    }
    if (edit != "WSaveGame_ESaveFile") {
        Interface->SetProperty(edit, "Caption", Interface->GridSelectedText(grid));
        return;
    }
    // A new save starts with an empty name and proposes one from the level and the mode.
    std::string level = Trim(Interface->GetProperty("WGame_LLevel", "Caption").value_or(""));
    // "Level:", and French "Niveau :" with its no-break space, lose their colon and spaces.
    for (bool trimmed = true; trimmed;) {
        trimmed = false;
        for (const std::string_view tail : {":", " ", "\xC2\xA0"})
            if (level.ends_with(tail)) {
                level.resize(level.size() - tail.size());
                trimmed = true;
            }
    }
    const std::string mode = ModeCaption(Game.Mode);
    const std::string number = std::to_string(std::max(Game.LevelNumber, 1));
    std::string proposed = level + " " + number;
    if (!mode.empty())
        proposed += ", " + mode;
    // Save names are the game's 8-bit text: a language whose words it cannot hold (Cyrillic,
    // Polish letters) proposes the level in English instead.
    std::string name = Utf8ToLatin1(proposed);
    if (Latin1ToUtf8(name) != proposed)
        name = "Level " + number;
    if (Latin1ToUtf8(name).size() > LongestSaveName)
        name = Utf8ToLatin1(level) + " " + number;
    Interface->SetProperty(edit, "Caption", "");
    Interface->SetProperty(edit, "Placeholder", name);
}

std::string TForm1::ChosenSaveName() const {
    const std::string typed =
        Trim(Interface->GetProperty("WSaveGame_ESaveFile", "Caption").value_or(""));
    return typed.empty() ? Interface->GetProperty("WSaveGame_ESaveFile", "Placeholder").value_or("")
                         : typed;
}

} // namespace qz
