// The AVX2 kernels: 8 pixels per step at 32 bits, 16 at 16 bits, in 16-bit lanes where
// every intermediate of the formulas fits (a * s + (255 - a) * d never exceeds 65025).
// Short rows, as glyphs have, stay in registers: a row that is not a whole number of steps
// ends with one step overlapping the previous one, and a row shorter than one step is
// loaded as two overlapping halves whose overlap has its alpha cleared in the high half.
// Long rows at 32 bits go 32 pixels at a time past clear and opaque runs, and ask for the
// pixels below what they draw, which the next row of the rectangle will need.
#include "gfx/Compositor.h"

#if defined(__x86_64__) || defined(__i386__)

#include <cstring>
#include <immintrin.h>

#define QZ_AVX2 __attribute__((target("avx2")))

namespace qz {

namespace {

// 16 zero bytes then 16 bytes of 0xFF: reading at 16 - n gives a mask whose first n bytes
// are clear.
alignas(64) constexpr uint8_t TailMask[32] = {
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

inline uint64_t Load64(const void* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

inline uint32_t Load32(const void* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// The alpha bytes of 8 pixels with the first `cleared` of them set to 0.
inline uint64_t ClearLeading(uint64_t t8, int32_t cleared) {
    return t8 & Load64(TailMask + 16 - cleared);
}

QZ_AVX2 inline __m256i LoadHalves(const void* low, const void* high) {
    return _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(static_cast<const __m128i*>(low))),
        _mm_loadu_si128(static_cast<const __m128i*>(high)), 1);
}

// The high half goes first: where the halves overlap, the low half holds the blended pixels.
QZ_AVX2 inline void StoreHalves(void* low, void* high, __m256i v) {
    _mm_storeu_si128(static_cast<__m128i*>(high), _mm256_extracti128_si256(v, 1));
    _mm_storeu_si128(static_cast<__m128i*>(low), _mm256_castsi256_si128(v));
}

// The tint s' = c + floor((s - c) * W / 256) equals (s * W + c * (256 - W)) >> 8, whose
// terms stay unsigned and below 65281, so it runs in 16-bit lanes. The weight of glyphs, 1,
// gives c when s >= c and c - 1 otherwise, which runs on the bytes themselves.
// The kernels are instantiated per kind of tint and whether opaque pixels are copied, so
// that the pixel loops carry no tests of the parameters.
enum class TTint { None, One, Weighted };

struct TDraw32Constants {
    __m256i Opacity;
    __m256i Weight;
    __m256i TintTerm;
    __m256i Colour;      // the tint colour in every pixel
    __m256i ColourLess1; // and less 1 in every byte
};

QZ_AVX2 inline TDraw32Constants MakeDraw32Constants(const TDrawParams& params) {
    TDraw32Constants k;
    const int w = params.TintWeight;
    const uint32_t b = (params.Colour >> 16) & 0xFF;
    const uint32_t g = (params.Colour >> 8) & 0xFF;
    const uint32_t r = params.Colour & 0xFF;
    const uint64_t weight = uint64_t(256 - w);
    k.Opacity = _mm256_set1_epi16(short(params.Opacity));
    if (w == 1) {
        k.Colour = _mm256_set1_epi32(int(b | g << 8 | r << 16));
        k.ColourLess1 = _mm256_sub_epi8(k.Colour, _mm256_set1_epi8(1));
    } else if (w != 0) {
        k.Weight = _mm256_set1_epi16(short(w));
        k.TintTerm = _mm256_set1_epi64x(int64_t(b * weight | g * weight << 16 | r * weight << 32));
    }
    return k;
}

// Two pixels per 128-bit lane in 16-bit lanes, with their alpha a: the blended channels.
template <TTint Tint>
QZ_AVX2 inline __m256i Blend2x2(__m256i s, __m256i d, __m256i a, const TDraw32Constants& k) {
    if constexpr (Tint == TTint::Weighted)
        s = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(s, k.Weight), k.TintTerm), 8);
    const __m256i sum =
        _mm256_add_epi16(_mm256_mullo_epi16(a, s),
                         _mm256_mullo_epi16(_mm256_sub_epi16(_mm256_set1_epi16(255), a), d));
    return _mm256_srli_epi16(sum, 8);
}

// Eight pixels s over d through the alpha bytes t8; the fourth byte and the pixels of alpha
// 0 keep d.
template <TTint Tint, bool FullCopy>
QZ_AVX2 inline __m256i Draw8Pixels32(__m256i s, __m256i d, uint64_t t8, const TDraw32Constants& k) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i t32 = _mm256_cvtepu8_epi32(_mm_cvtsi64_si128(int64_t(t8)));
    const __m256i a32 = _mm256_srli_epi16(_mm256_mullo_epi16(t32, k.Opacity), 8);
    // The alpha of pixels 0, 1 (and 4, 5) spread over their channels, then of 2, 3 (6, 7),
    // matching the byte unpacking of the pixels.
    const __m256i spreadLow =
        _mm256_setr_epi8(0, -1, 0, -1, 0, -1, 0, -1, 4, -1, 4, -1, 4, -1, 4, -1, 0, -1, 0, -1, 0,
                         -1, 0, -1, 4, -1, 4, -1, 4, -1, 4, -1);
    const __m256i spreadHigh =
        _mm256_setr_epi8(8, -1, 8, -1, 8, -1, 8, -1, 12, -1, 12, -1, 12, -1, 12, -1, 8, -1, 8, -1,
                         8, -1, 8, -1, 12, -1, 12, -1, 12, -1, 12, -1);
    __m256i tinted = s;
    if constexpr (Tint == TTint::One)
        tinted = _mm256_sub_epi8(k.ColourLess1, _mm256_cmpeq_epi8(_mm256_max_epu8(s, k.Colour), s));
    const __m256i low =
        Blend2x2<Tint>(_mm256_unpacklo_epi8(tinted, zero), _mm256_unpacklo_epi8(d, zero),
                       _mm256_shuffle_epi8(a32, spreadLow), k);
    const __m256i high =
        Blend2x2<Tint>(_mm256_unpackhi_epi8(tinted, zero), _mm256_unpackhi_epi8(d, zero),
                       _mm256_shuffle_epi8(a32, spreadHigh), k);
    __m256i result = _mm256_packus_epi16(low, high);
    const __m256i keep =
        _mm256_or_si256(_mm256_set1_epi32(int(0xFF000000u)), _mm256_cmpeq_epi32(t32, zero));
    result = _mm256_blendv_epi8(result, d, keep);
    if constexpr (FullCopy)
        result = _mm256_blendv_epi8(result, s, _mm256_cmpeq_epi32(t32, _mm256_set1_epi32(255)));
    return result;
}

