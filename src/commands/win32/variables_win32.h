#pragma once

namespace commands {

// Fills the built-in variable sources that Windows answers: the Windows,
// system and current directories, the computer and user names, the shell's
// special folders, the environment, the ANSI code page and the SET SHOW box.
void InstallWin32VariableSources();

}  // namespace commands
