#pragma once
// The program's connection: the neighbours its connection layer reaches.

namespace connections {
class ConnectionHost;
}

namespace app {

// The host that joins the layer to the window title, the exit code, the
// message texts, the console size and the debug log.
connections::ConnectionHost& ProgramConnectionHost();
// Gives that host to the program's connection layer.
void ComposeConnection();

}  // namespace app
