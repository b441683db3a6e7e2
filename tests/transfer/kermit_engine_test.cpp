// The Kermit wire format and engine: packets, checks and the long header,
// Send-Init negotiation, prefix encoding, attributes, and two engines moving
// files to each other over a memory wire (a noisy one too), and a receiver
// fed packets by hand for its window.
#include "transfer/kermit/kermit_engine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "../common/transfer_fixtures.h"
#include "commands/settings_record.h"
#include "transfer/host_link.h"
#include "transfer/kermit/kermit_packets.h"
#include "transfer/transfer_front_end.h"
#include "transfer/transfer_ui.h"

namespace {

using namespace transfer;
using namespace transfer::kermit;
using transfer_test::Bytes;
using transfer_test::ReadFile;
using transfer_test::WriteFile;
using Wire = transfer_test::MemoryWire;
using Folder = transfer_test::TempFolder;

Bytes Str(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// Random bytes with runs, so that every prefix and repeat counts are used.
Bytes TestData(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    Bytes b;
    while (b.size() < n) {
        if (gen() % 4 == 0)
            b.insert(b.end(), 1 + gen() % 120, uint8_t(gen()));
        else
            for (int i = 0; i < 40; ++i) b.push_back(uint8_t(gen()));
    }
    b.resize(n);
    return b;
}

// ---- wire format ----

TEST(KermitPackets, FramingChecksAndPrefixes) {
    Bytes out;
    // Answers carry no data: LEN is 2 plus the check's length.
    for (uint8_t type : {'N', 'Y'}) {
        BuildPacket(out, type, 5, nullptr, 0, '3', 0, 0, 13);
        EXPECT_EQ(out[1], ToChar(5));
        EXPECT_EQ(out.size(), 1u + 3 + 3 + 1);
    }
    // The one-character check folds only the low byte of the sum (0x1C5).
    Bytes check;
    const uint8_t sum1C5[] = {0x7F, 0x7F, 0x7F, 0x48};
    AppendCheck(check, sum1C5, 4, '1');
    EXPECT_EQ(check, Bytes{ToChar((0xC5 + 3) & 63)});
    // Pads go before the mark, the end-of-line after the check.
    BuildPacket(out, 'D', 1, nullptr, 0, '1', 2, 'x', 13);
    EXPECT_EQ(out[0], 'x');
    EXPECT_EQ(out[1], 'x');
    EXPECT_EQ(out[2], kMark);
    EXPECT_EQ(out.back(), 13);
    // 92 data characters with a three-character check need the long header.
    const Bytes data(92, 'a');
    BuildPacket(out, 'D', 1, data.data(), data.size(), '3', 0, 0, 13);
    EXPECT_EQ(out[1], ToChar(0));
    BuildPacket(out, 'D', 1, data.data(), 89, '3', 0, 0, 13);
    EXPECT_EQ(out[1], ToChar(94));

    const struct {
        Bytes in;
        Prefixes p;
        std::string encoded;
    } cases[] = {
        {Bytes(4, 'a'), {'#', 0, '~'}, "aaaa"},
        {Bytes(5, 'a'), {'#', 0, '~'}, "~%a"},
        {Bytes(100, 0), {'#', 0, '~'}, "~~#@~&#@"},  // 94 then 6
        {{0x9B}, {'#', '&', '~'}, "&#["},
        {{0x9B}, {'#', 0, 0}, "#\xDB"},
        {{'&', 0xA6, '#', '~', 0x7F}, {'#', '&', '~'}, "#&&#&###~#?"},
        {{'~', '&'}, {'#', 0, 0}, "~&"},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> enc;
        EXPECT_EQ(EncodeData(c.in.data(), c.in.size(), 0, c.p, enc, 1000), c.in.size());
        EXPECT_EQ(std::string(enc.begin(), enc.end()), c.encoded);
        Bytes back;
        DecodeData(enc.data(), enc.size(), c.p, back);
        EXPECT_EQ(back, c.in);
    }
}

TEST(KermitPackets, ReaderTakesGoodPacketsAndDropsBadOnes) {
    std::mt19937 gen(3);
    for (uint8_t check : {'1', '2', '3'}) {
        for (size_t len : {0u, 1u, 88u, 92u, 200u, 1024u}) {
            SCOPED_TRACE(std::string(1, char(check)) + " " + std::to_string(len));
            Bytes data(len);
            for (auto& b : data) b = uint8_t(32 + gen() % 95);
            Bytes packet;
            BuildPacket(packet, 'D', 17, data.data(), len, check, 0, 0, 13);
            PacketReader reader;
            reader.SetCheckType(check);
            // Line noise before the packet, and a packet cut short by a new mark.
            for (uint8_t c : Str("junk\r\x01#"))
                EXPECT_EQ(reader.Feed(c), PacketReader::Result::kIncomplete);
            PacketReader::Result r = PacketReader::Result::kIncomplete;
            for (uint8_t c : packet)
                if (r == PacketReader::Result::kIncomplete) r = reader.Feed(c);
            ASSERT_EQ(r, PacketReader::Result::kPacket);
            EXPECT_EQ(reader.Type, 'D');
            EXPECT_EQ(reader.Seq, 17);
            EXPECT_EQ(Bytes(reader.Data, reader.Data + reader.Length), data);
            // Any one character changed after the mark is caught.
            for (size_t at : {size_t(2), size_t(3), packet.size() / 2, packet.size() - 2}) {
                Bytes bad = packet;
                bad[at] ^= 0x01;
                r = PacketReader::Result::kIncomplete;
                for (uint8_t c : bad)
                    if (r == PacketReader::Result::kIncomplete) r = reader.Feed(c);
                EXPECT_NE(r, PacketReader::Result::kPacket) << at;
                reader.Reset();
            }
        }
    }
    // More data than the buffer holds is dropped, not cut.
    Bytes big(kDataBufferSize + 1, 'a'), packet;
    BuildPacket(packet, 'D', 1, big.data(), big.size(), '1', 0, 0, 13);
    PacketReader reader;
    PacketReader::Result r = PacketReader::Result::kIncomplete;
    for (uint8_t c : packet)
        if (r == PacketReader::Result::kIncomplete) r = reader.Feed(c);
    EXPECT_EQ(r, PacketReader::Result::kBad);
    // Send-Init packets are read with the one-character check whatever is in force.
    const std::string init = EncodeSendInit(KermitOptions{});
    BuildPacket(packet, 'S', 0, Str(init).data(), init.size(), '1', 0, 0, 13);
    reader.SetCheckType('3');
    r = PacketReader::Result::kIncomplete;
    for (uint8_t c : packet)
        if (r == PacketReader::Result::kIncomplete) r = reader.Feed(c);
    EXPECT_EQ(r, PacketReader::Result::kPacket);
}

TEST(KermitPackets, SendInitNegotiation) {
    // A short Send-Init leaves the rest at the defaults: no prefixing of either kind.
    KermitOptions own;
    own.HighBitPrefix = '&';
    own.Capabilities = kCapaWindows | kCapaLongPackets;
    own.WindowSize = 31;
    own.MaxLenExt = 1000;
    KermitOptions remote = DecodeSendInit(Str("~* @-#").data(), 6);
    EXPECT_EQ(remote.MaxLen, 94);
    EXPECT_EQ(remote.HighBitPrefix, ' ');
    Agreement a = Negotiate(own, remote, true);
    EXPECT_FALSE(a.HighBit);
    EXPECT_FALSE(a.Repeat);
    EXPECT_FALSE(a.LongPackets);
    EXPECT_EQ(a.Windows, 1);
    EXPECT_EQ(own.Capabilities & (kCapaWindows | kCapaLongPackets), 0);

    // A full one with a second capability byte: window and long length are
    // read after it.
    const std::string full = std::string("~* @-#Y3~") +
                             char(ToChar(kCapaWindows | kCapaLongPackets | 1)) + char(ToChar(0)) +
                             char(ToChar(31)) + char(ToChar(10)) + char(ToChar(50));
    remote = DecodeSendInit(Str(full).data(), full.size());
    EXPECT_EQ(remote.WindowSize, 31);
    EXPECT_EQ(remote.MaxLenExt, 10 * 95 + 50);
    own = KermitOptions{};
    own.HighBitPrefix = '&';
    own.Capabilities = kCapaWindows | kCapaLongPackets;
    own.WindowSize = 31;
    own.CheckType = '1';
    a = Negotiate(own, remote, true);
    EXPECT_TRUE(a.HighBit);
    EXPECT_EQ(a.HighBitPrefix, '&');
    EXPECT_TRUE(a.Repeat);
    EXPECT_TRUE(a.LongPackets);
    EXPECT_EQ(a.SendMax, 1000);
    EXPECT_EQ(a.Windows, kMaxWindowSlots);  // never beyond the table
    EXPECT_EQ(a.CheckType, '3');            // a receiver takes the sender's check
    EXPECT_EQ(own.CheckType, '3');

    // Long packets are only used when this side offered them; the one-
    // character length stays within 10..94; a sender keeps its check only
    // when the answer agrees.
    const struct {
        uint8_t ownCapa, remoteMaxLen, ownCheck, remoteCheck;
        uint16_t remoteExt;
        bool longPackets;
        uint16_t sendMax;
        uint8_t check;
    } cases[] = {
        {0, 94, '3', '3', 1000, false, 94, '3'},
        {kCapaLongPackets, 94, '2', '1', 0, true, 500, '1'},
        {kCapaLongPackets, 94, '3', '3', 9000, true, kDataBufferSize, '3'},
        {0, 0, '1', '1', 0, false, 80, '1'},
        {0, 3, '1', '1', 0, false, 10, '1'},
        {0, 200, '1', 'x', 0, false, 94, '1'},
    };
    for (const auto& c : cases) {
        KermitOptions o;
        o.Capabilities = c.ownCapa;
        o.CheckType = c.ownCheck;
        KermitOptions r;
        r.Capabilities = kCapaLongPackets;
        r.MaxLen = c.remoteMaxLen;
        r.MaxLenExt = c.remoteExt;
        r.CheckType = c.remoteCheck;
        const Agreement g = Negotiate(o, r, false);
        EXPECT_EQ(g.LongPackets, c.longPackets);
        EXPECT_EQ(g.SendMax, c.sendMax);
        EXPECT_EQ(g.CheckType, c.check);
        const size_t capacity = DataCapacity(g);
        EXPECT_GE(capacity, 1u);
        EXPECT_LE(capacity, kDataBufferSize);
        if (!g.LongPackets) EXPECT_LE(capacity + 2 + CheckLength(g.CheckType), 94u);
    }
}

TEST(KermitPackets, EncodingFitsTheCapacityAndDecodesBack) {
    const Bytes data = TestData(20000, 11);
    const Prefixes kinds[] = {{'#', 0, 0}, {'#', '&', 0}, {'#', 0, '~'}, {'#', '&', '~'}};
    for (const Prefixes& p : kinds) {
        for (size_t capacity : {5u, 77u, 990u}) {
            Bytes all;
            size_t pos = 0;
            while (pos < data.size()) {
                std::vector<uint8_t> enc;
                const size_t used = EncodeData(data.data(), data.size(), pos, p, enc, capacity);
                ASSERT_GT(used, 0u);
                ASSERT_LE(enc.size(), capacity);
                for (uint8_t c : enc) {
                    ASSERT_GE(c, 32);
                    if (p.HighBit) ASSERT_LT(c, 128);
                    ASSERT_NE(c, 127);
                }
                DecodeData(enc.data(), enc.size(), p, all);
                pos += used;
            }
            EXPECT_EQ(all, data);
        }
    }
}

TEST(KermitPackets, AttributeValuesWithinTheirField) {
    const struct {
        std::string packet;
        bool has;
        int32_t size;
    } cases[] = {
        {"!#123", true, 123 * 1024},
        {"!#1231%12345", true, 12345},       // the exact size wins
        {"1%12345!#999", true, 12345},       // and ends the list
        {".\"UN#%hello1$4096", true, 4096},  // other tags skipped
        {"1+12345678901", false, 0},         // 11 digits: more than the field
        {"1*9999999999", false, 0},          // more than a size holds
        {"1%12a45", false, 0},
        {"1/12", false, 0},  // value cut short by the packet's end
    };
    for (const auto& c : cases) {
        const Attributes a = ParseAttributes(Str(c.packet).data(), c.packet.size());
        EXPECT_EQ(a.HasSize, c.has) << c.packet;
        EXPECT_EQ(a.Size, c.size) << c.packet;
    }
}

// ---- the engine ----

using Pair = transfer_test::PortPair;

void RunPair(KermitEngine& sender, KermitEngine& receiver) {
    bool sent = false, received = false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!(sent && received) && std::chrono::steady_clock::now() < end) {
        if (!sent) sent = sender.TransmitStep() == kStepFinished;
        sender.Proto().Port->FlushBatch();
        if (!received) received = receiver.ReceiveStep() == kStepFinished;
        receiver.Proto().Port->FlushBatch();
    }
    ASSERT_TRUE(sent && received);
}

TEST(KermitEngines, BatchesBetweenTwoEngines) {
    struct Case {
        const char* name;
        uint8_t check;
        int32_t windows;
        int32_t maxLen;
        uint8_t highBit;
        size_t corruptEvery;
    };
    const Case cases[] = {
        {"checksum, no windows", 1, 0, 0, 'Y', 0},
        {"two-character check, 8th-bit prefix", 2, 0, 60, '&', 0},
        {"CRC, window 8, long packets", 5, 8, 1000, 'Y', 0},
        {"noisy line, window 1", 5, 0, 0, 'Y', 997},
        {"noisy line, window 8, long packets", 5, 8, 700, '&', 1499},
        // Noise is checked with the CRC: a changed length can make a one-character
        // check pass on the wrong characters.
        {"noisy line, window 27", 5, 27, 0, 'Y', 1201},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Folder here, there;
        std::vector<Bytes> files;
        for (int i = 0; i < 3; ++i) {
            files.push_back(TestData(size_t(i == 2 ? 0 : 9000 * (i + 1)), unsigned(i + c.check)));
            WriteFile(here / ("f" + std::to_string(i)), files.back());
        }
        Pair pair;
        pair.wire.a.corruptEvery = c.corruptEvery;
        KermitSettings s;
        s.Check = c.check;
        s.UseWindows = c.windows > 0;
        s.Windows = c.windows;
        s.MaxLen = c.maxLen;
        s.HighBitPrefix = c.highBit;
        auto sender = KermitEngine::Create(*pair.sendPort, s);
        s.DestDir = there.path();
        auto receiver = KermitEngine::Create(*pair.receivePort, s);
        for (auto* e : {sender.get(), receiver.get()}) e->Proto().HandshakeWait = 2;
        sender->Proto().SetFileMask(here / "f*");
        sender->PrepareTransmit();
        receiver->PrepareReceive();
        RunPair(*sender, *receiver);
        EXPECT_EQ(sender->Proto().Status(), kStatusOk);
        EXPECT_EQ(receiver->Proto().Status(), kStatusOk);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(ReadFile(there / ("f" + std::to_string(i))), files[i]);
        EXPECT_EQ(receiver->Agreed().Windows, c.windows ? c.windows : 1);
        EXPECT_EQ(receiver->Agreed().LongPackets, c.maxLen > 94);
        if (c.corruptEvery)
            EXPECT_GT(receiver->Proto().TotalErrors + sender->Proto().TotalErrors, 0);
    }
}

// A receiver fed packets by hand, its answers read back.
class HandFedReceiver {
  public:
    explicit HandFedReceiver(const KermitSettings& s) {
        uint16_t status = 0;
        port = TransferPort::OpenOnLink(wire.b, status);
        engine = KermitEngine::Create(*port, s);
        engine->Proto().SetLogHook([this](ProtocolRecord&, uint8_t kind) { logs.push_back(kind); });
        engine->PrepareReceive();
        Step();
    }
    // Sends a packet and returns the answers it brought, as "type seq data" texts.
    std::vector<std::string> Send(uint8_t type, uint8_t seq, const std::string& data) {
        Bytes packet;
        BuildPacket(packet, type, seq, Str(data).data(), data.size(), type == 'S' ? '1' : check, 0,
                    0, 13);
        wire.aToB.insert(wire.aToB.end(), packet.begin(), packet.end());
        Step();
        std::vector<std::string> answers;
        reader.SetCheckType(type == 'S' ? '1' : check);
        while (!wire.bToA.empty()) {
            const uint8_t c = wire.bToA.front();
            wire.bToA.pop_front();
            if (reader.Feed(c) == PacketReader::Result::kPacket)
                answers.push_back(std::string(1, char(reader.Type)) + " " +
                                  std::to_string(reader.Seq) + " " +
                                  std::string(reader.Data, reader.Data + reader.Length));
        }
        return answers;
    }
    void Step() {
        for (int i = 0; i < 50 && !finished; ++i) finished = engine->ReceiveStep() == kStepFinished;
        port->FlushBatch();
    }
    Wire wire;
    std::unique_ptr<TransferPort> port;
    std::unique_ptr<KermitEngine> engine;
    PacketReader reader;
    uint8_t check = '1';
    bool finished = false;
    std::vector<uint8_t> logs;
};

std::string InitWithWindow(int window) {
    KermitOptions o;
    o.Capabilities = kCapaWindows;
    o.WindowSize = uint8_t(window);
    o.RepeatPrefix = ' ';
    return EncodeSendInit(o);
}

TEST(KermitEngines, ReceiveWindowStoresAheadAndRefusesBeyond) {
    Folder there;
    KermitSettings s;
    s.UseWindows = true;
    s.Windows = 4;
    s.DestDir = there.path();
    HandFedReceiver r(s);
    ASSERT_EQ(r.Send('S', 0, InitWithWindow(4)).size(), 1u);
    EXPECT_EQ(r.Send('F', 1, "w.dat"), std::vector<std::string>{"Y 1 "});
    // One ahead of the expected 2: the missing one is asked for, this one kept.
    EXPECT_EQ(r.Send('D', 3, "bb"), (std::vector<std::string>{"N 2 ", "Y 3 "}));
    EXPECT_EQ(r.Send('D', 2, "aa"), std::vector<std::string>{"Y 2 "});
    // The window now starts at 4: 8 lies beyond it and gets no answer; a
    // repeat of 3 is answered again.
    EXPECT_TRUE(r.Send('D', 8, "zz").empty());
    EXPECT_EQ(r.Send('D', 3, "bb"), std::vector<std::string>{"Y 3 "});
    EXPECT_EQ(r.Send('D', 4, "cc"), std::vector<std::string>{"Y 4 "});
    EXPECT_EQ(r.Send('Z', 5, ""), std::vector<std::string>{"Y 5 "});
    EXPECT_EQ(r.Send('B', 6, ""), std::vector<std::string>{"Y 6 "});
    EXPECT_TRUE(r.finished);
    EXPECT_EQ(r.engine->Proto().Status(), kStatusOk);
    EXPECT_EQ(ReadFile(there / "w.dat"), Str("aabbcc"));
    EXPECT_EQ(r.logs, (std::vector<uint8_t>{kLogReceiveStart, kLogReceiveDone}));
}

TEST(KermitEngines, DiscardedFileIsDeletedAndTheBatchGoesOn) {
    Folder there;
    KermitSettings s;
    s.DestDir = there.path();
    HandFedReceiver r(s);
    ASSERT_EQ(r.Send('S', 0, InitWithWindow(0)).size(), 1u);
    r.Send('F', 1, "a.dat");
    r.Send('D', 2, "partial");
    EXPECT_EQ(r.Send('Z', 3, "D"), std::vector<std::string>{"Y 3 "});
    EXPECT_FALSE(std::filesystem::exists(there / "a.dat"));
    // A host-chosen path stays inside the download folder.
    r.Send('F', 4, "../../b.dat");
    r.Send('D', 5, "whole");
    r.Send('Z', 6, "");
    r.Send('B', 7, "");
    EXPECT_TRUE(r.finished);
    EXPECT_EQ(r.engine->Proto().Status(), kStatusOk);
    EXPECT_EQ(ReadFile(there / "b.dat"), Str("whole"));
}

TEST(KermitEngines, WindowCountsBeyondTheTableAreRefused) {
    Wire wire;
    uint16_t status = 0;
    auto port = TransferPort::OpenOnLink(wire.a, status);
    auto engine = KermitEngine::Create(*port);
    engine->SetWindows(28);
    EXPECT_EQ(port->LastError(), std::to_string(kErrorTooManyWindows));
    EXPECT_EQ(engine->OwnOptions().Capabilities & kCapaWindows, 0);
    engine->SetWindows(27);
    EXPECT_EQ(engine->OwnOptions().WindowSize, 27);
    engine->SetWindows(0);
    EXPECT_EQ(engine->OwnOptions().Capabilities & kCapaWindows, 0);
}

}  // namespace

