#pragma once
// The emulator's host ports filled with the program's connection, and the
// way tests, fuzzing and benchmarks push host bytes through the whole
// receive path.

#include <string_view>

namespace app {

// Points the emulator's received bytes and replies at the connection.
void ConnectEmulatorToHost();

// Stores bytes in the connection's receive ring as receives would, as much
// as fits at a time, and runs receive passes (the fast one, or the plain
// reference one) until every byte has been read.
void ReceiveHostBytes(std::string_view bytes, bool fastPass = true);

}  // namespace app
