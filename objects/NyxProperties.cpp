#include "objects/NyxProperties.h"

#include "archive/Error.h"
#include "archive/Helpers.h"
#include "objects/NyxStrings.h"

#include <cassert>
#include <cmath>
#include <limits>

namespace qz {

namespace {

// Numbers arrive as text and are cut toward zero, as a variant conversion does.
int32_t TextToOrdinal(std::string_view text, int64_t low, int64_t high) {
    const std::optional<double> number = TryStrToFloat(text);
    if (!number || !std::isfinite(*number)) {
        throw Error("Could not convert variant of type (String) into type (Double)");
    }
    const double truncated = std::trunc(*number);
    if (truncated < static_cast<double>(low) || truncated > static_cast<double>(high)) {
        throw Error("Range check error");
    }
    return static_cast<int32_t>(truncated);
}

int32_t IdentifierToOrdinal(const std::vector<std::string>& identifiers, std::string_view text) {
    for (size_t i = 0; i < identifiers.size(); ++i) {
        if (SameText(identifiers[i], text)) {
            return static_cast<int32_t>(i);
        }
    }
    throw Error("Invalid property element: " + std::string(text));
}

} // namespace

std::string PropValueToString(const TNyxPropValue& value) {
    if (const auto* number = std::get_if<int32_t>(&value)) {
        return IntToStr(*number);
    }
    if (const auto* text = std::get_if<std::string>(&value)) {
        return *text;
    }
    return {};
}

std::string_view PropKindName(TNyxPropKind kind) {
    switch (kind) {
    case TNyxPropKind::Integer:
        return "integer";
    case TNyxPropKind::Byte:
        return "byte";
    case TNyxPropKind::Boolean:
        return "boolean";
    case TNyxPropKind::Enumeration:
        return "enumeration";
    case TNyxPropKind::String:
        return "string";
    case TNyxPropKind::UTF8String:
        return "utf8string";
    case TNyxPropKind::WideString:
        return "widestring";
    }
    return "unknown";
}

void TNyxProperty::SetFromText(TNyxObject& object, std::string_view text) const {
    switch (Kind) {
    case TNyxPropKind::Integer:
        SetOrdinal(object, TextToOrdinal(text, std::numeric_limits<int32_t>::min(),
                                         std::numeric_limits<int32_t>::max()));
        return;
    case TNyxPropKind::Byte:
        SetOrdinal(object, TextToOrdinal(text, 0, 255));
        return;
    case TNyxPropKind::Boolean:
    case TNyxPropKind::Enumeration:
        SetOrdinal(object, IdentifierToOrdinal(Identifiers, text));
        return;
    case TNyxPropKind::String:
    case TNyxPropKind::UTF8String:
        SetString(object, std::string(text));
        return;
    case TNyxPropKind::WideString:
        SetWide(object, WidenAnsi(text));
        return;
    }
}

TNyxPropValue TNyxProperty::Get(const TNyxObject& object) const {
    switch (Kind) {
    case TNyxPropKind::Integer:
    case TNyxPropKind::Byte:
        return GetOrdinal(object);
    case TNyxPropKind::Boolean:
    case TNyxPropKind::Enumeration: {
        const int32_t ordinal = GetOrdinal(object);
        assert(ordinal >= 0 && static_cast<size_t>(ordinal) < Identifiers.size());
        return Identifiers[static_cast<size_t>(ordinal)];
    }
    case TNyxPropKind::String:
    case TNyxPropKind::UTF8String:
        return GetString ? GetString(object) : std::string();
    case TNyxPropKind::WideString:
        return GetWide ? NarrowAnsi(GetWide(object)) : std::string();
    }
    return {};
}

TNyxPropertyTable::TNyxPropertyTable(const TNyxPropertyTable* base, std::vector<TNyxProperty> own) {
    if (base) {
        rows_ = base->rows_;
    }
    for (auto& row : own) {
        rows_.push_back(std::move(row));
    }
}

const TNyxProperty* TNyxPropertyTable::Find(std::string_view name) const {
    for (const auto& row : rows_) {
        if (SameText(row.Name, name)) {
            return &row;
        }
    }
    return nullptr;
}

const TNyxProperty& TNyxPropertyTable::Get(std::string_view name) const {
    const TNyxProperty* row = Find(name);
    if (!row) {
        throw Error("Property " + std::string(name) + " does not exist");
    }
    return *row;
}

std::string TNyxPropertyTable::Describe() const {
    std::string text;
    for (const auto& row : rows_) {
        text += row.Name;
        text += ' ';
        text += PropKindName(row.Kind);
        if (row.Kind == TNyxPropKind::Enumeration) {
            text += '(';
            for (size_t i = 0; i < row.Identifiers.size(); ++i) {
                text += (i ? "," : "") + row.Identifiers[i];
            }
            text += ')';
        }
        text += row.Store == TNyxPropStore::Plain ? " plain" : " setter";
        if (row.Kind != TNyxPropKind::Integer && row.Kind != TNyxPropKind::Byte &&
            row.Kind != TNyxPropKind::Boolean && row.Kind != TNyxPropKind::Enumeration &&
            !row.GetString && !row.GetWide) {
            text += " write-only";
        }
        text += '\n';
    }
    return text;
}

} // namespace qz
