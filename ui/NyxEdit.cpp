#include "ui/NyxEdit.h"

#include "archive/KeyCodes.h"
#include "fonts/NyxFont.h"
#include "objects/NyxStrings.h"
#include "ui/NyxInterfaceEngine.h"

#include <algorithm>

namespace qz {

using namespace nyxprop;

namespace {

constexpr char CtrlA = 1;
constexpr char CtrlC = 3;
constexpr char CtrlV = 22;
constexpr char CtrlX = 24;
constexpr uint32_t PlaceholderColour = 0xA08C8C; // a grey of the game's violet

bool IsDigit(char16_t ch) {
    return ch >= u'0' && ch <= u'9';
}

} // namespace

const TNyxPropertyTable& TNyxEdit::StaticProperties() {
    using C = TNyxEdit;
    static const TNyxPropertyTable table(
        &TNyxFocusedObject::StaticProperties(),
        {
            String("CursorPicture", &C::CursorPicture),
            String("FontName", &C::FontName, &C::SetFontName),
            String("CharSet", &C::CharSet),
            Wide("Caption", &C::Caption, &C::SetCaption),
            Wide("Placeholder", &C::Placeholder),
            Byte("Alpha", &C::Alpha),
            Integer("Color", &C::Color),
            String("PasswordChar", &C::PasswordChar),
            Enumeration("InputMode", &C::InputMode, {"imNormal", "imNumbersOnly"},
                        &C::SetInputMode),
            String("ForbiddenChars", &C::ForbiddenChars, &C::SetForbiddenChars),
            Integer("SelectColor", &C::SelectColor),
            Integer("TextShiftLeft", &C::TextShiftLeft),
            Integer("TextShiftTop", &C::TextShiftTop),
            Integer("MaxLength", &C::MaxLength),
            Integer("MaxWidth", &C::MaxWidth),
            Boolean("ReadOnly", &C::ReadOnly),
        });
    return table;
}

void TNyxEdit::Assign(const TNyxObject& source) {
    TNyxFocusedObject::Assign(source);
    const auto* s = dynamic_cast<const TNyxEdit*>(&source);
    if (!s) {
        return;
    }
    font_ = s->font_;
    CursorPos = s->CursorPos;
    SelStart = s->SelStart;
    SelEnd = s->SelEnd;
    DoubleClicked = s->DoubleClicked;
    CursorPicture = s->CursorPicture;
    FontName = s->FontName;
    CharSet = s->CharSet;
    Caption = s->Caption;
    Placeholder = s->Placeholder;
    Alpha = s->Alpha;
    Color = s->Color;
    PasswordChar = s->PasswordChar;
    InputMode = s->InputMode;
    ForbiddenChars = s->ForbiddenChars;
    SelectColor = s->SelectColor;
    TextShiftLeft = s->TextShiftLeft;
    TextShiftTop = s->TextShiftTop;
    MaxLength = s->MaxLength;
    MaxWidth = s->MaxWidth;
    ReadOnly = s->ReadOnly;
}

std::string TNyxEdit::GetPictures() const {
    std::string pictures = Picture;
    if (!CursorPicture.empty()) {
        if (!pictures.empty()) {
            pictures += "\r\n";
        }
        pictures += CursorPicture;
    }
    return pictures;
}

void TNyxEdit::SetFocused(bool value) {
    Focused = value;
    if (value) {
        SelectAll();
    } else {
        SelStart = 0;
        SelEnd = 0;
    }
}

void TNyxEdit::SetFontName(const std::string& value) {
    FontName = value;
    font_ = FindFont(FontName);
}

TNyxFont* TNyxEdit::Font() const {
    if (!font_ && !FontName.empty()) {
        font_ = FindFont(FontName);
    }
    return font_;
}

void TNyxEdit::SetCaption(const std::u16string& value) {
    Caption = Filter(value);
    CursorPos = Length() + 1;
}

void TNyxEdit::SetInputMode(TInputMode value) {
    InputMode = value;
    if (value == TInputMode::imNumbersOnly) {
        SetCaption(Caption);
    }
}

void TNyxEdit::SetForbiddenChars(const std::string& value) {
    ForbiddenChars = value;
    if (!ForbiddenChars.empty()) {
        SetCaption(Caption);
    }
}

bool TNyxEdit::Refused(char16_t ch) const {
    // Control characters (DEL and the C1 block among them) have no picture in any font and
    // no place in a name, whether typed or pasted.
    if (ch < 0x20 || (ch >= 0x7F && ch <= 0x9F)) {
        return true;
    }
    if (InputMode == TInputMode::imNumbersOnly && !IsDigit(ch)) {
        return true;
    }
    if (ForbiddenChars.empty()) {
        return false;
    }
    const std::string narrow = NarrowAnsi(std::u16string_view(&ch, 1));
    return ForbiddenChars.find(narrow[0]) != std::string::npos;
}

std::u16string TNyxEdit::Filter(std::u16string_view text) const {
    std::u16string kept;
    kept.reserve(text.size());
    for (char16_t ch : text) {
        if (!Refused(ch)) {
            kept.push_back(ch);
        }
    }
    return kept;
}

std::u16string TNyxEdit::ShownText() const {
    if (PasswordChar.empty()) {
        return Caption;
    }
    const std::u16string mask = WidenAnsi(PasswordChar);
    std::u16string shown;
    shown.reserve(mask.size() * Caption.size());
    for (size_t i = 0; i < Caption.size(); ++i) {
        shown += mask;
    }
    return shown;
}

int32_t TNyxEdit::TextWidth(std::u16string_view text) const {
    const TNyxFont* font = Font();
    return font ? font->TextWidth(text) : 0;
}

std::u16string TNyxEdit::SelectedText() const {
    const int32_t last = Length() + 1;
    const int32_t from = std::clamp(std::min(SelStart, SelEnd), 1, last);
    const int32_t to = std::clamp(std::max(SelStart, SelEnd), 1, last);
    return Caption.substr(static_cast<size_t>(from - 1), static_cast<size_t>(to - from));
}

void TNyxEdit::SelectAll() {
    SelStart = 1;
    SelEnd = Length() + 1;
    CursorPos = SelEnd;
}

void TNyxEdit::DeleteSelection() {
    if (SelStart == SelEnd) {
        return;
    }
    // Bounds left behind by an earlier edit may lie past the text: only the part inside
    // it is deleted.
    const int32_t last = Length() + 1;
    const int32_t from = std::clamp(std::min(SelStart, SelEnd), 1, last);
    const int32_t to = std::clamp(std::max(SelStart, SelEnd), 1, last);
    Caption.erase(static_cast<size_t>(from - 1), static_cast<size_t>(to - from));
    CursorPos = from;
    SelStart = from;
    SelEnd = from;
}

void TNyxEdit::KeyDown(uint16_t& key, TNyxShift shift) {
    if (ReadOnly || !Focused) {
        return;
    }
    const bool withShift = (shift & nyxshift::ssShift) != 0;
    switch (key) {
    case vkBack:
        if (SelStart == SelEnd && CursorPos > 1 && CursorPos <= Length() + 1) {
            Caption.erase(static_cast<size_t>(CursorPos - 2), 1);
            --CursorPos;
            SelStart = SelEnd = CursorPos;
        }
        DeleteSelection();
        break;
    case vkDelete:
        if (SelStart == SelEnd && CursorPos >= 1 && CursorPos <= Length()) {
            Caption.erase(static_cast<size_t>(CursorPos - 1), 1);
            SelStart = SelEnd = CursorPos;
        }
        DeleteSelection();
        break;
    case vkEnd:
        CursorPos = Length() + 1;
        SelEnd = CursorPos;
        if (!withShift) {
            SelStart = CursorPos;
        }
        break;
    case vkHome:
        CursorPos = 1;
        SelEnd = 1;
        if (!withShift) {
            SelStart = 1;
        }
        break;
    case vkLeft:
    case vkRight:
        if (key == vkLeft && CursorPos > 1) {
            --CursorPos;
        } else if (key == vkRight && CursorPos < Length() + 1) {
            ++CursorPos;
        }
        SelEnd = CursorPos;
        if (!withShift) {
            SelStart = CursorPos;
        }
        break;
    default:
        break;
    }
}

void TNyxEdit::KeyPress(char& key) {
    if (ReadOnly || !Focused || Length() >= MaxLength) {
        return;
    }
    const auto code = static_cast<unsigned char>(key);
    if (code < 32) {
        switch (key) {
        case CtrlA:
            SelectAll();
            break;
        case CtrlC:
            CopyToClipboard();
            break;
        case CtrlV:
            DeleteSelection();
            PasteFromClipboard();
            break;
        case CtrlX:
            CutToClipboard();
            break;
        default:
            break;
        }
        return;
    }
    const char16_t ch = code;
    if (Refused(ch)) {
        return;
    }
    DeleteSelection();
    std::u16string candidate = Caption;
    const size_t at = static_cast<size_t>(std::clamp(CursorPos, 1, Length() + 1) - 1);
    candidate.insert(at, 1, ch);
    const int32_t width = PasswordChar.empty() ? TextWidth(candidate)
                                               : TextWidth(WidenAnsi(PasswordChar)) *
                                                     static_cast<int32_t>(candidate.size());
    if (width < MaxWidth - TextShiftLeft) {
        Caption = std::move(candidate);
        CursorPos = static_cast<int32_t>(at) + 2;
        SelStart = SelEnd = CursorPos;
    }
}

void TNyxEdit::CopyToClipboard() {
    if (MaxLength <= 0 || MaxWidth <= 0 || !PasswordChar.empty()) {
        return;
    }
    const std::string text = NarrowAnsi(SelectedText());
    TNyxInterfaceEngine* engine = InterfaceEngine();
    if (engine && !text.empty()) {
        engine->SetClipboardText(text);
    }
}

void TNyxEdit::CutToClipboard() {
    if (MaxLength <= 0 || MaxWidth <= 0) {
        return;
    }
    const std::string text = NarrowAnsi(SelectedText());
    TNyxInterfaceEngine* engine = InterfaceEngine();
    if (engine && !text.empty()) {
        engine->SetClipboardText(text);
    }
    DeleteSelection();
}

void TNyxEdit::PasteFromClipboard() {
    const TNyxInterfaceEngine* engine = InterfaceEngine();
    if (MaxLength <= 0 || MaxWidth <= 0 || Length() == MaxLength || !engine) {
        return;
    }
    std::string clip = engine->ClipboardText();
    clip = clip.substr(0, clip.find('\0'));
    std::u16string text;
    for (size_t i = 0; i < clip.size(); ++i) {
        char c = clip[i];
        if (c == '\r' && i + 1 < clip.size() && clip[i + 1] == '\n') {
            ++i;
        }
        if (c == '\r' || c == '\n' || c == '\t') {
            c = ' ';
        }
        text.push_back(static_cast<unsigned char>(c));
    }
    // Pasting must not bring in what typing refuses.
    text = Filter(text);
    const int32_t room = std::max(MaxLength - Length(), 0);
    if (static_cast<int32_t>(text.size()) > room) {
        text.resize(static_cast<size_t>(room));
    }
    const auto shownWidth = [this](std::u16string_view part) {
        return PasswordChar.empty()
                   ? TextWidth(part)
                   : TextWidth(WidenAnsi(PasswordChar)) * static_cast<int32_t>(part.size());
    };
    const int32_t available = MaxWidth - TextWidth(ShownText()) - TextShiftLeft;
    if (shownWidth(text) > available) {
        size_t keep = std::min(text.size(), static_cast<size_t>(std::max(room - 1, 0)));
        while (keep > 0 && shownWidth(std::u16string_view(text).substr(0, keep)) > available) {
            --keep;
        }
        text.resize(keep);
    }
    if (text.empty()) {
        return;
    }
    const size_t at = static_cast<size_t>(std::clamp(CursorPos, 1, Length() + 1) - 1);
    Caption.insert(at, text);
    CursorPos = static_cast<int32_t>(at + text.size()) + 1;
    SelStart = SelEnd = CursorPos;
}

int32_t TNyxEdit::CursorFromX(int32_t x) const {
    const std::u16string shown = ShownText();
    if (x >= ScreenLeft + TextShiftLeft + TextWidth(shown)) {
        return Length() + 1;
    }
    const size_t perChar = PasswordChar.empty() ? 1 : WidenAnsi(PasswordChar).size();
    for (int32_t k = 1; k <= Length(); ++k) {
        const std::u16string_view first =
            std::u16string_view(shown).substr(0, static_cast<size_t>(k) * perChar);
        if (x < ScreenLeft + TextWidth(first)) {
            return k;
        }
    }
    return Length() + 1;
}

void TNyxEdit::MouseDown(TNyxButton button, TNyxShift shift, int32_t x, int32_t y) {
    TNyxFocusedObject::MouseDown(button, shift, x, y);
    SelStart = 1;
    SelEnd = 1;
    if (!Contains(x, y) || button != TNyxButton::mbLeft) {
        return;
    }
    if ((shift & nyxshift::ssDouble) != 0) {
        DoubleClicked = true;
        SelectAll();
        return;
    }
    CursorPos = CursorFromX(x);
    if ((shift & nyxshift::ssShift) == 0) {
        SelStart = CursorPos;
    }
    SelEnd = CursorPos;
}

void TNyxEdit::MouseMove(TNyxShift shift, int32_t x, int32_t) {
    if (!Focused || !Pressed || (shift & nyxshift::ssLeft) == 0 || DoubleClicked) {
        return;
    }
    CursorPos = CursorFromX(x);
    SelEnd = CursorPos;
}

void TNyxEdit::MouseUp(TNyxButton, TNyxShift, int32_t, int32_t) {
    DoubleClicked = false;
    Pressed = false;
}

void TNyxEdit::Paint() {
    DrawPicture(Picture, ScreenLeft, ScreenTop, PictureAlpha);
    const TNyxFont* font = Font();
    const int32_t textX = ScreenLeft + TextShiftLeft;
    const int32_t textY = ScreenTop + TextShiftTop;
    if (font) {
        if (Caption.empty()) {
            font->DrawText(textX, textY, PlaceholderColour, Alpha, Placeholder);
        } else if (!PasswordChar.empty()) {
            font->DrawText(textX, textY, static_cast<uint32_t>(Color), Alpha, ShownText());
        } else {
            const int32_t from = std::min(SelStart, SelEnd);
            const int32_t to = std::max(SelStart, SelEnd);
            int32_t pen = textX;
            for (int32_t i = 1; i <= Length(); ++i) {
                const std::u16string_view ch(&Caption[static_cast<size_t>(i - 1)], 1);
                const bool selected = i >= from && i < to;
                font->DrawText(pen, textY, static_cast<uint32_t>(selected ? SelectColor : Color),
                               Alpha, ch);
                pen += font->TextWidth(ch);
            }
        }
    }
    if (!Focused) {
        return;
    }
    const TNyxInterfaceEngine* engine = InterfaceEngine();
    const uint32_t ticks = engine ? engine->Ticks() : 0;
    if ((ticks / 500) % 2 != 0 && !Pressed) {
        return;
    }
    const int32_t cursorWidth = PictureSize(CursorPicture).X;
    const size_t perChar = PasswordChar.empty() ? 1 : WidenAnsi(PasswordChar).size();
    const size_t before = static_cast<size_t>(std::clamp(CursorPos, 1, Length() + 1) - 1);
    const int32_t t = TextWidth(std::u16string_view(ShownText()).substr(0, before * perChar));
    DrawPicture(CursorPicture, textX + t - cursorWidth / 2 - 1, textY, PictureAlpha);
}

} // namespace qz
