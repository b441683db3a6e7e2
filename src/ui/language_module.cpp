#include "ui/language_module.h"

namespace platform {
namespace {

class NoLanguageModules final : public LanguageModuleLoader {
  public:
    std::string ProgramDirectory() override { return {}; }
    std::string LanguageAbbreviation(uint16_t) override { return {}; }
    uint64_t Load(const std::string&) override { return 0; }
    void Free(uint64_t) override {}
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

}  // namespace ui
