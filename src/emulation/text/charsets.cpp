#include "emulation/text/charsets.h"

#include <algorithm>

#include "commands/settings_record.h"
#include "console/code_pages.h"
#include "emulation/text/utf8.h"

namespace emulation {

const std::array<std::string_view, 41> CharsetNameTable = {
    "INTERNATIONAL", "UK", "FINNISH", "FRENCH", "CANADIAN", "GERMAN", "ITALIAN", "SWEDISH",
    "SPANISH", "NORWEGIAN", "SWISS", "SLOVENIAN", "JAPANESE",
    // 13 + kind
    "ISO", "NONE", "T160E", "CCCII", "UTF8", "DEC", "USMARC", "OEM", "OTHER_CRT", "OTHER_PRT", "",
    "", "", "", "", "", "", "", "ISO-8859-2", "ISO-8859-3", "ISO-8859-4", "ISO-8859-5",
    "ISO-8859-6", "ISO-8859-7", "ISO-8859-8", "ISO-8859-9", "CUSTOM", "ISO-8859-15"};

CharsetHooks charsetHooks;

void ResetCharsetHooks() {
    charsetHooks = CharsetHooks{};
}

namespace {

// The kinds of a code that is no code page (its high 16 bits, CharsetKindOf).
enum CharsetIdKind : uint32_t {
    kKindIso = 0,  // the ANSI code page
    kKindNone = 1,
    kKindT160e = 2,
    kKindCccii = 3,
    kKindUtf8 = 4,
    kKindDec = 5,
    kKindUsmarc = 6,
    kKindOem = 7,
    kKindOtherCrt = 8,
    kKindOtherPrt = 9,
    kKindFirstBuiltin = 18,  // ISO-8859-2 up to ISO-8859-9, CUSTOM and ISO-8859-15
    kKindLastBuiltin = 27,
};

struct CharRange {
    char16_t first, last;
};

// The combining marks: characters drawn on the cell of the character before them.
constexpr CharRange kCombiningMarks[] = {
    {0x0300, 0x0362}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x05BF, 0x05BF}, {0x05C1, 0x05C2},
    {0x05C4, 0x05C4}, {0x064B, 0x0655}, {0x0670, 0x0670}, {0x06D6, 0x06E4}, {0x06E7, 0x06E8},
    {0x06EA, 0x06ED}, {0x0711, 0x0711}, {0x0730, 0x074A}, {0x07A6, 0x07B0}, {0x0901, 0x0903},
    {0x093C, 0x093C}, {0x093E, 0x094D}, {0x0951, 0x0954}, {0x0962, 0x0963}, {0x0981, 0x0983},
    {0x09BC, 0x09D7}, {0x0A3C, 0x0A4D}, {0x0ABC, 0x0ABC}, {0x0ABE, 0x0ACD}, {0x0B3C, 0x0B3C},
    {0x0B3E, 0x0B57}, {0x0BB2, 0x0BB3}, {0x0BBE, 0x0BD7}, {0x0C01, 0x0C03}, {0x0C3E, 0x0C56},
    {0x0C82, 0x0C83}, {0x0CBE, 0x0CD6}, {0x0D02, 0x0D03}, {0x0D3E, 0x0D57}, {0x0D81, 0x0D82},
    {0x0DCA, 0x0DF3}, {0x0E31, 0x0E31}, {0x0E34, 0x0E3A}, {0x0E47, 0x0E4E}, {0x0EB4, 0x0EBC},
    {0x0EC8, 0x0ECD}, {0x0F18, 0x0F19}, {0x0F35, 0x0F35}, {0x0F37, 0x0F37}, {0x0F39, 0x0F39},
    {0x0F3E, 0x0F3F}, {0x0F71, 0x0F84}, {0x0F86, 0x0F87}, {0x0F90, 0x0FBC}, {0x0FC6, 0x0FC6},
    {0x102C, 0x1039}, {0x17B4, 0x17D3}, {0x18A9, 0x18A9}, {0x20D0, 0x20E3}, {0x302A, 0x302F},
    {0x3099, 0x309A}, {0xFB1E, 0xFB1E}, {0xFE20, 0xFE23},
};

// "?" for characters from 128 up, the character itself below: a set whose table is missing.
std::string AsciiOrQuestionMark(char16_t ch) {
    return std::string(1, ch < 0x80 ? static_cast<char>(ch) : '?');
}

std::string LowByte(char16_t ch) {
    return std::string(1, static_cast<char>(ch & 0xFF));
}

}  // namespace

