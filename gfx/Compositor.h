#pragma once
// The per-row pixel kernels of the surface engine: the blended draw of an alpha picture (a row
// or a rectangle of rows at a time) and the rectangle blend, at 32 bits (blue, green, red,
// unused byte) and 16 bits (5-6-5). The scalar kernels are the formulas themselves; the vector
// kernels give the same bytes.
#include <cstddef>
#include <cstdint>

namespace qz {

// Everything a row of a blended draw needs besides the pixels.
struct TDrawParams {
    uint8_t Opacity = 255;
    uint8_t TintWeight = 0;
    uint32_t Colour = 0; // 0x00BBGGRR
    // 16 bits only: the channel masks of the surface and the tint colour packed into them.
    uint32_t RedMask = 0xF800;
    uint32_t GreenMask = 0x07E0;
    uint32_t BlueMask = 0x001F;
    uint32_t Packed = 0;
};

// A rectangle of a blended draw: the first row of each plane and the bytes from one row to
// the next (of the alpha plane: its width).
struct TDrawRect {
    uint8_t* Dst = nullptr;
    ptrdiff_t DstPitch = 0;
    const uint8_t* Src = nullptr;
    ptrdiff_t SrcPitch = 0;
    const uint8_t* Alpha = nullptr;
    ptrdiff_t AlphaPitch = 0;
    int32_t Count = 0; // pixels per row
    int32_t Rows = 0;
};

using TDrawRow32 = void (*)(uint8_t* dst, const uint8_t* src, const uint8_t* alpha, int32_t count,
                            const TDrawParams& params);
using TDrawRow16 = void (*)(uint16_t* dst, const uint16_t* src, const uint8_t* alpha, int32_t count,
                            const TDrawParams& params);

// A rectangle drawn one row after another by a row kernel, for kernels with no set-up to share.
template <TDrawRow32 Row> void DrawRectByRows32(const TDrawRect& rect, const TDrawParams& params) {
    for (int32_t v = 0; v < rect.Rows; ++v)
        Row(rect.Dst + v * rect.DstPitch, rect.Src + v * rect.SrcPitch,
            rect.Alpha + v * rect.AlphaPitch, rect.Count, params);
}
template <TDrawRow16 Row> void DrawRectByRows16(const TDrawRect& rect, const TDrawParams& params) {
    for (int32_t v = 0; v < rect.Rows; ++v)
        Row(reinterpret_cast<uint16_t*>(rect.Dst + v * rect.DstPitch),
            reinterpret_cast<const uint16_t*>(rect.Src + v * rect.SrcPitch),
            rect.Alpha + v * rect.AlphaPitch, rect.Count, params);
}

struct TCompositor {
    TDrawRow32 DrawRow32;
    TDrawRow16 DrawRow16;
    void (*BlendRectRow32)(uint8_t* dst, int32_t count, uint8_t opacity, uint32_t colour);
    void (*BlendRectRow16)(uint16_t* dst, int32_t count, uint8_t opacity, const TDrawParams& masks);
    // The row kernels over a whole rectangle, their set-up made once.
    void (*DrawRect32)(const TDrawRect& rect, const TDrawParams& params);
    void (*DrawRect16)(const TDrawRect& rect, const TDrawParams& params);
};

enum class TCompositorPath { Scalar, SSE2, AVX2 };

// Whether this processor runs the kernels of a path.
bool CompositorPathSupported(TCompositorPath path);
// The fastest path this processor runs.
TCompositorPath BestCompositorPath();
// The kernels of a path, or of the fastest supported path below it; the vector kernels of
// 16 bits fall back to the scalar ones for masks other than 5-6-5.
const TCompositor& CompositorFor(TCompositorPath path);

const TCompositor& ScalarCompositor();
#if defined(__x86_64__) || defined(__i386__)
const TCompositor& SSE2Compositor();
const TCompositor& AVX2Compositor();
#endif

} // namespace qz
