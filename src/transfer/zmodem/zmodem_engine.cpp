#include "transfer/zmodem/zmodem_engine.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#include "transfer/host_link.h"
#include "transfer/xmodem_engine.h"

namespace transfer {

namespace {

// Transmitter states.
enum : uint8_t {
    kTxInit = 0,
    kTxHandshake = 1,
    kTxNextFile = 2,
    kTxFileInfo = 3,
    kTxFileInfoAnswer = 4,
    kTxDataHeader = 5,
    kTxReadBlock = 6,
    kTxSendBlock = 7,
    kTxBlockAnswer = 8,
    kTxEof = 9,
    kTxEofAnswer = 10,
    kTxEofWait = 11,
    kTxFinish = 12,
    kTxFinishAnswer = 13,
    kTxError = 14,
    kTxCleanup = 15,
    kTxDone = 16,
};

constexpr int kDataErrorLimit = 20;

}  // namespace

std::unique_ptr<ZmodemEngine> ZmodemEngine::Create(TransferPort& port,
                                                   const ZmodemOptions& options) {
    std::unique_ptr<ZmodemEngine> e;
    try {
        e.reset(new ZmodemEngine(port));
    } catch (const std::bad_alloc&) {
        port.ReportError(kStatusNoMemory);
        port.SetStatus(kStatusNoMemory);
        return nullptr;
    }
    if (!e->Init(options)) return nullptr;
    return e;
}

bool ZmodemEngine::Init(const ZmodemOptions& options) {
    proto_ = ProtocolRecord::Create(*port_, 0);
    if (!proto_) return false;
    framing_.SetRecord(proto_.get());
    options_ = options;
    ProtocolRecord& p = *proto_;
    p.ProtocolType = kZmodem;
    p.FileOfs = 0;
    p.BlockCheck = 4;
    p.CheckType = 4;
    framing_.UseCrc32 = framing_.Crc32Allowed = true;
    recover_ = options.Recover;
    override_ = options.Override;
    management_ = 5;
    p.BlockLen = kZBlockMax;
    p.HandshakeWait = 1092;
    if (options.HandshakeRetry > 0)
        p.HandshakeRetry = uint16_t(std::min(options.HandshakeRetry, 1000));
    p.OverheadBytes = 20;
    p.TurnaroundMs = 0;
    p.DestDir = options.DestDir;
    p.WriteFailOption = options.WriteFail;
    p.PrepareWritingHook = [this](ProtocolRecord&) { PrepareWriting(); };
    p.FinishWritingHook = [this](ProtocolRecord&) { return FinishWriting(); };
    finishWait_ = options.FinishWait > 0 ? int32_t(uint16_t(options.FinishWait)) : 364;
    finishRetry_ = options.FinishRetry > 0 ? uint8_t(options.FinishRetry) : 3;
    if (finishRetry_ == 0) finishRetry_ = 3;
    framing_.EscapeAll = false;
    return true;
}

void ZmodemEngine::SetFileOptions(bool override, bool skipNoLocal, uint8_t rule) {
    override_ = override;
    management_ = uint8_t((skipNoLocal ? kZmSkipNoLocal : 0) | (rule & 7));
}

// ---- shared ----

void ZmodemEngine::CountError() {
    ++proto_->BlockErrors;
    ++proto_->TotalErrors;
}

void ZmodemEngine::Fail(uint16_t code) {
    port_->ReportError(code);
    proto_->SetStatus(code);
}

void ZmodemEngine::Flush() {
    port_->FlushBatch();
    if (port_->Status() == kStatusSendFailed) sendFailed_ = true;
}

void ZmodemEngine::SendHex(uint8_t type, uint32_t position) {
    uint8_t h[4];
    PutPosition(h, position);
    framing_.SendHexHeader(type, h);
    Flush();
}

void ZmodemEngine::SendBinary(uint8_t type, uint32_t position) {
    uint8_t h[4];
    PutPosition(h, position);
    framing_.SendBinaryHeader(type, h);
}

void ZmodemEngine::Cancel() {
    framing_.SendCancel();
    // What the other side still sends is dropped for a moment, so that it
    // does not reach the screen as text once the transfer is over.
    TickTimer quiet;
    StartTickTimer(quiet, 9);
    while (!TickTimerExpired(quiet)) {
        if (port_->PollReady())
            port_->DiscardInput();
        else
            port_->LinkInUse().WaitForInput(1);
    }
    proto_->SetStatus(kZCancelled);
    proto_->ForceStatus = true;
}

void ZmodemEngine::Wait() {
    Flush();
    if (!port_->PollReady()) port_->LinkInUse().WaitForInput(1);
}

// The part every step shares: the user's cancel, the status display and, in
// the states that wait for a header, the bytes that arrived fed to the
// header collector. True when the step was turned to abortState.
bool ZmodemEngine::CommonStep(bool headerWait, int abortState) {
    ProtocolRecord& p = *proto_;
    p.SetStatus(savedStatus_);
    if (savedStatus_ != kZCancelled && port_->AbortRequested()) {
        Cancel();
        port_->ReportError(kZCancelled);
        p.SetStatus(kZCancelled);
        state_ = uint8_t(abortState);
        return true;
    }
    if (p.ForceStatus || TickTimerExpired(p.StatusTimer)) {
        p.ForceStatus = false;
        StartTickTimer(p.StatusTimer, p.StatusInterval);
        if (inProgress_) p.ElapsedTicks = TickTimerElapsed(p.TransferTimer);
        p.UpdateStatus(false, false);
    }
    if (!headerWait) return false;
    uint16_t result = CollectHeader();
    if (result == kZCancelled) {
        p.SetStatus(kZCancelled);
        state_ = uint8_t(abortState);
        return true;
    }
    if (result == kZPending) result = TimerExpired() ? kStatusTimeout : kZPending;
    p.SetStatus(result);
    return false;
}

uint16_t ZmodemEngine::CollectHeader() {
    uint16_t result = kZPending;
    while (result == kZPending && port_->PollReady()) {
        const int c = port_->GetChar();
        if (c == kNoLinkByte) break;
        result = framing_.FeedHeader(uint8_t(c));
    }
    return result;
}

uint16_t ZmodemEngine::CollectData() {
    HostLink& link = port_->LinkInUse();
    uint16_t result = kZPending;
    while (result == kZPending) {
        // What waits is taken as a run where the link offers one.
        const uint8_t* run = nullptr;
        if (const size_t waiting = link.Peek(run, SIZE_MAX); waiting > 0) {
            link.Take(framing_.FeedDataRun(run, waiting, result));
        } else if (port_->PollReady()) {
            const int c = link.ReadByte();
            if (c == kNoLinkByte) break;
            result = framing_.FeedData(uint8_t(c));
        } else {
            break;
        }
    }
    return result;
}

void ZmodemEngine::PrepareCommon() {
    ProtocolRecord& p = *proto_;
    port_->TransferActive = true;
    framing_.StartHeader();
    p.ResetStatus();
    p.ShowFirstStatus();
    StartTickTimer(p.StatusTimer, p.StatusInterval);
    inProgress_ = false;
    loggedFailure_ = false;
    sendFailed_ = false;
    savedStatus_ = kStatusOk;
    p.SetStatus(kStatusOk);
}

bool ZmodemEngine::BeginStep(bool headerWait, uint8_t failedState, uint8_t cleanupState) {
    ProtocolRecord& p = *proto_;
    if (sendFailed_ && state_ < failedState) {
        // Nothing reaches the other side: waiting for its answers is useless.
        sendFailed_ = false;
        port_->ReportError(kStatusSendFailed);
        p.SetStatus(kStatusSendFailed);
        savedStatus_ = kStatusSendFailed;
        state_ = failedState;
    }
    if (state_ == failedState || state_ == cleanupState || !CommonStep(headerWait, failedState))
        return false;
    savedStatus_ = p.Status();
    return true;
}

int ZmodemEngine::EndStep(int result) {
    uint16_t now = proto_->Status();
    if (now == kZHeaderDone || now == kZPending) now = kStatusOk;
    proto_->SetStatus(now);
    savedStatus_ = now;
    return result;
}

bool ZmodemEngine::CountTimeout(uint8_t failedState) {
    LastError("Timeout");
    CountError();
    if (proto_->BlockErrors <= proto_->HandshakeRetry) return true;
    LastError("Handshake error");
    Fail(kStatusZmodemHandshake);
    state_ = failedState;
    return false;
}

// The last of a transfer in either direction, once its outcome is known.
void ZmodemEngine::EndTransfer() {
    inProgress_ = false;
    proto_->ShowLastStatus();
    port_->FlushInput();
    port_->TransferActive = false;
}

// ---- sending ----

void ZmodemEngine::PrepareTransmit() {
    proto_->FindingFirst = true;
    PrepareCommon();
    state_ = kTxInit;
    fileStarted_ = false;
}

void ZmodemEngine::Transmit() {
    PrepareTransmit();
    for (;;) {
        if (proto_->BackgroundHook) proto_->BackgroundHook(*proto_);
        const int r = TransmitStep();
        if (r == kStepFinished) break;
        if (r == kStepWaiting) Wait();
    }
}

void ZmodemEngine::BuildFileInfo() {
    ProtocolRecord& p = *proto_;
    std::memset(fileInfo_, 0, sizeof fileInfo_);
    if (p.UpcaseNames) p.PathName = UpperCaseName(p.PathName);
    p.TransferFileName = p.PathName;
    std::string name = options_.AsName.empty() ? p.PathName : options_.AsName;
    // The name goes whole, extension and all: cutting a name with several
    // dots would make the other side create a different file.
    if (!TestFlag(p.Options, kOptionIncludeDirectory)) name = NamePart(name);
    std::replace(name.begin(), name.end(), '\\', '/');
    std::string text = name;
    text += '\0';
    text += std::to_string(p.SrcFileLen);
    if (p.SrcFileDate != 0) text += " " + OctalText(uint32_t(DosTimeToUnix(p.SrcFileDate)));
    text += '\0';
    fileInfoLength_ = std::min(text.size(), sizeof fileInfo_);
    std::memcpy(fileInfo_, text.data(), fileInfoLength_);
    p.BytesRemaining = p.SrcFileLen;
    p.BytesTransferred = 0;
    p.ForceStatus = true;
}

bool ZmodemEngine::StartFile() {
    ProtocolRecord& p = *proto_;
    std::string next;
    if (!p.NextFileHook(p, next)) return false;
    fileStarted_ = true;
    p.PathName = next;
    if (p.UpcaseNames) p.PathName = UpperCaseName(p.PathName);
    p.BytesTransferred = 0;
    p.BytesRemaining = 0;
    p.FileOfs = 0;
    if (p.LogHook) p.LogHook(p, kLogTransmitStart);
    p.SetStatus(kStatusOk);
    p.PrepareReadingHook(p);
    return true;
}

void ZmodemEngine::Reposition(uint32_t position, bool limited) {
    ProtocolRecord& p = *proto_;
    CountError();
    int64_t to = std::min<int64_t>(position, 0x7FFFFFFF);
    if (limited) to = std::min<int64_t>(to, p.SrcFileLen);
    p.FileOfs = int32_t(to);
    p.BytesTransferred = p.FileOfs;
    p.BytesRemaining = p.SrcFileLen - p.FileOfs;
    if (p.BlockLen > 256) p.BlockLen = uint16_t(p.BlockLen / 2);
    blockReduced_ = true;
    goodBlocks_ = 0;
    port_->FlushOutput();
    LastError("Repositioning");
    p.ForceStatus = true;
    state_ = kTxDataHeader;
}

// A header that answers the data (while streaming or after a ZCRCW).
void ZmodemEngine::HandleDataAnswer() {
    ProtocolRecord& p = *proto_;
    switch (framing_.RxType) {
        case kZack:
            state_ = kTxDataHeader;
            break;
        case kZrpos:
            Reposition(GetPosition(framing_.RxHeader), true);
            break;
        case kZabort:
        case kZcan:
            p.SetStatus(kZCancelled);
            p.ForceStatus = true;
            state_ = kTxError;
            break;
        default:
            SendBinary(kZnak, 0);
            break;
    }
}

int ZmodemEngine::TransmitStep() {
    ProtocolRecord& p = *proto_;
    if (state_ == kTxDone) return kStepFinished;
    const bool headerWait = state_ == kTxHandshake || state_ == kTxFileInfoAnswer ||
                            state_ == kTxBlockAnswer || state_ == kTxEofAnswer ||
                            state_ == kTxEofWait || state_ == kTxFinishAnswer;
    if (BeginStep(headerWait, kTxError, kTxCleanup)) return kStepGoOn;
    int result = kStepGoOn;
    const uint16_t status = p.Status();
    const bool timedOut = status == kStatusTimeout || status == kZBadCheck;
    const bool header = status == kZHeaderDone;
    const uint8_t type = framing_.RxType;
    switch (state_) {
        case kTxInit: {
            p.StatusText = "Initializing";
            framing_.CanCount = 0;
            // "rz" CR starts a receiver on a host that waits at its prompt.
            uint8_t start[32] = {'r', 'z', '\r', 0};
            framing_.SendAttention(start);
            SendHex(kZrqinit, 0);
            p.BlockErrors = 0;
            StartTimer(p.HandshakeWait);
            state_ = kTxHandshake;
            break;
        }
        case kTxHandshake:
            p.StatusText = "Handshaking";
            result = kStepWaiting;
            if (timedOut) {
                if (CountTimeout(kTxError)) {
                    SendHex(kZrqinit, 0);
                    StartTimer(p.HandshakeWait);
                }
            } else if (header) {
                if (type == kZrinit) {
                    receiverBuffer_ = uint16_t(framing_.RxHeader[0] | framing_.RxHeader[1] << 8);
                    framing_.Crc32Allowed = (framing_.RxHeader[3] & kCanFcrc32) != 0;
                    p.CheckType = framing_.Crc32Allowed ? 4 : 3;
                    p.BlockCheck = p.CheckType;
                    framing_.EscapeAll = (framing_.RxHeader[3] & kEscapeControls) != 0;
                    state_ = kTxNextFile;
                    result = kStepGoOn;
                } else if (type == kZchallenge) {
                    SendHex(kZack, GetPosition(framing_.RxHeader));
                } else if (type != kZrqinit) {
                    SendHex(kZnak, 0);
                }
            }
            break;

        case kTxNextFile:
            p.StatusText = "Getting file info";
            if (!StartFile()) {
                p.SetStatus(kStatusOk);
                state_ = kTxFinish;
                break;
            }
            if (p.Status() != kStatusOk) {
                const uint16_t failure = p.Status();
                Cancel();
                p.SetStatus(failure);
                state_ = kTxError;
                break;
            }
            StartTickTimer(p.TransferTimer, kTicksPerDay);
            inProgress_ = true;
            BuildFileInfo();
            state_ = kTxFileInfo;
            break;

        case kTxFileInfo: {
            p.StatusText = "Sending file info";
            uint8_t flags[4] = {0, 0, management_, uint8_t(recover_ ? kZconvResume : conversion_)};
            framing_.SendBinaryHeader(kZfile, flags);
            framing_.SendSubpacket(fileInfo_, fileInfoLength_, kZcrcw);
            Flush();
            p.BytesTransferred = 0;
            p.BlockErrors = 0;
            StartTimer(p.HandshakeWait);
            state_ = kTxFileInfoAnswer;
            break;
        }
        case kTxFileInfoAnswer:
            result = kStepWaiting;
            if (timedOut) {
                LastError("Timeout");
                CountError();
                if (p.BlockErrors > p.HandshakeRetry) {
                    Fail(kStatusTimeout);
                    state_ = kTxError;
                } else {
                    state_ = kTxFileInfo;
                    result = kStepGoOn;
                }
            } else if (header) {
                if (type == kZskip) {
                    p.SetStatus(kStatusZmodemSkipped);
                    p.UpdateStatus(false, false);
                    p.FinishReadingHook(p);
                    if (p.LogHook) p.LogHook(p, kLogTransmitSkipped);
                    state_ = kTxNextFile;
                    result = kStepGoOn;
                } else if (type == kZrpos) {
                    const int64_t at =
                        std::min<int64_t>(GetPosition(framing_.RxHeader), p.SrcFileLen);
                    p.FileOfs = int32_t(at);
                    p.BytesTransferred = p.FileOfs;
                    p.BytesRemaining = p.SrcFileLen - p.FileOfs;
                    state_ = kTxDataHeader;
                    result = kStepGoOn;
                } else if (type == kZcrc) {
                    const uint32_t crc = p.FileCrc32(p.PathName, 0);
                    if (p.Status() == kStatusOk) {
                        SendHex(kZcrc, crc);
                    } else {
                        state_ = kTxError;
                    }
                } else if (type == kZabort || type == kZcan) {
                    p.SetStatus(kZCancelled);
                    state_ = kTxError;
                }
            }
            break;

        case kTxDataHeader:
            p.StatusText = "Checking file";
            port_->FlushInput();
            port_->FlushOutput();
            sinceZcrcw_ = 0;
            p.BlockErrors = 0;
            SendBinary(kZdata, uint32_t(p.FileOfs));
            state_ = kTxReadBlock;
            break;

        case kTxReadBlock: {
            if (blockReduced_ && goodBlocks_ > 4) {
                p.BlockLen = kZBlockMax;
                blockReduced_ = false;
            }
            uint16_t size = p.BlockLen;
            p.SetStatus(kStatusOk);
            endOfFile_ = p.ReadBlockHook(p, block_, size);
            if (p.Status() != kStatusOk) {
                const uint16_t failure = p.Status();
                Cancel();
                p.SetStatus(failure);
                state_ = kTxError;
                break;
            }
            blockCount_ = std::min<uint16_t>(size, uint16_t(kZBlockMax));
            if (endOfFile_) {
                end_ = kZcrce;
            } else if (receiverBuffer_ != 0 && sinceZcrcw_ + blockCount_ >= receiverBuffer_) {
                end_ = kZcrcw;
            } else {
                end_ = kZcrcg;
            }
            if (options_.UseWindows &&
                p.BytesTransferred - int32_t(receiverBuffer_) > options_.WindowSize)
                end_ = kZcrcw;
            escapedLength_ = framing_.BuildSubpacket(block_, blockCount_, end_, escaped_);
            StartTimer(p.TransTimeout);
            p.BlockErrors = 0;
            state_ = kTxSendBlock;
            break;
        }
        case kTxSendBlock: {
            p.StatusText = "Sending data";
            // A repositioning request that came while streaming is obeyed
            // before more data go out.
            const uint16_t got = CollectHeader();
            if (got == kZCancelled) {
                p.SetStatus(kZCancelled);
                state_ = kTxError;
                break;
            }
            if (got == kZHeaderDone) {
                p.SetStatus(kStatusOk);
                HandleDataAnswer();
                break;
            }
            p.SetStatus(kStatusOk);
            // The header before it leaves first, then the subpacket whole.
            Flush();
            if (p.Status() == kStatusOk && !port_->LinkInUse().Send(escaped_, escapedLength_))
                p.SetStatus(kStatusSendFailed);
            if (p.Status() != kStatusOk) {
                state_ = kTxError;
                break;
            }
            p.FileOfs += blockCount_;
            p.BytesTransferred += blockCount_;
            p.BytesRemaining -= blockCount_;
            sinceZcrcw_ += blockCount_;
            if (blockReduced_) ++goodBlocks_;
            if (end_ == kZcrce) {
                p.BlockErrors = 0;
                state_ = kTxEof;
            } else if (end_ == kZcrcw) {
                StartTimer(p.TransTimeout);
                state_ = kTxBlockAnswer;
            } else {
                state_ = kTxReadBlock;
            }
            break;
        }
        case kTxBlockAnswer:
            result = kStepWaiting;
            if (timedOut) {
                if (CountTimeout(kTxError)) state_ = kTxDataHeader;
            } else if (header) {
                p.SetStatus(kStatusOk);
                HandleDataAnswer();
            }
            if (state_ != kTxBlockAnswer) result = kStepGoOn;
            break;

        case kTxEof:
            p.StatusText = "Waiting EOF";
            SendBinary(kZeof, uint32_t(p.FileOfs));
            Flush();
            StartTickTimer(p.StatusTimer, 18);
            StartTimer(finishWait_);
            state_ = kTxEofAnswer;
            break;

        case kTxEofAnswer:
        case kTxEofWait:
            result = kStepWaiting;
            if (header) {
                switch (type) {
                    case kZrinit:
                    case kZskip:
                        p.FinishReadingHook(p);
                        if (p.LogHook) p.LogHook(p, kLogTransmitDone);
                        p.SetStatus(kStatusOk);
                        state_ = kTxNextFile;
                        break;
                    case kZack:
                        break;
                    case kZabort:
                    case kZcan:
                        p.SetStatus(kZCancelled);
                        p.ForceStatus = true;
                        state_ = kTxError;
                        break;
                    case kZrpos:
                        Reposition(GetPosition(framing_.RxHeader), state_ == kTxEofAnswer);
                        break;
                    default:
                        SendBinary(kZnak, 0);
                        Flush();
                        break;
                }
            } else if (state_ == kTxEofAnswer) {
                // Nothing of ours waits to go out: the answer has the finish
                // wait to come.
                state_ = kTxEofWait;
            } else if (timedOut) {
                LastError("Timeout");
                CountError();
                if (p.BlockErrors > kDataErrorLimit) {
                    Fail(kStatusTimeout);
                    state_ = kTxError;
                } else {
                    state_ = kTxEof;
                }
            }
            if (state_ != kTxEofAnswer && state_ != kTxEofWait) result = kStepGoOn;
            break;

        case kTxFinish:
            p.StatusText = "Finishing (cleanup)";
            SendHex(kZfin, uint32_t(p.FileOfs));
            StartTimer(finishWait_);
            p.BlockErrors = 0;
            state_ = kTxFinishAnswer;
            break;

        case kTxFinishAnswer:
            result = kStepWaiting;
            if (header || timedOut) {
                if (header && type == kZfin) {
                    port_->PutString("OO");
                    Flush();
                }
                p.SetStatus(kStatusOk);
                state_ = kTxCleanup;
                result = kStepGoOn;
            }
            break;

        case kTxError: {
            const uint16_t failure = p.Status() == kStatusOk ? kZCancelled : p.Status();
            if (fileStarted_) p.FinishReadingHook(p);
            if (!loggedFailure_) {
                loggedFailure_ = true;
                if (p.LogHook) p.LogHook(p, kLogTransmitFailed);
            }
            if (failure == kZCancelled) port_->FlushOutput();
            p.SetStatus(failure);
            state_ = kTxCleanup;
            break;
        }
        case kTxCleanup: {
            const uint16_t final = p.Status();
            port_->FlushInput();
            uint8_t none[32] = {};
            framing_.SendAttention(none);
            p.SetStatus(final);
            if (final == kStatusOk && !fileStarted_) p.SetStatus(kStatusNoMatch);
            EndTransfer();
            state_ = kTxDone;
            break;
        }
        default:
            return kStepFinished;
    }
    return EndStep(result);
}

}  // namespace transfer
