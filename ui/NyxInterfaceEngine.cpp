#include "ui/NyxInterfaceEngine.h"

#include "archive/Error.h"
#include "archive/Helpers.h"
#include "fonts/NyxFont.h"
#include "fonts/NyxInterface.h"
#include "ui/NyxForm.h"
#include "ui/NyxHint.h"
#include "ui/NyxLabel.h"
#include "ui/NyxProgressBar.h"
#include "xml/NyxParser.h"

#include <algorithm>

namespace qz {

namespace {

constexpr std::string_view CreatePrefix = "[TNyxInterfaceEngine.CreateInterfaceObjects] ";
constexpr std::string_view EngineClassName = "TNyxInterfaceEngine";
constexpr std::string_view DefaultsClassName = "TNyxDefaults";
// Scripts queued while the queue runs (a slider's change script set off by a SetProp)
// run in the same pass; this many rounds end a description whose scripts feed each other.
constexpr int MaxScriptRounds = 64;

[[noreturn]] void CreateError(std::string_view text) {
    throw Error(std::string(CreatePrefix) + std::string(text));
}

[[noreturn]] void ClassError(std::string_view className, std::string_view text) {
    throw Error(std::string(CreatePrefix) + "[ClassName:" + std::string(className) + "] " +
                std::string(text));
}

std::string AttributeValue(const TNyxXMLTag& tag, std::string_view name) {
    const TNyxParserAttribute* attribute = tag.FindAttribute(name);
    return attribute ? attribute->Value : std::string();
}

// The lower-case form under which a handler is kept and looked up.
std::string HandlerKey(std::string_view name) {
    return LowerCase(name);
}

} // namespace

void RegisterInterfaceClasses() {
    RegisterFontClasses();
    TNyxClassReg& registry = TNyxClassReg::Global();
    registry.Register<TNyxProgressBar>();
    registry.Register<TNyxForm>();
    registry.Register<TNyxTabForm>();
    registry.Register<TNyxLabel>();
    registry.Register<TNyxCheckBox>();
    registry.Register<TNyxRadioButton>();
    RegisterInputControlClasses();
    registry.Register<TNyxHint>();
}

TNyxInterfaceEngine::TNyxInterfaceEngine()
    : document_(std::make_unique<TNyxParser>()),
      scripts_(std::make_unique<TNyxXMLTag>("Scripts", nullptr, "")),
      modProps_(std::make_unique<TNyxXMLTag>("ModProps", nullptr, "")) {
    RegisterInterfaceClasses();
}

TNyxInterfaceEngine::~TNyxInterfaceEngine() {
    ClearInterface();
}

void TNyxInterfaceEngine::SetClipboard(std::function<std::string()> get,
                                       std::function<void(const std::string&)> set) {
    clipboardGet_ = std::move(get);
    clipboardSet_ = std::move(set);
}

std::string TNyxInterfaceEngine::ClipboardText() const {
    return clipboardGet_ ? clipboardGet_() : clipboard_;
}

void TNyxInterfaceEngine::SetClipboardText(const std::string& text) {
    if (clipboardSet_) {
        clipboardSet_(text);
    } else {
        clipboard_ = text;
    }
}

void TNyxInterfaceEngine::RegisterHandler(std::string_view name, THandler handler) {
    handlers_[HandlerKey(name)] = std::move(handler);
}

bool TNyxInterfaceEngine::CallHandler(std::string_view name) const {
    const auto found = handlers_.find(HandlerKey(name));
    if (found == handlers_.end() || !found->second) {
        return false;
    }
    // A copy: the handler may register or replace handlers while it runs.
    const THandler handler = found->second;
    handler();
    return true;
}

void TNyxInterfaceEngine::LoadFromStream(const TMemoryStream& stream) {
    loadError_.clear();
    document_ = std::make_unique<TNyxParser>();
    document_->LoadFromStream(stream);
    try {
        CreateInterfaceObjects();
    } catch (const Error& error) {
        // Loading goes on with the objects made so far.
        loadError_ = error.what();
    }
    ResolveParents();
    for (const auto& object : Objects()) {
        if (auto* form = dynamic_cast<TNyxForm*>(object.get())) {
            form->BuildChildren();
        }
    }
    State = ReadingState;
    try {
        ApplyProperties(false);
    } catch (...) {
        State.clear();
        throw;
    }
    State.clear();
    for (const auto& object : Objects()) {
        if (auto* form = dynamic_cast<TNyxForm*>(object.get())) {
            form->BuildTabList();
        }
    }
}

void TNyxInterfaceEngine::ClearInterface() {
    forms_.clear();
    sender_ = nullptr;
    scripts_->ClearTags();
    modProps_->ClearTags();
    Clear();
}

void TNyxInterfaceEngine::CreateInterfaceObjects() {
    if (document_->TagCount() == 0) {
        CreateError("XML file does not has tags!");
    }
    TNyxXMLTag* top = document_->GetTag(0);
    if (top->TagCount() > 0 && top->Name != "NyxInterface") {
        CreateError("XML file does not has \"NyxInterface\" tag!");
    }
    for (size_t i = 0; i < top->TagCount(); ++i) {
        const TNyxXMLTag* element = top->GetTag(i);
        if (element->Name != "o") {
            CreateError("NyxInterface XML file contains wrong tag!");
        }
        if (element->AttributeCount() != 1) {
            CreateError("Tag <o> has wrong number of attributes!");
        }
        if (element->GetAttribute(0)->Name != "c") {
            CreateError("Tag <o> does not has \"c\" attribute!");
        }
        if (element->TagCount() == 0) {
            CreateError("Tag <o> does not has subtags!");
        }
        const std::string className = element->GetAttribute(0)->Value;
        const bool defaults = className == DefaultsClassName;
        std::string name;
        std::string parentName;
        // By index: a default line may append to this very element.
        for (size_t k = 0; k < element->TagCount(); ++k) {
            const TNyxXMLTag* property = element->GetTag(k);
            if (property->Name != "p") {
                ClassError(EngineClassName, "Tag <o> contains wrong subtag!");
            }
            if (property->AttributeCount() != 1) {
                ClassError(EngineClassName, "Tag <p> has wrong number of attributes!");
            }
            if (property->GetAttribute(0)->Name != "n") {
                ClassError(EngineClassName, "Tag <p> does not has \"n\" attribute!");
            }
            const std::string& propertyName = property->GetAttribute(0)->Value;
            if (defaults) {
                if (propertyName != "DefLine") {
                    ClassError(className, "Tag <p> has wrong \"n\" attribute value!");
                }
                ApplyDefaultLine(property->Value);
            } else if (SameText(propertyName, "Name")) {
                name = property->Value;
            } else if (SameText(propertyName, "ParentName")) {
                parentName = property->Value;
            }
        }
        if (defaults) {
            continue;
        }
        if (name.empty() || parentName.empty()) {
            ClassError(className, "Attribute <n> does not has Name: \"ParentName\" or \"Name\"!");
        }
        CreateObject(name, parentName, className);
    }
}

void TNyxInterfaceEngine::ApplyDefaultLine(const std::string& line) {
    const size_t first = line.find(';');
    if (first == std::string::npos) {
        return;
    }
    const size_t second = line.find(';', first + 1);
    if (second == std::string::npos) {
        return;
    }
    const std::string className = Trim(std::string_view(line).substr(0, first));
    const std::string propertyName =
        Trim(std::string_view(line).substr(first + 1, second - first - 1));
    const std::string value = line.substr(second + 1);
    const TNyxXMLTag* top = document_->GetTag(0);
    for (const auto& element : top->Tags) {
        if (element->Name != "o" || element->TagCount() == 0 ||
            AttributeValue(*element, "c") != className) {
            continue;
        }
        const bool present =
            std::any_of(element->Tags.begin(), element->Tags.end(), [&](const auto& property) {
                return SameText(AttributeValue(*property, "n"), propertyName);
            });
        if (!present) {
            element->AddTag("p", value)->AddAttribute("n", propertyName);
        }
    }
}

void TNyxInterfaceEngine::ApplyProperties(bool saveOld) {
    const TNyxXMLTag* top = document_->FindTag("NyxInterface");
    if (!top) {
        return;
    }
    for (size_t i = saveOld ? 0 : 1; i < top->TagCount(); ++i) {
        const TNyxXMLTag* element = top->GetTag(i);
        if (element->Name != "o" || element->TagCount() == 0) {
            continue;
        }
        std::string name;
        for (const auto& property : element->Tags) {
            if (property->Name != "p" || property->AttributeCount() != 1 ||
                property->GetAttribute(0)->Name != "n") {
                return;
            }
            if (SameText(property->GetAttribute(0)->Value, "Name")) {
                name = property->Value;
            }
        }
        TNyxObject* object = FindObject(name);
        if (!object) {
            continue;
        }
        for (const auto& property : element->Tags) {
            const std::string& propertyName = property->GetAttribute(0)->Value;
            if (saveOld && !SameText(propertyName, "Name")) {
                SaveOldValue(name, propertyName);
            }
            object->SetPropertyText(propertyName, property->Value);
        }
    }
}

void TNyxInterfaceEngine::SaveOldValue(const std::string& object, const std::string& property) {
    for (const auto& record : modProps_->Tags) {
        if (AttributeValue(*record, "Object") == object &&
            SameText(AttributeValue(*record, "Prop"), property)) {
            return;
        }
    }
    const std::string old = PropValueToString(GetProperty(object, property));
    TNyxXMLTag* record = modProps_->AddTag("ModProp", old);
    record->AddAttribute("Object", object);
    record->AddAttribute("Prop", property);
}

void TNyxInterfaceEngine::LoadPropertiesFile(const std::string& fileName) {
    document_ = std::make_unique<TNyxParser>();
    document_->LoadFromFile(fileName, PropertiesFileLimit);
    ApplyProperties(true);
}

void TNyxInterfaceEngine::LoadPropertiesStream(const TMemoryStream& stream) {
    document_ = std::make_unique<TNyxParser>();
    document_->LoadFromStream(stream);
    ApplyProperties(true);
}

void TNyxInterfaceEngine::RestoreProperties() {
    for (const auto& object : Objects()) {
        for (const auto& record : modProps_->Tags) {
            if (AttributeValue(*record, "Object") == object->GetName()) {
                object->SetPropertyText(AttributeValue(*record, "Prop"), record->Value);
            }
        }
    }
}

int32_t TNyxInterfaceEngine::StackIndexOf(std::string_view name) const {
    for (size_t i = 0; i < forms_.size(); ++i) {
        if (forms_[i]->GetName() == name) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

void TNyxInterfaceEngine::ShowForm(std::string_view name) {
    if (StackIndexOf(name) >= 0) {
        return;
    }
    auto* form = dynamic_cast<TNyxForm*>(FindObject(name));
    if (!form) {
        return;
    }
    // The window below no longer gets the pointer's moves.
    if (!forms_.empty()) {
        forms_.back()->PointerLeft();
    }
    form->SetVisible(true);
    forms_.push_back(form);
}

void TNyxInterfaceEngine::HideTopForm() {
    if (forms_.empty()) {
        return;
    }
    TNyxForm* top = forms_.back();
    forms_.pop_back();
    top->SetVisible(false);
    top->PointerLeft();
}

void TNyxInterfaceEngine::HideForm(std::string_view name) {
    // A window that is not shown leaves the stack as it is.
    const int32_t index = StackIndexOf(name);
    if (index < 0) {
        return;
    }
    while (static_cast<int32_t>(forms_.size()) > index) {
        HideTopForm();
    }
}

void TNyxInterfaceEngine::ChangeForm(std::string_view hideName, std::string_view showName) {
    const size_t before = forms_.size();
    HideForm(hideName);
    if (forms_.size() < before) {
        ShowForm(showName);
    }
}

void TNyxInterfaceEngine::ReplaceTopForm(std::string_view showName) {
    if (!forms_.empty()) {
        const std::string top = forms_.back()->GetName();
        ChangeForm(top, showName);
    }
}

void TNyxInterfaceEngine::HideAllForms() {
    if (!forms_.empty()) {
        const std::string bottom = forms_.front()->GetName();
        HideForm(bottom);
    }
}

TNyxForm* TNyxInterfaceEngine::TopForm() const {
    return forms_.empty() ? nullptr : forms_.back();
}

void TNyxInterfaceEngine::KeyDown(uint16_t& key, TNyxShift shift) {
    if (TNyxForm* top = TopForm()) {
        top->KeyDown(key, shift);
        RunScripts();
    }
}

void TNyxInterfaceEngine::KeyPress(char& key) {
    if (TNyxForm* top = TopForm()) {
        top->KeyPress(key);
        RunScripts();
    }
}

void TNyxInterfaceEngine::MouseDown(TNyxButton button, TNyxShift shift, int32_t x, int32_t y) {
    if (TNyxForm* top = TopForm()) {
        top->MouseDown(button, shift, x, y);
        RunScripts();
    }
}

void TNyxInterfaceEngine::MouseMove(TNyxShift shift, int32_t x, int32_t y) {
    if (TNyxForm* top = TopForm()) {
        top->MouseMove(shift, x, y);
        RunScripts();
    }
}

void TNyxInterfaceEngine::MouseUp(TNyxButton button, TNyxShift shift, int32_t x, int32_t y) {
    if (TNyxForm* top = TopForm()) {
        top->MouseUp(button, shift, x, y);
        RunScripts();
    }
}

void TNyxInterfaceEngine::MouseWheel(TNyxShift shift, int32_t wheelDelta, TPoint mousePos,
                                     bool& handled) {
    if (TNyxForm* top = TopForm()) {
        top->MouseWheel(shift, wheelDelta, mousePos, handled);
        RunScripts();
    }
}

void TNyxInterfaceEngine::PaintForms() {
    for (TNyxForm* form : std::vector<TNyxForm*>(forms_)) {
        if (form->Visible) {
            form->PaintWithoutHints();
        }
    }
}

void TNyxInterfaceEngine::PaintHints() {
    TNyxForm* top = TopForm();
    if (top && top->Visible) {
        top->PaintHints();
    }
}

void TNyxInterfaceEngine::PaintAll() {
    for (TNyxForm* form : std::vector<TNyxForm*>(forms_)) {
        if (form->Visible) {
            form->Paint();
        }
    }
}

void TNyxInterfaceEngine::ShowHint(std::string_view name) {
    TNyxForm* top = TopForm();
    if (!top) {
        return;
    }
    for (TNyxInterfaceObject* child : top->Children) {
        if (child->GetName() == name) {
            if (auto* hint = dynamic_cast<TNyxHint*>(child)) {
                hint->Show();
            }
            return;
        }
    }
}

void TNyxInterfaceEngine::ShowHintAt(std::string_view name, int32_t x, int32_t y) {
    if (auto* hint = dynamic_cast<TNyxHint*>(FindObject(name))) {
        hint->ShowAt(x, y);
    }
}

void TNyxInterfaceEngine::AddScript(const std::string& senderName, const std::string& script) {
    if (script.empty()) {
        return;
    }
    TNyxXMLTag* entry = scripts_->AddTag("Script");
    entry->AddAttribute("Sender", senderName);
    sender_ = FindObject(senderName);
    bool quoted = false;
    size_t start = 0;
    for (size_t i = 0; i < script.size(); ++i) {
        if (script[i] == '"') {
            quoted = !quoted;
        } else if (script[i] == ';' && !quoted) {
            entry->AddTagByString(std::string_view(script).substr(start, i - start));
            start = i + 1;
        }
    }
}

void TNyxInterfaceEngine::RunScripts() {
    for (int round = 0; round < MaxScriptRounds && scripts_->TagCount() > 0; ++round) {
        const std::vector<std::unique_ptr<TNyxXMLTag>> batch = std::move(scripts_->Tags);
        scripts_->Tags.clear();
        for (const auto& script : batch) {
            for (const auto& command : script->Tags) {
                RunCommand(*command);
            }
        }
    }
    scripts_->ClearTags();
}

void TNyxInterfaceEngine::ClearScripts() {
    scripts_->ClearTags();
}

void TNyxInterfaceEngine::RunCommand(const TNyxXMLTag& command) {
    const auto has = [&](std::string_view name) { return command.FindAttribute(name) != nullptr; };
    const auto value = [&](std::string_view name) { return AttributeValue(command, name); };
    const std::string& name = command.Name;
    if (name == "PlaySound") {
        if (has("Sound") && host_) {
            host_->PlaySound(value("Sound"));
        }
    } else if (name == "ShowModal") {
        if (has("Form")) {
            ShowForm(value("Form"));
        }
    } else if (name == "HideModal") {
        if (has("Form")) {
            HideForm(value("Form"));
        } else {
            HideTopForm();
        }
    } else if (name == "HideModalList") {
        HideAllForms();
    } else if (name == "ChangeModal") {
        if (has("ShowForm") && has("HideForm")) {
            ChangeForm(value("HideForm"), value("ShowForm"));
        } else if (has("ShowForm")) {
            ReplaceTopForm(value("ShowForm"));
        }
    } else if (name == "ExecMethod") {
        if (has("Method")) {
            CallHandler(value("Method"));
        }
    } else if (name == "SetProp") {
        if (has("Object") && has("Prop") && has("Value")) {
            SetProperty(value("Object"), value("Prop"), value("Value"));
        }
    }
}

void TNyxInterfaceEngine::Remove(std::string_view name) {
    TNyxObject* object = FindObject(name);
    if (!object) {
        return;
    }
    std::erase(forms_, object);
    if (sender_ == object) {
        sender_ = nullptr;
    }
    Delete(IndexOf(name));
    // Pointers to the removed object are dropped: parents re-resolved, every window's
    // child and tab lists rebuilt.
    ResolveParents();
    for (const auto& other : Objects()) {
        if (auto* form = dynamic_cast<TNyxForm*>(other.get())) {
            form->BuildChildren();
            form->BuildTabList();
        }
    }
}

std::string TNyxInterfaceEngine::GetPropertyText(std::string_view objectName,
                                                 std::string_view propertyName) const {
    return PropValueToString(GetProperty(objectName, propertyName));
}

} // namespace qz
