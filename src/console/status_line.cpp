#include "console/status_line.h"

#include <algorithm>
#include <vector>

#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/globals.h"
#include "console/messages.h"
#include "console/terminal_window.h"

namespace console {

StatusLineHooks NullStatusLineHooks() {
    StatusLineHooks h{};
    h.LockKeyToggles = []() -> uint8_t { return 0; };
    h.OutputHold = [] { return false; };
    h.AuxOpen = [] { return false; };
    h.KeyboardLocked = [] { return false; };
    h.LearnModeOn = [] { return false; };
    return h;
}

StatusLineHooks StatusLinePort = NullStatusLineHooks();
StatusLineState StatusLine;

namespace {

constexpr int32_t kStatusSelection = 4;
constexpr MessageId kMessagePage = 961;
constexpr MessageId kMessageCaps = 911;
constexpr MessageId kMessageNum = 910;
constexpr MessageId kMessageAux = 956;
constexpr MessageId kMessageLock = 912;
constexpr MessageId kMessageHold = 913;
constexpr MessageId kMessageRecording = 26203;
constexpr int32_t kLearnColumn = 40;
constexpr size_t kMaxHostText = 255;
constexpr size_t kMaxIndicatorText = 10;

bool GaugeOn() {
    return commands::Settings.Gauge != 0;
}
bool StatusLineOn() {
    return commands::Settings.StatusLine != 0;
}

std::u16string Widen(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (const char c : text) out.push_back(static_cast<char16_t>(static_cast<uint8_t>(c)));
    return out;
}

std::u16string Message(MessageId id) {
    std::u16string text = GetMessageW(id, true);
    if (text.size() > kMaxIndicatorText) text.resize(kMaxIndicatorText);
    return text;
}

// Writes text at a status column, cut to the row's width.
void PutAt(int32_t column, std::u16string_view text, uint8_t attr) {
    const int32_t room = ConsoleLayer.ScreenWidth - column + 1;
    if (room < 1 || text.empty()) return;
    if (static_cast<int32_t>(text.size()) > room) text = text.substr(0, static_cast<size_t>(room));
    GotoRowCol(ConsoleLayer.StatusRow, column);
    WriteWideAttr(text, attr);
}

// The ruler as the window shows it from a status column on.
std::u16string RulerPiece(int32_t column, int32_t width) {
    std::u16string text;
    const int32_t left = TermScreenRing.ViewLeftColumn;
    for (int32_t i = 0; i < width; ++i) text.push_back(RulerChar(left + column + i));
    return text;
}

// One indicator: its text in the normal attribute when on, followed (or
// replaced when off) by the ruler or blanks of its width in the status attribute.
void DrawIndicator(int32_t column, int32_t width, bool on, std::u16string text) {
    const auto& s = StatusLine;
    const auto& l = ConsoleLayer;
    if (!on) text.clear();
    if (static_cast<int32_t>(text.size()) > width) text.resize(static_cast<size_t>(width));
    const auto shown = static_cast<int32_t>(text.size());
    PutAt(column, text, s.StatusBlankAttr);
    const int32_t rest = width - shown;
    if (rest < 1) return;
    const std::u16string filler = GaugeOn() ? RulerPiece(column + shown, rest)
                                            : std::u16string(static_cast<size_t>(rest), u' ');
    PutAt(column + shown, filler, l.StatusAttr);
}

// The title is short enough that an indicator at this column is drawn.
bool IndicatorFits(int32_t column) {
    if (GaugeOn()) return true;
    const auto title = std::min(StatusLine.TitleText.size(),
                                static_cast<size_t>(std::max(ConsoleLayer.ScreenWidth, 0)));
    return static_cast<int32_t>(title) < column;
}

uint8_t LockFlags() {
    return static_cast<uint8_t>(CapsLockFlag() | NumLockFlag());
}

bool SeparateStatusRow() {
    return ConsoleLayer.StatusRow > ConsoleLayer.ScreenRows;
}

// Saves what drawing on the status row changes; the destructor puts it back.
class StatusRowFrame {
  public:
    StatusRowFrame()
        : row_(ConsoleLayer.CursorRow),
          col_(ConsoleLayer.CursorCol),
          selection_(ConsoleLayer.AttrSelection),
          statusMode_(ConsoleLayer.StatusMode) {
        auto& l = ConsoleLayer;
        ++l.CaretHold;
        l.StatusMode = true;
    }
    ~StatusRowFrame() {
        auto& l = ConsoleLayer;
        l.AttrSelection = selection_;
        l.StatusMode = statusMode_;
        l.CursorRow = row_;
        l.CursorCol = col_;
        --l.CaretHold;
        ClampCursor();
    }
    StatusRowFrame(const StatusRowFrame&) = delete;
    StatusRowFrame& operator=(const StatusRowFrame&) = delete;

