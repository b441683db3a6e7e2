#pragma once

namespace ui {

// Shows notice windows as modeless dialogs from the CONNECT template.
void InstallWin32NoticeWindow();

}  // namespace ui
