// vttest's screens through the program's terminal: each screen is checked
// against what vttest itself says must be seen on it.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
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

TEST_F(VttestScreens, ScreenFeatures) {
    using S = VttestSession;
    Choose("2");
    // "Three identical lines of *'s completely filling the top of the screen".
    for (int32_t r = 1; r <= 3; ++r) EXPECT_EQ(S::Row(r), std::string(80, '*')) << S::Screen();
    EXPECT_EQ(S::TrimmedRow(4), "") << S::Screen();
    Next();
    // "These two lines should look the same."
    EXPECT_NE(S::TrimmedRow(1), "") << S::Screen();
    EXPECT_EQ(S::Row(1), S::Row(2)) << S::Screen();
    Next();
    // The column-mode screens: 132, 80, 132, 80.
    for (const int32_t columns : {132, 80, 132, 80}) {
        SCOPED_TRACE(columns);
        EXPECT_EQ(console::ConsoleLayer.ScreenWidth, columns);
        std::string digits;
        for (int32_t c = 1; c < columns; ++c) digits.push_back(static_cast<char>('0' + c % 10));
        EXPECT_EQ(S::TrimmedRow(1), digits) << S::Screen();
        for (int32_t r = 3; r <= 20; ++r)
            EXPECT_EQ(S::Row(r).find("This is " + std::to_string(columns) + " column mode"),
                      static_cast<size_t>(r - 1))
                << r << "\n"
                << S::Screen();
        Next();
    }
    // Soft and jump scrolling in a two-line region and in the whole screen.
    for (const char* kind : {"Soft", "Jump"}) {
        SCOPED_TRACE(kind);
        EXPECT_EQ(S::TrimmedRow(12), "Push <RETURN>") << S::Screen();
        EXPECT_EQ(S::TrimmedRow(13),
                  std::string(kind) + " scroll down region [12..13] size 2 Line 29")
            << S::Screen();
        EXPECT_EQ(S::TrimmedRow(11), "") << S::Screen();
        Next();
        EXPECT_EQ(S::TrimmedRow(1), "Push <RETURN>") << S::Screen();
        for (int32_t r = 2; r <= 24; ++r)
            EXPECT_EQ(S::TrimmedRow(r), std::string(kind) +
                                            " scroll down region [1..24] size 24 Line " +
                                            std::to_string(31 - r))
                << S::Screen();
        Next();
    }
    // Origin mode.
    EXPECT_EQ(S::TrimmedRow(24),
              "Origin mode test. This line should be at the bottom of the screen.")
        << S::Screen();
    EXPECT_EQ(S::TrimmedRow(23),
              "This line should be the one above the bottom of the screen. Push <RETURN>")
        << S::Screen();
    Next();
    EXPECT_EQ(S::TrimmedRow(1), "This line should be at the top of the screen. Push <RETURN>")
        << S::Screen();
    EXPECT_EQ(S::TrimmedRow(24),
              "Origin mode test. This line should be at the bottom of the screen.")
        << S::Screen();
    Next();
    // The graphic rendition pattern: each word in its own rendition.
    struct Word {
        const char* text;
        int bits;
    };
    const Word kWords[] = {
        {"vanilla", 0},
        {"bold", 1},
        {"underline", 8},
        {"bold underline", 9},
        {"blink", 2},
        {"bold blink", 3},
        {"underline blink", 10},
        {"bold underline blink", 11},
        {"negative", 4},
        {"bold negative", 5},
        {"underline negative", 12},
        {"bold underline negative", 13},
        {"blink negative", 6},
        {"bold blink negative", 7},
        {"underline blink negative", 14},
        {"bold underline blink negative", 15},
    };
    for (const char* background : {"Dark", "Light"}) {
        SCOPED_TRACE(background);
        ASSERT_EQ(S::TrimmedRow(1), "                   Graphic rendition test pattern:")
            << S::Screen();
        EXPECT_EQ(S::TrimmedRow(23), std::string(background) + " background. Push <RETURN>");
        for (size_t i = 0; i < std::size(kWords); ++i) {
            const int32_t row = 4 + 2 * static_cast<int32_t>(i / 2);
            const std::string text = S::Row(row);
            // The bold column starts at 40; the underlined words are indented.
            const size_t at = text.find(kWords[i].text, i % 2 == 0 ? 0 : 39);
            ASSERT_NE(at, std::string::npos) << kWords[i].text << "\n" << S::Screen();
            const auto length = static_cast<int32_t>(std::strlen(kWords[i].text));
            EXPECT_TRUE(
                S::SpanHasRendition(row, static_cast<int32_t>(at) + 1, length, kWords[i].bits))
                << kWords[i].text << " at " << row << "," << at + 1 << " has "
                << S::Rendition(row, static_cast<int32_t>(at) + 1);
        }
        Next();
    }
    // Save and restore cursor: a 5 x 4 rectangle of A's and ten characters
    // of each rendition.
    for (int32_t r = 1; r <= 4; ++r) EXPECT_EQ(S::TrimmedRow(r), "AAAAA") << S::Screen();
    EXPECT_EQ(S::TrimmedRow(5), "");
    for (const int32_t row : {10, 12, 14, 16}) {
        EXPECT_TRUE(S::SpanHasRendition(row, 12, 10, 0)) << row;
        EXPECT_TRUE(S::SpanHasRendition(row, 24, 10, 1)) << row;
        EXPECT_TRUE(S::SpanHasRendition(row, 36, 10, 8)) << row;
        EXPECT_TRUE(S::SpanHasRendition(row, 48, 10, 2)) << row;
        EXPECT_TRUE(S::SpanHasRendition(row, 60, 10, 4)) << row;
    }
    EXPECT_EQ(S::Row(10).substr(11, 58),
              "**********  **********  **********  **********  **********");
    Next();
    EXPECT_NE(S::Find("Enter choice number").first, 0) << S::Screen();
}

