#pragma once
// Puts the Windows implementations of the platform services in place; the program's start-up and
// the Windows tests call it before anything else.

namespace platform {

class Clock;
class StringSource;
class SystemServices;
class LanguageModuleLoader;

void InstallWin32Services();

Clock& Win32ClockInstance();
StringSource& Win32StringSourceInstance();
SystemServices& Win32SystemServicesInstance();
LanguageModuleLoader& Win32LanguageModuleLoaderInstance();

}  // namespace platform
