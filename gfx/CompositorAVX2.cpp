// The AVX2 kernels: 8 pixels per step at 32 bits, 16 at 16 bits, in 16-bit lanes where
// every intermediate of the formulas fits (a * s + (255 - a) * d never exceeds 65025). Short
// tails go through the same vector code on a padded copy, so glyph rows stay vectorised.
#include "gfx/Compositor.h"

#if defined(__x86_64__) || defined(__i386__)

#include <cstring>
#include <immintrin.h>

#define QZ_AVX2 __attribute__((target("avx2")))

namespace qz {

namespace {

// The tint s' = c + floor((s - c) * W / 256) equals (s * W + c * (256 - W)) >> 8, whose
// terms stay unsigned and below 65281, so it runs in 16-bit lanes.
struct TDraw32Constants {
    __m256i Opacity;
    __m256i Weight;
    __m256i TintTerm;
    __m256i Byte255;
    __m256i FourthByte;
    __m256i SpreadLow;
    __m256i SpreadHigh;
};

QZ_AVX2 inline TDraw32Constants MakeDraw32Constants(const TDrawParams& params) {
    TDraw32Constants k;
    const int w = params.TintWeight;
    const short cb = short((int(params.Colour >> 16) & 0xFF) * (256 - w));
    const short cg = short((int(params.Colour >> 8) & 0xFF) * (256 - w));
    const short cr = short((int(params.Colour) & 0xFF) * (256 - w));
    k.Opacity = _mm256_set1_epi16(short(params.Opacity));
    k.Weight = _mm256_set1_epi16(short(w));
    k.TintTerm = _mm256_setr_epi16(cb, cg, cr, 0, cb, cg, cr, 0, cb, cg, cr, 0, cb, cg, cr, 0);
    k.Byte255 = _mm256_set1_epi16(255);
    k.FourthByte = _mm256_set1_epi32(int(0xFF000000u));
    k.SpreadLow = _mm256_setr_epi8(0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 0, 0, 0, 0, 1, 1,
                                   1, 1, 2, 2, 2, 2, 3, 3, 3, 3);
    k.SpreadHigh = _mm256_setr_epi8(4, 4, 4, 4, 5, 5, 5, 5, 6, 6, 6, 6, 7, 7, 7, 7, 4, 4, 4, 4, 5,
                                    5, 5, 5, 6, 6, 6, 6, 7, 7, 7, 7);
    return k;
}

// Four pixels of one half in 16-bit lanes: the blended channels.
QZ_AVX2 inline __m256i Blend4(__m256i s, __m256i d, __m256i t, const TDraw32Constants& k,
                              bool tint) {
    const __m256i a = _mm256_srli_epi16(_mm256_mullo_epi16(t, k.Opacity), 8);
    if (tint)
        s = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(s, k.Weight), k.TintTerm), 8);
    const __m256i sum = _mm256_add_epi16(_mm256_mullo_epi16(a, s),
                                         _mm256_mullo_epi16(_mm256_sub_epi16(k.Byte255, a), d));
    return _mm256_srli_epi16(sum, 8);
}

QZ_AVX2 inline void Draw8Pixels32(uint8_t* dst, const uint8_t* src, uint64_t t8,
                                  const TDraw32Constants& k, bool tint, bool fullCopy) {
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src));
    const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst));
    const __m128i tv = _mm_cvtsi64_si128(int64_t(t8));
    const __m256i tb = _mm256_broadcastsi128_si256(tv);
    const __m256i tLow =
        _mm256_cvtepu8_epi16(_mm256_castsi256_si128(_mm256_shuffle_epi8(tb, k.SpreadLow)));
    const __m256i tHigh =
        _mm256_cvtepu8_epi16(_mm256_castsi256_si128(_mm256_shuffle_epi8(tb, k.SpreadHigh)));
    const __m256i low = Blend4(_mm256_cvtepu8_epi16(_mm256_castsi256_si128(s)),
                               _mm256_cvtepu8_epi16(_mm256_castsi256_si128(d)), tLow, k, tint);
    const __m256i high =
        Blend4(_mm256_cvtepu8_epi16(_mm256_extracti128_si256(s, 1)),
               _mm256_cvtepu8_epi16(_mm256_extracti128_si256(d, 1)), tHigh, k, tint);
    __m256i result = _mm256_permute4x64_epi64(_mm256_packus_epi16(low, high), 0xD8);
    const __m256i t32 = _mm256_cvtepu8_epi32(tv);
    const __m256i keep =
        _mm256_or_si256(k.FourthByte, _mm256_cmpeq_epi32(t32, _mm256_setzero_si256()));
    result = _mm256_blendv_epi8(result, d, keep);
    if (fullCopy)
        result = _mm256_blendv_epi8(result, s, _mm256_cmpeq_epi32(t32, _mm256_set1_epi32(255)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), result);
}

