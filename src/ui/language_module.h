#pragma once
// The language resource module: loaded once per run for the settings' language.

#include <cstdint>
#include <string>

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

}  // namespace ui
