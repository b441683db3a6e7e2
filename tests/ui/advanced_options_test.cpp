// The Advanced Options sheet from its menu items: pages filled from the
// settings, conversions and bounds on OK, nothing stored on Cancel, and the
// page last left shown first next time.
#include "ui/dialogs/advanced_options.h"

#include "dialog_fixture.h"

namespace {

using commands::Settings;
using dialog_test::Click;
using dialog_test::FakeControls;
using dialog_test::Pick;
using dialog_test::script;
using dialog_test::Type;

class AdvancedOptionsTest : public dialog_test::DialogFixture {
  protected:
    void SetUp() override {
        DialogFixture::SetUp();
        auxClosed = 0;
        ui::MenuServices.AuxClose = [] { ++auxClosed; };
    }
    static inline int auxClosed = 0;
};

TEST_F(AdvancedOptionsTest, ScrollBackSeparatorAndEuroAreConvertedOnOk) {
    struct Case {
        const char* Review;
        const char* Separator;
        bool EuroBox;
        const char* EuroTyped;  // nullptr: leave what ticking the box shows
        uint32_t WantReview;
        uint8_t WantSeparator;
        uint8_t WantEuro;
    };
    const Case cases[] = {
        {"10", ";;", true, nullptr, 44, '|', 0x80},
        {"250000", ",", true, "A4", 100000, ',', 0xA4},
        {"500", "", false, "80", 500, '|', 0},
        {"-3", "x", true, "zz", 44, 'x', 0x11},
    };
    for (const auto& c : cases) {
        Settings.ReviewLines.Set(1000);
        Settings.PromptSeparator = '|';
        Settings.EuroChar = 0x11;
        script.Edits["AOPT3"] = [&](ui::DialogModel& m, FakeControls& f) {
            EXPECT_EQ(f.Items[147].Text, "1000");
            Type(m, f, 147, c.Review);
        };
        script.Edits["AOPT4"] = [&](ui::DialogModel& m, FakeControls& f) {
            EXPECT_EQ(f.Items[122].Text, "11");
            Type(m, f, 125, c.Separator);
            Type(m, f, 122, "");
            Click(m, f, 126, false);
            Click(m, f, 126, c.EuroBox);
            if (c.EuroBox && !c.EuroTyped) EXPECT_EQ(f.Items[122].Text, "80");
            if (c.EuroTyped) Type(m, f, 122, c.EuroTyped);
        };
        EXPECT_EQ(Choose(205), "");
        EXPECT_EQ(Settings.ReviewLines.Get(), c.WantReview) << c.Review;
        EXPECT_EQ(Settings.PromptSeparator, c.WantSeparator) << c.Separator;
        EXPECT_EQ(Settings.EuroChar, c.WantEuro) << c.EuroTyped;
    }
}

TEST_F(AdvancedOptionsTest, ChoicesChecksAndBitsReachTheirSettings) {
    Settings.WindowStyle.Set(0x20000);
    Settings.AllowQuit = 1;
    Settings.BeepPitch.Set(7);  // none of the six values
    Settings.OutputFileCharset = 3;
    script.Edits["AOPT3"] = [](ui::DialogModel& m, FakeControls& f) {
        EXPECT_TRUE(f.Items[127].Checked);
        Click(m, f, 127, false);
        Click(m, f, 130);
    };
    script.Edits["AOPT1"] = [](ui::DialogModel& m, FakeControls& f) {
        EXPECT_FALSE(f.Items[149].Checked) << "the box says Disable Quit";
        Click(m, f, 149);
        Pick(m, f, 119, "Don't ask, don't save");
    };
    script.Edits["AOPT4"] = [](ui::DialogModel& m, FakeControls& f) {
        EXPECT_EQ(f.Items[124].Selection, -1);
        EXPECT_EQ(f.SelectedText(153), "UTF-8");
        Pick(m, f, 124, "Asterisk");
        Pick(m, f, 153, "OEM");
    };
    script.Edits["AOPT0"] = [](ui::DialogModel& m, FakeControls& f) {
        Pick(m, f, 116, "Popup menu");
        Pick(m, f, 152, "Send arrows to host");
    };
    Choose(205);
    EXPECT_EQ(Settings.WindowStyle.Get(), 0x80000000u);
    EXPECT_EQ(Settings.AllowQuit, 0);
    EXPECT_EQ(Settings.SaveMode, 2);
    EXPECT_EQ(Settings.BeepPitch.Get(), 64);
    EXPECT_EQ(Settings.OutputFileCharset, 1);
    EXPECT_EQ(Settings.MouseRightClick.Action, 7);
    EXPECT_EQ(Settings.MouseWheelAction, 2);
}

TEST_F(AdvancedOptionsTest, CancelStoresNothingButTheLastPageIsRemembered) {
    const commands::SettingsRecord before = Settings;
    script.PressOk = false;
    script.Edits["AOPT2"] = [](ui::DialogModel& m, FakeControls& f) {
        EXPECT_FALSE(f.Items[143].Enabled) << "no start-up key";
        Click(m, f, 144);
        EXPECT_TRUE(f.Items[143].Enabled);
        Type(m, f, 143, "315");
    };
    script.Edits["AOPT5"] = [](ui::DialogModel& m, FakeControls& f) { Click(m, f, 501); };
    Choose(205);
    EXPECT_EQ(script.Opened, (std::vector<std::string>{"AOPT4", "AOPT2", "AOPT5"}));
    EXPECT_TRUE(std::memcmp(&before, &Settings, sizeof before) == 0) << "Cancel stored";
    script = {};
    Choose(205);
    EXPECT_EQ(script.Opened.front(), "AOPT5");
    // The popup's Set Mouse Options starts at the mouse page.
    script = {};
    Choose(586);
    EXPECT_EQ(script.Opened.front(), "AOPT0");
}

TEST_F(AdvancedOptionsTest, TheAuxPortIsClosedAndKeptOnlyWithASerialName) {
    struct Case {
        const char* Name;
        uint8_t WantEnabled;
    };
    for (const Case& c : {Case{"COM3", 1}, Case{"LPT1", 0}}) {
        Settings.AuxEnabled = 0;
        Settings.AuxPortName = c.Name;
        auxClosed = 0;
        script.Edits["AOPT4"] = [](ui::DialogModel& m, FakeControls& f) { Click(m, f, 141); };
        Choose(205);
        EXPECT_EQ(auxClosed, 1) << c.Name;
        EXPECT_EQ(Settings.AuxEnabled, c.WantEnabled) << c.Name;
    }
    // An unchanged AUX box leaves the port alone.
    auxClosed = 0;
    script.Edits.erase("AOPT4");
    Choose(205);
    EXPECT_EQ(auxClosed, 0);
}

}  // namespace
