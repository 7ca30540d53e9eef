#pragma once
// The common base of every window and control: geometry and alignment in the parent, the
// background picture, visibility, the event and sound properties that hold command
// scripts, the input and paint entry points the engine passes down the tree, and the focus
// base class. All drawing and sound goes through the engine's host interface.

#include "archive/Helpers.h"
#include "objects/NyxBaseClasses.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qz {

class INyxGraphic;
class TNyxFont;
class TNyxFontEngine;
class TNyxForm;
class TNyxInterfaceEngine;

enum class TAutoSizeType : uint8_t { asNone, asPicture, asCaption };
enum class TPictureHAlignType : uint8_t { phaLeft, phaCenter, phaRight };
enum class TPictureVAlignType : uint8_t { pvaTop, pvaCenter, pvaBottom };
enum class THAlignType : uint8_t { haNone, haLeft, haCenter, haRight, haJustify };
enum class TVAlignType : uint8_t { vaNone, vaTop, vaCenter, vaBottom, vaJustify };

// The mouse button of a press or release.
enum class TNyxButton : uint8_t { mbLeft, mbRight, mbMiddle };

// Shift, alt, control and mouse-button states as one bit set; the bits are those of the
// platform's input events, so the host passes its shift state through unchanged.
using TNyxShift = uint32_t;
namespace nyxshift {
inline constexpr TNyxShift ssShift = 1u << 0;
inline constexpr TNyxShift ssAlt = 1u << 1;
inline constexpr TNyxShift ssCtrl = 1u << 2;
inline constexpr TNyxShift ssLeft = 1u << 3;
inline constexpr TNyxShift ssRight = 1u << 4;
inline constexpr TNyxShift ssMiddle = 1u << 5;
inline constexpr TNyxShift ssDouble = 1u << 6;
} // namespace nyxshift

// The events whose On... script and Sound... name a control queues.
enum class TNyxEvent : uint8_t {
    KeyDown,
    KeyPress,
    KeyUp,
    MouseDown,
    MouseMove,
    MouseUp,
    MouseWheel
};

class TNyxInterfaceObject : public TNyxObject {
public:
    static constexpr std::string_view StaticClassName = "TNyxInterfaceObject";
    static const TNyxPropertyTable& StaticProperties();

    std::string_view ClassName() const override { return StaticClassName; }
    const TNyxPropertyTable& Properties() const override { return StaticProperties(); }

    // Copies every field, the screen position and the picture offsets included.
    void Assign(const TNyxObject& source) override;

    virtual void SetWidth(int32_t value);
    virtual void SetAutoSize(TAutoSizeType value);
    virtual void SetVisible(bool value);
    // The names of the pictures the object draws, separated by CR LF.
    virtual std::string GetPictures() const;
    // Screen position = parent's screen position + Left/Top (or Left/Top alone).
    virtual void UpdatePosition();
    // Input from the engine; X, Y are screen coordinates. The base versions do nothing.
    virtual void KeyDown(uint16_t& key, TNyxShift shift);
    virtual void KeyPress(char& key);
    virtual void KeyUp(uint16_t& key, TNyxShift shift);
    virtual void MouseDown(TNyxButton button, TNyxShift shift, int32_t x, int32_t y);
    virtual void MouseMove(TNyxShift shift, int32_t x, int32_t y);
    virtual void MouseUp(TNyxButton button, TNyxShift shift, int32_t x, int32_t y);
    virtual void MouseWheel(TNyxShift shift, int32_t wheelDelta, TPoint mousePos, bool& handled);
    // The pointer left the object's window, or the window stopped being the top one: the
    // object forgets that it was under the pointer or pressed, so that it is not drawn
    // highlighted when its window comes back. The base keeps no such state.
    virtual void PointerLeft();
    // Draws Picture at the screen position plus the picture offsets.
    virtual void Paint();

    void SetLeft(int32_t value);
    void SetTop(int32_t value);
    void SetPicture(const std::string& value);
    void SetPictureHAlign(TPictureHAlignType value);
    void SetPictureVAlign(TPictureVAlignType value);
    void SetHeight(int32_t value);
    void SetHAlign(THAlignType value);
    void SetVAlign(TVAlignType value);
    void SetShiftLeft(int32_t value);
    void SetShiftTop(int32_t value);

