#include <gtest/gtest.h>

#include <vector>

#include "connections/comm_interface.h"

namespace connections {
namespace {

class ReceiveRingTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetCommLayer(); }
    void Receive(std::vector<uint8_t> bytes) { StoreReceivedBytes(bytes.data(), bytes.size()); }
};

TEST_F(ReceiveRingTest, ByteFFIsToldApartFromNothing) {
    EXPECT_EQ(CommReadChar(false, false), CommNothingReceived);
    Receive({0xFF, 0x00, 0xC1, 0x00});
    EXPECT_TRUE(CommInputReady(0));
    EXPECT_EQ(CommReadChar(false, false), 0xFF);
    EXPECT_EQ(CommReadChar(false, true), 0x41 | 0x80);  // NUL skipped
    EXPECT_EQ(CommReadChar(true, false), 0x00);
    EXPECT_EQ(CommReadChar(false, false), CommNothingReceived);
    Receive({0x00});
    EXPECT_EQ(CommReadChar(false, true), CommNothingReceived);  // only NULs waited
}

TEST_F(ReceiveRingTest, InputReadyCountsMoreThanN) {
    Receive({1, 2, 3});
    EXPECT_TRUE(CommInputReady(2));
    EXPECT_FALSE(CommInputReady(3));
    EXPECT_EQ(CommBytesWaiting(), 3u);
}

TEST_F(ReceiveRingTest, RunStopsAtABoundOrTheEndOfStorage) {
    Receive({'a', 'b', 0x1B, 'c'});
    uint8_t out[16];
    EXPECT_EQ(CommReadRun(out, 16, 32, 126), 2u);
    EXPECT_EQ(CommReadChar(false, false), 0x1B);
    EXPECT_EQ(CommReadRun(out, 0, 32, 126), 0u);

    // A run that wraps is taken in two steps.
    ResetCommLayer();
    CommLayer.ReceiveRing.ReadIndex = CommLayer.ReceiveRing.WriteIndex = ReceiveRingSize - 2;
    Receive({'w', 'x', 'y', 'z'});
    EXPECT_EQ(CommReadRun(out, 16, 32, 126), 2u);
    EXPECT_EQ(CommReadRun(out + 2, 16, 32, 126), 2u);
    EXPECT_EQ(std::string(out, out + 4), "wxyz");
}

TEST_F(ReceiveRingTest, OverflowKeepsOneByteFreeAndIsFlagged) {
    std::vector<uint8_t> bytes(ReceiveRingSize + 10, 'q');
    EXPECT_EQ(StoreReceivedBytes(bytes.data(), bytes.size()), ReceiveRingSize - 1);
    EXPECT_TRUE(CommLayer.ReceiveOverflow);
    EXPECT_EQ(CommBytesWaiting(), ReceiveRingSize - 1);
}

TEST_F(ReceiveRingTest, NothingOpensYet) {
    CommLayer.HostIpText = "10.0.0.1";
    EXPECT_NE(CommOpen(true), 0u);
    EXPECT_TRUE(CommLayer.HostIpText.empty());
    EXPECT_FALSE(CommIsOpen());
    EXPECT_FALSE(CommSendByte('a'));
}

}  // namespace
}  // namespace connections
