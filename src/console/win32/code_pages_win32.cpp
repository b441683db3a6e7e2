#include "console/win32/code_pages_win32.h"

#include <windows.h>

#include <array>
#include <climits>
#include <cstdlib>
#include <map>
#include <memory>

namespace console {
namespace {

// Pages whose conversions refuse the precomposed and glyph flags (the system reports
// ERROR_INVALID_FLAGS for them) and the used-default report.
bool TakesNoFlags(UINT codePage) {
    return codePage == 42 || (codePage >= 50220 && codePage <= 50229) || codePage == 52936 ||
           codePage == 54936 || (codePage >= 57002 && codePage <= 57011) || codePage == 65000 ||
           codePage == 65001;
}

int ClampToInt(size_t n) {
    return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

class Win32CodePageService final : public platform::CodePages {
  public:
    uint32_t AnsiCodePage() override { return GetACP(); }
    uint32_t OemCodePage() override { return GetOEMCP(); }

    bool IsValidCodePage(uint32_t codePage) override {
        return ::IsValidCodePage(codePage) != FALSE;
    }

    int MaxCharSize(uint32_t codePage) override {
        CPINFO info{};
        if (!GetCPInfo(codePage, &info)) return 0;
        return static_cast<int>(info.MaxCharSize);
    }

    bool IsLeadByte(uint32_t codePage, uint8_t byte) override {
        return IsDBCSLeadByteEx(codePage, byte) != FALSE;
    }

    const char16_t* ByteTable(uint32_t codePage, bool glyphChars) override {
        if (codePage == platform::kAnsiCodePage) codePage = GetACP();
        if (codePage == platform::kOemCodePage) codePage = GetOEMCP();
        const uint64_t key = (static_cast<uint64_t>(codePage) << 1) | (glyphChars ? 1 : 0);
        // Single received characters ask for the same table byte after byte.
        if (key == lastKey_) return lastTable_;
        auto found = tables_.find(key);
        if (found != tables_.end()) {
            lastKey_ = key;
            lastTable_ = found->second ? found->second->data() : nullptr;
            return lastTable_;
        }
        std::unique_ptr<std::array<char16_t, 256>> table;
        if (MaxCharSize(codePage) == 1 && !TakesNoFlags(codePage)) {
            table = std::make_unique<std::array<char16_t, 256>>();
            const DWORD flags = MB_PRECOMPOSED | (glyphChars ? MB_USEGLYPHCHARS : 0);
            for (int b = 0; b < 256; ++b) {
                const char byte = static_cast<char>(b);
                wchar_t ch = 0xFFFF;
                if (MultiByteToWideChar(codePage, flags, &byte, 1, &ch, 1) != 1) ch = 0xFFFF;
                (*table)[static_cast<size_t>(b)] = static_cast<char16_t>(ch);
            }
        }
        const char16_t* data = table ? table->data() : nullptr;
        tables_.emplace(key, std::move(table));
        lastKey_ = key;
        lastTable_ = data;
        return data;
    }

    size_t ToWide(uint32_t codePage, const uint8_t* bytes, size_t n, uint32_t flags, char16_t* out,
                  size_t capacity) override {
        if (n == 0 || capacity == 0) return 0;
        DWORD systemFlags = 0;
        const UINT resolved = Resolve(codePage);
        if (!TakesNoFlags(resolved)) {
            if (flags & platform::kPrecomposed) systemFlags |= MB_PRECOMPOSED;
            if (flags & platform::kGlyphChars) systemFlags |= MB_USEGLYPHCHARS;
        }
        if ((flags & platform::kFailOnInvalid) &&
            (!TakesNoFlags(resolved) || resolved == 54936 || resolved == 65001))
            systemFlags |= MB_ERR_INVALID_CHARS;
        const int written = MultiByteToWideChar(
            codePage, systemFlags, reinterpret_cast<const char*>(bytes), ClampToInt(n),
            reinterpret_cast<wchar_t*>(out), ClampToInt(capacity));
        return written > 0 ? static_cast<size_t>(written) : 0;
    }

    size_t FromWide(uint32_t codePage, const char16_t* text, size_t n, uint8_t* out,
                    size_t capacity, bool* usedDefault) override {
        if (usedDefault) *usedDefault = false;
        if (n == 0 || capacity == 0) return 0;
        BOOL defaultUsed = FALSE;
        const bool reportsDefault = !TakesNoFlags(Resolve(codePage));
        const int written =
            WideCharToMultiByte(codePage, 0, reinterpret_cast<const wchar_t*>(text), ClampToInt(n),
                                reinterpret_cast<char*>(out), ClampToInt(capacity), nullptr,
                                reportsDefault ? &defaultUsed : nullptr);
        if (usedDefault) *usedDefault = defaultUsed != FALSE;
        return written > 0 ? static_cast<size_t>(written) : 0;
    }

    std::optional<std::string> SystemName(uint32_t codePage) override {
        CPINFOEXA info{};
        if (!GetCPInfoExA(codePage, 0, &info)) return std::nullopt;
        return std::string(info.CodePageName);
    }

    std::vector<uint32_t> InstalledCodePages() override {
        enumerated_.clear();
        EnumSystemCodePagesA(CollectCodePage, CP_INSTALLED);
        std::vector<uint32_t> pages;
        pages.swap(enumerated_);
        return pages;
    }

  private:
    static UINT Resolve(uint32_t codePage) {
        if (codePage == platform::kAnsiCodePage) return GetACP();
        if (codePage == platform::kOemCodePage) return GetOEMCP();
        return codePage;
    }

    // The enumeration's callback takes no context; one thread enumerates at a time.
    static BOOL CALLBACK CollectCodePage(LPSTR text) {
        const unsigned long value = strtoul(text, nullptr, 10);
        if (value != 0 && value <= UINT32_MAX) enumerated_.push_back(static_cast<uint32_t>(value));
        return TRUE;
    }

    static std::vector<uint32_t> enumerated_;
    std::map<uint64_t, std::unique_ptr<std::array<char16_t, 256>>> tables_;
    uint64_t lastKey_ = UINT64_MAX;
    const char16_t* lastTable_ = nullptr;
};

std::vector<uint32_t> Win32CodePageService::enumerated_;

Win32CodePageService win32CodePages;

}  // namespace

platform::CodePages& Win32CodePages() {
    return win32CodePages;
}

void InstallWin32CodePages() {
    platform::SetCodePages(&win32CodePages);
}

}  // namespace console