TEST_F(VttestScreens, TerminalReports) {
    using S = VttestSession;
    Choose("6");
    Choose("3");
    // Terminal status and the cursor position.
    EXPECT_EQ(S::TrimmedRow(2), "Report is: <27> [ 0 n  -- means \"TERMINAL OK\"") << S::Screen();
    EXPECT_EQ(S::TrimmedRow(5), "Report is: <27> [ 5 ; 1 R  -- OK") << S::Screen();
    Next();
    Choose("4");
    // The primary device attributes of the type: a VT220 with its options.
    EXPECT_EQ(S::TrimmedRow(3), "Report is: <27> [ ? 6 2 ; 1 ; 2 ; 6 ; 7 ; 8 ; 9 c  VT200 family")
        << S::Screen();
    EXPECT_EQ(S::TrimmedRow(4), "    1 = 132 columns") << S::Screen();
    Next();
    // The secondary attributes name the model and firmware, not the primary ones.
    Choose("5");
    EXPECT_EQ(S::TrimmedRow(3), "          <27> [ > 1 ; 1 0 ; 0 c") << S::Screen();
    EXPECT_EQ(S::TrimmedRow(4), "         Pp=1 (VT220)") << S::Screen();
    EXPECT_EQ(S::TrimmedRow(5), "         Pv=10, firmware version 1.0") << S::Screen();
    Next();
    Choose("6");
    ASSERT_TRUE(session->WaitFor("Push <RETURN>")) << S::Screen();
    EXPECT_EQ(S::TrimmedRow(3), "          <27> P ! | 0 0 0 0 0 0 0 0 <27> \\  ok") << S::Screen();
    Next();
    // Line feed/new line mode: Enter sends CR LF while it is set, CR after.
    Choose("2");
    Next();
    Next();
    EXPECT_EQ(S::TrimmedRow(4), " <13> <10>  -- OK") << S::Screen();
    EXPECT_EQ(S::TrimmedRow(7), " <13>  -- OK") << S::Screen();
    Next();
    Choose("0");
    EXPECT_NE(S::Find("Enter choice number").first, 0) << S::Screen();
}

// Menu 3 as a VT220 shows it: vttest designates its "ISO Latin-1" with the
// 94-character final A, which such a terminal takes as the British set, so
// "#" shows as the pound sign wherever that set is invoked.
TEST_F(VttestScreens, CharacterSets) {
    using S = VttestSession;
    Choose("3");
    Choose("8");
    EXPECT_EQ(S::TrimmedRow(3), "Character set B (US ASCII)") << S::Screen();
    EXPECT_EQ(S::Row(4).substr(9, 32), " !\"#$%&'()*+,-./0123456789:;<=>?");
    EXPECT_EQ(S::Char(8, 13), u'\u00A3') << S::Screen();
    EXPECT_EQ(S::Char(8, 51), u'\u00A3') << S::Screen();
    // Line drawing, from the diamond at ` to the centred dot at ~, in G0 and G1.
    const std::u16string drawing =
        u"\u2666\u2591\u2409\u240C\u240D\u240A\u00B0\u00B1\u2424\u240B\u2518\u2510"
        u"\u250C\u2514\u253C\u2594\uE8B6\u2500\uE8B8\u2581\u251C\u2524\u2534\u252C"
        u"\u2502\u2264\u2265\u03A0\u2260\u00A3\u00B7";
    for (const int32_t left : {10, 48}) {
        std::u16string row;
        for (int32_t c = left; c < left + 31; ++c) row.push_back(S::Char(14, c));
        EXPECT_EQ(row, drawing) << left << "\n" << S::Screen();
    }
    EXPECT_EQ(S::TrimmedRow(24), "These are the installed character sets. Push <RETURN>");
    Next();
    // SI and SO: G0 plain, G1 with the pound sign.
    Choose("9");
    EXPECT_EQ(S::Row(4).substr(9, 32), " !\"#$%&'()*+,-./0123456789:;<=>?");
    EXPECT_EQ(S::Char(8, 13), u'\u00A3') << S::Screen();
    EXPECT_EQ(S::Row(10).substr(9, 31), "`abcdefghijklmnopqrstuvwxyz{|}~") << S::Screen();
    Next();
    // Locking shifts of G2 and G3 into GL.
    Choose("10");
    for (const int32_t row : {8, 16}) {
        EXPECT_EQ(S::Char(row, 8), u'\u00A3') << row << "\n" << S::Screen();
        EXPECT_EQ(S::Row(row + 1).substr(4, 32), "@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_") << row;
    }
    Next();
    // Single shifts: one character each from G2, then from G3.
    Choose("11");
    for (const char* title : {"Testing single-shift G2 into GL (SS2)", "Testing single-shift G3"}) {
        EXPECT_NE(S::Find(title).first, 0) << S::Screen();
        EXPECT_EQ(S::Row(8).substr(5, 7), "35: (#)") << S::Screen();
        EXPECT_EQ(S::Char(8, 11), u'\u00A3') << S::Screen();
        // DEL is no character: nothing between the brackets.
        EXPECT_EQ(S::TrimmedRow(20).substr(S::TrimmedRow(20).size() - 7), "127: ()") << S::Screen();
        Next();
    }
    Choose("0");
    EXPECT_NE(S::Find("Enter choice number").first, 0) << S::Screen();
}

