// The notice window under Windows: a modeless window from the CONNECT
// template with the banner as caption and the message as text, open until
// the user closes it.
#include "ui/notice_window.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "console/terminal_window.h"
#include "console/win32/install_services.h"
#include "ui/win32/notice_window_win32.h"

namespace {

class Win32NoticeWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::InstallWin32Services();
        ui::InstallWin32NoticeWindow();
    }
    void TearDown() override { ui::SetNoticeWindowPlatform(ui::NullNoticeWindowPlatform()); }
};

std::wstring Text(HWND window) {
    wchar_t buffer[256] = {};
    GetWindowTextW(window, buffer, 256);
    return buffer;
}

TEST_F(Win32NoticeWindow, ShowsTheMessageUntilTheUserClosesIt) {
    const ui::NoticeWindowId notice = ui::ShowNoticeWindow(1221);
    ASSERT_NE(notice, 0u);
    HWND window = reinterpret_cast<HWND>(notice);
    EXPECT_TRUE(ui::IsNoticeWindowOpen(notice));
    EXPECT_TRUE(IsWindowVisible(window));
    const std::u16string& banner = console::TerminalWindowUnit.TitleBanner;
    EXPECT_EQ(Text(window), std::wstring(banner.begin(), banner.end()));
    EXPECT_EQ(Text(GetDlgItem(window, 101)), L"Suppressing commands from host");

    // Its button closes it, as the user does.
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, IDCANCEL)));
    EXPECT_FALSE(ui::IsNoticeWindowOpen(notice));

    // The program may close one itself.
    const ui::NoticeWindowId second = ui::ShowNoticeWindow(1221);
    ASSERT_TRUE(ui::IsNoticeWindowOpen(second));
    ui::CloseNoticeWindow(second);
    EXPECT_FALSE(ui::IsNoticeWindowOpen(second));
}

}  // namespace
