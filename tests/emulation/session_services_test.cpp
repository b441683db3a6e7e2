#include "emulation/session_services.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/session_wiring.h"
#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "emulation/main_routine.h"
#include "ui/dialog_interface.h"
#include "ui/message_box.h"

namespace emulation {
namespace {

class SessionServicesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        commands::ResetSettingsToDefaults();
        app::ComposeSessionServices();
    }
    void TearDown() override { commands::ResetSettingsToDefaults(); }
};

TEST_F(SessionServicesTest, UnchangedSettingsKeepTheirBytes) {
    // A loaded file may hold old bytes past a text's length; writing the same
    // values back must not disturb them, or saving would be offered for nothing.
    commands::Settings.HostName.Assign("alpha");
    commands::Settings.HostName.text[100] = 'x';
    commands::SettingsRecord before = commands::Settings;

    SessionGlobals g;
    Services.ReadGlobals(g);
    Services.WriteGlobals(g);
    EXPECT_EQ(std::memcmp(&before, &commands::Settings, sizeof before), 0);

    g.HostName = "beta";
    g.InactivityTimeout = 60;
    Services.WriteGlobals(g);
    EXPECT_EQ(commands::Settings.HostName.Str(), "beta");
    EXPECT_EQ(commands::Settings.HostName.text[100], 0);  // a changed text is zero-filled
    EXPECT_EQ(commands::Settings.InactivityTimeout.Get(), 60);

    g.PrinterName = "A-NAME-LONGER-THAN-TEN";
    Services.WriteGlobals(g);
    EXPECT_EQ(commands::Settings.PrinterName.Str(), "A-NAME-LON");
}

TEST_F(SessionServicesTest, OwnMessageTexts) {
    EXPECT_EQ(Services.MessageText(607), "INVALID FUNCTION");
    EXPECT_EQ(Services.MessageText(4), "wendrosta.def");
    EXPECT_EQ(Services.MessageText(65535), "");
}

std::string LastBox;
int RecordBox(std::string_view text) {
    LastBox.assign(text);
    return ui::MessageBoxOk;
}

TEST_F(SessionServicesTest, MenuCommandRunsThroughTheInterpreter) {
    commands::ResetInterpreter();
    ResetMainRoutine();
    ui::ResetMenuDispatch();
    ui::SetMessageBoxFunction(RecordBox);
    commands::Interpreter.LearnMode = true;

    ui::QueuePendingCommand("NO-SUCH-COMMAND");
    MainLoopPass();
    EXPECT_EQ(LastBox, "INVALID FUNCTION");
    EXPECT_EQ(commands::Interpreter.LearnText, std::string("\0@NO-SUCH-COMMAND|", 18));
    EXPECT_TRUE(ui::MenuDispatch.PendingCommand.empty());

    ui::SetMessageBoxFunction(nullptr);
    commands::ResetInterpreter();
}

}  // namespace
}  // namespace emulation
