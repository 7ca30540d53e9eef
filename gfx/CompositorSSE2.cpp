// The SSE2 kernels, for processors without AVX2: 4 pixels per step at 32 bits, 8 at 16 bits,
// with the arithmetic of the AVX2 kernels. A row that is not a whole number of steps ends
// with one step overlapping the previous one; rows shorter than one step go through the same
// code on a padded copy.
#include "gfx/Compositor.h"

#if defined(__x86_64__) || defined(__i386__)

#include <cstring>
#include <emmintrin.h>

#define QZ_SSE2 __attribute__((target("sse2")))

namespace qz {

namespace {

inline uint32_t Load32(const void* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

inline uint64_t Load64(const void* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

QZ_SSE2 inline __m128i Select(__m128i mask, __m128i whenSet, __m128i otherwise) {
    return _mm_or_si128(_mm_and_si128(mask, whenSet), _mm_andnot_si128(mask, otherwise));
}

// The tint s' = c + floor((s - c) * W / 256) as (s * W + c * (256 - W)) >> 8 in 16-bit lanes;
// for the weight 1 of glyphs, c where s >= c and c - 1 elsewhere, on the bytes themselves.
struct TDraw32Constants {
    __m128i Opacity;
    __m128i Weight;
    __m128i TintTerm;
    __m128i Colour;      // the tint colour in every pixel
    __m128i ColourLess1; // and less 1 in every byte
    bool Tint;
    bool WeightOne;
    bool FullCopy;
};

QZ_SSE2 inline TDraw32Constants MakeDraw32Constants(const TDrawParams& params) {
    TDraw32Constants k;
    const int w = params.TintWeight;
    const short cb = short((int(params.Colour >> 16) & 0xFF) * (256 - w));
    const short cg = short((int(params.Colour >> 8) & 0xFF) * (256 - w));
    const short cr = short((int(params.Colour) & 0xFF) * (256 - w));
    k.Opacity = _mm_set1_epi16(short(params.Opacity));
    k.Weight = _mm_set1_epi16(short(w));
    k.TintTerm = _mm_setr_epi16(cb, cg, cr, 0, cb, cg, cr, 0);
    k.Colour = _mm_set1_epi32(int((params.Colour >> 16 & 0xFF) | (params.Colour & 0xFF00) |
                                  (params.Colour & 0xFF) << 16));
    k.ColourLess1 = _mm_sub_epi8(k.Colour, _mm_set1_epi8(1));
    k.Tint = w != 0;
    k.WeightOne = w == 1;
    k.FullCopy = params.Opacity == 255 && w == 0;
    return k;
}

// Two pixels in 16-bit lanes, with their alpha a: the blended channels.
QZ_SSE2 inline __m128i Blend2(__m128i s, __m128i d, __m128i a, const TDraw32Constants& k) {
    if (k.Tint && !k.WeightOne)
        s = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(s, k.Weight), k.TintTerm), 8);
    const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(a, s),
                                      _mm_mullo_epi16(_mm_sub_epi16(_mm_set1_epi16(255), a), d));
    return _mm_srli_epi16(sum, 8);
}

// Four pixels s over d through the alpha bytes t4; the fourth byte and the pixels of alpha 0
// keep d.
QZ_SSE2 inline __m128i Draw4Pixels32(__m128i s, __m128i d, uint32_t t4, const TDraw32Constants& k) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i t16 = _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(t4)), zero);
    const __m128i t32 = _mm_unpacklo_epi16(t16, zero);
    const __m128i a16 = _mm_srli_epi16(_mm_mullo_epi16(t16, k.Opacity), 8);
    const __m128i pairs = _mm_unpacklo_epi16(a16, a16);
    __m128i tinted = s;
    if (k.WeightOne)
        tinted = _mm_sub_epi8(k.ColourLess1, _mm_cmpeq_epi8(_mm_max_epu8(s, k.Colour), s));
    const __m128i low = Blend2(_mm_unpacklo_epi8(tinted, zero), _mm_unpacklo_epi8(d, zero),
                               _mm_unpacklo_epi32(pairs, pairs), k);
    const __m128i high = Blend2(_mm_unpackhi_epi8(tinted, zero), _mm_unpackhi_epi8(d, zero),
                                _mm_unpackhi_epi32(pairs, pairs), k);
    __m128i result = _mm_packus_epi16(low, high);
    const __m128i keep = _mm_or_si128(_mm_set1_epi32(int(0xFF000000u)), _mm_cmpeq_epi32(t32, zero));
    result = Select(keep, d, result);
    if (k.FullCopy)
        result = Select(_mm_cmpeq_epi32(t32, _mm_set1_epi32(255)), s, result);
    return result;
}

