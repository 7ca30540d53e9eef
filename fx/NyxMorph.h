#pragma once
// A morph sums several morph functions into one animated value of 1 to 3 components and
// applies a scale, a rotation and a position to the sum; its properties may be driven by
// other morphs. The rotator builds the 3-component rotation from axis rotations.

#include "fx/NyxMorphFunc.h"

namespace qz {
class TNyxXMLTag;
}

namespace qz::fx {

// Row-major 4 x 4.
using TMatrix4 = std::array<float, 16>;
TMatrix4 IdentityMatrix();

class TNyxRotator : public TNyxObject {
public:
    struct TBaseRotation {
        // "X", "Y", "Z" turn about the fixed axes, "x", "y", "z" about the turned ones.
        char Axis = 'X';
        float Angle = 0;
        // Which input value (1..3) drives the angle.
        int32_t Param = 1;
        TMatrix4 Matrix = IdentityMatrix();
    };

    TNyxRotator() : TNyxObject("TNyxRotator") {}

    bool Assign(const TNyxObject* source) override;
    std::unique_ptr<TNyxObject> CreateSame() const override;

    void Clear();
    // Raises "Invalid base axis value \"<axis>\"" for a letter other than XYZxyz.
    void AddRotation(char axis, int32_t param);
    // Blank- or comma-separated axis letters each followed by its parameter number:
    // "Z1 X2 Y3". A number outside 1..3 raises "Invalid rotation pattern parameter index".
    void SetPattern(std::string_view pattern);
    // Angles in radians for parameters 1..3; recomputes the rotations and their product.
    void SetParams(const TVector3& values);
    const TMatrix4& Matrix() const { return matrix_; }
    const std::vector<TBaseRotation>& Rotations() const { return rotations_; }

private:
    void Multiply();

    std::vector<TBaseRotation> rotations_;
    TMatrix4 matrix_ = IdentityMatrix();
};

class TNyxMorph;

// The named morphs of an effect (or the process-wide library).
class TNyxMorphLib : public TNyxStaticCollection {
public:
    TNyxMorphLib() : TNyxStaticCollection("TNyxMorphLib") {}

    TNyxMorph* Morph(int32_t index) const;
    TNyxMorph* Find(std::string_view name) const { return Morph(IndexOf(name)); }
    std::unique_ptr<TNyxObject> CreateSame() const override {
        return std::make_unique<TNyxMorphLib>();
    }
};

// The process-wide morph library, alive for the whole run.
TNyxMorphLib& GlobalMorphLib();

enum TNyxPropertyKind : uint8_t {
    pkPosition,
    pkRotation,
    pkScale,
    pkStartTime,
    pkFunctionParam,
};

// A property of a morph that a value can be written into.
struct TNyxPropertyTarget {
    TNyxPropertyKind Kind = pkPosition;
    int32_t Function = -1;
    int32_t Param = 0;
};

class TNyxMorph : public TNyxObject {
public:
    // A property bound to a child morph (evaluated with the morph) or to a value range
    // (drawn when the morph is initialised).
    struct TDynamicParam {
        TNyxPropertyTarget Target;
        int32_t Child = -1;
        TVector3 Min{0, 0, 0};
        TVector3 Max{0, 0, 0};
    };

    TNyxMorph();
    ~TNyxMorph() override;

    uint8_t Dimension() const { return dimension_; }
    // 3 gives the rotator its rotations about X, Y and Z (parameters 1, 2, 3); values
    // outside 1..3 or equal to the current one are ignored.
    void SetDimension(int32_t dimension);

    bool Assign(const TNyxObject* source) override;
    std::unique_ptr<TNyxObject> CreateSame() const override;
    // Draws every range-bound property and writes it into the morph.
    bool Initialize() override;

    // Value at t ms by Dimension; the other components are 0. Child morphs that drive a
    // property are evaluated first; a morph met again while it is being evaluated (a
    // morph bound to itself) gives its value without re-reading its children.
    TVector3 GetValue(int64_t timeMs);

    void SetPosition(const TVector3& value);
    // Radians; for 3 components the rotator's three parameters.
    void SetRotation(const TVector3& value);
    void SetScale(const TVector3& value);
    void SetTimeShift(int32_t ms);
    void SetBaseTime(int32_t ms);
    // Writes value into a property (a time shift in seconds).
    void ApplyProperty(const TNyxPropertyTarget& target, const TVector3& value);

    // Looks name up in FuncLib; a private copy when clone. A missing function or one of
    // another dimension is not added: -1.
    int32_t AddFunction(std::string_view name, bool clone);
    int32_t IndexOfFunction(std::string_view name) const;
    int32_t FunctionCount() const { return static_cast<int32_t>(functions_.size()); }
    TNyxMorphFunc* GetFunction(int32_t index) const;
    // The index of the child of that name already used, else the morph of MorphLib
    // appended; -1 for an empty or unknown name.
    int32_t AddChildMorph(std::string_view name);
    int32_t ChildMorphCount() const { return static_cast<int32_t>(childMorphs_.size()); }
    TNyxMorph* ChildMorph(int32_t index) const;

    // The libraries where function and child-morph names are found; shared functions
    // and child morphs are looked up again by name in the new libraries.
    void BindLibraries(TNyxMorphFuncLib* funcLib, TNyxMorphLib* morphLib);
    TNyxMorphFuncLib* FuncLib() const { return funcLib_; }
    TNyxMorphLib* MorphLib() const { return morphLib_; }

    // Reads the "Functions" and "Properties" children of a "Morph" element.
    void ReadXML(const TNyxXMLTag& tag);
    // Resolves a property name ("Position", "Func.Param" ...) against this morph.
    // Errors: "<Property> tag \"Name\" attribute has invalid value \"<name>\"" and
    // "<Property> tag \"Name\" attribute value contains unknown Function name \"<name>\"".
    TNyxPropertyTarget PropertyTarget(std::string_view name) const;

    const std::vector<TDynamicParam>& DynamicParams() const { return dynamicParams_; }

    int32_t BaseTime = 0;
    int32_t TimeShift = 0;
    int32_t ExtraShift = 0;
    TVector3 Scale{1, 1, 1};
    TVector3 Position{0, 0, 0};
    float Angle = 0;
    TMatrix4 Matrix = IdentityMatrix();
    TNyxRotator Rotator;
    bool ScaleOn = false;
    bool RotationOn = false;
    bool PositionOn = false;

private:
    struct TFunctionRef {
        TNyxMorphFunc* Function = nullptr;
        std::unique_ptr<TNyxMorphFunc> Own;
    };

    void ReadProperty(const TNyxXMLTag& property);

    uint8_t dimension_ = 2;
    TNyxMorphFuncLib* funcLib_;
    TNyxMorphLib* morphLib_;
    std::vector<TFunctionRef> functions_;
    std::vector<TNyxMorph*> childMorphs_;
    std::vector<TDynamicParam> dynamicParams_;
    bool hasChildParams_ = false;
    bool evaluating_ = false;
    bool passingOn_ = false;
};

// Builds a function from a "Function" element (Name, Dim, Type and the children of its
// kind). Errors: "<Function> tag has no \"Dim\" attribute", "<Function> tag has no
// \"Type\" attribute", "Invalid <Function> tag \"Type\" attribute value".
std::unique_ptr<TNyxMorphFunc> ReadMorphFunction(const TNyxXMLTag& tag);

} // namespace qz::fx
