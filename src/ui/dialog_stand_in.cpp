// Stand-in for the menus and dialogs until they exist: every dialog and
// prompt answers as if cancelled and the clipboard is empty.
#include "console/messages.h"
#include "ui/dialog_interface.h"
#include "ui/message_box.h"

namespace ui {

MenuDispatchState MenuDispatch;

void ResetMenuDispatch() {
    MenuDispatch = MenuDispatchState{};
}

void QueuePendingCommand(std::string_view command) {
    MenuDispatch.PendingCommand.assign(command.substr(0, 255));
}

void UpdateMenuState() {}
void SetupMainMenu() {}

NoticeWindowId ShowNoticeWindow(uint16_t) {
    return 0;
}
bool IsNoticeWindowOpen(NoticeWindowId) {
    return false;
}
void CloseNoticeWindow(NoticeWindowId) {}

// The start-up choice of a settings file ("/C") has no dialog yet: the user
// is told so rather than seeing the program end without a word.
bool ChooseSettingsFile() {
    constexpr console::MessageId kNoSettingsChoice = 13950;
    LangMessageBoxShort(console::GetMessageText(kNoSettingsChoice, true));
    return false;
}
void CommSettingsDialog() {}

void EditColors() {}
void ShowMousePopup(int, int, std::u16string_view) {}
void ShowCharInfo() {}

void CopyScreenToClipboard(const ScreenCellRect&, uint8_t, bool) {}
void CopyTextToClipboard(std::u16string_view) {}
void PasteFromClipboard() {}
bool PastePending() {
    return false;
}
void FreePasteBuffer() {}
bool NextPasteLine(uint8_t&) {
    return false;
}
bool NextPasteLineWide(uint8_t&) {
    return false;
}
bool NextPasteChar(uint16_t&) {
    return false;
}

}  // namespace ui
