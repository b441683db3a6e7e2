#include "console/learn_mode.h"

#include <algorithm>

#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "connections/receive_ring.h"

namespace console {

namespace {

constexpr uint16_t kEnter = 13;
constexpr size_t kHostTextLength = 255;

// The bytes before the ring's read index, back to (not over) its write index:
// what the host sent last and the receive loop has shown.
HostTextTail ReadReceiveRingTail() {
    const connections::ReceiveRing& ring = connections::CommReceiveRing();
    constexpr uint32_t mask = connections::ReceiveRing::kMask;
    HostTextTail tail;
    tail.Position = static_cast<uint32_t>(ring.read) & mask;
    uint32_t at = tail.Position;
    while (tail.Text.size() < kHostTextLength) {
        at = (at - 1) & mask;
        if (at == (static_cast<uint32_t>(ring.write) & mask)) break;
        tail.Text.push_back(static_cast<char>(ring.storage[at]));
    }
    std::reverse(tail.Text.begin(), tail.Text.end());
    return tail;
}

constexpr LearnModeHooks kDefaultHooks{ReadReceiveRingTail};

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The last line of the text as the user sees it: escape sequences (CSI and
// OSC forms, or ESC and one byte) and control bytes left out, letters
// upper-cased, trailing blanks removed.
std::string LastShownLine(std::string_view text) {
    const size_t lineEnd = text.find_last_of("\r\n");
    if (lineEnd != std::string_view::npos) text.remove_prefix(lineEnd + 1);
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<uint8_t>(text[i]);
        if (b == 0x1B && i + 1 < text.size()) {
            const char kind = text[++i];
            if (kind == '[') {
                while (i + 1 < text.size() && !(text[i + 1] >= 0x40 && text[i + 1] <= 0x7E)) ++i;
                ++i;
            } else if (kind == ']') {
                while (i + 1 < text.size() && text[i + 1] != '\a' && text[i + 1] != 0x1B) ++i;
                ++i;
                if (i < text.size() && text[i] == 0x1B) ++i;  // ESC \ ends it too
            }
            continue;
        }
        if (b < 0x20 || b == 0x7F) continue;
        line.push_back(Upper(static_cast<char>(b)));
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

}  // namespace

LearnModeHooks LearnHooks = kDefaultHooks;
LearnModeState LearnState;

void ResetLearnModeHooks() {
    LearnHooks = kDefaultHooks;
}

void ResetLearnMode() {
    LearnState = LearnModeState{};
}

std::string LearnedKeyText(uint16_t code) {
    if (code == kEnter) return "|";
    if (code < 256) {
        const char c = static_cast<char>(code);
        if (c == '#' || c == '{' || c == '|' || c == '~') return std::string{'~', c};
        return std::string(1, c);
    }
    if (code == 289) return std::string("\0@", 2);
    return std::string{'\0', static_cast<char>(code & 0xFF)};
}

bool IsPasswordPrompt(std::string_view hostText, std::string_view prompts, uint8_t separator) {
    const std::string line = LastShownLine(hostText);
    if (line.empty()) return false;
    while (!prompts.empty()) {
        const size_t cut = prompts.find(static_cast<char>(separator));
        std::string entry(prompts.substr(0, cut));
        prompts.remove_prefix(cut == std::string_view::npos ? prompts.size() : cut + 1);
        for (char& c : entry) c = Upper(c);
        while (!entry.empty() && entry.back() == ' ') entry.pop_back();
        // An empty entry would take every line for a prompt.
        if (!entry.empty() && EndsWith(line, entry)) return true;
    }
    const bool asksSecret =
        line.find("PASSWORD") != std::string::npos || line.find("PASSPHRASE") != std::string::npos;
    return asksSecret && line.back() == ':';
}

void RecordLearnedKey(uint16_t code) {
    if (!commands::Interpreter.LearnMode) {
        ResetLearnMode();
        return;
    }
    std::string& text = commands::Interpreter.LearnText;
    LearnModeState& st = LearnState;

    auto endEntry = [&](uint32_t position) {
        text += "#|";
        st.PasswordEntry = false;
        st.PromptAnswered = true;
        st.AnsweredAt = position;
    };

    if (st.PasswordEntry) {
        if (code == kEnter) endEntry(LearnHooks.RecentHostText().Position);
        return;
    }
    const HostTextTail tail = LearnHooks.RecentHostText();
    const bool fresh = !st.PromptAnswered || tail.Position != st.AnsweredAt;
    const commands::SettingsRecord& s = commands::Settings;
    if (fresh && IsPasswordPrompt(tail.Text, s.PasswordPrompts.View(), s.PromptSeparator)) {
        if (code == kEnter) {
            endEntry(tail.Position);
        } else {
            st.PasswordEntry = true;
            st.PromptAnswered = false;
        }
        return;
    }
    text += LearnedKeyText(code);
}

}  // namespace console
