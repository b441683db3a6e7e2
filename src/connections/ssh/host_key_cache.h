#pragma once
// The host keys the user accepted, one value per host, port and key type,
// and the question asked when a key is new or has changed. Where the values
// live is a seam: the Windows registry in the program, memory elsewhere.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace connections::ssh {

class HostKeyStore {
  public:
    virtual ~HostKeyStore() = default;
    // The stored text of a value, or nothing when there is none.
    virtual std::optional<std::string> Read(std::string_view name) = 0;
    // Writes or replaces a value; failures are silent (the question comes
    // again next time).
    virtual void Write(std::string_view name, std::string_view text) = 0;
};

// nullptr restores the default, a store in memory for this run.
void SetHostKeyStore(HostKeyStore* store);
HostKeyStore& CurrentHostKeyStore();

// "<type>@<port>:<host>", the host's blanks, "\", "*", "?", "%", control
// bytes, bytes from 127 up and a leading "." written as "%XX".
std::string HostKeyValueName(std::string_view host, uint16_t port, std::string_view type);

enum class HostKeyMatch { kSame = 0, kUnknown = 1, kChanged = 2 };
HostKeyMatch HostKeyLookup(std::string_view host, uint16_t port, std::string_view type,
                           std::string_view keyText);
void HostKeyRemember(std::string_view host, uint16_t port, std::string_view type,
                     std::string_view keyText);

// What the user answered to a host-key question.
enum class HostKeyAnswer { kReject, kAcceptOnce, kAcceptAndStore };
// changed: the key differs from the stored one (else none is stored).
using HostKeyQuestion = std::function<HostKeyAnswer(bool changed)>;

// True when the connection may go on: the key is the stored one, or the user
// accepted it (storing it when asked to).
bool HostKeyVerify(std::string_view host, uint16_t port, std::string_view type,
                   std::string_view keyText, const HostKeyQuestion& ask);

}  // namespace connections::ssh