QZ_SSE2 inline void DrawBlock32(uint8_t* dst, const uint8_t* src, uint32_t t4,
                                const TDraw32Constants& k) {
    if (t4 == 0)
        return;
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
    if (k.FullCopy && t4 == ~uint32_t(0)) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), s);
        return;
    }
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), Draw4Pixels32(s, d, t4, k));
}

QZ_SSE2 void DrawRow32SSE2(uint8_t* dst, const uint8_t* src, const uint8_t* alpha, int32_t count,
                           const TDrawParams& params) {
    const TDraw32Constants k = MakeDraw32Constants(params);
    if (count >= 4) {
        // A last step that overlaps the one before is blended first, from the pixels as they
        // were, and stored last: both steps give the same bytes where they overlap, and no load
        // waits for a store it partly overlaps.
        const int32_t last = count - 4;
        const uint32_t tLast = Load32(alpha + last);
        const bool overlap = count % 4 != 0 && tLast != 0;
        __m128i lastPixels = _mm_setzero_si128();
        if (overlap)
            lastPixels = Draw4Pixels32(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + size_t(last) * 4)),
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + size_t(last) * 4)), tLast,
                k);
        for (int32_t i = 0; i + 4 <= count; i += 4)
            DrawBlock32(dst + size_t(i) * 4, src + size_t(i) * 4, Load32(alpha + i), k);
        if (overlap)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + size_t(last) * 4), lastPixels);
        return;
    }
    alignas(16) uint8_t d[16] = {};
    alignas(16) uint8_t s[16] = {};
    uint32_t t4 = 0;
    for (int32_t i = 0; i < count; ++i) {
        std::memcpy(d + i * 4, dst + i * 4, 4);
        std::memcpy(s + i * 4, src + i * 4, 4);
        t4 |= uint32_t(alpha[i]) << (8 * i);
    }
    DrawBlock32(d, s, t4, k);
    for (int32_t i = 0; i < count; ++i)
        std::memcpy(dst + i * 4, d + i * 4, 4);
}

struct TDraw16Constants {
    __m128i Opacity;
    __m128i Weight;
    // c * (256 - W) per channel; for the weight 1 of glyphs, c itself: the tinted channel is
    // then c less 1 where s < c.
    __m128i TintRed, TintGreen, TintBlue;
    bool Tint;
    bool WeightOne;
    bool FullCopy;
};

QZ_SSE2 inline __m128i Tint16(__m128i s, __m128i term, const TDraw16Constants& k) {
    if (k.WeightOne)
        return _mm_add_epi16(term, _mm_cmpgt_epi16(term, s));
    return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(s, k.Weight), term), 8);
}

