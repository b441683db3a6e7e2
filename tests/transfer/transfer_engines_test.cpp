// The XMODEM and YMODEM engines against each other in one process, over a
// pair of memory links, and the names a host may choose.
#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "../common/transfer_fixtures.h"
#include "commands/interpreter.h"
#include "commands/settings_record.h"
#include "transfer/ascii_engine.h"
#include "transfer/host_link.h"
#include "transfer/received_names.h"
#include "transfer/transfer_files.h"
#include "transfer/transfer_front_end.h"
#include "transfer/transfer_ui.h"
#include "transfer/xmodem_engine.h"
#include "transfer/ymodem_engine.h"

namespace {

using namespace transfer;
using transfer_test::Bytes;
using transfer_test::ReadFile;
using transfer_test::WriteFile;
using Wire = transfer_test::MemoryWire;

using Folder = transfer_test::TempFolder;

Bytes Random(size_t n) {
    return transfer_test::RandomBytes(n, unsigned(n));
}

// Steps both machines in turn until both have finished.
template <typename Sender, typename Receiver>
void RunPair(Sender& sender, Receiver& receiver) {
    bool sent = false, received = false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!(sent && received) && std::chrono::steady_clock::now() < end) {
        if (!sent) sent = sender.TransmitStep() == kStepFinished;
        if (!received) received = receiver.ReceiveStep() == kStepFinished;
    }
    ASSERT_TRUE(sent && received);
}

using Pair = transfer_test::PortPair;

TEST(TransferEngines, YmodemAndYmodemGBetweenTwoEngines) {
    for (bool streaming : {false, true}) {
        SCOPED_TRACE(streaming);
        Folder here, there;
        const Bytes data = Random(5000);
        WriteFile(here / "report 1.txt", data);
        Pair pair;
        XyOptions receiveOptions;
        receiveOptions.DestDir = there.path();
        auto sender = YmodemEngine::Create(*pair.sendPort, true, streaming);
        auto receiver = YmodemEngine::Create(*pair.receivePort, true, streaming, receiveOptions);
        sender->Proto().SetFileMask(here / "report 1.txt");
        sender->PrepareTransmit();
        receiver->PrepareReceive();
        RunPair(*sender, *receiver);
        EXPECT_EQ(sender->Proto().Status(), kStatusOk);
        EXPECT_EQ(receiver->Proto().Status(), kStatusOk);
        EXPECT_EQ(ReadFile(there / "report 1.txt"), data);
    }
}

TEST(TransferEngines, HostChosenNamesStayInTheDownloadFolder) {
    const struct {
        const char* sent;
        const char* stored;
    } cases[] = {
        {"../../etc/passwd", "passwd"},
        {"C:\\WINDOWS\\system.ini", "system.ini"},
        {"D:boot.ini", "boot.ini"},
        {"CON", "_CON"},
        {"com1.txt", "_com1.txt"},
        {"lpt9", "_lpt9"},
        {"a<b>c|d?.txt", "a_b_c_d_.txt"},
        {"name. . .", "name"},
        {"with blank.txt", "with blank.txt"},
        {"..", ""},
        {"dir/", ""},
        {"tab\there", "tab_here"},
    };
    for (const auto& c : cases) EXPECT_EQ(SafeReceivedName(c.sent), c.stored) << c.sent;
}

TEST(TransferEngines, HostilePeerCannotWriteOutsideTheDownloadFolder) {
    Folder here, there;
    WriteFile(here / "x", Random(300));
    for (const char* hostile : {"../escaped", "/tmp/absolute-escape", "C:\\NUL"}) {
        SCOPED_TRACE(hostile);
        Pair pair;
        XyOptions sendOptions;
        sendOptions.AsName = hostile;
        XyOptions receiveOptions;
        receiveOptions.DestDir = there.path();
        auto sender = YmodemEngine::Create(*pair.sendPort, true, false, sendOptions);
        sender->Proto().SetProtocolOptions(kOptionIncludeDirectory);
        auto receiver = YmodemEngine::Create(*pair.receivePort, true, false, receiveOptions);
        sender->Proto().SetFileMask(here / "x");
        sender->PrepareTransmit();
        receiver->PrepareReceive();
        RunPair(*sender, *receiver);
        EXPECT_EQ(receiver->Proto().Status(), kStatusOk);
    }
    EXPECT_FALSE(std::filesystem::exists(here.path() + "/../escaped"));
    EXPECT_FALSE(std::filesystem::exists("/tmp/absolute-escape"));
    EXPECT_TRUE(std::filesystem::exists(there / "escaped"));
    EXPECT_TRUE(std::filesystem::exists(there / "absolute-escape"));
    EXPECT_TRUE(std::filesystem::exists(there / "_NUL"));
}

