// Arbitrary bytes from a sender into the YMODEM batch receiver: the batch
// ends whatever comes, and every file it creates lies in the download folder
// under a name without folders.
#include <cstdint>

#include "transfer/ymodem_engine.h"
#include "transfer_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    fuzz_transfer::InputRun run(data, size);
    transfer::XyOptions options;
    options.DestDir = "dl/";
    auto engine = transfer::YmodemEngine::Create(*run.port, true, data[0] & 1, options);
    engine->PrepareReceive();
    run.StepToEnd([&] { return engine->ReceiveStep(); });
    fuzz_transfer::CheckDownloadNames(run.scope.files);
    return 0;
}
