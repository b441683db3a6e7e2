#include "commands/interpreter.h"

#include <algorithm>
#include <limits>

#include "commands/command_handlers.h"

namespace commands {

InterpreterState Interpreter;
void ResetInterpreter() {
    Interpreter = InterpreterState{};
}

namespace {

bool NoErrorKeyDefined() {
    return false;
}
int CursorHome() {
    return 1;
}

constexpr InterpreterServices DefaultInterpreterHooks{
    .RunErrorKeyMacro = NoErrorKeyDefined,
    .CursorColumn = CursorHome,
    .CursorRow = CursorHome,
};

constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

int32_t ClampToInt32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Digits from position on as a magnitude that stops growing at 2^31, so
// that hostile runs of digits cannot overflow.
int64_t ReadDigits(const std::string& line, std::size_t& position) {
    int64_t value = 0;
    while (position < line.size() && IsDigit(line[position])) {
        if (value <= std::numeric_limits<int32_t>::max())
            value = value * 10 + (line[position] - '0');
        ++position;
    }
    return value;
}

NumberWord ParseNumberWordIn(std::string_view word, bool wide) {
    std::size_t i = 0;
    while (i < word.size() && word[i] == ' ') ++i;
    bool hasSign = false;
    bool negative = false;
    if (i < word.size() && (word[i] == '-' || word[i] == '+')) {
        hasSign = true;
        negative = word[i] == '-';
        ++i;
    }
    bool hex = false;
    if (!hasSign || wide) {
        if (i < word.size() && word[i] == '$') {
            hex = true;
            i += 1;
        } else if (i + 1 < word.size() && word[i] == '0' &&
                   (word[i + 1] == 'x' || word[i + 1] == 'X')) {
            hex = true;
            i += 2;
        } else if (!wide && i < word.size() && (word[i] == 'x' || word[i] == 'X')) {
            hex = true;
            i += 1;
        }
    }

    // The largest magnitude the form takes: decimal values must fit the
    // signed range (one more below zero), hexadecimal values the bits.
    uint64_t limit;
    if (hex)
        limit = wide ? std::numeric_limits<uint64_t>::max() : std::numeric_limits<uint32_t>::max();
    else if (wide)
        limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
    else
        limit = negative ? uint64_t{1} << 31 : (uint64_t{1} << 31) - 1;
    const uint64_t base = hex ? 16 : 10;

    uint64_t magnitude = 0;
    bool anyDigit = false;
    bool ok = true;
    for (; i < word.size(); ++i) {
        const int digit = hex ? HexDigitValue(word[i]) : (IsDigit(word[i]) ? word[i] - '0' : -1);
        if (digit < 0 || magnitude > (limit - static_cast<uint64_t>(digit)) / base) {
            ok = false;
            break;
        }
        magnitude = magnitude * base + static_cast<uint64_t>(digit);
        anyDigit = true;
    }
    NumberWord result;
    result.Ok = ok && anyDigit;
    const uint64_t value = result.Ok && negative ? uint64_t{0} - magnitude : magnitude;
    // Conversion to the signed 32-bit value keeps the low 32 bits.
    result.Value = static_cast<int32_t>(static_cast<uint32_t>(value));
    return result;
}

// Undoes the nesting count however the call ends.
struct NestingLevel {
    NestingLevel() { ++Interpreter.Depth; }
    ~NestingLevel() { --Interpreter.Depth; }
    NestingLevel(const NestingLevel&) = delete;
    NestingLevel& operator=(const NestingLevel&) = delete;
};

}  // namespace

InterpreterServices InterpreterHooks = DefaultInterpreterHooks;
void ResetInterpreterHooks() {
    InterpreterHooks = DefaultInterpreterHooks;
}

NumberWord ParseNumberWord(std::string_view word) {
    return ParseNumberWordIn(word, false);
}
NumberWord ParseNumberWord64(std::string_view word) {
    return ParseNumberWordIn(word, true);
}

void UpperCaseAscii(std::string& text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
}

FunctionCall::FunctionCall(std::string_view line, uint16_t defineKey)
    : Line(line), DefineKey(defineKey) {}

void FunctionCall::SkipBlanks() {
    while (Position < Line.size() && Line[Position] == ' ') ++Position;
}

std::string FunctionCall::NextToken() {
    SkipBlanks();
    std::size_t start = Position;
    std::size_t end;
    if (Position < Line.size() && Line[Position] == '"') {
        start = Position + 1;
        end = Line.find('"', start);
        if (end == std::string::npos) end = Line.size();
        Position = std::min(end + 1, Line.size());
    } else {
        end = Line.find(' ', start);
        if (end == std::string::npos) end = Line.size();
        Position = end;
    }
    return Line.substr(start, std::min(end - start, MaxTokenLength));
}

std::string FunctionCall::RestOfLine(std::size_t maxLength) const {
    if (Position >= Line.size()) return {};
    return Line.substr(Position, maxLength);
}

void FunctionCall::ParseSwitch(uint8_t& flag) {
    const std::string word = NextToken();
    if (word == "OFF" || word == "OF")
        flag = 0;
    else if (word.empty() || word == "ON")
        flag = 1;
    else if (IsAbbreviation(word, "TOGGLE") || IsAbbreviation(word, "SWITCH"))
        flag = flag == 0 ? 1 : 0;
    else
        Succeeded = false;
}

int32_t FunctionCall::ParseIntAt() {
    bool negative = false;
    while (Position < Line.size() && !IsDigit(Line[Position])) {
        if (Line[Position] == '-') negative = true;
        ++Position;
    }
    const int64_t magnitude = ReadDigits(Line, Position);
    return ClampToInt32(negative ? -magnitude : magnitude);
}

bool FunctionCall::ParseCoordinates(CellRectangle& rectangle) {
    int32_t* const values[4] = {&rectangle.FirstColumn, &rectangle.LastColumn, &rectangle.FirstRow,
                                &rectangle.LastRow};
    for (int n = 0; n < 4; ++n) {
        SkipBlanks();
        if (AtEnd()) return false;
        if (Line[Position] == '.') {
            // Relative: the digits (with an optional sign) right after the
            // point are the offset, and a point alone is the cursor itself.
            ++Position;
            bool negative = false;
            if (Position + 1 < Line.size() && (Line[Position] == '-' || Line[Position] == '+') &&
                IsDigit(Line[Position + 1])) {
                negative = Line[Position] == '-';
                ++Position;
            }
            const int64_t offset = ReadDigits(Line, Position);
            const int base = n < 2 ? InterpreterHooks.CursorColumn() : InterpreterHooks.CursorRow();
            *values[n] = ClampToInt32(base + (negative ? -offset : offset));
        } else {
            const std::size_t start = Position;
            bool found = false;
            bool negative = false;
            while (Position < Line.size() && !(found = IsDigit(Line[Position]))) {
                if (Line[Position] == '-') negative = true;
                ++Position;
            }
            if (!found) {
                Position = start;
                return false;
            }
            const int64_t magnitude = ReadDigits(Line, Position);
            *values[n] = ClampToInt32(negative ? -magnitude : magnitude);
        }
    }
    return true;
}

bool FunctionCall::DivertToErrorKey() {
    if (!InterpreterHooks.RunErrorKeyMacro()) return false;
    Status = FunctionErrorKeyStarted;
    return true;
}

void FunctionCall::SetReply(std::string_view text) {
    Reply = text;
    ReplySet = true;
}

FunctionStatus FunctionCall::RunResultCommand(std::string_view text) {
    const FunctionStatus status = ExecuteFunction(text, 0);
    Code = Interpreter.CurrentFunction;
    Succeeded = Interpreter.FunctionSucceeded;
    // The result command has given (or left) the reply; this call's own
    // reply must not replace it when this call ends.
    ReplySet = false;
    return status;
}

FunctionStatus ExecuteFunction(std::string_view line, uint16_t defineKey) {
    Interpreter.FunctionSucceeded = false;
    FunctionCall call(line, defineKey);
    std::string word = call.NextToken();
    UpperCaseAscii(word);
    const int index = LookupFunction(word);
    Interpreter.CurrentFunction = index;
    if (word.empty()) {
        Interpreter.FunctionSucceeded = true;
        return FunctionOk;
    }
    if (index == NoFunction) return FunctionUnknown;

    const FunctionEntry& entry = FunctionTable[static_cast<std::size_t>(index)];
    call.Code = entry.Code;
    Interpreter.CurrentFunction = call.Code;
    if (Interpreter.Depth >= MaxFunctionNesting) return FunctionBadArgument;

    if (entry.UpperCaseArgs) UpperCaseAscii(call.Line);
    call.Succeeded = true;
    call.Status = FunctionOk;
    Interpreter.FunctionSucceeded = true;
    {
        NestingLevel level;
        CommandHandler handler = CommandHandlers.ByCode[static_cast<std::size_t>(call.Code)];
        (handler ? handler : CommandNotBuiltYet)(call);
    }

    // Hand this call's outcome to the globals last, over whatever commands
    // that ran inside it left there.
    Interpreter.CurrentFunction = call.Code;
    Interpreter.FunctionSucceeded = call.Succeeded;
    if (call.ReplySet) Interpreter.FunctionReply = call.Reply.View();
    return call.Status;
}

}  // namespace commands
