// Arbitrary host bytes through the UTF-8 decoder, the text conversions and the character-set
// translation, fed whole and one byte at a time as the receive side does. Each input is copied to
// a buffer of its exact size so that any read past the end is caught.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "emulation/text/charsets.h"
#include "emulation/text/utf8.h"

using namespace emulation;

namespace {

size_t CountAscii(std::string_view bytes) {
    size_t n = 0;
    for (char c : bytes) n += static_cast<uint8_t>(c) < 0x80;
    return n;
}

size_t CountAscii(std::u16string_view text) {
    size_t n = 0;
    for (char16_t c : text) n += c < 0x80;
    return n;
}

void CheckSteps(const uint8_t* data, size_t size) {
    size_t i = 0;
    while (i < size) {
        const Utf8Step step = DecodeUtf8(data + i, size - i);
        if (step.length < 1 || step.length > 4 || step.length > size - i) __builtin_trap();
        if (step.status == Utf8Status::Incomplete) {
            if (i + step.length != size) __builtin_trap();  // only at the end
        } else if (step.status == Utf8Status::Char) {
            // A character is always its own shortest form and a scalar value.
            if (step.codePoint > 0x10FFFF || (step.codePoint >= 0xD800 && step.codePoint <= 0xDFFF))
                __builtin_trap();
            uint8_t again[4];
            if (EncodeUtf8(step.codePoint, again) != step.length ||
                std::memcmp(again, data + i, step.length) != 0)
                __builtin_trap();
        } else if (data[i] >= 0xC2 && data[i] <= 0xF4) {
            // A broken sequence stops before the byte that broke it: what it covers was a valid
            // beginning.
            if (DecodeUtf8(data + i, step.length).status != Utf8Status::Incomplete)
                __builtin_trap();
        } else if (step.length != 1) {
            __builtin_trap();
        }
        i += step.length;
    }
}

// The receive side's way: bytes join the pending ones; the bytes a character did not use are
// offered again; a byte that is not a character is shown as it is.
std::u16string FeedByByte(const uint8_t* data, size_t size, CharsetId code) {
    std::u16string shown;
    std::vector<uint8_t> pending;
    for (size_t i = 0; i < size; ++i) {
        pending.push_back(data[i]);
        while (!pending.empty()) {
            char16_t ch = 0;
            size_t used = 0;
            const uint8_t result = HostToUnicode(pending, code, ch, &used);
            if (result == kHostIncomplete) {
                if (used != pending.size()) __builtin_trap();
                // No set waits forever: the library sets end within their longest sequence.
                if (pending.size() > 512 && code != kCharsetT160e) __builtin_trap();
                break;
            }
            if (result == kHostChar) {
                if (used == 0 || used > pending.size()) __builtin_trap();
                shown.push_back(ch);
                pending.erase(pending.begin(), pending.begin() + static_cast<long>(used));
                continue;
            }
            if (result != kHostNotChar) __builtin_trap();
            for (uint8_t b : pending) shown.push_back(b < 0x80 ? b : 0xFFFD);
            pending.clear();
        }
    }
    return shown;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
    auto exact = std::make_unique<uint8_t[]>(size ? size : 1);
    if (size) std::memcpy(exact.get(), input, size);
    const uint8_t* data = exact.get();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    CheckSteps(data, size);

    // No ASCII byte is swallowed by a broken sequence or made up.
    const std::u16string wide = Utf8ToWide(bytes);
    if (CountAscii(wide) != CountAscii(bytes)) __builtin_trap();
    const std::string utf8 = WideToUtf8(wide);
    if (Utf8ToWide(utf8) != wide) __builtin_trap();
    for (size_t i = 0; i < wide.size(); ++i) {
        const char16_t c = wide[i];
        if (c >= 0xD800 && c <= 0xDBFF &&
            (i + 1 >= wide.size() || wide[i + 1] < 0xDC00 || wide[i + 1] > 0xDFFF))
            __builtin_trap();
        if (c >= 0xDC00 && c <= 0xDFFF && (i == 0 || wide[i - 1] < 0xD800 || wide[i - 1] > 0xDBFF))
            __builtin_trap();
    }

    const std::u16string fed = FeedByByte(data, size, kCharsetUtf8);
    if (CountAscii(fed) != CountAscii(bytes)) __builtin_trap();

    // The other sets take the same bytes whole, without reading past them.
    static constexpr CharsetId kCodes[] = {kCharsetT160e,
                                           kCharsetCccii,
                                           kCharsetUsmarc,
                                           kCharsetNone,
                                           kCharsetIso,
                                           kCharsetOtherCrt,
                                           kCharsetIso8859_2,
                                           437,
                                           1252,
                                           1255,
                                           0x50000};
    for (CharsetId code : kCodes) {
        char16_t ch = 0;
        size_t used = 0;
        HostToUnicode(std::span<const uint8_t>(data, size), code, ch, &used);
        if (used > size) __builtin_trap();
        if (size > 0 && size <= 64) FeedByByte(data, size, code);
    }
    if (size >= 2) {
        const char16_t ch = static_cast<char16_t>(data[0] | (data[1] << 8));
        for (CharsetId code : kCodes) UnicodeToHost(ch, code);
        if (UnicodeToHost(ch, kCharsetUtf8).size() > 3) __builtin_trap();
    }
    return 0;
}
