#pragma once

namespace commands {

// Fills the built-in variable sources that Windows answers: the Windows and
// system directories, the computer and user names, the shell's special
// folders and the SET SHOW box.
void InstallWin32VariableSources();

}  // namespace commands
