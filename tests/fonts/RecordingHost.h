#pragma once
// A host drawing interface that draws nothing and records every glyph batch it is given.

#include "fonts/NyxInterface.h"

#include <string>
#include <vector>

namespace qz::test {

class RecordingHost : public INyxGraphic {
public:
    struct Batch {
        std::string Picture;
        std::vector<TCharRect> Glyphs;
    };

    void Draw(const std::string&, const std::string&, int32_t, int32_t, uint8_t) override {
        ++OtherCalls;
    }
    void ExtDraw(const std::string& picture, std::span<const TCharRect> glyphs) override {
        Batches.push_back({picture, {glyphs.begin(), glyphs.end()}});
    }
    void LowExtDraw(const std::string&, const TRect&, const std::string&, int32_t, int32_t,
                    uint32_t, uint8_t) override {
        ++OtherCalls;
    }
    void DrawRect(const std::string&, const TRect&, uint32_t, uint8_t, uint8_t) override {
        ++OtherCalls;
    }
    void DrawColoredAlpha(const std::string&, const std::string&, int32_t, int32_t, uint32_t,
                          uint8_t) override {
        ++OtherCalls;
    }
    void GetPictureSize(int32_t& width, int32_t& height, const std::string&) override {
        width = 0;
        height = 0;
        ++OtherCalls;
    }
    void GetScreenSize(int32_t& width, int32_t& height) override {
        width = 800;
        height = 600;
        ++OtherCalls;
    }
    void PlaySound(const std::string&) override { ++OtherCalls; }

    std::vector<Batch> Batches;
    int OtherCalls = 0;
};

} // namespace qz::test
