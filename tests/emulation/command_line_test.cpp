#include "emulation/command_line.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../console/fake_system.h"
#include "app/session_wiring.h"
#include "commands/password_scramble.h"
#include "commands/settings_record.h"
#include "commands/variables.h"
#include "connections/comm_interface.h"
#include "connections/connection_layer.h"
#include "emulation/session_services.h"
#include "ui/message_box.h"

namespace emulation {
namespace {

struct DefinedKey {
    uint8_t Key;
    std::string Text;
    bool Utf8;
    uint8_t Scope;
    bool operator==(const DefinedKey&) const = default;
    friend void PrintTo(const DefinedKey& k, std::ostream* os) {
        *os << "{key " << int(k.Key) << ", " << ::testing::PrintToString(k.Text) << ", utf8 "
            << k.Utf8 << ", scope " << int(k.Scope) << "}";
    }
};

// What the command line leaves for others: message boxes shown, keys
// defined, kiosk levels handed on.
struct Outcomes {
    std::vector<std::string> Boxes;
    std::vector<DefinedKey> Keys;
    std::vector<int32_t> KioskLevels;
};
Outcomes Seen;

int RecordBox(std::string_view text) {
    Seen.Boxes.emplace_back(text);
    return ui::MessageBoxOk;
}

// The process: its command line, module name and environment (scripted by
// the system double) and the files that exist, with their attribute bits.
class FakeProcess : public testing_support::FakeSystem {
  public:
    std::map<std::string, uint8_t> files;

    uint64_t FindFirstEntry(std::string_view pattern, platform::DirEntry& entry) override {
        const auto found = files.find(std::string(pattern));
        if (found == files.end()) return 0;
        entry.name = found->first;
        entry.attributes = found->second;
        return 1;
    }
    bool FindNextEntry(uint64_t, platform::DirEntry&) override { return false; }
    void FindClose(uint64_t) override { ++closed; }
    int closed = 0;
};

class CommandLineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // The double installs itself; the one before must be gone first.
        process.reset();
        process = std::make_unique<FakeProcess>();
        process->moduleFileName = u"C:\\Prog\\VOVUZIVA.EXE";
        process->files = {{"my.def", 0x20},     {"C:\\Prog\\other.def", 0x21},
                          {"..\\up.def", 0x20}, {"dir.def", 0x10},
                          {"sys.def", 0x24},    {"vol.def", 0x08}};
        Seen = Outcomes{};
        commands::ResetSettingsToDefaults();
        connections::ResetCommLayer();
        app::ComposeSessionServices();
        ResetCommandLineServices();
        CommandLineService.DefineMacro = [](uint8_t key, std::string_view text, bool utf8,
                                            uint8_t scope) {
            Seen.Keys.push_back({key, std::string(text), utf8, scope});
        };
        CommandLineService.SetKioskLevel = [](int32_t level) { Seen.KioskLevels.push_back(level); };
        previousBox = ui::SetMessageBoxFunction(RecordBox);
    }
    void TearDown() override {
        ui::SetMessageBoxFunction(previousBox);
        process.reset();
        ResetCommandLineServices();
        app::ComposeSessionServices();
        commands::ResetSettingsToDefaults();
        connections::ResetCommLayer();
    }

    void UseCommandLine(std::u16string line) { process->commandLine = std::move(line); }

