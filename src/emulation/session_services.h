#pragma once
// Everything the main routine needs from the rest of the program, as one
// table of function pointers. The subsystem only declares it: the program's
// composition fills every entry, and tests replace entries with recording
// fakes.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace emulation {

struct StartupLocals;

// The settings fields and shared start-up globals the main routine reads and
// writes, as one snapshot: read it before use, write it back after a change.
struct SessionGlobals {
    std::string SettingsFileName;
    uint8_t SettingsSource = 1;  // 0 none, 1 default name, 2 named, 3 unreadable, 4 new
    bool SettingsLoaded = false;
    std::string HelpFileName;
    std::string WindowMenuName = "MainMenu";

    uint8_t CommMethod = 0;
    bool AutoConnect = false;
    std::string HostName;
    std::string PhoneNumber;
    std::string PrinterName;
    std::string TerminalType;
    std::string UserName;
    std::string Password;     // stored (scrambled) form
    uint16_t StartupKey = 0;  // KeyCode of the start-up macro, 0 = none
    uint32_t WindowStyle = 0;
    uint16_t InactivityTimeout = 0;  // seconds; 0 = no limit
    bool AttrCursor = false;
    std::array<uint8_t, 250> TabStops{};
};

struct SessionServices {
    // Settings and start-up globals.
    void (*ReadGlobals)(SessionGlobals& globals);
    void (*WriteGlobals)(const SessionGlobals& globals);
    bool (*StartupInit)(bool settingsNamed, bool hostGiven);  // false: end at once
    bool (*ConfirmSaveSettings)(bool allowCancel);

    // Messages and the tick clock.
    std::string (*MessageText)(uint16_t id);
    int (*MessageBox)(std::string_view text);
    uint32_t (*BiosTicks)();
    bool (*DeadlinePassed)(uint32_t deadline);

    // Command line.
    void (*ParseCommandKeywords)(StartupLocals& locals);
    void (*FirstArgumentPass)(StartupLocals& locals);
    void (*SecondArgumentPass)();
    bool (*ChooseSettingsFile)();

    // Commands.
    uint32_t (*ExecuteFunction)(std::string_view text, uint16_t defineKey);
    bool (*FunctionSucceeded)();
    int32_t (*CurrentFunction)();
    std::string (*ScramblePassword)(std::string_view clear);
    bool (*LearnModeOn)();
    void (*AppendLearnText)(std::string_view text);

    // Key macros.
    void (*ClearKeyDefinitions)();
    bool (*MacroExists)(uint16_t key);
    void (*StartMacro)(uint16_t key, uint8_t mode);
    bool (*MacroPlaying)();
    uint16_t (*PeekMacroKey)();
    bool (*RunErrorKeyMacro)();

    // Connection.
    void (*CommSettingsDialog)();
    uint32_t (*CommOpen)(bool flag);
    std::string (*CommErrorText)(uint8_t code);
    void (*CommPoll)();
    bool (*CommInputReady)(uint32_t n);
    void (*CommClose)();
    void (*CommShutdown)();
    void (*StartAutoLogin)();

    // Terminal window and console.
    void (*SetCheckBreak)(bool on);
    bool (*MenuHoldsItem)(std::string_view menuName, uint16_t itemId);
    void (*UpdateWindowTitle)();
    void (*CloseTerminalWindow)();
    void (*ClearWindowScreen)();
    void (*PumpWindowMessages)();
    bool (*TerminalHasFocus)();
    bool (*HostDrivesConnection)();
    void (*ClrScr)();
    void (*SetCursorRow)(int row);
    void (*ClampCursor)();
    bool (*KeyPressed)();
    uint16_t (*ReadKeyCode)();
    void (*SaveCursorState)();
    void (*RestoreCursorState)();
    void (*SetCursorVisible)(bool visible);
    bool (*DirectWriteOn)();
    void (*BeginDirectWrite)();
    void (*EndDirectWrite)();
    void (*SetAttrCursorMode)(bool on);
    void (*WriteCharCtl)(char16_t ch);
    void (*MarkStatusLineDirty)();
    bool (*HoldScreenOn)();

    // Screen buffers and terminal types.
    void (*AllocScreenBuffers)(uint16_t ringSize);
    void (*CloseScreenBuffers)();
    bool (*SetTerminalType)(std::string_view name, bool reset);
    uint8_t (*TermTabStyle)();

    // Keyboard and receive.
    bool (*ProcessRunning)();
    void (*ProcessKeyboard)();
    void (*ReceiveFromHost)();
    bool (*KeyboardEnabled)();
    bool (*KeyboardLocked)();
    bool (*WaitForPending)();
    bool (*QuietWaitPending)();

    // Close-down of the side channels.
    bool (*OpenPrinterDevice)(std::string_view name);
    void (*ClosePrinterDevice)();
    void (*FlushCaptureLine)(bool force);
    void (*CloseInputFile)(uint8_t mode);
    void (*CloseOutputFile)(uint8_t mode);
    void (*EndPrintJob)(bool forgetPrinter);
    uint8_t (*AuxState)();
    void (*AuxClose)();
    void (*DdeClientShutdown)();
    void (*CloseFindSearch)();
    void (*PlayMedia)(std::string_view fileName);
};

// The table whose every entry does nothing (answers no, empty, zero; a
// start-up that goes on; a deadline that has passed).
SessionServices NullSessionServices();

// Whether the main loop's receive pass would take bytes now: some wait,
// output is not held, and no other program drives the connection (or enough
// wait that the pass runs all the same).
bool ReceivePassDue();

// The table in use; the null table until the composition fills it.
extern SessionServices Services;
void ResetSessionServices();  // back to the null table

}  // namespace emulation
