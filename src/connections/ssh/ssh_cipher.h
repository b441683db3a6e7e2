#pragma once
// The SSH ciphers as objects: the transport holds one per connection and
// calls it for both directions. Each keeps its own key schedules and chaining
// values, so several can run side by side (a client and a server in a test).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace connections::ssh {

// Where an object writes its "Initialized ..." lines (the communication
// debug log in the program); empty writes nothing.
using SshLogLine = std::function<void(std::string_view)>;

class SshCipher {
  public:
    virtual ~SshCipher() = default;
    // SSH-1: the 32-byte session key keys both directions, chaining from zero.
    virtual void Ssh1SessionKey(const uint8_t* key) {}
    // SSH-2: per direction, from the key exchange's derived material. Setting
    // a key zeroes that direction's chaining value; an IV set after replaces it.
    virtual void SetClientToServerIv(const uint8_t* iv) {}
    virtual void SetClientToServerKey(const uint8_t* key) {}
    virtual void SetServerToClientIv(const uint8_t* iv) {}
    virtual void SetServerToClientKey(const uint8_t* key) {}
    // In place, client-to-server; false (nothing changed) when the length is
    // not a multiple of the block size.
    virtual bool Encrypt(uint8_t* data, size_t length) = 0;
    // In place, server-to-client; false as Encrypt.
    virtual bool Decrypt(uint8_t* data, size_t length) = 0;
    virtual std::string_view Name() const = 0;
    virtual size_t BlockSize() const = 0;
    // How many key bytes SetClientToServerKey and SetServerToClientKey read.
    virtual size_t KeySize() const = 0;
};

// SSH-1 cipher numbers: 2 single DES, 3 triple DES, 6 Blowfish; null for any
// other number.
std::unique_ptr<SshCipher> MakeSsh1Cipher(int number, SshLogLine log = {});
// SSH-2 names: "3des-cbc", "blowfish-cbc"; null for any other name.
std::unique_ptr<SshCipher> MakeSsh2Cipher(std::string_view name, SshLogLine log = {});

}  // namespace connections::ssh
