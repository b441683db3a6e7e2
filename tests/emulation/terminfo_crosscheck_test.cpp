// Cross-check against the system's terminfo database: each capability,
// expanded with parameters by tput, is decoded by the recogniser and must act
// on the screen as the capability names.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host_screen_feeder.h"

namespace emulation {
namespace {

using console::ConsoleLayer;
using screen_test::AttrAt;
using screen_test::HostScreen;
using screen_test::Row;

// The capability string as tput expands it; empty when the entry lacks it.
std::string Tput(const std::string& term, const std::string& cap, const std::string& args = "") {
    const std::string cmd = "tput -T " + term + " " + cap + " " + args + " 2>/dev/null";
    std::string out;
    if (FILE* f = popen(cmd.c_str(), "r")) {
        char buf[256];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
        pclose(f);
    }
    out.erase(std::remove(out.begin(), out.end(), '\0'), out.end());  // padding
    return out;
}

bool HaveProgram(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

bool HaveTput() {
    return HaveProgram("tput") && HaveProgram("infocmp");
}

// The system's terminfo database holds the entry.
bool HaveEntry(const std::string& term) {
    return std::system(("infocmp " + term + " >/dev/null 2>&1").c_str()) == 0;
}

struct Pairing {
    const char* terminfo;
    const char* type;
};

const Pairing kPairings[] = {
    {"vt100", "VT100"},     {"vt220", "VT220"},     {"vt320", "VT320"},  {"vt420", "VT420"},
    {"linux", "LINUX"},     {"scoansi", "SCOANSI"}, {"at386", "AT386"},  {"wy50", "WYSE50"},
    {"wy60", "WYSE60"},     {"tvi950", "TV965"},    {"tvi955", "TV965"}, {"viewpoint", "VIEWPOINT"},
    {"viewpoint", "N7901"},
};

// A paired entry that the database lacks would leave every check below
// without a capability to try, so it fails here rather than passing unseen.
TEST(TerminfoCrossCheck, EveryPairedEntryExists) {
    if (!HaveTput()) GTEST_SKIP() << "tput or infocmp is missing";
    for (const auto& [ti, type] : kPairings) {
        EXPECT_TRUE(HaveEntry(ti)) << ti << " (paired with " << type << ") is not in terminfo";
        EXPECT_NE(FindTermType(type), nullptr) << type;
    }
}

// Every row gets its own letter across the line, then the cursor goes to (3, 10).
void FillAndPlace(HostScreen& s) {
    for (int r = 1; r <= 24; ++r) {
        console::GotoRowCol(r, 1);
        console::WriteScreenStr(std::string(80, static_cast<char>('a' + r - 1)), 0);
    }
    console::GotoRowCol(3, 10);
    (void)s;
}

std::string Line(char c, int n = 80) {
    return std::string(static_cast<size_t>(n), c);
}

TEST(TerminfoCrossCheck, ScreenCapabilitiesActAsNamed) {
    if (!HaveTput()) GTEST_SKIP() << "tput or infocmp is missing";
    for (const auto& [ti, type] : kPairings) {
        auto check = [&](const char* cap, const char* args, auto&& expect) {
            const std::string seq = Tput(ti, cap, args);
            if (seq.empty()) return;
            SCOPED_TRACE(std::string(ti) + " " + cap + " " + args);
            HostScreen s(type);
            ASSERT_TRUE(s.ok);
            commands::Settings.Propagate = 0;
            FillAndPlace(s);
            s.Feed(seq);
            expect();
        };
        const std::string c3 = Line('c');
        check("cup", "4 9", [] {
            EXPECT_EQ(ConsoleLayer.CursorRow, 5);
            EXPECT_EQ(ConsoleLayer.CursorCol, 10);
        });
        check("cup", "23 79", [] {
            EXPECT_EQ(ConsoleLayer.CursorRow, 24);
            EXPECT_EQ(ConsoleLayer.CursorCol, 80);
        });
        check("el", "", [&] {
            EXPECT_EQ(Row(3), Line('c', 9));
            EXPECT_EQ(Row(4), Line('d'));
        });
        check("ed", "", [&] {
            EXPECT_EQ(Row(3), Line('c', 9));
            EXPECT_EQ(Row(4), "");
            EXPECT_EQ(Row(24), "");
            EXPECT_EQ(Row(2), Line('b'));
        });
        check("ech", "3", [&] { EXPECT_EQ(Row(3), Line('c', 9) + "   " + Line('c', 68)); });
        check("ich", "2", [&] { EXPECT_EQ(Row(3), Line('c', 9) + "  " + Line('c', 69)); });
        check("ich1", "", [&] { EXPECT_EQ(Row(3), Line('c', 9) + " " + Line('c', 70)); });
        check("dch", "2", [&] { EXPECT_EQ(Row(3), Line('c', 78)); });
        check("dch1", "", [&] { EXPECT_EQ(Row(3), Line('c', 79)); });
        check("il", "2", [&] {
            EXPECT_EQ(Row(3), "");
            EXPECT_EQ(Row(4), "");
            EXPECT_EQ(Row(5), c3);
        });
        check("il1", "", [&] {
            EXPECT_EQ(Row(3), "");
            EXPECT_EQ(Row(4), c3);
        });
        check("dl", "2", [&] { EXPECT_EQ(Row(3), Line('e')); });
        check("dl1", "", [&] { EXPECT_EQ(Row(3), Line('d')); });
        check("csr", "4 19", [] {
            EXPECT_EQ(ConsoleLayer.TopMargin, 5);
            EXPECT_EQ(ConsoleLayer.BottomMargin, 20);
            EXPECT_EQ(ConsoleLayer.CursorRow, 1);
        });
    }
}

// Capabilities whose terminfo meaning differs from what these types do. The
// types' own behaviour holds; the table records the difference.
struct Disagreement {
    const char* terminfo;
    const char* cap;
    const char* note;
};

const Disagreement kDisagreements[] = {
    {"scoansi", "smul", "SGR 4 does nothing in the SCO ANSI rendition dialect"},
    {"at386", "smul", "SGR 4 does nothing in the AT386 rendition dialect"},
};

bool Disagrees(const char* ti, const char* cap) {
    return std::any_of(std::begin(kDisagreements), std::end(kDisagreements), [&](const auto& d) {
        return std::string(d.terminfo) == ti && std::string(d.cap) == cap;
    });
}

// The attribute of a 'Q' written after the sequence.
console::CellAttribute AttrAfter(const char* type, const std::string& seq) {
    HostScreen s(type);
    commands::Settings.Propagate = 0;
    s.Feed(seq + "Q");
    const std::string row = console_test::RingRow(1);
    const size_t at = row.find('Q');
    return at == std::string::npos ? 0xFFFF : AttrAt(1, static_cast<int32_t>(at) + 1);
}

TEST(TerminfoCrossCheck, AttributeCapabilitiesChangeAndResetTheRendition) {
    if (!HaveTput()) GTEST_SKIP() << "tput or infocmp is missing";
    for (const auto& [ti, type] : kPairings) {
        const std::string sgr0 = Tput(ti, "sgr0");
        if (sgr0.empty()) continue;
        const auto plain = AttrAfter(type, sgr0);
        struct Cap {
            const char* name;
            const char* args;
        };
        for (const Cap cap : {Cap{"bold", ""}, Cap{"rev", ""}, Cap{"smul", ""}, Cap{"blink", ""},
                              Cap{"setaf", "1"}, Cap{"setab", "4"}}) {
            const std::string seq = Tput(ti, cap.name, cap.args);
            if (seq.empty()) continue;
            SCOPED_TRACE(std::string(ti) + " " + cap.name);
            const auto changed = AttrAfter(type, sgr0 + seq);
            if (Disagrees(ti, cap.name)) {
                EXPECT_EQ(changed, plain);
                continue;
            }
            EXPECT_NE(changed, plain);
            EXPECT_EQ(AttrAfter(type, sgr0 + seq + sgr0), plain) << "sgr0 undoes it";
        }
    }
}

TEST(TerminfoCrossCheck, ColourCapabilitiesGiveTheNamedColours) {
    if (!HaveTput()) GTEST_SKIP() << "tput or infocmp is missing";
    for (const char* ti : {"linux", "scoansi", "at386"}) {
        const char* type = std::string(ti) == "linux"     ? "LINUX"
                           : std::string(ti) == "scoansi" ? "SCOANSI"
                                                          : "AT386";
        SCOPED_TRACE(ti);
        const std::string seq = Tput(ti, "sgr0") + Tput(ti, "setaf", "1") + Tput(ti, "setab", "4");
        const auto a = AttrAfter(type, seq);
        EXPECT_EQ(a & 0x0F, AnsiToPc[1]);         // red
        EXPECT_EQ((a >> 4) & 0x07, AnsiToPc[4]);  // blue
    }
}

}  // namespace
}  // namespace emulation
