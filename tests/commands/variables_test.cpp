#include "commands/variables.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../console/fake_system.h"
#include "commands/password_scramble.h"
#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "connections/connection_layer.h"
#include "transfer/transfer_interface.h"

namespace commands {
namespace {

// A fake process environment and a recorder for the SET SHOW box.
struct FakeWorld {
    std::vector<std::pair<std::string, std::string>> Boxes;
    bool ComputerNameWorks = false;
    bool DocsFolderWorks = false;
};
FakeWorld World;

void RecordBox(std::string_view text, std::string_view caption) {
    World.Boxes.emplace_back(text, caption);
}

bool FakeComputerName(std::string& name) {
    name = "PC42";
    return World.ComputerNameWorks;
}

bool FakeSpecialFolder(int folder, std::string& path) {
    path = "C:\\Folder" + std::to_string(folder);
    return World.DocsFolderWorks;
}

class VariablesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        World = FakeWorld{};
        system.reset();
        system = std::make_unique<testing_support::FakeSystem>();
        ResetSettingsToDefaults();
        ResetSetVariableStore();
        ResetVariableSources();
        connections::ResetCommLayer();
        VariableSource.ShowVariablesBox = RecordBox;
        VariableSource.ComputerName = FakeComputerName;
        VariableSource.SpecialFolder = FakeSpecialFolder;
        VariableSource.CurrentWindowTitle = [] { return std::string(100, 't'); };
        transfer::Transfer.LastReceivedFile = "C:\\down\\file.txt";
    }
    void TearDown() override {
        ResetVariableSources();
        ResetSetVariableStore();
        ResetSettingsToDefaults();
        connections::ResetCommLayer();
        transfer::ResetTransfer();
        system.reset();
    }

    std::map<std::string, std::string>& Environment() { return system->environment; }

    std::unique_ptr<testing_support::FakeSystem> system;
};

