#pragma once
// The ZMODEM engine: batches of files sent or received over one transfer
// port. Each direction is a polled state machine; a step does what the
// bytes at hand allow and says whether to go on, wait or stop. The sender
// starts the other side with "rz" CR, offers each file with ZFILE, streams
// its data and follows repositioning requests; the receiver invites with
// ZRINIT, decides per file whether to write, append, resume or skip, and
// asks for the data again from the last good position after an error.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "transfer/port_layer.h"
#include "transfer/protocol_record.h"
#include "transfer/zmodem/zmodem_framing.h"

namespace transfer {

// Status codes of the ZMODEM engine beside the framing's.
inline constexpr uint16_t kStatusZmodemEof = 9908;
inline constexpr uint16_t kStatusZmodemTooManyErrors = 9920;
inline constexpr uint16_t kStatusZmodemSkipped = 9930;
inline constexpr uint16_t kStatusZmodemNoLocalFile = 9932;
inline constexpr uint16_t kStatusZmodemSkippedByRule = 9933;
inline constexpr uint16_t kStatusZmodemHandshake = 9934;
inline constexpr uint16_t kStatusZmodemRenameFailed = 9919;
inline constexpr uint16_t kNoticeZmodemHandshake = 19934;

// Conversion options (ZF0 of ZFILE).
inline constexpr uint8_t kZconvBinary = 1;
inline constexpr uint8_t kZconvNewlines = 2;
inline constexpr uint8_t kZconvResume = 3;
// Management rules (low three bits of ZF1), and the skip-when-absent bit.
enum ZmodemRule : uint8_t {
    kZmNewerOrLonger = 1,
    kZmNewer = 2,
    kZmAppend = 3,
    kZmReplace = 4,
    kZmNewerDate = 5,
    kZmDifferent = 6,
    kZmProtect = 7,
};
inline constexpr uint8_t kZmSkipNoLocal = 0x80;

// What a ZFILE subpacket says.
struct ZfileInfo {
    std::string Name;  // as sent, at most 254 bytes
    int32_t Size = 0;  // clamped to what a size can count
    bool HasDate = false;
    int32_t Date = 0;  // seconds since 1970
};
ZfileInfo ParseZfileInfo(const uint8_t* data, size_t length);

// What the front end hands the engine.
struct ZmodemOptions {
    int32_t FinishWait = 0;   // ticks to wait for "OO"; 0 keeps 364
    int32_t FinishRetry = 0;  // ZFIN attempts of the receiver; 0 keeps 3
    int32_t HandshakeRetry = 0;
    bool Recover = false;
    bool Override = false;  // our management choices win over the sender's
    uint8_t WriteFail = kWriteFailRename;
    bool UseWindows = false;
    int32_t WindowSize = 0;
    std::string AsName;            // announced instead of a sent file's own name
    std::string DestDir;           // received files go into this folder
    bool DirectoryLocked = false;  // a sender's folder other than DestDir is refused
};

class ZmodemEngine {
  public:
    // nullptr (status 8 on the port) when memory runs out.
    static std::unique_ptr<ZmodemEngine> Create(TransferPort& port,
                                                const ZmodemOptions& options = {});

    ProtocolRecord& Proto() { return *proto_; }
    ZmodemFraming& Framing() { return framing_; }

    void SetFileOptions(bool override, bool skipNoLocal, uint8_t rule);
    void SetConversion(uint8_t value) { conversion_ = value; }
    void SetRecover(bool on) { recover_ = on; }

    // The loops the front end runs.
    void Transmit();
    void Receive();
    void PrepareTransmit();
    void PrepareReceive();
    int TransmitStep();  // 0 go on, 1 waiting, 2 finished
    int ReceiveStep();

    // The zero-terminated attention string the sender asked for.
    const uint8_t* Attention() const { return attention_; }
    // The management option in force (skip bit and rule).
    uint8_t ManagementOption() const { return management_; }

  private:
    ZmodemEngine(TransferPort& port) : port_(&port), framing_(port, nullptr) {}
    bool Init(const ZmodemOptions& options);

    // Shared by both directions.
    void PrepareCommon();
    // The start of every step: a link that refused our bytes turns the
    // transfer to failedState; then the common work. True when the step
    // ends there.
    bool BeginStep(bool headerWait, uint8_t failedState, uint8_t cleanupState);
    bool CommonStep(bool headerWait, int abortState);
    // The end of every step: a collector's result is no outcome.
    int EndStep(int result);
    // Feeds the waiting bytes to a collector until it has a result; kZPending
    // when the bytes ran out first.
    uint16_t CollectHeader();
    uint16_t CollectData();
    // A time-out while waiting for an answer: counted, and false (the
    // transfer failed, state failedState) when it was one too many.
    bool CountTimeout(uint8_t failedState);
    void EndTransfer();
    void Cancel();
    // Sends what the port holds; a failed send ends the transfer at the
    // next step.
    void Flush();
    void CountError();
    void Wait();
    void StartTimer(int32_t ticks) { StartTickTimer(replyTimer_, ticks); }
    bool TimerExpired() const { return TickTimerExpired(replyTimer_); }
    void SendHex(uint8_t type, uint32_t position);
    void SendBinary(uint8_t type, uint32_t position);
    void LastError(const char* text) { port_->SetLastError(text); }
    void Fail(uint16_t code);

    // Sending.
    bool StartFile();
    void BuildFileInfo();
    void Reposition(uint32_t position, bool limited);
    void HandleDataAnswer();

    // Receiving.
    void ReadFileInfo();
    void PrepareWriting();
    bool WriteData();
    // True when writing the rest or closing failed.
    bool FinishWriting();

    std::unique_ptr<ProtocolRecord> proto_;
    TransferPort* port_;
    ZmodemFraming framing_;
    ZmodemOptions options_;

    uint8_t attention_[32] = {};
    uint8_t conversion_ = 0;
    uint8_t management_ = 5;
    uint8_t transport_ = 0;
    bool override_ = false;
    bool recover_ = false;
    int32_t finishWait_ = 364;
    uint8_t finishRetry_ = 3;
    uint8_t finishCount_ = 0;
    uint8_t state_ = 0;
    TickTimer replyTimer_;
    bool endOfFile_ = false;
    uint8_t end_ = kZcrcg;
    bool fileStarted_ = false;
    uint16_t savedStatus_ = 0;
    uint8_t oCount_ = 0;
    bool newFile_ = false;
    int32_t sinceZcrcw_ = 0;
    bool inProgress_ = false;
    bool blockReduced_ = false;
    uint16_t goodBlocks_ = 0;
    uint8_t block_[kZBlockMax] = {};
    uint16_t blockCount_ = 0;
    uint8_t escaped_[kZEscapedMax] = {};
    size_t escapedLength_ = 0;
    uint8_t fileInfo_[kZBlockMax] = {};
    size_t fileInfoLength_ = 0;
    uint16_t receiverBuffer_ = 0;
    uint8_t invitation_ = kZrinit;
    uint8_t zsinitFlags_ = 0;
    bool loggedFailure_ = false;
    bool sendFailed_ = false;
    // Receiving: where the data go in the file, apart from the protocol's
    // offset (an appended file is sent from 0 but written after the old data).
    int64_t writeStart_ = 0;
    std::string senderName_;
};

}  // namespace transfer
