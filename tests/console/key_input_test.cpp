// Key messages into the console key queue: extended keys, typed text, dead keys, Alt codes,
// the keyboard hook and the waits for keys.
#include "console/key_input.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "commands/settings_record.h"
#include "console/code_pages.h"
#include "console/key_codes.h"
#include "console/key_queue.h"
#include "console/program_launch.h"

namespace {

using console::KeyMessage;

// The posted character messages, the warnings and the halts the handlers asked for.
struct Recorder {
    std::vector<std::pair<char16_t, uint8_t>> Posted;
    int Warnings = 0;
    bool CancelWarning = false;
    bool Waiting = false;
    int Halts = 0;
    bool CheckBreak = false;
    std::vector<uint16_t> Macros;
    int TextPrints = 0;
    int PagePrints = 0;
    std::deque<std::vector<uint16_t>> Arrivals;  // keys that each wait for a message brings
    int Waits = 0;
};
Recorder* R = nullptr;

// Code page 932's one double-byte character the tests type; every other page built in.
class DoubleByteCodePages final : public platform::CodePages {
  public:
    platform::BuiltinCodePages& builtin = platform::BuiltinCodePagesInstance();
    uint32_t AnsiCodePage() override { return builtin.AnsiCodePage(); }
    uint32_t OemCodePage() override { return builtin.OemCodePage(); }
    bool IsValidCodePage(uint32_t cp) override { return cp == 932 || builtin.IsValidCodePage(cp); }
    int MaxCharSize(uint32_t cp) override { return cp == 932 ? 2 : builtin.MaxCharSize(cp); }
    bool IsLeadByte(uint32_t cp, uint8_t byte) override { return cp == 932 && byte == 0x82; }
    const char16_t* ByteTable(uint32_t cp, bool glyphs) override {
        return cp == 932 ? nullptr : builtin.ByteTable(cp, glyphs);
    }
    size_t ToWide(uint32_t cp, const uint8_t* bytes, size_t n, uint32_t flags, char16_t* out,
                  size_t capacity) override {
        if (cp != 932) return builtin.ToWide(cp, bytes, n, flags, out, capacity);
        if (n == 2 && bytes[0] == 0x82 && bytes[1] == 0xA0 && capacity >= 1) {
            out[0] = u'\u3042';
            return 1;
        }
        return builtin.ToWide(1252, bytes, n, flags, out, capacity);
    }
    size_t FromWide(uint32_t cp, const char16_t* text, size_t n, uint8_t* out, size_t capacity,
                    bool* usedDefault) override {
        return builtin.FromWide(cp, text, n, out, capacity, usedDefault);
    }
    std::optional<std::string> SystemName(uint32_t) override { return std::nullopt; }
    std::vector<uint32_t> InstalledCodePages() override { return {932}; }
};

class KeyInputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        R = &rec;
        console::ResetKeyQueue();
        console::ResetKeyInput();
        console::ResetKeyInputHooks();
        console::ResetProgramLaunch();
        commands::ResetSettingsToDefaults();
        commands::Settings.KeyFlag3972 = 0;
        commands::Settings.AllowAccelerators = 0;
        platform::ResetCodePages();

        auto& h = console::keyInputHooks;
        h.PostCharMessage = [](char16_t ch, uint8_t scan) { R->Posted.emplace_back(ch, scan); };
        h.LaunchedProgramWaiting = [] { return R->Waiting; };
        h.WarnLaunchedProgram = [] {
            ++R->Warnings;
            return R->CancelWarning;
        };
        h.CheckBreak = [] { return R->CheckBreak; };
        h.HaltProgram = [] { ++R->Halts; };
        h.MacroExists = [](uint16_t key) {
            for (uint16_t m : R->Macros)
                if (m == key) return true;
            return false;
        };
        h.PrintScreenText = [] { ++R->TextPrints; };
        h.PrintScreenPage = [] { ++R->PagePrints; };
        h.WaitForMessage = [] {
            ++R->Waits;
            if (R->Arrivals.empty()) return;
            for (uint16_t e : R->Arrivals.front()) console::PutKeyEntry(e);
            R->Arrivals.pop_front();
        };
        // Combining marks compose into a code of the private area, as new composites do.
        h.ComposeChars = [](std::u16string_view seq, bool allowPrivate) -> char16_t {
            if (seq.size() == 2 && seq[0] == u'x' && seq[1] == 0x0301 && allowPrivate)
                return 0xE900;
            return 0xFFFF;
        };
    }
    void TearDown() override {
        platform::ResetCodePages();
        console::ResetKeyInputHooks();
        console::ResetKeyInput();
        console::ResetKeyQueue();
        commands::ResetSettingsToDefaults();
        R = nullptr;
    }

    static std::vector<uint16_t> Drain() {
        std::vector<uint16_t> out;
        while (!console::KeyQueueEmpty()) out.push_back(console::TakeKeyEntry());
        return out;
    }

    Recorder rec;
};

