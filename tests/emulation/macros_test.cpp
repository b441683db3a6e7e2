#include "emulation/input/macros.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "app/session_wiring.h"
#include "app/startup_wiring.h"
#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "commands/startup_services.h"
#include "console/key_names.h"
#include "emulation/command_line.h"
#include "emulation/input/keyboard.h"
#include "emulation/session_services.h"

namespace emulation {
namespace {

using namespace std::string_literals;

struct Played {
    std::vector<std::pair<uint8_t, uint16_t>> keys;  // IsChar, Code
    std::string local;                               // bytes performed locally
};

class MacrosTest : public ::testing::Test {
  protected:
    static inline std::string local;
    static inline std::deque<uint16_t> ring;
    static inline int statusRedraws = 0;

    void SetUp() override {
        ResetMacros();
        commands::ResetInterpreter();
        local.clear();
        ring.clear();
        statusRedraws = 0;
        MacroServices.PerformLocally = [](uint8_t b) { local += static_cast<char>(b); };
        MacroServices.MarkStatusLineDirty = []() { ++statusRedraws; };
        MacroServices.KeyRingEmpty = []() { return ring.empty(); };
        MacroServices.ReadKeyRing = []() {
            uint16_t k = ring.front();
            ring.pop_front();
            return k;
        };
    }
    void TearDown() override {
        ResetMacroHooks();
        ResetMacros();
        commands::ResetInterpreter();
        commands::ResetInterpreterHooks();
        app::ComposeStartupServices();
        app::ComposeSessionServices();
        ResetCommandLineServices();
    }

