// Arbitrary bytes into the ZMODEM header and subpacket readers and the ZFILE
// reader: the readers stay inside their buffers, a completed subpacket never
// holds more than a block, and a received name is safe to create.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "transfer/received_names.h"
#include "transfer/zmodem/zmodem_engine.h"
#include "transfer_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    fuzz_transfer::InputLink link(nullptr, 0);
    uint16_t status = 0;
    auto port = transfer::TransferPort::OpenOnLink(link, status);
    transfer::ZmodemFraming frames(*port, nullptr);
    // The first byte picks the block limit and where data start.
    const size_t limit = 1 + (data[0] & 0x7F) * 8;
    bool inData = data[0] & 0x80;
    if (inData) frames.StartData(limit, true);
    for (size_t i = 1; i < size; ++i) {
        if (!inData) {
            const uint16_t r = frames.FeedHeader(data[i]);
            if (r == transfer::kZHeaderDone) {
                inData = true;
                frames.StartData(limit, frames.RxBinary32);
            }
            continue;
        }
        const uint16_t r = frames.FeedData(data[i]);
        if (r == transfer::kZPending) continue;
        if (frames.DataCount > limit || frames.DataCount > transfer::kZBlockMax) std::abort();
        if (r >= transfer::kZEndE && r <= transfer::kZEndG) {
            const transfer::ZfileInfo info =
                transfer::ParseZfileInfo(frames.Data, frames.DataCount);
            if (info.Size < 0 || info.Name.size() > 254) std::abort();
            const std::string safe = transfer::SafeReceivedName(info.Name);
            if (safe.find_first_of("/\\:") != std::string::npos || safe == "." || safe == "..")
                std::abort();
        }
        inData = false;
        frames.StartHeader();
    }
    const transfer::ZfileInfo whole = transfer::ParseZfileInfo(data, size);
    if (whole.Size < 0 || whole.Name.size() > 254) std::abort();
    return 0;
}