template <TTint Tint, bool FullCopy>
QZ_AVX2 inline void DrawBlock32(uint8_t* dst, const uint8_t* src, uint64_t t8,
                                const TDraw32Constants& k) {
    if (t8 == 0)
        return;
    if (FullCopy && t8 == ~uint64_t(0)) {
        std::memcpy(dst, src, 32);
        return;
    }
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src));
    const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst),
                        Draw8Pixels32<Tint, FullCopy>(s, d, t8, k));
}

// The pixels of the next row under a step that had something to draw: shapes go on from row
// to row, and the next rows of a picture are too far ahead for the processor to fetch them
// unasked.
inline void PrefetchBelow(const uint8_t* dst, const uint8_t* src) {
    __builtin_prefetch(src);
    __builtin_prefetch(dst, 1);
}

template <TTint Tint, bool FullCopy>
QZ_AVX2 inline void DrawRow32Mode(uint8_t* dst, const uint8_t* src, const uint8_t* alpha,
                                  int32_t count, const TDraw32Constants& k, ptrdiff_t dstPitch,
                                  ptrdiff_t srcPitch) {
    if (count >= 8) {
        // A last step that overlaps the one before is blended first, from the pixels as they
        // were, and stored last: both steps give the same bytes where they overlap, and no load
        // waits for a store it partly overlaps.
        const int32_t last = count - 8;
        const uint64_t tLast = Load64(alpha + last);
        const bool overlap = count % 8 != 0 && tLast != 0;
        __m256i lastPixels = _mm256_setzero_si256();
        if (overlap)
            lastPixels = Draw8Pixels32<Tint, FullCopy>(
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + size_t(last) * 4)),
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + size_t(last) * 4)), tLast,
                k);
        // Steps of 32 pixels: one test passes a clear run, as large pictures have around their
        // shapes, or copies an opaque one; the steps of 8 within a mixed run blend without
        // tests, since sprites mix clear, opaque and soft pixels too finely to predict.
        int32_t i = 0;
        for (; i + 32 <= count; i += 32) {
            const __m256i t32 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(alpha + i));
            if (_mm256_testz_si256(t32, t32))
                continue;
            if (FullCopy && _mm256_testc_si256(t32, _mm256_set1_epi8(-1))) {
                std::memcpy(dst + size_t(i) * 4, src + size_t(i) * 4, 128);
                continue;
            }
            PrefetchBelow(dst + size_t(i) * 4 + dstPitch, src + size_t(i) * 4 + srcPitch);
            PrefetchBelow(dst + size_t(i) * 4 + 64 + dstPitch, src + size_t(i) * 4 + 64 + srcPitch);
            for (int32_t j = i; j < i + 32; j += 8) {
                __m256i* to = reinterpret_cast<__m256i*>(dst + size_t(j) * 4);
                _mm256_storeu_si256(
                    to,
                    Draw8Pixels32<Tint, FullCopy>(
                        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + size_t(j) * 4)),
                        _mm256_loadu_si256(to), Load64(alpha + j), k));
            }
        }
        for (; i + 8 <= count; i += 8) {
            PrefetchBelow(dst + size_t(i) * 4 + dstPitch, src + size_t(i) * 4 + srcPitch);
            DrawBlock32<Tint, FullCopy>(dst + size_t(i) * 4, src + size_t(i) * 4, Load64(alpha + i),
                                        k);
        }
        if (overlap)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + size_t(last) * 4), lastPixels);
        return;
    }
    if (count >= 4) {
        // Pixels 0..3 in the low half, count-4..count-1 in the high half.
        const int32_t last = count - 4;
        const uint64_t high = ClearLeading(uint64_t(Load32(alpha + last)) << 32, 4 + 4 - last);
        const uint64_t t8 = Load32(alpha) | high;
        if (t8 == 0)
            return;
        uint8_t* dstHigh = dst + size_t(last) * 4;
        const __m256i s = LoadHalves(src, src + size_t(last) * 4);
        const __m256i d = LoadHalves(dst, dstHigh);
        StoreHalves(dst, dstHigh, Draw8Pixels32<Tint, FullCopy>(s, d, t8, k));
        return;
    }
    if (count <= 0)
        return;
    uint64_t t8 = 0;
    for (int32_t i = 0; i < count; ++i)
        t8 |= uint64_t(alpha[i]) << (8 * i);
    if (t8 == 0)
        return;
    const __m256i lanes =
        _mm256_cmpgt_epi32(_mm256_set1_epi32(count), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    const __m256i s = _mm256_maskload_epi32(reinterpret_cast<const int*>(src), lanes);
    const __m256i d = _mm256_maskload_epi32(reinterpret_cast<const int*>(dst), lanes);
    _mm256_maskstore_epi32(reinterpret_cast<int*>(dst), lanes,
                           Draw8Pixels32<Tint, FullCopy>(s, d, t8, k));
}

