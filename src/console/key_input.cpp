#include "console/key_input.h"

#include <cstdlib>
#include <string_view>

#include "commands/settings_record.h"
#include "console/code_pages.h"
#include "console/console_neighbours.h"
#include "console/console_primitives.h"
#include "console/exit_chain.h"
#include "console/key_codes.h"
#include "console/key_names.h"
#include "console/key_queue.h"
#include "console/messages.h"
#include "console/program_launch.h"
#include "console/screen_buffer.h"
#include "console/terminal_window.h"

namespace console {

KeyInput keyInput;

const char16_t DeadKeyMarks[12] = {0x0020, 0x0300, 0x0301, 0x0302, 0x0308, 0x0327,
                                   0x0303, 0x0020, 0x0020, 0x0323, 0x0309, 0x0306};

namespace {

constexpr uint16_t kMsgWaitingForProgram = 327;

// A US keyboard: rows of keys from their first scan code, the characters plain and with Shift.
struct LayoutRow {
    uint8_t FirstScan;
    std::string_view Plain, Shifted;
};
constexpr LayoutRow UsLayout[] = {
    {2, "1234567890-=", "!@#$%^&*()_+"},
    {16, "qwertyuiop[]", "QWERTYUIOP{}"},
    {30, "asdfghjkl;'`", "ASDFGHJKL:\"~"},
    {43, "\\zxcvbnm,./", "|ZXCVBNM<>?"},
    {57, " ", " "},
};

// The virtual key of a key by its plain character: letters and digits are their own.
uint16_t UsVirtualKey(char plain) {
    constexpr std::string_view punctuation = "-=[];'`\\,./";
    constexpr uint16_t keys[] = {vk::OemMinus, vk::OemPlus,   vk::Oem4, vk::Oem6,
                                 vk::Oem1,     vk::Oem7,      vk::Oem3, vk::Oem5,
                                 vk::OemComma, vk::OemPeriod, vk::Oem2};
    if (plain >= 'a' && plain <= 'z') return static_cast<uint16_t>(plain - 'a' + 'A');
    auto at = punctuation.find(plain);
    return at == std::string_view::npos ? static_cast<uint16_t>(plain) : keys[at];
}

int32_t UsKeyForChar(char16_t ch) {
    for (const auto& row : UsLayout) {
        for (size_t i = 0; i < row.Plain.size(); ++i) {
            if (ch == static_cast<char16_t>(row.Plain[i])) return UsVirtualKey(row.Plain[i]);
            if (ch == static_cast<char16_t>(row.Shifted[i]))
                return UsVirtualKey(row.Plain[i]) | 0x100;
        }
    }
    return -1;
}

uint8_t UsScanCode(uint16_t virtualKey) {
    for (const auto& row : UsLayout)
        for (size_t i = 0; i < row.Plain.size(); ++i)
            if (UsVirtualKey(row.Plain[i]) == virtualKey)
                return static_cast<uint8_t>(row.FirstScan + i);
    if (virtualKey >= vk::F1 && virtualKey <= vk::F10)
        return static_cast<uint8_t>(59 + virtualKey - vk::F1);
    return 0;
}

bool LaunchedProgramRunning() {
    return programLaunch.LaunchedProcess != 0 && ProcessRunning(programLaunch.LaunchedProcess);
}

bool WarnWithOwnBox() {
    Neighbours.MessageBox(GetMessageText(kMsgWaitingForProgram, true));
    return false;
}

[[noreturn]] void HaltWithoutWindow() {
    RunExitChain(255);
    std::exit(255);
}

KeyInputHooks DefaultKeyInputHooks() {
    KeyInputHooks h;
    h.CheckBreak = [] { return false; };
    h.HaltProgram = [] { HaltWithoutWindow(); };
    h.KeyWaitStarted = [] {};
    h.ClearIdleTick = [] {};
    h.KeyboardCodePage = []() { return platform::CurrentCodePages().AnsiCodePage(); };
    h.KeyForChar = UsKeyForChar;
    h.ScanCodeForVirtualKey = UsScanCode;
    h.ScanCodeChar = platform::UsLayoutChar;
    h.PostCharMessage = [](char16_t, uint8_t) {};
    h.PumpKeyboardMessage = [] {};
    h.WaitForMessage = [] {};
    h.LaunchedProgramWaiting = LaunchedProgramRunning;
    h.WarnLaunchedProgram = WarnWithOwnBox;
    h.ComposeChars = [](std::u16string_view, bool) -> char16_t { return 0xFFFF; };
    h.MacroExists = [](uint16_t key) { return Neighbours.MacroExists(key); };
    h.PrintScreenText = [] {};
    h.PrintScreenPage = [] {};
    return h;
}

// While a launched program is waited for, typing shows the warning and queues nothing; Cancel
// gives up the wait.
bool RefusedForLaunchedProgram() {
    if (!keyInputHooks.LaunchedProgramWaiting()) return false;
    if (keyInputHooks.WarnLaunchedProgram()) programLaunch.LaunchedProcess = 0;
    return true;
}

// One character of a code page's bytes; -1 when they convert to nothing.
int32_t DecodeChar(uint32_t codePage, const uint8_t* bytes, int32_t n) {
    char16_t out[2] = {};
    size_t got = platform::CurrentCodePages().ToWide(codePage, bytes, static_cast<size_t>(n),
                                                     platform::kPrecomposed, out, 2);
    return got >= 1 ? out[0] : -1;
}

void PutExtended(uint8_t scan, uint8_t keyClass) {
    PutKeyEntry(ExtendedKeyWord(scan, keyClass));
}

// The scan code that an Alt+character message queues: the key that types the character, the
// digit row moved up by 118 (Alt+1 is 120); 0 when no key is known.
uint8_t AltCharScan(const KeyMessage& key) {
    int32_t r = keyInputHooks.KeyForChar(static_cast<char16_t>(key.Code));
    uint8_t scan =
        r >= 0 ? keyInputHooks.ScanCodeForVirtualKey(static_cast<uint16_t>(r & 0xFF)) : 0;
    if (scan == 0) scan = key.Scan;
    if (scan != 0 && scan < 14) scan = static_cast<uint8_t>(scan + 118);
    return scan;
}

// The dead keys of Ctrl+character: the character whose key (with the Shift state) was pressed.
struct DeadKeyChar {
    char16_t Ch;
    uint8_t DeadKey;
};
constexpr DeadKeyChar DeadKeyChars[] = {
    {u'`', 1}, {u'\'', 2}, {u'6', 3}, {u':', 4},  {u',', 5},  {u'~', 6},
    {u'&', 7}, {u'/', 8},  {u'.', 9}, {u'?', 10}, {u'(', 11},
};

uint8_t DeadKeyFor(const KeyMessage& key) {
    for (const auto& d : DeadKeyChars) {
        int32_t r = keyInputHooks.KeyForChar(d.Ch);
        if (r >= 0 && (r & 0xFF) == key.Code && ((r & 0x100) != 0) == key.Shift) return d.DeadKey;
    }
    return 0;
}

// The fixed compositions of dead keys 1 to 8 in code page 1252; the character itself otherwise.
uint16_t ComposeFixed(uint8_t deadKey, uint16_t c) {
    struct Row {
        std::u16string_view Bases, Results;
    };
    static constexpr Row Rows[] = {
        {u"", u""},
        {u"AEIOUaeiou", u"\u00C0\u00C8\u00CC\u00D2\u00D9\u00E0\u00E8\u00EC\u00F2\u00F9"},
        {u"ADEIOUadeiou",
         u"\u00C1\u00D0\u00C9\u00CD\u00D3\u00DA\u00E1\u00F0\u00E9\u00ED\u00F3\u00FA"},
        {u"AEIOUaeiou", u"\u00C2\u00CA\u00CE\u00D4\u00DB\u00E2\u00EA\u00EE\u00F4\u00FB"},
        {u" AEIOUaeiouy",
         u"\u00A8\u00C4\u00CB\u00CF\u00D6\u00DC\u00E4\u00EB\u00EF\u00F6\u00FC\u00FF"},
        {u" Cc", u"\u00B8\u00C7\u00E7"},
        {u"ANOano", u"\u00C3\u00D1\u00D5\u00E3\u00F1\u00F5"},
        {u"Aas", u"\u00C6\u00E6\u00DF"},
        {u"Oo", u"\u00D8\u00F8"},
    };
    if (deadKey >= std::size(Rows)) return c;
    const Row& row = Rows[deadKey];
    auto at = row.Bases.find(static_cast<char16_t>(c));
    return at == std::u16string_view::npos ? c : row.Results[at];
}

// Queues the bytes of a character in a code page (all of them or none).
void PutCodePageChar(uint32_t codePage, char16_t ch) {
    if (ch < 0x80) {
        PutKeyEntry(ch);
        return;
    }
    uint8_t bytes[4];
    size_t n = platform::CurrentCodePages().FromWide(codePage, &ch, 1, bytes, 4, nullptr);
    uint16_t entries[4];
    for (size_t i = 0; i < n && i < 4; ++i) entries[i] = bytes[i];
    PutKeyEntries(entries, static_cast<int32_t>(n < 4 ? n : 4));
}

}  // namespace

KeyInputHooks keyInputHooks = DefaultKeyInputHooks();

void ResetKeyInput() {
    keyInput = KeyInput{};
}

void ResetKeyInputHooks() {
    keyInputHooks = DefaultKeyInputHooks();
}

void PutCharKey(char16_t ch) {
    if (RefusedForLaunchedProgram()) return;
    uint32_t code = ch;
    if (ch >= 0xD800 && ch <= 0xDBFF) {
        keyInput.HighSurrogate = ch;
        return;
    }
    if (ch >= 0xDC00 && ch <= 0xDFFF) {
        // A low half without its high half is no character.
        if (keyInput.HighSurrogate == 0) return;
        code = 0x10000 + ((keyInput.HighSurrogate - 0xD800u) << 10) + (ch - 0xDC00u);
    }
    keyInput.HighSurrogate = 0;

    uint16_t bytes[4];
    int32_t n;
    if (code < 0x80) {
        bytes[0] = static_cast<uint16_t>(code);
        n = 1;
    } else if (code < 0x800) {
        bytes[0] = static_cast<uint16_t>(0xC0 | code >> 6);
        bytes[1] = static_cast<uint16_t>(0x80 | (code & 0x3F));
        n = 2;
    } else if (code < 0x10000) {
        bytes[0] = static_cast<uint16_t>(0xE0 | code >> 12);
        bytes[1] = static_cast<uint16_t>(0x80 | (code >> 6 & 0x3F));
        bytes[2] = static_cast<uint16_t>(0x80 | (code & 0x3F));
        n = 3;
    } else {
        bytes[0] = static_cast<uint16_t>(0xF0 | code >> 18);
        bytes[1] = static_cast<uint16_t>(0x80 | (code >> 12 & 0x3F));
        bytes[2] = static_cast<uint16_t>(0x80 | (code >> 6 & 0x3F));
        bytes[3] = static_cast<uint16_t>(0x80 | (code & 0x3F));
        n = 4;
    }
    // Only some of a character's bytes would leave the reader of the queue a broken sequence.
    PutKeyEntries(bytes, n);
}

bool KeyDownHandler(const KeyMessage& key) {
    auto& h = keyInputHooks;
    if (RefusedForLaunchedProgram()) return false;
    const uint16_t k = key.Code;
    if (k == vk::Cancel && h.CheckBreak()) {
        h.HaltProgram();
        return true;
    }
    if (k == vk::Control || k == vk::Shift) return false;

    if (key.Ctrl && !key.Alt) {
        if (uint8_t dead = DeadKeyFor(key)) keyInput.DeadKeyPending = dead;
        if (!key.Shift) {
            // The control characters that have no key of their own; the posted character stands
            // for the key, so the key itself is finished.
            int32_t minus = h.KeyForChar(u'-');
            char16_t posted = k == '2'                               ? 0x00
                              : k == '6'                             ? 0x1E
                              : (minus >= 0 && (minus & 0x1FF) == k) ? 0x1F
                                                                     : 0xFFFF;
            if (posted != 0xFFFF) {
                h.PostCharMessage(posted, key.Scan);
                return true;
            }
        }
    }
    if (key.Ctrl && key.Shift && !key.Alt) {
        if (k == '2') {
            h.PostCharMessage(0x00, key.Scan);
            return true;
        }
        if (k == vk::Back) {
            PutExtended(14, kClassExtended);
            return true;
        }
    }

    struct KeypadOperator {
        uint16_t VirtualKey;
        uint8_t Char, CtrlCode;
    };
    static constexpr KeypadOperator Operators[] = {
        {vk::Multiply, '*', 150}, {vk::Add, '+', 144},    {vk::Subtract, '-', 142},
        {vk::Decimal, '.', 143},  {vk::Divide, '/', 149},
    };
    for (const auto& op : Operators) {
        if (op.VirtualKey != k) continue;
        if (key.Ctrl)
            PutExtended(op.CtrlCode, kClassExtended);
        else
            PutExtended(op.Char, key.NumLock ? kClassKeypadNumOn : kClassKeypadNumOff);
        return true;
    }

    uint8_t code = ExtendedKeyCode(k, ColumnForModifiers(key.Shift, key.Ctrl, key.Alt));
    if (code == 0) return false;
    PutExtended(code, key.Extended ? kClassGrey : kClassExtended);
    return true;
}

void CharHandler(const KeyMessage& key, bool wide) {
    auto& h = keyInputHooks;
    KeyInput& s = keyInput;
    const uint16_t c0 = wide ? key.Code : key.Code & 0xFF;

    // Alt released after a keypad code: the code is the character, whatever the message says.
    if (s.AltCode != 0) {
        int32_t ch = s.AltCode;
        if (s.AltCodeOem) {
            uint8_t byte = static_cast<uint8_t>(s.AltCode);
            ch = DecodeChar(platform::kOemCodePage, &byte, 1);
        }
        if (s.DeadKeyPending != 0 && ch >= 0) {
            char16_t pair[2] = {static_cast<char16_t>(ch), DeadKeyMarks[s.DeadKeyPending % 12]};
            char16_t composed = h.ComposeChars({pair, 2}, true);
            if (composed != 0xFFFF) ch = composed;
        }
        s.DeadKeyPending = 0;
        s.AltCode = 0;
        s.AltCodeOem = true;
        if (ch >= 0) PutCharKey(static_cast<char16_t>(ch));
        return;
    }

    if (RefusedForLaunchedProgram()) return;
    const uint8_t dead = s.DeadKeyPending;
    s.DeadKeyPending = 0;
    if (c0 == 3 && h.CheckBreak()) {
        h.HaltProgram();
        return;
    }

    // Control characters that stand for keys of their own.
    uint8_t keyScan = 0;
    if (key.Ctrl && key.Shift && (c0 < 0x1D || c0 > 0x1F))
        keyScan = key.Scan;
    else if (c0 == 0 && key.Scan == 3)
        keyScan = 3;
    else if (c0 == 8 && key.Scan == 14)
        keyScan = key.Shift ? 181 : 8;
    else if (c0 == 0x7F && key.Scan == 14)
        keyScan = 182;
    else if (c0 == 0x0A && key.Scan == 28)
        keyScan = 196;
    else if (c0 == u' ' && key.Ctrl && !key.Alt)
        keyScan = 3;
    else if (c0 == 9 && key.Shift)
        keyScan = 15;
    if (keyScan != 0) {
        PutExtended(keyScan, kClassExtended);
        return;
    }

    // Keypad Enter and "/" carry the extended-key flag.
    if (key.Extended && c0 < 0x100) {
        if (!key.NumLock) {
            PutExtended(static_cast<uint8_t>(c0), kClassKeypadNumOff);
            return;
        }
        if (c0 == 13) {
            PutExtended(13, kClassKeypadNumOn);
            return;
        }
    }

    const bool unicode = commands::Settings.KeyFlag3972 != 0;
    uint32_t codePage = h.KeyboardCodePage();
    uint16_t c = c0;
    if (dead != 0) {
        if (c == 0x1E) {
            // Ctrl+6 types 0x1E after making its dead key pending: keep it pending.
            s.DeadKeyPending = dead;
            return;
        }
        codePage = 1252;
        c = ComposeFixed(dead, c0);
        if (c == c0 && unicode) {
            int32_t ch = c;
            if (!wide) {
                uint8_t byte = static_cast<uint8_t>(c);
                ch = DecodeChar(codePage, &byte, 1);
            }
            if (ch >= 0) {
                char16_t pair[2] = {static_cast<char16_t>(ch), DeadKeyMarks[dead % 12]};
                char16_t composed = h.ComposeChars({pair, 2}, true);
                if (composed != 0xFFFF) {
                    PutCharKey(composed);
                    return;
                }
            }
        }
    }

    if (wide) {
        s.LeadBytePending = 0;
        if (unicode)
            PutCharKey(c);
        else
            PutCodePageChar(codePage, c);
        return;
    }
    const uint8_t byte = static_cast<uint8_t>(c);
    if (!unicode) {
        PutKeyEntry(byte);
        return;
    }
    int32_t ch;
    if (s.LeadBytePending != 0) {
        const uint8_t pair[2] = {s.LeadBytePending, byte};
        s.LeadBytePending = 0;
        ch = DecodeChar(codePage, pair, 2);
    } else if (platform::CurrentCodePages().IsLeadByte(codePage, byte)) {
        s.LeadBytePending = byte;
        return;
    } else {
        ch = DecodeChar(codePage, &byte, 1);
    }
    if (ch >= 0) PutCharKey(static_cast<char16_t>(ch));
}

bool SysKeyDownHandler(const KeyMessage& key) {
    KeyInput& s = keyInput;
    const uint16_t k = key.Code;
    if (key.Alt && k >= vk::Numpad0 && k <= vk::Numpad9) {
        if (k == vk::Numpad0 && s.AltCode == 0) s.AltCodeOem = false;
        uint32_t value = s.AltCode * 10u + (k - vk::Numpad0);
        if (value > 255) s.AltCodeOem = false;
        s.AltCode = static_cast<uint16_t>(value);
        return true;
    }
    // Alt repeats while it is held; only another key abandons the code. A new code starts as an
    // OEM byte even when the last one was only a keypad 0.
    if (k == vk::Menu) {
        if (s.AltCode == 0) s.AltCodeOem = true;
        return false;
    }
    if (s.AltCode != 0) {
        s.AltCode = 0;
        s.AltCodeOem = true;
    }
    switch (k) {
        case vk::Prior:
        case vk::Next:
        case vk::End:
        case vk::Home:
        case vk::Left:
        case vk::Up:
        case vk::Right:
        case vk::Down:
        case vk::Insert:
        case vk::Delete:
            return KeyDownHandler(key);
        default:
            if (k >= vk::F1 && k <= vk::F12) return KeyDownHandler(key);
            return false;
    }
}

bool SysCharHandler(const KeyMessage& key) {
    if (RefusedForLaunchedProgram()) return true;
    uint8_t scan = AltCharScan(key);
    if (scan == 0) return false;
    if (commands::Settings.AllowAccelerators != 0 && !keyInputHooks.MacroExists(256 + scan))
        return false;
    PutExtended(scan, kClassExtended);
    return true;
}

bool MenuCharHandler(const KeyMessage& key) {
    if (RefusedForLaunchedProgram()) return true;
    uint8_t scan = AltCharScan(key);
    if (scan == 0) return false;
    PutExtended(scan, kClassExtended);
    return true;
}

void ImeResultString(std::u16string_view text) {
    for (char16_t ch : text) PutCharKey(ch);
}

void ImeCharHandler(const KeyMessage& key, bool wide) {
    if (wide || key.Code < 0x100) {
        CharHandler(key, wide);
        return;
    }
    KeyMessage half = key;
    half.Code = key.Code >> 8;
    CharHandler(half, false);
    half.Code = key.Code & 0xFF;
    CharHandler(half, false);
}

KeyboardHookAction KeyboardHook(uint16_t virtualKey, bool keyUp, bool ntFamily) {
    KeyboardHookAction action;
    KeyInput& s = keyInput;
    const auto& settings = commands::Settings;
    if (s.NumLockReplay) {
        if (virtualKey == vk::NumLock && keyUp) s.NumLockReplay = false;
        return action;
    }
    if (virtualKey == vk::NumLock && settings.NumLockProgrammable != 0) {
        if (!keyUp) {
            PutExtended(29, kClassExtended);
            action.Swallow = true;
            action.RestoreNumLockState = !ntFamily;
        } else if (ntFamily) {
            // The system toggled NumLock already; a press of our own toggles it back.
            s.NumLockReplay = true;
            action.ReplayNumLock = true;
        }
        return action;
    }
    if (virtualKey == vk::Snapshot && keyUp && settings.PrintScreenKey != 0) {
        if (keyInputHooks.MacroExists(0x119))
            PutExtended(25, kClassExtended);
        else if (settings.PrintLevel != 0 && settings.PrintWizard == 0)
            keyInputHooks.PrintScreenText();
        else if (settings.PrintScreenAsPage != 0)
            keyInputHooks.PrintScreenPage();
        else
            keyInputHooks.PrintScreenText();
    }
    return action;
}

bool KeyAvailable() {
    EnsureTerminalWindow();
    keyInputHooks.PumpKeyboardMessage();
    return !KeyQueueEmpty();
}

uint16_t WaitForKey() {
    ScreenWindow().TrackCursorView();
    while (!KeyAvailable()) {
        keyInputHooks.KeyWaitStarted();
        keyInputHooks.WaitForMessage();
        PumpWindowMessages();
    }
    return TakeKeyEntry();
}

bool KeyPressedOrWait(bool wait) {
    keyInputHooks.KeyWaitStarted();
    keyInputHooks.ClearIdleTick();
    bool available = KeyAvailable();
    if (!available && wait) keyInputHooks.WaitForMessage();
    return available;
}

namespace {

// The key reader's view of the window's queue.
class WindowKeySource final : public platform::KeySource {
  public:
    bool KeyAvailable() override { return console::KeyAvailable(); }
    uint16_t WaitForKey() override { return console::WaitForKey(); }
    void BeforeKeyWait() override {
        // What output left for later is shown before the program sits waiting.
        auto& layer = ConsoleLayer;
        if (layer.PendingScrollLines != 0) RedrawScreen();
        if (layer.CaretPending) PlaceCaret();
    }
    char16_t LayoutChar(uint8_t scanCode) override { return keyInputHooks.ScanCodeChar(scanCode); }
};
WindowKeySource windowKeySource;

}  // namespace

void InstallWindowKeySource() {
    platform::SetKeySource(&windowKeySource);
}

int32_t ReadLineInput(uint8_t* buffer, int32_t size) {
    if (buffer == nullptr || size <= 0) return 0;
    int32_t n = 0;
    for (;;) {
        const uint8_t b = static_cast<uint8_t>(WaitForKey());
        if (b == 8) {
            if (n > 0) --n;
            TeletypeWriteChar(8);
        } else if (b == 13) {
            // CR and LF end the line, as far as the buffer holds them.
            if (n < size) buffer[n++] = 13;
            if (n < size) buffer[n++] = 10;
            TeletypeWriteChar(13);
            ScreenWindow().TrackCursorView();
            return n;
        } else if (b >= 32 && n < size - 2) {
            buffer[n++] = b;
            TeletypeWriteChar(b);
        }
    }
}

}  // namespace console
