// The line editor on the composed program's console: keys typed into the
// window's key queue, the edited text and the cells it leaves on the row.
#include "emulation/input/line_editor.h"

#include <gtest/gtest.h>

#include "command_test_fixture.h"
#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/key_input.h"
#include "console/screen_buffer.h"
#include "emulation/text/utf8.h"

namespace {

using command_test::Messages;
using commands::Settings;
using console::ConsoleLayer;

// Raw key-queue words of the extended keys the editor acts on.
constexpr uint16_t F1 = 0x3B00, F5 = 0x3F00, F6 = 0x4000, F7 = 0x4100, Home = 0x4700, Up = 0x4800,
                   Left = 0x4B00, Right = 0x4D00, End = 0x4F00, Down = 0x5000, Ins = 0x5200,
                   Del = 0x5300;
constexpr uint16_t Bs = 8, Enter = 13, CtrlP = 16, Esc = 27;
constexpr int32_t kRow = 3;

class LineEditor : public command_test::ComposedCommands {
  protected:
    void SetUp() override {
        ComposedCommands::SetUp();
        Settings.InsertMode = 1;
    }
    void TearDown() override {
        emulation::StopMacros();
        ComposedCommands::TearDown();
    }

    // Keys given as queue words or as UTF-8 text, one entry per byte.
    static void Keys(std::initializer_list<uint16_t> raw) { Type(raw); }

