#pragma once
// The Kermit engine of the transfer front end: a batch of files sent, or
// received, as polled state machines over one transfer port, with sliding
// windows, long packets where both sides agree, retries, time-outs, cancel
// and attribute packets. Each step does what the bytes at hand allow.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "transfer/kermit/kermit_packets.h"
#include "transfer/port_layer.h"
#include "transfer/protocol_record.h"
#include "transfer/xmodem_engine.h"

namespace transfer {

// Status codes of the Kermit engine beside the shared ones.
inline constexpr uint16_t kStatusWindowHole = 2930;
inline constexpr uint16_t kStatusNoMoreData = 9908;
inline constexpr uint16_t kStatusNotOverwritten = 9911;
inline constexpr uint16_t kErrorTooManyWindows = 18904;

// What the front end hands the Kermit engine (from its options).
struct KermitSettings {
    int32_t MaxLen = 0;  // 0 keeps 80; above 94 offers long packets up to it
    uint8_t PadCount = 0;
    uint8_t PadChar = 0;
    uint8_t Eol = 13;
    uint8_t CtlPrefix = '#';
    uint8_t HighBitPrefix = 'Y';
    uint8_t RepeatPrefix = '~';
    uint8_t Check = 1;  // 1, 2 or 5 (CRC)
    bool UseWindows = false;
    int32_t Windows = 0;
    int32_t HandshakeRetry = 0;
    uint8_t WriteFail = kWriteFailRename;
    std::string AsName;   // the name announced for a sent file instead of its own
    std::string DestDir;  // received files go into this folder
    bool IncludeDirectory = false;
};

class KermitEngine {
  public:
    // nullptr (status 8 on the port) when memory runs out.
    static std::unique_ptr<KermitEngine> Create(TransferPort& port,
                                                const KermitSettings& settings = {});

    ProtocolRecord& Proto() { return *proto_; }
    // 0 turns windows off, 1..27 allows that many; more is refused (18904).
    void SetWindows(int32_t count);

    void Transmit();
    void Receive();
    void PrepareTransmit();
    void PrepareReceive();
    StepResult TransmitStep();
    StepResult ReceiveStep();

    // What the last Send-Init exchange agreed (for the status and tests).
    const kermit::Agreement& Agreed() const { return agreed_; }
    const kermit::KermitOptions& OwnOptions() const { return own_; }

  private:
    KermitEngine() = default;

    enum State : uint8_t {
        kTxInit,
        kTxInitWait,
        kTxFirstFile,
        kTxFileHeader,
        kTxFileWait,
        kTxData,
        kTxDataWait,
        kTxEof,
        kTxEofWait,
        kTxBreak,
        kTxBreakWait,
        kTxSuccess,
        kTxDrain,
        kTxFailed,
        kRxInit,
        kRxInitWait,
        kRxFileWait,
        kRxData,
        kRxBatchDone,
        kRxFailed,
        kRxCancelled,
        kDone,
    };

    struct Slot {
        bool InUse = false;
        bool Received = false;
        uint8_t Seq = 0;
        uint8_t Retries = 0;
        std::vector<uint8_t> Data;
    };

    // What a new batch starts from, in either direction.
    void PrepareRun(State first);
    // Steps until the batch ends, the window kept alive between steps.
    void RunSteps(StepResult (KermitEngine::*step)());
    void Background();
    bool Aborted();  // the user's cancel: the cancel is sent, the state set
    void StatusTimerStep();
    // Reads what waits: kPacket with the packet in reader_, kBad for a bad
    // one, kIncomplete while waiting; timedOut when the reply timer ran out.
    kermit::PacketReader::Result ReadPacket(bool& timedOut);
    // Counts an error; true when there were too many.
    bool CountError();
    void StartTimer(int32_t ticks) { StartTickTimer(replyTimer_, ticks); }

    // oneCharCheck: an answer to a Send-Init, checked as the Send-Init was.
    void SendPacket(uint8_t type, uint8_t seq, const uint8_t* data, size_t length,
                    bool oneCharCheck = false);
    void SendPacket(uint8_t type, uint8_t seq, const std::string& data, bool oneCharCheck = false) {
        SendPacket(type, seq, reinterpret_cast<const uint8_t*>(data.data()), data.size(),
                   oneCharCheck);
    }
    void Resend();
    void SendAck(uint8_t seq, const std::string& data = {});
    void SendNak(uint8_t seq);
    void SendError(const std::string& text);
    void SendCancel();
    uint8_t CheckInForce() const { return negotiated_ ? agreed_.CheckType : uint8_t('1'); }
    bool ProcessRemoteOptions(bool asReceiver);

    // Sending.
    void PerFileReset();
    bool StartFile();  // prepare reading, first block; false on failure
    std::string AnnouncedName() const;
    bool FillWork();
    StepResult SendWindow();
    StepResult DataAnswer(const kermit::PacketReader& r);
    void SendSlot(Slot& s);
    Slot* SlotFor(uint8_t seq);
    bool AnySlotInUse() const;

    // Receiving.
    void OpenReceivedFile();
    bool StoreData(uint8_t seq, const uint8_t* data, size_t length);
    bool WriteDecoded(const uint8_t* data, size_t length);
    void FinishFile(bool discard);
    void FailReceive();

    std::unique_ptr<ProtocolRecord> proto_;
    TransferPort* port_ = nullptr;
    KermitSettings settings_;
    kermit::KermitOptions own_;
    kermit::KermitOptions remote_;
    kermit::KermitOptions ownDefaults_;
    kermit::Agreement agreed_;
    kermit::Prefixes sendPrefixes_;
    kermit::Prefixes receivePrefixes_;
    bool negotiated_ = false;
    bool windowsAllowed_ = false;
    uint8_t windowCount_ = 1;
    kermit::PacketReader reader_;
    std::vector<uint8_t> packet_;     // the last packet sent, whole
    std::vector<uint8_t> encoded_;    // data characters being built
    std::vector<uint8_t> decoded_;    // bytes decoded from a packet
    std::vector<uint8_t> workBlock_;  // file data being encoded
    size_t workIndex_ = 0;
    bool endOfFile_ = false;
    std::vector<Slot> slots_;
    uint8_t windowLow_ = 0;    // receive: the oldest sequence not yet written
    uint8_t highestSeen_ = 0;  // receive: the newest sequence stored
    uint8_t nextSeq_ = 0;      // send: the sequence of the next data packet
    State state_ = kTxInit;
    TickTimer replyTimer_;
    bool receivingFile_ = false;
    bool fileSkipped_ = false;
    bool discardFile_ = false;
    bool loggedEnd_ = false;
    uint8_t lastSentType_ = 0;
};

}  // namespace transfer
