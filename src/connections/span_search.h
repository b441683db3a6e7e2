#pragma once
// The search for the end of a plain span of received bytes, shared by the
// connection layer's scan and the emulator's fast pass.
#include <cstdint>

#include "connections/telnet_protocol.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace connections {

// The first place from n on, below count, where a byte may stop a plain span:
// its value ANDed with mask lies outside lo..hi, or it is IAC or CR on a
// Telnet line (kTelnet), or NUL when NULs are dropped (kSkipNul); count when
// none does. Sixteen bytes are looked at in a step, so the end of a run
// shorter than that costs no branch per byte.
template <bool kTelnet, bool kSkipNul>
[[gnu::always_inline]] inline int32_t FirstSpanStop(const uint8_t* bytes, int32_t n, int32_t count,
                                                    uint8_t mask, uint8_t lo, uint8_t hi) {
#if defined(__SSE2__)
    const __m128i wideMask = _mm_set1_epi8(static_cast<char>(mask));
    const __m128i low = _mm_set1_epi8(static_cast<char>(lo));
    const __m128i high = _mm_set1_epi8(static_cast<char>(hi));
    while (n + 16 <= count) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + n));
        const __m128i m = _mm_and_si128(x, wideMask);
        __m128i go = _mm_cmpeq_epi8(_mm_min_epu8(_mm_max_epu8(m, low), high), m);
        if (kTelnet) {
            go = _mm_andnot_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8(static_cast<char>(telnet::kIAC))),
                                  go);
            go = _mm_andnot_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8(13)), go);
        }
        if (kSkipNul) go = _mm_andnot_si128(_mm_cmpeq_epi8(x, _mm_setzero_si128()), go);
        const unsigned stops = ~static_cast<unsigned>(_mm_movemask_epi8(go)) & 0xFFFFu;
        if (stops != 0) return n + __builtin_ctz(stops);
        n += 16;
    }
#endif
    for (; n < count; ++n) {
        const uint8_t b = bytes[n];
        if ((kTelnet && (b == telnet::kIAC || b == 13)) || (kSkipNul && b == 0)) return n;
        const uint8_t m = b & mask;
        if (m < lo || m > hi) return n;
    }
    return count;
}

}  // namespace connections
