// Arbitrary host bytes through the recogniser of every terminal type, fed the
// way the executor collects them; the fast scan must agree with the plain
// reference scan on every call, and the buffer must stay within its bounds.
//
// Input: byte 0 chooses the terminal type (low 4 bits), the GL set and C332
// mode; byte 1 the screen width, Propagate and IgnoreNul; the rest is the host
// stream.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "recogniser_driver.h"

// Any heap allocation while the recogniser runs is a fault: the byte path
// must not allocate per sequence.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));
namespace {
bool recognising = false;
void TrapAllocation(const volatile void*, size_t) {
    if (recognising) __builtin_trap();
}
void IgnoreFree(const volatile void*) {}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    using namespace emulation;
    static const bool hooked =
        __sanitizer_install_malloc_and_free_hooks(TrapAllocation, IgnoreFree);
    (void)hooked;
    static const uint8_t kGLs[8] = {0, 0, 0, 3, 10, 11, 21, 14};

    commands::ResetSettingsToDefaults();
    commands::Settings.IgnoreNul = (data[1] & 4) != 0;
    ResetEmulatorState();
    ResetRecogniser();
    const TermTypeEntry& type = TermTypeTable[data[0] & 15];
    if (!SetTerminalType(type.Name, true)) __builtin_trap();
    EmulatorState.GL = kGLs[(data[0] >> 4) & 7];
    EmulatorState.C332Mode = (data[0] & 0x80) != 0;

    recogniser_driver::StreamSource source;
    source.data = data + 2;
    source.size = size - 2;
    source.width = (data[1] & 1) ? 132 : 80;
    commands::Settings.Propagate = (data[1] & 2) != 0;
    SetRecogniserSource(&source);

    recogniser_driver::Driver driver(source);
    recognising = true;
    const recogniser_driver::Mismatch m = driver.Run();
    recognising = false;
    SetRecogniserSource(nullptr);
    if (m.found) {
        std::fprintf(stderr, "%s: fast %d/%u, reference %d/%u for a buffer of %zu bytes\n",
                     type.Name, static_cast<int>(m.fast.status), m.fast.op,
                     static_cast<int>(m.reference.status), m.reference.op, m.before.size());
        std::abort();
    }
    if (SeqBuffer.size() > kSeqBufferSize) __builtin_trap();
    return 0;
}
