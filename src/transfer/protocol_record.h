#pragma once
// The state every transfer engine shares, one record per transfer: the
// front end's hooks (status, log, background work, next file, accepting a
// received file), the status calls, and the default file hooks that read
// and write through an 8192-byte buffer.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "console/file_search.h"
#include "transfer/port_layer.h"
#include "transfer/transfer_files.h"
#include "transfer/transfer_tools.h"

namespace transfer {

// Status codes of the protocol layer (beside the I/O codes and the port's).
inline constexpr uint16_t kStatusNoFileName = 2;
inline constexpr uint16_t kStatusShortWrite = 101;
inline constexpr uint16_t kStatusNoFileOpen = 103;
// A block was written somewhere else than where the previous one ended.
inline constexpr uint16_t kStatusWriteOutOfOrder = 105;
inline constexpr uint16_t kStatusNoSuchFolder = 9905;
inline constexpr uint16_t kStatusNoMatch = 9906;
inline constexpr uint16_t kStatusNoMask = 9916;
// A file of 2 GiB or more: the protocols' sizes and offsets cannot count it.
inline constexpr uint16_t kStatusFileTooLarge = 9917;
inline constexpr uint16_t kStatusHeldA = 9937;
inline constexpr uint16_t kStatusHeldB = 9938;
inline constexpr uint16_t kWarningNoCrcBuffer = 10008;
inline constexpr uint16_t kWarningOffset = 10000;
inline constexpr uint16_t kNoticeRenamed = 19910;
inline constexpr uint16_t kStatusRefusedExisting = 19911;

inline constexpr size_t kFileBufferSize = 8192;
inline constexpr uint8_t kPadByte = 0x1A;

enum ProtocolType : uint8_t {
    kXmodem = 0,
    kXmodemCrc = 1,
    kXmodem1K = 2,
    kXmodem1KG = 3,
    kYmodem = 4,
    kYmodemG = 5,
    kZmodem = 6,
    kKermit = 7,
    kAscii = 8,
};

// What to do when a received file exists.
enum WriteFail : uint8_t { kWriteFailRefuse = 0, kWriteFailRename = 1, kWriteFailOverwrite = 2 };

// Option bits; the top three cannot be set by SetProtocolOptions.
inline constexpr uint16_t kOptionIncludeDirectory = 0x0001;
inline constexpr uint16_t kOptionKeepSenderDirectory = 0x0002;
inline constexpr uint16_t kOptionsReserved = 0xE000;

struct ProtocolRecord {
    using StatusFn = std::function<void(ProtocolRecord&, bool starting, bool ending)>;
    using LogFn = std::function<void(ProtocolRecord&, uint8_t kind)>;
    using NameFn = std::function<bool(ProtocolRecord&, std::string& name)>;
    using StepFn = std::function<void(ProtocolRecord&)>;
    using ReadFn = std::function<bool(ProtocolRecord&, uint8_t* block, uint16_t& size)>;
    using WriteFn = std::function<bool(ProtocolRecord&, const uint8_t* block, uint16_t size)>;

    // A record with its defaults over the given port; nullptr (8 reported
    // through the port) when memory runs out.
    static std::unique_ptr<ProtocolRecord> Create(TransferPort& port, uint16_t options);
    ~ProtocolRecord();
    ProtocolRecord(const ProtocolRecord&) = delete;
    ProtocolRecord& operator=(const ProtocolRecord&) = delete;

    uint16_t Status() const { return Port->Status(); }
    void SetStatus(uint16_t code) { Port->SetStatus(code); }

    void SetStatusHook(StatusFn hook) { StatusHook = std::move(hook); }
    void SetLogHook(LogFn hook) { LogHook = std::move(hook); }
    void SetBackgroundHook(StepFn hook) { BackgroundHook = std::move(hook); }
    void SetFileMask(std::string_view mask) { SearchMask = std::string(mask); }
    void SetProtocolOptions(uint16_t bits) {
        Options = uint16_t(Options | (bits & ~kOptionsReserved));
    }

