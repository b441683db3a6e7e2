#pragma once
// The Windows side of the menus: the terminal window's menu bar, its popup,
// the dialogs the menu items open by name, the common file dialogs and the
// system clipboard.
#include <windows.h>

#include <string_view>

namespace ui {

// A dialog procedure that a menu item runs by template name.
using NamedDialogRunner = int (*)(HWND owner);
// Adds (or replaces) the dialog run for the template name.
void RegisterNamedDialog(std::string_view templateName, NamedDialogRunner run);

// Puts the menu bar's hooks, the window side of the menu services, the
// menu command handler and the system clipboard in place.
void InstallWin32Menus();

}  // namespace ui
