#include "ui/NyxLabel.h"

#include "fonts/NyxFont.h"
#include "objects/NyxStrings.h"
#include "ui/NyxForm.h"

#include <cmath>

namespace qz {

using namespace nyxprop;

namespace {

// The caption as it wraps: no trailing blanks or control characters, CR LF pairs and tabs
// made spaces.
std::u16string WrapSource(const std::u16string& caption) {
    size_t end = caption.size();
    while (end > 0 && caption[end - 1] <= 32) {
        --end;
    }
    std::u16string text;
    text.reserve(end);
    for (size_t i = 0; i < end; ++i) {
        if (caption[i] == u'\r' && i + 1 < end && caption[i + 1] == u'\n') {
            text += u' ';
            ++i;
        } else if (caption[i] == u'\t') {
            text += u' ';
        } else {
            text += caption[i];
        }
    }
    return text;
}

int32_t CountInnerSpaces(std::u16string_view text) {
    int32_t spaces = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        spaces += text[i] == u' ' ? 1 : 0;
    }
    return spaces;
}

std::string JoinPictures(std::initializer_list<const std::string*> pictures) {
    std::string joined;
    for (const std::string* picture : pictures) {
        if (picture->empty()) {
            continue;
        }
        if (!joined.empty()) {
            joined += "\r\n";
        }
        joined += *picture;
    }
    return joined;
}

} // namespace

const TNyxPropertyTable& TNyxLabel::StaticProperties() {
    using C = TNyxLabel;
    static const TNyxPropertyTable table(
        &TNyxInterfaceObject::StaticProperties(),
        {
            String("MouseOverPicture", &C::MouseOverPicture),
            String("MouseDownPicture", &C::MouseDownPicture),
            String("FontName", &C::FontName, &C::SetFontName),
            TextAccessor<C>("Caption", TNyxPropKind::UTF8String, &C::GetCaption, &C::SetCaption),
            Byte<C>("Alpha", &C::Alpha, &C::SetAlpha),
            Integer("Color", &C::Color),
            Integer("MouseOverColor", &C::MouseOverColor),
            Enumeration("Alignment", &C::Alignment, {"taLeft", "taCenter", "taRight", "taJustify"},
                        &C::SetAlignment),
            Enumeration("Layout", &C::Layout, {"tlTop", "tlCenter", "tlBottom"}, &C::SetLayout),
            Integer("TextShiftLeft", &C::TextShiftLeft, &C::SetTextShiftLeft),
            Integer("TextShiftTop", &C::TextShiftTop, &C::SetTextShiftTop),
            Integer("LineSpace", &C::LineSpace, &C::SetLineSpace),
            Integer("TextDownShiftLeft", &C::TextDownShiftLeft),
            Integer("TextDownShiftTop", &C::TextDownShiftTop),
        });
    return table;
}

void TNyxLabel::Assign(const TNyxObject& source) {
    TNyxInterfaceObject::Assign(source);
    const auto* s = dynamic_cast<const TNyxLabel*>(&source);
    if (!s) {
        return;
    }
    Font = s->Font;
    Down = s->Down;
    Over = s->Over;
    Lines = s->Lines;
    MouseOverPicture = s->MouseOverPicture;
    MouseDownPicture = s->MouseDownPicture;
    FontName = s->FontName;
    Caption = s->Caption;
    Alpha = s->Alpha;
    Color = s->Color;
    MouseOverColor = s->MouseOverColor;
    Alignment = s->Alignment;
    Layout = s->Layout;
    TextShiftLeft = s->TextShiftLeft;
    TextShiftTop = s->TextShiftTop;
    LineSpace = s->LineSpace;
    TextDownShiftLeft = s->TextDownShiftLeft;
    TextDownShiftTop = s->TextDownShiftTop;
}

void TNyxLabel::SetWidth(int32_t value) {
    TNyxInterfaceObject::SetWidth(value);
    WrapText();
    LayoutLines();
}

std::string TNyxLabel::GetPictures() const {
    return JoinPictures({&Picture, &MouseOverPicture, &MouseDownPicture});
}

bool TNyxLabel::EnsureFont() {
    if (Font) {
        return true;
    }
    Font = FindFont(FontName);
    return false;
}

