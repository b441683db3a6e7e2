#include "ui/language_module.h"

#include <windows.h>

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