QZ_AVX2 void DrawRow32AVX2(uint8_t* dst, const uint8_t* src, const uint8_t* alpha, int32_t count,
                           const TDrawParams& params) {
    const TDraw32Constants k = MakeDraw32Constants(params);
    const bool tint = params.TintWeight != 0;
    const bool fullCopy = params.Opacity == 255 && !tint;
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        uint64_t t8;
        std::memcpy(&t8, alpha + i, 8);
        if (t8 == 0)
            continue;
        if (fullCopy && t8 == ~uint64_t(0)) {
            std::memcpy(dst + size_t(i) * 4, src + size_t(i) * 4, 32);
            continue;
        }
        Draw8Pixels32(dst + size_t(i) * 4, src + size_t(i) * 4, t8, k, tint, fullCopy);
    }
    const int32_t rest = count - i;
    if (rest > 0) {
        alignas(32) uint8_t d[32] = {};
        alignas(32) uint8_t s[32] = {};
        uint64_t t8 = 0;
        std::memcpy(d, dst + size_t(i) * 4, size_t(rest) * 4);
        std::memcpy(s, src + size_t(i) * 4, size_t(rest) * 4);
        std::memcpy(&t8, alpha + i, size_t(rest));
        if (t8 == 0)
            return;
        Draw8Pixels32(d, s, t8, k, tint, fullCopy);
        std::memcpy(dst + size_t(i) * 4, d, size_t(rest) * 4);
    }
}

struct TDraw16Constants {
    __m256i Opacity;
    __m256i Weight;
    __m256i TintRed, TintGreen, TintBlue; // c * (256 - W) per channel
    __m256i Byte255;
    __m256i Five, Six;
};

QZ_AVX2 inline void Draw16Pixels16(uint16_t* dst, const uint16_t* src, __m128i t16bytes,
                                   const TDraw16Constants& k, bool tint, bool fullCopy) {
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src));
    const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst));
    const __m256i t = _mm256_cvtepu8_epi16(t16bytes);
    const __m256i a = _mm256_srli_epi16(_mm256_mullo_epi16(t, k.Opacity), 8);
    const __m256i na = _mm256_sub_epi16(k.Byte255, a);
    __m256i sr = _mm256_srli_epi16(s, 11);
    __m256i sg = _mm256_and_si256(_mm256_srli_epi16(s, 5), k.Six);
    __m256i sb = _mm256_and_si256(s, k.Five);
    if (tint) {
        sr = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(sr, k.Weight), k.TintRed), 8);
        sg = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(sg, k.Weight), k.TintGreen), 8);
        sb = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(sb, k.Weight), k.TintBlue), 8);
    }
    const __m256i dr = _mm256_srli_epi16(d, 11);
    const __m256i dg = _mm256_and_si256(_mm256_srli_epi16(d, 5), k.Six);
    const __m256i db = _mm256_and_si256(d, k.Five);
    const __m256i r = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(na, dr), _mm256_mullo_epi16(a, sr)), 8);
    const __m256i g = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(na, dg), _mm256_mullo_epi16(a, sg)), 8);
    const __m256i b = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(na, db), _mm256_mullo_epi16(a, sb)), 8);
    __m256i result = _mm256_or_si256(
        _mm256_or_si256(_mm256_slli_epi16(r, 11), _mm256_slli_epi16(_mm256_and_si256(g, k.Six), 5)),
        _mm256_and_si256(b, k.Five));
    result = _mm256_blendv_epi8(result, d, _mm256_cmpeq_epi16(a, _mm256_setzero_si256()));
    if (fullCopy)
        result = _mm256_blendv_epi8(result, s, _mm256_cmpeq_epi16(t, k.Byte255));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), result);
}

bool Is565(const TDrawParams& params) {
    return params.RedMask == 0xF800 && params.GreenMask == 0x07E0 && params.BlueMask == 0x001F;
}

