#include "app/host_input_wiring.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "app/composition.h"
#include "connections/comm_interface.h"
#include "connections/connection_layer.h"
#include "connections/receive_ring.h"
#include "emulation/host_ports.h"

namespace {

using emulation::HostIn;

class HostInputWiringTest : public ::testing::Test {
  protected:
    void SetUp() override {
        connections::ResetCommLayer();
        // A line that carries every byte as data.
        connections::connectionLayer.settings.CommMethod = connections::CommMethodSerial;
        app::ConnectEmulatorToHost();
    }
    void TearDown() override {
        emulation::SetHostInput(nullptr);
        emulation::SetHostOutput(nullptr);
        connections::ResetCommLayer();
    }

    static void Store(std::string_view bytes) {
        ASSERT_EQ(connections::StoreReceivedBytes(reinterpret_cast<const uint8_t*>(bytes.data()),
                                                  bytes.size()),
                  bytes.size());
    }
    static std::string ReadBytes(size_t count) {
        std::string read;
        for (size_t i = 0; i < count; ++i)
            read.push_back(static_cast<char>(HostIn().Read(false, false)));
        return read;
    }
    static std::string History(uint32_t count) {
        std::string out(count, '\0');
        out.resize(HostIn().History(reinterpret_cast<uint8_t*>(out.data()), count));
        return out;
    }
};

TEST_F(HostInputWiringTest, TheProgramsCompositionReadsTheConnection) {
    emulation::SetHostInput(nullptr);
    Store("xy");
    EXPECT_FALSE(HostIn().Ready(0));
    EXPECT_EQ(HostIn().Read(false, false), emulation::kNoHostByte);
    app::ComposeProgram();
    EXPECT_TRUE(HostIn().Ready(1));
    EXPECT_EQ(ReadBytes(2), "xy");
    EXPECT_FALSE(HostIn().Ready(0));
}

// The look-back serves prompt matching and bytes read again: the most recent
// bytes read, never one that still waits.
TEST_F(HostInputWiringTest, HistoryIsWhatWasReadLastOldestFirst) {
    Store("hello");
    EXPECT_EQ(ReadBytes(3), "hel");
    EXPECT_EQ(History(3), "hel");
    EXPECT_EQ(History(2), "el");
    ASSERT_TRUE(HostIn().Unread(1));
    EXPECT_EQ(History(2), "he");
    EXPECT_EQ(ReadBytes(3), "llo");
    EXPECT_EQ(History(5), "hello");

    // With the ring all but full, its storage keeps only the two bytes read.
    connections::ResetCommLayer();
    connections::connectionLayer.settings.CommMethod = connections::CommMethodSerial;
    Store(std::string(connections::ReceiveRing::kCapacity - 1, 'a') + "b");
    EXPECT_EQ(ReadBytes(2), "aa");
    EXPECT_EQ(History(5), "aa");
}

}  // namespace
