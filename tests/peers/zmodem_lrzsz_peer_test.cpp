// ZMODEM through the front end's commands against lrzsz's sz and rz on the
// other end of a socket pair: both directions, batches, both CRCs, escaped
// control characters, crash recovery and the file-management choices of a
// real sender.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "../common/peer_required.h"
#include "../common/transfer_fixtures.h"
#include "commands/settings_record.h"
#include "lrzsz_peer.h"
#include "peer_support.h"
#include "transfer/host_link.h"
#include "transfer/transfer_front_end.h"
#include "transfer/transfer_ui.h"

namespace {

using transfer_test::Bytes;
using transfer_test::RandomBytes;
using transfer_test::ReadFile;
using transfer_test::WriteFile;

void SetTime(const std::string& path, time_t t) {
    utimbuf times{t, t};
    ::utime(path.c_str(), &times);
}

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Five files, the sizes a batch must carry whole.
const std::vector<size_t> kBatchSizes = {0, 1, 1024, 70001, 3 * 1024 * 1024 + 5};

// A link that kills its peer once enough bytes came through it, and a
// status window whose cancel the user presses when the sender is gone.
class KillingLink final : public transfer::HostLink {
  public:
    KillingLink(lrzsz::Peer& peer, size_t killAfter) : peer_(peer), killAfter_(killAfter) {}
    void Poll() override { peer_.Link().Poll(); }
    bool ByteReady() override { return peer_.Link().ByteReady(); }
    int ReadByte() override {
        const int c = peer_.Link().ReadByte();
        if (c >= 0 && ++count_ == killAfter_) {
            peer_.Kill();
            killed = true;
        }
        return c;
    }
    uint32_t BytesWaiting() override { return peer_.Link().BytesWaiting(); }
    bool Unread(uint32_t n) override { return peer_.Link().Unread(n); }
    bool Send(const uint8_t* b, size_t n) override {
        peer_.Link().Send(b, n);
        return true;
    }
    void SendBreak() override {}
    void WaitForInput(uint32_t ms) override { peer_.Link().WaitForInput(ms); }
    bool killed = false;

  private:
    lrzsz::Peer& peer_;
    size_t killAfter_;
    size_t count_ = 0;
};

class CancelWhenKilled final : public transfer::TransferUi {
  public:
    explicit CancelWhenKilled(const KillingLink& link) : link_(link) {}
    bool AbortKeyPressed() override { return link_.killed; }

  private:
    const KillingLink& link_;
};

class ZmodemLrzsz : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!lrzsz::Installed("sz") || !lrzsz::Installed("rz"))
            VZ_SKIP_WITHOUT_PEER("lrzsz is not installed");
        // A peer that ended must not end the test with it.
        ::signal(SIGPIPE, SIG_IGN);
        commands::ResetSettingsToDefaults();
        commands::Settings.DownloadLock = 0;
        commands::Settings.DownloadDir = mine.path() + "/";
        transfer::ResetTransfer();
    }
    void TearDown() override {
        if (HasFailure()) {
            const Bytes log = ReadFile(theirs.path() + "/.peer.log");
            std::cerr << std::string(log.begin(), log.end()) << "\n";
        }
        transfer::SetHostLink(nullptr);
        transfer::SetTransferUi(nullptr);
    }

    std::string Run(void (*command)(std::string_view, std::string&), const std::string& args,
                    transfer::HostLink& link) {
        transfer::SetHostLink(&link);
        std::string reply;
        command(args, reply);
        transfer::SetHostLink(nullptr);
        return reply;
    }

    peers::TempDir mine;
    peers::TempDir theirs;
};

TEST_F(ZmodemLrzsz, BatchFromSz) {
    // CRC-32, CRC-16, and every control character escaped.
    for (const char* option : {"-b", "-o", "-e"}) {
        SCOPED_TRACE(option);
        std::vector<std::string> argv = {"sz", option, "-q"};
        std::vector<Bytes> data;
        for (size_t i = 0; i < kBatchSizes.size(); ++i) {
            data.push_back(RandomBytes(kBatchSizes[i], unsigned(10 + i)));
            const std::string name = "file " + std::to_string(i) + ".bin";
            WriteFile(theirs.path() + "/" + name, data.back());
            std::filesystem::remove(mine.path() + "/" + name);
            argv.push_back(name);
        }
        lrzsz::Peer sz(argv, theirs.path());
        EXPECT_EQ(Run(transfer::ZmodemReceiveCommand, "", sz.Link()), "00");
        EXPECT_EQ(sz.Wait(5000), 0);
        for (size_t i = 0; i < data.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(ReadFile(mine.path() + "/file " + std::to_string(i) + ".bin"), data[i]);
        }
    }
}

