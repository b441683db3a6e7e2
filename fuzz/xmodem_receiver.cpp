// Arbitrary bytes from a sender into the XMODEM block receiver: whatever
// comes, the receive ends, and a received file never holds more than the
// good blocks that were acknowledged.
#include <cstdint>
#include <cstdlib>

#include "transfer/xmodem_engine.h"
#include "transfer_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    fuzz_transfer::InputRun run(data, size);
    // The first byte picks the variant.
    auto engine = transfer::XmodemEngine::Create(*run.port, data[0] & 1, data[0] & 2);
    engine->Proto().TransferFileName = "got";
    engine->PrepareReceive();
    run.StepToEnd([&] { return engine->ReceiveStep(); });
    const auto& got = run.scope.files.files["got"];
    if (engine->Proto().Status() == transfer::kStatusOk &&
        int64_t(got.size()) != engine->Proto().BytesTransferred)
        std::abort();
    return 0;
}
