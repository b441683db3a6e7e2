#include "connections/connection_settings.h"

#include <gtest/gtest.h>

namespace connections {
namespace {

TEST(ConnectionSettings, FromTheRecordDefaults) {
    const ConnectionSettings s = ConnectionSettingsFrom(commands::DefaultSettings(), false);
    EXPECT_EQ(s.CommMethod, kMethodTelnet);
    EXPECT_EQ(s.ReconnectMode, 0);
    EXPECT_EQ(s.HostName, "");
    EXPECT_FALSE(s.SocketKeepAlive);
    EXPECT_EQ(s.KeepAliveSeconds, 0);
    EXPECT_TRUE(s.StatusLine);
    EXPECT_TRUE(s.telnet.TelnetNegotiation);
    EXPECT_TRUE(s.telnet.SendWindowSize);
    EXPECT_FALSE(s.telnet.TelnetBinary);
    EXPECT_EQ(s.telnet.SrpAuthMode, 1);
    EXPECT_EQ(s.telnet.SrpEncryptMode, 1);
    EXPECT_EQ(s.telnet.TerminalType, "VT220");
    EXPECT_EQ(s.telnet.TermNameSeparator, ';');
    EXPECT_EQ(s.telnet.EnvironmentText, "OZMEL=${OZM_PROGRAM}");
}

TEST(ConnectionSettings, HostileBytesStayInBounds) {
    commands::SettingsRecord r = commands::DefaultSettings();
    r.HostName.Assign("host.example:2323");
    r.TerminalType.length = 250;  // longer than the field's 20 bytes
    r.KeepAliveSeconds.SetSigned(-5);
    r.CommMethod = 99;
    const ConnectionSettings s = ConnectionSettingsFrom(r, true);
    EXPECT_EQ(s.HostName, "host.example:2323");
    EXPECT_EQ(s.telnet.TerminalType.size(), 20u);
    EXPECT_TRUE(s.telnet.OldScoAnsi);

    // The layer treats the unknown method as none and the negative interval as off.
    ConnectionLayer layer;
    layer.settings = s;
    EXPECT_TRUE(layer.CommFlowKeysLocal());
    EXPECT_EQ(layer.CommOpen(1), kCommNoLibrary);
    EXPECT_EQ(layer.CommPoll(), 0u);
}

}  // namespace
}  // namespace connections
