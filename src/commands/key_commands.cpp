#include "commands/key_commands.h"

#include <string>

#include "commands/command_services.h"
#include "commands/command_support.h"
#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "commands/wait_commands.h"
#include "console/console_primitives.h"
#include "console/messages.h"

namespace commands {

namespace {

constexpr size_t kMaxRecordTail = 80;
constexpr std::string_view kRecordOffKeys = std::string_view("\0@RECORD OFF|", 13);
constexpr std::string_view kRecordKeys = std::string_view("\0@RECORD ", 9);

std::string UpperCopy(std::string_view text) {
    std::string s(text);
    UpperCaseAscii(s);
    return s;
}

void DefineOrTellMemory(uint16_t key, std::string_view text) {
    if (!CommandServices.DefineMacro(key, text)) ShowMessage(MessageInsufficientMemory);
}

// DEFINE reads its line by place: the key right after the blank that ends
// the command word, then the text (after one more blank when there is one).
void DefineCommand(FunctionCall& call) {
    const std::string& line = call.Line;
    size_t at = call.Position + 1;
    if (at >= line.size()) {
        call.Succeeded = false;
        return;
    }
    uint16_t key = 0;
    if (line[at] == '\0') {
        if (at + 1 >= line.size()) {
            call.Succeeded = false;
            return;
        }
        key = static_cast<uint16_t>(256 + static_cast<uint8_t>(line[at + 1]));
        at += 2;
    } else {
        key = static_cast<uint8_t>(line[at]);
        ++at;
        // The line editor names a character of several UTF-8 bytes as one
        // key: all of its bytes are the key, none begins the text.
        if (call.DefineKey != 0 && key >= 0xC0)
            while (at < line.size() && (static_cast<uint8_t>(line[at]) & 0xC0) == 0x80) ++at;
    }
    if (at < line.size() && line[at] == ' ') ++at;
    if (call.DefineKey != 0) key = call.DefineKey;
    DefineOrTellMemory(key, at < line.size() ? std::string_view(line).substr(at) : "");
}

void KeysCommand(FunctionCall&) {
    CommandServices.ShowConsoleScreen(ConsoleScreen::KeyList);
}

void LoadKeys(FunctionCall& call, bool replace) {
    const std::string name = call.NextToken();
    if (CommandServices.LoadKeysFile(name, replace)) return;
    if (!call.DivertToErrorKey()) ShowMessage(MessageUnableToReadKeyFile, name);
}
void ReadCommand(FunctionCall& call) {
    LoadKeys(call, true);
}
void MergeCommand(FunctionCall& call) {
    LoadKeys(call, false);
}

void SaveCommand(FunctionCall& call) {
    if (!CommandServices.SaveKeysFile(call.NextToken())) call.Succeeded = false;
}

void StartKeyMacro(FunctionCall& call, bool nested) {
    uint16_t key = 0;
    if (!ParseKeyWord(call.NextToken(), key)) {
        call.Succeeded = false;
        return;
    }
    CommandServices.StartMacro(key, nested);
}
void InvokeCommand(FunctionCall& call) {
    StartKeyMacro(call, false);
}
void CallCommand(FunctionCall& call) {
    StartKeyMacro(call, true);
}

void RecordCommand(FunctionCall& call) {
    const std::string word = call.NextToken();
    const std::string upper = UpperCopy(word);
    std::string& learned = Interpreter.LearnText;
    if (upper.empty() || upper == "ON") {
        Interpreter.LearnMode = true;
        learned.clear();
        return;
    }
    if (upper == "CANCEL") {
        Interpreter.LearnMode = false;
        learned.clear();
        return;
    }
    if (upper == "OFF") {
        Interpreter.LearnMode = false;
        if (!learned.empty()) {
            // The keystrokes that typed this very command at the local
            // command line are not part of the recording.
            if (learned.size() >= kRecordOffKeys.size() &&
                UpperCopy(learned.substr(learned.size() - kRecordOffKeys.size())) == kRecordOffKeys)
                learned.erase(learned.size() - kRecordOffKeys.size());
            console::RestoreCursorState();
            uint16_t key = 0;
            if (PromptForKey(console::GetMessageText(MessageRecordKey, true), key))
                DefineOrTellMemory(key, learned);
            console::SaveCursorState();
        }
        learned.clear();
        return;
    }
    uint16_t key = 0;
    if (!ParseKeyWord(word, key)) {
        if (!call.DivertToErrorKey()) call.Succeeded = false;
        return;
    }
    const std::string tail = (word + "|").substr(0, kMaxRecordTail);
    if (learned.size() >= tail.size() + kRecordKeys.size() && learned.ends_with(tail)) {
        const size_t start = learned.size() - tail.size() - kRecordKeys.size();
        if (UpperCopy(learned.substr(start, kRecordKeys.size())) == kRecordKeys)
            learned.erase(start);
    }
    DefineOrTellMemory(key, learned);
    Interpreter.LearnMode = false;
    learned.clear();
}

// ONERROR, ONSTARTUP, PRINTMACRO: one character names the key, nothing
// turns it off.
bool ReadOneKey(FunctionCall& call, uint16_t& key) {
    const std::string word = call.NextToken();
    if (word.size() > 1) {
        call.Succeeded = false;
        return false;
    }
    key = word.empty() ? 0 : static_cast<uint8_t>(word[0]);
    return true;
}
void OnErrorCommand(FunctionCall& call) {
    uint16_t key = 0;
    if (ReadOneKey(call, key)) Interpreter.ErrorKey = key;
}
void OnStartupCommand(FunctionCall& call) {
    uint16_t key = 0;
    if (ReadOneKey(call, key)) Settings.StartupKey.Set(key);
}
void PrintMacroCommand(FunctionCall& call) {
    uint16_t key = 0;
    if (ReadOneKey(call, key)) Settings.PrintMacroKey.Set(key);
}

}  // namespace

void AddKeyCommands(CommandHandlerTable& t) {
    t.ByCode[FunctionCodeOf("DEFINE")] = DefineCommand;
    t.ByCode[FunctionCodeOf("KEYS")] = KeysCommand;
    t.ByCode[FunctionCodeOf("READ")] = ReadCommand;
    t.ByCode[FunctionCodeOf("MERGE")] = MergeCommand;
    t.ByCode[FunctionCodeOf("SAVE")] = SaveCommand;
    t.ByCode[FunctionCodeOf("INVOKE")] = InvokeCommand;
    t.ByCode[FunctionCodeOf("CALL")] = CallCommand;
    t.ByCode[FunctionCodeOf("RECORD")] = RecordCommand;
    t.ByCode[FunctionCodeOf("ONERROR")] = OnErrorCommand;
    t.ByCode[FunctionCodeOf("ONSTARTUP")] = OnStartupCommand;
    t.ByCode[FunctionCodeOf("PRINTMACRO")] = PrintMacroCommand;
}

}  // namespace commands
