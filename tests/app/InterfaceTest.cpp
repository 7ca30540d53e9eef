// The main window over the interface engine: a small description "Slider.li" in the game
// archive, its window drawn into the frame, scripted clicks reaching the window's handlers,
// and properties by name.
#include "AppData.h"
#include "TempDir.h"
#include "app/Form1.h"
#include "app/InputScript.h"
#include "app/NyxGameInterface.h"
#include "archive/Error.h"
#include "audio/NullAudioDevice.h"
#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/HeadlessDisplay.h"
#include "platform/MessageBox.h"
#include "ui/NyxInterfaceEngine.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

const char* const Description = R"(<?xml version="1.0"?>
<NyxInterface>
	<o c="TNyxDefaults">
		<p n="DefLine">TNyxLabel;Visible;true</p>
		<p n="DefLine">TNyxEdit;Visible;true</p>
	</o>
	<o c="TNyxForm">
		<p n="Name">WTitle</p>
		<p n="ParentName">Screen</p>
		<p n="Left">100</p>
		<p n="Top">50</p>
		<p n="Width">200</p>
		<p n="Height">100</p>
		<p n="Picture">WindowBack.png</p>
		<p n="PictureAlpha">255</p>
	</o>
	<o c="TNyxLabel">
		<p n="Name">WTitle_BPlay</p>
		<p n="ParentName">WTitle</p>
		<p n="Left">20</p>
		<p n="Top">30</p>
		<p n="Width">60</p>
		<p n="Height">20</p>
		<p n="OnMouseUp">ExecMethod Method="wtitle_bplay_MOUSEUP";</p>
	</o>
	<o c="TNyxLabel">
		<p n="Name">WTitle_LScore</p>
		<p n="ParentName">WTitle</p>
		<p n="Left">100</p>
		<p n="Top">30</p>
		<p n="Width">80</p>
		<p n="Height">20</p>
		<p n="FontName">Main</p>
		<p n="Caption">AB</p>
	</o>
	<o c="TNyxEdit">
		<p n="Name">WTitle_EName</p>
		<p n="ParentName">WTitle</p>
		<p n="Left">20</p>
		<p n="Top">60</p>
		<p n="Width">100</p>
		<p n="Height">20</p>
		<p n="FontName">Main</p>
		<p n="MaxLength">10</p>
		<p n="MaxWidth">100</p>
	</o>
</NyxInterface>
)";

class AppInterface : public ::testing::Test {
protected:
    void Start(const std::string& description) {
        test::AppDataOptions data;
        data.Interface = description;
        test::MakeAppData(dir.Path(), data);
        TFolders folders{dir.Path(), dir.Path(), true};
        TFormServices services{clock, audio, box, &display, nullptr, &clipboard};
        form = std::make_unique<TForm1>(folders, std::move(services));
        form->RegisterHandler("WTitle_BPlay_MouseUp", [this] { ++clicks; });
        form->OnPreparePieces = [](TForm1&) {}; // this data has no crystal definitions
        form->FormCreate();
        form->FormActivate();
    }
    // Runs the intro until the title window is shown.
    void ToTitle() {
        for (uint32_t tick : {1000u, 2001u, 2500u, 3002u}) {
            clock.Set(tick);
            form->IdlePass();
        }
    }
    std::vector<TInputEvent> Events(const std::string& line) {
        TScriptInput input(
            [&](const std::string& name) { return form->Interface->ControlBounds(name); });
        return input.Translate(ParseInputScriptLine(line, 1));
    }
    // The events of one script line, given to the main window.
    void Play(const std::string& line) {
        for (const TInputEvent& event : Events(line))
            form->HandleInput(event);
    }
    // The same straight to the interface: whether a control took any of them.
    bool Taken(const std::string& line) {
        bool taken = false;
        for (const TInputEvent& event : Events(line))
            taken = form->Interface->HandleInput(event) || taken;
        return taken;
    }
    uint32_t Pixel(int32_t x, int32_t y) const { return display.Frame()[size_t(y) * 800 + x]; }

    test::TempDir dir;
    TManualClock clock{0};
    TNullAudioDevice audio;
    test::TRecordingBox box;
    THeadlessDisplay display;
    TMemoryClipboard clipboard;
    std::unique_ptr<TForm1> form;
    int clicks = 0;
};

TEST_F(AppInterface, WithoutTheDescriptionTheGameHasNoInterface) {
    Start("");
    EXPECT_NE(dynamic_cast<TEmptyInterface*>(form->Interface.get()), nullptr);
    EXPECT_FALSE(form->ControlCentre("WTitle_BPlay"));
    ToTitle();
    EXPECT_EQ(form->Game.GameState, gsTitle);
    EXPECT_TRUE(box.Messages.empty());
}

