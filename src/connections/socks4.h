#pragma once

#include <array>
#include <cstdint>

#include "connections/transport.h"

namespace connections {

inline constexpr uint8_t kSocksVersion = 4;
inline constexpr uint8_t kSocksConnect = 1;
inline constexpr uint8_t kSocksGranted = 90;
inline constexpr int32_t kSocksReplyLength = 8;

// The CONNECT request: version, command, port and address in network order,
// and an empty user id.
std::array<uint8_t, 9> BuildSocks4Request(uint16_t port, const platform::Ipv4Address& address);

enum class SocksReplyKind : uint8_t { Granted, Refused, Short };

struct SocksReply {
    SocksReplyKind kind = SocksReplyKind::Short;
    uint8_t code = 0;  // the reply's status byte (91, 92, 93 are refusals)
};

// Judges the bytes received so far; a reply is 8 bytes whose second byte is
// the status.
SocksReply ParseSocks4Reply(const uint8_t* bytes, int32_t count);

}  // namespace connections
