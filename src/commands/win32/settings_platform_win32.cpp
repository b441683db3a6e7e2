#include "commands/win32/settings_platform_win32.h"

namespace platform {

void InstallSettingsFilePlatform() {
    SetEnvironmentSource(&Win32Environment());
    SetSettingsDialogs(&Win32SettingsDialogs());
}

}  // namespace platform
