#pragma once

// Whole-row work on cells: filling, splitting ring cells into window characters and
// attributes, looking for fillers and blanks. Rows are at most 255 cells; these take
// eight (or four) cells at a step with SSE2 and fall back to one at a time elsewhere.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace console::cell_runs {

constexpr char16_t kFiller = 0x200B;  // the right half of a double-width character

// n 16-bit units (characters or attributes) of one value.
template <typename Unit>
inline void Fill16(Unit* units, int32_t n, Unit value) {
    static_assert(sizeof(Unit) == 2);
    int32_t k = 0;
#if defined(__SSE2__)
    const __m128i v = _mm_set1_epi16(static_cast<short>(value));
    for (; k + 8 <= n; k += 8) _mm_storeu_si128(reinterpret_cast<__m128i*>(units + k), v);
#endif
    for (; k < n; ++k) units[k] = value;
}

// n cells of one value.
inline void Fill32(uint32_t* cells, int32_t n, uint32_t value) {
    int32_t k = 0;
#if defined(__SSE2__)
    const __m128i v = _mm_set1_epi32(static_cast<int>(value));
    for (; k + 4 <= n; k += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(cells + k), v);
#endif
    for (; k < n; ++k) cells[k] = value;
}

// n cells of units[k] in attr.
inline void JoinCells(const char16_t* units, int32_t n, uint16_t attr, uint32_t* cells) {
    int32_t k = 0;
#if defined(__SSE2__)
    const __m128i a = _mm_set1_epi16(static_cast<short>(attr));
    for (; k + 8 <= n; k += 8) {
        const __m128i u = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + k));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cells + k), _mm_unpacklo_epi16(u, a));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cells + k + 4), _mm_unpackhi_epi16(u, a));
    }
#endif
    const uint32_t high = static_cast<uint32_t>(attr) << 16;
    for (; k < n; ++k) cells[k] = units[k] | high;
}

// Each of n bytes to (byte & keep) | set.
inline void MaskBytes(uint8_t* bytes, int32_t n, uint8_t keep, uint8_t set) {
    int32_t k = 0;
#if defined(__SSE2__)
    const __m128i kv = _mm_set1_epi8(static_cast<char>(keep));
    const __m128i sv = _mm_set1_epi8(static_cast<char>(set));
    for (; k + 16 <= n; k += 16) {
        auto* p = reinterpret_cast<__m128i*>(bytes + k);
        _mm_storeu_si128(p, _mm_or_si128(_mm_and_si128(_mm_loadu_si128(p), kv), sv));
    }
#endif
    for (; k < n; ++k) bytes[k] = static_cast<uint8_t>((bytes[k] & keep) | set);
}

// A filler among n characters.
inline bool AnyFillerChar(const char16_t* chars, int32_t n) {
    int32_t k = 0;
#if defined(__SSE2__)
    const __m128i f = _mm_set1_epi16(static_cast<short>(kFiller));
    __m128i hits = _mm_setzero_si128();
    for (; k + 8 <= n; k += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chars + k));
        hits = _mm_or_si128(hits, _mm_cmpeq_epi16(v, f));
    }
    if (_mm_movemask_epi8(hits) != 0) return true;
#endif
    for (; k < n; ++k) {
        if (chars[k] == kFiller) return true;
    }
    return false;
}

// A filler among n cells (character | attribute << 16).
inline bool AnyFillerCell(const uint32_t* cells, int32_t n) {
    int32_t k = 0;
#if defined(__SSE2__)
    // The character halves moved up, where the attribute cannot disturb the compare.
    const __m128i f = _mm_set1_epi32(static_cast<int>(static_cast<uint32_t>(kFiller) << 16));
    __m128i hits = _mm_setzero_si128();
    for (; k + 4 <= n; k += 4) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells + k));
        hits = _mm_or_si128(hits, _mm_cmpeq_epi32(_mm_slli_epi32(v, 16), f));
    }
    if (_mm_movemask_epi8(hits) != 0) return true;
#endif
    for (; k < n; ++k) {
        if (static_cast<char16_t>(cells[k]) == kFiller) return true;
    }
    return false;
}

