#include "commands/interpreter.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "commands/command_handlers.h"

namespace commands {
namespace {

// What the last command saw when it ran.
struct Seen {
    int Runs = 0;
    int32_t Code = 0;
    std::string Line;
    std::size_t Position = 0;
    uint16_t DefineKey = 0;
};
Seen LastRun;

void RecordRun(FunctionCall& call) {
    ++LastRun.Runs;
    LastRun.Code = call.Code;
    LastRun.Line = call.Line;
    LastRun.Position = call.Position;
    LastRun.DefineKey = call.DefineKey;
}

int ErrorKeyMacrosStarted = 0;
bool StartErrorKeyMacro() {
    ++ErrorKeyMacrosStarted;
    return true;
}
int CursorColumn10() {
    return 10;
}
int CursorRow5() {
    return 5;
}

class InterpreterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetAll();
        CommandHandlers.ByCode.fill(RecordRun);
    }
    void TearDown() override { ResetAll(); }
    static void ResetAll() {
        ResetInterpreter();
        ResetInterpreterHooks();
        ResetCommandHandlers();
        LastRun = {};
        ErrorKeyMacrosStarted = 0;
    }
    static void Handle(std::string_view name, CommandHandler handler) {
        CommandHandlers.ByCode[static_cast<std::size_t>(
            FunctionTable[static_cast<std::size_t>(LookupFunction(name))].Code)] = handler;
    }
};

TEST_F(InterpreterTest, LooksUpTheCommandWordAndRunsItsCommand) {
    struct Case {
        std::string line;
        FunctionStatus status;
        int32_t current;           // CurrentFunction afterwards
        std::string seenLine;      // the line the command got; empty: nothing ran
        std::size_t seenPosition;  // the scan position it started from
    };
    const std::string longWord = "BEEP" + std::string(300, 'X');
    const std::vector<Case> cases = {
        {"", 0, NoFunction, "", 0},
        {"   ", 0, NoFunction, "", 0},
        // The word is upper-cased for the lookup; BEEP upper-cases its line.
        {"beep on", 0, 2, "BEEP ON", 4},
        {"BM", FunctionUnknown, NoFunction, "", 0},
        {"BMP", 0, 161, "BMP", 3},
        {"BMP-W 1", 0, 164, "BMP-W 1", 5},
        {"bmp-a", 0, 162, "BMP-A", 5},
        {"ZZZ", FunctionUnknown, NoFunction, "", 0},
        {"~", FunctionUnknown, NoFunction, "", 0},
        {"\"BEEP\" OFF", 0, 2, "\"BEEP\" OFF", 6},
        {"  E", 0, 17, "  E", 3},
        {"CLOSEI", 0, 6, "CLOSEI", 6},
        {"RU", FunctionUnknown, NoFunction, "", 0},
        // RUN keeps its line as typed.
        {"run prog.exe", 0, 60, "run prog.exe", 3},
        {"send \"Hi there\"", 0, 119, "send \"Hi there\"", 4},
        {"LOGOU", 0, 251, "LOGOU", 5},
        {"DA", FunctionUnknown, NoFunction, "", 0},
        // Tabs are not blanks; NUL and non-ASCII bytes belong to the word.
        {"\tBEEP", FunctionUnknown, NoFunction, "", 0},
        {std::string("BEEP\0ON", 7), FunctionUnknown, NoFunction, "", 0},
        {"b\xC3\xA9\x65p", FunctionUnknown, NoFunction, "", 0},
        {longWord, FunctionUnknown, NoFunction, "", 0},
    };
    for (const Case& c : cases) {
        LastRun = {};
        Interpreter.FunctionSucceeded = false;
        EXPECT_EQ(ExecuteFunction(c.line), c.status) << c.line;
        EXPECT_EQ(Interpreter.FunctionSucceeded, c.status == 0) << c.line;
        EXPECT_EQ(Interpreter.CurrentFunction, c.current) << c.line;
        EXPECT_EQ(LastRun.Runs, c.seenLine.empty() ? 0 : 1) << c.line;
        EXPECT_EQ(LastRun.Line, c.seenLine) << c.line;
        EXPECT_EQ(LastRun.Position, c.seenPosition) << c.line;
    }
}

