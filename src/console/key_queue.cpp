#include "console/key_queue.h"

#include "console/key_codes.h"

namespace console {

KeyQueue ConsoleKeyQueue;

void ResetKeyQueue() {
    ConsoleKeyQueue = KeyQueue{};
}

bool PutKeyEntry(uint16_t entry) {
    return PutKeyEntries(&entry, 1);
}

bool PutKeyEntries(const uint16_t* entries, int32_t n) {
    KeyQueue& q = ConsoleKeyQueue;
    if (n <= 0 || n > kKeyQueueSize - q.Count) return false;
    for (int32_t i = 0; i < n; ++i) q.Entries[(q.First + q.Count + i) % kKeyQueueSize] = entries[i];
    q.Count += n;
    return true;
}

bool KeyQueueEmpty() {
    return ConsoleKeyQueue.Count <= 0;
}

int32_t KeyQueueFree() {
    return kKeyQueueSize - ConsoleKeyQueue.Count;
}

uint16_t TakeKeyEntry() {
    KeyQueue& q = ConsoleKeyQueue;
    if (q.Count <= 0) return 0;
    uint16_t entry = q.Entries[q.First];
    q.First = (q.First + 1) % kKeyQueueSize;
    --q.Count;
    return entry;
}

void PutExtendedKey(uint8_t scan, bool grey, bool keypadNumLockOff, bool keypadNumLockOn) {
    uint8_t keyClass = grey               ? kClassGrey
                       : keypadNumLockOff ? kClassKeypadNumOff
                       : keypadNumLockOn  ? kClassKeypadNumOn
                                          : kClassExtended;
    PutKeyEntry(ExtendedKeyWord(scan, keyClass));
}

}  // namespace console
