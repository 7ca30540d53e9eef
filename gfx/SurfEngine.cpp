#include "gfx/SurfEngine.h"

#include "archive/CUnit.h"
#include "archive/Error.h"
#include "archive/FileFolder.h"
#include "gfx/JpegPNG.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace qz {

namespace {

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

std::vector<std::string> SplitBlanks(std::string_view text, size_t limit) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size() && words.size() < limit) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        const size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t')
            ++i;
        if (i > start)
            words.emplace_back(text.substr(start, i - start));
    }
    return words;
}

} // namespace

void TSurfEngine::Initialise(const TPixelFormat& format, int32_t screenWidth,
                             int32_t screenHeight) {
    PixelFormat = format;
    ScreenWidth = screenWidth;
    ScreenHeight = screenHeight;
}

int TSurfEngine::IndexOfSurface(std::string_view name) const {
    // A shorter list may have moved any picture.
    if (Surfaces.size() < FoundCount)
        Found.fill({});
    FoundCount = Surfaces.size();
    TFoundName& found =
        Found[((reinterpret_cast<uintptr_t>(name.data()) >> 3) ^ name.size()) % Found.size()];
    if (found.Data == name.data() && found.Size == name.size() &&
        size_t(found.Index) < Surfaces.size() && Surfaces[size_t(found.Index)].Name == name)
        return found.Index;
    for (size_t i = 0; i < Surfaces.size(); ++i)
        if (Surfaces[i].Name == name) {
            found = {name.data(), name.size(), int(i)};
            return int(i);
        }
    return -1;
}

TSurface* TSurfEngine::FindSurface(std::string_view name) {
    const int index = IndexOfSurface(name);
    return index < 0 ? nullptr : &Surfaces[size_t(index)];
}

void TSurfEngine::AddSurface(const TSurface& surface) {
    Surfaces.push_back(surface);
}

void TSurfEngine::DeleteSurface(std::string_view name) {
    const int index = IndexOfSurface(name);
    if (index >= 0) {
        Surfaces.erase(Surfaces.begin() + index);
        Found.fill({});
    }
}

std::shared_ptr<TPixelSurface> TSurfEngine::CreateSurface(int32_t width, int32_t height) const {
    const int32_t bits = PixelFormat.BitCount;
    if ((bits != 16 && bits != 24 && bits != 32) || width <= 0 || height <= 0 ||
        width > MaxPictureSide || height > MaxPictureSide)
        return nullptr;
    auto surface = std::make_shared<TPixelSurface>();
    surface->Width = width;
    surface->Height = height;
    surface->BytesPerPixel = bits / 8;
    // Rows are padded to 4 bytes as display surfaces are.
    surface->Pitch = (width * surface->BytesPerPixel + 3) & ~3;
    surface->Pixels.assign(size_t(surface->Pitch) * size_t(height), 0);
    return surface;
}

bool TSurfEngine::CreateBlankSurface(const std::string& name, int32_t width, int32_t height) {
    TSurface surface;
    surface.Name = name;
    surface.Width = width;
    surface.Height = height;
    surface.Surface = CreateSurface(width, height);
    if (!surface.Surface)
        return false;
    Surfaces.push_back(std::move(surface));
    return true;
}

void TSurfEngine::Upload(TPixelSurface& surface, const TRGBImage& image, TUploadRule rule) const {
    const uint32_t rm = PixelFormat.RedMask;
    const uint32_t gm = PixelFormat.GreenMask;
    const uint32_t bm = PixelFormat.BlueMask;
    for (int32_t y = 0; y < image.Height; ++y) {
        uint8_t* row = surface.Row(y);
        const uint8_t* rgb = image.Pixel(0, y);
        for (int32_t x = 0; x < image.Width; ++x, rgb += 3) {
            const uint32_t r = rgb[0];
            const uint32_t g = rgb[1];
            const uint32_t b = rgb[2];
            if (surface.BytesPerPixel == 2) {
                uint32_t value;
                if (rule == TUploadRule::PNG) {
                    const uint32_t r5 = std::max(r >> 3, 1u);
                    const uint32_t g5 = std::max(g >> 3, 1u);
                    const uint32_t b5 = std::max(b >> 3, 1u);
                    value = ((r5 * 0x842) & rm) + ((g5 * 0x841) & gm) + ((b5 * 0x841) & bm);
                } else {
                    value = (b >> 3) | ((g >> 3) << 6) | ((r >> 3) << 11);
                }
                const uint16_t word = uint16_t(value);
                std::memcpy(row + size_t(x) * 2, &word, 2);
            } else {
                const uint32_t value =
                    ((r * 0x010101) & rm) + ((g * 0x010101) & gm) + ((b * 0x010101) & bm);
                std::memcpy(row + size_t(x) * size_t(surface.BytesPerPixel), &value,
                            size_t(surface.BytesPerPixel));
            }
        }
    }
}

