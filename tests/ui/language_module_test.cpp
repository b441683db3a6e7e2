#include "ui/language_module.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "commands/settings_record.h"

namespace {

class FakeLoader : public platform::LanguageModuleLoader {
  public:
    std::set<std::string> files;
    std::vector<std::string> attempts;
    std::vector<uint64_t> freed;

    std::string ProgramDirectory() override { return "C:\\VZ\\"; }
    std::string LanguageAbbreviation(uint16_t id) override {
        switch (id) {
            case 0x0407:
                return "DEU";
            case 0x040C:
                return "FRA";
            case 0x0C0C:
                return "FRC";
            default:
                return {};
        }
    }
    uint64_t Load(const std::string& path) override {
        attempts.push_back(path);
        if (!files.count(path)) return 0;
        uint64_t module = 100 + attempts.size();
        loadedFrom[module] = path;
        return module;
    }
    void Free(uint64_t module) override { freed.push_back(module); }

    // The menu language of each module file, by file name; absent means no menu.
    std::map<std::string, uint16_t> menuLanguages;
    std::map<uint64_t, std::string> loadedFrom;
    std::vector<std::string> FindModuleFiles(const std::string& pattern) override {
        EXPECT_EQ(pattern, "OZMEL*.DLL");
        std::vector<std::string> names;
        for (const auto& path : files)
            if (path.rfind("C:\\VZ\\OZMEL", 0) == 0) names.push_back(path.substr(6));
        return names;
    }
    bool MenuLanguage(uint64_t module, uint16_t& languageId) override {
        auto found = menuLanguages.find(loadedFrom[module].substr(6));
        if (found == menuLanguages.end()) return false;
        languageId = found->second;
        return true;
    }
    std::u16string NativeLanguageName(uint16_t id) override {
        return id == 0x0407 ? u"Deutsch" : id == 0x040C ? u"fran\u00E7ais" : u"";
    }
    std::u16string LocalizedLanguageName(uint16_t id) override {
        return id == 0x0407 ? u"German (Germany)" : id == 0x040C ? u"French (France)" : u"";
    }
};

class LanguageModuleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::SetLanguageModuleLoader(&loader);
        ui::ResetLanguageModule();
    }
    void TearDown() override {
        ui::ResetLanguageModule();
        platform::SetLanguageModuleLoader(nullptr);
    }
    FakeLoader loader;
};

TEST_F(LanguageModuleTest, LanguageZeroLoadsNothing) {
    EXPECT_TRUE(ui::LoadLanguageDll(0));
    EXPECT_TRUE(loader.attempts.empty());
    EXPECT_EQ(ui::languageModule.LanguageModule, 0u);
}

TEST_F(LanguageModuleTest, CustomisationModuleComesFirst) {
    loader.files = {"C:\\VZ\\VODORERU.DLL", "C:\\VZ\\OZMELDEU.DLL"};
    EXPECT_TRUE(ui::LoadLanguageDll(0x0407));
    EXPECT_EQ(loader.attempts, (std::vector<std::string>{"C:\\VZ\\VODORERU.DLL"}));
    EXPECT_NE(ui::languageModule.LanguageModule, 0u);
    EXPECT_TRUE(ui::LoadLanguageDll(0x040C)) << "loaded once for the run";
    EXPECT_EQ(loader.attempts.size(), 1u);
}

TEST_F(LanguageModuleTest, PerLanguageModuleByAbbreviation) {
    loader.files = {"C:\\VZ\\OZMELDEU.DLL"};
    EXPECT_TRUE(ui::LoadLanguageDll(0x0407));
    EXPECT_EQ(loader.attempts,
              (std::vector<std::string>{"C:\\VZ\\VODORERU.DLL", "C:\\VZ\\OZMELDEU.DLL"}));
    uint64_t module = ui::languageModule.LanguageModule;
    ui::ResetLanguageModule();
    EXPECT_EQ(loader.freed, (std::vector<uint64_t>{module}));
    EXPECT_EQ(ui::languageModule.LanguageModuleState, 2);
}

TEST_F(LanguageModuleTest, FailedAttemptIsNotRepeated) {
    EXPECT_FALSE(ui::LoadLanguageDll(0x040C));
    EXPECT_EQ(ui::languageModule.LanguageModuleState, 1);
    size_t tries = loader.attempts.size();
    loader.files = {"C:\\VZ\\OZMELFRA.DLL"};
    EXPECT_FALSE(ui::LoadLanguageDll(0x040C));
    EXPECT_EQ(loader.attempts.size(), tries);
    EXPECT_TRUE(ui::LoadLanguageDll(0)) << "language 0 needs no module";
}

TEST_F(LanguageModuleTest, ResourcesComeFromTheModuleOnlyForALoadedLanguage) {
    EXPECT_EQ(ui::ResourceModuleFor(0), 0u);
    EXPECT_TRUE(loader.attempts.empty()) << "language 0 is the program's own";
    EXPECT_EQ(ui::ResourceModuleFor(0x040C), 0u) << "no module: the program's own";
    ui::ResetLanguageModule();
    loader.files = {"C:\\VZ\\OZMELDEU.DLL"};
    uint64_t module = ui::ResourceModuleFor(0x0407);
    EXPECT_NE(module, 0u);
    EXPECT_EQ(module, ui::languageModule.LanguageModule);
}

