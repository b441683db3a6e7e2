#include "emulation/command_line.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>

#include "commands/password_scramble.h"
#include "commands/settings_record.h"
#include "commands/variables.h"
#include "connections/comm_interface.h"
#include "ui/message_box.h"

namespace platform {
namespace {

std::u16string NoCommandLine() {
    return {};
}

std::string Latin1FromWide(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) out.push_back(c < 0x100 ? static_cast<char>(c) : '?');
    return out;
}

int64_t PortableFileAttributes(std::string_view name) {
    std::error_code error;
    const auto status = std::filesystem::status(std::filesystem::path(std::string(name)), error);
    if (error || !std::filesystem::exists(status)) return -1;
    return std::filesystem::is_directory(status) ? 0x10 : 0x20;
}

constexpr CommandLinePlatform DefaultCommandLineSource{NoCommandLine, NoCommandLine, Latin1FromWide,
                                                       PortableFileAttributes};

}  // namespace

namespace {

struct CommandLineSourceState {
    CommandLinePlatform Source = DefaultCommandLineSource;
    bool Split = false;
    std::vector<std::u16string> Tokens;  // the program path first
};
CommandLineSourceState CommandLineSourceData;

}  // namespace

void InstallCommandLineSource(const CommandLinePlatform& source) {
    CommandLineSourceData = CommandLineSourceState{};
    CommandLineSourceData.Source = source;
}

const CommandLinePlatform& CommandLineSource() {
    return CommandLineSourceData.Source;
}

void ResetCommandLineSource() {
    InstallCommandLineSource(DefaultCommandLineSource);
}

}  // namespace platform

