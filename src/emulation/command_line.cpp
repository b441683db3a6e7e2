#include "emulation/command_line.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "commands/password_scramble.h"
#include "commands/settings_record.h"
#include "commands/variables.h"
#include "connections/comm_interface.h"
#include "console/command_line_args.h"
#include "console/messages.h"
#include "console/system_services.h"
#include "emulation/session_services.h"
#include "ui/message_box.h"

namespace emulation {
namespace {

constexpr uint16_t MsgIllegalParameter = 902;
constexpr uint16_t MsgNone = 924;
constexpr std::size_t UserArgCapacity = 255;
constexpr std::size_t TermArgCapacity = 255;
constexpr std::size_t HostNameCapacity = 255;
constexpr std::size_t PhoneNumberCapacity = 60;

// The arguments, split once per pass (re-splitting the whole command line
// for every argument would make a long one quadratic).
struct ArgumentList {
    std::vector<std::u16string> Wide;  // [0] is the module file name
    std::vector<std::string> Narrow;

    int Count() const { return static_cast<int>(Wide.size()) - 1; }
    std::string At(int index) const {
        return index >= 0 && index <= Count() ? Narrow[static_cast<std::size_t>(index)]
                                              : std::string();
    }
    std::u16string WideAt(int index) const {
        return index >= 0 && index <= Count() ? Wide[static_cast<std::size_t>(index)]
                                              : std::u16string();
    }
};

// Split as console::ParamStrW does: the program path first, the list ends at
// the first empty token.
ArgumentList ReadArguments() {
    ArgumentList args;
    args.Wide.push_back(platform::CurrentSystem().ModuleFileNameW());
    const std::u16string line = platform::CurrentSystem().CommandLineW();
    std::u16string token;
    std::size_t pos = console::NextCmdLineTokenW(line, 0, token);
    while (true) {
        pos = console::NextCmdLineTokenW(line, pos, token);
        if (token.empty()) break;
        args.Wide.push_back(token);
    }
    for (const auto& wide : args.Wide) args.Narrow.push_back(console::AnsiFromWide(wide));
    return args;
}

void NoMacro(uint8_t, std::string_view, bool, uint8_t) {}
void NoKiosk(int32_t) {}

// The folder of the module file name with its trailing backslash; the
// current folder when the name has none.
std::string ModuleFolder() {
    std::string folder = console::AnsiFromWide(platform::CurrentSystem().ModuleFileNameW());
    const std::size_t slash = folder.find_last_of("\\/");
    if (slash == std::string::npos) {
        folder = console::GetDirPChar(0);
    } else {
        folder.resize(slash);
    }
    if (folder.empty() || folder.back() != '\\') folder.push_back('\\');
    return folder;
}

constexpr CommandLineServices DefaultCommandLineServices{NoMacro, ModuleFolder, NoKiosk};

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

std::string NoneText() {
    return console::AnsiFromWide(console::GetMessageW(MsgNone, false));
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

bool Int32Value(std::string_view text, int32_t& value) {
    int64_t v = 0;
    if (!DecimalValue(text, std::numeric_limits<int32_t>::min(),
                      std::numeric_limits<int32_t>::max(), v)) {
        return false;
    }
    value = static_cast<int32_t>(v);
    return true;
}

bool IsAllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void NameSettingsFile(StartupLocals& locals, CommandLineGlobals& globals, std::string name) {
    globals.SettingsFileName = std::move(name);
    globals.TitleChanged = true;
    globals.SettingsSource = SettingsSourceNamed;
    locals.SettingsNamed = true;
}

void SetKiosk(CommandLineGlobals& globals, int32_t level) {
    globals.WindowMenuName = "SMALLMENU";
    globals.KioskLevel = level;
}

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

void ParseHostIn(const ArgumentList& args, std::string text, int& index, std::string& user,
                 uint8_t& method) {
    if (EqualsNoCase(text, "TELNET:") && index < args.Count()) {
        text = args.At(++index);
        method = connections::CommMethodTelnet;
    }
    RemovePrefixes(text, method);
    SplitUser(text, user);
    if (method == connections::CommMethodModem) {
        commands::AssignZeroFilled(commands::Settings.PhoneNumber, text, PhoneNumberCapacity);
        return;
    }
    if (index < args.Count() && IsAllDigits(args.At(index + 1))) {
        text = CutTo(text, HostNameCapacity) + ":" + args.At(++index);
    }
    commands::AssignZeroFilled(commands::Settings.HostName, text, HostNameCapacity);
}

bool FindSettingsIn(const ArgumentList& args, int index, std::string& fileName, std::string& user) {
    std::string text = args.At(index);
    if (EqualsNoCase(text, "TELNET:") && index < args.Count()) text = args.At(index + 1);
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

void ShowIllegalParameter(const ArgumentList& args, int index) {
    std::u16string text = console::GetMessageW(MsgIllegalParameter, false);
    text += UpperAscii(std::u16string_view(args.WideAt(index)));
    ui::LangMessageBoxShort(Utf8FromWide(text));
}

// Applies one option of the file name; false ends the scan.
bool ApplyKeyword(StartupLocals& locals, CommandLineGlobals& globals, const std::string& name,
                  std::string_view value, std::string& userPart, std::string& passwordPart) {
    if (name == "HOST") {
        commands::AssignZeroFilled(commands::Settings.HostName, value, HostNameCapacity);
        locals.HostGiven = true;
    } else if (name == "USER" || name == "PASSWORD") {
        (name == "USER" ? userPart : passwordPart) = CutTo(value, UserArgCapacity);
        commands::WipeSecret(locals.UserArg);
        locals.UserArg = CutTo(userPart + ":" + passwordPart, UserArgCapacity);
    } else if (name == "TERM") {
        locals.TermArg = CutTo(value, TermArgCapacity);
    } else if (name == "SETTINGS") {
        NameSettingsFile(locals, globals, std::string(value));
    } else if (name == "COMMTYPE") {
        const std::string method = UpCase(value);
        if (method == "SSH") locals.MethodArg = connections::CommMethodSsh;
        if (method == "TELNET") locals.MethodArg = connections::CommMethodTelnet;
        if (method == "RLOGIN") locals.MethodArg = connections::CommMethodRlogin;
        if (method == "MODEM") locals.MethodArg = connections::CommMethodModem;
    } else if (name == "KIOSK") {
        SetKiosk(globals, KioskLevelAll);
        int32_t level = 0;
        if (UpCase(value) != "ON") {
            if (!Int32Value(value, level)) return false;
            globals.KioskLevel = level;
        }
    } else if (name == "CHARSET") {
        locals.CharsetArg = std::string(value);
    }
    return true;
}

// One switch of the first pass; index advances over an argument it consumes.
void ApplySwitch(const ArgumentList& args, StartupLocals& locals, CommandLineGlobals& globals,
                 const std::string& arg, int& index) {
    const std::string upper = UpCase(arg);
    const char letter = upper.size() > 1 ? upper[1] : '\0';
    const char third = upper.size() > 2 ? upper[2] : '\0';
    switch (letter) {
        case 'M':
            if (third == ':') {
                int64_t size = 0;
                // A size that is no 16-bit number leaves the default derivation.
                locals.RingSizeArg = DecimalValue(std::string_view(arg).substr(3), 0, 0xFFFF, size)
                                         ? static_cast<uint16_t>(size)
                                         : 0;
                return;
            }
            break;
        case 'H':
            if (third == ':') {
                locals.HostGiven = true;
                std::string host = arg.substr(3);
                if (host.empty() && index < args.Count()) host = args.At(++index);
                ParseHostIn(args, std::move(host), index, locals.UserArg, locals.MethodArg);
                return;
            }
            break;
        case 'D':
            if (arg.size() == 3) ++index;  // "/Dc text": the text is the next argument
            if (arg.size() >= 3) return;
            break;
        case 'C':
            locals.ChooseSettings = true;
            return;
        case 'T':
            switch (third) {
                case 'H':
                    locals.MethodArg = connections::CommMethodSsh;
                    return;
                case 'M':
                    locals.MethodArg = connections::CommMethodModem;
                    return;
                case 'P':
                    locals.MethodArg = connections::CommMethodPicLan;
                    return;
                case 'R':
                    locals.MethodArg = connections::CommMethodRlogin;
                    return;
                case 'S':
                    locals.MethodArg = connections::CommMethodSerial;
                    return;
                case 'T':
                    locals.MethodArg = connections::CommMethodTelnet;
                    return;
                case 'N':
                    return;
                default:
                    break;
            }
            break;
        case 'K': {
            int32_t level = KioskLevelAll;
            if (arg.size() > 3 && third == ':' &&
                !Int32Value(std::string_view(arg).substr(3), level)) {
                level = KioskLevelAll;
            }
            SetKiosk(globals, level);
            return;
        }
        case 'V':
            connections::SetCommVerbose(true);
            return;
        default:
            break;
    }
    ShowIllegalParameter(args, index);
}

// Runs one step of the command line against the session's globals.
template <typename Step>
void RunForSession(StartupLocals& locals, Step step) {
    SessionGlobals session;
    Services.ReadGlobals(session);
    CommandLineGlobals globals;
    globals.SettingsFileName = session.SettingsFileName;
    globals.SettingsSource = session.SettingsSource;
    globals.WindowMenuName = session.WindowMenuName;
    step(locals, globals);
    // Read again: the step wrote HostName and PhoneNumber into the settings.
    Services.ReadGlobals(session);
    session.SettingsFileName = globals.SettingsFileName;
    session.SettingsSource = globals.SettingsSource;
    session.WindowMenuName = globals.WindowMenuName;
    Services.WriteGlobals(session);
    if (globals.KioskLevel) CommandLineService.SetKioskLevel(*globals.KioskLevel);
    if (globals.TitleChanged) Services.UpdateWindowTitle();
}

}  // namespace

CommandLineServices CommandLineService = DefaultCommandLineServices;

void ResetCommandLineServices() {
    CommandLineService = DefaultCommandLineServices;
}

void ParseCommandKeywords(StartupLocals& locals, CommandLineGlobals& globals) {
    std::string text = console::AnsiFromWide(platform::CurrentSystem().CommandLineW());
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
        if (!ApplyKeyword(locals, globals, name, value, userPart, passwordPart)) break;
    }
    commands::WipeSecret(passwordPart);
}

void ParseArgumentsFirstPass(StartupLocals& locals, CommandLineGlobals& globals) {
    const ArgumentList args = ReadArguments();
    const std::string none = UpCase(NoneText());
    for (int i = 1; i <= args.Count(); ++i) {
        // Quoted parts are already joined by the splitting, so joining
        // quoted arguments again (as narrow arguments once needed) changes
        // nothing and is left out.
        const std::string arg = args.At(i);
        const std::string upper = UpCase(arg);
        if (!arg.empty() && arg.front() == '/') {
            ApplySwitch(args, locals, globals, arg, i);
        } else if (arg.size() == 1) {
            if (locals.StartupKeyArg.empty()) locals.StartupKeyArg = arg;
        } else if (upper == none || upper == "NEW") {
            NameSettingsFile(locals, globals, upper);
        } else {
            std::string fileName;
            std::string user;
            if (FindSettingsIn(args, i, fileName, user)) {
                // Only a user part that is there replaces one given earlier.
                if (!user.empty()) locals.UserArg = user;
                NameSettingsFile(locals, globals, fileName);
            } else {
                locals.HostGiven = true;
                ParseHostIn(args, arg, i, locals.UserArg, locals.MethodArg);
            }
        }
    }
}

void ResolveSettingsChoice(CommandLineGlobals& globals) {
    if (EqualsNoCase(globals.SettingsFileName, NoneText())) {
        globals.SettingsFileName.clear();
        globals.SettingsSource = SettingsSourceNone;
    } else if (globals.SettingsFileName == "NEW") {
        globals.SettingsFileName.clear();
        globals.SettingsSource = SettingsSourceNew;
    }
}

void ReadCommandLine(StartupLocals& locals, CommandLineGlobals& globals) {
    ParseCommandKeywords(locals, globals);
    ParseArgumentsFirstPass(locals, globals);
    ResolveSettingsChoice(globals);
}

void ParseCommandKeywordsForSession(StartupLocals& locals) {
    RunForSession(locals,
                  [](StartupLocals& l, CommandLineGlobals& g) { ParseCommandKeywords(l, g); });
}

void FirstArgumentPassForSession(StartupLocals& locals) {
    RunForSession(locals,
                  [](StartupLocals& l, CommandLineGlobals& g) { ParseArgumentsFirstPass(l, g); });
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
    const ArgumentList args = ReadArguments();
    for (int i = 1; i <= args.Count(); ++i) {
        const std::string arg = Utf8FromWide(args.WideAt(i));
        if (arg.size() < 3 || arg[0] != '/' || AsciiUpper(arg[1]) != 'D') continue;
        const uint8_t key = static_cast<uint8_t>(arg[2]);
        std::string text = arg.size() == 3 ? Utf8FromWide(args.WideAt(++i)) : arg.substr(3);
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

void ParseHostArgument(std::string text, int& index, std::string& user, uint8_t& method) {
    ParseHostIn(ReadArguments(), std::move(text), index, user, method);
}

bool FindSettingsArgument(int index, std::string& fileName, std::string& user) {
    return FindSettingsIn(ReadArguments(), index, fileName, user);
}

void NextWordAt(std::string_view text, std::size_t& pos, std::string& word) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
    const std::size_t start = std::min(pos, text.size());
    while (pos < text.size() && text[pos] != ' ') ++pos;
    word.assign(text.substr(start, pos - start));
}

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads the digits at pos; further digits past the 32-bit range only keep
// the value at its limit.
int64_t ReadDigits(std::string_view text, std::size_t& pos) {
    int64_t value = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        value = std::min<int64_t>(value * 10 + (text[pos] - '0'), int64_t{1} << 32);
        ++pos;
    }
    return value;
}

int32_t Clamp32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace

int32_t ParseIntAt(std::string_view text, std::size_t& pos) {
    if (pos >= text.size()) return 0;
    bool negative = false;
    while (pos < text.size() && !IsDigit(text[pos])) {
        if (text[pos] == '-') negative = true;
        ++pos;
    }
    const int64_t value = ReadDigits(text, pos);
    return Clamp32(negative ? -value : value);
}

bool ParseCoordinates(std::string_view text, std::size_t& pos, int32_t cursorColumn,
                      int32_t cursorRow, std::array<int32_t, 4>& coords) {
    for (std::size_t n = 0; n < 4; ++n) {
        while (pos < text.size() && text[pos] == ' ') ++pos;
        if (pos >= text.size()) return false;
        if (text[pos] == '.') {
            // Relative: a signed number right after the point is the offset.
            ++pos;
            bool negative = false;
            if (pos + 1 < text.size() && (text[pos] == '-' || text[pos] == '+') &&
                IsDigit(text[pos + 1])) {
                negative = text[pos] == '-';
                ++pos;
            }
            const int64_t offset = ReadDigits(text, pos);
            const int64_t base = n < 2 ? cursorColumn : cursorRow;
            coords[n] = Clamp32(base + (negative ? -offset : offset));
        } else {
            const std::size_t start = pos;
            const std::size_t digit =
                std::find_if(text.begin() + static_cast<std::ptrdiff_t>(pos), text.end(), IsDigit) -
                text.begin();
            if (digit >= text.size()) {
                pos = start;
                return false;
            }
            coords[n] = ParseIntAt(text, pos);
        }
    }
    return true;
}

std::string ByteDecimalText(uint8_t value) {
    return std::to_string(value);
}

bool IsUsableFile(std::string_view name) {
    if (name.empty() || name.size() >= 261) return false;
    // Wildcards would let the search find some other file; no file's name
    // holds them.
    if (name.find_first_of("*?") != std::string_view::npos ||
        name.find('\0') != std::string_view::npos) {
        return false;
    }
    platform::SystemServices& system = platform::CurrentSystem();
    platform::DirEntry entry;
    const uint64_t handle = system.FindFirstEntry(name, entry);
    if (handle == 0) return false;
    system.FindClose(handle);
    constexpr uint8_t Directory = 0x10, VolumeLabel = 0x08, System = 0x04;
    return (entry.attributes & (Directory | VolumeLabel | System)) == 0;
}

}  // namespace emulation
