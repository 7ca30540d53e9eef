#include "app/NyxGameInterface.h"

#include "archive/Error.h"
#include "objects/NyxStrings.h"
#include "platform/Clipboard.h"
#include "ui/NyxForm.h"
#include "ui/NyxGrid.h"
#include "ui/NyxHint.h"
#include "ui/NyxInterfaceEngine.h"

namespace qz {

TNyxGameInterface::TNyxGameInterface(std::function<uint32_t()> ticks, IClipboard* clipboard)
    : engine_(std::make_unique<TNyxInterfaceEngine>()) {
    engine_->SetTickSource(std::move(ticks));
    if (clipboard)
        engine_->SetClipboard([clipboard] { return clipboard->GetText(); },
                              [clipboard](const std::string& text) { clipboard->SetText(text); });
}

TNyxGameInterface::~TNyxGameInterface() = default;

void TNyxGameInterface::SetHost(std::shared_ptr<INyxGraphic> host, TNyxFontEngine& fonts) {
    engine_->SetHost(std::move(host));
    engine_->SetFontEngine(&fonts);
}

void TNyxGameInterface::LoadFromStream(const TMemoryStream& stream) {
    pendingHint_.reset();
    engine_->ClearInterface();
    engine_->LoadFromStream(stream);
    // The engine keeps the objects made before a structural error; for the game such a
    // description is damaged, since the windows after the error are missing.
    if (!engine_->LoadError().empty())
        throw Error(engine_->LoadError());
}

void TNyxGameInterface::Clear() {
    pendingHint_.reset();
    engine_->ClearInterface();
}

void TNyxGameInterface::RegisterHandler(std::string_view name, std::function<void()> handler) {
    engine_->RegisterHandler(name, std::move(handler));
}

void TNyxGameInterface::ShowWindow(std::string_view name) {
    engine_->ShowForm(name);
}

void TNyxGameInterface::CloseWindow(std::string_view name) {
    engine_->HideForm(name);
}

void TNyxGameInterface::CloseAllWindows() {
    engine_->HideAllForms();
}

std::string TNyxGameInterface::TopWindow() const {
    const TNyxForm* top = engine_->TopForm();
    return top ? top->GetName() : std::string();
}

std::vector<std::string> TNyxGameInterface::OpenWindows() const {
    std::vector<std::string> names;
    for (const TNyxForm* form : engine_->Forms())
        names.push_back(form->GetName());
    return names;
}

void TNyxGameInterface::DrawWindows(bool withHints) {
    if (withHints)
        engine_->PaintAll();
    else
        engine_->PaintForms();
}

void TNyxGameInterface::DrawHints() {
    if (pendingHint_) {
        const TNyxHint* shown = ShownHintBeside(pendingHint_->Name);
        if (!shown || engine_->Ticks() - shown->ShowStart >= HintReadingTime) {
            const TPendingHint next = *pendingHint_;
            pendingHint_.reset();
            ShowHint(next.Name, next.At);
        }
    }
    engine_->PaintHints();
}

bool TNyxGameInterface::OverTopWindowControl(int32_t x, int32_t y) const {
    const TNyxForm* top = engine_->TopForm();
    if (!top)
        return false;
    for (const TNyxInterfaceObject* child : top->Children)
        if (child->Visible && child->Contains(x, y))
            return true;
    return false;
}

bool TNyxGameInterface::HandleInput(const TInputEvent& event) {
    const auto button = static_cast<TNyxButton>(event.Button);
    const TNyxShift shift = event.Shift;
    switch (event.Kind) {
    case TInputKind::MouseMove:
        engine_->MouseMove(shift, event.X, event.Y);
        return OverTopWindowControl(event.X, event.Y);
    case TInputKind::MouseDown: {
        const bool over = OverTopWindowControl(event.X, event.Y);
        engine_->MouseDown(button, event.DoubleClick ? shift | nyxshift::ssDouble : shift, event.X,
                           event.Y);
        return over;
    }
    case TInputKind::MouseUp: {
        const bool over = OverTopWindowControl(event.X, event.Y);
        engine_->MouseUp(button, shift, event.X, event.Y);
        return over;
    }
    case TInputKind::MouseWheel: {
        bool handled = false;
        engine_->MouseWheel(shift, event.WheelDelta, TPoint{event.X, event.Y}, handled);
        return handled;
    }
    case TInputKind::KeyDown: {
        uint16_t key = event.Key;
        engine_->KeyDown(key, shift);
        return key == 0;
    }
    case TInputKind::Text: {
        bool taken = false;
        for (char c : NarrowAnsi(Utf8ToUtf16(event.Text))) {
            engine_->KeyPress(c);
            taken = taken || c == 0;
        }
        return taken;
    }
    default:
        return false;
    }
}

void TNyxGameInterface::SetProperty(std::string_view object, std::string_view property,
                                    std::string_view value) {
    engine_->SetProperty(object, property, value);
}

std::optional<std::string> TNyxGameInterface::GetProperty(std::string_view object,
                                                          std::string_view property) const {
    if (!engine_->FindObject(object))
        return std::nullopt;
    return engine_->GetPropertyText(object, property);
}

std::optional<TRect> TNyxGameInterface::ControlBounds(std::string_view name) const {
    const auto* control = dynamic_cast<const TNyxInterfaceObject*>(engine_->FindObject(name));
    if (!control)
        return std::nullopt;
    return TRect{control->ScreenLeft, control->ScreenTop, control->ScreenLeft + control->Width - 1,
                 control->ScreenTop + control->Height - 1};
}

void TNyxGameInterface::ApplyPropertiesFile(const std::string& fileName) {
    engine_->RestoreProperties();
    engine_->LoadPropertiesFile(fileName);
}

bool TNyxGameInterface::CreateControl(std::string_view className, std::string_view name,
                                      std::string_view window, std::string_view templateName) {
    auto* form = dynamic_cast<TNyxForm*>(engine_->FindObject(window));
    if (!form || name.empty() || engine_->FindObject(name))
        return false;
    const TNyxObject* model = nullptr;
    if (!templateName.empty()) {
        model = engine_->FindObject(templateName);
        if (!model)
            return false;
        className = model->ClassName();
    }
    const int32_t index = engine_->CreateObject(std::string(name), std::string(window), className);
    if (index < 0)
        return false;
    TNyxObject* control = engine_->Object(index);
    if (model) {
        control->Assign(*model);
        control->SetName(std::string(name));
        control->ParentName = std::string(window);
    }
    engine_->ResolveParents();
    form->BuildChildren();
    return true;
}

std::vector<std::pair<std::string, std::string>>
TNyxGameInterface::WindowControls(std::string_view window) const {
    std::vector<std::pair<std::string, std::string>> controls;
    if (const auto* form = dynamic_cast<const TNyxForm*>(engine_->FindObject(window)))
        for (const TNyxInterfaceObject* child : form->Children)
            controls.emplace_back(child->GetName(), std::string(child->ClassName()));
    return controls;
}

void TNyxGameInterface::ClearGrid(std::string_view grid) {
    if (auto* control = dynamic_cast<TNyxGrid*>(engine_->FindObject(grid)))
        control->Clear();
}

std::string TNyxGameInterface::GridSelectedText(std::string_view grid) const {
    const auto* control = dynamic_cast<const TNyxGrid*>(engine_->FindObject(grid));
    return control ? control->SelectedText() : std::string();
}

std::string TNyxGameInterface::SenderName() const {
    const TNyxObject* sender = engine_->Sender();
    return sender ? sender->GetName() : std::string();
}

TNyxHint* TNyxGameInterface::ShownHintBeside(std::string_view hint) const {
    const auto* wanted = dynamic_cast<const TNyxInterfaceObject*>(engine_->FindObject(hint));
    TNyxForm* window = wanted ? wanted->ParentForm() : nullptr;
    if (!window)
        return nullptr;
    for (TNyxInterfaceObject* child : window->Children)
        if (auto* shown = dynamic_cast<TNyxHint*>(child);
            shown && child != wanted && child->Visible && child->GetName() != toolTip_)
            return shown;
    return nullptr;
}

void TNyxGameInterface::ShowHint(std::string_view hint, std::optional<TPoint> at) {
    // One hint at a time. A new one replaces the one shown, once that one has stood long
    // enough to be read; until then it waits.
    TNyxHint* shown = ShownHintBeside(hint);
    if (shown && engine_->Ticks() - shown->ShowStart < HintReadingTime) {
        pendingHint_ = TPendingHint{std::string(hint), at};
        return;
    }
    if (shown)
        shown->Visible = false;
    if (at)
        engine_->ShowHintAt(hint, at->X, at->Y);
    else
        engine_->ShowHint(hint);
}

void TNyxGameInterface::ShowToolTip(std::string_view hint, TPoint at) {
    HideToolTip();
    toolTip_ = hint;
    engine_->ShowHintAt(hint, at.X, at.Y);
}

void TNyxGameInterface::HideToolTip() {
    if (auto* shown = dynamic_cast<TNyxHint*>(engine_->FindObject(toolTip_)))
        shown->Visible = false;
    toolTip_.clear();
}

} // namespace qz