void TNyxLabel::WrapText() {
    if (!EnsureFont()) {
        return;
    }
    Lines.clear();
    if (Caption.empty() || FontName.empty() || Width == 0 || Height == 0) {
        return;
    }
    const std::u16string text = WrapSource(Caption);
    const int32_t area = TextAreaWidth();
    const size_t count = text.size();
    std::vector<std::u16string> pieces;
    size_t lineStart = 0;
    size_t measureStart = 0;
    size_t breakPoint = std::u16string::npos;
    int64_t sum = 0;
    size_t i = 0;
    while (i < count) {
        if (text[i] == u' ' && i > measureStart) {
            breakPoint = i;
        }
        sum += Font->TextWidth(std::u16string_view(&text[i], 1));
        if (sum <= area) {
            ++i;
            continue;
        }
        if (breakPoint == std::u16string::npos) {
            pieces.push_back(text.substr(lineStart, i - lineStart));
            lineStart = i;
        } else {
            pieces.push_back(text.substr(lineStart, breakPoint - lineStart));
            lineStart = breakPoint;
            while (lineStart < count && text[lineStart] == u' ') {
                ++lineStart;
            }
        }
        // The first character of the new line is not counted.
        measureStart = lineStart + 1;
        i = measureStart;
        sum = 0;
        breakPoint = std::u16string::npos;
    }
    if (lineStart < count) {
        pieces.push_back(text.substr(lineStart));
    }
    for (std::u16string& piece : pieces) {
        TNyxLineRecord line;
        line.Spaces = CountInnerSpaces(piece);
        line.Width = Font->TextWidth(piece);
        line.Text = std::move(piece);
        Lines.push_back(std::move(line));
    }
    UpdateLineStyle();
}

void TNyxLabel::UpdateLineStyle() {
    for (TNyxLineRecord& line : Lines) {
        line.Color = Color;
        line.OverColor = MouseOverColor;
        line.Alpha = Alpha;
        line.FontName = FontName;
    }
}

void TNyxLabel::LayoutLines() {
    if (!EnsureFont()) {
        return;
    }
    const int64_t h = Font->Height;
    const int64_t n = static_cast<int64_t>(Lines.size());
    const int64_t total = h * n + (n - 1) * LineSpace;
    const int64_t area = TextAreaWidth();
    for (int64_t i = 0; i < n; ++i) {
        TNyxLineRecord& line = Lines[static_cast<size_t>(i)];
        int64_t x = TextShiftLeft;
        switch (Alignment) {
        case TTextAlignment::taLeft:
        case TTextAlignment::taJustify:
            break;
        case TTextAlignment::taCenter:
            x = (area - line.Width) / 2 + TextShiftLeft;
            break;
        case TTextAlignment::taRight:
            x = area + TextShiftLeft - line.Width;
            break;
        }
        const int64_t step = i * (h + LineSpace);
        int64_t y = step + TextShiftTop;
        switch (Layout) {
        case TTextLayout::tlTop:
            break;
        case TTextLayout::tlCenter:
            y = (Height - total) / 2 + step + TextShiftTop;
            break;
        case TTextLayout::tlBottom:
            y = Height + step + TextShiftTop - total;
            break;
        }
        line.X = static_cast<int32_t>(x);
        line.Y = static_cast<int32_t>(y);
    }
}

void TNyxLabel::SetCaption(const std::string& value) {
    Caption = Utf8ToUtf16(value);
    if (Width > 0 && Height > 0) {
        WrapText();
        LayoutLines();
    }
}

std::string TNyxLabel::GetCaption() const {
    return Utf16ToUtf8(Caption);
}

void TNyxLabel::SetAlpha(uint8_t value) {
    Alpha = value;
}

int32_t TNyxLabel::TextAreaWidth() const {
    return Width;
}

void TNyxLabel::SetFontName(const std::string& value) {
    FontName = value;
    Font = FindFont(value);
    if (Width > 0 && Height > 0) {
        WrapText();
        LayoutLines();
    }
}

void TNyxLabel::SetAlignment(TTextAlignment value) {
    Alignment = value;
    LayoutLines();
}

void TNyxLabel::SetLayout(TTextLayout value) {
    Layout = value;
    LayoutLines();
}

