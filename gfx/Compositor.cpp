#include "gfx/Compositor.h"

#include <initializer_list>

namespace qz {

namespace {

void DrawRow32Scalar(uint8_t* dst, const uint8_t* src, const uint8_t* alpha, int32_t count,
                     const TDrawParams& params) {
    const int o = params.Opacity;
    const int w = params.TintWeight;
    const bool fullCopy = o == 255 && w == 0;
    const int colour[3] = {int(params.Colour >> 16) & 0xFF, int(params.Colour >> 8) & 0xFF,
                           int(params.Colour) & 0xFF};
    for (int32_t i = 0; i < count; ++i, dst += 4, src += 4) {
        const int t = alpha[i];
        if (t == 0)
            continue;
        if (t == 255 && fullCopy) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
            dst[3] = src[3];
            continue;
        }
        const int a = (t * o) >> 8;
        for (int k = 0; k < 3; ++k) {
            int s = src[k];
            if (w != 0)
                s = colour[k] + (((s - colour[k]) * w) >> 8);
            dst[k] = uint8_t((a * s + (255 - a) * dst[k]) >> 8);
        }
    }
}

void DrawRow16Scalar(uint16_t* dst, const uint16_t* src, const uint8_t* alpha, int32_t count,
                     const TDrawParams& params) {
    const int o = params.Opacity;
    const int w = params.TintWeight;
    const bool fullCopy = o == 255 && w == 0;
    const bool tint = w != 0 && w != 255;
    const int masks[3] = {int(params.RedMask), int(params.GreenMask), int(params.BlueMask)};
    for (int32_t i = 0; i < count; ++i) {
        const int t = alpha[i];
        if (t == 0)
            continue;
        if (t == 255 && fullCopy) {
            dst[i] = src[i];
            continue;
        }
        const int a = (t * o) >> 8;
        if (a == 0)
            continue;
        int s = src[i];
        if (tint) {
            int tinted = 0;
            for (int m : masks) {
                const int c = int(params.Packed) & m;
                tinted += (c + ((((s & m) - c) * w) >> 8)) & m;
            }
            s = tinted;
        }
        const int d = dst[i];
        int result = 0;
        for (int m : masks)
            result += ((((255 - a) * (d & m)) + a * (s & m)) >> 8) & m;
        dst[i] = uint16_t(result);
    }
}

void BlendRectRow32Scalar(uint8_t* dst, int32_t count, uint8_t opacity, uint32_t colour) {
    const int o = opacity;
    const int c[3] = {int(colour >> 16) & 0xFF, int(colour >> 8) & 0xFF, int(colour) & 0xFF};
    for (int32_t i = 0; i < count; ++i, dst += 4)
        for (int k = 0; k < 3; ++k)
            dst[k] = uint8_t((c[k] * o + (255 - o) * dst[k]) >> 8);
}

void BlendRectRow16Scalar(uint16_t* dst, int32_t count, uint8_t opacity, const TDrawParams& masks) {
    const int o = opacity;
    const int m[3] = {int(masks.RedMask), int(masks.GreenMask), int(masks.BlueMask)};
    for (int32_t i = 0; i < count; ++i) {
        const int d = dst[i];
        dst[i] = uint16_t((((o * (d & m[0])) >> 8) & m[0]) + (((o * (d & m[1])) >> 8) & m[1]) +
                          (((o * (d & m[2])) >> 8) & m[2]));
    }
}

} // namespace

const TCompositor& ScalarCompositor() {
    static const TCompositor compositor{DrawRow32Scalar,
                                        DrawRow16Scalar,
                                        BlendRectRow32Scalar,
                                        BlendRectRow16Scalar,
                                        DrawRectByRows32<DrawRow32Scalar>,
                                        DrawRectByRows16<DrawRow16Scalar>};
    return compositor;
}

bool CompositorPathSupported(TCompositorPath path) {
    switch (path) {
    case TCompositorPath::Scalar:
        return true;
#if defined(__x86_64__) || defined(__i386__)
    case TCompositorPath::SSE2:
        return __builtin_cpu_supports("sse2");
    case TCompositorPath::AVX2:
        return __builtin_cpu_supports("avx2");
#endif
    default:
        return false;
    }
}

TCompositorPath BestCompositorPath() {
    for (const TCompositorPath path : {TCompositorPath::AVX2, TCompositorPath::SSE2})
        if (CompositorPathSupported(path))
            return path;
    return TCompositorPath::Scalar;
}

const TCompositor& CompositorFor(TCompositorPath path) {
#if defined(__x86_64__) || defined(__i386__)
    if (path == TCompositorPath::AVX2 && CompositorPathSupported(TCompositorPath::AVX2))
        return AVX2Compositor();
    if (path != TCompositorPath::Scalar && CompositorPathSupported(TCompositorPath::SSE2))
        return SSE2Compositor();
#endif
    (void)path;
    return ScalarCompositor();
}

} // namespace qz