template <TTint Tint, bool FullCopy>
QZ_AVX2 void DrawRect32Mode(const TDrawRect& rect, const TDraw32Constants& k) {
    for (int32_t v = 0; v < rect.Rows; ++v)
        DrawRow32Mode<Tint, FullCopy>(rect.Dst + v * rect.DstPitch, rect.Src + v * rect.SrcPitch,
                                      rect.Alpha + v * rect.AlphaPitch, rect.Count, k,
                                      rect.DstPitch, rect.SrcPitch);
}

QZ_AVX2 void DrawRect32AVX2(const TDrawRect& rect, const TDrawParams& params) {
    const TDraw32Constants k = MakeDraw32Constants(params);
    if (params.TintWeight == 1)
        DrawRect32Mode<TTint::One, false>(rect, k);
    else if (params.TintWeight != 0)
        DrawRect32Mode<TTint::Weighted, false>(rect, k);
    else if (params.Opacity == 255)
        DrawRect32Mode<TTint::None, true>(rect, k);
    else
        DrawRect32Mode<TTint::None, false>(rect, k);
}

QZ_AVX2 void DrawRow32AVX2(uint8_t* dst, const uint8_t* src, const uint8_t* alpha, int32_t count,
                           const TDrawParams& params) {
    DrawRect32AVX2({dst, 0, src, 0, alpha, 0, count, 1}, params);
}

