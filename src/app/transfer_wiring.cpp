#include "app/transfer_wiring.h"

#include <cstddef>
#include <cstdint>

#include "connections/comm_interface.h"
#include "transfer/host_link.h"

namespace app {

namespace {

// Transfers read every byte as it came: all eight bits, NULs kept. The
// connection's own protocol bytes (Telnet) never reach them, and what they
// send goes through the one send path with its escaping and encryption.
class ConnectionLink final : public transfer::HostLink {
  public:
    void Poll() override { connections::CommPollReceive(); }
    bool ByteReady() override { return connections::CommInputReady(0); }
    int ReadByte() override {
        const int b = connections::CommReadChar(false, false);
        return b == connections::CommNothingReceived ? transfer::kNoLinkByte : b;
    }
    uint32_t BytesWaiting() override { return connections::CommBytesWaiting(); }
    bool Unread(uint32_t count) override { return connections::CommUnreadBytes(count); }
    bool Send(const uint8_t* bytes, size_t length) override {
        return connections::CommSendBlock(bytes, length);
    }
    void SendBreak() override { connections::CommSendBreak(); }
};

ConnectionLink connectionLink;

}  // namespace

void ConnectTransfersToHost() {
    transfer::SetHostLink(&connectionLink);
}

}  // namespace app
