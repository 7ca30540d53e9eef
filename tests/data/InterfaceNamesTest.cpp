// The shipped interface description "Slider.li" as the game loads it from the built game
// archive with the real font: every window and control the game addresses exists with the
// right class, every name the game's sources spell exists, every script calls a real handler,
// every picture and sound it names is shipped, the texts (English, every language file and
// 40 % longer ones) fit their controls in a font that has every character of them, windows
// fit the screen and the play screen's panel leaves the board free.

#include "archive/FileFolder.h"
#include "archive/MemoryStream.h"
#include "fonts/NyxFontEngine.h"
#include "gfx/JpegPNG.h"
#include "ui/NyxForm.h"
#include "ui/NyxGrid.h"
#include "ui/NyxInterfaceEngine.h"
#include "ui/NyxLabel.h"
#include "ui/RecordingHost.h"
#include "xml/NyxParser.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>
#include <sstream>

namespace qz {
namespace {

// The main window's handlers that scripts may call by name.
const std::set<std::string> Handlers = {
    "WTitle_BNewGame_MouseUp",
    "WStartGame_RBPuzzle_MouseUp",
    "WStartGame_RBStrategy_MouseUp",
    "WStartGame_RBNoLose_MouseUp",
    "WStartGame_BPlay_MouseUp",
    "WStartGame_BLevelMap_MouseUp",
    "WStartGame_BBack_MouseUp",
    "WTitle_BLoadGame_MouseUp",
    "WLoadGame_GFiles_MouseDown",
    "WLoadGame_BLoad_MouseUp",
    "WLoadGame_BDelete_MouseUp",
    "WSaveGame_BDelete_MouseUp",
    "WDelete_BOk_MouseUp",
    "WBetweenLevel_BSaveGame_MouseUp",
    "WGameMenu_BSaveGame_MouseUp",
    "WSaveGame_GFiles_MouseDown",
    "WSaveGame_BSave_MouseUp",
    "WReplace_BOk_MouseUp",
    "WTitle_BHighScores_MouseUp",
    "WTitle_BHowToPlay_MouseUp",
    "WTitle_BContinue_MouseUp",
    "WHowToPlay_BPrevious_MouseUp",
    "WHowToPlay_BNext_MouseUp",
    "WHighScores_BClear_MouseUp",
    "WClearHighScores_BOk_MouseUp",
    "WGameFinished_BOk_MouseUp",
    "WTitle_BQuit_MouseUp",
    "WGameMenu_BQuit_MouseUp",
    "WTitle_LTindrelLink_MouseUp",
    "WGame_BMenu_MouseUp",
    "WGameMenu_BResume_MouseUp",
    "WGame_BSwap_MouseUp",
    "WGame_BUndo_MouseUp",
    "WGame_BShift_MouseUp",
    "WGame_BShuffle_MouseUp",
    "WGame_BQuickSave_MouseUp",
    "WExitToMainMenu_BOk_MouseUp",
    "WAbortLevel_BOk_MouseUp",
    "WGameOver_BOk_MouseUp",
    "WGameOver_BEndGame_MouseUp",
    "WLevelComplete_BOk_MouseUp",
    "WBetweenLevel_BNextLevel_MouseUp",
    "WBetweenLevel_TLevel_MouseUp",
    "WLanguage_BOk_MouseUp",
    "WOptions_BOk_MouseUp",
    "WOptions_BCancel_MouseUp",
    "WOptions_SMusicVolume_Change",
    "WOptions_SSoundVolume_Change",
    "AddLogoMouseUp",
    "YesMouseUp",
    "SaveLanguageToReg",
};

// Every window and control the game addresses, with the class its use needs.
const std::map<std::string, std::string> Expected = {
    {"WTitle", "TNyxForm"},
    {"WTitle_BNewGame", "TNyxLabel"},
    {"WTitle_BLoadGame", "TNyxLabel"},
    {"WTitle_BHighScores", "TNyxLabel"},
    {"WTitle_BOptions", "TNyxLabel"},
    {"WTitle_BLanguage", "TNyxLabel"},
    {"WTitle_BQuit", "TNyxLabel"},
    {"WTitle_LTindrelLink", "TNyxLabel"},
    {"WStartGame", "TNyxForm"},
    {"WStartGame_RBPuzzle", "TNyxRadioButton"},
    {"WStartGame_RBStrategy", "TNyxRadioButton"},
    {"WStartGame_RBNoLose", "TNyxRadioButton"},
    {"WStartGame_BPlay", "TNyxLabel"},
    {"WStartGame_BBack", "TNyxLabel"},
    {"WGame", "TNyxForm"},
    {"WGame_LScoreCount", "TNyxLabel"},
    {"WGame_LLevelCount", "TNyxLabel"},
    {"WGame_LShiftCount", "TNyxLabel"},
    {"WGame_LShuffleCount", "TNyxLabel"},
    {"WGame_LPutsLeftCount", "TNyxLabel"},
    {"WGame_BSwap", "TNyxLabel"},
    {"WGame_BUndo", "TNyxLabel"},
    {"WGame_BShift", "TNyxLabel"},
    {"WGame_BShuffle", "TNyxLabel"},
    {"WGame_BMenu", "TNyxLabel"},
    {"WGame_BQuickSave", "TNyxLabel"},
    {"WGame_PBDead", "TNyxProgressBar"},
    {"WGame_HBoss", "TNyxHint"},
    {"WGame_HLose", "TNyxHint"},
    {"WGame_HDisappear", "TNyxHint"},
    {"WGame_HPutFishka", "TNyxHint"},
    {"WGameMenu", "TNyxForm"},
    {"WGameMenu_BResume", "TNyxLabel"},
    {"WGameMenu_BSaveGame", "TNyxLabel"},
    {"WGameMenu_BQuit", "TNyxLabel"},
    {"WExitToMainMenu", "TNyxForm"},
    {"WExitToMainMenu_BOk", "TNyxLabel"},
    {"WAbortLevel", "TNyxForm"},
    {"WAbortLevel_BOk", "TNyxLabel"},
    {"WGameOver", "TNyxForm"},
    {"WGameOver_BOk", "TNyxLabel"},
    {"WLevelComplete", "TNyxForm"},
    {"WLevelComplete_BOk", "TNyxLabel"},
    {"WBetweenLevel", "TNyxForm"},
    {"WBetweenLevel_BNextLevel", "TNyxLabel"},
    {"WBetweenLevel_BSaveGame", "TNyxLabel"},
    {"WGameFinished", "TNyxForm"},
    {"WGameFinished_LYourScore", "TNyxLabel"},
    {"WGameFinished_LYourScoreCount", "TNyxLabel"},
    {"WGameFinished_LYourName", "TNyxLabel"},
    {"WGameFinished_EYourName", "TNyxEdit"},
    {"WGameFinished_BOk", "TNyxLabel"},
    {"WLoadGame", "TNyxForm"},
    {"WLoadGame_GFiles", "TNyxGrid"},
    {"WLoadGame_SFiles", "TNyxSlider"},
    {"WLoadGame_ELoadFile", "TNyxEdit"},
    {"WLoadGame_BLoad", "TNyxLabel"},
    {"WLoadGame_BDelete", "TNyxLabel"},
    {"WLoadGame_BBack", "TNyxLabel"},
    {"WSaveGame", "TNyxForm"},
    {"WSaveGame_GFiles", "TNyxGrid"},
    {"WSaveGame_SFiles", "TNyxSlider"},
    {"WSaveGame_ESaveFile", "TNyxEdit"},
    {"WSaveGame_BSave", "TNyxLabel"},
    {"WSaveGame_BDelete", "TNyxLabel"},
    {"WSaveGame_BBack", "TNyxLabel"},
    {"WDelete", "TNyxForm"},
    {"WDelete_BOk", "TNyxLabel"},
    {"WReplace", "TNyxForm"},
    {"WReplace_BOk", "TNyxLabel"},
    {"WHighScores", "TNyxForm"},
    {"WHighScores_RBRealTimePuzzle", "TNyxRadioButton"},
    {"WHighScores_RBTurnBasedPuzzle", "TNyxRadioButton"},
    {"WHighScores_LBRealTimePuzzle", "TNyxRadioButton"},
    {"WHighScores_LBTurnBasedPuzzle", "TNyxRadioButton"},
    {"WHighScores_GHighScores", "TNyxGrid"},
    {"WHighScores_BClear", "TNyxLabel"},
    {"WHighScores_BBack", "TNyxLabel"},
    {"WClearHighScores", "TNyxForm"},
    {"WClearHighScores_BOk", "TNyxLabel"},
    {"WOptions", "TNyxForm"},
    {"WOptions_CBFullScreen", "TNyxCheckBox"},
    {"WOptions_CB32bitColor", "TNyxCheckBox"},
    {"WOptions_CBTurnOffHints", "TNyxCheckBox"},
    {"WOptions_CBShowPutOutcome", "TNyxCheckBox"},
    {"WOptions_SMusicVolume", "TNyxSlider"},
    {"WOptions_SSoundVolume", "TNyxSlider"},
    {"WOptions_BOk", "TNyxLabel"},
    {"WOptions_BCancel", "TNyxLabel"},
    {"WLanguage", "TNyxForm"},
    {"WLanguage_RBENU", "TNyxRadioButton"},
    {"WLanguage_BOk", "TNyxLabel"},
    {"WGameLoading", "TNyxForm"},
    {"WGameLoading_PBGameLoading", "TNyxProgressBar"},
};

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The built archive, its font and the description, loaded as the game does, with picture
// sizes taken from the archive's pictures.
class ShippedInterface : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        archive_ = TFileFolder::Open(QUARZEL_GAME_ARCHIVE).release();
        for (const TDirEntry& entry : archive_->Dir) {
            entries_.insert(Lower(entry.Name()));
        }
    }
    static void TearDownTestSuite() {
        delete archive_;
        archive_ = nullptr;
    }

