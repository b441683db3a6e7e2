// Key messages of a real window through the pumps into the console key queue.
#include "console/key_input.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "commands/settings_record.h"
#include "console/key_codes.h"
#include "console/key_queue.h"
#include "console/program_launch.h"
#include "console/terminal_window.h"
#include "console/win32/key_input_win32.h"
#include "console/win32/terminal_window_win32.h"
#include "emulation/input/keyboard_hooks.h"
#include "emulation/session_services.h"
#include "terminal_window_fixture.h"

namespace {

LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (console::HandleKeyMessage(window, message, wParam, lParam, result)) return result;
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateTestWindow() {
    static bool registered = false;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = TestWindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = L"VzKeyInputTestWindow";
        registered = RegisterClassW(&wc) != 0;
    }
    return CreateWindowExW(0, L"VzKeyInputTestWindow", L"key input test", WS_OVERLAPPEDWINDOW, 0, 0,
                           300, 200, nullptr, nullptr, instance, nullptr);
}

// Key data of a message: the scan code, the extended-key flag, a repeat count of 1.
LPARAM KeyData(UINT scan, bool extended = false, bool up = false) {
    LPARAM data = static_cast<LPARAM>(scan) << 16 | 1;
    if (extended) data |= 1 << 24;
    if (up) data |= static_cast<LPARAM>(0xC0000000u);
    return data;
}

class Win32KeyInputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        savedSeam = console::SetTerminalWindowSeam(console::TerminalWindowSeam{});
        console::SetTerminalWindowSeam(savedSeam);
        commands::ResetSettingsToDefaults();
        commands::Settings.KeyFlag3972 = 1;
        commands::Settings.AllowAccelerators = 0;
        commands::Settings.NumLockProgrammable = 0;
        console::ResetKeyInput();
        console::ResetKeyInputHooks();
        console::ResetKeyQueue();
        console::InstallKeyInputWin32();
        window = CreateTestWindow();
        ASSERT_NE(window, nullptr);
        console::SetKeyInputWindow(window, nullptr);
        SetModifiers({});
        Pump();
        console::ResetKeyQueue();
    }
    void TearDown() override {
        console::RemoveKeyboardHook();
        console::SetKeyInputWindow(nullptr, nullptr);
        if (window) DestroyWindow(window);
        // The pumps made the terminal window when an earlier test had installed it.
        console::DestroyTerminalWindow();
        SetModifiers({});
        console::SetTerminalWindowSeam(savedSeam);
        console::programLaunch.pumpWindowMessages = nullptr;
        console::ResetKeyInputHooks();
        console::ResetKeyInput();
        console::ResetKeyQueue();
        commands::ResetSettingsToDefaults();
    }

    // The thread's view of the modifier keys and NumLock (posted messages do not change it).
    static void SetModifiers(std::vector<int> down, bool numLock = false) {
        BYTE state[256] = {};
        for (int key : down) state[key] = 0x80;
        if (numLock) state[VK_NUMLOCK] = 1;
        SetKeyboardState(state);
    }

    void Post(UINT message, WPARAM wParam, LPARAM lParam) {
        ASSERT_TRUE(PostMessageW(window, message, wParam, lParam));
    }
    static void Pump() {
        for (int i = 0; i < 3; ++i) console::PumpWindowMessages();
    }
    static std::vector<uint16_t> Drain() {
        std::vector<uint16_t> out;
        while (!console::KeyQueueEmpty()) out.push_back(console::TakeKeyEntry());
        return out;
    }

    console::TerminalWindowSeam savedSeam;
    HWND window = nullptr;
};

