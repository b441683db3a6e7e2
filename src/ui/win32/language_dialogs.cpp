#include "ui/win32/language_dialogs.h"

#include "commands/settings_record.h"
#include "console/win32/terminal_window_win32.h"
#include "ui/language_module.h"

namespace ui {
namespace {

constexpr char kMainMenuName[] = "MainMenu";
constexpr char kAcceleratorName[] = "ACC1";

struct LanguageResourcesUnit {
    HACCEL Accelerators = nullptr;
};
LanguageResourcesUnit languageResources;

HMODULE ModuleFor(WORD languageId) {
    return reinterpret_cast<HMODULE>(ResourceModuleFor(languageId));
}

void RefreshMenuBar() {
    HWND window = console::TerminalWindowHandle();
    if (!window) return;
    HMENU menu = LoadMenuInLanguage(kMainMenuName);
    if (!menu) return;
    HMENU old = GetMenu(window);
    SetMenu(window, menu);
    if (old) DestroyMenu(old);
}

void RefreshAccelerators() {
    // Tables from LoadAccelerators belong to their module and are not destroyed.
    languageResources.Accelerators = nullptr;
    if (HMODULE module = ModuleFor(commands::Settings.LanguageId.Get()))
        languageResources.Accelerators = LoadAcceleratorsA(module, kAcceleratorName);
    if (!languageResources.Accelerators)
        languageResources.Accelerators =
            LoadAcceleratorsA(GetModuleHandleA(nullptr), kAcceleratorName);
}

}  // namespace

HMENU LoadLangMenu(HMODULE module, const char* menuName, WORD languageId) {
    if (!module) return nullptr;
    HRSRC found = FindResourceExA(module, reinterpret_cast<LPCSTR>(RT_MENU), menuName, languageId);
    if (!found) return nullptr;
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    return data ? LoadMenuIndirectA(data) : nullptr;
}

HMENU LoadMenuInLanguage(const char* menuName) {
    WORD language = commands::Settings.LanguageId.Get();
    HMENU menu = LoadLangMenu(ModuleFor(language), menuName, language);
    return menu ? menu : LoadMenuA(GetModuleHandleA(nullptr), menuName);
}

namespace {

// The dialog template of that name: the language module's copy when it has one, else the
// instance's (language-neutral, found by name); the module it came from goes to owner.
LPCDLGTEMPLATEA FindDialogTemplate(HINSTANCE instance, const char* templateName, WORD languageId,
                                   HINSTANCE& owner) {
    if (HMODULE module = ModuleFor(languageId)) {
        HRSRC found =
            FindResourceExA(module, reinterpret_cast<LPCSTR>(RT_DIALOG), templateName, languageId);
        HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
        auto* dialog = loaded ? static_cast<LPCDLGTEMPLATEA>(LockResource(loaded)) : nullptr;
        if (dialog) {
            owner = module;
            return dialog;
        }
    }
    HRSRC found = FindResourceA(instance, templateName, reinterpret_cast<LPCSTR>(RT_DIALOG));
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    owner = instance;
    return loaded ? static_cast<LPCDLGTEMPLATEA>(LockResource(loaded)) : nullptr;
}

}  // namespace

INT_PTR DialogBoxInLanguage(HINSTANCE instance, const char* templateName, HWND parent,
                            DLGPROC procedure, WORD languageId, LPARAM parameter) {
    HINSTANCE owner = nullptr;
    LPCDLGTEMPLATEA dialog = FindDialogTemplate(instance, templateName, languageId, owner);
    if (!dialog) return -1;
    return DialogBoxIndirectParamA(owner, dialog, parent, procedure, parameter);
}

HWND LangCreateDialog(HINSTANCE instance, const char* templateName, HWND parent, DLGPROC procedure,
                      LPARAM parameter) {
    HINSTANCE owner = nullptr;
    LPCDLGTEMPLATEA dialog =
        FindDialogTemplate(instance, templateName, commands::Settings.LanguageId.Get(), owner);
    if (!dialog) return nullptr;
    return CreateDialogIndirectParamA(owner, dialog, parent, procedure, parameter);
}

INT_PTR LangDialogBox(HINSTANCE instance, const char* templateName, HWND parent, DLGPROC procedure,
                      LPARAM parameter) {
    return DialogBoxInLanguage(instance, templateName, parent, procedure,
                               commands::Settings.LanguageId.Get(), parameter);
}

LPCDLGTEMPLATEA DialogTemplateInLanguage(const char* templateName, HMODULE& module) {
    return FindDialogTemplate(GetModuleHandleA(nullptr), templateName,
                              commands::Settings.LanguageId.Get(), module);
}

HACCEL LanguageAccelerators() {
    return languageResources.Accelerators;
}

void InstallWin32PromptDialogs();

void InstallWin32LanguageDialogs() {
    menuLanguageHooks.RefreshMenuBar = RefreshMenuBar;
    menuLanguageHooks.RefreshAccelerators = RefreshAccelerators;
    RefreshAccelerators();
    InstallWin32PromptDialogs();
}

}  // namespace ui
