#pragma once
// The one-line text entry: UTF-16 text in a bitmap font with a blinking cursor picture,
// mouse and keyboard selection, clipboard cut, copy and paste through the engine, a
// password mode, a digits-only mode, forbidden characters and limits in characters and
// pixels. It fires no scripts of its own; the game reads its Caption.

#include "ui/NyxInterfaceClasses.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qz {

enum class TInputMode : uint8_t { imNormal, imNumbersOnly };

class TNyxEdit : public TNyxFocusedObject {
public:
    static constexpr std::string_view StaticClassName = "TNyxEdit";
    static const TNyxPropertyTable& StaticProperties();

    std::string_view ClassName() const override { return StaticClassName; }
    const TNyxPropertyTable& Properties() const override { return StaticProperties(); }
    void Assign(const TNyxObject& source) override;

    // Picture and CursorPicture, the non-empty ones joined by CR LF.
    std::string GetPictures() const override;
    // Gaining the focus selects the whole text; losing it drops the selection.
    void SetFocused(bool value) override;

    void KeyDown(uint16_t& key, TNyxShift shift) override;
    void KeyPress(char& key) override;
    void MouseDown(TNyxButton button, TNyxShift shift, int32_t x, int32_t y) override;
    void MouseMove(TNyxShift shift, int32_t x, int32_t y) override;
    void MouseUp(TNyxButton button, TNyxShift shift, int32_t x, int32_t y) override;
    void Paint() override;

    void SetFontName(const std::string& value);
    // The text filtered by the input mode and the forbidden characters; the cursor goes
    // to its end.
    void SetCaption(const std::u16string& value);
    void SetInputMode(TInputMode value);
    void SetForbiddenChars(const std::string& value);

    // The characters between the selection bounds (smaller up to but not including the
    // larger), clamped to the text.
    std::u16string SelectedText() const;
    void SelectAll();
    void DeleteSelection();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();

    // The text as drawn and measured: PasswordChar once per character when set.
    std::u16string ShownText() const;
    // Pixel width of text in the edit's font; 0 without a font.
    int32_t TextWidth(std::u16string_view text) const;
    TNyxFont* Font() const;

    int32_t CursorPos = 1;
    int32_t SelStart = 0;
    int32_t SelEnd = 0;
    bool DoubleClicked = false;

    std::string CursorPicture;
    std::string FontName;
    std::string CharSet;
    std::u16string Caption;
    // Shown greyed while Caption is empty: what the game proposes when nothing is typed.
    std::u16string Placeholder;
    uint8_t Alpha = 0;
    int32_t Color = 0;
    std::string PasswordChar;
    TInputMode InputMode = TInputMode::imNormal;
    std::string ForbiddenChars;
    int32_t SelectColor = 0;
    int32_t TextShiftLeft = 0;
    int32_t TextShiftTop = 0;
    int32_t MaxLength = 0;
    int32_t MaxWidth = 0;
    bool ReadOnly = false;

private:
    std::u16string Filter(std::u16string_view text) const;
    bool Refused(char16_t ch) const;
    int32_t Length() const { return static_cast<int32_t>(Caption.size()); }
    // The 1-based insertion point for a pointer at screen x.
    int32_t CursorFromX(int32_t x) const;

    mutable TNyxFont* font_ = nullptr;
};

} // namespace qz
