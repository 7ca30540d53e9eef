// The title menus' handlers on a small description: language files and the language
// window, the options window, the high-score tables, the quit button, the link and the
// logos of "AddLogo.xml", and the loading window of start-up.
#include "AppData.h"
#include "TempDir.h"
#include "app/Form1.h"
#include "app/Languages.h"
#include "app/LoadingWindow.h"
#include "app/NyxGameInterface.h"
#include "archive/CUnit.h"
#include "audio/NullAudioDevice.h"
#include "objects/NyxStrings.h"
#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/HeadlessDisplay.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/SettingsStore.h"
#include "ui/NyxGrid.h"
#include "ui/NyxInterfaceEngine.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace qz {
namespace {

std::string Object(const std::string& className, const std::string& name, const std::string& parent,
                   const std::string& properties) {
    return "<o c=\"" + className + "\"><p n=\"Name\">" + name + "</p><p n=\"ParentName\">" +
           parent + "</p>" + properties + "</o>\n";
}

std::string P(const std::string& name, const std::string& value) {
    return "<p n=\"" + name + "\">" + value + "</p>";
}

std::string Box(int left, int top, int width, int height) {
    return P("Left", std::to_string(left)) + P("Top", std::to_string(top)) +
           P("Width", std::to_string(width)) + P("Height", std::to_string(height));
}

std::string MenusDescription() {
    std::string d = "<?xml version=\"1.0\"?>\n<NyxInterface>\n<o c=\"TNyxDefaults\">"
                    "<p n=\"DefLine\">TNyxLabel;Visible;true</p></o>\n";
    d += Object("TNyxForm", "WTitle", "Screen", Box(100, 50, 200, 100));
    d += Object("TNyxLabel", "WTitle_BQuit", "WTitle",
                Box(10, 10, 50, 20) + P("Caption", "Quit") +
                    P("OnMouseUp", "ExecMethod Method=\"WTitle_BQuit_MouseUp\";"));
    d += Object("TNyxLabel", "WGame_LShiftCount", "WTitle", Box(10, 40, 50, 20));
    d += Object("TNyxForm", "WLanguage", "Screen", Box(100, 100, 500, 300));
    d += Object("TNyxRadioButton", "WLanguage_RBENU", "WLanguage",
                Box(20, 30, 150, 20) + P("Caption", "English") + P("RadioGroup", "1"));
    d += Object("TNyxLabel", "WLanguage_LTitle", "WLanguage",
                Box(20, 5, 150, 20) + P("Caption", "Language"));
    d += Object("TNyxForm", "WOptions", "Screen", Box(100, 100, 400, 300));
    for (const char* box :
         {"WOptions_CBFullScreen", "WOptions_CB32bitColor", "WOptions_CBTurnOffHints"})
        d += Object("TNyxCheckBox", box, "WOptions", Box(20, 20, 150, 20));
    for (const char* slider : {"WOptions_SMusicVolume", "WOptions_SSoundVolume"})
        d += Object("TNyxSlider", slider, "WOptions",
                    Box(20, 80, 180, 16) + P("Max", "90") +
                        P("OnChange", std::string("ExecMethod Method=\"") + slider + "_Change\";"));
    d += Object("TNyxForm", "WHighScores", "Screen", Box(100, 100, 400, 300));
    for (const char* radio : {"WHighScores_RBRealTimePuzzle", "WHighScores_RBTurnBasedPuzzle"})
        d += Object("TNyxRadioButton", radio, "WHighScores",
                    Box(20, 20, 150, 20) + P("RadioGroup", "2"));
    for (const char* radio : {"WHighScores_LBRealTimePuzzle", "WHighScores_LBTurnBasedPuzzle"})
        d += Object("TNyxRadioButton", radio, "WHighScores",
                    Box(20, 50, 150, 20) + P("RadioGroup", "3"));
    d += Object("TNyxGrid", "WHighScores_GHighScores", "WHighScores",
                Box(20, 80, 300, 200) + P("RowsHeight", "20") + P("FixedRow", "false") +
                    P("AddColumns", "Width=\"40\";Width=\"180\";Width=\"80\";"));
    d += Object("TNyxForm", "WClearHighScores", "Screen", Box(200, 200, 200, 100));
    d += Object("TNyxForm", "WGameFinished", "Screen", Box(200, 200, 300, 200));
    d += Object("TNyxEdit", "WGameFinished_EYourName", "WGameFinished", Box(20, 20, 200, 20));
    d += Object("TNyxForm", "WStartGame", "Screen", Box(200, 150, 400, 300));
    for (const char* radio : {"WStartGame_RBPuzzle", "WStartGame_RBStrategy"})
        d += Object("TNyxRadioButton", radio, "WStartGame",
                    Box(20, 20, 150, 20) + P("RadioGroup", "1"));
    d += Object("TNyxLabel", "WStartGame_BPlay", "WStartGame", Box(40, 240, 120, 30));
    d += Object("TNyxForm", "WLoadGame", "Screen", Box(100, 100, 400, 300));
    d += Object("TNyxGrid", "WLoadGame_GFiles", "WLoadGame",
                Box(20, 20, 300, 200) + P("RowsHeight", "20") + P("FixedRow", "true") +
                    P("AddColumns", "Width=\"100\";Width=\"40\";Width=\"60\";Width=\"40\";"
                                    "Width=\"60\";") +
                    P("AddCells", "Text=\"Name\";Text=\"Level\";Text=\"Mode\";Text=\"Score\";"
                                  "Text=\"Saved\";"));
    d += Object("TNyxEdit", "WLoadGame_ELoadFile", "WLoadGame",
                Box(20, 240, 200, 20) + P("MaxLength", "30"));
    d += Object("TNyxForm", "WDelete", "Screen", Box(200, 200, 200, 100));
    d += "</NyxInterface>\n";
    return d;
}

// A property-modification file that sets captions of the named objects.
std::string LanguageFile(const std::vector<std::pair<std::string, std::string>>& captions) {
    std::string d = "<?xml version=\"1.0\"?>\n<NyxInterface>\n";
    for (const auto& [name, caption] : captions)
        d += "<o><p n=\"Name\">" + name + "</p><p n=\"Caption\">" + caption + "</p></o>\n";
    return d + "</NyxInterface>\n";
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class Menus : public ::testing::Test {
protected:
    void Start() {
        test::AppDataOptions data;
        data.Interface = MenusDescription();
        test::MakeAppData(dir.Path(), data);
        TFolders folders{dir.Path(), dir.Path(), true};
        form = std::make_unique<TForm1>(folders, TFormServices{clock, audio, box, &display, nullptr,
                                                               &clipboard, &settings, &launcher});
        form->FormCreate();
        form->FormActivate();
    }
    void Call(const std::string& handler) {
        auto* ui = dynamic_cast<TNyxGameInterface*>(form->Interface.get());
        ASSERT_NE(ui, nullptr);
        EXPECT_TRUE(ui->Engine().CallHandler(handler)) << handler;
    }
    std::string Get(const std::string& object, const std::string& property) {
        return form->Interface->GetProperty(object, property).value_or("<none>");
    }
    void Set(const std::string& object, const std::string& property, const std::string& value) {
        form->Interface->SetProperty(object, property, value);
    }
    std::optional<std::string> StoredLanguage() const {
        return settings.ReadString("Software\\Tindrel\\Quarzel", "LangStr");
    }

    test::TempDir dir;
    TManualClock clock{0};
    TNullAudioDevice audio;
    test::TRecordingBox box;
    THeadlessDisplay display;
    TMemoryClipboard clipboard;
    TMemorySettingsStore settings;
    TRecordingLauncher launcher;
    std::unique_ptr<TForm1> form;
};

TEST(LanguageFiles, ListedByPlaceThenNameAndButtonsInTwoColumns) {
    test::TempDir dir;
    for (const char* name : {"RUS_3.lng", "ENU_1.lng", "DEU_3.lng", "FRA_x.lng", "ITA_12.lng",
                             "notes.LNG", "ESP_2.txt", "xx"})
        WriteText(dir.Path() / name, "");
    std::filesystem::create_directories(dir.Path() / "POR_4.lng");
    std::vector<std::string> order;
    for (const TLanguageFile& file : ListLanguageFiles(dir.Path()))
        order.push_back(file.Code + ":" + std::to_string(file.Place));
    EXPECT_EQ(order, (std::vector<std::string>{"ENU:1", "DEU:3", "RUS:3", "ITA:12",
                                               "FRA:" + std::to_string(INT32_MAX)}));
    EXPECT_TRUE(ListLanguageFiles(dir.Path() / "missing").empty());

    EXPECT_EQ(LanguageButtonOffset(1).Top, 24);
    EXPECT_EQ(LanguageButtonOffset(5).Top, 120);
    EXPECT_EQ(LanguageButtonOffset(5).Left, 0);
    EXPECT_EQ(LanguageButtonOffset(6).Top, 0); // the second column starts beside English
    EXPECT_EQ(LanguageButtonOffset(6).Left, 200);
    EXPECT_EQ(LanguageButtonOffset(7).Top, 24);
    EXPECT_EQ(PersistedLanguageCode("DEUTSCH"), "deu");
}

TEST_F(Menus, LanguagesBuildTheirButtonsApplyAndRestoreTexts) {
    WriteText(dir.Path() / "lng/ENU_1.lng", LanguageFile({{"WLanguage_LTitle", "Language"},
                                                          {"WTitle_BQuit", "Quit"},
                                                          {"WGame_LShiftCount", "shift text"}}));
    WriteText(dir.Path() / "lng/DEU_2.lng", LanguageFile({{"WLanguage_LTitle", "Sprache"},
                                                          {"WTitle_BQuit", "Beenden"},
                                                          {"WLanguage_RBDEU", "Deutsch"},
                                                          {"WLanguage_RBRUS", "Russisch"}}));
    WriteText(dir.Path() / "lng/RUS_3.lng",
              LanguageFile({{"WLanguage_LTitle", "\xD0\xAF\xD0\xB7\xD1\x8B\xD0\xBA"},
                            {"WLanguage_RBRUS", "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81"}}));
    for (int i = 4; i <= 9; ++i)
        WriteText(dir.Path() / ("lng/L" + std::to_string(i) + "X_" + std::to_string(i) + ".lng"),
                  LanguageFile({}));
    settings.WriteString("Software\\Tindrel\\Quarzel", "LangStr", "deu");
    Start();
    EXPECT_TRUE(box.Messages.empty()) << box.Messages.front();

    // Eight languages besides English: five below the English button, three beside them.
    const std::vector<std::pair<std::string, TPoint>> expected = {{"WLanguage_RBDEU", {120, 154}},
                                                                  {"WLanguage_RBRUS", {120, 178}},
                                                                  {"WLanguage_RBL4X", {120, 202}},
                                                                  {"WLanguage_RBL7X", {320, 130}},
                                                                  {"WLanguage_RBL9X", {320, 178}}};
    for (const auto& [name, at] : expected) {
        const std::optional<TRect> bounds = form->Interface->ControlBounds(name);
        ASSERT_TRUE(bounds) << name;
        EXPECT_EQ((TPoint{bounds->Left, bounds->Top}), at) << name;
        EXPECT_EQ(Get(name, "RadioGroup"), "1") << name;
    }
    EXPECT_EQ(form->Interface->WindowControls("WLanguage").size(), 10u);

    // The stored language applies, and its button is the checked one.
    EXPECT_EQ(form->LanguageCode, "deu");
    EXPECT_EQ(Get("WTitle_BQuit", "Caption"), "Beenden");
    EXPECT_EQ(Get("WLanguage_RBDEU", "Caption"), "Deutsch");
    EXPECT_EQ(Get("WLanguage_RBDEU", "Checked"), "True");
    EXPECT_EQ(Get("WLanguage_RBENU", "Checked"), "False");
    EXPECT_EQ(Get("WGame_LShiftCount", "Caption"), "3");

    // Choosing Russian restores what German replaced that Russian leaves alone.
    Set("WLanguage_RBRUS", "Checked", "true");
    Call("WLanguage_BOk_MouseUp");
    EXPECT_EQ(form->LanguageCode, "RUS");
    EXPECT_EQ(StoredLanguage(), "RUS");
    EXPECT_EQ(Get("WTitle_BQuit", "Caption"), "Quit");
    EXPECT_EQ(Get("WLanguage_LTitle", "Caption"), "\xD0\xAF\xD0\xB7\xD1\x8B\xD0\xBA");
    EXPECT_EQ(Get("WLanguage_RBDEU", "Caption"), "Deutsch"); // its own file's name for it
    EXPECT_EQ(Get("WLanguage_RBL4X", "Caption"), "L4X");     // a file that names none

    // English again: its file's counter text is written over by the counter.
    Set("WLanguage_RBENU", "Checked", "true");
    Call("WLanguage_BOk_MouseUp");
    EXPECT_EQ(Get("WLanguage_LTitle", "Caption"), "Language");
    EXPECT_EQ(Get("WGame_LShiftCount", "Caption"), "3");
    EXPECT_EQ(StoredLanguage(), "ENU");
}

TEST_F(Menus, AnUnknownLanguageFallsBackToEnglishAndNoFolderChangesNothing) {
    WriteText(dir.Path() / "lng/ENU_1.lng", LanguageFile({{"WTitle_BQuit", "Leave"}}));
    settings.WriteString("Software\\Tindrel\\Quarzel", "LangStr", "xyz");
    Start();
    EXPECT_EQ(form->LanguageCode, "ENU");
    EXPECT_EQ(StoredLanguage(), "ENU");
    EXPECT_EQ(Get("WTitle_BQuit", "Caption"), "Leave");
    EXPECT_EQ(Get("WLanguage_RBENU", "Checked"), "True");

    std::filesystem::remove_all(dir.Path() / "lng");
    form.reset();
    settings.WriteString("Software\\Tindrel\\Quarzel", "LangStr", "deu");
    Start();
    EXPECT_EQ(Get("WTitle_BQuit", "Caption"), "Quit");
    EXPECT_EQ(StoredLanguage(), "deu");
    EXPECT_TRUE(box.Messages.empty());
}

TEST_F(Menus, OptionsSlidersCancelOkAndTheWindowModeSwitch) {
    WriteText(dir.Path() / "options.cfg",
              "[Options]\nMusicVolume=50\nSoundVolume=100\nScreenWidth=1024\n");
    Start();
    // The sliders run from 0 to 90.
    EXPECT_EQ(Get("WOptions_SMusicVolume", "Position"), "45");
    EXPECT_EQ(Get("WOptions_SSoundVolume", "Position"), "90");
    EXPECT_EQ(Get("WOptions_CB32bitColor", "Visible"), "False");

    Set("WOptions_SMusicVolume", "Position", "90");
    Call("WOptions_SMusicVolume_Change");
    EXPECT_EQ(form->Options.MusicVolume, 100);
    Set("WOptions_SSoundVolume", "Position", "45");
    Call("WOptions_SSoundVolume_Change");
    EXPECT_EQ(form->Options.SoundVolume, 50);
    Call("WOptions_BCancel_MouseUp");
    EXPECT_EQ(form->Options.MusicVolume, 50);
    EXPECT_EQ(form->Options.SoundVolume, 100);
    EXPECT_EQ(Get("WOptions_SSoundVolume", "Position"), "90");

    Set("WOptions_CBTurnOffHints", "Checked", "true");
    Set("WOptions_CBFullScreen", "Checked", "true");
    Call("WOptions_BOk_MouseUp");
    EXPECT_TRUE(display.FullScreen());
    EXPECT_EQ(form->Options.FullScreenMode, 1);
    EXPECT_EQ(Get("WOptions_CB32bitColor", "Visible"), "True");
    EXPECT_EQ(Get("WOptions_CB32bitColor", "Checked"), "True");
    const std::string saved = ReadText(dir.Path() / "options.cfg");
    EXPECT_NE(saved.find("TurnOffHint=1"), std::string::npos) << saved;
    EXPECT_NE(saved.find("FullScreenMode=1"), std::string::npos) << saved;
    EXPECT_NE(saved.find("ScreenWidth=1024"), std::string::npos) << saved;

    // In full screen the depth box switches the pictures to 16 bits; they still draw.
    Set("WOptions_CB32bitColor", "Checked", "false");
    Call("WOptions_BOk_MouseUp");
    EXPECT_EQ(form->Options.BitsPerPixel, 16);
    EXPECT_EQ(form->SurfEngine->PixelFormat.BitCount, 16);
    EXPECT_NE(form->SurfEngine->FindSurface("cursor_line.png")->Surface, nullptr);
    EXPECT_TRUE(box.Messages.empty()) << box.Messages.front();
}

TEST_F(Menus, HighScoresFillClearAndTakeTheFinishedGame) {
    WriteText(dir.Path() / "HighScoresRTP.dat",
              EncodeText("<High name=\"Ann\" score=\"500\" />") + "\r\n" +
                  EncodeText("<High name=\"Bob\" score=\"lots\" />") + "\r\n" +
                  EncodeText("<High name=\"Cy\" score=\"300\" />") + "\r\n");
    WriteText(dir.Path() / "HighScoresTBP.dat",
              EncodeText("<High name=\"Dee\" score=\"70\" />") + "\r\n");
    Start();
    ASSERT_EQ(form->RealTimeScores.size(), 2u);
    EXPECT_EQ(Get("WHighScores_RBRealTimePuzzle", "Checked"), "True");
    Call("WTitle_BHighScores_MouseUp");
    const auto cells = [&] {
        auto* ui = dynamic_cast<TNyxGameInterface*>(form->Interface.get());
        const auto* grid =
            dynamic_cast<const TNyxGrid*>(ui->Engine().FindObject("WHighScores_GHighScores"));
        std::string texts;
        for (const auto& cell : grid->Cells)
            texts += Utf16ToUtf8(cell.Text) + "|";
        return texts;
    };
    EXPECT_EQ(cells(), "1|Ann|500|2|Cy|300|");

    // A finished puzzle game with an equal score goes below the earlier one.
    form->Game.Mode = gmPuzzle;
    form->Game.Score = 300;
    Set("WGameFinished_EYourName", "Caption", "Eve");
    Call("WGameFinished_BOk_MouseUp");
    EXPECT_EQ(form->Interface->TopWindow(), "WHighScores");
    EXPECT_EQ(Get("WHighScores_GHighScores", "Position"), "2");
    const THighScores reread = ParseHighScores(ReadText(dir.Path() / "HighScoresRTP.dat"));
    ASSERT_EQ(reread.size(), 3u);
    EXPECT_EQ(reread[2].Name, "Eve");

    // Clearing the real-time table leaves the turn-based one and its file.
    Call("WHighScores_BClear_MouseUp");
    EXPECT_EQ(form->Interface->TopWindow(), "WClearHighScores");
    Call("WClearHighScores_BOk_MouseUp");
    EXPECT_EQ(cells(), "");
    EXPECT_TRUE(form->RealTimeScores.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "HighScoresRTP.dat"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "HighScoresTBP.dat"));
    form->Interface->CloseAllWindows();
    Call("WHighScores_BClear_MouseUp"); // an empty table asks nothing
    EXPECT_EQ(form->Interface->TopWindow(), "");

    // No-lose games enter no score.
    form->Game.Mode = gmNoLose;
    Call("WGameFinished_BOk_MouseUp");
    EXPECT_EQ(form->Interface->TopWindow(), "WTitle");
    EXPECT_EQ(form->TurnBasedScores.size(), 1u);
}

TEST_F(Menus, NewGameModesAndThePointingEffect) {
    Start();
    Call("WTitle_BNewGame_MouseUp");
    EXPECT_EQ(form->Game.Mode, gmPuzzle);
    EXPECT_EQ(Get("WStartGame_RBPuzzle", "Checked"), "True");
    const auto pointing = [&] {
        return std::count_if(form->PartEffects.begin(), form->PartEffects.end(),
                             [](const TPartEffect& e) { return e.Name == "ClickHereEffect"; });
    };
    ASSERT_EQ(pointing(), 1);
    EXPECT_EQ(form->PartEffects.back().Image, "particle1.png");
    EXPECT_EQ(form->PartEffects.back().Position, (TPoint{300, 405})); // the play button's centre
    Call("WStartGame_RBStrategy_MouseUp");
    EXPECT_EQ(form->Game.Mode, gmStrategy);
    Call("WStartGame_RBNoLose_MouseUp");
    EXPECT_EQ(form->Game.Mode, gmNoLose);
    Call("WTitle_BNewGame_MouseUp");
    Call("WStartGame_BBack_MouseUp"); // removes every pointing effect
    EXPECT_EQ(pointing(), 0);
}

TEST_F(Menus, LoadListShowsSaveFilesAndDeleteAsksFirst) {
    for (const char* file : {"b.sav", "a.sav", "notes.SAV", "x.txt", ".sav"})
        WriteText(dir.Path() / "saves" / file, "");
    Start();
    form->Interface->ShowWindow("WLoadGame");
    Call("WTitle_BLoadGame_MouseUp");
    EXPECT_EQ(Get("WLoadGame_ELoadFile", "Caption"), "a");
    Set("WLoadGame_GFiles", "Position", "1");
    Call("WLoadGame_GFiles_MouseDown");
    EXPECT_EQ(Get("WLoadGame_ELoadFile", "Caption"), "b");

    Call("WLoadGame_BDelete_MouseUp");
    EXPECT_EQ(form->Interface->TopWindow(), "WDelete");
    Call("WDelete_BOk_MouseUp");
    EXPECT_EQ(form->Interface->TopWindow(), "WLoadGame");
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "saves" / "b.sav"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "saves" / "notes.SAV"));
    EXPECT_EQ(Get("WLoadGame_ELoadFile", "Caption"), "a"); // the list was filled again

    // A name without a file asks nothing.
    Set("WLoadGame_ELoadFile", "Caption", "missing");
    Call("WLoadGame_BDelete_MouseUp");
    EXPECT_EQ(form->Interface->TopWindow(), "WLoadGame");
}