    void SetUp() override {
        ASSERT_GE(archive_->IndexOf("Slider.li"), 0);
        ASSERT_GE(archive_->IndexOf("NyxUnicode.xml"), 0);
        host_ = std::make_shared<test::RecordingHost>();
        host_->ScreenWidth = 800;
        host_->ScreenHeight = 600;
        for (size_t i = 0; i < archive_->Dir.size(); ++i) {
            const std::string name = archive_->Dir[i].Name();
            const std::string lower = Lower(name);
            if (EndsWith(lower, ".png") || EndsWith(lower, ".jpg")) {
                const std::string_view bytes = archive_->Entry(static_cast<int>(i)).View();
                const TRGBImage image =
                    EndsWith(lower, ".png") ? DecodePNG(bytes) : DecodeJPEG(bytes);
                host_->PictureSizes[name] = {image.Width, image.Height};
            }
        }
        fonts_.SetHost(host_);
        for (const char* font : {"NyxUnicode.xml", "NyxUnicodeBold.xml"}) {
            ASSERT_GE(archive_->IndexOf(font), 0) << font;
            fonts_.LoadFromStream(archive_->Entry(archive_->IndexOf(font)));
        }
        engine_.SetHost(host_);
        engine_.SetFontEngine(&fonts_);
        const TMemoryStream& description = archive_->Entry(archive_->IndexOf("Slider.li"));
        engine_.LoadFromStream(description);
        document_.LoadFromStream(description);
    }