    static emulation::EditedLine Edit(int32_t right = 60, bool escapeReturns = true) {
        console::GotoRowCol(kRow, 1);
        return emulation::EditLine(false, escapeReturns, right);
    }
    static std::string Row() { return TrimmedRow(kRow); }
};

struct EditCase {
    const char* Name;
    std::function<void()> Type;
    std::string Text;
    std::string Shown;
    uint8_t InsertMode = 1;
};

TEST_F(LineEditor, KeysEditTheLineAndTheRowShowsIt) {
    const std::vector<EditCase> cases = {
        {"plain", [] { TypeText("abc"); }, "abc", "abc"},
        {"insert inside",
         [] {
             TypeText("abd");
             Keys({Left});
             TypeText("c");
         },
         "abcd", "abcd"},
        {"overtype from home",
         [] {
             TypeText("abcd");
             Keys({Home});
             TypeText("XY");
         },
         "XYcd", "XYcd", 0},
        {"Ins toggles to overtype",
         [] {
             TypeText("abcd");
             Keys({Home, Ins});
             TypeText("X");
         },
         "Xbcd", "Xbcd"},
        {"backspace takes a two-byte character whole",
         [] {
             TypeText("a\xC3\xA9");
             Keys({Bs});
         },
         "a", "a"},
        {"backspace takes a key token whole",
         [] {
             TypeText("x");
             Keys({F5, Bs});
         },
         "x", "x"},
        {"a key token shows its name",
         [] {
             TypeText("x");
             Keys({F5});
             TypeText("y");
         },
         std::string("x\0\x3Fy", 4), "xf5y"},
        {"left steps over a multibyte character",
         [] {
             TypeText("\xC3\xA9z");
             Keys({Left, Left});
             TypeText("a");
         },
         "a\xC3\xA9z", "a\xC3\xA9z"},
        {"del and F1",
         [] {
             TypeText("abcdef");
             Keys({Home, Right, Del, Right, F1});
         },
         "ac", "ac"},
        {"end after home",
         [] {
             TypeText("ab");
             Keys({Home, End});
             TypeText("c");
         },
         "abc", "abc"},
        {"ctrl-P makes Enter literal",
         [] {
             TypeText("a");
             Keys({CtrlP, Enter});
         },
         "a\r", "a^M"},
        {"a combining mark composes with the character before", [] { TypeText("e\xCC\x81"); },
         "\xC3\xA9", "\xC3\xA9"},
        {"F6 on an empty line is ignored",
         [] {
             Keys({F6});
             TypeText("ok");
         },
         "ok", "ok"},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Settings.InsertMode = c.InsertMode;
        console::ClrScr();
        c.Type();
        Keys({Enter});
        const emulation::EditedLine edited = Edit();
        EXPECT_EQ(edited.Text, c.Text);
        EXPECT_EQ(edited.DefineKey, 0);
        // The row as UTF-8 text, trailing blanks and the indicator aside.
        std::string shown;
        for (char16_t ch : Cells(kRow, 1, 20))
            if (ch != console::kFillerChar) emulation::AppendUtf8(ch, shown);
        while (!shown.empty() && shown.back() == ' ') shown.pop_back();
        EXPECT_EQ(shown, c.Shown);
    }
}

TEST_F(LineEditor, DefineShowsAKeysDefinitionAndNamesTheKey) {
    emulation::DefineMacro(319, "HELLO", 1, 0);
    TypeText("define ");
    Keys({F5});
    TypeText("?");
    Keys({Enter});
    const emulation::EditedLine edited = Edit();
    EXPECT_EQ(edited.Text, std::string("define \0\x3F HELLO", 15));
    EXPECT_EQ(edited.DefineKey, 319);
    EXPECT_EQ(Row(), "define f5 HELLO");

    // After "DEFINE " the editing keys are keys to define.
    TypeText("DEFINE ");
    Keys({Home, Enter});
    const emulation::EditedLine home = Edit();
    EXPECT_EQ(home.Text, std::string("DEFINE \0\x47", 9));
    EXPECT_EQ(home.DefineKey, 327);
}

TEST_F(LineEditor, OvertypingADoubleWidthCharacterRedrawsTheRest) {
    Settings.InsertMode = 0;
    TypeText("abc");
    Keys({Home});
    TypeText("\xE4\xB8\xAD");  // a CJK ideograph, two cells
    Keys({Enter});
    EXPECT_EQ(Edit().Text,
              "\xE4\xB8\xAD"
              "bc");
    EXPECT_EQ(Cells(kRow, 1, 5),
              std::u16string({u'\u4E2D', console::kFillerChar, u'b', u'c', u' '}));
}

TEST_F(LineEditor, EscapeEndsOrIsAKey) {
    TypeText("abc");
    Keys({Esc});
    EXPECT_EQ(Edit().Text, "\x1b");
    TypeText("a");
    Keys({Esc, Enter});
    EXPECT_EQ(Edit(60, false).Text, "a\x1b");
    EXPECT_EQ(Row(), "aEsc");
}

TEST_F(LineEditor, F6RunsACommandAndTakesItsReply) {
    TypeText("V=");
    Keys({F6});
    TypeText("VERSION/S");
    Keys({Enter, Enter});
    EXPECT_EQ(Edit().Text, "V=12.6");
    EXPECT_EQ(commands::Interpreter.FunctionReply.View(), "");
    EXPECT_EQ(Row(), "V=12.6");

    // A failing command says so and the edit goes on.
    TypeText("x");
    Keys({F6});
    TypeText("NOSUCHWORD");
    Keys({Enter, Enter});
    EXPECT_EQ(Edit().Text, "x");
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], "INVALID FUNCTION");

    // When the error key's macro takes over, the edit ends at once.
    emulation::DefineMacro('E', "z", 1, 0);
    commands::Interpreter.ErrorKey = 'E';
    TypeText("x");
    Keys({F6});
    TypeText("READ /no/such/keys.kys");
    Keys({Enter});
    EXPECT_EQ(Edit().Text, "");
}

