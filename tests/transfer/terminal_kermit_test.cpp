// The terminal Kermit's link layer: the other side's Send-Init read into
// the length this side may send, and packets refused when their length is
// impossible or past the receive buffer.
#include "transfer/kermit/terminal_kermit.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "commands/settings_record.h"
#include "transfer/host_link.h"
#include "transfer/kermit/kermit_packets.h"

namespace {

using namespace transfer;
namespace tk = transfer::terminal_kermit;

class QueueLink final : public HostLink {
  public:
    void Poll() override {}
    bool ByteReady() override { return !in.empty(); }
    int ReadByte() override {
        if (in.empty()) return kNoLinkByte;
        const int b = in.front();
        in.pop_front();
        return b;
    }
    uint32_t BytesWaiting() override { return uint32_t(in.size()); }
    bool Unread(uint32_t) override { return false; }
    bool Send(const uint8_t* b, size_t n) override {
        out.insert(out.end(), b, b + n);
        return true;
    }
    void SendBreak() override {}
    void WaitForInput(uint32_t) override {}
    std::deque<uint8_t> in;
    std::vector<uint8_t> out;
};

TEST(TerminalKermitLink, SendInitSetsTheLengthThisSideMaySend) {
    commands::ResetSettingsToDefaults();
    const struct {
        std::string init;
        uint16_t sendMax;
    } cases[] = {
        {std::string(1, ' ') + "* @-#Y1~ ", 80},     // a maximum of 0 is the default
        {"H* @-#Y1~ ", 40},                          // its own one-character maximum
        {"~* @-#Y1~\"", 500},                        // long packets without a length
        {"~* @-#Y1~\" " + std::string("~~"), 2048},  // more than the buffer
        {"~* @-#Y1~\" " + std::string(1, char(32 + 10)) + "2", 10 * 95 + 18},
    };
    for (const auto& c : cases) {
        tk::KermitDefaults();
        tk::Kermit.ReceivedData = c.init;
        tk::KermitReadInit();
        EXPECT_EQ(tk::Kermit.SendMax, c.sendMax) << c.init;
    }
}

TEST(TerminalKermitLink, PacketsPastTheBufferOrTooShortAreRefused) {
    QueueLink link;
    SetHostLink(&link);
    tk::KermitDefaults();
    auto feed = [&](const std::vector<uint8_t>& bytes) {
        link.in.assign(bytes.begin(), bytes.end());
        return tk::KermitReceivePacket();
    };
    std::vector<uint8_t> packet;
    const std::string data = "hello";
    kermit::BuildPacket(packet, 'D', 3, reinterpret_cast<const uint8_t*>(data.data()), data.size(),
                        '1', 0, 0, 13);
    EXPECT_TRUE(feed(packet));
    EXPECT_EQ(tk::Kermit.ReceivedData, "hello");
    // A long header announcing 3000 characters: refused before any is read.
    const uint8_t s =
        uint8_t(' ' + '#' + 'D' + kermit::ToChar(3000 / 95) + kermit::ToChar(3000 % 95));
    EXPECT_FALSE(
        feed({kermit::kMark, ' ', '#', 'D', kermit::ToChar(3000 / 95), kermit::ToChar(3000 % 95),
              kermit::ToChar((s + ((s & 192) >> 6)) & 63), 'x', 'x'}));
    EXPECT_EQ(link.in.size(), 2u);
    // A length below its own header.
    EXPECT_FALSE(feed({kermit::kMark, '!', '#', 'D', 'x'}));
    EXPECT_FALSE(feed({kermit::kMark, 0x1F, '#', 'D', 'x'}));
    SetHostLink(nullptr);
}

}  // namespace
