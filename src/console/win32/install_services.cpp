#include "console/win32/install_services.h"

#include "console/messages.h"
#include "console/system_services.h"
#include "console/tick_clock.h"
#include "ui/language_module.h"

namespace platform {

void InstallWin32Services() {
    SetClock(&Win32ClockInstance());
    SetSystemServices(&Win32SystemServicesInstance());
    SetStringSource(&Win32StringSourceInstance());
    SetLanguageModuleLoader(&Win32LanguageModuleLoaderInstance());
}

}  // namespace platform
