#pragma once
// The loaded language module as a module handle, for the resource lookups of the Windows code.

#include <windows.h>

namespace ui {

// nullptr when no module is loaded.
HMODULE LanguageModuleHandle();

}  // namespace ui
