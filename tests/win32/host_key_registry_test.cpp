// The host-key cache in the registry: a key accepted once is found again by
// a later lookup, under the machine's key or the user's.
#include <gtest/gtest.h>
#include <windows.h>

#include "connections/ssh/host_key_cache.h"
#include "connections/win32/host_key_registry_win32.h"
#include "console/terminal_window.h"

namespace {

using namespace connections::ssh;

TEST(HostKeyRegistry, AcceptedKeysAreFoundAgain) {
    // The cache lives under the window's title, which earlier tests may change.
    const std::u16string savedTitle = console::TerminalWindowUnit.TitleBanner;
    console::TerminalWindowUnit.TitleBanner = u"VovuzIva  ";
    connections::InstallRegistryHostKeyStore();
    const std::string host = "registry-test.example";
    HostKeyRemember(host, 2222, "dss", "0x1,0x2");
    EXPECT_EQ(HostKeyLookup(host, 2222, "dss", "0x1,0x2"), HostKeyMatch::kSame);
    EXPECT_EQ(HostKeyLookup(host, 2222, "dss", "0x1,0x2,0x3"), HostKeyMatch::kChanged);
    EXPECT_EQ(HostKeyLookup(host, 2223, "dss", "0x1,0x2"), HostKeyMatch::kUnknown);
    HostKeyRemember(host, 2222, "dss", "0x7");
    EXPECT_EQ(HostKeyLookup(host, 2222, "dss", "0x7"), HostKeyMatch::kSame);
    const std::string path = "SOFTWARE\\Quorvane Software, Inc.\\VovuzIva\\SshHostKeys";
    const std::string name = HostKeyValueName(host, 2222, "dss");
    bool found = false;
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) continue;
        found = found || RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
                             ERROR_SUCCESS;
        RegDeleteValueA(key, name.c_str());
        RegCloseKey(key);
    }
    EXPECT_TRUE(found);
    SetHostKeyStore(nullptr);
    console::TerminalWindowUnit.TitleBanner = savedTitle;
}

}  // namespace
