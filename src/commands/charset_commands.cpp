#include "commands/charset_commands.h"

#include <array>
#include <string>

#include "commands/command_services.h"
#include "commands/command_support.h"
#include "commands/interpreter.h"
#include "commands/settings_file.h"
#include "commands/settings_record.h"
#include "commands/startup_services.h"
#include "commands/wait_commands.h"
#include "console/console_primitives.h"

namespace commands {

namespace {

constexpr std::array<std::string_view, 13> kNationalSets = {
    "INTERNATIONAL", "UK",      "FINNISH",   "FRENCH", "CANADIAN",  "GERMAN",  "ITALIAN",
    "SWEDISH",       "SPANISH", "NORWEGIAN", "SWISS",  "SLOVENIAN", "JAPANESE"};

constexpr int32_t kUnknownSet = -1;
constexpr int32_t kIsoLatin1 = 0;
constexpr int32_t kNoSet = 0x10000;
constexpr int32_t kDecSet = 0x50000;
constexpr int32_t kOemSet = 0x70000;
constexpr uint32_t kScreenFile = 0x80000;
constexpr uint32_t kPrintFile = 0x90000;
constexpr uint8_t kKindCodePage = 14;
constexpr uint16_t kEsc = 27;
constexpr uint16_t kCr = 13;

int NationalSetIndex(std::string_view name) {
    for (size_t i = 0; i < kNationalSets.size(); ++i)
        if (kNationalSets[i] == name) return static_cast<int>(i);
    return -1;
}

// A translation file beside the program: the name and ".uni".
bool TranslationFileExists(std::string_view name) {
    return !name.empty() &&
           StartupServices.IsUsableFile(SettingsFile.ProgramFolder + std::string(name) + ".uni");
}

bool SelectScreenCharset(std::string_view name) {
    const int national = NationalSetIndex(name);
    if (national >= 0) {
        Settings.CharsetMode = static_cast<uint8_t>(national);
        CommandServices.SelectNationalSet(static_cast<uint8_t>(national));
        return true;
    }
    const int32_t id = CommandServices.CharsetCode(name);
    if (id == kUnknownSet) {
        if (!TranslationFileExists(name)) return false;
        Settings.CodePage.Set(kScreenFile);
        Settings.CharsetKind = kKindCodePage;
        AssignZeroFilled(Settings.CharsetFile, name);
    } else if (id == kNoSet) {
        return false;
    } else if (id == kIsoLatin1) {
        Settings.CharsetKind = 8;
    } else if (id == kDecSet) {
        Settings.CharsetKind = 16;
    } else if (id == kOemSet) {
        Settings.CharsetKind = 6;
    } else {
        Settings.CodePage.Set(static_cast<uint32_t>(id));
        Settings.CharsetKind = kKindCodePage;
    }
    CommandServices.SelectGrSet(Settings.CharsetKind);
    return true;
}

bool SelectPassthroughCharset(std::string_view name) {
    const int national = NationalSetIndex(name);
    if (national >= 0) {
        Settings.PassthroughCharset = static_cast<uint8_t>(national);
        return true;
    }
    const int32_t id = CommandServices.CharsetCode(name);
    if (id == kUnknownSet && TranslationFileExists(name)) {
        Settings.PassthroughCodePage.Set(kPrintFile);
        AssignZeroFilled(Settings.PassthroughCharsetFile, name);
        return true;
    }
    if (id == kUnknownSet || id == kIsoLatin1 || id == kDecSet || id == kOemSet) return false;
    Settings.PassthroughCodePage.Set(static_cast<uint32_t>(id));
    return true;
}

void CharsetOutcome(FunctionCall& call, bool ok, bool reply) {
    if (reply) {
        call.SetReplyStatus(ok);
    } else if (!ok && !call.DivertToErrorKey()) {
        call.Succeeded = false;
    }
}

void CharsetCommand(FunctionCall& call) {
    CharsetOutcome(call, SelectScreenCharset(call.NextToken()), false);
}
void CharsetReplyCommand(FunctionCall& call) {
    CharsetOutcome(call, SelectScreenCharset(call.NextToken()), true);
}
void PassthroughCommand(FunctionCall& call) {
    CharsetOutcome(call, SelectPassthroughCharset(call.NextToken()), false);
}
void PassthroughReplyCommand(FunctionCall& call) {
    CharsetOutcome(call, SelectPassthroughCharset(call.NextToken()), true);
}

// The combining mark a compose pair's first character stands for; 0 for none.
char16_t CombiningMarkOf(char16_t first) {
    switch (first) {
        case u'"':
        case u':':
            return 0x0308;
        case u'\'':
            return 0x0301;
        case u'`':
            return 0x0300;
        case u'^':
        case u'>':
            return 0x0302;
        case u'~':
            return 0x0303;
        case u'-':
            return 0x0304;
        case u'(':
            return 0x0306;
        case u'*':
            return 0x0307;
        case u'?':
            return 0x0309;
        case u'<':
            return 0x030C;
        case u'.':
            return 0x0323;
        case u',':
            return 0x0327;
        case u'_':
            return 0x0332;
        case u'=':
            return 0x0333;
        default:
            return 0;
    }
}

void ComposeCommand(FunctionCall& call) {
    call.SkipBlanks();
    std::u16string pair = Utf8ToWide(call.RestOfLine());
    if (pair.size() == 1) {
        console::RestoreCursorState();
        const uint16_t key = ComposePrompt(Utf8ToWide(call.Line));
        if (key == kEsc) return;
        pair.push_back(static_cast<char16_t>(key));
    }
    if (pair.size() != 2) {
        call.Succeeded = false;
        return;
    }
    if (const char16_t ch = ComposeTableLookup(pair[0], pair[1]); ch != 0) {
        Interpreter.PendingSendText = std::u16string(1, ch);
        return;
    }
    const char16_t mark = CombiningMarkOf(pair[0]);
    if (mark != 0) {
        const char16_t sequence[2] = {pair[1], mark};
        const char16_t ch = CommandServices.ComposeChars(std::u16string_view(sequence, 2));
        if (ch != 0xFFFF) {
            Interpreter.PendingSendText = std::u16string(1, ch);
            return;
        }
    }
    if (!call.DivertToErrorKey()) call.Succeeded = false;
}

// The hexadecimal digits of UNICODE/S and _UTFDEC: from the line, else
// typed on the status row (up to four, Esc gives up, Enter ends early).
bool ReadCodePoint(FunctionCall& call, uint32_t& code) {
    std::string digits = call.NextToken();
    if (digits.empty()) {
        console::RestoreCursorState();
        for (;;) {
            const uint16_t key = ComposePrompt(Utf8ToWide(call.Line + " " + digits));
            if (key == kEsc) return false;
            if (key == kCr) break;
            if (key < 256) digits.push_back(static_cast<char>(key));
            if (digits.size() >= 4) break;
        }
    }
    // Whole hexadecimal digits naming a Unicode scalar value; anything else
    // (a surrogate, a value past U+10FFFF) is refused.
    if (digits.empty() || digits.size() > 6) {
        call.Succeeded = false;
        return false;
    }
    code = 0;
    for (char c : digits) {
        uint8_t digit = 0;
        if (!HexByte(std::string{'0', c}, digit)) {
            call.Succeeded = false;
            return false;
        }
        code = code * 16 + digit;
    }
    if (CodePointToUtf8(code).empty()) {
        call.Succeeded = false;
        return false;
    }
    return true;
}

void UnicodeCommand(FunctionCall& call) {
    uint32_t code = 0;
    if (!ReadCodePoint(call, code)) return;
    Interpreter.PendingSendText = Utf8ToWide(CodePointToUtf8(code));
}

void UtfDecCommand(FunctionCall& call) {
    uint32_t code = 0;
    if (!ReadCodePoint(call, code)) return;
    std::string reply = "[d]";
    for (char byte : CodePointToUtf8(code))
        reply += "[" + std::to_string(static_cast<uint8_t>(byte)) + "]";
    call.SetReply(reply);
}

// The compose table: two characters and the Latin-1 (or, for five entries,
// Windows-1252) code they make.
struct ComposeEntry {
    char First;
    char Second;
    uint8_t Code;
};
constexpr ComposeEntry kComposeTable[] = {
    {'`', 'a', 0xE0},  {'`', 'e', 0xE8},  {'`', 'i', 0xEC},  {'`', 'o', 0xF2},  {'`', 'u', 0xF9},
    {'`', 'A', 0xC0},  {'`', 'E', 0xC8},  {'`', 'I', 0xCC},  {'`', 'O', 0xD2},  {'`', 'U', 0xD9},
    {'\'', 'a', 0xE1}, {'\'', 'e', 0xE9}, {'\'', 'i', 0xED}, {'\'', 'o', 0xF3}, {'\'', 'u', 0xFA},
    {'\'', 'A', 0xC1}, {'\'', 'E', 0xC9}, {'\'', 'I', 0xCD}, {'\'', 'O', 0xD3}, {'\'', 'U', 0xDA},
    {'\'', 'd', 0xF0}, {'\'', 'D', 0xD0}, {'-', 'D', 0xD0},  {'\'', 'Y', 0xDD}, {'\'', 'y', 0xFD},
    {'^', 'a', 0xE2},  {'^', 'e', 0xEA},  {'^', 'i', 0xEE},  {'^', 'o', 0xF4},  {'^', 'u', 0xFB},
    {'^', 'A', 0xC2},  {'^', 'E', 0xCA},  {'^', 'I', 0xCE},  {'^', 'O', 0xD4},  {'^', 'U', 0xDB},
    {':', 'a', 0xE4},  {'"', 'a', 0xE4},  {':', 'e', 0xEB},  {'"', 'e', 0xEB},  {':', 'i', 0xEF},
    {'"', 'i', 0xEF},  {':', 'o', 0xF6},  {'"', 'o', 0xF6},  {':', 'u', 0xFC},  {'"', 'u', 0xFC},
    {':', 'A', 0xC4},  {'"', 'A', 0xC4},  {':', 'E', 0xCB},  {'"', 'E', 0xCB},  {':', 'I', 0xCF},
    {'"', 'I', 0xCF},  {':', 'O', 0xD6},  {'"', 'O', 0xD6},  {':', 'U', 0xDC},  {'"', 'U', 0xDC},
    {':', 'y', 0xFF},  {'"', 'y', 0xFF},  {':', 'Y', 0x9F},  {'"', 'Y', 0x9F},  {':', ' ', 0xA8},
    {'"', ' ', 0xA8},  {',', 'c', 0xE7},  {'c', ',', 0xE7},  {',', 'C', 0xC7},  {'C', ',', 0xC7},
    {',', ' ', 0xB8},  {'~', 'a', 0xE3},  {'~', 'n', 0xF1},  {'~', 'o', 0xF5},  {'~', 'A', 0xC3},
    {'~', 'N', 0xD1},  {'~', 'O', 0xD5},  {'&', 'a', 0xE6},  {'a', 'e', 0xE6},  {'&', 's', 0xDF},
    {'s', 's', 0xDF},  {'*', 'A', 0xC5},  {'t', 'h', 0xDE},  {'*', 'a', 0xE5},  {'&', 'A', 0xC6},
    {'A', 'E', 0xC6},  {'&', 'o', 0x9C},  {'o', 'e', 0x9C},  {'&', 'O', 0x8C},  {'O', 'E', 0x8C},
    {'/', 'o', 0xF8},  {'o', '/', 0xF8},  {'/', 'O', 0xD8},  {'O', '/', 0xD8},  {'C', '/', 0xA2},
    {'C', '|', 0xA2},  {'!', '!', 0xA1},  {'?', '?', 0xBF},  {'L', '-', 0xA3},  {'L', '=', 0xA3},
    {'Y', '-', 0xA5},  {'Y', '=', 0xA5},  {'S', 'O', 0xA7},  {'S', '0', 0xA7},  {'S', '!', 0xA7},
    {'X', 'O', 0xA4},  {'X', '0', 0xA4},  {'C', 'O', 0xA9},  {'C', '0', 0xA9},  {'A', '_', 0xAA},
    {'<', '<', 0xAB},  {'0', '^', 0xB0},  {'O', '^', 0xB0},  {'+', '-', 0xB1},  {'2', '^', 0xB2},
    {'3', '^', 0xB3},  {'/', 'U', 0xB5},  {'P', '!', 0xB6},  {'.', '^', 0xB7},  {'1', '^', 0xB9},
    {'O', '_', 0xBA},  {'>', '>', 0xBB},  {'1', '4', 0xBC},  {'1', '2', 0xBD},  {'R', 'O', 0xAE},
    {'-', '^', 0xAF},  {'3', '4', 0xBE},  {'-', ':', 0xF7},  {'-', 'd', 0xF0},  {'T', 'H', 0xFE},
    {'T', 'M', 0x99},  {'e', '=', 0x80},
};
static_assert(std::size(kComposeTable) == 127);

// The five Windows-1252 codes of the table as the characters they stand for.
char16_t TableCodeToUnicode(uint8_t code) {
    switch (code) {
        case 0x80:
            return 0x20AC;
        case 0x8C:
            return 0x0152;
        case 0x9C:
            return 0x0153;
        case 0x99:
            return 0x2122;
        case 0x9F:
            return 0x0178;
        default:
            return code;
    }
}

}  // namespace

char16_t ComposeTableLookup(char16_t first, char16_t second) {
    for (const ComposeEntry& e : kComposeTable)
        if (static_cast<uint8_t>(e.First) == first && static_cast<uint8_t>(e.Second) == second)
            return TableCodeToUnicode(e.Code);
    return 0;
}

void AddCharsetCommands(CommandHandlerTable& t) {
    t.ByCode[FunctionCodeOf("CHARSET")] = CharsetCommand;
    t.ByCode[FunctionCodeOf("CHARSET/S")] = CharsetReplyCommand;
    t.ByCode[FunctionCodeOf("PASSTHRU-CP")] = PassthroughCommand;
    t.ByCode[FunctionCodeOf("PASSTHRU-CP/S")] = PassthroughReplyCommand;
    t.ByCode[FunctionCodeOf("COMPOSE/S")] = ComposeCommand;
    t.ByCode[FunctionCodeOf("UNICODE/S")] = UnicodeCommand;
    t.ByCode[FunctionCodeOf("_UTFDEC")] = UtfDecCommand;
}

}  // namespace commands
