#include "connections/receive_ring.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace connections {
namespace {

constexpr int32_t kSize = ReceiveRing::kSize;

std::unique_ptr<ReceiveRing> RingAt(int32_t write, int32_t read) {
    auto ring = std::make_unique<ReceiveRing>();
    ring->write = write;
    ring->read = read;
    return ring;
}

TEST(ReceiveRing, WriteRoomIsContiguousAndKeepsOneByteFree) {
    struct Case {
        int32_t write, read, room;
    } cases[] = {
        {0, 0, kSize - 1},    // empty at the start: all but one byte
        {kSize - 2, 0, 1},    // the last byte of storage would touch the reader
        {kSize - 2, 100, 2},  // up to the end of storage, no further
        {5, 5, kSize - 5},    // empty mid-ring: to the end of storage
        {3, 10, 6},           // behind the reader: up to read - 1
        {9, 10, 0},           // full
        {kSize - 1, 0, 0},    // full across the end
    };
    for (const Case& c : cases) {
        auto ring = RingAt(c.write, c.read);
        EXPECT_EQ(ring->WriteRoom(), c.room) << "write " << c.write << " read " << c.read;
    }
}

TEST(ReceiveRing, FillsTo8191AndWrapsTheWriteIndex) {
    auto ring = RingAt(kSize - 2, 100);
    ring->CommitWrite(2);
    EXPECT_EQ(ring->write, 0);  // the next receive continues at index 0
    EXPECT_EQ(ring->Count(), kSize - 100);

    auto fresh = std::make_unique<ReceiveRing>();
    std::vector<uint8_t> lots(20000, 7);
    EXPECT_EQ(fresh->Append(lots.data(), int32_t(lots.size())), kSize - 1);
    EXPECT_EQ(fresh->Count(), kSize - 1);
    EXPECT_EQ(fresh->WriteRoom(), 0);
    EXPECT_FALSE(fresh->Empty());
}

uint8_t Invert(uint8_t b) {
    return uint8_t(~b);
}

TEST(ReceiveRing, EachByteGoesThroughTheInputHookOnce) {
    auto ring = std::make_unique<ReceiveRing>();
    const uint8_t in[3] = {0x0F, 0xF0, 0x55};
    ring->Append(in, 3);
    EXPECT_EQ(ring->PeekByte(Invert), 0xF0);  // peeked: decoded in place
    EXPECT_EQ(ring->PeekByte(Invert), 0xF0);  // peeked again: not decoded twice
    EXPECT_EQ(ring->GetByte(Invert), 0xF0);   // taken after the peek
    EXPECT_EQ(ring->GetByte(Invert), 0x0F);   // taken without a peek
    ring->NoteDelivered(2);
    ASSERT_TRUE(ring->UnreadBytes(2));
    EXPECT_EQ(ring->GetByte(Invert), 0xF0);  // stepped back over: already decoded
    EXPECT_EQ(ring->GetByte(Invert), 0x0F);
    EXPECT_EQ(ring->GetByte(Invert), 0xAA);
}

TEST(ReceiveRing, UnreadStaysWithinDeliveredBytesAndTheFreeByte) {
    auto ring = std::make_unique<ReceiveRing>();
    std::vector<uint8_t> data(kSize - 1);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i);
    ring->Append(data.data(), int32_t(data.size()));
    for (int i = 0; i < 10; ++i) ring->GetByte(nullptr);
    ring->NoteDelivered(10);
    // Ten bytes were read and the writer refilled nine of their places; only
    // one may be stepped back over. Two would bring the read index onto the
    // write index and make 8192 waiting bytes look like none.
    const uint8_t more[9] = {};
    EXPECT_EQ(ring->Append(more, 9), 9);
    EXPECT_FALSE(ring->UnreadBytes(2));
    EXPECT_TRUE(ring->UnreadBytes(1));
    EXPECT_EQ(ring->Count(), ReceiveRing::kCapacity);
    EXPECT_EQ(ring->GetByte(nullptr), 9);
    ring->NoteDelivered(1);
    EXPECT_EQ(ring->Append(more, 1), 1);
    EXPECT_FALSE(ring->UnreadBytes(1));

    auto ring2 = std::make_unique<ReceiveRing>();
    ring2->Append(data.data(), 100);
    for (int i = 0; i < 50; ++i) ring2->GetByte(nullptr);
    ring2->NoteDelivered(40);
    ring2->NoteConsumed();  // a protocol byte: nothing before it may be re-read
    for (int i = 0; i < 3; ++i) ring2->GetByte(nullptr);
    ring2->NoteDelivered(3);
    EXPECT_FALSE(ring2->UnreadBytes(4));
    EXPECT_FALSE(ring2->UnreadBytes(-1));
    EXPECT_TRUE(ring2->UnreadBytes(3));
    EXPECT_EQ(ring2->GetByte(nullptr), 50);
    EXPECT_EQ(ring2->Count(), 49);

    ring2->NoteDelivered(1);
    ring2->Flush();
    EXPECT_TRUE(ring2->Empty());
    EXPECT_FALSE(ring2->UnreadBytes(1));  // flushed bytes were never delivered
}

TEST(ReceiveRing, UnreadAcrossTheEndOfStorage) {
    auto ring = RingAt(kSize - 2, kSize - 2);
    const uint8_t in[4] = {1, 2, 3, 4};
    EXPECT_EQ(ring->Append(in, 4), 4);
    for (int i = 0; i < 3; ++i) ring->GetByte(nullptr);
    ring->NoteDelivered(3);
    EXPECT_EQ(ring->read, 1);
    ASSERT_TRUE(ring->UnreadBytes(3));
    EXPECT_EQ(ring->read, kSize - 2);
    EXPECT_EQ(ring->GetByte(nullptr), 1);
}

}  // namespace
}  // namespace connections
