// Every cursor and function key of every terminal type, typed through the
// keyboard path, sends the type's own string; and the same keys beside the
// terminfo database's key capabilities, with the differences recorded.

#include <cstdio>
#include <iostream>
#include <map>
#include <sstream>

#include "keyboard_fixture.h"

namespace emulation {
namespace {

using keyboard_test::KeyboardTest;
using keyboard_test::rec;

#define ESC "\x1b"

struct KeyText {
    uint16_t key;
    const char* text;
};

// The strings as the terminal types' documentation gives them, arrows in
// application cursor-key mode.
const std::vector<KeyText> kN7900 = {
    {327, "\x01"}, {328, "\x1a"}, {331, "\x15"}, {333, "\x06"}, {336, "\n"}, {339, "\x7f"}};
const std::vector<KeyText> kWyse60 = {
    {327, "\x1e"},   {328, "\v"},     {331, "\b"},     {333, "\f"},     {336, "\n"},
    {339, "\x7f"},   {335, ESC "T"},  {329, ESC "J"},  {337, ESC "K"},  {338, ESC "q"},
    {271, ESC "I"},  {375, ESC "{"}};
const std::vector<KeyText> kC332 = {
    {327, "\x1d"}, {328, "\v"},   {331, "\b"},   {333, "\f"},   {336, "\n"},
    {339, "\x7f"}, {335, "\x1c"}, {329, "\x1a"}, {337, "\x1f"}, {338, "\x19"}};
const std::vector<KeyText> kVt220 = {
    {327, ESC "[1~"},  {328, ESC "OA"},   {331, ESC "OD"},   {333, ESC "OC"},
    {336, ESC "OB"},   {339, "\x7f"},     {335, ESC "[4~"},  {329, ESC "[5~"},
    {337, ESC "[6~"},  {338, ESC "[2~"},  {315, ESC "OP"},   {316, ESC "OQ"},
    {317, ESC "OR"},   {318, ESC "OS"},   {319, ESC "OT"},   {320, ESC "[17~"},
    {321, ESC "[18~"}, {322, ESC "[19~"}, {323, ESC "[20~"}, {324, ESC "[21~"}};
const std::vector<KeyText> kTv965 = {
    {327, "\x1e"}, {328, "\v"}, {331, "\b"}, {333, "\f"}, {336, "\x16"}, {339, "\x7f"}};

const std::map<std::string, const std::vector<KeyText>*> kTypeKeys = {
    {"N7900", &kN7900},   {"N7901", &kN7900},   {"VIEWPOINT", &kN7900}, {"VT100", &kVt220},
    {"VT220", &kVt220},   {"VT320", &kVt220},   {"VT420", &kVt220},     {"LINUX", &kVt220},
    {"OZMEL", &kVt220},   {"VOVUZIVA", &kVt220}, {"SCOANSI", &kVt220},  {"AT386", &kVt220},
    {"WYSE50", &kWyse60}, {"C332", &kC332},     {"WYSE60", &kWyse60},   {"TV965", &kTv965},
};

class FunctionKeys : public KeyboardTest {
  protected:
    // What typing one key sends with the keyboard ready.
    static std::string Typed(uint16_t key) {
        rec.sent.clear();
        ReceiveLoop.KeyboardLocked = false;
        ReceiveLoop.KeyboardEnabled = true;
        Keyboard.AbortRequested = false;
        Type({key});
        return rec.sent;
    }
};

TEST_F(FunctionKeys, EveryKeyOfEveryTypeSendsItsString) {
    ASSERT_EQ(kTypeKeys.size(), kTermTypeCount);
    for (const TermTypeEntry& type : TermTypeTable) {
        SCOPED_TRACE(type.Name);
        ASSERT_TRUE(SetTerminalType(type.Name, false));
        const auto& keys = *kTypeKeys.at(type.Name);
        EmulatorState.CursorKeyMode = true;
        for (const auto& [key, text] : keys) EXPECT_EQ(Typed(key), text) << "key " << key;
        // Normal cursor-key mode turns ESC O A .. ESC O D into ESC [ A .. ESC [ D only.
        EmulatorState.CursorKeyMode = false;
        for (const auto& [key, text] : keys) {
            std::string expected = text;
            if (expected.size() == 3 && expected[1] == 'O' && expected[2] < 'P') expected[1] = '[';
            EXPECT_EQ(Typed(key), expected) << "key " << key << " in normal mode";
        }
    }
}

TEST_F(FunctionKeys, BackspaceSendsTheTypesBackspaceString) {
    for (const char* name : {"WYSE60", "C332", "VT220"}) {
        ASSERT_TRUE(SetTerminalType(name, false));
        EXPECT_EQ(Typed(8), "\b") << name;
    }
    commands::Settings.BackspaceChar = 0x7F;
    EXPECT_EQ(Typed(264), "\x7f");
}

// ---- terminfo ----------------------------------------------------------------

std::string Tput(const std::string& term, const std::string& cap) {
    const std::string cmd = "tput -T " + term + " " + cap + " 2>/dev/null";
    std::string out;
    if (FILE* f = popen(cmd.c_str(), "r")) {
        char buf[64];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
        pclose(f);
    }
    return out;
}

std::string Visible(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        if (c == 0x1b) out += "\\E";
        else if (c < 0x20) out += "^" + std::string(1, static_cast<char>(c + 64));
        else if (c == 0x7f) out += "^?";
        else out += static_cast<char>(c);
    }
    return out.empty() ? "-" : out;
}

struct Capability {
    const char* name;
    uint16_t key;
};
const Capability kCapabilities[] = {
    {"kcuu1", 328}, {"kcud1", 336}, {"kcub1", 331}, {"kcuf1", 333}, {"khome", 327},
    {"kend", 335},  {"kpp", 329},   {"knp", 337},   {"kich1", 338}, {"kdch1", 339},
    {"kcbt", 271},  {"kf1", 315},   {"kf2", 316},   {"kf3", 317},   {"kf4", 318},
    {"kf5", 319},   {"kf6", 320},   {"kf7", 321},   {"kf8", 322},   {"kf9", 323},
    {"kf10", 324}};

struct Pairing {
    const char* terminfo;
    const char* type;
};
const Pairing kPairings[] = {
    {"vt100", "VT100"}, {"vt220", "VT220"},     {"vt320", "VT320"}, {"vt420", "VT420"},
    {"linux", "LINUX"}, {"scoansi", "SCOANSI"}, {"at386", "AT386"}, {"wy50", "WYSE50"},
    {"wy60", "WYSE60"}, {"tvi955", "TV965"}};

// Where the keys the types send differ from the terminfo entries: the
// types' own strings hold. "terminfo type capability: terminfo / sent".
const char* const kKnownDifferences[] = {
    "vt100 VT100 kf5: \\EOt / \\EOT",
    "vt100 VT100 kf6: \\EOu / \\E[17~",
    "vt100 VT100 kf7: \\EOv / \\E[18~",
    "vt100 VT100 kf8: \\EOl / \\E[19~",
    "vt100 VT100 kf9: \\EOw / \\E[20~",
    "vt100 VT100 kf10: \\EOx / \\E[21~",
    "vt220 VT220 kdch1: \\E[3~ / ^?",
    "vt320 VT320 kdch1: \\E[3~ / ^?",
    "vt420 VT420 kdch1: \\E[3~ / ^?",
    "vt420 VT420 kf5: \\E[17~ / \\EOT",
    "vt420 VT420 kf6: \\E[18~ / \\E[17~",
    "vt420 VT420 kf7: \\E[19~ / \\E[18~",
    "vt420 VT420 kf8: \\E[20~ / \\E[19~",
    "vt420 VT420 kf9: \\E[21~ / \\E[20~",
    "vt420 VT420 kf10: \\E[29~ / \\E[21~",
    "linux LINUX kdch1: \\E[3~ / ^?",
    "linux LINUX kcbt: \\E^I / -",
    "linux LINUX kf1: \\E[[A / \\EOP",
    "linux LINUX kf2: \\E[[B / \\EOQ",
    "linux LINUX kf3: \\E[[C / \\EOR",
    "linux LINUX kf4: \\E[[D / \\EOS",
    "linux LINUX kf5: \\E[[E / \\EOT",
    "scoansi SCOANSI khome: \\E[H / \\E[1~",
    "scoansi SCOANSI kend: \\E[F / \\E[4~",
    "scoansi SCOANSI kpp: \\E[I / \\E[5~",
    "scoansi SCOANSI knp: \\E[G / \\E[6~",
    "scoansi SCOANSI kich1: \\E[L / \\E[2~",
    "scoansi SCOANSI kcbt: \\E[Z / -",
    "scoansi SCOANSI kf1: \\E[M / \\EOP",
    "scoansi SCOANSI kf2: \\E[N / \\EOQ",
    "scoansi SCOANSI kf3: \\E[O / \\EOR",
    "scoansi SCOANSI kf4: \\E[P / \\EOS",
    "scoansi SCOANSI kf5: \\E[Q / \\EOT",
    "scoansi SCOANSI kf6: \\E[R / \\E[17~",
    "scoansi SCOANSI kf7: \\E[S / \\E[18~",
    "scoansi SCOANSI kf8: \\E[T / \\E[19~",
    "scoansi SCOANSI kf9: \\E[U / \\E[20~",
    "scoansi SCOANSI kf10: \\E[V / \\E[21~",
    "at386 AT386 khome: \\E[H / \\E[1~",
    "at386 AT386 kend: \\E[Y / \\E[4~",
    "at386 AT386 kpp: \\E[V / \\E[5~",
    "at386 AT386 knp: \\E[U / \\E[6~",
    "at386 AT386 kich1: \\E[@ / \\E[2~",
    "at386 AT386 kdch1: \\E[P / ^?",
    "at386 AT386 kcbt: ^] / -",
    "at386 AT386 kf6: \\EOU / \\E[17~",
    "at386 AT386 kf7: \\EOV / \\E[18~",
    "at386 AT386 kf8: \\EOW / \\E[19~",
    "at386 AT386 kf9: \\EOX / \\E[20~",
    "at386 AT386 kf10: \\EOY / \\E[21~",
    "wy50 WYSE50 kich1: \\EQ / \\Eq",
    "wy50 WYSE50 kdch1: \\EW / ^?",
    "wy50 WYSE50 kf1: ^A@^M / -",
    "wy50 WYSE50 kf2: ^AA^M / -",
    "wy50 WYSE50 kf3: ^AB^M / -",
    "wy50 WYSE50 kf4: ^AC^M / -",
    "wy50 WYSE50 kf5: ^AD^M / -",
    "wy50 WYSE50 kf6: ^AE^M / -",
    "wy50 WYSE50 kf7: ^AF^M / -",
    "wy50 WYSE50 kf8: ^AG^M / -",
    "wy50 WYSE50 kf9: ^AH^M / -",
    "wy50 WYSE50 kf10: ^AI^M / -",
    "wy60 WYSE60 kich1: \\EQ / \\Eq",
    "wy60 WYSE60 kdch1: \\EW / ^?",
    "wy60 WYSE60 kf1: ^A@^M / -",
    "wy60 WYSE60 kf2: ^AA^M / -",
    "wy60 WYSE60 kf3: ^AB^M / -",
    "wy60 WYSE60 kf4: ^AC^M / -",
    "wy60 WYSE60 kf5: ^AD^M / -",
    "wy60 WYSE60 kf6: ^AE^M / -",
    "wy60 WYSE60 kf7: ^AF^M / -",
    "wy60 WYSE60 kf8: ^AG^M / -",
    "wy60 WYSE60 kf9: ^AH^M / -",
    "wy60 WYSE60 kf10: ^AI^M / -",
    "tvi955 TV965 kpp: \\EJ / -",
    "tvi955 TV965 knp: \\EK / -",
    "tvi955 TV965 kich1: \\EQ / -",
    "tvi955 TV965 kdch1: \\EW / ^?",
    "tvi955 TV965 kcbt: \\EI / -",
    "tvi955 TV965 kf1: ^A@^M / -",
    "tvi955 TV965 kf2: ^AA^M / -",
    "tvi955 TV965 kf3: ^AB^M / -",
    "tvi955 TV965 kf4: ^AC^M / -",
    "tvi955 TV965 kf5: ^AD^M / -",
    "tvi955 TV965 kf6: ^AE^M / -",
    "tvi955 TV965 kf7: ^AF^M / -",
    "tvi955 TV965 kf8: ^AG^M / -",
    "tvi955 TV965 kf9: ^AH^M / -",
    "tvi955 TV965 kf10: ^AI^M / -",
};

TEST_F(FunctionKeys, TerminfoKeyCapabilitiesAndTheRecordedDifferences) {
    if (Tput("vt100", "kcuu1").empty()) GTEST_SKIP() << "tput or the terminfo entries are missing";
    std::vector<std::string> differences;
    for (const auto& [ti, type] : kPairings) {
        ASSERT_TRUE(SetTerminalType(type, false));
        for (const auto& [cap, key] : kCapabilities) {
            const std::string want = Tput(ti, cap);
            if (want.empty()) continue;
            EmulatorState.CursorKeyMode = true;
            const std::string application = Typed(key);
            EmulatorState.CursorKeyMode = false;
            const std::string normal = Typed(key);
            if (want == application || want == normal) continue;
            differences.push_back(std::string(ti) + " " + type + " " + cap + ": " + Visible(want) +
                                  " / " + Visible(application));
        }
    }
    std::ostringstream table;
    for (const auto& d : differences) table << "    \"" << d << "\",\n";
    const std::vector<std::string> known(std::begin(kKnownDifferences), std::end(kKnownDifferences));
    EXPECT_EQ(differences, known) << "the differences are now:\n" << table.str();
}

}  // namespace
}  // namespace emulation