class MenuLanguageTest : public LanguageModuleTest {
  protected:
    void SetUp() override {
        LanguageModuleTest::SetUp();
        commands::Settings.LanguageId.Set(0);
        ui::menuLanguageHooks = ui::MenuLanguageHooks{};
        // The German module is right; the one named for French carries a French-Canadian menu, the
        // one named for Dutch has no menu, and the customisation module is no language module.
        loader.files = {"C:\\VZ\\OZMELDEU.DLL", "C:\\VZ\\OZMELFRA.DLL", "C:\\VZ\\OZMELNLD.DLL",
                        "C:\\VZ\\VODORERU.DLL"};
        loader.menuLanguages = {{"OZMELDEU.DLL", 0x0407}, {"OZMELFRA.DLL", 0x0C0C}};
    }
    void TearDown() override {
        ui::menuLanguageHooks = ui::MenuLanguageHooks{};
        commands::Settings.LanguageId.Set(0);
        LanguageModuleTest::TearDown();
    }
};

TEST_F(MenuLanguageTest, OnlyModulesWhoseMenuCarriesTheirLanguageAreListed) {
    ui::MenuLanguageList list = ui::ListMenuLanguages(0x0407);
    EXPECT_EQ(list.nativeNames, (std::vector<std::u16string>{u"English", u"Deutsch"}));
    EXPECT_EQ(list.languageIds, (std::vector<uint16_t>{0, 0x0407}));
    EXPECT_EQ(list.preselected, 1u);
    EXPECT_EQ(loader.freed.size(), 3u) << "every module looked at is freed again";
    EXPECT_EQ(ui::ListMenuLanguages(0).preselected, 0u);

    loader.menuLanguages["OZMELFRA.DLL"] = 0x040C;
    list = ui::ListMenuLanguages(0);
    EXPECT_EQ(list.languageIds, (std::vector<uint16_t>{0, 0x0407, 0x040C}));
}

TEST_F(MenuLanguageTest, NamesMatchIgnoringCaseAndTheCountry) {
    struct Case {
        std::u16string typed, listed;
        bool match;
    } cases[] = {
        {u"deutsch", u"Deutsch", true},
        {u"German", u"German (Germany)", true},
        {u"german (germany)", u"German (Germany)", true},
        {u"Germ", u"German (Germany)", false},
        {u"FRAN\u00C7AIS", u"fran\u00E7ais", true},
        {u"Deutsch", u"(Deutsch)", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ui::LanguageNameMatches(c.typed, c.listed), c.match)
            << std::string(c.typed.begin(), c.typed.end());
}

TEST_F(MenuLanguageTest, ChooseByNameOrFromTheList) {
    EXPECT_EQ(ui::ChooseMenuLanguage(" english "), 0);
    EXPECT_EQ(ui::ChooseMenuLanguage("DEUTSCH"), 0x0407);
    EXPECT_EQ(ui::ChooseMenuLanguage("German"), 0x0407);
    EXPECT_EQ(ui::ChooseMenuLanguage("French"), ui::kNoSuchLanguage) << "its module is not listed";
    EXPECT_EQ(ui::ChooseMenuLanguage(""), ui::kLanguageListCancelled) << "no list dialog";

    static std::u16string answer;
    static std::vector<std::u16string> shown;
    static size_t shownPreselected;
    ui::menuLanguageHooks.ChooseFromList = [](std::u16string_view caption, std::u16string_view,
                                              const std::vector<std::u16string>& lines,
                                              size_t preselected, std::u16string& chosen) {
        EXPECT_EQ(caption, u"Menu Language");
        shown = lines;
        shownPreselected = preselected;
        chosen = answer;
        return !answer.empty();
    };
    answer = u"Deutsch";
    EXPECT_EQ(ui::ChooseMenuLanguage("  "), 0x0407);
    EXPECT_EQ(shown, (std::vector<std::u16string>{u"English", u"Deutsch"}));
    EXPECT_EQ(shownPreselected, 0u);
    answer.clear();
    EXPECT_EQ(ui::ChooseMenuLanguage(""), ui::kLanguageListCancelled);
}

TEST_F(MenuLanguageTest, SwitchingStoresTheLanguageOnlyWhenItsModuleLoads) {
    static int menuRefreshes, acceleratorRefreshes;
    menuRefreshes = acceleratorRefreshes = 0;
    ui::menuLanguageHooks.RefreshMenuBar = [] { ++menuRefreshes; };
    ui::menuLanguageHooks.RefreshAccelerators = [] { ++acceleratorRefreshes; };
    loader.files.erase("C:\\VZ\\VODORERU.DLL");

    EXPECT_TRUE(ui::SetMenuLanguage(0x0407));
    EXPECT_EQ(commands::Settings.LanguageId.Get(), 0x0407);
    uint64_t german = ui::languageModule.LanguageModule;
    EXPECT_NE(german, 0u);

    // A language without a module frees the old one and falls back to the program's own.
    EXPECT_FALSE(ui::SetMenuLanguage(0x0410));
    EXPECT_EQ(commands::Settings.LanguageId.Get(), 0);
    EXPECT_EQ(loader.freed.back(), german);
    EXPECT_EQ(ui::languageModule.LanguageModule, 0u);
    EXPECT_EQ(menuRefreshes, 2);
    EXPECT_EQ(acceleratorRefreshes, 2);

    EXPECT_TRUE(ui::SetMenuLanguage(0));
    EXPECT_EQ(commands::Settings.LanguageId.Get(), 0);
}

}  // namespace
