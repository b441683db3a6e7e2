#include "transfer/host_link.h"

#include "console/tick_clock.h"

namespace transfer {

void HostLink::WaitForInput(uint32_t milliseconds) {
    Poll();
    if (!ByteReady() && milliseconds > 0) console::Delay(1);
}

size_t HostLink::Peek(const uint8_t*& bytes, size_t /*maximum*/) {
    bytes = nullptr;
    return 0;
}

void HostLink::Take(size_t /*count*/) {}

namespace {

class NullLink final : public HostLink {
  public:
    void Poll() override {}
    bool ByteReady() override { return false; }
    int ReadByte() override { return kNoLinkByte; }
    uint32_t BytesWaiting() override { return 0; }
    bool Unread(uint32_t count) override { return count == 0; }
    bool Send(const uint8_t*, size_t) override { return false; }
    void SendBreak() override {}
};

NullLink nullLink;

}  // namespace

namespace host_link_detail {
HostLink* link = &nullLink;
}

void SetHostLink(HostLink* link) {
    host_link_detail::link = link ? link : &nullLink;
}

bool HostLinkInstalled() {
    return host_link_detail::link != &nullLink;
}

}  // namespace transfer
