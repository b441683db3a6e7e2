// The communication settings dialog from the Setup item: what it shows of
// the settings, what OK stores, and when the connection is reopened.
#include "ui/dialogs/comm_settings.h"

#include "dialog_fixture.h"

namespace {

using commands::Settings;
using dialog_test::Click;
using dialog_test::FakeControls;
using dialog_test::Pick;
using dialog_test::script;
using dialog_test::Type;

bool connected = false;

class CommSettingsTest : public dialog_test::DialogFixture {
  protected:
    void SetUp() override {
        DialogFixture::SetUp();
        connected = false;
        auto& t = ui::MenuServices;
        t.CommIsOpen = [] { return connected; };
        t.CommClose = [] {
            menu_test::Note("close");
            connected = false;
        };
        t.CommOpen = [] {
            menu_test::Note("open " + std::to_string(Settings.CommMethod) + " " +
                            Settings.HostName.Str());
            connected = Settings.HostName.Str() != "nowhere";
            return connected ? 0 : 11;
        };
        t.CommErrorText = [](int code) { return "error " + std::to_string(code); };
        t.StartAutoLogin = [] { menu_test::Note("login"); };
        script.Missing["COMMSETTINGS"] = {121};  // the program's template has the combo box
        Settings.CommMethod = 2;
        Settings.HostName = "alpha";
    }
};

TEST_F(CommSettingsTest, OpensWithTheSettingsAndStoresTheChoice) {
    Settings.CommMethod = 1;
    Settings.SerialBaud.Set(1152);
    Settings.SerialPort = 3;
    Settings.SerialDataBits.Set(7);
    Settings.SerialParity = 'e';
    script.Edits["COMMSETTINGS"] = [](ui::DialogModel& m, FakeControls& f) {
        EXPECT_EQ(f.SelectedText(122), "115200");
        EXPECT_EQ(f.SelectedText(123), "7E");
        EXPECT_EQ(f.Items[210].Text, "3");
        EXPECT_TRUE(f.Items[101].Checked);
        EXPECT_FALSE(f.Items[110].Enabled) << "no host for a serial line";
        EXPECT_TRUE(f.Items[1].Enabled) << "serial needs nothing typed";
        EXPECT_FALSE(f.Items[104].Enabled) << "no PicLan";
        EXPECT_FALSE(f.Items[106].Enabled) << "no telephony devices";
        Pick(m, f, 122, "256000");
        Pick(m, f, 123, "8N");
        f.Items[210].Text = "4";
    };
    EXPECT_EQ(Choose(576), "open 1 alpha; login; ");
    EXPECT_EQ(Settings.SerialBaud.Get(), 2560);
    EXPECT_EQ(Settings.SerialDataBits.Get(), 8);
    EXPECT_EQ(Settings.SerialParity, 'N');
    EXPECT_EQ(Settings.SerialPort, 4);
}

TEST_F(CommSettingsTest, ReopensOnlyWhenTheMethodOrTargetChanged) {
    struct Case {
        const char* What;
        bool Connected;
        int Method;  // radio button to click, 0: none
        const char* Host;
        const char* Log;
        uint8_t StoredMethod;
        const char* StoredHost;
    };
    const Case cases[] = {
        {"same host, open", true, 0, "alpha", "", 2, "alpha"},
        {"same host, closed", false, 0, "alpha", "close; open 2 alpha; login; ", 2, "alpha"},
        {"new host", true, 0, "beta:2323", "close; open 2 beta:2323; login; ", 2, "beta:2323"},
        {"to SSH", true, 107, "alpha", "close; open 7 alpha; login; ", 7, "alpha"},
        {"a failed open keeps the new host", true, 0, "nowhere",
         "close; open 2 nowhere; box error 11; ", 2, "nowhere"},
    };
    for (const auto& c : cases) {
        Settings.CommMethod = 2;
        Settings.HostName = "alpha";
        connected = c.Connected;
        script.Edits["COMMSETTINGS"] = [&](ui::DialogModel& m, FakeControls& f) {
            EXPECT_EQ(f.Items[110].Text, "alpha");
            if (c.Method) {
                f.Items[102].Checked = false;
                Click(m, f, c.Method);
            }
            Type(m, f, 110, c.Host);
        };
        EXPECT_EQ(Choose(576), c.Log) << c.What;
        EXPECT_EQ(Settings.CommMethod, c.StoredMethod) << c.What;
        EXPECT_EQ(Settings.HostName.Str(), c.StoredHost) << c.What;
    }
}

TEST_F(CommSettingsTest, CancelAndAnEmptyHostChangeNothing) {
    Settings.SshVersion.Set(2);
    script.Edits["SSHSETUP"] = [](ui::DialogModel& m, FakeControls& f) {
        EXPECT_TRUE(f.Items[102].Checked);
        f.Items[102].Checked = false;
        Click(m, f, 101);
        Click(m, f, 103);
        Pick(m, f, 105, "Blowfish");
    };
    script.Edits["COMMSETTINGS"] = [](ui::DialogModel& m, FakeControls& f) {
        f.Items[102].Checked = false;
        Click(m, f, 107);
        EXPECT_TRUE(f.Items[206].Enabled);
        m.Command(f, 206, ui::ControlEvent::Clicked);
        Type(m, f, 110, "");
        EXPECT_FALSE(f.Items[1].Enabled) << "SSH without a host";
    };
    EXPECT_EQ(Choose(576), "") << "OK is refused without a host";
    EXPECT_EQ(dialog_test::script.Opened, (std::vector<std::string>{"COMMSETTINGS", "SSHSETUP"}));
    EXPECT_EQ(Settings.CommMethod, 2);
    EXPECT_EQ(Settings.SshVersion.Get(), 2);

    script.PressOk = false;
    script.Missing["COMMSETTINGS"] = {121};
    script.Edits["COMMSETTINGS"] = [](ui::DialogModel& m, FakeControls& f) {
        Type(m, f, 110, "gamma");
        m.Command(f, 206, ui::ControlEvent::Clicked);
    };
    EXPECT_EQ(Choose(576), "");
    EXPECT_EQ(Settings.HostName.Str(), "alpha");
    EXPECT_EQ(Settings.SshCipher.Get(), 0);
}

TEST_F(CommSettingsTest, AModemMethodWithoutDevicesOpensAsTelnet) {
    Settings.CommMethod = 6;
    connected = true;
    script.Edits["COMMSETTINGS"] = [](ui::DialogModel&, FakeControls& f) {
        EXPECT_TRUE(f.Items[102].Checked);
        EXPECT_FALSE(f.Items[106].Checked);
        EXPECT_TRUE(f.Items[110].Enabled);
    };
    EXPECT_EQ(Choose(576), "close; open 2 alpha; login; ");
    EXPECT_EQ(Settings.CommMethod, 2);
}

TEST_F(CommSettingsTest, SshOptionsReachTheSettingsOnOk) {
    script.Edits["SSHSETUP"] = [](ui::DialogModel& m, FakeControls& f) {
        f.Items[102].Checked = false;
        Click(m, f, 101);
        Click(m, f, 104);
        Pick(m, f, 105, "DES");
    };
    script.Edits["COMMSETTINGS"] = [](ui::DialogModel& m, FakeControls& f) {
        f.Items[102].Checked = false;
        Click(m, f, 107);
        m.Command(f, 206, ui::ControlEvent::Clicked);
    };
    connected = true;
    Choose(576);
    EXPECT_EQ(Settings.SshVersion.Get(), 1);
    EXPECT_EQ(Settings.SshSha1Key16, 1);
    EXPECT_EQ(Settings.SshCipher.Get(), 2);
    EXPECT_EQ(Settings.CommMethod, 7);
}

}  // namespace
