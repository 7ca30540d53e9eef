#pragma once
// Morph functions: a time in milliseconds mapped to a vector of 1 to 3 components. This
// header holds the base, the sum-of-sines and the parabolic kinds and the function library;
// the path kind is in NyxPiecewiseFunc.h.

#include "fx/NyxFXBase.h"

#include <optional>

namespace qz::fx {

class TNyxMorphFunc : public TNyxObject {
public:
    explicit TNyxMorphFunc(std::string_view className = "TNyxMorphFunc") : TNyxObject(className) {}

    uint8_t Dimension() const { return dimension_; }
    // Values outside 1..3 are ignored.
    void SetDimension(int32_t dimension);

    // Copies every field when source is of the same class, and says whether it was.
    bool Assign(const TNyxObject* source) override;
    std::unique_ptr<TNyxObject> CreateSame() const override;

    // The index of a parameter name, or nothing when the function has no such parameter;
    // "Weight" (exact case) is 0 for every kind.
    virtual std::optional<int32_t> FindParamIndex(std::string_view name) const;
    // As FindParamIndex, but an unknown name raises
    // "Invalid <class> function \"<name>\" parameter \"<parameter>\"".
    int32_t GetParamIndex(std::string_view name) const;
    // Index 0 sets Weight from the first value; an unknown index raises
    // "Invalid <class> function \"<name>\" parameter index <index>".
    virtual void SetParam(int32_t index, const TVector3& values);
    void SetParamByName(std::string_view name, const TVector3& values) {
        SetParam(GetParamIndex(name), values);
    }
    // Dimension components; the others stay 0.
    virtual TVector3 GetValue(int64_t timeMs) const;

    // 1 for a private copy that the morph holding it frees.
    uint8_t Owned = 0;
    // The factor a morph applies to this function's contribution.
    float Weight = 1.0f;

protected:
    [[noreturn]] void InvalidParamIndex(int32_t index) const;

private:
    uint8_t dimension_ = 2;
};

// Per component: g1·sin(a1·t [+ g3·sin(a3·t + b3)] + b1) [· sin(a2·t + b2)] + c, t in seconds.
class TNyxPeriodicFunc : public TNyxMorphFunc {
public:
    struct TComponent {
        // g1, a1, b1, a2, b2, g3, a3, b3, c: the order of the parameter indexes 1..9.
        std::array<float, 9> Coefficients{1, 1, 0, 0, 0, 0, 0, 0, 0};
        bool SecondFactor = false;
        bool Modulation = false;
    };

    TNyxPeriodicFunc() : TNyxMorphFunc("TNyxPeriodicFunc") {}

    bool Assign(const TNyxObject* source) override;
    std::unique_ptr<TNyxObject> CreateSame() const override;
    std::optional<int32_t> FindParamIndex(std::string_view name) const override;
    // Indexes 1..9 set that coefficient of every component, one value each; the flags
    // are left as they are.
    void SetParam(int32_t index, const TVector3& values) override;
    TVector3 GetValue(int64_t timeMs) const override;

    // "g1=2; a1=3.14; c=10": names ignoring case, other entries ignored; then the flags are
    // set from the coefficients.
    void SetParamText(int32_t component, std::string_view text);
    const TComponent& Component(int32_t component) const {
        return components_[static_cast<size_t>(component)];
    }

private:
    std::array<TComponent, 3> components_{};
};

// P0 + t·(V0 + t·A) per component, t in seconds.
class TNyxParabolicFunc : public TNyxMorphFunc {
public:
    TNyxParabolicFunc() : TNyxMorphFunc("TNyxParabolicFunc") {}

    bool Assign(const TNyxObject* source) override;
    std::unique_ptr<TNyxObject> CreateSame() const override;
    std::optional<int32_t> FindParamIndex(std::string_view name) const override;
    void SetParam(int32_t index, const TVector3& values) override;
    TVector3 GetValue(int64_t timeMs) const override;

    TVector3 P0{0, 0, 0};
    TVector3 V0{0, 0, 0};
    TVector3 A{0, 0, 0};
};

// The named morph functions of an effect (or the process-wide library).
class TNyxMorphFuncLib : public TNyxStaticCollection {
public:
    TNyxMorphFuncLib() : TNyxStaticCollection("TNyxMorphFuncLib") {}

    TNyxMorphFunc* Function(int32_t index) const {
        return dynamic_cast<TNyxMorphFunc*>(Get(index));
    }
    TNyxMorphFunc* Find(std::string_view name) const { return Function(IndexOf(name)); }
    std::unique_ptr<TNyxObject> CreateSame() const override {
        return std::make_unique<TNyxMorphFuncLib>();
    }
};

// The process-wide function library, alive for the whole run.
TNyxMorphFuncLib& GlobalMorphFuncLib();

} // namespace qz::fx
