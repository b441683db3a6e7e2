#include "transfer/ascii_engine.h"

#include <algorithm>
#include <new>

#include "console/tick_clock.h"
#include "transfer/host_link.h"
#include "transfer/received_names.h"

namespace transfer {

namespace {
constexpr uint16_t kAsciiBlock = 60;
constexpr uint8_t kCtrlZ = 0x1A;
}  // namespace

std::unique_ptr<AsciiEngine> AsciiEngine::Create(TransferPort& port, const AsciiOptions& options) {
    std::unique_ptr<AsciiEngine> e;
    try {
        e.reset(new AsciiEngine());
    } catch (const std::bad_alloc&) {
        port.ReportError(kStatusNoMemory);
        port.SetStatus(kStatusNoMemory);
        return nullptr;
    }
    e->proto_ = ProtocolRecord::Create(port, 0);
    if (!e->proto_) return nullptr;
    e->port_ = &port;
    e->options_ = options;
    e->proto_->ProtocolType = kAscii;
    e->proto_->BlockLen = kAsciiBlock;
    e->proto_->DestDir = options.DestDir;
    return e;
}

void AsciiEngine::Background() {
    port_->FlushBatch();
    if (proto_->BackgroundHook) proto_->BackgroundHook(*proto_);
    if (State_ == kTxDelay) {
        // A short nap while a pacing delay runs; the window stays alive
        // through the background hook however long the delay is.
        const uint32_t now = console::MilliCount();
        if (int32_t(DelayUntil - now) > 0)
            console::Delay(uint16_t(std::min<uint32_t>(DelayUntil - now, 10)));
    } else if (!port_->PollReady()) {
        port_->LinkInUse().WaitForInput(1);
    }
}

// ---- sending ----

void AsciiEngine::PrepareTransmit() {
    ProtocolRecord& p = *proto_;
    p.FindingFirst = true;
    port_->TransferActive = true;
    p.SetStatus(kStatusOk);
    p.ResetStatus();
    p.ShowFirstStatus();
    EndSeen = false;
    p.BlockNum = 0;
    State_ = kTxStart;
    std::string name;
    if (!p.NextFileHook(p, name)) {
        if (p.Status() == kStatusOk) p.SetStatus(kStatusNoMatch);
        p.ShowLastStatus();
        port_->TransferActive = false;
        State_ = kDone;
        return;
    }
    p.PathName = name;
}

void AsciiEngine::Transmit() {
    PrepareTransmit();
    for (;;) {
        const StepResult r = TransmitStep();
        if (r == kStepFinished) break;
        if (r == kStepWaiting) Background();
    }
}

void AsciiEngine::PutTranslated(uint8_t b) {
    if (b == 0x0A) {
        if (options_.LFMode == 1) return;
        if (options_.LFMode == 2) port_->PutChar(0x0D);
        port_->PutChar(0x0A);
        return;
    }
    if (b == 0x0D) {
        if (options_.CRMode == 1) return;
        port_->PutChar(0x0D);
        if (options_.CRMode == 2) port_->PutChar(0x0A);
        return;
    }
    port_->PutChar(b);
}

StepResult AsciiEngine::TransmitStep() {
    ProtocolRecord& p = *proto_;
    if (State_ == kDone) return kStepFinished;
    if (State_ != kTxFinish) {
        if (port_->AbortRequested()) {
            p.SetStatus(kStatusAborted);
            State_ = kTxFinish;
        } else if (p.ForceStatus || TickTimerExpired(p.StatusTimer)) {
            p.ForceStatus = false;
            StartTickTimer(p.StatusTimer, p.StatusInterval);
            p.UpdateStatus(false, false);
        }
    }
    switch (State_) {
        case kTxStart:
            p.StatusText = "Initializing";
            p.ResetStatus();
            LastBlock = false;
            if (p.LogHook) p.LogHook(p, kLogTransmitStart);
            p.PrepareReadingHook(p);
            if (p.Status() != kStatusOk) {
                State_ = kTxFinish;
                return kStepGoOn;
            }
            p.FileOfs = 0;
            StartTickTimer(p.TransferTimer, kTicksPerDay);
            State_ = kTxRead;
            return kStepGoOn;

        case kTxRead:
            BlockBytes = kAsciiBlock;
            LastBlock = p.ReadBlockHook(p, Buffer, BlockBytes);
            if (p.Status() != kStatusOk) {
                State_ = kTxFinish;
                return kStepGoOn;
            }
            BlockBytes = std::min<uint16_t>(BlockBytes, kAsciiBlock);
            StartTickTimer(Timer, p.TransTimeout);
            Index = 0;
            State_ = kTxSend;
            return kStepGoOn;

        case kTxDelay:
            if (int32_t(DelayUntil - console::MilliCount()) > 0) return kStepWaiting;
            State_ = kTxSend;
            [[fallthrough]];

        case kTxSend:
            p.StatusText = "Sending data";
            if (BlockBytes == 0) {
                // Only an empty file gives an empty block: it is sent whole.
                State_ = kTxDrain;
                return kStepGoOn;
            }
            while (Index < BlockBytes) {
                const uint8_t b = Buffer[Index++];
                if (b == kCtrlZ && options_.StopOnCtrlZ) {
                    Index = BlockBytes;
                    break;
                }
                PutTranslated(b);
                if (p.Status() != kStatusOk) {
                    port_->FlushOutput();
                    State_ = kTxFinish;
                    return kStepGoOn;
                }
                ++p.BytesTransferred;
                p.BytesRemaining = std::max(p.BytesRemaining - 1, 0);
                uint32_t wait = options_.CharDelay;
                if (b == options_.EolChar) wait += options_.LineDelay;
                if (wait > 0) {
                    port_->FlushBatch();
                    DelayUntil = console::MilliCount() + wait;
                    State_ = kTxDelay;
                    return kStepWaiting;
                }
            }
            ++p.BlockNum;
            p.FileOfs += kAsciiBlock;
            p.ForceStatus = true;
            p.ElapsedTicks = TickTimerElapsed(p.TransferTimer);
            if (LastBlock) {
                StartTickTimer(Timer, p.TransTimeout);
                State_ = kTxDrain;
            } else {
                State_ = kTxRead;
            }
            return kStepGoOn;

        case kTxDrain:
            p.StatusText = "Finishing (cleanup)";
            port_->FlushBatch();
            if (p.Status() == kStatusOk) p.SetStatus(kStatusEndAcknowledged);
            State_ = kTxFinish;
            return kStepGoOn;

        case kTxFinish: {
            if (p.Status() == kStatusCancelled) port_->DiscardInput();
            const uint16_t status = p.Status();
            p.FinishReadingHook(p);
            p.SetStatus(status);
            if (p.Status() == kStatusEndAcknowledged) {
                p.SetStatus(kStatusOk);
                if (p.LogHook) p.LogHook(p, kLogTransmitDone);
            } else {
                if (p.Status() == kStatusOk) p.SetStatus(kStatusCancelled);
                if (p.LogHook) p.LogHook(p, kLogTransmitFailed);
            }
            p.ShowLastStatus();
            port_->TransferActive = false;
            State_ = kDone;
            return kStepFinished;
        }

        default:
            return kStepFinished;
    }
}

// ---- receiving ----

void AsciiEngine::PrepareReceive() {
    ProtocolRecord& p = *proto_;
    port_->TransferActive = true;
    p.SetStatus(kStatusOk);
    p.ResetStatus();
    p.ShowFirstStatus();
    p.ForceStatus = true;
    State_ = kRxStart;
}

void AsciiEngine::Receive() {
    PrepareReceive();
    for (;;) {
        const StepResult r = ReceiveStep();
        if (r == kStepFinished) break;
        if (r == kStepWaiting) Background();
    }
}

bool AsciiEngine::WriteCollected() {
    ProtocolRecord& p = *proto_;
    uint16_t n = Collected;
    for (uint16_t i = n; i > 0; --i) {
        if (Buffer[i - 1] == kCtrlZ) {
            n = i;  // the block ends after its last Ctrl-Z, which is kept
            EndSeen = true;
            break;
        }
    }
    p.BytesTransferred += n;
    p.BytesRemaining = std::max(p.BytesRemaining - int32_t(n), 0);
    p.ElapsedTicks = TickTimerElapsed(p.TransferTimer);
    if (n > 0 && (p.WriteBlockHook(p, Buffer, n) || p.Status() != kStatusOk)) return false;
    p.FileOfs += n;
    StartTickTimer(Timer, RecvTimeout);
    p.ForceStatus = true;
    Collected = 0;
    return true;
}

StepResult AsciiEngine::ReceiveStep() {
    ProtocolRecord& p = *proto_;
    if (State_ == kDone) return kStepFinished;
    if (State_ == kRxCollect && port_->AbortRequested()) {
        // An abort keeps what came: it is written and the receive ends.
        aborted_ = true;
        EndSeen = true;
    } else if (p.ForceStatus || TickTimerExpired(p.StatusTimer)) {
        p.ForceStatus = false;
        StartTickTimer(p.StatusTimer, p.StatusInterval);
        p.UpdateStatus(false, false);
    }
    switch (State_) {
        case kRxStart: {
            if (!p.TransferFileName.empty()) p.PathName = p.TransferFileName;
            if (p.PathName.empty()) {
                port_->ReportError(kStatusNoReceiveName);
                p.SetStatus(kStatusNoReceiveName);
                State_ = kRxFinish;
                return kStepGoOn;
            }
            if (DirectoryPart(p.PathName).empty() && !p.DestDir.empty())
                p.PathName = JoinFolder(p.DestDir, p.PathName);
            if (p.LogHook) p.LogHook(p, kLogReceiveStart);
            std::string name = p.PathName;
            if (p.AcceptFileHook && !p.AcceptFileHook(p, name)) {
                port_->ReportError(kNoticeRefused);
                p.SetStatus(kNoticeRefused);
                State_ = kRxFinish;
                return kStepGoOn;
            }
            p.PrepareWritingHook(p);
            if (p.Status() != kStatusOk || !p.FileOpen) {
                if (p.Status() == kStatusOk) p.SetStatus(kStatusNoFileOpen);
                State_ = kRxFinish;
                return kStepGoOn;
            }
            p.FileOfs = 0;
            p.BlockNum = 1;
            StartTickTimer(Timer, RecvTimeout);
            FirstByte = true;
            Collected = 0;
            p.ForceStatus = true;
            State_ = kRxCollect;
            return kStepGoOn;
        }

        case kRxCollect: {
            p.StatusText = "Receiving data";
            while (!EndSeen && Collected < kAsciiBlock && port_->PollReady()) {
                const int c = port_->GetChar();
                if (FirstByte) {
                    FirstByte = false;
                    StartTickTimer(p.TransferTimer, kTicksPerDay);
                }
                Buffer[Collected++] = uint8_t(c);
            }
            if (Collected < kAsciiBlock && !EndSeen) {
                if (!TickTimerExpired(Timer)) return kStepWaiting;
                EndSeen = true;
            }
            if (!WriteCollected()) {
                State_ = kRxFinish;
                return kStepGoOn;
            }
            if (EndSeen) {
                p.SetStatus(kStatusOk);
                State_ = kRxFinish;
            }
            return kStepGoOn;
        }

        case kRxFinish: {
            p.StatusText = "Finishing (cleanup)";
            const bool failedBefore = p.Status() != kStatusOk;
            const bool failed = p.FinishWritingHook(p) || failedBefore;
            // The receive completes unless the file could not be made or
            // written: a missing or short file is never reported as received.
            if (p.LogHook) p.LogHook(p, failed ? kLogReceiveFailed : kLogReceiveDone);
            p.ShowLastStatus();
            port_->TransferActive = false;
            if (!failed) p.SetStatus(kStatusOk);
            State_ = kDone;
            return kStepFinished;
        }

        default:
            return kStepFinished;
    }
}

}  // namespace transfer
