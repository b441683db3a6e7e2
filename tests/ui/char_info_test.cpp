// Character information: names in the program's name format and from its
// own table, and the text the dialog shows for the character at the cursor.
#include "ui/dialogs/char_info.h"

#include "console/console_primitives.h"
#include "console/fake_console_window.h"
#include "console/screen_buffer.h"
#include "dialog_fixture.h"

namespace {

TEST(CharacterNames, AbbreviationsCommentsAndBrokenLines) {
    const std::string text = std::string("# names\n") + "\x80LATIN CAPITAL LETTER\n" +
                             "41;\x80 A\n" + "no semicolon\n" + "zz;BAD CODE\n" +
                             "263a;WHITE SMILING FACE\r\n";
    const ui::CharacterNames names(text);
    EXPECT_EQ(names.Name(0x41), "LATIN CAPITAL LETTER A");
    EXPECT_EQ(names.Name(0x263A), "WHITE SMILING FACE");
    EXPECT_EQ(names.Name(0x42), "");
}

TEST(CharacterNames, TheProgramsTableNamesEveryKind) {
    struct Case {
        char16_t Code;
        const char* Name;
    };
    const Case cases[] = {{u'A', "LATIN CAPITAL LETTER A"},
                          {0x00E9, "LATIN SMALL LETTER E WITH ACUTE"},
                          {0x000A, "LINE FEED (LF)"},
                          {0x2502, "BOX DRAWINGS LIGHT VERTICAL"},
                          {0x4E00, "CJK UNIFIED IDEOGRAPH-4E00"},
                          {0xAC00, "HANGUL SYLLABLE GA"},
                          {0xD7A3, "HANGUL SYLLABLE HIH"},
                          {0xE000, ""}};
    for (const auto& c : cases) EXPECT_EQ(ui::UnicodeName(c.Code), c.Name) << int(c.Code);
}

class CharInfoTest : public dialog_test::DialogFixture {
  protected:
    void SetUp() override {
        DialogFixture::SetUp();
        console_test::ResetConsoleForTest(window);
        console::SetScreenSize(80, 25);
    }
    void TearDown() override {
        console::SetScreenWindow(nullptr);
        DialogFixture::TearDown();
    }
    console_test::FakeConsoleWindow window;
};

TEST_F(CharInfoTest, TheItemDescribesTheCharacterAtTheCursor) {
    struct Case {
        char16_t Cell;
        const char* Text;
    };
    ui::MenuServices.DecomposeChar = [](char16_t) { return std::u16string(u"e\u0301"); };
    const Case cases[] = {
        {u'A', "Unicode = 41 (hex), 65 (decimal) \nLATIN CAPITAL LETTER A\nLine 3, position 5\n"},
        {0xE602,
         "Unicode = 2502 (hex), 9474 (decimal) \nBOX DRAWINGS LIGHT VERTICAL\nLine 3, position "
         "5\n"},
        {0xE801,
         "Unicode (hex) = 65 301\nLATIN SMALL LETTER E, COMBINING ACUTE ACCENT\n"
         "Line 3, position 5\n"},
    };
    for (const auto& c : cases) {
        console::ConsoleLayer.CursorRow = 3;
        console::ConsoleLayer.CursorCol = 5;
        commands::Settings.ScreenFontName = "Courier New";
        const uint32_t cell = console::MakeCell(c.Cell, 7);
        ASSERT_EQ(console::WriteCells(3, 5, 1, &cell), 1);
        dialog_test::script.Edits["CHARINFO"] = [&](ui::DialogModel& m,
                                                    dialog_test::FakeControls& f) {
            EXPECT_EQ(f.Items[102].Text, c.Text);
            m.Painted(f, 101, m.OwnerDrawFace(101));
            m.Painted(f, 101, "twice");
        };
        Choose(587);
        const std::string shown = dialog_test::script.Seen["CHARINFO"].Items[102].Text;
        const std::string face = c.Cell == 0xE602 ? "internal bitmap" : "Courier New";
        EXPECT_EQ(shown, c.Text + ("Displayed in " + face));
    }
}

}  // namespace
