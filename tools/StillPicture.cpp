#include "StillPicture.h"

#include "SurfaceHost.h"
#include "archive/Error.h"
#include "game/GameData.h"
#include "game/HeadlessGame.h"

#include <filesystem>

namespace qz::tool {

namespace {

constexpr const char* FontName = "NyxUnicode";

bool IsJPEG(std::string_view name) {
    return LowerCase(name).ends_with("jpg");
}

std::u16string Wide(std::string_view text) {
    return {text.begin(), text.end()};
}

} // namespace

TStillPicture::TStillPicture(THeadlessGame& game, int32_t width, int32_t height, uint32_t fill)
    : game_(game) {
    // The picture is the engine's whole screen, so nothing it draws is clipped short of it.
    Engine.Initialise(TPixelFormat::Bits32(), width, height);
    if (!Engine.CreateBlankSurface(Target, width, height)) {
        throw Error("Cannot make a picture of " + std::to_string(width) + " x " +
                    std::to_string(height) + " pixels");
    }
    Fill({0, 0, width - 1, height - 1}, fill);
    fonts_.SetHost(std::make_shared<TSurfaceHost>(Engine, Target));
    if (game_.Game->IndexOf(std::string(FontName) + ".xml") >= 0) {
        fonts_.LoadFromStream(ArchiveEntry(*game_.Game, std::string(FontName) + ".xml"));
        font_ = fonts_.FindFont(FontName);
        if (font_ != nullptr && !Load(font_->Picture)) {
            font_ = nullptr;
        }
    }
}

std::optional<TPictureSize> TStillPicture::Load(std::string_view name) {
    if (const TSurface* surface = Engine.FindSurface(name)) {
        return TPictureSize{surface->Width, surface->Height};
    }
    for (TFileFolder* folder : {game_.Levels.get(), game_.Game.get()}) {
        if (folder->IndexOf(name) < 0) {
            continue;
        }
        const std::string text(name);
        if (IsJPEG(name)) {
            Engine.LoadJPEGFromFolder(*folder, text, text);
            Engine.AddAlphaPlane(text, 255);
        } else {
            Engine.LoadPNGFromFolder(*folder, text, text);
        }
        break;
    }
    const TSurface* surface = Engine.FindSurface(name);
    if (surface == nullptr) {
        return std::nullopt;
    }
    return TPictureSize{surface->Width, surface->Height};
}

std::optional<TRGBImage> TStillPicture::Decode(std::string_view name) const {
    for (TFileFolder* folder : {game_.Levels.get(), game_.Game.get()}) {
        const int index = folder->IndexOf(name);
        if (index < 0) {
            continue;
        }
        const std::string_view bytes = folder->Entry(index).View();
        return IsJPEG(name) ? DecodeJPEG(bytes) : DecodePNG(bytes);
    }
    return std::nullopt;
}

void TStillPicture::Add(const std::string& name, const TRGBImage& image) {
    Engine.DeleteSurface(name);
    TSurface surface;
    surface.Name = name;
    surface.Width = image.Width;
    surface.Height = image.Height;
    surface.Surface = Engine.CreateSurface(image.Width, image.Height);
    if (!surface.Surface) {
        return;
    }
    for (int32_t y = 0; y < image.Height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(surface.Surface->Row(y));
        for (int32_t x = 0; x < image.Width; ++x) {
            const uint8_t* p = image.Pixel(x, y);
            row[x] = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
        }
    }
    surface.AlphaPitch = image.Width;
    surface.Alpha = image.HasAlpha()
                        ? image.Alpha
                        : std::vector<uint8_t>(size_t(image.Width) * image.Height, 255);
    Engine.AddSurface(surface);
}

void TStillPicture::Draw(std::string_view name, int32_t x, int32_t y, uint8_t alpha,
                         const std::optional<TRect>& source) {
    if (Load(name)) {
        Engine.DrawImage(name, Target, 0, 0, source, alpha, x, y);
    }
}

void TStillPicture::Fill(const TRect& rect, uint32_t colour, uint8_t alpha) {
    Engine.BlendRect(Target, rect, alpha, colour);
}

void TStillPicture::Text(int32_t x, int32_t y, std::string_view text, uint32_t colour) {
    if (font_ != nullptr) {
        font_->DrawText(x, y, colour, 255, Wide(text));
    }
}

int32_t TStillPicture::TextWidth(std::string_view text) const {
    return font_ != nullptr ? font_->TextWidth(Wide(text)) : 0;
}

int32_t TStillPicture::TextHeight() const {
    return font_ != nullptr ? font_->Height : 0;
}

TRGBImage TStillPicture::Image() const {
    return SurfaceImage(Engine, Target);
}

void TStillPicture::SavePNG(const std::string& fileName) const {
    EncodePNG(Image()).SaveToFile(fileName);
}

void RequireFile(const std::string& fileName, std::string_view what) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error)) {
        throw Error("No " + std::string(what) + " \"" + fileName + "\"");
    }
}

} // namespace qz::tool
