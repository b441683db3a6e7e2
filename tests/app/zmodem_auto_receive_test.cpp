// Automatic ZMODEM receive in the composed program: a host behind a Telnet
// connection prints a line, runs lrzsz's sz and prints another; the byte
// path notices the ZMODEM start, the file arrives in the download folder,
// and the session shows the host's next line.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "../common/peer_required.h"
#include "../emulation/terminal_test_fixture.h"
#include "app/composition.h"
#include "connections/posix_transport.h"
#include "transfer/transfer_interface.h"

namespace {

class ZmodemAutoReceive : public emulation_test::TerminalTest {
  protected:
    void BeforeType() override { app::ComposeProgram(); }
    void TearDown() override {
        stop = true;
        if (relay.joinable()) relay.join();
        if (shell > 0) {
            ::kill(shell, SIGKILL);
            ::waitpid(shell, nullptr, 0);
        }
        connections::CommClose();
        if (host >= 0) ::close(host);
        if (listener >= 0) ::close(listener);
        if (pair >= 0) ::close(pair);
        std::filesystem::remove_all(folder);
        emulation::ScreenOperations.Hooks = {};
        emulation::SetTermTypeConsole(nullptr);
        TerminalTest::TearDown();
    }

    // The program connects over Telnet (no negotiation) to a host socket
    // that relays to the command's standard input and output, with a data
    // 0xFF doubled and CR followed by NUL each way, as on a Telnet line.
    void Connect(const std::string& command) {
        listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ASSERT_GE(listener, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        ASSERT_EQ(::listen(listener, 1), 0);
        socklen_t len = sizeof a;
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);
        connections::AttachProgramConnection(&tcp);
        connections::ResetCommLayer();
        commands::Settings.CommMethod = connections::CommMethodTelnet;
        commands::Settings.TelnetNegotiation = 0;
        commands::Settings.HostName = "127.0.0.1:" + std::to_string(ntohs(a.sin_port));
        ASSERT_EQ(connections::CommOpen(true), 0u);
        host = ::accept(listener, nullptr, nullptr);
        ASSERT_GE(host, 0);

        int sv[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv), 0);
        shell = ::fork();
        if (shell == 0) {
            if (::chdir(folder.c_str()) != 0) ::_exit(126);
            ::dup2(sv[1], 0);
            ::dup2(sv[1], 1);
            ::dup2(::open("/dev/null", O_WRONLY), 2);
            ::execlp("sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(sv[1]);
        pair = sv[0];
        relay = std::thread([this] { Relay(); });
    }

    void Relay() {
        bool cr = false, iac = false;
        while (!stop) {
            pollfd p[2] = {{host, POLLIN, 0}, {pair, POLLIN, 0}};
            if (::poll(p, 2, 20) <= 0) continue;
            uint8_t in[4096];
            std::string out;
            if (p[0].revents & POLLIN) {
                const ssize_t n = ::read(host, in, sizeof in);
                if (n <= 0) return;
                for (ssize_t i = 0; i < n; ++i) {
                    const uint8_t b = in[i];
                    if (iac) {
                        iac = false;
                        if (b == 0xFF) out += char(0xFF);
                        continue;
                    }
                    if (cr && b == 0) {
                        cr = false;
                        continue;
                    }
                    cr = b == '\r';
                    if (b == 0xFF) {
                        iac = true;
                        continue;
                    }
                    out += char(b);
                }
                if (!out.empty() && ::write(pair, out.data(), out.size()) < 0) return;
            }
            if (p[1].revents & (POLLIN | POLLHUP)) {
                const ssize_t n = ::read(pair, in, sizeof in);
                if (n <= 0) {
                    // The host's command ended: nothing more will come.
                    ::usleep(20000);
                    continue;
                }
                out.clear();
                for (ssize_t i = 0; i < n; ++i) {
                    out += char(in[i]);
                    if (in[i] == 0xFF) out += char(0xFF);
                    if (in[i] == '\r') out += '\0';
                }
                if (::write(host, out.data(), out.size()) < 0) return;
            }
        }
    }

    std::string folder = [] {
        char pattern[] = "/tmp/vz-zauto-XXXXXX";
        return std::string(::mkdtemp(pattern));
    }();
    connections::PosixTransport tcp;
    int listener = -1, host = -1, pair = -1;
    pid_t shell = -1;
    std::atomic<bool> stop{false};
    std::thread relay;
};

TEST_F(ZmodemAutoReceive, TheHostsSzLandsInTheDownloadFolderAndTheSessionGoesOn) {
    if (::access("/usr/bin/sz", X_OK) != 0) VZ_SKIP_WITHOUT_PEER("lrzsz is not installed");
    Start("VT220");
    std::filesystem::create_directory(folder + "/downloads");
    std::filesystem::create_directory(folder + "/host");
    commands::Settings.ZmodemAutoReceive = 1;
    commands::Settings.DownloadDir = folder + "/downloads/";
    std::string data(300000, '\0');
    std::mt19937 rng(5);
    for (char& c : data) c = char(rng());
    std::ofstream(folder + "/host/report.bin", std::ios::binary) << data;
    Connect("printf 'before\\r\\n'; cd host && sz -q report.bin; printf 'after\\r\\n'; sleep 5");

    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < end &&
           TrimmedRow(2).find("after") == std::string::npos) {
        emulation::ReceiveFromHost();
        ::usleep(1000);
    }
    std::ifstream in(folder + "/downloads/report.bin", std::ios::binary);
    const std::string got((std::istreambuf_iterator<char>(in)), {});
    EXPECT_TRUE(got == data) << got.size() << " bytes of " << data.size();
    EXPECT_EQ(TrimmedRow(1), "before");
    // "rz" CR and the two pads before the ZMODEM start are plain text on the
    // row; nothing of the transfer itself is shown, and the cursor comes
    // back where the start left it for the host's next line.
    EXPECT_EQ(TrimmedRow(2), "**after");
    EXPECT_EQ(transfer::Transfer.LastReceivedFile, folder + "/downloads/report.bin");
}

}  // namespace
