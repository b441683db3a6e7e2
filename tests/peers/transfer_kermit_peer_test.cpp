// The Kermit engine against C-Kermit on a pseudo-terminal: sending and
// receiving with each block check, sliding windows, long packets, 8th-bit
// prefixing over a seven-bit line, repeat counts and attributes, and a file
// asked of a Kermit server; one transfer each way through the commands.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "../common/peer_required.h"
#include "../common/transfer_fixtures.h"
#include "commands/settings_record.h"
#include "kermit_peer.h"
#include "peer_support.h"
#include "transfer/kermit/kermit_engine.h"
#include "transfer/transfer_front_end.h"

namespace {

using namespace transfer;
using transfer_test::Bytes;
using transfer_test::ReadFile;
using transfer_test::WriteFile;

// Random bytes with runs of equal bytes between them, so that repeat counts
// and every prefix are used.
Bytes TestData(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    Bytes b;
    while (b.size() < n) {
        if (gen() % 4 == 0)
            b.insert(b.end(), 3 + gen() % 150, uint8_t(gen()));
        else
            for (int i = 0; i < 64; ++i) b.push_back(uint8_t(gen()));
    }
    b.resize(n);
    return b;
}

struct Case {
    const char* name;
    std::vector<std::string> peer;  // C-Kermit's options before its action
    KermitSettings ours;
    bool sevenBit = false;
    size_t size = 20000;
    // What the Send-Init exchange must have agreed.
    uint8_t check = '1';
    uint8_t windows = 1;
    bool longPackets = false;
};

KermitSettings With(uint8_t check, int32_t windows = 0, int32_t maxLen = 0, uint8_t highBit = 'Y') {
    KermitSettings s;
    s.Check = check;
    s.UseWindows = windows > 0;
    s.Windows = windows;
    s.MaxLen = maxLen;
    s.HighBitPrefix = highBit;
    s.WriteFail = kWriteFailOverwrite;
    return s;
}

class KermitPeerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!kermit_peer::Installed()) VZ_SKIP_WITHOUT_PEER("C-Kermit is not installed");
        commands::ResetSettingsToDefaults();
        transfer::ResetTransfer();
    }
    // Runs the engine over the peer's pty (seven bits when asked).
    static void Run(KermitEngine& engine, TransferPort& port, bool sending) {
        if (sending)
            engine.Transmit();
        else
            engine.Receive();
        port.FlushBatch();
    }
    void Check(const Case& c, const KermitEngine& e) {
        EXPECT_EQ(e.Agreed().CheckType, c.check);
        EXPECT_EQ(e.Agreed().Windows, c.windows);
        EXPECT_EQ(e.Agreed().LongPackets, c.longPackets);
        EXPECT_EQ(e.Agreed().HighBit, c.sevenBit);
        EXPECT_TRUE(e.Agreed().Repeat);
    }

    peers::TempDir mine;
    peers::TempDir theirs;
};

TEST_F(KermitPeerTest, SendToCKermit) {
    const Case cases[] = {
        {"check 1", {}, With(1), false, 20000, '1'},
        {"check 2, window 4", {"-v", "4"}, With(2, 4), false, 20000, '2', 4},
        {"check 3, window 27", {"-v", "27"}, With(5, 27), false, 20000, '3', 27},
        {"long packets, window 4, 1 MB",
         {"-v", "4", "-e", "1000"},
         With(5, 4, 1000),
         false,
         1 << 20,
         '3',
         4,
         true},
        {"seven bits", {"-p", "even"}, With(5, 0, 0, '&'), true, 20000, '3'},
    };
    unsigned seed = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes data = TestData(c.size, seed++);
        WriteFile(mine.path() + "/out.bin", data);
        std::filesystem::remove(theirs.path() + "/out.bin");
        std::vector<std::string> args = c.peer;
        args.insert(args.end(), {"-i", "-r"});
        kermit_peer::Peer peer(args, theirs.path());
        kermit_peer::SevenBitLink seven(peer.Link());
        uint16_t status = 0;
        auto port = TransferPort::OpenOnLink(
            c.sevenBit ? static_cast<HostLink&>(seven) : peer.Link(), status);
        auto engine = KermitEngine::Create(*port, c.ours);
        engine->Proto().SetFileMask(mine.path() + "/out.bin");
        Run(*engine, *port, true);
        EXPECT_EQ(engine->Proto().Status(), kStatusOk) << port->LastError();
        EXPECT_EQ(peer.Wait(5000), 0);
        EXPECT_EQ(ReadFile(theirs.path() + "/out.bin"), data);
        Check(c, *engine);
    }
}

