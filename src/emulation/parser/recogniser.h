#pragma once
// The sequence recogniser: turns the bytes collected in SeqBuffer into one
// terminal operation with up to ten parameters, using the current family's
// tables only.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "commands/gset_code.h"
#include "emulation/types/emulator_state.h"
#include "emulation/types/family_tables.h"

namespace emulation {

enum class RecogniseStatus : uint8_t {
    Recognised = 0,
    Discard = 1,
    Incomplete = 2,  // keep the buffer and wait for the next byte
};

inline constexpr size_t kTermOpParamCount = 10;
using TermOpParams = std::array<int32_t, kTermOpParamCount>;

// Decimal parameters saturate here instead of overflowing.
inline constexpr int32_t kTermParamMax = 2147483647;

// The sequence being collected; shared with the executor, which appends to it.
inline constexpr size_t kSeqBufferSize = 140;
using SeqBufferText = ByteText<kSeqBufferSize>;
extern SeqBufferText SeqBuffer;

// What the recogniser reads from the connection and the console: bytes
// already waiting (for the control-sequence read-ahead) and the screen width
// (for the Wyse label text).
class RecogniserSource {
  public:
    // One waiting byte as CommInputReady(0) and CommReadChar(sevenBit, skipNul)
    // give it; false when none is waiting.
    virtual bool ReadWaitingByte(bool sevenBit, bool skipNul, uint8_t& byte) = 0;
    virtual uint16_t ScreenWidth() = 0;
    // The control-sequence read-ahead: appends waiting bytes to buf while the
    // last byte of buf is a parameter or intermediate byte (0x20..0x3F) and
    // buf has room. The default reads them one by one with ReadWaitingByte.
    virtual void ReadParameterBytes(bool sevenBit, bool skipNul, SeqBufferText& buf);

