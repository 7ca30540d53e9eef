#pragma once
// A host drawing interface that draws nothing and records every call as one line of text,
// so that a test can compare the exact calls of a frame. Picture sizes come from a map.

#include "fonts/NyxInterface.h"

#include <map>
#include <string>
#include <vector>

namespace qz::test {

class RecordingHost : public INyxGraphic {
public:
    // "Draw PICTURE X Y ALPHA"; a non-empty reserved text would be appended after "|".
    void Draw(const std::string& picture, const std::string& reserved, int32_t x, int32_t y,
              uint8_t alpha) override {
        Calls.push_back("Draw " + picture + " " + std::to_string(x) + " " + std::to_string(y) +
                        " " + std::to_string(alpha) + Reserved(reserved));
    }
    // "ExtDraw PICTURE COUNT X Y COLOR ALPHA" with the first glyph's pen position, colour
    // and opacity; every glyph is kept in Glyphs.
    void ExtDraw(const std::string& picture, std::span<const TCharRect> glyphs) override {
        std::string line = "ExtDraw " + picture + " " + std::to_string(glyphs.size());
        if (!glyphs.empty()) {
            line += " " + std::to_string(glyphs[0].X) + " " + std::to_string(glyphs[0].Y) + " " +
                    std::to_string(glyphs[0].Color) + " " + std::to_string(glyphs[0].Alpha);
        }
        Calls.push_back(line);
        Glyphs.insert(Glyphs.end(), glyphs.begin(), glyphs.end());
    }
    void LowExtDraw(const std::string& picture, const TRect&, const std::string&, int32_t x,
                    int32_t y, uint32_t, uint8_t) override {
        Calls.push_back("LowExtDraw " + picture + " " + std::to_string(x) + " " +
                        std::to_string(y));
    }
    // "DrawRect LEFT TOP RIGHT BOTTOM COLOR ALPHA MODE"
    void DrawRect(const std::string& reserved, const TRect& rect, uint32_t color, uint8_t alpha,
                  uint8_t mode) override {
        Calls.push_back("DrawRect " + std::to_string(rect.Left) + " " + std::to_string(rect.Top) +
                        " " + std::to_string(rect.Right) + " " + std::to_string(rect.Bottom) + " " +
                        std::to_string(color) + " " + std::to_string(alpha) + " " +
                        std::to_string(mode) + Reserved(reserved));
    }
    // "DrawColoredAlpha PICTURE X Y COLOR ALPHA"
    void DrawColoredAlpha(const std::string& picture, const std::string& reserved, int32_t x,
                          int32_t y, uint32_t color, uint8_t alpha) override {
        Calls.push_back("DrawColoredAlpha " + picture + " " + std::to_string(x) + " " +
                        std::to_string(y) + " " + std::to_string(color) + " " +
                        std::to_string(alpha) + Reserved(reserved));
    }
    void GetPictureSize(int32_t& width, int32_t& height, const std::string& picture) override {
        const auto found = PictureSizes.find(picture);
        width = found == PictureSizes.end() ? 0 : found->second.first;
        height = found == PictureSizes.end() ? 0 : found->second.second;
    }
    void GetScreenSize(int32_t& width, int32_t& height) override {
        width = ScreenWidth;
        height = ScreenHeight;
    }
    void PlaySound(const std::string& name) override { Sounds.push_back(name); }

    void AddPicture(const std::string& name, int32_t width, int32_t height) {
        PictureSizes[name] = {width, height};
    }
    // The calls recorded since the last TakeCalls, and a fresh start.
    std::vector<std::string> TakeCalls() {
        std::vector<std::string> calls;
        calls.swap(Calls);
        Glyphs.clear();
        return calls;
    }

    std::vector<std::string> Calls;
    std::vector<TCharRect> Glyphs;
    std::vector<std::string> Sounds;
    std::map<std::string, std::pair<int32_t, int32_t>> PictureSizes;
    int32_t ScreenWidth = 800;
    int32_t ScreenHeight = 600;

private:
    static std::string Reserved(const std::string& reserved) {
        return reserved.empty() ? std::string() : "|" + reserved;
    }
};

} // namespace qz::test