struct TDraw16Constants {
    __m256i Opacity;
    __m256i Weight;
    // c * (256 - W) per channel; for the weight 1 of glyphs, c itself: the tinted channel
    // is then c less 1 where s < c.
    __m256i TintRed, TintGreen, TintBlue;
};

template <TTint Tint>

QZ_AVX2 inline __m256i Tint16(__m256i s, __m256i term, const TDraw16Constants& k) {
    if constexpr (Tint == TTint::One)
        return _mm256_add_epi16(term, _mm256_cmpgt_epi16(term, s));
    return _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(s, k.Weight), term), 8);
}

// Sixteen 5-6-5 pixels s over d through the alpha t (16-bit lanes); pixels whose blended
// alpha is 0 keep d.
template <TTint Tint, bool FullCopy>
QZ_AVX2 inline __m256i Draw16Pixels16(__m256i s, __m256i d, __m256i t, const TDraw16Constants& k) {
    const __m256i five = _mm256_set1_epi16(0x1F);
    const __m256i six = _mm256_set1_epi16(0x3F);
    const __m256i byte255 = _mm256_set1_epi16(255);
    const __m256i a = _mm256_srli_epi16(_mm256_mullo_epi16(t, k.Opacity), 8);
    const __m256i na = _mm256_sub_epi16(byte255, a);
    __m256i sr = _mm256_srli_epi16(s, 11);
    __m256i sg = _mm256_and_si256(_mm256_srli_epi16(s, 5), six);
    __m256i sb = _mm256_and_si256(s, five);
    if constexpr (Tint != TTint::None) {
        sr = Tint16<Tint>(sr, k.TintRed, k);
        sg = Tint16<Tint>(sg, k.TintGreen, k);
        sb = Tint16<Tint>(sb, k.TintBlue, k);
    }
    const __m256i dr = _mm256_srli_epi16(d, 11);
    const __m256i dg = _mm256_and_si256(_mm256_srli_epi16(d, 5), six);
    const __m256i db = _mm256_and_si256(d, five);
    const __m256i r = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(na, dr), _mm256_mullo_epi16(a, sr)), 8);
    const __m256i g = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(na, dg), _mm256_mullo_epi16(a, sg)), 8);
    const __m256i b = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(na, db), _mm256_mullo_epi16(a, sb)), 8);
    __m256i result = _mm256_or_si256(
        _mm256_or_si256(_mm256_slli_epi16(r, 11), _mm256_slli_epi16(_mm256_and_si256(g, six), 5)),
        _mm256_and_si256(b, five));
    result = _mm256_blendv_epi8(result, d, _mm256_cmpeq_epi16(a, _mm256_setzero_si256()));
    if constexpr (FullCopy)
        result = _mm256_blendv_epi8(result, s, _mm256_cmpeq_epi16(t, byte255));
    return result;
}