    // The "o" elements of the description after the defaults element.
    std::vector<const TNyxXMLTag*> Elements() const {
        std::vector<const TNyxXMLTag*> result;
        const TNyxXMLTag* root = document_.GetTag(0);
        for (size_t i = 1; root && i < root->Tags.size(); ++i) {
            result.push_back(root->Tags[i].get());
        }
        return result;
    }

    static std::string Property(const TNyxXMLTag& element, const std::string& name) {
        std::string value;
        for (const auto& p : element.Tags) {
            if (p->AttributeCount() == 1 && p->GetAttribute(0)->Value == name) {
                value = p->Value;
            }
        }
        return value;
    }

    TNyxInterfaceObject* Control(std::string_view name) const {
        return dynamic_cast<TNyxInterfaceObject*>(engine_.FindObject(name));
    }

    static TFileFolder* archive_;
    static std::set<std::string> entries_;
    std::shared_ptr<test::RecordingHost> host_;
    TNyxFontEngine fonts_;
    TNyxInterfaceEngine engine_;
    TNyxParser document_;
};

TFileFolder* ShippedInterface::archive_ = nullptr;
std::set<std::string> ShippedInterface::entries_;

TEST_F(ShippedInterface, EveryElementBecomesAnObjectOfItsClass) {
    const TNyxXMLTag* root = document_.GetTag(0);
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->Name, "NyxInterface");
    ASSERT_FALSE(root->Tags.empty());
    ASSERT_EQ(root->Tags[0]->FindAttribute("c")->Value, "TNyxDefaults");
    const auto elements = Elements();
    // A structural error would end the creation early; a repeated name would leave an
    // object without a name.
    EXPECT_EQ(engine_.Count(), static_cast<int32_t>(elements.size()));
    std::set<std::string> names;
    for (const TNyxXMLTag* element : elements) {
        const std::string name = Property(*element, "Name");
        EXPECT_TRUE(names.insert(name).second) << name << " twice";
        const TNyxObject* object = engine_.FindObject(name);
        ASSERT_NE(object, nullptr) << name;
        EXPECT_EQ(object->ClassName(), element->FindAttribute("c")->Value) << name;
    }
}

