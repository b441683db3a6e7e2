#include "ui/language_module.h"

#include <windows.h>

#include <cstdlib>

#include "console/win32/install_services.h"
#include "ui/win32/language_module_handle.h"

namespace platform {

class Win32LanguageModuleLoader final : public LanguageModuleLoader {
  public:
    std::string ProgramDirectory() override {
        char path[MAX_PATH + 1] = {};
        DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string folder(path, n < MAX_PATH ? n : MAX_PATH);
        size_t cut = folder.find_last_of("\\/:");
        return cut == std::string::npos ? std::string() : folder.substr(0, cut + 1);
    }

    std::string LanguageAbbreviation(uint16_t languageId) override {
        char name[10] = {};
        if (!GetLocaleInfoA(MAKELCID(languageId, SORT_DEFAULT), LOCALE_SABBREVLANGNAME, name,
                            sizeof name))
            return {};
        return name;
    }

    uint64_t Load(const std::string& path) override {
        // Mapped as data: the module only ever supplies resources, so none of its code runs.
        HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        return reinterpret_cast<uint64_t>(module);
    }

    void Free(uint64_t module) override { FreeLibrary(reinterpret_cast<HMODULE>(module)); }

    std::vector<std::string> FindModuleFiles(const std::string& pattern) override {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((ProgramDirectory() + pattern).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.emplace_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return names;
    }

    bool MenuLanguage(uint64_t module, uint16_t& languageId) override {
        struct Found {
            bool any = false;
            WORD language = 0;
        } found;
        auto remember = [](HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param) -> BOOL {
            auto* f = reinterpret_cast<Found*>(param);
            f->any = true;
            f->language = language;
            return TRUE;
        };
        EnumResourceLanguagesA(reinterpret_cast<HMODULE>(module), reinterpret_cast<LPCSTR>(RT_MENU),
                               "MAINMENU", remember, reinterpret_cast<LONG_PTR>(&found));
        if (!found.any) return false;
        languageId = found.language;
        return true;
    }

    std::u16string NativeLanguageName(uint16_t languageId) override {
        return LocaleText(languageId, LOCALE_SNATIVELANGNAME);
    }
    std::u16string LocalizedLanguageName(uint16_t languageId) override {
        return LocaleText(languageId, LOCALE_SLANGUAGE);
    }

  private:
    // The locale's text in its own default ANSI code page, as Unicode.
    static std::u16string LocaleText(uint16_t languageId, LCTYPE type) {
        LCID locale = MAKELCID(languageId, SORT_DEFAULT);
        char text[128] = {};
        if (!GetLocaleInfoA(locale, type, text, sizeof text) || text[0] == 0) return {};
        char page[8] = {};
        UINT codePage = 0;
        if (GetLocaleInfoA(locale, LOCALE_IDEFAULTANSICODEPAGE, page, sizeof page))
            codePage = static_cast<UINT>(strtoul(page, nullptr, 10));
        wchar_t wide[128] = {};
        int n = MultiByteToWideChar(codePage, 0, text, -1, wide, 128);
        if (n <= 1) return {};
        return std::u16string(reinterpret_cast<const char16_t*>(wide), static_cast<size_t>(n - 1));
    }
};

LanguageModuleLoader& Win32LanguageModuleLoaderInstance() {
    static Win32LanguageModuleLoader loader;
    return loader;
}

}  // namespace platform

namespace ui {

HMODULE LanguageModuleHandle() {
    return reinterpret_cast<HMODULE>(languageModule.LanguageModule);
}

}  // namespace ui
