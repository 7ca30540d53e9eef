#pragma once
// A path of straight or cubic Bezier pieces, each with its own duration, built from the
// path script ("Set Linear; Path (0,0) (100,0); Ending Stop;") and sampled in milliseconds.

#include "fx/NyxMorphFunc.h"

namespace qz::fx {

enum TNyxPieceMode : uint8_t { pmLinear = 0, pmBezier = 1 };
enum TNyxPathEnding : uint8_t { peStop = 0, peLoop = 1, peReverseStop = 2, peReverse = 3 };

struct TNyxPiece {
    int32_t Duration = 1000;
    float Length = 0;
    uint8_t Mode = pmLinear;
    // P0 (start), P1, P2 (control points), P3 (end), each with three components.
    std::array<TVector3, 4> P{};
};

class TNyxPiecewiseFunc : public TNyxMorphFunc {
public:
    TNyxPiecewiseFunc();

    bool Assign(const TNyxObject* source) override;
    std::unique_ptr<TNyxObject> CreateSame() const override;
    // A name holding "[n]" is point n; otherwise as the base.
    std::optional<int32_t> FindParamIndex(std::string_view name) const override;
    // Index n > 0 moves point n to values.
    void SetParam(int32_t index, const TVector3& values) override;
    TVector3 GetValue(int64_t timeMs) const override;

    // Empties the path; Reset also restores every script setting and the ending.
    void Clear();
    void Reset();
    // Reads a path script; new pieces are appended to those already held. Unreadable
    // numbers count as 0, unknown commands are ignored.
    void SetScript(std::string_view text);

    int32_t PieceCount() const { return static_cast<int32_t>(pieces_.size()); }
    // Raises "Invalid piece index" outside the pieces.
    TNyxPiece GetPiece(int32_t index) const;
    void AddPiece(uint8_t mode, const TVector3& from, const TVector3& to);
    // Out-of-range pieces are ignored; a negative duration counts as 0.
    void SetDuration(int32_t piece, int32_t ms);
    // Duration = Length · 1000 / speed, or 0 for a speed up to 1e-6.
    void SetSpeed(int32_t piece, int32_t speed);
    // Places the Bezier control points next to point (numbered from 1 in path order);
    // angles in radians turn the incoming and the outgoing handle.
    void SmoothPoint(int32_t point, float angle1, float angle2, float correction1,
                     float correction2);
    // Moves point to (x, y, z) and smooths it again; an unknown point is ignored.
    void MovePoint(int32_t point, float x, float y, float z);

    int64_t TotalDuration() const { return totalDuration_; }
    float TotalLength() const { return totalLength_; }
    int32_t PointCount() const { return pointCount_; }
    // The points in path order: the piece that ends there (-1 for none) and the piece
    // that starts there (-1 for none); the first point of a closed path joins the last
    // piece to the first.
    struct TJoint {
        int32_t In = -1;
        int32_t Out = -1;
    };
    std::vector<TJoint> Joints() const;

    TVector3 EndPoint{0, 0, 0};
    uint8_t Ending = peStop;
    // Script settings, kept between statements and between scripts. A negative Timing is
    // a speed (written "+v" in the script), a positive one seconds per piece.
    float Timing = 1;
    float FirstAngle = 0;
    float SecondAngle = 0;
    float PosCorrectionFirst = 1;
    float PosCorrectionSecond = 1;
    uint8_t Interpolation = pmBezier;

private:
    float PieceLength(const TNyxPiece& piece) const;
    void UpdateLength(size_t piece);
    void SumLengths();
    void SmoothJoint(const TJoint& joint, float angle1, float angle2, float correction1,
                     float correction2);
    bool Joined(size_t first, size_t second) const;

    std::vector<TNyxPiece> pieces_;
    int64_t totalDuration_ = 0;
    float totalLength_ = 0;
    int32_t pointCount_ = 0;
};

} // namespace qz::fx