template <TTint Tint, bool FullCopy>
QZ_AVX2 inline void DrawBlock16(uint16_t* dst, const uint16_t* src, __m128i t,
                                const TDraw16Constants& k) {
    if (_mm_testz_si128(t, t))
        return;
    if (FullCopy && _mm_movemask_epi8(_mm_cmpeq_epi8(t, _mm_set1_epi8(-1))) == 0xFFFF) {
        std::memcpy(dst, src, 32);
        return;
    }
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src));
    const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst),
                        Draw16Pixels16<Tint, FullCopy>(s, d, _mm256_cvtepu8_epi16(t), k));
}

bool Is565(const TDrawParams& params) {
    return params.RedMask == 0xF800 && params.GreenMask == 0x07E0 && params.BlueMask == 0x001F;
}

template <TTint Tint, bool FullCopy>
QZ_AVX2 inline void DrawRow16Mode(uint16_t* dst, const uint16_t* src, const uint8_t* alpha,
                                  int32_t count, const TDraw16Constants& k) {
    if (count >= 16) {
        // As at 32 bits: an overlapping last step is blended first and stored last.
        const int32_t last = count - 16;
        const __m128i tLast = _mm_loadu_si128(reinterpret_cast<const __m128i*>(alpha + last));
        const bool overlap = count % 16 != 0 && !_mm_testz_si128(tLast, tLast);
        __m256i lastPixels = _mm256_setzero_si256();
        if (overlap)
            lastPixels = Draw16Pixels16<Tint, FullCopy>(
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + last)),
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dst + last)),
                _mm256_cvtepu8_epi16(tLast), k);
        for (int32_t i = 0; i + 16 <= count; i += 16)
            DrawBlock16<Tint, FullCopy>(
                dst + i, src + i, _mm_loadu_si128(reinterpret_cast<const __m128i*>(alpha + i)), k);
        if (overlap)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + last), lastPixels);
        return;
    }
    if (count >= 8) {
        // Pixels 0..7 in the low half, count-8..count-1 in the high half.
        const int32_t last = count - 8;
        const uint64_t high = ClearLeading(Load64(alpha + last), 8 - last);
        const __m128i t = _mm_set_epi64x(int64_t(high), int64_t(Load64(alpha)));
        if (_mm_testz_si128(t, t))
            return;
        const __m256i s = LoadHalves(src, src + last);
        const __m256i d = LoadHalves(dst, dst + last);
        StoreHalves(dst, dst + last,
                    Draw16Pixels16<Tint, FullCopy>(s, d, _mm256_cvtepu8_epi16(t), k));
        return;
    }
    alignas(32) uint16_t d[16] = {};
    alignas(32) uint16_t s[16] = {};
    alignas(16) uint8_t t[16] = {};
    for (int32_t i = 0; i < count; ++i) {
        d[i] = dst[i];
        s[i] = src[i];
        t[i] = alpha[i];
    }
    const __m256i result = Draw16Pixels16<Tint, FullCopy>(
        _mm256_load_si256(reinterpret_cast<const __m256i*>(s)),
        _mm256_load_si256(reinterpret_cast<const __m256i*>(d)),
        _mm256_cvtepu8_epi16(_mm_load_si128(reinterpret_cast<const __m128i*>(t))), k);
    _mm256_store_si256(reinterpret_cast<__m256i*>(d), result);
    for (int32_t i = 0; i < count; ++i)
        dst[i] = d[i];
}

