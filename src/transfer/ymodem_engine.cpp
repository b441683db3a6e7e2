#include "transfer/ymodem_engine.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "transfer/host_link.h"
#include "transfer/received_names.h"
#include "transfer/transfer_files.h"

namespace transfer {

namespace {
constexpr uint8_t kCrcCheck = 3;
constexpr uint8_t kChecksum = 1;
}  // namespace

Block0Info ParseBlock0(const uint8_t* data, size_t len) {
    Block0Info info;
    const size_t zeroSpan = std::min<size_t>(len, 128);
    if (std::all_of(data, data + zeroSpan, [](uint8_t b) { return b == 0; })) {
        info.EndOfBatch = true;
        return info;
    }
    size_t i = 0;
    const size_t nameMax = std::min<size_t>(len, 254);
    while (i < nameMax && data[i] != 0) info.Name += char(data[i++]);
    if (info.Name.empty()) {
        info.EndOfBatch = true;
        return info;
    }
    // The name runs to its zero byte; a name that fills the block has no
    // fields after it.
    if (i >= len || data[i] != 0) return info;
    ++i;
    int64_t size = 0;
    bool number = true;
    bool any = false;
    for (; i < len && data[i] != 0 && data[i] != ' '; ++i) {
        any = true;
        if (data[i] < '0' || data[i] > '9') {
            number = false;
            continue;
        }
        if (number) {
            size = size * 10 + (data[i] - '0');
            // Counted no further than what a size can hold.
            if (size > 0x7FFFFFFF) {
                info.TooLarge = true;
                size = 0x80000000LL;
            }
        }
    }
    info.Size = number && any && !info.TooLarge ? int32_t(size) : 0;
    if (!number) info.TooLarge = false;
    if (i >= len || data[i] != ' ') return info;
    ++i;
    std::string time;
    for (; i < len && data[i] != 0 && data[i] != ' ' && time.size() < 64; ++i)
        time += char(data[i]);
    info.Time = OctalValue(time);
    if (info.Time == 0 && time.find_first_not_of('0') != std::string::npos && !time.empty())
        info.BadTime = true;
    return info;
}

size_t BuildBlock0(uint8_t* block, std::string_view announcedName, int32_t size, int32_t dosTime) {
    std::string text(announcedName);
    std::replace(text.begin(), text.end(), '\\', '/');
    text += '\0';
    text += std::to_string(size);
    if (dosTime != 0) text += " " + OctalText(uint32_t(DosTimeToUnix(dosTime)));
    if (text.size() > 1024) text.resize(1024);
    const size_t len = text.size() <= 128 ? 128 : 1024;
    std::memset(block, 0, len);
    std::memcpy(block, text.data(), text.size());
    return len;
}

std::unique_ptr<YmodemEngine> YmodemEngine::Create(TransferPort& port, bool oneK, bool streaming,
                                                   const XyOptions& options) {
    std::unique_ptr<YmodemEngine> e;
    try {
        e.reset(new YmodemEngine());
    } catch (const std::bad_alloc&) {
        port.ReportError(kStatusNoMemory);
        port.SetStatus(kStatusNoMemory);
        return nullptr;
    }
    if (!e->Init(port, oneK, streaming, options)) return nullptr;
    ProtocolRecord& p = e->Proto();
    p.ProtocolType = streaming ? kYmodemG : kYmodem;
    p.EotsToNak = 0;
    p.WriteFailOption = options.WriteFail;
    e->inBatch_ = true;
    return e;
}

// ---- sending ----

void YmodemEngine::PrepareTransmit() {
    ProtocolRecord& p = *proto_;
    p.FindingFirst = true;
    BatchStarted = false;
    port_->TransferActive = true;
    p.ResetStatus();
    p.ShowFirstStatus();
    p.SetStatus(kStatusOk);
    BatchState_ = kSendStart;
}

void YmodemEngine::Transmit() {
    PrepareTransmit();
    for (;;) {
        const StepResult r = TransmitStep();
        if (r == kStepFinished) break;
        if (r == kStepWaiting) Background();
    }
}

bool YmodemEngine::StartFileInfo() {
    ProtocolRecord& p = *proto_;
    p.StatusText = "Getting file info";
    std::string next;
    if (!p.NextFileHook(p, next)) {
        // The mask is used up: a normal end of the batch.
        if (BatchStarted) p.SetStatus(kStatusOk);
        return false;
    }
    FileName = next;
    AnnouncedName = options_.AsName.empty() ? FileName : options_.AsName;
    if (p.UpcaseNames) AnnouncedName = UpperCaseName(AnnouncedName);
    p.PathName = FileName;
    p.SetStatus(kStatusOk);
    p.PrepareReadingHook(p);
    if (p.Status() != kStatusOk) {
        // A file that cannot be read fails the batch rather than vanishing.
        loggedFailure_ = true;
        if (p.LogHook) p.LogHook(p, kLogTransmitFailed);
        return false;
    }
    p.PathName = AnnouncedName;
    p.TransferFileName = AnnouncedName;
    SavedSize = p.SrcFileLen;
    const std::string sent =
        TestFlag(p.Options, kOptionIncludeDirectory) ? AnnouncedName : NamePart(AnnouncedName);
    Block0Len = BuildBlock0(Block0, sent, SavedSize, p.SrcFileDate);
    p.BlockErrors = 0;
    return true;
}

StepResult YmodemEngine::TransmitStep() {
    ProtocolRecord& p = *proto_;
    if (BatchState_ == kSendDone) return kStepFinished;
    if (BatchState_ != kSendFile && BatchState_ != kSendEnd && BatchState_ != kSendEndAnswer &&
        StepPreamble()) {
        BatchState_ = kSendEnd;
    }
    switch (BatchState_) {
        case kSendStart:
            p.StatusText = "Initializing";
            HandshakeTries = 0;
            RetryHandshake();
            BatchState_ = kSendHandshake;
            return kStepGoOn;

        case kSendHandshake:
            switch (WaitForHandshake()) {
                case HandshakeWait::Waiting:
                    return kStepWaiting;
                case HandshakeWait::Accepted:
                    BatchState_ = kSendFileInfo;
                    return kStepGoOn;
                case HandshakeWait::Failed:
                    BatchState_ = kSendEnd;
                    return kStepGoOn;
                case HandshakeWait::Retried:
                    return kStepGoOn;
            }
            return kStepGoOn;

        case kSendFileInfo:
            BatchState_ = StartFileInfo() ? kSendInfoBlock : kSendEnd;
            return kStepGoOn;

        case kSendInfoBlock: {
            p.StatusText = "Sending file info";
            if (p.BlockErrors > MaxErrors) {
                port_->ReportError(kStatusTooManyErrors);
                p.SetStatus(kStatusTooManyErrors);
                BatchState_ = kSendEnd;
                return kStepGoOn;
            }
            p.BlockNum = 0;
            const uint16_t savedLen = p.BlockLen;
            const uint8_t savedStart = StartChar;
            p.BlockLen = uint16_t(Block0Len);
            StartChar = Block0Len == 128 ? kSoh : kStx;
            SendBlock(Block0);
            p.BlockLen = savedLen;
            StartChar = savedStart;
            port_->FlushBatch();
            BatchStarted = true;
            if (p.Status() != kStatusOk) {
                BatchState_ = kSendEnd;
                return kStepGoOn;
            }
            StartTimer(BlockWait);
            BatchState_ = kSendInfoAnswer;
            return kStepGoOn;
        }

        case kSendInfoAnswer: {
            p.StatusText = "Waiting reply";
            if (!Streaming) {
                const int c = ReadyByte();
                if (c == kNoLinkByte && !TimerExpired()) return kStepWaiting;
                if (c == kCan) {
                    p.SetStatus(kStatusCancelled);
                    BatchState_ = kSendEnd;
                    return kStepGoOn;
                }
                if (c != kAck) {
                    CountError();
                    BatchState_ = kSendInfoBlock;
                    return kStepGoOn;
                }
            }
            // Synchronizing: the data go as an XMODEM send of 1024-byte blocks.
            p.StatusText = "Synchronizing";
            p.BytesTransferred = 0;
            p.ElapsedTicks = 0;
            p.PathName = AnnouncedName;
            SetBlockSize(true);
            p.ProtocolType = Streaming ? kYmodemG : kYmodem;
            FirstBlockNum = 1;
            p.CheckType = kCrcCheck;
            txState_ = kTxStart;
            BatchState_ = kSendFile;
            return kStepGoOn;
        }

        case kSendFile: {
            // The XMODEM start resets the figures; the file is already open.
            const StepResult r = XmodemEngine::TransmitStep();
            if (r != kStepFinished) return r;
            if (p.Status() == kStatusOk) {
                BatchState_ = kSendStart;
                return kStepGoOn;
            }
            BatchStarted = false;
            BatchState_ = kSendEnd;
            return kStepGoOn;
        }

        case kSendEnd:
            p.StatusText = "Finishing (cleanup)";
            {
                const uint16_t status = p.Status();
                p.FinishReadingHook(p);
                p.SetStatus(status);
            }
            if (BatchStarted && p.Status() != kStatusCancelled && p.Status() != kStatusAborted) {
                uint8_t empty[128] = {};
                p.BlockNum = 0;
                const uint16_t savedLen = p.BlockLen;
                p.BlockLen = 128;
                StartChar = kSoh;
                const uint16_t status = p.Status();
                SendBlock(empty);
                port_->FlushBatch();
                p.SetStatus(status);
                p.BlockLen = savedLen;
                StartTimer(BlockWait);
                BatchState_ = kSendEndAnswer;
                return kStepGoOn;
            }
            BatchState_ = kSendEndAnswer;
            StartTimer(0);
            return kStepGoOn;

        case kSendEndAnswer:
            if (BatchStarted && !port_->PollReady() && !TimerExpired()) return kStepWaiting;
            if (BatchStarted && port_->PollReady()) port_->GetChar();
            if (p.Status() != kStatusOk && !loggedFailure_) {
                loggedFailure_ = true;
                if (p.LogHook) p.LogHook(p, kLogTransmitFailed);
            }
            p.ShowLastStatus();
            port_->TransferActive = false;
            BatchState_ = kSendDone;
            return kStepFinished;

        default:
            return kStepFinished;
    }
}

// ---- receiving ----

void YmodemEngine::PrepareReceive() {
    ProtocolRecord& p = *proto_;
    port_->TransferActive = true;
    p.ResetStatus();
    p.ShowFirstStatus();
    p.ForceStatus = true;
    p.SetStatus(kStatusOk);
    BatchState_ = kRecvPerFile;
}

void YmodemEngine::Receive() {
    PrepareReceive();
    for (;;) {
        const StepResult r = ReceiveStep();
        if (r == kStepFinished) break;
        if (r == kStepWaiting) Background();
    }
}

void YmodemEngine::EndReceiveBatch(bool failed) {
    ProtocolRecord& p = *proto_;
    p.StatusText = "Finishing (cleanup)";
    if (failed) {
        if (p.Status() == kStatusOk) p.SetStatus(kStatusCancelled);
        // A batch that fails before any file could say so still fails.
        if (!loggedFailure_) {
            loggedFailure_ = true;
            if (p.LogHook) p.LogHook(p, kLogReceiveFailed);
        }
    }
    p.ShowLastStatus();
    port_->TransferActive = false;
    BatchState_ = kRecvDone;
}

void YmodemEngine::ReadBlock0() {
    ProtocolRecord& p = *proto_;
    const Block0Info info = ParseBlock0(BlockBuffer + 2, p.BlockLen);
    if (info.EndOfBatch) {
        p.SetStatus(kStatusOk);
        EndReceiveBatch(false);
        return;
    }
    std::string name = SafeReceivedName(info.Name);
    if (name.empty() || info.TooLarge) {
        // Nothing safe to create, or more than the sizes can count.
        const uint16_t status = info.TooLarge ? kStatusFileTooLarge : kStatusNoReceiveName;
        Cancel();
        port_->ReportError(status);
        p.SetStatus(status);
        EndReceiveBatch(true);
        return;
    }
    if (p.UpcaseNames) name = UpperCaseName(name);
    p.PathName = JoinFolder(p.DestDir, name);
    p.TransferFileName = p.PathName;
    if (TransferFileExists(p.PathName)) {
        if (options_.WriteFail == kWriteFailRefuse) {
            Cancel();
            port_->ReportError(kStatusRefusedExisting);
            p.SetStatus(kStatusRefusedExisting);
            loggedFailure_ = true;
            if (p.LogHook) p.LogHook(p, kLogReceiveSkipped);
            EndReceiveBatch(false);
            return;
        }
        if (options_.WriteFail == kWriteFailRename && !RenameExistingFile(p.PathName)) {
            Cancel();
            port_->ReportError(kStatusRenameFailed);
            p.SetStatus(kStatusRenameFailed);
            EndReceiveBatch(true);
            return;
        }
    }
    // The existing file (if any) is out of the way or to be replaced.
    p.WriteFailOption = kWriteFailOverwrite;
    SavedSize = info.Size;
    p.SrcFileLen = info.Size;
    p.BytesRemaining = info.Size;
    FileTime = info.Time;
    if (info.BadTime) {
        port_->ReportError(kNoticeBadDate);
        p.SetStatus(kStatusBadDate);
        p.UpdateStatus(false, false);
    }
    p.SetStatus(kStatusOk);
    p.BytesTransferred = 0;
    p.ElapsedTicks = 0;
    p.CheckType = kCrcCheck;
    SetBlockSize(true);
    p.ProtocolType = Streaming ? kYmodemG : kYmodem;
    FirstBlockNum = 1;
    rxState_ = kRxStart;
    BatchState_ = kRecvFile;
}

void YmodemEngine::AfterFileReceived() {
    ProtocolRecord& p = *proto_;
    auto report = [&](int io) {
        if (io != kIoOk) port_->ReportError(uint16_t(kWarningOffset + io));
    };
    std::unique_ptr<TransferFile> file;
    if (TransferFiles().OpenRead(p.PathName, file) == kIoOk) {
        const int64_t length = file->Size();
        file.reset();
        // Only the 0x1A padding of the last block is cut, never data.
        if (SavedSize != 0 && length > SavedSize && length < int64_t(SavedSize) + 1024)
            report(TransferFiles().Truncate(p.PathName, SavedSize));
    }
    if (FileTime != 0) report(TransferFiles().SetWriteTime(p.PathName, FileTime));
    p.SetStatus(kStatusOk);
}

StepResult YmodemEngine::ReceiveStep() {
    ProtocolRecord& p = *proto_;
    if (BatchState_ == kRecvDone) return kStepFinished;
    if (BatchState_ != kRecvFile && StepPreamble()) {
        EndReceiveBatch(true);
        return kStepFinished;
    }
    switch (BatchState_) {
        case kRecvPerFile:
            p.StatusText = "Initializing";
            p.SrcFileLen = 0;
            p.BytesRemaining = 0;
            p.BytesTransferred = 0;
            p.ElapsedTicks = 0;
            p.BlockNum = 0;
            p.PathName.clear();
            std::memset(BlockBuffer, 0, sizeof BlockBuffer);
            if (p.CheckType != kChecksum) p.CheckType = kCrcCheck;
            TrailerLen = p.CheckType == kCrcCheck ? 4 : 3;
            StartTimer(9);
            BatchEots = 0;
            BatchState_ = kRecvHandshake;
            return kStepGoOn;

        case kRecvHandshake:
            if (!TimerExpired()) return kStepWaiting;
            HandshakeChar = Streaming ? 'G' : p.CheckType == kCrcCheck ? 'C' : kNak;
            SendHandshake();
            EotCount = 0;
            CanCount = 0;
            FirstBlock = true;
            StartTimer(p.HandshakeWait);
            BatchState_ = kRecvWaitFirst;
            return kStepWaiting;

        case kRecvWaitFirst:
            if (port_->PollReady()) {
                if (FirstBlock && Streaming) MaxErrors = 0;
                BatchState_ = kRecvBlockStart;
                return kStepGoOn;
            }
            if (!TimerExpired()) return kStepWaiting;
            CountError();
            if (p.BlockErrors > std::max<uint8_t>(MaxErrors, 5)) {
                port_->ReportError(kStatusTimeout);
                p.SetStatus(kStatusTimeout);
                EndReceiveBatch(true);
                return kStepFinished;
            }
            if (p.BlockErrors > 3 && !Streaming) {
                p.CheckType = kChecksum;
                HandshakeChar = kNak;
                TrailerLen = 3;
            }
            SendHandshake();
            StartTimer(p.HandshakeWait);
            return kStepWaiting;

        case kRecvBlockStart: {
            for (;;) {
                const int c = ReadyByte();
                if (c == kNoLinkByte) break;
                if (c == kSoh || c == kStx) {
                    if (FirstBlock) {
                        FirstBlock = false;
                        StartTickTimer(p.TransferTimer, kTicksPerDay);
                    }
                    p.BlockLen = c == kSoh ? 128 : 1024;
                    Received = 0;
                    StartTimer(BlockWait);
                    BatchState_ = kRecvCollect;
                    return kStepGoOn;
                }
                if (c == kEot) {
                    CanCount = 0;
                    if (++BatchEots >= 2) {
                        SendReply(kAck);
                        p.SetStatus(kStatusOk);
                        EndReceiveBatch(false);
                        return kStepFinished;
                    }
                    SendReply(kNak);
                    continue;
                }
                if (c == kCan) {
                    if (++CanCount >= 3) {
                        Cancel();
                        p.SetStatus(kStatusCancelled);
                        EndReceiveBatch(true);
                        return kStepFinished;
                    }
                    continue;
                }
                CanCount = 0;
            }
            if (!TimerExpired()) return kStepWaiting;
            CountError();
            if (p.BlockErrors > std::max<uint8_t>(MaxErrors, 5)) {
                port_->ReportError(kStatusTimeout);
                p.SetStatus(kStatusTimeout);
                EndReceiveBatch(true);
                return kStepFinished;
            }
            port_->DiscardInput();
            BatchState_ = kRecvHandshake;
            StartTimer(0);
            return kStepGoOn;
        }

        case kRecvCollect: {
            const uint16_t want = uint16_t(p.BlockLen + TrailerLen);
            bool got = false;
            HostLink& link = port_->LinkInUse();
            while (Received < want && port_->PollReady()) {
                BlockBuffer[Received++] = uint8_t(link.ReadByte());
                got = true;
            }
            if (Received < want) {
                if (got) {
                    StartTimer(BlockWait);
                    return kStepWaiting;
                }
                if (!TimerExpired()) return kStepWaiting;
                port_->ReportError(kErrorBlockTimeout);
                CountError();
                BatchState_ = kRecvHandshake;
                StartTimer(0);
                return kStepGoOn;
            }
            const BlockVerdict v = CheckBlock(BlockBuffer, p.BlockLen, TrailerLen == 4, 0);
            if (v != BlockVerdict::kGood) {
                CountError();
                if (Streaming || p.BlockErrors > std::max<uint8_t>(MaxErrors, 5)) {
                    Cancel();
                    port_->ReportError(v == BlockVerdict::kBadCheck ? kNoticeBadCheck
                                                                    : kStatusBadBlockNumber);
                    p.SetStatus(v == BlockVerdict::kBadCheck ? kStatusBadCheck
                                                             : kStatusBadBlockNumber);
                    EndReceiveBatch(true);
                    return kStepFinished;
                }
                port_->DiscardInput();
                SendReply(kNak);
                StartTimer(p.HandshakeWait);
                BatchState_ = kRecvWaitFirst;
                return kStepGoOn;
            }
            if (!Streaming) SendReply(kAck);
            p.BlockErrors = 0;
            ReadBlock0();
            return BatchState_ == kRecvDone ? kStepFinished : kStepGoOn;
        }

        case kRecvFile: {
            const StepResult r = XmodemEngine::ReceiveStep();
            if (r != kStepFinished) return r;
            if (p.Status() != kStatusOk) {
                EndReceiveBatch(true);
                return kStepFinished;
            }
            AfterFileReceived();
            BatchState_ = kRecvPerFile;
            return kStepGoOn;
        }

        default:
            return kStepFinished;
    }
}

}  // namespace transfer
