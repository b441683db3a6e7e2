#pragma once
// The YMODEM engine: batches of files, each announced by a block 0 with its
// name, size and time, its data carried by the XMODEM machines; an empty
// block 0 ends the batch. YMODEM-G streams the data without answers.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "transfer/xmodem_engine.h"

namespace transfer {

// What a received block 0 says.
struct Block0Info {
    bool EndOfBatch = false;
    std::string Name;       // as sent, at most 254 bytes
    int32_t Size = 0;       // 0 when absent or not a number
    bool TooLarge = false;  // the size does not fit in 31 bits
    int32_t Time = 0;       // seconds since 1970; 0 when absent
    bool BadTime = false;   // a time field that is not an octal number that fits
};

// Reads a block 0 of len bytes (128 or 1024), never beyond it.
Block0Info ParseBlock0(const uint8_t* data, size_t len);

// Builds the block 0 for a file; returns its length, 128 or 1024.
size_t BuildBlock0(uint8_t* block, std::string_view announcedName, int32_t size, int32_t dosTime);

class YmodemEngine final : public XmodemEngine {
  public:
    static std::unique_ptr<YmodemEngine> Create(TransferPort& port, bool oneK, bool streaming,
                                                const XyOptions& options = {});

    void Transmit();
    void Receive();
    void PrepareTransmit();
    void PrepareReceive();
    StepResult TransmitStep();
    StepResult ReceiveStep();

  private:
    YmodemEngine() = default;
    bool StartFileInfo();
    void ReadBlock0();
    void AfterFileReceived();
    void EndReceiveBatch(bool failed);

    enum BatchState : uint8_t {
        kSendStart,
        kSendHandshake,
        kSendFileInfo,
        kSendInfoBlock,
        kSendInfoAnswer,
        kSendFile,
        kSendEnd,
        kSendEndAnswer,
        kSendDone,
        kRecvPerFile,
        kRecvHandshake,
        kRecvWaitFirst,
        kRecvBlockStart,
        kRecvCollect,
        kRecvFile,
        kRecvDone,
    };

    BatchState BatchState_ = kSendStart;
    std::string FileName;
    std::string AnnouncedName;
    int32_t SavedSize = 0;
    bool BatchStarted = false;
    int32_t FileTime = 0;
    uint8_t Block0[1024] = {};
    size_t Block0Len = 128;
    uint8_t BatchEots = 0;
};

}  // namespace transfer