template <TTint Tint, bool FullCopy>
QZ_AVX2 void DrawRect16Mode(const TDrawRect& rect, const TDraw16Constants& k) {
    for (int32_t v = 0; v < rect.Rows; ++v)
        DrawRow16Mode<Tint, FullCopy>(
            reinterpret_cast<uint16_t*>(rect.Dst + v * rect.DstPitch),
            reinterpret_cast<const uint16_t*>(rect.Src + v * rect.SrcPitch),
            rect.Alpha + v * rect.AlphaPitch, rect.Count, k);
}

QZ_AVX2 void DrawRect16AVX2(const TDrawRect& rect, const TDrawParams& params) {
    if (!Is565(params)) {
        ScalarCompositor().DrawRect16(rect, params);
        return;
    }
    const int w = params.TintWeight;
    TDraw16Constants k;
    k.Opacity = _mm256_set1_epi16(short(params.Opacity));
    if (w != 0 && w != 255) {
        const int scale = w == 1 ? 1 : 256 - w;
        k.Weight = _mm256_set1_epi16(short(w));
        k.TintRed = _mm256_set1_epi16(short(int((params.Packed >> 11) & 0x1F) * scale));
        k.TintGreen = _mm256_set1_epi16(short(int((params.Packed >> 5) & 0x3F) * scale));
        k.TintBlue = _mm256_set1_epi16(short(int(params.Packed & 0x1F) * scale));
    }
    if (w == 1)
        DrawRect16Mode<TTint::One, false>(rect, k);
    else if (w != 0 && w != 255)
        DrawRect16Mode<TTint::Weighted, false>(rect, k);
    else if (params.Opacity == 255 && w == 0)
        DrawRect16Mode<TTint::None, true>(rect, k);
    else
        DrawRect16Mode<TTint::None, false>(rect, k);
}

QZ_AVX2 void DrawRow16AVX2(uint16_t* dst, const uint16_t* src, const uint8_t* alpha, int32_t count,
                           const TDrawParams& params) {
    DrawRect16AVX2({reinterpret_cast<uint8_t*>(dst), 0, reinterpret_cast<const uint8_t*>(src), 0,
                    alpha, 0, count, 1},
                   params);
}

QZ_AVX2 void BlendRectRow32AVX2(uint8_t* dst, int32_t count, uint8_t opacity, uint32_t colour) {
    const uint64_t o = opacity;
    const uint64_t cb = ((colour >> 16) & 0xFF) * o;
    const uint64_t cg = ((colour >> 8) & 0xFF) * o;
    const uint64_t cr = (colour & 0xFF) * o;
    const __m256i term = _mm256_set1_epi64x(int64_t(cb | cg << 16 | cr << 32));
    const __m256i keep = _mm256_set1_epi16(short(255 - o));
    const __m256i fourth = _mm256_set1_epi32(int(0xFF000000u));
    const __m256i zero = _mm256_setzero_si256();
    auto blend = [&](__m256i d) QZ_AVX2 {
        const __m256i low = _mm256_srli_epi16(
            _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(d, zero), keep), term), 8);
        const __m256i high = _mm256_srli_epi16(
            _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(d, zero), keep), term), 8);
        return _mm256_blendv_epi8(_mm256_packus_epi16(low, high), d, fourth);
    };
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        __m256i* p = reinterpret_cast<__m256i*>(dst + size_t(i) * 4);
        _mm256_storeu_si256(p, blend(_mm256_loadu_si256(p)));
    }
    if (i < count) {
        int* p = reinterpret_cast<int*>(dst + size_t(i) * 4);
        const __m256i lanes = _mm256_cmpgt_epi32(_mm256_set1_epi32(count - i),
                                                 _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
        _mm256_maskstore_epi32(p, lanes, blend(_mm256_maskload_epi32(p, lanes)));
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
    static const TCompositor compositor{DrawRow32AVX2,      DrawRow16AVX2,  BlendRectRow32AVX2,
                                        BlendRectRow16AVX2, DrawRect32AVX2, DrawRect16AVX2};
    return compositor;
}

} // namespace qz

#endif