TEST_F(KermitPeerTest, ReceiveFromCKermit) {
    // C-Kermit's own commands, so that the block check is set before it sends;
    // names are kept as they are rather than raised to upper case.
    auto send = [](const char* check) {
        return std::string("set file names literal, set block-check ") + check +
               ", send in.bin, exit";
    };
    const Case cases[] = {
        {"check 1", {"-C", send("1")}, With(1), false, 20000, '1'},
        {"check 2", {"-C", send("2")}, With(1), false, 20000, '2'},
        {"check 3, window 4", {"-v", "4", "-C", send("3")}, With(1, 4), false, 20000, '3', 4},
        {"window 27, long packets, 1 MB",
         {"-v", "27", "-C", send("3")},
         With(1, 27, 1000),
         false,
         1 << 20,
         '3',
         27,
         true},
        {"seven bits", {"-p", "even", "-C", send("3")}, With(1), true, 20000, '3'},
    };
    unsigned seed = 50;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes data = TestData(c.size, seed++);
        WriteFile(theirs.path() + "/in.bin", data);
        std::filesystem::remove(mine.path() + "/in.bin");
        std::vector<std::string> args = c.peer;
        args.insert(args.begin(), "-i");
        kermit_peer::Peer peer(args, theirs.path());
        kermit_peer::SevenBitLink seven(peer.Link());
        uint16_t status = 0;
        auto port = TransferPort::OpenOnLink(
            c.sevenBit ? static_cast<HostLink&>(seven) : peer.Link(), status);
        KermitSettings ours = c.ours;
        ours.DestDir = mine.path();
        auto engine = KermitEngine::Create(*port, ours);
        // The size comes in the attribute packet before any data.
        int32_t announced = -1;
        engine->Proto().SetStatusHook([&](ProtocolRecord& p, bool, bool) {
            if (announced < 0 && p.SrcFileLen > 0 && p.BytesTransferred == 0)
                announced = p.SrcFileLen;
        });
        Run(*engine, *port, false);
        EXPECT_EQ(engine->Proto().Status(), kStatusOk) << port->LastError();
        EXPECT_EQ(peer.Wait(5000), 0);
        EXPECT_EQ(ReadFile(mine.path() + "/in.bin"), data);
        EXPECT_EQ(announced, int32_t(c.size));
        Check(c, *engine);
    }
}

TEST_F(KermitPeerTest, FileAskedOfAServer) {
    const Bytes data = TestData(30000, 7);
    WriteFile(theirs.path() + "/served.bin", data);
    kermit_peer::Peer server({"-i", "-C", "set file names literal, server"}, theirs.path());
    uint16_t status = 0;
    auto port = TransferPort::OpenOnLink(server.Link(), status);
    KermitSettings ours = With(5, 4);
    ours.DestDir = mine.path();
    auto engine = KermitEngine::Create(*port, ours);
    engine->Proto().TransferFileName = "served.bin";
    engine->Receive();
    EXPECT_EQ(engine->Proto().Status(), kStatusOk) << port->LastError();
    EXPECT_EQ(ReadFile(mine.path() + "/served.bin"), data);
}

// The commands pick the engine by protocol number and take its options from
// the settings: a batch of three files out, one file in.
TEST_F(KermitPeerTest, ThroughTheCommands) {
    commands::Settings.KermitBlockCheck.Set(5);
    commands::Settings.KermitUseWindows = 1;
    commands::Settings.KermitWindows.Set(8);
    commands::Settings.DownloadLock = 0;
    commands::Settings.DownloadDir = mine.path() + "/";
    commands::Settings.XferWriteFailAction.Set(2);
    std::vector<Bytes> files;
    for (int i = 0; i < 3; ++i) {
        files.push_back(TestData(size_t(5000 * i + 1), unsigned(90 + i)));
        WriteFile(mine.path() + "/batch" + std::to_string(i) + ".dat", files.back());
    }
    {
        kermit_peer::Peer peer({"-v", "8", "-i", "-r"}, theirs.path());
        transfer::SetHostLink(&peer.Link());
        std::string reply;
        transfer::KermitSendCommand("\"" + mine.path() + "/batch*.dat\"", reply);
        transfer::SetHostLink(nullptr);
        EXPECT_EQ(reply, "00");
        EXPECT_EQ(peer.Wait(5000), 0);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(ReadFile(theirs.path() + "/batch" + std::to_string(i) + ".dat"), files[i]);
    }
    {
        const Bytes data = TestData(40000, 99);
        WriteFile(theirs.path() + "/back.dat", data);
        kermit_peer::Peer peer(
            {"-v", "8", "-i", "-C", "set file names literal, send back.dat, exit"}, theirs.path());
        transfer::SetHostLink(&peer.Link());
        std::string reply;
        transfer::KermitReceiveCommand("", reply);
        transfer::SetHostLink(nullptr);
        EXPECT_EQ(reply, "00");
        EXPECT_EQ(peer.Wait(5000), 0);
        EXPECT_EQ(ReadFile(mine.path() + "/back.dat"), data);
    }
}

}  // namespace
