// The protocol record's status calls and default file hooks, over real files
// in a scratch folder and a file system that fails on purpose.
#include "transfer/protocol_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "transfer/block_checks.h"
#include "transfer/host_link.h"
#include "transfer/port_layer.h"
#include "transfer/transfer_files.h"

namespace transfer {
namespace {

namespace fs = std::filesystem;

class NoLink final : public HostLink {
  public:
    void Poll() override {}
    bool ByteReady() override { return false; }
    int ReadByte() override { return kNoLinkByte; }
    uint32_t BytesWaiting() override { return 0; }
    bool Unread(uint32_t) override { return false; }
    bool Send(const uint8_t*, size_t) override { return true; }
    void SendBreak() override {}
};

// Files whose size or writes are told by the test.
class FailingFiles final : public TransferFileSystem {
  public:
    int64_t size = 0;
    size_t writeRoom = 0;  // bytes the "disk" takes before it is full
    int createResult = kIoOk;

    class File final : public TransferFile {
      public:
        explicit File(FailingFiles& owner) : owner_(owner) {}
        int64_t Size() override { return owner_.size; }
        int32_t DosTime() override { return 0; }
        int ReadAt(int64_t, uint8_t*, size_t, size_t& got) override {
            got = 0;
            return kIoOk;
        }
        int Write(const uint8_t*, size_t count, size_t& written) override {
            written = std::min(count, owner_.writeRoom);
            owner_.writeRoom -= written;
            return kIoOk;
        }
        int Close() override { return kIoOk; }

