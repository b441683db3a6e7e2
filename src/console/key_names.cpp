#include "console/key_names.h"

#include <array>
#include <string_view>

#include "console/learn_mode.h"

namespace platform {

namespace {
KeySource* currentKeySource = nullptr;
}  // namespace

char16_t KeySource::LayoutChar(uint8_t scanCode) {
    return UsLayoutChar(scanCode);
}

void SetKeySource(KeySource* source) {
    currentKeySource = source;
}

KeySource* CurrentKeySource() {
    return currentKeySource;
}

char16_t UsLayoutChar(uint8_t scanCode) {
    // Scan codes 2 to 53: the digit row, the three letter rows and their
    // punctuation, as the layout maps them without Shift.
    using namespace std::string_view_literals;
    static constexpr std::u16string_view kRows =
        u"1234567890-=\0\0QWERTYUIOP[]\0\0ASDFGHJKL;'`\0\\ZXCVBNM,./"sv;
    if (scanCode < 2 || scanCode - 2u >= kRows.size()) return 0;
    return kRows[scanCode - 2u];
}

}  // namespace platform

namespace console {

namespace {

struct FunctionKeyRange {
    uint16_t first;
    uint16_t last;
    std::u16string_view prefix;
    uint16_t base;
};

constexpr FunctionKeyRange kFunctionKeyRanges[] = {
    {315, 324, u"f", 1},   {340, 349, u"sf", 1},  {350, 359, u"^f", 1}, {464, 471, u"f", 13},
    {480, 486, u"sf", 13}, {472, 479, u"^f", 13}, {360, 369, u"af", 1},
};

struct NamedKey {
    uint16_t code;
    std::u16string_view name;
};

constexpr NamedKey kNamedKeys[] = {
    {264, u"Bs"},   {437, u"sBs"},  {438, u"^Bs"},  {270, u"aBs"},  {9, u"Tab"},    {271, u"Btab"},
    {404, u"^Tab"}, {421, u"aTab"}, {403, u"^Del"}, {389, u"f11"},  {390, u"f12"},  {391, u"sf11"},
    {392, u"sf12"}, {393, u"^f11"}, {394, u"^f12"}, {395, u"af11"}, {396, u"af12"}, {327, u"Home"},
    {328, u"Up"},   {329, u"PgUp"}, {331, u"Left"}, {333, u"Rt"},   {335, u"End"},  {336, u"Down"},
    {337, u"PgDn"}, {338, u"Ins"},  {339, u"Del"},  {371, u"^Lt"},  {372, u"^Rt"},  {373, u"^End"},
    {374, u"^Pdn"}, {375, u"^Hom"}, {388, u"^Pup"}, {397, u"^Up"},  {401, u"^Dn"},  {402, u"^Ins"},
    {492, u"nBlk"}, {285, u"nLok"}, {452, u"^Ent"}, {446, u"sf20"},
};

// In keypad order: Home, Up, PgUp, minus, Left, centre, Right, plus, End,
// Down, PgDn, Ins, Del.
constexpr std::array<std::u16string_view, 13> kKeypadNames = {
    u"Hom", u"Up",  u"PUp", u"a-",  u"Lft", u"",    u"Rit",
    u"a+",  u"End", u"Dwn", u"PDn", u"Ins", u"Del",
};

constexpr std::u16string_view kOperatorChars = u"*+,-./";

std::u16string Cut4(std::u16string name) {
    if (name.size() > 4) name.resize(4);
    return name;
}

std::u16string Hex(uint32_t value, int digits) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    std::u16string text(static_cast<size_t>(digits), u'0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        text[static_cast<size_t>(i)] = kDigits[value & 15];
    return text;
}

std::u16string AltName(uint8_t scanCode) {
    platform::KeySource* source = platform::CurrentKeySource();
    const char16_t ch = source ? source->LayoutChar(scanCode) : platform::UsLayoutChar(scanCode);
    std::u16string name = u"alt";
    if (ch != 0) name += ch;
    return name;
}

}  // namespace

uint16_t RawKeyToKeyCode(uint16_t raw) {
    const uint16_t h = raw >> 8;
    const uint16_t c = raw & 0xFF;
    if (h == 0) return raw;
    switch (c) {
        case 0xE0:
            if (h >= 0x3D && h <= 0x44) return h + 403;
            if (h >= 0x56 && h <= 0x5D) return h + 394;
            if (h >= 0x60 && h <= 0x67) return h + 376;
            return 256 + h;
        case 0x00:
            if (h >= 0x47 && h <= 0x53) return 416 + h;
            return 256 + h;
        case 0xF0:
            return 416 + h;
        case 0xD0:
            if (h == 13) return 500;
            return h + 459;
        default:
            return c;
    }
}

bool KeyPressed() {
    platform::KeySource* source = platform::CurrentKeySource();
    return source != nullptr && source->KeyAvailable();
}

uint16_t ReadRawKey() {
    platform::KeySource* source = platform::CurrentKeySource();
    return source != nullptr ? source->WaitForKey() : 0;
}

uint16_t ReadKeyCode() {
    if (platform::KeySource* source = platform::CurrentKeySource()) source->BeforeKeyWait();
    const uint16_t code = RawKeyToKeyCode(ReadRawKey());
    RecordLearnedKey(code);
    return code;
}

uint16_t ReadCharKey() {
    for (;;) {
        const uint32_t code = NormalizeKeyCode(ReadKeyCode());
        if (code < 256) return static_cast<uint16_t>(code);
    }
}

uint32_t NormalizeKeyCode(uint32_t code) {
    const uint32_t upper = code & 0xFFFF0000u;
    uint32_t key = code & 0x7FFFu;
    if (key == 429 || key == 500)
        key = 13;
    else if (key >= 458 && key <= 463)
        key -= 416;
    else if (key >= 501 && key <= 506)
        key -= 459;
    else if (key >= 487 && key <= 499)
        key -= 160;
    return upper | key;
}

bool SameKeyAnyShift(uint16_t a, uint16_t b) {
    if (b == a || b == a + 25 || b == a + 35 || b == a + 45) return true;
    if (a == 389) return b == 391 || b == 393;
    if (a == 390) return b == 392 || b == 394;
    return false;
}

std::u16string KeyCodeToName(uint16_t code) {
    for (const FunctionKeyRange& range : kFunctionKeyRanges) {
        if (code < range.first || code > range.last) continue;
        const unsigned number = code - range.first + range.base;
        std::u16string name(range.prefix);
        if (number >= 10) name += static_cast<char16_t>(u'0' + number / 10 % 10);
        name += static_cast<char16_t>(u'0' + number % 10);
        return Cut4(std::move(name));
    }
    for (const NamedKey& named : kNamedKeys)
        if (named.code == code) return std::u16string(named.name);

    if ((code >= 1 && code <= 26) || (code >= 28 && code <= 31))
        return std::u16string{u'^', static_cast<char16_t>(code + 64)};
    if (code == 27) return u"Esc";
    if (code == 256) return u"00";
    if ((code >= 272 && code <= 283) || (code >= 286 && code <= 297) ||
        (code >= 299 && code <= 309))
        return Cut4(AltName(static_cast<uint8_t>(code - 256)));
    if (code >= 376 && code <= 387) return Cut4(AltName(static_cast<uint8_t>(code - 374)));
    switch (code) {
        case 398:
            return u"^nm-";
        case 399:
            return u"^nm.";
        case 400:
            return u"^nm+";
        case 405:
            return u"^nm/";
        case 406:
            return u"^nm*";
        case 420:
            return u"an/";
        case 422:
            return u"anEn";
        case 423:
            return u"sEsc";
        case 429:
            return u"nEnt";
        case 500:
            return u"pEnt";
        default:
            break;
    }
    if (code >= 407 && code <= 419) return u"a" + std::u16string(kKeypadNames[code - 407]);
    if (code >= 439 && code <= 451) return u"s" + std::u16string(kKeypadNames[code - 439]);
    if (code >= 487 && code <= 499) return u"n" + std::u16string(kKeypadNames[code - 487]);
    if (code >= 458 && code <= 463) return u"num" + std::u16string(1, kOperatorChars[code - 458]);
    if (code >= 501 && code <= 506) return u"pad" + std::u16string(1, kOperatorChars[code - 501]);
    return code < 256 ? Hex(code, 2) : Hex(code, 4);
}

}  // namespace console
