#pragma once
// UTF-8: the decoder that the UTF8 character set, the key macros and the text conversions share,
// and the encoder of characters and wide text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace emulation {

enum class Utf8Status : uint8_t {
    Char,        // a well-formed character of `length` bytes
    Incomplete,  // the bytes are a valid beginning of a character that ends early
    Invalid,     // the first `length` bytes form no character
};

struct Utf8Step {
    Utf8Status status = Utf8Status::Invalid;
    uint8_t length = 0;
    char32_t codePoint = 0;
};

// Decodes the character at the start of bytes[0..n), reading no further than n. An invalid step
// covers the lead byte and the continuation bytes that were still possible after it, never the
// byte that broke the sequence: decoding goes on at that byte. Overlong forms, surrogates and
// values above U+10FFFF are invalid. n = 0 gives Incomplete with length 0.
Utf8Step DecodeUtf8(const uint8_t* bytes, size_t n);

// True for the lead bytes of two- and three-byte forms, whose broken sequences count as one
// undecodable character (C2..EF).
inline bool IsUtf8BmpLead(uint8_t b) {
    return b >= 0xC2 && b <= 0xEF;
}

// The bytes of a character (1 to 4); surrogates and values above U+10FFFF give those of U+FFFD.
size_t EncodeUtf8(char32_t codePoint, uint8_t out[4]);
void AppendUtf8(char32_t codePoint, std::string& out);

// 1 below 128, 2 for a lead byte 110xxxxx, 3 for anything else.
uint8_t Utf8SeqLength(uint8_t lead);

// Text conversions. Utf8ToWide: characters outside the BMP become surrogate pairs; a broken
// sequence after a valid lead byte gives U+FFFF and decoding goes on at the byte that broke it;
// other invalid bytes are dropped, and so is an unfinished sequence at the end. WideToUtf8:
// surrogate pairs become four-byte forms, a lone surrogate becomes U+FFFD.
std::u16string Utf8ToWide(std::string_view bytes);
std::string WideToUtf8(std::u16string_view text);

}  // namespace emulation
