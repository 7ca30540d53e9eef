#pragma once
// The shared object model of the font and interface engines: named objects owned by an
// engine in a flat list, created by class name through the class registry, with their
// properties set and read by name from text through each class's property table.

#include "objects/NyxProperties.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

class TNyxEngine;

class TNyxObject {
public:
    static constexpr std::string_view StaticClassName = "TNyxObject";
    // ParentName (string, plain), Name (string, through SetName), Tag (integer, plain).
    static const TNyxPropertyTable& StaticProperties();

    TNyxObject() = default;
    virtual ~TNyxObject() = default;
    TNyxObject(const TNyxObject&) = delete;
    TNyxObject& operator=(const TNyxObject&) = delete;

    virtual std::string_view ClassName() const { return StaticClassName; }
    virtual const TNyxPropertyTable& Properties() const { return StaticProperties(); }

    // Copies Tag and Engine, not the names; descendants add their own fields.
    virtual void Assign(const TNyxObject& source);
    // Names are unique within the engine: a name another object of the engine already has
    // is refused silently and the name stays what it was. The current name is a no-op.
    virtual void SetName(const std::string& value);
    const std::string& GetName() const { return name_; }

    TNyxEngine* GetEngine() const { return engine_; }
    void SetEngine(TNyxEngine* engine) { engine_ = engine; }
    // ParentObject becomes the engine's object named ParentName, or nullptr.
    void ResolveParent();

    // Converts value by the property's kind and stores it. Errors: "Property %s does not
    // exist", and the conversion messages; the object then keeps its previous value.
    void SetPropertyText(std::string_view propertyName, std::string_view value);
    // Raises "Property %s does not exist" for a name that is not in the table.
    TNyxPropValue GetPropertyValue(std::string_view propertyName) const;

    std::string ParentName;
    int32_t Tag = 0;
    // Not owned: the object of the same engine named ParentName, once resolved.
    TNyxObject* ParentObject = nullptr;

private:
    std::string name_;
    TNyxEngine* engine_ = nullptr;
};

// The global list of classes that can be created by name, in registration order.
class TNyxClassReg {
public:
    using Factory = std::unique_ptr<TNyxObject> (*)();
    struct TNyxClass {
        std::string ClassName;
        Factory Create;
        const TNyxPropertyTable* Properties;
    };

    // The one registry of the program; TNyxObject is its first entry.
    static TNyxClassReg& Global();

    // Appends C unless a class of that name is registered; returns whether it was added.
    template <class C> bool Register() {
        return Register(
            std::string(C::StaticClassName),
            [] { return std::unique_ptr<TNyxObject>(std::make_unique<C>()); },
            C::StaticProperties());
    }
    bool Register(std::string className, Factory create, const TNyxPropertyTable& properties);
    // Compared exactly, case-sensitively; nullptr when not registered.
    const TNyxClass* FindClass(std::string_view className) const;
    const std::vector<TNyxClass>& Classes() const { return classes_; }

private:
    TNyxClassReg();
    std::vector<TNyxClass> classes_;
};

// Owns a flat list of named objects in creation order. Indexes shift down on Delete.
class TNyxEngine {
public:
    TNyxEngine() = default;
    virtual ~TNyxEngine();
    TNyxEngine(const TNyxEngine&) = delete;
    TNyxEngine& operator=(const TNyxEngine&) = delete;

    // Appends and returns the new index; the object's engine becomes this one.
    int32_t Add(std::unique_ptr<TNyxObject> object);
    // The index of a new object of the registered class className (exact case), or -1 when
    // there is none. The parent is stored but not resolved; a name in use leaves it unnamed.
    int32_t CreateObject(const std::string& name, const std::string& parentName,
                         std::string_view className);
    // First object named exactly name, or -1 / nullptr.
    int32_t IndexOf(std::string_view name) const;
    TNyxObject* FindObject(std::string_view name) const;
    // Frees the object; an index outside 0..Count()-1 is ignored.
    void Delete(int32_t index);
    virtual void Remove(std::string_view name);
    void Clear();
    void ResolveParents();

    // false when no object has that name; conversion errors reach the caller.
    bool SetProperty(std::string_view objectName, std::string_view propertyName,
                     std::string_view value);
    // Empty when no object has that name; an unknown property is an error.
    TNyxPropValue GetProperty(std::string_view objectName, std::string_view propertyName) const;

    int32_t Count() const { return static_cast<int32_t>(objects_.size()); }
    // 0-based; nullptr when out of range.
    TNyxObject* Object(int32_t index) const;
    const std::vector<std::unique_ptr<TNyxObject>>& Objects() const { return objects_; }

private:
    std::vector<std::unique_ptr<TNyxObject>> objects_;
};

} // namespace qz
