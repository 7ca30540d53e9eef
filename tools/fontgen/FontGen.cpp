#include "tools/fontgen/FontGen.h"

#include "archive/MemoryStream.h"
#include "xml/NyxParser.h"

#include <algorithm>
#include <fstream>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <png.h>
#include <stdexcept>

namespace qz {

namespace {

constexpr int32_t kAtlasWidth = 512;
constexpr int32_t kGap = 1; // empty pixels around every glyph box, so boxes never bleed
constexpr char16_t kReplacement = 0xFFFD;

struct TCodeRange {
    char16_t First;
    char16_t Last;
};

constexpr TCodeRange kRanges[] = {
    {0x0020, 0x007E},                   // Basic Latin
    {0x00A0, 0x00FF},                   // Latin-1 Supplement
    {0x0100, 0x017F},                   // Latin Extended-A
    {0x0370, 0x03FF},                   // Greek and Coptic
    {0x0400, 0x0482},                   // Cyrillic, without the combining marks 0483-0489
    {0x048A, 0x04FF}, {0x2010, 0x2027}, // dashes, quotes, bullet, ellipsis
    {0x2030, 0x203A},                   // per mille, primes, guillemets
    {0x20AC, 0x20AC},                   // euro sign
    {0x2116, 0x2116},                   // numero sign
    {0x2122, 0x2122},                   // trade mark sign
};

struct TGlyph {
    char16_t Code = 0;
    int32_t Before = 0;
    int32_t Width = 0;
    int32_t After = 0;
    int32_t Top = 0; // rows from the glyph box top to the first bitmap row
    int32_t BitmapWidth = 0;
    int32_t BitmapRows = 0;
    int32_t BitmapTop = 0;
    std::vector<uint8_t> Coverage;
    int32_t X = 0;
    int32_t Y = 0;
};

class TFace {
public:
    TFace(const std::string& faceFile, int32_t pixelSize) {
        if (FT_Init_FreeType(&library_) != 0) {
            throw std::runtime_error("cannot start FreeType");
        }
        if (FT_New_Face(library_, faceFile.c_str(), 0, &face_) != 0) {
            FT_Done_FreeType(library_);
            throw std::runtime_error("cannot read the font face " + faceFile);
        }
        if (FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
            FT_Done_Face(face_);
            FT_Done_FreeType(library_);
            throw std::runtime_error("the font face has no size " + std::to_string(pixelSize));
        }
    }
    ~TFace() {
        FT_Done_Face(face_);
        FT_Done_FreeType(library_);
    }
    TFace(const TFace&) = delete;
    TFace& operator=(const TFace&) = delete;

    FT_Face Get() const { return face_; }

private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

// Renders one glyph with light hinting (vertical only), which keeps the shapes faithful at
// small sizes; false when the face lacks the character.
bool RenderGlyph(FT_Face face, char16_t code, TGlyph& glyph) {
    const FT_UInt index = FT_Get_Char_Index(face, code);
    if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0) {
        return false;
    }
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph.Code = code;
    glyph.BitmapWidth = static_cast<int32_t>(bitmap.width);
    glyph.BitmapRows = static_cast<int32_t>(bitmap.rows);
    glyph.BitmapTop = slot->bitmap_top;
    glyph.Coverage.resize(static_cast<size_t>(glyph.BitmapWidth) * glyph.BitmapRows);
    for (int32_t row = 0; row < glyph.BitmapRows; ++row) {
        const uint8_t* source = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
        std::copy(source, source + glyph.BitmapWidth,
                  glyph.Coverage.begin() + static_cast<ptrdiff_t>(row) * glyph.BitmapWidth);
    }
    const int32_t advance = static_cast<int32_t>((slot->advance.x + 32) >> 6);
    // An empty glyph (the space) still gets a one-pixel box, so every source rectangle the
    // font engine hands out is a real one.
    glyph.Before = glyph.BitmapWidth > 0 ? slot->bitmap_left : 0;
    glyph.Width = std::max(glyph.BitmapWidth, 1);
    glyph.After = advance - glyph.Before - glyph.Width;
    return true;
}

// A hollow box, for faces without a replacement character of their own.
TGlyph BoxGlyph(int32_t pixelSize) {
    TGlyph glyph;
    glyph.Code = kReplacement;
    glyph.BitmapWidth = std::max(pixelSize / 2, 4);
    glyph.BitmapRows = std::max(pixelSize * 3 / 4, 5);
    glyph.BitmapTop = glyph.BitmapRows;
    glyph.Coverage.assign(static_cast<size_t>(glyph.BitmapWidth) * glyph.BitmapRows, 0);
    for (int32_t y = 0; y < glyph.BitmapRows; ++y) {
        for (int32_t x = 0; x < glyph.BitmapWidth; ++x) {
            const bool edge =
                x == 0 || y == 0 || x == glyph.BitmapWidth - 1 || y == glyph.BitmapRows - 1;
            glyph.Coverage[static_cast<size_t>(y) * glyph.BitmapWidth + x] = edge ? 255 : 0;
        }
    }
    glyph.Before = 1;
    glyph.Width = glyph.BitmapWidth;
    glyph.After = 1;
    return glyph;
}

std::vector<uint8_t> EncodePng(const std::vector<uint8_t>& rgba, int32_t width, int32_t height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr) == 0) {
        throw std::runtime_error(std::string("cannot encode the atlas: ") + image.message);
    }
    std::vector<uint8_t> bytes(size);
    if (png_image_write_to_memory(&image, bytes.data(), &size, 0, rgba.data(), 0, nullptr) == 0) {
        throw std::runtime_error(std::string("cannot encode the atlas: ") + image.message);
    }
    bytes.resize(size);
    png_image_free(&image);
    return bytes;
}

