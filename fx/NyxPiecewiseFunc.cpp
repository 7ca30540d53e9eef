#include "fx/NyxPiecewiseFunc.h"

#include "archive/Error.h"
#include "archive/Helpers.h"

#include <cmath>
#include <numbers>

namespace qz::fx {

namespace {

constexpr float Epsilon = 1e-6f;

float Distance(const TVector3& a, const TVector3& b, size_t dim) {
    float sum = 0;
    for (size_t k = 0; k < dim; ++k) {
        sum += (a[k] - b[k]) * (a[k] - b[k]);
    }
    return std::sqrt(sum);
}

float Norm(const TVector3& v, size_t dim) {
    return Distance(v, {0, 0, 0}, dim);
}

TVector3 Sub(const TVector3& a, const TVector3& b, size_t dim) {
    TVector3 r{0, 0, 0};
    for (size_t k = 0; k < dim; ++k) {
        r[k] = a[k] - b[k];
    }
    return r;
}

TVector3 Add(const TVector3& a, const TVector3& b, size_t dim) {
    TVector3 r{0, 0, 0};
    for (size_t k = 0; k < dim; ++k) {
        r[k] = a[k] + b[k];
    }
    return r;
}

TVector3 Scaled(const TVector3& v, float f) {
    return {v[0] * f, v[1] * f, v[2] * f};
}

TVector3 Unit(const TVector3& v, size_t dim) {
    const float n = Norm(v, dim);
    if (!(n >= Epsilon)) {
        return {0, 0, 0};
    }
    return Scaled(v, 1.0f / n);
}

TVector3 Cross(const TVector3& a, const TVector3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// Turns a handle by angle; three components use the upper-left 2 x 2 part of the rotation
// about axis and drop z.
TVector3 Rotate(const TVector3& h, float angle, const TVector3& axis, size_t dim) {
    if (!(std::fabs(angle) > Epsilon)) {
        return h;
    }
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    if (dim == 1) {
        return {h[0] * c, 0, 0};
    }
    if (dim == 2) {
        return {h[0] * c + h[1] * s, -h[0] * s + h[1] * c, 0};
    }
    const TVector3 u = Unit(axis, 3);
    const float w = std::cos(angle / 2);
    const float sh = std::sin(angle / 2);
    const float x = u[0] * sh;
    const float y = u[1] * sh;
    const float z = u[2] * sh;
    const float m11 = 1 - 2 * (y * y + z * z);
    const float m12 = 2 * (x * y - z * w);
    const float m21 = 2 * (x * y + z * w);
    const float m22 = 1 - 2 * (x * x + z * z);
    return {h[0] * m11 + h[1] * m12, h[0] * m21 + h[1] * m22, 0};
}

void PlaceThirds(TNyxPiece& piece) {
    for (size_t k = 0; k < 3; ++k) {
        const float d = piece.P[3][k] - piece.P[0][k];
        piece.P[1][k] = piece.P[0][k] + d / 3;
        piece.P[2][k] = piece.P[0][k] + 2 * d / 3;
    }
}

// Speed of the curve at x, in double for the arc length.
double BezierSpeed(const TNyxPiece& piece, double x, size_t dim) {
    const double u = 1 - x;
    double sum = 0;
    for (size_t k = 0; k < dim; ++k) {
        const double d = 3 * u * u * (piece.P[1][k] - piece.P[0][k]) +
                         6 * u * x * (piece.P[2][k] - piece.P[1][k]) +
                         3 * x * x * (piece.P[3][k] - piece.P[2][k]);
        sum += d * d;
    }
    return std::sqrt(sum);
}

double GaussLength(const TNyxPiece& piece, double a, double b, size_t dim) {
    static constexpr double Nodes[5] = {0.0, -0.5384693101056831, 0.5384693101056831,
                                        -0.9061798459386640, 0.9061798459386640};
    static constexpr double Weights[5] = {0.5688888888888889, 0.4786286704993665,
                                          0.4786286704993665, 0.2369268850561891,
                                          0.2369268850561891};
    const double half = (b - a) / 2;
    const double mid = (a + b) / 2;
    double sum = 0;
    for (int i = 0; i < 5; ++i) {
        sum += Weights[i] * BezierSpeed(piece, mid + half * Nodes[i], dim);
    }
    return sum * half;
}

double AdaptiveLength(const TNyxPiece& piece, double a, double b, double whole, double tolerance,
                      size_t dim, int depth) {
    const double mid = (a + b) / 2;
    const double left = GaussLength(piece, a, mid, dim);
    const double right = GaussLength(piece, mid, b, dim);
    if (depth >= 24 || !(std::fabs(left + right - whole) > tolerance)) {
        return left + right;
    }
    return AdaptiveLength(piece, a, mid, left, tolerance / 2, dim, depth + 1) +
           AdaptiveLength(piece, mid, b, right, tolerance / 2, dim, depth + 1);
}

// "+v" is a speed, stored negated; any other text is seconds; unreadable is 0.
float ReadTiming(std::string_view text) {
    const std::string value = Trim(text);
    if (!value.empty() && value.front() == '+') {
        return -static_cast<float>(StrToFloatDef(value.substr(1), 0));
    }
    return static_cast<float>(StrToFloatDef(value, 0));
}

std::vector<float> ReadNumbers(std::string_view text) {
    std::vector<float> numbers;
    for (const std::string& part : SplitString(text, ',')) {
        numbers.push_back(static_cast<float>(StrToFloatDef(Trim(part), 0)));
    }
    return numbers;
}

// The text between open and the next close after it; nothing when either is missing.
std::optional<std::string> Between(std::string_view text, char open, char close) {
    const size_t start = text.find(open);
    if (start == std::string_view::npos) {
        return std::nullopt;
    }
    const size_t end = text.find(close, start + 1);
    if (end == std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(text.substr(start + 1, end - start - 1));
}

struct TScriptPoint {
    TVector3 Coordinates{0, 0, 0};
    float Timing = 1;
    float Angle1 = 0;
    float Angle2 = 0;
    float Correction1 = 1;
    float Correction2 = 1;
    uint8_t Mode = pmBezier;
};

void ReadPair(std::string_view text, char open, char close, float& first, float& second) {
    const std::optional<std::string> inside = Between(text, open, close);
    if (!inside) {
        return;
    }
    const std::vector<float> numbers = ReadNumbers(*inside);
    first = numbers[0];
    second = numbers.size() > 1 ? numbers[1] : numbers[0];
}

} // namespace

TNyxPiecewiseFunc::TNyxPiecewiseFunc() : TNyxMorphFunc("TNyxPiecewiseFunc") {
    Reset();
}

bool TNyxPiecewiseFunc::Assign(const TNyxObject* source) {
    if (!TNyxMorphFunc::Assign(source)) {
        return false;
    }
    const auto* other = static_cast<const TNyxPiecewiseFunc*>(source);
    pieces_ = other->pieces_;
    totalDuration_ = other->totalDuration_;
    totalLength_ = other->totalLength_;
    pointCount_ = other->pointCount_;
    EndPoint = other->EndPoint;
    Ending = other->Ending;
    Timing = other->Timing;
    FirstAngle = other->FirstAngle;
    SecondAngle = other->SecondAngle;
    PosCorrectionFirst = other->PosCorrectionFirst;
    PosCorrectionSecond = other->PosCorrectionSecond;
    Interpolation = other->Interpolation;
    return true;
}

std::unique_ptr<TNyxObject> TNyxPiecewiseFunc::CreateSame() const {
    return std::make_unique<TNyxPiecewiseFunc>();
}

std::optional<int32_t> TNyxPiecewiseFunc::FindParamIndex(std::string_view name) const {
    const std::optional<std::string> inside = Between(name, '[', ']');
    if (inside) {
        if (const std::optional<int32_t> point = TryStrToInt(*inside)) {
            return point;
        }
    }
    return TNyxMorphFunc::FindParamIndex(name);
}

void TNyxPiecewiseFunc::SetParam(int32_t index, const TVector3& values) {
    if (index > 0) {
        MovePoint(index, values[0], values[1], values[2]);
        return;
    }
    TNyxMorphFunc::SetParam(index, values);
}

void TNyxPiecewiseFunc::Clear() {
    pieces_.clear();
    totalDuration_ = 0;
    totalLength_ = 0;
    pointCount_ = 0;
}

void TNyxPiecewiseFunc::Reset() {
    Clear();
    EndPoint = {0, 0, 0};
    Ending = peStop;
    Timing = 1;
    FirstAngle = 0;
    SecondAngle = 0;
    PosCorrectionFirst = 1;
    PosCorrectionSecond = 1;
    Interpolation = pmBezier;
}

TNyxPiece TNyxPiecewiseFunc::GetPiece(int32_t index) const {
    if (index < 0 || index >= PieceCount()) {
        throw Error("Invalid piece index");
    }
    return pieces_[static_cast<size_t>(index)];
}

float TNyxPiecewiseFunc::PieceLength(const TNyxPiece& piece) const {
    const size_t dim = Dimension();
    if (piece.Mode != pmBezier) {
        return Distance(piece.P[0], piece.P[3], dim);
    }
    const double whole = GaussLength(piece, 0, 1, dim);
    return static_cast<float>(AdaptiveLength(piece, 0, 1, whole, 1e-6, dim, 0));
}

void TNyxPiecewiseFunc::UpdateLength(size_t piece) {
    pieces_[piece].Length = PieceLength(pieces_[piece]);
}

void TNyxPiecewiseFunc::SumLengths() {
    totalLength_ = 0;
    for (const TNyxPiece& piece : pieces_) {
        totalLength_ += piece.Length;
    }
}

void TNyxPiecewiseFunc::AddPiece(uint8_t mode, const TVector3& from, const TVector3& to) {
    const size_t dim = Dimension();
    bool fromKnown = false;
    bool toKnown = false;
    for (const TNyxPiece& earlier : pieces_) {
        for (const TVector3& end : {earlier.P[0], earlier.P[3]}) {
            fromKnown = fromKnown || Distance(from, end, dim) < Epsilon;
            toKnown = toKnown || Distance(to, end, dim) < Epsilon;
        }
    }
    pointCount_ += (fromKnown ? 0 : 1) + (toKnown ? 0 : 1);

    TNyxPiece piece;
    piece.Mode = mode == pmBezier ? pmBezier : pmLinear;
    piece.P[0] = from;
    piece.P[3] = to;
    PlaceThirds(piece);
    piece.Length = PieceLength(piece);
    pieces_.push_back(piece);
    totalDuration_ += piece.Duration;
    totalLength_ += piece.Length;
}

void TNyxPiecewiseFunc::SetDuration(int32_t piece, int32_t ms) {
    if (piece < 0 || piece >= PieceCount()) {
        return;
    }
    TNyxPiece& target = pieces_[static_cast<size_t>(piece)];
    const int32_t duration = ms < 0 ? 0 : ms;
    totalDuration_ += static_cast<int64_t>(duration) - target.Duration;
    target.Duration = duration;
}

void TNyxPiecewiseFunc::SetSpeed(int32_t piece, int32_t speed) {
    if (piece < 0 || piece >= PieceCount()) {
        return;
    }
    if (static_cast<float>(speed) <= Epsilon) {
        SetDuration(piece, 0);
        return;
    }
    const double length = pieces_[static_cast<size_t>(piece)].Length;
    SetDuration(piece, RoundToInt(length * 1000.0 / speed));
}

bool TNyxPiecewiseFunc::Joined(size_t first, size_t second) const {
    return Distance(pieces_[first].P[3], pieces_[second].P[0], Dimension()) < Epsilon;
}

std::vector<TNyxPiecewiseFunc::TJoint> TNyxPiecewiseFunc::Joints() const {
    std::vector<TJoint> joints;
    const size_t count = pieces_.size();
    if (count == 0) {
        return joints;
    }
    const bool closed = Joined(count - 1, 0);
    for (size_t p = 0; p < count; ++p) {
        const auto piece = static_cast<int32_t>(p);
        if (p == 0 || !Joined(p - 1, p)) {
            joints.push_back({-1, piece});
        }
        if (p + 1 < count && Joined(p, p + 1)) {
            joints.push_back({piece, piece + 1});
        } else if (p + 1 == count && closed) {
            joints.front().In = piece;
        } else {
            joints.push_back({piece, -1});
        }
    }
    return joints;
}

void TNyxPiecewiseFunc::SmoothJoint(const TJoint& joint, float angle1, float angle2,
                                    float correction1, float correction2) {
    const size_t dim = Dimension();
    TNyxPiece* in = joint.In >= 0 ? &pieces_[static_cast<size_t>(joint.In)] : nullptr;
    TNyxPiece* out = joint.Out >= 0 ? &pieces_[static_cast<size_t>(joint.Out)] : nullptr;
    const bool inBezier = in != nullptr && in->Mode == pmBezier;
    const bool outBezier = out != nullptr && out->Mode == pmBezier;

    if (in != nullptr && out != nullptr) {
        const TVector3 cE = Sub(in->P[0], in->P[3], dim);
        const TVector3 cB = Sub(out->P[3], out->P[0], dim);
        const float lE = Norm(cE, dim);
        const float lB = Norm(cB, dim);
        const TVector3 t = Unit(Sub(out->P[3], in->P[0], dim), dim);
        const TVector3 axis = Cross(cE, cB);
        TVector3 uE{0, 0, 0};
        TVector3 uB{0, 0, 0};
        if (inBezier && outBezier) {
            if (lE >= lB) {
                const TVector3 dB = Unit(cB, dim);
                const float ratio = lE >= Epsilon ? lB / lE : 0;
                uB = Unit(Add(dB, Scaled(Sub(t, dB, dim), ratio), dim), dim);
                uE = Scaled(uB, -1);
            } else {
                const TVector3 dE = Unit(cE, dim);
                const float ratio = lE / lB;
                uE = Unit(Add(dE, Scaled(Sub(Scaled(t, -1), dE, dim), ratio), dim), dim);
                uB = Scaled(uE, -1);
            }
        } else if (inBezier) {
            uE = Scaled(Unit(cB, dim), -1);
        } else if (outBezier) {
            uB = Scaled(Unit(cE, dim), -1);
        } else {
            return;
        }
        if (inBezier) {
            const TVector3 hE = Rotate(Scaled(uE, 0.4f * correction1 * lE), angle1, axis, dim);
            in->P[2] = Add(in->P[3], hE, dim);
        }
        if (outBezier) {
            const TVector3 hB = Rotate(Scaled(uB, 0.4f * correction2 * lB), angle2, axis, dim);
            out->P[1] = Add(out->P[0], hB, dim);
        }
    } else if (outBezier) {
        // The start of an open path: the handle points toward the piece's other control
        // point, or along the chord when that one sits on the start.
        const TVector3 chord = Sub(out->P[3], out->P[0], dim);
        const TVector3 other = Sub(out->P[2], out->P[0], dim);
        TVector3 direction = Unit(other, dim);
        if (Norm(direction, dim) < Epsilon) {
            direction = Unit(chord, dim);
        }
        const TVector3 h = Scaled(direction, 0.4f * correction2 * Norm(chord, dim));
        out->P[1] = Add(out->P[0], Rotate(h, angle2, Cross(chord, other), dim), dim);
    } else if (inBezier) {
        const TVector3 chord = Sub(in->P[0], in->P[3], dim);
        const TVector3 other = Sub(in->P[1], in->P[3], dim);
        TVector3 direction = Unit(other, dim);
        if (Norm(direction, dim) < Epsilon) {
            direction = Unit(chord, dim);
        }
        const TVector3 h = Scaled(direction, 0.4f * correction1 * Norm(chord, dim));
        in->P[2] = Add(in->P[3], Rotate(h, angle1, Cross(chord, other), dim), dim);
    }
    if (in != nullptr) {
        UpdateLength(static_cast<size_t>(joint.In));
    }
    if (out != nullptr) {
        UpdateLength(static_cast<size_t>(joint.Out));
    }
}

void TNyxPiecewiseFunc::SmoothPoint(int32_t point, float angle1, float angle2, float correction1,
                                    float correction2) {
    const std::vector<TJoint> joints = Joints();
    if (point < 1 || point > static_cast<int32_t>(joints.size())) {
        return;
    }
    SmoothJoint(joints[static_cast<size_t>(point - 1)], angle1, angle2, correction1, correction2);
    SumLengths();
}

void TNyxPiecewiseFunc::MovePoint(int32_t point, float x, float y, float z) {
    const std::vector<TJoint> joints = Joints();
    if (point < 1 || point > static_cast<int32_t>(joints.size())) {
        return;
    }
    const TJoint& joint = joints[static_cast<size_t>(point - 1)];
    const TVector3 position{x, y, z};
    if (joint.In >= 0) {
        TNyxPiece& in = pieces_[static_cast<size_t>(joint.In)];
        in.P[3] = position;
        if (in.Mode != pmBezier) {
            PlaceThirds(in);
        }
    }
    if (joint.Out >= 0) {
        TNyxPiece& out = pieces_[static_cast<size_t>(joint.Out)];
        out.P[0] = position;
        if (out.Mode != pmBezier) {
            PlaceThirds(out);
        }
    }
    SmoothJoint(joint, 0, 0, 1, 1);
    SumLengths();
}

void TNyxPiecewiseFunc::SetScript(std::string_view text) {
    std::string script;
    script.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            script += ' ';
            ++i;
        } else {
            script += text[i] == '\t' ? ' ' : text[i];
        }
    }
    std::vector<std::string> statements = SplitString(script, ';');
    statements.pop_back();

