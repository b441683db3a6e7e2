#include "transfer/kermit/kermit_engine.h"

#include <algorithm>
#include <new>

#include "transfer/host_link.h"
#include "transfer/received_names.h"
#include "transfer/transfer_files.h"

namespace transfer {

using kermit::PacketReader;

namespace {

constexpr size_t kWorkBlockSize = 1024;

uint8_t CheckMethodOf(uint8_t checkType) {
    return checkType == '2' ? 2 : checkType == '3' ? 5 : 1;
}

uint8_t PrintableOr(uint8_t c, uint8_t fallback) {
    return c > 32 && c < 127 ? c : fallback;
}

}  // namespace

std::unique_ptr<KermitEngine> KermitEngine::Create(TransferPort& port,
                                                   const KermitSettings& settings) {
    std::unique_ptr<KermitEngine> e;
    try {
        e.reset(new KermitEngine());
        e->slots_.resize(64);
        e->workBlock_.reserve(kWorkBlockSize);
    } catch (const std::bad_alloc&) {
        port.ReportError(kStatusNoMemory);
        port.SetStatus(kStatusNoMemory);
        return nullptr;
    }
    e->proto_ = ProtocolRecord::Create(port, 0);
    if (!e->proto_) return nullptr;
    e->port_ = &port;
    e->settings_ = settings;
    ProtocolRecord& p = *e->proto_;
    p.ProtocolType = kKermit;
    p.FileOfs = 0;

    kermit::KermitOptions& o = e->own_;
    if (settings.MaxLen > 0) {
        // The one-character length field holds at most 94; more is offered
        // as long packets, never past what the data buffer takes.
        o.MaxLen = uint8_t(std::clamp(settings.MaxLen, 10, 94));
        if (settings.MaxLen > 94) {
            o.MaxLenExt = uint16_t(std::min<int32_t>(settings.MaxLen, kermit::kDataBufferSize));
            o.Capabilities |= kermit::kCapaLongPackets;
        }
    }
    o.PadCount = settings.PadCount;
    o.PadChar = settings.PadChar;
    o.Eol = settings.Eol;
    o.CtlPrefix = PrintableOr(settings.CtlPrefix, '#');
    o.HighBitPrefix = PrintableOr(settings.HighBitPrefix, 'Y');
    o.RepeatPrefix = settings.RepeatPrefix;
    p.CheckType = settings.Check;
    o.CheckType = settings.Check == 2 ? '2' : settings.Check == 5 ? '3' : '1';
    o.Capabilities |= kermit::kCapaAttributes;
    if (settings.UseWindows) e->SetWindows(settings.Windows);
    p.BlockLen = o.MaxLenExt ? o.MaxLenExt : o.MaxLen;
    p.CheckType = CheckMethodOf(o.CheckType);
    p.OverheadBytes = 20;
    p.TurnaroundMs = 1000;
    if (settings.HandshakeRetry > 0)
        p.HandshakeRetry = uint16_t(std::min(settings.HandshakeRetry, 1000));
    p.DestDir = settings.DestDir;
    p.WriteFailOption = settings.WriteFail;
    e->ownDefaults_ = o;
    return e;
}

void KermitEngine::SetWindows(int32_t count) {
    if (count < 0 || count > kermit::kMaxWindowSlots) {
        port_->ReportError(kErrorTooManyWindows);
        return;
    }
    if (count == 0) {
        windowsAllowed_ = false;
        own_.Capabilities &= uint8_t(~kermit::kCapaWindows);
        own_.WindowSize = 0;
    } else {
        windowsAllowed_ = true;
        own_.Capabilities |= kermit::kCapaWindows;
        own_.WindowSize = uint8_t(count);
    }
    windowCount_ = 1;
    ownDefaults_ = own_;
}

// ---- shared pieces ----

void KermitEngine::Background() {
    port_->FlushBatch();
    if (proto_->BackgroundHook) proto_->BackgroundHook(*proto_);
    if (!port_->PollReady()) port_->LinkInUse().WaitForInput(1);
}

bool KermitEngine::CountError() {
    ProtocolRecord& p = *proto_;
    if (p.Status() == kStatusCancelled) return true;
    ++p.BlockErrors;
    ++p.TotalErrors;
    return p.BlockErrors > p.HandshakeRetry;
}

void KermitEngine::StatusTimerStep() {
    ProtocolRecord& p = *proto_;
    if (!p.ForceStatus && !TickTimerExpired(p.StatusTimer)) return;
    if (p.FileOpen) p.ElapsedTicks = TickTimerElapsed(p.TransferTimer);
    p.UpdateStatus(false, false);
    StartTickTimer(p.StatusTimer, p.StatusInterval);
    p.ForceStatus = false;
}

PacketReader::Result KermitEngine::ReadPacket(bool& timedOut) {
    timedOut = false;
    reader_.SetCheckType(CheckInForce());
    while (port_->PollReady()) {
        const int c = port_->GetChar();
        if (c == kNoLinkByte) break;
        const PacketReader::Result r = reader_.Feed(uint8_t(c));
        if (r != PacketReader::Result::kIncomplete) return r;
    }
    timedOut = TickTimerExpired(replyTimer_);
    return PacketReader::Result::kIncomplete;
}

void KermitEngine::SendPacket(uint8_t type, uint8_t seq, const uint8_t* data, size_t length,
                              bool oneCharCheck) {
    // Send-Init packets and their answers go out with the one-character check,
    // which is all the other side can expect before the exchange completes.
    const bool init = oneCharCheck || type == 'S' || type == 'I' || type == 'R';
    const uint8_t check = init ? uint8_t('1') : CheckInForce();
    kermit::BuildPacket(packet_, type, seq, data, length, check, own_.PadCount, own_.PadChar,
                        own_.Eol);
    lastSentType_ = type;
    Resend();
}

void KermitEngine::Resend() {
    uint16_t written = 0;
    const uint16_t saved = port_->OptionFlags;
    port_->OptionFlags |= kPortNoSpaceCheck;
    port_->PutBlock(packet_.data(), uint16_t(packet_.size()), written);
    port_->OptionFlags = saved;
    if (written < packet_.size()) port_->ReportError(kErrorNoOutputSpace);
    StartTimer(proto_->HandshakeWait);
}

void KermitEngine::SendAck(uint8_t seq, const std::string& data) {
    SendPacket('Y', seq, data);
}

void KermitEngine::SendNak(uint8_t seq) {
    SendPacket('N', seq, nullptr, 0);
}

void KermitEngine::SendError(const std::string& text) {
    proto_->BlockNum = kermit::NextSeq(proto_->BlockNum);
    SendPacket('E', uint8_t(proto_->BlockNum), text);
    port_->FlushBatch();
}

void KermitEngine::SendCancel() {
    if (receivingFile_) {
        SendAck(windowLow_, "Z");
    } else if (state_ < kRxInit) {
        proto_->BlockNum = kermit::NextSeq(proto_->BlockNum);
        SendPacket('Z', uint8_t(proto_->BlockNum), "D");
    } else {
        // Nothing is open to discard: the other side is told to stop.
        SendError("Cancelled");
    }
    port_->FlushBatch();
}

bool KermitEngine::Aborted() {
    if (!port_->AbortRequested()) return false;
    ProtocolRecord& p = *proto_;
    SendCancel();
    port_->ReportError(kStatusCancelled);
    p.SetStatus(kStatusCancelled);
    StartTimer(182);
    if (state_ < kRxInit)
        state_ = lastSentType_ == 'Z' ? kTxDrain : kTxFailed;
    else
        state_ = receivingFile_ ? kRxCancelled : kRxFailed;
    return true;
}

bool KermitEngine::ProcessRemoteOptions(bool asReceiver) {
    ProtocolRecord& p = *proto_;
    remote_ = kermit::DecodeSendInit(reader_.Data, reader_.Length);
    agreed_ = kermit::Negotiate(own_, remote_, asReceiver);
    windowCount_ = windowsAllowed_ ? agreed_.Windows : 1;
    sendPrefixes_ = kermit::PrefixesOf(agreed_, own_);
    receivePrefixes_ = sendPrefixes_;
    receivePrefixes_.Ctl = PrintableOr(remote_.CtlPrefix, '#');
    p.BlockLen = agreed_.SendMax;
    p.CheckType = CheckMethodOf(agreed_.CheckType);
    p.TurnaroundMs = windowCount_ < 2 ? 1000 : 5;
    return true;
}

// ---- either direction ----

void KermitEngine::PrepareRun(State first) {
    ProtocolRecord& p = *proto_;
    port_->TransferActive = true;
    p.SetStatus(kStatusOk);
    p.BlockNum = 0;
    p.BytesRemaining = p.BytesTransferred = 0;
    p.BlockErrors = p.TotalErrors = 0;
    p.ElapsedTicks = 0;
    p.ShowFirstStatus();
    StartTickTimer(p.StatusTimer, p.StatusInterval);
    negotiated_ = false;
    own_ = ownDefaults_;
    state_ = first;
    p.ForceStatus = true;
}

void KermitEngine::RunSteps(StepResult (KermitEngine::*step)()) {
    while ((this->*step)() != kStepFinished) Background();
}

// ---- sending ----

void KermitEngine::PrepareTransmit() {
    proto_->FindingFirst = true;
    loggedEnd_ = false;
    PrepareRun(kTxInit);
}

void KermitEngine::Transmit() {
    PrepareTransmit();
    RunSteps(&KermitEngine::TransmitStep);
}

void KermitEngine::PerFileReset() {
    ProtocolRecord& p = *proto_;
    p.SetStatus(kStatusOk);
    p.SrcFileLen = 0;
    p.BytesRemaining = 0;
    p.BytesTransferred = 0;
    p.ElapsedTicks = 0;
    p.BlockErrors = 0;
    p.TotalErrors = 0;
}

bool KermitEngine::FillWork() {
    ProtocolRecord& p = *proto_;
    workBlock_.resize(kWorkBlockSize);
    uint16_t size = uint16_t(kWorkBlockSize);
    const bool last = p.ReadBlockHook(p, workBlock_.data(), size);
    if (p.Status() != kStatusOk) return false;
    size = uint16_t(std::min<size_t>(size, kWorkBlockSize));
    workBlock_.resize(size);
    p.FileOfs += size;
    workIndex_ = 0;
    endOfFile_ = last || size == 0;
    return true;
}

bool KermitEngine::StartFile() {
    ProtocolRecord& p = *proto_;
    p.PrepareReadingHook(p);
    if (p.Status() != kStatusOk) return false;
    p.TransferFileName = p.PathName;
    p.FileOfs = 0;
    if (!FillWork()) return false;
    if (p.LogHook) p.LogHook(p, kLogTransmitStart);
    StartTickTimer(p.TransferTimer, kTicksPerDay);
    return true;
}

std::string KermitEngine::AnnouncedName() const {
    const ProtocolRecord& p = *proto_;
    std::string name = settings_.AsName.empty() ? p.PathName : settings_.AsName;
    if (p.UpcaseNames) name = UpperCaseName(name);
    if (!settings_.IncludeDirectory) name = NamePart(name);
    return name;
}

KermitEngine::Slot* KermitEngine::SlotFor(uint8_t seq) {
    Slot& s = slots_[seq & 63];
    return s.InUse && s.Seq == seq ? &s : nullptr;
}

bool KermitEngine::AnySlotInUse() const {
    return std::any_of(slots_.begin(), slots_.end(), [](const Slot& s) { return s.InUse; });
}

void KermitEngine::SendSlot(Slot& s) {
    SendPacket('D', s.Seq, s.Data.data(), s.Data.size());
}

StepResult KermitEngine::SendWindow() {
    ProtocolRecord& p = *proto_;
    p.StatusText = "Sending data";
    const size_t capacity = kermit::DataCapacity(agreed_);
    // The window spans from the oldest packet still unanswered: a later
    // answer does not let the sender run more than a window ahead of it.
    auto span = [this] {
        unsigned oldest = 0;
        for (const Slot& s : slots_)
            if (s.InUse) oldest = std::max(oldest, (unsigned(nextSeq_ - s.Seq) & 63u));
        return oldest;
    };
    while (span() < windowCount_) {
        encoded_.clear();
        for (;;) {
            if (workIndex_ >= workBlock_.size()) {
                if (endOfFile_) break;
                if (!FillWork()) {
                    state_ = kTxFailed;
                    return kStepGoOn;
                }
                continue;
            }
            const size_t used = kermit::EncodeData(workBlock_.data(), workBlock_.size(), workIndex_,
                                                   sendPrefixes_, encoded_, capacity);
            workIndex_ += used;
            p.BytesTransferred += int32_t(used);
            p.BytesRemaining = std::max<int32_t>(0, p.BytesRemaining - int32_t(used));
            if (workIndex_ < workBlock_.size()) break;  // the packet is full
        }
        if (encoded_.empty()) break;
        Slot& s = slots_[nextSeq_];
        s.InUse = true;
        s.Seq = nextSeq_;
        s.Retries = 0;
        s.Data.assign(encoded_.begin(), encoded_.end());
        p.BlockNum = nextSeq_;
        nextSeq_ = kermit::NextSeq(nextSeq_);
        SendSlot(s);
    }
    if (!AnySlotInUse()) {
        state_ = kTxEof;
        return kStepGoOn;
    }
    state_ = kTxDataWait;
    return kStepGoOn;
}

StepResult KermitEngine::DataAnswer(const PacketReader& r) {
    ProtocolRecord& p = *proto_;
    if (r.Type == 'E') {
        port_->SetLastError(std::string(reinterpret_cast<const char*>(r.Data), r.Length));
        state_ = kTxFailed;
        return kStepGoOn;
    }
    if (r.Type == 'Y') {
        if (r.Length > 0 && (r.Data[0] == 'D' || r.Data[0] == 'X' || r.Data[0] == 'Z')) {
            p.SetStatus(kStatusCancelled);
            state_ = kTxFailed;
            return kStepGoOn;
        }
        if (Slot* s = SlotFor(r.Seq)) {
            s->InUse = false;
            p.BlockErrors = 0;
        }
        state_ = kTxData;
        return kStepGoOn;
    }
    if (r.Type == 'N') {
        if (CountError()) {
            state_ = kTxFailed;
            return kStepGoOn;
        }
        if (Slot* s = SlotFor(r.Seq)) {
            if (++s->Retries > p.HandshakeRetry) {
                state_ = kTxFailed;
                return kStepGoOn;
            }
            SendSlot(*s);
            return kStepGoOn;
        }
        // A NAK for the packet after the newest sent acknowledges them all.
        if (r.Seq == nextSeq_) {
            for (Slot& s : slots_) s.InUse = false;
            state_ = kTxData;
        }
        return kStepGoOn;
    }
    if (CountError()) state_ = kTxFailed;
    return kStepGoOn;
}

StepResult KermitEngine::TransmitStep() {
    ProtocolRecord& p = *proto_;
    if (state_ == kDone) return kStepFinished;
    if (state_ != kTxFailed && state_ != kTxDrain && state_ != kTxSuccess &&
        p.Status() != kStatusCancelled)
        Aborted();
    StatusTimerStep();
    bool timedOut = false;
    switch (state_) {
        case kTxInit:
            p.BlockNum = 0;
            p.StatusText = "Initializing";
            negotiated_ = false;
            own_ = ownDefaults_;
            SendPacket('S', 0, kermit::EncodeSendInit(own_));
            state_ = kTxInitWait;
            return kStepGoOn;

        case kTxInitWait: {
            const PacketReader::Result r = ReadPacket(timedOut);
            if (r == PacketReader::Result::kPacket) {
                if (reader_.Type == 'E') {
                    port_->SetLastError(
                        std::string(reinterpret_cast<const char*>(reader_.Data), reader_.Length));
                    state_ = kTxFailed;
                    return kStepGoOn;
                }
                if (reader_.Type == 'Y' && reader_.Seq == 0) {
                    ProcessRemoteOptions(false);
                    negotiated_ = true;
                    p.BlockErrors = 0;
                    state_ = kTxFirstFile;
                    return kStepGoOn;
                }
            } else if (r == PacketReader::Result::kIncomplete && !timedOut) {
                return kStepWaiting;
            }
            if (CountError()) {
                if (timedOut) p.SetStatus(kStatusTimeout);
                state_ = kTxFailed;
                return kStepGoOn;
            }
            if (timedOut || r == PacketReader::Result::kPacket) Resend();
            return kStepGoOn;
        }

        case kTxFirstFile: {
            p.ForceStatus = true;
            PerFileReset();
            std::string name;
            if (!p.NextFileHook || !p.NextFileHook(p, name)) {
                if (p.Status() == kStatusOk) p.SetStatus(kStatusNoMatch);
                state_ = kTxFailed;
                return kStepGoOn;
            }
            p.PathName = name;
            state_ = StartFile() ? kTxFileHeader : kTxFailed;
            return kStepGoOn;
        }

        case kTxFileHeader: {
            p.ForceStatus = true;
            p.BlockNum = kermit::NextSeq(p.BlockNum);
            const std::string name = AnnouncedName();
            encoded_.clear();
            kermit::EncodeData(reinterpret_cast<const uint8_t*>(name.data()), name.size(), 0,
                               sendPrefixes_, encoded_, kermit::DataCapacity(agreed_));
            SendPacket('F', uint8_t(p.BlockNum), encoded_.data(), encoded_.size());
            state_ = kTxFileWait;
            return kStepGoOn;
        }

        case kTxFileWait:
        case kTxEofWait:
        case kTxBreakWait: {
            const PacketReader::Result r = ReadPacket(timedOut);
            if (r == PacketReader::Result::kIncomplete && !timedOut) return kStepWaiting;
            if (r == PacketReader::Result::kPacket) {
                const uint8_t seq = uint8_t(p.BlockNum);
                const bool ack = (reader_.Type == 'Y' && reader_.Seq == seq) ||
                                 (reader_.Type == 'N' && reader_.Seq == kermit::NextSeq(seq));
                if (reader_.Type == 'E') {
                    port_->SetLastError(
                        std::string(reinterpret_cast<const char*>(reader_.Data), reader_.Length));
                    state_ = kTxFailed;
                    return kStepGoOn;
                }
                if (ack) {
                    p.BlockErrors = 0;
                    if (state_ == kTxFileWait) {
                        for (Slot& s : slots_) s.InUse = false;
                        nextSeq_ = kermit::NextSeq(seq);
                        state_ = kTxData;
                    } else if (state_ == kTxEofWait) {
                        std::string name;
                        PerFileReset();
                        if (p.NextFileHook && p.NextFileHook(p, name)) {
                            p.PathName = name;
                            state_ = StartFile() ? kTxFileHeader : kTxFailed;
                        } else {
                            p.SetStatus(kStatusOk);
                            state_ = kTxBreak;
                        }
                    } else {
                        state_ = kTxSuccess;
                    }
                    return kStepGoOn;
                }
                if (reader_.Type == 'Y') return kStepGoOn;  // an old answer
            }
            if (CountError()) {
                if (timedOut) p.SetStatus(kStatusTimeout);
                state_ = kTxFailed;
                return kStepGoOn;
            }
            if (timedOut || (r == PacketReader::Result::kPacket && reader_.Type == 'N')) Resend();
            return kStepGoOn;
        }

        case kTxData:
            return SendWindow();

        case kTxDataWait: {
            const PacketReader::Result r = ReadPacket(timedOut);
            if (r == PacketReader::Result::kPacket) return DataAnswer(reader_);
            if (r == PacketReader::Result::kIncomplete && !timedOut) return kStepWaiting;
            if (CountError()) {
                if (timedOut) p.SetStatus(kStatusTimeout);
                state_ = kTxFailed;
                return kStepGoOn;
            }
            if (timedOut) {
                // The oldest packet still unanswered goes again.
                Slot* oldest = nullptr;
                unsigned age = 0;
                for (Slot& s : slots_) {
                    const unsigned a = unsigned(nextSeq_ - s.Seq) & 63;
                    if (s.InUse && a > age) {
                        age = a;
                        oldest = &s;
                    }
                }
                if (oldest) SendSlot(*oldest);
            }
            return kStepGoOn;
        }

        case kTxEof:
            p.StatusText = "Finishing (cleanup)";
            p.ForceStatus = true;
            if (p.FinishReadingHook) p.FinishReadingHook(p);
            p.SetStatus(kStatusOk);
            if (p.LogHook) p.LogHook(p, kLogTransmitDone);
            p.BlockNum = nextSeq_;
            SendPacket('Z', uint8_t(p.BlockNum), nullptr, 0);
            state_ = kTxEofWait;
            return kStepGoOn;

        case kTxBreak:
            p.ForceStatus = true;
            p.BlockNum = kermit::NextSeq(p.BlockNum);
            SendPacket('B', uint8_t(p.BlockNum), nullptr, 0);
            state_ = kTxBreakWait;
            return kStepGoOn;

        case kTxSuccess:
            p.SetStatus(kStatusOk);
            p.ShowLastStatus();
            port_->TransferActive = false;
            port_->FlushBatch();
            state_ = kDone;
            return kStepGoOn;

        case kTxDrain: {
            // The discarded file's answer is awaited, then the batch ends, so
            // that the other side does not wait for more.
            const PacketReader::Result r = ReadPacket(timedOut);
            if (r == PacketReader::Result::kIncomplete && !timedOut) return kStepWaiting;
            if (r == PacketReader::Result::kPacket && reader_.Type != 'Y') return kStepGoOn;
            p.BlockNum = kermit::NextSeq(p.BlockNum);
            SendPacket('B', uint8_t(p.BlockNum), nullptr, 0);
            port_->FlushBatch();
            state_ = kTxFailed;
            return kStepGoOn;
        }

        case kTxFailed:
            if (p.Status() == kStatusOk) p.SetStatus(kStatusCancelled);
            {
                const uint16_t status = p.Status();
                if (p.FinishReadingHook) p.FinishReadingHook(p);
                p.SetStatus(status);
            }
            if (p.LogHook) p.LogHook(p, kLogTransmitFailed);
            p.ShowLastStatus();
            port_->TransferActive = false;
            port_->FlushBatch();
            state_ = kDone;
            return kStepGoOn;

        default:
            state_ = kDone;
            return kStepFinished;
    }
}

// ---- receiving ----

void KermitEngine::PrepareReceive() {
    receivingFile_ = false;
    fileSkipped_ = false;
    PrepareRun(kRxInit);
}

void KermitEngine::Receive() {
    PrepareReceive();
    RunSteps(&KermitEngine::ReceiveStep);
}

void KermitEngine::OpenReceivedFile() {
    ProtocolRecord& p = *proto_;
    decoded_.clear();
    kermit::DecodeData(reader_.Data, reader_.Length, receivePrefixes_, decoded_);
    std::string name = SafeReceivedName(std::string(decoded_.begin(), decoded_.end()));
    if (name.empty()) {
        SendError("Error opening or writing file");
        port_->ReportError(kStatusNoReceiveName);
        p.SetStatus(kStatusNoReceiveName);
        state_ = kRxFailed;
        return;
    }
    if (p.UpcaseNames) name = UpperCaseName(name);
    p.PathName = p.DestDir.empty() ? name : JoinFolder(p.DestDir, name);
    p.TransferFileName = p.PathName;
    if (TransferFileExists(p.PathName)) {
        if (settings_.WriteFail == kWriteFailRefuse) {
            fileSkipped_ = true;
            p.StatusText = "File skipped";
            SendError("Not allowed to overwrite existing file");
            port_->ReportError(kStatusNotOverwritten);
            p.SetStatus(kStatusNotOverwritten);
            state_ = kRxFailed;
            return;
        }
        if (settings_.WriteFail == kWriteFailRename && !RenameExistingFile(p.PathName)) {
            fileSkipped_ = true;
            p.StatusText = "File skipped";
            SendError("Error opening or writing file");
            port_->ReportError(kStatusRenameFailed);
            p.SetStatus(kStatusRenameFailed);
            state_ = kRxFailed;
            return;
        }
    }
    // The existing file (if any) is out of the way or to be replaced.
    p.WriteFailOption = kWriteFailOverwrite;
    if (p.LogHook) p.LogHook(p, kLogReceiveStart);
    fileSkipped_ = false;
    std::string accepted = p.PathName;
    if (p.AcceptFileHook && !p.AcceptFileHook(p, accepted)) {
        fileSkipped_ = true;
        p.StatusText = "File skipped";
        SendError("File refused");
        port_->ReportError(kStatusRenameFailed);
        p.SetStatus(kStatusRenameFailed);
        state_ = kRxFailed;
        return;
    }
    p.FileOfs = 0;
    p.SrcFileLen = p.BytesRemaining = p.BytesTransferred = 0;
    p.BlockErrors = 0;
    p.ElapsedTicks = 0;
    p.SetStatus(kStatusOk);
    p.PrepareWritingHook(p);
    if (p.Status() != kStatusOk || !p.FileOpen) {
        const uint16_t status = p.Status() ? p.Status() : kStatusNoFileOpen;
        SendError("Error opening or writing file");
        p.SetStatus(status);
        state_ = kRxFailed;
        return;
    }
    StartTickTimer(p.TransferTimer, kTicksPerDay);
    receivingFile_ = true;
    discardFile_ = false;
    for (Slot& s : slots_) s = Slot{};
    SendAck(reader_.Seq);
    windowLow_ = kermit::NextSeq(reader_.Seq);
    highestSeen_ = reader_.Seq;
    p.BlockNum = reader_.Seq;
    p.StatusText = "Receiving data";
    p.ForceStatus = true;
    state_ = kRxData;
}

bool KermitEngine::WriteDecoded(const uint8_t* data, size_t length) {
    ProtocolRecord& p = *proto_;
    decoded_.clear();
    kermit::DecodeData(data, length, receivePrefixes_, decoded_);
    size_t done = 0;
    while (done < decoded_.size()) {
        const uint16_t n = uint16_t(std::min<size_t>(decoded_.size() - done, kWorkBlockSize));
        if (p.WriteBlockHook(p, decoded_.data() + done, n) || p.Status() != kStatusOk) return false;
        p.FileOfs += n;
        done += n;
    }
    p.BytesTransferred += int32_t(decoded_.size());
    p.BytesRemaining = std::max<int32_t>(0, p.BytesRemaining - int32_t(decoded_.size()));
    return true;
}

bool KermitEngine::StoreData(uint8_t seq, const uint8_t* data, size_t length) {
    const unsigned ahead = unsigned(seq - windowLow_) & 63;
    if (ahead >= windowCount_) {
        // An old packet whose answer was lost is answered again; one more
        // than a window ahead cannot be a packet the sender may have sent.
        if (ahead >= 64u - windowCount_) SendAck(seq);
        return true;
    }
    Slot& s = slots_[seq];
    if (!s.Received) {
        // The packets skipped on the way here are asked for again, each once:
        // from the newest seen before (or the window's start) up to this one.
        const unsigned seen = unsigned(highestSeen_ - windowLow_) & 63;
        const unsigned from = seen < windowCount_ ? seen + 1 : 0;
        for (unsigned d = from; d < ahead; ++d) {
            const uint8_t missing = uint8_t((windowLow_ + d) & 63);
            if (!slots_[missing].Received) SendNak(missing);
        }
        if (seen >= windowCount_ || ahead > seen) highestSeen_ = seq;
        s.Received = true;
        s.Seq = seq;
        s.Data.assign(data, data + length);
    }
    SendAck(seq);
    while (slots_[windowLow_].Received) {
        Slot& next = slots_[windowLow_];
        if (!WriteDecoded(next.Data.data(), next.Data.size())) return false;
        next.Received = false;
        proto_->BlockNum = windowLow_;
        windowLow_ = kermit::NextSeq(windowLow_);
    }
    return true;
}

void KermitEngine::FinishFile(bool discard) {
    ProtocolRecord& p = *proto_;
    const uint16_t status = p.Status();
    if (p.FinishWritingHook) p.FinishWritingHook(p);
    if (discard) TransferFiles().Remove(p.PathName);
    if (p.Status() == kStatusOk) p.SetStatus(status);
    receivingFile_ = false;
}

StepResult KermitEngine::ReceiveStep() {
    ProtocolRecord& p = *proto_;
    if (state_ == kDone) return kStepFinished;
    if (state_ != kRxFailed && state_ != kRxCancelled && state_ != kRxBatchDone &&
        p.Status() != kStatusCancelled)
        Aborted();
    StatusTimerStep();
    bool timedOut = false;
    switch (state_) {
        case kRxInit:
            p.BlockNum = 0;
            p.StatusText = "Initializing";
            negotiated_ = false;
            if (!p.TransferFileName.empty())
                SendPacket('R', 0, p.TransferFileName.substr(0, 90));
            else
                StartTimer(p.HandshakeWait);
            state_ = kRxInitWait;
            return kStepGoOn;

        case kRxInitWait: {
            const PacketReader::Result r = ReadPacket(timedOut);
            if (r == PacketReader::Result::kIncomplete && !timedOut) return kStepWaiting;
            if (r == PacketReader::Result::kPacket) {
                if (reader_.Type == 'S') {
                    own_ = ownDefaults_;
                    ProcessRemoteOptions(true);
                    SendAck(reader_.Seq, kermit::EncodeSendInit(own_));
                    negotiated_ = true;
                    windowLow_ = kermit::NextSeq(reader_.Seq);
                    p.BlockNum = reader_.Seq;
                    p.BlockErrors = 0;
                    state_ = kRxFileWait;
                    return kStepGoOn;
                }
                if (reader_.Type == 'E') {
                    port_->SetLastError(
                        std::string(reinterpret_cast<const char*>(reader_.Data), reader_.Length));
                    state_ = kRxFailed;
                    return kStepGoOn;
                }
            }
            if (CountError()) {
                if (timedOut) p.SetStatus(kStatusTimeout);
                state_ = kRxFailed;
                return kStepGoOn;
            }
            if (timedOut) {
                if (lastSentType_ == 'R')
                    Resend();
                else
                    SendNak(0);
            }
            return kStepGoOn;
        }

        case kRxFileWait:
        case kRxData:
        case kRxCancelled: {
            const PacketReader::Result r = ReadPacket(timedOut);
            if (r == PacketReader::Result::kIncomplete && !timedOut) return kStepWaiting;
            if (state_ == kRxCancelled &&
                (timedOut || (r == PacketReader::Result::kPacket && reader_.Type != 'D' &&
                              reader_.Type != 'Z'))) {
                if (r == PacketReader::Result::kPacket && reader_.Type == 'B') SendAck(reader_.Seq);
                state_ = kRxFailed;
                return kStepGoOn;
            }
            if (r != PacketReader::Result::kPacket) {
                if (CountError()) {
                    if (timedOut) p.SetStatus(kStatusTimeout);
                    state_ = kRxFailed;
                    return kStepGoOn;
                }
                SendNak(windowLow_);
                return kStepGoOn;
            }
            const uint8_t type = reader_.Type;
            const uint8_t seq = reader_.Seq;
            if (type == 'E') {
                port_->SetLastError(
                    std::string(reinterpret_cast<const char*>(reader_.Data), reader_.Length));
                p.SetStatus(kStatusCancelled);
                state_ = kRxFailed;
                return kStepGoOn;
            }
            if (state_ == kRxCancelled) {
                if (type == 'Z') {
                    FinishFile(true);
                    SendAck(seq);
                } else {
                    SendAck(seq, "Z");
                }
                return kStepGoOn;
            }
            if (type == 'D' && state_ == kRxData) {
                p.ForceStatus = true;
                if (!StoreData(seq, reader_.Data, reader_.Length)) {
                    const uint16_t status = p.Status();
                    SendError("Error opening or writing file");
                    p.SetStatus(status);
                    state_ = kRxFailed;
                    return kStepGoOn;
                }
                p.BlockErrors = 0;
                return kStepGoOn;
            }
            if (seq == kermit::PrevSeq(windowLow_) || (type == 'D' && state_ != kRxData)) {
                // Our answer was lost: it goes again.
                if (type == 'S')
                    SendPacket('Y', seq, kermit::EncodeSendInit(own_), true);
                else if (type != 'D' || seq == kermit::PrevSeq(windowLow_))
                    SendAck(seq);
                if (CountError()) {
                    SendError("Failed to syncronize protocol");
                    state_ = kRxFailed;
                }
                return kStepGoOn;
            }
            if (seq != windowLow_) {
                if (CountError()) {
                    state_ = kRxFailed;
                    return kStepGoOn;
                }
                SendNak(windowLow_);
                return kStepGoOn;
            }
            if (state_ == kRxFileWait) {
                if (type == 'F') {
                    p.ForceStatus = true;
                    OpenReceivedFile();
                } else if (type == 'B') {
                    SendAck(seq);
                    state_ = kRxBatchDone;
                } else if (type == 'X') {
                    // Text for the screen is not this engine's business.
                } else {
                    SendError("Failed to syncronize protocol");
                    state_ = kRxFailed;
                }
                return kStepGoOn;
            }
            // Receiving a file, packet in order.
            if (type == 'A') {
                p.ForceStatus = true;
                const kermit::Attributes at = kermit::ParseAttributes(reader_.Data, reader_.Length);
                if (at.HasSize) p.SrcFileLen = p.BytesRemaining = at.Size;
                p.BlockErrors = 0;
                SendAck(seq);
                p.BlockNum = seq;
                windowLow_ = kermit::NextSeq(seq);
                return kStepGoOn;
            }
            if (type == 'Z') {
                const bool discard = reader_.Length > 0 && reader_.Data[0] == 'D';
                FinishFile(discard);
                if (p.Status() != kStatusOk) {
                    SendError("Error opening or writing file");
                    state_ = kRxFailed;
                    return kStepGoOn;
                }
                p.ElapsedTicks = TickTimerElapsed(p.TransferTimer);
                if (p.LogHook) p.LogHook(p, discard ? kLogReceiveSkipped : kLogReceiveDone);
                SendAck(seq);
                p.BlockNum = seq;
                windowLow_ = kermit::NextSeq(seq);
                p.BlockErrors = 0;
                p.ForceStatus = true;
                state_ = kRxFileWait;
                return kStepGoOn;
            }
            SendError("Failed to syncronize protocol");
            state_ = kRxFailed;
            return kStepGoOn;
        }

        case kRxBatchDone:
            p.StatusText = "Finishing (cleanup)";
            p.SetStatus(kStatusOk);
            port_->FlushBatch();
            p.ShowLastStatus();
            port_->TransferActive = false;
            state_ = kDone;
            return kStepGoOn;

        case kRxFailed: {
            if (p.Status() == kStatusOk) p.SetStatus(kStatusCancelled);
            const uint16_t status = p.Status();
            if (receivingFile_) FinishFile(false);
            p.SetStatus(status);
            if (fileSkipped_) {
                p.StatusText = "File skipped";
                if (p.LogHook) p.LogHook(p, kLogReceiveSkipped);
            } else if (p.LogHook) {
                p.LogHook(p, kLogReceiveFailed);
            }
            port_->FlushBatch();
            p.ShowLastStatus();
            port_->TransferActive = false;
            state_ = kDone;
            return kStepGoOn;
        }

        default:
            state_ = kDone;
            return kStepFinished;
    }
}

}  // namespace transfer
