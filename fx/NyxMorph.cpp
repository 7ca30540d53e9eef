#include "fx/NyxMorph.h"

#include "archive/Error.h"
#include "archive/Helpers.h"
#include "archive/Random.h"
#include "fx/NyxPiecewiseFunc.h"
#include "xml/NyxParser.h"

#include <cctype>
#include <cmath>

namespace qz::fx {

TMatrix4 IdentityMatrix() {
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

namespace {

TMatrix4 Product(const TMatrix4& a, const TMatrix4& b) {
    TMatrix4 r{};
    for (size_t i = 0; i < 4; ++i) {
        for (size_t j = 0; j < 4; ++j) {
            float sum = 0;
            for (size_t k = 0; k < 4; ++k) {
                sum += a[i * 4 + k] * b[k * 4 + j];
            }
            r[i * 4 + j] = sum;
        }
    }
    return r;
}

TMatrix4 AxisRotation(char axis, float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    TMatrix4 m = IdentityMatrix();
    switch (std::tolower(static_cast<unsigned char>(axis))) {
    case 'x':
        m[5] = c, m[6] = -s, m[9] = s, m[10] = c;
        break;
    case 'y':
        m[0] = c, m[2] = s, m[8] = -s, m[10] = c;
        break;
    default:
        m[0] = c, m[1] = -s, m[4] = s, m[5] = c;
    }
    return m;
}

std::string WithoutParentheses(std::string_view text) {
    std::string result = Trim(text);
    if (!result.empty() && result.front() == '(') {
        result.erase(0, 1);
    }
    if (!result.empty() && result.back() == ')') {
        result.pop_back();
    }
    return result;
}

const std::string* AttributeValue(const TNyxXMLTag& tag, std::string_view name) {
    const TNyxParserAttribute* attribute = tag.FindAttribute(name);
    return attribute != nullptr ? &attribute->Value : nullptr;
}

} // namespace

bool TNyxRotator::Assign(const TNyxObject* source) {
    const auto* other = dynamic_cast<const TNyxRotator*>(source);
    if (other == nullptr) {
        return false;
    }
    TNyxObject::Assign(source);
    rotations_ = other->rotations_;
    matrix_ = other->matrix_;
    return true;
}

std::unique_ptr<TNyxObject> TNyxRotator::CreateSame() const {
    return std::make_unique<TNyxRotator>();
}

void TNyxRotator::Clear() {
    rotations_.clear();
    matrix_ = IdentityMatrix();
}

void TNyxRotator::AddRotation(char axis, int32_t param) {
    if (std::string_view("XYZxyz").find(axis) == std::string_view::npos || axis == 0) {
        throw Error("Invalid base axis value \"" + std::string(1, axis) + "\"");
    }
    TBaseRotation rotation;
    rotation.Axis = axis;
    rotation.Param = param;
    rotations_.push_back(rotation);
    Multiply();
}

void TNyxRotator::SetPattern(std::string_view pattern) {
    std::string text(pattern);
    for (char& c : text) {
        if (c == ',') {
            c = ' ';
        }
    }
    Clear();
    for (const std::string& token : SplitString(text, ' ')) {
        const std::string part = Trim(token);
        if (part.empty()) {
            continue;
        }
        const std::optional<int32_t> param = TryStrToInt(part.substr(1));
        if (!param || *param < 1 || *param > 3) {
            throw Error("Invalid rotation pattern parameter index");
        }
        AddRotation(part[0], *param);
    }
}

void TNyxRotator::SetParams(const TVector3& values) {
    for (TBaseRotation& rotation : rotations_) {
        rotation.Angle = values[static_cast<size_t>(rotation.Param - 1)];
        rotation.Matrix = AxisRotation(rotation.Axis, rotation.Angle);
    }
    Multiply();
}

void TNyxRotator::Multiply() {
    matrix_ = IdentityMatrix();
    for (const TBaseRotation& rotation : rotations_) {
        const bool fixedAxis = std::isupper(static_cast<unsigned char>(rotation.Axis)) != 0;
        matrix_ = fixedAxis ? Product(rotation.Matrix, matrix_) : Product(matrix_, rotation.Matrix);
    }
}

TNyxMorph* TNyxMorphLib::Morph(int32_t index) const {
    return dynamic_cast<TNyxMorph*>(Get(index));
}

TNyxMorphLib& GlobalMorphLib() {
    static TNyxMorphLib library;
    return library;
}

TNyxMorph::TNyxMorph()
    : TNyxObject("TNyxMorph"), funcLib_(&GlobalMorphFuncLib()), morphLib_(&GlobalMorphLib()) {}

TNyxMorph::~TNyxMorph() = default;

void TNyxMorph::SetDimension(int32_t dimension) {
    if (dimension < 1 || dimension > 3 || dimension == dimension_) {
        return;
    }
    dimension_ = static_cast<uint8_t>(dimension);
    if (dimension == 3) {
        Rotator.Clear();
        Rotator.AddRotation('X', 1);
        Rotator.AddRotation('Y', 2);
        Rotator.AddRotation('Z', 3);
        Matrix = Rotator.Matrix();
    }
}

bool TNyxMorph::Assign(const TNyxObject* source) {
    const auto* other = dynamic_cast<const TNyxMorph*>(source);
    if (other == nullptr) {
        return false;
    }
    TNyxObject::Assign(source);
    dimension_ = other->dimension_;
    BaseTime = other->BaseTime;
    TimeShift = other->TimeShift;
    ExtraShift = other->ExtraShift;
    Scale = other->Scale;
    Position = other->Position;
    Angle = other->Angle;
    Matrix = other->Matrix;
    Rotator.Assign(&other->Rotator);
    ScaleOn = other->ScaleOn;
    RotationOn = other->RotationOn;
    PositionOn = other->PositionOn;
    funcLib_ = other->funcLib_;
    morphLib_ = other->morphLib_;
    functions_.clear();
    for (const TFunctionRef& ref : other->functions_) {
        TFunctionRef copy;
        if (ref.Own != nullptr) {
            std::unique_ptr<TNyxObject> object = ref.Own->CreateSame();
            copy.Own.reset(static_cast<TNyxMorphFunc*>(object.release()));
            copy.Own->Assign(ref.Own.get());
            copy.Function = copy.Own.get();
        } else {
            copy.Function = ref.Function;
        }
        functions_.push_back(std::move(copy));
    }
    childMorphs_ = other->childMorphs_;
    dynamicParams_ = other->dynamicParams_;
    hasChildParams_ = other->hasChildParams_;
    return true;
}

std::unique_ptr<TNyxObject> TNyxMorph::CreateSame() const {
    return std::make_unique<TNyxMorph>();
}

bool TNyxMorph::Initialize() {
    for (const TDynamicParam& param : dynamicParams_) {
        if (param.Child >= 0) {
            continue;
        }
        TVector3 value{};
        for (size_t k = 0; k < 3; ++k) {
            const auto r = static_cast<float>(Random().NextReal());
            value[k] = param.Min[k] + r * (param.Max[k] - param.Min[k]);
        }
        ApplyProperty(param.Target, value);
    }
    return true;
}

TVector3 TNyxMorph::GetValue(int64_t timeMs) {
    if (hasChildParams_ && !evaluating_) {
        evaluating_ = true;
        for (const TDynamicParam& param : dynamicParams_) {
            TNyxMorph* child = ChildMorph(param.Child);
            if (child != nullptr) {
                ApplyProperty(param.Target, child->GetValue(timeMs));
            }
        }
        evaluating_ = false;
    }
    const int64_t t = timeMs + TimeShift + ExtraShift - BaseTime;
    const size_t dim = dimension_;
    TVector3 v{0, 0, 0};
    for (const TFunctionRef& ref : functions_) {
        if (ref.Function == nullptr) {
            continue;
        }
        const TVector3 part = ref.Function->GetValue(t);
        const float weight = ref.Function->Weight;
        for (size_t k = 0; k < dim; ++k) {
            v[k] += part[k] * weight;
        }
    }
    if (ScaleOn) {
        for (size_t k = 0; k < dim; ++k) {
            v[k] *= Scale[k];
        }
    }
    if (RotationOn) {
        if (dim == 1) {
            v[0] *= std::cos(Angle);
        } else if (dim == 2) {
            const float c = std::cos(Angle);
            const float s = std::sin(Angle);
            v = {v[0] * c - v[1] * s, v[0] * s + v[1] * c, 0};
        } else {
            const TMatrix4& m = Matrix;
            v = {m[0] * v[0] + m[1] * v[1] + m[2] * v[2], m[4] * v[0] + m[5] * v[1] + m[6] * v[2],
                 m[8] * v[0] + m[9] * v[1] + m[10] * v[2]};
        }
    }
    if (PositionOn) {
        for (size_t k = 0; k < dim; ++k) {
            v[k] += Position[k];
        }
    }
    return v;
}

void TNyxMorph::SetPosition(const TVector3& value) {
    Position = value;
    PositionOn = true;
}

void TNyxMorph::SetRotation(const TVector3& value) {
    if (dimension_ == 3) {
        Rotator.SetParams(value);
        Matrix = Rotator.Matrix();
    } else {
        Angle = value[0];
    }
    RotationOn = true;
}

void TNyxMorph::SetScale(const TVector3& value) {
    Scale = value;
    ScaleOn = true;
}

// Child graphs may loop back (a morph bound to itself): passingOn_ ends the walk there.
void TNyxMorph::SetTimeShift(int32_t ms) {
    TimeShift = ms;
    if (passingOn_) {
        return;
    }
    passingOn_ = true;
    for (TNyxMorph* child : childMorphs_) {
        if (child != nullptr) {
            child->SetTimeShift(ms);
        }
    }
    passingOn_ = false;
}

void TNyxMorph::SetBaseTime(int32_t ms) {
    BaseTime = ms;
    if (passingOn_) {
        return;
    }
    passingOn_ = true;
    for (TNyxMorph* child : childMorphs_) {
        if (child != nullptr) {
            child->SetBaseTime(ms);
        }
    }
    passingOn_ = false;
}

void TNyxMorph::ApplyProperty(const TNyxPropertyTarget& target, const TVector3& value) {
    switch (target.Kind) {
    case pkPosition:
        SetPosition(value);
        break;
    case pkRotation:
        SetRotation(value);
        break;
    case pkScale:
        SetScale(value);
        break;
    case pkStartTime:
        SetTimeShift(RoundToInt(static_cast<double>(value[0]) * 1000.0));
        break;
    case pkFunctionParam:
        if (TNyxMorphFunc* function = GetFunction(target.Function)) {
            function->SetParam(target.Param, value);
        }
        break;
    }
}

int32_t TNyxMorph::AddFunction(std::string_view name, bool clone) {
    TNyxMorphFunc* function = funcLib_->Find(name);
    if (function == nullptr || function->Dimension() != dimension_) {
        return -1;
    }
    TFunctionRef ref;
    if (clone) {
        std::unique_ptr<TNyxObject> object = function->CreateSame();
        ref.Own.reset(static_cast<TNyxMorphFunc*>(object.release()));
        ref.Own->Assign(function);
        ref.Own->Owned = 1;
        ref.Function = ref.Own.get();
    } else {
        ref.Function = function;
    }
    functions_.push_back(std::move(ref));
    return FunctionCount() - 1;
}

int32_t TNyxMorph::IndexOfFunction(std::string_view name) const {
    for (int32_t i = 0; i < FunctionCount(); ++i) {
        const TNyxMorphFunc* function = functions_[static_cast<size_t>(i)].Function;
        if (function != nullptr && SameText(function->Name(), name)) {
            return i;
        }
    }
    return -1;
}

TNyxMorphFunc* TNyxMorph::GetFunction(int32_t index) const {
    if (index < 0 || index >= FunctionCount()) {
        return nullptr;
    }
    return functions_[static_cast<size_t>(index)].Function;
}

int32_t TNyxMorph::AddChildMorph(std::string_view name) {
    if (name.empty()) {
        return -1;
    }
    for (int32_t i = 0; i < ChildMorphCount(); ++i) {
        const TNyxMorph* child = childMorphs_[static_cast<size_t>(i)];
        if (child != nullptr && SameText(child->Name(), name)) {
            return i;
        }
    }
    TNyxMorph* morph = morphLib_->Find(name);
    if (morph == nullptr) {
        return -1;
    }
    childMorphs_.push_back(morph);
    return ChildMorphCount() - 1;
}

TNyxMorph* TNyxMorph::ChildMorph(int32_t index) const {
    if (index < 0 || index >= ChildMorphCount()) {
        return nullptr;
    }
    return childMorphs_[static_cast<size_t>(index)];
}

void TNyxMorph::BindLibraries(TNyxMorphFuncLib* funcLib, TNyxMorphLib* morphLib) {
    for (TFunctionRef& ref : functions_) {
        if (ref.Own == nullptr && ref.Function != nullptr) {
            ref.Function = funcLib->Find(ref.Function->Name());
        }
    }
    for (TNyxMorph*& child : childMorphs_) {
        if (child != nullptr) {
            child = morphLib->Find(child->Name());
        }
    }
    funcLib_ = funcLib;
    morphLib_ = morphLib;
}

TNyxPropertyTarget TNyxMorph::PropertyTarget(std::string_view name) const {
    if (SameText(name, "Position")) {
        return {pkPosition};
    }
    if (SameText(name, "Rotation")) {
        return {pkRotation};
    }
    if (SameText(name, "Scale")) {
        return {pkScale};
    }
    if (SameText(name, "StartTime")) {
        return {pkStartTime};
    }
    const size_t dot = name.find('.', 1);
    if (dot == std::string_view::npos) {
        throw Error("<Property> tag \"Name\" attribute has invalid value \"" + std::string(name) +
                    "\"");
    }
    const int32_t function = IndexOfFunction(name.substr(0, dot));
    if (function < 0) {
        throw Error("<Property> tag \"Name\" attribute value contains unknown Function name \"" +
                    std::string(name) + "\"");
    }
    return {pkFunctionParam, function, GetFunction(function)->GetParamIndex(name.substr(dot + 1))};
}

void TNyxMorph::ReadXML(const TNyxXMLTag& tag) {
    for (const std::unique_ptr<TNyxXMLTag>& child : tag.Tags) {
        if (child->Name == "Functions") {
            for (const std::unique_ptr<TNyxXMLTag>& item : child->Tags) {
                if (item->Name != "Function") {
                    throw Error("<Functions> tag contains invalid child tag <" + item->Name + ">");
                }
                const std::string* name = AttributeValue(*item, "Name");
                if (name == nullptr) {
                    throw Error("<Function> tag has no \"Name\" attribute");
                }
                const std::string* clone = AttributeValue(*item, "Clone");
                const int32_t index =
                    AddFunction(*name, clone != nullptr && SameText(Trim(*clone), "true"));
                const std::string* weight = AttributeValue(*item, "Weight");
                if (index >= 0 && weight != nullptr) {
                    GetFunction(index)->Weight = StrToFloatStrict(*weight);
                }
            }
        } else if (child->Name == "Properties") {
            for (const std::unique_ptr<TNyxXMLTag>& item : child->Tags) {
                if (item->Name != "Property") {
                    throw Error("Morph + \"" + Name() +
                                "\" <Properties> tag contains invalid tag \"" + item->Name + "\"");
                }
                ReadProperty(*item);
            }
        }
    }
}

void TNyxMorph::ReadProperty(const TNyxXMLTag& property) {
    const std::string* name = AttributeValue(property, "Name");
    if (name == nullptr) {
        throw Error("<Property> tag has no \"Name\" attribute");
    }
    const std::string value = Trim(property.Value);
    if (SameText(*name, "RotationPattern")) {
        Rotator.SetPattern(value);
        if (dimension_ == 3) {
            Matrix = Rotator.Matrix();
        }
        return;
    }
    const TNyxPropertyTarget target = PropertyTarget(*name);
    if (morphLib_->IndexOf(value) >= 0) {
        TDynamicParam param;
        param.Target = target;
        param.Child = AddChildMorph(value);
        dynamicParams_.push_back(param);
        hasChildParams_ = true;
        return;
    }
    const size_t range = value.find("..");
    if (range != std::string::npos) {
        TDynamicParam param;
        param.Target = target;
        param.Min = StrToVector(WithoutParentheses(value.substr(0, range)));
        param.Max = StrToVector(WithoutParentheses(value.substr(range + 2)));
        dynamicParams_.push_back(param);
        return;
    }
    const TVector3 vector = StrToVector(value);
    if (vector[0] * vector[0] + vector[1] * vector[1] + vector[2] * vector[2] >= 1e-12f) {
        ApplyProperty(target, vector);
    }
}

std::unique_ptr<TNyxMorphFunc> ReadMorphFunction(const TNyxXMLTag& tag) {
    const std::string* dim = AttributeValue(tag, "Dim");
    if (dim == nullptr) {
        throw Error("<Function> tag has no \"Dim\" attribute");
    }
    const std::string* type = AttributeValue(tag, "Type");
    if (type == nullptr) {
        throw Error("<Function> tag has no \"Type\" attribute");
    }
    const std::string* name = AttributeValue(tag, "Name");
    const auto child = [&tag](std::string_view childName) {
        const TNyxXMLTag* found = tag.FindTag(childName);
        return found != nullptr ? found->Value : std::string();
    };
    std::unique_ptr<TNyxMorphFunc> function;
    const int32_t dimension = StrToIntDef(Trim(*dim), 0);
    if (SameText(*type, "piecewise")) {
        auto path = std::make_unique<TNyxPiecewiseFunc>();
        path->SetDimension(dimension);
        path->SetScript(child("Script"));
        function = std::move(path);
    } else if (SameText(*type, "periodic")) {
        auto periodic = std::make_unique<TNyxPeriodicFunc>();
        periodic->SetDimension(dimension);
        periodic->SetParamText(0, child("XParam"));
        periodic->SetParamText(1, child("YParam"));
        periodic->SetParamText(2, child("ZParam"));
        function = std::move(periodic);
    } else if (SameText(*type, "parabolic")) {
        auto parabolic = std::make_unique<TNyxParabolicFunc>();
        parabolic->SetDimension(dimension);
        for (const char* vector : {"P0", "V0", "A"}) {
            const TNyxXMLTag* found = tag.FindTag(vector);
            if (found != nullptr) {
                parabolic->SetParamByName(vector, StrToVector(found->Value));
            }
        }
        function = std::move(parabolic);
    } else {
        throw Error("Invalid <Function> tag \"Type\" attribute value");
    }
    function->SetName(name != nullptr ? *name : std::string());
    return function;
}

} // namespace qz::fx
