#pragma once
// The SSH MACs as objects, one per connection, holding a key per direction.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace connections::ssh {

enum class SshMacKind { kHmacSha1, kHmacSha1ShortKey, kHmacMd5, kNone };

class SshMac {
  public:
    virtual ~SshMac() = default;
    // Each reads KeySize() bytes of the derived key.
    virtual void SetClientToServerKey(const uint8_t* key) = 0;
    virtual void SetServerToClientKey(const uint8_t* key) = 0;
    // Writes the MAC of the packet (length field to the end of the padding)
    // right after it, with the client-to-server key; the buffer must have
    // MacLength() bytes of room there.
    virtual void Generate(uint8_t* packet, size_t length, uint32_t sequence) = 0;
    // True when the MacLength() bytes after the packet are its MAC under the
    // server-to-client key.
    virtual bool Verify(const uint8_t* packet, size_t length, uint32_t sequence) = 0;
    virtual std::string_view Name() const = 0;
    virtual size_t MacLength() const = 0;
    virtual size_t KeySize() const = 0;
};

std::unique_ptr<SshMac> MakeSshMac(SshMacKind kind);

}  // namespace connections::ssh
