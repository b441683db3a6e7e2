// XMODEM and YMODEM transfers through the front end's commands against the
// lrzsz programs on the other end of a socket pair, both directions.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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

namespace {

using transfer_test::Bytes;
using transfer_test::RandomBytes;
using transfer_test::ReadFile;
using transfer_test::WriteFile;

// An XMODEM file arrives padded with 0x1A to its block size.
::testing::AssertionResult SameUpToPadding(const Bytes& sent, const Bytes& got) {
    if (got.size() < sent.size() || got.size() >= sent.size() + 1024)
        return ::testing::AssertionFailure() << "sent " << sent.size() << " got " << got.size();
    if (!std::equal(sent.begin(), sent.end(), got.begin()))
        return ::testing::AssertionFailure() << "data differ";
    for (size_t i = sent.size(); i < got.size(); ++i)
        if (got[i] != 0x1A) return ::testing::AssertionFailure() << "padding byte " << i;
    return ::testing::AssertionSuccess();
}

const std::vector<size_t> kSizes = {1, 127, 128, 129, 1024 * 1024};

class LrzszTransfer : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!lrzsz::Installed("sx") || !lrzsz::Installed("rb"))
            VZ_SKIP_WITHOUT_PEER("lrzsz is not installed");
        commands::ResetSettingsToDefaults();
        commands::Settings.DownloadLock = 0;
        commands::Settings.DownloadDir = mine.path() + "/";
        commands::Settings.XferWriteFailAction.Set(2);
        transfer::ResetTransfer();
    }
    void TearDown() override { transfer::SetHostLink(nullptr); }

    // Runs the command against the peer; returns the command's reply.
    std::string Run(void (*command)(std::string_view, std::string&), const std::string& args,
                    lrzsz::Peer& peer) {
        return transfer_test::RunOverLink(command, args, peer.Link());
    }

    peers::TempDir mine;
    peers::TempDir theirs;
};

TEST_F(LrzszTransfer, XmodemReceiveFromSx) {
    struct Case {
        const char* ourSwitches;
        std::vector<std::string> sx;
    };
    const Case cases[] = {
        {"", {"sx", "-b", "f"}},
        {"-K", {"sx", "-b", "-k", "f"}},
    };
    unsigned seed = 1;
    for (const Case& c : cases) {
        for (size_t size : kSizes) {
            SCOPED_TRACE(std::string(c.ourSwitches) + " size " + std::to_string(size));
            const Bytes data = RandomBytes(size, seed++);
            WriteFile(theirs.path() + "/f", data);
            const std::string out = mine.path() + "/got file";
            lrzsz::Peer sx(c.sx, theirs.path());
            const std::string reply = Run(transfer::XmodemReceiveCommand,
                                          std::string(c.ourSwitches) + " \"" + out + "\"", sx);
            sx.Wait(2000);
            EXPECT_EQ(reply, "00");
            EXPECT_TRUE(SameUpToPadding(data, ReadFile(out)));
        }
    }
}

TEST_F(LrzszTransfer, YmodemBatchFromSb) {
    for (const char* switches : {"", "-G"}) {
        SCOPED_TRACE(switches);
        std::vector<std::string> names = {"empty", "one",  "a127",
                                          "b128",  "c129", "with blanks.bin"};
        const std::vector<size_t> sizes = {0, 1, 127, 128, 129, 1024 * 1024};
        std::vector<Bytes> data;
        std::vector<std::string> argv = {"sb", "-b"};
        for (size_t i = 0; i < names.size(); ++i) {
            data.push_back(RandomBytes(sizes[i], unsigned(200 + i)));
            WriteFile(theirs.path() + "/" + names[i], data.back());
            argv.push_back(names[i]);
            std::filesystem::remove(mine.path() + "/" + names[i]);
        }
        lrzsz::Peer sb(argv, theirs.path());
        EXPECT_EQ(Run(transfer::YmodemReceiveCommand, switches, sb), "00");
        sb.Wait(2000);
        for (size_t i = 0; i < names.size(); ++i) {
            SCOPED_TRACE(names[i]);
            EXPECT_EQ(ReadFile(mine.path() + "/" + names[i]), data[i]);
        }
    }
}

