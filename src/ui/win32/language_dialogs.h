#pragma once
// Menus, dialogs and accelerators from the language module, falling back to the program's own.

#include <windows.h>

namespace ui {

// The menu of that name and language in the module; nullptr when any step fails.
HMENU LoadLangMenu(HMODULE module, const char* menuName, WORD languageId);
// The menu of that name in the current language, else the program's own; nullptr when neither.
HMENU LoadMenuInLanguage(const char* menuName);

// A modal dialog from the language's template when the module has it, else from the instance's;
// -1 when neither has the template.
INT_PTR DialogBoxInLanguage(HINSTANCE instance, const char* templateName, HWND parent,
                            DLGPROC procedure, WORD languageId, LPARAM parameter);
// DialogBoxInLanguage in the settings' language; every modal dialog goes through it.
INT_PTR LangDialogBox(HINSTANCE instance, const char* templateName, HWND parent, DLGPROC procedure,
                      LPARAM parameter);

// The template of that name in the settings' language when the module has it, else the program's
// own; nullptr when neither. module receives the module that holds it.
LPCDLGTEMPLATEA DialogTemplateInLanguage(const char* templateName, HMODULE& module);

// A modeless dialog from the settings' language's template when the module has it, else from the
// instance's; nullptr when neither has the template.
HWND LangCreateDialog(HINSTANCE instance, const char* templateName, HWND parent, DLGPROC procedure,
                      LPARAM parameter);

// The accelerator table in use ("ACC1" of the current language); nullptr when none.
HACCEL LanguageAccelerators();

// Puts the Windows menu bar and accelerator refresh, the language list and the prompt dialogs in
// place.
void InstallWin32LanguageDialogs();

}  // namespace ui
