#include "emulation/operations/keyboard_operations.h"

#include <string>

#include "commands/interpreter.h"
#include "console/console_primitives.h"
#include "emulation/input/keys_file.h"
#include "emulation/input/macros.h"
#include "emulation/operations/operation_catalogue.h"

namespace emulation {

void LoadC332KeysOp(TermOp, const TermOpParams&) {
    // A missing file leaves the keys in use as they are; the host gets no
    // answer either way.
    LoadHostKeysFile(C332KeysFileName);
}

void ClearHostKeysOp(TermOp, const TermOpParams&) {
    // What the host defines is temporary (scope 1); the user's permanent
    // definitions stay.
    ClearTemporaryKeys();
}

void ScoColourQueryOp(TermOp, const TermOpParams& p) {
    const console::CellAttribute entry = console::ConsoleLayer.AttrColorMap[p[0] == 0 ? 0 : 4];
    const std::string reply =
        std::to_string(entry & 0x0F) + " " + std::to_string((entry >> 4) & 0x0F);
    commands::Interpreter.FunctionReply = reply;
}

namespace {

constexpr TermOpBinding kBindings[] = {
    {OpLoadC332Keys, LoadC332KeysOp},
    {OpClearHostKeys, ClearHostKeysOp},
    {OpScoColourQuery, ScoColourQueryOp},
};

}  // namespace

std::span<const TermOpBinding> KeyboardOperationBindings() {
    return kBindings;
}

void RegisterKeyboardOperations() {
    for (const TermOpBinding& binding : kBindings) RegisterTermOp(binding.Op, binding.Handler);
}

}  // namespace emulation
