#include "ui/NyxProgressBar.h"

#include <cmath>

namespace qz {

using namespace nyxprop;

const TNyxPropertyTable& TNyxProgressBar::StaticProperties() {
    using C = TNyxProgressBar;
    static const TNyxPropertyTable table(&TNyxInterfaceObject::StaticProperties(),
                                         {
                                             String("BarPicture", &C::BarPicture),
                                             Integer("BarShiftLeft", &C::BarShiftLeft),
                                             Integer("BarShiftTop", &C::BarShiftTop),
                                             Integer("Min", &C::Min),
                                             Integer("Max", &C::Max),
                                             Integer("Position", &C::Position),
                                             Integer("StepWidth", &C::StepWidth),
                                         });
    return table;
}

void TNyxProgressBar::Assign(const TNyxObject& source) {
    TNyxInterfaceObject::Assign(source);
    if (const auto* s = dynamic_cast<const TNyxProgressBar*>(&source)) {
        BarPicture = s->BarPicture;
        BarShiftLeft = s->BarShiftLeft;
        BarShiftTop = s->BarShiftTop;
        Min = s->Min;
        Max = s->Max;
        Position = s->Position;
        StepWidth = s->StepWidth;
    }
}

int32_t TNyxProgressBar::StepCount() const {
    if (StepWidth == 0 || Max == Min) {
        return 0;
    }
    const double track = static_cast<double>(Width) - 2.0 * BarShiftLeft;
    const double full = track / StepWidth;
    const double steps =
        full * (static_cast<double>(Position) - Min) / (static_cast<double>(Max) - Min);
    // A position beyond Max shows a full bar rather than steps past its end.
    const double limit = std::max(0.0, std::nearbyint(full));
    const double n = std::nearbyint(steps);
    if (!(n > 0)) {
        return 0;
    }
    return static_cast<int32_t>(std::min(n, limit));
}

void TNyxProgressBar::Paint() {
    TNyxInterfaceObject::Paint();
    const int32_t count = StepCount();
    for (int32_t k = 0; k < count; ++k) {
        const int64_t x =
            static_cast<int64_t>(ScreenLeft) + BarShiftLeft + static_cast<int64_t>(k) * StepWidth;
        DrawPicture(BarPicture, static_cast<int32_t>(x), ScreenTop + BarShiftTop, PictureAlpha);
    }
}

} // namespace qz