TEST_F(AppInterface, TitleWindowIsDrawnAndClicksReachTheHandler) {
    Start(Description);
    ASSERT_NE(dynamic_cast<TNyxGameInterface*>(form->Interface.get()), nullptr);
    EXPECT_TRUE(box.Messages.empty());
    EXPECT_EQ(form->Interface->TopWindow(), "");
    ToTitle();
    ASSERT_EQ(form->Game.GameState, gsTitle);
    EXPECT_EQ(form->Interface->TopWindow(), "WTitle");
    EXPECT_EQ(form->Interface->OpenWindows(), std::vector<std::string>{"WTitle"});

    // The title frame before the window shows is red; the window's green picture covers
    // exactly its rectangle from the next frame on.
    clock.Set(3100);
    form->IdlePass();
    for (const TPoint at : {TPoint{100, 50}, TPoint{299, 149}, TPoint{200, 100}}) {
        const uint32_t pixel = Pixel(at.X, at.Y);
        EXPECT_GT((pixel >> 8) & 0xFF, 200u) << at.X << "," << at.Y << " " << std::hex << pixel;
        EXPECT_LT(pixel >> 16 & 0xFF, 60u) << at.X << "," << at.Y << " " << std::hex << pixel;
    }
    for (const TPoint at : {TPoint{99, 50}, TPoint{300, 100}, TPoint{200, 150}}) {
        const uint32_t pixel = Pixel(at.X, at.Y);
        EXPECT_LT((pixel >> 8) & 0xFF, 100u) << at.X << "," << at.Y << " " << std::hex << pixel;
    }

    EXPECT_EQ(form->ControlCentre("WTitle_BPlay"), (TPoint{150, 90}));
    EXPECT_EQ(form->ControlCentre("WTitle"), (TPoint{200, 100}));
    Play("0 click WTitle_BPlay");
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(Taken("0 click WTitle_BPlay"));
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(Taken("0 click WTitle_LScore"));
    EXPECT_FALSE(Taken("0 click 500 400"));
    EXPECT_FALSE(Taken("0 click 105 55")); // the window's own picture
    EXPECT_EQ(clicks, 2);
    EXPECT_THROW(Play("0 click WTitle_BNone"), TInputScriptError);

    // A press on the button and a release elsewhere is no click.
    Play("0 move WTitle_BPlay");
    Play("0 down left");
    Play("0 up left 500 400");
    EXPECT_EQ(clicks, 2);
    // The control moves: the name finds it at its new place.
    form->Interface->SetProperty("WTitle_BPlay", "Left", "120");
    form->Interface->CloseWindow("WTitle");
    form->Interface->ShowWindow("WTitle");
    EXPECT_EQ(form->ControlCentre("WTitle_BPlay"), (TPoint{250, 90}));
    Play("0 click WTitle_BPlay");
    EXPECT_EQ(clicks, 3);
    EXPECT_TRUE(box.Messages.empty());
}

TEST_F(AppInterface, PropertiesByNameTypedTextAndTheClipboard) {
    Start(Description);
    IGameInterface& ui = *form->Interface;
    EXPECT_EQ(ui.GetProperty("WTitle_LScore", "Caption"), "AB");
    ui.SetProperty("WTitle_LScore", "caption", "BA");
    EXPECT_EQ(ui.GetProperty("WTitle_LScore", "Caption"), "BA");
    EXPECT_EQ(ui.GetProperty("WTitle_BPlay", "Width"), "60");
    EXPECT_FALSE(ui.GetProperty("WNone", "Caption"));
    EXPECT_NO_THROW(ui.SetProperty("WNone", "Caption", "x"));
    EXPECT_THROW(ui.SetProperty("WTitle_BPlay", "Width", "wide"), Error);
    EXPECT_EQ(ui.GetProperty("WTitle_BPlay", "Width"), "60");

    // Typed UTF-8 reaches the focused edit control of the top window as 8-bit characters
    // (its wide Caption reads back in the 8-bit code page), and its clipboard is the main
    // window's.
    ToTitle();
    Play("0 click WTitle_EName");
    Play("0 text AB\xC3\xA9");
    EXPECT_EQ(ui.GetProperty("WTitle_EName", "Caption"), "AB\xE9");
    clipboard.SetText("BB");
    form->HandleInput(TInputEvent::Typed("\x16")); // Ctrl+V
    EXPECT_EQ(ui.GetProperty("WTitle_EName", "Caption"), "AB\xE9"
                                                         "BB");
    form->HandleInput(TInputEvent::Typed("\x01")); // Ctrl+A: the next letter replaces all
    Play("0 text A");
    EXPECT_EQ(ui.GetProperty("WTitle_EName", "Caption"), "A");
}

} // namespace
} // namespace qz