TEST_F(InterpreterTest, CommandsNotBuiltYetFailWithStatusZero) {
    ResetCommandHandlers();
    Interpreter.FunctionReply = "kept";
    // A word that is accepted but only reports failure fails the same way.
    EXPECT_EQ(ExecuteFunction("DATE"), FunctionOk);
    EXPECT_FALSE(Interpreter.FunctionSucceeded);
    EXPECT_EQ(Interpreter.CurrentFunction, 80);
    EXPECT_EQ(Interpreter.FunctionReply.View(), "kept");
}

TEST_F(InterpreterTest, DefineKeyReachesTheCommand) {
    ExecuteFunction("DEFINE x text", 0x1E9);
    EXPECT_EQ(LastRun.Code, 12);
    EXPECT_EQ(LastRun.DefineKey, 0x1E9);
}

TEST_F(InterpreterTest, NextTokenSplitsAtBlanksAndQuotes) {
    struct Case {
        std::string line;
        std::vector<std::string> tokens;  // followed by an empty token
    };
    const std::vector<Case> cases = {
        {"a \"b c\" d", {"a", "b c", "d"}},
        {"\"abc", {"abc"}},
        {"  a   b  ", {"a", "b"}},
        {"a\tb c", {"a\tb", "c"}},
        {"\"\" x", {"", "x"}},
        {"x\"y z\"", {"x\"y", "z\""}},
        {std::string("a\0b c", 5), {std::string("a\0b", 3), "c"}},
        {std::string(300, 'X') + " Y", {std::string(255, 'X'), "Y"}},
        {"\"" + std::string(300, 'Q') + "\" Z", {std::string(255, 'Q'), "Z"}},
    };
    for (const Case& c : cases) {
        FunctionCall call(c.line);
        for (const std::string& token : c.tokens) EXPECT_EQ(call.NextToken(), token) << c.line;
        EXPECT_EQ(call.NextToken(), "") << c.line;
        EXPECT_TRUE(call.AtEnd()) << c.line;
        EXPECT_EQ(call.NextToken(), "") << c.line;
    }
}

TEST_F(InterpreterTest, RestOfLineIsCutAndSafeAtTheEnd) {
    FunctionCall call("CMD " + std::string(400, 'r'));
    call.Position = 3;
    EXPECT_EQ(call.RestOfLine(), " " + std::string(254, 'r'));
    EXPECT_EQ(call.RestOfLine(1000).size(), 401u);
    call.Position = 10000;
    EXPECT_EQ(call.RestOfLine(), "");
}

TEST_F(InterpreterTest, ParseSwitchReadsOnOffToggle) {
    struct Case {
        std::string word;
        uint8_t before;
        uint8_t after;
        bool succeeded;
    };
    const std::vector<Case> cases = {
        {"", 0, 1, true},       {"ON", 0, 1, true},       {"OFF", 1, 0, true},
        {"OF", 1, 0, true},     {"O", 1, 1, false},       {"T", 0, 1, true},
        {"TOG", 1, 0, true},    {"TOGGLE", 0, 1, true},   {"S", 1, 0, true},
        {"SWITCH", 0, 1, true}, {"TOGGLES", 0, 0, false}, {"on", 0, 0, false},
        {"ONX", 1, 1, false},   {"\"ON\"", 0, 1, true},   {"T", 2, 0, true},
    };
    for (const Case& c : cases) {
        FunctionCall call(c.word);
        call.Succeeded = true;
        uint8_t flag = c.before;
        call.ParseSwitch(flag);
        EXPECT_EQ(flag, c.after) << c.word;
        EXPECT_EQ(call.Succeeded, c.succeeded) << c.word;
    }
}

