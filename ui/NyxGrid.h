#pragma once
// A list of rows of cells with an optional fixed header row, a selection cursor, keyboard,
// mouse and wheel scrolling, and an optional linked slider as its scroll bar. Columns and
// cells are described by strings of attribute lists that the game fills at run time.

#include "ui/NyxInterfaceClasses.h"
#include "ui/NyxLabel.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

class TNyxSlider;

struct TNyxGridColumn {
    int32_t Width = 0;
    std::string FontName;
    int32_t Color = 0;
    TTextAlignment Alignment = TTextAlignment::taLeft;
    TTextLayout Layout = TTextLayout::tlTop;
    int32_t TextShiftLeft = 0;
    int32_t TextShiftTop = 0;
    TPictureHAlignType PictureHAlign = TPictureHAlignType::phaLeft;
    TPictureVAlignType PictureVAlign = TPictureVAlignType::pvaTop;
    int32_t PictureShiftLeft = 0;
    int32_t PictureShiftTop = 0;
};

struct TNyxGridCell {
    std::string FontName;
    int32_t Color = 0;
    std::u16string Text;
    TTextAlignment Alignment = TTextAlignment::taLeft;
    TTextLayout Layout = TTextLayout::tlTop;
    int32_t TextShiftLeft = 0;
    int32_t TextShiftTop = 0;
    std::string Picture;
    TPictureHAlignType PictureHAlign = TPictureHAlignType::phaLeft;
    TPictureVAlignType PictureVAlign = TPictureVAlignType::pvaTop;
    int32_t PictureShiftLeft = 0;
    int32_t PictureShiftTop = 0;
};

// Items separated by ";" (not inside double quotes); text after the last ";" is dropped.
std::vector<std::string> SplitGridItems(std::string_view text);

class TNyxGrid : public TNyxFocusedObject {
public:
    static constexpr std::string_view StaticClassName = "TNyxGrid";
    static const TNyxPropertyTable& StaticProperties();

    std::string_view ClassName() const override { return StaticClassName; }
    const TNyxPropertyTable& Properties() const override { return StaticProperties(); }
    void Assign(const TNyxObject& source) override;

    void KeyDown(uint16_t& key, TNyxShift shift) override;
    void MouseDown(TNyxButton button, TNyxShift shift, int32_t x, int32_t y) override;
    void MouseMove(TNyxShift shift, int32_t x, int32_t y) override;
    void MouseWheel(TNyxShift shift, int32_t wheelDelta, TPoint mousePos, bool& handled) override;
    void PointerLeft() override;
    void Paint() override;

    // Scrolls so that row value is shown and selects it; queues the down script. Nothing
    // happens while RowsHeight is not above 0.
    void SetPosition(int32_t value);
    void SetLinkedObjectName(const std::string& value);
    void SetFixedRow(bool value);
    void SetAddColumns(const std::string& value);
    void SetAddCells(const std::string& value);
    void SetCells(const std::string& value);
    std::string GetCells() const;

    // Keeps only the header row (with a fixed row) and scrolls to the top.
    void Clear();
    // The text of the first cell of the selected row in the 8-bit code page; empty without
    // such a cell.
    std::string SelectedText() const;
    // Rows that fit in the view (never above RowCount; 0 while RowsHeight is not above 0).
    int32_t VisibleRows() const;
    // The last selectable data row.
    int32_t LastRow() const { return FixedRow ? RowCount - 2 : RowCount - 1; }
    // The slider's range for the current rows: RowCount - 2, plus 1 without a fixed row.
    int32_t SliderMax() const { return FixedRow ? RowCount - 2 : RowCount - 1; }
    TNyxFont* GridFont() const;

    // Not owned: the linked slider, or nullptr.
    TNyxSlider* Slider = nullptr;
    std::string LinkedObjectName;
    std::string AddCells;
    std::string AddColumns;
    std::vector<TNyxGridColumn> Columns;
    std::vector<TNyxGridCell> Cells;
    int32_t HoverRow = -1;
    int32_t Position = 0;
    int32_t TopRow = 0;
    std::u16string CellsText;
    std::string CursorPicture;
    uint8_t NotActiveCursorAlpha = 0;
    int32_t ColCount = 0;
    int32_t RowCount = 0;
    int32_t RowsHeight = 0;
    int32_t BorderWidth = 0;
    bool FixedRow = false;
    std::string FixedFontName;
    int32_t FixedColor = 0;
    int32_t DivisorHeight = 0;
    int32_t RowMouseOverColor = 0;

private:
    // The top of the data rows on the screen.
    int32_t DataTop() const;
    void Scroll(uint16_t key);
    void FollowWithSlider();
    void PaintCell(size_t index, TNyxFont* font);

    mutable TNyxFont* font_ = nullptr;
};

} // namespace qz
