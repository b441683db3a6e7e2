#include "commands/variables.h"

#include <algorithm>

#include "commands/password_scramble.h"
#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "console/program_launch.h"
#include "console/system_services.h"
#include "transfer/transfer_interface.h"

namespace commands {

SetVariableStoreState SetVariableStore;

void ResetSetVariableStore() {
    SetVariableStore = SetVariableStoreState{};
}

namespace {

std::string Cut(std::string text, std::size_t n = MaxVariableText) {
    if (text.size() > n) text.resize(n);
    return text;
}

std::string NoText() {
    return {};
}
bool NoName(std::string&) {
    return false;
}
bool NoFolder(int, std::string&) {
    return false;
}

std::string CommHostIpText() {
    return connections::CommLocalIpAddress();
}
std::string CommLocalHostName() {
    return connections::GetLocalHostName();
}
std::string TransferLastReceivedFile() {
    return transfer::Transfer.LastReceivedFile;
}
std::string LaunchStatus() {
    return console::ProcessStatusText();
}

void NoBox(std::string_view, std::string_view) {}

constexpr VariableSources DefaultVariableSources{
    CommHostIpText, TransferLastReceivedFile, NoText,       NoText,   NoText, NoName,
    NoName,         CommLocalHostName,        LaunchStatus, NoFolder, NoBox,
};

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

// Blanks and control characters (everything up to the space) at both ends.
std::string_view Trim(std::string_view text) {
    while (!text.empty() && static_cast<uint8_t>(text.front()) <= ' ') text.remove_prefix(1);
    while (!text.empty() && static_cast<uint8_t>(text.back()) <= ' ') text.remove_suffix(1);
    return text;
}

struct SpecialFolderName {
    std::string_view Name;
    int Folder;
};
constexpr SpecialFolderName SpecialFolderNames[] = {
    {"OZM_MY_DOCS", 5},
    {"OZM_COMMON_DOCS", 46},
    {"OZM_DESKTOP", 16},
    {"OZM_PROGRAM_FILES", 38},
};

// The value of a built-in name (upper-cased); false when the name is not
// built in or its query failed in a way that lets the lookup go on.
bool BuiltinVariable(const std::string& name, std::string& value) {
    const VariableSources& src = VariableSource;
    if (name == "OZM_IP") {
        value = Cut(src.HostIpText(), 20);
    } else if (name == "OZM_USERNAME") {
        value = Settings.UserName.Str();
    } else if (name == "OZM_PASSWORD") {
        std::string clear = UnscramblePassword(Settings.Password.View());
        // A lone "|" is the stored convention for "no password".
        value = clear == "|" ? std::string() : clear;
        WipeSecret(clear);
    } else if (name == "OZM_HOSTNAME") {
        const std::string_view host = Settings.HostName.View();
        value = std::string(host.substr(0, host.find(':')));
    } else if (name == "OZM_LAST_RECD") {
        value = src.LastReceivedFile();
    } else if (name == "OZM_TITLE") {
        value = Cut(src.CurrentWindowTitle(), 80);
    } else if (name == "OZM_PROGRAM") {
        value = "VOVUZIVA";
    } else if (name == "OZM_WINDIR") {
        value = src.WindowsDirectory();
    } else if (name == "OZM_SYSDIR") {
        value = src.SystemDirectory();
    } else if (name == "OZM_CURDIR") {
        value = console::GetDirPChar(0);
    } else if (name == "OZM_DOWNDIR") {
        std::string_view dir = Settings.DownloadDir.View();
        if (!dir.empty() && dir.back() == '\\') dir.remove_suffix(1);
        value = std::string(dir);
    } else if (name == "OZM_COMPUTERNAME") {
        if (!src.ComputerName(value)) value = name;
    } else if (name == "OZM_WINNAME") {
        if (!src.WinUserName(value)) value = name;
    } else if (name == "OZM_TCPNAME") {
        value = src.LocalHostName();
    } else if (name == "OZM_LAST_LAUNCH") {
        value = src.LastLaunchStatus();
    } else {
        const auto* special =
            std::find_if(std::begin(SpecialFolderNames), std::end(SpecialFolderNames),
                         [&](const auto& s) { return s.Name == name; });
        if (special == std::end(SpecialFolderNames)) return false;
        // A failed folder query falls through to the environment.
        if (!src.SpecialFolder(special->Folder, value)) return false;
    }
    value = Cut(std::move(value));
    return true;
}

std::string LookupNarrow(const std::string& name, bool withSetVariables) {
    std::string value;
    if (BuiltinVariable(name, value)) return value;
    if (withSetVariables) {
        const auto& names = SetVariableStore.Names;
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (!names[i].empty() && names[i] == name) return Cut(SetVariableStore.Values[i]);
        }
    }
    return Cut(console::GetEnv(name));
}

// One pass over a private copy: each ${NAME} is replaced by its value and
// scanning goes on after the value, so values are never expanded again.
template <typename Char, typename Lookup>
std::basic_string<Char> Expand(std::basic_string_view<Char> text, Lookup lookup) {
    std::basic_string<Char> out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '$' && i + 1 < text.size() && text[i + 1] == '{') {
            const std::size_t close = text.find(Char('}'), i + 2);
            if (close != std::basic_string_view<Char>::npos) {
                auto name = UpperAscii(text.substr(i + 2, close - i - 2));
                if (name.size() > MaxVariableText) name.resize(MaxVariableText);
                out += lookup(name);
                i = close + 1;
                continue;
            }
        }
        out.push_back(text[i]);
        ++i;
    }
    return out;
}

