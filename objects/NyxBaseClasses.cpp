#include "objects/NyxBaseClasses.h"

#include <cassert>

namespace qz {

const TNyxPropertyTable& TNyxObject::StaticProperties() {
    static const TNyxPropertyTable table(
        nullptr, {
                     nyxprop::String("ParentName", &TNyxObject::ParentName),
                     nyxprop::TextAccessor<TNyxObject>("Name", TNyxPropKind::String,
                                                       &TNyxObject::GetName, &TNyxObject::SetName),
                     nyxprop::Integer("Tag", &TNyxObject::Tag),
                 });
    return table;
}

void TNyxObject::Assign(const TNyxObject& source) {
    Tag = source.Tag;
    engine_ = source.engine_;
}

void TNyxObject::SetName(const std::string& value) {
    if (value == name_) {
        return;
    }
    // A name already in use is refused without a word: the object keeps its old name.
    if (engine_ && engine_->FindObject(value)) {
        return;
    }
    name_ = value;
}

void TNyxObject::ResolveParent() {
    ParentObject = engine_ ? engine_->FindObject(ParentName) : nullptr;
}

void TNyxObject::SetPropertyText(std::string_view propertyName, std::string_view value) {
    Properties().Get(propertyName).SetFromText(*this, value);
}

TNyxPropValue TNyxObject::GetPropertyValue(std::string_view propertyName) const {
    return Properties().Get(propertyName).Get(*this);
}

TNyxClassReg::TNyxClassReg() {
    Register<TNyxObject>();
}

TNyxClassReg& TNyxClassReg::Global() {
    static TNyxClassReg registry;
    return registry;
}

bool TNyxClassReg::Register(std::string className, Factory create,
                            const TNyxPropertyTable& properties) {
    if (FindClass(className)) {
        return false;
    }
    classes_.push_back({std::move(className), create, &properties});
    return true;
}

const TNyxClassReg::TNyxClass* TNyxClassReg::FindClass(std::string_view className) const {
    for (const auto& entry : classes_) {
        if (entry.ClassName == className) {
            return &entry;
        }
    }
    return nullptr;
}

TNyxEngine::~TNyxEngine() {
    Clear();
}

int32_t TNyxEngine::Add(std::unique_ptr<TNyxObject> object) {
    assert(object);
    object->SetEngine(this);
    objects_.push_back(std::move(object));
    return Count() - 1;
}

int32_t TNyxEngine::CreateObject(const std::string& name, const std::string& parentName,
                                 std::string_view className) {
    const TNyxClassReg::TNyxClass* entry = TNyxClassReg::Global().FindClass(className);
    if (!entry) {
        return -1;
    }
    std::unique_ptr<TNyxObject> object = entry->Create();
    TNyxObject* created = object.get();
    const int32_t index = Add(std::move(object));
    created->ParentName = parentName;
    created->SetName(name);
    return index;
}

int32_t TNyxEngine::IndexOf(std::string_view name) const {
    for (size_t i = 0; i < objects_.size(); ++i) {
        if (objects_[i]->GetName() == name) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

TNyxObject* TNyxEngine::FindObject(std::string_view name) const {
    return Object(IndexOf(name));
}

TNyxObject* TNyxEngine::Object(int32_t index) const {
    if (index < 0 || index >= Count()) {
        return nullptr;
    }
    return objects_[static_cast<size_t>(index)].get();
}

void TNyxEngine::Delete(int32_t index) {
    if (index < 0 || index >= Count()) {
        return;
    }
    objects_.erase(objects_.begin() + index);
}

void TNyxEngine::Remove(std::string_view name) {
    Delete(IndexOf(name));
}

void TNyxEngine::Clear() {
    objects_.clear();
}

void TNyxEngine::ResolveParents() {
    for (const auto& object : objects_) {
        object->ResolveParent();
    }
}

bool TNyxEngine::SetProperty(std::string_view objectName, std::string_view propertyName,
                             std::string_view value) {
    TNyxObject* object = FindObject(objectName);
    if (!object) {
        return false;
    }
    object->SetPropertyText(propertyName, value);
    return true;
}

TNyxPropValue TNyxEngine::GetProperty(std::string_view objectName,
                                      std::string_view propertyName) const {
    const TNyxObject* object = FindObject(objectName);
    if (!object) {
        return {};
    }
    return object->GetPropertyValue(propertyName);
}

} // namespace qz