  private:
    int32_t row_;
    int32_t col_;
    int32_t selection_;
    bool statusMode_;
};

std::u16string RightAligned(int32_t value) {
    std::u16string digits = Widen(std::to_string(value));
    if (digits.size() > 4) digits = digits.substr(digits.size() - 4);
    return std::u16string(4 - digits.size(), u' ') + digits;
}

}  // namespace

void ResetStatusLine() {
    StatusLine = StatusLineState{};
    ConsoleLayer.HostStatusActive = false;
    RefreshStatusAttrs();
}

void RefreshStatusAttrs() {
    auto& l = ConsoleLayer;
    l.StatusAttr = static_cast<uint8_t>(l.AttrColorMap[4] & 0xFF);
    StatusLine.RecordAttr = static_cast<uint8_t>(l.AttrColorMap[5] & 0xFF);
    StatusLine.StatusBlankAttr = static_cast<uint8_t>(l.AttrColorMap[0] & 0xFF);
}

void BuildTitleText() {
    std::string title;
    for (const char16_t ch : TerminalWindowUnit.TitleBanner)
        title.push_back(ch < 0x80 ? static_cast<char>(ch) : '?');
    while (!title.empty() && title.back() == ' ') title.pop_back();
    title += "   ";
    title += globals.VersionText;
    if (title.size() > 132) title.resize(132);
    StatusLine.TitleText = title;
}

void SetHostStatusText(std::u16string_view text) {
    StatusLine.HostTextSet = true;
    StatusLine.HostStatusText.assign(text.substr(0, std::min(text.size(), kMaxHostText)));
}

void ClearHostStatusText() {
    StatusLine.HostTextSet = false;
    StatusLine.HostStatusText.clear();
}

char16_t RulerChar(int32_t column) {
    if (column % 10 == 0) return static_cast<char16_t>(u'0' + (column / 10) % 10);
    if (column % 5 == 0) return u'|';
    return u'.';
}

uint8_t CapsLockFlag() {
    return StatusLinePort.LockKeyToggles() & 64;
}
uint8_t NumLockFlag() {
    return StatusLinePort.LockKeyToggles() & 32;
}
uint8_t ScrollLockFlag() {
    return StatusLinePort.LockKeyToggles() & 16;
}

bool HoldScreenOn() {
    return StatusLinePort.OutputHold() ||
           (ScrollLockFlag() != 0 && commands::Settings.ScrollLockKey != 0);
}

void UpdateStatusLine() {
    auto& l = ConsoleLayer;
    auto& s = StatusLine;
    StatusRowFrame frame;
    if (!SeparateStatusRow()) {
        // The status row is the last text row: the window shows the ring's
        // row there again, as far as the view reaches.
        l.StatusMode = false;
        const int32_t width = std::max(l.ScreenWidth, 1);
        std::vector<uint32_t> cells(static_cast<size_t>(width));
        ReadCells(l.StatusRow, TermScreenRing.ViewLeftColumn + 1, width, cells.data());
        l.StatusMode = true;
        WriteCells(l.StatusRow, 1, width, cells.data());
        return;
    }
    GotoRowCol(l.StatusRow, 1);
    if (l.HostStatusActive) {
        l.AttrSelection = kStatusSelection;
        if (!s.HostTextSet) {
            ClrEol();
        } else {
            std::u16string_view text = s.HostStatusText;
            const auto cols = static_cast<size_t>(std::max(Columns(), 1));
            if (text.size() > cols) text = text.substr(0, cols);
            WriteWideAttr(text, l.StatusAttr);
            if (l.CursorCol != 1) ClrEol();
        }
    } else if (GaugeOn()) {
        l.AttrSelection = kStatusSelection;
        WriteWideAttr(RulerPiece(1, l.ScreenWidth), l.StatusAttr);
        if (StatusLineOn()) DrawStatusLine();
        s.LastRulerRow = -1;
        s.LastRulerCol = -1;
    } else if (StatusLineOn()) {
        l.AttrSelection = kStatusSelection;
        if (s.TitleText.empty()) BuildTitleText();
        std::u16string title = Widen(s.TitleText);
        if (static_cast<int32_t>(title.size()) > l.ScreenWidth)
            title.resize(static_cast<size_t>(std::max(l.ScreenWidth, 0)));
        WriteWideAttr(title, l.StatusAttr);
        if (l.CursorCol != 1 || title.empty()) ClrEol();
        DrawStatusLine();
        if (StatusLinePort.LearnModeOn())
            PutAt(kLearnColumn, GetMessageW(kMessageRecording, true), s.RecordAttr);
    } else {
        FillCellRect(CellRect{1, l.ScreenWidth, l.StatusRow, l.StatusRow},
                     MakeCell(u' ', s.StatusBlankAttr));
    }
}

void DrawStatusLine() {
    auto& s = StatusLine;
    StatusRowFrame frame;
    s.ShownLockFlags = LockFlags();
    s.ShownHold = HoldScreenOn();
    s.ShownAux = StatusLinePort.AuxOpen();
    s.ShownKeyboardLock = StatusLinePort.KeyboardLocked();
    if (IndicatorFits(41)) {
        std::u16string page = Message(kMessagePage) + u' ' + Widen(std::to_string(s.CurrentPage));
        DrawIndicator(41, 10, s.PageIndicatorOn, page);
    }
    if (IndicatorFits(61)) DrawIndicator(61, 5, NumLockFlag() != 0, Message(kMessageNum));
    if (IndicatorFits(51)) DrawIndicator(51, 10, CapsLockFlag() != 0, Message(kMessageCaps));
    if (IndicatorFits(71)) DrawIndicator(71, 5, s.ShownKeyboardLock, Message(kMessageLock));
    if (IndicatorFits(76)) DrawIndicator(76, 5, s.ShownHold, Message(kMessageHold));
    if (IndicatorFits(66)) DrawIndicator(66, 5, s.ShownAux, Message(kMessageAux));
}

void StatusLineIdle() {
    auto& l = ConsoleLayer;
    auto& s = StatusLine;
    if (!StatusLineOn() || l.HostStatusActive || !SeparateStatusRow()) return;
    if (s.ShownLockFlags != LockFlags() || s.ShownHold != HoldScreenOn() ||
        s.ShownAux != StatusLinePort.AuxOpen() ||
        s.ShownKeyboardLock != StatusLinePort.KeyboardLocked())
        DrawStatusLine();
    if (!GaugeOn() || (s.LastRulerRow == l.CursorRow && s.LastRulerCol == l.CursorCol)) return;
    const int32_t row = l.CursorRow;
    const int32_t col = l.CursorCol;
    {
        StatusRowFrame frame;
        PutAt(1, RightAligned(row), l.StatusAttr);
        PutAt(6, RightAligned(col), l.StatusAttr);
    }
    s.LastRulerRow = row;
    s.LastRulerCol = col;
}

}  // namespace console
