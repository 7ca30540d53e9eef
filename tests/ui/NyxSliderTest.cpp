#include "ui/NyxSlider.h"

#include "UiFixture.h"
#include "ui/NyxLabel.h"

#include <gtest/gtest.h>

namespace qz::test {
namespace {

using nyxshift::ssLeft;

class Slider : public UiFixture {
protected:
    // A horizontal slider at (100, 200), 200 x 20: a 160 wide track centred in it (from
    // x 120), a 20 wide bar, step buttons 16 wide at both ends; range 0..100.
    TNyxSlider& Make() {
        host->AddPicture("Track", 160, 20);
        host->AddPicture("Bar", 20, 10);
        host->AddPicture("Up", 16, 12);
        host->AddPicture("Down", 16, 12);
        engine.CreateObject("S", "Screen", "TNyxSlider");
        for (const auto& [property, value] : std::vector<std::pair<std::string, std::string>>{
                 {"Left", "100"},
                 {"Top", "200"},
                 {"Height", "20"},
                 {"Width", "200"},
                 {"PictureHAlign", "phaCenter"},
                 {"Picture", "Track"},
                 {"BarPicture", "Bar"},
                 {"PictureAlpha", "255"},
                 {"UpPicture", "Up"},
                 {"DownPicture", "Down"},
                 {"Max", "100"},
                 {"Step", "5"},
                 {"BigStep", "10"},
                 {"OnChange", "ExecMethod Method=\"Changed\";"}}) {
            engine.SetProperty("S", property, value);
        }
        return Get<TNyxSlider>("S");
    }
    void Click(TNyxSlider& slider, int32_t x) {
        slider.MouseDown(TNyxButton::mbLeft, ssLeft, x, 210);
        slider.MouseUp(TNyxButton::mbLeft, 0, x, 210);
    }
    size_t QueuedScripts() const { return engine.Scripts().TagCount(); }
};

TEST_F(Slider, PositionIsClampedAndOnlyAChangeQueuesTheScript) {
    TNyxSlider& slider = Make();
    engine.SetProperty("S", "Position", "150");
    EXPECT_EQ(slider.Position, 100);
    ASSERT_EQ(QueuedScripts(), 1u);
    EXPECT_EQ(engine.Scripts().GetTag(0)->FindAttribute("Sender")->Value, "S");
    engine.SetProperty("S", "Position", "100");
    engine.SetProperty("S", "Position", "120");
    EXPECT_EQ(QueuedScripts(), 1u);
    engine.SetProperty("S", "Position", "-5");
    EXPECT_EQ(slider.Position, 0);
    EXPECT_EQ(QueuedScripts(), 2u);
}

TEST_F(Slider, BarOffsetRoundsHalvesToEven) {
    TNyxSlider& slider = Make();
    slider.Position = 50;
    EXPECT_EQ(slider.BarOffset(), 70); // 0.5 * (160 - 20)
    engine.SetProperty("S", "Max", "56");
    slider.Position = 1; // 140 / 56 = 2.5 rounds to 2
    EXPECT_EQ(slider.BarOffset(), 2);
    slider.Position = 3; // 7.5 rounds to 8
    EXPECT_EQ(slider.BarOffset(), 8);
    slider.Min = 56; // an empty range puts the bar at the start
    EXPECT_EQ(slider.BarOffset(), 0);
}

TEST_F(Slider, TrackClicksStepButtonsAndBarPress) {
    TNyxSlider& slider = Make();
    slider.Position = 50; // bar from x 190 to 210
    Click(slider, 150);   // between the track's start and the bar
    EXPECT_EQ(slider.Position, 40);
    slider.Position = 50;
    Click(slider, 250); // after the bar
    EXPECT_EQ(slider.Position, 60);
    slider.Position = 50;
    slider.MouseDown(TNyxButton::mbLeft, ssLeft, 195, 210); // inside the bar
    EXPECT_TRUE(slider.Dragging);
    EXPECT_EQ(slider.Position, 50);
    slider.MouseUp(TNyxButton::mbLeft, 0, 195, 210);
    EXPECT_FALSE(slider.Dragging);
    Click(slider, 108); // the up button
    EXPECT_EQ(slider.Position, 45);
    Click(slider, 290); // the down button
    EXPECT_EQ(slider.Position, 50);
    // Without the left button in the shift state nothing happens.
    slider.MouseDown(TNyxButton::mbLeft, 0, 150, 210);
    EXPECT_EQ(slider.Position, 50);
}

TEST_F(Slider, DraggingSnapsToMultiplesOfStepNotOffsetByMin) {
    TNyxSlider& slider = Make();
    engine.SetProperty("S", "Min", "3");
    engine.SetProperty("S", "Max", "73"); // 140 pixels for 70 values: 2 pixels a value
    slider.Position = 3;
    slider.MouseDown(TNyxButton::mbLeft, ssLeft, 125, 210); // the bar at 120..140
    ASSERT_TRUE(slider.Dragging);
    slider.MouseMove(ssLeft, 130 + 2 * 44, 210); // p = 44 + 3 = 47
    EXPECT_EQ(slider.Position, 45);
    slider.MouseMove(ssLeft, 130 + 2 * 50, 210); // p = 53
    EXPECT_EQ(slider.Position, 55);
    EXPECT_TRUE(slider.OverSlider);
    slider.MouseMove(ssLeft, 900, 210); // far outside: clamped to Max
    EXPECT_EQ(slider.Position, 73);
    slider.MouseUp(TNyxButton::mbLeft, 0, 900, 210);
    slider.MouseMove(ssLeft, 900, 210);
    EXPECT_FALSE(slider.OverSlider);
    // A step of 0 never divides: dragging does nothing.
    engine.SetProperty("S", "Step", "0");
    slider.Position = 40;
    slider.MouseDown(TNyxButton::mbLeft, ssLeft, 120 + 74, 210);
    slider.MouseMove(ssLeft, 150, 210);
    EXPECT_EQ(slider.Position, 40);
}

TEST_F(Slider, PaintsTrackBarAndButtons) {
    TNyxSlider& slider = Make();
    slider.Position = 50;
    EXPECT_EQ(slider.UpButton().ScreenLeft, 100);
    EXPECT_EQ(slider.UpButton().ScreenTop, 204);
    EXPECT_EQ(slider.DownButton().ScreenLeft, 284);
    host->TakeCalls();
    slider.Paint();
    EXPECT_EQ(host->TakeCalls(), (std::vector<std::string>{
                                     "Draw Track 120 200 255",
                                     "Draw Bar 190 205 255",
                                     "Draw Up 100 204 255",
                                     "Draw Down 284 204 255",
                                 }));
    // Vertical: the bar runs down the track, the buttons sit at top and bottom.
    host->AddPicture("VTrack", 20, 160);
    engine.SetProperty("S", "Orientation", "trVertical");
    engine.SetProperty("S", "PictureHAlign", "phaLeft");
    engine.SetProperty("S", "Width", "20");
    engine.SetProperty("S", "Height", "200");
    engine.SetProperty("S", "PictureVAlign", "pvaCenter");
    engine.SetProperty("S", "Picture", "VTrack");
    engine.SetProperty("S", "BarPicture", "Bar");
    engine.SetProperty("S", "UpPicture", "Up");
    host->AddPicture("Bar", 10, 20);
    slider.OverSlider = true;
    slider.MouseOverBarPicture = "BarLit";
    host->AddPicture("BarLit", 10, 20);
    host->TakeCalls();
    slider.Paint();
    EXPECT_EQ(host->TakeCalls(), (std::vector<std::string>{
                                     "Draw VTrack 100 220 255",
                                     "Draw BarLit 105 290 255",
                                     "Draw Up 102 200 255",
                                     "Draw Down 102 388 255",
                                 }));
}

} // namespace
} // namespace qz::test
