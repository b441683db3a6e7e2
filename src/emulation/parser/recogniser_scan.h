#pragma once
// Internal to the recogniser: what the common front end hands to a table
// scan, so that the indexed scan and the plain reference scan see the same
// request.

#include <cstddef>
#include <cstdint>

#include "emulation/types/family_tables.h"
#include "emulation/parser/recogniser.h"

namespace emulation::recogniser_detail {

inline constexpr uint8_t kEsc = 0x1B;
inline constexpr uint8_t kDel = 0x7F;

// Parameter and intermediate bytes of a control sequence.
constexpr bool IsIntermediate(uint8_t b) {
    return b >= 0x20 && b <= 0x3F;
}

struct ScanRequest {
    const TermFamilyTable* family;
    const EmulatorStateData* state;
    const uint8_t* bytes;  // SeqBuffer, length bytes
    size_t length;
    uint8_t last;
    uint32_t first;  // 1-based entry to start at
    bool controlSequence;
};

RecogniseStatus ScanReference(const ScanRequest& request, TermOp& op, TermOpParams& params);

}  // namespace emulation::recogniser_detail
