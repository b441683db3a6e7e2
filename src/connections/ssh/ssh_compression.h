#pragma once
// SSH compression as objects: "none" and "zlib", one stream per direction
// kept from packet to packet.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace connections::ssh {

using SshLogLine = std::function<void(std::string_view)>;

// Inflated output of one packet stops here: the largest packet the
// transport takes.
inline constexpr size_t kMaxInflatedPacket = 256 * 1024;

enum class SshCodecResult {
    kUnchanged,  // the object does not compress: use the data as it is
    kDone,       // the output holds the new data
    kFailed,     // the stream is broken (bad data, out of memory): end the connection
    kTooLarge,   // the inflated data passed the cap: end the connection
};

class SshCompression {
  public:
    virtual ~SshCompression() = default;
    virtual std::string_view Name() const = 0;
    // Starting (again, at a key exchange) drops any earlier stream.
    virtual bool StartCompressor() = 0;
    virtual SshCodecResult Compress(const uint8_t* data, size_t length,
                                    std::vector<uint8_t>& out) = 0;
    virtual bool StartDecompressor() = 0;
    virtual SshCodecResult Decompress(const uint8_t* data, size_t length,
                                      std::vector<uint8_t>& out) = 0;
};

// "none" or "zlib"; null for any other name. The cap bounds one packet's
// inflated output.
std::unique_ptr<SshCompression> MakeSshCompression(std::string_view name, SshLogLine log = {},
                                                   size_t inflate_cap = kMaxInflatedPacket);

}  // namespace connections::ssh
