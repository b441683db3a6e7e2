// Arbitrary bytes through the Kermit packet reader under each block check;
// every packet it takes is then read as a Send-Init (and negotiated), as an
// attribute packet and as file data, and nothing reaches past its buffer.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "transfer/kermit/kermit_packets.h"

using namespace transfer::kermit;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (uint8_t check : {'1', '2', '3'}) {
        PacketReader reader;
        reader.SetCheckType(check);
        for (size_t i = 0; i < size; ++i) {
            if (reader.Feed(data[i]) != PacketReader::Result::kPacket) continue;
            if (reader.Length > kDataBufferSize || reader.Seq > 63) std::abort();
            const KermitOptions remote = DecodeSendInit(reader.Data, reader.Length);
            KermitOptions own;
            own.Capabilities = kCapaLongPackets | kCapaWindows;
            own.WindowSize = 31;
            const Agreement a = Negotiate(own, remote, true);
            const size_t capacity = DataCapacity(a);
            if (a.Windows < 1 || a.Windows > kMaxWindowSlots || capacity < 1 ||
                capacity > kDataBufferSize)
                std::abort();
            const Attributes at = ParseAttributes(reader.Data, reader.Length);
            if (at.Size < 0) std::abort();
            std::vector<uint8_t> out;
            DecodeData(reader.Data, reader.Length, {'#', '&', '~'}, out);
            if (out.size() > reader.Length * 94) std::abort();
        }
    }
    // The input as file data: encoded within the capacity, decoded back whole.
    const Prefixes p{'#', size ? uint8_t(size % 2 ? '&' : 0) : uint8_t(0), '~'};
    std::vector<uint8_t> back;
    size_t pos = 0;
    while (pos < size) {
        std::vector<uint8_t> enc;
        const size_t used = EncodeData(data, size, pos, p, enc, 20);
        if (used == 0 || enc.size() > 20) std::abort();
        DecodeData(enc.data(), enc.size(), p, back);
        pos += used;
    }
    if (back != std::vector<uint8_t>(data, data + size)) std::abort();
    return 0;
}
