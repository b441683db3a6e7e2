#include "ui/language_module.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

class FakeLoader : public platform::LanguageModuleLoader {
  public:
    std::set<std::string> files;
    std::vector<std::string> attempts;
    std::vector<uint64_t> freed;

    std::string ProgramDirectory() override { return "C:\\VZ\\"; }
    std::string LanguageAbbreviation(uint16_t id) override { return id == 0x0407 ? "DEU" : "FRA"; }
    uint64_t Load(const std::string& path) override {
        attempts.push_back(path);
        return files.count(path) ? 100 + attempts.size() : 0;
    }
    void Free(uint64_t module) override { freed.push_back(module); }
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

}  // namespace
