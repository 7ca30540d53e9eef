#include "ui/NyxInterfaceClasses.h"

#include "fonts/NyxFontEngine.h"
#include "fonts/NyxInterface.h"
#include "ui/NyxForm.h"
#include "ui/NyxInterfaceEngine.h"

#include <algorithm>

namespace qz {

using namespace nyxprop;

namespace {

// Positions and sizes come from description and language files; held within a range no
// screen comes near, the sums of a control's place cannot overflow.
int32_t Coordinate(int32_t value) {
    constexpr int32_t Limit = 1 << 20;
    return std::clamp(value, -Limit, Limit);
}

} // namespace

const TNyxPropertyTable& TNyxInterfaceObject::StaticProperties() {
    using C = TNyxInterfaceObject;
    static const TNyxPropertyTable table(
        &TNyxObject::StaticProperties(),
        {
            Integer("Left", &C::Left, &C::SetLeft),
            Integer("Top", &C::Top, &C::SetTop),
            Enumeration("AutoSize", &C::AutoSize, {"asNone", "asPicture", "asCaption"},
                        &C::SetAutoSize),
            String("Picture", &C::Picture, &C::SetPicture),
            Enumeration("PictureHAlign", &C::PictureHAlign, {"phaLeft", "phaCenter", "phaRight"},
                        &C::SetPictureHAlign),
            Enumeration("PictureVAlign", &C::PictureVAlign, {"pvaTop", "pvaCenter", "pvaBottom"},
                        &C::SetPictureVAlign),
            Byte("PictureAlpha", &C::PictureAlpha),
            Integer("Width", &C::Width, &C::SetWidth),
            Integer("Height", &C::Height, &C::SetHeight),
            Enumeration("HAlign", &C::HAlign,
                        {"haNone", "haLeft", "haCenter", "haRight", "haJustify"}, &C::SetHAlign),
            Enumeration("VAlign", &C::VAlign,
                        {"vaNone", "vaTop", "vaCenter", "vaBottom", "vaJustify"}, &C::SetVAlign),
            Integer("ShiftLeft", &C::ShiftLeft, &C::SetShiftLeft),
            Integer("ShiftTop", &C::ShiftTop, &C::SetShiftTop),
            Boolean("Visible", &C::Visible, &C::SetVisible),
            String("OnKeyDown", &C::OnKeyDown),
            String("OnKeyPress", &C::OnKeyPress),
            String("OnKeyUp", &C::OnKeyUp),
            String("OnMouseDown", &C::OnMouseDown),
            String("OnMouseMove", &C::OnMouseMove),
            String("OnMouseUp", &C::OnMouseUp),
            String("OnMouseWheel", &C::OnMouseWheel),
            String("SoundKeyDown", &C::SoundKeyDown),
            String("SoundKeyPress", &C::SoundKeyPress),
            String("SoundKeyUp", &C::SoundKeyUp),
            String("SoundMouseDown", &C::SoundMouseDown),
            String("SoundMouseMove", &C::SoundMouseMove),
            String("SoundMouseUp", &C::SoundMouseUp),
            String("SoundMouseWheel", &C::SoundMouseWheel),
        });
    return table;
}

void TNyxInterfaceObject::Assign(const TNyxObject& source) {
    TNyxObject::Assign(source);
    const auto* s = dynamic_cast<const TNyxInterfaceObject*>(&source);
    if (!s) {
        return;
    }
    Left = s->Left;
    Top = s->Top;
    ScreenLeft = s->ScreenLeft;
    ScreenTop = s->ScreenTop;
    AutoSize = s->AutoSize;
    Picture = s->Picture;
    PictureHAlign = s->PictureHAlign;
    PictureVAlign = s->PictureVAlign;
    PictureLeft = s->PictureLeft;
    PictureTop = s->PictureTop;
    PictureAlpha = s->PictureAlpha;
    Width = s->Width;
    Height = s->Height;
    HAlign = s->HAlign;
    VAlign = s->VAlign;
    ShiftLeft = s->ShiftLeft;
    ShiftTop = s->ShiftTop;
    Visible = s->Visible;
    OnKeyDown = s->OnKeyDown;
    OnKeyPress = s->OnKeyPress;
    OnKeyUp = s->OnKeyUp;
    OnMouseDown = s->OnMouseDown;
    OnMouseMove = s->OnMouseMove;
    OnMouseUp = s->OnMouseUp;
    OnMouseWheel = s->OnMouseWheel;
    SoundKeyDown = s->SoundKeyDown;
    SoundKeyPress = s->SoundKeyPress;
    SoundKeyUp = s->SoundKeyUp;
    SoundMouseDown = s->SoundMouseDown;
    SoundMouseMove = s->SoundMouseMove;
    SoundMouseUp = s->SoundMouseUp;
    SoundMouseWheel = s->SoundMouseWheel;
}

void TNyxInterfaceObject::SetWidth(int32_t value) {
    if (AutoSize != TAutoSizeType::asNone) {
        return;
    }
    Width = Coordinate(value);
    Align();
    UpdatePosition();
    PlacePicture();
}

void TNyxInterfaceObject::SetHeight(int32_t value) {
    if (AutoSize != TAutoSizeType::asNone) {
        return;
    }
    Height = Coordinate(value);
    Align();
    UpdatePosition();
    PlacePicture();
}

void TNyxInterfaceObject::SetAutoSize(TAutoSizeType value) {
    AutoSize = value;
    SizeFromPicture();
    if (value != TAutoSizeType::asCaption) {
        Align();
        UpdatePosition();
    }
}

void TNyxInterfaceObject::SetVisible(bool value) {
    Visible = value;
}

std::string TNyxInterfaceObject::GetPictures() const {
    return Picture;
}

void TNyxInterfaceObject::UpdatePosition() {
    if (const TNyxInterfaceObject* parent = ParentControl()) {
        ScreenLeft = parent->ScreenLeft + Left;
        ScreenTop = parent->ScreenTop + Top;
    } else {
        ScreenLeft = Left;
        ScreenTop = Top;
    }
}

void TNyxInterfaceObject::KeyDown(uint16_t&, TNyxShift) {}
void TNyxInterfaceObject::KeyPress(char&) {}
void TNyxInterfaceObject::KeyUp(uint16_t&, TNyxShift) {}
void TNyxInterfaceObject::MouseDown(TNyxButton, TNyxShift, int32_t, int32_t) {}
void TNyxInterfaceObject::MouseMove(TNyxShift, int32_t, int32_t) {}
void TNyxInterfaceObject::MouseUp(TNyxButton, TNyxShift, int32_t, int32_t) {}
void TNyxInterfaceObject::MouseWheel(TNyxShift, int32_t, TPoint, bool&) {}

void TNyxInterfaceObject::PointerLeft() {}

void TNyxInterfaceObject::Paint() {
    DrawPicture(Picture, ScreenLeft + PictureLeft, ScreenTop + PictureTop, PictureAlpha);
}

void TNyxInterfaceObject::SetLeft(int32_t value) {
    if (HAlign != THAlignType::haNone) {
        return;
    }
    Left = Coordinate(value);
    UpdatePosition();
}

void TNyxInterfaceObject::SetTop(int32_t value) {
    if (VAlign != TVAlignType::vaNone) {
        return;
    }
    Top = Coordinate(value);
    UpdatePosition();
}

void TNyxInterfaceObject::SetPicture(const std::string& value) {
    Picture = value;
    if (AutoSize == TAutoSizeType::asCaption) {
        return;
    }
    SizeFromPicture();
    Align();
    UpdatePosition();
    PlacePicture();
}

void TNyxInterfaceObject::SetPictureHAlign(TPictureHAlignType value) {
    PictureHAlign = value;
    PlacePicture();
}

void TNyxInterfaceObject::SetPictureVAlign(TPictureVAlignType value) {
    PictureVAlign = value;
    PlacePicture();
}

void TNyxInterfaceObject::SetHAlign(THAlignType value) {
    HAlign = value;
    Align();
    UpdatePosition();
}

void TNyxInterfaceObject::SetVAlign(TVAlignType value) {
    VAlign = value;
    Align();
    UpdatePosition();
}

void TNyxInterfaceObject::SetShiftLeft(int32_t value) {
    ShiftLeft = Coordinate(value);
    Align();
    UpdatePosition();
}

void TNyxInterfaceObject::SetShiftTop(int32_t value) {
    ShiftTop = Coordinate(value);
    Align();
    UpdatePosition();
}

void TNyxInterfaceObject::ReferenceSize(int32_t& width, int32_t& height) const {
    width = 0;
    height = 0;
    if (const TNyxInterfaceObject* parent = ParentControl()) {
        width = parent->Width;
        height = parent->Height;
    } else if (INyxGraphic* host = Host()) {
        host->GetScreenSize(width, height);
    }
}

void TNyxInterfaceObject::Align() {
    int32_t refWidth = 0;
    int32_t refHeight = 0;
    ReferenceSize(refWidth, refHeight);
    switch (HAlign) {
    case THAlignType::haNone:
        break;
    case THAlignType::haLeft:
        Left = ShiftLeft;
        break;
    case THAlignType::haCenter:
        Left = ShiftLeft + refWidth / 2 - Width / 2;
        break;
    case THAlignType::haRight:
        Left = ShiftLeft + refWidth - Width;
        break;
    case THAlignType::haJustify:
        if (AutoSize == TAutoSizeType::asNone) {
            Left = 0;
            Width = refWidth;
        }
        break;
    }
    switch (VAlign) {
    case TVAlignType::vaNone:
        break;
    case TVAlignType::vaTop:
        Top = ShiftTop;
        break;
    case TVAlignType::vaCenter:
        Top = ShiftTop + refHeight / 2 - Height / 2;
        break;
    case TVAlignType::vaBottom:
        Top = ShiftTop + refHeight - Height;
        break;
    case TVAlignType::vaJustify:
        if (AutoSize == TAutoSizeType::asNone) {
            Top = 0;
            Height = refHeight;
        }
        break;
    }
}

void TNyxInterfaceObject::SizeFromPicture() {
    if (AutoSize != TAutoSizeType::asPicture) {
        return;
    }
    const TPoint size = PictureSize(Picture);
    if (size.X > 0 && size.Y > 0) {
        Width = size.X;
        Height = size.Y;
    }
}

void TNyxInterfaceObject::PlacePicture() {
    if (Picture.empty()) {
        return;
    }
    const TPoint size = PictureSize(Picture);
    if (size.X < 1 || size.Y < 1) {
        return;
    }
    switch (PictureHAlign) {
    case TPictureHAlignType::phaLeft:
        PictureLeft = 0;
        break;
    case TPictureHAlignType::phaCenter:
        PictureLeft = Width / 2 - size.X / 2;
        break;
    case TPictureHAlignType::phaRight:
        PictureLeft = Width - size.X;
        break;
    }
    switch (PictureVAlign) {
    case TPictureVAlignType::pvaTop:
        PictureTop = 0;
        break;
    case TPictureVAlignType::pvaCenter:
        PictureTop = Height / 2 - size.Y / 2;
        break;
    case TPictureVAlignType::pvaBottom:
        PictureTop = Height - size.Y;
        break;
    }
}

bool TNyxInterfaceObject::Contains(int32_t x, int32_t y) const {
    const int64_t right = static_cast<int64_t>(ScreenLeft) + Width;
    const int64_t bottom = static_cast<int64_t>(ScreenTop) + Height;
    return ScreenLeft <= x && x < right && ScreenTop <= y && y < bottom;
}

TNyxInterfaceEngine* TNyxInterfaceObject::InterfaceEngine() const {
    return dynamic_cast<TNyxInterfaceEngine*>(GetEngine());
}

INyxGraphic* TNyxInterfaceObject::Host() const {
    const TNyxInterfaceEngine* engine = InterfaceEngine();
    return engine ? engine->Host() : nullptr;
}

TNyxFontEngine* TNyxInterfaceObject::FontEngine() const {
    const TNyxInterfaceEngine* engine = InterfaceEngine();
    return engine ? engine->FontEngine() : nullptr;
}

TNyxFont* TNyxInterfaceObject::FindFont(std::string_view name) const {
    const TNyxFontEngine* fonts = FontEngine();
    return fonts ? fonts->FindFont(name) : nullptr;
}

TNyxInterfaceObject* TNyxInterfaceObject::ParentControl() const {
    return dynamic_cast<TNyxInterfaceObject*>(ParentObject);
}

TNyxForm* TNyxInterfaceObject::ParentForm() const {
    return dynamic_cast<TNyxForm*>(ParentObject);
}

void TNyxInterfaceObject::DrawPicture(const std::string& picture, int32_t x, int32_t y,
                                      uint8_t alpha) const {
    if (INyxGraphic* host = Host()) {
        host->Draw(picture, std::string(), x, y, alpha);
    }
}

TPoint TNyxInterfaceObject::PictureSize(const std::string& picture) const {
    TPoint size;
    if (INyxGraphic* host = Host()) {
        host->GetPictureSize(size.X, size.Y, picture);
    }
    return size;
}

void TNyxInterfaceObject::QueueEvent(TNyxEvent event) {
    const std::string* script = nullptr;
    const std::string* sound = nullptr;
    switch (event) {
    case TNyxEvent::KeyDown:
        script = &OnKeyDown;
        sound = &SoundKeyDown;
        break;
    case TNyxEvent::KeyPress:
        script = &OnKeyPress;
        sound = &SoundKeyPress;
        break;
    case TNyxEvent::KeyUp:
        script = &OnKeyUp;
        sound = &SoundKeyUp;
        break;
    case TNyxEvent::MouseDown:
        script = &OnMouseDown;
        sound = &SoundMouseDown;
        break;
    case TNyxEvent::MouseMove:
        script = &OnMouseMove;
        sound = &SoundMouseMove;
        break;
    case TNyxEvent::MouseUp:
        script = &OnMouseUp;
        sound = &SoundMouseUp;
        break;
    case TNyxEvent::MouseWheel:
        script = &OnMouseWheel;
        sound = &SoundMouseWheel;
        break;
    }
    if (sound->empty()) {
        QueueScript(*script);
    } else {
        QueueScript("PlaySound Sound=\"" + *sound + "\";" + *script);
    }
}

void TNyxInterfaceObject::QueueScript(const std::string& script) {
    if (TNyxInterfaceEngine* engine = InterfaceEngine()) {
        engine->AddScript(GetName(), script);
    }
}

const TNyxPropertyTable& TNyxFocusedObject::StaticProperties() {
    using C = TNyxFocusedObject;
    static const TNyxPropertyTable table(&TNyxInterfaceObject::StaticProperties(),
                                         {
                                             Boolean("Focused", &C::Focused, &C::SetFocused),
                                             Integer("TabOrder", &C::TabOrder, &C::SetTabOrder),
                                         });
    return table;
}

void TNyxFocusedObject::Assign(const TNyxObject& source) {
    TNyxInterfaceObject::Assign(source);
    if (const auto* s = dynamic_cast<const TNyxFocusedObject*>(&source)) {
        Pressed = s->Pressed;
        Focused = s->Focused;
        TabOrder = s->TabOrder;
    }
}

void TNyxFocusedObject::PointerLeft() {
    Pressed = false;
}

void TNyxFocusedObject::MouseDown(TNyxButton, TNyxShift, int32_t x, int32_t y) {
    Pressed = false;
    if (!Contains(x, y)) {
        return;
    }
    Pressed = true;
    if (TNyxForm* form = ParentForm(); form && form->TabList.size() != 1) {
        for (TNyxFocusedObject* entry : form->TabList) {
            if (entry && entry->Focused) {
                entry->SetFocused(false);
                break;
            }
        }
    }
    Focused = true;
}

void TNyxFocusedObject::SetFocused(bool value) {
    Focused = value;
}

void TNyxFocusedObject::SetTabOrder(int32_t value) {
    const TNyxInterfaceEngine* engine = InterfaceEngine();
    TNyxForm* form = ParentForm();
    const int32_t current = form ? form->TabIndexOf(this) : -1;
    if ((engine && engine->State == TNyxInterfaceEngine::ReadingState) || current < 0) {
        TabOrder = value;
        return;
    }
    const int32_t last = static_cast<int32_t>(form->TabList.size()) - 1;
    const int32_t target = std::clamp(value, 0, last);
    if (target == current) {
        return;
    }
    form->RemoveTab(current);
    form->InsertTab(this, target);
}

} // namespace qz