    std::vector<TScriptPoint> points;
    for (const std::string& raw : statements) {
        const std::string statement = Trim(raw);
        const size_t blank = statement.find(' ');
        if (blank == std::string::npos) {
            continue;
        }
        const std::string command = LowerCase(statement.substr(0, blank));
        const std::string argument = Trim(statement.substr(blank + 1));
        const std::string lowered = LowerCase(argument);
        if (command == "set") {
            if (lowered == "bezier") {
                Interpolation = pmBezier;
                continue;
            }
            if (lowered == "linear") {
                Interpolation = pmLinear;
                continue;
            }
            const size_t gap = argument.find(' ');
            if (gap == std::string::npos) {
                continue;
            }
            const std::string key = lowered.substr(0, gap);
            const std::string number = Trim(argument.substr(gap + 1));
            const auto value = static_cast<float>(StrToFloatDef(number, 0));
            if (key == "timing") {
                Timing = ReadTiming(number);
            } else if (key == "firstangle") {
                FirstAngle = value;
            } else if (key == "secondangle") {
                SecondAngle = value;
            } else if (key == "poscorrectionfirst") {
                PosCorrectionFirst = value;
            } else if (key == "poscorrectionsecond") {
                PosCorrectionSecond = value;
            }
        } else if (command == "path") {
            size_t start = argument.find('(');
            while (start != std::string::npos) {
                const size_t next = argument.find('(', start + 1);
                const std::string_view pointText =
                    std::string_view(argument).substr(start, next - start);
                TScriptPoint point{
                    {0, 0, 0},           Timing,       FirstAngle, SecondAngle, PosCorrectionFirst,
                    PosCorrectionSecond, Interpolation};
                const size_t close = pointText.find(')');
                const std::vector<float> coordinates = ReadNumbers(pointText.substr(
                    1, close == std::string_view::npos ? std::string_view::npos : close - 1));
                for (size_t k = 0; k < coordinates.size() && k < 3; ++k) {
                    point.Coordinates[k] = coordinates[k];
                }
                ReadPair(pointText, '[', ']', point.Angle1, point.Angle2);
                ReadPair(pointText, '{', '}', point.Correction1, point.Correction2);
                if (const std::optional<std::string> timing = Between(pointText, '"', '"')) {
                    point.Timing = ReadTiming(*timing);
                }
                if (pointText.find("..") != std::string_view::npos) {
                    point.Mode = pmBezier;
                } else if (pointText.find("--") != std::string_view::npos) {
                    point.Mode = pmLinear;
                }
                points.push_back(point);
                start = next;
            }
        } else if (command == "ending") {
            if (lowered == "loop") {
                Ending = peLoop;
                continue;
            }
            if (lowered == "reverse") {
                Ending = peReverse;
                continue;
            }
            const std::optional<std::string> inside = Between(argument, '(', ')');
            if (!inside) {
                continue;
            }
            const std::vector<float> numbers = ReadNumbers(*inside);
            EndPoint = {0, 0, 0};
            for (size_t k = 0; k < numbers.size() && k < 3; ++k) {
                EndPoint[k] = numbers[k];
            }
            const std::string kind = Trim(lowered.substr(0, lowered.find('(')));
            if (kind == "reversestop") {
                Ending = peReverseStop;
            } else if (kind == "stop") {
                Ending = peStop;
            }
        }
    }
    if (points.size() < 2) {
        return;
    }

