#pragma once
// The sequence recogniser: turns the bytes collected in SeqBuffer into one
// terminal operation with up to ten parameters, using the current family's
// tables only.

#include <array>
#include <cstddef>
#include <cstdint>

#include "emulation/family_tables.h"

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

// A whole control sequence ESC [ <digits and separators> <final> held
// outside SeqBuffer, with SeqBuffer empty: waiting is what follows the ESC,
// each byte to be ANDed with mask as the byte reader would. True, with the
// operation and parameters DecodeHostSequence would give it and the
// sequence's bytes in text (room for kSeqBufferSize), when the current family
// has already matched such a sequence with that final byte; false, with
// nothing changed but params and text, when DecodeHostSequence has to look
// at it.
bool DecodeRememberedDigitsSequence(const uint8_t* waiting, size_t waitingLength, uint8_t mask,
                                    uint8_t* text, TermOp& op, TermOpParams& params);
// Builds CsiFinals, OpenFinals and FirstEntry of EmulatorState and the
// candidate lists for the current family. SetTerminalType calls it.
void BuildRecogniserIndexes();

// Empties SeqBuffer and ends a pending two-step state.
void ResetRecogniser();

}  // namespace emulation
