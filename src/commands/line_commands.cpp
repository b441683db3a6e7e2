#include "commands/line_commands.h"

#include <string>

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

}  // namespace

void ReopenConnection(bool newConnection) {
    const uint32_t error = connections::CommOpen(newConnection);
    if (error != 0)
        ui::LangMessageBoxShort(connections::CommErrorText(static_cast<uint8_t>(error)));
}

void AddLineCommands(CommandHandlerTable& t) {
    t.ByCode[FunctionCodeOf("BAUD")] = BaudCommand;
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