TEST_F(InterpreterTest, ParseNumberWordForms) {
    struct Case {
        std::string word;
        int32_t value;
        bool ok;
    };
    const std::vector<Case> cases = {
        {"0", 0, true},
        {"123", 123, true},
        {"-123", -123, true},
        {"+7", 7, true},
        {"  42", 42, true},
        {"42 ", 42, false},
        {"", 0, false},
        {"   ", 0, false},
        {"-", 0, false},
        {"12a", 12, false},
        {"-12a", 12, false},
        {"1.5", 1, false},
        {"2147483647", INT_MAX, true},
        {"2147483648", 214748364, false},
        {"-2147483648", INT_MIN, true},
        {"-2147483649", 214748364, false},
        {"99999999999999999999999", 999999999, false},
        {"$FF", 255, true},
        {"xff", 255, true},
        {"X10", 16, true},
        {"0x7fffffff", INT_MAX, true},
        {"0XFFFFFFFF", -1, true},
        {"$00000000FF", 255, true},
        {"$100000000", 0x10000000, false},
        {"-$5", 0, false},
        {"$", 0, false},
        {"0x", 0, false},
        {"$1G", 1, false},
    };
    for (const Case& c : cases) {
        const NumberWord n = ParseNumberWord(c.word);
        EXPECT_EQ(n.Value, c.value) << c.word;
        EXPECT_EQ(n.Ok, c.ok) << c.word;
    }

    const std::vector<Case> wideCases = {
        {"-$10", -16, true},
        {"-0x10", -16, true},
        {"x10", 0, false},
        {"4294967297", 1, true},
        {"0x100000000", 0, true},
        {"-1", -1, true},
        {"9223372036854775807", -1, true},
        {"9223372036854775808", static_cast<int32_t>(0xCCCCCCCC), false},
        {"-9223372036854775808", 0, true},
        {"$FFFFFFFFFFFFFFFF", -1, true},
        {"$10000000000000000", 0, false},
        {"2x", 2, false},
    };
    for (const Case& c : wideCases) {
        const NumberWord n = ParseNumberWord64(c.word);
        EXPECT_EQ(n.Value, c.value) << c.word;
        EXPECT_EQ(n.Ok, c.ok) << c.word;
    }
}

TEST_F(InterpreterTest, ParseIntAtSkipsToDigitsAndClamps) {
    FunctionCall call("ab-c12 34x 99999999999999 -99999999999999 end");
    EXPECT_EQ(call.ParseIntAt(), -12);
    EXPECT_EQ(call.ParseIntAt(), 34);
    EXPECT_EQ(call.ParseIntAt(), INT_MAX);
    EXPECT_EQ(call.ParseIntAt(), INT_MIN);
    EXPECT_EQ(call.ParseIntAt(), 0);
    EXPECT_TRUE(call.AtEnd());
}

TEST_F(InterpreterTest, ParseCoordinatesReadsFourNumbersRelativeToTheCursor) {
    InterpreterHooks.CursorColumn = CursorColumn10;
    InterpreterHooks.CursorRow = CursorRow5;
    struct Case {
        std::string text;
        bool ok;
        CellRectangle rectangle;
        std::string next;  // the token after the rectangle
    };
    const std::vector<Case> cases = {
        {"1 80 2 24", true, {1, 80, 2, 24}, ""},
        {". .5 .-1 .", true, {10, 15, 4, 5}, ""},
        {". .+5 1 .", true, {10, 15, 1, 5}, ""},
        {"  1 2 3 4 DOUBLE", true, {1, 2, 3, 4}, "DOUBLE"},
        {"1 10", false, {1, 10, 0, 0}, ""},
        {"", false, {}, ""},
        {"1 2 3 x", false, {1, 2, 3, 0}, "x"},
        {"1 2 3 99999999999", true, {1, 2, 3, INT_MAX}, ""},
    };
    for (const Case& c : cases) {
        FunctionCall call(c.text);
        CellRectangle r;
        EXPECT_EQ(call.ParseCoordinates(r), c.ok) << c.text;
        EXPECT_EQ(r.FirstColumn, c.rectangle.FirstColumn) << c.text;
        EXPECT_EQ(r.LastColumn, c.rectangle.LastColumn) << c.text;
        EXPECT_EQ(r.FirstRow, c.rectangle.FirstRow) << c.text;
        EXPECT_EQ(r.LastRow, c.rectangle.LastRow) << c.text;
        EXPECT_EQ(call.NextToken(), c.next) << c.text;
    }
}

