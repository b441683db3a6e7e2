#pragma once
// The Windows side of what the settings file reads from the system.

#include "commands/startup_environment.h"
#include "ui/settings_dialogs.h"

namespace platform {

EnvironmentSource& Win32Environment();
SettingsDialogs& Win32SettingsDialogs();

// Points the settings file's environment and dialogs at Windows; the program
// entry calls it before the settings are loaded.
void InstallSettingsFilePlatform();

}  // namespace platform
