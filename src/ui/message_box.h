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

// A warning that asks: Yes and No (and Cancel when withCancel), the
// exclamation icon, brought to the foreground, owned by the terminal window;
// returns the answer. Without an installed box the answer is No (Cancel with
// withCancel), so that nothing is accepted unasked.
int QuestionBox(std::string_view text, std::string_view caption, bool withCancel);

using QuestionBoxFunction = int (*)(std::string_view text, std::string_view caption,
                                    bool withCancel);
QuestionBoxFunction SetQuestionBoxFunction(QuestionBoxFunction show);

// A plain box with its own caption and no owner window, in the foreground.
int CaptionedMessageBox(std::string_view text, std::string_view caption);
using CaptionedBoxFunction = int (*)(std::string_view text, std::string_view caption);
CaptionedBoxFunction SetCaptionedBoxFunction(CaptionedBoxFunction show);

}  // namespace ui