TEST_F(LrzszTransfer, AsciiSendIntoCat) {
    const struct {
        const char* text;
        uint8_t lfMode;
        const char* arrives;
    } cases[] = {
        {"line one\r\nline two\r\n", 0, "line one\r\nline two\r\n"},
        {"a\nb\n", 2, "a\r\nb\r\n"},  // LF handling "Send CR before"
        {"", 0, ""},                  // an empty file is sent, whole
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        commands::Settings.AsciiLFTranslation.Set(c.lfMode);
        const std::string text = std::string(c.text) + std::string(200 * (*c.text != 0), 'x');
        WriteFile(mine.path() + "/text file.txt", Bytes(text.begin(), text.end()));
        std::filesystem::remove(theirs.path() + "/out");
        lrzsz::Peer cat({"sh", "-c", "cat > out"}, theirs.path());
        EXPECT_EQ(Run(transfer::AsciiSendCommand, "\"" + mine.path() + "/text file.txt\"", cat),
                  "00");
        cat.CloseInput();
        EXPECT_EQ(cat.Wait(5000), 0);
        const Bytes got = ReadFile(theirs.path() + "/out");
        EXPECT_EQ(std::string(got.begin(), got.end()),
                  std::string(c.arrives) + std::string(200 * (*c.text != 0), 'x'));
    }
}

// Sends into rx and rb. Both wait a second after each file's end to be sure
// its EOT stands alone, and rb a second more before it asks for the next
// file (lrzsz against itself takes as long), so the cases are spread over
// tests that can run side by side.
class LrzszSend : public LrzszTransfer {
  protected:
    void XmodemIntoRx(const char* ourSwitches, const std::vector<std::string>& rxArgs,
                      const std::vector<size_t>& sizes) {
        unsigned seed = 100;
        for (size_t size : sizes) {
            SCOPED_TRACE(size);
            const Bytes data = RandomBytes(size, seed++);
            const std::string in = mine.path() + "/send me";
            WriteFile(in, data);
            std::filesystem::remove(theirs.path() + "/got");
            lrzsz::Peer rx(rxArgs, theirs.path());
            const std::string reply =
                Run(transfer::XmodemSendCommand, std::string(ourSwitches) + " \"" + in + "\"", rx);
            EXPECT_EQ(rx.Wait(5000), 0);
            EXPECT_EQ(reply, "00");
            EXPECT_TRUE(SameUpToPadding(data, ReadFile(theirs.path() + "/got")));
        }
    }

    // A batch of files named with blanks into one rb.
    void YmodemIntoRb(const std::vector<size_t>& sizes) {
        std::vector<Bytes> data;
        for (size_t size : sizes) {
            data.push_back(RandomBytes(size, unsigned(300 + size)));
            WriteFile(mine.path() + "/to send " + std::to_string(size), data.back());
        }
        lrzsz::Peer rb({"rb", "-b", "-y"}, theirs.path());
        const std::string reply =
            Run(transfer::YmodemSendCommand, "\"" + mine.path() + "/to send *\"", rb);
        EXPECT_EQ(rb.Wait(5000), 0);
        EXPECT_EQ(reply, "00");
        for (size_t i = 0; i < sizes.size(); ++i) {
            SCOPED_TRACE(sizes[i]);
            EXPECT_EQ(ReadFile(theirs.path() + "/to send " + std::to_string(sizes[i])), data[i]);
        }
    }
};

TEST_F(LrzszSend, XmodemChecksumIntoRx) {
    XmodemIntoRx("", {"rx", "-b", "got"}, {1, 129});  // rx asks with NAK
}
TEST_F(LrzszSend, XmodemCrcIntoRx) {
    XmodemIntoRx("", {"rx", "-b", "-c", "got"}, {127, 1024 * 1024});
}
TEST_F(LrzszSend, Xmodem1KIntoRx) {
    XmodemIntoRx("-K", {"rx", "-b", "-c", "got"}, {128, 1024 * 1024});
}
TEST_F(LrzszSend, YmodemShortFilesIntoRb) {
    YmodemIntoRb({0, 1, 127});
}
TEST_F(LrzszSend, YmodemBlockEdgesIntoRb) {
    YmodemIntoRb({128, 129, 1024 * 1024});
}

}  // namespace
