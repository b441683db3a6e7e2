#include "console/text_helpers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace console {

namespace {
constexpr size_t kShortNumberMax = 10;
}

char HexDigitChar(uint8_t value) {
    return static_cast<char>(value < 10 ? '0' + value : value + 55);
}

std::string ByteToHex(uint8_t value) {
    return std::string{HexDigitChar(value >> 4), HexDigitChar(value & 0x0F)};
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return static_cast<uint8_t>(c) - 55;
}

int32_t HexStrToInt(std::string_view text) {
    uint32_t value = 0;
    for (char c : text) value = value * 16 + static_cast<uint32_t>(HexDigitValue(c));
    return static_cast<int32_t>(value);
}

std::string BytesToHex(std::span<const uint8_t> bytes) {
    std::string text;
    for (size_t i = bytes.size(); i-- > 0 && text.size() < 8;) text += ByteToHex(bytes[i]);
    return text;
}

std::string UpCaseStr(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return out;
}

std::string LowCaseStr(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return out;
}

void UpCaseCopy(std::string_view source, std::string& destination) {
    destination = UpCaseStr(source);
}

bool IsAllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string IntToShortStr(int32_t value) {
    return std::to_string(value);
}

std::string IntToStrWidth(int32_t value, int width) {
    std::string digits = std::to_string(value);
    size_t target = std::min<size_t>(std::max(width, 0), kShortNumberMax);
    if (digits.size() < target) digits.insert(0, target - digits.size(), ' ');
    return digits;
}

std::string IntToStrZeroPad(int32_t value, int width, bool zeroFill) {
    std::string digits = std::to_string(value);
    size_t target = static_cast<size_t>(std::clamp(width, 0, 255));
    if (digits.size() < target) digits.insert(0, target - digits.size(), zeroFill ? '0' : ' ');
    return digits;
}

std::string RealToStrTrim(double value, int width, int decimals) {
    width = std::clamp(width, 0, 255);
    decimals = std::clamp(decimals, 0, 30);
    char buffer[400];
    int n = std::snprintf(buffer, sizeof buffer, "%*.*f", width, decimals, value);
    std::string text(buffer,
                     n < 0 ? 0 : std::min<size_t>(static_cast<size_t>(n), sizeof buffer - 1));
    // Only fraction digits are trimmed: the zeros of a whole number are part of its value.
    if (text.find('.') != std::string::npos)
        while (text.size() > 1 && text.back() == '0') text.pop_back();
    size_t first = text.find_first_not_of(' ');
    text.erase(0, first == std::string::npos ? text.size() : first);
    if (decimals > 0 && !text.empty() && text.back() == '.') text += '0';
    return text;
}

std::string RealToHex(double value) {
    double whole = std::trunc(value);
    double fraction = std::fabs(value - whole);
    uint32_t high = 0;
    if (std::isfinite(whole) && std::fabs(whole) < 9.2e18)
        high = static_cast<uint32_t>(static_cast<int64_t>(whole));
    uint32_t low =
        std::isfinite(fraction) ? static_cast<uint32_t>(fraction * 268435456.0) & 0x0FFFFFFF : 0;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%08X.%07X", static_cast<unsigned>(high),
                  static_cast<unsigned>(low));
    std::string text(buffer);
    while (text.size() >= 2 && text.back() == '0') text.pop_back();
    while (text.size() > 2 && text.front() == '0') text.erase(0, 1);
    return text;
}

std::string PadWithBlanks(std::string_view text, size_t length) {
    std::string out(text);
    if (out.size() < length) out.append(length - out.size(), ' ');
    return out;
}

size_t ScanByte(std::span<const uint8_t> buffer, uint8_t value) {
    return static_cast<size_t>(std::find(buffer.begin(), buffer.end(), value) - buffer.begin());
}

size_t FindByteAbove(std::span<const uint8_t> buffer, uint8_t value) {
    for (size_t i = 0; i < buffer.size(); ++i)
        if (buffer[i] > value) return i;
    return buffer.size() + 1;
}

size_t CountLeadingWords(std::span<const uint16_t> buffer, uint16_t value) {
    for (size_t i = 0; i < buffer.size(); ++i)
        if (buffer[i] != value) return i;
    return buffer.size();
}

size_t TrimmedWordLength(std::span<const uint16_t> buffer, uint16_t value) {
    size_t n = buffer.size();
    while (n > 0 && buffer[n - 1] == value) --n;
    return n;
}

size_t FirstDifference(std::span<const uint8_t> a, std::span<const uint8_t> b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return i + 1;
    return n + 1;
}

int CompareBytes(std::span<const uint8_t> a, std::span<const uint8_t> b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return a[i] > b[i] ? 1 : -1;
    return 0;
}

}  // namespace console
