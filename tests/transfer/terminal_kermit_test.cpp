// The terminal Kermit's link layer: the other side's Send-Init read into
// the length this side may send, packets refused when their length is
// impossible or past the receive buffer, packets to a host that echoes, and
// the line delay after each reception.
#include "transfer/kermit/terminal_kermit.h"

#include <gtest/gtest.h>

#include <chrono>
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
        if (echoes) in.insert(in.end(), b, b + n);
        return true;
    }
    void SendBreak() override {}
    void WaitForInput(uint32_t) override {}
    std::deque<uint8_t> in;
    std::vector<uint8_t> out;
    bool echoes = false;
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

TEST(TerminalKermitLink, PacketsToAHostThatEchoes) {
    const struct {
        uint8_t hostType;
        bool hostEchoes;
        bool echoLeftWaiting;
    } cases[] = {
        {4, true, false},   // echo mode: the echo is dropped
        {7, true, true},    // not echo mode: the echo is left for the reader
        {4, false, false},  // nothing comes back: the mark wait runs out, the packet goes
    };
    for (const auto& c : cases) {
        commands::ResetSettingsToDefaults();
        commands::Settings.FullDuplex = 1;
        commands::Settings.HostType = c.hostType;
        QueueLink link;
        link.echoes = c.hostEchoes;
        SetHostLink(&link);
        tk::KermitDefaults();
        tk::Kermit.Remote.Timeout = 1;
        tk::Kermit.Remote.PadCount = 2;
        tk::Kermit.Remote.PadChar = 'p';
        tk::Kermit.SentType = 'D';
        tk::Kermit.Seq = 5;
        tk::Kermit.SendData = "some data";
        tk::KermitSendPacket();
        std::vector<uint8_t> expected;
        kermit::BuildPacket(expected, 'D', 5, reinterpret_cast<const uint8_t*>("some data"), 9, '1',
                            2, 'p', 13);
        EXPECT_EQ(link.out, expected) << int(c.hostType);
        EXPECT_EQ(link.in.empty(), !c.echoLeftWaiting) << int(c.hostType);
    }
    SetHostLink(nullptr);
    commands::ResetSettingsToDefaults();
}

TEST(TerminalKermitLink, EveryReceptionWaitsTheLineDelay) {
    commands::ResetSettingsToDefaults();
    commands::Settings.AsciiLineDelay.Set(1500);  // 150 ms
    QueueLink link;
    SetHostLink(&link);
    tk::KermitDefaults();
    std::vector<uint8_t> good;
    kermit::BuildPacket(good, 'Y', 1, nullptr, 0, '1', 0, 0, 13);
    std::vector<uint8_t> bad = {kermit::kMark, 0x1F};
    for (const std::vector<uint8_t>* packet : {&good, &bad}) {
        link.in.assign(packet->begin(), packet->end());
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(tk::KermitReceivePacket(), packet == &good);
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150));
    }
    SetHostLink(nullptr);
    commands::ResetSettingsToDefaults();
}

}  // namespace