KeyMessage Key(uint16_t code, const char* mods = "", uint8_t scan = 0) {
    KeyMessage k;
    k.Code = code;
    k.Scan = scan;
    for (const char* m = mods; *m; ++m) {
        switch (*m) {
            case 's':
                k.Shift = true;
                break;
            case 'c':
                k.Ctrl = true;
                break;
            case 'a':
                k.Alt = true;
                break;
            case 'e':
                k.Extended = true;
                break;
            case 'n':
                k.NumLock = true;
                break;
        }
    }
    return k;
}

void Type(std::string_view text, bool wide = true) {
    for (char ch : text) console::CharHandler(Key(static_cast<uint8_t>(ch)), wide);
}

constexpr uint16_t W(uint8_t scan, uint8_t keyClass = 0) {
    return console::ExtendedKeyWord(scan, keyClass);
}

TEST_F(KeyInputTest, ExtendedKeysBecomeTheirKeyCodes) {
    namespace vk = console::vk;
    struct Case {
        uint16_t VirtualKey;
        const char* Mods;
        uint16_t Word;
        console::KeyCode Code;
    };
    const Case cases[] = {
        {vk::F1, "", W(59), console::kKeyF1},
        {vk::F10, "", W(68), console::kKeyF10},
        {vk::F1, "s", W(84), 340},
        {vk::F10, "c", W(103), 359},
        {vk::F1, "a", W(104), 360},
        {vk::F1, "sc", W(104), 360},  // Shift with Ctrl reads the Alt column
        {vk::F11, "", W(133), console::kKeyF11},
        {vk::F12, "", W(134), console::kKeyF12},
        {vk::F12, "a", W(140), 396},
        {vk::F13, "", W(208), 464},
        {vk::F13 + 6, "c", W(222), 478},
        {vk::F13, "a", 0, 0},  // F13..F20 have no Alt form
        {vk::F20, "s", W(190), 446},
        // Grey keys carry the extended-key flag.
        {vk::Home, "e", W(71, 0xE0), console::kKeyHome},
        {vk::Up, "e", W(72, 0xE0), console::kKeyUp},
        {vk::Prior, "e", W(73, 0xE0), console::kKeyPgUp},
        {vk::Left, "e", W(75, 0xE0), console::kKeyLeft},
        {vk::Right, "e", W(77, 0xE0), console::kKeyRight},
        {vk::End, "e", W(79, 0xE0), console::kKeyEnd},
        {vk::Down, "e", W(80, 0xE0), console::kKeyDown},
        {vk::Next, "e", W(81, 0xE0), console::kKeyPgDn},
        {vk::Insert, "e", W(82, 0xE0), console::kKeyIns},
        {vk::Delete, "e", W(83, 0xE0), console::kKeyDel},
        // The same keys on the keypad with NumLock off, and their modified forms.
        {vk::Home, "", W(71), 487},
        {vk::Right, "ce", W(116, 0xE0), 372},
        {vk::Right, "c", W(116), 372},
        {vk::Up, "s", W(184), 440},
        {vk::Delete, "ae", W(163, 0xE0), 419},
        {vk::Clear, "", W(76), 492},
        {vk::Tab, "c", W(148), 404},
        {vk::Escape, "s", W(167), 423},
        // Keys that stay characters.
        {vk::Escape, "", 0, 0},
        {vk::Tab, "s", 0, 0},
        {'A', "", 0, 0},
        {vk::Shift, "s", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "vk " << c.VirtualKey << " mods " << c.Mods);
        bool handled = console::KeyDownHandler(Key(c.VirtualKey, c.Mods));
        auto queued = Drain();
        if (c.Word == 0) {
            EXPECT_FALSE(handled);
            EXPECT_TRUE(queued.empty());
            continue;
        }
        EXPECT_TRUE(handled);
        ASSERT_EQ(queued, std::vector<uint16_t>{c.Word});
        EXPECT_EQ(console::KeyCodeFromRawKey(queued[0]), c.Code);
    }
}