TEST_F(ShippedInterface, NamesTheGameUsesHaveTheirClasses) {
    for (const auto& [name, cls] : Expected) {
        const TNyxObject* object = engine_.FindObject(name);
        ASSERT_NE(object, nullptr) << name;
        EXPECT_EQ(object->ClassName(), cls) << name;
        if (cls != "TNyxForm") {
            const auto* control = dynamic_cast<const TNyxInterfaceObject*>(object);
            ASSERT_NE(control->ParentObject, nullptr) << name;
            EXPECT_EQ(name.rfind(control->ParentObject->GetName() + "_", 0), 0u) << name;
        }
    }
    for (int n = 1; n <= 20; ++n) {
        const std::string name = "WBetweenLevel_TLevel" + std::to_string(n);
        const TNyxObject* object = engine_.FindObject(name);
        ASSERT_NE(object, nullptr) << name;
        EXPECT_EQ(object->ClassName(), "TNyxLabel");
        EXPECT_FALSE(dynamic_cast<const TNyxInterfaceObject*>(object)->Visible) << name;
    }
    for (const char* name :
         {"WGame_HBoss", "WGame_HLose", "WGame_HDisappear", "WGame_HPutFishka"}) {
        EXPECT_FALSE(Control(name)->Visible) << "a hint shows only when the game shows it";
    }
    // The high-score pair is checked together: box and caption must not share a group.
    EXPECT_NE(engine_.GetPropertyText("WHighScores_RBRealTimePuzzle", "RadioGroup"),
              engine_.GetPropertyText("WHighScores_LBRealTimePuzzle", "RadioGroup"));
    EXPECT_EQ(engine_.GetPropertyText("WOptions_SMusicVolume", "Min"), "0");
    EXPECT_EQ(engine_.GetPropertyText("WOptions_SMusicVolume", "Max"), "90");
    EXPECT_EQ(engine_.GetPropertyText("WOptions_SSoundVolume", "Max"), "90");
    EXPECT_EQ(engine_.GetPropertyText("WLoadGame_GFiles", "LinkedObjectName"), "WLoadGame_SFiles");
    EXPECT_EQ(engine_.GetPropertyText("WSaveGame_GFiles", "LinkedObjectName"), "WSaveGame_SFiles");
    for (const char* name :
         {"WGameFinished_EYourName", "WSaveGame_ESaveFile", "WLoadGame_ELoadFile"}) {
        EXPECT_NE(engine_.GetPropertyText(name, "ForbiddenChars").find('"'), std::string::npos)
            << name;
        EXPECT_GT(std::stoi(engine_.GetPropertyText(name, "MaxLength")), 0) << name;
    }
}