TEST_F(Menus, QuitLinkAndLogos) {
    WriteText(dir.Path() / "Tindrel.url", "[InternetShortcut]\r\nURL=https://example.org/q\r\n");
    WriteText(dir.Path() / "AddLogo.xml",
              "<Logos><Logo><Position x=\"5\" y=\"6\"/><Parent>WTitle</Parent>"
              "<Caption>Visit</Caption><URL>site.html</URL></Logo>"
              "<Logo><Position x=\"1\" y=\"1\"/><Parent>WNowhere</Parent></Logo>"
              "<Logo><Position x=\"20\" y=\"30\"/><Parent>WTitle</Parent>"
              "<URL Source=\"registry\">HKEY_CURRENT_USER\\Software\\Maker\\Links.Home</URL></Logo>"
              "</Logos>");
    settings.WriteString("Software\\Maker\\Links", "Home", "https://example.org/home");
    Start();
    EXPECT_TRUE(box.Messages.empty()) << box.Messages.front();
    EXPECT_EQ(Get("AddLogo0", "Left"), "5");
    EXPECT_EQ(Get("AddLogo0", "Caption"), "Visit");
    EXPECT_EQ(Get("AddLogo1", "Left"), "<none>");
    EXPECT_EQ(Get("AddLogo2", "OnMouseUp"), "ExecMethod Method=\"AddLogoMouseUp\";");
    ASSERT_EQ(form->LogoLinks.size(), 3u);
    EXPECT_EQ(form->LogoLinks[0], (dir.Path() / "site.html").string());
    EXPECT_EQ(form->LogoLinks[2], "https://example.org/home");

    form->Interface->ShowWindow("WTitle");
    auto* ui = dynamic_cast<TNyxGameInterface*>(form->Interface.get());
    ui->Engine().AddScript("AddLogo2", "ExecMethod Method=\"AddLogoMouseUp\";");
    ui->Engine().RunScripts();
    Call("WTitle_LTindrelLink_MouseUp");
    EXPECT_EQ(launcher.Opened(),
              (std::vector<std::string>{"https://example.org/home", "https://example.org/q"}));

    EXPECT_FALSE(form->CloseRequested);
    Call("WTitle_BQuit_MouseUp");
    EXPECT_TRUE(form->CloseRequested);
}