    // Runs everything before the settings load and describes what changed
    // from an empty start, in a fixed order.
    std::string Start(std::u16string line) {
        UseCommandLine(std::move(line));
        StartupLocals args;
        CommandLineGlobals globals;
        globals.SettingsFileName = "wendrosta.def";
        ReadCommandLine(args, globals);
        std::string out;
        auto add = [&](const std::string& item) { out += (out.empty() ? "" : " ") + item; };
        if (globals.SettingsFileName != "wendrosta.def" || globals.SettingsSource != 1) {
            add("file=" + globals.SettingsFileName + "/" + std::to_string(globals.SettingsSource));
        }
        if (args.SettingsNamed) add("named");
        if (!commands::Settings.HostName.Empty()) add("host=" + commands::Settings.HostName.Str());
        if (args.HostGiven) add("given");
        if (!commands::Settings.PhoneNumber.Empty()) {
            add("phone=" + commands::Settings.PhoneNumber.Str());
        }
        if (args.MethodArg != 0) add("method=" + std::to_string(args.MethodArg));
        if (!args.UserArg.empty()) add("user=" + args.UserArg);
        if (!args.TermArg.empty()) add("term=" + args.TermArg);
        if (!args.CharsetArg.empty()) add("charset=" + args.CharsetArg);
        if (!args.StartupKeyArg.empty()) add("key=" + args.StartupKeyArg);
        if (args.RingSizeArg != 0) add("ring=" + std::to_string(args.RingSizeArg));
        if (args.ChooseSettings) add("choose");
        if (globals.KioskLevel) add("kiosk=" + std::to_string(*globals.KioskLevel));
        if (globals.WindowMenuName != "MainMenu") add("menu=" + globals.WindowMenuName);
        if (connections::connectionLayer.CommVerbose) add("verbose");
        for (const auto& box : Seen.Boxes) add("box=" + box);
        return out;
    }

    std::unique_ptr<FakeProcess> process;
    ui::MessageBoxFunction previousBox = nullptr;
};

TEST_F(CommandLineTest, ArgumentsAndSwitches) {
    const std::string all = std::to_string(KioskLevelAll);
    const struct {
        std::u16string Line;
        std::string Expected;
    } cases[] = {
        {u"VOVUZIVA.EXE", ""},
        // Hosts, prefixes, users, ports.
        {u"v TELNET://alpha:2323", "host=alpha:2323 given method=2"},
        {u"v ssh://bob@alpha/", "host=alpha given method=7 user=bob"},
        {u"v SSH://bob:pw@alpha", "host=alpha given method=7 user=bob:pw"},
        {u"v RLOGIN://alpha", "host=alpha given method=5"},
        {u"v MODEM://5551234", "given phone=5551234 method=6"},
        {u"v alpha 2023", "host=alpha:2023 given"},
        {u"v alpha x23", "host=x23 given"},
        {u"v TELNET: alpha", "host=alpha given method=2"},
        {u"v telnet: alpha 23", "host=alpha:23 given method=2"},
        {u"v TELNET:", "host=TELNET: given"},
        {u"v a@b@alpha", "host=b@alpha given user=a"},
        {u"v /H:alpha", "host=alpha given"},
        {u"v /H: SSH://eve@alpha 22", "host=alpha:22 given method=7 user=eve"},
        // Settings-file choices.
        {u"v NONE", "file=/0 named"},
        {u"v none", "file=/0 named"},
        {u"v NEW", "file=/4 named"},
        {u"v New", "file=/4 named"},
        {u"v my.def", "file=my.def/2 named"},
        {u"v bob:pw@my.def", "file=my.def/2 named user=bob:pw"},
        {u"v other.def", "file=other.def/2 named"},
        {u"v up.def", "file=up.def/2 named"},
        {u"v dir.def", "host=dir.def given"},
        {u"v sys.def", "host=sys.def given"},
        {u"v vol.def", "host=vol.def given"},
        {u"v /C", "choose"},
        {u"v /cfoo", "choose"},
        // Switches.
        {u"v /V", "verbose"},
        {u"v /vx", "verbose"},
        {u"v /TH /TM", "method=6"},
        {u"v /tp", "method=4"},
        {u"v /TR", "method=5"},
        {u"v /TS", "method=1"},
        {u"v /TT", "method=2"},
        {u"v /TN", ""},
        {u"v /M:500", "ring=500"},
        {u"v /M:x", ""},
        {u"v /M:70000", ""},
        {u"v /M:99999999999999999999999", ""},
        {u"v /K", "kiosk=" + all + " menu=SMALLMENU"},
        {u"v /K:12", "kiosk=12 menu=SMALLMENU"},
        {u"v /K:x", "kiosk=" + all + " menu=SMALLMENU"},
        {u"v /K:99999999999", "kiosk=" + all + " menu=SMALLMENU"},
        // Unknown switches are reported upper-cased; parsing goes on.
        {u"v /TX alpha", "host=alpha given box=Illegal parameter: /TX"},
        {u"v /q /V", "verbose box=Illegal parameter: /Q"},
        {u"v /D /", "box=Illegal parameter: /D box=Illegal parameter: /"},
        {u"v /T /Hx /M5",
         "box=Illegal parameter: /T box=Illegal parameter: /HX "
         "box=Illegal parameter: /M5"},
        // Key definitions are only skipped in the first pass.
        {u"v /Dx <ESC>[A alpha", "host=alpha given"},
        {u"v /Dxtext alpha", "host=alpha given"},
        // One-character arguments: the first is the start-up key.
        {u"v k j", "key=k"},
        {u"v \"\" q", "key=q"},
    };
    for (const auto& c : cases) {
        SetUp();
        EXPECT_EQ(Start(c.Line), c.Expected) << std::string(c.Line.begin(), c.Line.end());
    }
}

