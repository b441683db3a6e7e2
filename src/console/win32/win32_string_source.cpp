#include <windows.h>

#include "console/messages.h"
#include "console/win32/install_services.h"
#include "console/win32/lang_strings.h"
#include "ui/language_module.h"
#include "ui/win32/language_module_handle.h"

namespace platform {

class Win32StringSource final : public StringSource {
  public:
    bool LanguageModuleReady(uint16_t languageId) override {
        return ui::LoadLanguageDll(languageId) && ui::LanguageModuleHandle() != nullptr;
    }

    std::u16string LanguageText(uint16_t id, uint16_t languageId) override {
        return console::LoadLangStringW(ui::LanguageModuleHandle(), id, languageId);
    }

    std::u16string OwnText(uint16_t id, uint16_t languageId) override {
        HMODULE own = GetModuleHandleW(nullptr);
        std::u16string text = console::LoadLangStringW(own, id, languageId);
        if (!text.empty()) return text;
        // The program's own table is tagged with one language; any other language id still
        // reaches it through LoadString, so a text is never lost to the tag.
        const wchar_t* resource = nullptr;
        int length = LoadStringW(own, id, reinterpret_cast<LPWSTR>(&resource), 0);
        if (length <= 0 || !resource) return {};
        return std::u16string(reinterpret_cast<const char16_t*>(resource),
                              static_cast<size_t>(length));
    }
};

StringSource& Win32StringSourceInstance() {
    static Win32StringSource source;
    return source;
}

}  // namespace platform
