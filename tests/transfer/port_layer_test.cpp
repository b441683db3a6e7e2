// The port layer over a scripted host link: what reaches the link, when, and
// what the status word and the last error text say.
#include "transfer/port_layer.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "console/tick_clock.h"
#include "transfer/host_link.h"

namespace transfer {
namespace {

class ScriptedLink final : public HostLink {
  public:
    std::deque<uint8_t> inbound;
    std::vector<std::vector<uint8_t>> sends;
    bool sendFails = false;
    int polls = 0;
    // Bytes that arrive on the given poll.
    int arriveOnPoll = -1;
    std::vector<uint8_t> arriving;

    void Poll() override {
        if (++polls == arriveOnPoll)
            inbound.insert(inbound.end(), arriving.begin(), arriving.end());
    }
    bool ByteReady() override { return !inbound.empty(); }
    int ReadByte() override {
        if (inbound.empty()) return kNoLinkByte;
        const uint8_t b = inbound.front();
        inbound.pop_front();
        return b;
    }
    uint32_t BytesWaiting() override { return uint32_t(inbound.size()); }
    bool Unread(uint32_t) override { return false; }
    bool Send(const uint8_t* bytes, size_t length) override {
        if (sendFails) return false;
        sends.emplace_back(bytes, bytes + length);
        return true;
    }
    void SendBreak() override {}

    std::vector<uint8_t> AllSent() const {
        std::vector<uint8_t> all;
        for (const auto& s : sends) all.insert(all.end(), s.begin(), s.end());
        return all;
    }
};

class PortLayer : public ::testing::Test {
  protected:
    void SetUp() override { SetHostLink(&link); }
    void TearDown() override { SetHostLink(nullptr); }

    std::unique_ptr<TransferPort> OpenPort() {
        uint16_t status = 1;
        auto port = TransferPort::OpenDefault(1, 19200, status);
        EXPECT_EQ(status, kStatusOk);
        return port;
    }

