#pragma once
// The operating system's random generator, the only source the random pool
// trusts for secrets. Portable code sees a plain function; each platform
// supplies one.
#include <cstddef>
#include <cstdint>

namespace connections::ssh {

// Fills the buffer with bytes from the system generator; false when the
// generator is missing or failed, in which case the buffer means nothing.
using OsRandomFill = bool (*)(uint8_t* buffer, size_t count);

#ifndef _WIN32
// getrandom(), falling back to /dev/urandom.
bool PosixOsRandom(uint8_t* buffer, size_t count);
#else
// BCryptGenRandom with the system-preferred generator (connections/win32).
bool Win32OsRandom(uint8_t* buffer, size_t count);
#endif

}  // namespace connections::ssh