uint8_t NoMappedHostToUnicode(std::string_view, uint8_t, std::span<const uint8_t>, char16_t&) {
    return kHostNotChar;
}
std::string NoMappedUnicodeToHost(std::string_view, uint8_t, char16_t ch) {
    return AsciiOrQuestionMark(ch);
}
char16_t NoBuiltinHostToUnicode(uint8_t, uint8_t) {
    return 0xFFFF;
}
std::string NoBuiltinUnicodeToHost(uint8_t, char16_t ch) {
    return AsciiOrQuestionMark(ch);
}
char16_t NoT160eLookup(uint32_t, uint32_t) {
    return 0xFFFF;
}
std::string NoLowByteEncode(char16_t ch) {
    return LowByte(ch);
}
char16_t NoCcciiDecode(uint8_t, uint8_t, uint8_t) {
    return 0xFFFF;
}
std::string NoCcciiEncode(char16_t ch) {
    if (ch < 0x80) return LowByte(ch);
    return platform::WideToBytes(437, std::u16string_view(&ch, 1)).substr(0, 1);
}
char16_t NoUsmarcDecode(std::span<const uint8_t>) {
    return 0xFFFF;
}
std::u16string NoDecomposeChar(char16_t ch) {
    return std::u16string(1, ch);
}

namespace {

char16_t ByteInCodePage(uint32_t codePage, uint8_t byte) {
    platform::CodePages& service = platform::CurrentCodePages();
    if (const char16_t* table = service.ByteTable(codePage, false)) return table[byte];
    char16_t ch = 0xFFFF;
    if (service.ToWide(codePage, &byte, 1, platform::kPrecomposed, &ch, 1) != 1) ch = 0xFFFF;
    return ch;
}

uint8_t Utf8ToUnicode(std::span<const uint8_t> bytes, char16_t& ch, size_t& used) {
    const uint8_t lead = bytes[0];
    // Four-byte forms give no 16-bit character: their bytes show as they are, like any byte that
    // cannot begin a character (continuation bytes, C0, C1, F5 and above).
    if (!IsUtf8BmpLead(lead)) return kHostNotChar;
    const Utf8Step step = DecodeUtf8(bytes.data(), bytes.size());
    if (step.status == Utf8Status::Incomplete) return kHostIncomplete;
    // A broken sequence is one undecodable character; the byte that broke it is left over.
    if (step.status == Utf8Status::Char) ch = static_cast<char16_t>(step.codePoint);
    used = step.length;
    return kHostChar;
}

uint8_t T160eToUnicode(std::span<const uint8_t> bytes, char16_t& ch) {
    if (bytes[0] != 0x1B) return kHostNotChar;
    // ESC alone may begin the sequence ESC [ a ; b _.
    if (bytes.size() == 1) return kHostIncomplete;
    if (bytes[1] != '[') return kHostNotChar;
    const uint8_t last = bytes.back();
    if ((last >= '0' && last <= '9') || last == ';' || last == '[') return kHostIncomplete;
    if (last != '_') return kHostNotChar;
    // The numbers: a from the third byte up to the ";", b from there to the "_". Values are
    // held below 2^24 so that a hostile run of digits cannot overflow.
    uint32_t numbers[2] = {0, 0};
    size_t which = 0;
    for (size_t i = 2; i + 1 < bytes.size(); ++i) {
        const uint8_t b = bytes[i];
        if (b == ';' && which == 0) {
            which = 1;
        } else if (b >= '0' && b <= '9') {
            numbers[which] = std::min<uint32_t>(numbers[which] * 10 + (b - '0'), 0xFFFFFF);
        } else {
            return kHostNotChar;
        }
    }
    if (which == 0) return kHostNotChar;
    ch = charsetHooks.T160eLookup(numbers[0], numbers[1]);
    return kHostChar;
}

uint8_t CodePageToUnicode(std::span<const uint8_t> bytes, uint32_t codePage, char16_t& ch,
                          size_t& used) {
    platform::CodePages& service = platform::CurrentCodePages();
    const uint8_t lead = bytes[0];
    if (service.IsLeadByte(codePage, lead)) {
        if (bytes.size() < 2) return kHostIncomplete;
        char16_t units[2] = {0xFFFF, 0xFFFF};
        const size_t n = service.ToWide(
            codePage, bytes.data(), 2, platform::kPrecomposed | platform::kFailOnInvalid, units, 2);
        ch = n == 1 ? units[0] : 0xFFFF;
        used = 2;
        return kHostChar;
    }
    ch = ByteInCodePage(codePage, lead);
    // A number that names no page converts nothing: the byte is shown as it is.
    if (ch == 0xFFFF) return kHostNotChar;
    if (lead >= 0x80 && lead <= 0x9F) {
        used = 1;
        return kHostChar;
    }
    // Other characters are shown by the caller's own conversion of the byte; only a combining
    // mark is handed back, so that the caller can put it on the character before.
    if (IsCombiningMark(ch)) {
        used = 1;
        return kHostChar;
    }
    return kHostNotChar;
}

}  // namespace

