#include "ui/NyxRichLabel.h"

#include "archive/Helpers.h"
#include "fonts/NyxFont.h"
#include "objects/NyxStrings.h"
#include "ui/NyxEdit.h"
#include "ui/NyxGrid.h"
#include "ui/NyxSlider.h"

#include <algorithm>
#include <charconv>

namespace qz {

using namespace nyxprop;

namespace {

enum class TStop : uint8_t { Left, Center, Right };

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The number after a tag's keyword ("BR 12"); 0 when there is none.
int32_t TagNumber(std::string_view tag, size_t from) {
    return from < tag.size() ? StrToIntDef(Trim(std::string(tag.substr(from))), 0) : 0;
}

// The markup walk: collects words, turns them into segments and finishes lines and table
// cells as the tags say.
class TLayout {
public:
    TLayout(TNyxRichLabel& label, const TNyxFont& font)
        : label_(label), font_(font), avail_(label.Width - label.TextShiftLeft),
          spaceWidth_(font.TextWidth(u" ")) {
        colors_.push_back(label.Color);
        fonts_.push_back(label.FontName);
        alignments_.push_back(label.Alignment);
    }

    void Run(std::u16string_view text) {
        size_t i = 0;
        while (i < text.size()) {
            const char16_t ch = text[i];
            if (ch == u'{' || ch == u'}') {
                if (i + 1 < text.size() && text[i + 1] == ch) {
                    AddChar(ch);
                    i += 2;
                    continue;
                }
                const size_t close = ch == u'{' ? text.find(u'}', i + 1) : std::u16string::npos;
                if (close == std::u16string::npos) {
                    AddChar(ch);
                    ++i;
                    continue;
                }
                EndWord(0);
                ApplyTag(NarrowAnsi(text.substr(i + 1, close - i - 1)));
                i = close + 1;
                continue;
            }
            if (ch == u' ' && link_ < 0) {
                size_t spaces = 0;
                while (i < text.size() && text[i] == u' ') {
                    ++spaces;
                    ++i;
                }
                EndWord(static_cast<int32_t>(spaces));
                continue;
            }
            AddChar(ch);
            ++i;
        }
        EndWord(0);
        FinishCell();
        FinishLine(false, 0);
        PlaceLinks();
    }

private:
    const TNyxFont& LinkFont() const {
        const TNyxFont* font = label_.FindFont(fonts_.back());
        return font ? *font : font_;
    }
    int32_t Measure(std::u16string_view text) const {
        return link_ >= 0 ? LinkFont().TextWidth(text) : font_.TextWidth(text);
    }

    void AddChar(char16_t ch) {
        const int32_t width = Measure(std::u16string_view(&ch, 1));
        if (!word_.empty() && wordWidth_ + width > avail_) {
            EndWord(0);
        }
        word_.push_back(ch);
        wordWidth_ += width;
    }

    // The word so far becomes a segment followed by spaces; spaces after no word widen the
    // line's last segment.
    void EndWord(int32_t spaces) {
        if (word_.empty()) {
            if (spaces > 0 && lineStart_ < label_.Segments.size()) {
                label_.Segments.back().Spaces += spaces;
                label_.SpaceWidths.back() += spaces * spaceWidth_;
                pen_ += spaces * spaceWidth_;
            }
            return;
        }
        if (!table_ && pen_ + wordWidth_ > avail_ && lineStart_ < label_.Segments.size()) {
            FinishLine(true, font_.Height);
        }
        TNyxLineRecord segment;
        segment.X = pen_;
        segment.Y = lineY_;
        segment.Color = colors_.back();
        segment.FontName = fonts_.back();
        segment.Width = wordWidth_;
        segment.Spaces = spaces;
        segment.OverColor = -1;
        if (link_ >= 0) {
            segment.OverColor = MakeLink(word_);
        } else {
            segment.Text = word_;
        }
        label_.Segments.push_back(std::move(segment));
        label_.SpaceWidths.push_back(spaces * spaceWidth_);
        pen_ += wordWidth_ + spaces * spaceWidth_;
        word_.clear();
        wordWidth_ = 0;
    }