QZ_AVX2 void DrawRow16AVX2(uint16_t* dst, const uint16_t* src, const uint8_t* alpha, int32_t count,
                           const TDrawParams& params) {
    if (!Is565(params)) {
        ScalarCompositor().DrawRow16(dst, src, alpha, count, params);
        return;
    }
    const int w = params.TintWeight;
    const bool fullCopy = params.Opacity == 255 && w == 0;
    const bool tint = w != 0 && w != 255;
    TDraw16Constants k;
    k.Opacity = _mm256_set1_epi16(short(params.Opacity));
    k.Weight = _mm256_set1_epi16(short(w));
    k.TintRed = _mm256_set1_epi16(short(int((params.Packed >> 11) & 0x1F) * (256 - w)));
    k.TintGreen = _mm256_set1_epi16(short(int((params.Packed >> 5) & 0x3F) * (256 - w)));
    k.TintBlue = _mm256_set1_epi16(short(int(params.Packed & 0x1F) * (256 - w)));
    k.Byte255 = _mm256_set1_epi16(255);
    k.Five = _mm256_set1_epi16(0x1F);
    k.Six = _mm256_set1_epi16(0x3F);
    int32_t i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m128i t = _mm_loadu_si128(reinterpret_cast<const __m128i*>(alpha + i));
        const int zero = _mm_movemask_epi8(_mm_cmpeq_epi8(t, _mm_setzero_si128()));
        if (zero == 0xFFFF)
            continue;
        if (fullCopy && _mm_movemask_epi8(_mm_cmpeq_epi8(t, _mm_set1_epi8(-1))) == 0xFFFF) {
            std::memcpy(dst + i, src + i, 32);
            continue;
        }
        Draw16Pixels16(dst + i, src + i, t, k, tint, fullCopy);
    }
    const int32_t rest = count - i;
    if (rest > 0) {
        alignas(32) uint16_t d[16] = {};
        alignas(32) uint16_t s[16] = {};
        alignas(16) uint8_t t[16] = {};
        std::memcpy(d, dst + i, size_t(rest) * 2);
        std::memcpy(s, src + i, size_t(rest) * 2);
        std::memcpy(t, alpha + i, size_t(rest));
        Draw16Pixels16(d, s, _mm_load_si128(reinterpret_cast<const __m128i*>(t)), k, tint,
                       fullCopy);
        std::memcpy(dst + i, d, size_t(rest) * 2);
    }
}

QZ_AVX2 void BlendRectRow32AVX2(uint8_t* dst, int32_t count, uint8_t opacity, uint32_t colour) {
    const int o = opacity;
    const short cb = short((int(colour >> 16) & 0xFF) * o);
    const short cg = short((int(colour >> 8) & 0xFF) * o);
    const short cr = short((int(colour) & 0xFF) * o);
    const __m256i term =
        _mm256_setr_epi16(cb, cg, cr, 0, cb, cg, cr, 0, cb, cg, cr, 0, cb, cg, cr, 0);
    const __m256i keep = _mm256_set1_epi16(short(255 - o));
    const __m256i fourth = _mm256_set1_epi32(int(0xFF000000u));
    int32_t i = 0;
    auto step = [&](uint8_t* p) QZ_AVX2 {
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i low = _mm256_srli_epi16(
            _mm256_add_epi16(
                _mm256_mullo_epi16(_mm256_cvtepu8_epi16(_mm256_castsi256_si128(d)), keep), term),
            8);
        const __m256i high = _mm256_srli_epi16(
            _mm256_add_epi16(
                _mm256_mullo_epi16(_mm256_cvtepu8_epi16(_mm256_extracti128_si256(d, 1)), keep),
                term),
            8);
        __m256i result = _mm256_permute4x64_epi64(_mm256_packus_epi16(low, high), 0xD8);
        result = _mm256_blendv_epi8(result, d, fourth);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), result);
    };
    for (; i + 8 <= count; i += 8)
        step(dst + size_t(i) * 4);
    if (i < count) {
        alignas(32) uint8_t d[32] = {};
        std::memcpy(d, dst + size_t(i) * 4, size_t(count - i) * 4);
        step(d);
        std::memcpy(dst + size_t(i) * 4, d, size_t(count - i) * 4);
    }
}

QZ_AVX2 void BlendRectRow16AVX2(uint16_t* dst, int32_t count, uint8_t opacity,
                                const TDrawParams& masks) {
    if (!Is565(masks)) {
        ScalarCompositor().BlendRectRow16(dst, count, opacity, masks);
        return;
    }
    const __m256i o = _mm256_set1_epi16(short(opacity));
    const __m256i five = _mm256_set1_epi16(0x1F);
    const __m256i six = _mm256_set1_epi16(0x3F);
    auto step = [&](uint16_t* p) QZ_AVX2 {
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i r = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_srli_epi16(d, 11), o), 8);
        const __m256i g = _mm256_srli_epi16(
            _mm256_mullo_epi16(_mm256_and_si256(_mm256_srli_epi16(d, 5), six), o), 8);
        const __m256i b = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_and_si256(d, five), o), 8);
        const __m256i result =
            _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi16(r, 11), _mm256_slli_epi16(g, 5)), b);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), result);
    };
    int32_t i = 0;
    for (; i + 16 <= count; i += 16)
        step(dst + i);
    if (i < count) {
        alignas(32) uint16_t d[16] = {};
        std::memcpy(d, dst + i, size_t(count - i) * 2);
        step(d);
        std::memcpy(dst + i, d, size_t(count - i) * 2);
    }
}

} // namespace

const TCompositor& AVX2Compositor() {
    static const TCompositor compositor{DrawRow32AVX2, DrawRow16AVX2, BlendRectRow32AVX2,
                                        BlendRectRow16AVX2};
    return compositor;
}

} // namespace qz

#endif
