#include "console/command_line_args.h"

#include <gtest/gtest.h>

#include "fake_system.h"

namespace {

using namespace console;

TEST(CommandLineTokens, QuotesAndBlanks) {
    struct Case {
        std::u16string text;
        std::u16string token;
        size_t next;
    } cases[] = {
        {u"  abc def", u"abc", 5},
        {u"\"C:\\Program Files\\x.exe\" -a", u"C:\\Program Files\\x.exe", 24},
        {u"a\"b c\"d e", u"ab cd", 7},
        {u" \"\" \"\"  next", u"next", 12},
        {u"\"open", u"open", 5},
        {u"\t\r\n", u"", 3},
        {u"", u"", 0},
    };
    for (const Case& c : cases) {
        std::u16string token;
        EXPECT_EQ(NextCmdLineTokenW(c.text, 0, token), c.next);
        EXPECT_EQ(token, c.token);
    }
}

TEST(CommandLineTokens, ArgumentsOfTheProgram) {
    testing_support::FakeSystem system;
    system.commandLine = u"\"C:\\Vz Dir\\VOVUZIVA.EXE\" /C \"my host\" \"\" last";
    EXPECT_EQ(ParamStrW(0), u"C:\\VZ\\VOVUZIVA.EXE") << "the module file name";
    EXPECT_EQ(ParamCount(), 3);
    EXPECT_EQ(ParamStrW(1), u"/C");
    EXPECT_EQ(ParamStrW(2), u"my host");
    EXPECT_EQ(ParamStrW(3), u"last");
    EXPECT_EQ(ParamStrW(4), u"");
    EXPECT_EQ(ParamStr(2), "my host");
}

TEST(CommandLineTokens, JoinedQuotedArguments) {
    std::vector<std::string> args{"prog", "\"my", "host\"", "x", "\"open", "end"};
    int index = 1;
    std::string joined;
    JoinQuotedArgument(args, index, joined);
    EXPECT_EQ(joined, "my host");
    EXPECT_EQ(index, 2);

    index = 3;
    JoinQuotedArgument(args, index, joined);
    EXPECT_EQ(joined, "x");
    EXPECT_EQ(index, 3);

    index = 4;
    JoinQuotedArgument(args, index, joined);
    EXPECT_EQ(joined, "open end") << "no closing quote: joined to the last";
    EXPECT_EQ(index, 5);

    index = 9;
    JoinQuotedArgument(args, index, joined);
    EXPECT_EQ(joined, "");
}

}  // namespace
