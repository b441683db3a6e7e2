#include "connections/receive_ring.h"

#include <algorithm>

namespace connections {

void ReceiveRing::Reset() {
    const uint32_t count = flushes;
    *this = ReceiveRing{};
    flushes = count + 1;
}

int32_t ReceiveRing::WriteRoom() const {
    const int32_t end = write < read ? read - 1 : std::min(read + kCapacity, kSize);
    return end - write;
}

void ReceiveRing::CommitWrite(int32_t count) {
    count = std::clamp(count, 0, WriteRoom());
    write = (write + count) & kMask;
}

int32_t ReceiveRing::Append(const uint8_t* bytes, int32_t count) {
    int32_t taken = 0;
    while (taken < count) {
        const int32_t room = std::min(WriteRoom(), count - taken);
        if (room <= 0) break;
        std::copy(bytes + taken, bytes + taken + room, storage + write);
        CommitWrite(room);
        taken += room;
    }
    return taken;
}

uint8_t ReceiveRing::PeekByte(InputHook hook) {
    if (hook != nullptr && decodedAhead == 0) {
        storage[read] = hook(storage[read]);
        decodedAhead = 1;
    }
    return storage[read];
}

uint8_t ReceiveRing::GetByte(InputHook hook) {
    if (decodedAhead > 0) {
        --decodedAhead;
    } else if (hook != nullptr) {
        storage[read] = hook(storage[read]);
    }
    const uint8_t b = storage[read];
    read = (read + 1) & kMask;
    return b;
}

bool ReceiveRing::UnreadBytes(int32_t n) {
    if (n < 0 || n > unreadLimit || n > kCapacity - Count()) return false;
    read = (read - n) & kMask;
    unreadLimit -= n;
    decodedAhead += n;
    return true;
}

void ReceiveRing::Flush() {
    read = write;
    decodedAhead = 0;
    unreadLimit = 0;
    ++flushes;
}

}  // namespace connections