// Eight 5-6-5 pixels s over d through the alpha t (16-bit lanes); pixels whose blended alpha
// is 0 keep d.
QZ_SSE2 inline __m128i Draw8Pixels16(__m128i s, __m128i d, __m128i t, const TDraw16Constants& k) {
    const __m128i five = _mm_set1_epi16(0x1F);
    const __m128i six = _mm_set1_epi16(0x3F);
    const __m128i byte255 = _mm_set1_epi16(255);
    const __m128i a = _mm_srli_epi16(_mm_mullo_epi16(t, k.Opacity), 8);
    const __m128i na = _mm_sub_epi16(byte255, a);
    __m128i sr = _mm_srli_epi16(s, 11);
    __m128i sg = _mm_and_si128(_mm_srli_epi16(s, 5), six);
    __m128i sb = _mm_and_si128(s, five);
    if (k.Tint) {
        sr = Tint16(sr, k.TintRed, k);
        sg = Tint16(sg, k.TintGreen, k);
        sb = Tint16(sb, k.TintBlue, k);
    }
    const __m128i dr = _mm_srli_epi16(d, 11);
    const __m128i dg = _mm_and_si128(_mm_srli_epi16(d, 5), six);
    const __m128i db = _mm_and_si128(d, five);
    const __m128i r =
        _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(na, dr), _mm_mullo_epi16(a, sr)), 8);
    const __m128i g =
        _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(na, dg), _mm_mullo_epi16(a, sg)), 8);
    const __m128i b =
        _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(na, db), _mm_mullo_epi16(a, sb)), 8);
    __m128i result =
        _mm_or_si128(_mm_or_si128(_mm_slli_epi16(r, 11), _mm_slli_epi16(_mm_and_si128(g, six), 5)),
                     _mm_and_si128(b, five));
    result = Select(_mm_cmpeq_epi16(a, _mm_setzero_si128()), d, result);
    if (k.FullCopy)
        result = Select(_mm_cmpeq_epi16(t, byte255), s, result);
    return result;
}

// Eight alpha bytes in 16-bit lanes.
QZ_SSE2 inline __m128i Alpha16(uint64_t t8) {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(&t8)),
                             _mm_setzero_si128());
}

QZ_SSE2 inline void DrawBlock16(uint16_t* dst, const uint16_t* src, uint64_t t8,
                                const TDraw16Constants& k) {
    if (t8 == 0)
        return;
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
    if (k.FullCopy && t8 == ~uint64_t(0)) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), s);
        return;
    }
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), Draw8Pixels16(s, d, Alpha16(t8), k));
}

bool Is565(const TDrawParams& params) {
    return params.RedMask == 0xF800 && params.GreenMask == 0x07E0 && params.BlueMask == 0x001F;
}

QZ_SSE2 void DrawRow16SSE2(uint16_t* dst, const uint16_t* src, const uint8_t* alpha, int32_t count,
                           const TDrawParams& params) {
    if (!Is565(params)) {
        ScalarCompositor().DrawRow16(dst, src, alpha, count, params);
        return;
    }
    const int w = params.TintWeight;
    TDraw16Constants k;
    k.Opacity = _mm_set1_epi16(short(params.Opacity));
    k.Weight = _mm_set1_epi16(short(w));
    const int scale = w == 1 ? 1 : 256 - w;
    k.TintRed = _mm_set1_epi16(short(int((params.Packed >> 11) & 0x1F) * scale));
    k.TintGreen = _mm_set1_epi16(short(int((params.Packed >> 5) & 0x3F) * scale));
    k.TintBlue = _mm_set1_epi16(short(int(params.Packed & 0x1F) * scale));
    k.Tint = w != 0 && w != 255;
    k.WeightOne = w == 1;
    k.FullCopy = params.Opacity == 255 && w == 0;
    if (count >= 8) {
        // As at 32 bits: an overlapping last step is blended first and stored last.
        const int32_t last = count - 8;
        const uint64_t tLast = Load64(alpha + last);
        const bool overlap = count % 8 != 0 && tLast != 0;
        __m128i lastPixels = _mm_setzero_si128();
        if (overlap)
            lastPixels = Draw8Pixels16(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + last)),
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + last)), Alpha16(tLast), k);
        for (int32_t i = 0; i + 8 <= count; i += 8)
            DrawBlock16(dst + i, src + i, Load64(alpha + i), k);
        if (overlap)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + last), lastPixels);
        return;
    }
    alignas(16) uint16_t d[8] = {};
    alignas(16) uint16_t s[8] = {};
    uint64_t t8 = 0;
    for (int32_t i = 0; i < count; ++i) {
        d[i] = dst[i];
        s[i] = src[i];
        t8 |= uint64_t(alpha[i]) << (8 * i);
    }
    DrawBlock16(d, s, t8, k);
    for (int32_t i = 0; i < count; ++i)
        dst[i] = d[i];
}