void TSurfEngine::AddPicture(const std::string& name, const std::string& fileName,
                             const TRGBImage& image, TUploadRule rule, bool withAlpha,
                             bool alphaOfOpaque) {
    TSurface surface;
    surface.Name = name;
    surface.FileName = fileName;
    surface.Width = image.Width;
    surface.Height = image.Height;
    surface.Surface = CreateSurface(image.Width, image.Height);
    if (!surface.Surface)
        return;
    Upload(*surface.Surface, image, rule);
    if (withAlpha && image.HasAlpha()) {
        surface.Alpha = image.Alpha;
        surface.AlphaPitch = image.Width;
    } else if (withAlpha && alphaOfOpaque) {
        surface.Alpha.assign(size_t(image.Width) * size_t(image.Height), 255);
        surface.AlphaPitch = image.Width;
    }
    Surfaces.push_back(std::move(surface));
}

void TSurfEngine::LoadPNGFromFolder(TFileFolder& folder, const std::string& name,
                                    const std::string& fileName) {
    const int index = folder.IndexOf(fileName);
    if (index < 0)
        return;
    const TRGBImage image = DecodePNG(folder.Entry(index).View());
    AddPicture(name, fileName, image, TUploadRule::PNG, true, true);
}

bool TSurfEngine::LoadPNGFromFile(const std::string& name, const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    TMemoryStream stream;
    stream.LoadFromFile(path);
    const TRGBImage image = DecodePNG(stream.View());
    AddPicture(name, path, image, TUploadRule::PNG, true, false);
    return true;
}

void TSurfEngine::LoadJPEGFromFolder(TFileFolder& folder, const std::string& name,
                                     const std::string& fileName) {
    const int index = folder.IndexOf(fileName);
    if (index < 0)
        return;
    TMemoryStream& entry = folder.Entry(index);
    TRGBImage image;
    try {
        image = DecodeJPEG(entry.View());
    } catch (const Error&) {
        TMemoryStream plain;
        CipherStream(entry, plain, DataKey());
        image = DecodeJPEG(plain.View());
    }
    AddPicture(name, fileName, image, TUploadRule::Bitmap, false, false);
}

bool TSurfEngine::LoadJPEGFromFile(const std::string& name, const std::string& path) {
    TMemoryStream stream;
    stream.LoadFromFile(path);
    const TRGBImage image = DecodeJPEG(stream.View());
    AddPicture(name, path, image, TUploadRule::Bitmap, false, false);
    return true;
}

void TSurfEngine::AddAlphaPlane(std::string_view name, uint8_t fill) {
    TSurface* surface = FindSurface(name);
    if (!surface || surface->AlphaPitch != -1)
        return;
    surface->Alpha.assign(size_t(surface->Width) * size_t(surface->Height), fill);
    surface->AlphaPitch = surface->Width;
}

void TSurfEngine::FillSurface(std::string_view name, uint8_t value) {
    TSurface* surface = FindSurface(name);
    if (surface && surface->Surface)
        std::fill(surface->Surface->Pixels.begin(), surface->Surface->Pixels.end(), value);
}

void TSurfEngine::CopyOpaque(std::string_view source, std::string_view dest,
                             const std::optional<TRect>& sourceRect, int32_t x, int32_t y) {
    TSurface* from = FindSurface(source);
    TSurface* to = FindSurface(dest);
    if (!from || !to || !from->Surface || !to->Surface)
        return;
    TPixelSurface& src = *from->Surface;
    TPixelSurface& dst = *to->Surface;
    if (src.BytesPerPixel != dst.BytesPerPixel)
        return;
    const TRect r = sourceRect.value_or(TRect{0, 0, from->Width - 1, from->Height - 1});
    if (r.IsEmpty() || r.Left < 0 || r.Top < 0 || r.Right >= src.Width || r.Bottom >= src.Height)
        return;
    if (x < 0 || y < 0 || int64_t(x) + r.Width() > dst.Width ||
        int64_t(y) + r.Height() > dst.Height)
        return;
    const size_t bytes = size_t(r.Width()) * size_t(src.BytesPerPixel);
    for (int32_t v = 0; v < r.Height(); ++v)
        std::memmove(dst.Row(y + v) + size_t(x) * size_t(dst.BytesPerPixel),
                     src.Row(r.Top + v) + size_t(r.Left) * size_t(src.BytesPerPixel), bytes);
}

