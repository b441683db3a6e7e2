#pragma once
// Feeds a byte stream to the recogniser the way the executor collects
// sequences (one byte at a time into SeqBuffer, ESC read-ahead, the buffer
// limit, the put-backs that start two-step states), running the fast and the
// reference recogniser on the same state and comparing their answers.
// Shared by the fuzz target and the unit tests.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "commands/settings_record.h"
#include "emulation/parser/recogniser.h"
#include "emulation/types/term_types.h"

namespace recogniser_driver {

using emulation::RecogniseStatus;
using emulation::TermOp;
using emulation::TermOpParams;

// The rest of the stream is what is "waiting" on the connection.
class StreamSource final : public emulation::RecogniserSource {
  public:
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
    uint16_t width = 80;

    bool ReadWaitingByte(bool sevenBit, bool skipNul, uint8_t& byte) override {
        while (pos < size) {
            byte = data[pos++];
            if (sevenBit) byte &= 0x7F;
            if (byte != 0 || !skipNul) return true;
        }
        return false;
    }
    uint16_t ScreenWidth() override { return width; }
};

struct Answer {
    RecogniseStatus status;
    TermOp op;
    TermOpParams params;
    emulation::SeqBufferText buffer;
    uint8_t twoStep;
    size_t streamPos;

    bool operator==(const Answer& o) const {
        if (status != o.status || twoStep != o.twoStep || streamPos != o.streamPos ||
            !(buffer == o.buffer))
            return false;
        if (status != RecogniseStatus::Recognised) return true;
        return op == o.op && params == o.params;
    }
};

struct Mismatch {
    bool found = false;
    Answer fast{};
    Answer reference{};
    emulation::SeqBufferText before{};
    uint8_t twoStepBefore = 0;
};

class Driver {
  public:
    explicit Driver(StreamSource& source) : source_(source) {}

    // Runs the whole stream; stops at the first disagreement.
    Mismatch Run() {
        while (!mismatch_.found && source_.pos < source_.size) Feed(source_.data[source_.pos++]);
        return mismatch_;
    }

    size_t recognised = 0;
    size_t sequences = 0;

  private:
    Answer Decode(bool reference) {
        Answer a{};
        a.params = params_;
        TermOp op = 0;
        a.status = reference ? emulation::ReferenceDecodeHostSequence(op, a.params)
                             : emulation::DecodeHostSequence(op, a.params);
        a.op = op;
        a.buffer = emulation::SeqBuffer;
        a.twoStep = emulation::EmulatorState.TwoStepState;
        a.streamPos = source_.pos;
        return a;
    }

    void Feed(uint8_t byte) {
        using emulation::EmulatorState;
        using emulation::SeqBuffer;
        if (SeqBuffer.size() > 139) {
            SeqBuffer.clear();
            return;
        }
        SeqBuffer.push_back(byte);
        if (byte == 0x1B && EmulatorState.GL != 10 && SeqBuffer.size() == 1) {
            uint8_t next;
            const bool eightBit =
                EmulatorState.CurrentTermFamily->EightBit != 0 && !EmulatorState.C332Mode;
            if (!source_.ReadWaitingByte(!eightBit, commands::Settings.IgnoreNul != 0, next))
                return;
            SeqBuffer.push_back(next);
        }

        const emulation::SeqBufferText before = SeqBuffer;
        const uint8_t twoStepBefore = EmulatorState.TwoStepState;
        const size_t posBefore = source_.pos;
        const Answer reference = Decode(true);
        SeqBuffer = before;
        EmulatorState.TwoStepState = twoStepBefore;
        source_.pos = posBefore;
        const Answer fast = Decode(false);
        ++sequences;
        if (!(fast == reference)) {
            mismatch_ = {true, fast, reference, before, twoStepBefore};
            return;
        }
        params_ = fast.params;

        switch (fast.status) {
            case RecogniseStatus::Incomplete:
                return;
            case RecogniseStatus::Discard:
                if (SeqBuffer.size() > 0 && SeqBuffer[SeqBuffer.size() - 1] == 0x1B) {
                    SeqBuffer.clear();
                    SeqBuffer.push_back(0x1B);
                } else {
                    SeqBuffer.clear();
                }
                return;
            case RecogniseStatus::Recognised:
                break;
        }
        ++recognised;
        const emulation::SeqBufferText text = SeqBuffer;
        SeqBuffer.clear();
        const size_t n = text.size();
        const uint8_t beforeFinal = n >= 2 ? text[n - 2] : 0;
        uint8_t state = 0;
        bool putBack = false;
        switch (fast.op) {
            case 222:
                state = 1;
                break;
            case 223:
                state = 2;
                break;
            case 224:
                state = 3;
                break;
            case 246:
                state = 4;
                break;
            case 247:
                state = 5;
                break;
            case 261:
                if (beforeFinal == '$') state = 6;
                break;
            case 141:
                if (beforeFinal == '$' && fast.params[0] == 1) state = 7;
                break;
            case 109:
                putBack = fast.params[0] > 0x20 && n > 2;
                break;
            case 188:
                SeqBuffer.push_back(0x1B);
                break;
            default:
                break;
        }
        if (state != 0 || putBack) {
            SeqBuffer = text;
            EmulatorState.TwoStepState = state;
        }
    }

    StreamSource& source_;
    TermOpParams params_{};
    Mismatch mismatch_{};
};

}  // namespace recogniser_driver
