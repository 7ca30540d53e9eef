#include "ui/NyxGrid.h"

#include "archive/Helpers.h"
#include "archive/KeyCodes.h"
#include "fonts/NyxFont.h"
#include "fonts/NyxInterface.h"
#include "objects/NyxStrings.h"
#include "ui/NyxInterfaceEngine.h"
#include "ui/NyxSlider.h"
#include "xml/NyxParser.h"

#include <algorithm>
#include <cstdlib>

namespace qz {

using namespace nyxprop;

namespace {

// The attributes of one item, read as the attributes of a tag named "Cell".
std::vector<std::pair<std::string, std::string>> ReadItem(const std::string& item) {
    TNyxXMLTag scratch("", nullptr, "");
    const TNyxXMLTag* tag = scratch.AddTagByString("Cell " + item);
    std::vector<std::pair<std::string, std::string>> attributes;
    for (const auto& attribute : tag->Attributes) {
        attributes.emplace_back(attribute->Name, attribute->Value);
    }
    return attributes;
}

void ReadNumber(const std::string& text, int32_t& field) {
    field = StrToIntDef(text, field);
}

void ReadAlignment(const std::string& text, TTextAlignment& field) {
    static const char* const names[] = {"taLeft", "taCenter", "taRight", "taJustify"};
    for (int i = 0; i < 4; ++i) {
        if (text == names[i]) {
            field = static_cast<TTextAlignment>(i);
        }
    }
}

void ReadLayout(const std::string& text, TTextLayout& field) {
    static const char* const names[] = {"tlTop", "tlCenter", "tlBottom"};
    for (int i = 0; i < 3; ++i) {
        if (text == names[i]) {
            field = static_cast<TTextLayout>(i);
        }
    }
}

void ReadPictureHAlign(const std::string& text, TPictureHAlignType& field) {
    static const char* const names[] = {"phaLeft", "phaCenter", "phaRight"};
    for (int i = 0; i < 3; ++i) {
        if (text == names[i]) {
            field = static_cast<TPictureHAlignType>(i);
        }
    }
}

void ReadPictureVAlign(const std::string& text, TPictureVAlignType& field) {
    static const char* const names[] = {"pvaTop", "pvaCenter", "pvaBottom"};
    for (int i = 0; i < 3; ++i) {
        if (text == names[i]) {
            field = static_cast<TPictureVAlignType>(i);
        }
    }
}

// The attributes that columns and cells share; true when name was one of them.
template <class Record>
bool ReadShared(Record& record, const std::string& name, const std::string& value) {
    if (name == "FontName") {
        record.FontName = value;
    } else if (name == "Color") {
        ReadNumber(value, record.Color);
    } else if (name == "Alignment") {
        ReadAlignment(value, record.Alignment);
    } else if (name == "Layout") {
        ReadLayout(value, record.Layout);
    } else if (name == "TextShiftLeft") {
        ReadNumber(value, record.TextShiftLeft);
    } else if (name == "TextShiftTop") {
        ReadNumber(value, record.TextShiftTop);
    } else if (name == "PictureHAlign") {
        ReadPictureHAlign(value, record.PictureHAlign);
    } else if (name == "PictureVAlign") {
        ReadPictureVAlign(value, record.PictureVAlign);
    } else if (name == "PictureShiftLeft") {
        ReadNumber(value, record.PictureShiftLeft);
    } else if (name == "PictureShiftTop") {
        ReadNumber(value, record.PictureShiftTop);
    } else {
        return false;
    }
    return true;
}

void ReadCell(TNyxGridCell& cell, const std::string& item) {
    for (const auto& [name, value] : ReadItem(item)) {
        if (ReadShared(cell, name, value)) {
            continue;
        }
        if (name == "Text") {
            cell.Text = Utf8ToUtf16(value);
        } else if (name == "Picture") {
            cell.Picture = value;
        }
    }
}

// Where a thing of size lands in space: at the shift, centred, or at the far end.
int32_t Place(int32_t mode, int32_t space, int32_t size, int32_t shift) {
    switch (mode) {
    case 1:
        return (space - size) / 2 + shift;
    case 2:
        return space - size + shift;
    default:
        return shift;
    }
}

} // namespace

std::vector<std::string> SplitGridItems(std::string_view text) {
    std::vector<std::string> items;
    std::string current;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
        }
        if (c == ';' && !quoted) {
            items.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    return items;
}

const TNyxPropertyTable& TNyxGrid::StaticProperties() {
    using C = TNyxGrid;
    static const TNyxPropertyTable table(
        &TNyxFocusedObject::StaticProperties(),
        {
            Integer("Position", &C::Position, &C::SetPosition),
            String("LinkedObjectName", &C::LinkedObjectName, &C::SetLinkedObjectName),
            String("CursorPicture", &C::CursorPicture),
            Byte("NotActiveCursorAlpha", &C::NotActiveCursorAlpha),
            Integer("RowsHeight", &C::RowsHeight),
            Integer("BorderWidth", &C::BorderWidth),
            Boolean("FixedRow", &C::FixedRow, &C::SetFixedRow),
            String("FixedFontName", &C::FixedFontName),
            Integer("FixedColor", &C::FixedColor),
            Integer("DivisorHeight", &C::DivisorHeight),
            Integer("RowMouseOverColor", &C::RowMouseOverColor),
            String("AddColumns", &C::AddColumns, &C::SetAddColumns),
            String("AddCells", &C::AddCells, &C::SetAddCells),
            TextAccessor<C>("Cells", TNyxPropKind::UTF8String, &C::GetCells, &C::SetCells),
        });
    return table;
}

void TNyxGrid::Assign(const TNyxObject& source) {
    TNyxFocusedObject::Assign(source);
    const auto* s = dynamic_cast<const TNyxGrid*>(&source);
    if (!s) {
        return;
    }
    Slider = s->Slider;
    LinkedObjectName = s->LinkedObjectName;
    AddCells = s->AddCells;
    AddColumns = s->AddColumns;
    Columns = s->Columns;
    Cells = s->Cells;
    font_ = s->font_;
    HoverRow = s->HoverRow;
    Position = s->Position;
    TopRow = s->TopRow;
    CellsText = s->CellsText;
    CursorPicture = s->CursorPicture;
    NotActiveCursorAlpha = s->NotActiveCursorAlpha;
    ColCount = s->ColCount;
    RowCount = s->RowCount;
    RowsHeight = s->RowsHeight;
    BorderWidth = s->BorderWidth;
    FixedRow = s->FixedRow;
    FixedFontName = s->FixedFontName;
    FixedColor = s->FixedColor;
    DivisorHeight = s->DivisorHeight;
    RowMouseOverColor = s->RowMouseOverColor;
}

TNyxFont* TNyxGrid::GridFont() const {
    if (!font_) {
        for (auto it = Columns.rbegin(); it != Columns.rend(); ++it) {
            if (!it->FontName.empty()) {
                font_ = FindFont(it->FontName);
                break;
            }
        }
    }
    return font_;
}

int32_t TNyxGrid::VisibleRows() const {
    if (RowsHeight <= 0) {
        return 0;
    }
    const int32_t space =
        FixedRow ? Height - 2 * BorderWidth - RowsHeight - DivisorHeight : Height - 2 * BorderWidth;
    return std::clamp(space / RowsHeight, 0, std::max(RowCount, 0));
}

int32_t TNyxGrid::DataTop() const {
    return ScreenTop + BorderWidth + (FixedRow ? RowsHeight + DivisorHeight : 0);
}

void TNyxGrid::SetPosition(int32_t value) {
    if (RowsHeight <= 0) {
        return;
    }
    if (value < Position) {
        if (TopRow > 0 && value < TopRow) {
            TopRow = value;
        }
        if (TopRow < Position) {
            Position = value;
        }
    } else {
        if (value >= TopRow + VisibleRows()) {
            TopRow = value - VisibleRows() + 1;
        }
        Position = value;
    }
    QueueEvent(TNyxEvent::MouseDown);
}

void TNyxGrid::SetLinkedObjectName(const std::string& value) {
    LinkedObjectName = value;
    TNyxEngine* engine = GetEngine();
    auto* slider = engine ? dynamic_cast<TNyxSlider*>(engine->FindObject(value)) : nullptr;
    if (slider) {
        Slider = slider;
        slider->Max = RowCount - 1;
        slider->Grid = this;
    }
}

void TNyxGrid::SetFixedRow(bool value) {
    FixedRow = value;
    if (Slider) {
        Slider->Max = SliderMax();
    }
    if (value && TopRow < Position) {
        --Position;
    }
}

void TNyxGrid::SetAddColumns(const std::string& value) {
    AddColumns = value;
    const std::vector<std::string> items = SplitGridItems(value);
    for (const std::string& item : items) {
        TNyxGridColumn column;
        column.Width = Width - 2 * BorderWidth;
        for (const auto& [name, text] : ReadItem(item)) {
            if (name == "Width") {
                ReadNumber(text, column.Width);
            } else if (ReadShared(column, name, text) && name == "FontName") {
                font_ = FindFont(text);
            }
        }
        Columns.push_back(std::move(column));
    }
    ColCount += static_cast<int32_t>(items.size());
}

void TNyxGrid::SetAddCells(const std::string& value) {
    AddCells = value;
    if (ColCount <= 0 || Columns.empty()) {
        return;
    }
    const std::vector<std::string> items = SplitGridItems(value);
    for (const std::string& item : items) {
        const TNyxGridColumn& column = Columns[Cells.size() % Columns.size()];
        TNyxGridCell cell;
        cell.FontName = column.FontName;
        cell.Color = column.Color;
        cell.Alignment = column.Alignment;
        cell.Layout = column.Layout;
        cell.TextShiftLeft = column.TextShiftLeft;
        cell.TextShiftTop = column.TextShiftTop;
        cell.PictureHAlign = column.PictureHAlign;
        cell.PictureVAlign = column.PictureVAlign;
        cell.PictureShiftLeft = column.PictureShiftLeft;
        cell.PictureShiftTop = column.PictureShiftTop;
        ReadCell(cell, item);
        Cells.push_back(std::move(cell));
    }
    RowCount += static_cast<int32_t>(items.size()) / ColCount;
    if (Slider) {
        Slider->Max = SliderMax();
    }
}

void TNyxGrid::SetCells(const std::string& value) {
    CellsText = Utf8ToUtf16(value);
    const std::vector<std::string> items = SplitGridItems(value);
    for (size_t i = 0; i < items.size() && i < Cells.size(); ++i) {
        ReadCell(Cells[i], items[i]);
    }
}

std::string TNyxGrid::GetCells() const {
    return Utf16ToUtf8(CellsText);
}

void TNyxGrid::Clear() {
    if (FixedRow) {
        Cells.resize(std::min(Cells.size(), static_cast<size_t>(std::max(ColCount, 0))));
        RowCount = 1;
    } else {
        Cells.clear();
        RowCount = 0;
    }
    TopRow = 0;
    Position = 0;
    if (Slider) {
        Slider->Position = 0;
    }
}

std::string TNyxGrid::SelectedText() const {
    const int64_t index = (int64_t{Position} + (FixedRow ? 1 : 0)) * std::max(ColCount, 1);
    if (Position < 0 || index >= static_cast<int64_t>(Cells.size())) {
        return {};
    }
    return NarrowAnsi(Cells[static_cast<size_t>(index)].Text);
}

void TNyxGrid::MouseDown(TNyxButton button, TNyxShift shift, int32_t x, int32_t y) {
    TNyxFocusedObject::MouseDown(button, shift, x, y);
    if (button != TNyxButton::mbLeft || RowsHeight <= 0 || !Contains(x, y)) {
        return;
    }
    const int32_t top = DataTop();
    const int32_t rows = std::min(VisibleRows(), RowCount);
    if (y > top && y < top + rows * RowsHeight) {
        const int32_t row = (y - top) / RowsHeight + TopRow;
        // A click below the last data row (possible with a header) selects nothing.
        if (row <= LastRow()) {
            Position = row;
        }
    }
    FollowWithSlider();
    QueueEvent(TNyxEvent::MouseDown);
}

void TNyxGrid::PointerLeft() {
    TNyxFocusedObject::PointerLeft();
    HoverRow = -1;
}

void TNyxGrid::MouseMove(TNyxShift, int32_t x, int32_t y) {
    HoverRow = -1;
    if (RowsHeight <= 0 || !Contains(x, y)) {
        return;
    }
    const int32_t top = DataTop();
    const int32_t rows = std::min(VisibleRows(), RowCount);
    if (y > top && y < top + rows * RowsHeight) {
        HoverRow = FixedRow ? (y - ScreenTop - BorderWidth - DivisorHeight) / RowsHeight
                            : (y - top) / RowsHeight;
    }
}

void TNyxGrid::Scroll(uint16_t key) {
    if (RowsHeight <= 0) {
        return;
    }
    const int32_t v = VisibleRows();
    const int32_t last = LastRow();
    switch (key) {
    case vkDown:
        if (Position < last && TopRow + v == Position + 1) {
            ++TopRow;
        }
        if (Position - TopRow < v - 1 && Position < last) {
            ++Position;
        }
        break;
    case vkUp:
        if (TopRow > 0 && Position == TopRow) {
            --TopRow;
        }
        if (Position - TopRow > 0) {
            --Position;
        }
        break;
    case vkHome:
        TopRow = 0;
        Position = 0;
        break;
    case vkEnd:
        TopRow = v < RowCount ? RowCount - v - (FixedRow ? 1 : 0) : 0;
        Position = last;
        break;
    case vkPrior:
        if (TopRow == 0) {
            Position = 0;
        }
        if ((FixedRow ? TopRow - v - 1 : TopRow - v + 1) > 0) {
            TopRow -= v - 1;
            Position -= v - 1;
        } else {
            Position -= TopRow;
            TopRow = 0;
        }
        break;
    case vkNext:
        if (!FixedRow) {
            if (TopRow == RowCount - v) {
                Position = RowCount - 1;
            }
            if (RowCount - 2 * v + 1 > TopRow) {
                TopRow += v - 1;
                Position += v - 1;
            } else {
                Position += RowCount - v - TopRow;
                TopRow = RowCount - v;
            }
        } else {
            if (TopRow >= RowCount - v - 1) {
                Position = RowCount - 2;
            }
            if (RowCount - 2 * v + 1 > TopRow) {
                TopRow += v - 1;
                Position += v - 1;
            } else if (RowCount != v) {
                Position += RowCount - v - TopRow - 1;
                TopRow = RowCount - v - 1;
            } else {
                Position += RowCount - v - TopRow;
                TopRow = RowCount - v;
            }
        }
        break;
    default:
        break;
    }
}

void TNyxGrid::FollowWithSlider() {
    if (Slider) {
        Slider->SetPosition(Position);
    }
}

void TNyxGrid::KeyDown(uint16_t& key, TNyxShift) {
    if (!Focused) {
        return;
    }
    Scroll(key);
    QueueEvent(TNyxEvent::MouseDown);
    FollowWithSlider();
}

void TNyxGrid::MouseWheel(TNyxShift, int32_t wheelDelta, TPoint, bool&) {
    if (!Focused || wheelDelta == 0) {
        return;
    }
    Scroll(wheelDelta < 0 ? vkDown : vkUp);
    QueueEvent(TNyxEvent::MouseDown);
    FollowWithSlider();
}

void TNyxGrid::PaintCell(size_t index, TNyxFont* font) {
    const TNyxGridCell& cell = Cells[index];
    const int32_t cols = ColCount;
    const int32_t column = static_cast<int32_t>(index) % cols;
    const int32_t row = static_cast<int32_t>(index) / cols;
    const bool header = FixedRow && row == 0;
    const int32_t viewRow = row - TopRow;
    int32_t x = ScreenLeft + BorderWidth;
    for (int32_t c = 0; c < column && c < static_cast<int32_t>(Columns.size()); ++c) {
        x += Columns[static_cast<size_t>(c)].Width;
    }
    const int32_t y =
        header ? ScreenTop + BorderWidth
               : ScreenTop + BorderWidth + viewRow * RowsHeight + (FixedRow ? DivisorHeight : 0);
    const int32_t columnWidth = column < static_cast<int32_t>(Columns.size())
                                    ? Columns[static_cast<size_t>(column)].Width
                                    : 0;
    if (!cell.Picture.empty()) {
        const TPoint size = PictureSize(cell.Picture);
        DrawPicture(cell.Picture,
                    x + Place(static_cast<int32_t>(cell.PictureHAlign), columnWidth, size.X,
                              cell.PictureShiftLeft),
                    y + Place(static_cast<int32_t>(cell.PictureVAlign), RowsHeight, size.Y,
                              cell.PictureShiftTop),
                    PictureAlpha);
    }
    if (!font || cell.Text.empty()) {
        return;
    }
    // A text wider than its column is cut short with dots instead of running into the next.
    std::u16string text = cell.Text;
    const int32_t room = columnWidth - std::abs(cell.TextShiftLeft);
    if (columnWidth > 0 && font->TextWidth(text) > room) {
        while (!text.empty() && font->TextWidth(text + u"...") > room)
            text.pop_back();
        text += u"...";
    }
    const int32_t hMode =
        cell.Alignment == TTextAlignment::taJustify ? 0 : static_cast<int32_t>(cell.Alignment);
    const int32_t textX = x + Place(hMode, columnWidth, font->TextWidth(text), cell.TextShiftLeft);
    const int32_t textY =
        y + Place(static_cast<int32_t>(cell.Layout), RowsHeight, font->Height, cell.TextShiftTop);
    const int32_t color = header                ? FixedColor
                          : viewRow == HoverRow ? RowMouseOverColor
                                                : cell.Color;
    font->DrawText(textX, textY, static_cast<uint32_t>(color), 255, text);
}

void TNyxGrid::Paint() {
    TNyxInterfaceObject::Paint();
    if (ColCount < 1 || RowCount < 1 || RowsHeight < 1 || Cells.empty()) {
        return;
    }
    const TPoint cursor = PictureSize(CursorPicture);
    const int32_t cursorY = ScreenTop + BorderWidth + (Position - TopRow) * RowsHeight +
                            (RowsHeight - cursor.Y) / 2 +
                            (FixedRow ? RowsHeight + DivisorHeight : 0);
    if (Focused) {
        DrawPicture(CursorPicture, ScreenLeft + BorderWidth, cursorY, PictureAlpha);
    } else if (INyxGraphic* host = Host()) {
        host->DrawColoredAlpha(CursorPicture, std::string(), ScreenLeft + BorderWidth, cursorY, 0,
                               NotActiveCursorAlpha);
    }
    TNyxFont* font = GridFont();
    const auto paintRow = [&](int32_t row) {
        for (int32_t c = 0; c < ColCount; ++c) {
            const int64_t index = static_cast<int64_t>(row) * ColCount + c;
            if (index >= 0 && index < static_cast<int64_t>(Cells.size())) {
                PaintCell(static_cast<size_t>(index), font);
            }
        }
    };
    const int32_t v = VisibleRows();
    if (FixedRow) {
        paintRow(0);
        for (int32_t row = TopRow + 1; row <= TopRow + v; ++row) {
            paintRow(row);
        }
    } else {
        for (int32_t row = TopRow; row < TopRow + v; ++row) {
            paintRow(row);
        }
    }
}

} // namespace qz
