#include "connections/connection_host.h"

#include <chrono>

#include "connections/connect_sequence.h"

namespace connections {

uint32_t ConnectionHost::Milliseconds() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void ConnectionHost::ConsoleSize(int32_t& columns, int32_t& rows) {
    columns = 80;
    rows = 25;
}

bool ConnectionHost::RunConnect(ConnectSequence& sequence, platform::Transport& transport) {
    return RunConnectSequence(sequence, transport, *this);
}

}  // namespace connections
