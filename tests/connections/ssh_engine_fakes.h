#pragma once
// A recording stand-in for the engine's surroundings, and SSH-2 packets in
// clear as a server before the first key exchange sends them.
#include <string>
#include <vector>

#include "connections/ssh/ssh_engine.h"
#include "connections/ssh/ssh_wire.h"

namespace connections::ssh::test {

struct RecordingServices : SshServices {
    std::string written;
    std::vector<std::string> log;
    std::string output;
    bool writeOk = true;
    bool randomOk = true;
    uint8_t next = 1;

    bool Write(const uint8_t* data, size_t length) override {
        if (!writeOk) return false;
        written.append(reinterpret_cast<const char*>(data), length);
        return true;
    }
    void Log(std::string_view line) override { log.emplace_back(line); }
    void Output(const uint8_t* data, size_t length) override {
        output.append(reinterpret_cast<const char*>(data), length);
    }
    std::string UserName() override { return "user"; }
    bool Password(std::string& password) override {
        password = "secret";
        return true;
    }
    bool VerifyHostKey(std::string_view, std::string_view, std::string_view) override {
        return true;
    }
    // Predictable bytes, so that two runs write the same.
    bool Random(uint8_t* out, size_t length) override {
        for (size_t i = 0; i < length; ++i) out[i] = next++;
        return randomOk;
    }
    bool Logged(std::string_view line) const {
        for (const auto& l : log) {
            if (l == line) return true;
        }
        return false;
    }
};

// An SSH-2 packet without cipher or MAC: length, padding length, payload,
// at least 4 bytes of padding up to a multiple of 8.
inline std::string ClearPacket2(const std::vector<uint8_t>& payload) {
    size_t padding = 4 + (8 - (payload.size() + 9) % 8) % 8;
    std::vector<uint8_t> out;
    WireWriter w(out);
    w.Uint32(uint32_t(1 + payload.size() + padding));
    w.Byte(uint8_t(padding));
    w.Raw(payload.data(), payload.size());
    out.resize(out.size() + padding, 0);
    return std::string(out.begin(), out.end());
}

// A server KEXINIT with the given name lists (key exchange, host key, then
// ciphers, MACs and compression for both directions).
inline std::string ServerKexInit(const std::string& kex, const std::string& hostKey,
                                 const std::string& cipher, const std::string& mac,
                                 const std::string& compression) {
    std::vector<uint8_t> p{20};
    WireWriter w(p);
    p.resize(p.size() + 16, 0x55);
    for (const std::string* list :
         {&kex, &hostKey, &cipher, &cipher, &mac, &mac, &compression, &compression}) {
        w.String(*list);
    }
    w.String("");
    w.String("");
    w.Bool(false);
    w.Uint32(0);
    return ClearPacket2(p);
}

}  // namespace connections::ssh::test
