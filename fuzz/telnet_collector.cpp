// Arbitrary host bytes through the Telnet side of the connection layer, read
// the ways the emulator and the transfers read them. What the readers deliver
// must be exactly the data of a plain reference decoder: no command byte,
// subnegotiation byte or CR's NUL may pass as data, whatever the chunking, and
// stepping back over delivered bytes must give the same bytes again.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "connections/connection_layer.h"
#include "connections/transport.h"

namespace {

using namespace connections;
using platform::Progress;

// A socket whose host sends the fuzz input in chunks and takes every reply.
class ScriptedSocket : public platform::Transport {
  public:
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
    size_t chunk = 1;

    bool Startup() override { return true; }
    void Shutdown() override {}
    int32_t LastError() override { return platform::kSockWouldBlock; }
    bool Open() override { return true; }
    bool Bind(uint16_t) override { return true; }
    void Close() override {}
    Progress StartLookup(std::string_view, platform::Ipv4Address&, int32_t&) override {
        return Progress::Failed;
    }
    Progress PollLookup(platform::Ipv4Address&, int32_t&) override { return Progress::Failed; }
    Progress LookupNow(std::string_view, platform::Ipv4Address&, int32_t&) override {
        return Progress::Failed;
    }
    Progress StartConnect(const platform::Ipv4Address&, uint16_t, int32_t&) override {
        return Progress::Done;
    }
    Progress PollConnect(int32_t&) override { return Progress::Done; }
    void CancelPending() override {}
    int32_t Send(const uint8_t*, int32_t count) override { return count; }
    int32_t Receive(uint8_t* bytes, int32_t count) override {
        if (pos >= size) return -1;  // would block: the host is silent, not gone
        size_t n = std::min({size - pos, chunk, size_t(count)});
        for (size_t i = 0; i < n; ++i) bytes[i] = data[pos + i];
        pos += n;
        return int32_t(n);
    }
    int32_t Peek(uint8_t*, int32_t) override { return -1; }
    int32_t BytesAvailable() override { return int32_t(std::min(size - pos, chunk)); }
    int Readable() override { return pos < size; }
    bool SetNonBlocking() override { return true; }
    bool SetOption(platform::SocketOption, int32_t) override { return true; }
    bool GetOption(platform::SocketOption, int32_t& v) override { return v = 0, true; }
    bool LocalAddress(platform::Ipv4Address&, uint16_t&) override { return true; }
    bool NameOf(const platform::Ipv4Address&, std::string&) override { return false; }
    platform::NotifyResult EnsureNotifications(bool, bool) override {
        return platform::NotifyResult::Polled;
    }
    void ForgetNotifications() override {}
    void Wait(int32_t) override {}
    void WaitWritable(int32_t) override {}
};

// Telnet data as RFC 854/855 define it: IAC IAC is 255, commands take an
// option after 6 and 250-254, subnegotiations end only at IAC SE, IAC IAC in
// them is data, IAC and anything else abandons them, and a CR's NUL is dropped.
std::vector<uint8_t> ReferenceData(const uint8_t* p, size_t n) {
    enum { Data, AfterCr, Iac, Option, Sub, SubIac } state = Data;
    uint8_t command = 0;
    std::vector<uint8_t> out;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t b = p[i];
        switch (state) {
            case AfterCr:
                state = Data;
                if (b == 0) break;
                [[fallthrough]];
            case Data:
                if (b == 255) {
                    state = Iac;
                } else {
                    out.push_back(b);
                    if (b == 13) state = AfterCr;
                }
                break;
            case SubIac:
                if (b == 240) {
                    state = Data;
                    break;
                }
                if (b == 255) {
                    state = Sub;
                    break;
                }
                [[fallthrough]];
            case Iac:
                if (b == 255) {
                    out.push_back(255);
                    state = Data;
                } else if (b == 6 || (b >= 250 && b <= 254)) {
                    command = b;
                    state = Option;
                } else {
                    state = Data;
                }
                break;
            case Option:
                state = command == 250 ? Sub : Data;
                break;
            case Sub:
                if (b == 255) state = SubIac;
                break;
        }
    }
    return out;
}

ScriptedSocket socket;
ConnectionLayer layer;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint8_t chunk = data[0];
    uint32_t pattern = data[1];
    data += 2;
    size -= 2;

    socket.data = data;
    socket.size = size;
    socket.pos = 0;
    socket.chunk = 1 + chunk % 64;
    layer.Reset();
    layer.Attach(&socket, nullptr, nullptr);
    layer.settings.HostName = "10.0.0.1";
    layer.settings.telnet.TelnetNegotiation = false;
    if (layer.CommOpen(1) != kCommOk) std::abort();

    std::vector<uint8_t> out;
    // Mixed reads for a bounded number of steps (stepping back could go on
    // for ever), then plain byte reads until everything is taken.
    const size_t steps = 8 * size + 64;
    for (size_t step = 0; step < steps; ++step) {
        pattern = pattern * 1103515245u + 12345u;
        const uint32_t r = pattern >> 16;
        switch (r % 5) {
            case 0:
            case 1: {
                const int b = layer.CommReadChar(false, false);
                if (b != kNoByte) out.push_back(uint8_t(b));
                break;
            }
            case 2: {
                uint8_t run[245];
                const int32_t n = layer.CommReadRun(run, int32_t(1 + r % 245), 0, 255);
                out.insert(out.end(), run, run + n);
                break;
            }
            case 3:
                layer.CommInputReady(int32_t(r % 8));
                break;
            case 4: {
                const int32_t k = int32_t(r % 9);
                if (size_t(k) <= out.size() && layer.CommUnreadBytes(k)) out.resize(out.size() - k);
                break;
            }
        }
        if (layer.telnet.Collector().count > TelnetCollector::kCapacity) std::abort();
    }
    while (socket.pos < socket.size || !layer.ring.Empty()) {
        const int b = layer.CommReadChar(false, false);
        if (b != kNoByte) out.push_back(uint8_t(b));
    }
    // A command cut off by the end of the input leaves its bytes collected.
    if (out != ReferenceData(data, size)) std::abort();
    return 0;
}