    int32_t MakeLink(const std::u16string& caption) {
        auto link = std::make_unique<TNyxLabel>();
        link->SetEngine(label_.GetEngine());
        link->OnMouseDown = linkScript_;
        link->SetFontName(fonts_.back());
        link->Height = LinkFont().Height;
        link->Alpha = label_.Alpha;
        link->Color = label_.LinkColor;
        link->MouseOverColor = label_.LinkMouseOverColor;
        link->SetCaption(Utf16ToUtf8(caption));
        label_.Links.push_back(std::move(link));
        return static_cast<int32_t>(label_.Links.size()) - 1;
    }

    // Sum of the widths and spaces of segments [from, to), the last one's spaces left out.
    int32_t RunWidth(size_t from, size_t to) const {
        int32_t width = 0;
        for (size_t s = from; s < to; ++s) {
            width += label_.Segments[s].Width + (s + 1 < to ? label_.SpaceWidths[s] : 0);
        }
        return width;
    }

    // Places segments [from, to) one after the other from x on.
    void PlaceFrom(size_t from, size_t to, int32_t x, const std::vector<int32_t>& extra = {}) {
        for (size_t s = from; s < to; ++s) {
            label_.Segments[s].X = x;
            x += label_.Segments[s].Width + label_.SpaceWidths[s] +
                 (extra.empty() ? 0 : extra[s - from]);
        }
    }

    // Aligns the current line, then moves the pen to the start of the next one, down by
    // advance when the line had text (or always for an explicit break).
    void FinishLine(bool wrapped, int32_t advance, bool always = false) {
        const size_t from = lineStart_;
        const size_t to = label_.Segments.size();
        if (from < to && !table_) {
            const int32_t free = avail_ - RunWidth(from, to);
            switch (alignments_.back()) {
            case TTextAlignment::taLeft:
                break;
            case TTextAlignment::taCenter:
                PlaceFrom(from, to, free / 2);
                break;
            case TTextAlignment::taRight:
                PlaceFrom(from, to, free);
                break;
            case TTextAlignment::taJustify:
                if (wrapped) {
                    Justify(from, to, free);
                }
                break;
            }
        }
        if (from < to || always) {
            lineY_ += advance;
        }
        pen_ = 0;
        lineStart_ = to;
        cellStart_ = to;
    }

    // Whole pixels per space; the first spaces of the line take the remainder.
    void Justify(size_t from, size_t to, int32_t free) {
        int32_t spaces = 0;
        for (size_t s = from; s + 1 < to; ++s) {
            spaces += label_.Segments[s].Spaces;
        }
        if (spaces <= 0 || free <= 0) {
            return;
        }
        const int32_t each = free / spaces;
        int32_t remainder = free % spaces;
        std::vector<int32_t> extra(to - from, 0);
        for (size_t s = from; s + 1 < to; ++s) {
            const int32_t count = label_.Segments[s].Spaces;
            const int32_t bonus = std::min(remainder, count);
            remainder -= bonus;
            extra[s - from] = count * each + bonus;
        }
        PlaceFrom(from, to, label_.Segments[from].X, extra);
    }

    void FinishCell() {
        if (!table_ || !cellOpen_) {
            return;
        }
        const size_t to = label_.Segments.size();
        if (cellStart_ < to) {
            const int32_t width = RunWidth(cellStart_, to);
            int32_t x = cellStop_;
            if (cellKind_ == TStop::Center) {
                x = cellStop_ - width / 2;
            } else if (cellKind_ == TStop::Right) {
                x = cellStop_ - width;
            }
            PlaceFrom(cellStart_, to, x);
        }
        cellOpen_ = false;
        cellStart_ = to;
        pen_ = 0;
    }

    void LineBreak(int32_t advance) {
        FinishCell();
        FinishLine(false, advance, true);
    }