      private:
        FailingFiles& owner_;
    };
    int OpenRead(const std::string& name, std::unique_ptr<TransferFile>& file) override {
        if (name.find("missing") != std::string::npos) return kIoNotFound;
        file = std::make_unique<File>(*this);
        return kIoOk;
    }
    int Create(const std::string&, std::unique_ptr<TransferFile>& file) override {
        if (createResult != kIoOk) return createResult;
        file = std::make_unique<File>(*this);
        return kIoOk;
    }
};

class ProtocolLayer : public ::testing::Test {
  protected:
    void SetUp() override {
        SetHostLink(&link);
        uint16_t status = 0;
        port = TransferPort::OpenDefault(1, 19200, status);
        ASSERT_TRUE(port);
        record = ProtocolRecord::Create(*port, 0);
        ASSERT_TRUE(record);
        dir = fs::temp_directory_path() /
              ("xfer_record_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        record.reset();
        port.reset();
        SetTransferFileSystem(nullptr);
        SetHostLink(nullptr);
        fs::remove_all(dir);
    }

    std::string PathOf(const std::string& name) const { return (dir / name).string(); }
    void WriteFile(const std::string& name, const std::string& bytes) const {
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
    }
    std::string ReadFile(const std::string& name) const {
        std::ifstream in(PathOf(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    NoLink link;
    std::unique_ptr<TransferPort> port;
    std::unique_ptr<ProtocolRecord> record;
    fs::path dir;
};

TEST_F(ProtocolLayer, DefaultsAndOptions) {
    EXPECT_EQ(record->HandshakeWait, 182);
    EXPECT_EQ(record->HandshakeRetry, 10);
    EXPECT_EQ(record->BlockLen, 128);
    EXPECT_EQ(record->TransTimeout, 1092);
    EXPECT_EQ(record->StatusInterval, 18);
    EXPECT_EQ(record->EotsToNak, 1);
    EXPECT_EQ(record->CharsPerSec, 1920);
    record->SetProtocolOptions(0xFFFF);
    EXPECT_EQ(record->Options, 0x1FFF);
}

TEST_F(ProtocolLayer, StatusHookSeesOneStartAndOneEnd) {
    std::vector<std::string> calls;
    record->SetStatusHook([&](ProtocolRecord& r, bool starting, bool ending) {
        calls.push_back(std::string(starting ? "S" : "-") + (ending ? "E" : "-") +
                        std::to_string(r.Status()));
    });
    record->ShowFirstStatus();
    record->ShowFirstStatus();
    record->SetStatus(kStatusHeldA);  // held at 0 while the hook runs, then restored
    record->ShowLastStatus();
    EXPECT_EQ(record->Status(), kStatusHeldA);
    record->SetStatus(2923);
    record->ShowLastStatus();
    record->ShowLastStatus();  // nothing more at depth 0
    EXPECT_EQ(calls, (std::vector<std::string>{"S-0", "--0", "--0", "-E2923"}));
}

TEST_F(ProtocolLayer, NextFileByMask) {
    WriteFile("one.txt", "1");
    WriteFile("two.txt", "22");
    std::string name;

    record->SetFileMask(PathOf("*.dat"));
    record->FindingFirst = true;
    EXPECT_FALSE(record->NextFileHook(*record, name));
    EXPECT_EQ(port->LastError(), "9906");
    EXPECT_EQ(name, "");

    record->SetFileMask(PathOf("nowhere/*.txt"));
    record->FindingFirst = true;
    name = "x";
    EXPECT_FALSE(record->NextFileHook(*record, name));
    EXPECT_EQ(name, "");
    EXPECT_EQ(port->LastError(), "9905");

    record->SetFileMask("");
    EXPECT_FALSE(record->NextFileHook(*record, name));
    EXPECT_EQ(record->Status(), kStatusNoMask);

    // A mask that names one file gives it exactly as typed.
    record->SetFileMask(PathOf("one.txt"));
    record->FindingFirst = true;
    ASSERT_TRUE(record->NextFileHook(*record, name));
    EXPECT_EQ(name, PathOf("one.txt"));

    std::vector<std::string> found;
    record->SetFileMask(PathOf("*.txt"));
    record->FindingFirst = true;
    while (record->NextFileHook(*record, name)) found.push_back(name);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{PathOf("one.txt"), PathOf("two.txt")}));
}

TEST_F(ProtocolLayer, ReadsBlocksWithPaddedLastBlock) {
    std::string data(300, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = char(i * 31);
    WriteFile("data.bin", data);
    record->PathName = PathOf("data.bin");
    record->PrepareReadingHook(*record);
    ASSERT_TRUE(record->FileOpen);
    EXPECT_EQ(record->SrcFileLen, 300);
    EXPECT_NE(record->SrcFileDate, 0);

    std::string got;
    std::vector<uint16_t> sizes;
    uint8_t block[128];
    bool last = false;
    while (!last) {
        uint16_t size = 128;
        last = record->ReadBlockHook(*record, block, size);
        sizes.push_back(size);
        got.append(reinterpret_cast<char*>(block), size);
        if (last) {
            for (size_t i = size; i < 128; ++i) ASSERT_EQ(block[i], kPadByte);
        }
        record->FileOfs += size;
    }
    EXPECT_EQ(sizes, (std::vector<uint16_t>{128, 128, 44}));
    EXPECT_EQ(got, data);

    // Going back reloads from the earlier offset.
    record->FileOfs = 100;
    uint16_t size = 128;
    EXPECT_FALSE(record->ReadBlockHook(*record, block, size));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block), 128), data.substr(100, 128));
    record->FinishReadingHook(*record);
    EXPECT_FALSE(record->FileOpen);

    record->PathName = PathOf("missing.bin");
    record->PrepareReadingHook(*record);
    EXPECT_FALSE(record->FileOpen);
    EXPECT_EQ(record->Status(), kIoNotFound);

