#include "commands/line_commands.h"

#include <string>
#include <utility>
#include <vector>

#include "commands/command_services.h"
#include "commands/command_support.h"
#include "commands/interpreter.h"
#include "commands/password_scramble.h"
#include "commands/settings_file.h"
#include "commands/settings_record.h"
#include "commands/variables.h"
#include "connections/comm_interface.h"
#include "console/console_primitives.h"
#include "ui/message_box.h"
#include "ui/text_prompts.h"

namespace commands {

LineCommandState LineCommands;

namespace {

// Rates above 16 bits that the line takes in their coded form.
struct CodedRate {
    int32_t Rate;
    uint16_t Stored;
};
constexpr CodedRate kCodedRates[] = {{115200, 1152}, {128000, 1280}, {256000, 2560}};

void EndDirectOutput() {
    if (console::ConsoleLayer.DirectWrite) console::EndDirectWrite();
}

// Reopens for a new connection and starts the login; an error diverts, else
// shows its text.
void ReopenAndLogIn(FunctionCall& call) {
    const uint32_t error = connections::CommOpen(true);
    if (error == 0) {
        CommandServices.StartAutoLogin();
        return;
    }
    if (!call.DivertToErrorKey())
        ui::LangMessageBoxShort(connections::CommErrorText(static_cast<uint8_t>(error)));
}

void BaudCommand(FunctionCall& call) {
    const NumberWord n = ParseNumberWord(call.NextToken());
    if (!n.Ok || n.Value < 1) {
        call.Succeeded = false;
        return;
    }
    uint32_t stored = static_cast<uint32_t>(n.Value);
    for (const CodedRate& rate : kCodedRates)
        if (n.Value == rate.Rate) stored = rate.Stored;
    // Any other rate beyond 16 bits would be stored as a different one.
    if (stored > 0xFFFF) {
        call.Succeeded = false;
        return;
    }
    Settings.SerialBaud.Set(static_cast<uint16_t>(stored));
    ReopenConnection(false);
}

void PortCommand(FunctionCall& call) {
    const NumberWord n = ParseNumberWord(call.NextToken());
    // The port number is a byte.
    if (!n.Ok || n.Value < 1 || n.Value > 255) {
        call.Succeeded = false;
        return;
    }
    if (n.Value != Settings.SerialPort) connections::CommClose();
    Settings.SerialPort = static_cast<uint8_t>(n.Value);
    Settings.SerialIrq.Set((n.Value & 1) != 0 ? 4 : 3);
    ReopenConnection(true);
}

void IrqCommand(FunctionCall& call) {
    const NumberWord n = ParseNumberWord(call.NextToken());
    if (!n.Ok || !((n.Value >= 1 && n.Value <= 7) || (n.Value >= 10 && n.Value <= 15))) {
        call.Succeeded = false;
        return;
    }
    if (n.Value != Settings.SerialIrq.Get()) connections::CommClose();
    Settings.SerialIrq.Set(static_cast<uint16_t>(n.Value));
    ReopenConnection(true);
}

// 7E1 ... 8O2: the command word is the line format.
void LineFormatCommand(FunctionCall& call) {
    std::string word = call.Line;
    const std::size_t start = word.find_first_not_of(" \"");
    word = start == std::string::npos ? std::string() : word.substr(start, 3);
    if (word.size() < 3) {
        call.Succeeded = false;
        return;
    }
    Settings.SerialDataBits.Set(word[0] == '8' ? 8 : 7);
    Settings.SerialParity = static_cast<uint8_t>(word[1]);
    Settings.SerialStopBits.Set(word[2] == '1' ? 1 : 2);
    ReopenConnection(false);
}

void ParityCommand(FunctionCall& call) {
    const std::string word = call.NextToken();
    char parity = 0;
    if (word == "EVEN") parity = 'E';
    if (word == "ODD") parity = 'O';
    if (word == "OFF") parity = 'N';
    if (parity == 0) {
        ShowMessage(MessageInvalidFunction);
        return;
    }
    Settings.SerialParity = static_cast<uint8_t>(parity);
    ReopenConnection(false);
}

void DataCommand(FunctionCall& call) {
    std::string word = call.NextToken();
    if (IsAbbreviation(word, "BITS")) word = call.NextToken();
    if (word.size() != 1 || word[0] < '5' || word[0] > '8') {
        ShowMessage(MessageInvalidFunction);
        return;
    }
    Settings.SerialDataBits.Set(static_cast<uint16_t>(word[0] - '0'));
    ReopenConnection(false);
}

void RtsModeCommand(FunctionCall& call) {
    const std::string word = call.NextToken();
    if (word != "0" && word != "1" && word != "2") {
        call.Succeeded = false;
        return;
    }
    Settings.RtsMode = static_cast<uint8_t>(word[0] - '0');
}

void BreakCommand(FunctionCall&) {
    connections::CommSendBreak();
}

void DialCommand(FunctionCall& call) {
    EndDirectOutput();
    const std::string number = call.NextToken();
    const std::string wait = call.NextToken().substr(0, 6);
    if (Settings.CommMethod == connections::CommMethodModem) {
        Settings.PhoneNumber = std::string_view(number).substr(0, 60);
        ReopenAndLogIn(call);
        return;
    }
    const std::string count = call.NextToken();
    if (!CommandServices.DialModem(number, wait, count)) call.Succeeded = false;
}

void HangUpCommand(FunctionCall&) {
    EndDirectOutput();
    if (Settings.CommMethod == connections::CommMethodModem) {
        connections::CommClose();
        connections::CommDropped(false);
    } else {
        CommandServices.HangUpModem();
    }
}

void CommTypeCommand(FunctionCall& call) {
    const std::string word = call.NextToken();
    struct Method {
        const char* Name;
        uint8_t Code;
    };
    static constexpr Method kMethods[] = {{"SERIAL", 1}, {"WINSOCK", 2}, {"TELNET", 2},
                                          {"RLOGIN", 5}, {"MODEM", 6},   {"SSH", 7}};
    for (const Method& m : kMethods) {
        if (word != m.Name) continue;
        if (m.Code != Settings.CommMethod) {
            connections::CommClose();
            Settings.CommMethod = m.Code;
            ReopenAndLogIn(call);
        }
        return;
    }
    call.Succeeded = false;
}

void ConnectCommand(FunctionCall& call) {
    const std::string target = call.NextToken();
    EndDirectOutput();
    uint8_t method = Settings.CommMethod;
    if (!target.empty()) {
        std::string user;
        CommandServices.ParseHostArgument(ExpandVariables(target), user, method);
        if (!user.empty()) {
            const std::size_t colon = user.find(':');
            if (colon != std::string::npos) {
                AssignZeroFilled(Settings.UserName, user.substr(0, colon));
                AssignZeroFilled(Settings.Password, ScramblePassword(user.substr(colon + 1)));
            } else {
                AssignZeroFilled(Settings.UserName, user);
            }
            WipeSecret(user);
        }
    }
    connections::CommClose();
    Settings.CommMethod = method;
    ReopenAndLogIn(call);
}

void ReconnectCommand(FunctionCall& call) {
    const std::string word = call.NextToken();
    if (word.empty() || word == "ON")
        Settings.ReconnectMode = 1;
    else if (word == "OFF")
        Settings.ReconnectMode = 0;
    else if (word == "STAY")
        Settings.ReconnectMode = 2;
    else
        call.Succeeded = false;
}

void AutoConnectCommand(FunctionCall& call) {
    call.ParseSwitch(Settings.AutoConnect);
}

void CloneCommand(FunctionCall& call) {
    if (Settings.CommMethod != connections::CommMethodTelnet &&
        Settings.CommMethod != connections::CommMethodRlogin) {
        call.Succeeded = false;
        return;
    }
    if (!ConfirmSaveSettings(true)) return;
    CommandServices.SetExitCode(0);
    // A settings path with blanks must reach the new copy as one argument.
    std::string argument = SettingsFile.SettingsFileName;
    if (argument.find(' ') != std::string::npos) argument = "\"" + argument + "\"";
    if (CommandServices.CloneProgram(argument) != 0 && !call.DivertToErrorKey())
        ShowMessage(MessageCantClone);
}

void HostNameReplyCommand(FunctionCall& call) {
    call.SetReply(Settings.HostName.View());
}

void UserNameCommand(FunctionCall& call) {
    AssignZeroFilled(Settings.UserName, call.NextToken());
}

void PromptIdCommand(FunctionCall& call) {
    std::string user;
    std::string password;
    if (ui::LoginPasswordPrompt(Settings.HostName.View(), true, user, 80, password, 255)) {
        AssignZeroFilled(Settings.UserName, user);
        AssignZeroFilled(Settings.Password, ScramblePassword(password));
        WipeSecret(password);
        return;
    }
    if (!call.DivertToErrorKey()) call.Succeeded = false;
}

void LoginWizardCommand(FunctionCall& call) {
    call.ParseSwitch(Settings.LoginWizard);
}

void RegTelnetCommand(FunctionCall& call) {
    if (CommandServices.RegisterTelnetHandler(call.NextToken())) return;
    if (!call.DivertToErrorKey()) {
        call.Succeeded = false;
        call.Status = FunctionBadArgument;
    }
}

void TermNameCommand(FunctionCall& call) {
    Settings.TermNameList = std::string_view(call.NextToken()).substr(0, 60);
}

void EnvironmentCommand(FunctionCall& call) {
    call.SkipBlanks();
    Settings.EnvironmentText = call.RestOfLine();
}

void PollCommand(FunctionCall& call) {
    LineCommands.ReceiveWaitMode = static_cast<uint8_t>(call.ParseIntAt() - 1);
}

// Bits of the serial device control block's flag word.
constexpr uint32_t kFlagOutxCtsFlow = 1u << 2;
constexpr uint32_t kFlagOutxDsrFlow = 1u << 3;
constexpr uint32_t kDtrControlShift = 4;
constexpr uint32_t kFlagDsrSensitivity = 1u << 6;
constexpr uint32_t kFlagOutX = 1u << 8;
constexpr uint32_t kFlagInX = 1u << 9;
constexpr uint32_t kRtsControlShift = 12;
constexpr uint32_t kControlMask = 3;
constexpr uint32_t kControlEnable = 1;
constexpr uint32_t kControlHandshake = 2;
constexpr uint32_t kRtsToggle = 3;
// The flag the mode text calls "to": time-outs are infinite when off.
constexpr uint32_t kFlagAbortOnError = 1u << 14;

bool WholeNumber(std::string_view text, uint32_t& value) {
    if (text.empty() || text.size() > 9) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint32_t>(c - '0');
    }
    return true;
}

std::string Lower(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

bool ParityCode(std::string_view word, uint8_t& parity) {
    static constexpr std::string_view kLetters = "noems";
    if (word.size() != 1 || kLetters.find(word[0]) == std::string_view::npos) return false;
    parity = static_cast<uint8_t>(kLetters.find(word[0]));
    return true;
}

bool StopCode(std::string_view word, uint8_t& stop) {
    if (word == "1")
        stop = 0;
    else if (word == "1.5")
        stop = 1;
    else if (word == "2")
        stop = 2;
    else
        return false;
    return true;
}

bool DataBits(std::string_view word, uint8_t& bits) {
    uint32_t n = 0;
    if (!WholeNumber(word, n) || n < 5 || n > 8) return false;
    bits = static_cast<uint8_t>(n);
    return true;
}

void SetControl(uint32_t& flags, uint32_t shift, uint32_t value) {
    flags = (flags & ~(kControlMask << shift)) | (value << shift);
}

// "COMn" or "COMn:" before the settings names a device; it is passed over.
std::string_view SkipDeviceName(std::string_view text) {
    text = Trimmed(text);
    if (text.size() >= 4 && Lower(text.substr(0, 3)) == "com" && text[3] >= '0' && text[3] <= '9') {
        size_t i = 3;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        if (i < text.size() && text[i] == ':') ++i;
        if (i == text.size() || text[i] == ' ' || text[i] == ',') text.remove_prefix(i);
        while (!text.empty() && (text.front() == ' ' || text.front() == ',')) text.remove_prefix(1);
    }
    return text;
}

// The older form: baud[,parity[,data[,stop[,x|p]]]]; two-digit rates are
// the short forms of the usual ones.
bool ParseOlderModeText(std::string_view text, PortParams& p) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        parts.emplace_back(Lower(Trimmed(text.substr(start, comma - start))));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (parts.size() > 5) return false;
    PortParams out = p;
    uint32_t baud = 0;
    if (!WholeNumber(parts[0], baud) || baud == 0) return false;
    static constexpr std::pair<uint32_t, uint32_t> kShortRates[] = {
        {11, 110},  {15, 150},  {30, 300},  {60, 600},  {12, 1200},
        {24, 2400}, {48, 4800}, {96, 9600}, {19, 19200}};
    if (parts[0].size() == 2)
        for (const auto& [shortRate, rate] : kShortRates)
            if (baud == shortRate) baud = rate;
    out.BaudRate.Set(baud);
    if (baud == 110) out.StopBits = 2;
    if (parts.size() > 1 && !parts[1].empty() && !ParityCode(parts[1], out.Parity)) return false;
    if (parts.size() > 2 && !parts[2].empty() && !DataBits(parts[2], out.ByteSize)) return false;
    if (parts.size() > 3 && !parts[3].empty() && !StopCode(parts[3], out.StopBits)) return false;
    const std::string flow = parts.size() > 4 ? parts[4] : "";
    if (!flow.empty() && flow != "x" && flow != "p") return false;
    uint32_t flags =
        out.Flags.Get() & ~(kFlagInX | kFlagOutX | kFlagOutxCtsFlow | kFlagOutxDsrFlow);
    SetControl(flags, kDtrControlShift, kControlEnable);
    SetControl(flags, kRtsControlShift, kControlEnable);
    if (flow == "x") flags |= kFlagInX | kFlagOutX;
    if (flow == "p") {
        flags |= kFlagOutxCtsFlow | kFlagOutxDsrFlow;
        SetControl(flags, kDtrControlShift, kControlHandshake);
        SetControl(flags, kRtsControlShift, kControlHandshake);
    }
    out.Flags.Set(flags);
    p = out;
    return true;
}

bool OnOff(std::string_view value, bool& on) {
    if (value == "on")
        on = true;
    else if (value == "off")
        on = false;
    else
        return false;
    return true;
}

// The newer form: name=value words separated by blanks.
bool ParseNewerModeText(std::string_view text, PortParams& p) {
    PortParams out = p;
    // Flow control stays off unless the text turns it on.
    uint32_t flags =
        out.Flags.Get() & ~(kFlagInX | kFlagOutX | kFlagOutxCtsFlow | kFlagOutxDsrFlow);
    const std::string lower = Lower(text);
    size_t i = 0;
    bool any = false;
    while (i < lower.size()) {
        if (lower[i] == ' ') {
            ++i;
            continue;
        }
        size_t end = lower.find(' ', i);
        if (end == std::string::npos) end = lower.size();
        const std::string_view word = std::string_view(lower).substr(i, end - i);
        i = end;
        const size_t eq = word.find('=');
        if (eq == std::string_view::npos) return false;
        const std::string_view name = word.substr(0, eq);
        const std::string_view value = word.substr(eq + 1);
        bool on = false;
        uint32_t n = 0;
        if (name == "baud") {
            if (!WholeNumber(value, n) || n == 0) return false;
            out.BaudRate.Set(n);
            if (n == 110) out.StopBits = 2;
        } else if (name == "parity") {
            if (!ParityCode(value, out.Parity)) return false;
        } else if (name == "data") {
            if (!DataBits(value, out.ByteSize)) return false;
        } else if (name == "stop") {
            if (!StopCode(value, out.StopBits)) return false;
        } else if (name == "to") {
            if (!OnOff(value, on)) return false;
            flags = on ? flags | kFlagAbortOnError : flags & ~kFlagAbortOnError;
        } else if (name == "xon") {
            if (!OnOff(value, on)) return false;
            flags = on ? flags | kFlagInX | kFlagOutX : flags & ~(kFlagInX | kFlagOutX);
        } else if (name == "odsr" || name == "octs" || name == "idsr") {
            if (!OnOff(value, on)) return false;
            const uint32_t bit = name == "odsr"   ? kFlagOutxDsrFlow
                                 : name == "octs" ? kFlagOutxCtsFlow
                                                  : kFlagDsrSensitivity;
            flags = on ? flags | bit : flags & ~bit;
        } else if (name == "dtr" || name == "rts") {
            uint32_t control = 0;
            if (value == "on")
                control = kControlEnable;
            else if (value == "off")
                control = 0;
            else if (value == "hs")
                control = kControlHandshake;
            else if (value == "tg" && name == "rts")
                control = kRtsToggle;
            else
                return false;
            SetControl(flags, name == "dtr" ? kDtrControlShift : kRtsControlShift, control);
        } else {
            return false;
        }
        any = true;
    }
    if (!any) return false;
    out.Flags.Set(flags);
    p = out;
    return true;
}

void CloseAuxThen(FunctionCall&) {
    CommandServices.CloseAuxPort();
}

void PortSetupCommand(FunctionCall& call, bool aux) {
    PortParams& params = aux ? Settings.AuxPortParams : Settings.RawPortParams;
    PString<255>& name = aux ? Settings.AuxPortName : Settings.RawPortName;
    const std::string word = call.NextToken();
    if (word.empty()) {
        call.Succeeded = CommandServices.AskPortName(aux);
        return;
    }
    if (!aux && word == "DEFAULT") {
        AssignZeroFilled(name, "");
        return;
    }
    call.SkipBlanks();
    call.Succeeded = ParsePortSettings(word, call.RestOfLine(255), params, name);
}

void RawSetupCommand(FunctionCall& call) {
    PortSetupCommand(call, false);
}

void AuxSetupCommand(FunctionCall& call) {
    CloseAuxThen(call);
    PortSetupCommand(call, true);
}

void AuxCommand(FunctionCall& call) {
    CloseAuxThen(call);
    call.ParseSwitch(Settings.AuxEnabled);
}

void AuxDebugCommand(FunctionCall& call) {
    call.ParseSwitch(Settings.AuxDebug);
}

}  // namespace

