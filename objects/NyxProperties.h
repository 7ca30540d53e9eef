#pragma once
// Property tables: for every class created by name, the list of its published properties
// (name, kind, how a new value is stored) through which engines and data files set and read
// properties as text. Tables are data: they can be listed, printed and walked.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

namespace qz {

class TNyxObject;

enum class TNyxPropKind {
    Integer,     // 32-bit signed
    Byte,        // 0..255
    Boolean,     // identifiers False, True
    Enumeration, // ordered identifiers
    String,      // 8-bit bytes
    UTF8String,  // UTF-8 bytes (captions)
    WideString,  // UTF-16, given and read through the 8-bit code page
};

enum class TNyxPropStore {
    Plain,  // the value goes straight into the field
    Setter, // the class's setter runs, with its side effects
};

// A property's value as read: empty (no such object), an integer (integer and byte kinds) or
// a text (strings, and the identifier of booleans and enumerations).
using TNyxPropValue = std::variant<std::monostate, int32_t, std::string>;
// The value as the game reads it: integers in decimal, nothing as "".
std::string PropValueToString(const TNyxPropValue& value);

// One row of a table. Ordinal kinds (integer, byte, boolean, enumeration) move their value
// as an int32 (the ordinal of booleans and enumerations); the string kinds as bytes; wide
// strings as UTF-16. A row without a reader is write-only and reads as "".
struct TNyxProperty {
    std::string Name;
    TNyxPropKind Kind = TNyxPropKind::Integer;
    TNyxPropStore Store = TNyxPropStore::Plain;
    std::vector<std::string> Identifiers;

    std::function<void(TNyxObject&, int32_t)> SetOrdinal;
    std::function<int32_t(const TNyxObject&)> GetOrdinal;
    std::function<void(TNyxObject&, const std::string&)> SetString;
    std::function<std::string(const TNyxObject&)> GetString;
    std::function<void(TNyxObject&, const std::u16string&)> SetWide;
    std::function<std::u16string(const TNyxObject&)> GetWide;

    // Converts text by the row's kind and stores it; errors leave the object unchanged.
    void SetFromText(TNyxObject& object, std::string_view text) const;
    TNyxPropValue Get(const TNyxObject& object) const;
};

class TNyxPropertyTable {
public:
    // The base class's rows first, then the class's own.
    TNyxPropertyTable(const TNyxPropertyTable* base, std::vector<TNyxProperty> own);

