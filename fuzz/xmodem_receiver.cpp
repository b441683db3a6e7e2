// Arbitrary bytes from a sender into the XMODEM block receiver: whatever
// comes, the receive ends, and a received file never holds more than the
// good blocks that were acknowledged.
#include <cstdint>
#include <cstdlib>

#include "transfer/xmodem_engine.h"
#include "transfer_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    fuzz_transfer::RacingClock clock;
    platform::SetClock(&clock);
    fuzz_transfer::MemoryFiles files;
    transfer::SetTransferFileSystem(&files);
    fuzz_transfer::InputLink link(data + 1, size - 1);
    uint16_t status = 0;
    auto port = transfer::TransferPort::OpenOnLink(link, status);
    // The first byte picks the variant.
    auto engine = transfer::XmodemEngine::Create(*port, data[0] & 1, data[0] & 2);
    engine->Proto().TransferFileName = "got";
    engine->PrepareReceive();
    int steps = 0;
    while (engine->ReceiveStep() != transfer::kStepFinished) {
        if (++steps > 5'000'000) std::abort();
    }
    const auto& got = files.files["got"];
    if (engine->Proto().Status() == transfer::kStatusOk &&
        int64_t(got.size()) != engine->Proto().BytesTransferred)
        std::abort();
    engine.reset();
    port.reset();
    transfer::SetTransferFileSystem(nullptr);
    platform::SetClock(nullptr);
    return 0;
}