TEST_F(LineEditor, AMacroFullOfF6KeysNestsOnlySoDeep) {
    // "a", then F6 and "a" again and again: each F6 opens a line inside the
    // last one until the nesting stops; every line then ends with a typed
    // Enter and runs "a...", which names no command.
    std::string text = "a";
    for (int i = 0; i < 200; ++i) text += std::string("\0\x40", 2) + "a";
    emulation::DefineMacro('M', text, 1, 0);
    emulation::StartMacro('M', false);
    for (int i = 0; i < 12; ++i) Keys({Enter});
    console::GotoRowCol(kRow, 1);
    const emulation::EditedLine edited = emulation::EditLine(true, true, 60);
    EXPECT_EQ(edited.Text, "a");
    EXPECT_EQ(Messages.size(), 8u);
    EXPECT_FALSE(console::KeyQueueEmpty());
}

TEST_F(LineEditor, LongTextScrollsInsideTheField) {
    const std::string text = "abcdefghijklmnopqrstuvwxyz0123";
    TypeText(text);
    Keys({Enter});
    ASSERT_EQ(Edit(20).Text, text);
    // Text stays left of column 16, where the cursor may stand; the row
    // ends with the text's end.
    const std::string row = Row();
    ASSERT_LE(row.size(), 15u);
    EXPECT_EQ(text.substr(text.size() - (row.size())), row);
    EXPECT_EQ(ConsoleLayer.CursorCol, static_cast<int32_t>(row.size()) + 1);

    TypeText(text);
    Keys({Home, Enter});
    ASSERT_EQ(Edit(20).Text, text);
    EXPECT_EQ(Row(), text.substr(0, 15));
}

TEST_F(LineEditor, F7InsertsAPickedRectangle) {
    // From the centre (40, 12): the first corner to column 10, row 5, the
    // second to column 3, row 20.
    TypeText("P");
    Keys({F7});
    for (int i = 0; i < 30; ++i) Keys({Left});
    for (int i = 0; i < 7; ++i) Keys({Up});
    Keys({F7});
    for (int i = 0; i < 37; ++i) Keys({Left});
    for (int i = 0; i < 8; ++i) Keys({Down});
    Keys({Enter, Enter});
    EXPECT_EQ(Edit().Text, "P 3 10 5 20");
    // The highlight is gone: the window shows the ring's cells again.
    uint32_t ring = 0;
    uint32_t shown = 0;
    console::ReadCells(10, 5, 1, &ring);
    console::ReadWindowCells(10, 5, 1, &shown);
    EXPECT_EQ(shown, ring);

    // Esc picks nothing.
    TypeText("Q");
    Keys({F7, Left, Esc, Enter});
    EXPECT_EQ(Edit().Text, "Q");
}

// What the window showed while the picker waited for its next key.
uint32_t WindowCellWhileWaiting = 0;

TEST_F(LineEditor, TheRectanglePickerHighlightsInTheWindowOnly) {
    Feed("hello");
    const uint32_t ringCell = console::TermScreenRing.Cells[console::CellIndex(1, 1)];
    // Home, PgUp: the active corner to column 1, row 1; the rectangle runs
    // to the centre. The picker then waits; Enter ends it.
    Keys({Home, 0x4900});
    const auto savedWait = console::keyInputHooks.WaitForMessage;
    console::keyInputHooks.WaitForMessage = [] {
        console::ReadWindowCells(1, 1, 1, &WindowCellWhileWaiting);
        console::PutKeyEntry(Enter);
    };
    const std::string picked = emulation::SelectRectangleByKeys(false);
    console::keyInputHooks.WaitForMessage = savedWait;
    EXPECT_EQ(picked, "1 40 1 12");
    EXPECT_EQ(console::CellChar(WindowCellWhileWaiting), u'h');
    EXPECT_EQ(console::CellAttr(WindowCellWhileWaiting), ConsoleLayer.AttrColorMap[4]);
    uint32_t shown = 0;
    console::ReadWindowCells(1, 1, 1, &shown);
    EXPECT_EQ(shown, ringCell);
    EXPECT_EQ(console::TermScreenRing.Cells[console::CellIndex(1, 1)], ringCell);
}

}  // namespace
