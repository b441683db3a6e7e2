// Arbitrary payloads as the server's SSH-2 KEXINIT and, after it, as the
// Diffie-Hellman reply (host key blob, f, signature): the name-list parser,
// the algorithm agreement, the mpint and DSS blob readers and the signature
// check must reject or accept without reading past the payload.

#include <cstdint>
#include <string>
#include <vector>

#include "connections/ssh/ssh_engine.h"
#include "connections/ssh/ssh_wire.h"

namespace {

using namespace connections::ssh;

struct Services : SshServices {
    uint8_t next = 1;
    bool Write(const uint8_t*, size_t) override { return true; }
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

std::string Packet(uint8_t type, const uint8_t* payload, size_t length) {
    const size_t padding = 4 + (8 - (length + 10) % 8) % 8;
    std::vector<uint8_t> out;
    WireWriter w(out);
    w.Uint32(uint32_t(2 + length + padding));
    w.Byte(uint8_t(padding));
    w.Byte(type);
    w.Raw(payload, length);
    out.resize(out.size() + padding, 0);
    return std::string(out.begin(), out.end());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 200000) return 0;
    // The input splits at its first 0xFF byte pair: KEXINIT payload, then
    // the reply's payload.
    size_t cut = size;
    for (size_t i = 0; i + 1 < size; ++i) {
        if (data[i] == 0xFF && data[i + 1] == 0xFF) {
            cut = i;
            break;
        }
    }
    Services s;
    SshEngine engine(s, {});
    std::string bytes = "SSH-2.0-fuzz\n" + Packet(20, data, cut);
    if (cut + 2 <= size) bytes += Packet(31, data + cut + 2, size - cut - 2);
    engine.Feed(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return 0;
}
