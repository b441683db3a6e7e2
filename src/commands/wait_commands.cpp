#include "commands/wait_commands.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "commands/command_services.h"
#include "commands/command_support.h"
#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "commands/variables.h"
#include "console/console_primitives.h"
#include "console/globals.h"
#include "console/messages.h"
#include "console/system_services.h"
#include "console/tick_clock.h"
#include "ui/message_box.h"
#include "ui/text_prompts.h"

namespace commands {

namespace {

constexpr char kDle = 0x10;
constexpr uint16_t kEsc = 27;
constexpr uint16_t kCr = 13;
constexpr uint16_t kKeyF1 = 315;
constexpr int32_t kNormalSelection = 4;
constexpr int32_t kPromptSelection = 5;

// A whole decimal word (blanks around it allowed); false when malformed.
bool DecimalWord(std::string_view text, int64_t& value) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    std::size_t end = text.size();
    while (end > i && text[end - 1] == ' ') --end;
    bool negative = false;
    if (i < end && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i == end) return false;
    int64_t v = 0;
    for (; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
        if (v > 0x7FFFFFFF) return false;
    }
    value = negative ? -v : v;
    return true;
}

// The characters of a screen rectangle, rows separated by a carriage return;
// the rectangle is clamped to the screen.
std::u16string ScreenText(CellRectangle r) {
    const auto& l = console::ConsoleLayer;
    r.FirstColumn = std::max<int32_t>(r.FirstColumn, 1);
    r.LastColumn = std::min<int32_t>(r.LastColumn, console::Columns());
    r.FirstRow = std::max<int32_t>(r.FirstRow, 1);
    r.LastRow = std::min<int32_t>(r.LastRow, l.ScreenRows);
    std::u16string text;
    if (r.FirstColumn > r.LastColumn || r.FirstRow > r.LastRow) return text;
    std::vector<uint32_t> cells(static_cast<std::size_t>(r.LastColumn - r.FirstColumn + 1));
    for (int32_t row = r.FirstRow; row <= r.LastRow; ++row) {
        if (row != r.FirstRow) text.push_back(u'\r');
        const int32_t n = console::ReadCells(row, r.FirstColumn, static_cast<int32_t>(cells.size()),
                                             cells.data());
        for (int32_t k = 0; k < static_cast<int32_t>(cells.size()); ++k) {
            char16_t ch = k < n ? static_cast<char16_t>(cells[k] & 0xFFFF) : u' ';
            if (ch == 0) ch = u' ';
            text.push_back(ch);
        }
    }
    return text;
}

void SendCommand(FunctionCall& call, bool carriageReturn) {
    // The expanded line is scanned on from where the command word ended.
    call.Line = call.Line.substr(0, call.Position) +
                WideToUtf8(ExpandVariablesWide(Utf8ToWide(call.RestOfLine(call.Line.size()))));
    call.SkipBlanks();
    if (!call.AtEnd() && call.Line[call.Position] == '"') {
        Interpreter.PendingSendText = Utf8ToWide(call.NextToken());
    } else {
        CellRectangle r;
        const auto& l = console::ConsoleLayer;
        if (call.AtEnd()) {
            r = {1, console::Columns(), 1, l.ScreenRows};
        } else {
            FunctionCall rest(call.RestOfLine());
            rest.Position = 0;
            if (!rest.ParseCoordinates(r)) {
                ShowMessage(MessageInvalidFunction);
                call.Succeeded = false;
                return;
            }
        }
        Interpreter.PendingSendText = ScreenText(r);
    }
    if (carriageReturn && call.Succeeded) Interpreter.PendingSendText.push_back(u'\r');
}

void SendLineCommand(FunctionCall& call) {
    SendCommand(call, true);
}
void SendNoReturnCommand(FunctionCall& call) {
    SendCommand(call, false);
}

void WaitForCommand(FunctionCall& call) {
    std::string text = call.NextToken();
    UpperCaseAscii(text);
    CommandServices.SetWaitForText(text.substr(0, 255));
    const std::string seconds = call.NextToken();
    if (seconds.empty()) {
        // A full day ahead: no time-out.
        CommandServices.SetWaitForDeadline(console::BiosTicks() + console::TicksPerDay);
        return;
    }
    const NumberWord n = ParseNumberWord(seconds);
    if (!n.Ok) {
        call.Succeeded = false;
        return;
    }
    const int64_t ticks = std::llround(static_cast<double>(n.Value) * 18.2);
    CommandServices.SetWaitForDeadline(console::DeadlineAfterTicks(ticks));
}

void WaitQuietCommand(FunctionCall& call) {
    const NumberWord n = ParseNumberWord64(call.NextToken());
    if (!n.Ok) {
        CommandServices.StartQuietWait(0);
        call.Succeeded = false;
        return;
    }
    CommandServices.StartQuietWait(static_cast<uint32_t>(n.Value));
}

// WAIT: tenths of a second, ended early by the abort key.
void WaitCommand(FunctionCall& call) {
    call.SkipBlanks();
    int64_t tenths = 0;
    if (!DecimalWord(call.RestOfLine(80), tenths)) {
        ShowMessage(MessageInvalidFunction);
        return;
    }
    if (tenths > 50) CommandServices.MarkStatusLineDirty();
    if (tenths <= 0) return;
    const int32_t deadline = console::DeadlineAfterTicks(std::llround(tenths * 1.8));
    do {
        CommandServices.WaitTurn();
        if (CommandServices.AbortRequested()) return;
    } while (!console::DeadlinePassed(deadline));
}

// SLEEP: until the time of day, the clock shown on the status row.
void SleepCommand(FunctionCall& call) {
    const int32_t hour = call.ParseIntAt();
    const int32_t minute = call.ParseIntAt();
    const int32_t second = call.ParseIntAt();
    int lastShown = -1;
    auto& l = console::ConsoleLayer;
    for (;;) {
        CommandServices.WaitTurn();
        if (CommandServices.AbortRequested()) break;
        uint16_t h = 0, m = 0, s = 0, ms = 0;
        console::GetTime(h, m, s, ms);
        if (h == hour && minute * 60 + second <= m * 60 + s) break;
        if (s != lastShown) {
            lastShown = s;
            char clock[16];
            std::snprintf(clock, sizeof clock, "%2u:%02u:%02u", static_cast<unsigned>(h),
                          static_cast<unsigned>(m), static_cast<unsigned>(s));
            console::SaveCursorState();
            l.StatusMode = true;
            console::GotoRowCol(l.StatusRow, 40);
            console::WriteString(clock);
            console::RestoreCursorState();
            l.StatusMode = false;
            CommandServices.RepaintWindow();
        }
    }
    CommandServices.MarkStatusLineDirty();
}

void VersionCommand(FunctionCall&) {
    ui::LangMessageBoxShort(console::globals.VersionText);
}

void VersionReplyCommand(FunctionCall& call) {
    std::string number;
    for (char c : std::string_view(console::kVersionNumber))
        if ((c >= '0' && c <= '9') || c == '.') number.push_back(c);
    call.SetReply(number);
}

void TimeCommand(FunctionCall& call) {
    uint16_t h = 0, m = 0, s = 0, ms = 0;
    console::GetTime(h, m, s, ms);
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", static_cast<unsigned>(h % 100),
                  static_cast<unsigned>(m % 100), static_cast<unsigned>(s % 100));
    call.SetReply(text);
}

