#include "transfer/xmodem_engine.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "transfer/block_checks.h"
#include "transfer/host_link.h"
#include "transfer/received_names.h"

namespace transfer {

namespace {
constexpr uint8_t kCrcCheck = 3;
constexpr uint8_t kChecksum = 1;
}  // namespace

std::unique_ptr<XmodemEngine> XmodemEngine::Create(TransferPort& port, bool oneK, bool streaming,
                                                   const XyOptions& options) {
    std::unique_ptr<XmodemEngine> e;
    try {
        e.reset(new XmodemEngine());
    } catch (const std::bad_alloc&) {
        port.ReportError(kStatusNoMemory);
        port.SetStatus(kStatusNoMemory);
        return nullptr;
    }
    if (!e->Init(port, oneK, streaming, options)) return nullptr;
    return e;
}

bool XmodemEngine::Init(TransferPort& port, bool oneK, bool streaming, const XyOptions& options) {
    proto_ = ProtocolRecord::Create(port, 0);
    if (!proto_) return false;
    port_ = &port;
    options_ = options;
    ProtocolRecord& p = *proto_;
    p.OverheadBytes = 5;
    p.TurnaroundMs = 1000;
    p.CheckType = kCrcCheck;
    if (options.HandshakeRetry > 0)
        p.HandshakeRetry = uint16_t(std::min(options.HandshakeRetry, 1000));
    if (options.FinishWait > 0) FinishWait = options.FinishWait;
    p.DestDir = options.DestDir;
    p.WriteFailOption = options.WriteFail;
    Streaming = streaming;
    if (streaming) {
        p.EotsToNak = 0;
        oneK = true;
        p.TurnaroundMs = 0;
    }
    SetBlockSize(oneK);
    return true;
}

void XmodemEngine::SetBlockSize(bool oneK) {
    OneK = oneK;
    ProtocolRecord& p = *proto_;
    if (oneK) {
        p.BlockLen = 1024;
        StartChar = kStx;
        p.ProtocolType = Streaming ? kXmodem1KG : kXmodem1K;
    } else {
        p.BlockLen = 128;
        StartChar = kSoh;
        p.ProtocolType = kXmodem;
    }
}

// ---- shared pieces ----

void XmodemEngine::Background() {
    port_->FlushBatch();
    if (proto_->BackgroundHook) proto_->BackgroundHook(*proto_);
    if (!port_->PollReady()) port_->LinkInUse().WaitForInput(1);
}

int XmodemEngine::ReadyByte() {
    return port_->PollReady() ? port_->GetChar() : kNoLinkByte;
}

void XmodemEngine::CountError() {
    ++proto_->BlockErrors;
    ++proto_->TotalErrors;
}

void XmodemEngine::SendReply(uint8_t c) {
    port_->PutChar(c);
    port_->FlushBatch();
}

void XmodemEngine::Cancel() {
    const uint16_t before = proto_->Status();
    static const uint8_t kSequence[] = {kCan, kCan, kCan, kBs, kBs, kBs};
    for (uint8_t c : kSequence) port_->PutChar(c);
    port_->FlushBatch();
    // What the other side still sends is dropped, so that it does not show
    // on the screen as text once the transfer is over.
    int32_t ticks = proto_->CharsPerSec ? (proto_->BlockLen / proto_->CharsPerSec) * 18 : 0;
    if (ticks == 0) ticks = 9;
    TickTimer quiet;
    StartTickTimer(quiet, ticks);
    while (!TickTimerExpired(quiet)) {
        if (port_->PollReady())
            port_->DiscardInput();
        else
            port_->LinkInUse().WaitForInput(1);
    }
    proto_->SetStatus(before == kStatusOk ? kStatusCancelled : before);
}

bool XmodemEngine::StepPreamble() {
    ProtocolRecord& p = *proto_;
    if (port_->AbortRequested()) {
        p.SetStatus(kStatusAborted);
        const uint16_t saved = p.Status();
        Cancel();
        p.SetStatus(saved);
        port_->ReportError(kStatusCancelled);
        return true;
    }
    if (p.ForceStatus || TickTimerExpired(p.StatusTimer)) {
        p.ForceStatus = false;
        StartTickTimer(p.StatusTimer, p.StatusInterval);
        p.UpdateStatus(false, false);
    }
    return false;
}

void XmodemEngine::SendBlock(const uint8_t* data) {
    ProtocolRecord& p = *proto_;
    port_->PutChar(StartChar);
    port_->PutChar(uint8_t(p.BlockNum));
    port_->PutChar(uint8_t(~p.BlockNum));
    if (p.Status() != kStatusOk) return;
    uint16_t written = 0;
    // The block goes through the batch, which is sent whenever it fills.
    const uint16_t saved = port_->OptionFlags;
    port_->OptionFlags |= kPortNoSpaceCheck;
    port_->PutBlock(data, p.BlockLen, written);
    port_->OptionFlags = saved;
    if (p.Status() != kStatusOk) return;
    if (p.CheckType == kCrcCheck) {
        const uint16_t crc = UpdateCrc16(0, UpdateCrc16(0, UpdateCrc16(data, p.BlockLen, 0)));
        port_->PutChar(uint8_t(crc >> 8));
        port_->PutChar(uint8_t(crc));
    } else {
        uint16_t sum = 0;
        for (uint16_t i = 0; i < p.BlockLen; ++i) sum = AddToChecksum(data[i], sum);
        port_->PutChar(uint8_t(sum));
    }
}

XmodemEngine::HandshakeWait XmodemEngine::WaitForHandshake() {
    ProtocolRecord& p = *proto_;
    p.StatusText = "Handshaking";
    const int c = ReadyByte();
    if (c != kNoLinkByte) {
        if (HandshakeAnswer(c)) {
            StartTickTimer(p.TransferTimer, kTicksPerDay);
            StartTimer(p.TransTimeout);
            p.SetStatus(kStatusOk);
            return HandshakeWait::Accepted;
        }
        if (p.Status() == kStatusCancelled) return HandshakeWait::Failed;
    } else if (!TimerExpired()) {
        return HandshakeWait::Waiting;
    }
    return RetryHandshake() ? HandshakeWait::Retried : HandshakeWait::Failed;
}

bool XmodemEngine::RetryHandshake() {
    ProtocolRecord& p = *proto_;
    StartTimer(p.HandshakeWait);
    ++HandshakeTries;
    if (HandshakeTries > p.HandshakeRetry) {
        port_->ReportError(kStatusTimeout);
        p.SetStatus(kStatusTimeout);
        return false;
    }
    if (HandshakeTries > 1) CountError();
    return true;
}

bool XmodemEngine::HandshakeAnswer(int c) {
    ProtocolRecord& p = *proto_;
    switch (c) {
        case kNak:
            p.CheckType = kChecksum;
            return true;
        case 'C':
            p.CheckType = kCrcCheck;
            if (p.ProtocolType == kXmodem) p.ProtocolType = kXmodemCrc;
            return true;
        case 'G':
            Streaming = true;
            p.CheckType = kCrcCheck;
            if (p.ProtocolType <= kXmodem1KG) p.ProtocolType = kXmodem1KG;
            return true;
        case kCan:
            port_->ReportError(kStatusCanHandshake);
            p.SetStatus(kStatusCancelled);
            return false;
        default:
            CountError();
            p.SetStatus(kStatusUnexpectedChar);
            return false;
    }
}

XmodemEngine::BlockVerdict XmodemEngine::CheckBlock(const uint8_t* block, uint16_t blockLen,
                                                    bool crc, uint16_t expected) const {
    if (uint8_t(block[0]) != uint8_t(~block[1])) return BlockVerdict::kBadNumber;
    const uint8_t* data = block + 2;
    if (crc) {
        const uint16_t got = uint16_t(block[2 + blockLen] << 8 | block[3 + blockLen]);
        if (UpdateCrc16(0, UpdateCrc16(0, UpdateCrc16(data, blockLen, 0))) != got)
            return BlockVerdict::kBadCheck;
    } else {
        uint16_t sum = 0;
        for (uint16_t i = 0; i < blockLen; ++i) sum = AddToChecksum(data[i], sum);
        if (uint8_t(sum) != block[2 + blockLen]) return BlockVerdict::kBadCheck;
    }
    if (block[0] == uint8_t(expected - 1)) return BlockVerdict::kRepeat;
    if (block[0] == uint8_t(expected)) return BlockVerdict::kGood;
    return BlockVerdict::kOutOfSequence;
}

// ---- sending ----

void XmodemEngine::PrepareTransmit() {
    ProtocolRecord& p = *proto_;
    p.FindingFirst = true;
    port_->TransferActive = true;
    p.ResetStatus();
    p.CheckType = kChecksum;
    p.ShowFirstStatus();
    std::string name;
    if (p.NextFileHook(p, name)) {
        p.PathName = name;
        p.ForceStatus = true;
        p.SetStatus(kStatusOk);
    } else {
        if (p.Status() == kStatusOk) p.SetStatus(kStatusNoMatch);
        p.ShowLastStatus();
        port_->TransferActive = false;
    }
    txState_ = kTxStart;
}

void XmodemEngine::Transmit() {
    PrepareTransmit();
    if (proto_->Status() != kStatusOk) {
        txState_ = kTxDone;
        return;
    }
    for (;;) {
        const StepResult r = TransmitStep();
        if (r == kStepFinished) break;
        if (r == kStepWaiting) Background();
    }
}

StepResult XmodemEngine::TransmitStep() {
    ProtocolRecord& p = *proto_;
    if (txState_ == kTxDone) return kStepFinished;
    if (txState_ != kTxFinish && StepPreamble()) txState_ = kTxFinish;
    switch (txState_) {
        case kTxStart:
            p.StatusText = "Initializing";
            p.ResetStatus();
            if (p.LogHook) p.LogHook(p, kLogTransmitStart);
            p.SetStatus(kStatusOk);
            p.PrepareReadingHook(p);
            if (p.Status() != kStatusOk) {
                txState_ = kTxFinish;
                return kStepGoOn;
            }
            p.BlockNum = FirstBlockNum;
            HandshakeTries = 0;
            RetryHandshake();
            txState_ = kTxHandshake;
            return kStepGoOn;

        case kTxHandshake:
            switch (WaitForHandshake()) {
                case HandshakeWait::Waiting:
                    return kStepWaiting;
                case HandshakeWait::Accepted:
                    p.FileOfs = 0;
                    p.BlockErrors = 0;
                    p.TotalErrors = 0;
                    if (Streaming) MaxErrors = 0;
                    txState_ = kTxReadBlock;
                    return kStepGoOn;
                case HandshakeWait::Failed:
                    txState_ = kTxFinish;
                    return kStepGoOn;
                case HandshakeWait::Retried:
                    return kStepGoOn;
            }
            return kStepGoOn;

        case kTxReadBlock: {
            uint16_t size = p.BlockLen;
            uint8_t* data = BlockBuffer + 2;
            EofRead = p.ReadBlockHook(p, data, size);
            if (p.Status() != kStatusOk) {
                txState_ = kTxFinish;
                return kStepGoOn;
            }
            DataSize = std::min(size, p.BlockLen);
            // A short last block is padded, whatever the read hook left there.
            std::fill(data + DataSize, data + p.BlockLen, kPadByte);
            StartTimer(p.TransTimeout);
            txState_ = kTxSend;
            return kStepGoOn;
        }

        case kTxSend:
            p.StatusText = "Sending data";
            if (DataSize == 0) {
                txState_ = kTxEof;
                return kStepGoOn;
            }
            if (p.BlockErrors > MaxErrors) {
                if (OneK && p.BlockLen == 1024) {
                    // The line does not carry long blocks: 128 bytes from
                    // here on, the current block read again at that size.
                    OneK = false;
                    p.BlockLen = 128;
                    StartChar = kSoh;
                    p.BlockErrors = 0;
                    txState_ = kTxReadBlock;
                    return kStepGoOn;
                }
                Cancel();
                port_->ReportError(kStatusTooManyErrors);
                p.SetStatus(kStatusTooManyErrors);
                txState_ = kTxFinish;
                return kStepGoOn;
            }
            SendBlock(BlockBuffer + 2);
            if (p.Status() != kStatusOk) {
                port_->FlushOutput();
                txState_ = kTxFinish;
                return kStepGoOn;
            }
            if (!Streaming) {
                port_->FlushBatch();
                if (p.Status() != kStatusOk) {
                    txState_ = kTxFinish;
                    return kStepGoOn;
                }
                StartTimer(BlockWait);
            }
            txState_ = kTxAnswer;
            return kStepGoOn;

        case kTxAnswer: {
            auto blockSent = [&] {
                p.BytesTransferred += DataSize;
                p.BytesRemaining = std::max(p.BytesRemaining - int32_t(DataSize), 0);
                p.ElapsedTicks = TickTimerElapsed(p.TransferTimer);
                ++p.BlockNum;
                p.FileOfs += p.BlockLen;
                p.BlockErrors = 0;
                txState_ = EofRead ? kTxEof : kTxReadBlock;
            };
            if (Streaming) {
                const int c = port_->CharReady() ? port_->GetChar() : kNoLinkByte;
                if (c == kCan || c == kNak) {
                    p.SetStatus(kStatusCancelled);
                    port_->FlushOutput();
                    txState_ = kTxFinish;
                    return kStepGoOn;
                }
                blockSent();
                return kStepGoOn;
            }
            const int c = ReadyByte();
            if (c == kNoLinkByte) {
                if (!TimerExpired()) return kStepWaiting;
                CountError();
                txState_ = kTxSend;
                return kStepGoOn;
            }
            if (c == kAck) {
                blockSent();
                return kStepGoOn;
            }
            if (c == kCan) {
                p.SetStatus(kStatusCancelled);
                port_->FlushOutput();
                txState_ = kTxFinish;
                return kStepGoOn;
            }
            CountError();
            port_->ReportError(kNoticeUnexpectedChar);
            p.SetStatus(c == kNak ? kStatusBadCheck : kStatusUnexpectedChar);
            txState_ = kTxSend;
            return kStepGoOn;
        }

        case kTxEof:
            p.BlockErrors = 0;
            EotNaks = 0;
            --p.BlockNum;
            port_->DiscardInput();
            SendReply(kEot);
            StartTimer(BlockWait + (Streaming ? FinishWait : 0));
            txState_ = kTxEofAnswer;
            return kStepGoOn;

        case kTxEofAnswer: {
            const int c = ReadyByte();
            if (c == kNoLinkByte && !TimerExpired()) return kStepWaiting;
            if (c == kAck) {
                p.SetStatus(kStatusEndAcknowledged);
                txState_ = kTxFinish;
                return kStepGoOn;
            }
            if (c == kCan) {
                p.SetStatus(kStatusCancelled);
                txState_ = kTxFinish;
                return kStepGoOn;
            }
            if (c == kNak) {
                if (++EotNaks >= 3) {
                    CountError();
                    Cancel();
                    port_->ReportError(kStatusTooManyErrors);
                    p.SetStatus(kStatusTooManyErrors);
                    txState_ = kTxFinish;
                    return kStepGoOn;
                }
            } else if (c != kNoLinkByte) {
                CountError();
                p.SetStatus(kStatusUnexpectedChar);
            }
            if (p.BlockErrors > MaxErrors && c != kNoLinkByte) {
                port_->ReportError(kStatusTooManyErrors);
                p.SetStatus(kStatusTooManyErrors);
                txState_ = kTxFinish;
                return kStepGoOn;
            }
            SendReply(kEot);
            StartTimer(BlockWait);
            return kStepGoOn;
        }

        case kTxFinish:
            p.StatusText = "Finishing (cleanup)";
            if (p.Status() == kStatusCancelled) port_->DiscardInput();
            {
                const uint16_t status = p.Status();
                p.FinishReadingHook(p);
                p.SetStatus(status);
            }
            if (p.Status() == kStatusEndAcknowledged) {
                p.SetStatus(kStatusOk);
                if (p.LogHook) p.LogHook(p, kLogTransmitDone);
            } else {
                if (p.Status() == kStatusOk) p.SetStatus(kStatusCancelled);
                loggedFailure_ = true;
                if (p.LogHook) p.LogHook(p, kLogTransmitFailed);
            }
            if (!inBatch_) {
                p.ShowLastStatus();
                port_->TransferActive = false;
            }
            txState_ = kTxDone;
            return kStepFinished;

        case kTxDone:
            return kStepFinished;
    }
    return kStepFinished;
}

// ---- receiving ----

void XmodemEngine::PrepareReceive() {
    ProtocolRecord& p = *proto_;
    port_->TransferActive = true;
    rxState_ = kRxStart;
    p.ForceStatus = true;
    p.SetStatus(kStatusOk);
    p.ResetStatus();
}

void XmodemEngine::Receive() {
    PrepareReceive();
    for (;;) {
        const StepResult r = ReceiveStep();
        if (r == kStepFinished) break;
        if (r == kStepWaiting) Background();
    }
}

void XmodemEngine::SendHandshake() {
    SendReply(HandshakeChar);
}

StepResult XmodemEngine::ReceiveStep() {
    ProtocolRecord& p = *proto_;
    if (rxState_ == kRxDone) return kStepFinished;
    if (rxState_ != kRxFinish && rxState_ != kRxFinishStart && StepPreamble()) {
        rxState_ = kRxFinish;
    }
    switch (rxState_) {
        case kRxStart: {
            p.StatusText = "Initializing";
            p.SetStatus(kStatusOk);
            if (!inBatch_) p.ShowFirstStatus();
            if (!p.TransferFileName.empty()) p.PathName = p.TransferFileName;
            if (p.PathName.empty()) {
                port_->ReportError(kStatusNoReceiveName);
                Cancel();
                p.SetStatus(kStatusNoReceiveName);
                rxState_ = kRxFinish;
                return kStepGoOn;
            }
            if (DirectoryPart(p.PathName).empty() && !p.DestDir.empty())
                p.PathName = JoinFolder(p.DestDir, p.PathName);
            if (p.UpcaseNames) {
                const std::string name = NamePart(p.PathName);
                p.PathName =
                    p.PathName.substr(0, p.PathName.size() - name.size()) + UpperCaseName(name);
            }
            if (p.LogHook) p.LogHook(p, kLogReceiveStart);
            std::string name = p.PathName;
            if (p.AcceptFileHook && !p.AcceptFileHook(p, name)) {
                Cancel();
                port_->ReportError(kNoticeRefused);
                rxState_ = kRxFinishStart;
                return kStepGoOn;
            }
            p.SetStatus(kStatusOk);
            p.PrepareWritingHook(p);
            if (p.Status() != kStatusOk || !p.FileOpen) {
                // A file that cannot be created fails the transfer.
                const uint16_t status = p.Status() ? p.Status() : kStatusNoFileOpen;
                Cancel();
                p.SetStatus(status);
                rxState_ = kRxFinish;
                return kStepGoOn;
            }
            p.TransferFileName = p.PathName;
            HandshakeChar = Streaming ? 'G' : p.CheckType == kCrcCheck ? 'C' : kNak;
            p.FileOfs = 0;
            SendHandshake();
            p.BlockNum = FirstBlockNum;
            EotCount = 0;
            CanCount = 0;
            StartTimer(p.HandshakeWait);
            FirstBlock = true;
            TrailerLen = p.CheckType == kCrcCheck ? 4 : 3;
            rxState_ = kRxWaitFirst;
            return kStepGoOn;
        }

        case kRxWaitFirst:
            if (port_->PollReady()) {
                rxState_ = kRxBlockStart;
                return kStepGoOn;
            }
            if (!TimerExpired()) return kStepWaiting;
            CountError();
            if (p.BlockErrors > MaxErrors) {
                port_->ReportError(kStatusTimeout);
                p.SetStatus(kStatusTimeout);
                rxState_ = kRxFinish;
                return kStepGoOn;
            }
            if (HandshakeChar == 'C' && p.BlockErrors > 3) {
                // The sender does not know CRC: checksum from here on.
                HandshakeChar = kNak;
                p.CheckType = kChecksum;
                TrailerLen = 3;
                p.BlockErrors = 0;
            }
            SendHandshake();
            StartTimer(p.HandshakeWait);
            return kStepWaiting;

        case kRxBlockStart: {
            bool junk = false;
            for (;;) {
                const int c = ReadyByte();
                if (c == kNoLinkByte) break;
                if (FirstBlock) {
                    FirstBlock = false;
                    StartTickTimer(p.TransferTimer, kTicksPerDay);
                    if (Streaming) MaxErrors = 0;
                }
                if (c == kSoh || c == kStx) {
                    p.BlockLen = c == kSoh ? 128 : 1024;
                    Received = 0;
                    StartTimer(BlockWait);
                    rxState_ = kRxCollect;
                    return kStepGoOn;
                }
                if (c == kEot) {
                    CanCount = 0;
                    ++EotCount;
                    if (EotCount > p.EotsToNak) {
                        SendReply(kAck);
                        p.SetStatus(kStatusEndAcknowledged);
                        rxState_ = kRxFinish;
                        return kStepGoOn;
                    }
                    SendReply(kNak);
                    StartTimer(BlockWait);
                    return kStepWaiting;
                }
                if (c == kCan) {
                    EotCount = 0;
                    if (++CanCount >= 3) {
                        Cancel();
                        p.SetStatus(kStatusCancelled);
                        rxState_ = kRxFinish;
                        return kStepGoOn;
                    }
                    continue;
                }
                junk = true;
                port_->ReportError(kNoticeUnexpectedChar);
                p.SetStatus(kStatusUnexpectedChar);
                EotCount = 0;
                CanCount = 0;
                p.ForceStatus = true;
            }
            if (junk) {
                CountError();
                if (p.BlockErrors > MaxErrors) {
                    port_->ReportError(kStatusTimeout);
                    p.SetStatus(kStatusTimeout);
                    rxState_ = kRxFinish;
                    return kStepGoOn;
                }
                port_->DiscardInput();
                SendReply(kNak);
                return kStepWaiting;
            }
            if (!TimerExpired()) return kStepWaiting;
            if (EotCount > 0) {
                SendReply(kAck);
                p.SetStatus(kStatusEndAcknowledged);
                rxState_ = kRxFinish;
                return kStepGoOn;
            }
            CountError();
            if (p.BlockErrors > MaxErrors || CanCount > 0) {
                if (p.BlockErrors > MaxErrors) port_->ReportError(kStatusTimeout);
                p.SetStatus(CanCount > 0 ? kStatusCancelled : kStatusTimeout);
                rxState_ = kRxFinish;
                return kStepGoOn;
            }
            SendHandshake();
            StartTimer(p.HandshakeWait);
            rxState_ = kRxWaitFirst;
            return kStepWaiting;
        }

        case kRxCollect: {
            p.StatusText = "Receiving data";
            const uint16_t want = uint16_t(p.BlockLen + TrailerLen);
            bool got = false;
            HostLink& link = port_->LinkInUse();
            while (Received < want && port_->PollReady()) {
                BlockBuffer[Received++] = uint8_t(link.ReadByte());
                got = true;
            }
            if (Received >= want) {
                rxState_ = kRxCheck;
                return kStepGoOn;
            }
            if (got) {
                StartTimer(BlockWait);
                return kStepWaiting;
            }
            if (!TimerExpired()) return kStepWaiting;
            port_->ReportError(kErrorBlockTimeout);
            SendReply(kNak);
            StartTimer(BlockWait);
            rxState_ = kRxBlockStart;
            return kStepGoOn;
        }

        case kRxCheck:
            CheckBlockReceived();
            return kStepGoOn;

        case kRxFinishStart:
            p.StatusText = "Finishing (cleanup)";
            p.FinishWritingHook(p);
            loggedFailure_ = true;
            if (p.LogHook) p.LogHook(p, kLogReceiveSkipped);
            if (p.Status() == kStatusOk) p.SetStatus(kNoticeRefused);
            if (!inBatch_) {
                p.ShowLastStatus();
                port_->TransferActive = false;
            }
            rxState_ = kRxDone;
            return kStepFinished;

        case kRxFinish: {
            p.StatusText = "Finishing (cleanup)";
            const uint16_t status = p.Status();
            const bool failed = p.FinishWritingHook(p);
            if (!failed) p.SetStatus(status);
            if (p.Status() == kStatusEndAcknowledged) {
                p.SetStatus(kStatusOk);
                if (p.LogHook) p.LogHook(p, kLogReceiveDone);
            } else {
                if (p.Status() == kStatusOk) p.SetStatus(kStatusCancelled);
                loggedFailure_ = true;
                if (p.LogHook) p.LogHook(p, kLogReceiveFailed);
            }
            if (!inBatch_) {
                p.ShowLastStatus();
                port_->TransferActive = false;
            }
            rxState_ = kRxDone;
            return kStepFinished;
        }

        case kRxDone:
            return kStepFinished;
    }
    return kStepFinished;
}

void XmodemEngine::CheckBlockReceived() {
    ProtocolRecord& p = *proto_;
    const BlockVerdict v = CheckBlock(BlockBuffer, p.BlockLen, TrailerLen == 4, p.BlockNum);
    uint8_t answer = kNak;
    bool bad = false;
    switch (v) {
        case BlockVerdict::kBadNumber:
            CountError();
            port_->DiscardInput();
            Cancel();
            port_->ReportError(kStatusBadBlockNumber);
            p.SetStatus(kStatusBadBlockNumber);
            bad = true;
            break;
        case BlockVerdict::kBadCheck:
            CountError();
            port_->DiscardInput();
            p.SetStatus(kStatusBadCheck);
            port_->ReportError(kNoticeBadCheck);
            bad = true;
            break;
        case BlockVerdict::kRepeat:
            answer = kAck;
            p.BlockErrors = 0;
            port_->ReportError(kNoticeRepeatBlock);
            p.SetStatus(kStatusRepeatBlock);
            break;
        case BlockVerdict::kGood: {
            // The data are written before they are acknowledged, so that a
            // failed write ends the transfer instead of losing the block.
            if (p.WriteBlockHook(p, BlockBuffer + 2, p.BlockLen) || p.Status() != kStatusOk) {
                if (p.Status() == kStatusOk) p.SetStatus(kIoWriteError);
                const uint16_t status = p.Status();
                Cancel();
                p.SetStatus(status);
                rxState_ = kRxFinish;
                return;
            }
            answer = kAck;
            ++p.BlockNum;
            p.FileOfs += p.BlockLen;
            p.BytesTransferred += p.BlockLen;
            p.BytesRemaining = std::max(p.BytesRemaining - int32_t(p.BlockLen), 0);
            p.ElapsedTicks = TickTimerElapsed(p.TransferTimer);
            p.BlockErrors = 0;
            break;
        }
        case BlockVerdict::kOutOfSequence:
            Cancel();
            port_->ReportError(kStatusBadBlockNumber);
            p.SetStatus(kStatusBadBlockNumber);
            bad = true;
            break;
    }
    if (p.Status() == kStatusBadBlockNumber || (bad && Streaming)) {
        if (p.Status() != kStatusBadBlockNumber) {
            const uint16_t status = p.Status();
            Cancel();
            p.SetStatus(status);
        }
        rxState_ = kRxFinish;
        return;
    }
    if (!(Streaming && answer == kAck)) SendReply(answer);
    if (bad) {
        StartTimer(p.HandshakeWait);
        rxState_ = kRxWaitFirst;
        return;
    }
    StartTimer(BlockWait);
    rxState_ = kRxBlockStart;
}

}  // namespace transfer
