#include "objects/NyxStrings.h"

#include <cstdint>

namespace qz {

namespace {

constexpr char16_t ReplacementChar = 0xFFFD;

bool IsContinuation(uint8_t byte) {
    return (byte & 0xC0) == 0x80;
}

void AppendCodePoint(std::u16string& out, uint32_t code) {
    if (code < 0x10000) {
        out.push_back(static_cast<char16_t>(code));
        return;
    }
    code -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
}

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

} // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const uint8_t lead = static_cast<uint8_t>(text[i]);
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        size_t length = 0;
        uint32_t code = 0;
        uint32_t minimum = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2, code = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, code = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, code = lead & 0x07, minimum = 0x10000;
        } else {
            out.push_back(ReplacementChar);
            ++i;
            continue;
        }
        // Take as many continuation bytes as the lead byte announces; a sequence cut short
        // is one bad sequence and the byte that cut it starts the next.
        size_t taken = 1;
        while (taken < length && i + taken < text.size() &&
               IsContinuation(static_cast<uint8_t>(text[i + taken]))) {
            code = (code << 6) | (static_cast<uint8_t>(text[i + taken]) & 0x3F);
            ++taken;
        }
        i += taken;
        if (taken < length || code < minimum || code > 0x10FFFF ||
            (code >= 0xD800 && code <= 0xDFFF)) {
            out.push_back(ReplacementChar);
            continue;
        }
        AppendCodePoint(out, code);
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const uint32_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            AppendUtf8(out, ReplacementChar);
        } else {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

std::u16string WidenAnsi(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (const char c : text) {
        out.push_back(static_cast<uint8_t>(c));
    }
    return out;
}

std::string NarrowAnsi(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char16_t unit : text) {
        out.push_back(unit <= 0xFF ? static_cast<char>(unit) : '?');
    }
    return out;
}

} // namespace qz
