#pragma once

#include <cstdint>

namespace emulation {

// Start-up allocation of the terminal screen ring: bytes 0 takes the size
// from the settings' review lines. False (with "INSUFFICIENT MEMORY" shown)
// when not even the smallest ring could be had.
bool AllocScreenBuffers(int32_t bytes);

}  // namespace emulation
