#pragma once
// Hands one file to the system's mail client through Simple MAPI, addressed
// to a fax number (MAPISENDFAX).

#include <windows.h>

#include <string>

namespace commands {

struct MapiFaxState {
    // The library that offers Simple MAPI; tests point it at a double.
    std::string libraryName = "MAPI32.DLL";
    // The box that shows an error; tests record instead of showing.
    int(WINAPI* messageBox)(HWND, LPCSTR, LPCSTR, UINT) = MessageBoxA;
};

extern MapiFaxState MapiFax;
void ResetMapiFaxState();

// Sends file to "FAX:" + number. Nothing happens when any text is missing
// (null). An empty profile lets the mail client ask for the logon and show its
// send dialog. Errors are shown, not returned.
void MapiSendFax(HWND window, const char* number, const char* file, const char* profile);

// A message box with the caption "ozmel", brought to the foreground.
void MapiErrorBox(HWND window, const std::string& text);

}  // namespace commands