TEST_F(VttestScreens, InsertAndDeleteCharactersAndLines) {
    using S = VttestSession;
    Choose("8");
    for (const int32_t columns : {80, 132}) {
        SCOPED_TRACE(columns);
        const auto width = static_cast<size_t>(columns);
        EXPECT_EQ(console::ConsoleLayer.ScreenWidth, columns);
        // The accordion: every letter's row in place after the inserts and deletes.
        EXPECT_EQ(S::Row(1), std::string(width, 'A')) << S::Screen();
        EXPECT_EQ(S::Row(24), std::string(width, 'X')) << S::Screen();
        Next();
        // "Top line: A's, bottom line: X's, this line, nothing more."
        EXPECT_EQ(S::Row(1), std::string(width, 'A')) << S::Screen();
        EXPECT_EQ(S::TrimmedRow(2),
                  "Top line: A's, bottom line: X's, this line, nothing more. Push <RETURN>");
        for (int32_t r = 3; r <= 23; ++r)
            EXPECT_EQ(S::TrimmedRow(r), "") << r << "\n" << S::Screen();
        EXPECT_EQ(S::Row(24), std::string(width, 'X')) << S::Screen();
        Next();
        // "The top line should be 'A*** ... ***B'."
        EXPECT_EQ(S::Row(1), "A" + std::string(width - 2, '*') + "B") << S::Screen();
        Next();
        EXPECT_EQ(S::TrimmedRow(1), "AB") << S::Screen();
        Next();
        // "The right column should be staggered by one", twice: after
        // deleting characters and after erasing them.
        for (int pass = 0; pass < 2; ++pass) {
            for (int32_t r = 7; r <= 24; ++r) {
                const std::string above = S::TrimmedRow(r - 1);
                const std::string row = S::TrimmedRow(r);
                EXPECT_EQ(row.size() + 1, above.size()) << r << "\n" << S::Screen();
                EXPECT_EQ(row, std::string(row.size(), static_cast<char>('A' + r - 1)))
                    << r << "\n"
                    << S::Screen();
            }
            Next();
        }
        // The insert-character line, like the one above it.
        EXPECT_EQ(S::TrimmedRow(6), S::TrimmedRow(3)) << S::Screen();
        EXPECT_EQ(S::TrimmedRow(3), "  A B C D E F G H I J K L M N O P Q R S T U V W X Y Z");
        Next();
    }
    EXPECT_NE(S::Find("Enter choice number").first, 0) << S::Screen();
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
        std::printf("== after [%s]\n", k.substr(at, bar - at).c_str());
        // Characters outside ASCII as UTF-8, so that line drawing shows as drawn.
        for (int32_t r = 1; r <= console::ConsoleLayer.ScreenRows; ++r) {
            std::string line;
            for (int32_t c = 1; c <= console::ConsoleLayer.ScreenWidth; ++c) {
                const char16_t ch = s.Char(r, c);
                if (ch < 0x80) {
                    line.push_back(static_cast<char>(ch < 0x20 ? '?' : ch));
                } else if (ch < 0x800) {
                    line.push_back(static_cast<char>(0xC0 | (ch >> 6)));
                    line.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
                } else {
                    line.push_back(static_cast<char>(0xE0 | (ch >> 12)));
                    line.push_back(static_cast<char>(0x80 | ((ch >> 6) & 0x3F)));
                    line.push_back(static_cast<char>(0x80 | (ch & 0x3F)));
                }
            }
            while (!line.empty() && line.back() == ' ') line.pop_back();
            std::printf("%2d|%s\n", r, line.c_str());
        }
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