// The characters and attributes of n cells into the window's two arrays.
template <typename Attr>
inline void SplitCells(const uint32_t* cells, int32_t n, char16_t* chars, Attr* attrs) {
    static_assert(sizeof(Attr) == 2);
    int32_t k = 0;
#if defined(__SSE2__)
    for (; k + 8 <= n; k += 8) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells + k));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells + k + 4));
        // Sign-extended halves pack without saturating, so the 16 bits come through.
        const __m128i ca = _mm_srai_epi32(_mm_slli_epi32(a, 16), 16);
        const __m128i cb = _mm_srai_epi32(_mm_slli_epi32(b, 16), 16);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(chars + k), _mm_packs_epi32(ca, cb));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(attrs + k),
                         _mm_packs_epi32(_mm_srai_epi32(a, 16), _mm_srai_epi32(b, 16)));
    }
#endif
    for (; k < n; ++k) {
        chars[k] = static_cast<char16_t>(cells[k]);
        attrs[k] = static_cast<Attr>(cells[k] >> 16);
    }
}

// Runs of at most sixteen cells whose storage has room for sixteen from
// their start: the cells past the run are read and written back unchanged,
// so a run of any length takes the same straight path, with no loop whose
// end depends on it. Used for the short runs received text mostly comes in.
constexpr int32_t kShortRun = 16;

#if defined(__SSE2__)
// Byte lanes below n (0..16) set.
inline __m128i LanesBelow(int32_t n) {
    const __m128i index = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    return _mm_cmpgt_epi8(_mm_set1_epi8(static_cast<char>(n)), index);
}

// value where mask is set, old elsewhere.
inline __m128i Blend(__m128i mask, __m128i value, __m128i old) {
    return _mm_or_si128(_mm_and_si128(mask, value), _mm_andnot_si128(mask, old));
}
#endif

// Sixteen units from bytes k < n (1 <= n <= 16) through a byte table, the
// last byte repeated past n. They are gathered four to a register and
// stored sixteen bytes at a time: the whole-vector loads that follow would
// stall waiting for sixteen separate two-byte stores to reach the cache.
[[gnu::always_inline]] inline void TranslateShortRun(const uint8_t* bytes, int32_t n,
                                                     const char16_t* table, char16_t* units) {
    const int32_t last = n - 1;
    uint64_t quads[4];
#pragma GCC unroll 4
    for (int32_t q = 0; q < 4; ++q) {
        uint64_t v = 0;
#pragma GCC unroll 4
        for (int32_t k = 0; k < 4; ++k)
            v |= static_cast<uint64_t>(table[bytes[std::min(4 * q + k, last)]]) << (16 * k);
        quads[q] = v;
    }
#if defined(__SSE2__)
    _mm_storeu_si128(
        reinterpret_cast<__m128i*>(units),
        _mm_set_epi64x(static_cast<long long>(quads[1]), static_cast<long long>(quads[0])));
    _mm_storeu_si128(
        reinterpret_cast<__m128i*>(units + 8),
        _mm_set_epi64x(static_cast<long long>(quads[3]), static_cast<long long>(quads[2])));
#else
    std::memcpy(units, quads, sizeof quads);
#endif
}

// Cells k < n (n <= 16) to units[k] in attr; units has sixteen readable.
[[gnu::always_inline]] inline void JoinShortRun(const char16_t* units, int32_t n, uint16_t attr,
                                                uint32_t* cells) {
#if defined(__SSE2__)
    const __m128i bytes = LanesBelow(n);
    const __m128i lo = _mm_unpacklo_epi8(bytes, bytes);
    const __m128i hi = _mm_unpackhi_epi8(bytes, bytes);
    const __m128i masks[4] = {_mm_unpacklo_epi16(lo, lo), _mm_unpackhi_epi16(lo, lo),
                              _mm_unpacklo_epi16(hi, hi), _mm_unpackhi_epi16(hi, hi)};
    const __m128i a = _mm_set1_epi16(static_cast<short>(attr));
    for (int32_t half = 0; half < 2; ++half) {
        const __m128i u = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + 8 * half));
        const __m128i joined[2] = {_mm_unpacklo_epi16(u, a), _mm_unpackhi_epi16(u, a)};
        for (int32_t q = 0; q < 2; ++q) {
            auto* p = reinterpret_cast<__m128i*>(cells + 8 * half + 4 * q);
            _mm_storeu_si128(p, Blend(masks[2 * half + q], joined[q], _mm_loadu_si128(p)));
        }
    }
#else
    JoinCells(units, n, attr, cells);
#endif
}

