#pragma once
// The terminal operations that reset the terminal and clear it whole, erase
// and tab around protected fields, insert and delete lines of the unprotected
// area, switch the host's status line, and leave graphics and sixel data.

#include <span>

#include "emulation/operations/screen_operations.h"

namespace emulation {

// What these operations need from units they do not own; an empty entry
// does the least, as its comment says.
// Until the status line's unit arrives there is no title line to rebuild.
void NoTitleLineRebuild();

struct FieldAndResetHooks {
    // Builds the status line's title text anew; empty: the title is kept.
    void (*RebuildTitleLine)() = NoTitleLineRebuild;
};

struct FieldAndResetOperationsState {
    FieldAndResetHooks Hooks;
};
extern FieldAndResetOperationsState FieldAndResetOperations;

// The operations of this unit with their codes.
std::span<const TermOpBinding> FieldAndResetOperationBindings();
// Registers every binding with the executor.
void RegisterFieldAndResetOperations();

}  // namespace emulation