// A command whose resource fails: the error-key macro, else status 3.
void FailingOpen(FunctionCall& call) {
    if (call.DivertToErrorKey()) return;
    call.Succeeded = false;
    call.Status = FunctionBadArgument;
}

TEST_F(InterpreterTest, FailureDivertsToTheErrorKeyMacroWhenThereIsOne) {
    Handle("CAPTURE", FailingOpen);
    EXPECT_EQ(ExecuteFunction("CAPTURE x"), FunctionBadArgument);
    EXPECT_FALSE(Interpreter.FunctionSucceeded);
    EXPECT_EQ(ErrorKeyMacrosStarted, 0);

    InterpreterHooks.RunErrorKeyMacro = StartErrorKeyMacro;
    EXPECT_EQ(ExecuteFunction("CAPTURE x"), FunctionErrorKeyStarted);
    EXPECT_TRUE(Interpreter.FunctionSucceeded);
    EXPECT_EQ(ErrorKeyMacrosStarted, 1);
}

void MkdirReply(FunctionCall& call) {
    call.SetReplyStatus(call.NextToken() == "GOOD");
}
void LongReply(FunctionCall& call) {
    call.SetReply(std::string(300, 'v'));
}

TEST_F(InterpreterTest, ReplyFormsAnswerInFunctionReply) {
    Handle("MKDIR/S", MkdirReply);
    Handle("VERSION/S", LongReply);
    EXPECT_EQ(ExecuteFunction("mkdir/s good"), FunctionOk);
    EXPECT_EQ(Interpreter.FunctionReply.View(), "00");
    EXPECT_EQ(ExecuteFunction("MKDIR/S bad"), FunctionOk);
    EXPECT_EQ(Interpreter.FunctionReply.View(), "01");
    EXPECT_TRUE(Interpreter.FunctionSucceeded);

    // A command without a reply leaves an unsent one; the next reply replaces it.
    ExecuteFunction("BEEP");
    EXPECT_EQ(Interpreter.FunctionReply.View(), "01");
    ExecuteFunction("VERSION/S");
    EXPECT_EQ(Interpreter.FunctionReply.View(), std::string(255, 'v'));
}

// A command that waits while the host's command string runs from its message
// pump. The host's command changes the text the outer line came from, fails
// and replies; the outer command must still see its own line, code and
// outcome, and its caller must get them.
std::string QueuedCommand;
struct NestedOutcome {
    FunctionStatus status = 0;
    int32_t current = 0;
    bool succeeded = true;
    std::string reply;
} Nested;
std::vector<std::string> OuterTokens;
int32_t OuterCodeAfterWait = 0;
bool OuterSucceededAfterWait = false;
bool OuterReplies = true;

void HostVersionReply(FunctionCall& call) {
    call.SetReply("9.9");
    call.Succeeded = false;
}

void WaitingCalc(FunctionCall& call) {
    OuterTokens.push_back(call.NextToken());
    QueuedCommand = "version/s";
    Nested.status = ExecuteFunction(QueuedCommand);
    Nested.current = Interpreter.CurrentFunction;
    Nested.succeeded = Interpreter.FunctionSucceeded;
    Nested.reply = Interpreter.FunctionReply.Str();
    ExecuteFunction("no such command");
    OuterTokens.push_back(call.NextToken());
    OuterCodeAfterWait = call.Code;
    OuterSucceededAfterWait = call.Succeeded;
    if (OuterReplies) call.SetReply("outer");
    call.Succeeded = false;
    call.Status = FunctionBadArgument;
}

