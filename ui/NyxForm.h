#pragma once
// A window of the interface (a picture with child controls, shown and hidden through the
// engine's window stack, owner of a tab order), and the tab page that replaces the other
// pages of its group when shown.

#include "ui/NyxInterfaceClasses.h"

#include <vector>

namespace qz {

class TNyxForm : public TNyxInterfaceObject {
public:
    static constexpr std::string_view StaticClassName = "TNyxForm";
    static const TNyxPropertyTable& StaticProperties();

    std::string_view ClassName() const override { return StaticClassName; }
    const TNyxPropertyTable& Properties() const override { return StaticProperties(); }

    // The children follow the new name (their ParentName changes with it).
    void SetName(const std::string& value) override;
    // Copies the fields, then makes a copy of every child of source in the engine, named
    // this window's name followed by the child's name.
    void Assign(const TNyxObject& source) override;
    // Also re-aligns and moves every child.
    void UpdatePosition() override;

    // Tab and Shift+Tab move the focus; other keys go to the focused child only.
    void KeyDown(uint16_t& key, TNyxShift shift) override;
    // Passed to every child, visible or not.
    void KeyPress(char& key) override;
    void KeyUp(uint16_t& key, TNyxShift shift) override;
    // Only for a point inside the window; then passed to every visible child.
    void MouseDown(TNyxButton button, TNyxShift shift, int32_t x, int32_t y) override;
    void MouseMove(TNyxShift shift, int32_t x, int32_t y) override;
    void MouseUp(TNyxButton button, TNyxShift shift, int32_t x, int32_t y) override;
    void MouseWheel(TNyxShift shift, int32_t wheelDelta, TPoint mousePos, bool& handled) override;
    // Every child forgets the pointer.
    void PointerLeft() override;
    // The window's picture, then every visible child (hints included).
    void Paint() override;
    // The window's picture, then the visible children that are not hints.
    void PaintWithoutHints();
    void PaintHints();

    // Every engine object whose ParentName is this window's name, in engine order; an
    // object that is also this window's parent (or further up) is left out, so that
    // windows naming each other as parents do not contain each other.
    void BuildChildren();
    bool HasAncestor(const TNyxObject* object) const;
    // The focusable children at their TabOrder; a gap stays an empty (nullptr) entry.
    void BuildTabList();
    void FocusNext();
    void FocusPrev();
    // Tab list editing for SetTabOrder: renumbers the entries that move.
    void InsertTab(TNyxFocusedObject* control, int32_t position);
    void RemoveTab(int32_t position);
    // The position of control in the tab list, or -1.
    int32_t TabIndexOf(const TNyxFocusedObject* control) const;

    // Not owned: the engine owns every object.
    std::vector<TNyxInterfaceObject*> Children;
    std::vector<TNyxFocusedObject*> TabList;
};

class TNyxTabForm : public TNyxForm {
public:
    static constexpr std::string_view StaticClassName = "TNyxTabForm";
    // The form's rows, then TabGroup (integer, plain).
    static const TNyxPropertyTable& StaticProperties();

    std::string_view ClassName() const override { return StaticClassName; }
    const TNyxPropertyTable& Properties() const override { return StaticProperties(); }
    void Assign(const TNyxObject& source) override;

    // Showing a page hides every page of the same group in the parent window first.
    void SetVisible(bool value) override;

    int32_t TabGroup = 0;
};

} // namespace qz