    // Plays the key's macro to its end or its first pause, as the keyboard
    // processor does (each call may start a batch).
    static Played Play(uint16_t key) {
        Played p;
        StartMacro(key, false);
        for (int guard = 0; guard < 1000 && TopMacroFrame().Mode == MacroPlaying; ++guard) {
            MacroKey k;
            if (NextMacroKey(true, k)) p.keys.emplace_back(k.IsChar, k.Code);
        }
        p.local = local;
        return p;
    }
};

using Keys = std::vector<std::pair<uint8_t, uint16_t>>;

TEST_F(MacrosTest, PlaysEachFormOfDefinitionText) {
    const struct {
        std::string text;
        uint8_t utf8;
        Keys keys;
        std::string local;
    } cases[] = {
        {"abc|", 0, {{1, 'a'}, {1, 'b'}, {1, 'c'}, {1, 13}}, ""},
        {"~|~#~~~{", 0, {{1, '|'}, {1, '#'}, {1, '~'}, {1, '{'}}, ""},
        {"\0;x"s, 0, {{0, 315}, {1, 'x'}}, ""},
        {"~\0@"s, 0, {{0, 320}}, ""},
        {"{AB}c", 0, {{1, 'c'}}, "AB"},
        {"{A", 0, {}, "A"},                      // a group left open runs to the end
        {"{\0"s, 0, {}, ""},                     // ... and a NUL at its end is no key
        {"ab\0"s, 0, {{1, 'a'}, {1, 'b'}}, ""},  // a NUL at the end is no key
        {"ab~", 0, {{1, 'a'}, {1, 'b'}, {1, '~'}}, ""},
        {"~\0"s, 0, {}, ""},
        {"\xC3\xA9!", 1, {{1, 0xE9}, {1, '!'}}, ""},
        {"\xE2\x82\xAC", 1, {{1, 0x20AC}}, ""},
        {"\xC3\xA9", 0, {{0, 0xC3}, {0, 0xA9}}, ""},
        {"a\xE2\x82", 1, {{1, 'a'}, {1, 0xFFFF}}, ""},  // cut off at the end
        {"\xC3(", 1, {{1, 0xFFFF}, {1, '('}}, ""},      // broken: "(" plays on its own
        {"\x80x", 1, {{0, 0x80}, {1, 'x'}}, ""},        // no lead byte: the byte itself
    };
    for (const auto& c : cases) {
        ResetMacros();
        local.clear();
        ASSERT_TRUE(DefineMacro('M', c.text, c.utf8, 0));
        const Played p = Play('M');
        EXPECT_EQ(p.keys, c.keys) << c.text;
        EXPECT_EQ(p.local, c.local) << c.text;
        EXPECT_FALSE(MacroIsPlaying()) << c.text;
    }
}

TEST_F(MacrosTest, BracedGroupEndsABatchWithoutMoving) {
    DefineMacro('M', "a{B}", 0, 0);
    StartMacro('M', false);
    MacroKey k;
    ASSERT_TRUE(NextMacroKey(true, k));
    EXPECT_FALSE(NextMacroKey(false, k));
    EXPECT_EQ(TopMacroFrame().Pos, 2u);
    EXPECT_EQ(local, "");
    EXPECT_FALSE(NextMacroKey(true, k));
    EXPECT_EQ(local, "B");
    EXPECT_FALSE(MacroIsPlaying());
    EXPECT_EQ(statusRedraws, 1);
}

TEST_F(MacrosTest, PauseWaitsForEnterWhichIsNotPassedOn) {
    DefineMacro('M', "x#y", 0, 0);
    StartMacro('M', false);
    EXPECT_EQ(GetKey(true, false), 'x' | 0x8000);
    ring = {'q', 13, 'r'};
    // Paused: typed keys come through; Enter resumes and is consumed.
    EXPECT_EQ(GetKey(true, false), 'q');
    EXPECT_EQ(TopMacroFrame().Mode, MacroPaused);
    EXPECT_EQ(GetKey(true, false), 'y' | 0x8000);
    EXPECT_EQ(GetKey(true, false), 'r');
}

TEST_F(MacrosTest, GetKeyCharAssemblesTypedUtf8AndReportsTheSource) {
    DefineMacro('M', "\xC3\xA9\0;"s, 1, 0);
    StartMacro('M', false);
    KeyChar k = GetKeyChar(true, false);
    EXPECT_EQ(k.Code, 0xE9);
    EXPECT_TRUE(k.IsChar && k.FromMacro);
    k = GetKeyChar(true, false);
    EXPECT_EQ(k.Code, 315);
    EXPECT_FALSE(k.IsChar);
    ring = {0xE2, 0x82, 0xAC, 500};
    k = GetKeyChar(true, false);
    EXPECT_EQ(k.Code, 0x20AC);
    EXPECT_TRUE(k.IsChar && !k.FromMacro);
    k = GetKeyChar(true, false);  // keypad Enter is normalised
    EXPECT_EQ(k.Code, 13);
}

TEST_F(MacrosTest, NestedMacroResumesTheOuterOne) {
    DefineMacro('A', "12", 0, 0);
    DefineMacro('B', "xy", 0, 0);
    StartMacro('A', false);
    MacroKey k;
    ASSERT_TRUE(NextMacroKey(true, k));
    EXPECT_EQ(k.Code, '1');
    ASSERT_TRUE(StartMacro('B', true));
    std::string seen;
    while (MacroIsPlaying())
        if (NextMacroKey(true, k)) seen += static_cast<char>(k.Code);
    EXPECT_EQ(seen, "xy2");
    EXPECT_EQ(Macros.Frames.size(), 1u);
}

TEST_F(MacrosTest, NestingIsBounded) {
    DefineMacro('R', "r", 0, 0);
    StartMacro('R', false);
    size_t started = 0;
    while (StartMacro('R', true)) ++started;
    EXPECT_EQ(started, MaxMacroNesting - 1);
    EXPECT_EQ(Macros.Frames.size(), MaxMacroNesting);
    // The refused call changed nothing; the macros still unwind one by one.
    MacroKey k;
    size_t played = 0;
    while (MacroIsPlaying())
        if (NextMacroKey(true, k)) ++played;
    EXPECT_EQ(played, MaxMacroNesting);
    StartMacro('R', true);
    StopMacros();
    EXPECT_EQ(Macros.Frames.size(), 1u);
    EXPECT_FALSE(MacroIsPlaying());
}

TEST_F(MacrosTest, StartingWithoutNestingReusesTheTopFrame) {
    DefineMacro('A', "aaa", 0, 0);
    DefineMacro('B', "b", 0, 0);
    StartMacro('A', false);
    EXPECT_FALSE(StartMacro('Z', false));  // no definition: nothing changes
    EXPECT_EQ(TopMacroFrame().Key, 'A');
    StartMacro('B', false);
    EXPECT_EQ(Macros.Frames.size(), 1u);
    EXPECT_EQ(Play('B').keys, (Keys{{1, 'b'}}));
}

TEST_F(MacrosTest, ADefinitionChangedWhilePlayingEndsTheMacro) {
    DefineMacro('M', "abcdef", 0, 0);
    StartMacro('M', false);
    MacroKey k;
    NextMacroKey(true, k);
    NextMacroKey(true, k);
    NextMacroKey(true, k);
    DefineMacro('M', "ab", 0, 0);
    uint16_t next = 0;
    EXPECT_FALSE(PeekMacroKey(next));
    EXPECT_FALSE(NextMacroKey(true, k));
    EXPECT_FALSE(MacroIsPlaying());
    DefineMacro('M', "", 0, 0);
    StartMacro('M', false);
    EXPECT_FALSE(MacroIsPlaying());
}

TEST_F(MacrosTest, DefiningTracksKeysChanged) {
    EXPECT_TRUE(DefineMacro('A', "x", 1, 0));
    EXPECT_TRUE(Macros.KeysChanged);
    Macros.KeysChanged = false;
    EXPECT_TRUE(DefineMacro('A', "x", 1, 0));  // same text
    EXPECT_FALSE(Macros.KeysChanged);
    EXPECT_TRUE(DefineMacro('B', "y", 1, 1));  // temporary
    EXPECT_TRUE(DefineMacro('B', "", 1, 1));
    EXPECT_TRUE(DefineMacro('C', "", 1, 0));  // nothing to remove
    EXPECT_FALSE(Macros.KeysChanged);
    EXPECT_TRUE(DefineMacro('A', "", 1, 0));
    EXPECT_TRUE(Macros.KeysChanged);
    EXPECT_FALSE(MacroExists('A'));
}

TEST_F(MacrosTest, LongestTextIsKeptAndALongerOneOnlyRemoves) {
    const std::string longest(MaxMacroTextLength, 'a');
    EXPECT_TRUE(DefineMacro(315, longest, 0, 0));
    EXPECT_EQ(GetMacroText(315).size(), MaxMacroTextLength);
    EXPECT_EQ(Macros.MacroTextLength, MaxMacroTextLength);
    EXPECT_TRUE(DefineMacro(315, longest + "b", 0, 0));
    EXPECT_FALSE(MacroExists(315));
    EXPECT_EQ(Macros.TextBytes, 0u);
}

TEST_F(MacrosTest, TextBudgetRefusesLikeMemoryRunningOut) {
    const std::string big(MaxMacroTextLength, 'z');
    uint16_t key = 256;
    while (DefineMacro(key, big, 0, 0)) ++key;
    EXPECT_LE(Macros.TextBytes, MacroTextBudget);
    EXPECT_FALSE(MacroExists(key));
    EXPECT_TRUE(DefineMacro(key, "small", 0, 0));
}

TEST_F(MacrosTest, NewestDefinitionWinsAndTemporaryOnesClear) {
    DefineMacro(315, "user", 0, 0);
    DefineMacro(315, "host", 0, 1);
    EXPECT_EQ(GetMacroText(315), "host");
    DefineMacro(315, "user2", 0, 0);
    EXPECT_EQ(GetMacroText(315), "user2");
    DefineMacro(316, "host", 0, 1);
    ClearTemporaryKeys();
    EXPECT_EQ(GetMacroText(315), "user2");
    EXPECT_FALSE(MacroExists(316));
}

TEST_F(MacrosTest, ListIsInKeyOrder) {
    for (uint16_t key : {600, 327, 316, 122, 315, 285, 65}) DefineMacro(key, "t", 0, 0);
    std::vector<uint16_t> order;
    for (const auto& [o, nodes] : CurrentMacroList()) order.push_back(nodes.front().Key);
    EXPECT_EQ(order, (std::vector<uint16_t>{'A', 'z', 315, 316, 327, 285, 600}));
    EXPECT_EQ(KeyOrder(315), 256u);
    EXPECT_EQ(KeyOrder(285), 405u);
    EXPECT_EQ(KeyOrder(600), 4696u);
}

TEST_F(MacrosTest, KeySetsSwapTheDefinitionsInUse) {
    DefineMacro('A', "user", 0, 0);
    UseSecondKeySet(true);
    EXPECT_FALSE(MacroExists('A'));
    DefineMacro('A', "host", 0, 0);
    UseSecondKeySet(false);
    EXPECT_EQ(GetMacroText('A'), "user");
    EXPECT_FALSE(SecondKeySetActive());
}

TEST_F(MacrosTest, ErrorKeyReplacesWhatPlays) {
    EXPECT_FALSE(RunErrorKeyMacro());
    DefineMacro('A', "aaa", 0, 0);
    DefineMacro('E', "err", 0, 0);
    StartMacro('A', false);
    StartMacro('A', true);
    commands::Interpreter.ErrorKey = 'Q';  // no definition
    EXPECT_FALSE(RunErrorKeyMacro());
    EXPECT_EQ(Macros.Frames.size(), 2u);
    commands::Interpreter.ErrorKey = 'E';
    EXPECT_TRUE(RunErrorKeyMacro());
    EXPECT_EQ(Macros.Frames.size(), 1u);
    EXPECT_EQ(TopMacroFrame().Key, 'E');
}

TEST_F(MacrosTest, InstalledServicesServeTheInterpreterAndTheMainRoutine) {
    InstallMacroServices();
    DefineMacro('E', "e", 0, 0);
    commands::Interpreter.ErrorKey = 'E';
    commands::FunctionCall call("X");
    EXPECT_TRUE(call.DivertToErrorKey());
    EXPECT_EQ(call.Status, commands::FunctionErrorKeyStarted);
    EXPECT_TRUE(commands::StartupServices.MacroPlaying());
    StopMacros();

    // The start-up key (from the settings or the one-character argument).
    DefineMacro('S', "\0>x\0@"s, 0, 0);
    ASSERT_TRUE(Keyboard.Hooks.MacroExists('S'));
    EXPECT_FALSE(Keyboard.Hooks.MacroExists('T'));
    Keyboard.Hooks.StartMacro('S', 0);
    EXPECT_EQ(Macros.Frames.size(), 1u);
    EXPECT_TRUE(Services.MacroPlaying());
    // F4 and F6 waiting in the macro are seen without being taken.
    EXPECT_EQ(Services.PeekMacroKey(), console::KeyF4);
    EXPECT_EQ(Services.PeekMacroKey(), console::KeyF4);
    MacroKey k;
    NextMacroKey(true, k);
    EXPECT_EQ(k.Code, console::KeyF4);
    EXPECT_EQ(Services.PeekMacroKey(), 'x');
    NextMacroKey(true, k);
    EXPECT_EQ(Services.PeekMacroKey(), console::KeyF6);
    NextMacroKey(true, k);
    EXPECT_EQ(Services.PeekMacroKey(), 0);
    EXPECT_FALSE(Services.MacroPlaying());

    // A /D definition from the command line is temporary.
    Macros.KeysChanged = false;
    CommandLineService.DefineMacro('d', "\xC3\xA9", true, 1);
    EXPECT_EQ(FindMacro('d')->Utf8, 1);
    EXPECT_EQ(FindMacro('d')->Scope, 1);
    EXPECT_FALSE(commands::StartupServices.KeysChanged());
}

}  // namespace
}  // namespace emulation