TDrawParams TSurfEngine::MakeParams(uint8_t tintWeight, uint32_t colour, uint8_t opacity) const {
    TDrawParams params;
    params.Opacity = opacity;
    params.TintWeight = tintWeight;
    params.Colour = colour & 0xFFFFFF;
    params.RedMask = PixelFormat.RedMask;
    params.GreenMask = PixelFormat.GreenMask;
    params.BlueMask = PixelFormat.BlueMask;
    params.Packed = (((colour >> 19) & 0x1F) & PixelFormat.BlueMask) |
                    ((((colour >> 10) & 0x3F) << 5) & PixelFormat.GreenMask) |
                    ((((colour >> 3) & 0x1F) << 11) & PixelFormat.RedMask);
    return params;
}

// Draws the rectangle of source (already clipped to both pictures) at (x, y) of dest.
void TSurfEngine::DrawBlended(const TSurface& source, TPixelSurface& dest, const TRect& rect,
                              int32_t x, int32_t y, const TDrawParams& params) {
    const TCompositor& compositor = CompositorFor(Path);
    const TPixelSurface& src = *source.Surface;
    const size_t bytes = size_t(src.BytesPerPixel);
    const TDrawRect rows{dest.Row(y) + size_t(x) * bytes,
                         dest.Pitch,
                         src.Row(rect.Top) + size_t(rect.Left) * bytes,
                         src.Pitch,
                         source.Alpha.data() + size_t(rect.Top) * size_t(source.AlphaPitch) +
                             size_t(rect.Left),
                         source.AlphaPitch,
                         rect.Width(),
                         rect.Height()};
    if (PixelFormat.BitCount == 32)
        compositor.DrawRect32(rows, params);
    else
        compositor.DrawRect16(rows, params);
}

void TSurfEngine::DrawImage(std::string_view source, std::string_view dest, uint8_t tintWeight,
                            uint32_t tintColour, const std::optional<TRect>& sourceRect,
                            uint8_t opacity, int32_t x, int32_t y) {
    TSurface* from = FindSurface(source);
    if (!from || !from->Surface)
        return;
    if (from->AlphaPitch == -1) {
        CopyOpaque(source, dest, sourceRect, x, y);
        return;
    }
    TSurface* to = FindSurface(dest);
    if (!to || !to->Surface || !CanBlend() ||
        from->Surface->BytesPerPixel != to->Surface->BytesPerPixel)
        return;
    TRect r = sourceRect.value_or(TRect{0, 0, from->Width - 1, from->Height - 1});
    int64_t dx = x;
    int64_t dy = y;
    // Nothing may be read outside the picture nor written outside the destination, whatever
    // rectangle the caller passes.
    if (r.Left < 0) {
        dx -= r.Left;
        r.Left = 0;
    }
    if (r.Top < 0) {
        dy -= r.Top;
        r.Top = 0;
    }
    r.Right = std::min(r.Right, from->Width - 1);
    r.Bottom = std::min(r.Bottom, from->Height - 1);
    if (dx < 0) {
        r.Left += int32_t(std::min<int64_t>(-dx, INT32_MAX / 2));
        dx = 0;
    }
    if (dy < 0) {
        r.Top += int32_t(std::min<int64_t>(-dy, INT32_MAX / 2));
        dy = 0;
    }
    int64_t right = to->Surface->Width - 1;
    int64_t bottom = to->Surface->Height - 1;
    if (!sourceRect) {
        right = std::min<int64_t>(right, ScreenWidth - 1);
        bottom = std::min<int64_t>(bottom, ScreenHeight - 1);
    }
    if (dx > right || dy > bottom)
        return;
    r.Right = int32_t(std::min<int64_t>(r.Right, r.Left + right - dx));
    r.Bottom = int32_t(std::min<int64_t>(r.Bottom, r.Top + bottom - dy));
    if (r.IsEmpty())
        return;
    DrawBlended(*from, *to->Surface, r, int32_t(dx), int32_t(dy),
                MakeParams(tintWeight, tintColour, opacity));
}

void TSurfEngine::BlendRect(std::string_view dest, const TRect& rect, uint8_t opacity,
                            uint32_t colour) {
    TSurface* to = FindSurface(dest);
    if (!to || !to->Surface || !CanBlend())
        return;
    TPixelSurface& dst = *to->Surface;
    TRect r = rect;
    r.Left = std::max(r.Left, 0);
    r.Top = std::max(r.Top, 0);
    r.Right = std::min(r.Right, dst.Width - 1);
    r.Bottom = std::min(r.Bottom, dst.Height - 1);
    if (r.IsEmpty())
        return;
    const TCompositor& compositor = CompositorFor(Path);
    const TDrawParams masks = MakeParams(0, colour, opacity);
    for (int32_t y = r.Top; y <= r.Bottom; ++y) {
        if (PixelFormat.BitCount == 32)
            compositor.BlendRectRow32(dst.Row(y) + size_t(r.Left) * 4, r.Width(), opacity,
                                      colour & 0xFFFFFF);
        else
            compositor.BlendRectRow16(reinterpret_cast<uint16_t*>(dst.Row(y)) + r.Left, r.Width(),
                                      opacity, masks);
    }
}

