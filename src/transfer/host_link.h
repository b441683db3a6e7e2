#pragma once
// The transfer engines' one way to the connection. The port layer reaches
// the host only through this port; the composition root fills it with the
// program's connection, tests with whatever keeps the contracts below.
#include <cstddef>
#include <cstdint>

namespace transfer {

// What ReadByte returns when nothing waits; never a byte value.
inline constexpr int kNoLinkByte = -1;

class HostLink {
  public:
    // Receives what is pending on the connection.
    virtual void Poll() = 0;
    // At least one received byte waits.
    virtual bool ByteReady() = 0;
    // The next received byte as it came (all eight bits, NULs kept), or
    // kNoLinkByte.
    virtual int ReadByte() = 0;
    // Received bytes now waiting.
    virtual uint32_t BytesWaiting() = 0;
    // The received bytes that ReadByte would hand out next, as one run
    // without taking them: where they lie and how many (at most maximum);
    // 0 when none wait or the next one needs ReadByte. Take(count) then takes
    // the first count of them. A link without runs keeps the defaults, and
    // its readers go byte by byte.
    virtual size_t Peek(const uint8_t*& bytes, size_t maximum);
    virtual void Take(size_t count);
    // Steps back over the last count bytes read, so that they are read again;
    // false, with nothing changed, when that would reach bytes the connection
    // no longer holds or that were not handed out as data.
    virtual bool Unread(uint32_t count) = 0;
    // Sends the bytes whole and in order; false when not all went out.
    virtual bool Send(const uint8_t* bytes, size_t length) = 0;
    virtual void SendBreak() = 0;
    // Waits up to the given milliseconds for received bytes, returning as
    // soon as one arrives; the engines call it when a step found nothing to
    // do, so that a waiting transfer neither spins nor sleeps past its data.
    virtual void WaitForInput(uint32_t milliseconds);

  protected:
    ~HostLink() = default;
};

namespace host_link_detail {
extern HostLink* link;
}

// nullptr restores the null link: nothing is ever received and every send
// fails, so a transfer started without a connection fails at once.
void SetHostLink(HostLink* link);
// True while a link other than the null one is set.
bool HostLinkInstalled();

inline HostLink& Link() {
    return *host_link_detail::link;
}

}  // namespace transfer
