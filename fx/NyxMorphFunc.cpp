#include "fx/NyxMorphFunc.h"

#include "archive/Error.h"
#include "archive/Helpers.h"

#include <cmath>

namespace qz::fx {

void TNyxMorphFunc::SetDimension(int32_t dimension) {
    if (dimension >= 1 && dimension <= 3) {
        dimension_ = static_cast<uint8_t>(dimension);
    }
}

bool TNyxMorphFunc::Assign(const TNyxObject* source) {
    const auto* other = dynamic_cast<const TNyxMorphFunc*>(source);
    if (other == nullptr || other->ClassName() != ClassName()) {
        return false;
    }
    TNyxObject::Assign(source);
    dimension_ = other->dimension_;
    Owned = other->Owned;
    Weight = other->Weight;
    return true;
}

std::unique_ptr<TNyxObject> TNyxMorphFunc::CreateSame() const {
    return std::make_unique<TNyxMorphFunc>(ClassName());
}

std::optional<int32_t> TNyxMorphFunc::FindParamIndex(std::string_view name) const {
    if (name == "Weight") {
        return 0;
    }
    return std::nullopt;
}

int32_t TNyxMorphFunc::GetParamIndex(std::string_view name) const {
    const std::optional<int32_t> index = FindParamIndex(name);
    if (!index) {
        throw Error("Invalid " + ClassName() + " function \"" + Name() + "\" parameter \"" +
                    std::string(name) + "\"");
    }
    return *index;
}

void TNyxMorphFunc::InvalidParamIndex(int32_t index) const {
    throw Error("Invalid " + ClassName() + " function \"" + Name() + "\" parameter index " +
                IntToStr(index));
}

void TNyxMorphFunc::SetParam(int32_t index, const TVector3& values) {
    if (index != 0) {
        InvalidParamIndex(index);
    }
    Weight = values[0];
}

TVector3 TNyxMorphFunc::GetValue(int64_t) const {
    return {0, 0, 0};
}

bool TNyxPeriodicFunc::Assign(const TNyxObject* source) {
    if (!TNyxMorphFunc::Assign(source)) {
        return false;
    }
    components_ = static_cast<const TNyxPeriodicFunc*>(source)->components_;
    return true;
}

std::unique_ptr<TNyxObject> TNyxPeriodicFunc::CreateSame() const {
    return std::make_unique<TNyxPeriodicFunc>();
}

namespace {

constexpr std::array<std::string_view, 9> PeriodicNames = {"g1", "a1", "b1", "a2", "b2",
                                                           "g3", "a3", "b3", "c"};

} // namespace

std::optional<int32_t> TNyxPeriodicFunc::FindParamIndex(std::string_view name) const {
    for (size_t i = 0; i < PeriodicNames.size(); ++i) {
        if (name == PeriodicNames[i]) {
            return static_cast<int32_t>(i + 1);
        }
    }
    return TNyxMorphFunc::FindParamIndex(name);
}

void TNyxPeriodicFunc::SetParam(int32_t index, const TVector3& values) {
    if (index < 1 || index > 9) {
        TNyxMorphFunc::SetParam(index, values);
        return;
    }
    for (size_t k = 0; k < 3; ++k) {
        components_[k].Coefficients[static_cast<size_t>(index - 1)] = values[k];
    }
}

void TNyxPeriodicFunc::SetParamText(int32_t component, std::string_view text) {
    if (component < 0 || component > 2) {
        return;
    }
    TComponent& target = components_[static_cast<size_t>(component)];
    for (const std::string& entry : SplitString(text, ';')) {
        const size_t equals = entry.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        const std::string name = LowerCase(Trim(entry.substr(0, equals)));
        for (size_t i = 0; i < PeriodicNames.size(); ++i) {
            if (name == PeriodicNames[i]) {
                target.Coefficients[i] =
                    static_cast<float>(StrToFloatDef(Trim(entry.substr(equals + 1)), 0));
            }
        }
    }
    const std::array<float, 9>& c = target.Coefficients;
    target.SecondFactor = std::fabs(c[3]) > 1e-6f;
    target.Modulation = std::fabs(c[5]) > 1e-6f && std::fabs(c[6]) > 1e-6f;
}

TVector3 TNyxPeriodicFunc::GetValue(int64_t timeMs) const {
    TVector3 result{0, 0, 0};
    const float t = static_cast<float>(timeMs) * 0.001f;
    for (size_t k = 0; k < Dimension(); ++k) {
        const TComponent& part = components_[k];
        const std::array<float, 9>& c = part.Coefficients;
        float phase = c[1] * t;
        if (part.Modulation) {
            phase += c[5] * std::sin(c[6] * t + c[7]);
        }
        float v = c[0] * std::sin(phase + c[2]);
        if (part.SecondFactor) {
            v *= std::sin(c[3] * t + c[4]);
        }
        result[k] = v + c[8];
    }
    return result;
}

bool TNyxParabolicFunc::Assign(const TNyxObject* source) {
    if (!TNyxMorphFunc::Assign(source)) {
        return false;
    }
    const auto* other = static_cast<const TNyxParabolicFunc*>(source);
    P0 = other->P0;
    V0 = other->V0;
    A = other->A;
    return true;
}

std::unique_ptr<TNyxObject> TNyxParabolicFunc::CreateSame() const {
    return std::make_unique<TNyxParabolicFunc>();
}

std::optional<int32_t> TNyxParabolicFunc::FindParamIndex(std::string_view name) const {
    if (name == "P0") {
        return 1;
    }
    if (name == "V0") {
        return 2;
    }
    if (name == "A") {
        return 3;
    }
    return TNyxMorphFunc::FindParamIndex(name);
}

void TNyxParabolicFunc::SetParam(int32_t index, const TVector3& values) {
    switch (index) {
    case 1:
        P0 = values;
        break;
    case 2:
        V0 = values;
        break;
    case 3:
        A = values;
        break;
    default:
        TNyxMorphFunc::SetParam(index, values);
    }
}

TVector3 TNyxParabolicFunc::GetValue(int64_t timeMs) const {
    TVector3 result{0, 0, 0};
    const float t = static_cast<float>(timeMs) * 0.001f;
    for (size_t k = 0; k < Dimension(); ++k) {
        result[k] = P0[k] + t * (V0[k] + t * A[k]);
    }
    return result;
}

TNyxMorphFuncLib& GlobalMorphFuncLib() {
    static TNyxMorphFuncLib library;
    return library;
}

} // namespace qz::fx
