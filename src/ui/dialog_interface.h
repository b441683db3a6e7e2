#pragma once
// What the terminal side uses of the menus, dialogs and clipboard: the
// queued menu command, the start-up dialogs, prompts and the paste buffer.
// The ordinary message box is in ui/message_box.h.
#include <cstdint>
#include <string>
#include <string_view>

#include "ui/language_module.h"
#include "ui/text_prompts.h"

namespace ui {

struct MenuDispatchState {
    // One text command queued by menus, dialogs and the mouse for the next
    // main-loop pass; at most 255 bytes.
    std::string PendingCommand;
};
extern MenuDispatchState MenuDispatch;
void ResetMenuDispatch();

// Queues a command for the next main-loop pass, cut to 255 bytes.
void QueuePendingCommand(std::string_view command);

void UpdateMenuState();
void SetupMainMenu();

// A modeless notice window showing a message; 0 when it cannot be made.
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

void EditColors();
void ShowMousePopup(int x, int y, std::u16string_view text);
void ShowCharInfo();

struct ScreenCellRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
};
void CopyScreenToClipboard(const ScreenCellRect& cells, uint8_t blockType, bool selection);
void CopyTextToClipboard(std::u16string_view text);
void PasteFromClipboard();
bool PastePending();
void FreePasteBuffer();
bool NextPasteLine(uint8_t& ch);
bool NextPasteLineWide(uint8_t& ch);
bool NextPasteChar(uint16_t& key);

}  // namespace ui
