#include "commands/exit_commands.h"

#include <cstring>
#include <string>
#include <vector>

#include "commands/command_services.h"
#include "commands/command_support.h"
#include "commands/interpreter.h"
#include "commands/line_commands.h"
#include "commands/settings_file.h"
#include "commands/settings_record.h"
#include "ui/language_module.h"

namespace commands {

namespace {

void EndWith(uint8_t code) {
    if (ConfirmSaveSettings(true)) CommandServices.SetExitCode(code);
}

void EndCommand(FunctionCall&) {
    EndWith(1);
}
void DropOutCommand(FunctionCall&) {
    EndWith(2);
}
void StayCommand(FunctionCall&) {
    EndWith(3);
}

void StopCommand(FunctionCall& call) {
    std::string word = call.NextToken();
    if (word.empty()) {
        EndWith(1);
        return;
    }
    if (IsAbbreviation(word, "BITS")) word = call.NextToken();
    uint16_t bits = 0;
    if (word == "1") bits = 1;
    if (word == "1.5") bits = 3;
    if (word == "2") bits = 2;
    if (bits == 0) {
        ShowMessage(MessageInvalidFunction);
        return;
    }
    Settings.SerialStopBits.Set(bits);
    ReopenConnection(false);
}

void DefaultsCommand(FunctionCall& call) {
    if (!SettingsFile.SettingsFileName.empty() && SaveSettingsFile()) return;
    if (!call.DivertToErrorKey()) {
        call.Succeeded = false;
        call.Status = FunctionBadArgument;
    }
}

// The whole word as hexadecimal digits; false for an empty word or any
// other character.
bool HexValue(std::string_view word, uint32_t& value) {
    if (word.empty() || word.size() > 8) return false;
    value = 0;
    for (char c : word) {
        uint8_t digit = 0;
        if (!HexByte(std::string{'0', c}, digit)) return false;
        value = value * 16 + digit;
    }
    return true;
}

// HEXPATCH offset bytes: bytes written into the live settings record by
// position. A bad offset or byte text changes nothing.
void HexPatchCommand(FunctionCall& call) {
    uint32_t offset = 0;
    const bool offsetOk = HexValue(call.NextToken(), offset);
    offset &= 0xFFFF;
    const std::string bytes = call.NextToken();
    if (!offsetOk || bytes.empty() || bytes.size() % 2 != 0 ||
        offset + bytes.size() / 2 > sizeof(SettingsRecord)) {
        call.Succeeded = false;
        return;
    }
    std::vector<uint8_t> values(bytes.size() / 2);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!HexByte(std::string_view(bytes).substr(2 * i, 2), values[i])) {
            call.Succeeded = false;
            return;
        }
    }
    std::memcpy(reinterpret_cast<uint8_t*>(&Settings) + offset, values.data(), values.size());
}

void MenuLanguageCommand(FunctionCall& call) {
    call.SkipBlanks();
    const std::string rest = call.RestOfLine();
    const NumberWord n = ParseNumberWord(rest);
    int language = n.Ok ? n.Value : ui::ChooseMenuLanguage(rest);
    const bool ok =
        language >= 0 && language <= 0xFFFF && ui::SetMenuLanguage(static_cast<uint16_t>(language));
    if (ok) return;
    if (!call.DivertToErrorKey()) {
        call.Succeeded = false;
        call.Status = FunctionBadArgument;
    }
}

void AllowQuitCommand(FunctionCall& call) {
    call.ParseSwitch(Settings.AllowQuit);
}

void FailureOnlyCommand(FunctionCall& call) {
    call.Succeeded = false;
}

}  // namespace

void AddExitCommands(CommandHandlerTable& t) {
    t.ByCode[FunctionCodeOf("END")] = EndCommand;
    t.ByCode[FunctionCodeOf("CPM")] = EndCommand;
    t.ByCode[FunctionCodeOf("STOP")] = StopCommand;
    t.ByCode[FunctionCodeOf("DROPOUT")] = DropOutCommand;
    t.ByCode[FunctionCodeOf("STAY")] = StayCommand;
    t.ByCode[FunctionCodeOf("STAY/G")] = StayCommand;
    t.ByCode[FunctionCodeOf("DEFAULTS")] = DefaultsCommand;
    t.ByCode[FunctionCodeOf("HEXPATCH")] = HexPatchCommand;
    t.ByCode[FunctionCodeOf("MENULANGUAGE")] = MenuLanguageCommand;
    t.ByCode[FunctionCodeOf("ALLOW-QUIT")] = AllowQuitCommand;
    for (const char* word : {"DATE", "HOTKEY", "F2", "ACTIVATE", "ZSND", "ZRCV", "_FORCEERROR",
                             "ZRCV/S", "ZSND/S", "LOGOUT", "IMAGEBOX"})
        t.ByCode[static_cast<std::size_t>(
            FunctionTable[static_cast<std::size_t>(LookupFunction(word))].Code)] =
            FailureOnlyCommand;
}

}  // namespace commands
