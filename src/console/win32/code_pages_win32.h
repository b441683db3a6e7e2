#pragma once
// The code-page service over the system's conversions.

#include "console/code_pages.h"

namespace console {

// The Win32 service (one per process).
platform::CodePages& Win32CodePages();
// Makes it the service in use.
void InstallWin32CodePages();

}  // namespace console