TEST_F(KeyInputTest, KeypadOperatorsAndEnter) {
    namespace vk = console::vk;
    EXPECT_TRUE(console::KeyDownHandler(Key(vk::Add, "n")));
    EXPECT_TRUE(console::KeyDownHandler(Key(vk::Add, "c")));
    EXPECT_TRUE(console::KeyDownHandler(Key(vk::Divide, "e")));
    console::CharHandler(Key(13, "e"), true);   // keypad Enter, NumLock off
    console::CharHandler(Key(13, "en"), true);  // keypad Enter, NumLock on
    console::CharHandler(Key(13), true);        // the main Enter is a character
    auto q = Drain();
    ASSERT_EQ(
        q, (std::vector<uint16_t>{W(43, 0xD0), W(144), W(47, 0xF0), W(13, 0xF0), W(13, 0xD0), 13}));
    EXPECT_EQ(console::KeyCodeFromRawKey(q[0]), 502);
    EXPECT_EQ(console::KeyCodeFromRawKey(q[3]), 429);
    EXPECT_EQ(console::KeyCodeFromRawKey(q[4]), 500);
}

TEST_F(KeyInputTest, ControlCharactersThatAreKeys) {
    struct Case {
        uint16_t Ch;
        const char* Mods;
        uint8_t Scan;
        uint16_t Word;
    };
    const Case cases[] = {
        {9, "s", 15, W(15)},      // Shift+Tab
        {8, "", 14, W(8)},        // Backspace
        {8, "s", 14, W(181)},     // Shift+Backspace
        {0x7F, "c", 14, W(182)},  // Ctrl+Backspace
        {0x0A, "c", 28, W(196)},  // Ctrl+Enter
        {u' ', "c", 57, W(3)},    // Ctrl+Space
        {0, "cs", 3, W(3)},       // Ctrl+Shift+2
        {1, "cs", 30, W(30)},     // Ctrl+Shift+A: its scan code
        {0x1E, "cs", 7, 0x1E},    // Ctrl+Shift+6 stays the character
        {1, "c", 30, 1},          // Ctrl+A
        {u'a', "", 30, u'a'},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "char " << c.Ch << " mods " << c.Mods);
        console::CharHandler(Key(c.Ch, c.Mods, c.Scan), true);
        EXPECT_EQ(Drain(), std::vector<uint16_t>{c.Word});
    }
}

TEST_F(KeyInputTest, CtrlDigitsPostTheirControlCharacters) {
    EXPECT_TRUE(console::KeyDownHandler(Key('2', "c", 3)));
    EXPECT_TRUE(console::KeyDownHandler(Key(console::vk::OemMinus, "c", 12)));
    EXPECT_TRUE(console::KeyDownHandler(Key('2', "cs", 3)));
    EXPECT_TRUE(Drain().empty());
    ASSERT_EQ(rec.Posted, (std::vector<std::pair<char16_t, uint8_t>>{{0, 3}, {0x1F, 12}, {0, 3}}));
    // The posted NUL with the scan code of "2" is the DOS Ctrl+@ key.
    console::CharHandler(Key(0, "c", 3), true);
    EXPECT_EQ(Drain(), std::vector<uint16_t>{W(3)});
}

