#include "commands/terminal_commands.h"

#include <string>

#include "commands/command_services.h"
#include "commands/command_support.h"
#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "console/console_primitives.h"

namespace commands {

namespace {

void TermCommand(FunctionCall& call) {
    const std::string name = call.NextToken();
    if (console::ConsoleLayer.DirectWrite) console::EndDirectWrite();
    console::RestoreCursorState();
    if (!CommandServices.SetTerminalType(name)) {
        call.Succeeded = false;
        return;
    }
    Settings.TerminalType = std::string_view(name).substr(0, 20);
}

void ResetCommand(FunctionCall& call) {
    call.Succeeded = CommandServices.SetTerminalType(Settings.TerminalType.View());
}

// IMOS ... TTY: the command word's code names the host type.
void HostTypeCommand(FunctionCall& call) {
    struct HostType {
        int32_t Code;
        uint8_t Type;
    };
    static constexpr HostType kTypes[] = {{FunctionCodeOf("IMOS"), 1},  {FunctionCodeOf("IRX"), 3},
                                          {FunctionCodeOf("ITX"), 4},   {FunctionCodeOf("VRX"), 5},
                                          {FunctionCodeOf("RMCOS"), 6}, {FunctionCodeOf("UNIX"), 7},
                                          {FunctionCodeOf("TTY"), 8}};
    for (const HostType& t : kTypes)
        if (t.Code == call.Code) Settings.HostType = t.Type;
}

void DuplexCommand(FunctionCall& call, uint8_t full) {
    const std::string word = call.NextToken();
    if (!word.empty() && !IsAbbreviation(word, "DUP")) {
        call.Succeeded = false;
        return;
    }
    Settings.FullDuplex = full;
}
void FullCommand(FunctionCall& call) {
    DuplexCommand(call, 1);
}
void HalfCommand(FunctionCall& call) {
    DuplexCommand(call, 0);
}

void AutoLfCommand(FunctionCall& call) {
    call.ParseSwitch(Settings.AutoLF);
}

void BeepCommand(FunctionCall& call) {
    const std::string word = call.NextToken();
    if (word.empty() || word == "ON")
        Settings.BeepMode = 1;
    else if (word == "OFF")
        Settings.BeepMode = 0;
    else if (IsAbbreviation(word, "SLOW"))
        Settings.BeepMode = 2;
    else if (IsAbbreviation(word, "IDLE"))
        call.ParseSwitch(Settings.BeepIdle);
    else
        call.Succeeded = false;
}

void NoCommand(FunctionCall& call) {
    const std::string word = call.NextToken();
    if (IsAbbreviation(word, "LOCK")) {
        Settings.NoKeyboardLock = 1;
    } else if (IsAbbreviation(word, "BEEP")) {
        const std::string next = call.NextToken();
        if (next.empty())
            Settings.BeepMode = 0;
        else if (IsAbbreviation(next, "IDLE"))
            Settings.BeepIdle = 0;
        else
            call.Succeeded = false;
    } else {
        call.Succeeded = false;
    }
}

void PitchCommand(FunctionCall& call) {
    Settings.BeepPitch.Set(static_cast<uint16_t>(call.ParseIntAt()));
}

void LockCommand(FunctionCall& call) {
    uint8_t allowed = Settings.NoKeyboardLock != 0 ? 0 : 1;
    call.ParseSwitch(allowed);
    if (call.Succeeded) Settings.NoKeyboardLock = allowed != 0 ? 0 : 1;
    if (Settings.NoKeyboardLock != 0)
        CommandServices.SetTerminalFlag(TerminalFlag::KeyboardLocked, false);
}

void TabCommand(FunctionCall& call) {
    const std::size_t start = call.Position;
    const std::string word = call.NextToken();
    if (word == "ON") {
        Settings.TabAsTab = 0;
    } else if (word == "OFF") {
        Settings.TabAsTab = 1;
    } else if (IsAbbreviation(word, "CHARACTER")) {
        const std::string fill = call.NextToken();
        Settings.TabFillChar = fill.empty() ? ' ' : static_cast<uint8_t>(fill[0]);
    } else if (IsAbbreviation(word, "RESET")) {
        ResetTabStopsEvery8(Settings.TabStops);
    } else {
        call.Position = start;
        if (!CommandServices.SetTabStopsFromLine(call.Line.substr(0, 255))) call.Succeeded = false;
    }
}

void SwitchCommand(FunctionCall& call, uint8_t& flag) {
    call.ParseSwitch(flag);
}

void JumpCommand(FunctionCall& call) {
    const std::string word = call.NextToken();
    if (IsAbbreviation(word, "MEDIUM"))
        Settings.JumpScroll.Set(50);
    else if (IsAbbreviation(word, "OFF"))
        Settings.JumpScroll.Set(0);
    else if (word.empty() || IsAbbreviation(word, "FAST"))
        Settings.JumpScroll.Set(100);
    else
        call.Succeeded = false;
}

void SyncCommand(FunctionCall& call) {
    const std::string word = call.NextToken();
    if (word.empty() || word == "ON")
        Settings.SyncMode = 1;
    else if (IsAbbreviation(word, "OFF"))
        Settings.SyncMode = 0;
    else if (IsAbbreviation(word, "FAST"))
        Settings.SyncMode = 2;
    else
        call.Succeeded = false;
}

void BackspaceCommand(FunctionCall& call) {
    const uint8_t b = static_cast<uint8_t>(call.ParseIntAt());
    if (b == 0) {
        call.Succeeded = false;
        return;
    }
    Settings.BackspaceChar = b;
}

// A global flag switched as ParseSwitch switches a byte.
void FlagSwitch(FunctionCall& call, TerminalFlag flag) {
    uint8_t on = CommandServices.GetTerminalFlag(flag) ? 1 : 0;
    call.ParseSwitch(on);
    CommandServices.SetTerminalFlag(flag, on != 0);
}

void HoldCommand(FunctionCall& call) {
    FlagSwitch(call, TerminalFlag::OutputHold);
}

void MonitorCommand(FunctionCall& call) {
    FlagSwitch(call, TerminalFlag::MonitorMode);
    console::ConsoleLayer.AttrSelection = 0;
}

void PlayCommand(FunctionCall& call) {
    if (!IsAbbreviation(call.NextToken(), "NCR")) {
        call.Succeeded = false;
        return;
    }
    FlagSwitch(call, TerminalFlag::NcrMode);
}

void AnswerBackCommand(FunctionCall& call) {
    call.SkipBlanks();
    std::string text = call.RestOfLine().substr(0, 30);
    for (char& c : text)
        if (c == '|') c = '\r';
    Settings.AnswerBack = text;
}

void InterpretCommand(FunctionCall&) {
    CommandServices.ShowConsoleScreen(ConsoleScreen::Interpret);
}

void C332PageCommand(FunctionCall& call, bool next) {
    const int32_t page = CommandServices.CurrentPage();
    int32_t target = 0;
    if (next)
        target = page >= 3 ? 1 : page + 1;
    else
        target = page <= 1 ? 3 : page - 1;
    (void)call;
    Interpreter.PendingInput = std::string{'\x1D', static_cast<char>(target)};
}
void C332NextCommand(FunctionCall& call) {
    C332PageCommand(call, true);
}
void C332PrevCommand(FunctionCall& call) {
    C332PageCommand(call, false);
}

void TimeoutCommand(FunctionCall& call) {
    CommandServices.SetKeyLockTimeout(static_cast<uint32_t>(call.ParseIntAt()));
}

}  // namespace

void ResetTabStopsEvery8(std::array<uint8_t, 250>& stops) {
    for (std::size_t c = 1; c <= stops.size(); ++c) {
        const std::size_t column = 8 * c - 7;
        stops[c - 1] = column <= 255 ? static_cast<uint8_t>(column) : 0;
    }
}

void AddTerminalCommands(CommandHandlerTable& t) {
    t.ByCode[FunctionCodeOf("TERM")] = TermCommand;
    t.ByCode[FunctionCodeOf("RESET")] = ResetCommand;
    for (const char* name : {"IMOS", "IRX", "ITX", "VRX", "RMCOS", "UNIX", "TTY"})
        t.ByCode[static_cast<std::size_t>(
            FunctionTable[static_cast<std::size_t>(LookupFunction(name))].Code)] = HostTypeCommand;
    t.ByCode[FunctionCodeOf("FULL")] = FullCommand;
    t.ByCode[FunctionCodeOf("HALF")] = HalfCommand;
    t.ByCode[FunctionCodeOf("AUTO-LF")] = AutoLfCommand;
    t.ByCode[FunctionCodeOf("BEEP")] = BeepCommand;
    t.ByCode[FunctionCodeOf("NO")] = NoCommand;
    t.ByCode[FunctionCodeOf("PITCH")] = PitchCommand;
    t.ByCode[FunctionCodeOf("LOCK")] = LockCommand;
    t.ByCode[FunctionCodeOf("TAB")] = TabCommand;
    t.ByCode[FunctionCodeOf("SCROLL")] = [](FunctionCall& c) {
        SwitchCommand(c, Settings.ScrollEnabled);
    };
    t.ByCode[FunctionCodeOf("JUMP")] = JumpCommand;
    t.ByCode[FunctionCodeOf("SYNC")] = SyncCommand;
    t.ByCode[FunctionCodeOf("IGNULL")] = [](FunctionCall& c) {
        SwitchCommand(c, Settings.IgnoreNul);
    };
    t.ByCode[FunctionCodeOf("PROPOGATE")] = [](FunctionCall& c) {
        SwitchCommand(c, Settings.Propagate);
    };
    t.ByCode[FunctionCodeOf("BACKSPACE")] = BackspaceCommand;
    t.ByCode[FunctionCodeOf("UPPERCASE")] = [](FunctionCall& c) {
        SwitchCommand(c, Settings.UpperCaseKeys);
    };
    t.ByCode[FunctionCodeOf("SCROLL-LOCK")] = [](FunctionCall& c) {
        SwitchCommand(c, Settings.ScrollLockKey);
    };
    t.ByCode[FunctionCodeOf("HOLD")] = HoldCommand;
    t.ByCode[FunctionCodeOf("MONITOR")] = MonitorCommand;
    t.ByCode[FunctionCodeOf("PLAY")] = PlayCommand;
    t.ByCode[FunctionCodeOf("ANSWERBACK")] = AnswerBackCommand;
    t.ByCode[FunctionCodeOf("INTERPRET")] = InterpretCommand;
    t.ByCode[FunctionCodeOf("C332_NEXT")] = C332NextCommand;
    t.ByCode[FunctionCodeOf("C332_PREV")] = C332PrevCommand;
    t.ByCode[FunctionCodeOf("TIMEOUT")] = TimeoutCommand;
}

}  // namespace commands