TEST_F(VariablesTest, BuiltinNames) {
    AssignZeroFilled(Settings.UserName, "bob");
    AssignZeroFilled(Settings.HostName, "alpha.example:2023");
    AssignZeroFilled(Settings.DownloadDir, "C:\\Downloads\\");
    AssignZeroFilled(Settings.Password, ScramblePassword("s3cret"));
    connections::connectionLayer.LocalIpAddress = "10.0.0.7";
    Environment()["OZM_MY_DOCS"] = "from-env";

    const struct {
        const char* Text;
        std::string Expected;
    } cases[] = {
        {"${OZM_PROGRAM}", "VOVUZIVA"},
        {"${ozm_program}", "VOVUZIVA"},
        {"${OZM_USERNAME}", "bob"},
        {"${OZM_PASSWORD}", "s3cret"},
        {"${OZM_HOSTNAME}", "alpha.example"},
        {"${OZM_DOWNDIR}", "C:\\Downloads"},
        {"${OZM_IP}", "10.0.0.7"},
        {"${OZM_TITLE}", std::string(80, 't')},
        {"${OZM_LAST_RECD}", "C:\\down\\file.txt"},
        {"${OZM_TCPNAME}", "N/A"},
        // Failed queries: the computer name gives its own name, a special
        // folder falls through to the environment variable of that name.
        {"${OZM_COMPUTERNAME}", "OZM_COMPUTERNAME"},
        {"${OZM_WINNAME}", "OZM_WINNAME"},
        {"${OZM_MY_DOCS}", "from-env"},
        {"${OZM_DESKTOP}", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ExpandVariables(c.Text), c.Expected) << c.Text;

    World.ComputerNameWorks = true;
    World.DocsFolderWorks = true;
    EXPECT_EQ(ExpandVariables("${OZM_COMPUTERNAME}"), "PC42");
    EXPECT_EQ(
        ExpandVariables("${OZM_MY_DOCS}|${OZM_COMMON_DOCS}|${OZM_DESKTOP}|${OZM_PROGRAM_FILES}"),
        "C:\\Folder5|C:\\Folder46|C:\\Folder16|C:\\Folder38");
}

TEST_F(VariablesTest, BuiltinEdgeValues) {
    // No port, a drive root, a directory without backslash, the no-password bar.
    AssignZeroFilled(Settings.HostName, "alpha");
    EXPECT_EQ(ExpandVariables("${OZM_HOSTNAME}"), "alpha");
    AssignZeroFilled(Settings.DownloadDir, "C:\\");
    EXPECT_EQ(ExpandVariables("${OZM_DOWNDIR}"), "C:");
    AssignZeroFilled(Settings.DownloadDir, "D:\\in");
    EXPECT_EQ(ExpandVariables("${OZM_DOWNDIR}"), "D:\\in");
    AssignZeroFilled(Settings.Password, ScramblePassword("|"));
    EXPECT_EQ(ExpandVariables("[${OZM_PASSWORD}]"), "[]");
    AssignZeroFilled(Settings.Password, "");
    EXPECT_EQ(ExpandVariables("[${OZM_PASSWORD}]"), "[]");
}

TEST_F(VariablesTest, ReferenceSyntax) {
    Environment()["HOME"] = "/home/u";
    Environment()["A${B"] = "odd";
    Environment()["LOOP"] = "${LOOP}";
    Environment()["LONG"] = std::string(300, 'v');
    Environment()[std::string(255, 'N')] = "cut-name";
    const struct {
        std::string Text;
        std::string Expected;
    } cases[] = {
        {"$${OZM_PROGRAM}", "$VOVUZIVA"},
        {"a${}b", "ab"},
        {"x${OZM_PROGRAM", "x${OZM_PROGRAM"},
        {"${", "${"},
        {"$", "$"},
        {"${A${B}}", "odd}"},
        {"${UNKNOWN}!", "!"},
        {"${ home }", ""},
        {"${home}/x", "/home/u/x"},
        {"${OZM_PROGRAM}${OZM_PROGRAM}", "VOVUZIVAVOVUZIVA"},
        // A value holding a reference is not expanded again.
        {"${LOOP}", "${LOOP}"},
        // Values and names are cut to 255 characters.
        {"${LONG}", std::string(255, 'v')},
        {"${" + std::string(300, 'n') + "}", "cut-name"},
    };
    for (const auto& c : cases) EXPECT_EQ(ExpandVariables(c.Text), c.Expected) << c.Text;
}

TEST_F(VariablesTest, OnlyTheWideExpansionSeesSetVariables) {
    Environment()["GREETING"] = "env";
    SetCommand("SET greeting = Hello World ");
    EXPECT_EQ(ExpandVariablesWide(u"<${Greeting}>"), u"<Hello World>");
    EXPECT_EQ(ExpandVariables("<${Greeting}>"), "<env>");
    // Built-in names come before SET variables, the environment after them.
    SetCommand("SET OZM_PROGRAM=mine");
    EXPECT_EQ(ExpandVariablesWide(u"${OZM_PROGRAM}"), u"VOVUZIVA");
    Environment()["ONLYENV"] = "e";
    EXPECT_EQ(ExpandVariablesWide(u"${ONLYENV}${NONE_AT_ALL}"), u"e");
    // Non-ASCII text around references passes through; the value comes back
    // through the code page.
    SetCommand(std::string("SET CAF=\xE9t\xE9"));
    EXPECT_EQ(ExpandVariablesWide(u"\u20AC ${caf} ${"), u"\u20AC \u00E9t\u00E9 ${");
}

TEST_F(VariablesTest, SetReusesFreedSlotsAndShowListsInSlotOrder) {
    SetCommand("SET X=1");
    SetCommand("SET Y=2");
    SetCommand("SET X=");
    EXPECT_EQ(SetVariableStore.Names, (std::vector<std::string>{"", "Y"}));
    SetCommand("SET Z=3");
    SetCommand("SET Y=two");
    SetCommand("SET show");
    ASSERT_EQ(World.Boxes.size(), 1u);
    EXPECT_EQ(World.Boxes[0].first, "Current variables are: \r   Z=3\r   Y=two\r");
    EXPECT_EQ(World.Boxes[0].second, "Show Variables");
}

TEST_F(VariablesTest, SetIgnoresWhatItCannotUse) {
    SetCommand("SET NOEQUALS");
    SetCommand("SET Q=");  // deleting a name that is not there
    SetCommand("SET =value");
    SetCommand("SET \t =value");
    EXPECT_TRUE(SetVariableStore.Names.empty());
    SetCommand("SET SHOW");
    ASSERT_EQ(World.Boxes.size(), 1u);
    EXPECT_EQ(World.Boxes[0].first, "Current variables are: \r");

    // A line is cut to 255 bytes before parsing; the value keeps its case
    // and inner blanks.
    SetCommand("SET LONG=" + std::string(300, 'w'));
    SetCommand("SET  mixed\x01 =  A  b  ");
    ASSERT_EQ(SetVariableStore.Names.size(), 2u);
    EXPECT_EQ(SetVariableStore.Values[0], std::string(255 - 9, 'w'));
    EXPECT_EQ(SetVariableStore.Names[1], "MIXED");
    EXPECT_EQ(SetVariableStore.Values[1], "A  b");
}

TEST_F(VariablesTest, SetShowAndStoreAreBounded) {
    for (int i = 0; i < 100; ++i)
        SetCommand("SET NAME" + std::to_string(i) + "=" + std::string(20, 'v'));
    SetCommand("SET SHOW");
    ASSERT_EQ(World.Boxes.size(), 1u);
    EXPECT_EQ(World.Boxes[0].first.size(), 255u);
    EXPECT_EQ(World.Boxes[0].first.rfind("Current variables are: \r   NAME0=", 0), 0u);

    // A host that sends SET after SET with new names cannot grow the store
    // without end; changing a variable that exists still works at the limit.
    for (std::size_t i = 0; i < MaxSetVariables + 50; ++i)
        SetCommand("SET V" + std::to_string(i) + "=x");
    EXPECT_EQ(SetVariableStore.Names.size(), MaxSetVariables);
    SetCommand("SET V5=changed");
    EXPECT_EQ(ExpandVariablesWide(u"${V5}"), u"changed");
}

}  // namespace
}  // namespace commands