void TNyxLabel::SetTextShiftLeft(int32_t value) {
    TextShiftLeft = value;
    LayoutLines();
}

void TNyxLabel::SetTextShiftTop(int32_t value) {
    TextShiftTop = value;
    LayoutLines();
}

void TNyxLabel::SetLineSpace(int32_t value) {
    LineSpace = value;
    LayoutLines();
}

void TNyxLabel::MouseDown(TNyxButton button, TNyxShift, int32_t x, int32_t y) {
    if (button == TNyxButton::mbLeft && Contains(x, y)) {
        QueueEvent(TNyxEvent::MouseDown);
        Down = true;
    }
}

void TNyxLabel::MouseMove(TNyxShift, int32_t x, int32_t y) {
    Over = false;
    if (Contains(x, y)) {
        QueueEvent(TNyxEvent::MouseMove);
        Over = true;
    }
}

void TNyxLabel::MouseUp(TNyxButton button, TNyxShift, int32_t x, int32_t y) {
    if (button == TNyxButton::mbLeft && Down) {
        Down = false;
        if (Contains(x, y)) {
            QueueEvent(TNyxEvent::MouseUp);
        }
    }
}

void TNyxLabel::PointerLeft() {
    Over = false;
    Down = false;
}

void TNyxLabel::Paint() {
    const std::string* picture = &Picture;
    int32_t offsetX = 0;
    int32_t offsetY = 0;
    int32_t color = Color;
    if (Over) {
        color = MouseOverColor;
        if (!MouseOverPicture.empty()) {
            picture = &MouseOverPicture;
        }
    }
    if (Over && Down) {
        offsetX = TextDownShiftLeft;
        offsetY = TextDownShiftTop;
        if (!MouseDownPicture.empty()) {
            picture = &MouseDownPicture;
        }
    }
    if (!picture->empty()) {
        DrawPicture(*picture, ScreenLeft, ScreenTop, PictureAlpha);
    }
    DrawLines(ScreenLeft + offsetX, ScreenTop + offsetY, color, Over ? MouseOverColor : Color);
}

void TNyxLabel::DrawLines(int32_t x, int32_t y, int32_t color, int32_t justifiedColor) const {
    if (!Font) {
        return;
    }
    for (size_t i = 0; i < Lines.size(); ++i) {
        const TNyxLineRecord& line = Lines[i];
        if (Alignment == TTextAlignment::taJustify && i + 1 < Lines.size()) {
            DrawJustifiedLine(line, x + line.X, y + line.Y, justifiedColor);
        } else {
            Font->DrawText(x + line.X, y + line.Y, static_cast<uint32_t>(color), Alpha, line.Text);
        }
    }
}

void TNyxLabel::DrawJustifiedLine(const TNyxLineRecord& line, int32_t x, int32_t y,
                                  int32_t color) const {
    if (!Font) {
        return;
    }
    const int32_t extra = TextAreaWidth() - line.Width;
    int32_t perSpace = 0;
    int32_t widerSpace = 0; // 1-based number of the space that gets one pixel more, 0: none
    if (line.Spaces > 0) {
        perSpace = extra / line.Spaces;
        const int32_t remainder = extra % line.Spaces;
        if (remainder > 0) {
            widerSpace =
                static_cast<int32_t>(std::nearbyint(static_cast<double>(line.Spaces) / remainder));
        }
    }
    int64_t pen = x;
    int32_t spaceNumber = 0;
    for (size_t i = 0; i < line.Text.size(); ++i) {
        const std::u16string_view character(&line.Text[i], 1);
        int32_t own = 0;
        if (line.Text[i] == u' ' && i + 1 < line.Text.size()) {
            ++spaceNumber;
            own = perSpace + (spaceNumber == widerSpace ? 1 : 0);
        }
        Font->DrawText(static_cast<int32_t>(pen + own), y, static_cast<uint32_t>(color), Alpha,
                       character);
        pen += Font->TextWidth(character) + own;
    }
}

const TNyxPropertyTable& TNyxCheckBox::StaticProperties() {
    using C = TNyxCheckBox;
    static const TNyxPropertyTable table(
        &TNyxLabel::StaticProperties(),
        {
            Boolean("Checked", &C::Checked),
            Enumeration("BoxPlace", &C::BoxPlace, {"bpLeft", "bpRight"}),
        });
    return table;
}

