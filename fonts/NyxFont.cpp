#include "fonts/NyxFont.h"

#include "archive/Error.h"
#include "archive/Helpers.h"
#include "fonts/NyxFontEngine.h"

#include <algorithm>
#include <limits>

namespace qz {

namespace {

int32_t Clamp32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

int32_t MetricsNumber(std::string_view part) {
    const std::optional<int32_t> number = TryStrToInt(part);
    if (!number) {
        throw Error("'" + std::string(part) + "' is not a valid integer value");
    }
    return *number;
}

TCharDesc ParseDescriptor(std::string_view piece) {
    TCharDesc desc;
    int32_t* const fields[] = {&desc.Code,   &desc.X,     &desc.Y,
                               &desc.Before, &desc.Width, &desc.After};
    size_t start = 0;
    for (int32_t* field : fields) {
        const size_t colon = piece.find(':', start);
        *field = MetricsNumber(
            piece.substr(start, colon == std::string_view::npos ? colon : colon - start));
        if (colon == std::string_view::npos) {
            break;
        }
        start = colon + 1;
    }
    if (desc.Code < 0 || desc.Code > 0xFFFF) {
        throw Error("[TNyxFont.SetMetrics] Character code " + IntToStr(desc.Code) +
                    " is outside 0..65535");
    }
    return desc;
}

bool IsBlankText(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c <= 32; });
}

} // namespace

const TNyxPropertyTable& TNyxFont::StaticProperties() {
    static const TNyxPropertyTable table(
        &TNyxObject::StaticProperties(),
        {
            nyxprop::Integer("Height", &TNyxFont::Height),
            nyxprop::String("Picture", &TNyxFont::Picture),
            nyxprop::TextAccessor<TNyxFont>("Metrics", TNyxPropKind::String, nullptr,
                                            &TNyxFont::SetMetrics),
        });
    return table;
}

void TNyxFont::SetMetrics(const std::string& metrics) {
    // Counted before anything is allocated: every descriptor position must fit the index.
    const size_t count = static_cast<size_t>(std::count(metrics.begin(), metrics.end(), ',')) + 1;
    if (count > MaxDescriptors) {
        throw Error("[TNyxFont.SetMetrics] " + IntToStr(static_cast<int64_t>(count)) +
                    " characters are more than a font holds (65536)");
    }
    TCharDescs descs;
    descs.reserve(count);
    const std::string_view text = metrics;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        descs.push_back(ParseDescriptor(
            text.substr(start, comma == std::string_view::npos ? comma : comma - start)));
        if (comma == std::string_view::npos) {
            break;
        }
        start = comma + 1;
    }
    charDescs_ = std::move(descs);
    charIndex_.fill(0);
    for (size_t i = 0; i < charDescs_.size(); ++i) {
        charIndex_[static_cast<size_t>(charDescs_[i].Code)] = static_cast<uint16_t>(i);
    }
}

int32_t TNyxFont::TextWidth(std::u16string_view text) const {
    if (charDescs_.empty()) {
        return 0;
    }
    int64_t width = 0;
    for (const char16_t c : text) {
        const TCharDesc& d = Descriptor(c);
        width += static_cast<int64_t>(d.Before) + d.Width + d.After;
    }
    return Clamp32(width);
}

void TNyxFont::DrawText(int32_t x, int32_t y, uint32_t color, uint8_t alpha,
                        std::u16string_view text) const {
    if (IsBlankText(text) || charDescs_.empty()) {
        return;
    }
    auto* engine = dynamic_cast<TNyxFontEngine*>(GetEngine());
    if (!engine || !engine->Host()) {
        return;
    }
    const std::span<TCharRect> glyphs = engine->Glyphs();
    int64_t pen = x;
    size_t used = 0;
    for (const char16_t c : text) {
        const TCharDesc& d = Descriptor(c);
        pen += d.Before;
        glyphs[used++] = TCharRect{d.X,
                                   d.Y,
                                   Clamp32(static_cast<int64_t>(d.X) + d.Width - 1),
                                   Clamp32(static_cast<int64_t>(d.Y) + Height - 1),
                                   Clamp32(pen),
                                   y,
                                   color,
                                   alpha};
        pen += static_cast<int64_t>(d.Width) + d.After;
        if (used == glyphs.size()) {
            engine->Host()->ExtDraw(Picture, std::span<const TCharRect>(glyphs.data(), used));
            used = 0;
        }
    }
    if (used > 0) {
        engine->Host()->ExtDraw(Picture, std::span<const TCharRect>(glyphs.data(), used));
    }
}

void RegisterFontClasses() {
    TNyxClassReg::Global().Register<TNyxFont>();
}

namespace {
// The font unit adds its class when the program starts.
[[maybe_unused]] const bool fontClassesRegistered = (RegisterFontClasses(), true);
} // namespace

} // namespace qz