TEST_F(KeyInputTest, TypedTextIsUtf8OrCodePageBytes) {
    // Without the Unicode flag the code-page byte itself.
    console::CharHandler(Key(0xE9), false);
    console::CharHandler(Key(0x80), false);
    EXPECT_EQ(Drain(), (std::vector<uint16_t>{0xE9, 0x80}));

    commands::Settings.KeyFlag3972 = 1;
    Type("ab", false);
    console::CharHandler(Key(0x80), false);  // the euro sign of code page 1252
    console::CharHandler(Key(0x20AC), true);
    console::CharHandler(Key(0xD83D), true);  // U+1F600 as two units
    console::CharHandler(Key(0xDE00), true);
    console::CharHandler(Key(0xDE00), true);  // a low half alone is no character
    EXPECT_EQ(Drain(), (std::vector<uint16_t>{'a', 'b', 0xE2, 0x82, 0xAC, 0xE2, 0x82, 0xAC, 0xF0,
                                              0x9F, 0x98, 0x80}));
}

TEST_F(KeyInputTest, DoubleByteCharactersWaitForTheirTrailByte) {
    commands::Settings.KeyFlag3972 = 1;
    DoubleByteCodePages codePages;
    platform::SetCodePages(&codePages);
    console::keyInputHooks.KeyboardCodePage = []() -> uint32_t { return 932; };
    console::CharHandler(Key(0x82), false);
    EXPECT_TRUE(console::KeyQueueEmpty());
    console::CharHandler(Key(0xA0), false);
    EXPECT_EQ(Drain(), (std::vector<uint16_t>{0xE3, 0x81, 0x82}));
    platform::ResetCodePages();
}

TEST_F(KeyInputTest, DeadKeysComposeTheNextLetter) {
    namespace vk = console::vk;
    struct Case {
        uint16_t VirtualKey;
        const char* Mods;
        char Letter;
        bool Unicode;
        std::vector<uint16_t> Queued;
    };
    const Case cases[] = {
        {vk::Oem7, "c", 'e', false, {0xE9}},             // Ctrl+' e: é as a 1252 byte
        {vk::Oem7, "c", 'e', true, {0xC3, 0xA9}},        // and as UTF-8
        {vk::Oem1, "cs", 'y', true, {0xC3, 0xBF}},       // Ctrl+Shift+; y: ÿ
        {vk::Oem3, "c", 'A', true, {0xC3, 0x80}},        // Ctrl+` A: À
        {vk::Oem3, "cs", 'n', true, {0xC3, 0xB1}},       // Ctrl+~ n: ñ
        {'7', "cs", 's', true, {0xC3, 0x9F}},            // Ctrl+& s: ß
        {vk::Oem2, "c", 'O', false, {0xD8}},             // Ctrl+/ O: Ø
        {vk::Oem7, "c", 'x', true, {0xEE, 0xA4, 0x80}},  // x with U+0301: a new composite
        {vk::Oem7, "c", 'x', false, {'x'}},              // without Unicode x stays x
        {vk::OemComma, "c", 'q', true, {'q'}},           // nothing composes: q
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "vk " << c.VirtualKey << " then " << c.Letter);
        commands::Settings.KeyFlag3972 = c.Unicode;
        EXPECT_FALSE(console::KeyDownHandler(Key(c.VirtualKey, c.Mods)));
        EXPECT_NE(console::keyInput.DeadKeyPending, 0);
        console::CharHandler(Key(static_cast<uint8_t>(c.Letter)), false);
        EXPECT_EQ(console::keyInput.DeadKeyPending, 0);
        EXPECT_EQ(Drain(), c.Queued);
    }
}

TEST_F(KeyInputTest, CtrlSixIsTheCircumflexDeadKey) {
    commands::Settings.KeyFlag3972 = 1;
    EXPECT_TRUE(console::KeyDownHandler(Key('6', "c", 7)));
    ASSERT_EQ(rec.Posted.size(), 1u);
    // The posted 0x1E keeps the dead key pending; the next letter takes the circumflex.
    console::CharHandler(Key(0x1E, "c", 7), true);
    EXPECT_EQ(console::keyInput.DeadKeyPending, 3);
    Type("a");
    EXPECT_EQ(Drain(), (std::vector<uint16_t>{0xC3, 0xA2}));
}

