#include "emulation/operations/shown_character_operations.h"

#include <algorithm>

#include "commands/gset_code.h"
#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "emulation/host_ports.h"
#include "emulation/operations/host_mode_operations.h"
#include "emulation/operations/operation_catalogue.h"
#include "emulation/operations/term_executor.h"
#include "emulation/parser/recogniser.h"
#include "emulation/receive_loop.h"
#include "emulation/text/charsets.h"
#include "emulation/text/host_char_display.h"
#include "emulation/types/term_types.h"

namespace emulation {

using enum commands::GSetCode;

ShownCharacterOperationsState ShownCharacterOperations;

bool NoPassthroughPrinter(uint8_t, std::span<const uint8_t>) {
    return false;
}

namespace {

using console::ConsoleLayer;

constexpr uint8_t kEsc = 0x1B;
constexpr uint8_t kDle = 0x10;
constexpr char16_t kFiller = 0x200B;
constexpr char16_t kSubstitute = 0xFFFF;

void WriteShownChar(char16_t ch) {
    WrapPendingBeforeChar();
    console::WriteScreenChar(ch);
    WrapAfterWrite();
}

// The sequence's bytes after its first one.
std::span<const uint8_t> AfterFirstByte() {
    const auto& text = TermExecutor.SequenceText;
    if (text.size() < 2) return {};
    return {text.data() + 1, text.size() - 1};
}

// The bytes are the last ones the host input handed out.
bool RingJustDelivered(std::span<const uint8_t> bytes) {
    uint8_t last[kSeqBufferSize];
    const auto count = static_cast<uint32_t>(bytes.size());
    if (bytes.size() > sizeof last || HostIn().History(last, count) != count) return false;
    const uint8_t mask = SevenBitReading() ? 0x7F : 0xFF;
    for (uint32_t i = 0; i < count; ++i)
        if ((last[i] & mask) != (bytes[i] & mask)) return false;
    return true;
}

void DestructiveBackspaceOp(TermOp, const TermOpParams& p) {
    const TermOpHandler backspace = TermOpHandlerFor(OpBackspace);
    if (backspace == nullptr) return;
    // Within one step per cell the cursor reaches the top row, which it then
    // blanks whole and keeps cycling over.
    const int64_t columns = console::Columns();
    const int32_t count = BoundedRepeat(
        p[0] <= 0 ? 1 : p[0], int64_t{ConsoleLayer.ScreenRows} * columns + columns, columns);
    TermOpParams one{};
    one[0] = 1;
    for (int32_t i = 0; i < count; ++i) {
        backspace(OpBackspace, one);
        console::EraseChars(1);
    }
}

void CtrlXPrintOp(TermOp, const TermOpParams&) {
    if (commands::Settings.CtrlXPassthrough == 0) {
        ReadAgainAsData(AfterFirstByte());
        return;
    }
    // The printer may pump messages, and a sequence received meanwhile
    // replaces the one the data points into.
    const std::span<const uint8_t> rest = AfterFirstByte();
    SeqBufferText data;
    data.assign(rest.data(), rest.size());
    const std::span<const uint8_t> copy(data.data(), data.size());
    if (!ShownCharacterOperations.Hooks.StartPassthroughPrint(0, copy)) ReadAgainAsData(copy);
}

void ShowDleOp(TermOp, const TermOpParams&) {
    ShowHostByte(kDle);
}

void UnknownEscapeOp(TermOp, const TermOpParams& p) {
    const auto& text = TermExecutor.SequenceText;
    const auto b = static_cast<uint8_t>(p[0]);
    if (b <= 0x20) {
        ShowInGraphicsCounterpart(b);
        return;
    }
    if (text.size() <= 2) return;
    // A known beginning followed by a byte that fits none of its sequences
    // can only grow by swallowing what follows, since the entries match from
    // the front; it is dropped as the recogniser drops a sequence that fits
    // no entry, keeping a closing ESC as the start of the next one.
    if (text[text.size() - 1] == kEsc) SeqBuffer.push_back(kEsc);
}

void ShowEscapeOp(TermOp, const TermOpParams&) {
    ShowHostByte(kEsc);
    SeqBuffer.clear();
    SeqBuffer.push_back(kEsc);
}

void ScoShowCharacterOp(TermOp, const TermOpParams& p) {
    if (p[0] < 0 || p[0] > 0xFF) return;
    ShowHostByte(static_cast<uint8_t>(p[0]));
}

void RereadAfterFirstOp(TermOp, const TermOpParams&) {
    ReadAgainAsData(AfterFirstByte());
}

void T160eCharacterOp(TermOp, const TermOpParams& p) {
    const auto lookup = charsetHooks.T160eLookup;
    const char16_t ch = lookup ? lookup(static_cast<uint32_t>(std::max(p[0], 0)),
                                        static_cast<uint32_t>(std::max(p[1], 0)))
                               : kSubstitute;
    DisplayMultibyteChar(ch, false);
}

void CcciiCharacterOp(TermOp, const TermOpParams& p) {
    const auto decode = charsetHooks.CcciiDecode;
    const char16_t ch = decode ? decode(static_cast<uint8_t>(p[0]), static_cast<uint8_t>(p[1]),
                                        static_cast<uint8_t>(p[2]))
                               : kSubstitute;
    // Every CCCII character takes two cells.
    WriteShownChar(ch);
    WriteShownChar(ch == kSubstitute ? kSubstitute : kFiller);
}

void ScoGraphicCharacterOp(TermOp, const TermOpParams& p) {
    if (p[2] != 127 || p[0] < 0 || p[0] > 0xFF) return;
    ShowHostByte(static_cast<uint8_t>(p[0]));
}

constexpr TermOpBinding kBindings[] = {
    {OpDestructiveBackspace, DestructiveBackspaceOp},
    {OpCtrlXPrint, CtrlXPrintOp},
    {OpShowDle, ShowDleOp},
    {OpUnknownEscape, UnknownEscapeOp},
    {OpShowEscape, ShowEscapeOp},
    {OpScoShowCharacter, ScoShowCharacterOp},
    {OpRereadAfterFirst, RereadAfterFirstOp},
    {OpT160eCharacter, T160eCharacterOp},
    {OpCcciiCharacter, CcciiCharacterOp},
    {OpScoGraphicCharacter, ScoGraphicCharacterOp},
};

}  // namespace

void ReadAgainAsData(std::span<const uint8_t> bytes) {
    if (bytes.empty()) return;
    // The usual case: the bytes wait again in the ring, ahead of what follows.
    if (RingJustDelivered(bytes) && HostIn().Unread(static_cast<uint32_t>(bytes.size()))) return;
    // Bytes that did not come straight from the ring are handed over one by
    // one; an ESC takes the byte after it as its read-ahead would have.
    const SeqBufferText copy = [&] {
        SeqBufferText t;
        t.assign(bytes.data(), bytes.size());
        return t;
    }();
    for (size_t i = 0; i < copy.size(); ++i) {
        if (copy[i] == kEsc && SeqBuffer.empty() && i + 1 < copy.size() &&
            EmulatorState.GL != kGSetControlsShown) {
            SeqBuffer.push_back(kEsc);
            ++i;
        }
        ReceiveByteAgain(copy[i]);
    }
}

std::span<const TermOpBinding> ShownCharacterOperationBindings() {
    return kBindings;
}

}  // namespace emulation
