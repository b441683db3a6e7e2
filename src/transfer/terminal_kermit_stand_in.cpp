// Stand-in for the terminal's own Kermit until it exists: its start-up
// does nothing and every transfer it is asked for fails.
#include "transfer/transfer_interface.h"

namespace transfer {

void InitKermit() {}

bool KermitSendFiles(std::string_view, bool) {
    return false;
}
bool KermitReceiveFiles(std::string_view, bool) {
    return false;
}
bool KermitRemoteCommand(std::string_view) {
    return false;
}

}  // namespace transfer