  protected:
    ~RecogniserSource() = default;
};

// nullptr restores the built-in source: nothing waiting, 80 columns.
void SetRecogniserSource(RecogniserSource* source);

// Recognises SeqBuffer with the current family (EmulatorState). May lengthen
// SeqBuffer (read-ahead, C1 forms, the Wyse label's CR) and may clear
// EmulatorState.TwoStepState. The parameters are cleared first except in the
// two-step states.
RecogniseStatus DecodeHostSequence(TermOp& op, TermOpParams& params);

// The same result by a plain scan of the whole table from the first entry the
// indexes name, without the per-family candidate lists; kept to check the
// fast path against.
RecogniseStatus ReferenceDecodeHostSequence(TermOp& op, TermOpParams& params);

// The entry the recogniser matched a control sequence ESC [ <digits and
// separators> <final> to, remembered by its final byte and whether it has
// parameter bytes, with what reading such a sequence again needs of it.
struct RememberedDigitsEntry {
    uint8_t Entry = 0;       // 1-based table entry; 0: none remembered
    bool PlainList = false;  // numbers between ';', taken as they are
    uint8_t Count = 0;       // parameters a plain list fills
    int8_t Bias = 0;         // a parameter not given
    TermOp Op = 0;
    uint16_t Spare = 0;  // keeps the entries eight bytes apart
};
struct RememberedDigitsTable {
    const TermFamilyTable* Family = nullptr;
    RememberedDigitsEntry ByFinal[256][2] = {};  // [final byte][has parameter bytes]
};
// The entries remembered for the family the recogniser worked for last;
// never null.
extern const RememberedDigitsTable* RememberedDigits;

namespace recogniser_detail {

// Every parameter set to v, two at a time.
inline void FillParams(TermOpParams& params, int32_t v) {
    static_assert(kTermOpParamCount % 2 == 0);
    const uint64_t pair = uint64_t{static_cast<uint32_t>(v)} * 0x100000001u;
    for (size_t i = 0; i < kTermOpParamCount; i += 2) std::memcpy(&params[i], &pair, sizeof pair);
}

// The decimal number of length digits, capped at the largest parameter.
uint32_t SaturatedDecimal(const uint8_t* digits, size_t length);

// Reads the n parameter bytes of a remembered plain list as the table scan
// would, copying them (ANDed with mask) to text; false when a byte is
// neither a digit nor ';'.
[[gnu::always_inline]] inline bool ReadPlainList(const uint8_t* from, size_t n, uint8_t mask,
                                                 const RememberedDigitsEntry& entry, uint8_t* text,
                                                 TermOp& op, TermOpParams& params) {
    const size_t count = entry.Count;
    FillParams(params, entry.Bias);
    size_t k = 0;
    for (size_t i = 0;; ++i, ++k) {
        const size_t begin = k;
        uint32_t value = 0;
        uint8_t c = 0;
        for (; k < n; ++k) {
            c = static_cast<uint8_t>(from[k] & mask);
            text[k] = c;
            const uint32_t digit = static_cast<uint32_t>(c) - '0';
            if (digit > 9) break;
            value = value * 10 + digit;  // exact up to nine digits
        }
        if (k - begin > 9) value = SaturatedDecimal(text + begin, k - begin);
        // A number left empty reads as 0 after a separator, else as the bias.
        if (i < count && (k > begin || i > 0)) params[i] = static_cast<int32_t>(value);
        if (k == n) break;
        if (c != ';') return false;
    }
    op = entry.Op;
    return true;
}

// The states in which an ESC means something else than the start of a
// sequence, or the buffer is read differently, are left to the byte path;
// so is anything but ESC [ and at least a final byte, within the buffer's room.
inline bool WholeSequenceReadable(const uint8_t* waiting, size_t waitingLength, uint8_t mask) {
    const EmulatorStateData& st = EmulatorState;
    const TermFamilyTable* family = st.CurrentTermFamily;
    return family != nullptr && st.TwoStepState == 0 && !st.C332Mode &&
           st.GL != commands::kGSetControlsShown && st.GL != commands::kGSetOemControlsShown &&
           waitingLength >= 2 && waitingLength < kSeqBufferSize && (waiting[0] & mask) == '[' &&
           family->ControlOps[0x1B] == kTermOpSequence;
}

}  // namespace recogniser_detail

// DecodeRememberedDigitsSequence below, by way of the current family's
// index, which it makes the one RememberedDigits shows; the only way for
// entries whose lists are not plain.
bool DecodeDigitsSequenceThroughIndex(const uint8_t* waiting, size_t waitingLength, uint8_t mask,
                                      uint8_t* text, TermOp& op, TermOpParams& params);

// A whole control sequence ESC [ <digits and separators> <final> held
// outside SeqBuffer, with SeqBuffer empty: waiting is what follows the ESC,
// each byte to be ANDed with mask as the byte reader would. True, with the
// operation and parameters DecodeHostSequence would give it and the
// sequence's bytes in text (room for kSeqBufferSize), when the current family
// has already matched such a sequence with that final byte; false, with
// nothing changed but params and text, when DecodeHostSequence has to look
// at it.
[[gnu::always_inline]] inline bool DecodeRememberedDigitsSequence(const uint8_t* waiting,
                                                                  size_t waitingLength,
                                                                  uint8_t mask, uint8_t* text,
                                                                  TermOp& op,
                                                                  TermOpParams& params) {
    const RememberedDigitsTable& table = *RememberedDigits;
    if (table.Family != EmulatorState.CurrentTermFamily)
        return DecodeDigitsSequenceThroughIndex(waiting, waitingLength, mask, text, op, params);
    if (!recogniser_detail::WholeSequenceReadable(waiting, waitingLength, mask)) return false;
    const auto last = static_cast<uint8_t>(waiting[waitingLength - 1] & mask);
    // An entry is remembered only in a usable index of a CSI family, for a
    // final byte (never an intermediate one) that no entry spells digits or
    // separators for.
    const RememberedDigitsEntry& entry = table.ByFinal[last][waitingLength > 2 ? 1 : 0];
    if (entry.Entry == 0 || !EmulatorState.CsiFinals.Has(last)) return false;
    if (!entry.PlainList)
        return DecodeDigitsSequenceThroughIndex(waiting, waitingLength, mask, text, op, params);
    text[0] = 0x1B;
    text[1] = '[';
    text[waitingLength] = last;
    return recogniser_detail::ReadPlainList(waiting + 1, waitingLength - 2, mask, entry, text + 2,
                                            op, params);
}
// Builds CsiFinals, OpenFinals and FirstEntry of EmulatorState and the
// candidate lists for the current family. SetTerminalType calls it.
void BuildRecogniserIndexes();

// Empties SeqBuffer and ends a pending two-step state.
void ResetRecogniser();

}  // namespace emulation
