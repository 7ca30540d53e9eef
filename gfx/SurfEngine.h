#pragma once
// The surface engine: every picture the game draws, each in its own off-screen pixel buffer
// of the display's format with an optional 8-bit alpha plane, and the engine's own blending
// of pictures, rectangles and glyphs into them. Presenting "MemorySurface" is not its job.
#include "archive/Helpers.h"
#include "gfx/Compositor.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

class TFileFolder;
struct TRGBImage;

// Bits per pixel and channel masks of the display; only 16 and 32 bits are blended.
struct TPixelFormat {
    int32_t BitCount = 0;
    uint32_t RedMask = 0;
    uint32_t GreenMask = 0;
    uint32_t BlueMask = 0;

    static TPixelFormat Bits32() { return {32, 0xFF0000, 0x00FF00, 0x0000FF}; }
    static TPixelFormat Bits16() { return {16, 0xF800, 0x07E0, 0x001F}; }
    friend bool operator==(const TPixelFormat&, const TPixelFormat&) = default;
};

// An off-screen pixel buffer in ordinary memory; rows are Pitch bytes apart.
struct TPixelSurface {
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t BytesPerPixel = 0;
    int32_t Pitch = 0;
    std::vector<uint8_t> Pixels;

    uint8_t* Row(int32_t y) { return Pixels.data() + size_t(y) * size_t(Pitch); }
    const uint8_t* Row(int32_t y) const { return Pixels.data() + size_t(y) * size_t(Pitch); }
};

// One picture. Copies share the pixel buffer, as references to one display surface do.
struct TSurface {
    std::string Name;
    std::string FileName;
    int32_t AlphaPitch = -1; // Width when there is an alpha plane, else -1
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint8_t> Alpha; // 0 transparent .. 255 opaque, row by row
    std::shared_ptr<TPixelSurface> Surface;
};

// One glyph to draw: its inclusive rectangle in the font picture, where it goes, its colour
// (0x00BBGGRR) and opacity.
struct TGlyphItem {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    int32_t X = 0;
    int32_t Y = 0;
    uint32_t Colour = 0;
    uint8_t Opacity = 255;
};

class TSurfEngine {
public:
    // Takes the display's format and size; the pictures already held stay as they are.
    void Initialise(const TPixelFormat& format, int32_t screenWidth = 800,
                    int32_t screenHeight = 600);

    int IndexOfSurface(std::string_view name) const;
    TSurface* FindSurface(std::string_view name);
    void AddSurface(const TSurface& surface);
    // Removes the first picture of that name; later pictures move down.
    void DeleteSurface(std::string_view name);
    // A zeroed buffer in the display's format, or null when that is impossible.
    std::shared_ptr<TPixelSurface> CreateSurface(int32_t width, int32_t height) const;
    bool CreateBlankSurface(const std::string& name, int32_t width, int32_t height);

    // Archive entries that are not there load nothing; decoding errors raise qz::Error.
    void LoadPNGFromFolder(TFileFolder& folder, const std::string& name,
                           const std::string& fileName);
    bool LoadPNGFromFile(const std::string& name, const std::string& path);
    // An entry that does not decode is deciphered with the data key and decoded again.
    void LoadJPEGFromFolder(TFileFolder& folder, const std::string& name,
                            const std::string& fileName);
    bool LoadJPEGFromFile(const std::string& name, const std::string& path);
    void AddAlphaPlane(std::string_view name, uint8_t fill);

    void FillSurface(std::string_view name, uint8_t value);
    // An unblended copy; a copy that does not fit entirely in both pictures draws nothing.
    void CopyOpaque(std::string_view source, std::string_view dest,
                    const std::optional<TRect>& sourceRect, int32_t x, int32_t y);
    void DrawImage(std::string_view source, std::string_view dest, uint8_t tintWeight,
                   uint32_t tintColour, const std::optional<TRect>& sourceRect, uint8_t opacity,
                   int32_t x, int32_t y);
    void BlendRect(std::string_view dest, const TRect& rect, uint8_t opacity, uint32_t colour);
    void DrawGlyphs(std::string_view source, std::string_view dest, int32_t count,
                    const TGlyphItem* items);

    // Before a display change: every picture gives up its buffer and alpha plane but keeps
    // its record, so that ReloadSurfaces can rebuild it.
    void ReleaseSurfaces();
    // Reloads the named pictures first, then rebuilds every picture that lost its buffer,
    // keeping their order; either archive may be absent.
    void ReloadSurfaces(TFileFolder* folder1, TFileFolder* folder2, std::string_view firstNames,
                        int32_t width, int32_t height);

    int32_t ScreenWidth = 800;
    int32_t ScreenHeight = 600;
    std::vector<TSurface> Surfaces;
    TPixelFormat PixelFormat;
    std::function<void(int32_t)> OnProgress;
    // Which kernels do the blending; every path gives the same pixels.
    TCompositorPath Path = BestCompositorPath();

private:
    enum class TUploadRule { PNG, Bitmap };
    bool CanBlend() const { return PixelFormat.BitCount == 16 || PixelFormat.BitCount == 32; }
    TDrawParams MakeParams(uint8_t tintWeight, uint32_t colour, uint8_t opacity) const;
    // Adds the decoded picture as a new surface; nothing when the buffer cannot be made.
    void AddPicture(const std::string& name, const std::string& fileName, const TRGBImage& image,
                    TUploadRule rule, bool withAlpha, bool alphaOfOpaque);
    void Upload(TPixelSurface& surface, const TRGBImage& image, TUploadRule rule) const;
    void DrawBlended(const TSurface& source, TPixelSurface& dest, const TRect& rect, int32_t x,
                     int32_t y, const TDrawParams& params);
    void Reload(const std::string& name, const std::string& fileName, TFileFolder* folder1,
                TFileFolder* folder2);

    // Where the first picture of a name was last found, by where the caller keeps the name,
    // so that the many look-ups of a frame do not search the list: checked on use, dropped
    // when pictures are removed.
    struct TFoundName {
        const char* Data = nullptr;
        size_t Size = 0;
        int Index = -1;
    };
    mutable std::array<TFoundName, 256> Found{};
    mutable size_t FoundCount = 0;
};

} // namespace qz
