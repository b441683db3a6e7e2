#include "connections/comm_debug_log.h"

#include <algorithm>

#include "commands/settings_record.h"
#include "connections/connection_layer.h"
#include "connections/telnet_protocol.h"
#include "console/console_primitives.h"

namespace connections {

CommDebugLogState CommDebugState;

void ResetCommDebugLog() {
    CommDebugState = CommDebugLogState{};
}

namespace {

constexpr std::string_view kCrLf = "\r\n";

// The window removes this when it closes, but the setting belongs to the
// settings record; the log itself has no switch of its own.
bool DebugSettingOn() {
    return commands::Settings.CommDebug != 0;
}

// Lines go to the screen only with /V.
bool ScreenLogOn() {
    return connectionLayer.CommVerbose;
}

// Nothing is built for a line nobody will see: a busy connection logs a
// line per Telnet command.
bool Logging() {
    return DebugSettingOn() || ScreenLogOn();
}

// Drops the oldest whole lines once the text is over its limit, down to
// three quarters of it, so that trimming is rare.
void TrimDebugText() {
    std::string& all = CommDebugState.CommDebugText;
    if (all.size() <= kDebugTextLimit) return;
    const size_t excess = all.size() - kDebugTextLimit * 3 / 4;
    size_t cut = all.find(kCrLf, excess);
    cut = cut == std::string::npos ? all.size() : cut + kCrLf.size();
    all.erase(0, cut);
    ++CommDebugState.Trims;
}

void Queue(std::string line) {
    auto& q = CommDebugState.ScreenLogQueue;
    if (!ScreenLogOn() || q.size() >= kScreenLogLines) return;
    if (line.size() > kScreenLogWidth) line.resize(kScreenLogWidth);
    q.push_back(std::move(line));
}

}  // namespace

std::string_view CommErrorCaption(uint8_t kind) {
    return kind == 1 ? "Ozmel WINSOCK.DLL error" : "Ozmel error";
}

void CommDebugOpen() {
    auto* w = CommDebugState.Window;
    if (w == nullptr) return;
    if (!w->IsOpen()) w->Open();
    w->Refresh();
}

void CommDebugClose() {
    if (CommDebugState.Window != nullptr) CommDebugState.Window->Close();
}

void CommDebugWindowClosed() {
    commands::Settings.CommDebug = 0;
}

void CommDebugAppend(std::string_view text) {
    if (!DebugSettingOn()) return;
    CommDebugOpen();
    std::string& all = CommDebugState.CommDebugText;
    const size_t before = all.size();
    all += text;
    if (text.size() < 2 || text.substr(text.size() - 2) != kCrLf) all += kCrLf;
    CommDebugState.AppendedTotal += all.size() - before;
    TrimDebugText();
    auto* w = CommDebugState.Window;
    if (w != nullptr && w->IsOpen()) w->Refresh();
}

void CommLogSent(std::string_view text) {
    if (!Logging()) return;
    std::string line = "[S:" + std::string(text) + "]";
    CommDebugAppend(line);
    Queue(std::move(line));
}

void CommLogReceived(std::string_view text) {
    if (!Logging()) return;
    std::string line = "[R:" + std::string(text) + "]";
    CommDebugAppend(line);
    Queue(std::move(line));
}

void CommDebugLog(std::string_view text) {
    if (!Logging()) return;
    CommDebugAppend("[" + std::string(text) + "]");
    // Cut inside the brackets so that both stay on the 80-column line.
    Queue("[" + std::string(text.substr(0, kScreenLogWidth - 2)) + "]");
}

void CommErrorBox(std::string_view text, uint8_t kind) {
    const std::string_view caption = CommErrorCaption(kind);
    if (connectionLayer.CommVerbose && CommDebugState.Window != nullptr) {
        CommDebugState.Window->ErrorBox(text.substr(0, kErrorBoxWidth), caption);
    }
    CommDebugLog(std::string(caption) + " " + std::string(text));
}

void CommLogSubneg(char direction, const uint8_t* buffer, int32_t n) {
    if (buffer == nullptr || n < 1 || !Logging()) return;
    const uint8_t option = buffer[0];
    std::string line = "IAC SB " + TelnetOptionName(option);
    for (int32_t i = 1; i <= n - 3; ++i) {
        line += ' ';
        if (i == 1 && option == telnet::kOptEncrypt && buffer[i] < 9) {
            line += TelnetEncryptCommandName(buffer[i]);
        } else {
            line += std::to_string(buffer[i]);
        }
    }
    line += " IAC SE";
    if (direction == '<') {
        CommLogReceived(line);
    } else {
        CommLogSent(line);
    }
}

void CommDebugFlush() {
    auto& q = CommDebugState.ScreenLogQueue;
    if (q.empty() || !connectionLayer.CommVerbose) return;
    ++console::ConsoleLayer.CaretHold;
    for (const std::string& line : q) {
        console::WriteString(kCrLf);
        console::WriteString(line);
    }
    q.clear();
    --console::ConsoleLayer.CaretHold;
    console::PlaceCaret();
}

}  // namespace connections
