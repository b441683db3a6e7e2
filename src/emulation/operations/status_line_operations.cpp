#include "emulation/operations/status_line_operations.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/status_line.h"
#include "emulation/operations/term_executor.h"
#include "emulation/parser/recogniser.h"
#include "emulation/receive_loop.h"

namespace emulation {

namespace {

using console::ConsoleLayer;

constexpr uint8_t kCollectStatusText = 7;
constexpr int32_t kLabelLine = 132;

std::string_view Sequence() {
    const auto& t = TermExecutor.SequenceText;
    return {reinterpret_cast<const char*>(t.data()), t.size()};
}

uint8_t ByteBeforeFinal() {
    const std::string_view s = Sequence();
    return s.size() >= 2 ? static_cast<uint8_t>(s[s.size() - 2]) : 0;
}

// Host bytes as status-line characters; a control byte shows as a blank.
std::u16string StatusChars(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<uint8_t>(c);
        text.push_back(b < 0x20 || b == 0x7F ? u' ' : static_cast<char16_t>(b));
    }
    return text;
}

// The bytes from 1-based position first to the byte before the final one.
std::string_view StringData(int64_t first) {
    const std::string_view s = Sequence();
    const size_t from = first < 1 ? 0 : static_cast<size_t>(first - 1);
    if (s.empty() || from >= s.size() - 1) return {};
    return s.substr(from, s.size() - 1 - from);
}

void StatusLineChanged() {
    ReceiveLoop.StatusLineDirty = true;
}

void HostStatusTextOp(TermOp op, const TermOpParams& p) {
    std::u16string text = StatusChars(StringData(p[0]));
    if (op == OpTvStatusText) text.push_back(u' ');
    console::SetHostStatusText(text);
    ConsoleLayer.HostStatusActive = true;
    StatusLineChanged();
}

// The text between the opening ESC [ 1 $ } and either closing form.
void HostStatusLineEndOp(TermOp, const TermOpParams&) {
    std::string_view s = Sequence();
    const size_t open = s.find('}');
    s = open == std::string_view::npos ? std::string_view{} : s.substr(open + 1);
    for (std::string_view close : {std::string_view("\x1b[0$}"), std::string_view("\x1b[$}")}) {
        if (s.size() >= close.size() && s.substr(s.size() - close.size()) == close) {
            s.remove_suffix(close.size());
            break;
        }
    }
    console::SetHostStatusText(StatusChars(s));
    StatusLineChanged();
}

int32_t CountOf(const TermOpParams& p) {
    return p[0] < 1 ? 1 : static_cast<int32_t>(std::min<int64_t>(p[0], 255));
}

void CsiBraceRightOp(TermOp, const TermOpParams& p) {
    const uint8_t intermediate = ByteBeforeFinal();
    if (intermediate == '\'') {
        console::InsertColumns(CountOf(p));
    } else if (intermediate == '$' && p[0] == 1 && ConsoleLayer.HostStatusActive) {
        SeqBuffer = TermExecutor.SequenceText;
        EmulatorState.TwoStepState = kCollectStatusText;
    }
}

void CsiTildeRightOp(TermOp, const TermOpParams& p) {
    const uint8_t intermediate = ByteBeforeFinal();
    if (intermediate == '\'') {
        console::DeleteColumns(CountOf(p));
        return;
    }
    if (intermediate != '$') return;
    switch (p[0]) {
        case 0:
            commands::Settings.StatusLine = 0;
            console::ClearHostStatusText();
            break;
        case 1:
            commands::Settings.StatusLine = 1;
            ConsoleLayer.HostStatusActive = false;
            console::ClearHostStatusText();
            break;
        case 2:
            commands::Settings.StatusLine = 1;
            ConsoleLayer.HostStatusActive = true;
            break;
        default:
            return;
    }
    StatusLineChanged();
}

// A Wyse function-key label: its slot of a 132-column label line.
void WyseLabelTextOp(TermOp, const TermOpParams&) {
    const std::string_view s = Sequence();
    if (s.size() < 3) return;
    const auto key = static_cast<uint8_t>(s[2]);
    if (key < 0x30 || key > 0x3F) return;
    const int32_t n = key - '0';
    int32_t first = 0;
    int32_t last = 0;
    if (console::Columns() <= 80) {
        first = n * 10 + 1;
        last = first + 9;
    } else {
        first = (n * kLabelLine) / 16 + 2;
        last = ((n + 1) * kLabelLine) / 16 + 1;
    }
    if (last > kLabelLine) return;
    std::string_view label = s.substr(3);
    if (!label.empty() && label.back() == '\r') label.remove_suffix(1);
    std::u16string line =
        console::StatusLine.HostTextSet ? console::StatusLine.HostStatusText : std::u16string();
    line.resize(kLabelLine, u' ');
    const std::u16string text = StatusChars(label);
    for (int32_t c = first; c <= last; ++c) {
        const auto i = static_cast<size_t>(c - first);
        line[static_cast<size_t>(c - 1)] = i < text.size() ? text[i] : u' ';
    }
    console::SetHostStatusText(line);
    ConsoleLayer.HostStatusActive = true;
    StatusLineChanged();
}

constexpr TermOpBinding kBindings[] = {
    {OpHostStatusText, HostStatusTextOp},       {OpTvStatusText, HostStatusTextOp},
    {OpHostStatusLineEnd, HostStatusLineEndOp}, {OpWyseLabelText, WyseLabelTextOp},
    {OpCsiBraceRight, CsiBraceRightOp},         {OpCsiTildeRight, CsiTildeRightOp},
};

}  // namespace

std::span<const TermOpBinding> StatusLineOperationBindings() {
    return kBindings;
}

void RegisterStatusLineOperations() {
    for (const TermOpBinding& b : kBindings) RegisterTermOp(b.Op, b.Handler);
}

}  // namespace emulation
