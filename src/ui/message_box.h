#pragma once
// The program's ordinary modal message box. Portable code calls
// LangMessageBoxShort; the platform installs the box that shows it (the
// Win32 one lives in ui/win32, tests install a recorder).
#include <string_view>

namespace ui {

// The answers a message box can give, numbered as the platform numbers them.
enum MessageBoxAnswer : int {
    MessageBoxOk = 1,
    MessageBoxCancel = 2,
    MessageBoxAbort = 3,
    MessageBoxRetry = 4,
    MessageBoxIgnore = 5,
    MessageBoxYes = 6,
    MessageBoxNo = 7,
};

// Shows text (a short string in the ANSI code page, as GetMessageText gives
// it; cut to 255 bytes) in the menu language with the program's banner as
// caption, owned by the terminal window; returns the answer. Without an
// installed box the answer is MessageBoxOk.
int LangMessageBoxShort(std::string_view text);

using MessageBoxFunction = int (*)(std::string_view text);

// Installs the box that LangMessageBoxShort shows; nullptr restores the
// silent default. Returns the one installed before.
MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction show);

}  // namespace ui
