#pragma once
// The main routine's table as the program fills it.
#include <string>

#include "emulation/session_services.h"

namespace app {

// Every entry pointed at the unit that provides it (the least behaviour for
// units still to come).
emulation::SessionServices ProgramSessionServices();
// Installs that table as emulation::Services and resets the globals the
// snapshot keeps here (the window's menu name).
void ComposeSessionServices();

// The terminal window's menu name: "MainMenu", or "SMALLMENU" in kiosk mode.
std::string WindowMenuName();

}  // namespace app