TEST_F(KeyInputTest, AltKeypadCodes) {
    namespace vk = console::vk;
    commands::Settings.KeyFlag3972 = 1;
    auto altDigits = [](std::string_view digits) {
        for (char d : digits)
            EXPECT_TRUE(console::SysKeyDownHandler(Key(vk::Numpad0 + (d - '0'), "an")));
        // The character of the message that ends the code does not count.
        console::CharHandler(Key('?'), true);
    };
    altDigits("0233");  // a leading 0: a Unicode value
    altDigits("130");   // an OEM byte: é in code page 437
    altDigits("8364");  // above 255: a Unicode value
    EXPECT_EQ(Drain(), (std::vector<uint16_t>{0xC3, 0xA9, 0xC3, 0xA9, 0xE2, 0x82, 0xAC}));
    EXPECT_TRUE(console::keyInput.AltCodeOem);

    // Another key abandons the code; Alt itself (it repeats while held) does not.
    EXPECT_TRUE(console::SysKeyDownHandler(Key(vk::Numpad1, "an")));
    EXPECT_FALSE(console::SysKeyDownHandler(Key(vk::Menu, "a")));
    EXPECT_EQ(console::keyInput.AltCode, 1);
    EXPECT_FALSE(console::SysKeyDownHandler(Key('X', "a")));
    EXPECT_EQ(console::keyInput.AltCode, 0);
    Type("k");
    EXPECT_EQ(Drain(), std::vector<uint16_t>{'k'});

    // A lone keypad 0 types nothing and does not make the next code a Unicode value.
    EXPECT_TRUE(console::SysKeyDownHandler(Key(vk::Numpad0, "an")));
    Type("m");
    EXPECT_FALSE(console::SysKeyDownHandler(Key(vk::Menu, "a")));
    altDigits("130");
    EXPECT_EQ(Drain(), (std::vector<uint16_t>{'m', 0xC3, 0xA9}));
}

TEST_F(KeyInputTest, AltKeysAndMenuCharacters) {
    namespace vk = console::vk;
    // Navigation and function keys with Alt are extended keys; others go to the menus.
    EXPECT_TRUE(console::SysKeyDownHandler(Key(vk::Home, "ae")));
    EXPECT_TRUE(console::SysKeyDownHandler(Key(vk::F10, "")));  // F10 alone is a system key
    EXPECT_FALSE(console::SysKeyDownHandler(Key('F', "a")));
    EXPECT_EQ(Drain(), (std::vector<uint16_t>{W(151, 0xE0), W(68)}));

    EXPECT_TRUE(console::SysCharHandler(Key('a', "a", 30)));
    EXPECT_TRUE(console::SysCharHandler(Key('1', "a", 2)));
    EXPECT_TRUE(console::SysCharHandler(Key('=', "a", 13)));
    auto q = Drain();
    ASSERT_EQ(q, (std::vector<uint16_t>{W(30), W(120), W(131)}));
    EXPECT_EQ(console::KeyCodeFromRawKey(q[0]), console::kKeyAltA);

    // With accelerators only a key that has a macro is taken from the menus.
    commands::Settings.AllowAccelerators = 1;
    rec.Macros = {256 + 38};  // Alt-L
    EXPECT_FALSE(console::SysCharHandler(Key('f', "a", 33)));
    EXPECT_TRUE(console::SysCharHandler(Key('l', "a", 38)));
    EXPECT_TRUE(console::MenuCharHandler(Key('f', "a", 33)));
    EXPECT_EQ(Drain(), (std::vector<uint16_t>{W(38), W(33)}));
}

TEST_F(KeyInputTest, ImeTextGoesInAsCharacters) {
    commands::Settings.KeyFlag3972 = 1;
    console::ImeResultString(u"\u65E5\u672C");
    EXPECT_EQ(Drain(), (std::vector<uint16_t>{0xE6, 0x97, 0xA5, 0xE6, 0x9C, 0xAC}));
}

