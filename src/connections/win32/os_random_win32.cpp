#include <windows.h>
// bcrypt.h needs the types windows.h declares.
#include <bcrypt.h>

#include <climits>

#include "connections/ssh/os_random.h"

namespace connections::ssh {

// The system-preferred generator needs no algorithm handle and no key
// container of the user.
bool Win32OsRandom(uint8_t* buffer, size_t count) {
    while (count > 0) {
        ULONG chunk = count > ULONG_MAX ? ULONG_MAX : static_cast<ULONG>(count);
        if (!BCRYPT_SUCCESS(
                BCryptGenRandom(nullptr, buffer, chunk, BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
            return false;
        buffer += chunk;
        count -= chunk;
    }
    return true;
}

}  // namespace connections::ssh