bool IsCombiningMark(char16_t ch) {
    const auto* end = std::end(kCombiningMarks);
    const auto* it = std::lower_bound(std::begin(kCombiningMarks), end, ch,
                                      [](const CharRange& r, char16_t c) { return r.last < c; });
    return it != end && it->first <= ch;
}

uint8_t HostToUnicode(std::span<const uint8_t> bytes, CharsetId code, char16_t& ch, size_t* used) {
    size_t taken = bytes.size();
    uint8_t result = kHostNotChar;
    ch = 0xFFFF;
    const uint8_t euro = commands::Settings.EuroChar;
    if (bytes.empty()) {
        result = kHostNotChar;
    } else if (euro != 0 && bytes.size() == 1 && bytes[0] == euro) {
        ch = 0x20AC;
        result = kHostChar;
    } else if (IsCodePageCharset(code)) {
        result = CodePageToUnicode(bytes, code, ch, taken);
    } else {
        const uint32_t kind = CharsetKindOf(code);
        const uint8_t lead = bytes[0];
        switch (kind) {
            case kKindNone:
                break;
            case kKindT160e:
                result = T160eToUnicode(bytes, ch);
                break;
            case kKindCccii:
                if (lead == 0xC0) {
                    if (bytes.size() < 4) {
                        result = kHostIncomplete;
                    } else {
                        ch = charsetHooks.CcciiDecode(bytes[1], bytes[2], bytes[3]);
                        taken = 4;
                        result = kHostChar;
                    }
                } else if (lead >= 0x80) {
                    ch = ByteInCodePage(437, lead);
                    taken = 1;
                    result = kHostChar;
                }
                break;
            case kKindUtf8:
                result = Utf8ToUnicode(bytes, ch, taken);
                break;
            case kKindUsmarc:
                if (lead < 0x80) break;
                if (bytes.back() < 0xE0) {
                    ch = charsetHooks.UsmarcDecode(bytes);
                    result = kHostChar;
                } else if (bytes.size() < 5) {
                    result = kHostIncomplete;
                }
                break;
            case kKindOtherCrt:
            case kKindOtherPrt:
                if (lead >= 0x80) {
                    const bool screen = kind == kKindOtherCrt;
                    const auto& file = screen ? commands::Settings.CharsetFile
                                              : commands::Settings.PassthroughCharsetFile;
                    result =
                        charsetHooks.MappedHostToUnicode(file.View(), screen ? 0 : 1, bytes, ch);
                }
                break;
            default:
                if (kind >= kKindFirstBuiltin && kind <= kKindLastBuiltin) {
                    // Without the set's table the byte is shown as it is.
                    if (lead >= 0x80)
                        ch = charsetHooks.BuiltinHostToUnicode(static_cast<uint8_t>(kind), lead);
                    if (ch != 0xFFFF) {
                        taken = 1;
                        result = kHostChar;
                    }
                } else {
                    // ISO (the ANSI code page) and the kinds without a rule of their own go
                    // through the code page their number names, which for all but 0 is none.
                    result = CodePageToUnicode(bytes, code, ch, taken);
                }
                break;
        }
    }
    if (result != kHostChar) taken = bytes.size();
    if (used) *used = taken;
    return result;
}

