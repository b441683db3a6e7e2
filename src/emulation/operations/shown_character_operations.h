#pragma once
// The terminal operations that show bytes as characters instead of acting on
// them (a shown DLE or ESC, a character given by its number or by a T160E or
// CCCII code), and those that hand the bytes of their sequence back to be
// read again as received data.

#include <cstdint>
#include <span>

#include "emulation/operations/screen_operations.h"

namespace emulation {

// The passthrough printer of a program without one: starts nothing.
bool NoPassthroughPrinter(uint8_t mode, std::span<const uint8_t> startData);

// What these operations need from units they do not own.
struct ShownCharacterOperationHooks {
    // Starts passthrough printing in mode (0: the copier ends it at the
    // family's end sequence) with startData as the first bytes the printer
    // gets; false when no printing started, and the bytes are read again as data.
    bool (*StartPassthroughPrint)(uint8_t mode,
                                  std::span<const uint8_t> startData) = NoPassthroughPrinter;
};

struct ShownCharacterOperationsState {
    ShownCharacterOperationHooks Hooks;
};
extern ShownCharacterOperationsState ShownCharacterOperations;

// Hands bytes of the sequence just recognised back to the receive loop, which
// reads them again as received data before what follows them.
void ReadAgainAsData(std::span<const uint8_t> bytes);

// The operations of this unit with their codes.
std::span<const TermOpBinding> ShownCharacterOperationBindings();
// Registers every binding with the executor.
void RegisterShownCharacterOperations();

}  // namespace emulation
