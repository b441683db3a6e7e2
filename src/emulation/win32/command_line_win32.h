#pragma once

namespace emulation {

// Makes the command line read the process's own: GetCommandLineW, the module
// file name, the ANSI code page and the file attribute query.
void InstallWin32CommandLineSource();

}  // namespace emulation
