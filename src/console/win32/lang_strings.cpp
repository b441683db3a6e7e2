#include "console/win32/lang_strings.h"

namespace console {

std::u16string LoadLangStringW(HMODULE module, uint16_t id, uint16_t language) {
    HRSRC found = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW((id >> 4) + 1), language);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    const WORD* block = loaded ? static_cast<const WORD*>(LockResource(loaded)) : nullptr;
    if (!block) return {};
    // A module is a file like any other: every length is checked against the block's size.
    size_t words = SizeofResource(module, found) / sizeof(WORD);
    size_t pos = 0;
    for (unsigned i = 0; i < (id & 15u); ++i) {
        if (pos >= words) return {};
        pos += 1 + block[pos];
    }
    if (pos >= words) return {};
    size_t length = block[pos];
    if (pos + 1 + length > words) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(block + pos + 1), length);
}

int LoadLangStringA(HMODULE module, uint16_t id, char* buffer, uint16_t language, int size) {
    std::u16string text = LoadLangStringW(module, id, language);
    if (text.empty() || !buffer || size < 1) return 0;
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(text.c_str());
    int length = static_cast<int>(text.size());
    int written = WideCharToMultiByte(CP_ACP, 0, wide, length, buffer, size - 1, nullptr, nullptr);
    if (written == 0) {
        buffer[0] = '\0';
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return 0;
        return -WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    }
    buffer[written] = '\0';
    return written;
}

}  // namespace console