    ScriptedLink link;
};

TEST_F(PortLayer, OpenChecksSizesAndTheLink) {
    struct Case {
        uint16_t in, out, status;
    };
    const Case cases[] = {
        {9, 2078, kStatusBadBufferSize}, {65522, 2078, kStatusBadBufferSize},
        {2048, 9, kStatusBadBufferSize}, {2048, 65522, kStatusBadBufferSize},
        {10, 65521, kStatusOk},          {65521, 10, kStatusOk},
    };
    for (const Case& c : cases) {
        uint16_t status = 1;
        auto port = TransferPort::Open(1, c.in, c.out, kPortDefaultOptions, status);
        EXPECT_EQ(status, c.status) << c.in << " " << c.out;
        EXPECT_EQ(port != nullptr, c.status == kStatusOk);
    }

    uint16_t status = 0;
    auto port = TransferPort::Open(3, 2048, 2078, kPortLineControl, status);
    ASSERT_TRUE(port);
    EXPECT_EQ(port->LineControl, 3);
    EXPECT_EQ(port->OptionFlags, kPortLineControl);
    EXPECT_EQ(port->PortNumber, 3);

    SetHostLink(nullptr);
    EXPECT_FALSE(TransferPort::OpenDefault(1, 19200, status));
    EXPECT_EQ(status, kStatusNoPortLayer);
}

TEST_F(PortLayer, BatchLeavesWholeOnFlushAndNeverOverruns) {
    auto port = OpenPort();
    port->PutString("ABC");
    EXPECT_TRUE(link.sends.empty());  // held until the batch is flushed
    port->FlushBatch();
    ASSERT_EQ(link.sends.size(), 1u);
    EXPECT_EQ(std::string(link.sends[0].begin(), link.sends[0].end()), "ABC");

    // An output flush discards; an empty batch sends nothing and leaves the
    // status alone.
    port->PutChar('x');
    port->FlushOutput();
    port->SetStatus(1234);
    port->FlushBatch();
    EXPECT_EQ(link.sends.size(), 1u);
    EXPECT_EQ(port->Status(), 1234);

    // More than the batch holds: it is sent each time it is full, every
    // byte in order and none lost.
    link.sends.clear();
    std::vector<uint8_t> block(3 * kBatchSize + 17);
    for (size_t i = 0; i < block.size(); ++i) block[i] = uint8_t(i * 7);
    uint16_t written = 0;
    port->PutBlock(block.data(), uint16_t(block.size()), written);
    EXPECT_EQ(written, block.size());
    EXPECT_EQ(port->Status(), kStatusOk);
    for (const auto& s : link.sends) EXPECT_EQ(s.size(), kBatchSize);
    EXPECT_EQ(port->BatchCount(), 17u);
    port->FlushBatch();
    EXPECT_EQ(link.AllSent(), block);
}

TEST_F(PortLayer, RefusedSendsAndWriterErrors) {
    auto port = OpenPort();
    link.sendFails = true;
    std::vector<uint8_t> block(kBatchSize + 5, 'z');
    uint16_t written = 0;
    port->PutBlock(block.data(), uint16_t(block.size()), written);
    EXPECT_EQ(port->Status(), kStatusSendFailed);
    EXPECT_EQ(written, kBatchSize);  // the byte that found the batch full was not taken
    EXPECT_EQ(port->BatchCount(), 0u);

    link.sendFails = false;
    port->SetStatus(77);
    port->PutBlock(block.data(), 0, written);
    EXPECT_EQ(written, 0);
    EXPECT_EQ(port->LastError(), "18904");

    // Without the no-space-check option a long text is refused whole;
    // reporting never touches the status word.
    port->OptionFlags = 0;
    port->SetStatus(55);
    port->ReportError(2923);
    EXPECT_EQ(port->Status(), 55);
    port->PutString(std::string(kOutputFree + 1, 'q'));
    EXPECT_EQ(port->LastError(), "12921");
    EXPECT_EQ(port->BatchCount(), 0u);
    port->PutString(std::string(kOutputFree, 'q'));
    EXPECT_EQ(port->BatchCount(), size_t(kOutputFree));
}

TEST_F(PortLayer, TimeOutIsTestedBeforeAbort) {
    auto port = OpenPort();
    bool abort = true;
    port->SetAbortFunction([&] { return abort; });
    const int32_t now = console::BiosTicks();
    TickTimer expired;  // one that ran out within the day
    expired.StartTick = now - 1;
    expired.ExpireTick = now - 1;
    EXPECT_TRUE(port->TimedOutOrAborted(expired));
    EXPECT_EQ(port->Status(), kStatusTimeout);

    TickTimer running;
    StartTickTimer(running, 182);
    EXPECT_TRUE(port->TimedOutOrAborted(running));
    EXPECT_EQ(port->Status(), kStatusAborted);
    abort = false;
    port->SetStatus(0);
    EXPECT_FALSE(port->TimedOutOrAborted(running));
    EXPECT_EQ(port->Status(), 0);
}

TEST_F(PortLayer, ReceiveSendsTheRequestFirstAndWaits) {
    auto port = OpenPort();
    link.arriveOnPoll = 3;
    link.arriving = {0x06};
    port->PutString("req");
    TickTimer timer;
    StartTickTimer(timer, 182);
    int idles = 0;
    EXPECT_EQ(port->ReceiveByte(timer, [&] { ++idles; }), 0x06);
    ASSERT_EQ(link.sends.size(), 1u);
    EXPECT_EQ(std::string(link.sends[0].begin(), link.sends[0].end()), "req");
    EXPECT_EQ(idles, 2);

    // The user's cancel ends a wait that nothing answers.
    port->SetAbortFunction([] { return true; });
    EXPECT_EQ(port->ReceiveByte(timer), kNoLinkByte);
    EXPECT_EQ(port->Status(), kStatusAborted);

    // A request that cannot be sent is not waited on.
    port->SetAbortFunction({});
    link.sendFails = true;
    port->PutChar('r');
    EXPECT_EQ(port->ReceiveByte(timer), kNoLinkByte);
    EXPECT_EQ(port->Status(), kStatusSendFailed);
}

}  // namespace
}  // namespace transfer