    // Places the object in its parent (or the screen) by HAlign and VAlign.
    void Align();
    // With AutoSize asPicture: the picture's size, when the host knows it.
    void SizeFromPicture();
    // The picture offsets inside the object by PictureHAlign and PictureVAlign.
    void PlacePicture();

    TPoint GetScreenPos() const { return {ScreenLeft, ScreenTop}; }
    // ScreenLeft <= x < ScreenLeft + Width, the same vertically.
    bool Contains(int32_t x, int32_t y) const;

    // The owning interface engine, its host and font engine, or nullptr.
    TNyxInterfaceEngine* InterfaceEngine() const;
    INyxGraphic* Host() const;
    TNyxFontEngine* FontEngine() const;
    TNyxFont* FindFont(std::string_view name) const;
    // The parent as an interface object or as a window, or nullptr.
    TNyxInterfaceObject* ParentControl() const;
    TNyxForm* ParentForm() const;

    // Host drawing helpers; nothing happens without a host.
    void DrawPicture(const std::string& picture, int32_t x, int32_t y, uint8_t alpha) const;
    // (width, height) of the host's picture, (0, 0) when unknown or without a host.
    TPoint PictureSize(const std::string& picture) const;
    // Queues the event's script with the engine, this object as sender; a non-empty sound
    // name is played first. Nothing is queued when both are empty.
    void QueueEvent(TNyxEvent event);
    // Queues script as it is, this object as sender.
    void QueueScript(const std::string& script);

    int32_t Left = 0;
    int32_t Top = 0;
    int32_t ScreenLeft = 0;
    int32_t ScreenTop = 0;
    TAutoSizeType AutoSize = TAutoSizeType::asNone;
    std::string Picture;
    TPictureHAlignType PictureHAlign = TPictureHAlignType::phaLeft;
    TPictureVAlignType PictureVAlign = TPictureVAlignType::pvaTop;
    int32_t PictureLeft = 0;
    int32_t PictureTop = 0;
    uint8_t PictureAlpha = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    THAlignType HAlign = THAlignType::haNone;
    TVAlignType VAlign = TVAlignType::vaNone;
    int32_t ShiftLeft = 0;
    int32_t ShiftTop = 0;
    bool Visible = false;
    std::string OnKeyDown, OnKeyPress, OnKeyUp, OnMouseDown, OnMouseMove, OnMouseUp, OnMouseWheel;
    std::string SoundKeyDown, SoundKeyPress, SoundKeyUp, SoundMouseDown, SoundMouseMove,
        SoundMouseUp, SoundMouseWheel;

private:
    void ReferenceSize(int32_t& width, int32_t& height) const;
};

// A control that takes keyboard focus and belongs to its window's tab list.
class TNyxFocusedObject : public TNyxInterfaceObject {
public:
    static constexpr std::string_view StaticClassName = "TNyxFocusedObject";
    // The base rows, then Focused (through SetFocused) and TabOrder (SetTabOrder).
    static const TNyxPropertyTable& StaticProperties();

    std::string_view ClassName() const override { return StaticClassName; }
    const TNyxPropertyTable& Properties() const override { return StaticProperties(); }
    void Assign(const TNyxObject& source) override;

    // A press inside takes the focus from the window's focused control.
    void MouseDown(TNyxButton button, TNyxShift shift, int32_t x, int32_t y) override;
    void PointerLeft() override;
    virtual void SetFocused(bool value);
    // While loading only stored; otherwise clamped and moved within the window's tab list.
    void SetTabOrder(int32_t value);

    bool Pressed = false;
    bool Focused = false;
    int32_t TabOrder = 0;
};

// Adds the interface classes to the class registry after the font classes, in their fixed
// order; safe to call more than once.
void RegisterInterfaceClasses();
// Registers TNyxEdit, TNyxSlider, TNyxGrid and TNyxRichLabel, in this order; defined with
// those controls and called by RegisterInterfaceClasses at their place in the order.
void RegisterInputControlClasses();

} // namespace qz