TEST_F(CommandLineTest, OptionsInTheProgramFileName) {
    const std::string all = std::to_string(KioskLevelAll);
    const struct {
        std::u16string Line;
        std::string Expected;
    } cases[] = {
        {u"C:\\VOVUZIVA(HOST=alpha)(USER=bob).EXE", "host=alpha given user=bob:"},
        {u"v(user=bob)(PASSWORD=pw)(TERM=vt100)(CHARSET=437)x",
         "user=bob:pw term=vt100 charset=437"},
        {u"v(PASSWORD=pw)", "user=:pw"},
        {u"v(SETTINGS=NEW)", "file=/4 named"},
        {u"v(SETTINGS=new)", "file=new/2 named"},
        {u"v(SETTINGS=None)", "file=/0 named"},
        {u"v(COMMTYPE=ssh)", "method=7"},
        {u"v(COMMTYPE=Telnet)(COMMTYPE=serial)", "method=2"},
        {u"v(COMMTYPE=RLOGIN)", "method=5"},
        {u"v(COMMTYPE=modem)", "method=6"},
        {u"v(KIOSK=5)", "kiosk=5 menu=SMALLMENU"},
        {u"v(KIOSK=on)", "kiosk=" + all + " menu=SMALLMENU"},
        // A value that is no number ends the scan: the host is not set.
        {u"v(KIOSK=x)(HOST=a)", "kiosk=" + all + " menu=SMALLMENU"},
        {u"v(FOO=1)(host=a)", "host=a given"},
        // The quoted path: only the text inside the quotes counts.
        {u"\"C:\\Program Files\\v(HOST=in).exe\"(HOST=out)", "host=in given"},
        // Unquoted: the name ends at the first blank; arguments come after
        // the options and win.
        {u"v(HOST=alpha).exe beta", "host=beta given"},
        {u"v(HOST=alpha) (HOST=beta)", "host=(HOST=beta) given"},
        // Unbalanced parentheses.
        {u"v(HOST=alpha", "given"},
        {u"v((((", ""},
        {u"v(HOST=a(USER=b)", "host=a(USER=b given"},
        {u"v)(=)(", ""},
    };
    for (const auto& c : cases) {
        SetUp();
        EXPECT_EQ(Start(c.Line), c.Expected) << std::string(c.Line.begin(), c.Line.end());
    }
}

TEST_F(CommandLineTest, SettingsArgumentExpandsVariables) {
    process->environment["CFG"] = "my";
    EXPECT_EQ(Start(u"v ${cfg}.def"), "file=my.def/2 named");
    SetUp();
    process->environment["CFG"] = "my";
    EXPECT_EQ(Start(u"v TELNET://${CFG}.def/"), "file=my.def/2 named");
}

TEST_F(CommandLineTest, UserArgumentGoesIntoTheSettings) {
    ApplyUserArgument("bob:pa:ss");
    EXPECT_EQ(commands::Settings.UserName.Str(), "bob");
    EXPECT_EQ(commands::UnscramblePassword(commands::Settings.Password.View()), "pa:ss");
    EXPECT_NE(commands::Settings.Password.Str(), "pa:ss");

    // Without a colon only the user name changes.
    ApplyUserArgument("carol");
    EXPECT_EQ(commands::Settings.UserName.Str(), "carol");
    EXPECT_EQ(commands::UnscramblePassword(commands::Settings.Password.View()), "pa:ss");

    // "bob:" (USER alone) empties the password; the field is zero-filled.
    ApplyUserArgument("bob:");
    EXPECT_TRUE(commands::Settings.Password.Empty());
    EXPECT_EQ(commands::Settings.Password, commands::DefaultSettings().Password);

    ApplyUserArgument("");
    EXPECT_EQ(commands::Settings.UserName.Str(), "bob");
}

