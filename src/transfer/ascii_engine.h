#pragma once
// The ASCII engine: a text file sent to the host as plain characters, with
// line-end translation and pacing delays; plain characters from the host
// captured into a file until a Ctrl-Z or a quiet time. No handshake, no
// block check, no answers. A polled state machine over one transfer port.
#include <cstdint>
#include <memory>

#include "transfer/port_layer.h"
#include "transfer/protocol_record.h"
#include "transfer/xmodem_engine.h"

namespace transfer {

struct AsciiOptions {
    uint16_t CharDelay = 0;  // milliseconds after each byte sent
    uint16_t LineDelay = 0;  // milliseconds after each end-of-line byte sent
    uint8_t EolChar = 13;
    uint8_t CRMode = 0;  // 0 send CR, 1 strip CR, 2 send LF after
    uint8_t LFMode = 0;  // 0 send LF, 1 strip LF, 2 send CR before
    bool StopOnCtrlZ = false;
    std::string DestDir;
};

class AsciiEngine {
  public:
    static std::unique_ptr<AsciiEngine> Create(TransferPort& port, const AsciiOptions& options);

    ProtocolRecord& Proto() { return *proto_; }
    void Transmit();
    void Receive();
    void PrepareTransmit();
    void PrepareReceive();
    StepResult TransmitStep();
    StepResult ReceiveStep();

  private:
    AsciiEngine() = default;
    void Background();
    void PutTranslated(uint8_t b);
    bool WriteCollected();

    enum State : uint8_t {
        kTxStart,
        kTxRead,
        kTxSend,
        kTxDelay,
        kTxDrain,
        kTxFinish,
        kRxStart,
        kRxCollect,
        kRxFinish,
        kDone,
    };

    std::unique_ptr<ProtocolRecord> proto_;
    TransferPort* port_ = nullptr;
    AsciiOptions options_;
    bool EndSeen = false;
    int32_t RecvTimeout = 364;
    bool FirstByte = true;
    uint16_t Index = 0;
    uint16_t BlockBytes = 0;
    State State_ = kTxStart;
    uint8_t Buffer[1024] = {};
    bool LastBlock = false;
    TickTimer Timer;
    uint16_t Collected = 0;
    uint32_t DelayUntil = 0;  // milliseconds of the tick clock
    bool aborted_ = false;
};

}  // namespace transfer
