#include "ui/NyxHint.h"

#include "fonts/NyxFont.h"
#include "fonts/NyxInterface.h"
#include "ui/NyxInterfaceEngine.h"

namespace qz {

using namespace nyxprop;

const TNyxPropertyTable& TNyxHint::StaticProperties() {
    using C = TNyxHint;
    static const TNyxPropertyTable table(&TNyxRichLabel::StaticProperties(),
                                         {
                                             Integer("ShowTime", &C::ShowTime),
                                             Integer("BackGroundColor", &C::BackGroundColor),
                                             Byte("BackGroundAlpha", &C::BackGroundAlpha),
                                         });
    return table;
}

void TNyxHint::Assign(const TNyxObject& source) {
    TNyxRichLabel::Assign(source);
    if (const auto* s = dynamic_cast<const TNyxHint*>(&source)) {
        ShowTime = s->ShowTime;
        BackGroundColor = s->BackGroundColor;
        BackGroundAlpha = s->BackGroundAlpha;
        ShowStart = s->ShowStart;
    }
}

int32_t TNyxHint::TextHeight() {
    const int32_t fontHeight = EnsureFont() ? Font->Height : 0;
    const int32_t lastY = Segments.empty() ? 0 : Segments.back().Y;
    return lastY + TextShiftTop + fontHeight;
}

uint32_t TNyxHint::Now() const {
    const TNyxInterfaceEngine* engine = InterfaceEngine();
    return engine ? engine->Ticks() : 0;
}

void TNyxHint::Show() {
    if (Segments.empty()) {
        return;
    }
    Visible = true;
    ShowStart = Now();
    SetHeight(TextHeight());
}

void TNyxHint::ShowAt(int32_t x, int32_t y) {
    Visible = true;
    ShowStart = Now();
    const int32_t h = TextHeight();
    Height = h;
    const int32_t w = Width;
    if (x < w) {
        ScreenLeft = x;
    } else if (x > w) {
        ScreenLeft = x - w;
    }
    if (y < h) {
        ScreenTop = y;
    } else if (y > h) {
        ScreenTop = y - h;
    }
}

void TNyxHint::Paint() {
    const int64_t end = static_cast<int64_t>(ShowStart) + ShowTime;
    if (end < 0 || static_cast<int64_t>(Now()) >= end) {
        Visible = false;
    }
    if (INyxGraphic* host = Host()) {
        host->DrawRect(std::string(),
                       TRect{ScreenLeft, ScreenTop, ScreenLeft + Width, ScreenTop + Height},
                       static_cast<uint32_t>(BackGroundColor), BackGroundAlpha, 1);
    }
    TNyxRichLabel::Paint();
}

} // namespace qz