TEST_F(ShippedInterface, EveryWindowHasAGaplessTabOrder) {
    for (const auto& object : engine_.Objects()) {
        const auto* form = dynamic_cast<const TNyxForm*>(object.get());
        if (!form) {
            continue;
        }
        int focused = 0;
        for (size_t i = 0; i < form->TabList.size(); ++i) {
            ASSERT_NE(form->TabList[i], nullptr) << form->GetName() << " position " << i;
            focused += form->TabList[i]->Focused ? 1 : 0;
        }
        EXPECT_LE(focused, 1) << form->GetName();
    }
}

// Every text between `opening` and the next double quote, in order.
std::vector<std::string> QuotedAfter(const std::string& text, const std::string& opening) {
    std::vector<std::string> values;
    for (size_t at = text.find(opening); at != std::string::npos; at = text.find(opening, at)) {
        at += opening.size();
        const size_t end = text.find('"', at);
        if (end == std::string::npos) {
            break;
        }
        values.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return values;
}

// String literals of the form "W" + capital + letters, digits and underscores.
std::vector<std::string> ControlNameLiterals(const std::string& source) {
    std::vector<std::string> names;
    const auto word = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    };
    for (size_t at = source.find("\"W"); at != std::string::npos; at = source.find("\"W", at + 1)) {
        size_t end = at + 2;
        if (end >= source.size() || !std::isupper(static_cast<unsigned char>(source[end]))) {
            continue;
        }
        while (end < source.size() && word(source[end])) {
            ++end;
        }
        if (end < source.size() && source[end] == '"') {
            names.push_back(source.substr(at + 1, end - at - 1));
        }
    }
    return names;
}

// Every string literal of the game's sources that looks like a control name exists; a
// literal that the game completes with a number or a code must begin some name.
TEST_F(ShippedInterface, ControlNamesInTheSourcesExist) {
    size_t found = 0;
    for (const char* folder : {"app", "game"}) {
        for (const auto& file : std::filesystem::recursive_directory_iterator(
                 std::filesystem::path(QUARZEL_SOURCE_DIR) / folder)) {
            const std::string ext = file.path().extension().string();
            if (ext != ".cpp" && ext != ".h") {
                continue;
            }
            std::ifstream in(file.path());
            std::stringstream text;
            text << in.rdbuf();
            const std::string source = text.str();
            for (const std::string& name : ControlNameLiterals(source)) {
                if (EndsWith(name, "_MouseUp") || EndsWith(name, "_MouseDown") ||
                    EndsWith(name, "_Change")) {
                    continue;
                }
                ++found;
                if (engine_.FindObject(name)) {
                    continue;
                }
                const bool prefix =
                    std::any_of(engine_.Objects().begin(), engine_.Objects().end(),
                                [&](const auto& o) { return o->GetName().rfind(name, 0) == 0; });
                EXPECT_TRUE(prefix) << name << " in " << file.path();
            }
        }
    }
    EXPECT_GT(found, 10u) << "the sources were not found";
}

