#include "ui/win32/message_box_win32.h"

#include <windows.h>

#include <string>
#include <string_view>

#include "commands/settings_record.h"
#include "console/win32/terminal_window_win32.h"
#include "ui/message_box.h"

namespace ui {
namespace {

std::wstring AnsiToWide(std::string_view text) {
    if (text.empty()) return {};
    int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                            length);
    return wide;
}

int ShowWin32MessageBox(std::string_view text) {
    std::wstring wide = AnsiToWide(text);
    std::wstring caption = console::TitleBanner();
    WORD language = commands::Settings.LanguageId.Get();
    HWND owner = console::TerminalWindowHandle();
    const UINT style = MB_OK | MB_SETFOREGROUND;
    int answer = MessageBoxExW(owner, wide.c_str(), caption.c_str(), style, language);
    // A language the system lacks must not swallow the message.
    if (answer == 0 && language != 0)
        answer = MessageBoxExW(owner, wide.c_str(), caption.c_str(), style, 0);
    return answer != 0 ? answer : MessageBoxOk;
}

int ShowWin32Question(std::string_view text, std::string_view caption, bool withCancel) {
    const std::wstring wide = AnsiToWide(text);
    const std::wstring title = AnsiToWide(caption);
    const UINT style =
        (withCancel ? MB_YESNOCANCEL : MB_YESNO) | MB_ICONEXCLAMATION | MB_SETFOREGROUND;
    const int answer =
        MessageBoxW(console::TerminalWindowHandle(), wide.c_str(), title.c_str(), style);
    return answer != 0 ? answer : (withCancel ? MessageBoxCancel : MessageBoxNo);
}

int ShowWin32Captioned(std::string_view text, std::string_view caption) {
    const std::wstring wide = AnsiToWide(text);
    const std::wstring title = AnsiToWide(caption);
    const int answer = MessageBoxW(nullptr, wide.c_str(), title.c_str(), MB_OK | MB_SETFOREGROUND);
    return answer != 0 ? answer : MessageBoxOk;
}

}  // namespace

void InstallWin32MessageBox() {
    SetMessageBoxFunction(ShowWin32MessageBox);
    SetQuestionBoxFunction(ShowWin32Question);
    SetCaptionedBoxFunction(ShowWin32Captioned);
}

}  // namespace ui
