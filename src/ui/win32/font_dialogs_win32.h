#pragma once
// The system's font dialog for the screen font and the printer font.
#include "ui/menus/menu_services.h"

namespace ui {

// As MenuServiceTable::ChooseFont: 1 chosen, 0 cancelled or failed (a dialog
// error is shown), -1 without a printer device.
int ChooseFontWin32(const FontDialogRequest& request, FontChoice& chosen);

}  // namespace ui
