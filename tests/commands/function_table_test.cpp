#include "commands/function_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "commands/command_handlers.h"
#include "commands/interpreter.h"

namespace commands {
namespace {

// What the lookup must amount to: the name itself, else the only name that
// begins with the word.
int ExpectedLookup(const std::string& word) {
    if (word.empty()) return NoFunction;
    int match = NoFunction;
    int count = 0;
    for (int k = 1; k <= FunctionCount; ++k) {
        if (FunctionTable[k].Name == word) return k;
        if (FunctionTable[k].Name.starts_with(word)) {
            match = k;
            ++count;
        }
    }
    return count == 1 ? match : NoFunction;
}

TEST(FunctionTable, HoldsTheNamesInByteOrderBetweenGuards) {
    EXPECT_EQ(FunctionTable.size(), 279u);
    EXPECT_EQ(FunctionTable[0].Name, "");
    EXPECT_EQ(FunctionTable[FunctionCount + 1].Name, "~~~~~~~~~~~~~");
    for (std::size_t k = 1; k < FunctionTable.size(); ++k) {
        const std::string before(FunctionTable[k - 1].Name);
        const std::string name(FunctionTable[k].Name);
        // memcmp order, shorter first on a common beginning.
        const int byBytes =
            std::memcmp(before.data(), name.data(), std::min(before.size(), name.size()));
        EXPECT_TRUE(byBytes < 0 || (byBytes == 0 && before.size() < name.size()))
            << before << " / " << name;
    }
}

TEST(FunctionTable, EveryNameFindsItsOwnEntryAndCode) {
    ResetInterpreter();
    ResetCommandHandlers();
    for (int k = 1; k <= FunctionCount; ++k) {
        const std::string name(FunctionTable[k].Name);
        EXPECT_EQ(LookupFunction(name), k) << name;
        ExecuteFunction(name);
        EXPECT_EQ(Interpreter.CurrentFunction, FunctionTable[k].Code) << name;
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](char c) { return static_cast<char>(std::tolower(c)); });
        EXPECT_NE(ExecuteFunction(lower + " x"), FunctionUnknown) << lower;
        EXPECT_EQ(Interpreter.CurrentFunction, FunctionTable[k].Code) << lower;
    }
}

TEST(FunctionTable, LookupAcceptsExactlyTheNamesAndTheirUniqueBeginnings) {
    std::set<std::string> words;
    for (int k = 1; k <= FunctionCount; ++k) {
        const std::string name(FunctionTable[k].Name);
        for (std::size_t n = 1; n <= name.size(); ++n) words.insert(name.substr(0, n));
        words.insert(name + "X");
        words.insert(name + "/");
        words.insert(name + std::string(1, '\xE9'));
    }
    for (const char* other : {"", "ZZZ", "~", "~~~~~~~~~~~~~", "~~~~~~~~~~~~~~", "\x01", "0", "6",
                              "@", "[", "\xFF", "A\xFF", "_", "-", "/S"})
        words.insert(other);
    for (const std::string& word : words)
        EXPECT_EQ(LookupFunction(word), ExpectedLookup(word)) << word;
}

TEST(FunctionTable, CodesSynonymsAndUpperCaseFlags) {
    std::map<int32_t, std::vector<std::string>> byCode;
    int keptAsTyped = 0;
    for (int k = 1; k <= FunctionCount; ++k) {
        byCode[FunctionTable[k].Code].emplace_back(FunctionTable[k].Name);
        if (!FunctionTable[k].UpperCaseArgs) ++keptAsTyped;
    }
    EXPECT_EQ(keptAsTyped, 92);

    std::set<int32_t> unused;
    for (int32_t code = 1; code <= LastFunctionCode; ++code)
        if (!byCode.contains(code)) unused.insert(code);
    EXPECT_EQ(unused, (std::set<int32_t>{44, 138, 139, 213, 214, 216, 218, 238}));

    std::vector<std::vector<std::string>> shared;
    for (const auto& [code, names] : byCode)
        if (names.size() > 1) shared.push_back(names);
    EXPECT_EQ(shared, (std::vector<std::vector<std::string>>{{"E", "END"},
                                                             {"CD", "LOG"},
                                                             {"REC", "RECEIVE"},
                                                             {"PRINTLINE", "PRINTLN"},
                                                             {"WRITELINE", "WRITELN"},
                                                             {"RZ", "ZRECEIVE"},
                                                             {"SZ", "ZSEND"}}));

    EXPECT_EQ(FunctionCodeCalc, 4);
    EXPECT_EQ(FunctionCodeReset, 111);
    EXPECT_EQ(FunctionCodeWaitFor, 115);
    EXPECT_EQ(FunctionCodeWf, 116);
}

}  // namespace
}  // namespace commands