    // 2 GiB and more cannot be counted by the protocols: refused.
    FailingFiles files;
    files.size = int64_t(1) << 31;
    SetTransferFileSystem(&files);
    record->PathName = "huge.bin";
    record->PrepareReadingHook(*record);
    EXPECT_FALSE(record->FileOpen);
    EXPECT_EQ(record->Status(), kStatusFileTooLarge);
}

TEST_F(ProtocolLayer, ReceivedFilesAreWrittenWhole) {
    std::string data(20000, '\0');
    for (size_t i = 0; i < data.size(); ++i) data[i] = char(i * 7 + i / 300);
    record->PathName = PathOf("in.bin");
    record->PrepareWritingHook(*record);
    ASSERT_TRUE(record->FileOpen);
    for (size_t at = 0; at < data.size(); at += 1024) {
        const uint16_t n = uint16_t(std::min<size_t>(1024, data.size() - at));
        ASSERT_FALSE(
            record->WriteBlockHook(*record, reinterpret_cast<const uint8_t*>(data.data()) + at, n));
        record->FileOfs += n;
    }
    EXPECT_FALSE(record->FinishWritingHook(*record));
    EXPECT_EQ(ReadFile("in.bin"), data);

    // Newline conversion stores LF as CR LF without a short-write report.
    record->PathName = PathOf("text.txt");
    record->FileOfs = 0;
    record->PrepareWritingHook(*record);
    record->ConvertNewlines = true;
    const uint8_t text[] = {0x41, 0x0A, 0x42};
    EXPECT_FALSE(record->WriteBlockHook(*record, text, 3));
    EXPECT_FALSE(record->FinishWritingHook(*record));
    EXPECT_EQ(ReadFile("text.txt"), "A\r\nB");
    EXPECT_EQ(record->Status(), 0);

    // A block with no file open fails the transfer.
    EXPECT_TRUE(record->WriteBlockHook(*record, text, 3));
    EXPECT_EQ(record->Status(), kStatusNoFileOpen);
}

TEST_F(ProtocolLayer, ExistingFilesAreRenamedOrRefused) {
    WriteFile("REPORT.TXT", "old");
    record->PathName = PathOf("REPORT.TXT");
    record->WriteFailOption = kWriteFailRename;
    record->PrepareWritingHook(*record);
    ASSERT_TRUE(record->FileOpen);
    EXPECT_EQ(record->PathName, PathOf("$EPORT.TXT"));
    EXPECT_EQ(port->LastError(), "19910");
    EXPECT_EQ(record->Status(), 0);
    record->FinishWritingHook(*record);
    EXPECT_TRUE(fs::exists(PathOf("$EPORT.TXT")));

    // The "$" name is taken as well: refused, neither file replaced.
    WriteFile("$EPORT.TXT", "kept");
    record->PathName = PathOf("REPORT.TXT");
    record->PrepareWritingHook(*record);
    EXPECT_FALSE(record->FileOpen);
    EXPECT_EQ(record->Status(), kStatusRefusedExisting);
    EXPECT_EQ(ReadFile("$EPORT.TXT"), "kept");

    record->WriteFailOption = kWriteFailRefuse;
    record->PathName = PathOf("REPORT.TXT");
    record->PrepareWritingHook(*record);
    EXPECT_FALSE(record->FileOpen);
    EXPECT_EQ(port->LastError(), "19911");
    EXPECT_EQ(ReadFile("REPORT.TXT"), "old");

    record->WriteFailOption = kWriteFailOverwrite;
    record->PrepareWritingHook(*record);
    ASSERT_TRUE(record->FileOpen);
    EXPECT_FALSE(record->FinishWritingHook(*record));
    EXPECT_EQ(ReadFile("REPORT.TXT"), "");
}

TEST_F(ProtocolLayer, RefusedCreateAndFullDiskFailTheTransfer) {
    FailingFiles files;
    SetTransferFileSystem(&files);
    record->PathName = "missing-new.bin";
    files.createResult = kIoDenied;
    record->PrepareWritingHook(*record);
    EXPECT_FALSE(record->FileOpen);
    EXPECT_EQ(record->Status(), kIoDenied);

    files.createResult = kIoOk;
    files.writeRoom = 10000;
    record->PrepareWritingHook(*record);
    ASSERT_TRUE(record->FileOpen);
    std::vector<uint8_t> block(1024, 'x');
    bool failed = false;
    for (int i = 0; i < 20 && !failed; ++i) {
        failed = record->WriteBlockHook(*record, block.data(), 1024);
        record->FileOfs += 1024;
    }
    if (!failed) failed = record->FinishWritingHook(*record);
    EXPECT_TRUE(failed);
    EXPECT_EQ(record->Status(), kStatusShortWrite);
}

TEST_F(ProtocolLayer, FileCrc32) {
    WriteFile("check.txt", "123456789");
    EXPECT_EQ(record->FileCrc32(PathOf("check.txt"), 0), ~0xCBF43926u);
    const uint8_t head[] = {'1', '2', '3', '4'};
    EXPECT_EQ(record->FileCrc32(PathOf("check.txt"), 4), UpdateCrc32(head, 4, 0xFFFFFFFFu));
    EXPECT_EQ(record->FileCrc32(PathOf("missing.txt"), 0), 0u);
    EXPECT_EQ(port->LastError(), "10002");
}

}  // namespace
}  // namespace transfer