TEST_F(KeyInputTest, BreakEndsTheProgramOnlyWhileCheckBreakIsOn) {
    console::KeyDownHandler(Key(console::vk::Cancel, "c"));
    console::CharHandler(Key(3, "c", 46), true);
    EXPECT_EQ(rec.Halts, 0);
    EXPECT_EQ(Drain(), std::vector<uint16_t>{3});
    rec.CheckBreak = true;
    EXPECT_TRUE(console::KeyDownHandler(Key(console::vk::Cancel, "c")));
    console::CharHandler(Key(3, "c", 46), true);
    EXPECT_EQ(rec.Halts, 2);
    EXPECT_TRUE(console::KeyQueueEmpty());
}

TEST_F(KeyInputTest, NothingIsTypedWhileALaunchedProgramIsWaitedFor) {
    rec.Waiting = true;
    EXPECT_FALSE(console::KeyDownHandler(Key(console::vk::F1)));
    console::CharHandler(Key('a'), true);
    console::PutCharKey(u'b');
    EXPECT_TRUE(console::SysCharHandler(Key('a', "a", 30)));
    EXPECT_TRUE(console::KeyQueueEmpty());
    EXPECT_EQ(rec.Warnings, 4);

    // Cancel gives the wait up: the launcher's handle is forgotten.
    console::programLaunch.LaunchedProcess = 42;
    rec.CancelWarning = true;
    console::CharHandler(Key('a'), true);
    EXPECT_EQ(console::programLaunch.LaunchedProcess, 0u);
    EXPECT_TRUE(console::KeyQueueEmpty());
}

TEST_F(KeyInputTest, QueueKeeps511EntriesInOrderAndDropsTheRest) {
    for (int i = 0; i < 200; ++i) console::PutKeyEntry(0xFFFF);
    for (int i = 0; i < 200; ++i) console::TakeKeyEntry();  // the ring wraps below
    for (int i = 0; i < console::kKeyQueueSize; ++i)
        EXPECT_TRUE(console::PutKeyEntry(static_cast<uint16_t>(i + 1)));
    EXPECT_FALSE(console::PutKeyEntry(0x3B00));  // the 512th is lost
    console::PutExtendedKey(59, false, false, false);
    EXPECT_EQ(console::ConsoleKeyQueue.Count, 511);
    for (int i = 0; i < console::kKeyQueueSize; ++i) ASSERT_EQ(console::TakeKeyEntry(), i + 1);
    EXPECT_TRUE(console::KeyQueueEmpty());
    EXPECT_EQ(console::TakeKeyEntry(), 0);
    EXPECT_EQ(console::ConsoleKeyQueue.Count, 0);
}

TEST_F(KeyInputTest, ACharacterThatDoesNotFitIsDroppedWhole) {
    commands::Settings.KeyFlag3972 = 1;
    for (int i = 0; i < console::kKeyQueueSize - 2; ++i) console::PutKeyEntry('x');
    console::PutCharKey(u'\u20AC');  // three bytes, two free
    EXPECT_EQ(console::KeyQueueFree(), 2);
    console::PutCharKey(u'\u00E9');  // two bytes fit
    EXPECT_EQ(console::KeyQueueFree(), 0);
    auto q = Drain();
    EXPECT_EQ(q[q.size() - 2], 0xC3);
    EXPECT_EQ(q.back(), 0xA9);
}

