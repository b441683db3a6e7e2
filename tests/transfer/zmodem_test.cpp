// ZMODEM framing (headers, escaping, subpackets, cancel runs), the ZFILE
// reader, and the engine's two halves against each other in one process.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/transfer_fixtures.h"
#include "transfer/host_link.h"
#include "transfer/transfer_files.h"
#include "transfer/xmodem_engine.h"
#include "transfer/zmodem/zmodem_engine.h"

namespace {

using namespace transfer;
using transfer_test::Bytes;
using transfer_test::RandomBytes;
using transfer_test::ReadFile;
using transfer_test::TempFolder;
using transfer_test::WriteFile;

struct Wire : transfer_test::MemoryWire {
    std::unique_ptr<TransferPort> portA, portB;
    Wire() {
        uint16_t status = 0;
        portA = TransferPort::OpenOnLink(a, status);
        portB = TransferPort::OpenOnLink(b, status);
    }
    Bytes Sent() {
        portA->FlushBatch();
        Bytes out(aToB.begin(), aToB.end());
        aToB.clear();
        return out;
    }
};

// ---- framing ----

TEST(ZmodemFraming, HeadersOfEveryFormReadBack) {
    enum Form { kHex, kBin16, kBin32 };
    const struct {
        uint8_t type;
        uint32_t position;
    } headers[] = {{kZrinit, 0x27000000},
                   {kZack, 0x12345678},
                   {kZdata, 0x0000FFFF},
                   {kZfin, 0},
                   {kZrpos, 0x18181818}};
    for (Form form : {kHex, kBin16, kBin32}) {
        for (const auto& h : headers) {
            SCOPED_TRACE(std::to_string(form) + " type " + std::to_string(h.type));
            Wire wire;
            ZmodemFraming out(*wire.portA, nullptr);
            uint8_t bytes[4];
            PutPosition(bytes, h.position);
            if (form == kHex) {
                out.SendHexHeader(h.type, bytes);
            } else {
                out.Crc32Allowed = form == kBin32;
                out.SendBinaryHeader(h.type, bytes);
            }
            const Bytes sent = wire.Sent();
            if (form == kHex) {
                // XON after a hex header, except after ZACK and ZFIN.
                const bool xon = h.type != kZack && h.type != kZfin;
                EXPECT_EQ(sent.back() == kXon, xon);
                EXPECT_EQ(sent[sent.size() - (xon ? 2 : 1)], 0x8A);
            }
            ZmodemFraming in(*wire.portB, nullptr);
            uint16_t r = kZPending;
            for (uint8_t c : sent)
                if (r == kZPending) r = in.FeedHeader(c);
            EXPECT_EQ(r, kZHeaderDone);
            EXPECT_EQ(in.RxType, h.type);
            EXPECT_EQ(GetPosition(in.RxHeader), h.position);
            EXPECT_EQ(in.RxBinary32, form == kBin32);
        }
    }
}

TEST(ZmodemFraming, UpperCaseHexDigitsFailTheCheck) {
    Wire wire;
    ZmodemFraming out(*wire.portA, nullptr);
    const uint8_t h[4] = {0xAB, 0xCD, 0xEF, 0x01};
    out.SendHexHeader(kZrpos, h);
    Bytes sent = wire.Sent();
    for (size_t i = 4; i < sent.size(); ++i) sent[i] = uint8_t(std::toupper(sent[i]));
    ZmodemFraming in(*wire.portB, nullptr);
    uint16_t r = kZPending;
    for (uint8_t c : sent)
        if (r == kZPending) r = in.FeedHeader(c);
    EXPECT_EQ(r, kZBadCheck);
}

TEST(ZmodemFraming, EscapingRules) {
    const struct {
        bool escapeAll;
        Bytes data;
        Bytes wire;  // the escaped data, without end and CRC
    } cases[] = {
        {false,
         {0x18, 0x10, 0x11, 0x13, 0x90, 0x91, 0x93},
         {0x18, 0x58, 0x18, 0x50, 0x18, 0x51, 0x18, 0x53, 0x18, 0xD0, 0x18, 0xD1, 0x18, 0xD3}},
        {false, {0x98, 0x00, 0x0D, 0x7F}, {0x98, 0x00, 0x0D, 0x7F}},
        {false, {'@', 0x0D, 'A', 0x0D, 0xC0, 0x8D}, {'@', 0x18, 0x4D, 'A', 0x0D, 0xC0, 0x18, 0xCD}},
        {true, {0x9B, 0x01, 0x20, 0x80, 0xA0}, {0x18, 0xDB, 0x18, 0x41, 0x20, 0x18, 0xC0, 0xA0}},
    };
    for (const auto& c : cases) {
        Wire wire;
        ZmodemFraming out(*wire.portA, nullptr);
        out.EscapeAll = c.escapeAll;
        uint8_t buf[kZEscapedMax];
        const size_t n = out.BuildSubpacket(c.data.data(), c.data.size(), kZcrcg, buf);
        ASSERT_GE(n, c.wire.size() + 2);
        EXPECT_EQ(Bytes(buf, buf + c.wire.size()), c.wire);
        EXPECT_EQ(buf[c.wire.size()], kZdle);
        EXPECT_EQ(buf[c.wire.size() + 1], kZcrcg);
    }
}

TEST(ZmodemFraming, SubpacketsReadBackAndDamageIsCaught) {
    const Bytes every = [] {
        Bytes b(256);
        for (int i = 0; i < 256; ++i) b[i] = uint8_t(i);
        return b;
    }();
    const Bytes random = RandomBytes(1024, 3);
    for (bool crc32 : {false, true}) {
        for (bool escapeAll : {false, true}) {
            for (uint8_t end : {kZcrce, kZcrcg, kZcrcq, kZcrcw}) {
                for (const Bytes* data : {&every, &random}) {
                    SCOPED_TRACE(std::to_string(crc32) + std::to_string(escapeAll) + char(end));
                    Wire wire;
                    ZmodemFraming out(*wire.portA, nullptr);
                    out.UseCrc32 = crc32;
                    out.EscapeAll = escapeAll;
                    out.SendSubpacket(data->data(), data->size(), end);
                    const Bytes sent = wire.Sent();
                    ZmodemFraming in(*wire.portB, nullptr);
                    in.StartData(kZBlockMax, crc32);
                    uint16_t r = kZPending;
                    for (uint8_t c : sent)
                        if (r == kZPending) r = in.FeedData(c);
                    const uint16_t expected = end == kZcrce   ? kZEndE
                                              : end == kZcrcg ? kZEndG
                                              : end == kZcrcq ? kZEndQ
                                                              : kZEndW;
                    EXPECT_EQ(r, expected);
                    EXPECT_EQ(Bytes(in.Data, in.Data + in.DataCount), *data);

                    // One data bit changed on the way.
                    Bytes damaged = sent;
                    damaged[100] ^= damaged[100] == 'A' ? 0x02 : 0x01;
                    if (damaged[100] == kZdle || sent[100] == kZdle) continue;
                    in.StartData(kZBlockMax, crc32);
                    r = kZPending;
                    for (uint8_t c : damaged)
                        if (r == kZPending) r = in.FeedData(c);
                    EXPECT_EQ(r, kZBadCheck);

                    // Longer than the block the reader takes.
                    in.StartData(data->size() - 1, crc32);
                    r = kZPending;
                    for (uint8_t c : sent)
                        if (r == kZPending) r = in.FeedData(c);
                    EXPECT_EQ(r, kZOverlong);
                }
            }
        }
    }
}

TEST(ZmodemFraming, RunsOfCanEndTheTransfer) {
    Wire wire;
    ZmodemFraming in(*wire.portB, nullptr);
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(in.FeedHeader(0x18), i < 5 ? kZPending : kZCancelled);
    // Inside data a CAN after ZDLE is a data byte: the run ends at its seventh.
    in.CanCount = 0;
    in.StartData(kZBlockMax, true);
    EXPECT_EQ(in.FeedData('x'), kZPending);
    for (int i = 1; i <= 7; ++i) EXPECT_EQ(in.FeedData(0x18), i < 7 ? kZPending : kZCancelled);
}

// ---- the ZFILE subpacket ----

TEST(ZmodemFileInfo, FieldsAreReadWithinTheirBounds) {
    const struct {
        std::string text;
        std::string name;
        int32_t size;
        bool hasDate;
        int32_t date;
    } cases[] = {
        {std::string("a.txt\0"
                     "1234 14223634045 100644 0 3 4567",
                     32),
         "a.txt", 1234, true, 01422363404 * 8 + 5},
        {std::string("b\0"
                     "77",
                     4),
         "b", 77, false, 0},
        {std::string("c\0"
                     "99999999999 0",
                     15),
         "c", 0x7FFFFFFF, true, 0},
        {std::string("d\0"
                     "12x4",
                     6),
         "d", 0, false, 0},
        {std::string(300, 'n') + std::string("\0"
                                             "5",
                                             2),
         std::string(254, 'n'), 5, false, 0},
        {std::string("e"), "e", 0, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ZfileInfo info =
            ParseZfileInfo(reinterpret_cast<const uint8_t*>(c.text.data()), c.text.size());
        EXPECT_EQ(info.Name, c.name);
        EXPECT_EQ(info.Size, c.size);
        EXPECT_EQ(info.HasDate, c.hasDate);
        if (c.hasDate) {
            EXPECT_EQ(info.Date, c.date);
        }
    }
}

// ---- the engine against itself ----

void RunPair(ZmodemEngine& sender, ZmodemEngine& receiver) {
    bool sent = false, received = false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!(sent && received) && std::chrono::steady_clock::now() < end) {
        if (!sent) sent = sender.TransmitStep() == kStepFinished;
        if (!received) received = receiver.ReceiveStep() == kStepFinished;
    }
    ASSERT_TRUE(sent && received);
}

TEST(ZmodemEngines, FileManagementBetweenTwoEngines) {
    const Bytes old = RandomBytes(3000, 1), incoming = RandomBytes(9000, 2);
    Bytes appended = old;
    appended.insert(appended.end(), incoming.begin(), incoming.end());
    const Bytes lines = {'a', '\n', 'b', '\n'};
    const struct {
        const char* what;
        uint8_t rule;
        uint8_t conversion;
        Bytes existing;  // empty: no file
        Bytes sent;
        Bytes expected;
    } cases[] = {
        {"append writes the whole file after the old data", kZmAppend, 0, old, incoming, appended},
        {"resume goes on from the existing size", 0, kZconvResume,
         Bytes(incoming.begin(), incoming.begin() + 1000), incoming, incoming},
        {"protect keeps the file", kZmProtect, 0, old, incoming, old},
        {"replace", kZmReplace, 0, old, incoming, incoming},
        {"newline conversion",
         kZmReplace,
         kZconvNewlines,
         {},
         lines,
         {'a', '\r', '\n', 'b', '\r', '\n'}},
        {"skip when absent", kZmReplace | kZmSkipNoLocal, 0, {}, incoming, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder here, there;
        WriteFile(here / "f.bin", c.sent);
        if (!c.existing.empty()) WriteFile(there / "f.bin", c.existing);
        Wire wire;
        ZmodemOptions options;
        options.DestDir = there.path();
        auto sender = ZmodemEngine::Create(*wire.portA);
        auto receiver = ZmodemEngine::Create(*wire.portB, options);
        sender->SetFileOptions(false, c.rule & kZmSkipNoLocal, c.rule & 7);
        sender->SetConversion(c.conversion);
        sender->Proto().SetFileMask(here / "f.bin");
        sender->PrepareTransmit();
        receiver->PrepareReceive();
        RunPair(*sender, *receiver);
        EXPECT_EQ(sender->Proto().Status(), kStatusOk);
        EXPECT_EQ(receiver->Proto().Status(), kStatusOk);
        if (c.expected.empty()) {
            EXPECT_FALSE(std::filesystem::exists(there / "f.bin"));
        } else {
            EXPECT_EQ(ReadFile(there / "f.bin"), c.expected);
        }
    }
}

TEST(ZmodemEngines, ProtectedFileSkippedAndTheNextOneTaken) {
    TempFolder here, there;
    WriteFile(here / "a.bin", RandomBytes(100, 5));
    WriteFile(here / "b.bin", RandomBytes(2000, 6));
    WriteFile(there / "a.bin", RandomBytes(10, 7));
    Wire wire;
    ZmodemOptions options;
    options.DestDir = there.path();
    auto sender = ZmodemEngine::Create(*wire.portA);
    auto receiver = ZmodemEngine::Create(*wire.portB, options);
    sender->SetFileOptions(false, false, kZmProtect);
    sender->Proto().SetFileMask(here / "*.bin");
    sender->PrepareTransmit();
    receiver->PrepareReceive();
    RunPair(*sender, *receiver);
    EXPECT_EQ(ReadFile(there / "a.bin"), RandomBytes(10, 7));
    EXPECT_EQ(ReadFile(there / "b.bin"), RandomBytes(2000, 6));
}

TEST(ZmodemEngines, ALinkThatCannotSendEndsTheTransferAtOnce) {
    class DeadLink final : public HostLink {
      public:
        void Poll() override {}
        bool ByteReady() override { return false; }
        int ReadByte() override { return kNoLinkByte; }
        uint32_t BytesWaiting() override { return 0; }
        bool Unread(uint32_t count) override { return count == 0; }
        bool Send(const uint8_t*, size_t) override { return false; }
        void SendBreak() override {}
        void WaitForInput(uint32_t) override {}
    } dead;
    TempFolder here;
    WriteFile(here / "f", RandomBytes(10, 1));
    for (bool sending : {true, false}) {
        SCOPED_TRACE(sending);
        uint16_t status = 0;
        auto port = TransferPort::OpenOnLink(dead, status);
        auto engine = ZmodemEngine::Create(*port);
        engine->Proto().SetFileMask(here / "f");
        const auto start = std::chrono::steady_clock::now();
        if (sending)
            engine->Transmit();
        else
            engine->Receive();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
        EXPECT_EQ(engine->Proto().Status(), kStatusSendFailed);
    }
}

TEST(ZmodemEngines, TheSendersLastWordsAreTakenAndTheHostsOutputLeft) {
    Wire wire;
    auto receiver = ZmodemEngine::Create(*wire.portB);
    receiver->PrepareReceive();
    ZmodemFraming host(*wire.portA, nullptr);
    const uint8_t none[4] = {};
    host.SendHexHeader(kZfin, none);
    wire.portA->FlushBatch();
    // A Telnet line puts a NUL after the header's CR.
    for (uint8_t b : std::string_view("\0OOafter", 8)) wire.aToB.push_back(b);
    while (receiver->ReceiveStep() != kStepFinished) {
    }
    EXPECT_EQ(receiver->Proto().Status(), kStatusOk);
    EXPECT_EQ(std::string(wire.aToB.begin(), wire.aToB.end()), "after");
}

TEST(ZmodemEngines, AttentionStringIsCutToItsField) {
    Wire wire;
    auto receiver = ZmodemEngine::Create(*wire.portB);
    receiver->PrepareReceive();
    ZmodemFraming host(*wire.portA, nullptr);
    const uint8_t flags[4] = {0, 0, 0, kEscapeControls};
    host.SendBinaryHeader(kZsinit, flags);
    const Bytes attention(100, 'A');
    host.SendSubpacket(attention.data(), attention.size(), kZcrcw);
    wire.portA->FlushBatch();
    // The first invitation waits half a second; the ZSINIT is read after it.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (receiver->Attention()[0] == 0 && std::chrono::steady_clock::now() < end)
        receiver->ReceiveStep();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(receiver->Attention())),
              std::string(31, 'A'));
    EXPECT_TRUE(receiver->Framing().EscapeAll);
}

}  // namespace
