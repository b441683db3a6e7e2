#include "ui/language_module.h"

#include <algorithm>

#include "commands/settings_record.h"
#include "console/code_pages.h"
#include "console/globals.h"
#include "console/messages.h"
#include "console/terminal_window.h"

namespace platform {
namespace {

class NoLanguageModules final : public LanguageModuleLoader {
  public:
    std::string ProgramDirectory() override { return {}; }
    std::string LanguageAbbreviation(uint16_t) override { return {}; }
    uint64_t Load(const std::string&) override { return 0; }
    void Free(uint64_t) override {}
    std::vector<std::string> FindModuleFiles(const std::string&) override { return {}; }
    bool MenuLanguage(uint64_t, uint16_t&) override { return false; }
    std::u16string NativeLanguageName(uint16_t) override { return {}; }
    std::u16string LocalizedLanguageName(uint16_t) override { return {}; }
};

LanguageModuleLoader* installed = nullptr;

}  // namespace

LanguageModuleLoader& CurrentLanguageModuleLoader() {
    static NoLanguageModules fallback;
    return installed ? *installed : fallback;
}

void SetLanguageModuleLoader(LanguageModuleLoader* loader) {
    installed = loader;
}

}  // namespace platform

namespace ui {

LanguageModuleUnit languageModule;

void ResetLanguageModule() {
    if (languageModule.LanguageModule != 0)
        platform::CurrentLanguageModuleLoader().Free(languageModule.LanguageModule);
    languageModule = LanguageModuleUnit{};
}

bool LoadLanguageDll(uint16_t languageId) {
    if (languageId == 0 || languageModule.LanguageModuleState == 0) return true;
    if (languageModule.LanguageModuleState == 1) return false;
    auto& loader = platform::CurrentLanguageModuleLoader();
    std::string abbreviation = loader.LanguageAbbreviation(languageId);
    if (abbreviation.size() > 9) abbreviation.resize(9);
    std::string folder = loader.ProgramDirectory();
    uint64_t module = loader.Load(folder + kCustomModuleName);
    if (module == 0) module = loader.Load(folder + "OZMEL" + abbreviation + ".DLL");
    languageModule.LanguageModule = module;
    languageModule.LanguageModuleState = module != 0 ? 0 : 1;
    return module != 0;
}

uint64_t ResourceModuleFor(uint16_t languageId) {
    if (languageId == 0 || !LoadLanguageDll(languageId)) return 0;
    return languageModule.LanguageModule;
}

namespace {

constexpr uint16_t kMsgMenuLanguageCaption = 959;
constexpr uint16_t kMsgMenuLanguagePrompt = 960;

// Case folding for language names: ASCII, Latin-1, Greek and Cyrillic cover the names the
// system gives its languages.
char16_t FoldCase(char16_t c) {
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
    return c;
}

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    return true;
}

template <typename Text>
Text Trimmed(Text text) {
    size_t first = 0, last = text.size();
    while (first < last && text[first] <= u' ') ++first;
    while (last > first && text[last - 1] <= u' ') --last;
    return text.substr(first, last - first);
}

bool EqualNoCaseAscii(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto up = [](char c) {
                   return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
               };
               return up(x) == up(y);
           });
}

}  // namespace

bool LanguageNameMatches(std::u16string_view typed, std::u16string_view listed) {
    if (EqualNoCase(typed, listed)) return true;
    size_t paren = listed.find(u'(');
    if (paren == std::u16string_view::npos) return false;
    return EqualNoCase(typed, Trimmed(listed.substr(0, paren)));
}

MenuLanguageList ListMenuLanguages(uint16_t currentLanguageId) {
    MenuLanguageList list;
    list.nativeNames.push_back(u"English");
    list.localizedNames.push_back(u"English");
    list.languageIds.push_back(0);
    auto& loader = platform::CurrentLanguageModuleLoader();
    const std::string folder = loader.ProgramDirectory();
    for (const std::string& file : loader.FindModuleFiles("OZMEL*.DLL")) {
        uint64_t module = loader.Load(folder + file);
        if (module == 0) continue;
        uint16_t language = 0;
        bool tagged = loader.MenuLanguage(module, language);
        loader.Free(module);
        if (!tagged) continue;
        // A module is listed only for the language its file name claims.
        std::string abbreviation = loader.LanguageAbbreviation(language);
        if (abbreviation.empty() || file.size() < 8 ||
            !EqualNoCaseAscii(abbreviation, std::string_view(file).substr(5, 3)))
            continue;
        std::u16string native = loader.NativeLanguageName(language);
        std::u16string localized = loader.LocalizedLanguageName(language);
        if (native.empty()) native = localized;
        if (native.empty()) continue;
        if (language == currentLanguageId) list.preselected = list.nativeNames.size();
        list.nativeNames.push_back(std::move(native));
        list.localizedNames.push_back(std::move(localized));
        list.languageIds.push_back(language);
    }
    return list;
}

int ChooseMenuLanguage(std::string_view name) {
    MenuLanguageList list = ListMenuLanguages(commands::Settings.LanguageId.Get());
    std::u16string typed = Trimmed(platform::BytesToWide(platform::kAnsiCodePage, name, 0));
    if (typed.empty()) {
        std::u16string chosen;
        if (!menuLanguageHooks.ChooseFromList(console::GetMessageW(kMsgMenuLanguageCaption, false),
                                              console::GetMessageW(kMsgMenuLanguagePrompt, false),
                                              list.nativeNames, list.preselected, chosen))
            return kLanguageListCancelled;
        typed = Trimmed(std::u16string_view(chosen));
    }
    if (EqualNoCase(typed, u"ENGLISH")) return 0;
    for (size_t i = 1; i < list.languageIds.size(); ++i) {
        if (LanguageNameMatches(typed, list.nativeNames[i]) ||
            LanguageNameMatches(typed, list.localizedNames[i]))
            return list.languageIds[i];
    }
    return kNoSuchLanguage;
}

void NoMenuLanguageRefresh() {}

bool NoLanguageChosen(std::u16string_view, std::u16string_view, const std::vector<std::u16string>&,
                      size_t, std::u16string&) {
    return false;
}

MenuLanguageHooks menuLanguageHooks;

bool SetMenuLanguage(uint16_t languageId) {
    ResetLanguageModule();
    bool loaded = LoadLanguageDll(languageId);
    commands::Settings.LanguageId.Set(loaded ? languageId : 0);
    console::UpdateWindowTitle();
    console::BuildVersionText();
    menuLanguageHooks.RefreshTitleLine();
    menuLanguageHooks.RefreshMenuBar();
    menuLanguageHooks.RefreshAccelerators();
    return loaded;
}

}  // namespace ui
