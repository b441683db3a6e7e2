#include "transfer/port_layer.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "console/tick_clock.h"
#include "transfer/host_link.h"

namespace transfer {

std::unique_ptr<TransferPort> TransferPort::Open(uint8_t portNumber, uint16_t inSize,
                                                 uint16_t outSize, uint16_t options,
                                                 uint16_t& status) {
    status = kStatusOk;
    if (inSize < 10 || inSize > 65521 || outSize < 10 || outSize > 65521) {
        status = kStatusBadBufferSize;
        return nullptr;
    }
    if (!HostLinkInstalled()) {
        status = kStatusNoPortLayer;
        return nullptr;
    }
    std::unique_ptr<TransferPort> port;
    try {
        port.reset(new TransferPort());
    } catch (const std::bad_alloc&) {
        status = kStatusNoMemory;
        return nullptr;
    }
    port->PortNumber = portNumber;
    port->InSize = inSize;
    port->OutSize = outSize;
    port->OptionFlags = uint16_t(options | (kPortDefaultOptions & kPortKeptOption));
    if (port->OptionFlags & kPortLineControl) port->LineControl |= 3;
    return port;
}

std::unique_ptr<TransferPort> TransferPort::OpenDefault(uint8_t portNumber, int32_t /*baud*/,
                                                        uint16_t& status) {
    return Open(portNumber, kDefaultInSize, kDefaultOutSize, kPortDefaultOptions, status);
}

std::unique_ptr<TransferPort> TransferPort::OpenOnLink(HostLink& link, uint16_t& status) {
    HostLink* const saved = host_link_detail::link;
    host_link_detail::link = &link;
    auto port = OpenDefault(1, kDefaultBaud, status);
    host_link_detail::link = saved;
    if (port) port->link_ = &link;
    return port;
}

HostLink& TransferPort::LinkInUse() {
    return link_ ? *link_ : Link();
}

bool TransferPort::PollReady() {
    HostLink& link = LinkInUse();
    if (link.ByteReady()) return true;
    link.Poll();
    return link.ByteReady();
}

void TransferPort::DiscardInput() {
    while (PollReady()) LinkInUse().ReadByte();
}

void TransferPort::ReportError(uint16_t code) {
    if (code > 0) lastError_ = std::to_string(code);
}

int TransferPort::GetChar() {
    return LinkInUse().ReadByte();
}

bool TransferPort::CharReady() {
    return LinkInUse().ByteReady();
}

void TransferPort::PutChar(uint8_t b) {
    status_ = kStatusOk;
    if (batchCount_ == kBatchSize) {
        FlushBatch();
        if (status_ != kStatusOk) return;
    }
    batch_[batchCount_++] = b;
}

void TransferPort::SendBreak() {
    LinkInUse().SendBreak();
}

void TransferPort::FlushBatch() {
    if (batchCount_ == 0) return;
    if (!LinkInUse().Send(batch_, batchCount_)) status_ = kStatusSendFailed;
    batchCount_ = 0;
}

void TransferPort::FlushBuffers(bool /*input*/, bool output) {
    if (output) batchCount_ = 0;
}

void TransferPort::BufferStatus(uint16_t& inFree, uint16_t& outFree, uint16_t& inUsed,
                                uint16_t& outUsed) {
    constexpr uint32_t kInputCapacity = 8191;
    uint32_t waiting = LinkInUse().BytesWaiting();
    if (waiting > kInputCapacity) waiting = kInputCapacity;
    inUsed = uint16_t(waiting);
    inFree = uint16_t(kInputCapacity - waiting);
    outFree = OutFree();
    outUsed = OutUsed();
}

bool TransferPort::UngetChars(int32_t n) {
    return n >= 0 && LinkInUse().Unread(uint32_t(n));
}

void TransferPort::SetAbortFunction(std::function<bool()> check) {
    abortCheck_ = std::move(check);
}

bool TransferPort::TimedOutOrAborted(const TickTimer& timer) {
    if (TickTimerExpired(timer)) {
        status_ = kStatusTimeout;
        return true;
    }
    if (abortCheck_ && abortCheck_()) {
        status_ = kStatusAborted;
        return true;
    }
    return false;
}

void TransferPort::PutString(std::string_view text) {
    status_ = kStatusOk;
    if (!(OptionFlags & kPortNoSpaceCheck) && text.size() > OutFree()) {
        ReportError(kErrorNoOutputSpace);
        return;
    }
    for (char c : text) {
        PutChar(uint8_t(c));
        if (status_ != kStatusOk) return;
    }
}

void TransferPort::PutBlock(const uint8_t* block, uint16_t length, uint16_t& written) {
    status_ = kStatusOk;
    written = 0;
    if (length == 0) {
        ReportError(kErrorEmptyBlock);
        return;
    }
    if (!(OptionFlags & kPortNoSpaceCheck) && length > OutFree()) {
        ReportError(kErrorNoOutputSpace);
        return;
    }
    // Whole runs go into the batch at once; a full batch goes out first.
    while (written < length) {
        if (batchCount_ == kBatchSize) {
            FlushBatch();
            if (status_ != kStatusOk) return;
        }
        const size_t n = std::min<size_t>(length - written, kBatchSize - batchCount_);
        std::memcpy(batch_ + batchCount_, block + written, n);
        batchCount_ += n;
        written += uint16_t(n);
    }
}

void TransferPort::DrainOutput(int32_t /*ticks*/) {
    // Nothing is ever held in an output buffer here (the batch goes out whole
    // or not at all), so the wait ends at once and finds nothing to report.
    status_ = kStatusOk;
}

int TransferPort::ReceiveByte(const TickTimer& timer, const std::function<void()>& idle) {
    FlushBatch();
    if (status_ != kStatusOk) return kNoLinkByte;
    for (;;) {
        if (!CharReady()) LinkInUse().Poll();
        if (CharReady()) return GetChar();
        if (TimedOutOrAborted(timer)) return kNoLinkByte;
        if (idle)
            idle();
        else
            console::Delay(1);
    }
}

}  // namespace transfer
