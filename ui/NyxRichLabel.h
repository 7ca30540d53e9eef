#pragma once
// A label whose caption carries a small markup in braces: colour changes, fonts for links,
// explicit breaks and spaces, alignment blocks, table cells at tab stops and clickable
// links. The caption is laid out as positioned word segments; each link is an internal
// label that handles its own mouse input and queues its action script.

#include "ui/NyxLabel.h"

#include <memory>
#include <string>
#include <vector>

namespace qz {

class TNyxRichLabel : public TNyxLabel {
public:
    static constexpr std::string_view StaticClassName = "TNyxRichLabel";
    // The label's rows, then LinkColor (plain) and LinkMouseOverColor (lays out again).
    static const TNyxPropertyTable& StaticProperties();

    TNyxRichLabel();
    ~TNyxRichLabel() override;

    std::string_view ClassName() const override { return StaticClassName; }
    const TNyxPropertyTable& Properties() const override { return StaticProperties(); }
    void Assign(const TNyxObject& source) override;

    // Lays the markup out into Segments and Links.
    void WrapText() override;
    // Line breaks and tabs become spaces; then the caption is laid out.
    void SetCaption(const std::string& value) override;
    void SetAlpha(uint8_t value) override;
    void SetLinkMouseOverColor(int32_t value);

    // The background picture, every segment's text, then every link.
    void Paint() override;
    // Offered to every link, which tests the point itself.
    void MouseDown(TNyxButton button, TNyxShift shift, int32_t x, int32_t y) override;
    void MouseMove(TNyxShift shift, int32_t x, int32_t y) override;
    void PointerLeft() override;

    // One record per laid-out word or link piece; OverColor holds the link index (-1 for
    // plain text), Spaces the spaces that followed the word.
    std::vector<TNyxLineRecord> Segments;
    // The pixel width of each segment's following spaces.
    std::vector<int32_t> SpaceWidths;
    std::vector<std::unique_ptr<TNyxLabel>> Links;

    int32_t LinkColor = 0;
    int32_t LinkMouseOverColor = 0;
};

} // namespace qz
