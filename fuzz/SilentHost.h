#pragma once
// The host of the interface engine and fonts in the fuzz targets: it draws and plays nothing.

#include "fonts/NyxInterface.h"

#include <cstdint>
#include <span>
#include <string>

namespace qz::fuzz {

// A host of an 800 x 600 screen that draws and plays nothing; a picture's size follows its
// name's length, at least smallestWidth x smallestHeight.
class SilentHost : public INyxGraphic {
public:
    explicit SilentHost(int32_t smallestWidth = 0, int32_t smallestHeight = 0)
        : smallestWidth_(smallestWidth), smallestHeight_(smallestHeight) {}

    void Draw(const std::string&, const std::string&, int32_t, int32_t, uint8_t) override {}
    void ExtDraw(const std::string&, std::span<const TCharRect>) override {}
    void LowExtDraw(const std::string&, const TRect&, const std::string&, int32_t, int32_t,
                    uint32_t, uint8_t) override {}
    void DrawRect(const std::string&, const TRect&, uint32_t, uint8_t, uint8_t) override {}
    void DrawColoredAlpha(const std::string&, const std::string&, int32_t, int32_t, uint32_t,
                          uint8_t) override {}
    void GetPictureSize(int32_t& width, int32_t& height, const std::string& picture) override {
        width = smallestWidth_ + static_cast<int32_t>(picture.size() * 7 % 300);
        height = smallestHeight_ + static_cast<int32_t>(picture.size() * 5 % 200);
    }
    void GetScreenSize(int32_t& width, int32_t& height) override {
        width = 800;
        height = 600;
    }
    void PlaySound(const std::string&) override {}

private:
    int32_t smallestWidth_;
    int32_t smallestHeight_;
};

} // namespace qz::fuzz
