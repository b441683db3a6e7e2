// vttest's screens through the program's terminal: each screen is checked
// against what vttest itself says must be seen on it.
#include <gtest/gtest.h>

#include <string>

#include "vttest_harness.h"

namespace {

using vttest_harness::VttestSession;

class VttestScreens : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::access(vttest_harness::kVttest, X_OK) != 0) GTEST_SKIP() << "vttest is not installed";
        session = std::make_unique<VttestSession>();
        ASSERT_TRUE(session->Started());
        ASSERT_TRUE(session->WaitFor("Enter choice number")) << session->Screen();
    }

    // Chooses an entry of the menu on the screen.
    void Choose(const char* entry) { session->Type(std::string(entry) + "\r", 300); }
    void Next() { session->Type("\r", 300); }

    std::unique_ptr<VttestSession> session;
};

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

TEST_F(VttestScreens, CursorMovements) {
    Choose("1");
    ExpectBorderScreen(80);
    Next();
    ExpectBorderScreen(132);
    Next();
    ASSERT_NE(VttestSession::Find("Test of autowrap").first, 0) << VttestSession::Screen();
    Next();
    Next();
    ASSERT_NE(VttestSession::Find("Test of cursor-control characters").first, 0)
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
