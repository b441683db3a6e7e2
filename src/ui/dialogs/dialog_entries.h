#pragma once
// The dialogs other units open: the settings-file chooser, the communication
// settings, the colour editor, the character information and the desktop link.
#include <cstdint>

namespace ui {

// A modeless notice window showing a message; 0 when it cannot be made
// (ui/notice_window.cpp).
using NoticeWindowId = uintptr_t;
NoticeWindowId ShowNoticeWindow(uint16_t messageId);
bool IsNoticeWindowOpen(NoticeWindowId notice);
void CloseNoticeWindow(NoticeWindowId notice);

// The settings-file chooser of the /C switch; true when a file was chosen
// (the chooser sets the settings file name), false when cancelled.
bool ChooseSettingsFile();
// The communication settings dialog, owned by the terminal window; it may
// open the connection itself.
void CommSettingsDialog();

// The colour editor; true when confirmed.
bool EditColors();
// After Save Settings As: offers a desktop link that starts the program with
// the new settings file (not for the default settings file).
void OfferDesktopShortcut();
// Describes the character at the cursor.
void ShowCharInfo();

}  // namespace ui
