#include "commands/screen_commands.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "commands/command_services.h"
#include "commands/command_support.h"
#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "commands/variables.h"
#include "console/code_pages.h"
#include "console/console_primitives.h"
#include "console/local_screen.h"
#include "console/messages.h"
#include "console/screen_buffer.h"

namespace commands {

namespace {

constexpr int32_t kNormalSelection = 4;
constexpr size_t kMaxTitle = 80;
constexpr size_t kMaxModeName = 10;

// What every command that draws on the screen does first, so that it draws
// into the screen ring.
void EndDirectOutput() {
    if (console::ConsoleLayer.DirectWrite) console::EndDirectWrite();
}

void Fail(FunctionCall& call) {
    call.Succeeded = false;
}

// A number of a picture rectangle as the settings keep it: 16 bits, no sign.
uint16_t PictureValue(int64_t value) {
    return static_cast<uint16_t>(std::clamp<int64_t>(value, 0, 0xFFFF));
}

// The first value of a picture rectangle is a word (what was read before a
// bad character when it is not a number), the other three the next numbers.
void ReadPictureRect(FunctionCall& call, const std::string& first, std::array<Le16, 4>& rect) {
    rect[0].Set(PictureValue(ParseNumberWord(first).Value));
    for (size_t k = 1; k < 4; ++k) rect[k].Set(PictureValue(call.ParseIntAt()));
}

// The word in hand may name the picture mode (CELL or WATERMARK); then the
// next word is the first value.
std::string ReadPictureMode(FunctionCall& call, std::string word) {
    UpperCaseAscii(word);
    Settings.BmpMode = 0;
    if (IsAbbreviation(word, "CELL")) {
        Settings.BmpMode = 1;
        word = call.NextToken();
    } else if (IsAbbreviation(word, "WATERMARK")) {
        Settings.BmpMode = 2;
        word = call.NextToken();
    }
    return word;
}

void StoreAdjustments(int32_t x, int32_t y) {
    if (x != 0) Settings.BmpAdjustX.Set(static_cast<uint16_t>(x));
    if (y != 0) Settings.BmpAdjustY.Set(static_cast<uint16_t>(y));
}

// UTF-8 text in the system's ANSI code page.
std::string AnsiText(std::string_view utf8) {
    const std::u16string wide = Utf8ToWide(utf8);
    std::string out(wide.size() * 2 + 1, '\0');
    const size_t n = platform::CurrentCodePages().FromWide(
        platform::kAnsiCodePage, wide.data(), wide.size(), reinterpret_cast<uint8_t*>(out.data()),
        out.size(), nullptr);
    out.resize(n);
    return out;
}

void StatusCommand(FunctionCall& call) {
    std::string word = call.NextToken();
    if (IsAbbreviation(word, "LINE")) word = call.NextToken();
    if (word.empty() || word == "ON")
        Settings.StatusLine = 1;
    else if (IsAbbreviation(word, "OFF"))
        Settings.StatusLine = 0;
    else
        Fail(call);
    CommandServices.UpdateStatusLine();
}

void GaugeCommand(FunctionCall& call) {
    call.ParseSwitch(Settings.Gauge);
    CommandServices.UpdateStatusLine();
}

void CursorCommand(FunctionCall& call) {
    std::string word = call.NextToken();
    if (IsAbbreviation(word, "BLINK")) word = call.NextToken();
    if (word.empty() || word == "ON")
        console::SetAttrCursorMode(false);
    else if (IsAbbreviation(word, "OFF"))
        console::SetAttrCursorMode(true);
    else if (IsAbbreviation(word, "BLOCK"))
        Settings.BlockCursor = 1;
    else if (IsAbbreviation(word, "UNDERLINE"))
        Settings.BlockCursor = 0;
    else
        Fail(call);
}

void WidthCommand(FunctionCall& call) {
    const std::string word = call.NextToken();
    if (word == "80")
        CommandServices.SetScreenColumns(80);
    else if (word == "132")
        CommandServices.SetScreenColumns(132);
    else
        Fail(call);
}

void Mode132Command(FunctionCall& call) {
    const std::string word = call.NextToken();
    uint8_t value = 0;
    if (word.size() != 2 || !HexByte(word, value)) return Fail(call);
    Settings.Mode132 = value;
}

void ScreenModeCommand(FunctionCall& call) {
    const std::string word = call.NextToken();
    if (!CommandServices.SetScreenGeometry(word) && !word.empty()) return Fail(call);
    Settings.ScreenModeName = std::string_view(word).substr(0, kMaxModeName);
}

void ScreenModeReplyCommand(FunctionCall& call) {
    call.SetReply(ScreenModeReply());
}

void ScreenSizeCommand(FunctionCall& call) {
    struct Metric {
        const char* Word;
        WindowMetric Which;
    };
    static constexpr Metric kMetrics[] = {
        {"WINDOW.X", WindowMetric::WindowX}, {"WINDOW.Y", WindowMetric::WindowY},
        {"CLIENT.X", WindowMetric::ClientX}, {"CLIENT.Y", WindowMetric::ClientY},
        {"MAX.X", WindowMetric::MaxX},       {"MAX.Y", WindowMetric::MaxY}};
    const std::string word = call.NextToken();
    for (const Metric& m : kMetrics) {
        if (word != m.Word) continue;
        int32_t value = 0;
        if (!CommandServices.GetWindowMetric(m.Which, value)) return Fail(call);
        call.SetReply(std::to_string(value));
        return;
    }
    Fail(call);
}

void PanCommand(FunctionCall& call) {
    EndDirectOutput();
    const std::string word = call.NextToken();
    // The shown part never starts left of column 1 nor right of the last
    // place where a window's width still fits the screen.
    const int32_t last = std::max(0, console::Columns() - console::ConsoleLayer.ScreenWidth);
    int32_t column = 0;
    if (IsAbbreviation(word, "RIGHT")) {
        column = last;
    } else if (IsAbbreviation(word, "LEFT")) {
        column = 0;
    } else {
        const NumberWord n = ParseNumberWord(word);
        if (!n.Ok) return Fail(call);
        column = std::clamp(n.Value, 0, last);
    }
    if (!CommandServices.SetViewLeftColumn(column)) Fail(call);
}

void ReviewCommand(FunctionCall&) {
    EndDirectOutput();
    CommandServices.ReviewScreen();
}

void TitleCommand(FunctionCall& call) {
    const std::string rest = call.Position + 1 < call.Line.size()
                                 ? call.Line.substr(call.Position + 1, MaxTokenLength)
                                 : std::string();
    Settings.WindowTitle = std::string_view(ExpandVariables(rest)).substr(0, kMaxTitle);
    CommandServices.UpdateWindowTitle();
}

void TrackWindowCommand(FunctionCall& call) {
    call.ParseSwitch(Settings.TrackWindow);
}

void WindowCommand(FunctionCall& call) {
    EndDirectOutput();
    const size_t start = call.Position;
    const std::string word = call.NextToken();
    if (IsAbbreviation(word, "ZOOM")) return CommandServices.RequestWindow(WindowRequest::Maximize);
    if (IsAbbreviation(word, "RESTORE"))
        return CommandServices.RequestWindow(WindowRequest::Restore);
    if (IsAbbreviation(word, "MINIMIZE"))
        return CommandServices.RequestWindow(WindowRequest::Minimize);
    call.Position = start;
    CellRectangle r;
    if (!call.ParseCoordinates(r)) return Fail(call);
    const std::string first = call.NextToken();
    const std::string second = call.NextToken();
    call.Succeeded = CommandServices.OpenTextWindow(r, first, second);
}

void WindowCloseCommand(FunctionCall&) {
    EndDirectOutput();
    CommandServices.PopScreenRect();
}

void FillCommand(FunctionCall& call) {
    EndDirectOutput();
    CellRectangle r;
    if (!call.ParseCoordinates(r)) return Fail(call);
    call.Succeeded = CommandServices.FillWindowArea(r, call.NextToken());
}

void BoxCommand(FunctionCall& call) {
    EndDirectOutput();
    CellRectangle r;
    if (!call.ParseCoordinates(r)) return Fail(call);
    call.Succeeded = CommandServices.DrawFrameBox(r, call.NextToken());
}

void MenuBarCommandLine(FunctionCall& call) {
    EndDirectOutput();
    console::RestoreCursorState();
    CellRectangle r;
    call.Succeeded = call.ParseCoordinates(r);
    if (call.Succeeded) {
        const int32_t a = call.ParseIntAt();
        const int32_t b = call.ParseIntAt();
        const int32_t c = call.ParseIntAt();
        const int32_t d = call.ParseIntAt();
        const int32_t e = call.ParseIntAt();
        std::string reply;
        call.Succeeded = MenuBarCommand(r, a, b, c, d, e, reply, 255);
        call.SetReply(reply);
    }
    console::SaveCursorState();
}

void FontAltCommand(FunctionCall& call) {
    call.SkipBlanks();
    std::string list = AnsiText(call.RestOfLine()).substr(0, 255);
    std::replace(list.begin(), list.end(), ',', '|');
    Settings.FontFallbackList = list;
    CommandServices.RebuildFontFallbackList();
    CommandServices.RepaintWindow();
}

void PaletteCommand(FunctionCall& call) {
    static constexpr const char* kModes[] = {"ULBRIGHT", "ULDIM", "BLBRIGHT",
                                             "BLDIM",    "BG",    "FULL"};
    const std::string word = call.NextToken();
    for (uint8_t mode = 0; mode < 6; ++mode) {
        if (word != kModes[mode]) continue;
        console::SetAttributeMode(mode);
        CommandServices.RepaintWindow();
        return;
    }
    Fail(call);
}

void ColorCommand(FunctionCall&) {
    CommandServices.ShowConsoleScreen(ConsoleScreen::Colors);
}

void ColorEditCommand(FunctionCall&) {
    CommandServices.EditColors();
    // The status row's three colours follow the edited map at once.
    auto& l = console::ConsoleLayer;
    l.StatusAttr = static_cast<uint8_t>(l.AttrColorMap[4] & 0xFF);
    CommandServices.RepaintWindow();
}

void SetColorCommandLine(FunctionCall& call) {
    call.Succeeded = SetColorCommand(call.NextToken());
}

void BlockTypeCommand(FunctionCall& call) {
    const std::string word = call.NextToken();
    if (IsAbbreviation(word, "COLUMN"))
        Settings.BlockType = 0;
    else if (IsAbbreviation(word, "STREAM"))
        Settings.BlockType = 1;
    else if (IsAbbreviation(word, "WRAP"))
        Settings.BlockType = 2;
    else
        Fail(call);
}

void BmpCommand(FunctionCall& call) {
    EndDirectOutput();
    Settings.BmpFileName = std::string_view(ExpandVariables(call.NextToken())).substr(0, 255);
    call.SkipBlanks();
    if (!call.AtEnd()) {
        const std::string first = ReadPictureMode(call, call.NextToken());
        ReadPictureRect(call, first, Settings.BmpCellRect);
        call.SkipBlanks();
        if (!call.AtEnd()) {
            for (Le16& v : Settings.BmpViewRect) v.Set(PictureValue(call.ParseIntAt()));
            const int32_t x = call.ParseIntAt();
            const int32_t y = call.ParseIntAt();
            StoreAdjustments(x, y);
        }
    }
    CommandServices.LoadBackgroundPicture();
}

void BmpAdjustCommand(FunctionCall& call) {
    const int32_t x = call.ParseIntAt();
    const int32_t y = call.ParseIntAt();
    StoreAdjustments(x, y);
    CommandServices.AdjustPicture();
    CommandServices.RepaintWindow();
}

void BmpCloseCommand(FunctionCall&) {
    AssignZeroFilled(Settings.BmpFileName, "");
    CommandServices.LoadBackgroundPicture();
}

void BmpViewCommand(FunctionCall& call) {
    EndDirectOutput();
    std::string first = call.NextToken();
    UpperCaseAscii(first);
    ReadPictureRect(call, first, Settings.BmpViewRect);
    CommandServices.RepaintWindow();
}

void BmpWindowCommand(FunctionCall& call) {
    EndDirectOutput();
    const std::string first = ReadPictureMode(call, call.NextToken());
    ReadPictureRect(call, first, Settings.BmpCellRect);
    CommandServices.RepaintWindow();
}

void ClipCommand(FunctionCall& call) {
    call.SkipBlanks();
    if (!call.AtEnd() && call.Line[call.Position] == '"') {
        CommandServices.CopyTextToClipboard(Utf8ToWide(call.NextToken()));
        return;
    }
    CellRectangle r;
    if (!call.ParseCoordinates(r)) {
        r.FirstColumn = 1;
        r.LastColumn = console::ConsoleLayer.ScreenWidth;
        r.FirstRow = 1;
        r.LastRow = console::ConsoleLayer.ScreenRows;
    }
    CommandServices.CopyScreenToClipboard(r);
}

void PasteCommand(FunctionCall&) {
    CommandServices.PasteFromClipboard();
}

// A number right-aligned in three characters, a leading blank made "0".
std::string ThreeCharacters(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%3d", value);
    std::string s(text);
    if (!s.empty() && s[0] == ' ') s[0] = '0';
    return s;
}

bool ValidWindowRect(const CellRectangle& r) {
    return r.FirstColumn != 0 && r.LastColumn != 0 && r.FirstRow != 0 && r.LastRow != 0 &&
           r.FirstColumn <= r.LastColumn && r.FirstRow <= r.LastRow;
}

console::CellRect ToConsoleRect(const CellRectangle& r) {
    console::CellRect c;
    c.Left = r.FirstColumn;
    c.Right = r.LastColumn;
    c.Top = r.FirstRow;
    c.Bottom = r.LastRow;
    return c;
}

}  // namespace

std::string ScreenModeReply() {
    const auto& l = console::ConsoleLayer;
    return "C00" + ThreeCharacters(l.LastRow) + ThreeCharacters(l.ScreenWidth) +
           ThreeCharacters(Settings.ScreenColumns) + Settings.ScreenModeName.Str();
}

bool SetColorCommand(std::string_view text) {
    auto& l = console::ConsoleLayer;
    if (text.empty() || text == "NORMAL") {
        const int32_t selection =
            CommandServices.FamilyAttrMode() == 1 ? 0 : console::kSelectionInherit;
        l.AttrSelection = selection;
        l.SavedAttrSelection = selection;
        return true;
    }
    int64_t value = 0;
    if (text.back() == 'H' || text.back() == 'h') {
        if (text.size() < 3) return false;
        value = HexDigitValue(text[0]) * 16 + HexDigitValue(text[1]);
    } else {
        const NumberWord n = ParseNumberWord(text);
        // The console's colours are one byte.
        if (!n.Ok || n.Value < 0 || n.Value > 255) return false;
        value = n.Value;
    }
    l.DirectAttr = static_cast<console::CellAttribute>(value);
    l.AttrSelection = console::kSelectionDirect;
    l.SavedAttrSelection = console::kSelectionDirect;
    return true;
}

bool MenuBarCommand(CellRectangle r, int32_t a, int32_t b, int32_t c, int32_t d, int32_t e,
                    std::string& reply, int32_t maxLength) {
    reply.clear();
    while (CommandServices.GetTerminalFlag(TerminalFlag::KeyboardLocked)) {
        CommandServices.ReceiveOnce();
        CommandServices.WaitTurn();
        if (CommandServices.AbortRequested()) return false;
    }
    CommandServices.SoundDeferredBell();
    auto& l = console::ConsoleLayer;
    const int32_t row = l.CursorRow;
    const int32_t column = l.CursorCol;
    CommandServices.MarkStatusLineDirty();

    // A host's rectangle never reaches past the screen.
    r.FirstColumn = std::max(r.FirstColumn, 1);
    r.LastColumn = std::min(r.LastColumn, l.ScreenWidth);
    r.FirstRow = std::max(r.FirstRow, 1);
    r.LastRow = std::min(r.LastRow, l.ScreenRows);
    if (r.FirstColumn > r.LastColumn || r.FirstRow > r.LastRow || a > b) return false;

    int64_t columns = e;
    if (a == 0 || b == 0 || a < r.FirstColumn)
        columns = 1;
    else if (columns < 1)
        columns = 2;
    if (d == 0) d = r.LastColumn - r.FirstColumn - c + 1;
    const int64_t right = std::max<int64_t>(
        b, (columns - 1) * (int64_t{r.LastColumn} - r.FirstColumn) + r.FirstColumn);
    if (l.ScreenWidth < right) return false;

    const int32_t selection = l.AttrSelection;
    console::GotoRowCol(l.StatusRow, 1);
    l.AttrSelection = kNormalSelection;
    const bool statusMode = l.StatusMode;
    l.StatusMode = true;
    console::WriteString(console::GetMessageText(MessageMenuBar, true));
    console::ClrEol();
    l.StatusMode = statusMode;
    l.AttrSelection = selection;

    // The menu unit's own refusal (or its absence) is this command's failure.
    bool shown = true;
    console::CellRect saved = ToConsoleRect(r);
    saved.Right = static_cast<int32_t>(right);
    if (!console::PushScreenRect(saved)) {
        ShowMessage(MessageInsufficientMemory);
    } else {
        shown = CommandServices.ScreenMenuSelect(r, a, b, maxLength, reply,
                                                 static_cast<int32_t>(columns), d, c);
        if (reply == "\x1B") reply.clear();
        console::PopScreenRect();
    }
    console::GotoRowCol(row, column);
    return shown;
}

bool FillWindowArea(const CellRectangle& r, std::string_view text) {
    auto& l = console::ConsoleLayer;
    const int32_t selection = l.AttrSelection;
    l.AttrSelection = l.SavedAttrSelection;
    const bool valid = ValidWindowRect(r);
    if (valid) {
        console::CellRect area = ToConsoleRect(r);
        area.Right = std::min(area.Right, console::Columns());
        area.Bottom = std::min(area.Bottom, l.ScreenRows);
        const char16_t ch = text.empty() ? u' ' : static_cast<uint8_t>(text[0]);
        if (area.Left <= area.Right && area.Top <= area.Bottom)
            console::FillCellRect(area, console::MakeCell(ch, console::CurrentAttr()));
    }
    l.AttrSelection = selection;
    return valid;
}

bool OpenTextWindow(const CellRectangle& r, std::string_view first, std::string_view second) {
    if (!ValidWindowRect(r)) return false;
    if (!console::PushScreenRect(ToConsoleRect(r))) {
        ShowMessage(MessageInsufficientMemory);
        return false;
    }
    auto either = [&](std::string_view word) { return first == word || second == word; };
    if (either("FILL")) FillWindowArea(r, " ");
    if (either("BOX") || either("SINGLE")) CommandServices.DrawFrameBox(r, "SINGLE");
    if (either("DOUBLE")) CommandServices.DrawFrameBox(r, "DOUBLE");
    return true;
}

void AddScreenCommands(CommandHandlerTable& t) {
    t.ByCode[FunctionCodeOf("STATUS")] = StatusCommand;
    t.ByCode[FunctionCodeOf("GAUGE")] = GaugeCommand;
    t.ByCode[FunctionCodeOf("CURSOR")] = CursorCommand;
    t.ByCode[FunctionCodeOf("WIDTH")] = WidthCommand;
    t.ByCode[FunctionCodeOf("MODE-132")] = Mode132Command;
    t.ByCode[FunctionCodeOf("SCREENMODE")] = ScreenModeCommand;
    t.ByCode[FunctionCodeOf("SCREENMODE/S")] = ScreenModeReplyCommand;
    t.ByCode[FunctionCodeOf("SCREENSIZE/S")] = ScreenSizeCommand;
    t.ByCode[FunctionCodeOf("PAN")] = PanCommand;
    t.ByCode[FunctionCodeOf("REVIEW")] = ReviewCommand;
    t.ByCode[FunctionCodeOf("TITLE")] = TitleCommand;
    t.ByCode[FunctionCodeOf("TRACK-WINDOW")] = TrackWindowCommand;
    t.ByCode[FunctionCodeOf("WINDOW")] = WindowCommand;
    t.ByCode[FunctionCodeOf("WINDOWCLOSE")] = WindowCloseCommand;
    t.ByCode[FunctionCodeOf("FILL")] = FillCommand;
    t.ByCode[FunctionCodeOf("BOX")] = BoxCommand;
    t.ByCode[FunctionCodeOf("MENUBAR")] = MenuBarCommandLine;
    t.ByCode[FunctionCodeOf("FONT-ALT")] = FontAltCommand;
    t.ByCode[FunctionCodeOf("PALETTE")] = PaletteCommand;
    t.ByCode[FunctionCodeOf("COLOR")] = ColorCommand;
    t.ByCode[FunctionCodeOf("COLOREDIT")] = ColorEditCommand;
    t.ByCode[FunctionCodeOf("SETCOLOR")] = SetColorCommandLine;
    t.ByCode[FunctionCodeOf("BLOCKTYPE")] = BlockTypeCommand;
    t.ByCode[FunctionCodeOf("BMP")] = BmpCommand;
    t.ByCode[FunctionCodeOf("BMP-ADJUST")] = BmpAdjustCommand;
    t.ByCode[FunctionCodeOf("BMP-CLOSE")] = BmpCloseCommand;
    t.ByCode[FunctionCodeOf("BMP-VIEW")] = BmpViewCommand;
    t.ByCode[FunctionCodeOf("BMP-WINDOW")] = BmpWindowCommand;
    t.ByCode[FunctionCodeOf("CLIP")] = ClipCommand;
    t.ByCode[FunctionCodeOf("PASTE")] = PasteCommand;
}

}  // namespace commands
