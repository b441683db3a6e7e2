#pragma once

#include <cstdint>

namespace connections {

// Reading from the ring yields a byte 0..255 or this value, so that "nothing
// waiting" can never be mistaken for a received 0xFF.
inline constexpr int kNoByte = -1;

// Decodes one received byte (the telnet ENCRYPT input hook); null when none.
using InputHook = uint8_t (*)(uint8_t);

// The 8192-byte ring of received bytes. The receive is its only writer; the
// readers advance the read index. One byte always stays free, so at most 8191
// bytes wait and equal indexes always mean "empty".
struct ReceiveRing {
    static constexpr int32_t kSize = 8192;
    static constexpr int32_t kMask = kSize - 1;
    static constexpr int32_t kCapacity = kSize - 1;

    uint8_t storage[kSize] = {};
    int32_t write = 0;
    int32_t read = 0;
    // Bytes from the read index on that already went through the input hook
    // (a peeked head byte, or bytes stepped back over), so that each byte is
    // decoded exactly once.
    int32_t decodedAhead = 0;
    // How many bytes just behind the read index were delivered to a reader as
    // data, one ring position each, with nothing consumed by the protocol in
    // between; only these may be stepped back over.
    int32_t unreadLimit = 0;
    // Counts flushes and resets, after which bytes at a known place in the
    // storage may be other bytes than a reader saw there.
    uint32_t flushes = 0;

    void Reset();

    bool Empty() const { return write == read; }
    int32_t Count() const { return (write + kSize - read) & kMask; }

    // Contiguous free run at the write index: it stops at the end of the
    // storage and never takes the byte just before the read index.
    int32_t WriteRoom() const;
    uint8_t* WritePointer() { return storage + write; }
    // Records count bytes written at the write index (clamped to the room).
    void CommitWrite(int32_t count);
    // Copies bytes in across the wrap as far as there is room; returns the
    // number taken. A convenience for fakes and tests.
    int32_t Append(const uint8_t* bytes, int32_t count);

    // The waiting bytes from the read index up to the end of the storage or
    // the write index, whichever comes first.
    int32_t ContiguousWaiting() const { return write >= read ? write - read : kSize - read; }

    // The head byte, decoded in place by the hook the first time it is seen.
    // The ring must not be empty.
    uint8_t PeekByte(InputHook hook);
    // Takes the head byte (decoding it unless it was decoded already). The
    // ring must not be empty. Taking does not count it as stepped-back-able:
    // callers say what the byte was with NoteDelivered or NoteConsumed.
    uint8_t GetByte(InputHook hook);

    // The last taken byte reached a reader as data.
    void NoteDelivered(int32_t count = 1) {
        unreadLimit = unreadLimit + count < kCapacity ? unreadLimit + count : kCapacity;
    }
    // The last taken bytes were protocol bytes or dropped; the read index may
    // no longer step back over them or anything before them.
    void NoteConsumed() { unreadLimit = 0; }

    // Moves the read index back n places over bytes delivered as data. Refuses
    // (false, nothing changed) when n is negative, more than were delivered
    // since the last protocol byte, or more than would fit in the ring with
    // its one free byte.
    bool UnreadBytes(int32_t n);

    // Drops everything waiting.
    void Flush();
};

}  // namespace connections
