#include "ui/NyxGrid.h"

#include "UiFixture.h"
#include "objects/NyxStrings.h"
#include "ui/NyxSlider.h"

#include <gtest/gtest.h>

namespace qz::test {
namespace {

using nyxshift::ssLeft;

class Grid : public UiFixture {
protected:
    // A grid at (10, 20), 200 wide, rows 20 high, with one column per entry of widths.
    TNyxGrid& Make(int32_t height, bool fixedRow, const std::string& columns) {
        engine.CreateObject("G", "Screen", "TNyxGrid");
        engine.SetProperty("G", "Left", "10");
        engine.SetProperty("G", "Top", "20");
        engine.SetProperty("G", "Width", "200");
        engine.SetProperty("G", "Height", std::to_string(height));
        engine.SetProperty("G", "RowsHeight", "20");
        engine.SetProperty("G", "FixedRow", fixedRow ? "true" : "false");
        engine.SetProperty("G", "OnMouseDown", "ExecMethod Method=\"Picked\";");
        engine.SetProperty("G", "AddColumns", columns);
        TNyxGrid& grid = Get<TNyxGrid>("G");
        grid.Focused = true;
        return grid;
    }
    // One cell per row "R0" ... of a one-column grid.
    static std::string Rows(int count) {
        std::string cells;
        for (int i = 0; i < count; ++i) {
            cells += "Text=\"R" + std::to_string(i) + "\";";
        }
        return cells;
    }
    static void Key(TNyxGrid& grid, uint16_t key) { grid.KeyDown(key, 0); }
    static std::pair<int32_t, int32_t> View(const TNyxGrid& grid) {
        return {grid.TopRow, grid.Position};
    }
    size_t QueuedScripts() const { return engine.Scripts().TagCount(); }
};

TEST_F(Grid, ItemStringsFillColumnsAndCells) {
    EXPECT_EQ(SplitGridItems("a;\"b;c\";d"), (std::vector<std::string>{"a", "\"b;c\""}));
    TNyxGrid& grid = Make(100, false,
                          "Width=\"120\" FontName=\"Test\" Color=\"7\" Alignment=\"taRight\";"
                          "Layout=\"tlBottom\" Alignment=\"bogus\";");
    ASSERT_EQ(grid.ColCount, 2);
    EXPECT_EQ(grid.Columns[0].Width, 120);
    EXPECT_EQ(grid.Columns[1].Width, 200); // the grid's width less the borders
    EXPECT_EQ(grid.Columns[1].Alignment, TTextAlignment::taLeft);
    EXPECT_EQ(grid.Columns[1].Layout, TTextLayout::tlBottom);
    EXPECT_NE(grid.GridFont(), nullptr);

    // Five items on two columns: five cells but two rows.
    engine.SetProperty("G", "AddCells",
                       "Text=\"a;b\";Text=\"Zw\xC3\xB6lf\";;Color=\"9\";Text=\"e\";ignored");
    ASSERT_EQ(grid.Cells.size(), 5u);
    EXPECT_EQ(grid.RowCount, 2);
    EXPECT_EQ(grid.Cells[0].Text, u"a;b");
    EXPECT_EQ(grid.Cells[0].Color, 7); // taken from its column
    EXPECT_EQ(grid.Cells[0].Alignment, TTextAlignment::taRight);
    EXPECT_EQ(grid.Cells[1].Text, u"Zw\u00F6lf");
    EXPECT_EQ(grid.Cells[1].Layout, TTextLayout::tlBottom);
    EXPECT_EQ(grid.Cells[3].Color, 9);

    // Cells with fewer items than cells changes only the first ones.
    engine.SetProperty("G", "Cells", "Text=\"A\";;Text=\"C\" Picture=\"P\";");
    EXPECT_EQ(grid.Cells[0].Text, u"A");
    EXPECT_EQ(grid.Cells[1].Text, u"Zw\u00F6lf");
    EXPECT_EQ(grid.Cells[2].Text, u"C");
    EXPECT_EQ(grid.Cells[2].Picture, "P");
    EXPECT_EQ(grid.Cells[4].Text, u"e");
    EXPECT_EQ(Prop("G", "Cells"), "Text=\"A\";;Text=\"C\" Picture=\"P\";");
    EXPECT_EQ(grid.SelectedText(), "A");
}

TEST_F(Grid, PagingKeysWithoutAFixedRow) {
    TNyxGrid& grid = Make(100, false, "FontName=\"Test\";");
    engine.SetProperty("G", "AddCells", Rows(12));
    ASSERT_EQ(grid.VisibleRows(), 5);
    Key(grid, 36);
    Key(grid, 35); // Home then End: the last five rows, the last selected
    EXPECT_EQ(View(grid), std::make_pair(7, 11));
    Key(grid, 36);
    Key(grid, 34);
    EXPECT_EQ(View(grid), std::make_pair(4, 4));
    Key(grid, 34);
    EXPECT_EQ(View(grid), std::make_pair(7, 7));
    Key(grid, 34);
    EXPECT_EQ(View(grid), std::make_pair(7, 11));
    Key(grid, 33);
    EXPECT_EQ(View(grid), std::make_pair(3, 7));
    Key(grid, 33);
    EXPECT_EQ(View(grid), std::make_pair(0, 4));
    Key(grid, 33);
    EXPECT_EQ(View(grid), std::make_pair(0, 0));
    for (int i = 0; i < 5; ++i) {
        Key(grid, 40);
    }
    EXPECT_EQ(View(grid), std::make_pair(1, 5)); // the view follows at the bottom
    for (int i = 0; i < 5; ++i) {
        Key(grid, 38);
    }
    EXPECT_EQ(View(grid), std::make_pair(0, 0));
    Key(grid, 38); // nothing above the first row
    EXPECT_EQ(View(grid), std::make_pair(0, 0));
    EXPECT_EQ(QueuedScripts(), 20u); // every key queues the down script
    Key(grid, 65);
    EXPECT_EQ(QueuedScripts(), 21u);
    // Keys need the focus.
    grid.Focused = false;
    Key(grid, 40);
    EXPECT_EQ(View(grid), std::make_pair(0, 0));
}

TEST_F(Grid, PagingKeysWithAFixedRow) {
    TNyxGrid& grid = Make(124, true, "FontName=\"Test\";");
    engine.SetProperty("G", "DivisorHeight", "4");
    engine.SetProperty("G", "AddCells", Rows(13)); // a header and twelve data rows
    ASSERT_EQ(grid.VisibleRows(), 5);
    Key(grid, 35);
    EXPECT_EQ(View(grid), std::make_pair(7, 11));
    Key(grid, 36);
    Key(grid, 34);
    EXPECT_EQ(View(grid), std::make_pair(4, 4));
    Key(grid, 34);
    EXPECT_EQ(View(grid), std::make_pair(7, 7));
    Key(grid, 34);
    EXPECT_EQ(View(grid), std::make_pair(7, 11));
    Key(grid, 33);
    EXPECT_EQ(View(grid), std::make_pair(3, 7));
    Key(grid, 33);
    EXPECT_EQ(View(grid), std::make_pair(0, 4));
    // The wheel scrolls like the arrow keys.
    bool handled = false;
    grid.MouseWheel(0, -120, {50, 50}, handled);
    EXPECT_EQ(View(grid), std::make_pair(1, 5));
    grid.MouseWheel(0, 120, {50, 50}, handled);
    EXPECT_EQ(View(grid), std::make_pair(1, 4));
}

TEST_F(Grid, DownStopsAtTheLastDataRowWhenTheViewHasRoomToSpare) {
    TNyxGrid& grid = Make(400, true, "FontName=\"Test\";");
    engine.SetProperty("G", "AddCells", Rows(3)); // a header and two data rows
    ASSERT_EQ(grid.VisibleRows(), 3);
    Key(grid, 40);
    Key(grid, 40);
    Key(grid, 40);
    EXPECT_EQ(View(grid), std::make_pair(0, 1));
    Key(grid, 34);
    EXPECT_EQ(View(grid), std::make_pair(0, 1));
}

TEST_F(Grid, MouseSelectsAndHoversRows) {
    TNyxGrid& grid = Make(124, true, "FontName=\"Test\";");
    engine.SetProperty("G", "DivisorHeight", "4");
    engine.SetProperty("G", "AddCells", Rows(13));
    grid.Focused = false;
    // Data rows start at 20 + 20 + 4 = 44.
    grid.MouseDown(TNyxButton::mbLeft, ssLeft, 50, 44 + 2 * 20 + 5);
    EXPECT_TRUE(grid.Focused);
    EXPECT_EQ(grid.Position, 2);
    EXPECT_EQ(QueuedScripts(), 1u);
    grid.MouseDown(TNyxButton::mbLeft, ssLeft, 50, 30); // the header selects nothing
    EXPECT_EQ(grid.Position, 2);
    grid.MouseMove(0, 50, 44 + 25);
    EXPECT_EQ(grid.HoverRow, 2); // counted with the header as row 0
    grid.MouseMove(0, 50, 30);
    EXPECT_EQ(grid.HoverRow, -1);
    grid.MouseMove(0, 500, 50);
    EXPECT_EQ(grid.HoverRow, -1);

    // With RowsHeight 0 clicks are ignored and only the background is painted.
    engine.SetProperty("G", "Picture", "GridBack");
    engine.SetProperty("G", "RowsHeight", "0");
    grid.MouseDown(TNyxButton::mbLeft, ssLeft, 50, 44 + 5);
    EXPECT_EQ(grid.Position, 2);
    engine.SetProperty("G", "Position", "5");
    EXPECT_EQ(grid.Position, 2);
    Key(grid, 34);
    grid.MouseMove(0, 50, 50);
    host->TakeCalls();
    grid.Paint();
    EXPECT_EQ(host->TakeCalls(), std::vector<std::string>{"Draw GridBack 10 20 0"});
}

TEST_F(Grid, LinkedSliderFollowsTheRows) {
    TNyxGrid& grid = Make(100, false, "FontName=\"Test\";");
    engine.CreateObject("S", "Screen", "TNyxSlider");
    engine.SetProperty("S", "LinkedObjectName", "G");
    TNyxSlider& slider = Get<TNyxSlider>("S");
    EXPECT_EQ(grid.Slider, &slider);
    EXPECT_EQ(grid.LinkedObjectName, "S");
    engine.SetProperty("G", "AddCells", Rows(12));
    EXPECT_EQ(slider.Max, 11);
    engine.SetProperty("S", "Max", "500"); // the grid decides the range
    EXPECT_EQ(slider.Max, 11);
    Key(grid, 35);
    EXPECT_EQ(slider.Position, 11);
    slider.SetPosition(2);
    EXPECT_EQ(View(grid), std::make_pair(2, 2));
    engine.SetProperty("G", "FixedRow", "true");
    EXPECT_EQ(slider.Max, 10);
    grid.Clear();
    EXPECT_EQ(grid.Cells.size(), 1u); // the header stays
    EXPECT_EQ(grid.RowCount, 1);
    EXPECT_EQ(slider.Position, 0);
    engine.SetProperty("G", "FixedRow", "false");
    grid.Clear();
    EXPECT_TRUE(grid.Cells.empty());
    EXPECT_EQ(grid.SelectedText(), "");
}

TEST_F(Grid, PaintsCursorHeaderAndRows) {
    host->AddPicture("Cursor", 180, 16);
    host->AddPicture("Icon", 8, 8);
    TNyxGrid& grid = Make(84, true,
                          "Width=\"100\" FontName=\"Test\" Color=\"1\";"
                          "Width=\"80\" Alignment=\"taRight\" Layout=\"tlCenter\" Color=\"2\";");
    engine.SetProperty("G", "BorderWidth", "2");
    engine.SetProperty("G", "DivisorHeight", "4");
    engine.SetProperty("G", "FixedColor", "3");
    engine.SetProperty("G", "RowMouseOverColor", "4");
    engine.SetProperty("G", "CursorPicture", "Cursor");
    engine.SetProperty("G", "PictureAlpha", "200");
    engine.SetProperty("G", "NotActiveCursorAlpha", "60");
    engine.SetProperty("G", "AddCells",
                       "Text=\"H\";Text=\"HH\";Text=\"A\";Text=\"B\" Picture=\"Icon\" "
                       "PictureHAlign=\"phaCenter\";Text=\"C\";Text=\"D\";Text=\"E\";Text=\"F\";");
    ASSERT_EQ(grid.VisibleRows(), 2); // (84 - 4 - 20 - 4) / 20
    engine.SetProperty("G", "Position", "1");
    EXPECT_EQ(grid.SelectedText(), "C"); // the first cell of data row 1, under the header
    grid.HoverRow = 2;
    host->TakeCalls();
    grid.Paint();
    EXPECT_EQ(host->TakeCalls(), (std::vector<std::string>{
                                     "Draw  10 20 200",
                                     "Draw Cursor 12 68 200",
                                     "ExtDraw TestFont 1 12 22 3 255",
                                     "ExtDraw TestFont 2 172 22 3 255",
                                     "ExtDraw TestFont 1 12 46 1 255",
                                     "Draw Icon 148 46 200",
                                     "ExtDraw TestFont 1 182 46 2 255",
                                     "ExtDraw TestFont 1 12 66 4 255",
                                     "ExtDraw TestFont 1 182 66 4 255",
                                 }));
    grid.Focused = false;
    grid.Paint();
    EXPECT_EQ(host->TakeCalls()[1], "DrawColoredAlpha Cursor 12 68 0 60");
}

} // namespace
} // namespace qz::test
