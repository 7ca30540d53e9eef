#include "archive/Helpers.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <limits>

namespace qz {

std::optional<TRect> IntersectRect(const TRect& a, const TRect& b) {
    const TRect overlap{std::max(a.Left, b.Left), std::max(a.Top, b.Top),
                        std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    if (overlap.IsEmpty()) {
        return std::nullopt;
    }
    return overlap;
}

bool PtInRect(const TRect& rect, TPoint point) {
    return point.X >= rect.Left && point.X <= rect.Right && point.Y >= rect.Top &&
           point.Y <= rect.Bottom;
}

int32_t AddInteger(TIntegers& list, int32_t value) {
    list.push_back(value);
    return static_cast<int32_t>(list.size()) - 1;
}

int32_t IndexOfInteger(const TIntegers& list, int32_t value) {
    const auto found = std::find(list.begin(), list.end(), value);
    return found == list.end() ? -1 : static_cast<int32_t>(found - list.begin());
}

std::vector<std::string> SplitString(std::string_view text, char separator) {
    std::vector<std::string> pieces;
    size_t start = 0;
    while (true) {
        const size_t found = text.find(separator, start);
        if (found == std::string_view::npos) {
            pieces.emplace_back(text.substr(start));
            return pieces;
        }
        pieces.emplace_back(text.substr(start, found - start));
        start = found + 1;
    }
}

namespace {
bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}
} // namespace

std::string TrimLeft(std::string_view text) {
    size_t first = 0;
    while (first < text.size() && IsBlank(text[first])) {
        ++first;
    }
    return std::string(text.substr(first));
}

std::string TrimRight(std::string_view text) {
    size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) {
        --end;
    }
    return std::string(text.substr(0, end));
}

std::string Trim(std::string_view text) {
    return TrimLeft(TrimRight(text));
}

std::string LowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

std::string UpperCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    return LowerCase(a) == LowerCase(b);
}

std::optional<int64_t> TryStrToInt64(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    const std::string_view digits = text.substr(i);
    if (digits.empty()) {
        return std::nullopt;
    }
    uint64_t magnitude = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
    if (error != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    constexpr uint64_t maxPositive = std::numeric_limits<int64_t>::max();
    if (negative) {
        if (magnitude > maxPositive + 1) {
            return std::nullopt;
        }
        return magnitude == maxPositive + 1 ? std::numeric_limits<int64_t>::min()
                                            : -static_cast<int64_t>(magnitude);
    }
    if (magnitude > maxPositive) {
        return std::nullopt;
    }
    return static_cast<int64_t>(magnitude);
}

std::optional<int32_t> TryStrToInt(std::string_view text) {
    const auto wide = TryStrToInt64(text);
    if (!wide || *wide < std::numeric_limits<int32_t>::min() ||
        *wide > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(*wide);
}

int32_t StrToIntDef(std::string_view text, int32_t defaultValue) {
    return TryStrToInt(text).value_or(defaultValue);
}

std::optional<double> TryStrToFloat(std::string_view text) {
    const std::string trimmed = Trim(text);
    if (trimmed.empty()) {
        return std::nullopt;
    }
    std::string_view digits = trimmed;
    if (digits.front() == '+') {
        digits.remove_prefix(1);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return value;
}

double StrToFloatDef(std::string_view text, double defaultValue) {
    return TryStrToFloat(text).value_or(defaultValue);
}

std::string IntToStr(int64_t value) {
    return std::to_string(value);
}

} // namespace qz
