#pragma once

// What the commands ask of units above them (the emulator, the keyboard, the
// screen pages, the font, pictures, printing, the modem ...). Every slot is
// filled: NullCommandServices() answers each with "not done" (false, nothing,
// zero), which a command reports as its failure; the composition root points
// each slot at the unit that provides it. A command never tests a slot.

#include <cstdint>
#include <string>
#include <string_view>

#include "commands/interpreter.h"

namespace commands {

// Flags of the terminal that commands switch and the emulator reads.
enum class TerminalFlag : uint8_t {
    KeyboardLocked,
    OutputHold,
    MonitorMode,
    NcrMode,
};

// Screen metrics a host can ask for by name.
enum class WindowMetric : uint8_t { WindowX, WindowY, ClientX, ClientY, MaxX, MaxY };

// Window placement requests.
enum class WindowRequest : uint8_t { Maximize, Restore, Minimize };

// A font the font unit chose: its cell size and option byte.
struct ChosenFont {
    uint16_t CellHeight = 0;
    uint16_t CellWidth = 0;
    uint8_t Option = 0;
};

// Text-console screens that some commands open.
enum class ConsoleScreen : uint8_t { Colors, Interpret, KeyList };

struct CommandServiceTable {
    // --- the keyboard and the waits ---
    // One turn of a waiting loop: waits for a window message, then polls the
    // keyboard (hot keys such as the abort key act there).
    void (*WaitTurn)();
    // The abort hot key was pressed.
    bool (*AbortRequested)();
    // The status row was written over and is redrawn.
    void (*MarkStatusLineDirty)();
    // Redraws the status row now.
    void (*UpdateStatusLine)();
    // One pass of the receive loop: received bytes to the screen.
    void (*ReceiveOnce)();
    // Sounds a bell that the slow bell mode held back, if one is waiting.
    void (*SoundDeferredBell)();
    // The text (upper case) the receive loop waits for; empty ends the wait.
    void (*SetWaitForText)(std::string_view text);
    // The tick deadline of that wait.
    void (*SetWaitForDeadline)(int32_t deadline);
    // Starts (seconds > 0) or ends a wait for the host's silence.
    void (*StartQuietWait)(uint32_t seconds);
    // One key code from the keyboard alone (no macros), normalised.
    uint16_t (*ReadKeyCode)();
    // One key or composed character from a playing macro, the type-ahead or
    // the keyboard.
    uint16_t (*GetKeyChar)();
    // One character key, 0 when none comes.
    uint16_t (*ReadCharKey)();
    // Sends text to the host as typed (mode 0 ANSI, 1 OEM, 4 host bytes).
    bool (*TransmitString)(std::string_view text, uint8_t mode);
    bool (*GetTerminalFlag)(TerminalFlag flag);
    void (*SetTerminalFlag)(TerminalFlag flag, bool on);
    // The keyboard-lock time-out in tenths of a second; restarts it when
    // the keyboard is locked.
    void (*SetKeyLockTimeout)(uint32_t tenths);
    // --- the emulator ---
    bool (*SetTerminalType)(std::string_view name);
    // The current family's attribute mode (1: attributes are a selection).
    uint8_t (*FamilyAttrMode)();
    // The screen page shown, as the screen pages number it.
    int32_t (*CurrentPage)();
    bool (*SetScreenGeometry)(std::string_view text);
    void (*SetScreenColumns)(int32_t columns);
    bool (*DrawFrameBox)(const CellRectangle& rectangle, std::string_view style);
    // The character-set code of a name; -1 for an unknown name.
    int32_t (*CharsetCode)(std::string_view name);
    // The national set into the slot the emulator selects for it.
    void (*SelectNationalSet)(uint8_t index);
    // The set kind into GR and the G slot GR names.
    void (*SelectGrSet)(uint8_t kind);
    // The precomposed character of a base character and combining marks;
    // 0xFFFF when there is none.
    char16_t (*ComposeChars)(std::u16string_view text);
    void (*StartAutoLogin)();
    // The host argument of the command line: method prefix, user and host.
    void (*ParseHostArgument)(const std::string& text, std::string& user, uint8_t& method);
    // --- macros and key files ---
    bool (*DefineMacro)(uint16_t key, std::string_view text);
    bool (*StartMacro)(uint16_t key, bool nested);
    bool (*LoadKeysFile)(std::string_view name, bool replace);
    bool (*SaveKeysFile)(std::string_view name);
    // --- the screen pages and local windows ---
    bool (*SetViewLeftColumn)(int32_t column);
    // The scroll-back review driven from the status row.
    void (*ReviewScreen)();
    void (*PopScreenRect)();
    bool (*OpenTextWindow)(const CellRectangle& rectangle, std::string_view form,
                           std::string_view style);
    bool (*FillWindowArea)(const CellRectangle& rectangle, std::string_view fill);
    // The menu drawn on the screen: the picked item's text in reply.
    bool (*ScreenMenuSelect)(const CellRectangle& rectangle, int32_t a, int32_t b,
                             int32_t maxLength, std::string& reply, int32_t columns, int32_t d,
                             int32_t c);
    // --- the window, the font and pictures ---
    bool (*GetWindowMetric)(WindowMetric metric, int32_t& value);
    void (*RequestWindow)(WindowRequest request);
    void (*UpdateWindowTitle)();
    bool (*SetTerminalFont)(std::string_view face, std::string_view size, std::string_view option,
                            ChosenFont& chosen);
    void (*RebuildFontFallbackList)();
    // Loads (or removes) the picture the settings name and shows it.
    void (*LoadBackgroundPicture)();
    // Rebuilds the adjusted copy of the picture.
    void (*AdjustPicture)();
    void (*RepaintWindow)();
    void (*CopyScreenToClipboard)(const CellRectangle& rectangle);
    void (*CopyTextToClipboard)(std::u16string_view text);
    void (*PasteFromClipboard)();
    void (*EditColors)();
    // --- output files and printing ---
    bool (*OutputFileOpen)();
    // Writes to the output file (toPrinter false) or the printer.
    bool (*WriteOutputLine)(bool toPrinter, std::string_view text, uint8_t mode);
    // Prints the screen as PRINT alone does.
    void (*PrintScreen)();
    // --- the text console ---
    void (*ShowConsoleScreen)(ConsoleScreen screen);
    // The tab-stop command of the text console; false: "BAD TAB FORMAT".
    bool (*SetTabStopsFromLine)(std::string_view line);
    // The calculator on the status row.
    void (*CalculatorPrompt)();
    // --- the AUX relay and the printer ports ---
    // Closes the AUX relay when it is open.
    void (*CloseAuxPort)();
    // The port-name dialog of the raw printer port (aux false) or the AUX
    // port; false when cancelled.
    bool (*AskPortName)(bool aux);
    // --- the modem and the system ---
    bool (*DialModem)(std::string_view number, std::string_view wait, std::string_view count);
    void (*HangUpModem)();
    bool (*RegisterTelnetHandler)(std::string_view word);
    // Starts the program's own file with the (quoted) settings file as its
    // argument; 0 or an error.
    uint32_t (*CloneProgram)(std::string_view argument);
    // The main loop's exit code: 0 runs on, 1 and 2 end with the normal
    // close-down, 3 ends without it.
    void (*SetExitCode)(uint8_t code);
};

CommandServiceTable NullCommandServices();
// "Not available in this version: " and what: the answer of a command
// whose unit this build does not have yet.
inline constexpr uint16_t NotAvailableMessage = 1210;
void ReportNotAvailable(std::string_view what);
extern CommandServiceTable CommandServices;
void ResetCommandServices();

}  // namespace commands