TEST(TransferEngines, Block0FieldsAreReadWithinTheirLimits) {
    auto parse = [](const std::string& text) {
        std::vector<uint8_t> block(128, 0);
        std::copy(text.begin(), text.end(), block.begin());
        return ParseBlock0(block.data(), block.size());
    };
    std::string b = std::string("f") + '\0' + "2900 14000000000";  // 11 octal digits
    Block0Info info = parse(b);
    EXPECT_EQ(info.Size, 2900);
    EXPECT_EQ(info.Time, 014000000000);
    EXPECT_FALSE(info.BadTime);
    info = parse(std::string("f") + '\0' + "2147483648");
    EXPECT_TRUE(info.TooLarge);
    info = parse(std::string("f") + '\0' + "10 0");
    EXPECT_EQ(info.Time, 0);
    EXPECT_FALSE(info.BadTime);  // 0 is "no date", not an error
    info = parse(std::string("f") + '\0' + "10 9x");
    EXPECT_TRUE(info.BadTime);
    // A name filling the whole block has no fields after it.
    std::vector<uint8_t> full(128, 'A');
    info = ParseBlock0(full.data(), full.size());
    EXPECT_EQ(info.Name.size(), 128u);
    EXPECT_EQ(info.Size, 0);
}

TEST(TransferEngines, RenameTakesOnlyAFreeName) {
    Folder f;
    WriteFile(f / "A.TXT", {1});
    WriteFile(f / "A.TXT$", {2});
    ASSERT_TRUE(RenameExistingFile(f / "A.TXT"));
    EXPECT_EQ(ReadFile(f / "A.TXT$"), Bytes{2});
    EXPECT_EQ(ReadFile(f / "A.TXT$$"), Bytes{1});
    EXPECT_FALSE(std::filesystem::exists(f / "A.TXT"));
}

// Files whose creation is refused.
class RefusingFiles final : public TransferFileSystem {
  public:
    int OpenRead(const std::string& name, std::unique_ptr<TransferFile>& file) override {
        return kIoNotFound;
    }
    int Create(const std::string&, std::unique_ptr<TransferFile>&) override { return kIoDenied; }
};

TEST(TransferEngines, RefusedCreateFailsTheReceive) {
    Folder here;
    WriteFile(here / "x", Random(300));
    Pair pair;
    auto sender = XmodemEngine::Create(*pair.sendPort, false, false);
    auto receiver = XmodemEngine::Create(*pair.receivePort, false, false);
    std::vector<uint8_t> kinds;
    receiver->Proto().SetLogHook([&](ProtocolRecord&, uint8_t k) { kinds.push_back(k); });
    receiver->Proto().TransferFileName = here / "got";
    sender->Proto().SetFileMask(here / "x");
    RefusingFiles refusing;
    sender->PrepareTransmit();
    SetTransferFileSystem(&refusing);
    receiver->PrepareReceive();
    RunPair(*sender, *receiver);
    SetTransferFileSystem(nullptr);
    EXPECT_NE(receiver->Proto().Status(), kStatusOk);
    ASSERT_FALSE(kinds.empty());
    EXPECT_EQ(kinds.back(), kLogReceiveFailed);
    EXPECT_NE(sender->Proto().Status(), kStatusOk);
}

