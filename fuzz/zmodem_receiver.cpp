// Arbitrary bytes from a sender into the ZMODEM receiver: the run ends
// whatever comes, and every file it creates lies in the download folder
// under a name without folders.
#include <cstdint>

#include "transfer/zmodem/zmodem_engine.h"
#include "transfer_fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    fuzz_transfer::InputRun run(data, size);
    transfer::ZmodemOptions options;
    options.DestDir = "dl/";
    options.Recover = data[0] & 1;
    options.DirectoryLocked = data[0] & 2;
    auto engine = transfer::ZmodemEngine::Create(*run.port, options);
    engine->PrepareReceive();
    run.StepToEnd([&] { return engine->ReceiveStep(); });
    fuzz_transfer::CheckDownloadNames(run.scope.files);
    return 0;
}