    const auto first = static_cast<int32_t>(pieces_.size());
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        AddPiece(points[i].Mode, points[i].Coordinates, points[i + 1].Coordinates);
    }
    const std::vector<TJoint> joints = Joints();
    const auto smooth = [&](size_t index, auto matches) {
        for (const TJoint& joint : joints) {
            if (matches(joint)) {
                const TScriptPoint& point = points[index];
                constexpr float ToRadians = std::numbers::pi_v<float> / 180.0f;
                SmoothJoint(joint, point.Angle1 * ToRadians, point.Angle2 * ToRadians,
                            point.Correction1, point.Correction1);
                return;
            }
        }
    };
    for (size_t i = 1; i < points.size(); ++i) {
        const int32_t in = first + static_cast<int32_t>(i) - 1;
        smooth(i, [in](const TJoint& joint) { return joint.In == in; });
    }
    smooth(0, [first](const TJoint& joint) { return joint.Out == first; });
    SumLengths();

    for (size_t i = 0; i + 1 < points.size(); ++i) {
        const float timing = points[i].Timing;
        const int32_t piece = first + static_cast<int32_t>(i);
        if (timing >= 0) {
            SetDuration(piece, RoundToInt(static_cast<double>(timing) * 1000.0));
        } else {
            SetSpeed(piece, RoundToInt(-static_cast<double>(timing) * 1000.0));
        }
    }
}