TEST(TransferEngines, LongAsciiDelaysKeepTheWindowAliveAndCancelWorks) {
    Folder here;
    WriteFile(here / "slow.txt", {'a', 'b', 'c'});
    Wire wire;
    uint16_t status = 0;
    auto port = TransferPort::OpenOnLink(wire.a, status);
    AsciiOptions options;
    options.CharDelay = 5000;
    auto engine = AsciiEngine::Create(*port, options);
    int backgroundCalls = 0;
    bool cancel = false;
    engine->Proto().SetBackgroundHook([&](ProtocolRecord&) {
        if (++backgroundCalls == 3) cancel = true;
    });
    port->SetAbortFunction([&] { return cancel; });
    std::vector<uint8_t> kinds;
    engine->Proto().SetLogHook([&](ProtocolRecord&, uint8_t k) { kinds.push_back(k); });
    engine->Proto().SetFileMask(here / "slow.txt");
    const auto start = std::chrono::steady_clock::now();
    engine->Transmit();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(engine->Proto().Status(), kStatusAborted);
    ASSERT_FALSE(kinds.empty());
    EXPECT_EQ(kinds.back(), kLogTransmitFailed);
    EXPECT_EQ(wire.aToB.size(), 1u);  // one byte went before the cancel
}

TEST(TransferCommands, RepliesOfTheReplyForms) {
    commands::ResetSettingsToDefaults();
    ResetTransfer();
    commands::ExecuteFunction("XSEND/S NOFILE.TXT");
    EXPECT_EQ(commands::Interpreter.FunctionReply.View(), "02");
    // Without a connection that carries it, a send fails: "08" when no port
    // opens, "07" when the link refuses the bytes.
    commands::ExecuteFunction("ZSEND/S \"" + std::string(VZ_SOURCE_DIR) + "/README.md\"");
    EXPECT_NE(commands::Interpreter.FunctionReply.View(), "00");
    EXPECT_FALSE(commands::Interpreter.FunctionSucceeded);
    commands::ExecuteFunction("KRECEIVE auto-on");
    EXPECT_EQ(commands::Settings.KermitAutoReceive, 1);
    EXPECT_TRUE(commands::Interpreter.FunctionSucceeded);
}

// YRECEIVE and XSEND with the transfer log on, against an engine on the
// other end that the front end's background work steps: each log names the
// file and its size at the start and ends with the completion.
TEST(TransferCommands, TheLogRecordsEachTransferFromItsStart) {
    class SteppingUi final : public TransferUi {
      public:
        std::function<bool()> step;
        bool done = false;
        void Background() override {
            for (int i = 0; i < 8 && !done; ++i) done = step();
        }
    };
    Folder here, there;
    commands::ResetSettingsToDefaults();
    commands::Settings.XferDebug = 1;
    commands::Settings.DownloadLock = 1;
    commands::Settings.DownloadDir = there.path() + "/";
    const Bytes data = Random(3000);
    WriteFile(here / "log me.bin", data);
    auto run = [&](void (*command)(std::string_view, std::string&), const std::string& args,
                   std::function<bool()> step, HostLink& link) {
        ResetTransfer();
        SteppingUi ui;
        ui.step = std::move(step);
        SetTransferUi(&ui);
        SetHostLink(&link);
        std::string reply;
        command(args, reply);
        SetHostLink(nullptr);
        SetTransferUi(nullptr);
        const Bytes log = ReadFile(there / "xfer.log");
        EXPECT_EQ(reply, "00");
        return std::string(log.begin(), log.end());
    };
    auto inOrder = [](const std::string& text, const std::vector<std::string>& lines) {
        size_t at = 0;
        for (const std::string& line : lines) {
            at = text.find(line, at);
            if (at == std::string::npos)
                return ::testing::AssertionFailure() << line << " in " << text;
        }
        return ::testing::AssertionSuccess();
    };
    uint16_t status = 0;
    {
        Wire wire;
        auto port = TransferPort::OpenOnLink(wire.a, status);
        auto sender = YmodemEngine::Create(*port, true, false);
        sender->Proto().SetFileMask(here / "log me.bin");
        sender->PrepareTransmit();
        const std::string log = run(
            YmodemReceiveCommand, "", [&] { return sender->TransmitStep() == kStepFinished; },
            wire.b);
        EXPECT_EQ(ReadFile(there / "log me.bin"), data);
        EXPECT_TRUE(inOrder(log, {"Ozmel File Transfer\r\n Protocol: YModem Recv  CmdLine:\r\n",
                                  "Starting receive, File Name: " + (there / "log me.bin") +
                                      "  File Size: 3000\r\n",
                                  "Transfer complete, Bytes Transferred: "}));
    }
    {
        Wire wire;
        auto port = TransferPort::OpenOnLink(wire.a, status);
        auto receiver = XmodemEngine::Create(*port, false, false);
        receiver->Proto().TransferFileName = here / "got";
        receiver->PrepareReceive();
        const std::string log = run(
            XmodemSendCommand, "\"" + (here / "log me.bin") + "\"",
            [&] { return receiver->ReceiveStep() == kStepFinished; }, wire.b);
        EXPECT_TRUE(inOrder(log, {" Protocol: XModem Send  CmdLine:",
                                  "Starting transmit, File Name: " + (here / "log me.bin") +
                                      "  File Size: 3000\r\n",
                                  "Transfer complete, Bytes Transferred: 3000\r\n"}));
    }
    commands::ResetSettingsToDefaults();
}