void PromptReplyCommand(FunctionCall& call) {
    const std::u16string caption = Utf8ToWide(call.NextToken());
    const std::u16string label = Utf8ToWide(call.NextToken());
    std::u16string typed;
    if (ui::StringInputPrompt(caption, label, typed, u""))
        Interpreter.PendingSendText = typed;
    else
        call.DivertToErrorKey();
}

void CalcCommand(FunctionCall&) {
    CommandServices.CalculatorPrompt();
}

void MessageCommand(FunctionCall& call) {
    // The text starts at the second character after the command word.
    const std::size_t start = std::min(call.Position + 1, call.Line.size());
    ui::LangMessageBoxShort(call.Line.substr(start, 255));
}

// The text after the command word, from its second character on.
std::string TextAfterWord(const FunctionCall& call) {
    const std::size_t start = std::min(call.Position + 1, call.Line.size());
    return call.Line.substr(start);
}

void WriteCommand(FunctionCall& call) {
    if (!WriteEscapedText(call, TextAfterWord(call), false, 3)) call.Succeeded = false;
}
void WriteLineCommand(FunctionCall& call) {
    if (!WriteEscapedText(call, TextAfterWord(call) + "\r\n", false, 3)) call.Succeeded = false;
}
void PrintLineCommand(FunctionCall& call) {
    if (!WriteEscapedText(call, TextAfterWord(call) + "\r\n", true, 3)) call.Succeeded = false;
}

// PRINTER-SETUP alone: characters typed straight to the printer until F1.
void PrinterSetupPrompt() {
    auto& l = console::ConsoleLayer;
    console::SaveCursorState();
    l.StatusMode = true;
    console::GotoRowCol(l.StatusRow, 1);
    l.AttrSelection = kPromptSelection;
    console::WriteString(console::GetMessageText(MessagePrinterSetup, true));
    console::ClrEol();
    for (;;) {
        const uint16_t key = CommandServices.ReadKeyCode();
        if (key == kKeyF1 || CommandServices.AbortRequested()) break;
        if (key >= 256) continue;
        if (l.CursorCol > 78) {
            console::GotoRowCol(l.StatusRow, 36);
            console::ClrEol();
        }
        if (key >= ' ' && key <= '~') {
            l.AttrSelection = kNormalSelection;
            console::WriteString(std::string(1, static_cast<char>(key)));
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned>(key));
            l.AttrSelection = kPromptSelection;
            console::WriteString(hex);
        }
        if (!CommandServices.WriteOutputLine(true, std::string(1, static_cast<char>(key)), 1))
            break;
    }
    EndStatusPrompt();
}

