#pragma once
// Character-set codes and translation: where the host's bytes and the PC's Unicode characters
// meet. A 32-bit code names a set (a Windows code page, or a kind in its high 16 bits);
// HostToUnicode and UnicodeToHost translate by it. Around them stand the conversions between
// the ANSI and OEM code pages, UTF-8 and wide text.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace emulation {

using CharsetId = uint32_t;

inline constexpr CharsetId kCharsetIso = 0x000000;  // the system's ANSI code page
inline constexpr CharsetId kCharsetNone = 0x010000;
inline constexpr CharsetId kCharsetT160e = 0x020000;
inline constexpr CharsetId kCharsetCccii = 0x030000;
inline constexpr CharsetId kCharsetUtf8 = 0x040000;
inline constexpr CharsetId kCharsetDec = 0x050000;
inline constexpr CharsetId kCharsetUsmarc = 0x060000;
inline constexpr CharsetId kCharsetOem = 0x070000;
inline constexpr CharsetId kCharsetOtherCrt = 0x080000;   // the screen's mapping file
inline constexpr CharsetId kCharsetOtherPrt = 0x090000;   // the printer's mapping file
inline constexpr CharsetId kCharsetIso8859_2 = 0x120000;  // up to ISO-8859-9 at 0x190000
inline constexpr CharsetId kCharsetCustom = 0x1A0000;
inline constexpr CharsetId kCharsetIso8859_15 = 0x1B0000;
// CharsetCode's answer for a name it does not know (-1).
inline constexpr CharsetId kUnknownCharset = 0xFFFFFFFF;

// A code whose low 16 bits are not 0 is a code page number; otherwise its high 16 bits are a kind.
constexpr bool IsCodePageCharset(CharsetId code) {
    return (code & 0xFFFF) != 0;
}
constexpr uint32_t CharsetKindOf(CharsetId code) {
    return code >> 16;
}

// Results of HostToUnicode.
inline constexpr uint8_t kHostChar = 0;        // a character was produced
inline constexpr uint8_t kHostNotChar = 1;     // not a character of the set: show the byte as it is
inline constexpr uint8_t kHostIncomplete = 2;  // the bytes begin a character; more are needed

// Entries 0 to 12 name the national replacement sets; entry 13 + kind names each kind (empty for
// kinds 10 to 17).
extern const std::array<std::string_view, 41> CharsetNameTable;

// Encoding numbers of the text conversions.
inline constexpr uint8_t kEncodingAnsi = 0;
inline constexpr uint8_t kEncodingOem = 1;
inline constexpr uint8_t kEncodingUtf8 = 3;
inline constexpr uint8_t kEncodingUnchanged = 4;

// One host character to Unicode. ch is 0xFFFF unless a character was produced. *used (when given)
// is the number of leading bytes the result accounts for: with kHostChar the character's bytes,
// which for a broken UTF-8 sequence (ch 0xFFFF) stops before the byte that broke it, so the
// caller must offer the rest again; with the other results all the bytes.
uint8_t HostToUnicode(std::span<const uint8_t> bytes, CharsetId code, char16_t& ch,
                      size_t* used = nullptr);

// One character to host bytes.
std::string UnicodeToHost(char16_t ch, CharsetId code);

// The code of a set name (exact comparison), kUnknownCharset for an unknown name and for a
// "CP-" number that is no valid code page.
CharsetId CharsetCode(std::string_view name);
// The name of a set; with withSystemName a code page is named by the system's name where the
// system gives one.
std::string CharsetName(CharsetId code, bool withSystemName);

// True for the characters of the combining-mark range table.
bool IsCombiningMark(char16_t ch);

