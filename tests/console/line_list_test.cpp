#include "console/line_list.h"

#include <gtest/gtest.h>

namespace {

using namespace console;

TEST(LineList, CountAndFetch) {
    EXPECT_EQ(LineCount(std::string_view("")), 0u);
    EXPECT_EQ(LineCount(std::string_view("a\nb")), 2u);
    EXPECT_EQ(LineCount(std::string_view("a\n")), 2u) << "a final LF leaves an empty last line";
    EXPECT_EQ(LineOfText(std::string_view("a\nb"), 1), "a");
    EXPECT_EQ(LineOfText(std::string_view("a\nb"), 2), "b");
    EXPECT_EQ(LineOfText(std::string_view("a\nb"), 3), "");
    EXPECT_EQ(LineOfText(std::string_view("a\nb"), 0), "");
    EXPECT_EQ(LineOfText(std::u16string_view(u"x\n\ny"), 3), u"y");
}

TEST(LineList, InsertAt) {
    struct Case {
        const char* text;
        size_t n;
        const char* expected;
    } cases[] = {{"a\nb", 0, "L\na\nb"}, {"a\nb", 1, "L\na\nb"}, {"a\nb", 2, "a\nL\nb"},
                 {"a\nb", 3, "a\nb\nL"}, {"a\nb", 9, "a\nb\nL"}, {"", 2, "L"}};
    for (const Case& c : cases) {
        std::string text = c.text;
        InsertLineAt("L", text, c.n);
        EXPECT_EQ(text, c.expected) << c.text << " at " << c.n;
    }
}

TEST(LineList, InsertSortedIgnoresCase) {
    std::string text;
    for (const char* line : {"Gamma", "Alpha", "beta", "alpha", "delta"})
        InsertLineSorted(line, text);
    EXPECT_EQ(text, "Alpha\nalpha\nbeta\ndelta\nGamma") << "equal lines keep their order";

    std::u16string wide = u"Alpha\nGamma";
    InsertLineSorted(std::u16string_view(u"beta"), wide);
    EXPECT_EQ(wide, u"Alpha\nbeta\nGamma");
}

}  // namespace
