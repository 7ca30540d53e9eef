#pragma once
// The everyday controls: the label (wrapped text in a bitmap font, and with its mouse-over
// and mouse-down pictures the push button of every window), and the check box and radio
// button built on it.

#include "ui/NyxInterfaceClasses.h"

#include <string>
#include <vector>

namespace qz {

class TNyxFont;

enum class TTextAlignment : uint8_t { taLeft, taCenter, taRight, taJustify };
enum class TTextLayout : uint8_t { tlTop, tlCenter, tlBottom };
enum class TBoxPlace : uint8_t { bpLeft, bpRight };

// One laid-out line (or, in a rich label, one word segment); X and Y relative to the label.
struct TNyxLineRecord {
    std::u16string Text;
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Color = 0;
    int32_t OverColor = 0;
    int32_t ThirdColor = 0;
    uint8_t Alpha = 0;
    std::string FontName;
    int32_t Width = 0;
    int32_t Spaces = 0;
};

class TNyxLabel : public TNyxInterfaceObject {
public:
    static constexpr std::string_view StaticClassName = "TNyxLabel";
    static const TNyxPropertyTable& StaticProperties();

    std::string_view ClassName() const override { return StaticClassName; }
    const TNyxPropertyTable& Properties() const override { return StaticProperties(); }
    void Assign(const TNyxObject& source) override;

    // Always re-wraps and lays out.
    void SetWidth(int32_t value) override;
    // Picture, MouseOverPicture and MouseDownPicture, the non-empty ones.
    std::string GetPictures() const override;
    // The button behaviour: a press inside followed by a release inside queues the up script.
    void MouseDown(TNyxButton button, TNyxShift shift, int32_t x, int32_t y) override;
    void MouseMove(TNyxShift shift, int32_t x, int32_t y) override;
    void MouseUp(TNyxButton button, TNyxShift shift, int32_t x, int32_t y) override;
    void PointerLeft() override;
    // An empty MouseOverPicture or MouseDownPicture shows the picture of the state below
    // it (pressed, then pointed at, then Picture), so a label never vanishes under the
    // pointer for lack of a hover picture.
    void Paint() override;

    // Greedy wrap of the caption by pixel width into Lines.
    virtual void WrapText();
    // Copies Color, MouseOverColor, Alpha and FontName into every line.
    virtual void UpdateLineStyle();
    // UTF-8 in, kept as UTF-16; re-wraps when the label has a size.
    virtual void SetCaption(const std::string& value);
    virtual void SetAlpha(uint8_t value);
    // The width the text wraps in.
    virtual int32_t TextAreaWidth() const;

    // Places every line by Alignment, Layout, the text shifts and LineSpace.
    void LayoutLines();
    void SetFontName(const std::string& value);
    void SetAlignment(TTextAlignment value);
    void SetLayout(TTextLayout value);
    void SetTextShiftLeft(int32_t value);
    void SetTextShiftTop(int32_t value);
    void SetLineSpace(int32_t value);
    std::string GetCaption() const;

    // Looks the font up again when none is known yet; whether there is one now.
    bool EnsureFont();
    // One line spread over the text area width, a character at a time.
    void DrawJustifiedLine(const TNyxLineRecord& line, int32_t x, int32_t y, int32_t color) const;
    // Lines at (x, y) plus their own positions; justified lines (all but the last) in
    // justifiedColor, the others in color.
    void DrawLines(int32_t x, int32_t y, int32_t color, int32_t justifiedColor) const;

    // Not owned: the font named FontName in the engine's font engine.
    TNyxFont* Font = nullptr;
    bool Down = false;
    bool Over = false;
    std::vector<TNyxLineRecord> Lines;

    std::string MouseOverPicture;
    std::string MouseDownPicture;
    std::string FontName;
    std::u16string Caption;
    uint8_t Alpha = 0;
    int32_t Color = 0;
    int32_t MouseOverColor = 0;
    TTextAlignment Alignment = TTextAlignment::taLeft;
    TTextLayout Layout = TTextLayout::tlTop;
    int32_t TextShiftLeft = 0;
    int32_t TextShiftTop = 0;
    int32_t LineSpace = 0;
    int32_t TextDownShiftLeft = 0;
    int32_t TextDownShiftTop = 0;
};

// A label with a box picture: Picture unchecked, MouseDownPicture checked.
class TNyxCheckBox : public TNyxLabel {
public:
    static constexpr std::string_view StaticClassName = "TNyxCheckBox";
    static const TNyxPropertyTable& StaticProperties();

    std::string_view ClassName() const override { return StaticClassName; }
    const TNyxPropertyTable& Properties() const override { return StaticProperties(); }
    void Assign(const TNyxObject& source) override;

    void MouseDown(TNyxButton button, TNyxShift shift, int32_t x, int32_t y) override;
    void MouseUp(TNyxButton button, TNyxShift shift, int32_t x, int32_t y) override;
    void Paint() override;
    // Width less the box picture's width.
    int32_t TextAreaWidth() const override;

    bool Checked = false;
    TBoxPlace BoxPlace = TBoxPlace::bpLeft;

protected:
    // The box and the text lines, the unjustified lines in textColor.
    void PaintBox(int32_t textColor);
};

// A check box of which one per RadioGroup in its window is checked.
class TNyxRadioButton : public TNyxCheckBox {
public:
    static constexpr std::string_view StaticClassName = "TNyxRadioButton";
    // The label's rows, then CheckedColor, BoxPlace, Checked (SetChecked), RadioGroup.
    static const TNyxPropertyTable& StaticProperties();

    std::string_view ClassName() const override { return StaticClassName; }
    const TNyxPropertyTable& Properties() const override { return StaticProperties(); }
    void Assign(const TNyxObject& source) override;

    void UpdateLineStyle() override;
    // A checked button ignores the mouse.
    void MouseDown(TNyxButton button, TNyxShift shift, int32_t x, int32_t y) override;
    void MouseUp(TNyxButton button, TNyxShift shift, int32_t x, int32_t y) override;
    void Paint() override;
    // Checking clears the other buttons of the same group in the window.
    void SetChecked(bool value);

    int32_t CheckedColor = 0;
    int32_t RadioGroup = 0;
};

} // namespace qz
