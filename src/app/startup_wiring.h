#pragma once
// The table loading and saving the settings call, as the program fills it.

#include "commands/startup_services.h"

namespace app {

commands::StartupServiceTable ProgramStartupServices();
// Installs the program's entries as commands::StartupServices.
void ComposeStartupServices();

}  // namespace app