namespace emulation {
namespace {

constexpr uint16_t MsgIllegalParameter = 902;
constexpr uint16_t MsgNone = 924;
constexpr std::size_t UserArgCapacity = 255;
constexpr std::size_t HostNameCapacity = 255;
constexpr std::size_t PhoneNumberCapacity = 60;

// The program's own texts, for use until a message service is installed.
struct OwnMessage {
    uint16_t Id;
    const char16_t* Text;
};
constexpr OwnMessage OwnMessages[] = {
#include "message_table.inc"
};

std::u16string OwnMessageText(uint16_t id) {
    const auto* found = std::lower_bound(std::begin(OwnMessages), std::end(OwnMessages), id,
                                         [](const OwnMessage& m, uint16_t v) { return m.Id < v; });
    if (found == std::end(OwnMessages) || found->Id != id) return {};
    return found->Text;
}

void NoTitle(const StartupArguments&) {}
void NoMacro(uint8_t, std::string_view, bool, uint8_t) {}
void CursorAtHome(int32_t& column, int32_t& row) {
    column = 1;
    row = 1;
}

// The folder of the module file name with its trailing backslash; the
// current directory when the name has no folder.
std::string ModuleFolder() {
    std::string folder = Argument(0);
    const std::size_t slash = folder.find_last_of("\\/");
    if (slash == std::string::npos) {
        std::error_code error;
        folder = std::filesystem::current_path(error).string();
    } else {
        folder.resize(slash);
    }
    if (folder.empty() || folder.back() != '\\') folder.push_back('\\');
    return folder;
}

constexpr CommandLineServices DefaultCommandLineServices{NoTitle, ModuleFolder, OwnMessageText,
                                                         NoMacro, CursorAtHome};

template <typename Char>
Char AsciiUpper(Char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<Char>(c - 'a' + 'A') : c;
}

template <typename Char>
std::basic_string<Char> UpperAscii(std::basic_string_view<Char> text) {
    std::basic_string<Char> out(text);
    for (auto& c : out) c = AsciiUpper(c);
    return out;
}

std::string UpCase(std::string_view text) {
    return UpperAscii(text);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && UpCase(a) == UpCase(b);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::string CutTo(std::string_view text, std::size_t n) {
    return std::string(text.substr(0, std::min(text.size(), n)));
}

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf8FromWide(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

// An optional sign and at least one decimal digit, nothing else, within
// minimum..maximum.
bool DecimalValue(std::string_view text, int64_t minimum, int64_t maximum, int64_t& value) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return false;
    int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
        // Past the 32-bit range every text is out of range alike; stop before
        // the 64-bit arithmetic could overflow.
        if (v > (int64_t{1} << 40)) return false;
    }
    if (negative) v = -v;
    if (v < minimum || v > maximum) return false;
    value = v;
    return true;
}

bool IsAllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void ShowIllegalParameter(int index) {
    std::u16string text = CommandLineService.MessageText(MsgIllegalParameter);
    text += UpperAscii(std::u16string_view(ArgumentWide(index)));
    ui::LangMessageBoxShort(Utf8FromWide(text));
}

void NameSettingsFile(StartupArguments& args, std::string name) {
    args.SettingsFileName = std::move(name);
    CommandLineService.UpdateWindowTitle(args);
    args.SettingsSource = SettingsSourceNamed;
    args.SettingsNamed = true;
}

void SetKiosk(StartupArguments& args) {
    args.WindowMenuName = "SMALLMENU";
    args.KioskLevel = KioskLevelAll;
}

// Applies one option of the file name; false ends the scan.
bool ApplyKeyword(StartupArguments& args, const std::string& name, std::string_view value,
                  std::string& userPart, std::string& passwordPart) {
    if (name == "HOST") {
        commands::AssignZeroFilled(commands::Settings.HostName, value, HostNameCapacity);
        args.HostGiven = true;
    } else if (name == "USER" || name == "PASSWORD") {
        (name == "USER" ? userPart : passwordPart) = CutTo(value, UserArgCapacity);
        commands::WipeSecret(args.UserArg);
        args.UserArg = CutTo(userPart + ":" + passwordPart, UserArgCapacity);
    } else if (name == "TERM") {
        args.TermArg = CutTo(value, 255);
    } else if (name == "SETTINGS") {
        NameSettingsFile(args, std::string(value));
    } else if (name == "COMMTYPE") {
        const std::string method = UpCase(value);
        if (method == "SSH") args.MethodArg = connections::CommMethodSsh;
        if (method == "TELNET") args.MethodArg = connections::CommMethodTelnet;
        if (method == "RLOGIN") args.MethodArg = connections::CommMethodRlogin;
        if (method == "MODEM") args.MethodArg = connections::CommMethodModem;
    } else if (name == "KIOSK") {
        SetKiosk(args);
        if (UpCase(value) != "ON") {
            int64_t level = 0;
            if (!DecimalValue(value, std::numeric_limits<int32_t>::min(),
                              std::numeric_limits<int32_t>::max(), level)) {
                return false;
            }
            args.KioskLevel = static_cast<int32_t>(level);
        }
    } else if (name == "CHARSET") {
        args.CharsetArg = std::string(value);
    }
    return true;
}

// One switch of the first pass; index advances over an argument it consumes.
void ApplySwitch(StartupArguments& args, const std::string& arg, int& index) {
    const std::string upper = UpCase(arg);
    const char letter = upper.size() > 1 ? upper[1] : '\0';
    const char third = upper.size() > 2 ? upper[2] : '\0';
    switch (letter) {
        case 'M':
            if (third == ':') {
                int64_t size = 0;
                // A size that is no 16-bit number leaves the default derivation.
                args.RingSizeArg = DecimalValue(std::string_view(arg).substr(3), 0, 0xFFFF, size)
                                       ? static_cast<uint16_t>(size)
                                       : 0;
                return;
            }
            break;
        case 'H':
            if (third == ':') {
                args.HostGiven = true;
                std::string host = arg.substr(3);
                if (host.empty() && index < ArgumentCount()) host = Argument(++index);
                ParseHostArgument(std::move(host), index, args.UserArg, args.MethodArg);
                return;
            }
            break;
        case 'D':
            if (arg.size() == 3) ++index;  // "/Dc text": the text is the next argument
            if (arg.size() >= 3) return;
            break;
        case 'C':
            args.ChooseSettings = true;
            return;
        case 'T':
            switch (third) {
                case 'H':
                    args.MethodArg = connections::CommMethodSsh;
                    return;
                case 'M':
                    args.MethodArg = connections::CommMethodModem;
                    return;
                case 'P':
                    args.MethodArg = connections::CommMethodPicLan;
                    return;
                case 'R':
                    args.MethodArg = connections::CommMethodRlogin;
                    return;
                case 'S':
                    args.MethodArg = connections::CommMethodSerial;
                    return;
                case 'T':
                    args.MethodArg = connections::CommMethodTelnet;
                    return;
                case 'N':
                    return;
                default:
                    break;
            }
            break;
        case 'K':
            SetKiosk(args);
            if (arg.size() > 3 && third == ':') {
                int64_t level = 0;
                if (DecimalValue(std::string_view(arg).substr(3),
                                 std::numeric_limits<int32_t>::min(),
                                 std::numeric_limits<int32_t>::max(), level)) {
                    args.KioskLevel = static_cast<int32_t>(level);
                }
            }
            return;
        case 'V':
            connections::CommLayer.CommVerbose = true;
            return;
        default:
            break;
    }
    ShowIllegalParameter(index);
}

}  // namespace

CommandLineServices CommandLineService = DefaultCommandLineServices;

void ResetCommandLineServices() {
    CommandLineService = DefaultCommandLineServices;
}

std::vector<std::u16string> SplitCommandLine(std::u16string_view line) {
    auto isBlank = [](char16_t c) { return c <= u' '; };
    std::vector<std::u16string> tokens;
    std::size_t pos = 0;
    while (true) {
        while (true) {
            while (pos < line.size() && isBlank(line[pos])) ++pos;
            // A lone pair of quotes is no argument.
            if (pos + 1 < line.size() && line[pos] == u'"' && line[pos + 1] == u'"' &&
                (pos + 2 == line.size() || isBlank(line[pos + 2]))) {
                pos += 2;
                continue;
            }
            break;
        }
        if (pos >= line.size()) break;
        std::u16string token;
        while (pos < line.size() && !isBlank(line[pos])) {
            if (line[pos] == u'"') {
                const std::size_t close = line.find(u'"', pos + 1);
                const std::size_t end = close == std::u16string_view::npos ? line.size() : close;
                token.append(line.substr(pos + 1, end - pos - 1));
                pos = close == std::u16string_view::npos ? line.size() : close + 1;
            } else {
                token.push_back(line[pos++]);
            }
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

namespace {

const std::vector<std::u16string>& CommandLineTokens() {
    auto& data = platform::CommandLineSourceData;
    if (!data.Split) {
        data.Tokens = SplitCommandLine(data.Source.CommandLine());
        data.Split = true;
    }
    return data.Tokens;
}

}  // namespace

int ArgumentCount() {
    const auto& tokens = CommandLineTokens();
    return tokens.empty() ? 0 : static_cast<int>(tokens.size()) - 1;
}

std::u16string ArgumentWide(int index) {
    if (index < 0) return {};
    if (index == 0) return platform::CommandLineSource().ModuleFileName();
    const auto& tokens = CommandLineTokens();
    if (static_cast<std::size_t>(index) >= tokens.size()) return {};
    return tokens[static_cast<std::size_t>(index)];
}

std::string Argument(int index) {
    return platform::CommandLineSource().WideToAnsi(ArgumentWide(index));
}

void ParseCommandKeywords(StartupArguments& args) {
    std::string text =
        platform::CommandLineSource().WideToAnsi(platform::CommandLineSource().CommandLine());
    // Only the program's file name as typed.
    if (!text.empty() && text.front() == '"') {
        text.erase(0, 1);
        const std::size_t quote = text.find('"');
        if (quote != std::string::npos) text.resize(quote);
    } else {
        const std::size_t blank = text.find(' ');
        if (blank != std::string::npos) text.resize(blank);
    }
    std::string userPart;
    std::string passwordPart;
    std::string_view rest = text;
    while (true) {
        const std::size_t open = rest.find('(');
        if (open == std::string_view::npos) break;
        rest.remove_prefix(open + 1);
        const std::size_t equals = rest.find('=');
        if (equals == std::string_view::npos) break;
        const std::string name = UpCase(rest.substr(0, equals));
        rest.remove_prefix(equals + 1);
        const std::size_t close = rest.find(')');
        const std::string_view value =
            close == std::string_view::npos ? std::string_view() : rest.substr(0, close);
        if (close != std::string_view::npos) rest.remove_prefix(close + 1);
        if (!ApplyKeyword(args, name, value, userPart, passwordPart)) break;
    }
    commands::WipeSecret(passwordPart);
}

void ParseArgumentsFirstPass(StartupArguments& args) {
    const std::string none =
        UpCase(platform::CommandLineSource().WideToAnsi(CommandLineService.MessageText(MsgNone)));
    for (int i = 1; i <= ArgumentCount(); ++i) {
        const std::string arg = Argument(i);
        const std::string upper = UpCase(arg);
        if (!arg.empty() && arg.front() == '/') {
            ApplySwitch(args, arg, i);
        } else if (arg.size() == 1) {
            if (args.StartupKeyArg.empty()) args.StartupKeyArg = arg;
        } else if (upper == none || upper == "NEW") {
            NameSettingsFile(args, upper);
        } else {
            std::string fileName;
            std::string user;
            if (FindSettingsArgument(i, fileName, user)) {
                // Only a user part that is there replaces one given earlier.
                if (!user.empty()) args.UserArg = user;
                NameSettingsFile(args, fileName);
            } else {
                args.HostGiven = true;
                ParseHostArgument(arg, i, args.UserArg, args.MethodArg);
            }
        }
    }
}

void ResolveSettingsChoice(StartupArguments& args) {
    const std::string none =
        platform::CommandLineSource().WideToAnsi(CommandLineService.MessageText(MsgNone));
    if (EqualsNoCase(args.SettingsFileName, none)) {
        args.SettingsFileName.clear();
        args.SettingsSource = SettingsSourceNone;
    } else if (args.SettingsFileName == "NEW") {
        args.SettingsFileName.clear();
        args.SettingsSource = SettingsSourceNew;
    }
}

void ReadCommandLine(StartupArguments& args) {
    ParseCommandKeywords(args);
    ParseArgumentsFirstPass(args);
    ResolveSettingsChoice(args);
}

std::string ReplaceKeyNames(std::string text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t open = text.find('<', pos);
        if (open == std::string::npos) break;
        const std::size_t close = text.find('>', open + 1);
        const std::size_t end = close == std::string::npos ? text.size() : close + 1;
        const std::size_t nameEnd = close == std::string::npos ? text.size() : close;
        std::string name = text.substr(open + 1, nameEnd - open - 1);
        const std::string upper = UpCase(name);
        if (upper == "F6") {
            name = std::string("\0@", 2);  // F6 in the extended-key form of macro texts
        } else if (upper == "ESC") {
            name = "\x1B";
        }
        text.replace(open, end - open, name);
        // Scanning goes on one byte after the replacement's start, or at it
        // when the pair vanished (else a "<" right after "<>" would be
        // skipped); every round removes a "<", so it ends.
        pos = name.empty() ? open : open + 1;
    }
    return text;
}

void DefineKeysFromArguments() {
    for (int i = 1; i <= ArgumentCount(); ++i) {
        const std::string arg = Utf8FromWide(ArgumentWide(i));
        if (arg.size() < 3 || arg[0] != '/' || AsciiUpper(arg[1]) != 'D') continue;
        const uint8_t key = static_cast<uint8_t>(arg[2]);
        std::string text = arg.size() == 3 ? Utf8FromWide(ArgumentWide(++i)) : arg.substr(3);
        text = ReplaceKeyNames(std::move(text));
        CommandLineService.DefineMacro(key, text, true, 1);
    }
}

void ApplyUserArgument(std::string_view userArg) {
    if (userArg.empty()) return;
    const std::size_t colon = userArg.find(':');
    if (colon == std::string_view::npos) {
        commands::AssignZeroFilled(commands::Settings.UserName, userArg);
        return;
    }
    commands::AssignZeroFilled(commands::Settings.UserName, userArg.substr(0, colon));
    std::string stored = commands::ScramblePassword(userArg.substr(colon + 1));
    commands::AssignZeroFilled(commands::Settings.Password, stored);
    commands::WipeSecret(stored);
}

namespace {

// Removes the URL prefixes in their fixed order; each one found sets the
// method it names.
void RemovePrefixes(std::string& text, uint8_t& method) {
    struct Prefix {
        std::string_view Text;
        uint8_t Method;
    };
    static constexpr Prefix Prefixes[] = {
        {"TELNET://", connections::CommMethodTelnet},
        {"RLOGIN://", connections::CommMethodRlogin},
        {"MODEM://", connections::CommMethodModem},
        {"SSH://", connections::CommMethodSsh},
    };
    for (const Prefix& p : Prefixes) {
        if (StartsWithNoCase(text, p.Text)) {
            text.erase(0, p.Text.size());
            method = p.Method;
        }
    }
}

// Removes one trailing "/" and a user part before the first "@".
void SplitUser(std::string& text, std::string& user) {
    if (!text.empty() && text.back() == '/') text.pop_back();
    const std::size_t at = text.find('@');
    if (at != std::string::npos) {
        user = CutTo(text, std::min(at, UserArgCapacity));
        text.erase(0, at + 1);
    }
}

}  // namespace

void ParseHostArgument(std::string text, int& index, std::string& user, uint8_t& method) {
    if (EqualsNoCase(text, "TELNET:") && index < ArgumentCount()) {
        text = Argument(++index);
        method = connections::CommMethodTelnet;
    }
    RemovePrefixes(text, method);
    SplitUser(text, user);
    if (method == connections::CommMethodModem) {
        commands::AssignZeroFilled(commands::Settings.PhoneNumber, text, PhoneNumberCapacity);
        return;
    }
    if (index < ArgumentCount()) {
        const std::string next = Argument(index + 1);
        if (IsAllDigits(next)) {
            ++index;
            text = CutTo(text, HostNameCapacity) + ":" + next;
        }
    }
    commands::AssignZeroFilled(commands::Settings.HostName, text, HostNameCapacity);
}

bool FindSettingsArgument(int index, std::string& fileName, std::string& user) {
    std::string text = Argument(index);
    if (EqualsNoCase(text, "TELNET:") && index < ArgumentCount()) text = Argument(index + 1);
    uint8_t ignoredMethod = 0;
    RemovePrefixes(text, ignoredMethod);
    text = commands::ExpandVariables(text);
    std::string userPart;
    SplitUser(text, userPart);
    if (!IsUsableFile(text) && !IsUsableFile("..\\" + text) &&
        !IsUsableFile(CommandLineService.ProgramFolder() + text)) {
        return false;
    }
    fileName = text;
    user = userPart;
    return true;
}

void NextWordAt(std::string_view text, std::size_t& pos, std::string& word) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
    const std::size_t start = std::min(pos, text.size());
    while (pos < text.size() && text[pos] != ' ') ++pos;
    word.assign(text.substr(start, pos - start));
}

int32_t ParseIntAt(std::string_view text, std::size_t& pos) {
    if (pos >= text.size()) return 0;
    bool negative = false;
    while (pos < text.size() && (text[pos] < '0' || text[pos] > '9')) {
        if (text[pos] == '-') negative = true;
        ++pos;
    }
    int64_t value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        // Saturates: further digits only keep the value at the limit.
        value = std::min<int64_t>(value * 10 + (text[pos] - '0'), int64_t{1} << 32);
        ++pos;
    }
    if (negative) value = -value;
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

bool ParseCoordinates(std::string_view text, std::size_t& pos, std::array<int32_t, 4>& coords) {
    int32_t column = 1;
    int32_t row = 1;
    CommandLineService.CursorPosition(column, row);
    for (std::size_t n = 0; n < 4; ++n) {
        std::string word;
        NextWordAt(text, pos, word);
        if (word.empty()) return false;
        std::size_t at = 0;
        if (word.front() == '.') {
            const int64_t base = n < 2 ? column : row;
            at = 1;
            const int64_t offset = word.size() > 1 ? ParseIntAt(word, at) : 0;
            coords[n] = static_cast<int32_t>(
                std::clamp<int64_t>(base + offset, std::numeric_limits<int32_t>::min(),
                                    std::numeric_limits<int32_t>::max()));
        } else {
            coords[n] = ParseIntAt(word, at);
        }
    }
    return true;
}

std::string ByteDecimalText(uint8_t value) {
    return std::to_string(value);
}

bool IsUsableFile(std::string_view name) {
    if (name.empty() || name.size() >= 261) return false;
    const int64_t attributes = platform::CommandLineSource().FileAttributes(name);
    constexpr int64_t Directory = 0x10, VolumeLabel = 0x08, System = 0x04;
    return attributes >= 0 && (attributes & (Directory | VolumeLabel | System)) == 0;
}

}  // namespace emulation
