#include "TempDir.h"
#include "UiFixture.h"
#include "archive/Error.h"
#include "archive/Random.h"
#include "ui/NyxForm.h"
#include "ui/NyxLabel.h"
#include "ui/NyxProgressBar.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace qz::test {
namespace {

using Engine = UiFixture;

std::string Object(const std::string& className, const std::string& body) {
    return "\t<o c=\"" + className + "\">\r\n" + body + "\t</o>\r\n";
}
std::string P(const std::string& name, const std::string& value) {
    return "\t\t<p n=\"" + name + "\">" + value + "</p>\r\n";
}
std::string Description(const std::string& objects) {
    return "<?xml version=\"1.0\"?>\r\n<NyxInterface>\r\n" + objects + "</NyxInterface>\r\n";
}
std::vector<std::string> Names(const TNyxInterfaceEngine& engine) {
    std::vector<std::string> names;
    for (const auto& object : engine.Objects()) {
        names.push_back(object->GetName());
    }
    return names;
}
std::vector<std::string> Stack(const TNyxInterfaceEngine& engine) {
    std::vector<std::string> names;
    for (const TNyxForm* form : engine.Forms()) {
        names.push_back(form->GetName());
    }
    return names;
}

TEST_F(Engine, LoadsTheTestDescription) {
    LoadTestDescription();
    EXPECT_EQ(Names(engine),
              (std::vector<std::string>{
                  "WMain", "WMain_BPlay", "WMain_BQuit", "WMain_CBSound", "WMain_RBEasy",
                  "WMain_RBHard", "WMain_RBMusic", "WMain_PBLoad", "WMain_HInfo", "WMain_HEmpty",
                  "WDialog", "WDialog_BOk", "WOptions", "WOptions_TPage1", "WOptions_TPage2",
                  "WOptions_TPage3", "WOptions_TPage1_LTitle"}));
    // Auto-sized from its picture and centred on the screen; Left after HAlign is ignored.
    auto& main = Get<TNyxForm>("WMain");
    EXPECT_EQ(main.Width, 400);
    EXPECT_EQ(main.Left, 200);
    EXPECT_EQ(main.Top, 150);
    EXPECT_EQ(main.Children.size(), 9u);
    EXPECT_EQ(Get<TNyxLabel>("WMain_BPlay").ScreenLeft, 210);
    EXPECT_EQ(Get<TNyxLabel>("WMain_BPlay").ScreenTop, 170);
    // Defaults: trimmed class and property, untrimmed value that keeps its ";".
    EXPECT_EQ(Prop("WMain_BQuit", "FontName"), "Test");
    EXPECT_EQ(Prop("WMain_BQuit", "OnMouseMove"), "PlaySound Sound=\"a;b\";");
    EXPECT_EQ(Prop("WMain_CBSound", "Visible"), "True");
    EXPECT_EQ(Prop("WMain_RBEasy", "Checked"), "True");
    EXPECT_EQ(Prop("WMain_RBHard", "Checked"), "False");
    EXPECT_EQ(Prop("WMain_RBMusic", "Checked"), "True") << "another group";
    EXPECT_EQ(Prop("WMain_PBLoad", "Position"), "50");
    // Aligned against its parent window.
    auto& ok = Get<TNyxLabel>("WDialog_BOk");
    EXPECT_EQ(ok.Left, -10 + 300 - 80);
    EXPECT_EQ(ok.Top, -10 + 200 - 20);
    EXPECT_EQ(ok.ScreenLeft, 100 + 210);
    EXPECT_EQ(Get<TNyxForm>("WOptions").Width, 800);
    EXPECT_EQ(engine.State, "");
    // Page 3 is of another group; pages 1 and 3 were made visible in file order.
    EXPECT_TRUE(Get<TNyxTabForm>("WOptions_TPage1").Visible);
    EXPECT_FALSE(Get<TNyxTabForm>("WOptions_TPage2").Visible);
    EXPECT_TRUE(Get<TNyxTabForm>("WOptions_TPage3").Visible);
    EXPECT_EQ(Get<TNyxTabForm>("WOptions_TPage1").Children.size(), 1u);
}

TEST_F(Engine, DefaultsReachObjectsBeforeAndAfterTheDefaultsElement) {
    const std::string label = P("Width", "50") + P("Height", "20");
    LoadText(Description(
        Object("TNyxForm", P("Name", "WFirst") + P("ParentName", "Screen") + P("Width", "7")) +
        Object("TNyxLabel", P("Name", "WFirst_LA") + P("ParentName", "WFirst") + label) +
        Object("TNyxDefaults",
               P("DefLine", "TNyxLabel;FontName;Test") + P("DefLine", "TNyxForm;Height;9")) +
        Object("TNyxLabel",
               P("Name", "WFirst_LB") + P("ParentName", "WFirst") + label + P("FontName", "Own"))));
    EXPECT_EQ(Prop("WFirst_LA", "FontName"), "Test");
    EXPECT_EQ(Prop("WFirst_LB", "FontName"), "Own");
    // The first element's place belongs to the defaults: it gets only its name and parent.
    EXPECT_EQ(Prop("WFirst", "Width"), "0");
    EXPECT_EQ(Prop("WFirst", "Height"), "0");
}

TEST_F(Engine, DuplicateNamesApplyToTheFirstObject) {
    LoadText(Description(
        Object("TNyxDefaults", P("DefLine", "x;y;z")) +
        Object("TNyxForm", P("Name", "WA") + P("ParentName", "S") + P("Width", "10")) +
        Object("TNyxForm", P("Name", "WA") + P("ParentName", "S") + P("Height", "20"))));
    ASSERT_EQ(engine.Count(), 2);
    EXPECT_EQ(engine.Object(1)->GetName(), "");
    EXPECT_EQ(Prop("WA", "Width"), "10");
    EXPECT_EQ(Prop("WA", "Height"), "20");
}

TEST_F(Engine, StructuralErrorsEndCreationQuietly) {
    const std::string good = Object("TNyxForm", P("Name", "WGood") + P("ParentName", "S"));
    const std::string first = Object("TNyxDefaults", P("DefLine", "a;b;c"));
    const std::vector<std::string> broken = {
        "\t<x c=\"TNyxForm\">\r\n" + P("Name", "WBad") + "\t</x>\r\n",
        "\t<o c=\"TNyxForm\" d=\"1\">\r\n" + P("Name", "WBad") + "\t</o>\r\n",
        "\t<o k=\"TNyxForm\">\r\n" + P("Name", "WBad") + "\t</o>\r\n",
        "\t<o c=\"TNyxForm\"></o>\r\n",
        Object("TNyxForm", P("Name", "WBad") + "\t\t<q n=\"x\">1</q>\r\n"),
        Object("TNyxForm", "\t\t<p n=\"Name\" m=\"1\">WBad</p>\r\n"),
        Object("TNyxForm", "\t\t<p k=\"Name\">WBad</p>\r\n"),
        Object("TNyxDefaults", P("Other", "a;b;c")),
        Object("TNyxForm", P("Name", "WBad")),
        Object("TNyxForm", P("ParentName", "S")),
    };
    for (const std::string& bad : broken) {
        TNyxInterfaceEngine fresh;
        TMemoryStream stream;
        stream.Write(Description(first + good + bad + good));
        fresh.LoadFromStream(stream);
        EXPECT_EQ(Names(fresh), std::vector<std::string>{"WGood"}) << bad;
    }
    // The first top-level element is not NyxInterface.
    TNyxInterfaceEngine other;
    TMemoryStream stream;
    stream.Write("<Other>\r\n" + first + good + "</Other>\r\n");
    other.LoadFromStream(stream);
    EXPECT_EQ(other.Count(), 0);
    // An unregistered class creates nothing and is no error.
    LoadText(
        Description(first + Object("TNyxNoClass", P("Name", "WX") + P("ParentName", "S")) + good));
    EXPECT_EQ(Names(engine), std::vector<std::string>{"WGood"});
}

TEST_F(Engine, ConversionErrorsReachTheCaller) {
    const std::string text = Description(
        Object("TNyxDefaults", P("DefLine", "a;b;c")) +
        Object("TNyxForm", P("Name", "WA") + P("ParentName", "S") + P("Width", "wide")));
    EXPECT_THROW(LoadText(text), Error);
    EXPECT_EQ(engine.State, "");
    EXPECT_THROW(LoadText(Description(Object("TNyxDefaults", P("DefLine", "a;b;c")) +
                                      Object("TNyxForm", P("Name", "WB") + P("ParentName", "S") +
                                                             P("NoSuch", "1")))),
                 Error);
}

TEST_F(Engine, WindowStack) {
    LoadTestDescription();
    engine.ShowForm("WMain");
    engine.ShowForm("WDialog");
    engine.ShowForm("WMain");
    engine.ShowForm("WMain_BPlay");
    engine.ShowForm("WNobody");
    EXPECT_EQ(Stack(engine), (std::vector<std::string>{"WMain", "WDialog"}));
    EXPECT_TRUE(Get<TNyxForm>("WDialog").Visible);
    EXPECT_EQ(engine.TopForm()->GetName(), "WDialog");

    // Hiding a window that is not shown changes nothing.
    engine.HideForm("WOptions");
    engine.ChangeForm("WOptions", "WMain");
    EXPECT_EQ(Stack(engine), (std::vector<std::string>{"WMain", "WDialog"}));

    engine.ReplaceTopForm("WOptions");
    EXPECT_EQ(Stack(engine), (std::vector<std::string>{"WMain", "WOptions"}));
    EXPECT_FALSE(Get<TNyxForm>("WDialog").Visible);
    engine.ShowForm("WDialog");
    engine.ChangeForm("WOptions", "WDialog");
    EXPECT_EQ(Stack(engine), (std::vector<std::string>{"WMain", "WDialog"}));
    engine.HideForm("WMain");
    EXPECT_TRUE(Stack(engine).empty());
    EXPECT_FALSE(Get<TNyxForm>("WMain").Visible);
    EXPECT_EQ(engine.TopForm(), nullptr);
    engine.HideTopForm();
    engine.HideAllForms();
    engine.ReplaceTopForm("WMain");
    EXPECT_TRUE(Stack(engine).empty());

    engine.ShowForm("WMain");
    engine.ShowForm("WDialog");
    engine.HideAllForms();
    EXPECT_TRUE(Stack(engine).empty());
    EXPECT_FALSE(Get<TNyxForm>("WDialog").Visible);
}

TEST_F(Engine, ScriptsAndCommands) {
    LoadTestDescription();
    std::vector<std::string> called;
    engine.RegisterHandler("WMain_BQuit_MouseUp", [&] { called.push_back("quit"); });
    engine.RegisterHandler("YesMouseUp", [&] { called.push_back("yes"); });

    engine.AddScript("WMain_BPlay", "ShowModal Form=\"WMain\";ShowModal Form=\"WDialog\";");
    EXPECT_EQ(engine.Sender(), engine.FindObject("WMain_BPlay"));
    EXPECT_EQ(engine.Scripts().TagCount(), 1u);
    engine.RunScripts();
    EXPECT_EQ(Stack(engine), (std::vector<std::string>{"WMain", "WDialog"}));
    EXPECT_EQ(engine.Scripts().TagCount(), 0u);

    // After "; " the command has an empty name: only the first command runs.
    engine.AddScript("x", "HideModal; ShowModal Form=\"WDialog\";");
    EXPECT_EQ(engine.Sender(), nullptr);
    engine.RunScripts();
    EXPECT_EQ(Stack(engine), std::vector<std::string>{"WMain"});

    // ";" inside quotes does not end a command; text after the last ";" is ignored.
    engine.AddScript("", "SetProp Object=\"WMain_BQuit\" Prop=\"caption\" Value=\"a;b\";"
                         "PlaySound Sound=\"s.ogg\";EXECMETHOD Method=\"YesMouseUp\";"
                         "ExecMethod Method=\"wmain_BQUIT_mouseup\";ExecMethod Method=\"None\";"
                         "ChangeModal ShowForm=\"WOptions\";ShowModal Form=\"WDialog\"");
    engine.AddScript("", "");
    EXPECT_EQ(engine.Scripts().TagCount(), 1u);
    engine.RunScripts();
    EXPECT_EQ(Prop("WMain_BQuit", "Caption"), "a;b");
    EXPECT_EQ(host->Sounds, std::vector<std::string>{"s.ogg"});
    EXPECT_EQ(called, std::vector<std::string>{"quit"});
    EXPECT_EQ(Stack(engine), std::vector<std::string>{"WOptions"});

    engine.AddScript("", "ShowModal Form=\"WMain\";ShowModal Form=\"WDialog\";HideModal "
                         "Form=\"WMain\";HideModalList;ChangeModal ShowForm=\"WMain\" "
                         "HideForm=\"WNobody\";ShowModal;SetProp Object=\"WNobody\" Prop=\"x\" "
                         "Value=\"1\";SetProp Object=\"WMain\";");
    engine.RunScripts();
    EXPECT_TRUE(Stack(engine).empty());

    engine.AddScript("", "ShowModal Form=\"WMain\";");
    engine.ClearScripts();
    engine.RunScripts();
    EXPECT_TRUE(Stack(engine).empty());
}

TEST_F(Engine, InputGoesToTheTopWindowAndScriptsRunAfterwards) {
    LoadTestDescription();
    int quits = 0;
    engine.RegisterHandler("wmain_bquit_mouseup", [&] {
        ++quits;
        // Runs after the dispatch: the button has already seen its release.
        EXPECT_FALSE(Get<TNyxLabel>("WMain_BQuit").Down);
    });
    // Nothing shown: nothing happens.
    engine.MouseDown(TNyxButton::mbLeft, 0, 250, 230);
    EXPECT_FALSE(Get<TNyxLabel>("WMain_BQuit").Down);

    engine.ShowForm("WMain");
    engine.MouseDown(TNyxButton::mbLeft, 0, 250, 230);
    engine.MouseUp(TNyxButton::mbLeft, 0, 250, 230);
    EXPECT_EQ(quits, 1);

    // Play: its sound plays before its script shows the dialog.
    engine.MouseDown(TNyxButton::mbLeft, 0, 215, 175);
    engine.MouseUp(TNyxButton::mbLeft, 0, 215, 175);
    EXPECT_EQ(host->Sounds, std::vector<std::string>{"click.ogg"});
    EXPECT_EQ(Stack(engine), (std::vector<std::string>{"WMain", "WDialog"}));

    // A click outside the dialog reaches no control, not even one of the window below.
    engine.MouseDown(TNyxButton::mbLeft, 0, 250, 230);
    engine.MouseUp(TNyxButton::mbLeft, 0, 250, 230);
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(Get<TNyxLabel>("WMain_BQuit").Down);

    // OK hides the dialog, then calls a handler that is not registered.
    engine.MouseDown(TNyxButton::mbLeft, 0, 320, 280);
    engine.MouseUp(TNyxButton::mbLeft, 0, 320, 280);
    EXPECT_EQ(Stack(engine), std::vector<std::string>{"WMain"});

    // Radio buttons through the engine: their scripts set the play button's caption.
    engine.MouseDown(TNyxButton::mbLeft, 0, 215, 315);
    engine.MouseUp(TNyxButton::mbLeft, 0, 215, 315);
    EXPECT_EQ(Prop("WMain_RBHard", "Checked"), "True");
    EXPECT_EQ(Prop("WMain_RBEasy", "Checked"), "False");
    EXPECT_EQ(Prop("WMain_RBMusic", "Checked"), "True");
    EXPECT_EQ(Prop("WMain_BPlay", "Caption"), "Hard");

    // Hidden tab pages receive no mouse events.
    std::string titleDowns;
    engine.RegisterHandler("TitleDown", [&] { titleDowns += "d"; });
    engine.ShowForm("WOptions");
    engine.MouseDown(TNyxButton::mbLeft, 0, 10, 10);
    EXPECT_EQ(titleDowns, "d");
    engine.SetProperty("WOptions_TPage2", "Visible", "true");
    engine.MouseDown(TNyxButton::mbLeft, 0, 10, 10);
    EXPECT_EQ(titleDowns, "d");
}

TEST_F(Engine, TabPagesOfOneGroup) {
    LoadTestDescription();
    auto& page1 = Get<TNyxTabForm>("WOptions_TPage1");
    auto& page2 = Get<TNyxTabForm>("WOptions_TPage2");
    auto& page3 = Get<TNyxTabForm>("WOptions_TPage3");
    engine.SetProperty("WOptions_TPage2", "Visible", "true");
    EXPECT_FALSE(page1.Visible);
    EXPECT_TRUE(page2.Visible);
    EXPECT_TRUE(page3.Visible);
    engine.SetProperty("WOptions_TPage2", "Visible", "false");
    EXPECT_FALSE(page2.Visible);
    EXPECT_TRUE(page3.Visible);
}

TEST_F(Engine, PropertyFilesAndRestore) {
    LoadTestDescription();
    TempDir dir;
    const auto write = [&](const std::string& name, const std::string& caption) {
        const std::string path = (dir.Path() / name).string();
        std::ofstream(path, std::ios::binary)
            << Description(Object("TNyxLabel", P("Name", "WMain_BPlay") + P("Caption", caption) +
                                                   P("Width", "120")) +
                           Object("TNyxLabel", P("Name", "WNobody") + P("Caption", "x")));
        return path;
    };
    engine.LoadPropertiesFile(write("de.lng", "Spielen"));
    EXPECT_EQ(Prop("WMain_BPlay", "Caption"), "Spielen");
    EXPECT_EQ(Prop("WMain_BPlay", "Width"), "120");
    engine.LoadPropertiesFile(write("fr.lng", "Jouer"));
    EXPECT_EQ(Prop("WMain_BPlay", "Caption"), "Jouer");
    EXPECT_EQ(engine.ModProps().TagCount(), 2u);
    engine.RestoreProperties();
    EXPECT_EQ(Prop("WMain_BPlay", "Caption"), "Play");
    EXPECT_EQ(Prop("WMain_BPlay", "Width"), "100");
    engine.RestoreProperties();
    EXPECT_EQ(Prop("WMain_BPlay", "Caption"), "Play");
}

TEST_F(Engine, PropertyFilesOfExtremeNumbersOrNoFileAtAll) {
    LoadTestDescription();
    TempDir dir;
    const std::string path = (dir.Path() / "xx.lng").string();
    // Places and sizes are held where the sums of a control's place cannot overflow.
    std::ofstream(path, std::ios::binary) << Description(
        Object("TNyxLabel", P("Name", "WMain_BPlay") + P("Left", "2147483647") +
                                P("Top", "-2147483648") + P("Width", "2147483647") +
                                P("ShiftLeft", "2147483647") + P("Height", "-2147483648")));
    engine.LoadPropertiesFile(path);
    EXPECT_EQ(Prop("WMain_BPlay", "Left"), "1048576");
    EXPECT_EQ(Prop("WMain_BPlay", "Top"), "-1048576");
    EXPECT_EQ(Prop("WMain_BPlay", "Width"), "1048576");
    EXPECT_EQ(Prop("WMain_BPlay", "Height"), "-1048576");
    engine.RestoreProperties();
    EXPECT_EQ(Prop("WMain_BPlay", "Width"), "100");

    // A folder, a pipe or a file far larger than any language file is refused by name.
    const auto errorOf = [&](const std::string& file) {
        try {
            engine.LoadPropertiesFile(file);
        } catch (const Error& error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    std::filesystem::create_directory(dir.Path() / "folder.lng");
    EXPECT_EQ(errorOf((dir.Path() / "folder.lng").string()),
              "Cannot read file \"" + (dir.Path() / "folder.lng").string() + "\": it is a folder");
    ASSERT_EQ(mkfifo((dir.Path() / "pipe.lng").c_str(), 0600), 0);
    EXPECT_EQ(errorOf((dir.Path() / "pipe.lng").string()), "Cannot read file \"" +
                                                               (dir.Path() / "pipe.lng").string() +
                                                               "\": it is not a regular file");
    std::ofstream(dir.Path() / "big.lng", std::ios::binary)
        << std::string(TNyxInterfaceEngine::PropertiesFileLimit + 1, ' ');
    EXPECT_EQ(errorOf((dir.Path() / "big.lng").string()),
              "Cannot read file \"" + (dir.Path() / "big.lng").string() +
                  "\": it is larger than 1048576 bytes");
    EXPECT_EQ(Prop("WMain_BPlay", "Caption"), "Play");
}

TEST_F(Engine, RemoveRebuildsTheWindowsLists) {
    LoadTestDescription();
    engine.ShowForm("WMain");
    engine.AddScript("WMain_BQuit", "HideModal;");
    engine.Remove("WMain_BQuit");
    EXPECT_EQ(engine.Sender(), nullptr);
    EXPECT_EQ(Get<TNyxForm>("WMain").Children.size(), 8u);
    engine.Remove("WMain");
    EXPECT_EQ(engine.TopForm(), nullptr);
    EXPECT_EQ(Get<TNyxLabel>("WMain_BPlay").ParentObject, nullptr);
    engine.RunScripts();
}

TEST_F(Engine, RenamedWindowKeepsItsChildren) {
    LoadTestDescription();
    engine.SetProperty("WDialog", "Name", "WAsk");
    EXPECT_EQ(Prop("WDialog_BOk", "ParentName"), "WAsk");
    auto& form = Get<TNyxForm>("WAsk");
    form.BuildChildren();
    EXPECT_EQ(form.Children.size(), 1u);
}

TEST_F(Engine, AssignCopiesAWindowWithItsChildren) {
    LoadTestDescription();
    engine.CreateObject("WCopy", "Screen", "TNyxForm");
    auto& copy = Get<TNyxForm>("WCopy");
    copy.Assign(Get<TNyxForm>("WDialog"));
    ASSERT_EQ(copy.Children.size(), 1u);
    EXPECT_EQ(copy.Children[0]->GetName(), "WCopyWDialog_BOk");
    EXPECT_EQ(copy.Children[0]->ParentObject, &copy);
    EXPECT_EQ(Prop("WCopyWDialog_BOk", "Caption"), "OK");
    EXPECT_EQ(copy.Width, 300);
}

TEST_F(Engine, PaintingAFrame) {
    LoadTestDescription();
    engine.PaintAll();
    EXPECT_TRUE(host->TakeCalls().empty());
    engine.ShowForm("WDialog");
    engine.PaintForms();
    EXPECT_EQ(host->TakeCalls(), (std::vector<std::string>{
                                     "Draw DialogBack 100 100 0",
                                     "ExtDraw TestFont 2 310 270 0 0",
                                 }));
    engine.ShowForm("WMain");
    engine.PaintForms();
    const std::vector<std::string> calls = host->TakeCalls();
    const std::vector<std::string> main = {
        "Draw DialogBack 100 100 0",
        "ExtDraw TestFont 2 310 270 0 0",
        "Draw MainBack 200 150 0",
        "Draw Btn 210 170 200",
        "ExtDraw TestFont 4 240 175 255 255",
        "ExtDraw TestFont 4 210 210 0 0",
        "Draw Box 210 250 255",
        "ExtDraw TestFont 5 226 250 1 255",
        "Draw BoxChecked 210 280 0",
        "ExtDraw TestFont 4 226 280 7 0",
        "Draw Box 210 310 0",
        "ExtDraw TestFont 4 226 310 0 0",
        "Draw  400 280 0",
        "ExtDraw TestFont 5 400 280 0 0",
        "Draw  210 350 128",
        "Draw Step 210 350 128",
        "Draw Step 220 350 128",
        "Draw Step 230 350 128",
        "Draw Step 240 350 128",
        "Draw Step 250 350 128",
        "Draw Step 260 350 128",
        "Draw Step 270 350 128",
        "Draw Step 280 350 128",
        "Draw Step 290 350 128",
        "Draw Step 300 350 128",
    };
    EXPECT_EQ(calls, main);
    engine.PaintHints();
    EXPECT_TRUE(host->TakeCalls().empty());
    engine.HideTopForm();
    engine.HideTopForm();
    engine.PaintForms();
    EXPECT_TRUE(host->TakeCalls().empty());
}

} // namespace
} // namespace qz::test

namespace qz::test {
namespace {

TEST_F(Engine, ClearInterfaceAllowsAReload) {
    LoadTestDescription();
    engine.ShowForm("WMain");
    engine.AddScript("WMain", "HideModal;");
    engine.ClearInterface();
    EXPECT_EQ(engine.Count(), 0);
    EXPECT_EQ(engine.TopForm(), nullptr);
    EXPECT_EQ(engine.Sender(), nullptr);
    engine.RunScripts();
    LoadTestDescription();
    EXPECT_EQ(Prop("WMain_BPlay", "Caption"), "Play");
    EXPECT_EQ(engine.Object(1)->GetName(), "WMain_BPlay");
}

// Random descriptions, property files and scripts built from the format's own words:
// loading, scripts, input and painting must never crash or leave dangling windows.
TEST_F(Engine, RandomDescriptionsAndScriptsAreSafe) {
    const std::vector<std::string> classes = {
        "TNyxForm",        "TNyxTabForm",  "TNyxLabel",  "TNyxCheckBox", "TNyxRadioButton",
        "TNyxProgressBar", "TNyxEdit",     "TNyxSlider", "TNyxGrid",     "TNyxRichLabel",
        "TNyxHint",        "TNyxDefaults", "TNyxNothing"};
    const std::vector<std::string> names = {"W1", "W2", "W1_A", "W1_B", "W2_C", "W1_T", "S"};
    const std::vector<std::string> props = {"Name",
                                            "ParentName",
                                            "Width",
                                            "Height",
                                            "Left",
                                            "HAlign",
                                            "VAlign",
                                            "AutoSize",
                                            "Picture",
                                            "Visible",
                                            "Caption",
                                            "FontName",
                                            "TabOrder",
                                            "Checked",
                                            "RadioGroup",
                                            "TabGroup",
                                            "Position",
                                            "Max",
                                            "StepWidth",
                                            "OnMouseUp",
                                            "OnMouseDown",
                                            "DefLine",
                                            "LinkedObjectName",
                                            "RowsHeight",
                                            "AddColumns",
                                            "AddCells",
                                            "Alignment",
                                            "Layout"};
    const std::vector<std::string> values = {
        "0",
        "1",
        "-1",
        "100",
        "7",
        "true",
        "false",
        "haCenter",
        "vaJustify",
        "asPicture",
        "taJustify",
        "tlBottom",
        "Test",
        "Pic",
        "W1",
        "W1_A",
        "W1_T",
        "S",
        "Hello world {BR/}x",
        "ShowModal Form=\"W1\";",
        "HideModal;ShowModal Form=\"W2\";",
        "TNyxLabel;Visible;true",
        "SetProp Object=\"W1_A\" Prop=\"Position\" Value=\"3\";",
        "Cell Text=\"a\";",
        ""};
    const std::vector<std::string> commands = {
        "ShowModal Form=\"W1\"",
        "ShowModal Form=\"W2\"",
        "HideModal Form=\"W1\"",
        "HideModal",
        "HideModalList",
        "ChangeModal ShowForm=\"W2\" HideForm=\"W1\"",
        "ChangeModal ShowForm=\"W1\"",
        "ExecMethod Method=\"H\"",
        "PlaySound Sound=\"s\"",
        "SetProp Object=\"W1_A\" Prop=\"Visible\" Value=\"true\"",
        " ShowModal",
        "Bogus x=\"",
        "SetProp Object=\"W1\" Prop=\"Name\" Value=\"W2\""};
    host->AddPicture("Pic", 30, 20);
    TRandom& random = Random();
    random.Seed(1234);
    const auto pick = [&](const std::vector<std::string>& list) {
        return list[static_cast<size_t>(random.Next(static_cast<int32_t>(list.size())))];
    };
    int removals = 0;
    int loaded = 0;
    int shown = 0;
    engine.RegisterHandler("H", [&] {
        if (++removals % 7 == 0) {
            engine.Remove("W1");
        }
    });
    for (int round = 0; round < 300; ++round) {
        // Most descriptions start well formed, with the two windows the scripts name.
        std::string objects;
        if (random.Next(5) != 0) {
            objects = Object("TNyxDefaults", P("DefLine", "TNyxLabel;Visible;true")) +
                      Object("TNyxForm", P("Name", "W1") + P("ParentName", "S") +
                                             P("Width", "400") + P("Height", "300")) +
                      Object("TNyxForm", P("Name", "W2") + P("ParentName", "S") +
                                             P("Width", "800") + P("Height", "600"));
        }
        const int count = random.Next(8);
        for (int i = 0; i < count; ++i) {
            std::string body;
            const int properties = random.Next(6);
            if (random.Next(4) != 0) {
                body += P("Name", pick(names)) + P("ParentName", pick(names));
            }
            for (int k = 0; k < properties; ++k) {
                body += P(pick(props), pick(values));
            }
            objects += Object(pick(classes), body);
        }
        engine.ClearInterface();
        try {
            LoadText(Description(objects));
        } catch (const Error&) {
        }
        loaded += engine.Count() > 2 ? 1 : 0;
        try {
            TMemoryStream stream;
            stream.Write(Description(
                Object("TNyxLabel", P("Name", pick(names)) + P(pick(props), pick(values)))));
            engine.LoadPropertiesStream(stream);
            engine.RestoreProperties();
        } catch (const Error&) {
        }
        for (int step = 0; step < 6; ++step) {
            std::string script;
            for (int c = random.Next(4); c >= 0; --c) {
                script += pick(commands) + (random.Next(5) == 0 ? "; " : ";");
            }
            engine.AddScript(pick(names), script);
            try {
                engine.RunScripts();
            } catch (const Error&) {
                engine.ClearScripts();
            }
            const int32_t x = random.Next(900) - 50;
            const int32_t y = random.Next(700) - 50;
            uint16_t key = static_cast<uint16_t>(random.Next(50));
            char typed = static_cast<char>(random.Next(128));
            bool handled = false;
            try {
                engine.MouseMove(nyxshift::ssLeft, x, y);
                engine.MouseDown(TNyxButton::mbLeft, nyxshift::ssLeft, x, y);
                engine.MouseUp(TNyxButton::mbLeft, 0, x, y);
                engine.MouseWheel(0, -120, {x, y}, handled);
                engine.KeyDown(key, random.Next(2) ? nyxshift::ssShift : 0);
                engine.KeyPress(typed);
            } catch (const Error&) {
                engine.ClearScripts();
            }
            shown += engine.Forms().empty() ? 0 : 1;
            for (const TNyxForm* form : engine.Forms()) {
                ASSERT_EQ(engine.FindObject(form->GetName()), form);
            }
            engine.ShowHint(pick(names));
            engine.ShowHintAt(pick(names), x, y);
            engine.PaintAll();
            engine.PaintForms();
            engine.PaintHints();
            host->TakeCalls();
        }
    }
    // The generator reaches the interesting paths, not only the loader's error exits.
    EXPECT_GT(loaded, 30);
    EXPECT_GT(shown, 100);
    EXPECT_GT(removals, 10);
}

} // namespace
} // namespace qz::test

namespace qz::test {
namespace {

TEST_F(Engine, WindowsNamingEachOtherAsParentsDoNotContainEachOther) {
    LoadText(Description(
        Object("TNyxDefaults", P("DefLine", "a;b;c")) +
        Object("TNyxForm", P("Name", "WA") + P("ParentName", "WB") + P("Width", "10")) +
        Object("TNyxForm", P("Name", "WB") + P("ParentName", "WA") + P("Left", "5")) +
        Object("TNyxLabel", P("Name", "WA_L") + P("ParentName", "WA") + P("Visible", "true"))));
    EXPECT_EQ(Get<TNyxForm>("WA").Children.size(), 1u);
    EXPECT_TRUE(Get<TNyxForm>("WB").Children.empty());
    engine.ShowForm("WA");
    engine.ShowForm("WB");
    engine.PaintAll();
    // Each window once (its picture); the label has neither picture nor font.
    EXPECT_EQ(host->TakeCalls().size(), 2u);
}

} // namespace
} // namespace qz::test
