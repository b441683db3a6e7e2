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
    commands::Settings.CharsetKind = 0;
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

// The host's bytes of the character, named by the set that decides them: the
// settings' kind when it has bytes of its own, else the screen's upper half.
TEST_F(CharInfoTest, TheHostSetsBytesFollowTheSetKinds) {
    struct Case {
        uint8_t SettingsKind;
        uint8_t ScreenKind;
        char16_t Ch;
        const char* Line;  // "" when there is none
    };
    static uint8_t screenKind = 0;
    auto& m = ui::MenuServices;
    m.ScreenSetKind = [] { return screenKind; };
    m.KeyToHostCode = [](char16_t ch) {
        if (ch == 0x3042) return std::string("\x82\xA0");
        if (ch == 0x2502) return std::string("\xB3");
        return std::string(1, static_cast<char>(ch));
    };
    m.CharsetName = [](uint32_t code) {
        if (code == 0) return std::string("ISO");
        if (code == 0x50000) return std::string("DEC");
        if (code == 0x70000) return std::string("OEM");
        return "CP-" + std::to_string(code);
    };
    m.DecomposeChar = [](char16_t) { return std::u16string(u"e\u0301"); };
    commands::Settings.CodePage.Set(932);
    const Case cases[] = {
        {8, 0, 0x00E9, "ISO sequence (hex): E9"},
        {0, 16, 0x00E9, "DEC sequence (hex): E9"},
        {6, 0, 0xE602, "OEM sequence (hex): B3"},
        {14, 8, 0x3042, "CP-932 sequence (hex): 82 A0"},
        {8, 0, 0xE801, "ISO sequence (hex): 65 01"},
        {0, 2, u'A', ""},
        {3, 0, u'A', ""},
    };
    for (const auto& c : cases) {
        commands::Settings.CharsetKind = c.SettingsKind;
        screenKind = c.ScreenKind;
        const std::string text = ui::CharInfoText(c.Ch, 2, 7);
        const size_t position = text.find("Line 2, position 7");
        ASSERT_NE(position, std::string::npos) << text;
        const size_t lineStart = text.rfind('\n', position - 2) + 1;
        const std::string line =
            *c.Line ? text.substr(lineStart, position - 1 - lineStart) : std::string();
        EXPECT_EQ(line, c.Line) << int(c.SettingsKind) << " " << int(c.ScreenKind) << "\n" << text;
        if (!*c.Line) EXPECT_EQ(text.find("sequence"), std::string::npos) << text;
    }
}

// On a right-to-left row shown reordered, the column shows the character the
// system placed there; anywhere else the cell's own character.
TEST_F(CharInfoTest, ARightToLeftRowGivesTheLogicalCharacterAtTheColumn) {
    struct Case {
        uint8_t RightToLeft;
        uint32_t Bidi;
        std::u16string Row;  // from column 1; column 79 holds an Arabic letter when Alef
        bool Alef;
        bool Placed;
        char16_t Expected;  // at column 2
        int Calls;
        bool Arabic;
    };
    static bool placed = true;
    static int calls = 0;
    static bool arabic = false;
    ui::MenuServices.VisualOrder = [](std::u16string_view text, uint32_t flags, bool isArabic,
                                      std::vector<int>& order) {
        ++calls;
        arabic = isArabic;
        EXPECT_EQ(flags, commands::Settings.BidiOptions.Get());
        order.clear();  // the whole row reversed: column 2 shows the 79th character
        for (size_t i = 0; i < text.size(); ++i) order.push_back(int(text.size() - 1 - i));
        return placed;
    };
    const Case cases[] = {
        {1, 0x12, u"\u05D0\u05D1xyz", true, true, 0x0627, 1, false},
        {1, 0x02, u"ab", true, true, 0x0627, 1, true},
        {1, 0x02, u"ab", false, true, u'b', 0, false},
        {1, 0x10, u"\u05D0\u05D1", true, true, 0x05D1, 0, false},
        {0, 0x12, u"\u05D0\u05D1", true, true, 0x05D1, 0, false},
        {1, 0x02, u"\u05D0\u05D1", true, false, 0x05D1, 1, false},
    };
    for (const auto& c : cases) {
        commands::Settings.RightToLeft = c.RightToLeft;
        commands::Settings.BidiOptions.Set(c.Bidi);
        placed = c.Placed;
        std::vector<uint32_t> cells(80, console::MakeCell(u' ', 7));
        for (size_t i = 0; i < c.Row.size(); ++i) cells[i] = console::MakeCell(c.Row[i], 7);
        if (c.Alef) cells[78] = console::MakeCell(0x0627, 7);
        ASSERT_EQ(console::WriteCells(4, 1, 80, cells.data()), 80);
        calls = 0;
        arabic = false;
        EXPECT_EQ(ui::LogicalCharAt(4, 2), c.Expected) << int(c.Bidi);
        EXPECT_EQ(calls, c.Calls) << int(c.Bidi);
        EXPECT_EQ(arabic, c.Arabic) << int(c.Bidi);
    }
}

}  // namespace
