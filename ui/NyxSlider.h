#pragma once
// A scroll bar or volume slider: a track picture, a draggable bar picture and two step
// buttons at the ends. Linked to a grid it scrolls the grid's rows. A change of position
// queues the OnChange script.

#include "ui/NyxInterfaceClasses.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace qz {

class TNyxGrid;
class TNyxLabel;

enum class TTrackBarOrientation : uint8_t { trHorizontal, trVertical };

class TNyxSlider : public TNyxInterfaceObject {
public:
    static constexpr std::string_view StaticClassName = "TNyxSlider";
    static const TNyxPropertyTable& StaticProperties();

    TNyxSlider();
    ~TNyxSlider() override;

    std::string_view ClassName() const override { return StaticClassName; }
    const TNyxPropertyTable& Properties() const override { return StaticProperties(); }
    void Assign(const TNyxObject& source) override;

    // Also lays the buttons out.
    void SetWidth(int32_t value) override;
    // Also moves the buttons with the slider.
    void UpdatePosition() override;
    // The track, the bar and the step buttons.
    void Paint() override;
    void MouseDown(TNyxButton button, TNyxShift shift, int32_t x, int32_t y) override;
    void MouseMove(TNyxShift shift, int32_t x, int32_t y) override;
    void MouseUp(TNyxButton button, TNyxShift shift, int32_t x, int32_t y) override;
    void PointerLeft() override;

    // Clamped to Min..Max; a change queues OnChange and moves a linked grid.
    void SetPosition(int32_t value);
    // With a linked grid the range follows the grid's rows instead.
    void SetMax(int32_t value);
    void SetOrientation(TTrackBarOrientation value);
    void SetLinkedObjectName(const std::string& value);
    void SetUpPicture(const std::string& value);
    void SetDownPicture(const std::string& value);

    // The bar's distance from the track's start along the slider's axis.
    int32_t BarOffset() const;
    // Each button centred across the slider at its own end, sized by its picture.
    void LayoutButtons();

    TNyxLabel& UpButton() const { return *upButton_; }
    TNyxLabel& DownButton() const { return *downButton_; }

    // Not owned: the linked grid, or nullptr.
    TNyxGrid* Grid = nullptr;
    std::string LinkedObjectName;
    bool Dragging = false;
    bool OverSlider = false;
    TTrackBarOrientation Orientation = TTrackBarOrientation::trHorizontal;
    int32_t Position = 0;
    int32_t Max = 0;
    int32_t Min = 0;
    std::string MouseOverBarPicture;
    std::string BarPicture;
    int32_t BarShiftLeft = 0;
    int32_t BarShiftTop = 0;
    int32_t Step = 0;
    int32_t BigStep = 0;
    std::string ButtonsSound;
    std::string OnChange;

private:
    // The measures along the slider's axis.
    struct TAxis {
        int32_t Pointer, Start, PictureOffset, BarLength, TrackLength, BarShift, Length, UpLength,
            DownLength;
    };
    TAxis Axis(int32_t x, int32_t y) const;

    std::unique_ptr<TNyxLabel> upButton_;
    std::unique_ptr<TNyxLabel> downButton_;
};

} // namespace qz
