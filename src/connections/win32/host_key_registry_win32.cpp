#include "connections/win32/host_key_registry_win32.h"

#include <windows.h>

#include <optional>
#include <string>

#include "connections/ssh/host_key_cache.h"
#include "console/terminal_window.h"

namespace connections {
namespace {

// "SOFTWARE\Quorvane Software, Inc.\" + the title without surrounding blanks
// and line breaks + "\SshHostKeys".
std::string CachePath() {
    std::string title;
    for (char16_t ch : console::TerminalWindowUnit.TitleBanner) title += ch < 0x80 ? char(ch) : '?';
    const size_t first = title.find_first_not_of(" \t\r\n");
    const size_t last = title.find_last_not_of(" \t\r\n");
    title = first == std::string::npos ? std::string() : title.substr(first, last - first + 1);
    return "SOFTWARE\\Quorvane Software, Inc.\\" + title + "\\SshHostKeys";
}

std::optional<std::string> ReadFrom(HKEY root, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, CachePath().c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0, size = 0;
    std::optional<std::string> result;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
        std::string text(size, '\0');
        if (RegQueryValueExA(key, name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(text.data()), &size) == ERROR_SUCCESS) {
            text.resize(std::min<size_t>(size, text.size()));
            while (!text.empty() && text.back() == '\0') text.pop_back();
            result = text;
        }
    }
    RegCloseKey(key);
    return result;
}

bool WriteTo(HKEY root, const std::string& name, const std::string& text) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, CachePath().c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const bool ok =
        RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       DWORD(text.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

class RegistryStore final : public ssh::HostKeyStore {
  public:
    std::optional<std::string> Read(std::string_view name) override {
        const std::string n(name);
        if (auto machine = ReadFrom(HKEY_LOCAL_MACHINE, n)) return machine;
        return ReadFrom(HKEY_CURRENT_USER, n);
    }
    void Write(std::string_view name, std::string_view text) override {
        const std::string n(name), t(text);
        if (!WriteTo(HKEY_LOCAL_MACHINE, n, t)) WriteTo(HKEY_CURRENT_USER, n, t);
    }
};

RegistryStore registryStore;

}  // namespace

void InstallRegistryHostKeyStore() {
    ssh::SetHostKeyStore(&registryStore);
}

}  // namespace connections