bool ParsePortSettings(std::string_view portName, std::string_view text, PortParams& params,
                       PString<255>& name) {
    name = portName.substr(0, 255);
    text = Trimmed(text);
    if (text.empty()) return true;
    uint32_t baud = 0;
    if (text.find(',') == std::string_view::npos && WholeNumber(text, baud)) {
        params.BaudRate.Set(baud);
        return true;
    }
    text = SkipDeviceName(text);
    if (text.empty()) return false;
    return text.find('=') != std::string_view::npos ? ParseNewerModeText(text, params)
                                                    : ParseOlderModeText(text, params);
}

void ReopenConnection(bool newConnection) {
    const uint32_t error = connections::CommOpen(newConnection);
    if (error != 0)
        ui::LangMessageBoxShort(connections::CommErrorText(static_cast<uint8_t>(error)));
}

void AddLineCommands(CommandHandlerTable& t) {
    t.ByCode[FunctionCodeOf("BAUD")] = BaudCommand;
    t.ByCode[FunctionCodeOf("RAW-SETUP")] = RawSetupCommand;
    t.ByCode[FunctionCodeOf("AUX-SETUP")] = AuxSetupCommand;
    t.ByCode[FunctionCodeOf("AUX")] = AuxCommand;
    t.ByCode[FunctionCodeOf("AUX-DEBUG")] = AuxDebugCommand;
    t.ByCode[FunctionCodeOf("PORT")] = PortCommand;
    t.ByCode[FunctionCodeOf("IRQ")] = IrqCommand;
    for (const char* format :
         {"7E1", "7E2", "7N1", "7N2", "7O1", "7O2", "8E1", "8E2", "8N1", "8N2", "8O1", "8O2"})
        t.ByCode[static_cast<std::size_t>(
            FunctionTable[static_cast<std::size_t>(LookupFunction(format))].Code)] =
            LineFormatCommand;
    t.ByCode[FunctionCodeOf("PARITY")] = ParityCommand;
    t.ByCode[FunctionCodeOf("DATA")] = DataCommand;
    t.ByCode[FunctionCodeOf("RTS-MODE")] = RtsModeCommand;
    t.ByCode[FunctionCodeOf("BREAK")] = BreakCommand;
    t.ByCode[FunctionCodeOf("DIAL")] = DialCommand;
    t.ByCode[FunctionCodeOf("HANGUP")] = HangUpCommand;
    t.ByCode[FunctionCodeOf("COMMTYPE")] = CommTypeCommand;
    t.ByCode[FunctionCodeOf("CONNECT")] = ConnectCommand;
    t.ByCode[FunctionCodeOf("RECONNECT")] = ReconnectCommand;
    t.ByCode[FunctionCodeOf("AUTO-CONNECT")] = AutoConnectCommand;
    t.ByCode[FunctionCodeOf("CLONE")] = CloneCommand;
    t.ByCode[FunctionCodeOf("HOSTNAME/S")] = HostNameReplyCommand;
    t.ByCode[FunctionCodeOf("USERNAME")] = UserNameCommand;
    t.ByCode[FunctionCodeOf("PROMPT-ID")] = PromptIdCommand;
    t.ByCode[FunctionCodeOf("LOGIN-WIZARD")] = LoginWizardCommand;
    t.ByCode[FunctionCodeOf("REGTELNET")] = RegTelnetCommand;
    t.ByCode[FunctionCodeOf("TERMNAME")] = TermNameCommand;
    t.ByCode[FunctionCodeOf("ENVIRONMENT")] = EnvironmentCommand;
    t.ByCode[FunctionCodeOf("POLL")] = PollCommand;
}

}  // namespace commands