QZ_SSE2 void BlendRectRow32SSE2(uint8_t* dst, int32_t count, uint8_t opacity, uint32_t colour) {
    const int o = opacity;
    const short cb = short((int(colour >> 16) & 0xFF) * o);
    const short cg = short((int(colour >> 8) & 0xFF) * o);
    const short cr = short((int(colour) & 0xFF) * o);
    const __m128i term = _mm_setr_epi16(cb, cg, cr, 0, cb, cg, cr, 0);
    const __m128i keep = _mm_set1_epi16(short(255 - o));
    const __m128i fourth = _mm_set1_epi32(int(0xFF000000u));
    const __m128i zero = _mm_setzero_si128();
    auto step = [&](uint8_t* p) QZ_SSE2 {
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i low = _mm_srli_epi16(
            _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), keep), term), 8);
        const __m128i high = _mm_srli_epi16(
            _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), keep), term), 8);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p),
                         Select(fourth, d, _mm_packus_epi16(low, high)));
    };
    int32_t i = 0;
    for (; i + 4 <= count; i += 4)
        step(dst + size_t(i) * 4);
    if (i < count) {
        alignas(16) uint8_t d[16] = {};
        std::memcpy(d, dst + size_t(i) * 4, size_t(count - i) * 4);
        step(d);
        std::memcpy(dst + size_t(i) * 4, d, size_t(count - i) * 4);
    }
}

QZ_SSE2 void BlendRectRow16SSE2(uint16_t* dst, int32_t count, uint8_t opacity,
                                const TDrawParams& masks) {
    if (!Is565(masks)) {
        ScalarCompositor().BlendRectRow16(dst, count, opacity, masks);
        return;
    }
    const __m128i o = _mm_set1_epi16(short(opacity));
    const __m128i five = _mm_set1_epi16(0x1F);
    const __m128i six = _mm_set1_epi16(0x3F);
    auto step = [&](uint16_t* p) QZ_SSE2 {
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i r = _mm_srli_epi16(_mm_mullo_epi16(_mm_srli_epi16(d, 11), o), 8);
        const __m128i g =
            _mm_srli_epi16(_mm_mullo_epi16(_mm_and_si128(_mm_srli_epi16(d, 5), six), o), 8);
        const __m128i b = _mm_srli_epi16(_mm_mullo_epi16(_mm_and_si128(d, five), o), 8);
        _mm_storeu_si128(
            reinterpret_cast<__m128i*>(p),
            _mm_or_si128(_mm_or_si128(_mm_slli_epi16(r, 11), _mm_slli_epi16(g, 5)), b));
    };
    int32_t i = 0;
    for (; i + 8 <= count; i += 8)
        step(dst + i);
    if (i < count) {
        alignas(16) uint16_t d[8] = {};
        std::memcpy(d, dst + i, size_t(count - i) * 2);
        step(d);
        std::memcpy(dst + i, d, size_t(count - i) * 2);
    }
}

} // namespace

const TCompositor& SSE2Compositor() {
    static const TCompositor compositor{DrawRow32SSE2,
                                        DrawRow16SSE2,
                                        BlendRectRow32SSE2,
                                        BlendRectRow16SSE2,
                                        DrawRectByRows32<DrawRow32SSE2>,
                                        DrawRectByRows16<DrawRow16SSE2>};
    return compositor;
}

} // namespace qz

#endif
