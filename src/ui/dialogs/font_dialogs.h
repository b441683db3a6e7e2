#pragma once
// The screen and printer font choices over the platform's font dialog: what
// the dialog starts from and what its OK stores in the settings.
#include "ui/menus/menu_services.h"

namespace ui {

// The screen font of the current width class (80 or 132 columns).
FontDialogRequest ScreenFontRequest();
// Stores face, character set, cell size and boldness of the current class and
// applies them to the window's font.
void StoreScreenFont(const FontChoice& chosen);
bool ChooseScreenFont();

FontDialogRequest PrinterFontRequest();
void StorePrinterFont(const FontChoice& chosen);
// Without a printer device the printer error is shown and nothing changes.
bool ChoosePrinterFont();

}  // namespace ui