TEST_F(KeyInputTest, KeyboardHookTakesNumLockAndPrintScreen) {
    namespace vk = console::vk;
    commands::Settings.NumLockProgrammable = 0;
    commands::Settings.PrintScreenKey = 0;
    // Without the settings both keys pass untouched.
    EXPECT_FALSE(console::KeyboardHook(vk::NumLock, false, true).Swallow);
    console::KeyboardHook(vk::Snapshot, true, true);
    EXPECT_TRUE(console::KeyQueueEmpty());
    EXPECT_EQ(rec.TextPrints + rec.PagePrints, 0);

    commands::Settings.NumLockProgrammable = 1;
    auto down = console::KeyboardHook(vk::NumLock, false, true);
    EXPECT_TRUE(down.Swallow);
    EXPECT_FALSE(down.RestoreNumLockState);
    EXPECT_EQ(Drain(), std::vector<uint16_t>{W(29)});
    auto up = console::KeyboardHook(vk::NumLock, true, true);
    EXPECT_TRUE(up.ReplayNumLock);
    EXPECT_FALSE(up.Swallow);
    // The replayed press and release pass through and end the replay.
    EXPECT_FALSE(console::KeyboardHook(vk::NumLock, false, true).Swallow);
    console::KeyboardHook(vk::NumLock, true, true);
    EXPECT_FALSE(console::keyInput.NumLockReplay);
    EXPECT_TRUE(console::KeyQueueEmpty());
    EXPECT_TRUE(console::KeyboardHook(vk::NumLock, false, false).RestoreNumLockState);
    EXPECT_FALSE(console::KeyboardHook(vk::NumLock, true, false).ReplayNumLock);
    Drain();

    commands::Settings.PrintScreenKey = 1;
    commands::Settings.PrintLevel = 0;
    commands::Settings.PrintScreenAsPage = 1;
    console::KeyboardHook(vk::Snapshot, false, true);  // only the release acts
    console::KeyboardHook(vk::Snapshot, true, true);
    commands::Settings.PrintScreenAsPage = 0;
    console::KeyboardHook(vk::Snapshot, true, true);
    EXPECT_EQ(rec.PagePrints, 1);
    EXPECT_EQ(rec.TextPrints, 1);
    rec.Macros = {0x119};
    console::KeyboardHook(vk::Snapshot, true, true);
    EXPECT_EQ(Drain(), std::vector<uint16_t>{W(25)});
}

TEST_F(KeyInputTest, WaitForKeySleepsUntilAKeyArrives) {
    rec.Arrivals = {{}, {}, {W(59), 'a'}};
    EXPECT_EQ(console::WaitForKey(), W(59));
    EXPECT_EQ(rec.Waits, 3);
    EXPECT_EQ(console::WaitForKey(), 'a');
    EXPECT_EQ(rec.Waits, 3);

    EXPECT_FALSE(console::KeyPressedOrWait(false));
    EXPECT_EQ(rec.Waits, 3);
    EXPECT_FALSE(console::KeyPressedOrWait(true));
    EXPECT_EQ(rec.Waits, 4);
    console::PutKeyEntry('z');
    EXPECT_TRUE(console::KeyPressedOrWait(true));
    EXPECT_EQ(rec.Waits, 4);
}

TEST_F(KeyInputTest, ReadLineInputEditsAndNeverOverrunsTheBuffer) {
    auto feed = [](std::string_view keys) {
        std::vector<uint16_t> entries;
        for (char ch : keys) entries.push_back(static_cast<uint8_t>(ch));
        entries.push_back(W(59));  // an extended key is skipped
        R->Arrivals = {entries};
    };
    uint8_t buffer[16];
    feed("ab\bcdefg\x01\r");
    std::memset(buffer, 0xEE, sizeof buffer);
    ASSERT_EQ(console::ReadLineInput(buffer, 6), 6);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 6), "acde\r\n");
    EXPECT_EQ(buffer[6], 0xEE);
    EXPECT_FALSE(console::KeyQueueEmpty());  // the F1 after the line stays
    Drain();

    // Buffers too small for the line end get what fits.
    for (int32_t size : {1, 2}) {
        feed("\b\bxy\r");
        std::memset(buffer, 0xEE, sizeof buffer);
        ASSERT_EQ(console::ReadLineInput(buffer, size), size);
        EXPECT_EQ(buffer[0], '\r');
        EXPECT_EQ(buffer[size], 0xEE);
        Drain();
    }
}

TEST(KeyCodes, RawWordsByClass) {
    struct Case {
        uint16_t Raw;
        console::KeyCode Code;
    };
    const Case cases[] = {
        {'a', 'a'},           {0xFF, 0xFF},   {W(0x3D, 0xE0), 464}, {W(0x56, 0xE0), 480},
        {W(0x60, 0xE0), 472}, {W(0x53), 499}, {W(0x2A, 0xF0), 458}, {W(0x2F, 0xD0), 506},
        {W(0x13, 0xD0), 478}, {0x1234, 0x34},
    };
    for (const Case& c : cases) EXPECT_EQ(console::KeyCodeFromRawKey(c.Raw), c.Code) << c.Raw;
}

}  // namespace