void PrinterSetupCommand(FunctionCall& call) {
    call.SkipBlanks();
    if (call.AtEnd()) {
        PrinterSetupPrompt();
        return;
    }
    if (!WriteEscapedText(call, call.RestOfLine(call.Line.size()), true, 3)) call.Succeeded = false;
}

void Add128Command(FunctionCall&) {
    console::RestoreCursorState();
    const uint8_t b = PromptFuncKey(true);
    Interpreter.PendingInput = std::string(1, static_cast<char>(b));
}

}  // namespace

bool WriteEscapedText(FunctionCall& call, std::string_view text, bool toPrinter, uint8_t mode) {
    if (!toPrinter && !CommandServices.OutputFileOpen()) {
        DivertOrShowMessage(call, MessageNoOutputFile);
        return false;
    }
    if (text.find(kDle) == std::string_view::npos) {
        if (CommandServices.WriteOutputLine(toPrinter, text, mode)) return true;
        call.DivertToErrorKey();
        return false;
    }
    for (std::size_t i = 0; i < text.size();) {
        char byte = text[i];
        uint8_t value = 0;
        if (byte == kDle && HexByte(text.substr(i + 1), value)) {
            byte = static_cast<char>(value);
            i += 3;
        } else {
            ++i;
        }
        if (!CommandServices.WriteOutputLine(toPrinter, std::string_view(&byte, 1), mode)) {
            call.DivertToErrorKey();
            return false;
        }
    }
    return true;
}

uint8_t PromptFuncKey(bool add128) {
    BeginStatusPrompt();
    console::WriteString(console::GetMessageText(MessageFuncPrompt, true));
    auto& l = console::ConsoleLayer;
    console::GotoRowCol(l.StatusRow, std::max<int32_t>(1, l.CursorCol - 2));
    const uint16_t key = CommandServices.ReadCharKey();
    if (key >= ' ' && key < 256) console::WriteString(std::string(1, static_cast<char>(key)));
    uint8_t result = 0;
    if (add128) {
        result = static_cast<uint8_t>((key + 128) & 0xFF);
    } else if (key == kCr) {
        result = 128;
    } else {
        const char sent[2] = {0x02, static_cast<char>(key)};
        (void)CommandServices.TransmitString(std::string_view(sent, 2), 4);
        result = 13;
    }
    EndStatusPrompt();
    return result;
}

uint16_t ComposePrompt(std::u16string_view text) {
    BeginStatusPrompt();
    auto& l = console::ConsoleLayer;
    if (!text.empty()) {
        console::WriteScreenUnits(text.substr(0, text.size() - 1));
        console::WriteWideCharAttr(text.back(), static_cast<uint8_t>(l.AttrSelection));
    }
    const uint16_t key = CommandServices.GetKeyChar();
    if (key != kEsc && key != kCr && key < 0xD800)
        console::WriteWideCharAttr(static_cast<char16_t>(key),
                                   static_cast<uint8_t>(l.AttrSelection));
    EndStatusPrompt();
    return key;
}

bool PromptForKey(std::string_view prompt, uint16_t& key) {
    BeginStatusPrompt();
    console::WriteString(prompt.substr(0, 255));
    key = CommandServices.ReadKeyCode();
    EndStatusPrompt();
    return key != kEsc;
}

void AddWaitCommands(CommandHandlerTable& t) {
    t.ByCode[FunctionCodeOf("SEND")] = SendLineCommand;
    t.ByCode[FunctionCodeOf("SEND/N")] = SendNoReturnCommand;
    t.ByCode[FunctionCodeOf("WAITFOR")] = WaitForCommand;
    t.ByCode[FunctionCodeOf("WF")] = WaitForCommand;
    t.ByCode[FunctionCodeOf("WAITQUIET")] = WaitQuietCommand;
    t.ByCode[FunctionCodeOf("WAIT")] = WaitCommand;
    t.ByCode[FunctionCodeOf("SLEEP")] = SleepCommand;
    t.ByCode[FunctionCodeOf("VERSION")] = VersionCommand;
    t.ByCode[FunctionCodeOf("VERSION/S")] = VersionReplyCommand;
    t.ByCode[FunctionCodeOf("TIME")] = TimeCommand;
    t.ByCode[FunctionCodeOf("PROMPT/S")] = PromptReplyCommand;
    t.ByCode[FunctionCodeOf("CALC")] = CalcCommand;
    t.ByCode[FunctionCodeOf("MESSAGE")] = MessageCommand;
    t.ByCode[FunctionCodeOf("WRITE")] = WriteCommand;
    t.ByCode[FunctionCodeOf("WRITELINE")] = WriteLineCommand;
    t.ByCode[FunctionCodeOf("PRINTLINE")] = PrintLineCommand;
    t.ByCode[FunctionCodeOf("PRINTER-SETUP")] = PrinterSetupCommand;
    t.ByCode[FunctionCodeOf("ADD128")] = Add128Command;
}

}  // namespace commands
