#include "connections/connection_settings.h"

namespace connections {

ConnectionSettings ConnectionSettingsFrom(const commands::SettingsRecord& r,
                                          bool oldScoAnsiActive) {
    ConnectionSettings s;
    s.CommMethod = r.CommMethod;
    s.ReconnectMode = r.ReconnectMode;
    s.HostName = r.HostName.Str();
    s.SocksHost = r.SocksHost.Str();
    s.UserName = r.UserName.Str();
    s.SocketKeepAlive = r.SocketKeepAlive != 0;
    s.KeepAliveSeconds = r.KeepAliveSeconds.GetSigned();
    s.AsciiCharDelay = r.AsciiCharDelay.Get();
    s.StatusLine = r.StatusLine != 0;
    TelnetSettings& t = s.telnet;
    t.TelnetNegotiation = r.TelnetNegotiation != 0;
    t.SendWindowSize = r.SendWindowSize != 0;
    t.TelnetBinary = r.TelnetBinary != 0;
    t.SrpAuthMode = r.SrpAuthMode;
    t.SrpEncryptMode = r.SrpEncryptMode;
    t.TermNameList = r.TermNameList.Str();
    t.TermNameSeparator = static_cast<char>(r.TermNameSeparator);
    t.TerminalType = r.TerminalType.Str();
    t.EnvironmentText = r.EnvironmentText.Str();
    t.OldScoAnsi = oldScoAnsiActive;
    s.ssh.SshVersion = r.SshVersion.Get();
    s.ssh.SshCompression = r.SshCompression;
    s.ssh.SshCipher = r.SshCipher.Get();
    s.ssh.SshSha1Key16 = r.SshSha1Key16;
    s.ssh.BackspaceChar = r.BackspaceChar;
    return s;
}

}  // namespace connections