// The script, sound and picture texts of every element, from the file itself.
TEST_F(ShippedInterface, ScriptsPicturesAndSoundsAreShipped) {
    std::set<std::string> sounds;
    {
        ASSERT_GE(archive_->IndexOf("sounds.dat"), 0);
        std::istringstream list(archive_->Entry(archive_->IndexOf("sounds.dat")).ToString());
        for (std::string line; std::getline(list, line);) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            sounds.insert(Lower(line));
        }
    }
    size_t methods = 0;
    const TNyxXMLTag* root = document_.GetTag(0);
    for (const auto& element : root->Tags) {
        for (const auto& p : element->Tags) {
            const std::string name = p->GetAttribute(0)->Value;
            std::string value = p->Value;
            if (name == "DefLine") {
                // Default lines: class;property;value.
                const size_t a = value.find(';');
                const size_t b = value.find(';', a + 1);
                ASSERT_NE(b, std::string::npos) << value;
                const std::string property = value.substr(a + 1, b - a - 1);
                value = value.substr(b + 1);
                if (EndsWith(property, "Picture")) {
                    EXPECT_TRUE(entries_.count(Lower(value))) << value;
                } else if (property.rfind("Sound", 0) == 0) {
                    EXPECT_TRUE(sounds.count(Lower(value))) << value;
                }
                continue;
            }
            if ((EndsWith(name, "Picture") || name == "Picture") && !value.empty()) {
                EXPECT_TRUE(entries_.count(Lower(value))) << name << " = " << value;
            }
            if (name.rfind("Sound", 0) == 0 && !value.empty()) {
                EXPECT_TRUE(sounds.count(Lower(value))) << name << " = " << value;
            }
            if (name.rfind("On", 0) != 0) {
                continue;
            }
            for (const std::string& method : QuotedAfter(value, "ExecMethod Method=\"")) {
                ++methods;
                EXPECT_TRUE(Handlers.count(method)) << method;
            }
            for (const std::string& sound : QuotedAfter(value, "PlaySound Sound=\"")) {
                EXPECT_TRUE(sounds.count(Lower(sound))) << sound;
            }
            // Form=, ShowForm= and HideForm= name windows, Object= a control.
            for (const char* opening : {"Form=\"", "Object=\""}) {
                for (const std::string& named : QuotedAfter(value, opening)) {
                    EXPECT_NE(engine_.FindObject(named), nullptr) << value;
                }
            }
            EXPECT_EQ(value.find("; "), std::string::npos) << "a command after \"; \" never runs";
        }
    }
    // Every handler that a control of the description can call is called by one.
    EXPECT_GE(methods, 40u);
}

// Every character has a glyph of its own in the font; the others would show the font's
// replacement box.
void ExpectGlyphs(const TNyxFont& font, const std::u16string& text, const std::string& what) {
    for (const char16_t c : text) {
        EXPECT_NE(font.CharIndex(c), 0)
            << what << ": no glyph for U+" << std::hex << std::uppercase << static_cast<int>(c);
    }
}

