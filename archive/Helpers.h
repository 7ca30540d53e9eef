#pragma once
// The small shared types and helpers every subsystem uses: integer and point lists,
// inclusive rectangles, string splitting and trimming, number conversion with a default.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

using TIntegers = std::vector<int32_t>;

struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};
using TPoints = std::vector<TPoint>;

// Inclusive on all four sides: a rectangle from (0,0) to (0,0) covers one pixel.
struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    int32_t Width() const { return Right - Left + 1; }
    int32_t Height() const { return Bottom - Top + 1; }
    bool IsEmpty() const { return Right < Left || Bottom < Top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

// The overlap of two inclusive rectangles, or nothing when they do not meet.
std::optional<TRect> IntersectRect(const TRect& a, const TRect& b);
bool PtInRect(const TRect& rect, TPoint point);

// Appends value and returns its index.
int32_t AddInteger(TIntegers& list, int32_t value);
// Index of the first occurrence, or -1.
int32_t IndexOfInteger(const TIntegers& list, int32_t value);

// Splits at every separator; n separators always give n + 1 pieces ("" gives one empty piece).
std::vector<std::string> SplitString(std::string_view text, char separator);
// Removes every character with a code up to 32 from both ends.
std::string Trim(std::string_view text);
std::string TrimLeft(std::string_view text);
std::string TrimRight(std::string_view text);
// ASCII letters A-Z only, as every case-insensitive comparison of the game does.
std::string LowerCase(std::string_view text);
std::string UpperCase(std::string_view text);
bool SameText(std::string_view a, std::string_view b);

// Decimal integer text: optional leading blanks, an optional sign, digits, nothing after;
// a "$" or "0x" prefix reads hexadecimal. Anything else, or a value outside 32 bits, fails.
std::optional<int32_t> TryStrToInt(std::string_view text);
int32_t StrToIntDef(std::string_view text, int32_t defaultValue);
std::optional<int64_t> TryStrToInt64(std::string_view text);
// Decimal real text with "." as the separator and an optional exponent; no trailing text.
std::optional<double> TryStrToFloat(std::string_view text);
double StrToFloatDef(std::string_view text, double defaultValue);

std::string IntToStr(int64_t value);

} // namespace qz
