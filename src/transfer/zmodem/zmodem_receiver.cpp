// The receiving half of the ZMODEM engine and its file management.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "transfer/received_names.h"
#include "transfer/transfer_files.h"
#include "transfer/xmodem_engine.h"
#include "transfer/zmodem/zmodem_engine.h"

namespace transfer {

namespace {

enum : uint8_t {
    kRxInvite = 17,
    kRxInviteWait = 18,
    kRxHeader = 19,
    kRxFileInfo = 20,
    kRxSinitDone = 21,
    kRxSinit = 22,
    kRxSync = 23,
    kRxFileStart = 24,
    kRxDataHeader = 25,
    kRxData = 26,
    kRxWaitEof = 28,
    kRxEof = 29,
    kRxFinish = 30,
    kRxFinishWait = 31,
    kRxFailed = 32,
    kRxCleanup = 34,
    kRxDone = 35,
};

constexpr int kDataErrorLimit = 20;

// The free space of the folder, clamped to what a header position holds.
uint32_t FreeSpace(const std::string& folder) {
    std::error_code ec;
    const auto info = std::filesystem::space(folder.empty() ? "." : folder, ec);
    if (ec) return 0;
    return uint32_t(std::min<uintmax_t>(info.available, 0xFFFFFFFFu));
}

std::string FolderKey(std::string s) {
    std::replace(s.begin(), s.end(), '/', '\\');
    while (!s.empty() && s.back() == '\\') s.pop_back();
    return UpperCaseName(s);
}

}  // namespace

ZfileInfo ParseZfileInfo(const uint8_t* data, size_t length) {
    ZfileInfo info;
    size_t i = 0;
    while (i < length && data[i] != 0 && info.Name.size() < 254) info.Name += char(data[i++]);
    while (i < length && data[i] != 0) ++i;  // a longer name is cut
    if (i < length) ++i;
    int64_t size = 0;
    bool digits = true;
    for (; i < length && data[i] != 0 && data[i] != ' '; ++i) {
        if (data[i] < '0' || data[i] > '9') {
            digits = false;
            continue;
        }
        if (digits) size = std::min<int64_t>(size * 10 + (data[i] - '0'), 0x7FFFFFFF);
    }
    info.Size = digits ? int32_t(size) : 0;
    if (i >= length || data[i] != ' ') return info;
    ++i;
    std::string date;
    for (; i < length && data[i] != 0 && data[i] != ' ' && date.size() < 32; ++i)
        date += char(data[i]);
    const std::string trimmed = TrimNumberText(date);
    if (!trimmed.empty() || (!date.empty() && date.find_first_not_of('0') == std::string::npos)) {
        info.HasDate = true;
        info.Date = OctalValue(date);
    }
    return info;
}

void ZmodemEngine::PrepareReceive() {
    if (proto_->LogHook) proto_->LogHook(*proto_, kLogReceiveStart);
    PrepareCommon();
    port_->FlushInput();
    invitation_ = kZrinit;
    state_ = kRxInvite;
}

void ZmodemEngine::Receive() {
    PrepareReceive();
    for (;;) {
        const int r = ReceiveStep();
        if (r == kStepFinished) break;
        if (r == kStepWaiting) {
            if (proto_->BackgroundHook) proto_->BackgroundHook(*proto_);
            Wait();
        }
    }
}

void ZmodemEngine::ReadFileInfo() {
    ProtocolRecord& p = *proto_;
    const ZfileInfo info = ParseZfileInfo(framing_.Data, framing_.DataCount);
    senderName_ = info.Name;
    std::replace(senderName_.begin(), senderName_.end(), '/', '\\');
    std::string name = SafeReceivedName(info.Name);
    if (p.UpcaseNames) name = UpperCaseName(name);
    p.PathName = name.empty() ? std::string() : JoinFolder(p.DestDir, name);
    p.TransferFileName = p.PathName;
    p.SrcFileLen = info.Size;
    p.BytesRemaining = info.Size;
    p.BytesTransferred = 0;
    p.SrcFileDate = info.HasDate ? info.Date : UnixTimeNow();
}

void ZmodemEngine::PrepareWriting() {
    ProtocolRecord& p = *proto_;
    p.SetStatus(kStatusOk);
    const bool skipNoLocal = (management_ & kZmSkipNoLocal) != 0;
    uint8_t rule = management_ & 7;
    if (recover_) conversion_ = kZconvResume;
    if (p.PathName.empty()) {
        // Nothing of the sender's name can be created safely here.
        p.SetStatus(kStatusZmodemSkippedByRule);
        return;
    }
    if (options_.DirectoryLocked) {
        const std::string folder = DirectoryPart(senderName_);
        if (!folder.empty() && FolderKey(folder) != FolderKey(p.DestDir)) {
            Fail(kIoDenied);
            return;
        }
    }
    bool exists = false;
    int64_t existingSize = 0;
    int32_t existingDate = 0;
    {
        std::unique_ptr<TransferFile> file;
        const int io = TransferFiles().OpenRead(p.PathName, file);
        if (io != kIoOk && io != kIoNotFound) {
            Fail(uint16_t(io));
            return;
        }
        if (io == kIoOk) {
            exists = true;
            existingSize = std::max<int64_t>(file->Size(), 0);
            existingDate = DosTimeToUnix(file->DosTime());
        }
    }
    if (exists && override_) {
        switch (options_.WriteFail) {
            case kWriteFailRefuse:
                p.SetStatus(kStatusZmodemSkippedByRule);
                return;
            case kWriteFailRename:
                if (!RenameExistingFile(p.PathName)) {
                    Fail(kStatusZmodemRenameFailed);
                    return;
                }
                exists = false;
                existingSize = 0;
                break;
            case 3:
                rule = kZmAppend;
                break;
            default:
                break;
        }
    }
    // Where the protocol's offset starts, and whether the file keeps what
    // it holds (the data then go after it).
    int64_t start = 0;
    bool keep = false;
    if (exists && existingSize < p.SrcFileLen && (conversion_ & 3) == kZconvResume) {
        start = existingSize;
        keep = true;
    } else if (!exists) {
        if (skipNoLocal) {
            p.SetStatus(kStatusZmodemNoLocalFile);
            return;
        }
    } else {
        const bool newer = p.SrcFileDate > existingDate;
        const bool longer = p.SrcFileLen > existingSize;
        bool skip = false;
        switch (rule) {
            case kZmNewerOrLonger:
                skip = !newer && !longer;
                break;
            case kZmNewer:
            case kZmNewerDate:
                skip = !newer;
                break;
            case kZmAppend:
                // The whole incoming file goes after the old data; the
                // sender still starts at its own offset 0.
                keep = true;
                break;
            case kZmDifferent:
                skip = p.SrcFileDate == existingDate && p.SrcFileLen == existingSize;
                break;
            case kZmProtect:
                skip = true;
                break;
            default:
                break;
        }
        if (skip) {
            p.SetStatus(kStatusZmodemSkippedByRule);
            return;
        }
    }
    std::unique_ptr<TransferFile> file;
    const int io = keep ? TransferFiles().OpenAppend(p.PathName, file)
                        : TransferFiles().Create(p.PathName, file);
    if (io != kIoOk) {
        Fail(uint16_t(io));
        return;
    }
    p.WorkFile = std::move(file);
    writeStart_ = keep ? existingSize : 0;
    p.FileOfs = p.BufStart = p.LastOfs = int32_t(start);
    p.BufEnd = p.FileOfs + int32_t(kFileBufferSize);
    p.FileOpen = true;
    p.ConvertNewlines = false;
}

bool ZmodemEngine::WriteData() {
    ProtocolRecord& p = *proto_;
    if (conversion_ == kZconvNewlines) p.ConvertNewlines = true;
    const uint16_t count = uint16_t(framing_.DataCount);
    if (count > 0 && p.WriteBlockHook(p, framing_.Data, count)) {
        const uint16_t failure = p.Status() == kStatusOk ? kIoWriteError : p.Status();
        Cancel();
        p.SetStatus(failure);
        return false;
    }
    p.FileOfs += count;
    p.BytesTransferred += count;
    p.BytesRemaining -= count;
    // The elapsed time is brought up to date with the status display and at
    // the end of the file rather than for every subpacket, which keeps clock
    // reads off the data path.
    return true;
}

bool ZmodemEngine::FinishWriting() {
    ProtocolRecord& p = *proto_;
    if (!p.FileOpen) return false;
    const uint16_t before = p.Status();
    const bool failed = p.FinishWriting();
    if (!failed) {
        p.SetStatus(before);
        if (p.SrcFileDate > 0) TransferFiles().SetWriteTime(p.PathName, p.SrcFileDate);
    }
    p.ConvertNewlines = false;
    return failed;
}

int ZmodemEngine::ReceiveStep() {
    ProtocolRecord& p = *proto_;
    if (state_ == kRxDone) return kStepFinished;
    const bool headerWait = state_ == kRxHeader || state_ == kRxDataHeader || state_ == kRxWaitEof;
    if (BeginStep(headerWait, kRxFailed, kRxCleanup)) return kStepGoOn;
    int result = kStepGoOn;
    const uint16_t status = p.Status();
    const bool timedOut = status == kStatusTimeout || status == kZBadCheck;
    const bool header = status == kZHeaderDone;
    const uint8_t type = framing_.RxType;
    // Too many errors in the data phase: the transfer ends.
    auto dataError = [&](const char* text) {
        LastError(text);
        CountError();
        if (p.BlockErrors > kDataErrorLimit) {
            LastError("Block error");
            Cancel();
            Fail(kStatusZmodemTooManyErrors);
            state_ = kRxFailed;
            return;
        }
        framing_.SendAttention(attention_);
        state_ = kRxSync;
    };
    switch (state_) {
        case kRxInvite:
            p.StatusText = "Getting file info";
            framing_.CanCount = 0;
            // Invitations go at once: a sender waits for nothing else, and a
            // pause here would be paid for every file of a batch.
            StartTimer(0);
            state_ = kRxInviteWait;
            break;

        case kRxInviteWait: {
            p.StatusText = "Waiting reply";
            result = kStepWaiting;
            if (!TimerExpired()) break;
            uint8_t h[4] = {0, 0, 0, kZrinitFlags};
            if (invitation_ == kZrinit) {
                framing_.SendHexHeader(kZrinit, h);
            } else {
                uint8_t none[4] = {};
                framing_.SendHexHeader(invitation_, none);
                // The skip answered the file it was for; later invitations
                // are plain ones again.
                invitation_ = kZrinit;
            }
            Flush();
            framing_.StartHeader();
            StartTimer(p.HandshakeWait);
            state_ = kRxHeader;
            break;
        }
        case kRxHeader:
            result = kStepWaiting;
            if (timedOut) {
                ++p.BlockErrors;
                if (p.BlockErrors < p.HandshakeRetry) {
                    state_ = kRxInvite;
                } else {
                    Fail(kStatusZmodemHandshake);
                    port_->ReportError(kNoticeZmodemHandshake);
                    state_ = kRxCleanup;
                }
            } else if (header) {
                switch (type) {
                    case kZrqinit:
                        state_ = kRxInvite;
                        break;
                    case kZsinit:
                        zsinitFlags_ = framing_.RxHeader[3];
                        p.BlockErrors = 0;
                        StartTimer(p.HandshakeWait);
                        framing_.StartData(kZBlockMax, framing_.RxBinary32);
                        state_ = kRxSinit;
                        break;
                    case kZfile:
                        conversion_ = framing_.RxHeader[3];
                        transport_ = framing_.RxHeader[1];
                        if (!override_) management_ = framing_.RxHeader[2];
                        if ((management_ & 7) == 0) management_ |= kZmProtect;
                        p.BlockErrors = 0;
                        StartTimer(p.HandshakeWait);
                        framing_.StartData(kZBlockMax, framing_.RxBinary32);
                        state_ = kRxFileInfo;
                        break;
                    case kZfin:
                    case kZcompl:
                        p.BlockErrors = 0;
                        state_ = kRxFinish;
                        break;
                    case kZferr:
                    case kZcommand:
                        port_->ReportError(kStatusZmodemNoLocalFile);
                        if (p.LogHook) p.LogHook(p, kLogReceiveSkipped);
                        SendHex(kZcompl, 0);
                        state_ = kRxFinish;
                        break;
                    case kZfreecnt:
                        SendHex(kZack, FreeSpace(p.DestDir));
                        break;
                    default:
                        break;
                }
            }
            if (state_ != kRxHeader) result = kStepGoOn;
            break;

        case kRxFileInfo:
        case kRxSinit: {
            p.StatusText = state_ == kRxFileInfo ? "Collecting data" : "Sending data";
            result = kStepWaiting;
            if (!port_->PollReady()) {
                if (!TimerExpired()) break;
                ++p.BlockErrors;
                if (p.BlockErrors < p.HandshakeRetry) {
                    SendHex(kZnak, 0);
                    StartTimer(p.HandshakeWait);
                    if (state_ == kRxSinit) state_ = kRxHeader;
                } else {
                    Fail(kStatusZmodemHandshake);
                    state_ = kRxCleanup;
                }
                break;
            }
            const uint16_t got = CollectData();
            if (got == kZPending) break;
            result = kStepGoOn;
            if (got == kZCancelled) {
                state_ = kRxFailed;
            } else if (got == kZBadCheck || got == kZOverlong) {
                p.SetStatus(kStatusOk);
                state_ = kRxInvite;
            } else {
                p.SetStatus(kStatusOk);
                state_ = state_ == kRxFileInfo ? kRxFileStart : kRxSinitDone;
            }
            break;
        }
        case kRxSinitDone: {
            p.StatusText = "Initializing";
            // The attention string is cut to its field, its end kept.
            std::memset(attention_, 0, sizeof attention_);
            std::memcpy(attention_, framing_.Data,
                        std::min<size_t>(framing_.DataCount, sizeof attention_ - 1));
            framing_.EscapeAll = (zsinitFlags_ & kEscapeControls) != 0;
            SendHex(kZack, 0);
            StartTimer(p.HandshakeWait);
            state_ = kRxHeader;
            break;
        }
        case kRxFileStart: {
            p.StatusText = "Getting file info";
            ReadFileInfo();
            p.SetStatus(kStatusOk);
            if (p.LogHook) p.LogHook(p, kLogReceiveStart);
            std::string name = p.PathName;
            auto skip = [&] {
                invitation_ = kZskip;
                p.SetStatus(kStatusZmodemSkipped);
                if (p.LogHook) p.LogHook(p, kLogReceiveSkipped);
                p.ForceStatus = true;
                state_ = kRxInvite;
            };
            if (p.AcceptFileHook && !p.AcceptFileHook(p, name)) {
                skip();
                break;
            }
            p.PrepareWritingHook(p);
            const uint16_t prepared = p.Status();
            if (prepared % 10000 == 0) {
                newFile_ = true;
                p.ForceStatus = true;
                state_ = kRxSync;
            } else if (prepared == kStatusZmodemNoLocalFile ||
                       prepared == kStatusZmodemSkippedByRule) {
                skip();
            } else {
                Cancel();
                p.SetStatus(prepared);
                if (p.LogHook) p.LogHook(p, kLogReceiveFailed);
                loggedFailure_ = true;
                state_ = kRxFailed;
            }
            break;
        }
        case kRxSync:
            p.StatusText = "Synchronizing";
            port_->FlushInput();
            StartTimer(p.HandshakeWait);
            SendHex(kZrpos, uint32_t(p.FileOfs));
            p.BytesRemaining = p.SrcFileLen - p.FileOfs;
            p.BytesTransferred = p.FileOfs;
            if (newFile_) {
                StartTickTimer(p.TransferTimer, kTicksPerDay);
                inProgress_ = true;
                newFile_ = false;
            }
            framing_.StartHeader();
            state_ = kRxDataHeader;
            break;

        case kRxDataHeader:
        case kRxWaitEof:
            p.StatusText = state_ == kRxDataHeader ? "Sending data" : "Waiting EOF";
            result = kStepWaiting;
            if (timedOut) {
                if (CountTimeout(kRxFailed)) state_ = kRxSync;
            } else if (header) {
                p.SetStatus(kStatusOk);
                const uint32_t at = GetPosition(framing_.RxHeader);
                if (type == kZfile && state_ == kRxDataHeader) {
                    state_ = kRxSync;
                } else if (type == kZnak && state_ == kRxDataHeader) {
                    dataError("Nak received");
                } else if (type == kZdata && at == uint32_t(p.FileOfs)) {
                    p.BlockErrors = 0;
                    StartTimer(p.TransTimeout);
                    framing_.StartData(p.BlockLen, framing_.RxBinary32);
                    state_ = kRxData;
                } else if (type == kZdata) {
                    dataError("Sequence error");
                } else if (type == kZeof) {
                    if (inProgress_) p.ElapsedTicks = TickTimerElapsed(p.TransferTimer);
                    p.SetStatus(kStatusZmodemEof);
                    state_ = kRxEof;
                } else {
                    dataError("Header error");
                }
            }
            if (state_ != kRxDataHeader && state_ != kRxWaitEof) result = kStepGoOn;
            break;

        case kRxData: {
            result = kStepWaiting;
            if (!port_->PollReady()) {
                if (!TimerExpired()) break;
                LastError("Timeout");
                CountError();
                if (p.BlockErrors < kDataErrorLimit) {
                    framing_.SendAttention(attention_);
                    state_ = kRxSync;
                } else {
                    Cancel();
                    state_ = kRxFailed;
                }
                result = kStepGoOn;
                break;
            }
            p.StatusText = "Receiving data";
            StartTimer(p.TransTimeout);
            while (state_ == kRxData) {
                const uint16_t got = CollectData();
                if (got == kZPending) break;
                p.SetStatus(kStatusOk);
                if (got == kZCancelled) {
                    p.StatusText = "Cancel requested, aborting";
                    p.SetStatus(kZCancelled);
                    state_ = kRxFailed;
                    break;
                }
                if (got == kZBadCheck || got == kZOverlong) {
                    CountError();
                    if (p.BlockErrors >= kDataErrorLimit) {
                        LastError("Protocol error");
                        Cancel();
                        Fail(kStatusZmodemTooManyErrors);
                        state_ = kRxFailed;
                    } else {
                        LastError("Block error");
                        framing_.SendAttention(attention_);
                        state_ = kRxSync;
                    }
                    break;
                }
                if (!WriteData()) {
                    state_ = kRxFailed;
                    break;
                }
                if (got == kZEndW || got == kZEndQ) SendHex(kZack, uint32_t(p.FileOfs));
                if (got == kZEndW) {
                    framing_.StartHeader();
                    state_ = kRxDataHeader;
                } else if (got == kZEndE) {
                    p.BlockErrors = 0;
                    framing_.StartHeader();
                    state_ = kRxWaitEof;
                } else {
                    framing_.StartData(p.BlockLen, framing_.RxBinary32);
                }
            }
            if (state_ != kRxData) result = kStepGoOn;
            break;
        }
        case kRxEof:
            if (GetPosition(framing_.RxHeader) != uint32_t(p.FileOfs)) {
                // Data are missing before the end: ask for them again.
                p.SetStatus(kStatusOk);
                state_ = kRxSync;
                break;
            }
            p.StatusText = "Waiting EOF";
            finishCount_ = 0;
            p.SetStatus(kStatusZmodemEof);
            p.UpdateStatus(false, false);
            p.FinishWritingHook(p);
            if (p.Status() == kStatusZmodemEof) {
                if (p.LogHook) p.LogHook(p, kLogReceiveDone);
            } else {
                if (p.LogHook) p.LogHook(p, kLogReceiveFailed);
                loggedFailure_ = true;
            }
            inProgress_ = false;
            state_ = kRxInvite;
            break;

        case kRxFinish:
            p.StatusText = "Finishing (cleanup)";
            SendHex(kZfin, uint32_t(p.FileOfs));
            StartTimer(finishWait_);
            oCount_ = 0;
            state_ = kRxFinishWait;
            break;

        case kRxFinishWait: {
            result = kStepWaiting;
            if (!port_->PollReady()) {
                if (!TimerExpired()) break;
                LastError("Timeout");
                ++finishCount_;
                state_ = finishCount_ < finishRetry_ ? kRxFinish : kRxCleanup;
                result = kStepGoOn;
                break;
            }
            while (state_ == kRxFinishWait && port_->PollReady()) {
                const int c = port_->GetChar();
                if (c == 'O') {
                    if (++oCount_ >= 2) state_ = kRxCleanup;
                } else if (c != 0x0D && c != 0x8A && c != 0x0A && c != 0 && c != '*') {
                    // The line end of the sender's ZFIN goes too, with the
                    // NUL a Telnet line puts after its CR.
                    // The host's output after the transfer belongs to the
                    // terminal.
                    port_->UngetChars(1);
                    state_ = kRxCleanup;
                }
            }
            if (state_ != kRxFinishWait) {
                p.SetStatus(kStatusOk);
                result = kStepGoOn;
            }
            break;
        }
        case kRxFailed: {
            const uint16_t failure = p.Status() == kStatusOk ? kZCancelled : p.Status();
            if (p.FileOpen) {
                p.FinishWritingHook(p);
                if (!loggedFailure_ && p.LogHook) p.LogHook(p, kLogReceiveFailed);
                loggedFailure_ = true;
            }
            LastError("Protocol error");
            p.SetStatus(failure);
            state_ = kRxCleanup;
            break;
        }
        case kRxCleanup: {
            p.StatusText = "Finishing (cleanup)";
            const uint16_t final = p.Status();
            if (final != kStatusOk && final != kStatusZmodemSkipped && !loggedFailure_) {
                loggedFailure_ = true;
                if (p.LogHook) p.LogHook(p, kLogReceiveFailed);
            }
            EndTransfer();
            p.SetStatus(final);
            state_ = kRxDone;
            break;
        }
        default:
            return kStepFinished;
    }
    return EndStep(result);
}

}  // namespace transfer