// Each window lies on the screen, each control inside its window, and each text fits its
// control: its lines within the height, one line in buttons, grid cells within their
// column; and its font draws every character of it.
void ExpectLayoutFits(const TNyxInterfaceEngine& engine, const std::string& what) {
    for (const auto& object : engine.Objects()) {
        const auto* control = dynamic_cast<const TNyxInterfaceObject*>(object.get());
        if (!control) {
            continue;
        }
        const std::string& name = control->GetName();
        if (const auto* grid = dynamic_cast<const TNyxGrid*>(control)) {
            const TNyxFont* font = grid->GridFont();
            ASSERT_NE(font, nullptr) << name;
            for (size_t i = 0; i < grid->Cells.size(); ++i) {
                const std::u16string& text = grid->Cells[i].Text;
                const size_t column = i % static_cast<size_t>(std::max(grid->ColCount, 1));
                ASSERT_LT(column, grid->Columns.size()) << name;
                EXPECT_LE(font->TextWidth(text), grid->Columns[column].Width)
                    << what << ": " << name << " cell " << i;
                ExpectGlyphs(*font, text, what + ": " + name);
            }
        }
        if (control->ClassName() == "TNyxHint") {
            const auto* hint = dynamic_cast<const TNyxLabel*>(control);
            if (hint->Font) {
                ExpectGlyphs(*hint->Font, hint->Caption, what + ": " + name);
            }
            continue;
        }
        const auto* window = dynamic_cast<const TNyxInterfaceObject*>(control->ParentObject);
        if (!window) {
            EXPECT_GE(control->ScreenLeft, 0) << name;
            EXPECT_GE(control->ScreenTop, 0) << name;
            EXPECT_LE(control->ScreenLeft + control->Width, 800) << name;
            EXPECT_LE(control->ScreenTop + control->Height, 600) << name;
            continue;
        }
        EXPECT_GE(control->Left, 0) << name;
        EXPECT_GE(control->Top, 0) << name;
        EXPECT_LE(control->Left + control->Width, window->Width) << name;
        EXPECT_LE(control->Top + control->Height, window->Height) << name;
        const auto* label = dynamic_cast<const TNyxLabel*>(control);
        if (!label || label->Caption.empty()) {
            continue;
        }
        ASSERT_NE(label->Font, nullptr) << name;
        const auto lines = static_cast<int32_t>(label->Lines.size());
        EXPECT_LE(lines * label->Font->Height, control->Height) << what << ": " << name;
        ExpectGlyphs(*label->Font, label->Caption, what + ": " + name);
        if (!label->MouseDownPicture.empty() && control->ClassName() == "TNyxLabel") {
            EXPECT_EQ(lines, 1) << what << ": button " << name;
        }
    }
}

TEST_F(ShippedInterface, TextsFitTheirControlsInEnglishAndLonger) {
    ExpectLayoutFits(engine_, "Slider.li");
    const std::string english = std::string(QUARZEL_SOURCE_DIR) + "/data/lng/ENU_1.lng";
    engine_.LoadPropertiesFile(english);
    ExpectLayoutFits(engine_, "ENU_1.lng");
    // A translation about 40 % longer: every caption of the English file grows by 40 % of
    // its characters, the added part being a copy of its start after a space.
    TNyxParser lng;
    lng.LoadFromFile(english);
    size_t captions = 0;
    for (const auto& element : lng.GetTag(0)->Tags) {
        const std::string name = Property(*element, "Name");
        const std::string caption = Property(*element, "Caption");
        ASSERT_NE(engine_.FindObject(name), nullptr) << name << " of ENU_1.lng";
        if (caption.empty()) {
            continue;
        }
        ++captions;
        const std::string longer = caption + " " + caption.substr(0, caption.size() * 4 / 10);
        engine_.SetProperty(name, "Caption", longer);
    }
    EXPECT_GT(captions, 100u);
    ExpectLayoutFits(engine_, "40 % longer");
}

// The texts of every control that a language file may change, by object and property.
std::map<std::string, std::string> Texts(const TNyxInterfaceEngine& engine) {
    std::map<std::string, std::string> texts;
    for (const auto& object : engine.Objects()) {
        for (const char* property : {"Caption", "Cells"}) {
            if (object->Properties().Find(property)) {
                texts[object->GetName() + "." + property] =
                    engine.GetPropertyText(object->GetName(), property);
            }
        }
    }
    return texts;
}