namespace {

// A user who presses the abort key as soon as the transfer waits.
class ImpatientUi final : public TransferUi {
  public:
    void Background() override { ++rounds; }
    bool AbortKeyPressed() override { return rounds > 0; }
    int rounds = 0;
};

TEST(KermitCommands, ReceiveAsksTheServerForTheNamesNotTheSwitches) {
    commands::ResetSettingsToDefaults();
    ResetTransfer();
    const struct {
        const char* arguments;
        const char* request;  // the R packet's data, or "" for none
    } cases[] = {
        {"-3 -W 4 report.txt", "report.txt"},
        {"AUTO-ON X", "AUTO-ON X"},
        {"-2", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        Wire wire;
        ImpatientUi ui;
        SetHostLink(&wire.a);
        SetTransferUi(&ui);
        std::string reply;
        KermitReceiveCommand(c.arguments, reply);
        SetTransferUi(nullptr);
        SetHostLink(nullptr);
        EXPECT_NE(reply, "00");
        PacketReader reader;
        std::string request;
        for (uint8_t b : wire.aToB)
            if (reader.Feed(b) == PacketReader::Result::kPacket && reader.Type == 'R')
                request.assign(reader.Data, reader.Data + reader.Length);
        EXPECT_EQ(request, c.request);
    }
}

}  // namespace