void ShowVariables() {
    std::string list;
    for (std::size_t i = 0; i < SetVariableStore.Names.size(); ++i) {
        list += "   " + SetVariableStore.Names[i] + "=" + SetVariableStore.Values[i] + "\r";
        if (list.size() >= MaxVariableText) break;
    }
    list = Cut(std::move(list));
    VariableSource.ShowVariablesBox(Cut("Current variables are: \r" + list), "Show Variables");
}

}  // namespace

VariableSources VariableSource = DefaultVariableSources;

void ResetVariableSources() {
    VariableSource = DefaultVariableSources;
}

std::string ExpandVariables(std::string_view text) {
    return Expand<char>(text, [](const std::string& name) { return LookupNarrow(name, false); });
}

std::u16string ExpandVariablesWide(std::u16string_view text) {
    return Expand<char16_t>(text, [](const std::u16string& name) {
        const std::string narrow = Cut(console::AnsiFromWide(name));
        return console::WideFromAnsi(LookupNarrow(narrow, true));
    });
}

void SetCommand(std::string_view line) {
    line = line.substr(0, std::min<std::size_t>(line.size(), MaxVariableText));
    const std::string upper = UpperAscii(line);
    if (upper.size() >= 8 && upper.compare(4, 4, "SHOW") == 0) {
        ShowVariables();
        return;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return;
    const std::size_t nameStart = std::min<std::size_t>(3, equals);
    const std::string name(Trim(std::string_view(upper).substr(nameStart, equals - nameStart)));
    const std::string value(Trim(line.substr(equals + 1)));
    // A nameless variable could never be referenced; it would only take a
    // free slot and show up in the list.
    if (name.empty()) return;

    auto& names = SetVariableStore.Names;
    auto& values = SetVariableStore.Values;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) {
            if (value.empty()) {
                names[i].clear();
                values[i].clear();
            } else {
                values[i] = value;
            }
            return;
        }
        if (names[i].empty()) {
            if (!value.empty()) {
                names[i] = name;
                values[i] = value;
            }
            return;
        }
    }
    if (!value.empty() && names.size() < MaxSetVariables) {
        names.push_back(name);
        values.push_back(value);
    }
}

}  // namespace commands
