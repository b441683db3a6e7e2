// vttest's screens through the program's terminal: each screen is checked
// against what vttest itself says must be seen on it.
#include <gtest/gtest.h>

#include <string>

#include "vttest_harness.h"

namespace {

using vttest_harness::VttestSession;

using VttestScreens = vttest_harness::VttestTest;

// "An unbroken border of *'s and +'s around the edge, and exactly in the
// middle a frame of E's around this text with one free position around it."
void ExpectBorderScreen(int32_t columns) {
    SCOPED_TRACE(std::to_string(columns) + " columns");
    const std::string screen = VttestSession::Screen();
    ASSERT_EQ(VttestSession::Row(1), std::string(static_cast<size_t>(columns), '*')) << screen;
    ASSERT_EQ(VttestSession::Row(24), std::string(static_cast<size_t>(columns), '*')) << screen;
    const std::string plus = "*" + std::string(static_cast<size_t>(columns) - 2, '+') + "*";
    EXPECT_EQ(VttestSession::Row(2), plus) << screen;
    EXPECT_EQ(VttestSession::Row(23), plus) << screen;
    for (int32_t r = 3; r <= 22; ++r) {
        const std::string row = VttestSession::Row(r);
        EXPECT_EQ(row.substr(0, 2), "*+") << r << "\n" << screen;
        EXPECT_EQ(row.substr(static_cast<size_t>(columns) - 2), "+*") << r << "\n" << screen;
    }
    // The frame of E's sits in the middle, one free cell inside it.
    const int32_t left = (columns - 60) / 2 + 1;
    EXPECT_EQ(VttestSession::Row(9).substr(static_cast<size_t>(left - 1), 60), std::string(60, 'E'))
        << screen;
    EXPECT_EQ(VttestSession::Row(16).substr(static_cast<size_t>(left - 1), 60),
              std::string(60, 'E'))
        << screen;
    for (int32_t r = 10; r <= 15; ++r) {
        EXPECT_EQ(VttestSession::Char(r, left), u'E') << r << "\n" << screen;
        EXPECT_EQ(VttestSession::Char(r, left + 59), u'E') << r << "\n" << screen;
    }
    EXPECT_NE(VttestSession::Find("E The screen should be cleared,").first, 0) << screen;
}

// "The left/right margins should have letters in order": I to Z down the
// left column, i to z down the right one, nothing between.
void ExpectAutowrapScreen(int32_t columns) {
    SCOPED_TRACE(std::to_string(columns) + " columns");
    const std::string screen = VttestSession::Screen();
    ASSERT_EQ(VttestSession::TrimmedRow(1),
              "Test of autowrap, mixing control and print characters.")
        << screen;
    for (int32_t k = 0; k < 18; ++k) {
        const std::string want = std::string(1, static_cast<char>('I' + k)) +
                                 std::string(static_cast<size_t>(columns) - 2, ' ') +
                                 static_cast<char>('i' + k);
        EXPECT_EQ(VttestSession::Row(3 + k), want) << 3 + k << "\n" << screen;
    }
    EXPECT_EQ(VttestSession::TrimmedRow(22), "Push <RETURN>") << screen;
}

TEST_F(VttestScreens, CursorMovements) {
    Choose("1");
    ExpectBorderScreen(80);
    Next();
    ExpectBorderScreen(132);
    Next();
    ExpectAutowrapScreen(80);
    Next();
    ExpectAutowrapScreen(132);
    Next();
    // "Below should be four identical lines", each control acted on inside
    // the sequence that holds it.
    ASSERT_EQ(VttestSession::TrimmedRow(1),
              "Test of cursor-control characters inside ESC sequences.")
        << VttestSession::Screen();
    for (int32_t r = 4; r <= 7; ++r)
        EXPECT_EQ(VttestSession::TrimmedRow(r), "A B C D E F G H I") << r << "\n"
                                                                     << VttestSession::Screen();
    Next();
    // "Two lines below you should see the sentence".
    EXPECT_EQ(VttestSession::TrimmedRow(4), "This is a correct sentence")
        << VttestSession::Screen();
    Next();
    EXPECT_NE(VttestSession::Find("Enter choice number").first, 0) << VttestSession::Screen();
    EXPECT_TRUE(session->AllTyped());
}

}  // namespace
namespace {

// Not a check: prints the screens (and the renditions of rows that have any)
// after each group of keys in VTTEST_KEYS, "|" between groups and "~" for
// Enter; without it the test is skipped. For writing the checks above.
TEST(VttestDump, Menu) {
    const char* keys = std::getenv("VTTEST_KEYS");
    if (keys == nullptr) GTEST_SKIP();
    vttest_harness::VttestSession s;
    ASSERT_TRUE(s.WaitFor("Enter choice number"));
    std::string k = keys;
    size_t at = 0;
    while (at <= k.size()) {
        size_t bar = k.find('|', at);
        if (bar == std::string::npos) bar = k.size();
        std::string one = k.substr(at, bar - at);
        for (auto& c : one)
            if (c == '~') c = '\r';
        s.Type(one, 400);
        std::printf("== after [%s]\n%s", k.substr(at, bar - at).c_str(), s.Screen().c_str());
        for (int r = 1; r <= 24; ++r) {
            std::string attrs;
            for (int c = 1; c <= 80; ++c) {
                int a = s.Rendition(r, c);
                attrs.push_back(a < 0 ? '?' : "0123456789ABCDEF"[a]);
            }
            if (attrs.find_first_not_of('0') != std::string::npos)
                std::printf("A%2d|%s\n", r, attrs.c_str());
        }
        at = bar + 1;
    }
}
}  // namespace
