#pragma once
// What the menus read and do of the other units, as the program fills it.
#include "ui/menus/menu_services.h"

namespace app {

ui::MenuServiceTable ProgramMenuServices();
// Installs those as ui::MenuServices.
void ComposeMenus();

}  // namespace app