    void StartBlock(TTextAlignment alignment) {
        FinishLine(false, font_.Height);
        alignments_.push_back(alignment);
    }

    void EndBlock() {
        FinishLine(false, font_.Height);
        if (alignments_.size() > 1) {
            alignments_.pop_back();
        }
    }

    void StartCell(TStop kind, int32_t stop) {
        FinishCell();
        cellOpen_ = true;
        cellKind_ = kind;
        cellStop_ = stop;
        cellStart_ = label_.Segments.size();
        pen_ = 0;
    }

    void ApplyTag(const std::string& tag) {
        if (tag == "/$") {
            if (colors_.size() > 1) {
                colors_.pop_back();
            }
        } else if (StartsWith(tag, "$")) {
            uint32_t color = 0;
            const char* end = tag.data() + tag.size();
            const auto [ptr, ec] = std::from_chars(tag.data() + 1, end, color, 16);
            const bool valid = tag.size() > 1 && ec == std::errc() && ptr == end;
            colors_.push_back(valid ? static_cast<int32_t>(color) : colors_.back());
        } else if (tag == "BR/") {
            LineBreak(font_.Height);
        } else if (StartsWith(tag, "BR ")) {
            LineBreak(TagNumber(tag, 3));
        } else if (StartsWith(tag, "HR ")) {
            const int32_t space = TagNumber(tag, 3);
            if (lineStart_ < label_.Segments.size() && cellStart_ < label_.Segments.size()) {
                label_.SpaceWidths.back() += space;
            }
            pen_ += space;
        } else if (tag == "Left" || tag == "Center" || tag == "Right" || tag == "Justify") {
            StartBlock(tag == "Left"     ? TTextAlignment::taLeft
                       : tag == "Center" ? TTextAlignment::taCenter
                       : tag == "Right"  ? TTextAlignment::taRight
                                         : TTextAlignment::taJustify);
        } else if (tag == "/Left" || tag == "/Center" || tag == "/Right" || tag == "/Justify") {
            EndBlock();
        } else if (tag == "Table") {
            FinishLine(false, font_.Height);
            table_ = true;
        } else if (tag == "/Table") {
            FinishCell();
            FinishLine(false, font_.Height);
            table_ = false;
        } else if (StartsWith(tag, "TLeft ")) {
            StartCell(TStop::Left, TagNumber(tag, 6));
        } else if (StartsWith(tag, "TCenter ")) {
            StartCell(TStop::Center, TagNumber(tag, 8));
        } else if (StartsWith(tag, "TRight ")) {
            StartCell(TStop::Right, TagNumber(tag, 7));
        } else if (tag == "/Link") {
            link_ = -1;
        } else if (tag.find("Link Action") != std::string::npos) {
            link_ = 0;
            linkScript_ = tag.size() > 12 ? tag.substr(12) : std::string();
        } else if (StartsWith(tag, "/F")) {
            if (fonts_.size() > 1) {
                fonts_.pop_back();
            }
        } else if (StartsWith(tag, "F")) {
            const size_t nameStart = std::min<size_t>(5, tag.size());
            const size_t nameEnd = tag.find(' ', nameStart);
            fonts_.push_back(tag.substr(
                nameStart, nameEnd == std::string::npos ? std::string::npos : nameEnd - nameStart));
        }
    }

    void PlaceLinks() {
        for (const TNyxLineRecord& segment : label_.Segments) {
            if (segment.OverColor < 0) {
                continue;
            }
            TNyxLabel& link = *label_.Links[static_cast<size_t>(segment.OverColor)];
            link.Width = segment.Width;
            link.SetAlpha(label_.Alpha);
            link.WrapText();
            link.LayoutLines();
            link.SetLeft(label_.ScreenLeft + label_.TextShiftLeft + segment.X);
            link.SetTop(label_.ScreenTop + label_.TextShiftTop + segment.Y);
        }
    }

