#pragma once
// A bar filled with repeated step pictures in proportion to its position.

#include "ui/NyxInterfaceClasses.h"

namespace qz {

class TNyxProgressBar : public TNyxInterfaceObject {
public:
    static constexpr std::string_view StaticClassName = "TNyxProgressBar";
    static const TNyxPropertyTable& StaticProperties();

    std::string_view ClassName() const override { return StaticClassName; }
    const TNyxPropertyTable& Properties() const override { return StaticProperties(); }
    void Assign(const TNyxObject& source) override;

    // The background, then StepCount() copies of BarPicture side by side.
    void Paint() override;
    // round((Width - 2 * BarShiftLeft) / StepWidth * (Position - Min) / (Max - Min)), halves
    // to even; 0 when StepWidth is 0 or Max equals Min.
    int32_t StepCount() const;

    std::string BarPicture;
    int32_t BarShiftLeft = 0;
    int32_t BarShiftTop = 0;
    int32_t Min = 0;
    int32_t Max = 0;
    int32_t Position = 0;
    int32_t StepWidth = 0;
};

} // namespace qz