void TSurfEngine::DrawGlyphs(std::string_view source, std::string_view dest, int32_t count,
                             const TGlyphItem* items) {
    TSurface* from = FindSurface(source);
    TSurface* to = FindSurface(dest);
    if (!from || !to || !from->Surface || !to->Surface || from->AlphaPitch == -1 || !CanBlend() ||
        from->Surface->BytesPerPixel != to->Surface->BytesPerPixel)
        return;
    const int64_t lastRow = std::min(ScreenHeight, to->Surface->Height) - 1;
    const int64_t lastColumn = to->Surface->Width - 1;
    for (int32_t i = 0; i < count; ++i) {
        const TGlyphItem& item = items[i];
        TRect r{item.Left, item.Top, item.Right, item.Bottom};
        int64_t x = item.X;
        int64_t y = item.Y;
        if (y < 0) {
            r.Top = int32_t(std::min<int64_t>(int64_t(r.Top) - y, INT32_MAX / 2));
            y = 0;
        }
        // The font engine keeps glyphs inside the picture and the screen's columns; the
        // clipping below only guards memory against a glyph list that does not.
        if (r.Left < 0) {
            x -= r.Left;
            r.Left = 0;
        }
        if (r.Top < 0) {
            y -= r.Top;
            r.Top = 0;
        }
        if (x < 0) {
            r.Left = int32_t(std::min<int64_t>(int64_t(r.Left) - x, INT32_MAX / 2));
            x = 0;
        }
        r.Right = std::min(r.Right, from->Width - 1);
        r.Bottom = std::min(r.Bottom, from->Height - 1);
        if (x > lastColumn || y > lastRow)
            continue;
        r.Right = int32_t(std::min<int64_t>(r.Right, r.Left + lastColumn - x));
        r.Bottom = int32_t(std::min<int64_t>(r.Bottom, r.Top + lastRow - y));
        if (r.IsEmpty())
            continue;
        DrawBlended(*from, *to->Surface, r, int32_t(x), int32_t(y),
                    MakeParams(1, item.Colour, item.Opacity));
    }
}

void TSurfEngine::ReleaseSurfaces() {
    for (TSurface& surface : Surfaces) {
        surface.Surface.reset();
        surface.Alpha.clear();
        surface.AlphaPitch = -1;
    }
}

void TSurfEngine::Reload(const std::string& name, const std::string& fileName, TFileFolder* folder1,
                         TFileFolder* folder2) {
    TFileFolder* folder = folder1 && folder1->IndexOf(fileName) >= 0 ? folder1 : folder2;
    if (!folder)
        return;
    if (EndsWith(fileName, "png"))
        LoadPNGFromFolder(*folder, name, fileName);
    else if (EndsWith(fileName, "jpg"))
        LoadJPEGFromFolder(*folder, name, fileName);
}

void TSurfEngine::ReloadSurfaces(TFileFolder* folder1, TFileFolder* folder2,
                                 std::string_view firstNames, int32_t width, int32_t height) {
    for (const std::string& name : SplitBlanks(firstNames, 255)) {
        const TSurface* surface = FindSurface(name);
        if (!surface)
            continue;
        const std::string fileName = surface->FileName;
        // A blank picture has nothing to load from; it is rebuilt with the others below.
        if (!EndsWith(fileName, "png") && !EndsWith(fileName, "jpg"))
            continue;
        DeleteSurface(name);
        Reload(name, fileName, folder1, folder2);
    }
    const size_t count = Surfaces.size();
    const int32_t last = int32_t(count) - 1;
    for (size_t step = 0; step < count && !Surfaces.empty(); ++step) {
        TSurface first = Surfaces.front();
        Surfaces.erase(Surfaces.begin());
        Found.fill({});
        if (first.Surface) {
            Surfaces.push_back(std::move(first));
            continue;
        }
        if (first.FileName.empty()) {
            if (!CreateBlankSurface(first.Name, width, height))
                return;
        } else {
            Reload(first.Name, first.FileName, folder1, folder2);
        }
        if (OnProgress)
            OnProgress(last > 0 ? int32_t(std::lround(100.0 * double(step) / last)) : 100);
    }
}

} // namespace qz
