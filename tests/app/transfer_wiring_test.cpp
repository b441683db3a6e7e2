// The transfers' port layer as the program composes it: over the real
// connection layer and a loopback socket to a host played by the test.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "../common/peer_required.h"
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
        connections::AttachProgramConnection(&socket);
        connections::ResetCommLayer();

        listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ASSERT_GE(listener, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        ASSERT_EQ(::listen(listener, 1), 0);
        socklen_t len = sizeof a;
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);

        commands::Settings.CommMethod = connections::CommMethodTelnet;
        commands::Settings.TelnetNegotiation = 0;
        commands::Settings.HostName = "127.0.0.1:" + std::to_string(ntohs(a.sin_port));
        ASSERT_EQ(connections::CommOpen(true), 0u);
        host = ::accept(listener, nullptr, nullptr);
        ASSERT_GE(host, 0);

        uint16_t status = 1;
        port = transfer::TransferPort::OpenDefault(1, 19200, status);
        ASSERT_EQ(status, transfer::kStatusOk);
        ASSERT_TRUE(port);
    }
    void TearDown() override {
        port.reset();
        connections::CommClose();
        if (host >= 0) ::close(host);
        if (listener >= 0) ::close(listener);
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
    int listener = -1;
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

    int sv[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv), 0);
    const pid_t rx = ::fork();
    if (rx == 0) {
        if (::chdir(dir.c_str()) != 0) ::_exit(126);
        ::dup2(sv[1], 0);
        ::dup2(sv[1], 1);
        ::dup2(::open("/dev/null", O_WRONLY), 2);
        ::execlp("rx", "rx", "-b", "-c", "got", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(sv[1]);
    std::atomic<bool> stop{false};
    std::thread relay([&] {
        bool hostCr = false, hostIac = false;
        while (!stop) {
            pollfd p[2] = {{host, POLLIN, 0}, {sv[0], POLLIN, 0}};
            if (::poll(p, 2, 20) <= 0) continue;
            uint8_t in[4096];
            std::string out;
            if (p[0].revents & POLLIN) {
                const ssize_t n = ::read(host, in, sizeof in);
                if (n <= 0) break;
                for (ssize_t i = 0; i < n; ++i) {
                    const uint8_t b = in[i];
                    if (hostIac) {
                        hostIac = false;
                        if (b == 0xFF) out += char(0xFF);
                        continue;
                    }
                    if (hostCr && b == 0) {
                        hostCr = false;
                        continue;
                    }
                    hostCr = b == '\r';
                    if (b == 0xFF) {
                        hostIac = true;
                        continue;
                    }
                    out += char(b);
                }
                if (!out.empty() && ::write(sv[0], out.data(), out.size()) < 0) break;
            }
            if (p[1].revents & (POLLIN | POLLHUP)) {
                const ssize_t n = ::read(sv[0], in, sizeof in);
                if (n <= 0) break;
                out.clear();
                for (ssize_t i = 0; i < n; ++i) {
                    out += char(in[i]);
                    if (in[i] == 0xFF) out += char(0xFF);
                    if (in[i] == '\r') out += '\0';
                }
                if (::write(host, out.data(), out.size()) < 0) break;
            }
        }
    });

    commands::ExecuteFunction("XSEND/S \"" + dir + "/out file.bin\"");
    const std::string reply(commands::Interpreter.FunctionReply.View());
    int status = -1;
    for (int i = 0; i < 300 && ::waitpid(rx, &status, WNOHANG) == 0; ++i) ::usleep(10000);
    ::kill(rx, SIGKILL);
    ::waitpid(rx, nullptr, WNOHANG);
    stop = true;
    relay.join();
    ::close(sv[0]);

    EXPECT_EQ(reply, "00");
    std::ifstream in(dir + "/got", std::ios::binary);
    const std::string got((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GE(got.size(), data.size());
    EXPECT_EQ(got.substr(0, data.size()), data);
    EXPECT_EQ(got.substr(data.size()), std::string(got.size() - data.size(), '\x1A'));
    std::filesystem::remove_all(dir);
}

}  // namespace
