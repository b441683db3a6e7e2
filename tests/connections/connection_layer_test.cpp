#include "connections/connection_layer.h"

#include <gtest/gtest.h>

#include "connection_fakes.h"

namespace connections {
namespace {

using testing::B;
using testing::Bytes;
using testing::LayerRig;
using testing::S;

constexpr int IAC = 255;

struct OpenRig : LayerRig {
    explicit OpenRig(uint8_t method = kMethodTelnet) : LayerRig(false, method) {
        EXPECT_EQ(Open(), kCommOk);
        socket.TakeSent();
    }
};

TEST(CommRead, TelnetLineEnds) {
    struct Case {
        const char* what;
        uint8_t method;
        std::vector<Bytes> arrivals;  // read after each arrival
        bool skipNul;
        Bytes data;
    } cases[] = {
        {"CR NUL is one CR", kMethodTelnet, {B({13, 0, 'a'})}, false, B({13, 'a'})},
        {"CR LF stays", kMethodTelnet, {B({13, 10})}, false, B({13, 10})},
        {"NUL arriving after its CR",
         kMethodTelnet,
         {B({'a', 13}), B({0, 'b'})},
         false,
         B({'a', 13, 'b'})},
        {"a later NUL after a CR and other data is data",
         kMethodTelnet,
         {B({13}), B({'x', 0})},
         false,
         B({13, 'x', 0})},
        {"CR NUL without Telnet", kMethodRlogin, {B({13, 0})}, false, B({13, 0})},
        {"CR NUL without Telnet, NULs skipped",
         kMethodRlogin,
         {B({13, 0, 0, 'c'})},
         true,
         B({13, 'c'})},
        {"NUL skipping stops at a command",
         kMethodTelnet,
         {Bytes{0, IAC, IAC, 'c'}},
         true,
         B({255, 'c'})},
    };
    for (const Case& c : cases) {
        OpenRig rig(c.method);
        Bytes data;
        for (const Bytes& arrival : c.arrivals) {
            rig.socket.Arrive(arrival);
            const Bytes got = rig.ReadAll(false, c.skipNul);
            data.insert(data.end(), got.begin(), got.end());
        }
        EXPECT_EQ(data, c.data) << c.what;
    }
}

TEST(CommRead, NoByteIsNotA255) {
    OpenRig rig;
    EXPECT_EQ(rig.layer->CommReadChar(false, false), kNoByte);
    rig.socket.Arrive(B({IAC, IAC, IAC, IAC}));
    EXPECT_EQ(rig.layer->CommReadChar(false, false), 255);
    EXPECT_EQ(rig.layer->CommReadChar(true, false), 127);
    EXPECT_EQ(rig.layer->CommReadChar(false, false), kNoByte);
    // An IAC whose command has not arrived yet is not data either.
    rig.socket.Arrive(B({IAC}));
    EXPECT_EQ(rig.layer->CommReadChar(false, false), kNoByte);
    rig.socket.Arrive(B({IAC}));
    EXPECT_EQ(rig.layer->CommReadChar(false, false), 255);
}

// With socket notices registered, a reader that has emptied the ring still
// finds what the socket holds, without waiting for the notice.
TEST(CommRead, AnEmptyRingTakesWhatTheSocketHolds) {
    OpenRig rig;
    rig.socket.notifyResult = platform::NotifyResult::Registered;
    rig.socket.Arrive(S("ab"));
    EXPECT_FALSE(rig.layer->CommInputReady(0));  // registers; the notice would bring "ab"
    EXPECT_TRUE(rig.layer->CommInputReady(0));
    EXPECT_EQ(rig.layer->CommReadChar(false, false), 'a');
    EXPECT_EQ(rig.layer->CommReadChar(false, false), 'b');
    // A ring holding more than the count asked for answers alone; one holding fewer takes what
    // the socket holds first.
    rig.socket.Arrive(S("cd"));
    EXPECT_TRUE(rig.layer->CommInputReady(0));
    rig.socket.Arrive(S("e"));
    EXPECT_TRUE(rig.layer->CommInputReady(1));
    EXPECT_EQ(rig.layer->ring.Count(), 2);
    EXPECT_TRUE(rig.layer->CommInputReady(2));
    EXPECT_FALSE(rig.layer->CommInputReady(3));
}

TEST(CommRead, InputReadyCountsAndPeeksADoubledIac) {
    OpenRig rig;
    rig.socket.Arrive(S("12345"));
    EXPECT_TRUE(rig.layer->CommInputReady(0));
    EXPECT_TRUE(rig.layer->CommInputReady(4));
    EXPECT_FALSE(rig.layer->CommInputReady(5));
    rig.layer->CommFlushInput();
    EXPECT_FALSE(rig.layer->CommInputReady(0));

    // A doubled IAC is seen by the peek and delivered by the next read.
    rig.socket.Arrive(B({IAC, IAC}));
    EXPECT_TRUE(rig.layer->CommInputReady(0));
    EXPECT_TRUE(rig.layer->telnet.Collecting());
    uint8_t run[8];
    EXPECT_EQ(rig.layer->CommReadRun(run, 8, 0, 255), 0);
    EXPECT_EQ(rig.layer->CommReadChar(false, false), 255);
    EXPECT_FALSE(rig.layer->CommInputReady(0));
}

TEST(CommRead, RunsStopAtTheFirstByteOutsideTheRange) {
    OpenRig rig;
    rig.socket.Arrive(B({65, 66, 27, 67}));
    uint8_t run[16];
    EXPECT_EQ(rig.layer->CommReadRun(run, 16, 32, 126), 2);
    EXPECT_EQ(rig.layer->CommPeekByte(), 27);
    EXPECT_EQ(rig.layer->CommReadRun(run, 0, 0, 255), 0);
    // On Telnet a run never takes IAC or CR, even when the range holds them.
    rig.layer->CommFlushInput();
    rig.socket.Arrive(B({'a', 13, 0, 'b', IAC, 251, 1, 'c'}));
    EXPECT_EQ(rig.layer->CommReadRun(run, 16, 0, 255), 1);
    EXPECT_EQ(rig.ReadAll(), B({13, 'b', 'c'}));
}

TEST(CommRead, RunDoesNotWrapAndFullRingWaits) {
    OpenRig rig;
    auto& ring = rig.layer->ring;
    ring.write = ring.read = ReceiveRing::kSize - 3;
    Bytes sent(ReceiveRing::kSize + 10, 'x');
    for (size_t i = 0; i < sent.size(); ++i) sent[i] = uint8_t('a' + i % 26);
    rig.socket.Arrive(sent);
    // One receive fills the free space on both sides of the storage's end.
    rig.layer->CommPollReceive();
    EXPECT_EQ(ring.Count(), ReceiveRing::kCapacity);
    EXPECT_EQ(rig.socket.inbound.size(), sent.size() - ReceiveRing::kCapacity);
    EXPECT_EQ(ring.storage[ReceiveRing::kSize - 1], 'c');
    EXPECT_EQ(ring.storage[0], 'd');
    rig.layer->CommPollReceive();
    EXPECT_TRUE(rig.layer->MoreDataPending);  // full: nothing read
    uint8_t run[300];
    EXPECT_EQ(rig.layer->CommReadRun(run, 245, 32, 126), 3);  // no wrap within one call
    EXPECT_EQ(Bytes(run, run + 3), B({'a', 'b', 'c'}));
    // The next ready check that finds too few bytes receives again.
    const size_t before = rig.socket.inbound.size();
    EXPECT_FALSE(rig.layer->CommInputReady(ReceiveRing::kCapacity));
    EXPECT_EQ(rig.socket.inbound.size(), before - 3);
    EXPECT_EQ(ring.Count(), ReceiveRing::kCapacity);
}

TEST(CommRead, StepBackNeverReRunsTelnetCommands) {
    OpenRig rig;
    rig.socket.Arrive(B({'a', 'b', IAC, 251, 1, 'c', 'd'}));
    EXPECT_EQ(rig.layer->CommReadChar(false, false), 'a');
    EXPECT_EQ(rig.layer->CommReadChar(false, false), 'b');
    EXPECT_TRUE(rig.layer->CommUnreadBytes(2));
    EXPECT_EQ(rig.layer->CommReadChar(false, false), 'a');
    EXPECT_EQ(rig.layer->CommReadChar(false, false), 'b');
    EXPECT_EQ(rig.layer->CommReadChar(false, false), 'c');  // the command is consumed here
    EXPECT_EQ(rig.socket.TakeSent(), B({IAC, 253, 1}));
    EXPECT_FALSE(rig.layer->CommUnreadBytes(2));
    EXPECT_TRUE(rig.layer->CommUnreadBytes(1));
    EXPECT_EQ(rig.ReadAll(), S("cd"));
    EXPECT_EQ(rig.socket.TakeSent(), B({}));  // and answered only once
    // A CR whose NUL was dropped cannot be stepped back over either.
    rig.socket.Arrive(B({'e', 13, 0, 'f'}));
    EXPECT_EQ(rig.ReadAll(), B({'e', 13, 'f'}));
    EXPECT_TRUE(rig.layer->CommUnreadBytes(1));
    EXPECT_FALSE(rig.layer->CommUnreadBytes(1));
}

TEST(CommRead, StepBackOverAPendingCrKeepsTheDataNul) {
    OpenRig rig;
    rig.socket.Arrive(B({'a', 0, 13}));
    rig.ReadAll();
    rig.socket.Arrive(B({'b'}));
    rig.layer->CommPollReceive();
    // The CR was the last byte when read; after stepping back over it the
    // NUL that follows "a" is data, not the CR's.
    ASSERT_TRUE(rig.layer->CommUnreadBytes(2));
    EXPECT_EQ(rig.ReadAll(), B({0, 13, 'b'}));
}

// A command begun before a flush (the transfers flush often) must not take
// the data after the flush for its remaining bytes.
TEST(CommRead, FlushFinishesACommandAlreadyBegun) {
    constexpr int WILL = 251, DO = 253, SB = 250, SE = 240;
    const Bytes ttypeAnswer = B({IAC, SB, 24, 0, 'V', 'T', '2', '2', '0', IAC, SE});
    struct Case {
        const char* what;
        Bytes begun;    // seen by a ready check before the flush
        Bytes waiting;  // received, then flushed
        Bytes later;    // the rest of the command, sent after the flush
        Bytes reply;
    } cases[] = {
        {"doubled IAC peeked", B({IAC, IAC}), B({'j'}), B({}), B({})},
        {"option waiting", B({IAC, WILL}), B({1, 'j'}), B({}), B({IAC, DO, 1})},
        {"subnegotiation end waiting", B({IAC, SB, 24}), B({1, IAC, SE, 'j'}), B({}), ttypeAnswer},
        {"SE waiting", B({IAC, SB, 24, 1, IAC}), B({SE, 'j'}), B({}), ttypeAnswer},
        {"end not sent yet", B({IAC, SB, 24}), B({}), B({1, IAC, SE}), ttypeAnswer},
    };
    for (const Case& c : cases) {
        OpenRig rig;
        rig.socket.Arrive(c.begun);
        rig.layer->CommInputReady(0);
        rig.socket.maxChunk = std::max<int32_t>(1, int32_t(c.waiting.size()));
        rig.socket.Arrive(c.waiting);
        if (!c.waiting.empty()) rig.layer->CommPollReceive();
        // What arrives meanwhile is not dropped with what waited.
        rig.socket.Arrive(c.later);
        rig.socket.Arrive(S("hello"));
        rig.layer->CommFlushInput();
        rig.socket.maxChunk = 1 << 30;
        EXPECT_EQ(rig.ReadAll(), S("hello")) << c.what;
        EXPECT_EQ(rig.socket.TakeSent(), c.reply) << c.what;
        EXPECT_FALSE(rig.layer->telnet.Collecting()) << c.what;
    }
}

// Each received byte goes through the input hook exactly once, whichever
// readers peek at it, take it, skip it as a command or step back over it; and
// commands are recognised in the decoded bytes.
TEST(CommRead, EveryReaderDecodesEachByteOnce) {
    OpenRig rig;
    rig.layer->EncryptInputHook = [](uint8_t b) { return uint8_t(b + 1); };
    Bytes plain = B({'a', 'b', IAC, 251, 1, 'c', 13, 0, 'd', IAC, IAC, 'e'});
    Bytes sent;
    for (uint8_t b : plain) sent.push_back(uint8_t(b - 1));
    rig.socket.Arrive(sent);
    uint8_t run[16];
    EXPECT_TRUE(rig.layer->CommInputReady(0));
    EXPECT_EQ(rig.layer->CommPeekByte(), 'a');
    ASSERT_EQ(rig.layer->CommReadRun(run, 16, 32, 126), 2);
    EXPECT_EQ(Bytes(run, run + 2), S("ab"));
    EXPECT_EQ(rig.layer->CommReadChar(false, false), 'c');
    EXPECT_EQ(rig.socket.TakeSent(), B({IAC, 253, 1}));
    ASSERT_TRUE(rig.layer->CommUnreadBytes(1));
    ASSERT_EQ(rig.layer->CommReadRun(run, 16, 32, 126), 1);
    EXPECT_EQ(run[0], 'c');
    EXPECT_EQ(rig.layer->CommReadChar(false, false), 13);
    EXPECT_EQ(rig.layer->CommReadChar(false, false), 'd');
    EXPECT_TRUE(rig.layer->CommInputReady(0));
    EXPECT_EQ(rig.layer->CommReadChar(false, false), 255);
    EXPECT_EQ(rig.layer->CommReadChar(false, false), 'e');
    EXPECT_EQ(rig.layer->CommReadChar(false, false), kNoByte);
}

TEST(CommRead, ReadingAClosedConnectionGivesNothing) {
    LayerRig rig;
    EXPECT_EQ(rig.layer->CommReadChar(false, false), kNoByte);
    EXPECT_FALSE(rig.layer->CommInputReady(0));
    EXPECT_EQ(rig.layer->CommBytesWaiting(), 0);
    EXPECT_EQ(rig.layer->CommGetByte(), kNoByte);
    EXPECT_EQ(rig.layer->CommPeekByte(), kNoByte);
    EXPECT_FALSE(rig.layer->CommSendByte('a'));
}

TEST(CommSend, TelnetEscaping) {
    struct Case {
        const char* what;
        int kind;  // 0 byte, 1 string, 2 block
        Bytes in;
        Bytes out;
    } cases[] = {
        {"byte CR", 0, B({13}), B({13, 0})},
        {"byte IAC", 0, B({255}), B({255, 255})},
        {"byte", 0, B({'a'}), B({'a'})},
        {"string ending in CR", 1, B({65, 66, 13}), B({65, 66, 13, 0})},
        {"string with an inner CR", 1, B({13, 65}), B({13, 65})},
        {"string of one IAC", 1, B({255}), B({255, 255})},
        {"string with IAC", 1, B({'a', 255, 13}), B({'a', 255, 255, 13, 0})},
        {"block", 2, B({255, 13, 10}), B({255, 255, 13, 0, 10})},
        {"plain block", 2, S("hello"), S("hello")},
    };
    for (const Case& c : cases) {
        OpenRig rig;
        bool ok = false;
        if (c.kind == 0) ok = rig.layer->CommSendByte(c.in[0]);
        if (c.kind == 1) ok = rig.layer->CommSendString(std::string(c.in.begin(), c.in.end()));
        if (c.kind == 2) ok = rig.layer->CommSendBlock(c.in.data(), int32_t(c.in.size()));
        EXPECT_TRUE(ok) << c.what;
        EXPECT_EQ(rig.socket.TakeSent(), c.out) << c.what;
    }
}

TEST(CommSend, PartialSendsAndWouldBlockFinish) {
    OpenRig rig;
    rig.socket.sendLimit = 500;
    rig.socket.sendWouldBlock = 2;
    rig.socket.Arrive(S("host output"));
    const Bytes block(1000, 'z');
    EXPECT_TRUE(rig.layer->CommSendBuffer(block.data(), 1000));
    EXPECT_EQ(rig.socket.TakeSent(), block);
    EXPECT_EQ(rig.socket.sendSizes, (std::vector<int32_t>{500, 500}));
    // The host's output was taken in while ours waited.
    EXPECT_EQ(rig.layer->ring.Count(), 11);
}

// Each receive that brings bytes tells the host, and only such a receive.
TEST(CommReceive, ArrivalsAreReported) {
    OpenRig rig;
    rig.layer->ReceiveMode = 0;
    rig.layer->CommReceive(0);
    EXPECT_EQ(rig.host.dataArrivals, 0);
    rig.socket.Arrive(S("ab"));
    rig.layer->CommReceive(0);
    EXPECT_EQ(rig.host.dataArrivals, 1);
    rig.socket.maxChunk = 1;
    rig.socket.Arrive(S("cd"));
    rig.layer->CommReceive(0);
    rig.layer->CommReceive(0);
    EXPECT_EQ(rig.host.dataArrivals, 3);
}

TEST(CommSend, TimeoutAndErrors) {
    OpenRig rig;
    rig.socket.sendWouldBlock = 1000;  // each attempt moves the fake clock 100 ms
    EXPECT_FALSE(rig.layer->CommSendByte('a'));
    EXPECT_TRUE(rig.host.Logged("BOX0 Timeout on Send"));

    OpenRig reset;
    reset.socket.sendError = platform::kSockConnectionReset;
    EXPECT_FALSE(reset.layer->CommSendByte('a'));
    EXPECT_EQ(reset.layer->CommLastError, uint32_t(platform::kSockConnectionReset));
}

TEST(CommSend, PacedBlocksOnNonTelnetMethods) {
    OpenRig rig(kMethodRlogin);
    rig.socket.sendSizes.clear();  // the connection string
    rig.layer->settings.AsciiCharDelay = 5;
    EXPECT_TRUE(rig.layer->CommSendBlock(B({1, 2, 3}).data(), 3));
    EXPECT_EQ(rig.socket.sendSizes, (std::vector<int32_t>{1, 1, 1}));
    EXPECT_EQ(rig.host.fineDelays, (std::vector<uint16_t>{5, 5, 5}));
}

TEST(CommSend, RequiredSecurityStopsSending) {
    OpenRig rig;
    rig.layer->settings.telnet.SrpAuthMode = 2;
    EXPECT_FALSE(rig.layer->CommSendByte('a'));
    EXPECT_EQ(rig.host.shortBoxes, (std::vector<std::string>{"SRP authentication failed"}));
    rig.layer->settings.telnet.SrpAuthMode = 1;
    rig.layer->settings.telnet.SrpEncryptMode = 2;
    EXPECT_FALSE(rig.layer->CommSendString("a"));
    EXPECT_EQ(rig.host.shortBoxes.back(), "Encryption failed");
    EXPECT_EQ(rig.socket.TakeSent(), B({}));
    rig.layer->settings.telnet.SrpEncryptMode = 1;
    EXPECT_TRUE(rig.layer->CommSendByte('a'));
}

TEST(CommPoll, KeepAliveOnTelnetOnly) {
    for (uint8_t method : {kMethodTelnet, kMethodRlogin}) {
        OpenRig rig(method);
        rig.layer->settings.KeepAliveSeconds = 60;
        rig.layer->CommPoll();
        EXPECT_EQ(rig.socket.TakeSent(), B({})) << int(method);
        rig.host.now += 1000;
        rig.layer->CommPoll();
        const Bytes nop = method == kMethodTelnet ? B({IAC, 241}) : B({});
        EXPECT_EQ(rig.socket.TakeSent(), nop) << int(method);
        rig.host.now += 59000;
        rig.layer->CommPoll();
        EXPECT_EQ(rig.socket.TakeSent(), B({})) << int(method);
        rig.host.now += 1000;
        rig.layer->CommPoll();
        EXPECT_EQ(rig.socket.TakeSent(), nop) << int(method);
    }
}

TEST(CommPoll, ErrorsGoToTheStatusRow) {
    OpenRig rig;
    rig.layer->CommLastError = kReplyNotSent;
    EXPECT_EQ(rig.layer->CommPoll(), kReplyNotSent);
    ASSERT_EQ(rig.host.lineErrors.size(), 1u);
    EXPECT_EQ(rig.host.lineErrors[0], (std::vector<StatusWord>{{10, 408, "12001"}}));
    EXPECT_EQ(rig.layer->CommLastError, 0u);
    rig.layer->settings.StatusLine = false;
    rig.layer->CommLastError = 5;
    rig.layer->CommPoll();
    EXPECT_EQ(rig.host.lineErrors.size(), 1u);
}

// The host closing the connection, noticed by a receive or by the periodic
// check, handled by `ReconnectMode`.
TEST(CommPoll, HostCloseByReconnectMode) {
    for (uint8_t mode : {0, 1, 2}) {
        for (bool throughPoll : {false, true}) {
            OpenRig rig;
            rig.layer->settings.ReconnectMode = mode;
            rig.socket.Arrive(S("bye"));
            rig.socket.hostClosed = true;
            const int titles = rig.host.titleUpdates;
            if (throughPoll) {
                rig.host.now += 1000;
                rig.layer->CommPoll();
                rig.host.now += 1000;
                rig.layer->CommPoll();
            } else {
                rig.layer->CommReceive(0);
                rig.layer->CommReceive(0);
            }
            const std::string what =
                "mode " + std::to_string(mode) + (throughPoll ? " poll" : " read");
            EXPECT_TRUE(rig.host.Logged("[WINSOCK recv returned 0, Error = 0]")) << what;
            EXPECT_EQ(rig.ReadAll(), S("bye")) << what;  // what came before the close is kept
            if (mode == 0) {
                EXPECT_EQ(rig.host.exitCode, 4) << what;
            } else if (mode == 2) {
                EXPECT_EQ(rig.layer->CommState[kMethodTelnet], kStateClosed) << what;
                EXPECT_GT(rig.host.titleUpdates, titles) << what;
                EXPECT_EQ(rig.host.exitCode, -1) << what;
            } else {
                EXPECT_EQ(rig.socket.opens, 2) << what;
                EXPECT_EQ(rig.layer->CommState[kMethodTelnet], kStateOpen) << what;
                EXPECT_EQ(rig.host.autoLogins, 1) << what;
            }
        }
    }
}

TEST(CommPoll, ResetFoundByAReceiveIsHandledByTheNextPoll) {
    for (uint8_t mode : {0, 2}) {
        OpenRig rig;
        rig.layer->settings.ReconnectMode = mode;
        rig.socket.receiveError = platform::kSockConnectionReset;
        rig.layer->CommReceive(0);
        EXPECT_EQ(rig.layer->CommLastError, uint32_t(platform::kSockConnectionReset));
        EXPECT_TRUE(rig.host.Logged("BOX1 10054"));
        rig.layer->CommPoll();
        if (mode == 0) {
            EXPECT_EQ(rig.host.exitCode, 4);
        }
        if (mode == 2) {
            EXPECT_FALSE(rig.layer->CommIsOpen());
        }
        // The drop is handled once, not again by every later poll.
        rig.host.exitCode = -1;
        const int titles = rig.host.titleUpdates;
        const int closes = rig.socket.closes;
        for (int i = 0; i < 3; ++i) {
            rig.host.now += 1000;
            rig.layer->CommPoll();
        }
        EXPECT_EQ(rig.host.exitCode, -1) << int(mode);
        EXPECT_EQ(rig.host.titleUpdates, titles) << int(mode);
        EXPECT_EQ(rig.socket.closes, closes) << int(mode);
    }
}

TEST(CommPoll, HostThatDropsDuringTheOffersCannotNestReconnects) {
    LayerRig rig(true);
    rig.layer->settings.ReconnectMode = 1;
    rig.socket.hostClosed = true;
    rig.socket.sendWouldBlock = 3;  // the first offer waits and receives meanwhile
    EXPECT_EQ(rig.Open(), kCommOk);
    EXPECT_EQ(rig.socket.opens, 1);
}

// The receive that runs while a send waits can find the host gone and, with
// `ReconnectMode` 1, open a new connection: the rest of the old buffer must
// not go to the new session.
TEST(CommSend, ASendCutByAReconnectStops) {
    OpenRig rig;
    rig.layer->settings.ReconnectMode = 1;
    rig.layer->ReceiveMode = 0;
    rig.socket.hostClosed = true;
    rig.socket.sendLimit = 500;
    const Bytes block(1000, 'z');
    EXPECT_FALSE(rig.layer->CommSendBuffer(block.data(), 1000));
    EXPECT_EQ(rig.socket.opens, 2);
    EXPECT_TRUE(rig.layer->CommIsOpen());
    EXPECT_EQ(rig.socket.sendSizes, (std::vector<int32_t>{500}));
    EXPECT_EQ(rig.host.autoLogins, 1);
}

TEST(CommOpen, ErrorTexts) {
    LayerRig rig;
    EXPECT_EQ(rig.layer->CommErrorText(0), u"");
    EXPECT_EQ(rig.layer->CommErrorText(14), u"SOCKS server refused connection");
    EXPECT_EQ(rig.layer->CommErrorText(15), u"SOCKS receive error");
    rig.layer->WinsockErrorNumber = 10050;
    EXPECT_EQ(rig.layer->CommErrorText(17), u"TCP/IP (WINSOCK) error 10050");
}

TEST(CommOpen, OpenerResults) {
    {
        LayerRig rig;  // open flag 0 does nothing
        EXPECT_EQ(rig.layer->CommOpen(0), kCommOk);
        EXPECT_EQ(rig.socket.opens, 0);
        EXPECT_FALSE(rig.layer->CommIsOpen());
    }
    {
        LayerRig rig;
        rig.layer->settings.HostName.clear();
        EXPECT_EQ(rig.Open(), kCommUnknownHost);
    }
    {
        LayerRig rig;
        ASSERT_EQ(rig.Open(), kCommOk);
        EXPECT_EQ(rig.layer->LocalIpAddress, "127.0.0.1");
        EXPECT_EQ(rig.layer->ConnectedHostName, "10.1.2.3");
        EXPECT_EQ(rig.layer->ReceiveMode, 1);
        EXPECT_EQ(rig.Open(), kCommNoLibrary);  // a second open while connected
        rig.layer->CommClose();
        EXPECT_EQ(rig.layer->CommState[kMethodTelnet], kStateClosed);
        EXPECT_EQ(rig.Open(), kCommOk);
    }
    {
        LayerRig rig;
        rig.socket.startupOk = false;
        EXPECT_EQ(rig.Open(), kCommNoLibrary);
        EXPECT_EQ(rig.layer->CommState[kMethodRlogin], kStateUnavailable);
    }
    {
        LayerRig rig;
        rig.socket.openOk = false;
        EXPECT_EQ(rig.Open(), kCommNoSocket);
    }
    {
        LayerRig rig;
        rig.socket.nonBlockingOk = false;
        EXPECT_EQ(rig.Open(), kCommIoctlFailed);
        rig.socket.nonBlockingOk = true;
        EXPECT_EQ(rig.Open(), kCommOk);  // not stuck half open
    }
    {
        LayerRig rig;
        rig.socket.connectResult = platform::Progress::Failed;
        rig.socket.connectError = platform::kSockConnectionRefused;
        EXPECT_EQ(rig.Open(), 16);
        EXPECT_EQ(rig.socket.closes, 1);
        EXPECT_EQ(rig.layer->CommState[kMethodTelnet], kStateClosed);
        EXPECT_TRUE(rig.host.Logged("[connect: 10061]"));
    }
    {
        LayerRig rig;
        rig.layer->settings.HostName = "nowhere.invalid";
        EXPECT_EQ(rig.Open(), kCommUnknownHost);
    }
    {
        // What cannot go further is refused, with its reason, before a socket opens.
        LayerRig ssh(false, kMethodSsh);  // no SSH plugged in
        EXPECT_EQ(ssh.Open(), kCommSshUnavailable);
        EXPECT_EQ(ssh.layer->CommErrorText(kCommSshUnavailable), u"SSH support unavailable");
        for (auto required : {&TelnetSettings::SrpAuthMode, &TelnetSettings::SrpEncryptMode}) {
            LayerRig telnet;  // no Telnet security plugged in
            telnet.layer->settings.telnet.*required = 2;
            EXPECT_EQ(telnet.Open(), kCommTelnetSecurityUnavailable);
            EXPECT_NE(telnet.layer->CommErrorText(kCommTelnetSecurityUnavailable), u"");
            EXPECT_EQ(telnet.socket.opens + ssh.socket.opens, 0);
            EXPECT_TRUE(telnet.host.shortBoxes.empty());
        }
    }
    {
        struct SshHost : testing::FakeHost {
            bool SshAvailable() override { return true; }
        } host;
        LayerRig rig(false, kMethodSsh);
        rig.layer->Attach(&rig.socket, &host, nullptr);
        rig.socket.hostClosed = true;  // the server goes before its identification
        EXPECT_EQ(rig.Open(), kCommSshLoginFailed);
        EXPECT_TRUE(host.Logged("[Server closed the connection during login]"));
        EXPECT_EQ(rig.layer->CommState[kMethodSsh], kStateClosed);
    }
    {
        LayerRig rig(false, kMethodSerial);
        EXPECT_EQ(rig.Open(), kCommNoLibrary);
        EXPECT_EQ(rig.socket.opens, 0);
    }
}

// Rlogin opens with its connection string, so that the host has a user and
// a terminal to start the session with.
TEST(CommOpen, RloginSendsItsConnectionString) {
    using namespace std::string_literals;
    struct Case {
        const char* user;
        const char* list;
        const char* type;
        std::string sent;
    } cases[] = {
        {"ann", "", "VT220", "\0ann\0ann\0vt220/9600\0"s},
        {"${OZM_PROGRAM}", "", "SCOANSI", "\0${OZM_PROGRAM}\0C:\\VZ.EXE\0ansi/9600\0"s},
        {"", "xterm;vt100", "VT220", "\0\0\0xterm;vt100/9600\0"s},
    };
    for (const Case& c : cases) {
        LayerRig rig(false, kMethodRlogin);
        rig.layer->settings.UserName = c.user;
        rig.layer->settings.telnet.TermNameList = c.list;
        rig.layer->settings.telnet.TerminalType = c.type;
        ASSERT_EQ(rig.Open(), kCommOk);
        const Bytes sent = rig.socket.TakeSent();
        EXPECT_EQ(std::string(sent.begin(), sent.end()), c.sent) << c.type;
    }
}

TEST(CommOpen, EachSocketMethodHasItsDefaultPort) {
    const std::pair<uint8_t, uint16_t> cases[] = {
        {kMethodTelnet, 23}, {kMethodRlogin, 513}, {kMethodSsh, 22}};
    struct SshHost : testing::FakeHost {
        bool SshAvailable() override { return true; }
    };
    for (const auto& [method, port] : cases) {
        SshHost host;
        LayerRig rig(false, method);
        rig.layer->Attach(&rig.socket, &host, nullptr);
        rig.socket.hostClosed = true;
        rig.Open();
        ASSERT_EQ(rig.socket.connects.size(), 1u) << int(method);
        EXPECT_EQ(rig.socket.connects[0].second, port) << int(method);
    }
    LayerRig rig(false, kMethodRlogin);
    rig.layer->settings.HostName = "10.1.2.3:2323";
    rig.Open();
    EXPECT_EQ(rig.socket.connects[0].second, 2323);
}

TEST(CommOpen, SocketOptionsAndLocalName) {
    LayerRig rig;
    rig.layer->settings.SocketKeepAlive = true;
    ASSERT_EQ(rig.Open(), kCommOk);
    EXPECT_EQ(rig.socket.options[platform::SocketOption::OobInline], 1);
    EXPECT_EQ(rig.socket.options[platform::SocketOption::KeepAlive], 1);
    EXPECT_TRUE(rig.host.Logged("[SO_KEEPALIVE is set]"));
    EXPECT_TRUE(rig.host.Logged("[getsockname returns: 127.0.0.1 port: 40000]"));
    EXPECT_EQ(rig.layer->GetLocalHostName(), "localhost");
    rig.layer->settings.CommMethod = kMethodSerial;
    EXPECT_EQ(rig.layer->GetLocalHostName(), "N/A");
}

TEST(CommState, FlowKeysAndDrops) {
    LayerRig rig;
    for (uint8_t m = 0; m < 8; ++m) {
        rig.layer->settings.CommMethod = m;
        EXPECT_EQ(rig.layer->CommFlowKeysLocal(), m == 0 || m == 3) << int(m);
    }
    rig.layer->settings.CommMethod = 200;  // a hostile settings byte
    EXPECT_TRUE(rig.layer->CommFlowKeysLocal());
    EXPECT_FALSE(rig.layer->CommIsOpen());

    OpenRig open;
    open.layer->CommBreakCancel();
    EXPECT_EQ(open.socket.TakeSent(), B({IAC, 243}));
    EXPECT_EQ(open.host.typingResets, 1);
    open.layer->CommDropped(1);
    EXPECT_EQ(open.layer->CommState[kMethodTelnet], kStateUnavailable);
    EXPECT_EQ(open.host.exitCode, 4);
}

}  // namespace
}  // namespace connections