void TNyxCheckBox::Assign(const TNyxObject& source) {
    TNyxLabel::Assign(source);
    if (const auto* s = dynamic_cast<const TNyxCheckBox*>(&source)) {
        Checked = s->Checked;
        BoxPlace = s->BoxPlace;
    }
}

void TNyxCheckBox::MouseDown(TNyxButton button, TNyxShift, int32_t x, int32_t y) {
    Down = false;
    if (button == TNyxButton::mbLeft && Contains(x, y)) {
        Down = true;
        QueueEvent(TNyxEvent::MouseDown);
    }
}

void TNyxCheckBox::MouseUp(TNyxButton button, TNyxShift, int32_t x, int32_t y) {
    if (button != TNyxButton::mbLeft) {
        return;
    }
    if (Down && Contains(x, y)) {
        Checked = !Checked;
        QueueEvent(TNyxEvent::MouseUp);
    }
    // A release ends the press, so a second release without a press toggles nothing.
    Down = false;
}

int32_t TNyxCheckBox::TextAreaWidth() const {
    return Width - PictureSize(Picture).X;
}

void TNyxCheckBox::PaintBox(int32_t textColor) {
    const int32_t overColor = Over ? MouseOverColor : Color;
    const std::string& box = Checked ? MouseDownPicture : Picture;
    const int32_t boxWidth = PictureSize(box).X;
    const int32_t boxX = BoxPlace == TBoxPlace::bpLeft ? 0 : Width - boxWidth;
    DrawPicture(box, ScreenLeft + boxX, ScreenTop, PictureAlpha);
    const int32_t textX = ScreenLeft + (BoxPlace == TBoxPlace::bpLeft ? boxWidth : 0);
    DrawLines(textX, ScreenTop, textColor, overColor);
}

void TNyxCheckBox::Paint() {
    PaintBox(Over ? MouseOverColor : Color);
}

const TNyxPropertyTable& TNyxRadioButton::StaticProperties() {
    using C = TNyxRadioButton;
    static const TNyxPropertyTable table(
        &TNyxLabel::StaticProperties(),
        {
            Integer<C>("CheckedColor", &C::CheckedColor),
            Enumeration<C, TBoxPlace>("BoxPlace", &C::BoxPlace, {"bpLeft", "bpRight"}),
            Boolean<C>("Checked", &C::Checked, &C::SetChecked),
            Integer<C>("RadioGroup", &C::RadioGroup),
        });
    return table;
}

void TNyxRadioButton::Assign(const TNyxObject& source) {
    TNyxCheckBox::Assign(source);
    if (const auto* s = dynamic_cast<const TNyxRadioButton*>(&source)) {
        CheckedColor = s->CheckedColor;
        RadioGroup = s->RadioGroup;
    }
}

void TNyxRadioButton::UpdateLineStyle() {
    TNyxCheckBox::UpdateLineStyle();
    for (TNyxLineRecord& line : Lines) {
        line.ThirdColor = CheckedColor;
    }
}

void TNyxRadioButton::MouseDown(TNyxButton button, TNyxShift shift, int32_t x, int32_t y) {
    if (!Checked) {
        TNyxCheckBox::MouseDown(button, shift, x, y);
    }
}

void TNyxRadioButton::MouseUp(TNyxButton button, TNyxShift, int32_t x, int32_t y) {
    if (Checked || button != TNyxButton::mbLeft) {
        return;
    }
    if (Down && Contains(x, y)) {
        SetChecked(true);
        QueueEvent(TNyxEvent::MouseUp);
    }
    Down = false;
}

void TNyxRadioButton::Paint() {
    PaintBox(Checked ? CheckedColor : (Over ? MouseOverColor : Color));
}

void TNyxRadioButton::SetChecked(bool value) {
    if (value) {
        if (TNyxForm* form = ParentForm()) {
            for (TNyxInterfaceObject* child : form->Children) {
                auto* other = dynamic_cast<TNyxRadioButton*>(child);
                if (other && other->ClassName() == StaticClassName &&
                    other->RadioGroup == RadioGroup) {
                    other->Checked = false;
                }
            }
        }
    }
    Checked = value;
}

} // namespace qz
