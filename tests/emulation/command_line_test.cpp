#include "emulation/command_line.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "commands/password_scramble.h"
#include "commands/settings_record.h"
#include "commands/variables.h"
#include "connections/comm_interface.h"
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

// The process around the command line: its command line and module name,
// the files that exist (with their attribute bits), message boxes shown and
// keys defined.
struct FakeProcess {
    std::u16string CommandLine;
    std::u16string ModuleFileName = u"C:\\Prog\\VOVUZIVA.EXE";
    std::map<std::string, int64_t> Files;
    std::map<std::string, std::string> Environment;
    std::vector<std::string> Boxes;
    std::vector<DefinedKey> Keys;
    int TitleUpdates = 0;
};
FakeProcess Process;

const platform::CommandLinePlatform FakeSource{
    [] { return Process.CommandLine; },
    [] { return Process.ModuleFileName; },
    [](std::u16string_view text) {
        std::string out;
        for (char16_t c : text) out.push_back(c < 0x100 ? static_cast<char>(c) : '?');
        return out;
    },
    [](std::string_view name) -> int64_t {
        const auto found = Process.Files.find(std::string(name));
        return found == Process.Files.end() ? -1 : found->second;
    },
};

int RecordBox(std::string_view text) {
    Process.Boxes.emplace_back(text);
    return ui::MessageBoxOk;
}

class CommandLineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Process = FakeProcess{};
        Process.Files = {{"my.def", 0x20},     {"C:\\Prog\\other.def", 0x21},
                         {"..\\up.def", 0x20}, {"dir.def", 0x10},
                         {"sys.def", 0x24},    {"vol.def", 0x08}};
        commands::ResetSettingsToDefaults();
        commands::ResetVariableSources();
        commands::VariableSource.GetEnv = [](std::string_view name) {
            const auto found = Process.Environment.find(std::string(name));
            return found == Process.Environment.end() ? std::string() : found->second;
        };
        connections::ResetCommLayer();
        ResetCommandLineServices();
        CommandLineService.DefineMacro = [](uint8_t key, std::string_view text, bool utf8,
                                            uint8_t scope) {
            Process.Keys.push_back({key, std::string(text), utf8, scope});
        };
        CommandLineService.UpdateWindowTitle = [](const StartupArguments&) {
            ++Process.TitleUpdates;
        };
        previousBox = ui::SetMessageBoxFunction(RecordBox);
        platform::InstallCommandLineSource(FakeSource);
    }
    void TearDown() override {
        ui::SetMessageBoxFunction(previousBox);
        platform::ResetCommandLineSource();
        ResetCommandLineServices();
        commands::ResetVariableSources();
        commands::ResetSettingsToDefaults();
        connections::ResetCommLayer();
    }

    static void UseCommandLine(std::u16string line) {
        Process.CommandLine = std::move(line);
        platform::InstallCommandLineSource(FakeSource);
    }

    // Runs everything before the settings load and describes what changed
    // from an empty start, in a fixed order.
    static std::string Start(std::u16string line) {
        UseCommandLine(std::move(line));
        StartupArguments args;
        args.SettingsFileName = "wendrosta.def";
        ReadCommandLine(args);
        std::string out;
        auto add = [&](const std::string& item) { out += (out.empty() ? "" : " ") + item; };
        if (args.SettingsFileName != "wendrosta.def" || args.SettingsSource != 1) {
            add("file=" + args.SettingsFileName + "/" + std::to_string(args.SettingsSource));
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
        if (args.KioskLevel != 0) add("kiosk=" + std::to_string(args.KioskLevel));
        if (args.WindowMenuName != "MainMenu") add("menu=" + args.WindowMenuName);
        if (connections::CommLayer.CommVerbose) add("verbose");
        for (const auto& box : Process.Boxes) add("box=" + box);
        return out;
    }

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
    Process.Environment["CFG"] = "my";
    EXPECT_EQ(Start(u"v ${cfg}.def"), "file=my.def/2 named");
    EXPECT_EQ(Process.TitleUpdates, 1);
    SetUp();
    Process.Environment["CFG"] = "my";
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
    EXPECT_EQ(Process.Keys, expected);
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
    ASSERT_EQ(Process.Boxes.size(), 1u);
    EXPECT_EQ(Process.Boxes[0].size(), 255u);

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

TEST_F(CommandLineTest, ArgumentSplitting) {
    EXPECT_EQ(SplitCommandLine(u"  \"C:\\a b\\v.exe\"  x\t\"y z\" \"\" w\"\"v \"open"),
              (std::vector<std::u16string>{u"C:\\a b\\v.exe", u"x", u"y z", u"wv", u"open"}));
    UseCommandLine(u"v one two");
    EXPECT_EQ(ArgumentCount(), 2);
    EXPECT_EQ(Argument(0), "C:\\Prog\\VOVUZIVA.EXE");
    EXPECT_EQ(Argument(2), "two");
    EXPECT_EQ(Argument(3), "");
    EXPECT_EQ(Argument(-1), "");
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

    CommandLineService.CursorPosition = [](int32_t& column, int32_t& row) {
        column = 10;
        row = 4;
    };
    std::array<int32_t, 4> coords{};
    pos = 0;
    ASSERT_TRUE(ParseCoordinates(". .+5 1 .", pos, coords));
    EXPECT_EQ(coords, (std::array<int32_t, 4>{10, 15, 1, 4}));
    pos = 0;
    ASSERT_TRUE(ParseCoordinates(" 1  80 .-3 24 rest", pos, coords));
    EXPECT_EQ(coords, (std::array<int32_t, 4>{1, 80, 1, 24}));
    pos = 0;
    EXPECT_FALSE(ParseCoordinates("1 2 3", pos, coords));
    pos = 0;
    ASSERT_TRUE(ParseCoordinates(".2147483647 1 1 1", pos, coords));
    EXPECT_EQ(coords[0], 2147483647);

    EXPECT_EQ(ByteDecimalText(0), "0");
    EXPECT_EQ(ByteDecimalText(255), "255");
}

TEST_F(CommandLineTest, UsableFiles) {
    const std::string longName(260, 'n');
    Process.Files[longName] = 0x20;
    Process.Files[longName + "x"] = 0x20;
    EXPECT_TRUE(IsUsableFile("my.def"));
    EXPECT_TRUE(IsUsableFile(longName));
    EXPECT_FALSE(IsUsableFile(longName + "x"));
    EXPECT_FALSE(IsUsableFile(""));
    EXPECT_FALSE(IsUsableFile("missing.def"));
    EXPECT_FALSE(IsUsableFile("dir.def"));
    EXPECT_FALSE(IsUsableFile("sys.def"));
    EXPECT_FALSE(IsUsableFile("vol.def"));

    // The native attribute query on real files.
    platform::ResetCommandLineSource();
    EXPECT_TRUE(IsUsableFile(VZ_SOURCE_DIR "/CMakeLists.txt"));
    EXPECT_FALSE(IsUsableFile(VZ_SOURCE_DIR "/src"));
}

}  // namespace
}  // namespace emulation