TEST_F(Win32KeyInputTest, PostedKeysReachTheQueueAsTheirCodes) {
    struct Case {
        UINT Message;
        WPARAM Key;
        UINT Scan;
        bool Extended;
        std::vector<int> Modifiers;
        bool NumLock;
        std::vector<console::KeyCode> Codes;
    };
    const Case cases[] = {
        {WM_KEYDOWN, VK_F1, 0x3B, false, {}, false, {console::kKeyF1}},
        {WM_KEYDOWN, VK_F10, 0x44, false, {}, false, {console::kKeyF10}},
        {WM_KEYDOWN, VK_F12, 0x58, false, {}, false, {console::kKeyF12}},
        {WM_KEYDOWN, VK_F1, 0x3B, false, {VK_SHIFT}, false, {340}},
        {WM_KEYDOWN, VK_UP, 0x48, true, {}, false, {console::kKeyUp}},
        {WM_KEYDOWN, VK_HOME, 0x47, true, {}, false, {console::kKeyHome}},
        {WM_KEYDOWN, VK_NEXT, 0x51, true, {}, false, {console::kKeyPgDn}},
        {WM_KEYDOWN, VK_DELETE, 0x53, true, {}, false, {console::kKeyDel}},
        {WM_KEYDOWN, VK_RIGHT, 0x4D, true, {VK_CONTROL}, false, {372}},
        {WM_KEYDOWN, VK_ADD, 0x4E, false, {}, true, {502}},
        // Ctrl+2 posts NUL with its scan code: the DOS Ctrl+@ key.
        {WM_KEYDOWN, '2', 0x03, false, {VK_CONTROL}, false, {259}},
        // A letter key is not handled: the pump makes its character.
        {WM_KEYDOWN, 'A', 0x1E, false, {}, false, {'a'}},
        {WM_CHAR, 'q', 0x10, false, {}, false, {'q'}},
        {WM_CHAR, 0xE9, 0, false, {}, false, {0xC3, 0xA9}},
        {WM_CHAR, 9, 0x0F, false, {VK_SHIFT}, false, {271}},
        {WM_CHAR, 13, 0x1C, true, {}, false, {429}},  // keypad Enter, NumLock off
        {WM_SYSKEYDOWN, VK_F10, 0x44, false, {}, false, {console::kKeyF10}},
        {WM_SYSKEYDOWN, VK_END, 0x4F, true, {VK_MENU}, false, {415}},
        {WM_SYSCHAR, 'a', 0x1E, false, {VK_MENU}, false, {console::kKeyAltA}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "message " << c.Message << " key " << c.Key);
        SetModifiers(c.Modifiers, c.NumLock);
        Post(c.Message, c.Key, KeyData(c.Scan, c.Extended));
        Pump();
        std::vector<console::KeyCode> codes;
        for (uint16_t raw : Drain()) codes.push_back(console::KeyCodeFromRawKey(raw));
        EXPECT_EQ(codes, c.Codes);
    }
}

TEST_F(Win32KeyInputTest, AltKeypadCodeTypesItsCharacter) {
    SetModifiers({VK_MENU}, true);
    for (WPARAM key : {VK_NUMPAD0, VK_NUMPAD2, VK_NUMPAD3, VK_NUMPAD3})
        Post(WM_SYSKEYDOWN, key, KeyData(0x52) | (1 << 29));
    Pump();
    EXPECT_TRUE(console::KeyQueueEmpty());
    SetModifiers({}, true);
    Post(WM_CHAR, 0x33, KeyData(0x38));
    Pump();
    EXPECT_EQ(Drain(), (std::vector<uint16_t>{0xC3, 0xA9}));
}

TEST_F(Win32KeyInputTest, KeyAvailableAndWaitForKeyTakeOneKeyAtATime) {
    Post(WM_KEYDOWN, VK_F2, KeyData(0x3C));
    Post(WM_KEYDOWN, VK_F3, KeyData(0x3D));
    EXPECT_TRUE(console::KeyAvailable());
    EXPECT_EQ(console::ConsoleKeyQueue.Count, 1);
    EXPECT_EQ(console::WaitForKey(), 0x3C00);
    EXPECT_EQ(console::WaitForKey(), 0x3D00);
    // A system key other than Alt, A or keypad 1 waits for the full pump.
    SetModifiers({VK_MENU});
    Post(WM_SYSKEYDOWN, VK_HOME, KeyData(0x47, true));
    EXPECT_FALSE(console::KeyAvailable());
    Pump();
    EXPECT_EQ(Drain(), std::vector<uint16_t>{console::ExtendedKeyWord(151, 0xE0)});
}