    // The engines' status calls. Starting reaches the hook once at the
    // outermost first call, Ending once at the outermost last call.
    void UpdateStatus(bool starting, bool ending);
    void ShowFirstStatus();
    void ShowLastStatus();
    void ResetStatus();

    // The default hooks.
    bool NextFileByMask(std::string& name);
    void PrepareReading();
    bool ReadProtocolBlock(uint8_t* block, uint16_t& size);
    void FinishReading();
    void PrepareWriting();
    bool WriteProtocolBlock(const uint8_t* block, uint16_t size);
    // Writes what the buffer holds and closes; true when that failed.
    bool FinishWriting();

    // The running CRC-32 (from 0xFFFFFFFF, not inverted) of the first maxLen
    // bytes of a file (0: all of it); 0 with a warning reported when it
    // cannot be read.
    uint32_t FileCrc32(const std::string& name, int32_t maxLen);

    TransferPort* Port = nullptr;
    uint8_t ProtocolType = kXmodem;
    int32_t SrcFileLen = 0;
    int32_t SrcFileDate = 0;
    StatusFn StatusHook;
    uint32_t BlockCheck = 0;
    uint8_t CheckType = 0;
    uint16_t HandshakeWait = 182;
    uint16_t HandshakeRetry = 10;
    uint16_t BlockLen = 128;
    uint16_t BlockNum = 0;
    uint16_t Options = 0;
    uint16_t TransTimeout = 1092;
    std::string PathName;
    NameFn NextFileHook;
    console::SearchRec SearchRec;
    std::string SearchMask;
    bool FindingFirst = false;
    std::string DestDir;
    LogFn LogHook;
    NameFn AcceptFileHook;
    StepFn BackgroundHook;
    int32_t BytesRemaining = 0;
    int32_t BytesTransferred = 0;
    uint16_t BlockErrors = 0;
    uint16_t TotalErrors = 0;
    TickTimer TransferTimer;
    int32_t ElapsedTicks = 0;
    uint8_t StatusDepth = 0;
    uint8_t EotsToNak = 1;
    uint16_t CharsPerSec = 0;
    uint16_t OverheadBytes = 0;
    uint16_t TurnaroundMs = 0;
    TickTimer StatusTimer;
    bool ForceStatus = false;
    uint16_t StatusInterval = 18;
    StepFn PrepareReadingHook;
    ReadFn ReadBlockHook;
    StepFn FinishReadingHook;
    StepFn PrepareWritingHook;
    WriteFn WriteBlockHook;
    std::function<bool(ProtocolRecord&)> FinishWritingHook;
    std::unique_ptr<TransferFile> WorkFile;
    std::vector<uint8_t> FileBuffer;
    int32_t BufStart = 0;
    int32_t BufEnd = 0;
    int32_t LastOfs = 0;
    int32_t FileOfs = 0;
    int32_t EndOfData = 0;
    bool EofInBuffer = false;
    uint8_t WriteFailOption = kWriteFailRename;
    bool FileOpen = false;
    // Received data have each LF written as CR LF; for the current file only.
    bool ConvertNewlines = false;
    // The phase the engine is in, as the status window and the log show it.
    std::string StatusText = "Initializing";
    // The front end's file name: the one the user gave, then the name the
    // engine chose for a received file.
    std::string TransferFileName;
    // Names of files given or received are raised to upper case.
    bool UpcaseNames = false;

  private:
    ProtocolRecord() = default;
    // Reports an I/O failure and makes it the transfer's status, so that the
    // engine stops and the transfer fails rather than reporting success.
    void Fail(uint16_t code);
    // Writes the bytes placed in the buffer; false after a failure.
    bool WriteOut(const uint8_t* bytes, size_t count);
};

}  // namespace transfer
