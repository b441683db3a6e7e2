#pragma once
// The menu command dispatcher: a choice from the menu bar, the mouse popup or
// an accelerator becomes a text command for the next main-loop pass, a
// dialog, or a changed setting.
#include <cstdint>
#include <string>
#include <string_view>

namespace ui {

struct MenuDispatchState {
    // One text command queued by menus, dialogs and the mouse for the next
    // main-loop pass; at most 255 bytes.
    std::string PendingCommand;
    // The item that opened the current dialog (the dialogs read it).
    uint16_t DialogMenuId = 0;
    // The word or address under the mouse when the popup menu opened.
    std::string PopupText;
    // The Advanced Options page shown first (its template number).
    int32_t AdvancedOptionsPage = 4;
    // The name the last file dialog gave; every file dialog starts from it.
    std::string FileName;
    // The value the "INTIN" dialog shows.
    int32_t IntInValue = 0;
    // The "DOWNDIR" dialog's folder and lock box, in and out.
    std::string FolderBuffer;
    bool FolderLocked = false;
};
extern MenuDispatchState MenuDispatch;
void ResetMenuDispatch();

// Queues a command for the next main-loop pass, cut to 255 bytes.
void QueuePendingCommand(std::string_view command);

// Carries out the menu item; ids that belong to no item do nothing.
void HandleMenuCommand(uint16_t id);

// "ON" when the setting is off, "OFF" when it is on.
std::string_view Toggle(bool on);
// The item's text up to its accelerator (a backspace or tab), at most max characters.
std::string ItemWord(std::string_view text, size_t max);

}  // namespace ui
