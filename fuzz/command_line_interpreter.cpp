// Arbitrary command text through the interpreter with the built-in command
// handlers, and through the argument scanners that commands use on it.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "commands/command_handlers.h"
#include "commands/interpreter.h"

using namespace commands;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);

    // Commands that do their work may fail with any status of their own;
    // what must hold is that the interpreter comes back whole.
    (void)ExecuteFunction(line);
    if (Interpreter.Depth != 0) __builtin_trap();
    if (Interpreter.CurrentFunction < 0 || Interpreter.CurrentFunction > NoFunction)
        __builtin_trap();

    FunctionCall call(line);
    while (!call.AtEnd()) {
        const std::size_t before = call.Position;
        if (call.NextToken().size() > MaxTokenLength) __builtin_trap();
        if (call.Position <= before || call.Position > call.Line.size()) __builtin_trap();
    }

    FunctionCall numbers(line);
    CellRectangle rectangle;
    numbers.ParseCoordinates(rectangle);
    numbers.ParseIntAt();
    uint8_t flag = 0;
    numbers.ParseSwitch(flag);
    if (numbers.RestOfLine().size() > MaxTokenLength) __builtin_trap();
    ParseNumberWord(line);
    ParseNumberWord64(line);
    return 0;
}
