#pragma once
// The language resource module: loaded once per run for the settings' language.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Loading resource-only modules. Handles are opaque to the portable code; 0 is none.
class LanguageModuleLoader {
  public:
    virtual ~LanguageModuleLoader() = default;
    // The folder of the program's own executable, with its trailing separator.
    virtual std::string ProgramDirectory() = 0;
    // The language's abbreviated name (such as DEU); empty when the system has none.
    virtual std::string LanguageAbbreviation(uint16_t languageId) = 0;
    virtual uint64_t Load(const std::string& path) = 0;
    virtual void Free(uint64_t module) = 0;
    // Names (without the folder) of the files in the program's folder that match the pattern,
    // hidden, read-only and archive files included.
    virtual std::vector<std::string> FindModuleFiles(const std::string& pattern) = 0;
    // The language the module's menu "MAINMENU" carries (the last one when it has several);
    // false when it has none.
    virtual bool MenuLanguage(uint64_t module, uint16_t& languageId) = 0;
    // The language's own name for itself and its name in the system's language, as Unicode;
    // empty when the system has none.
    virtual std::u16string NativeLanguageName(uint16_t languageId) = 0;
    virtual std::u16string LocalizedLanguageName(uint16_t languageId) = 0;
};

// The loader in use: the one installed with SetLanguageModuleLoader, else one that finds nothing.
LanguageModuleLoader& CurrentLanguageModuleLoader();
void SetLanguageModuleLoader(LanguageModuleLoader* loader);

}  // namespace platform

namespace ui {

inline constexpr char kCustomModuleName[] = "VODORERU.DLL";

struct LanguageModuleUnit {
    uint64_t LanguageModule = 0;      // the loaded module; 0 when none
    uint8_t LanguageModuleState = 2;  // 2 not tried yet, 0 loaded, 1 no module could be loaded
};
extern LanguageModuleUnit languageModule;
// Frees a loaded module and goes back to "not tried yet".
void ResetLanguageModule();

// Makes sure the module for the language is loaded, trying once per run: the program's folder +
// "VODORERU.DLL", then + "OZMEL" + the language's abbreviation + ".DLL". True when a module is
// loaded or the id is 0.
bool LoadLanguageDll(uint16_t languageId);

// The module that menus, dialogs and accelerators of the language come from: the loaded language
// module, or 0 for the program's own resources (language 0, or no module for the language).
uint64_t ResourceModuleFor(uint16_t languageId);

// The languages the chooser offers: "English" (id 0) first, then one entry per installed module
// whose menu carries the language its file name says.
struct MenuLanguageList {
    std::vector<std::u16string> nativeNames;     // the listed text
    std::vector<std::u16string> localizedNames;  // the second name a typed name may match
    std::vector<uint16_t> languageIds;
    size_t preselected = 0;  // the entry of the current language
};
MenuLanguageList ListMenuLanguages(uint16_t currentLanguageId);

// A typed name matches a listed one when they are equal ignoring case, or when the listed one cut
// before its first "(" and trimmed is (so "Deutsch" matches "Deutsch (Deutschland)").
bool LanguageNameMatches(std::u16string_view typed, std::u16string_view listed);

inline constexpr int kNoSuchLanguage = -1;
inline constexpr int kLanguageListCancelled = -2;

// The language id for a name, showing the list of installed languages when the name is empty:
// 0 for "English", kNoSuchLanguage when nothing matches, kLanguageListCancelled when the user
// cancelled the list.
int ChooseMenuLanguage(std::string_view name);

// Switches the menu and message language: frees the module, loads the one for the id, stores the
// id (0 when no module could be loaded) and refreshes the texts on show. True when loaded.
bool SetMenuLanguage(uint16_t languageId);

// What a language switch refreshes and the list it shows, installed by the platform; entries left
// null do nothing (and the list answers as cancelled).
// The do-nothing answers every slot below starts with: a refresh that
// changes nothing, and a list dialog that is cancelled.
void NoMenuLanguageRefresh();
bool NoLanguageChosen(std::u16string_view caption, std::u16string_view prompt,
                      const std::vector<std::u16string>& lines, size_t preselected,
                      std::u16string& chosen);

// Every slot is filled from the start, so callers never test one for null.
struct MenuLanguageHooks {
    // The menu bar of the terminal window in the current language.
    void (*RefreshMenuBar)() = NoMenuLanguageRefresh;
    // The accelerator table in the current language.
    void (*RefreshAccelerators)() = NoMenuLanguageRefresh;
    // The title line, unless the host has set it.
    void (*RefreshTitleLine)() = NoMenuLanguageRefresh;
    // The list of lines in a list dialog with a caption and prompt, the preselected line marked;
    // true with the chosen line, false when cancelled.
    bool (*ChooseFromList)(std::u16string_view caption, std::u16string_view prompt,
                           const std::vector<std::u16string>& lines, size_t preselected,
                           std::u16string& chosen) = NoLanguageChosen;
};
extern MenuLanguageHooks menuLanguageHooks;

}  // namespace ui