TEST(TransferCommands, SwitchesActOnTheProtocolTheyMeet) {
    commands::ResetSettingsToDefaults();
    const struct {
        uint8_t start;
        const char* args;
        uint8_t number;
        const char* name;
    } cases[] = {
        {kProtoXmodem, "-K -G FILE", kProtoXmodem1K, "FILE"},
        {kProtoXmodem, "-C -K FILE", kProtoXmodemCrc, "FILE"},
        {kProtoXmodem, "/g x", kProtoXmodem1KG, "x"},
        {kProtoYmodem, "-G \"a b.txt\"", kProtoYmodemG, "a b.txt"},
        {kProtoYmodem, "\"/abs/path\"", kProtoYmodem, "/abs/path"},
    };
    for (const auto& c : cases) {
        FrontEnd.ProtocolNumber = c.start;
        TransferSwitches(c.args);
        EXPECT_EQ(FrontEnd.ProtocolNumber, c.number) << c.args;
        EXPECT_EQ(FrontEnd.TransferFileName, c.name) << c.args;
    }
}

}  // namespace

#include "transfer/status_window_model.h"

namespace {

TEST(TransferStatusWindow, FiguresAsTheWindowShowsThem) {
    using namespace transfer;
    EXPECT_EQ(ShownFileName(std::string(41, 'n')), std::string(40, 'n') + "...");
    EXPECT_EQ(ShownFileName(std::string(40, 'n')), std::string(40, 'n'));
    EXPECT_EQ(ElapsedText(1092), "  1:00");
    EXPECT_EQ(ProgressPosition(5000, 10000), 50);
    EXPECT_EQ(ProgressPosition(5, 0), 0);
    EXPECT_EQ(MeterSegmentsFor(kMeterWidth, kMeterStep, 50).Whole, 19);
    const MeterSegments full = MeterSegmentsFor(kMeterWidth, kMeterStep, 100);
    EXPECT_EQ(full.Whole, 37);
    EXPECT_EQ(full.PartialWidth, 3);
    EXPECT_EQ(MeterSegmentsFor(kMeterWidth, kMeterStep, 0).Whole, 0);
    StatusView v;
    v.ProtocolNumber = kProtoYmodemG;
    v.CheckType = 3;
    v.BlockLength = 1024;
    v.FileSize = 3000;
    v.BytesTransferred = 1024;
    v.BytesRemaining = 1976;
    const auto lines = StatusLines(v);
    EXPECT_EQ(lines[0].Value, "YMODEMG");
    EXPECT_EQ(lines[1].Value, "CRC 16");
    EXPECT_EQ(lines[5].Value, "2");  // total blocks: 3000 div 1024
    EXPECT_EQ(lines[9].Value, "2");  // blocks remaining rounded up
}

}  // namespace
