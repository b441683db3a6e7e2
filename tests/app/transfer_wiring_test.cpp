// The transfers' port layer as the program composes it: over the real
// connection layer and a loopback socket to a host played by the test.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../common/peer_required.h"
#include "../common/transfer_fixtures.h"
#include "../console/fake_console_window.h"
#include "app/composition.h"
#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "connections/comm_interface.h"
#include "connections/posix_transport.h"
#include "console/console_primitives.h"
#include "transfer/host_link.h"
#include "transfer/port_layer.h"

namespace {

class TransferLink : public ::testing::Test {
  protected:
    void SetUp() override {
        commands::ResetSettingsToDefaults();
        console_test::ResetConsoleForTest(window);
        app::ComposeProgram();
        ASSERT_TRUE(loopback.ConnectProgram(socket));
        host = loopback.Socket();

        uint16_t status = 1;
        port = transfer::TransferPort::OpenDefault(1, 19200, status);
        ASSERT_EQ(status, transfer::kStatusOk);
        ASSERT_TRUE(port);
    }
    void TearDown() override {
        port.reset();
        connections::CommClose();
        connections::AttachProgramConnection(nullptr);
        connections::ResetCommLayer();
        console::SetScreenWindow(nullptr);
        commands::ResetSettingsToDefaults();
    }

    // What the host receives within the wait, at most count bytes.
    std::string HostReads(size_t count, int waitMs = 1000) {
        std::string got;
        while (got.size() < count) {
            pollfd p{host, POLLIN, 0};
            if (::poll(&p, 1, waitMs) <= 0) break;
            char buffer[4096];
            const ssize_t n = ::read(host, buffer, sizeof buffer);
            if (n <= 0) break;
            got.append(buffer, size_t(n));
        }
        return got;
    }
    void HostWrites(const std::string& bytes) {
        ASSERT_EQ(::write(host, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    int Receive() {
        transfer::TickTimer timer;
        transfer::StartTickTimer(timer, 18);
        return port->ReceiveByte(timer);
    }

    connections::PosixTransport socket;
    console_test::FakeConsoleWindow window;
    transfer_test::LoopbackTelnetHost loopback;
    int host = -1;
    std::unique_ptr<transfer::TransferPort> port;
};

TEST_F(TransferLink, BatchesReachTheHostWholeAndInOrder) {
    // Every byte value, more than two batches' worth; on a Telnet connection
    // outside binary mode a data 0xFF goes out doubled and CR as CR NUL.
    std::string block, wire;
    for (int i = 0; i < 5000; ++i) {
        block += char(i * 13);
        wire += block.back();
        if (uint8_t(block.back()) == 0xFF) wire += char(0xFF);
        if (block.back() == '\r') wire += '\0';
    }
    port->PutString(block.substr(0, 100));
    EXPECT_EQ(HostReads(1, 100).size(), 0u);  // nothing leaves before the flush
    uint16_t written = 0;
    port->PutBlock(reinterpret_cast<const uint8_t*>(block.data()) + 100, uint16_t(4900), written);
    EXPECT_EQ(written, 4900);
    port->FlushBatch();
    EXPECT_EQ(port->Status(), transfer::kStatusOk);
    const std::string got = HostReads(wire.size());
    EXPECT_TRUE(got == wire) << got.size() << " bytes of " << wire.size();
}

TEST_F(TransferLink, ReceivesEveryByteValueAndTimesOut) {
    // On a Telnet connection a data 0xFF travels doubled; the transfer sees
    // it once, and all other values as they were sent.
    std::string wire, expected;
    for (int b = 0; b < 256; ++b) {
        expected += char(b);
        wire += char(b);
        if (b == 0xFF) wire += char(0xFF);
    }
    HostWrites(wire);
    std::string got;
    for (size_t i = 0; i < expected.size(); ++i) {
        const int b = Receive();
        if (b == transfer::kNoLinkByte) break;
        got += char(b);
    }
    EXPECT_EQ(got, expected);

    EXPECT_EQ(Receive(), transfer::kNoLinkByte);
    EXPECT_EQ(port->Status(), transfer::kStatusTimeout);
}

TEST_F(TransferLink, StepsBackOnlyOverBytesStillHeld) {
    HostWrites(std::string(300, 'a'));
    for (int i = 0; i < 300; ++i) ASSERT_EQ(Receive(), 'a');
    EXPECT_FALSE(port->UngetChars(301));  // more than were read
    ASSERT_TRUE(port->UngetChars(300));
    for (int i = 0; i < 300; ++i) ASSERT_EQ(Receive(), 'a');

    // With 8000 new bytes waiting, the ring keeps only 191 of the old ones
    // whole: stepping back further would reach bytes already overwritten or
    // make a full ring look empty.
    HostWrites(std::string(8000, 'b'));
    for (int tries = 0; tries < 200 && connections::CommBytesWaiting() < 8000; ++tries)
        ::usleep(5000);
    ASSERT_EQ(connections::CommBytesWaiting(), 8000u);
    EXPECT_FALSE(port->UngetChars(192));
    EXPECT_EQ(connections::CommBytesWaiting(), 8000u);
    ASSERT_TRUE(port->UngetChars(191));
    std::string got;
    for (int i = 0; i < 8191; ++i) got += char(Receive());
    EXPECT_EQ(got, std::string(191, 'a') + std::string(8000, 'b'));
}

// The composed program sends a file with XSEND/S to lrzsz's rx, which
// stands as the host behind a Telnet relay (data 0xFF doubled, CR followed
// by NUL, as the program's Telnet connection sends and expects them).
TEST_F(TransferLink, XsendCommandReachesRxThroughTheProgramsConnection) {
    if (::access("/usr/bin/rx", X_OK) != 0) VZ_SKIP_WITHOUT_PEER("lrzsz is not installed");
    port.reset();
    char folder[] = "/tmp/vz-xsend-XXXXXX";
    const std::string dir = ::mkdtemp(folder);
    std::string data;
    for (int i = 0; i < 3000; ++i) data += char((i * 7919) >> 3);
    std::ofstream(dir + "/out file.bin", std::ios::binary) << data;

    ASSERT_TRUE(loopback.Run(dir, {"rx", "-b", "-c", "got"}));

    commands::ExecuteFunction("XSEND/S \"" + dir + "/out file.bin\"");
    const std::string reply(commands::Interpreter.FunctionReply.View());
    loopback.WaitProgram(3000);
    loopback.Stop();

    EXPECT_EQ(reply, "00");
    std::ifstream in(dir + "/got", std::ios::binary);
    const std::string got((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GE(got.size(), data.size());
    EXPECT_EQ(got.substr(0, data.size()), data);
    EXPECT_EQ(got.substr(data.size()), std::string(got.size() - data.size(), '\x1A'));
    std::filesystem::remove_all(dir);
}

}  // namespace
