// Automatic ZMODEM receive in the composed program: a host behind a Telnet
// connection prints a line, runs lrzsz's sz and prints another; the byte
// path notices the ZMODEM start, the file arrives in the download folder,
// and the session shows the host's next line.
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "../common/peer_required.h"
#include "../common/transfer_fixtures.h"
#include "../emulation/terminal_test_fixture.h"
#include "app/composition.h"
#include "connections/posix_transport.h"
#include "transfer/transfer_interface.h"

namespace {

class ZmodemAutoReceive : public emulation_test::TerminalTest {
  protected:
    void BeforeType() override { app::ComposeProgram(); }
    void TearDown() override {
        loopback.Stop();
        connections::CommClose();
        std::filesystem::remove_all(folder);
        emulation::ScreenOperations.Hooks = {};
        emulation::SetTermTypeConsole(nullptr);
        TerminalTest::TearDown();
    }

    // The program connects over Telnet to a host that runs the command.
    void Connect(const std::string& command) {
        ASSERT_TRUE(loopback.ConnectProgram(tcp));
        ASSERT_TRUE(loopback.Run(folder, {"sh", "-c", command}));
    }

    std::string folder = [] {
        char pattern[] = "/tmp/vz-zauto-XXXXXX";
        return std::string(::mkdtemp(pattern));
    }();
    connections::PosixTransport tcp;
    transfer_test::LoopbackTelnetHost loopback;
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