std::string UnicodeToHost(char16_t ch, CharsetId code) {
    if (!IsCodePageCharset(code)) {
        const uint32_t kind = CharsetKindOf(code);
        if (kind >= kKindFirstBuiltin && kind <= kKindLastBuiltin)
            return charsetHooks.BuiltinUnicodeToHost(static_cast<uint8_t>(kind), ch);
        switch (kind) {
            case kKindIso:
                break;
            case kKindOtherCrt:
                return charsetHooks.MappedUnicodeToHost(commands::Settings.CharsetFile.View(), 0,
                                                        ch);
            case kKindT160e:
                return charsetHooks.T160eEncode(ch);
            case kKindUsmarc:
                return charsetHooks.UsmarcEncode(ch);
            case kKindCccii:
                return charsetHooks.CcciiEncode(ch);
            case kKindUtf8: {
                std::string out;
                AppendUtf8(ch, out);
                return out;
            }
            default:
                return LowByte(ch);
        }
    } else if (code != platform::kOemCodePage &&
               !platform::CurrentCodePages().IsValidCodePage(code)) {
        return LowByte(ch);
    }
    // A code page (0 the ANSI page, 1 the OEM page): a character the page lacks is decomposed,
    // so that an accented letter becomes at least its base letter.
    platform::CodePages& service = platform::CurrentCodePages();
    uint8_t bytes[10];
    bool usedDefault = false;
    size_t n = service.FromWide(code, &ch, 1, bytes, sizeof bytes, &usedDefault);
    if (usedDefault) {
        const std::u16string parts = charsetHooks.DecomposeChar(ch);
        if (!parts.empty() && parts != std::u16string_view(&ch, 1))
            n = service.FromWide(code, parts.data(), parts.size(), bytes, sizeof bytes, nullptr);
    }
    return std::string(reinterpret_cast<const char*>(bytes), n);
}

CharsetId CharsetCode(std::string_view name) {
    struct Named {
        std::string_view name;
        CharsetId code;
    };
    static constexpr Named kNames[] = {
        {"UTF8", kCharsetUtf8},      {"CCCII", kCharsetCccii},
        {"T160E", kCharsetT160e},    {"ISO", kCharsetIso},
        {"ISO-8859-1", kCharsetIso}, {"DEC", kCharsetDec},
        {"OEM", kCharsetOem},        {"NONE", kCharsetNone},
        {"CUSTOM", kCharsetCustom},  {"ISO-8859-15", kCharsetIso8859_15},
        {"USMARC", kCharsetUsmarc},
    };
    for (const Named& n : kNames)
        if (n.name == name) return n.code;
    if (name.size() == 10 && name.starts_with("ISO-8859-") && name[9] >= '2' && name[9] <= '9')
        return kCharsetIso8859_2 + static_cast<CharsetId>(name[9] - '2') * 0x10000;
    if (name.starts_with("CP-")) {
        const std::string_view digits = name.substr(3);
        if (digits.empty() || digits.size() > 10) return kUnknownCharset;
        uint64_t value = 0;
        for (char c : digits) {
            if (c < '0' || c > '9') return kUnknownCharset;
            value = value * 10 + static_cast<uint64_t>(c - '0');
        }
        if (value > 0xFFFFFFFF ||
            !platform::CurrentCodePages().IsValidCodePage(static_cast<uint32_t>(value)))
            return kUnknownCharset;
        return static_cast<CharsetId>(value);
    }
    return kUnknownCharset;
}

