#ifndef _WIN32

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>

#include "connections/ssh/os_random.h"

namespace connections::ssh {

namespace {

bool ReadUrandom(uint8_t* buffer, size_t count) {
    int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < count) {
        ssize_t n = read(fd, buffer + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    close(fd);
    return done == count;
}

}  // namespace

bool PosixOsRandom(uint8_t* buffer, size_t count) {
    size_t done = 0;
    while (done < count) {
        ssize_t n = getrandom(buffer + done, count - done, 0);
        if (n < 0 && errno == EINTR) continue;
        // A kernel without the call still has the device.
        if (n < 0 && errno == ENOSYS) return ReadUrandom(buffer + done, count - done);
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace connections::ssh

#endif
