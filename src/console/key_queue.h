#pragma once
// The terminal window's key queue: typed text as bytes and other keys as extended key words
// (scan code x 256 + class byte), first in, first out.

#include <array>
#include <cstdint>

namespace console {

inline constexpr int32_t kKeyQueueSize = 511;

struct KeyQueue {
    std::array<uint16_t, kKeyQueueSize> Entries{};
    int32_t Count = 0;
    int32_t First = 0;  // index of the oldest entry
};
extern KeyQueue ConsoleKeyQueue;
void ResetKeyQueue();

// Appends one entry; a put while the queue is full is dropped (false).
bool PutKeyEntry(uint16_t entry);
// Appends all the entries or, when they do not all fit, none of them.
bool PutKeyEntries(const uint16_t* entries, int32_t n);
bool KeyQueueEmpty();
int32_t KeyQueueFree();
// Removes and returns the oldest entry; 0 when the queue is empty.
uint16_t TakeKeyEntry();

// Queues scan x 256 + class: 0xE0 for a grey key, else 0xF0 for a keypad key with NumLock off,
// else 0xD0 with NumLock on, else 0x00.
void PutExtendedKey(uint8_t scan, bool grey, bool keypadNumLockOff, bool keypadNumLockOn);

}  // namespace console
