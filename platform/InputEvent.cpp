#include "platform/InputEvent.h"

#include <utility>

namespace qz {

namespace {

TShiftState ButtonState(TMouseButton button) {
    switch (button) {
    case TMouseButton::mbLeft:
        return ssLeft;
    case TMouseButton::mbRight:
        return ssRight;
    case TMouseButton::mbMiddle:
        return ssMiddle;
    }
    return 0;
}

} // namespace

TInputEvent TInputEvent::MouseMove(int32_t x, int32_t y, TShiftState shift) {
    TInputEvent e;
    e.Kind = TInputKind::MouseMove;
    e.X = x;
    e.Y = y;
    e.Shift = shift;
    return e;
}

TInputEvent TInputEvent::MouseDown(TMouseButton button, int32_t x, int32_t y, TShiftState shift,
                                   bool doubleClick) {
    shift |= ButtonState(button);
    TInputEvent e = MouseMove(x, y, doubleClick ? shift | ssDouble : shift);
    e.Kind = TInputKind::MouseDown;
    e.Button = button;
    e.DoubleClick = doubleClick;
    return e;
}

TInputEvent TInputEvent::MouseUp(TMouseButton button, int32_t x, int32_t y, TShiftState shift) {
    TInputEvent e = MouseMove(x, y, shift & ~ButtonState(button));
    e.Kind = TInputKind::MouseUp;
    e.Button = button;
    return e;
}

TInputEvent TInputEvent::MouseWheel(int32_t delta, int32_t x, int32_t y, TShiftState shift) {
    TInputEvent e = MouseMove(x, y, shift);
    e.Kind = TInputKind::MouseWheel;
    e.WheelDelta = delta;
    return e;
}

TInputEvent TInputEvent::KeyDown(uint16_t key, TShiftState shift, bool repeat) {
    TInputEvent e;
    e.Kind = TInputKind::KeyDown;
    e.Key = key;
    e.Shift = shift;
    e.Repeat = repeat;
    return e;
}

TInputEvent TInputEvent::KeyUp(uint16_t key, TShiftState shift) {
    TInputEvent e = KeyDown(key, shift);
    e.Kind = TInputKind::KeyUp;
    return e;
}

TInputEvent TInputEvent::Typed(std::string utf8) {
    TInputEvent e;
    e.Kind = TInputKind::Text;
    e.Text = std::move(utf8);
    return e;
}

TInputEvent TInputEvent::FocusGained() {
    TInputEvent e;
    e.Kind = TInputKind::FocusGained;
    return e;
}

TInputEvent TInputEvent::FocusLost() {
    TInputEvent e;
    e.Kind = TInputKind::FocusLost;
    return e;
}

TInputEvent TInputEvent::Quit() {
    TInputEvent e;
    e.Kind = TInputKind::Quit;
    return e;
}

} // namespace qz
