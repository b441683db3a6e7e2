#include "app/host_input_wiring.h"

#include <algorithm>
#include <cstdint>

#include "connections/comm_interface.h"
#include "connections/receive_ring.h"
#include "emulation/text/charsets.h"
#include "emulation/host_ports.h"
#include "emulation/input/keyboard.h"
#include "emulation/receive_loop.h"

namespace app {

namespace {

using connections::ReceiveRing;

class ConnectionInput final : public emulation::HostInput {
  public:
    ConnectionInput() {
        // The ring is a member of the program's one connection layer, so its
        // head and flush count stay where they are for the program's life.
        const ReceiveRing& ring = connections::CommReceiveRing();
        SetMark({ring.storage, &ring.read, &ring.flushes});
    }
    void Poll() override { connections::CommPoll(); }
    bool Ready(uint32_t n) override { return connections::CommInputReady(n); }
    int Read(bool sevenBit, bool skipNul) override {
        return connections::CommReadChar(sevenBit, skipNul);
    }
    uint32_t Peek(bool skipNul, uint32_t maximum, const emulation::HostDataRange& range,
                  const uint8_t*& bytes, bool& stopped) override {
        const connections::CommDataRange span{range.Mask, range.Lowest, range.Highest,
                                              range.TakeStopper, range.Unchecked};
        return connections::CommPeekData(skipNul, maximum, span, bytes, stopped);
    }
    uint32_t Head(const uint8_t*& bytes, uint32_t& flushes) override {
        return connections::CommDataHead(bytes, flushes);
    }
    void Take(uint32_t count) override { connections::CommTakeData(count); }
    uint32_t ReadRun(uint8_t* destination, uint32_t maximum, uint8_t lowest,
                     uint8_t highest) override {
        return connections::CommReadRun(destination, maximum, lowest, highest);
    }
    bool Unread(uint32_t count) override { return connections::CommUnreadBytes(count); }
    uint32_t History(uint8_t* out, uint32_t count) override {
        // The ring keeps what lies behind its read index back to its write
        // index, which is the oldest place the next receive overwrites.
        const ReceiveRing& ring = connections::CommReceiveRing();
        const auto kept = static_cast<uint32_t>((ring.read - ring.write - 1) & ReceiveRing::kMask);
        const uint32_t n = std::min(count, kept);
        const int32_t from = ring.read - static_cast<int32_t>(n);
        for (uint32_t i = 0; i < n; ++i)
            out[i] = ring.storage[(from + static_cast<int32_t>(i)) & ReceiveRing::kMask];
        return n;
    }
    void ResumeOutput() override { connections::CommSetXon(); }
};

// Replies go out as typed text does: through the transmit routine, which
// converts them, echoes them in half duplex and paces them.
class ConnectionOutput final : public emulation::HostOutput {
  public:
    bool Transmit(const uint8_t* bytes, size_t length) override {
        // A half-duplex echo runs through the executor; a reply that the echo
        // provokes answers nothing the host asked.
        if (sending) return true;
        sending = true;
        const bool sent = emulation::TransmitString(
            std::string_view(reinterpret_cast<const char*>(bytes), length),
            emulation::kEncodingUnchanged);
        sending = false;
        return sent;
    }

  private:
    bool sending = false;
};

ConnectionInput connectionInput;
ConnectionOutput connectionOutput;

}  // namespace

void ConnectEmulatorToHost() {
    emulation::SetHostInput(&connectionInput);
    emulation::SetHostOutput(&connectionOutput);
}

void ReceiveHostBytes(std::string_view bytes, bool fastPass) {
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    size_t at = 0;
    while (at < bytes.size() || connections::CommInputReady(0)) {
        const size_t room = ReceiveRing::kCapacity - connections::CommReceiveRing().Count();
        const size_t n = std::min(room, bytes.size() - at);
        connections::StoreReceivedBytes(data + at, n);
        at += n;
        if (fastPass)
            emulation::ReceiveFromHost();
        else
            emulation::ReferenceReceiveFromHost();
    }
}

}  // namespace app