std::string DescribeFont(const std::string& name, int32_t height,
                         const std::vector<TGlyph>& glyphs) {
    std::string metrics;
    for (const TGlyph& glyph : glyphs) {
        if (!metrics.empty()) {
            metrics += ',';
        }
        metrics += std::to_string(glyph.Code) + ':' + std::to_string(glyph.X) + ':' +
                   std::to_string(glyph.Y) + ':' + std::to_string(glyph.Before) + ':' +
                   std::to_string(glyph.Width) + ':' + std::to_string(glyph.After);
    }
    TNyxParser document;
    document.SetName("xml");
    document.AddAttribute("version", "1.0");
    document.AddAttribute("encoding", "utf-8");
    TNyxXMLTag* font = document.AddTag("NyxFont");
    font->AddTag("Name", name);
    font->AddTag("Height", std::to_string(height));
    font->AddTag("Picture", name + ".png");
    font->AddTag("Metrics", metrics);
    TMemoryStream stream;
    document.SaveToStream(stream);
    return std::string(reinterpret_cast<const char*>(stream.Data()), stream.Size());
}

} // namespace

std::vector<char16_t> FontCodes() {
    std::vector<char16_t> codes;
    for (const TCodeRange& range : kRanges) {
        for (char32_t code = range.First; code <= range.Last; ++code) {
            codes.push_back(static_cast<char16_t>(code));
        }
    }
    return codes;
}

TGeneratedFont GenerateFont(const std::string& faceFile, int32_t pixelSize,
                            const std::string& name) {
    const TFace face(faceFile, pixelSize);
    std::vector<TGlyph> glyphs(1);
    if (!RenderGlyph(face.Get(), kReplacement, glyphs[0])) {
        glyphs[0] = BoxGlyph(pixelSize);
    }
    for (const char16_t code : FontCodes()) {
        TGlyph glyph;
        if (RenderGlyph(face.Get(), code, glyph)) {
            glyphs.push_back(std::move(glyph));
        }
    }

    // The box reaches from the highest to the lowest ink of any glyph, at least the face's
    // own ascent and descent, so that no accent is cut off.
    const FT_Size_Metrics& sizeMetrics = face.Get()->size->metrics;
    int32_t ascent = static_cast<int32_t>((sizeMetrics.ascender + 63) >> 6);
    int32_t descent = static_cast<int32_t>((-sizeMetrics.descender + 63) >> 6);
    for (const TGlyph& glyph : glyphs) {
        ascent = std::max(ascent, glyph.BitmapTop);
        descent = std::max(descent, glyph.BitmapRows - glyph.BitmapTop);
    }
    const int32_t height = ascent + descent;

    int32_t x = kGap;
    int32_t y = kGap;
    for (TGlyph& glyph : glyphs) {
        if (x + glyph.Width + kGap > kAtlasWidth) {
            x = kGap;
            y += height + kGap;
        }
        glyph.X = x;
        glyph.Y = y;
        glyph.Top = ascent - glyph.BitmapTop;
        x += glyph.Width + kGap;
    }
    const int32_t atlasHeight = y + height + kGap;

    std::vector<uint8_t> rgba(static_cast<size_t>(kAtlasWidth) * atlasHeight * 4, 0);
    for (size_t pixel = 0; pixel < rgba.size(); pixel += 4) {
        rgba[pixel] = rgba[pixel + 1] = rgba[pixel + 2] = 255;
    }
    for (const TGlyph& glyph : glyphs) {
        for (int32_t row = 0; row < glyph.BitmapRows; ++row) {
            for (int32_t column = 0; column < glyph.BitmapWidth; ++column) {
                const size_t target =
                    (static_cast<size_t>(glyph.Y + glyph.Top + row) * kAtlasWidth + glyph.X +
                     column) *
                        4 +
                    3;
                rgba[target] =
                    glyph.Coverage[static_cast<size_t>(row) * glyph.BitmapWidth + column];
            }
        }
    }

    TGeneratedFont font;
    font.Xml = DescribeFont(name, height, glyphs);
    font.Png = EncodePng(rgba, kAtlasWidth, atlasHeight);
    font.AtlasWidth = kAtlasWidth;
    font.AtlasHeight = atlasHeight;
    font.Height = height;
    font.GlyphCount = glyphs.size();
    return font;
}

void WriteFont(const TGeneratedFont& font, const std::string& folder, const std::string& name) {
    const auto write = [&](const std::string& fileName, const void* data, size_t size) {
        std::ofstream file(folder + "/" + fileName, std::ios::binary | std::ios::trunc);
        file.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!file) {
            throw std::runtime_error("cannot write " + folder + "/" + fileName);
        }
    };
    write(name + ".xml", font.Xml.data(), font.Xml.size());
    write(name + ".png", font.Png.data(), font.Png.size());
}

} // namespace qz
