// The key poller, the type-ahead ring, the hot keys, the keyboard processor's
// sources and the transmit routine, against recording fakes.

#include "keyboard_fixture.h"

#include "console/messages.h"

namespace emulation {
namespace {

using commands::Settings;
using keyboard_test::KeyboardTest;
using keyboard_test::rec;

TEST(KeyRing, RefusesWhatDoesNotFitAndKeepsExtendedKeysAsTwoEntries) {
    KeyRingBuffer ring;
    EXPECT_TRUE(ring.Put(328));
    EXPECT_EQ(ring.Count(), 2u);
    EXPECT_EQ(ring.Bytes[0], 0);
    EXPECT_EQ(ring.Bytes[1], 328 & 0xFF);
    for (int i = 0; i < 124; ++i) ASSERT_TRUE(ring.Put('a' + i % 26));
    EXPECT_EQ(ring.Count(), 126u);
    EXPECT_FALSE(ring.Put(315));  // needs two, one is left
    EXPECT_TRUE(ring.Put('z'));   // the 127th entry
    EXPECT_FALSE(ring.Put('y'));  // full: refused, nothing written over
    EXPECT_EQ(ring.Count(), 127u);
    uint16_t key = 0;
    ASSERT_TRUE(ring.Take(key));
    EXPECT_EQ(key, 328);
    for (int i = 0; i < 124; ++i) {
        ASSERT_TRUE(ring.Take(key));
        ASSERT_EQ(key, 'a' + i % 26);
    }
    ASSERT_TRUE(ring.Take(key));
    EXPECT_EQ(key, 'z');
    EXPECT_FALSE(ring.Take(key));
    // Across the wrap as well.
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(ring.Put(static_cast<uint16_t>(256 + i % 200)));
        ASSERT_TRUE(ring.Take(key));
        ASSERT_EQ(key, 256 + i % 200);
    }
}

TEST_F(KeyboardTest, PollQueuesOneKeyPerCallAndEndsAutoLogin) {
    ReceiveLoop.AutoLoginState = 1;
    rec.keys = {'a', 338};
    PollKeyboard(true);
    EXPECT_EQ(ReceiveLoop.AutoLoginState, 0);
    EXPECT_EQ(Keyboard.KeyRing.Count(), 1u);
    PollKeyboard(true);
    EXPECT_EQ(Keyboard.KeyRing.Count(), 3u);
    EXPECT_FALSE(MainRoutine.MainLoopIdle);
}

TEST_F(KeyboardTest, FlowControlKeys) {
    struct Case {
        uint8_t method;
        uint16_t key;
        bool queued;
    } cases[] = {{0, 19, false}, {0, 17, false}, {2, 19, true}, {2, 17, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "method " << int(c.method) << " key " << c.key);
        Keyboard.KeyRing.Clear();
        rec.connected = c.method != 0;
        Keyboard.OutputHold = true;
        rec.keys = {c.key};
        PollKeyboard(true);
        EXPECT_EQ(!Keyboard.KeyRing.Empty(), c.queued);
        EXPECT_EQ(Keyboard.OutputHold, c.key != 17);  // Ctrl-Q always releases the hold
    }
}

TEST_F(KeyboardTest, HotKeysActFromThePoller) {
    ASSERT_TRUE(SetTerminalType("WYSE60", false));  // a type whose keys leave F1..F10 free
    // Unlock.
    ReceiveLoop.KeyboardLocked = true;
    ReceiveLoop.KeyboardEnabled = false;
    rec.keys = {kKeyF4};
    PollKeyboard(true);
    EXPECT_FALSE(ReceiveLoop.KeyboardLocked);
    EXPECT_TRUE(ReceiveLoop.KeyboardEnabled);
    EXPECT_TRUE(Keyboard.KeyRing.Empty());
    // Abort from a nested wait, in its shifted form and as Alt-A.
    for (uint16_t key : {uint16_t{348}, kKeyAltA}) {
        Keyboard.KeyRing.Put('x');
        ReceiveLoop.WaitForText = "LOGIN";
        Keyboard.TransmitActive = true;
        SeqBuffer.push_back(0x1b);
        rec.keys = {key};
        PollKeyboard(false);
        EXPECT_TRUE(Keyboard.AbortRequested);
        EXPECT_TRUE(Keyboard.KeyRing.Empty());
        EXPECT_EQ(ReceiveLoop.WaitForText.Length(), 0u);
        EXPECT_FALSE(Keyboard.TransmitActive);
        EXPECT_TRUE(SeqBuffer.empty());
        Keyboard.AbortRequested = false;
    }
    // Nested waits offer nothing else: F6 is queued, not run.
    rec.keys = {kKeyF6};
    PollKeyboard(false);
    EXPECT_EQ(rec.editCalls, 0);
    EXPECT_EQ(Keyboard.KeyRing.Count(), 2u);
    // From the main loop F6 opens the local command line.
    Keyboard.KeyRing.Clear();
    rec.editLine = "BEEP ON";
    rec.keys = {kKeyF6};
    PollKeyboard(true);
    EXPECT_EQ(rec.editCalls, 1);
    ASSERT_EQ(rec.executed.size(), 1u);
    EXPECT_EQ(rec.executed[0], "BEEP ON");
    // A key with a macro is never a hot key.
    rec.macros = {kKeyF9};
    rec.keys = {kKeyF9};
    PollKeyboard(true);
    EXPECT_FALSE(Keyboard.AbortRequested);
    EXPECT_EQ(Keyboard.KeyRing.Count(), 2u);
}

TEST_F(KeyboardTest, TerminalKeysAreNotHotKeys) {
    ASSERT_TRUE(SetTerminalType("VT220", false));  // F9 is a VT220 key
    rec.keys = {kKeyF9};
    PollKeyboard(true);
    EXPECT_FALSE(Keyboard.AbortRequested);
    ProcessKeyboard();
    EXPECT_EQ(rec.sent, "\x1b[20~");
}

TEST_F(KeyboardTest, KioskModeKeepsHotKeysForMacrosOnly) {
    ASSERT_TRUE(SetTerminalType("WYSE60", false));
    Keyboard.KioskLevel = 1;
    Settings.KioskFunctions = 1;
    rec.keys = {kKeyF6};
    PollKeyboard(true);
    EXPECT_EQ(rec.editCalls, 0);
    EXPECT_TRUE(HandleHotKey(kKeyF6, false, true));
    EXPECT_EQ(rec.editCalls, 1);
    Settings.KioskFunctions = 0;
    EXPECT_FALSE(HandleHotKey(kKeyF6, false, true));
}

TEST_F(KeyboardTest, F1PlaysTheNextKeysMacroOrOpensThePrompt) {
    ASSERT_TRUE(SetTerminalType("WYSE60", false));
    rec.macros = {'x'};
    rec.keys = {kKeyF1, 'x'};
    PollKeyboard(true);  // the hot-key handler queues F1 again
    PollKeyboard(true);
    ProcessKeyboard();
    ASSERT_EQ(rec.startedMacros.size(), 1u);
    EXPECT_EQ(rec.startedMacros[0], 'x');
    EXPECT_EQ(rec.sent, "");
    rec.charKey = 'x';
    Type({kKeyF1});
    ASSERT_EQ(rec.startedMacros.size(), 2u);
}

TEST_F(KeyboardTest, TypedLineEndsAsTheSettingsSay) {
    struct Case {
        bool autoLf, ncr;
        const char* expected;
    } cases[] = {{false, false, "ok\r"}, {true, false, "ok\r\n"}, {true, true, "ok\r\x07\x02"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        rec.sent.clear();
        ReceiveLoop.KeyboardLocked = false;
        Settings.AutoLF = c.autoLf;
        ReceiveLoop.NcrMode = c.ncr;
        ReceiveLoop.TimeoutDeadline = 99;
        Type({'o', 'k', '\r'});
        EXPECT_EQ(rec.sent, c.expected);
        EXPECT_TRUE(ReceiveLoop.KeyboardLocked);
        EXPECT_EQ(ReceiveLoop.TimeoutDeadline, 0);
    }
    // A locked keyboard holds typed keys back, unless the settings say the
    // keyboard never locks.
    rec.sent.clear();
    Settings.NoKeyboardLock = 0;
    Type({'z'});
    EXPECT_EQ(rec.sent, "");
    EXPECT_EQ(Keyboard.KeyRing.Count(), 1u);
    Settings.NoKeyboardLock = 1;
    ProcessKeyboard();
    EXPECT_EQ(rec.sent, "z");
}

TEST_F(KeyboardTest, FailedSendIsReported) {
    rec.failSends = true;
    Type({'a'});
    EXPECT_EQ(rec.messages, std::vector<uint16_t>{909});
}

TEST_F(KeyboardTest, SourcesAreServedInOrderOnePerCall) {
    auto& interp = commands::Interpreter;
    interp.FunctionReply = "00";
    interp.PendingInput = "in";
    interp.PendingSendText = u"wide";
    Keyboard.KeyRing.Put('k');
    ProcessKeyboard();
    EXPECT_EQ(rec.sent, "in");
    ProcessKeyboard();
    EXPECT_EQ(rec.sent, "inwide");
    ProcessKeyboard();
    EXPECT_EQ(rec.sent, "inwide00\r");
    EXPECT_EQ(Keyboard.LastReplyLine.View(), "00");
    // The reply's CR locked the keyboard; the typed key waits.
    EXPECT_EQ(Keyboard.KeyRing.Count(), 1u);
    ReceiveLoop.KeyboardLocked = false;
    Keyboard.RetransmitPending = true;
    ProcessKeyboard();
    EXPECT_EQ(rec.sent, "inwide00\r00\r");
}

TEST_F(KeyboardTest, LongQueuedTextGoesOutInBoundedSends) {
    commands::Interpreter.PendingSendText = std::u16string(1000, u'q');
    ProcessKeyboard();
    EXPECT_EQ(rec.sent, std::string(1000, 'q'));
    for (size_t n : rec.sendCalls) EXPECT_LE(n, 255u);
    // Full duplex without pacing: one call for a short text.
    rec.sendCalls.clear();
    EXPECT_TRUE(TransmitString("hello", 0));
    EXPECT_EQ(rec.sendCalls, std::vector<size_t>{5});
}

TEST_F(KeyboardTest, HalfDuplexEchoesAndMarksTheRingHistory) {
    Settings.FullDuplex = 0;
    commands::Interpreter.PendingInput = "ab";
    ProcessKeyboard();
    EXPECT_EQ(rec.sent, "ab");
    EXPECT_EQ(rec.sendCalls, (std::vector<size_t>{1, 1}));  // byte by byte
    EXPECT_EQ(rec.echoed, "ab");
    const auto& ring = connections::CommReceiveRing();
    EXPECT_TRUE(ring.Empty());  // never read as received data
    EXPECT_EQ(ring.write, 2);
    EXPECT_EQ(ring.storage[0], 'a' | 0x80);
    EXPECT_EQ(ring.storage[1], 'b' | 0x80);
    // With received bytes waiting the history is left alone; a quiet line echoes nothing.
    const uint8_t host[] = {'h'};
    connections::StoreReceivedBytes(host, 1);
    TermExecutor.QuietLine = true;
    EXPECT_TRUE(TransmitString("c", 0));
    EXPECT_EQ(rec.echoed, "ab");
    EXPECT_EQ(ring.Count(), 1);
    EXPECT_EQ(ring.storage[2], 'h');
}

TEST_F(KeyboardTest, TransmitConvertsToTheHostTextCodePage) {
    EmulatorState.HostTextAnsi = false;  // the host takes OEM text
    EXPECT_TRUE(TransmitString("\xe9", 0));        // ANSI e-acute
    EXPECT_TRUE(TransmitString("\x82", 1));        // already OEM
    EXPECT_TRUE(TransmitString("\xe9", 4));        // host bytes: unchanged
    EXPECT_EQ(rec.sent, "\x82\x82\xe9");
}

TEST_F(KeyboardTest, KeyToHostCodeByCharsetKind) {
    struct Case {
        uint8_t kind;
        uint32_t codePage;
        char16_t ch;
        const char* expected;
    } cases[] = {
        {0, 0, u'\u00e9', "\xe9"},    // ANSI 1252
        {6, 0, u'\u00e9', "\x82"},    // OEM 437
        {14, 850, u'\u00e9', "\x82"}, {14, 437, u'\u00a3', "\x9c"},
        {16, 0, u'\u00a4', "\xa8"},   {16, 0, u'\u00ff', "\xfd"}, {16, 0, u'\u00e9', "\xe9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << int(c.kind) << " U+" << std::hex << int(c.ch));
        Settings.CharsetKind = c.kind;
        Settings.CodePage.Set(c.codePage);
        EXPECT_EQ(KeyToHostCode(c.ch), c.expected);
    }
    Settings.EuroChar = 0x80;
    EXPECT_EQ(KeyToHostCode(u'\u20ac'), "\x80");
}

TEST_F(KeyboardTest, TypedCharactersReachTheHostInItsCodePage) {
    // UTF-8 from the keyboard, to the host's page 437.
    Settings.KeyFlag3971 = 1;
    Settings.KeyFlag3972 = 1;
    Settings.CharsetKind = 14;
    Settings.CodePage.Set(437);
    Type({0xC3, 0xA9, 'x'});
    EXPECT_EQ(rec.sent, "\x82x");
    // A run of continuation bytes is never gathered past one character.
    rec.sent.clear();
    Type({0xF0, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80});
    EXPECT_EQ(rec.sent.substr(0, 1), "?");
    // Upper-case keys and the euro byte.
    Settings.KeyFlag3971 = 0;
    Settings.UpperCaseKeys = 1;
    Settings.EuroChar = 0xD5;
    rec.sent.clear();
    Type({'a', 0x80});
    EXPECT_EQ(rec.sent, "A\xd5");
}

TEST_F(KeyboardTest, TabFillsToTheNextStop) {
    Settings.TabStops = {};
    Settings.TabStops[0] = 9;
    Settings.TabStops[1] = 17;
    Settings.TabAsTab = 0;
    Settings.TabFillChar = '.';
    console::ConsoleLayer.CursorCol = 3;
    Type({'\t'});
    EXPECT_EQ(rec.sent, "......");
    Settings.TabAsTab = 1;
    rec.sent.clear();
    Type({'\t'});
    EXPECT_EQ(rec.sent, "\t");
    // A stop far beyond the cursor never gives more than 80 fill characters.
    Settings.TabAsTab = 0;
    Settings.TabStops[0] = 250;
    console::ConsoleLayer.CursorCol = 1;
    EXPECT_EQ(ExpandTab().size(), 80u);
}

TEST_F(KeyboardTest, EightBitControls) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {{"\x1b[A", "\x9b" "A"}, {"\x1bPq", "\x90q"}, {"\x1b\\", "\x9c"},
                 {"\x1bOP", "\x1bOP"}, {"\x1b", "\x1b"}, {"", ""}};
    TermExecutor.EightBitControls = true;
    for (const auto& c : cases) EXPECT_EQ(ToEightBitControls(c.in), c.out) << c.in;
    TermExecutor.EightBitControls = false;
    EXPECT_EQ(ToEightBitControls("\x1b[A"), "\x1b[A");
    // A terminal key typed with 8-bit controls on.
    ASSERT_TRUE(SetTerminalType("VT220", false));
    TermExecutor.EightBitControls = true;
    Type({338});
    EXPECT_EQ(rec.sent, "\x9b" "2~");
}

TEST_F(KeyboardTest, MacroKeysGoOutInBatches) {
    static std::deque<uint16_t> macro;
    macro = {'l', 's', '\r', 'x'};
    Keyboard.Hooks.MacroMode = []() -> uint8_t { return macro.empty() ? 0 : 1; };
    Keyboard.Hooks.NextMacroKey = [](bool, uint16_t& code, bool& isChar) {
        if (macro.empty()) return false;
        code = macro.front();
        isChar = true;
        macro.pop_front();
        return true;
    };
    ProcessKeyboard();
    EXPECT_EQ(rec.sent, "ls\r");
    EXPECT_EQ(rec.sendCalls, std::vector<size_t>{3});
    EXPECT_TRUE(ReceiveLoop.KeyboardLocked);
}

TEST_F(KeyboardTest, ErrorTextFollowsTheSharedRule) {
    Keyboard.Hooks.SystemErrorText = [](uint32_t code) { return "system " + std::to_string(code); };
    EXPECT_EQ(ErrorText(5), "system 5");
    EXPECT_EQ(ErrorText(0x30000001), console::GetMessageText(1201, false));
    EXPECT_FALSE(ErrorText(0x30000001).empty());
    EXPECT_EQ(ErrorText(0), "");
}

}  // namespace
}  // namespace emulation