TEST_F(CommandLineTest, KeyDefinitionsInTheSecondPass) {
    UseCommandLine(
        u"v /Dx <ESC>[A<F6>help| /dy \"two words\" alpha /DzA<><esc><ctrl /D /Dq /D\u00e9 \u00e9 "
        u"/Dk");
    DefineKeysFromArguments();
    const std::vector<DefinedKey> expected{
        {'x', std::string("\x1b[A\0@help|", 10), true, 1},
        {'y', "two words", true, 1},
        {'z',
         "A\x1b"
         "ctrl",
         true, 1},
        // "/Dq" takes the next argument as its text, whatever it is.
        {'q', "/D\xc3\xa9", true, 1},
        {'k', "", true, 1},
    };
    EXPECT_EQ(Seen.Keys, expected);
}

TEST_F(CommandLineTest, KeyNameReplacement) {
    const struct {
        std::string Text;
        std::string Expected;
    } cases[] = {
        {"<F6>", std::string("\0@", 2)},
        {"<f6><Esc>", std::string("\0@\x1b", 3)},
        {"a<>b", "ab"},
        {"<name>", "name"},
        {"x<open", "xopen"},
        {"<<ESC>>", "<ESC>"},
        // After an empty pair the scan goes on where the pair stood.
        {"<><ESC>", "\x1b"},
        {"<a<b>", "ab"},
        {"no brackets > here", "no brackets > here"},
    };
    for (const auto& c : cases) EXPECT_EQ(ReplaceKeyNames(c.Text), c.Expected) << c.Text;
}

TEST_F(CommandLineTest, HostileInput) {
    const std::u16string huge(100000, u'h');
    EXPECT_EQ(Start(u"v " + huge), "host=" + std::string(255, 'h') + " given");

    SetUp();
    EXPECT_EQ(Start(u"v " + huge + u"@alpha"), "host=alpha given user=" + std::string(255, 'h'));

    // Unbalanced quotes run to the end; quoted parts join with their
    // neighbours; an illegal switch of any length gives one bounded box.
    SetUp();
    EXPECT_EQ(Start(u"v \"two words"), "host=two words given");
    SetUp();
    EXPECT_EQ(Start(u"v a\"b c\"d"), "host=ab cd given");
    SetUp();
    Start(u"v /" + huge);
    ASSERT_EQ(Seen.Boxes.size(), 1u);
    EXPECT_EQ(Seen.Boxes[0].size(), 255u);

    // Thousands of arguments: each is read once.
    SetUp();
    std::u16string many = u"v";
    for (int i = 0; i < 20000; ++i) many += u" /TN";
    EXPECT_EQ(Start(many), "");

    // The port is appended within the field's 255 bytes.
    SetUp();
    EXPECT_EQ(Start(u"v " + std::u16string(254, u'p') + u" 80"),
              "host=" + std::string(254, 'p') + ": given");
    // Characters outside the code page do not break the 8-bit form.
    SetUp();
    EXPECT_EQ(Start(u"v \u4e2d\u6587"), "host=?? given");
}

TEST_F(CommandLineTest, SessionStepsReadAndWriteTheSessionGlobals) {
    static int titleUpdates = 0;
    titleUpdates = 0;
    Services.UpdateWindowTitle = [] { ++titleUpdates; };
    SessionGlobals before;
    Services.ReadGlobals(before);
    before.SettingsFileName = "wendrosta.def";
    Services.WriteGlobals(before);

    UseCommandLine(u"v(KIOSK=3)(HOST=alpha) my.def /TT");
    StartupLocals locals;
    ParseCommandKeywordsForSession(locals);
    FirstArgumentPassForSession(locals);

    SessionGlobals after;
    Services.ReadGlobals(after);
    EXPECT_EQ(after.SettingsFileName, "my.def");
    EXPECT_EQ(after.SettingsSource, SettingsSourceNamed);
    EXPECT_EQ(after.WindowMenuName, "SMALLMENU");
    EXPECT_EQ(after.HostName, "alpha");
    EXPECT_EQ(Seen.KioskLevels, std::vector<int32_t>{3});
    EXPECT_EQ(titleUpdates, 1);
    EXPECT_TRUE(locals.HostGiven);
    EXPECT_TRUE(locals.SettingsNamed);
    EXPECT_EQ(locals.MethodArg, 2);
}

