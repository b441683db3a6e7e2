// The screen, window, colour, picture and menu-bar commands, run through the
// interpreter as the program composes them: their argument forms, what they
// change on the screen and in the settings, their replies and failures.
#include "commands/screen_commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "command_test_fixture.h"
#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/console_settings.h"
#include "console/local_screen.h"
#include "ui/clipboard/clipboard.h"

namespace {

using command_test::CommandCase;
using command_test::Messages;
using commands::Interpreter;
using commands::Settings;
using console::ConsoleLayer;

// The system clipboard as far as the commands reach it: the text put on it.
class RecordingClipboard : public platform::SystemClipboard {
  public:
    std::u16string Text;
    bool Open() override { return true; }
    void Close() override {}
    void Empty() override { Text.clear(); }
    bool SetAnsi(std::string_view) override { return true; }
    bool SetOem(std::string_view) override { return true; }
    bool SetUnicode(std::u16string_view text) override {
        Text = text;
        return true;
    }
    void SetCellPicture(const ui::ScreenCellRect&, bool) override {}
    bool HasText() override { return !Text.empty(); }
    std::optional<std::u16string> GetUnicode() override { return Text; }
    std::optional<std::u16string> GetAnsi() override { return Text; }
    void HideCaret(bool) override {}
};

RecordingClipboard Clipboard;

class ScreenCommands : public command_test::ComposedCommands {
  protected:
    void SetUp() override {
        ComposedCommands::SetUp();
        platform::SetSystemClipboard(&Clipboard);
    }
    void TearDown() override {
        platform::SetSystemClipboard(nullptr);
        console::ResetLocalScreen();
        ComposedCommands::TearDown();
    }
    void Reset() {
        ASSERT_TRUE(commands::ExecuteFunction("WIDTH 80") == 0);
        console::SetAttrCursorMode(false);
        Settings.StatusLine = 1;
        Settings.Gauge = 1;
        Settings.BlockCursor = 0;
        Settings.Mode132 = 0;
        Settings.BmpMode = 0;
        for (auto* rect : {&Settings.BmpCellRect, &Settings.BmpViewRect})
            for (auto& v : *rect) v.Set(7);
        Settings.BmpAdjustX.Set(3);
        Settings.BmpAdjustY.Set(3);
        ConsoleLayer.AttrSelection = 0;
        ConsoleLayer.SavedAttrSelection = 0;
        ConsoleLayer.DirectAttr = 15;
        Interpreter.FunctionReply = "";
        Clipboard.Text.clear();
        Messages.clear();
    }
    static bool NotAvailable(std::string_view what) {
        return Messages.size() == 1 &&
               Messages[0] == "Not available in this version: " + std::string(what);
    }
};

TEST_F(ScreenCommands, ScreenWindowAndPictureTable) {
    const std::vector<CommandCase> cases = {
        {"STATUS LINE OFF", true, 0, [] { EXPECT_EQ(Settings.StatusLine, 0); }},
        {"STATUS OF", true, 0, [] { EXPECT_EQ(Settings.StatusLine, 0); }},
        {"STATUS", true, 0, [] { EXPECT_EQ(Settings.StatusLine, 1); },
         [] { Settings.StatusLine = 0; }},
        {"STATUS X", false, 0, [] { EXPECT_EQ(Settings.StatusLine, 1); }},
        {"GAUGE OFF", true, 0, [] { EXPECT_EQ(Settings.Gauge, 0); }},
        {"GAUGE MAYBE", false, 0, [] { EXPECT_EQ(Settings.Gauge, 1); }},
        {"CURSOR BLINK OFF", true, 0, [] { EXPECT_TRUE(console::AttrCursorSetting()); }},
        {"CURSOR ON", true, 0, [] { EXPECT_FALSE(console::AttrCursorSetting()); },
         [] { console::SetAttrCursorMode(true); }},
        {"CURSOR BLO", true, 0, [] { EXPECT_EQ(Settings.BlockCursor, 1); }},
        {"CURSOR UNDERLINE", true, 0, [] { EXPECT_EQ(Settings.BlockCursor, 0); },
         [] { Settings.BlockCursor = 1; }},
        {"CURSOR SIDEWAYS", false, 0, [] {}},
        {"WIDTH 132", true, 0, [] { EXPECT_EQ(console::Columns(), 132); }},
        {"WIDTH 100", false, 0, [] { EXPECT_EQ(console::Columns(), 80); }},
        {"MODE-132 1F", true, 0, [] { EXPECT_EQ(Settings.Mode132, 0x1F); }},
        {"MODE-132 1", false, 0, [] { EXPECT_EQ(Settings.Mode132, 0); }},
        {"MODE-132 ZZ", false, 0, [] { EXPECT_EQ(Settings.Mode132, 0); }},
        {"SCREENMODE 100X30", true, 0,
         [] {
             EXPECT_EQ(console::Columns(), 100);
             EXPECT_EQ(ConsoleLayer.ScreenRows, 30);
             EXPECT_EQ(Settings.ScreenModeName.View(), "100X30");
             // The answer carries the status row, the shown width, the
             // columns and the name.
             commands::ExecuteFunction("SCREENMODE/S");
             EXPECT_EQ(Interpreter.FunctionReply.View(), "C00031100100100X30");
             commands::ExecuteFunction("SCREENMODE 80X24");
         }},
        {"SCREENMODE 10X10", false, 0, [] { EXPECT_EQ(Settings.ScreenModeName.View(), "OLD"); },
         [] { Settings.ScreenModeName = "OLD"; }},
        {"SCREENMODE/S", true, 0,
         [] { EXPECT_EQ(Interpreter.FunctionReply.View(), "C00025080080OLD"); },
         [] { Settings.ScreenModeName = "OLD"; }},
        {"SCREENSIZE/S MAX.X", true, 0, [] { EXPECT_EQ(Interpreter.FunctionReply.View(), "1920"); },
         [] {
             commands::CommandServices.GetWindowMetric = [](commands::WindowMetric m, int32_t& v) {
                 v = m == commands::WindowMetric::MaxX ? 1920 : 0;
                 return true;
             };
         }},
        {"SCREENSIZE/S WINDOW", false, 0, [] { EXPECT_EQ(Interpreter.FunctionReply.View(), ""); }},
        // The shown part of a wide screen stays inside it.
        {"PAN 10", true, 0, [] { EXPECT_EQ(console::TermScreenRing.ViewLeftColumn, 10); },
         [] { commands::ExecuteFunction("WIDTH 132"); }},
        {"PAN 500", true, 0, [] { EXPECT_EQ(console::TermScreenRing.ViewLeftColumn, 52); },
         [] { commands::ExecuteFunction("WIDTH 132"); }},
        {"PAN -3", true, 0, [] { EXPECT_EQ(console::TermScreenRing.ViewLeftColumn, 0); },
         [] { commands::ExecuteFunction("WIDTH 132"); }},
        {"PAN R", true, 0,
         [] {
             EXPECT_EQ(console::TermScreenRing.ViewLeftColumn, 52);
             EXPECT_EQ(console::TermScreenRing.ViewRightLimit, 133);
         },
         [] { commands::ExecuteFunction("WIDTH 132"); }},
        {"PAN LEFT", true, 0, [] { EXPECT_EQ(console::TermScreenRing.ViewLeftColumn, 0); }},
        {"PAN SOMEWHERE", false, 0, [] {}},
        {"TITLE  Two  Words", true, 0,
         [] { EXPECT_EQ(Settings.WindowTitle.View(), " Two  Words"); }},
        {"TRACK-WINDOW ON", true, 0, [] { EXPECT_EQ(Settings.TrackWindow, 1); }},
        {"BLOCKTYPE STR", true, 0, [] { EXPECT_EQ(Settings.BlockType, 1); }},
        {"BLOCKTYPE W", true, 0, [] { EXPECT_EQ(Settings.BlockType, 2); }},
        {"BLOCKTYPE DIAGONAL", false, 0, [] { EXPECT_EQ(Settings.BlockType, 2); }},
        {"FONT-ALT Lucida Console,-Arial,AUTO", true, 0,
         [] { EXPECT_EQ(Settings.FontFallbackList.View(), "Lucida Console|-Arial|AUTO"); }},
        {"PALETTE FULL", true, 0, [] {}},
        {"PALETTE PASTEL", false, 0, [] {}},
        {"COLOR", true, 0, [] { EXPECT_TRUE(NotAvailable("COLOR, INTERPRET, KEYS")); }},
        // BMP alone changes only the file; the picture unit answers.
        {"BMP Pic.bmp", true, 0,
         [] {
             EXPECT_EQ(Settings.BmpFileName.View(), "Pic.bmp");
             EXPECT_EQ(Settings.BmpMode, 5);
             EXPECT_EQ(Settings.BmpCellRect[0].Get(), 7);
             EXPECT_TRUE(NotAvailable("BMP"));
         },
         [] { Settings.BmpMode = 5; }},
        {"BMP Pic.bmp cell 1 2 3 4 5 6 7 8 0 9", true, 0,
         [] {
             EXPECT_EQ(Settings.BmpMode, 1);
             EXPECT_EQ(Settings.BmpCellRect[3].Get(), 4);
             EXPECT_EQ(Settings.BmpViewRect[0].Get(), 5);
             EXPECT_EQ(Settings.BmpViewRect[3].Get(), 8);
             EXPECT_EQ(Settings.BmpAdjustX.Get(), 3);
             EXPECT_EQ(Settings.BmpAdjustY.Get(), 9);
         }},
        // Picture rectangles hold 16 bits without sign: values are clamped.
        {"BMP-WINDOW WATER 1 -2 70000 4", true, 0,
         [] {
             EXPECT_EQ(Settings.BmpMode, 2);
             EXPECT_EQ(Settings.BmpCellRect[1].Get(), 0);
             EXPECT_EQ(Settings.BmpCellRect[2].Get(), 0xFFFF);
         }},
        {"BMP-VIEW 9 8 7 6", true, 0,
         [] {
             EXPECT_EQ(Settings.BmpViewRect[0].Get(), 9);
             EXPECT_EQ(Settings.BmpMode, 4);
         },
         [] { Settings.BmpMode = 4; }},
        {"BMP-ADJUST 0 5", true, 0,
         [] {
             EXPECT_EQ(Settings.BmpAdjustX.Get(), 3);
             EXPECT_EQ(Settings.BmpAdjustY.Get(), 5);
             EXPECT_TRUE(NotAvailable("BMP-ADJUST"));
         }},
        {"BMP-CLOSE", true, 0, [] { EXPECT_EQ(Settings.BmpFileName.View(), ""); }},
        {"CLIP \"quoted text\"", true, 0, [] { EXPECT_EQ(Clipboard.Text, u"quoted text"); }},
        {"CLIP 1 2", true, 0,
         [] {
             // An incomplete rectangle copies the whole screen.
             EXPECT_EQ(Clipboard.Text.substr(0, 5), u"hello");
             EXPECT_NE(Clipboard.Text.find(u"bottom"), std::u16string::npos);
         },
         [] {
             console::GotoRowCol(1, 1);
             console::WriteString("hello");
             console::GotoRowCol(24, 70);
             console::WriteString("bottom");
         }},
    };
    command_test::RunCases(cases, [this] { Reset(); });
}

TEST_F(ScreenCommands, ColourMenuBarAndPortTable) {
    const auto freshPorts = [] {
        for (auto* p : {&Settings.AuxPortParams, &Settings.RawPortParams}) {
            p->BaudRate.Set(9600);
            p->ByteSize = 8;
            p->StopBits = 0;
            p->Parity = 0;
            p->Flags.Set(0x2315);
        }
    };
    // Flow-control bits of the port's flag word.
    constexpr uint32_t kInOutX = 0x300;
    constexpr uint32_t kCtsDsr = 0x0C;
    const std::vector<CommandCase> cases = {
        {"SETCOLOR 1FH", true, 0,
         [] {
             EXPECT_EQ(ConsoleLayer.DirectAttr, 0x1F);
             EXPECT_EQ(ConsoleLayer.AttrSelection, console::kSelectionDirect);
             EXPECT_EQ(ConsoleLayer.SavedAttrSelection, console::kSelectionDirect);
         }},
        {"SETCOLOR 31", true, 0, [] { EXPECT_EQ(ConsoleLayer.DirectAttr, 0x1F); }},
        // The VT220 family's attributes are a current selection.
        {"SETCOLOR NORMAL", true, 0, [] { EXPECT_EQ(ConsoleLayer.AttrSelection, 0); },
         [] { ConsoleLayer.AttrSelection = 255; }},
        {"SETCOLOR", true, 0, [] { EXPECT_EQ(ConsoleLayer.SavedAttrSelection, 0); },
         [] { ConsoleLayer.SavedAttrSelection = 255; }},
        {"SETCOLOR 3X", false, 0, [] { EXPECT_EQ(ConsoleLayer.DirectAttr, 15); }},
        {"SETCOLOR 256", false, 0,
         [] {
             EXPECT_EQ(ConsoleLayer.DirectAttr, 15);
             EXPECT_EQ(ConsoleLayer.AttrSelection, 0);
         }},
        // A reversed rectangle shows nothing.
        {"MENUBAR 20 10 1 3 0 0 0 0 0", false, 0,
         [] {
             EXPECT_TRUE(Messages.empty());
             EXPECT_EQ(console::SavedScreenRectCount(), 0u);
         }},
        {"MENUBAR 1 10 1", false, 0, [] { EXPECT_TRUE(Messages.empty()); }},
        // Columns laid out past the screen's width.
        {"MENUBAR 1 60 1 3 10 20 0 0 3", false, 0, [] { EXPECT_TRUE(Messages.empty()); }},
        // A host's rectangle past the screen is clipped to it; Esc ends the
        // menu with nothing picked.
        {"MENUBAR 70 500 20 900 0 0 0 0 0", true, 0,
         [] {
             EXPECT_TRUE(Messages.empty());
             EXPECT_EQ(Interpreter.FunctionReply.View(), "");
             EXPECT_EQ(console::SavedScreenRectCount(), 0u);
         },
         [] { console::PutKeyEntry(27); }},
        // A bare number is only the baud rate.
        {"AUX-SETUP com2 19200", true, 0,
         [] {
             const auto& p = Settings.AuxPortParams;
             EXPECT_EQ(Settings.AuxPortName.View(), "COM2");
             EXPECT_EQ(p.BaudRate.Get(), 19200u);
             EXPECT_EQ(p.ByteSize, 8);
             EXPECT_EQ(p.Flags.Get(), 0x2315u);
         },
         freshPorts},
        {"AUX-SETUP COM3 2400,e,7,2", true, 0,
         [=] {
             const auto& p = Settings.AuxPortParams;
             EXPECT_EQ(p.BaudRate.Get(), 2400u);
             EXPECT_EQ(p.Parity, 2);
             EXPECT_EQ(p.ByteSize, 7);
             EXPECT_EQ(p.StopBits, 2);
             EXPECT_EQ(p.Flags.Get() & (kInOutX | kCtsDsr), 0u);
         },
         freshPorts},
        {"AUX-SETUP COM3 96,N,8,1.5,P", true, 0,
         [=] {
             const auto& p = Settings.AuxPortParams;
             EXPECT_EQ(p.BaudRate.Get(), 9600u);
             EXPECT_EQ(p.StopBits, 1);
             EXPECT_EQ(p.Flags.Get() & kCtsDsr, kCtsDsr);
             EXPECT_EQ((p.Flags.Get() >> 4) & 3, 2u);
         },
         freshPorts},
        {"AUX-SETUP COM4 baud=1200 parity=o data=5 stop=1 xon=on rts=tg", true, 0,
         [=] {
             const auto& p = Settings.AuxPortParams;
             EXPECT_EQ(p.BaudRate.Get(), 1200u);
             EXPECT_EQ(p.Parity, 1);
             EXPECT_EQ(p.ByteSize, 5);
             EXPECT_EQ(p.Flags.Get() & kInOutX, kInOutX);
             EXPECT_EQ((p.Flags.Get() >> 12) & 3, 3u);
         },
         freshPorts},
        // A text the mode reader refuses keeps the parameters, not the name.
        {"AUX-SETUP COM5 2400,Q,8,1", false, 0,
         [] {
             EXPECT_EQ(Settings.AuxPortName.View(), "COM5");
             EXPECT_EQ(Settings.AuxPortParams.BaudRate.Get(), 9600u);
         },
         freshPorts},
        {"AUX-SETUP COM5 BAUD=1200 SPEED=FAST", false, 0,
         [] { EXPECT_EQ(Settings.AuxPortParams.BaudRate.Get(), 9600u); }, freshPorts},
        {"RAW-SETUP LPT1 4800", true, 0,
         [] {
             EXPECT_EQ(Settings.RawPortName.View(), "LPT1");
             EXPECT_EQ(Settings.RawPortParams.BaudRate.Get(), 4800u);
         },
         freshPorts},
        {"RAW-SETUP DEFAULT", true, 0, [] { EXPECT_EQ(Settings.RawPortName.View(), ""); },
         [] { Settings.RawPortName = "LPT2"; }},
        {"RAW-SETUP", false, 0, [] { EXPECT_TRUE(NotAvailable("RAW-SETUP, AUX-SETUP")); }},
        {"AUX ON", true, 0, [] { EXPECT_EQ(Settings.AuxEnabled, 1); }},
        {"AUX-DEBUG MAYBE", false, 0, [] {}},
    };
    command_test::RunCases(cases, [this] { Reset(); });
}

TEST_F(ScreenCommands, MenuBarHandsThePickedItemToTheHost) {
    static commands::CellRectangle seen;
    commands::CommandServices.ScreenMenuSelect = [](const commands::CellRectangle& r, int32_t,
                                                    int32_t, int32_t, std::string& reply, int32_t,
                                                    int32_t, int32_t) {
        seen = r;
        reply = "ITEM TWO";
        return true;
    };
    Feed("\x1b[5;1HITEM ONE\r\nITEM TWO");
    EXPECT_EQ(commands::ExecuteFunction("MENUBAR 1 200 5 6 0 0 0 0 0"), 0u);
    EXPECT_TRUE(Interpreter.FunctionSucceeded);
    EXPECT_EQ(Interpreter.FunctionReply.View(), "ITEM TWO");
    EXPECT_EQ(seen.LastColumn, 80);
    // The status row showed the menu's help while it ran; the cells under
    // the menu came back.
    EXPECT_EQ(console::SavedScreenRectCount(), 0u);
    EXPECT_EQ(TrimmedRow(5), "ITEM ONE");

    // Esc picks nothing.
    commands::CommandServices.ScreenMenuSelect = [](const commands::CellRectangle&, int32_t,
                                                    int32_t, int32_t, std::string& reply, int32_t,
                                                    int32_t, int32_t) {
        reply = "\x1b";
        return true;
    };
    commands::ExecuteFunction("MENUBAR 1 20 5 6 0 0 0 0 0");
    EXPECT_EQ(Interpreter.FunctionReply.View(), "");
}

TEST_F(ScreenCommands, TextWindowsFillAndComeBack) {
    Feed("\x1b[2;1Habcdefghijklmnopqrstuvwxyz\x1b[3;1H0123456789");
    const std::vector<CommandCase> cases = {
        {"FILL 1 10 1", false, 0,
         [this] { EXPECT_EQ(TrimmedRow(2), "abcdefghijklmnopqrstuvwxyz"); }},
        {"FILL 0 3 2 2 Q", false, 0,
         [this] { EXPECT_EQ(TrimmedRow(2), "abcdefghijklmnopqrstuvwxyz"); }},
        {"FILL 1 3 2 2 XYZ", true, 0,
         [this] { EXPECT_EQ(TrimmedRow(2), "XXXdefghijklmnopqrstuvwxyz"); }},
        {"FILL 1 2 3 3", true, 0, [this] { EXPECT_EQ(TrimmedRow(3), "  23456789"); }},
        {"BOX 5 1 2 3", false, 0, [] {}},
        {"WINDOW 3 0 2 3 FILL", false, 0, [] { EXPECT_EQ(console::SavedScreenRectCount(), 0u); }},
    };
    command_test::RunCases(cases, [] {});

    // Two windows close in reverse order, each giving back what it covered.
    ASSERT_EQ(commands::ExecuteFunction("WINDOW 5 9 2 4 FILL BOX"), 0u);
    EXPECT_EQ(console::SavedScreenRectCount(), 1u);
    EXPECT_EQ(Cells(3, 5, 5), u"\u2502   \u2502");
    ASSERT_EQ(commands::ExecuteFunction("WINDOW 1 2 2 2 FILL"), 0u);
    EXPECT_EQ(TrimmedRow(2).substr(0, 4), "  Xd");
    commands::ExecuteFunction("WINDOWCLOSE");
    EXPECT_EQ(TrimmedRow(2).substr(0, 4), "XXXd");
    commands::ExecuteFunction("WINDOWCLOSE");
    EXPECT_EQ(TrimmedRow(3), "  23456789");
    EXPECT_EQ(console::SavedScreenRectCount(), 0u);
}

}  // namespace
