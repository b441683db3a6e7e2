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

}  // namespace