    TNyxRichLabel& label_;
    const TNyxFont& font_;
    const int32_t avail_;
    const int32_t spaceWidth_;
    std::vector<int32_t> colors_;
    std::vector<std::string> fonts_;
    std::vector<TTextAlignment> alignments_;
    std::u16string word_;
    int32_t wordWidth_ = 0;
    int32_t pen_ = 0;
    int32_t lineY_ = 0;
    size_t lineStart_ = 0;
    bool table_ = false;
    bool cellOpen_ = false;
    TStop cellKind_ = TStop::Left;
    int32_t cellStop_ = 0;
    size_t cellStart_ = 0;
    int32_t link_ = -1;
    std::string linkScript_;
};

} // namespace

const TNyxPropertyTable& TNyxRichLabel::StaticProperties() {
    using C = TNyxRichLabel;
    static const TNyxPropertyTable table(
        &TNyxLabel::StaticProperties(),
        {
            Integer("LinkColor", &C::LinkColor),
            Integer("LinkMouseOverColor", &C::LinkMouseOverColor, &C::SetLinkMouseOverColor),
        });
    return table;
}

TNyxRichLabel::TNyxRichLabel() = default;
TNyxRichLabel::~TNyxRichLabel() = default;

void TNyxRichLabel::Assign(const TNyxObject& source) {
    TNyxLabel::Assign(source);
    const auto* s = dynamic_cast<const TNyxRichLabel*>(&source);
    if (!s) {
        return;
    }
    LinkColor = s->LinkColor;
    LinkMouseOverColor = s->LinkMouseOverColor;
    WrapText();
}

void TNyxRichLabel::WrapText() {
    Segments.clear();
    SpaceWidths.clear();
    Links.clear();
    Lines.clear();
    if (!Font) {
        Font = FindFont(FontName);
    }
    if (!Font || Caption.empty() || Width - TextShiftLeft <= 0) {
        return;
    }
    TLayout layout(*this, *Font);
    layout.Run(Caption);
}

void TNyxRichLabel::SetCaption(const std::string& value) {
    std::string text;
    text.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\r' && i + 1 < value.size() && value[i + 1] == '\n') {
            ++i;
        }
        text.push_back(c == '\r' || c == '\n' || c == '\t' ? ' ' : c);
    }
    Caption = Utf8ToUtf16(text);
    WrapText();
}

void TNyxRichLabel::SetAlpha(uint8_t value) {
    Alpha = value;
    WrapText();
}

void TNyxRichLabel::SetLinkMouseOverColor(int32_t value) {
    LinkMouseOverColor = value;
    WrapText();
}

void TNyxRichLabel::Paint() {
    DrawPicture(Picture, ScreenLeft + PictureLeft, ScreenTop + PictureTop, PictureAlpha);
    if (Font) {
        for (const TNyxLineRecord& segment : Segments) {
            if (segment.OverColor < 0) {
                Font->DrawText(ScreenLeft + TextShiftLeft + segment.X,
                               ScreenTop + TextShiftTop + segment.Y,
                               static_cast<uint32_t>(segment.Color), 255, segment.Text);
            }
        }
    }
    for (const auto& link : Links) {
        link->Paint();
    }
}

void TNyxRichLabel::MouseDown(TNyxButton button, TNyxShift shift, int32_t x, int32_t y) {
    for (const auto& link : Links) {
        link->MouseDown(button, shift, x, y);
    }
}

void TNyxRichLabel::MouseMove(TNyxShift shift, int32_t x, int32_t y) {
    for (const auto& link : Links) {
        link->MouseMove(shift, x, y);
    }
}

void TNyxRichLabel::PointerLeft() {
    TNyxLabel::PointerLeft();
    for (const auto& link : Links) {
        link->PointerLeft();
    }
}

void RegisterInputControlClasses() {
    TNyxClassReg& registry = TNyxClassReg::Global();
    registry.Register<TNyxEdit>();
    registry.Register<TNyxSlider>();
    registry.Register<TNyxGrid>();
    registry.Register<TNyxRichLabel>();
}

} // namespace qz