    // The first row whose name equals name ignoring ASCII letter case, or nullptr.
    const TNyxProperty* Find(std::string_view name) const;
    // Like Find, but a missing row is the error "Property %s does not exist".
    const TNyxProperty& Get(std::string_view name) const;
    const std::vector<TNyxProperty>& Rows() const { return rows_; }
    // One line per row: "Name kind store", enumerations with their identifiers.
    std::string Describe() const;

private:
    std::vector<TNyxProperty> rows_;
};

std::string_view PropKindName(TNyxPropKind kind);

// Row builders for class C. The plain forms store into the field; the setter forms read
// the field and store through the member function.
namespace nyxprop {

inline TNyxProperty MakeRow(std::string name, TNyxPropKind kind, TNyxPropStore store,
                            std::vector<std::string> identifiers = {}) {
    TNyxProperty row;
    row.Name = std::move(name);
    row.Kind = kind;
    row.Store = store;
    row.Identifiers = std::move(identifiers);
    return row;
}

template <class C>
TNyxProperty Integer(std::string name, int32_t C::*field, void (C::*setter)(int32_t) = nullptr) {
    TNyxProperty row = MakeRow(std::move(name), TNyxPropKind::Integer,
                               setter ? TNyxPropStore::Setter : TNyxPropStore::Plain);
    row.GetOrdinal = [field](const TNyxObject& o) { return static_cast<const C&>(o).*field; };
    if (setter) {
        row.SetOrdinal = [setter](TNyxObject& o, int32_t v) { (static_cast<C&>(o).*setter)(v); };
    } else {
        row.SetOrdinal = [field](TNyxObject& o, int32_t v) { static_cast<C&>(o).*field = v; };
    }
    return row;
}

template <class C>
TNyxProperty Byte(std::string name, uint8_t C::*field, void (C::*setter)(uint8_t) = nullptr) {
    TNyxProperty row = MakeRow(std::move(name), TNyxPropKind::Byte,
                               setter ? TNyxPropStore::Setter : TNyxPropStore::Plain);
    row.GetOrdinal = [field](const TNyxObject& o) { return static_cast<const C&>(o).*field; };
    if (setter) {
        row.SetOrdinal = [setter](TNyxObject& o, int32_t v) {
            (static_cast<C&>(o).*setter)(static_cast<uint8_t>(v));
        };
    } else {
        row.SetOrdinal = [field](TNyxObject& o, int32_t v) {
            static_cast<C&>(o).*field = static_cast<uint8_t>(v);
        };
    }
    return row;
}

template <class C>
TNyxProperty Boolean(std::string name, bool C::*field, void (C::*setter)(bool) = nullptr) {
    TNyxProperty row =
        MakeRow(std::move(name), TNyxPropKind::Boolean,
                setter ? TNyxPropStore::Setter : TNyxPropStore::Plain, {"False", "True"});
    row.GetOrdinal = [field](const TNyxObject& o) {
        return static_cast<const C&>(o).*field ? 1 : 0;
    };
    if (setter) {
        row.SetOrdinal = [setter](TNyxObject& o, int32_t v) {
            (static_cast<C&>(o).*setter)(v != 0);
        };
    } else {
        row.SetOrdinal = [field](TNyxObject& o, int32_t v) { static_cast<C&>(o).*field = v != 0; };
    }
    return row;
}

// identifiers in the order of E's values, starting at 0.
template <class C, class E>
TNyxProperty Enumeration(std::string name, E C::*field, std::vector<std::string> identifiers,
                         void (C::*setter)(E) = nullptr) {
    TNyxProperty row =
        MakeRow(std::move(name), TNyxPropKind::Enumeration,
                setter ? TNyxPropStore::Setter : TNyxPropStore::Plain, std::move(identifiers));
    row.GetOrdinal = [field](const TNyxObject& o) {
        return static_cast<int32_t>(static_cast<const C&>(o).*field);
    };
    if (setter) {
        row.SetOrdinal = [setter](TNyxObject& o, int32_t v) {
            (static_cast<C&>(o).*setter)(static_cast<E>(v));
        };
    } else {
        row.SetOrdinal = [field](TNyxObject& o, int32_t v) {
            static_cast<C&>(o).*field = static_cast<E>(v);
        };
    }
    return row;
}

// kind is String or UTF8String: both travel as bytes.
template <class C>
TNyxProperty Text(std::string name, TNyxPropKind kind, std::string C::*field,
                  void (C::*setter)(const std::string&) = nullptr) {
    TNyxProperty row =
        MakeRow(std::move(name), kind, setter ? TNyxPropStore::Setter : TNyxPropStore::Plain);
    row.GetString = [field](const TNyxObject& o) { return static_cast<const C&>(o).*field; };
    if (setter) {
        row.SetString = [setter](TNyxObject& o, const std::string& v) {
            (static_cast<C&>(o).*setter)(v);
        };
    } else {
        row.SetString = [field](TNyxObject& o, const std::string& v) {
            static_cast<C&>(o).*field = v;
        };
    }
    return row;
}

template <class C>
TNyxProperty String(std::string name, std::string C::*field,
                    void (C::*setter)(const std::string&) = nullptr) {
    return Text(std::move(name), TNyxPropKind::String, field, setter);
}

// A string property held in another form (a caption kept as UTF-16, a parsed table): read
// through getter (a member function or nullptr for write-only), stored through setter.
template <class C, class Getter, class Setter>
TNyxProperty TextAccessor(std::string name, TNyxPropKind kind, Getter getter, Setter setter) {
    TNyxProperty row = MakeRow(std::move(name), kind, TNyxPropStore::Setter);
    if constexpr (!std::is_null_pointer_v<Getter>) {
        row.GetString = [getter](const TNyxObject& o) {
            return std::string(std::invoke(getter, static_cast<const C&>(o)));
        };
    }
    row.SetString = [setter](TNyxObject& o, const std::string& v) {
        std::invoke(setter, static_cast<C&>(o), v);
    };
    return row;
}

template <class C>
TNyxProperty Wide(std::string name, std::u16string C::*field,
                  void (C::*setter)(const std::u16string&) = nullptr) {
    TNyxProperty row = MakeRow(std::move(name), TNyxPropKind::WideString,
                               setter ? TNyxPropStore::Setter : TNyxPropStore::Plain);
    row.GetWide = [field](const TNyxObject& o) { return static_cast<const C&>(o).*field; };
    if (setter) {
        row.SetWide = [setter](TNyxObject& o, const std::u16string& v) {
            (static_cast<C&>(o).*setter)(v);
        };
    } else {
        row.SetWide = [field](TNyxObject& o, const std::u16string& v) {
            static_cast<C&>(o).*field = v;
        };
    }
    return row;
}

} // namespace nyxprop

} // namespace qz
