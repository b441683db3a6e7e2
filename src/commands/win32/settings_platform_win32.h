#pragma once
// The Windows side of the settings file's dialogs.

#include "ui/settings_dialogs.h"

namespace platform {

SettingsDialogs& Win32SettingsDialogs();

// Points the settings file's dialogs at Windows; the program entry calls it
// before the settings are loaded.
void InstallSettingsFilePlatform();

}  // namespace platform
