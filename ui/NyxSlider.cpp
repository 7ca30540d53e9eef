#include "ui/NyxSlider.h"

#include "ui/NyxGrid.h"
#include "ui/NyxLabel.h"

#include <algorithm>
#include <cmath>

namespace qz {

using namespace nyxprop;

namespace {

// Nearest integer, halves to even.
int32_t RoundEven(double value) {
    return static_cast<int32_t>(std::clamp(std::nearbyint(value), -2147483648.0, 2147483647.0));
}

// A string row stored in one of the button labels' fields.
template <class Field>
TNyxProperty ButtonText(std::string name, TNyxLabel& (TNyxSlider::*button)() const, Field field,
                        void (TNyxSlider::*setter)(const std::string&) = nullptr) {
    return TextAccessor<TNyxSlider>(
        std::move(name), TNyxPropKind::String,
        [button, field](const TNyxSlider& s) { return (s.*button)().*field; },
        [button, field, setter](TNyxSlider& s, const std::string& v) {
            if (setter) {
                (s.*setter)(v);
            } else {
                (s.*button)().*field = v;
            }
        });
}

} // namespace

const TNyxPropertyTable& TNyxSlider::StaticProperties() {
    using C = TNyxSlider;
    static const TNyxPropertyTable table(
        &TNyxInterfaceObject::StaticProperties(),
        {
            String("LinkedObjectName", &C::LinkedObjectName, &C::SetLinkedObjectName),
            String("BarPicture", &C::BarPicture),
            Integer("BarShiftLeft", &C::BarShiftLeft),
            Integer("BarShiftTop", &C::BarShiftTop),
            String("MouseOverBarPicture", &C::MouseOverBarPicture),
            Integer("Max", &C::Max, &C::SetMax),
            Integer("Min", &C::Min),
            Integer("Step", &C::Step),
            Integer("BigStep", &C::BigStep),
            Enumeration("Orientation", &C::Orientation, {"trHorizontal", "trVertical"},
                        &C::SetOrientation),
            Integer("Position", &C::Position, &C::SetPosition),
            ButtonText("UpPicture", &C::UpButton, &TNyxLabel::Picture, &C::SetUpPicture),
            ButtonText("UpMouseOverPicture", &C::UpButton, &TNyxLabel::MouseOverPicture),
            ButtonText("UpMouseDownPicture", &C::UpButton, &TNyxLabel::MouseDownPicture),
            ButtonText("DownPicture", &C::DownButton, &TNyxLabel::Picture, &C::SetDownPicture),
            ButtonText("DownMouseOverPicture", &C::DownButton, &TNyxLabel::MouseOverPicture),
            ButtonText("DownMouseDownPicture", &C::DownButton, &TNyxLabel::MouseDownPicture),
            String("ButtonsSound", &C::ButtonsSound),
            String("OnChange", &C::OnChange),
        });
    return table;
}

TNyxSlider::TNyxSlider()
    : upButton_(std::make_unique<TNyxLabel>()), downButton_(std::make_unique<TNyxLabel>()) {}

TNyxSlider::~TNyxSlider() = default;

void TNyxSlider::Assign(const TNyxObject& source) {
    TNyxInterfaceObject::Assign(source);
    const auto* s = dynamic_cast<const TNyxSlider*>(&source);
    if (!s) {
        return;
    }
    Grid = s->Grid;
    LinkedObjectName = s->LinkedObjectName;
    Dragging = s->Dragging;
    OverSlider = s->OverSlider;
    Orientation = s->Orientation;
    Position = s->Position;
    Max = s->Max;
    Min = s->Min;
    MouseOverBarPicture = s->MouseOverBarPicture;
    BarPicture = s->BarPicture;
    BarShiftLeft = s->BarShiftLeft;
    BarShiftTop = s->BarShiftTop;
    Step = s->Step;
    BigStep = s->BigStep;
    ButtonsSound = s->ButtonsSound;
    OnChange = s->OnChange;
    upButton_->Assign(*s->upButton_);
    downButton_->Assign(*s->downButton_);
}

void TNyxSlider::SetWidth(int32_t value) {
    TNyxInterfaceObject::SetWidth(value);
    LayoutButtons();
}

void TNyxSlider::UpdatePosition() {
    TNyxInterfaceObject::UpdatePosition();
    LayoutButtons();
}

void TNyxSlider::SetOrientation(TTrackBarOrientation value) {
    Orientation = value;
    LayoutButtons();
}

void TNyxSlider::SetUpPicture(const std::string& value) {
    upButton_->Picture = value;
    LayoutButtons();
}

void TNyxSlider::SetDownPicture(const std::string& value) {
    downButton_->Picture = value;
    LayoutButtons();
}

void TNyxSlider::LayoutButtons() {
    for (TNyxLabel* button : {upButton_.get(), downButton_.get()}) {
        button->SetEngine(GetEngine());
        button->PictureAlpha = PictureAlpha;
        const TPoint size = PictureSize(button->Picture);
        button->Width = size.X;
        button->Height = size.Y;
    }
    TNyxLabel& up = *upButton_;
    TNyxLabel& down = *downButton_;
    if (Orientation == TTrackBarOrientation::trVertical) {
        up.Left = ScreenLeft + (Width - up.Width) / 2;
        up.Top = ScreenTop;
        down.Left = ScreenLeft + (Width - down.Width) / 2;
        down.Top = ScreenTop + Height - down.Height;
    } else {
        up.Left = ScreenLeft;
        up.Top = ScreenTop + (Height - up.Height) / 2;
        down.Left = ScreenLeft + Width - down.Width;
        down.Top = ScreenTop + (Height - down.Height) / 2;
    }
    up.UpdatePosition();
    down.UpdatePosition();
}

void TNyxSlider::SetPosition(int32_t value) {
    if (value < Min) {
        value = Min;
    }
    if (value > Max) {
        value = Max;
    }
    if (value == Position) {
        return;
    }
    Position = value;
    QueueScript(OnChange);
    if (Grid) {
        Grid->SetPosition(value);
    }
}

void TNyxSlider::SetMax(int32_t value) {
    Max = Grid ? Grid->SliderMax() : value;
}

void TNyxSlider::SetLinkedObjectName(const std::string& value) {
    LinkedObjectName = value;
    TNyxEngine* engine = GetEngine();
    auto* grid = engine ? dynamic_cast<TNyxGrid*>(engine->FindObject(value)) : nullptr;
    if (grid) {
        Grid = grid;
        grid->Slider = this;
        grid->LinkedObjectName = GetName();
        Max = grid->RowCount - 1;
    }
}

int32_t TNyxSlider::BarOffset() const {
    if (Max == Min) {
        return 0;
    }
    const TPoint track = PictureSize(Picture);
    const TPoint bar = PictureSize(BarPicture);
    const double share = static_cast<double>(Position - Min) / (Max - Min);
    if (Orientation == TTrackBarOrientation::trVertical) {
        return RoundEven(share * (track.Y - 2 * BarShiftTop - bar.Y)) + BarShiftTop;
    }
    return RoundEven(share * (track.X - 2 * BarShiftLeft - bar.X)) + BarShiftLeft;
}

TNyxSlider::TAxis TNyxSlider::Axis(int32_t x, int32_t y) const {
    const TPoint track = PictureSize(Picture);
    const TPoint bar = PictureSize(BarPicture);
    if (Orientation == TTrackBarOrientation::trVertical) {
        return {y,      ScreenTop,         PictureTop,         bar.Y, track.Y, BarShiftTop,
                Height, upButton_->Height, downButton_->Height};
    }
    return {x,     ScreenLeft,       PictureLeft,       bar.X, track.X, BarShiftLeft,
            Width, upButton_->Width, downButton_->Width};
}

void TNyxSlider::Paint() {
    TNyxInterfaceObject::Paint();
    const std::string& barPicture =
        OverSlider && !MouseOverBarPicture.empty() ? MouseOverBarPicture : BarPicture;
    const TPoint bar = PictureSize(BarPicture);
    const int32_t offset = BarOffset();
    if (Orientation == TTrackBarOrientation::trVertical) {
        DrawPicture(barPicture, ScreenLeft + BarShiftLeft + (Width - bar.X) / 2,
                    ScreenTop + PictureTop + offset, PictureAlpha);
    } else {
        DrawPicture(barPicture, ScreenLeft + PictureLeft + offset,
                    ScreenTop + BarShiftTop + (Height - bar.Y) / 2, PictureAlpha);
    }
    for (TNyxLabel* button : {upButton_.get(), downButton_.get()}) {
        if (!button->Picture.empty()) {
            button->Paint();
        }
    }
}

void TNyxSlider::MouseDown(TNyxButton button, TNyxShift shift, int32_t x, int32_t y) {
    Dragging = false;
    upButton_->Down = false;
    downButton_->Down = false;
    if (!Contains(x, y) || (shift & nyxshift::ssLeft) == 0) {
        return;
    }
    upButton_->MouseDown(button, shift, x, y);
    downButton_->MouseDown(button, shift, x, y);
    const TAxis a = Axis(x, y);
    const int32_t t0 = a.Start + a.PictureOffset;
    const int32_t b0 = t0 + BarOffset();
    if (b0 <= a.Pointer && a.Pointer <= b0 + a.BarLength) {
        Dragging = true;
        return;
    }
    if (t0 + a.BarShift <= a.Pointer && a.Pointer < b0) {
        SetPosition(Position - BigStep);
    }
    if (b0 + a.BarLength < a.Pointer && a.Pointer <= t0 + a.TrackLength - a.BarShift) {
        SetPosition(Position + BigStep);
    }
    if (a.Start <= a.Pointer && a.Pointer <= a.Start + a.UpLength) {
        SetPosition(Position - Step);
    }
    if (a.Start + a.Length - a.DownLength < a.Pointer && a.Pointer < a.Start + a.Length) {
        SetPosition(Position + Step);
    }
}

void TNyxSlider::MouseMove(TNyxShift shift, int32_t x, int32_t y) {
    OverSlider = false;
    upButton_->Over = false;
    downButton_->Over = false;
    if (!Dragging && !Contains(x, y)) {
        return;
    }
    OverSlider = true;
    upButton_->MouseMove(shift, x, y);
    downButton_->MouseMove(shift, x, y);
    if (!Dragging || (shift & nyxshift::ssLeft) == 0 || Max == Min || Step <= 0) {
        return;
    }
    const TAxis a = Axis(x, y);
    const double range = a.TrackLength - 2.0 * a.BarShift - a.BarLength;
    if (range <= 0) {
        return;
    }
    const double along = a.Pointer - a.Start - a.PictureOffset - a.BarLength / 2.0 - a.BarShift;
    const int32_t p = RoundEven(along / (range / (Max - Min))) + Min;
    SetPosition(RoundEven(static_cast<double>(p) / Step) * Step);
}

void TNyxSlider::PointerLeft() {
    OverSlider = false;
    Dragging = false;
    upButton_->PointerLeft();
    downButton_->PointerLeft();
}

void TNyxSlider::MouseUp(TNyxButton, TNyxShift, int32_t, int32_t) {
    Dragging = false;
    upButton_->Down = false;
    downButton_->Down = false;
}

} // namespace qz
