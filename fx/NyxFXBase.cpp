#include "fx/NyxFXBase.h"

#include "archive/Error.h"
#include "archive/Helpers.h"

#include <cmath>
#include <ctime>
#include <iostream>
#include <limits>

namespace qz::fx {

float StrToFloatStrict(std::string_view text) {
    const std::optional<double> value = TryStrToFloat(text);
    if (!value) {
        throw Error("'" + std::string(text) + "' is not a valid floating point value");
    }
    return static_cast<float>(*value);
}

TVector3 StrToVector(std::string_view text) {
    const std::vector<std::string> parts = SplitString(Trim(text), ',');
    if (parts.empty() || parts.size() > 3) {
        throw Error("\"" + std::string(text) + "\" string-to-vector convertation failed");
    }
    TVector3 result{0, 0, 0};
    for (size_t i = 0; i < parts.size(); ++i) {
        result[i] = StrToFloatStrict(Trim(parts[i]));
    }
    return result;
}

int32_t RoundToInt(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    const double rounded = std::round(value);
    if (rounded >= static_cast<double>(std::numeric_limits<int32_t>::max())) {
        return std::numeric_limits<int32_t>::max();
    }
    if (rounded <= static_cast<double>(std::numeric_limits<int32_t>::min())) {
        return std::numeric_limits<int32_t>::min();
    }
    return static_cast<int32_t>(rounded);
}

TNyxObject::TNyxObject(std::string_view className) : className_(className) {
    SetName(std::string(className.empty() ? className : className.substr(1)) + "_Default");
}

void TNyxObject::SetName(std::string_view name) {
    name_ = std::string(name.substr(0, MaxNameLength));
}

bool TNyxObject::Assign(const TNyxObject* source) {
    if (source == nullptr) {
        return false;
    }
    name_ = source->name_;
    return true;
}

std::unique_ptr<TNyxObject> TNyxObject::CreateSame() const {
    return std::make_unique<TNyxObject>(className_);
}

TNyxObject* TNyxStaticCollection::Get(int32_t index) const {
    if (index < 0 || index >= Count()) {
        return nullptr;
    }
    return items_[static_cast<size_t>(index)].get();
}

int32_t TNyxStaticCollection::Add(std::unique_ptr<TNyxObject> item) {
    items_.push_back(std::move(item));
    return Count() - 1;
}

int32_t TNyxStaticCollection::IndexOf(std::string_view name) const {
    for (int32_t i = 0; i < Count(); ++i) {
        const TNyxObject* item = items_[static_cast<size_t>(i)].get();
        if (item != nullptr && SameText(item->Name(), name)) {
            return i;
        }
    }
    return -1;
}

bool TNyxStaticCollection::Assign(const TNyxObject* source) {
    const auto* other = dynamic_cast<const TNyxStaticCollection*>(source);
    if (other == nullptr) {
        return false;
    }
    TNyxObject::Assign(source);
    Clear();
    for (const std::unique_ptr<TNyxObject>& item : other->items_) {
        if (item == nullptr) {
            items_.push_back(nullptr);
            continue;
        }
        std::unique_ptr<TNyxObject> copy = item->CreateSame();
        if (!copy->Assign(item.get())) {
            Clear();
            return false;
        }
        items_.push_back(std::move(copy));
    }
    return true;
}

bool TNyxStaticCollection::Initialize() {
    for (const std::unique_ptr<TNyxObject>& item : items_) {
        if (item == nullptr || item->Initialize()) {
            continue;
        }
        const std::time_t now = std::time(nullptr);
        char when[32] = {};
        std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
        std::cerr << "\"" << item->ClassName() << "." << item->Name()
                  << "\" initialization failed, error 1, " << when << "\n";
        return false;
    }
    return true;
}

std::unique_ptr<TNyxObject> TNyxStaticCollection::CreateSame() const {
    return std::make_unique<TNyxStaticCollection>(ClassName());
}

} // namespace qz::fx
