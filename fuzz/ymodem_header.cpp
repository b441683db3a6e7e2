// Arbitrary bytes as a YMODEM block 0: the reader stays inside the block,
// sizes fit, and the safe name never names a folder or a device.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "transfer/received_names.h"
#include "transfer/ymodem_engine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const transfer::Block0Info info = transfer::ParseBlock0(data, size);
    if (info.Size < 0 || info.Time < 0 || info.Name.size() > 254) std::abort();
    const std::string safe = transfer::SafeReceivedName(info.Name);
    if (safe.find_first_of("/\\:") != std::string::npos || safe == "." || safe == "..")
        std::abort();
    for (char c : safe)
        if (static_cast<unsigned char>(c) < 0x20) std::abort();
    return 0;
}
