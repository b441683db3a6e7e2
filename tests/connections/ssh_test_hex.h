#pragma once
// Hex strings to bytes and back, for the known-answer tables of the SSH tests.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace connections::ssh::test {

inline std::vector<uint8_t> Hex(std::string_view text) {
    std::vector<uint8_t> out;
    auto nibble = [](char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; };
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        if (text[i] == ' ') {
            --i;
            continue;
        }
        out.push_back(uint8_t(nibble(text[i]) << 4 | nibble(text[i + 1])));
    }
    return out;
}

inline std::string ToHex(const uint8_t* data, size_t length) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < length; ++i) out += {digits[data[i] >> 4], digits[data[i] & 15]};
    return out;
}

inline std::string ToHex(const std::vector<uint8_t>& data) {
    return ToHex(data.data(), data.size());
}

inline std::vector<uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

}  // namespace connections::ssh::test
