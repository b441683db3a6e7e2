// Arbitrary server bytes after the version exchange, through the SSH client
// engine: the SSH-2 or SSH-1 packet reader (chosen by the first byte), the
// key-exchange and login messages in clear, cut into chunks of any size.
// Nothing may read outside a packet, grow without bound or crash; the same
// bytes in one piece and byte by byte must leave the same state.

#include <cstdint>
#include <string>

#include "connections/ssh/ssh_engine.h"

namespace {

using namespace connections::ssh;

struct Services : SshServices {
    std::string written;
    uint8_t next = 1;
    bool Write(const uint8_t* data, size_t length) override {
        if (written.size() < (1 << 16)) written.append(reinterpret_cast<const char*>(data), length);
        return true;
    }
    void Output(const uint8_t*, size_t) override {}
    std::string UserName() override { return "u"; }
    bool Password(std::string& p) override {
        p = "p";
        return true;
    }
    bool VerifyHostKey(std::string_view, std::string_view, std::string_view) override {
        return true;
    }
    bool Random(uint8_t* out, size_t length) override {
        for (size_t i = 0; i < length; ++i) out[i] = next++;
        return true;
    }
};

uint8_t Run(const uint8_t* data, size_t size, bool ssh1, size_t chunk) {
    Services s;
    SshEngine engine(s, {});
    const std::string id = ssh1 ? "SSH-1.5-fuzz\n" : "SSH-2.0-fuzz\n";
    engine.Feed(reinterpret_cast<const uint8_t*>(id.data()), id.size());
    for (size_t at = 0; at < size; at += chunk) {
        const size_t n = size - at < chunk ? size - at : chunk;
        if (!engine.Feed(data + at, n)) break;
    }
    return engine.State();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const bool ssh1 = (data[0] & 1) != 0;
    const size_t chunk = 1 + data[1] % 64;
    const uint8_t whole = Run(data + 2, size - 2, ssh1, size);
    const uint8_t pieces = Run(data + 2, size - 2, ssh1, chunk);
    if (whole != pieces) __builtin_trap();
    return 0;
}
