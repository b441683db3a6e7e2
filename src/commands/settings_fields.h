#pragma once

// Byte-array field types for records whose layout is a file format: every
// type has alignment 1 and no padding, so a record built from them has the
// same bytes under every compiler and can be read from or written to disk
// whole. Every accessor tolerates any byte pattern, because files and hosts
// can put anything anywhere.

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace commands {

// A 16-bit little-endian integer (Word or SmallInt).
struct Le16 {
    std::array<uint8_t, 2> bytes{};

    constexpr uint16_t Get() const { return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)); }
    constexpr int16_t GetSigned() const { return static_cast<int16_t>(Get()); }
    constexpr void Set(uint16_t value) {
        bytes[0] = static_cast<uint8_t>(value);
        bytes[1] = static_cast<uint8_t>(value >> 8);
    }
    constexpr void SetSigned(int16_t value) { Set(static_cast<uint16_t>(value)); }

    friend constexpr bool operator==(const Le16&, const Le16&) = default;
};

// A 32-bit little-endian integer (LongInt, or an unsigned bit field).
struct Le32 {
    std::array<uint8_t, 4> bytes{};

    constexpr uint32_t Get() const {
        return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
               (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    }
    constexpr int32_t GetSigned() const { return static_cast<int32_t>(Get()); }
    constexpr void Set(uint32_t value) {
        for (std::size_t i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    }
    constexpr void SetSigned(int32_t value) { Set(static_cast<uint32_t>(value)); }

    friend constexpr bool operator==(const Le32&, const Le32&) = default;
};

// The 6-byte real: byte 0 is the exponent biased by 129 (0 means zero),
// bytes 1 to 5 a 40-bit little-endian field holding the sign in its top bit
// and a 39-bit fraction below it; value = (1 + fraction / 2^39) * 2^(exponent - 129).
struct Real48 {
    std::array<uint8_t, 6> bytes{};

    static constexpr uint64_t kFractionMask = (uint64_t{1} << 39) - 1;

    constexpr double ToDouble() const {
        const uint8_t exponent = bytes[0];
        if (exponent == 0) return 0.0;
        uint64_t field = 0;
        for (std::size_t i = 0; i < 5; ++i) field |= static_cast<uint64_t>(bytes[1 + i]) << (8 * i);
        const uint64_t sign = (field >> 39) & 1;
        const uint64_t fraction = field & kFractionMask;
        // Every real48 value fits a double exactly: 39 fraction bits into 52,
        // exponents 2^-128..2^126 well inside the double's normal range.
        const uint64_t doubleExponent = static_cast<uint64_t>(exponent) - 129 + 1023;
        return std::bit_cast<double>((sign << 63) | (doubleExponent << 52) | (fraction << 13));
    }

    // Rounds to nearest (ties to even); values too small for the format
    // become 0, values too large (and infinities) the largest magnitude of
    // their sign, and NaN becomes 0.
    constexpr void FromDouble(double value) {
        const uint64_t bits = std::bit_cast<uint64_t>(value);
        const uint64_t sign = bits >> 63;
        const int doubleExponent = static_cast<int>((bits >> 52) & 0x7FF);
        const uint64_t mantissa = bits & ((uint64_t{1} << 52) - 1);
        bytes = {};
        if (doubleExponent == 0x7FF && mantissa != 0) return;  // NaN
        if (doubleExponent == 0) return;                       // zero or subnormal
        int exponent = doubleExponent - 1023 + 129;
        uint64_t fraction = mantissa >> 13;
        const uint64_t dropped = mantissa & 0x1FFF;
        if (dropped > 0x1000 || (dropped == 0x1000 && (fraction & 1) != 0)) {
            ++fraction;
            if (fraction > kFractionMask) {
                fraction = 0;
                ++exponent;
            }
        }
        if (doubleExponent == 0x7FF || exponent > 255) {
            exponent = 255;
            fraction = kFractionMask;
        }
        if (exponent < 1) return;
        const uint64_t field = (sign << 39) | fraction;
        bytes[0] = static_cast<uint8_t>(exponent);
        for (std::size_t i = 0; i < 5; ++i) bytes[1 + i] = static_cast<uint8_t>(field >> (8 * i));
    }

    static constexpr Real48 From(double value) {
        Real48 r;
        r.FromDouble(value);
        return r;
    }

    friend constexpr bool operator==(const Real48&, const Real48&) = default;
};

// String[N]: a length byte followed by N bytes of text; only the first
// `length` bytes count.
template <std::size_t N>
struct PString {
    static_assert(N >= 1 && N <= 255, "a length byte counts at most 255");
    static constexpr std::size_t Capacity = N;

    uint8_t length = 0;
    std::array<uint8_t, N> text{};

    // A length byte above N (a hostile file or patch) reads as N.
    constexpr std::size_t Length() const { return std::min<std::size_t>(length, N); }
    constexpr bool Empty() const { return Length() == 0; }
    std::string_view View() const { return {reinterpret_cast<const char*>(text.data()), Length()}; }
    std::string Str() const { return std::string(View()); }

    // Stores the text cut to N bytes; bytes beyond the new length keep what
    // they held (AssignZeroFilled clears them).
    constexpr void Assign(std::string_view value) {
        const std::size_t n = std::min(value.size(), N);
        for (std::size_t i = 0; i < n; ++i) text[i] = static_cast<uint8_t>(value[i]);
        length = static_cast<uint8_t>(n);
    }
    constexpr PString& operator=(std::string_view value) {
        Assign(value);
        return *this;
    }

    friend constexpr bool operator==(const PString&, const PString&) = default;
};

// CharZ[N]: N bytes of text ended by a zero byte.
template <std::size_t N>
struct ZString {
    static_assert(N >= 1);
    static constexpr std::size_t Capacity = N;

    std::array<uint8_t, N> text{};

    // A field without a zero byte (a hostile file or patch) ends at N.
    constexpr std::size_t Length() const {
        std::size_t n = 0;
        while (n < N && text[n] != 0) ++n;
        return n;
    }
    constexpr bool Empty() const { return text[0] == 0; }
    std::string_view View() const { return {reinterpret_cast<const char*>(text.data()), Length()}; }
    std::string Str() const { return std::string(View()); }

    // Stores the text cut to N - 1 bytes so that the terminating zero fits,
    // and stops at a zero byte inside the text.
    constexpr void Assign(std::string_view value) {
        std::size_t n = 0;
        while (n < value.size() && n < N - 1 && value[n] != '\0') {
            text[n] = static_cast<uint8_t>(value[n]);
            ++n;
        }
        text[n] = 0;
    }
    constexpr ZString& operator=(std::string_view value) {
        Assign(value);
        return *this;
    }

    friend constexpr bool operator==(const ZString&, const ZString&) = default;
};

// Text stores into settings fields go through these: the whole field is
// zeroed first, so two records holding the same settings are equal byte for
// byte (the save-on-exit check compares bytes). maxLength cuts the text
// further where a caller allows less than the field holds.
template <std::size_t N>
constexpr void AssignZeroFilled(PString<N>& field, std::string_view text,
                                std::size_t maxLength = N) {
    field.length = 0;
    field.text = {};
    field.Assign(text.substr(0, std::min(text.size(), maxLength)));
}

template <std::size_t N>
constexpr void AssignZeroFilled(ZString<N>& field, std::string_view text,
                                std::size_t maxLength = N) {
    field.text = {};
    field.Assign(text.substr(0, std::min(text.size(), maxLength)));
}

static_assert(sizeof(Le16) == 2 && alignof(Le16) == 1);
static_assert(sizeof(Le32) == 4 && alignof(Le32) == 1);
static_assert(sizeof(Real48) == 6 && alignof(Real48) == 1);
static_assert(sizeof(PString<10>) == 11 && alignof(PString<10>) == 1);
static_assert(sizeof(PString<255>) == 256);
static_assert(sizeof(ZString<100>) == 100 && alignof(ZString<100>) == 1);
static_assert(sizeof(std::array<Le16, 4>) == 8 && alignof(std::array<Le16, 4>) == 1);
static_assert(std::is_trivially_copyable_v<Le16> && std::is_trivially_copyable_v<Le32> &&
              std::is_trivially_copyable_v<Real48> && std::is_trivially_copyable_v<PString<255>> &&
              std::is_trivially_copyable_v<ZString<100>>);

}  // namespace commands
