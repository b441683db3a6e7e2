#pragma once
// The code-page service: every conversion between bytes of a code page and UTF-16 goes through it.
// The Win32 side (console/win32/code_pages_win32.h) asks the system; the built-in side here knows
// the single-byte DOS, Windows and ISO pages from tables, and the two give the same characters for
// every byte of every page the built-in side knows.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Code page numbers that stand for the system's own pages.
inline constexpr uint32_t kAnsiCodePage = 0;
inline constexpr uint32_t kOemCodePage = 1;

// Flags of ToWide.
inline constexpr uint32_t kPrecomposed = 1;    // precomposed characters where the page has them
inline constexpr uint32_t kGlyphChars = 2;     // control positions as their glyphs (DOS pages)
inline constexpr uint32_t kFailOnInvalid = 4;  // an invalid multibyte sequence fails the call

class CodePages {
  public:
    virtual ~CodePages() = default;

    virtual uint32_t AnsiCodePage() = 0;
    virtual uint32_t OemCodePage() = 0;
    // True for a code page the system converts; 0 and 1 are not pages of their own here.
    virtual bool IsValidCodePage(uint32_t codePage) = 0;
    // Bytes per character at most: 1 for a single-byte page, 0 for a page that is not valid.
    virtual int MaxCharSize(uint32_t codePage) = 0;
    virtual bool IsLeadByte(uint32_t codePage, uint8_t byte) = 0;
    // The 256 characters of a single-byte page, made once and kept for the run, so that runs of
    // received bytes are converted by table lookups; nullptr for multibyte and unknown pages.
    virtual const char16_t* ByteTable(uint32_t codePage, bool glyphChars) = 0;
    // Bytes to UTF-16; returns the units written, 0 when the page is unknown, the output does not
    // fit or (with kFailOnInvalid) the bytes hold an invalid sequence. A capacity of n units
    // always suffices. What the output holds after a failure is unspecified.
    virtual size_t ToWide(uint32_t codePage, const uint8_t* bytes, size_t n, uint32_t flags,
                          char16_t* out, size_t capacity) = 0;
    // UTF-16 to bytes; a character the page lacks becomes its default character "?" and sets
    // *usedDefault (when given). The Win32 side also applies the system's best-fit mappings, which
    // the built-in side does not have. Returns the bytes written, 0 on failure.
    virtual size_t FromWide(uint32_t codePage, const char16_t* text, size_t n, uint8_t* out,
                            size_t capacity, bool* usedDefault) = 0;
    // The system's own name of the page; nullopt when the system offers none.
    virtual std::optional<std::string> SystemName(uint32_t codePage) = 0;
    virtual std::vector<uint32_t> InstalledCodePages() = 0;
};

// The service in use: the one installed with SetCodePages, else the built-in one.
CodePages& CurrentCodePages();
void SetCodePages(CodePages* service);
// A count that moves on whenever the service in use is set or the built-in service's system
// pages change; a byte table kept by a caller stays valid while it stands still.
uint32_t CodePagesGeneration();

// The built-in service: the pages of console/code_page_tables.h, ANSI 1252 and OEM 437 unless
// told otherwise.
class BuiltinCodePages final : public CodePages {
  public:
    void SetSystemPages(uint32_t ansi, uint32_t oem);

    uint32_t AnsiCodePage() override { return ansi_; }
    uint32_t OemCodePage() override { return oem_; }
    bool IsValidCodePage(uint32_t codePage) override;
    int MaxCharSize(uint32_t codePage) override;
    bool IsLeadByte(uint32_t, uint8_t) override { return false; }
    const char16_t* ByteTable(uint32_t codePage, bool glyphChars) override;
    size_t ToWide(uint32_t codePage, const uint8_t* bytes, size_t n, uint32_t flags, char16_t* out,
                  size_t capacity) override;
    size_t FromWide(uint32_t codePage, const char16_t* text, size_t n, uint8_t* out,
                    size_t capacity, bool* usedDefault) override;
    std::optional<std::string> SystemName(uint32_t) override { return std::nullopt; }
    std::vector<uint32_t> InstalledCodePages() override;

  private:
    uint32_t ansi_ = 1252;
    uint32_t oem_ = 437;
    // The last table asked for: received text mostly stays on one page.
    uint32_t lastPage_ = 0;
    bool lastGlyphs_ = false;
    const char16_t* lastTable_ = nullptr;
};

// The one built-in instance (the default service).
BuiltinCodePages& BuiltinCodePagesInstance();
// Back to the built-in service with its default pages (tests).
void ResetCodePages();

// Converts a run of bytes to UTF-16, at most one unit per byte, into out (room for n units);
// single-byte pages go through their byte table. Returns the units written.
size_t RunToWide(uint32_t codePage, const uint8_t* bytes, size_t n, uint32_t flags, char16_t* out);

// Allocating forms for text that is not on the byte path.
std::u16string BytesToWide(uint32_t codePage, std::string_view bytes, uint32_t flags);
std::string WideToBytes(uint32_t codePage, std::u16string_view text, bool* usedDefault = nullptr);

}  // namespace platform