// Bytes k < n (n <= 16) to byte & keep.
[[gnu::always_inline]] inline void MaskShortRun(uint8_t* bytes, int32_t n, uint8_t keep) {
#if defined(__SSE2__)
    auto* p = reinterpret_cast<__m128i*>(bytes);
    const __m128i old = _mm_loadu_si128(p);
    const __m128i kept = _mm_and_si128(old, _mm_set1_epi8(static_cast<char>(keep)));
    _mm_storeu_si128(p, Blend(LanesBelow(n), kept, old));
#else
    MaskBytes(bytes, n, keep, 0);
#endif
}

// Characters k < n (n <= 16) to units[k] and attributes to attr; units has
// sixteen readable.
template <typename Attr>
[[gnu::always_inline]] inline void PutShortRun(const char16_t* units, int32_t n, Attr attr,
                                               char16_t* chars, Attr* attrs) {
    static_assert(sizeof(Attr) == 2);
#if defined(__SSE2__)
    const __m128i bytes = LanesBelow(n);
    const __m128i masks[2] = {_mm_unpacklo_epi8(bytes, bytes), _mm_unpackhi_epi8(bytes, bytes)};
    const __m128i a = _mm_set1_epi16(static_cast<short>(attr));
    for (int32_t half = 0; half < 2; ++half) {
        auto* c = reinterpret_cast<__m128i*>(chars + 8 * half);
        auto* t = reinterpret_cast<__m128i*>(attrs + 8 * half);
        const __m128i u = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + 8 * half));
        _mm_storeu_si128(c, Blend(masks[half], u, _mm_loadu_si128(c)));
        _mm_storeu_si128(t, Blend(masks[half], a, _mm_loadu_si128(t)));
    }
#else
    for (int32_t k = 0; k < n; ++k) {
        chars[k] = units[k];
        attrs[k] = attr;
    }
#endif
}

// A filler among characters k < n (n <= 16).
[[gnu::always_inline]] inline bool AnyFillerInShortRun(const char16_t* chars, int32_t n) {
#if defined(__SSE2__)
    const __m128i bytes = LanesBelow(n);
    const __m128i f = _mm_set1_epi16(static_cast<short>(kFiller));
    const __m128i lo =
        _mm_and_si128(_mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(chars)), f),
                      _mm_unpacklo_epi8(bytes, bytes));
    const __m128i hi = _mm_and_si128(
        _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(chars + 8)), f),
        _mm_unpackhi_epi8(bytes, bytes));
    return _mm_movemask_epi8(_mm_or_si128(lo, hi)) != 0;
#else
    return AnyFillerChar(chars, n);
#endif
}

#if defined(__SSE2__)
// Bit pairs set where cell k of the eight from chars/attrs is a space in attr.
inline unsigned BlankLanes(const char16_t* chars, const uint16_t* attrs, __m128i space,
                           __m128i attr) {
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chars));
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(attrs));
    return static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi16(c, space), _mm_cmpeq_epi16(a, attr))));
}
#endif

// How many of the n cells from the start are spaces in attr.
inline int32_t BlankPrefix(const char16_t* chars, const uint16_t* attrs, int32_t n, uint16_t attr) {
    int32_t k = 0;
#if defined(__SSE2__)
    const __m128i sp = _mm_set1_epi16(' ');
    const __m128i at = _mm_set1_epi16(static_cast<short>(attr));
    for (; k + 8 <= n; k += 8) {
        const unsigned other = ~BlankLanes(chars + k, attrs + k, sp, at) & 0xFFFFu;
        if (other != 0) return k + std::countr_zero(other) / 2;
    }
#endif
    while (k < n && chars[k] == u' ' && attrs[k] == attr) ++k;
    return k;
}

// How many of the n cells up to the end are spaces in attr.
inline int32_t BlankSuffix(const char16_t* chars, const uint16_t* attrs, int32_t n, uint16_t attr) {
    int32_t end = n;  // cells end.. are known blank
#if defined(__SSE2__)
    const __m128i sp = _mm_set1_epi16(' ');
    const __m128i at = _mm_set1_epi16(static_cast<short>(attr));
    for (; end >= 8; end -= 8) {
        const unsigned other = ~BlankLanes(chars + end - 8, attrs + end - 8, sp, at) & 0xFFFFu;
        if (other != 0) return n - (end - 8 + (31 - std::countl_zero(other)) / 2) - 1;
    }
#endif
    while (end > 0 && chars[end - 1] == u' ' && attrs[end - 1] == attr) --end;
    return n - end;
}

}  // namespace console::cell_runs