TVector3 TNyxPiecewiseFunc::GetValue(int64_t timeMs) const {
    TVector3 result{0, 0, 0};
    const size_t dim = Dimension();
    if (pieces_.empty()) {
        return result;
    }
    int64_t t = static_cast<uint32_t>(timeMs);
    const int64_t total = totalDuration_;
    bool ended = false;
    if (t > total) {
        switch (Ending) {
        case peLoop:
            t = total > 0 ? t % total : 0;
            break;
        case peReverseStop:
            if (t > 2 * total) {
                ended = true;
            } else {
                t = 2 * total - t;
            }
            break;
        case peReverse:
            if (total > 0) {
                t = (t / total) % 2 == 1 ? total - t % total : t % total;
            } else {
                t = 0;
            }
            break;
        default:
            ended = true;
        }
    }
    if (ended) {
        for (size_t k = 0; k < dim; ++k) {
            result[k] = EndPoint[k];
        }
        return result;
    }
    const TNyxPiece* piece = &pieces_.back();
    float x = 1;
    int64_t before = 0;
    for (const TNyxPiece& candidate : pieces_) {
        if (before + candidate.Duration >= t) {
            piece = &candidate;
            x = candidate.Duration == 0
                    ? 0.0f
                    : static_cast<float>(t - before) / static_cast<float>(candidate.Duration);
            break;
        }
        before += candidate.Duration;
    }
    const float u = 1 - x;
    for (size_t k = 0; k < dim; ++k) {
        const float p0 = piece->P[0][k];
        const float p3 = piece->P[3][k];
        if (piece->Mode == pmBezier) {
            result[k] = u * u * u * p0 + 3 * x * u * (u * piece->P[1][k] + x * piece->P[2][k]) +
                        x * x * x * p3;
        } else {
            result[k] = p0 + (p3 - p0) * x;
        }
    }
    return result;
}

} // namespace qz::fx
