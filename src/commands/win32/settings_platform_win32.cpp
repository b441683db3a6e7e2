#include "commands/win32/settings_platform_win32.h"

namespace platform {

void InstallSettingsFilePlatform() {
    SetSettingsDialogs(&Win32SettingsDialogs());
}

}  // namespace platform
