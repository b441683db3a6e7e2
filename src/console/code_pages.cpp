#include "console/code_pages.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <initializer_list>

#include "console/code_page_tables.h"

namespace platform {
namespace {

struct ReverseEntry {
    char16_t ch;
    uint8_t byte;
};

// The built-in service's tables derived from the generated ones, made on first use of a page.
struct BuiltinPageCache {
    static constexpr size_t kMaxPages = 64;
    std::array<std::array<ReverseEntry, 256>, kMaxPages> reverse{};
    std::bitset<kMaxPages> reverseMade;
    std::array<std::array<char16_t, 256>, kMaxPages> glyphs{};
    std::bitset<kMaxPages> glyphsMade;
};
BuiltinPageCache pageCache;

struct CodePageState {
    BuiltinCodePages builtin;
    CodePages* installed = nullptr;
    uint32_t generation = 0;
};
CodePageState codePageState;

const console::CodePageTable* FindTable(uint32_t number, size_t* index = nullptr) {
    const auto tables = console::BuiltinCodePageTables();
    const auto it =
        std::lower_bound(tables.begin(), tables.end(), number,
                         [](const console::CodePageTable& t, uint32_t n) { return t.number < n; });
    if (it == tables.end() || it->number != number) return nullptr;
    if (index) *index = static_cast<size_t>(it - tables.begin());
    return &*it;
}

const std::array<ReverseEntry, 256>& ReverseTable(const console::CodePageTable& table,
                                                  size_t index) {
    auto& reverse = pageCache.reverse[index];
    if (!pageCache.reverseMade[index]) {
        for (size_t b = 0; b < 256; ++b) reverse[b] = {table.chars[b], static_cast<uint8_t>(b)};
        std::sort(reverse.begin(), reverse.end(),
                  [](const ReverseEntry& a, const ReverseEntry& b) { return a.ch < b.ch; });
        pageCache.reverseMade[index] = true;
    }
    return reverse;
}

}  // namespace

static_assert(BuiltinPageCache::kMaxPages >= 32);

CodePages& CurrentCodePages() {
    return codePageState.installed ? *codePageState.installed : codePageState.builtin;
}

void SetCodePages(CodePages* service) {
    codePageState.installed = service;
    ++codePageState.generation;
}

uint32_t CodePagesGeneration() {
    return codePageState.generation;
}

BuiltinCodePages& BuiltinCodePagesInstance() {
    return codePageState.builtin;
}

void ResetCodePages() {
    codePageState.installed = nullptr;
    ++codePageState.generation;
    codePageState.builtin.SetSystemPages(1252, 437);
}

void BuiltinCodePages::SetSystemPages(uint32_t ansi, uint32_t oem) {
    ansi_ = ansi;
    oem_ = oem;
    ++codePageState.generation;
}

bool BuiltinCodePages::IsValidCodePage(uint32_t codePage) {
    return codePage > kOemCodePage && FindTable(codePage) != nullptr;
}

int BuiltinCodePages::MaxCharSize(uint32_t codePage) {
    if (codePage == kAnsiCodePage) codePage = ansi_;
    if (codePage == kOemCodePage) codePage = oem_;
    return FindTable(codePage) ? 1 : 0;
}

const char16_t* BuiltinCodePages::ByteTable(uint32_t codePage, bool glyphChars) {
    if (codePage == kAnsiCodePage) codePage = ansi_;
    if (codePage == kOemCodePage) codePage = oem_;
    if (lastTable_ != nullptr && codePage == lastPage_ && glyphChars == lastGlyphs_) return lastTable_;
    size_t index = 0;
    const console::CodePageTable* table = FindTable(codePage, &index);
    if (!table || index >= BuiltinPageCache::kMaxPages) return nullptr;
    lastPage_ = codePage;
    lastGlyphs_ = glyphChars;
    if (!glyphChars || table->glyphs == console::GlyphRow::None) {
        lastTable_ = table->chars.data();
        return lastTable_;
    }
    auto& glyphs = pageCache.glyphs[index];
    if (!pageCache.glyphsMade[index]) {
        glyphs = table->chars;
        if (table->glyphs == console::GlyphRow::Dos)
            std::copy(console::kDosGlyphs.begin(), console::kDosGlyphs.end(), glyphs.begin());
        glyphs[0x7F] = console::kDosGlyphDel;
        pageCache.glyphsMade[index] = true;
    }
    lastTable_ = glyphs.data();
    return lastTable_;
}

size_t BuiltinCodePages::ToWide(uint32_t codePage, const uint8_t* bytes, size_t n, uint32_t flags,
                                char16_t* out, size_t capacity) {
    const char16_t* table = ByteTable(codePage, (flags & kGlyphChars) != 0);
    if (!table || n == 0 || capacity < n) return 0;
    for (size_t i = 0; i < n; ++i) out[i] = table[bytes[i]];
    return n;
}

size_t BuiltinCodePages::FromWide(uint32_t codePage, const char16_t* text, size_t n, uint8_t* out,
                                  size_t capacity, bool* usedDefault) {
    if (usedDefault) *usedDefault = false;
    if (codePage == kAnsiCodePage) codePage = ansi_;
    if (codePage == kOemCodePage) codePage = oem_;
    size_t index = 0;
    const console::CodePageTable* table = FindTable(codePage, &index);
    if (!table || index >= BuiltinPageCache::kMaxPages || n == 0 || capacity < n) return 0;
    const auto& reverse = ReverseTable(*table, index);
    for (size_t i = 0; i < n; ++i) {
        const auto it =
            std::lower_bound(reverse.begin(), reverse.end(), text[i],
                             [](const ReverseEntry& e, char16_t c) { return e.ch < c; });
        if (it != reverse.end() && it->ch == text[i]) {
            out[i] = it->byte;
        } else {
            out[i] = '?';
            if (usedDefault) *usedDefault = true;
        }
    }
    return n;
}

std::vector<uint32_t> BuiltinCodePages::InstalledCodePages() {
    std::vector<uint32_t> pages;
    for (const auto& table : console::BuiltinCodePageTables()) pages.push_back(table.number);
    return pages;
}

size_t RunToWide(uint32_t codePage, const uint8_t* bytes, size_t n, uint32_t flags, char16_t* out) {
    if (n == 0) return 0;
    CodePages& service = CurrentCodePages();
    if (const char16_t* table = service.ByteTable(codePage, (flags & kGlyphChars) != 0)) {
        for (size_t i = 0; i < n; ++i) out[i] = table[bytes[i]];
        return n;
    }
    return service.ToWide(codePage, bytes, n, flags, out, n);
}

std::u16string BytesToWide(uint32_t codePage, std::string_view bytes, uint32_t flags) {
    std::u16string out(bytes.size(), u'\0');
    const size_t n = RunToWide(codePage, reinterpret_cast<const uint8_t*>(bytes.data()),
                               bytes.size(), flags, out.data());
    out.resize(n);
    return out;
}

std::string WideToBytes(uint32_t codePage, std::u16string_view text, bool* usedDefault) {
    if (usedDefault) *usedDefault = false;
    if (text.empty()) return {};
    // Single-byte pages need one byte per unit; stateful and multibyte pages may need more.
    for (size_t room : {text.size(), text.size() * 4 + 16}) {
        std::string out(room, '\0');
        const size_t n =
            CurrentCodePages().FromWide(codePage, text.data(), text.size(),
                                        reinterpret_cast<uint8_t*>(out.data()), room, usedDefault);
        if (n != 0) {
            out.resize(n);
            return out;
        }
    }
    return {};
}

}  // namespace platform