TEST_F(Menus, ALogoFileWithoutElementsIsReported) {
    WriteText(dir.Path() / "AddLogo.xml", "<?xml version=\"1.0\"?>");
    Start();
    ASSERT_EQ(box.Messages.size(), 1u);
    EXPECT_EQ(box.Messages[0],
              (dir.Path() / "AddLogo.xml").string() + "XML file does not has tags!");
}

TEST(LoadingWindow, ShowsItsBarAndStepInTheTitle) {
    THeadlessDisplay display;
    TForm3 loading(&display);
    loading.SetProgress("game.zxc", 10); // hidden: nothing shown
    EXPECT_EQ(display.PresentCount(), 0u);
    loading.Show();
    loading.SetProgress("game.zxc", 50);
    EXPECT_EQ(display.Title(), "Quarzel - Preparing game graphics ... game.zxc 50%");
    ASSERT_EQ(display.Frame().size(), 800u * 600u);
    // The bar is filled up to half its length.
    const auto at = [&](int x) { return display.Frame()[300 * 800 + x]; };
    EXPECT_EQ(at(260), 0x0050C8F0u);
    EXPECT_EQ(at(395), 0x0050C8F0u);
    EXPECT_NE(at(420), 0x0050C8F0u);
    loading.SetProgress("levels.zxc", 250);
    EXPECT_EQ(loading.Position(), 100);
    loading.Hide();
    EXPECT_EQ(display.Title(), "Quarzel");
}

} // namespace
} // namespace qz
