#include "connections/socks4.h"

namespace connections {

std::array<uint8_t, 9> BuildSocks4Request(uint16_t port, const platform::Ipv4Address& address) {
    return {kSocksVersion,     kSocksConnect,     uint8_t(port >> 8),
            uint8_t(port),     address.octets[0], address.octets[1],
            address.octets[2], address.octets[3], 0};
}

SocksReply ParseSocks4Reply(const uint8_t* bytes, int32_t count) {
    if (count < kSocksReplyLength) return {SocksReplyKind::Short, 0};
    const uint8_t code = bytes[1];
    return {code == kSocksGranted ? SocksReplyKind::Granted : SocksReplyKind::Refused, code};
}

}  // namespace connections
