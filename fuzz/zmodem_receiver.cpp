// Arbitrary bytes from a sender into the ZMODEM receiver: the run ends
// whatever comes, and every file it creates lies in the download folder
// under a name without folders.
#include <cstdint>
#include <cstdlib>

#include "transfer/zmodem/zmodem_engine.h"
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
    transfer::ZmodemOptions options;
    options.DestDir = "dl/";
    options.Recover = data[0] & 1;
    options.DirectoryLocked = data[0] & 2;
    auto engine = transfer::ZmodemEngine::Create(*port, options);
    engine->PrepareReceive();
    int steps = 0;
    while (engine->ReceiveStep() != 2) {
        if (++steps > 5'000'000) std::abort();
    }
    for (const auto& [name, bytes] : files.files) {
        const std::string rest = name.substr(3);
        if (name.rfind("dl/", 0) != 0 || rest.empty() ||
            rest.find_first_of("/\\:") != std::string::npos || rest == "." || rest == "..")
            std::abort();
    }
    engine.reset();
    port.reset();
    transfer::SetTransferFileSystem(nullptr);
    platform::SetClock(nullptr);
    return 0;
}