TEST_F(ShippedInterface, EveryLanguageAppliesFitsAndRestores) {
    const std::filesystem::path folder = std::filesystem::path(QUARZEL_SOURCE_DIR) / "data/lng";
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        files.push_back(entry.path().string());
    }
    // The language window's button of every other language, a copy of the English one as the
    // game makes it, so that each file's own name is measured in the button that shows it.
    auto* window = dynamic_cast<TNyxForm*>(engine_.FindObject("WLanguage"));
    const TNyxObject* english = engine_.FindObject("WLanguage_RBENU");
    ASSERT_TRUE(window && english);
    for (const std::string& file : files) {
        std::string code = std::filesystem::path(file).filename().string().substr(0, 3);
        std::transform(code.begin(), code.end(), code.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (code == "ENU") {
            continue;
        }
        const std::string name = "WLanguage_RB" + code;
        const int32_t index = engine_.CreateObject(name, "WLanguage", english->ClassName());
        ASSERT_GE(index, 0) << name;
        TNyxObject* button = engine_.Object(index);
        button->Assign(*english);
        button->SetName(name);
        button->ParentName = "WLanguage";
    }
    engine_.ResolveParents();
    window->BuildChildren();
    const std::map<std::string, std::string> original = Texts(engine_);
    // English first: the others are measured against it.
    std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
        return std::pair(!a.ends_with("ENU_1.lng"), a) < std::pair(!b.ends_with("ENU_1.lng"), b);
    });
    ASSERT_GE(files.size(), 3u);
    ASSERT_TRUE(files.front().ends_with("ENU_1.lng"));
    size_t englishEntries = 0;
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        TNyxParser lng;
        lng.LoadFromFile(file);
        std::set<std::string> names;
        for (const auto& element : lng.GetTag(0)->Tags) {
            const std::string name = Property(*element, "Name");
            names.insert(name);
            EXPECT_NE(engine_.FindObject(name), nullptr) << name;
        }
        if (file.ends_with("ENU_1.lng")) {
            englishEntries = names.size();
        } else {
            EXPECT_EQ(names.size(), englishEntries) << "a full translation covers every text";
        }
        engine_.RestoreProperties();
        engine_.LoadPropertiesFile(file);
        ExpectLayoutFits(engine_, file);
    }
    engine_.RestoreProperties();
    EXPECT_EQ(Texts(engine_), original);
}

TEST_F(ShippedInterface, LanguageButtonsHaveRoomForSevenMoreLanguages) {
    const TNyxInterfaceObject* english = Control("WLanguage_RBENU");
    const TNyxInterfaceObject* window = Control("WLanguage");
    const TNyxInterfaceObject* ok = Control("WLanguage_BOk");
    // Five more below it, 24 pixels apart, and a second column 200 pixels to its right.
    EXPECT_LE(english->Top + 5 * 24 + english->Height, ok->Top);
    EXPECT_LE(english->Left + 200 + english->Width, window->Width);
    EXPECT_LE(english->Width, 200) << "the columns would overlap";
}

// The play screen's controls lie in the two corners beside the board: the board is where
// 2x - (593 - y) > 0 and x - (790 - y / 2) < 0.
TEST_F(ShippedInterface, PlayScreenControlsLeaveTheBoardFree) {
    const auto* game = dynamic_cast<const TNyxForm*>(engine_.FindObject("WGame"));
    ASSERT_NE(game, nullptr);
    size_t checked = 0;
    for (const TNyxInterfaceObject* control : game->Children) {
        if (control->ClassName() == "TNyxHint") {
            continue;
        }
        const int32_t right = control->ScreenLeft + control->Width - 1;
        const int32_t bottom = control->ScreenTop + control->Height - 1;
        const bool upperLeft = 2 * right - (593 - bottom) <= 0;
        const bool lowerRight = control->ScreenLeft - (790 - control->ScreenTop / 2) >= 0;
        EXPECT_TRUE(upperLeft || lowerRight) << control->GetName();
        ++checked;
    }
    EXPECT_GE(checked, 17u);
    EXPECT_EQ(game->Width, 800);
    EXPECT_EQ(game->Height, 600);
}

} // namespace
} // namespace qz
