#pragma once
// The XMODEM engine: one file sent or received in 128-byte blocks with a
// checksum or CRC-16, in 1024-byte blocks, or streamed in 1024-byte blocks
// without acknowledgements. A polled state machine over one transfer port:
// each step does what the bytes at hand allow and says whether to go on,
// wait or stop. The YMODEM engine runs these machines for each file's data.
#include <cstdint>
#include <memory>
#include <string>

#include "transfer/port_layer.h"
#include "transfer/protocol_record.h"
#include "transfer/transfer_tools.h"

namespace transfer {

// Status codes of the XMODEM and YMODEM engines.
inline constexpr uint16_t kStatusCanHandshake = 9901;
inline constexpr uint16_t kStatusCancelled = 9902;
inline constexpr uint16_t kStatusRepeatBlock = 9903;
inline constexpr uint16_t kStatusBadBlockNumber = 9904;
inline constexpr uint16_t kStatusEndAcknowledged = 9908;
inline constexpr uint16_t kStatusBadDate = 9913;
inline constexpr uint16_t kStatusUnexpectedChar = 9914;
inline constexpr uint16_t kStatusBadCheck = 9915;
inline constexpr uint16_t kStatusNoReceiveName = 9917;
inline constexpr uint16_t kStatusRenameFailed = 9919;
inline constexpr uint16_t kStatusTooManyErrors = 9920;
inline constexpr uint16_t kErrorBlockTimeout = 12923;
inline constexpr uint16_t kNoticeRepeatBlock = 19903;
inline constexpr uint16_t kNoticeBadDate = 19913;
inline constexpr uint16_t kNoticeUnexpectedChar = 19914;
inline constexpr uint16_t kNoticeBadCheck = 19915;
inline constexpr uint16_t kNoticeRefused = 19919;

// Log kinds the engines report to the front end.
enum LogKind : uint8_t {
    kLogReceiveStart = 0,
    kLogReceiveDone = 1,
    kLogReceiveFailed = 2,
    kLogReceiveSkipped = 3,
    kLogTransmitStart = 4,
    kLogTransmitDone = 5,
    kLogTransmitFailed = 6,
    kLogTransmitSkipped = 7,
};

// What a step asks of its caller.
enum StepResult : int { kStepGoOn = 0, kStepWaiting = 1, kStepFinished = 2 };

inline constexpr uint8_t kSoh = 0x01;
inline constexpr uint8_t kStx = 0x02;
inline constexpr uint8_t kEot = 0x04;
inline constexpr uint8_t kAck = 0x06;
inline constexpr uint8_t kBs = 0x08;
inline constexpr uint8_t kNak = 0x15;
inline constexpr uint8_t kCan = 0x18;

// What the front end hands the XMODEM and YMODEM engines.
struct XyOptions {
    // Ticks to wait for the end to be acknowledged; 0 keeps 182.
    int32_t FinishWait = 0;
    // Handshake tries; 0 keeps the protocol's 10.
    int32_t HandshakeRetry = 0;
    // What to do with a received file whose name is taken (YMODEM).
    uint8_t WriteFail = kWriteFailRename;
    // The name announced for a sent file instead of its own (YMODEM).
    std::string AsName;
    // Received files go into this folder whatever the sender's name says.
    std::string DestDir;
};

class XmodemEngine {
  public:
    // nullptr (status 8 on the port) when memory runs out.
    static std::unique_ptr<XmodemEngine> Create(TransferPort& port, bool oneK, bool streaming,
                                                const XyOptions& options = {});
    virtual ~XmodemEngine() = default;

    ProtocolRecord& Proto() { return *proto_; }
    void SetBlockSize(bool oneK);

    // The loops the front end runs: prepare, then steps until finished, the
    // background hook after every step that waits.
    void Transmit();
    void Receive();
    void PrepareTransmit();
    void PrepareReceive();
    StepResult TransmitStep();
    StepResult ReceiveStep();

    // The block checks: a received block (block number, complement, data,
    // check bytes; BlockLen data bytes) judged against the block number
    // expected. Public so that arbitrary bytes can be fed to it.
    enum class BlockVerdict { kGood, kRepeat, kBadNumber, kBadCheck, kOutOfSequence };
    BlockVerdict CheckBlock(const uint8_t* block, uint16_t blockLen, bool crc,
                            uint16_t expected) const;

  protected:
    XmodemEngine() = default;
    bool Init(TransferPort& port, bool oneK, bool streaming, const XyOptions& options);

    enum TxState : uint8_t {
        kTxStart,
        kTxHandshake,
        kTxReadBlock,
        kTxSend,
        kTxAnswer,
        kTxEof,
        kTxEofAnswer,
        kTxFinish,
        kTxDone,
    };
    enum RxState : uint8_t {
        kRxStart,
        kRxWaitFirst,
        kRxBlockStart,
        kRxCollect,
        kRxCheck,
        kRxFinishStart,
        kRxFinish,
        kRxDone,
    };

    // Shared with YMODEM.
    bool StepPreamble();  // abort test and status timer; true when aborted
    void SendBlock(const uint8_t* data);
    void SendHandshake();
    bool HandshakeAnswer(int c);  // false when the handshake must be retried
    bool RetryHandshake();        // false when the tries are used up
    // One step of the sender's wait for the receiver's handshake byte: an
    // accepted byte starts the transfer's timers.
    enum class HandshakeWait : uint8_t { Waiting, Accepted, Retried, Failed };
    HandshakeWait WaitForHandshake();
    void Cancel();
    void SendReply(uint8_t c);
    void CountError();
    int ReadyByte();  // a byte that waits, else kNoLinkByte
    void CheckBlockReceived();
    void StartTimer(int32_t ticks) { StartTickTimer(ReplyTimer, ticks); }
    bool TimerExpired() const { return TickTimerExpired(ReplyTimer); }
    void Background();

    std::unique_ptr<ProtocolRecord> proto_;
    TransferPort* port_ = nullptr;
    XyOptions options_;

    uint8_t StartChar = kSoh;
    bool OneK = false;
    int32_t BlockWait = 91;
    uint8_t MaxErrors = 5;
    uint8_t FirstBlockNum = 1;
    bool Streaming = false;
    int32_t FinishWait = 182;
    bool FirstBlock = true;
    uint8_t HandshakeChar = kNak;
    uint8_t EotNaks = 0;
    uint8_t EotCount = 0;
    uint8_t CanCount = 0;
    TickTimer ReplyTimer;
    bool EofRead = false;
    uint8_t BlockBuffer[1029] = {};
    uint16_t Received = 0;
    uint16_t TrailerLen = 4;
    uint16_t DataSize = 0;  // send: data bytes the current block holds
    int32_t HandshakeTries = 0;
    TxState txState_ = kTxStart;
    RxState rxState_ = kRxStart;
    // Run inside a YMODEM batch: the batch makes the first and last status
    // calls and owns the port's active flag.
    bool inBatch_ = false;
    bool loggedFailure_ = false;
};

}  // namespace transfer
