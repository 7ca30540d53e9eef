#pragma once
// The timed tool tip: a rich label on a filled background rectangle that shows itself for
// ShowTime milliseconds and then hides.

#include "ui/NyxRichLabel.h"

namespace qz {

class TNyxHint : public TNyxRichLabel {
public:
    static constexpr std::string_view StaticClassName = "TNyxHint";
    // The rich label's rows, then ShowTime, BackGroundColor, BackGroundAlpha (all plain).
    static const TNyxPropertyTable& StaticProperties();

    std::string_view ClassName() const override { return StaticClassName; }
    const TNyxPropertyTable& Properties() const override { return StaticProperties(); }
    void Assign(const TNyxObject& source) override;

    // Only with text: visible from now on, as high as its text.
    void Show();
    // Visible from now on next to the point: to its upper left unless that leaves the screen.
    void ShowAt(int32_t x, int32_t y);
    // Hides itself once ShowTime has passed (that frame is still drawn).
    void Paint() override;

    int32_t ShowTime = 0;
    int32_t BackGroundColor = 0;
    uint8_t BackGroundAlpha = 0;
    uint32_t ShowStart = 0;

private:
    // The last text line's bottom: its Y + TextShiftTop + the font height.
    int32_t TextHeight();
    uint32_t Now() const;
};

} // namespace qz
