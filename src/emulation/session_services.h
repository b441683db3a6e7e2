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
    // Fills the snapshot from the settings record and the start-up globals.
    void (*ReadGlobals)(SessionGlobals& globals);
    // Stores the snapshot back (changed texts only, so unchanged bytes stay).
    void (*WriteGlobals)(const SessionGlobals& globals);
    bool (*StartupInit)(bool settingsNamed, bool hostGiven);  // false: end at once
    // Asks whether to save changed settings; false: the user cancelled.
    bool (*ConfirmSaveSettings)(bool allowCancel);

    // Messages and the tick clock.
    // The program's message text of an id; empty when unknown.
    std::string (*MessageText)(uint16_t id);
    // Shows the text in a message box with OK; its answer.
    int (*MessageBox)(std::string_view text);
    // The 55 ms tick count.
    uint32_t (*BiosTicks)();
    // Whether the tick count has reached the deadline.
    bool (*DeadlinePassed)(uint32_t deadline);

    // Command line.
    // Reads the command line's keywords into the start-up locals.
    void (*ParseCommandKeywords)(StartupLocals& locals);
    // The first pass over the command-line arguments (settings file, host).
    void (*FirstArgumentPass)(StartupLocals& locals);
    // The second pass: key definitions given on the command line.
    void (*SecondArgumentPass)();
    // Lets the user choose a settings file; false when none was chosen.
    bool (*ChooseSettingsFile)();

    // Commands.
    // The stored (scrambled) form of a clear password.
    std::string (*ScramblePassword)(std::string_view clear);
    // Whether learn mode records what is typed.
    bool (*LearnModeOn)();
    // Adds text to what learn mode recorded.
    void (*AppendLearnText)(std::string_view text);

    // Key macros.
    // Forgets every key definition.
    void (*ClearKeyDefinitions)();
    // Whether a key macro is playing.
    bool (*MacroPlaying)();
    // The playing macro's next key without taking it; 0 when none.
    uint16_t (*PeekMacroKey)();
    // Starts the error key's macro; false when none is defined.
    bool (*RunErrorKeyMacro)();

    // Connection.
    // Shows the connection settings dialog.
    void (*CommSettingsDialog)();
    // Opens the connection from the settings; 0 or a connection error code.
    uint32_t (*CommOpen)(bool flag);
    // The text of a connection error code.
    std::string (*CommErrorText)(uint8_t code);
    // Does the connection's periodic work (receive, dropped line).
    void (*CommPoll)();
    // Whether more than n received bytes wait (n = 0: at least one).
    bool (*CommInputReady)(uint32_t n);
    // Closes the connection.
    void (*CommClose)();
    // Ends the connection layer at the close-down.
    void (*CommShutdown)();
    // Starts the auto-login once the connection is open.
    void (*StartAutoLogin)();

    // Terminal window and console.
    // Turns Ctrl+Break checking on or off.
    void (*SetCheckBreak)(bool on);
    // Whether the named menu resource holds the item.
    bool (*MenuHoldsItem)(std::string_view menuName, uint16_t itemId);
    // Sets the window title from the connection and settings.
    void (*UpdateWindowTitle)();
    // Closes the terminal window (the process ends there).
    void (*CloseTerminalWindow)();
    // Clears the window's screen.
    void (*ClearWindowScreen)();
    // Whether the terminal window has the keyboard focus.
    bool (*TerminalHasFocus)();
    // Whether another program drives the connection through the window.
    bool (*HostDrivesConnection)();
    // Clears the screen and homes the cursor.
    void (*ClrScr)();
    // Sets the cursor's row.
    void (*SetCursorRow)(int row);
    // Moves the cursor back inside the screen.
    void (*ClampCursor)();
    // Saves the cursor's place and look.
    void (*SaveCursorState)();
    // Restores what SaveCursorState saved.
    void (*RestoreCursorState)();
    // Shows or hides the cursor.
    void (*SetCursorVisible)(bool visible);
    // Whether writes go straight to the screen.
    bool (*DirectWriteOn)();
    // Starts writing straight to the screen.
    void (*BeginDirectWrite)();
    // Ends writing straight to the screen.
    void (*EndDirectWrite)();
    // Turns the attribute cursor on or off.
    void (*SetAttrCursorMode)(bool on);
    // Writes one character, acting on control codes.
    void (*WriteCharCtl)(char16_t ch);
    // Asks for the status line to be drawn again.
    void (*MarkStatusLineDirty)();
    // Whether output to the screen is held.
    bool (*HoldScreenOn)();

    // Screen buffers and terminal types.
    // Allocates the screen ring of that many lines; failing ends the run.
    void (*AllocScreenBuffers)(uint16_t ringSize);
    // Frees the screen pages at the close-down.
    void (*CloseScreenBuffers)();
    // Selects a terminal type (reset: apply its colours); false when unknown.
    bool (*SetTerminalType)(std::string_view name, bool reset);
    // The current family's tab style.
    uint8_t (*TermTabStyle)();

    // Keyboard and receive.
    // Whether the program started by the session still runs.
    bool (*ProcessRunning)();
    // One pass of the keyboard processor.
    void (*ProcessKeyboard)();
    // One receive pass over the bytes that wait.
    void (*ReceiveFromHost)();
    // Whether the host has the keyboard enabled.
    bool (*KeyboardEnabled)();
    // Whether the keyboard is locked.
    bool (*KeyboardLocked)();
    // Whether a wait-for text is pending.
    bool (*WaitForPending)();
    // Whether a quiet wait is pending.
    bool (*QuietWaitPending)();

    // Close-down of the side channels.
    // Opens the named printer for text output; false when it cannot.
    bool (*OpenPrinterDevice)(std::string_view name);
    // Closes the printer opened for text output.
    void (*ClosePrinterDevice)();
    // Writes the capture file's pending line (force: even a partial one).
    void (*FlushCaptureLine)(bool force);
    // Closes the command language's input file.
    void (*CloseInputFile)(uint8_t mode);
    // Closes the command language's output file.
    void (*CloseOutputFile)(uint8_t mode);
    // Ends the print job (forgetPrinter: also the chosen printer).
    void (*EndPrintJob)(bool forgetPrinter);
    // The AUX relay's state; 0 when it is off.
    uint8_t (*AuxState)();
    // Closes the AUX relay.
    void (*AuxClose)();
    // Ends the DDE client's links.
    void (*DdeClientShutdown)();
    // Ends a file search left open.
    void (*CloseFindSearch)();
    // Plays a media file; an empty name stops playing.
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
