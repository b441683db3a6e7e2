// Message texts under Windows: a language module in front of the program's own string table.

#include "console/messages.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "console/globals.h"
#include "console/win32/install_services.h"
#include "console/win32/lang_strings.h"
#include "ui/language_module.h"
#include "ui/win32/language_module_handle.h"

namespace {

constexpr uint16_t kGerman = 0x0407;
uint16_t German() {
    return kGerman;
}
uint16_t French() {
    return 0x040C;
}

class Win32Messages : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::InstallWin32Services();
        ui::ResetLanguageModule();
        console::ResetMessages();
        console::messages.languageId = German;
    }
    void TearDown() override {
        console::ResetMessages();
        ui::ResetLanguageModule();
    }
};

TEST_F(Win32Messages, TheTestModuleIsFoundByTheLanguagesAbbreviation) {
    // The program's folder holds OZMELDEU.DLL and no customisation module.
    EXPECT_TRUE(ui::LoadLanguageDll(kGerman));
    ASSERT_NE(ui::LanguageModuleHandle(), nullptr);
    EXPECT_EQ(ui::languageModule.LanguageModuleState, 0);
}

TEST_F(Win32Messages, ModuleTextOverridesAndMissingTextsFallBack) {
    EXPECT_EQ(console::GetMessageW(607, false), u"UNG\u00DCLTIGE FUNKTION");
    // 606 shares the module's block with 607 but has no entry; 609 lies in a block it lacks.
    EXPECT_EQ(console::GetMessageW(606, false), u"NO OUTPUT FILE OPEN");
    EXPECT_EQ(console::GetMessageW(609, false), u"FILE OR SUBDIRECTORY ERROR");
    EXPECT_EQ(console::GetMessageText(609, false), "FILE OR SUBDIRECTORY ERROR");
    EXPECT_EQ(console::GetMessageW(39999, false), u"");
    EXPECT_EQ(console::GetMessageW(39999, true), u"(Resource string error)");
    console::BuildVersionText();
    EXPECT_EQ(console::globals.VersionText, "Fassung 12.6f");
}

TEST_F(Win32Messages, OwnTextsWhenNoModuleExistsForTheLanguage) {
    console::messages.languageId = French;
    EXPECT_EQ(console::GetMessageW(607, false), u"INVALID FUNCTION");
    EXPECT_EQ(std::string(console::GetMessagePtr(610, false)), "CAN'T OPEN PRINTER NAMED: ");
    EXPECT_EQ(ui::languageModule.LanguageModuleState, 1);
}

TEST_F(Win32Messages, LongModuleTextAndTheShortString) {
    std::string all = console::GetMessagePtr(40000, false);
    EXPECT_EQ(all.size(), 300u);
    EXPECT_EQ(all.substr(0, 3), "abc");
    EXPECT_EQ(console::GetMessageText(40000, false), "");
    EXPECT_EQ(console::GetMessageText(40000, true), "(Resource string error)");

    ASSERT_TRUE(ui::LoadLanguageDll(kGerman));
    char small[10];
    EXPECT_EQ(
        console::LoadLangStringA(ui::LanguageModuleHandle(), 40000, small, kGerman, sizeof small),
        -300);
    char enough[64];
    EXPECT_EQ(
        console::LoadLangStringA(ui::LanguageModuleHandle(), 923, enough, kGerman, sizeof enough),
        8);
    EXPECT_STREQ(enough, "Fassung ");
    EXPECT_EQ(
        console::LoadLangStringA(ui::LanguageModuleHandle(), 606, enough, kGerman, sizeof enough),
        0);
}

TEST_F(Win32Messages, ProgramsOwnTableIsLinkedIn) {
    HMODULE own = GetModuleHandleW(nullptr);
    wchar_t buffer[64] = {};
    ASSERT_GT(LoadStringW(own, 4, buffer, 64), 0);
    EXPECT_STREQ(buffer, L"wendrosta.def");
    console::messages.languageId = nullptr;
    EXPECT_EQ(console::GetMessageFmt(
                  17001, std::vector<console::FormatArg>{std::u16string(u"h"), int64_t{22},
                                                         std::u16string(u"f")}),
              u"Please verify SSH host key for h port 22 is f");
}

}  // namespace
