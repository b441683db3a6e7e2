#pragma once
// The status line: the row after the text rows, drawn in the window only. It
// shows the host's status text, or a column ruler with the cursor position,
// or the title with the keyboard and connection indicators, or nothing.

#include <cstdint>
#include <string>
#include <string_view>

namespace console {

// What the status line reads of the keyboard, the emulator and the platform.
// The null table: no lock key toggled, nothing held, locked or open.
struct StatusLineHooks {
    // Caps Lock 64, Num Lock 32 and Scroll Lock 16 for each key toggled on.
    uint8_t (*LockKeyToggles)();
    // The HOLD command or the emulator holds the output.
    bool (*OutputHold)();
    // The AUX port is open.
    bool (*AuxOpen)();
    // The keyboard is locked or disabled.
    bool (*KeyboardLocked)();
    // Keys are being recorded into a macro.
    bool (*LearnModeOn)();
};
StatusLineHooks NullStatusLineHooks();
extern StatusLineHooks StatusLinePort;

struct StatusLineState {
    // The host's status text; absent until the host gives one.
    bool HostTextSet = false;
    std::u16string HostStatusText;
    // The title shown in title mode (program banner and version).
    std::string TitleText;
    // The page indicator is shown once the host has switched pages.
    bool PageIndicatorOn = false;
    int32_t CurrentPage = 0;
    // Kept beside the colour map: reverse bold for learn mode, normal for the
    // indicators that are on and for an empty line.
    uint8_t RecordAttr = 121;
    uint8_t StatusBlankAttr = 15;
    // What the indicators showed when last drawn.
    uint8_t ShownLockFlags = 0;
    bool ShownKeyboardLock = false;
    bool ShownHold = false;
    bool ShownAux = false;
    // The cursor position last written into the ruler; -1 none.
    int32_t LastRulerRow = -1;
    int32_t LastRulerCol = -1;
};
extern StatusLineState StatusLine;

// Back to the start-up state: no host text, nothing shown, hooks kept.
void ResetStatusLine();

// The three status attributes taken again from the colour map (entries 4, 5, 0).
void RefreshStatusAttrs();

// The title: the program banner without its trailing blanks, three blanks
// and the version text, at most 132 characters.
void BuildTitleText();

void SetHostStatusText(std::u16string_view text);
void ClearHostStatusText();

// The ruler character of a 1-based column: "|" every fifth, the tens digit
// every tenth, "." otherwise.
char16_t RulerChar(int32_t column);

uint8_t CapsLockFlag();
uint8_t NumLockFlag();
uint8_t ScrollLockFlag();
// Output is held, or Scroll Lock is on and the settings let it hold output.
bool HoldScreenOn();

// The whole status row drawn by the settings.
void UpdateStatusLine();
// The indicators drawn by their state.
void DrawStatusLine();
// The idle part: changed indicators redrawn, the ruler's cursor position kept.
void StatusLineIdle();

}  // namespace console
