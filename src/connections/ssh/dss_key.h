#pragma once
// The "ssh-dss" host key of SSH-2: reading its blob, checking a signature,
// and the text and fingerprint the host-key cache and the user see.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "connections/ssh/ssh_wire.h"

namespace connections::ssh {

struct DssKey {
    Bn p, q, g, y;
};

// Null when the blob is not "ssh-dss" with four non-negative numbers.
std::optional<DssKey> DssNewKey(const uint8_t* blob, size_t length);
// "0x" p ",0x" q ",0x" g ",0x" y, lower-case hexadecimal without leading zeros.
std::string DssKeyText(const DssKey& key);
// The bit count of p, a space, and the MD5 of the key blob as 16 hex pairs
// separated by colons.
std::string DssFingerprint(const DssKey& key);
// The signature is either the bare 40 bytes of r and s or the string
// "ssh-dss" followed by them as a string. r and s must lie in 1..q-1.
bool DssVerify(const DssKey& key, const uint8_t* signature, size_t signatureLength,
               const uint8_t* data, size_t dataLength);

// Lower-case hexadecimal without leading zeros (at least one digit).
std::string BnHex(const BIGNUM* n);
std::string HexPairs(const uint8_t* digest, size_t length);

}  // namespace connections::ssh
