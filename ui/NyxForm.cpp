#include "ui/NyxForm.h"

#include "ui/NyxInterfaceEngine.h"

namespace qz {

namespace {

constexpr uint16_t KeyTab = 9;
constexpr std::string_view HintClassName = "TNyxHint";

bool IsHint(const TNyxInterfaceObject& object) {
    return object.ClassName() == HintClassName;
}

} // namespace

const TNyxPropertyTable& TNyxForm::StaticProperties() {
    static const TNyxPropertyTable table(&TNyxInterfaceObject::StaticProperties(), {});
    return table;
}

void TNyxForm::SetName(const std::string& value) {
    TNyxInterfaceObject::SetName(value);
    for (TNyxInterfaceObject* child : Children) {
        child->ParentName = GetName();
    }
}

void TNyxForm::Assign(const TNyxObject& source) {
    TNyxInterfaceObject::Assign(source);
    const auto* s = dynamic_cast<const TNyxForm*>(&source);
    TNyxEngine* engine = GetEngine();
    if (!s || !engine) {
        return;
    }
    Children.clear();
    const std::vector<TNyxInterfaceObject*> sourceChildren = s->Children;
    for (const TNyxInterfaceObject* child : sourceChildren) {
        const int32_t index = engine->CreateObject(GetName() + child->GetName(), GetName(),
                                                   std::string(child->ClassName()));
        auto* copy = dynamic_cast<TNyxInterfaceObject*>(engine->Object(index));
        if (!copy) {
            continue;
        }
        copy->Assign(*child);
        Children.push_back(copy);
    }
    engine->ResolveParents();
}

void TNyxForm::UpdatePosition() {
    TNyxInterfaceObject::UpdatePosition();
    for (TNyxInterfaceObject* child : Children) {
        child->Align();
        child->UpdatePosition();
    }
}

void TNyxForm::KeyDown(uint16_t& key, TNyxShift shift) {
    if (key == KeyTab) {
        if (shift & nyxshift::ssShift) {
            FocusPrev();
        } else {
            FocusNext();
        }
        return;
    }
    for (TNyxInterfaceObject* child : Children) {
        auto* focused = dynamic_cast<TNyxFocusedObject*>(child);
        if (focused && focused->Focused) {
            focused->KeyDown(key, shift);
            return;
        }
    }
}

void TNyxForm::KeyPress(char& key) {
    for (TNyxInterfaceObject* child : Children) {
        child->KeyPress(key);
    }
}

void TNyxForm::KeyUp(uint16_t& key, TNyxShift shift) {
    for (TNyxInterfaceObject* child : Children) {
        child->KeyUp(key, shift);
    }
}

void TNyxForm::MouseDown(TNyxButton button, TNyxShift shift, int32_t x, int32_t y) {
    if (!Contains(x, y)) {
        return;
    }
    for (TNyxInterfaceObject* child : Children) {
        if (child->Visible) {
            child->MouseDown(button, shift, x, y);
        }
    }
}

void TNyxForm::PointerLeft() {
    for (TNyxInterfaceObject* child : Children) {
        child->PointerLeft();
    }
}

void TNyxForm::MouseMove(TNyxShift shift, int32_t x, int32_t y) {
    if (!Contains(x, y)) {
        return;
    }
    for (TNyxInterfaceObject* child : Children) {
        if (child->Visible) {
            child->MouseMove(shift, x, y);
        }
    }
}

void TNyxForm::MouseUp(TNyxButton button, TNyxShift shift, int32_t x, int32_t y) {
    if (!Contains(x, y)) {
        return;
    }
    for (TNyxInterfaceObject* child : Children) {
        if (child->Visible) {
            child->MouseUp(button, shift, x, y);
        }
    }
}

void TNyxForm::MouseWheel(TNyxShift shift, int32_t wheelDelta, TPoint mousePos, bool& handled) {
    if (!Contains(mousePos.X, mousePos.Y)) {
        return;
    }
    for (TNyxInterfaceObject* child : Children) {
        if (child->Visible) {
            child->MouseWheel(shift, wheelDelta, mousePos, handled);
        }
    }
}

void TNyxForm::Paint() {
    TNyxInterfaceObject::Paint();
    for (TNyxInterfaceObject* child : Children) {
        if (child->Visible) {
            child->Paint();
        }
    }
}

void TNyxForm::PaintWithoutHints() {
    TNyxInterfaceObject::Paint();
    for (TNyxInterfaceObject* child : Children) {
        if (child->Visible && !IsHint(*child)) {
            child->Paint();
        }
    }
}

void TNyxForm::PaintHints() {
    for (TNyxInterfaceObject* child : Children) {
        if (child->Visible && IsHint(*child)) {
            child->Paint();
        }
    }
}

void TNyxForm::BuildChildren() {
    Children.clear();
    const TNyxEngine* engine = GetEngine();
    if (!engine) {
        return;
    }
    for (const auto& object : engine->Objects()) {
        auto* control = dynamic_cast<TNyxInterfaceObject*>(object.get());
        if (control && control != this && control->ParentName == GetName() &&
            !HasAncestor(control)) {
            Children.push_back(control);
        }
    }
}

bool TNyxForm::HasAncestor(const TNyxObject* object) const {
    // Bounded by the object count: the parent chain may itself run in a circle.
    const TNyxEngine* engine = GetEngine();
    int32_t steps = engine ? engine->Count() : 0;
    for (const TNyxObject* parent = ParentObject; parent && steps > 0;
         parent = parent->ParentObject, --steps) {
        if (parent == object) {
            return true;
        }
    }
    return false;
}

void TNyxForm::BuildTabList() {
    TabList.clear();
    for (TNyxInterfaceObject* child : Children) {
        auto* focused = dynamic_cast<TNyxFocusedObject*>(child);
        // A negative tab order has no place in the list.
        if (!focused || focused->TabOrder < 0) {
            continue;
        }
        const auto position = static_cast<size_t>(focused->TabOrder);
        if (TabList.size() <= position) {
            TabList.resize(position + 1, nullptr);
        }
        TabList[position] = focused;
    }
}

void TNyxForm::FocusNext() {
    if (TabList.empty()) {
        return;
    }
    const int32_t count = static_cast<int32_t>(TabList.size());
    int32_t current = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (TabList[static_cast<size_t>(i)] && TabList[static_cast<size_t>(i)]->Focused) {
            current = i;
            break;
        }
    }
    // A gap in the tab orders leaves empty entries: step over them.
    int32_t next = current;
    do {
        next = (next + 1) % count;
    } while (!TabList[static_cast<size_t>(next)] && next != current);
    if (next == current) {
        return;
    }
    TabList[static_cast<size_t>(next)]->SetFocused(true);
    if (TabList[static_cast<size_t>(current)]) {
        TabList[static_cast<size_t>(current)]->SetFocused(false);
    }
}

