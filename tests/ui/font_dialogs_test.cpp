// The screen and printer font items: what the font dialog starts from, what
// its OK stores (and applies), and that Cancel or a missing printer changes
// nothing.
#include "ui/dialogs/font_dialogs.h"

#include "dialog_fixture.h"

namespace {

using commands::Settings;

class FontDialogs : public dialog_test::DialogFixture {
  protected:
    void SetUp() override {
        DialogFixture::SetUp();
        answer = 1;
        asked = {};
        ui::MenuServices.ChooseFont = [](const ui::FontDialogRequest& r, ui::FontChoice& c) {
            asked = r;
            if (answer == 1) c = choice;
            return answer;
        };
    }
    static inline int answer = 1;
    static inline ui::FontDialogRequest asked;
    static inline ui::FontChoice choice;
};

TEST_F(FontDialogs, ScreenFontStartsFromAndStoresTheCurrentWidthClass) {
    struct Case {
        int32_t Columns;
        size_t Slot;
        uint8_t VariableFonts;
    };
    for (const Case c : {Case{80, 0, 0}, Case{132, 1, 1}}) {
        commands::ResetSettingsToDefaults();
        console::ConsoleLayer.ScreenWidth = c.Columns;
        Settings.ScreenFontName = "Lucida Console";
        Settings.ScreenFontCharset = 0;
        Settings.VariableFonts = c.VariableFonts;
        for (size_t i = 0; i < 4; ++i) Settings.FontCellSize[i].Set(uint16_t(10 + i));
        Settings.FontOption = {0, 0};
        choice = {std::string(120, 'F'), 204, 20, 9, 150, true};

        EXPECT_EQ(menu_test::MenuFixture::Choose(315), "font " + std::string(99, 'F') + "; ");
        EXPECT_FALSE(asked.Printer);
        EXPECT_EQ(asked.FixedPitchOnly, c.VariableFonts == 0);
        EXPECT_EQ(asked.Initial.Face, "Lucida Console");
        EXPECT_EQ(asked.Initial.Height, int32_t(10 + c.Slot * 2)) << c.Columns;
        EXPECT_EQ(asked.Initial.Width, int32_t(11 + c.Slot * 2));
        EXPECT_EQ(Settings.ScreenFontCharset, 204);
        EXPECT_EQ(Settings.FontCellSize[c.Slot * 2].Get(), 20);
        EXPECT_EQ(Settings.FontCellSize[c.Slot * 2 + 1].Get(), 9);
        EXPECT_EQ(Settings.FontCellSize[(1 - c.Slot) * 2].Get(), 10 + (1 - c.Slot) * 2)
            << "the other class keeps its size";
        EXPECT_EQ(Settings.FontOption[c.Slot], 1);
        EXPECT_EQ(Settings.FontOption[1 - c.Slot], 0);
    }
    console::ConsoleLayer.ScreenWidth = 80;
}

TEST_F(FontDialogs, PrinterFontStoresPointsFaceBoldAndCharset) {
    Settings.PrintFontName = "Courier New";
    Settings.PrintFontSize = commands::Real48::From(10.5);
    Settings.PrintFontBold = 1;
    Settings.PrintFontCharset = 1;
    choice = {std::string(90, 'P'), 0, 0, 0, 125, false};

    EXPECT_EQ(menu_test::MenuFixture::Choose(117), "");
    EXPECT_TRUE(asked.Printer);
    EXPECT_EQ(asked.Initial.Face, "Courier New");
    EXPECT_EQ(asked.Initial.PointTenths, 105);
    EXPECT_TRUE(asked.Initial.Bold);
    EXPECT_EQ(asked.Initial.Charset, 1);
    EXPECT_EQ(Settings.PrintFontSize.ToDouble(), 12.5);
    EXPECT_EQ(Settings.PrintFontName.Str(), std::string(80, 'P'));
    EXPECT_EQ(Settings.PrintFontBold, 0);
    EXPECT_EQ(Settings.PrintFontCharset, 0);
}

TEST_F(FontDialogs, CancelAndAMissingPrinterChangeNothing) {
    const commands::SettingsRecord before = Settings;
    choice = {"Other", 2, 30, 15, 300, true};
    answer = 0;
    EXPECT_EQ(menu_test::MenuFixture::Choose(315), "");
    EXPECT_EQ(menu_test::MenuFixture::Choose(117), "");
    answer = -1;
    EXPECT_EQ(menu_test::MenuFixture::Choose(117),
              "box Windows Printer Error 5002: Can't open device; ");
    EXPECT_EQ(std::memcmp(&before, &Settings, sizeof before), 0);
}

}  // namespace