TEST_F(InterpreterTest, ACommandRunDuringAnotherDoesNotDisturbIt) {
    Handle("VERSION/S", HostVersionReply);
    Handle("CALC", WaitingCalc);
    for (bool outerReplies : {true, false}) {
        OuterReplies = outerReplies;
        OuterTokens.clear();
        Interpreter.FunctionReply = "";
        QueuedCommand = "calc first second";
        EXPECT_EQ(ExecuteFunction(QueuedCommand), FunctionBadArgument);

        // Inside: the host's caller saw the host's command's outcome.
        EXPECT_EQ(Nested.status, FunctionOk);
        EXPECT_EQ(Nested.current, 69);
        EXPECT_FALSE(Nested.succeeded);
        EXPECT_EQ(Nested.reply, "9.9");
        // The waiting command kept its arguments and state.
        EXPECT_EQ(OuterTokens, (std::vector<std::string>{"FIRST", "SECOND"}));
        EXPECT_EQ(OuterCodeAfterWait, FunctionCodeCalc);
        EXPECT_TRUE(OuterSucceededAfterWait);
        // Its caller sees its outcome.
        EXPECT_EQ(Interpreter.CurrentFunction, FunctionCodeCalc);
        EXPECT_FALSE(Interpreter.FunctionSucceeded);
        EXPECT_EQ(Interpreter.FunctionReply.View(), outerReplies ? "outer" : "9.9");
        EXPECT_EQ(Interpreter.Depth, 0);
    }
}

std::string ScriptResult;
void ScriptRunsItsResult(FunctionCall& call) {
    call.SetReply("script's own");
    call.RunResultCommand(ScriptResult);
}

TEST_F(InterpreterTest, AScriptResultCommandGivesTheOutcome) {
    Handle("SCRIPT", ScriptRunsItsResult);
    Handle("MKDIR/S", MkdirReply);
    ScriptResult = "mkdir/s bad";
    EXPECT_EQ(ExecuteFunction("SCRIPT x"), FunctionOk);
    EXPECT_EQ(Interpreter.CurrentFunction, 143);
    EXPECT_TRUE(Interpreter.FunctionSucceeded);
    EXPECT_EQ(Interpreter.FunctionReply.View(), "01");

    // The unknown word's failure is the script's; its status is not passed on.
    ScriptResult = "nonsense";
    EXPECT_EQ(ExecuteFunction("SCRIPT x"), FunctionOk);
    EXPECT_EQ(Interpreter.CurrentFunction, NoFunction);
    EXPECT_FALSE(Interpreter.FunctionSucceeded);
}

int Deepest = 0;
FunctionStatus InnermostStatus = 0;
void CallsItself(FunctionCall& call) {
    Deepest = std::max(Deepest, Interpreter.Depth);
    const FunctionStatus status = ExecuteFunction(call.Line);
    if (status != FunctionOk) InnermostStatus = status;
}

TEST_F(InterpreterTest, EndlessNestingStopsAtTheLimit) {
    Handle("CALL", CallsItself);
    EXPECT_EQ(ExecuteFunction("CALL A"), FunctionOk);
    EXPECT_EQ(Deepest, MaxFunctionNesting);
    EXPECT_EQ(InnermostStatus, FunctionBadArgument);
    EXPECT_EQ(Interpreter.Depth, 0);
    EXPECT_EQ(Interpreter.CurrentFunction, 118);
}

TEST_F(InterpreterTest, HostileLinesStayInBounds) {
    // A long line reaches the command whole (some commands take the rest of
    // the line without a limit); only tokens are cut.
    const std::string payload(1 << 20, 'x');
    EXPECT_EQ(ExecuteFunction("SCRIPT " + payload), FunctionOk);
    EXPECT_EQ(LastRun.Line.size(), payload.size() + 7);
    EXPECT_EQ(ExecuteFunction(payload), FunctionUnknown);

    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
    for (const std::string& line : {bytes, "BEEP " + bytes, "\"" + bytes, std::string(1000, '"'),
                                    std::string(1000, ' ') + "BEEP", std::string(5, '\0')}) {
        ExecuteFunction(line);
        FunctionCall call(line);
        while (!call.AtEnd()) EXPECT_LE(call.NextToken().size(), MaxTokenLength);
    }
}

}  // namespace
}  // namespace commands
