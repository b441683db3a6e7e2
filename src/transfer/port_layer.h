#pragma once
// The port layer: a transfer's view of the connection as a port record with
// byte reads, a batched output, flushes, buffer figures, the time-out or
// abort test and the string and block writers the engines use. One port per
// transfer; all of it reaches the host through the HostLink port.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "transfer/transfer_tools.h"

namespace transfer {
class HostLink;
}

namespace transfer {

// Status codes of the port layer (the transfer status word).
inline constexpr uint16_t kStatusOk = 0;
inline constexpr uint16_t kStatusNoMemory = 8;
inline constexpr uint16_t kStatusBadBufferSize = 8901;
inline constexpr uint16_t kStatusNoPortLayer = 8905;
inline constexpr uint16_t kStatusSendFailed = 2921;
inline constexpr uint16_t kStatusTimeout = 2923;
inline constexpr uint16_t kStatusAborted = 2926;
// Codes only reported as the last error text.
inline constexpr uint16_t kErrorNoOutputSpace = 12921;
inline constexpr uint16_t kErrorEmptyBlock = 18904;
// A time-out or abort while draining is reported as its status plus this.
inline constexpr uint16_t kErrorWhileDraining = 10000;

// Port option bits.
inline constexpr uint16_t kPortDefaultOptions = 0x0077;
inline constexpr uint16_t kPortNoSpaceCheck = 0x0004;  // writers skip the free-space test
inline constexpr uint16_t kPortLineControl = 0x0040;   // open sets line-control bits 0 and 1
inline constexpr uint16_t kPortKeptOption = 0x1000;    // survives the options given at open

// The defaults a transfer opens its port with.
inline constexpr uint16_t kDefaultInSize = 2048;
inline constexpr uint16_t kDefaultOutSize = 2078;
inline constexpr int32_t kDefaultBaud = 19200;

// Bytes the output batch holds; the writers see one less as free space.
inline constexpr size_t kBatchSize = 2080;
inline constexpr uint16_t kOutputFree = 2079;

class TransferPort {
  public:
    // Makes a port record with buffers of the given sizes (each 10..65521);
    // on failure nullptr, with status 8901 for a size out of range, 8905
    // while no host link is installed, 8 when memory runs out.
    static std::unique_ptr<TransferPort> Open(uint8_t portNumber, uint16_t inSize, uint16_t outSize,
                                              uint16_t options, uint16_t& status);
    // The port every transfer uses: the default sizes and options; the baud
    // rate is not the connection's business and is ignored.
    static std::unique_ptr<TransferPort> OpenDefault(uint8_t portNumber, int32_t baud,
                                                     uint16_t& status);
    // The default port over a link of its own rather than the program's.
    static std::unique_ptr<TransferPort> OpenOnLink(HostLink& link, uint16_t& status);

    // The transfer status word of this transfer.
    uint16_t Status() const { return status_; }
    void SetStatus(uint16_t code) { status_ = code; }

    // The last error reported, as the decimal digits of its code, or a
    // protocol's own short text. Reporting never changes the status word.
    const std::string& LastError() const { return lastError_; }
    void SetLastError(std::string_view text) { lastError_ = std::string(text.substr(0, 255)); }
    void ReportError(uint16_t code);

    // One received byte as it came, or kNoLinkByte.
    int GetChar();
    bool CharReady();
    // Queues one byte in the batch; a full batch is sent first, so no byte
    // lands beyond it. Status 2921 when that send fails.
    void PutChar(uint8_t b);
    void SendBreak();
    // Sends what the batch holds in one block; status 2921 when that fails.
    // The batch is empty afterwards either way.
    void FlushBatch();
    // Input flushing leaves the received bytes waiting; output flushing
    // discards the batch unsent.
    void FlushBuffers(bool input, bool output);
    void FlushInput() { FlushBuffers(true, false); }
    void FlushOutput() { FlushBuffers(false, true); }
    size_t BatchCount() const { return batchCount_; }

    // The writers' figures: output free 2079 and used 0 (the batch is sent
    // when full); the input side is what waits on the connection.
    void BufferStatus(uint16_t& inFree, uint16_t& outFree, uint16_t& inUsed, uint16_t& outUsed);
    uint16_t OutFree() { return kOutputFree; }
    uint16_t OutUsed() { return 0; }

    // Puts the last n bytes read back to be read again; false, with nothing
    // changed, when the connection cannot step back that far.
    bool UngetChars(int32_t n);

    // The abort test (the user's cancel); at open one that never aborts.
    void SetAbortFunction(std::function<bool()> check);
    bool AbortRequested() const { return abortCheck_ && abortCheck_(); }

    // A port of its own link instead of the program's (two engines talking
    // to each other in one process); nullptr goes back to the program's.
    void UseLink(HostLink* link) { link_ = link; }
    HostLink& LinkInUse();
    // Bytes ready, polling the link once when none are.
    bool PollReady();
    // Reads and drops every byte waiting now.
    void DiscardInput();
    // Status 2923 and true when the timer ran out, else status 2926 and true
    // when the abort test says so, else false.
    bool TimedOutOrAborted(const TickTimer& timer);

    // Each byte through PutChar until one fails. Without kPortNoSpaceCheck a
    // text or block longer than the free space is refused (12921 reported).
    void PutString(std::string_view text);
    // written counts the bytes accepted; a length of 0 reports 18904.
    void PutBlock(const uint8_t* block, uint16_t length, uint16_t& written);
    // Waits up to ticks for the output to leave; nothing stays queued here,
    // so it ends at once with status 0.
    void DrainOutput(int32_t ticks);

    // Waits for the next received byte until the timer runs out or the user
    // aborts (then kNoLinkByte with the status saying which). The batch is
    // sent first, so that the answer awaited is not held back by our own
    // unsent request; idle runs on every round that finds nothing (the
    // background work), else the wait sleeps a millisecond.
    int ReceiveByte(const TickTimer& timer, const std::function<void()>& idle = {});

    uint16_t OptionFlags = kPortDefaultOptions;
    uint16_t InSize = 0;
    uint16_t OutSize = 0;
    int32_t BaudRate = kDefaultBaud;
    uint8_t PortNumber = 0;
    uint8_t LineControl = 0;
    uint8_t XonByte = 0x11;
    uint8_t XoffByte = 0x13;
    uint8_t ParityCode = 0;
    uint8_t DataBitCount = 8;
    uint8_t StopBitCount = 1;
    bool TransferActive = false;

  private:
    TransferPort() = default;

    uint16_t status_ = kStatusOk;
    std::string lastError_;
    std::function<bool()> abortCheck_;
    HostLink* link_ = nullptr;
    uint8_t batch_[kBatchSize] = {};
    size_t batchCount_ = 0;
};

}  // namespace transfer
