#include "emulation/operations/report_operations.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/globals.h"
#include "console/screen_read_back.h"
#include "emulation/input/keyboard.h"
#include "emulation/operations/operation_catalogue.h"
#include "emulation/operations/term_executor.h"
#include "emulation/receive_loop.h"
#include "emulation/types/term_types.h"

namespace emulation {

// A console not yet sized still reports column and row 1 rather than
// clamping into an empty range.
int32_t ReportRow() {
    const auto& l = console::ConsoleLayer;
    return std::clamp<int32_t>(l.CursorRow, 1, std::max<int32_t>(l.ScreenRows, 1));
}
int32_t ReportColumn() {
    return std::clamp<int32_t>(console::ConsoleLayer.CursorCol, 1,
                               std::max<int32_t>(console::Columns(), 1));
}

namespace {

using console::ConsoleLayer;

constexpr uint8_t kEsc = 0x1B;
constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kAck = 0x06;

void Put(uint8_t b) {
    TermExecutor.Reply.push_back(b);
}
void Put(std::string_view text) {
    for (char c : text) Put(static_cast<uint8_t>(c));
}

// A coordinate sent as one byte with an offset; a screen too large for the
// byte gets the largest byte rather than a wrapped one.
uint8_t OffsetByte(int32_t value) {
    return static_cast<uint8_t>(std::clamp<int32_t>(value, 0, 255 - 31) + 31);
}

// Digits of value, zero-filled to width; values too wide for it give the largest that fits.
void PutDigits(int32_t value, int width) {
    int32_t most = 1;
    for (int i = 0; i < width; ++i) most *= 10;
    std::string digits = std::to_string(std::clamp<int32_t>(value, 0, most - 1));
    Put(std::string(static_cast<size_t>(width) - digits.size(), '0'));
    Put(digits);
}

void WyseCursorReportOp(TermOp op, const TermOpParams&) {
    if (op == OpWyseCursorReportPage) Put('0');
    Put(OffsetByte(ReportRow()));
    Put(OffsetByte(ReportColumn()));
    if (op != OpC332CursorReport) Put(kCr);
}

void WyseCursorReport132Op(TermOp, const TermOpParams&) {
    PutDigits(ReportRow(), 2);
    Put('R');
    PutDigits(ReportColumn(), 3);
    Put('C');
}

void PrinterStatusReportOp(TermOp, const TermOpParams&) {
    Put("\x1B[?10n");
}

bool TypeIs(const char* name) {
    const auto* type = EmulatorState.CurrentTermType;
    return type != nullptr && std::strcmp(type->Name, name) == 0;
}

// The byte after the introducer ESC [ (or CSI) of the recognised sequence.
uint8_t SequencePrefix() {
    const auto& t = TermExecutor.SequenceText;
    if (t.size() >= 3 && t[0] == kEsc && t[1] == '[') return t[2];
    if (t.size() >= 2 && t[0] == 0x9B) return t[1];
    return 0;
}

// The secondary attributes: the model, firmware version 1.0 and no ROM
// cartridge, the model being the one the type stands for.
void SecondaryDeviceAttributes() {
    const char* model = "1";
    if (TypeIs("VT100")) model = "0";
    if (TypeIs("VT320")) model = "24";
    if (TypeIs("VT420")) model = "41";
    Put("\x1B[>");
    Put(model);
    Put(";10;0c");
}

void DeviceAttributesReplyOp(TermOp, const TermOpParams&) {
    const auto& e = EmulatorState;
    if (SequencePrefix() == '>') {
        SecondaryDeviceAttributes();
        return;
    }
    if (TypeIs("VT420")) {
        Put("\x1B[?64;1;2;6;7;8;9;15;18;19;21c");
        return;
    }
    if (e.CurrentTermFamily == nullptr) return;
    Put(e.CurrentTermFamily->DeviceAttributes.view());
}

// The first family hands ESC [ c over to the device attributes before it gets here.
void CsiCOp(TermOp, const TermOpParams& p) {
    ConsoleLayer.CursorVisible = p[0] != 2;
    console::PlaceCaret();
}

void C332KeyboardStatusOp(TermOp, const TermOpParams&) {
    Put(ReceiveLoop.KeyboardEnabled ? 'B' : 'F');
}

void C332EscapeReplyOp(TermOp, const TermOpParams&) {
    Put(kEsc);
}

void MousePositionReportOp(TermOp, const TermOpParams&) {
    Put("\x1B[\x1F"
        "0");
    Put(OffsetByte(console::globals.MouseCol));
    Put(OffsetByte(console::globals.MouseRow));
}

void WyseEnquiryOp(TermOp, const TermOpParams&) {
    const auto& s = commands::Settings;
    if (s.TermFlag1702 == 0) return;
    if (s.TermFlag1703 != 0) Put(s.AnswerBack.View());
    Put(kAck);
}

// The cursor row from column 1 up to the cursor in the host's character
// set, so that a letter outside ASCII never goes out as the control byte its
// low half would be. Protected runs are marked: with a field separator in
// place of their text, or with their text between ESC ) and ESC (.
void PutCursorLineText(bool protectedAsSeparator) {
    const int32_t last = std::clamp<int32_t>(ConsoleLayer.CursorCol - 1, 0, console::Columns());
    if (last < 1) return;
    console::ScreenTextOptions options;
    options.MarkProtected = true;
    options.ProtectedAsFs = protectedAsSeparator;
    options.Encode = KeyToHostCode;
    Put(console::GetScreenText(ReportRow(), 1, last, options));
}

void SendLineOp(TermOp op, const TermOpParams&) {
    PutCursorLineText(op == OpSendLineUnprotected);
    // A marked line can outgrow the reply; it is cut so that its CR still fits.
    auto& reply = TermExecutor.Reply;
    if (reply.size() == reply.Capacity()) reply.Length = reply.Capacity() - 1;
    Put(kCr);
    if (ScreenOperations.Hooks.ProtectedFields() != 1) console::WriteString("\r\n");
}

void SendCharacterOp(TermOp, const TermOpParams&) {
    if (!console::TermScreenRingUsable()) return;
    const auto at = static_cast<size_t>(console::CellIndex(ReportRow(), ReportColumn()));
    Put(KeyToHostCode(console::CellChar(console::TermScreenRing.Cells[at])));
}

void MarginQueryOp(TermOp, const TermOpParams& p) {
    const auto& l = ConsoleLayer;
    const int32_t margins[4] = {l.TopMargin, l.BottomMargin, l.LeftMargin, l.RightMargin};
    std::string text;
    if (p[0] == 0) {
        for (int32_t m : margins) {
            if (!text.empty()) text += ' ';
            text += std::to_string(m);
        }
    } else if (p[0] >= 1 && p[0] <= 4) {
        text = std::to_string(margins[p[0] - 1]);
    } else {
        return;
    }
    commands::Interpreter.FunctionReply = std::string_view(text);
}

constexpr TermOpBinding kBindings[] = {
    {OpWyseCursorReport, WyseCursorReportOp},
    {OpWyseCursorReport132, WyseCursorReport132Op},
    {OpWyseCursorReportPage, WyseCursorReportOp},
    {OpC332CursorReport, WyseCursorReportOp},
    {OpPrinterStatusReport, PrinterStatusReportOp},
    {OpDeviceAttributesReply, DeviceAttributesReplyOp},
    {OpCsiC, CsiCOp},
    {OpC332KeyboardStatus, C332KeyboardStatusOp},
    {OpC332EscapeReply, C332EscapeReplyOp},
    {OpMousePositionReport, MousePositionReportOp},
    {OpWyseEnquiry, WyseEnquiryOp},
    {OpSendLineUnprotected, SendLineOp},
    {OpSendLine, SendLineOp},
    {OpSendCharacter, SendCharacterOp},
    {OpMarginQuery, MarginQueryOp},
};

}  // namespace

// The executor turns the leading ESC P into its C1 form; the terminator is
// this reply's own.
void TertiaryDeviceAttributes() {
    Put("\x1BP!|00000000");
    if (TermExecutor.EightBitControls)
        Put(uint8_t{0x9C});
    else
        Put("\x1B\\");
}

std::span<const TermOpBinding> ReportOperationBindings() {
    return kBindings;
}

}  // namespace emulation
