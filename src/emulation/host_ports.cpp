#include "emulation/host_ports.h"

namespace emulation {

namespace {

class NullHostInput final : public HostInput {
  public:
    void Poll() override {}
    bool Ready(uint32_t) override { return false; }
    int Read(bool, bool) override { return kNoHostByte; }
    uint32_t Peek(bool, uint32_t, const HostDataRange&, const uint8_t*&, bool& stopped) override {
        stopped = false;
        return 0;
    }
    uint32_t Head(const uint8_t*&, uint32_t&) override { return 0; }
    void Take(uint32_t) override {}
    uint32_t ReadRun(uint8_t*, uint32_t, uint8_t, uint8_t) override { return 0; }
    bool Unread(uint32_t count) override { return count == 0; }
    uint32_t History(uint8_t*, uint32_t) override { return 0; }
    void ResumeOutput() override {}
};

class NullHostOutput final : public HostOutput {
  public:
    bool Transmit(const uint8_t*, size_t length) override { return length == 0; }
};

constinit NullHostInput nullInput;
constinit NullHostOutput nullOutput;

}  // namespace

namespace host_ports_detail {
constinit HostInput* input = &nullInput;
constinit HostOutput* output = &nullOutput;
}  // namespace host_ports_detail

void SetHostInput(HostInput* input) {
    host_ports_detail::input = input != nullptr ? input : &nullInput;
}

void SetHostOutput(HostOutput* output) {
    host_ports_detail::output = output != nullptr ? output : &nullOutput;
}

}  // namespace emulation