void TNyxForm::FocusPrev() {
    if (TabList.empty()) {
        return;
    }
    const int32_t count = static_cast<int32_t>(TabList.size());
    int32_t current = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (TabList[static_cast<size_t>(i)] && TabList[static_cast<size_t>(i)]->Focused) {
            current = i;
            break;
        }
    }
    int32_t prev = current;
    do {
        prev = (prev + count - 1) % count;
    } while (!TabList[static_cast<size_t>(prev)] && prev != current);
    if (prev == current) {
        return;
    }
    TabList[static_cast<size_t>(prev)]->SetFocused(true);
    if (TabList[static_cast<size_t>(current)]) {
        TabList[static_cast<size_t>(current)]->SetFocused(false);
    }
}

void TNyxForm::InsertTab(TNyxFocusedObject* control, int32_t position) {
    if (position < 0) {
        position = 0;
    }
    if (static_cast<size_t>(position) < TabList.size()) {
        TabList.insert(TabList.begin() + position, control);
        for (size_t i = static_cast<size_t>(position) + 1; i < TabList.size(); ++i) {
            if (TabList[i]) {
                ++TabList[i]->TabOrder;
            }
        }
        control->TabOrder = position;
    } else {
        TabList.push_back(control);
        control->TabOrder = static_cast<int32_t>(TabList.size()) - 1;
    }
}

void TNyxForm::RemoveTab(int32_t position) {
    if (position < 0 || static_cast<size_t>(position) >= TabList.size()) {
        return;
    }
    TabList.erase(TabList.begin() + position);
    for (size_t i = static_cast<size_t>(position); i < TabList.size(); ++i) {
        if (TabList[i]) {
            --TabList[i]->TabOrder;
        }
    }
}

int32_t TNyxForm::TabIndexOf(const TNyxFocusedObject* control) const {
    for (size_t i = 0; i < TabList.size(); ++i) {
        if (TabList[i] == control) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

const TNyxPropertyTable& TNyxTabForm::StaticProperties() {
    static const TNyxPropertyTable table(&TNyxForm::StaticProperties(),
                                         {nyxprop::Integer("TabGroup", &TNyxTabForm::TabGroup)});
    return table;
}

void TNyxTabForm::Assign(const TNyxObject& source) {
    TNyxForm::Assign(source);
    if (const auto* s = dynamic_cast<const TNyxTabForm*>(&source)) {
        TabGroup = s->TabGroup;
    }
}

void TNyxTabForm::SetVisible(bool value) {
    if (value) {
        if (TNyxForm* parent = ParentForm()) {
            for (TNyxInterfaceObject* child : parent->Children) {
                auto* page = dynamic_cast<TNyxTabForm*>(child);
                if (page && page->ClassName() == StaticClassName && page->TabGroup == TabGroup) {
                    page->Visible = false;
                }
            }
        }
    }
    Visible = value;
}

} // namespace qz