TEST_F(ZmodemLrzsz, BatchToRz) {
    std::filesystem::create_directory(mine.path() + "/out");
    std::vector<Bytes> data;
    for (size_t i = 0; i < kBatchSizes.size(); ++i) {
        data.push_back(RandomBytes(kBatchSizes[i], unsigned(40 + i)));
        WriteFile(mine.path() + "/out/f" + std::to_string(i), data.back());
    }
    for (const char* option : {"-b", "-e"}) {
        SCOPED_TRACE(option);
        for (size_t i = 0; i < data.size(); ++i)
            std::filesystem::remove(theirs.path() + "/f" + std::to_string(i));
        lrzsz::Peer rz({"rz", option, "-q"}, theirs.path());
        EXPECT_EQ(Run(transfer::ZmodemSendCommand, "\"" + mine.path() + "/out/*\"", rz.Link()),
                  "00");
        EXPECT_EQ(rz.Wait(5000), 0);
        for (size_t i = 0; i < data.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(ReadFile(theirs.path() + "/f" + std::to_string(i)), data[i]);
        }
    }
}

TEST_F(ZmodemLrzsz, ResumeAfterTheSenderDied) {
    const size_t size = 4 * 1024 * 1024;
    const Bytes data = RandomBytes(size, 77);
    WriteFile(theirs.path() + "/big", data);
    {
        lrzsz::Peer sz({"sz", "-b", "-q", "big"}, theirs.path());
        KillingLink link(sz, size * 4 / 10);
        CancelWhenKilled ui(link);
        transfer::SetTransferUi(&ui);
        EXPECT_NE(Run(transfer::ZmodemReceiveCommand, "", link), "00");
        transfer::SetTransferUi(nullptr);
    }
    const Bytes partial = ReadFile(mine.path() + "/big");
    ASSERT_GT(partial.size(), 0u);
    // What was read ahead of the kill may have been written too.
    ASSERT_LT(partial.size(), size / 2);
    EXPECT_TRUE(std::equal(partial.begin(), partial.end(), data.begin()));

    lrzsz::Peer again({"sz", "-b", "-q", "-r", "big"}, theirs.path());
    EXPECT_EQ(Run(transfer::ZmodemReceiveCommand, "", again.Link()), "00");
    EXPECT_EQ(again.Wait(5000), 0);
    EXPECT_EQ(ReadFile(mine.path() + "/big"), data);
}

TEST_F(ZmodemLrzsz, FileManagementOfTheSender) {
    const Bytes old = RandomBytes(3000, 1);
    const Bytes incoming = RandomBytes(5000, 2);
    const time_t past = 1000000000, later = 1100000000;
    struct Case {
        const char* what;
        const char* option;
        bool exists;
        time_t ours, theirs;
        Bytes expected;  // empty: no file afterwards
    };
    const Case cases[] = {
        {"no option protects", "-b", true, past, later, old},
        {"append", "-+", true, past, later, Concat(old, incoming)},
        {"protect", "-p", true, past, later, old},
        {"overwrite", "-y", true, later, past, incoming},
        {"newer, theirs newer", "-n", true, past, later, incoming},
        {"newer, ours newer", "-n", true, later, past, old},
        {"newer or longer, theirs longer", "-N", true, later, past, incoming},
        {"overwrite or skip, absent", "-Y", false, past, later, {}},
        {"overwrite or skip, present", "-Y", true, later, past, incoming},
        {"absent, any rule", "-p", false, past, later, incoming},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string ours = mine.path() + "/managed";
        std::filesystem::remove(ours);
        if (c.exists) {
            WriteFile(ours, old);
            SetTime(ours, c.ours);
        }
        WriteFile(theirs.path() + "/managed", incoming);
        SetTime(theirs.path() + "/managed", c.theirs);
        lrzsz::Peer sz({"sz", c.option, "-q", "managed"}, theirs.path());
        Run(transfer::ZmodemReceiveCommand, "", sz.Link());
        sz.Wait(5000);
        if (c.expected.empty()) {
            EXPECT_FALSE(std::filesystem::exists(ours));
        } else {
            EXPECT_EQ(ReadFile(ours), c.expected);
        }
    }
}

}  // namespace
