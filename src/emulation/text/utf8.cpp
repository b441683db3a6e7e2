#include "emulation/text/utf8.h"

namespace emulation {

Utf8Step DecodeUtf8(const uint8_t* bytes, size_t n) {
    if (n == 0) return {Utf8Status::Incomplete, 0, 0};
    const uint8_t lead = bytes[0];
    if (lead < 0x80) return {Utf8Status::Char, 1, lead};
    size_t need = 0;
    char32_t value = 0;
    // The second byte's range excludes overlong forms (E0, F0), surrogates (ED) and values
    // above U+10FFFF (F4); later bytes are plain continuation bytes.
    uint8_t low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 1;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 2;
        value = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 3;
        value = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return {Utf8Status::Invalid, 1, 0};
    }
    for (size_t i = 1; i <= need; ++i) {
        if (i >= n) return {Utf8Status::Incomplete, static_cast<uint8_t>(i), 0};
        const uint8_t b = bytes[i];
        if (b < low || b > high) return {Utf8Status::Invalid, static_cast<uint8_t>(i), 0};
        value = (value << 6) | (b & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    return {Utf8Status::Char, static_cast<uint8_t>(need + 1), value};
}

size_t EncodeUtf8(char32_t codePoint, uint8_t out[4]) {
    if ((codePoint >= 0xD800 && codePoint <= 0xDFFF) || codePoint > 0x10FFFF) codePoint = 0xFFFD;
    if (codePoint < 0x80) {
        out[0] = static_cast<uint8_t>(codePoint);
        return 1;
    }
    if (codePoint < 0x800) {
        out[0] = static_cast<uint8_t>(0xC0 | (codePoint >> 6));
        out[1] = static_cast<uint8_t>(0x80 | (codePoint & 0x3F));
        return 2;
    }
    if (codePoint < 0x10000) {
        out[0] = static_cast<uint8_t>(0xE0 | (codePoint >> 12));
        out[1] = static_cast<uint8_t>(0x80 | ((codePoint >> 6) & 0x3F));
        out[2] = static_cast<uint8_t>(0x80 | (codePoint & 0x3F));
        return 3;
    }
    out[0] = static_cast<uint8_t>(0xF0 | (codePoint >> 18));
    out[1] = static_cast<uint8_t>(0x80 | ((codePoint >> 12) & 0x3F));
    out[2] = static_cast<uint8_t>(0x80 | ((codePoint >> 6) & 0x3F));
    out[3] = static_cast<uint8_t>(0x80 | (codePoint & 0x3F));
    return 4;
}

void AppendUtf8(char32_t codePoint, std::string& out) {
    uint8_t bytes[4];
    const size_t n = EncodeUtf8(codePoint, bytes);
    out.append(reinterpret_cast<const char*>(bytes), n);
}

uint8_t Utf8SeqLength(uint8_t lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    return 3;
}

std::u16string Utf8ToWide(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    size_t i = 0;
    while (i < bytes.size()) {
        const Utf8Step step = DecodeUtf8(p + i, bytes.size() - i);
        if (step.status == Utf8Status::Incomplete) break;
        if (step.status == Utf8Status::Char) {
            if (step.codePoint >= 0x10000) {
                const char32_t v = step.codePoint - 0x10000;
                out.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
                out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
            } else {
                out.push_back(static_cast<char16_t>(step.codePoint));
            }
        } else if (p[i] >= 0xC2 && p[i] <= 0xF4) {
            out.push_back(u'\uFFFF');
        }
        i += step.length;
    }
    return out;
}

std::string WideToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        AppendUtf8(c, out);
    }
    return out;
}

}  // namespace emulation