TEST_F(Win32KeyInputTest, KeyboardHookTakesNumLockAsAKey) {
    commands::Settings.NumLockProgrammable = 1;
    console::InstallKeyboardHook();
    SetForegroundWindow(window);
    SetFocus(window);
    INPUT input[2] = {};
    for (INPUT& in : input) {
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = VK_NUMLOCK;
        in.ki.wScan = 0x45;
        in.ki.dwFlags = KEYEVENTF_EXTENDEDKEY;
    }
    input[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    ASSERT_EQ(SendInput(2, input, sizeof(INPUT)), 2u);
    for (int i = 0; i < 50 && console::KeyQueueEmpty(); ++i) {
        Sleep(20);
        Pump();
    }
    // The replayed press and release of our own pass the hook and queue nothing more.
    for (int i = 0; i < 10; ++i) {
        Sleep(20);
        Pump();
    }
    EXPECT_EQ(Drain(), std::vector<uint16_t>{console::ExtendedKeyWord(29, 0)});
    EXPECT_FALSE(console::keyInput.NumLockReplay);
}

// The same keys posted to the program's own terminal window, with the key input installed as
// the program installs it: every F key and every grey cursor-block key in its plain, Shift, Ctrl
// and Alt forms, Alt+letters and typed characters, each checked against the key code the DOS
// extended-key scheme gives it.
class TerminalWindowKeysTest : public window_test::TerminalWindowFixture {
  protected:
    void SetUp() override {
        TerminalWindowFixture::SetUp();
        savedSeam = console::SetTerminalWindowSeam(console::TerminalWindowSeam{});
        console::SetTerminalWindowSeam(savedSeam);
        savedHandlers = console::WindowHandlers;
        savedMacroExists = emulation::ActiveKeyboardHooks().MacroExists;
        commands::Settings.KeyFlag3972 = 1;
        commands::Settings.AllowAccelerators = 0;
        commands::Settings.NumLockProgrammable = 0;
        console::ResetKeyInput();
        console::ResetKeyInputHooks();
        console::InstallKeyInputWin32();
        window = QuietWindow();
        ASSERT_NE(window, nullptr);
        SetKeyboard({});
        console::PumpWindowMessages();
        console::ResetKeyQueue();
    }
    void TearDown() override {
        SetKeyboard({});
        TerminalWindowFixture::TearDown();
        console::WindowHandlers = savedHandlers;
        console::SetTerminalWindowSeam(savedSeam);
        emulation::ActiveKeyboardHooks().MacroExists = savedMacroExists;
        console::programLaunch.pumpWindowMessages = nullptr;
        console::ResetKeyInputHooks();
        console::ResetKeyInput();
        console::ResetKeyQueue();
    }

    static void SetKeyboard(std::vector<int> down, bool numLock = false) {
        BYTE state[256] = {};
        for (int key : down) state[key] = 0x80;
        if (numLock) state[VK_NUMLOCK] = 1;
        SetKeyboardState(state);
    }
    // Posts one key message to the terminal window, pumps, and returns the key codes queued.
    std::vector<console::KeyCode> Press(UINT message, WPARAM key, UINT scan, bool extended,
                                        std::vector<int> modifiers) {
        SetKeyboard(modifiers);
        EXPECT_TRUE(PostMessageW(window, message, key, KeyData(scan, extended)));
        for (int i = 0; i < 3; ++i) console::PumpWindowMessages();
        std::vector<console::KeyCode> codes;
        while (!console::KeyQueueEmpty())
            codes.push_back(console::KeyCodeFromRawKey(console::TakeKeyEntry()));
        return codes;
    }

    console::TerminalWindowSeam savedSeam;
    console::TerminalWindowHandlers savedHandlers;
    bool (*savedMacroExists)(uint16_t) = nullptr;
    HWND window = nullptr;
};

TEST_F(TerminalWindowKeysTest, EveryExtendedKeyInEachShiftStateReachesTheQueueAsItsCode) {
    struct Key {
        const char* Name;
        WPARAM VirtualKey;
        UINT Scan;
        bool Grey;
        console::KeyCode Plain, Shift, Ctrl, Alt;
    };
    std::vector<Key> keys = {
        {"Up", VK_UP, 0x48, true, 328, 440, 397, 408},
        {"Down", VK_DOWN, 0x50, true, 336, 448, 401, 416},
        {"Left", VK_LEFT, 0x4B, true, 331, 443, 371, 411},
        {"Right", VK_RIGHT, 0x4D, true, 333, 445, 372, 413},
        {"Home", VK_HOME, 0x47, true, 327, 439, 375, 407},
        {"End", VK_END, 0x4F, true, 335, 447, 373, 415},
        {"PgUp", VK_PRIOR, 0x49, true, 329, 441, 388, 409},
        {"PgDn", VK_NEXT, 0x51, true, 337, 449, 374, 417},
        {"Ins", VK_INSERT, 0x52, true, 338, 450, 402, 418},
        {"Del", VK_DELETE, 0x53, true, 339, 451, 403, 419},
    };
    for (int i = 0; i < 10; ++i) {
        keys.push_back({"F", static_cast<WPARAM>(VK_F1 + i), static_cast<UINT>(0x3B + i), false,
                        static_cast<console::KeyCode>(315 + i),
                        static_cast<console::KeyCode>(340 + i),
                        static_cast<console::KeyCode>(350 + i),
                        static_cast<console::KeyCode>(360 + i)});
    }
    using Codes = std::vector<console::KeyCode>;
    for (const Key& k : keys) {
        SCOPED_TRACE(testing::Message() << k.Name << " (virtual key " << k.VirtualKey << ")");
        EXPECT_EQ(Press(WM_KEYDOWN, k.VirtualKey, k.Scan, k.Grey, {}), Codes{k.Plain});
        EXPECT_EQ(Press(WM_KEYDOWN, k.VirtualKey, k.Scan, k.Grey, {VK_SHIFT}), Codes{k.Shift});
        EXPECT_EQ(Press(WM_KEYDOWN, k.VirtualKey, k.Scan, k.Grey, {VK_CONTROL}), Codes{k.Ctrl});
        // With Alt held these keys arrive as system keys.
        EXPECT_EQ(Press(WM_SYSKEYDOWN, k.VirtualKey, k.Scan, k.Grey, {VK_MENU}), Codes{k.Alt});
    }
    // The cursor block on the keypad (NumLock off) has codes of its own.
    EXPECT_EQ(Press(WM_KEYDOWN, VK_HOME, 0x47, false, {}), Codes{487});
    EXPECT_EQ(Press(WM_KEYDOWN, VK_DELETE, 0x53, false, {}), Codes{499});
}

TEST_F(TerminalWindowKeysTest, AltLettersAndTypedCharactersReachTheQueue) {
    using Codes = std::vector<console::KeyCode>;
    // Alt+letter: the letter key's scan code; Alt+1 counts from 120 as the digit row does.
    EXPECT_EQ(Press(WM_SYSCHAR, 'a', 0x1E, false, {VK_MENU}), Codes{console::kKeyAltA});
    EXPECT_EQ(Press(WM_SYSCHAR, 'q', 0x10, false, {VK_MENU}), Codes{272});
    EXPECT_EQ(Press(WM_SYSCHAR, 'z', 0x2C, false, {VK_MENU}), Codes{300});
    EXPECT_EQ(Press(WM_SYSCHAR, '1', 0x02, false, {VK_MENU}), Codes{376});
    // Typed characters, a letter key made into its character by the pump, and the
    // Ctrl and Shift forms of the editing keys.
    EXPECT_EQ(Press(WM_CHAR, 'x', 0x2D, false, {}), Codes{'x'});
    EXPECT_EQ(Press(WM_KEYDOWN, 'B', 0x30, false, {VK_SHIFT}), Codes{'B'});
    EXPECT_EQ(Press(WM_CHAR, 0xE9, 0, false, {}), (Codes{0xC3, 0xA9}));
    EXPECT_EQ(Press(WM_CHAR, 8, 0x0E, false, {}), Codes{264});
    EXPECT_EQ(Press(WM_CHAR, 8, 0x0E, false, {VK_SHIFT}), Codes{437});
    EXPECT_EQ(Press(WM_CHAR, 0x7F, 0x0E, false, {VK_CONTROL}), Codes{438});
    EXPECT_EQ(Press(WM_CHAR, 9, 0x0F, false, {VK_SHIFT}), Codes{271});
    EXPECT_EQ(Press(WM_CHAR, 0x0A, 0x1C, false, {VK_CONTROL}), Codes{452});
    EXPECT_EQ(Press(WM_CHAR, 13, 0x1C, false, {}), Codes{13});
}

TEST_F(TerminalWindowKeysTest, TheWindowBringsTheKeyboardHookAndTheAcceleratorKeys) {
    // The hook came with the window: a programmable NumLock is a key.
    commands::Settings.NumLockProgrammable = 1;
    SetForegroundWindow(window);
    SetFocus(window);
    INPUT input[2] = {};
    for (INPUT& in : input) {
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = VK_NUMLOCK;
        in.ki.wScan = 0x45;
        in.ki.dwFlags = KEYEVENTF_EXTENDEDKEY;
    }
    input[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    ASSERT_EQ(SendInput(2, input, sizeof(INPUT)), 2u);
    for (int i = 0; i < 60; ++i) {
        Sleep(20);
        console::PumpWindowMessages();
    }
    std::vector<uint16_t> raw;
    while (!console::KeyQueueEmpty()) raw.push_back(console::TakeKeyEntry());
    EXPECT_EQ(raw, std::vector<uint16_t>{console::ExtendedKeyWord(29, 0)});
    commands::Settings.NumLockProgrammable = 0;

    // An accelerator of Alt+L while a macro is defined for Alt-L queues the key instead of
    // running the menu item.
    console::keyInput.LastKey = 'L';
    emulation::ActiveKeyboardHooks().MacroExists = [](uint16_t key) { return key == 256 + 0x26; };
    SetKeyboard({VK_MENU});
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(150, 1), 0);
    SetKeyboard({});
    raw.clear();
    while (!console::KeyQueueEmpty()) raw.push_back(console::TakeKeyEntry());
    EXPECT_EQ(raw, std::vector<uint16_t>{console::ExtendedKeyWord(0x26, 0)});
}

}  // namespace