TEST_F(CommandLineTest, TextScanningHelpers) {
    std::size_t pos = 0;
    std::string word;
    NextWordAt("  CONNECT  alpha", pos, word);
    EXPECT_EQ(word, "CONNECT");
    EXPECT_EQ(pos, 9u);
    NextWordAt("  CONNECT  alpha", pos, word);
    EXPECT_EQ(word, "alpha");
    NextWordAt("  CONNECT  alpha", pos, word);
    EXPECT_EQ(word, "");

    const struct {
        const char* Text;
        int32_t Value;
        std::size_t End;
    } ints[] = {
        {"abc 42x", 42, 6},
        {"x-y-12", -12, 6},
        {"--5", -5, 3},
        {"none", 0, 4},
        {"", 0, 0},
        {"99999999999999", 2147483647, 14},
        {"-99999999999999", -2147483647 - 1, 15},
    };
    for (const auto& c : ints) {
        pos = 0;
        EXPECT_EQ(ParseIntAt(c.Text, pos), c.Value) << c.Text;
        EXPECT_EQ(pos, c.End) << c.Text;
    }
    pos = 10;
    EXPECT_EQ(ParseIntAt("12", pos), 0);

    // The cursor stands at column 10, row 4.
    const struct {
        const char* Text;
        bool Ok;
        std::array<int32_t, 4> Coords;
    } rects[] = {
        {". .+5 1 .", true, {10, 15, 1, 4}},
        {" 1  80 .-3 24 rest", true, {1, 80, 1, 24}},
        {"-2 .-20 x7 .+0", true, {-2, -10, 7, 4}},
        {".2147483647 1 1 1", true, {2147483647, 1, 1, 1}},
        {"1 2 3", false, {}},
        {"1 2 3 x", false, {}},
        {"", false, {}},
    };
    for (const auto& r : rects) {
        std::array<int32_t, 4> coords{};
        pos = 0;
        EXPECT_EQ(ParseCoordinates(r.Text, pos, 10, 4, coords), r.Ok) << r.Text;
        if (r.Ok) {
            EXPECT_EQ(coords, r.Coords) << r.Text;
        }
    }

    EXPECT_EQ(ByteDecimalText(0), "0");
    EXPECT_EQ(ByteDecimalText(255), "255");
}

TEST_F(CommandLineTest, UsableFiles) {
    const std::string longName(260, 'n');
    process->files[longName] = 0x20;
    process->files[longName + "x"] = 0x20;
    process->files["*.def"] = 0x20;
    EXPECT_TRUE(IsUsableFile("my.def"));
    EXPECT_TRUE(IsUsableFile(longName));
    EXPECT_FALSE(IsUsableFile(longName + "x"));
    EXPECT_FALSE(IsUsableFile(""));
    EXPECT_FALSE(IsUsableFile("missing.def"));
    EXPECT_FALSE(IsUsableFile("dir.def"));
    EXPECT_FALSE(IsUsableFile("sys.def"));
    EXPECT_FALSE(IsUsableFile("vol.def"));
    // A pattern is no file name, whatever the search would find for it.
    EXPECT_FALSE(IsUsableFile("*.def"));
    // Every search that found something is closed again.
    EXPECT_EQ(process->closed, 5);

    // The native search on real files.
    process.reset();
    EXPECT_TRUE(IsUsableFile(VZ_SOURCE_DIR "/CMakeLists.txt"));
    EXPECT_FALSE(IsUsableFile(VZ_SOURCE_DIR "/src"));
}

}  // namespace
}  // namespace emulation
