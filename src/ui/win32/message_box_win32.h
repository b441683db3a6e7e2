#pragma once

namespace ui {

// Shows LangMessageBoxShort's texts in a Windows message box.
void InstallWin32MessageBox();

}  // namespace ui