// Text conversions.
std::u16string OemToWide(std::string_view bytes);
std::u16string AnsiToWide(std::string_view bytes);
std::u16string CodePageToWide(std::string_view bytes, uint32_t codePage);
// "?" when nothing converts.
std::string WideToOem(std::u16string_view text);
std::string Utf8ToAnsi(std::string_view bytes);
// Codes kEncodingAnsi, kEncodingOem, kEncodingUtf8, kEncodingUnchanged; other codes leave the
// text unchanged.
std::string ConvertTextEncoding(std::string_view text, uint8_t from, uint8_t to);
// In place; only OEM to ANSI and ANSI to OEM change anything. A byte whose character the other
// page lacks becomes "?" (or the system's best fit).
void ConvertBufferOemAnsi(std::span<uint8_t> buffer, uint8_t from, uint8_t to);
// U+E6xx becomes U+25xx, U+E800..U+EFFF is replaced by its decomposition, U+200B is dropped.
std::u16string MapPrivateUseChars(std::u16string_view text);

// What the mapping-file sets and character composition supply. Until those units fill an entry
// in, the sets behave as with a missing mapping file: host bytes are not characters (result 1),
// characters from 128 up go to the host as "?" (mapped and built-in sets) or as their low byte
// (T160E, USMARC) or in code page 437 (CCCII), and no character decomposes.
// The do-nothing answers every slot below starts with (see above).
uint8_t NoMappedHostToUnicode(std::string_view fileName, uint8_t slot,
                              std::span<const uint8_t> bytes, char16_t& ch);
std::string NoMappedUnicodeToHost(std::string_view fileName, uint8_t slot, char16_t ch);
char16_t NoBuiltinHostToUnicode(uint8_t kind, uint8_t byte);
std::string NoBuiltinUnicodeToHost(uint8_t kind, char16_t ch);
char16_t NoT160eLookup(uint32_t a, uint32_t b);
std::string NoLowByteEncode(char16_t ch);
char16_t NoCcciiDecode(uint8_t b1, uint8_t b2, uint8_t b3);
std::string NoCcciiEncode(char16_t ch);
char16_t NoUsmarcDecode(std::span<const uint8_t> bytes);
std::u16string NoDecomposeChar(char16_t ch);

// Every slot is filled from the start, so callers never test one for null.
struct CharsetHooks {
    // OTHER_CRT (slot 0, the settings' CharsetFile) and OTHER_PRT (slot 1, PassthroughCharsetFile).
    uint8_t (*MappedHostToUnicode)(std::string_view fileName, uint8_t slot,
                                   std::span<const uint8_t> bytes,
                                   char16_t& ch) = NoMappedHostToUnicode;
    std::string (*MappedUnicodeToHost)(std::string_view fileName, uint8_t slot,
                                       char16_t ch) = NoMappedUnicodeToHost;
    // The built-in tables by kind (18 to 25 ISO-8859-2 to 9, 26 CUSTOM, 27 ISO-8859-15); 0xFFFF
    // when the table has no character.
    char16_t (*BuiltinHostToUnicode)(uint8_t kind, uint8_t byte) = NoBuiltinHostToUnicode;
    std::string (*BuiltinUnicodeToHost)(uint8_t kind, char16_t ch) = NoBuiltinUnicodeToHost;
    char16_t (*T160eLookup)(uint32_t a, uint32_t b) = NoT160eLookup;
    std::string (*T160eEncode)(char16_t ch) = NoLowByteEncode;
    char16_t (*CcciiDecode)(uint8_t b1, uint8_t b2, uint8_t b3) = NoCcciiDecode;
    std::string (*CcciiEncode)(char16_t ch) = NoCcciiEncode;
    char16_t (*UsmarcDecode)(std::span<const uint8_t> bytes) = NoUsmarcDecode;
    std::string (*UsmarcEncode)(char16_t ch) = NoLowByteEncode;
    // Base character and marks (the character itself when it has no decomposition).
    std::u16string (*DecomposeChar)(char16_t ch) = NoDecomposeChar;
};
extern CharsetHooks charsetHooks;
void ResetCharsetHooks();

}  // namespace emulation
