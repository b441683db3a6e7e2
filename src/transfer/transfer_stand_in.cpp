// Stand-in for the file-transfer subsystem until its engines exist: every
// transfer fails with the reply "08" (no protocol).
#include "transfer/transfer_interface.h"

namespace transfer {

TransferState Transfer;

void ResetTransfer() {
    Transfer = TransferState{};
}

void InitKermit() {}

namespace {
constexpr const char* NoProtocol = "08";
}

void AsciiSendCommand(std::string_view, std::string& reply) {
    reply = NoProtocol;
}
void KermitSendCommand(std::string_view, std::string& reply) {
    reply = NoProtocol;
}
void KermitReceiveCommand(std::string_view, std::string& reply) {
    reply = NoProtocol;
}
void XmodemSendCommand(std::string_view, std::string& reply) {
    reply = NoProtocol;
}
void XmodemReceiveCommand(std::string_view, std::string& reply) {
    reply = NoProtocol;
}
void YmodemSendCommand(std::string_view, std::string& reply) {
    reply = NoProtocol;
}
void YmodemReceiveCommand(std::string_view, std::string& reply) {
    reply = NoProtocol;
}
void ZmodemSendCommand(std::string_view, std::string& reply) {
    reply = NoProtocol;
}
void ZmodemReceiveCommand(std::string_view, std::string& reply) {
    reply = NoProtocol;
}

bool TransferOptionsCommand() {
    return false;
}
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