std::string CharsetName(CharsetId code, bool withSystemName) {
    if (IsCodePageCharset(code)) {
        if (withSystemName) {
            if (auto name = platform::CurrentCodePages().SystemName(code)) return "CP-" + *name;
        }
        return "CP-" + std::to_string(code);
    }
    const uint32_t kind = CharsetKindOf(code);
    if (kind == kKindOtherCrt) return commands::Settings.CharsetFile.Str();
    if (kind == kKindOtherPrt) return commands::Settings.PassthroughCharsetFile.Str();
    if (kind <= kKindLastBuiltin) return std::string(CharsetNameTable[13 + kind]);
    return {};
}

std::u16string OemToWide(std::string_view bytes) {
    return platform::BytesToWide(platform::kOemCodePage, bytes, platform::kPrecomposed);
}

std::u16string AnsiToWide(std::string_view bytes) {
    return platform::BytesToWide(platform::kAnsiCodePage, bytes, platform::kPrecomposed);
}

std::u16string CodePageToWide(std::string_view bytes, uint32_t codePage) {
    return platform::BytesToWide(codePage, bytes, platform::kPrecomposed);
}

std::string WideToOem(std::u16string_view text) {
    if (text.empty()) return {};
    std::string out = platform::WideToBytes(platform::kOemCodePage, text);
    return out.empty() ? std::string("?") : out;
}

std::string Utf8ToAnsi(std::string_view bytes) {
    return platform::WideToBytes(platform::kAnsiCodePage, Utf8ToWide(bytes));
}

void ConvertBufferOemAnsi(std::span<uint8_t> buffer, uint8_t from, uint8_t to) {
    uint32_t source = 0, target = 0;
    if (from == kEncodingOem && to == kEncodingAnsi) {
        source = platform::kOemCodePage;
        target = platform::kAnsiCodePage;
    } else if (from == kEncodingAnsi && to == kEncodingOem) {
        source = platform::kAnsiCodePage;
        target = platform::kOemCodePage;
    } else {
        return;
    }
    platform::CodePages& service = platform::CurrentCodePages();
    if (service.AnsiCodePage() == service.OemCodePage() || buffer.empty()) return;
    if (const char16_t* table = service.ByteTable(source, false)) {
        // Byte for byte, so that the length stays what it was.
        for (uint8_t& b : buffer) {
            uint8_t out[4];
            const size_t n = service.FromWide(target, &table[b], 1, out, sizeof out, nullptr);
            b = n == 1 ? out[0] : '?';
        }
        return;
    }
    const std::string_view text(reinterpret_cast<const char*>(buffer.data()), buffer.size());
    const std::string converted =
        platform::WideToBytes(target, platform::BytesToWide(source, text, platform::kPrecomposed));
    if (converted.size() == buffer.size())
        std::copy(converted.begin(), converted.end(), buffer.begin());
}

std::string ConvertTextEncoding(std::string_view text, uint8_t from, uint8_t to) {
    if (from == to || from == kEncodingUnchanged || to == kEncodingUnchanged)
        return std::string(text);
    if ((from == kEncodingOem && to == kEncodingAnsi) ||
        (from == kEncodingAnsi && to == kEncodingOem)) {
        std::string out(text);
        ConvertBufferOemAnsi(std::span<uint8_t>(reinterpret_cast<uint8_t*>(out.data()), out.size()),
                             from, to);
        return out;
    }
    std::u16string wide;
    switch (from) {
        case kEncodingAnsi:
            wide = AnsiToWide(text);
            break;
        case kEncodingOem:
            wide = OemToWide(text);
            break;
        case kEncodingUtf8:
            wide = Utf8ToWide(text);
            break;
        default:
            return std::string(text);
    }
    switch (to) {
        case kEncodingAnsi:
            return platform::WideToBytes(platform::kAnsiCodePage, wide);
        case kEncodingOem:
            return WideToOem(wide);
        case kEncodingUtf8:
            return WideToUtf8(wide);
        default:
            return std::string(text);
    }
}

std::u16string MapPrivateUseChars(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        if ((c & 0xFF00) == 0xE600) {
            out.push_back(static_cast<char16_t>(0x2500 | (c & 0xFF)));
        } else if (c >= 0xE800 && c <= 0xEFFF) {
            out += charsetHooks.DecomposeChar(c);
        } else if (c != 0x200B) {
            out.push_back(c);
        }
    }
    return out;
}

}  // namespace emulation
