#include "transfer/protocol_record.h"

#include <algorithm>
#include <new>

#include "console/system_services.h"
#include "transfer/block_checks.h"

namespace transfer {

std::unique_ptr<ProtocolRecord> ProtocolRecord::Create(TransferPort& port, uint16_t options) {
    port.SetStatus(kStatusOk);
    std::unique_ptr<ProtocolRecord> p;
    try {
        p.reset(new ProtocolRecord());
        p->FileBuffer.assign(kFileBufferSize, 0);
    } catch (const std::bad_alloc&) {
        p.reset();
    }
    if (!p) {
        port.ReportError(kStatusNoMemory);
        return nullptr;
    }
    p->Port = &port;
    p->Options = options;
    p->CharsPerSec = uint16_t(port.BaudRate / 10);
    p->NextFileHook = [](ProtocolRecord& r, std::string& name) { return r.NextFileByMask(name); };
    p->AcceptFileHook = [](ProtocolRecord&, std::string&) { return true; };
    p->PrepareReadingHook = [](ProtocolRecord& r) { r.PrepareReading(); };
    p->ReadBlockHook = [](ProtocolRecord& r, uint8_t* block, uint16_t& size) {
        return r.ReadProtocolBlock(block, size);
    };
    p->FinishReadingHook = [](ProtocolRecord& r) { r.FinishReading(); };
    p->PrepareWritingHook = [](ProtocolRecord& r) { r.PrepareWriting(); };
    p->WriteBlockHook = [](ProtocolRecord& r, const uint8_t* block, uint16_t size) {
        return r.WriteProtocolBlock(block, size);
    };
    p->FinishWritingHook = [](ProtocolRecord& r) { return r.FinishWriting(); };
    return p;
}

ProtocolRecord::~ProtocolRecord() {
    if (SearchRec.FindHandle != 0) console::FindClose(SearchRec);
}

void ProtocolRecord::Fail(uint16_t code) {
    Port->ReportError(code);
    Port->SetStatus(code);
}

// ---- status calls ----

void ProtocolRecord::UpdateStatus(bool starting, bool ending) {
    const uint16_t saved = Status();
    if (saved == kStatusHeldA || saved == kStatusHeldB) SetStatus(kStatusOk);
    if (StatusHook) StatusHook(*this, starting, ending);
    SetStatus(saved);
}

void ProtocolRecord::ShowFirstStatus() {
    UpdateStatus(StatusDepth == 0, false);
    ++StatusDepth;
}

void ProtocolRecord::ShowLastStatus() {
    if (StatusDepth == 0) return;
    --StatusDepth;
    UpdateStatus(false, StatusDepth == 0);
}

void ProtocolRecord::ResetStatus() {
    if (StatusDepth == 0) {
        SrcFileLen = 0;
        BytesRemaining = 0;
    }
    BytesTransferred = 0;
    ElapsedTicks = 0;
    BlockErrors = 0;
    TotalErrors = 0;
    BlockNum = 0;
}

// ---- next file ----

namespace {

// True when the folder part of a mask names no folder. Some directory
// searches answer a missing folder as "no more files"; the user is told
// which of the two it was.
bool FolderMissing(const std::string& mask) {
    const std::string folder = DirectoryPart(mask);
    if (folder.empty() || folder.back() == ':') return false;
    // A root always exists.
    if (folder.back() == '\\' || folder.back() == '/') return false;
    console::SearchRec rec;
    console::FindFirst(folder,
                       console::faDirectory | console::faHidden | console::faSysFile |
                           console::faReadOnly | console::faArchive,
                       rec);
    const bool found = console::dosState.DosError == 0 && (rec.Attr & console::faDirectory);
    console::FindClose(rec);
    console::dosState.DosError = 18;
    return !found;
}

}  // namespace

bool ProtocolRecord::NextFileByMask(std::string& name) {
    SetStatus(kStatusOk);
    if (SearchMask.empty()) {
        Fail(kStatusNoMask);
        return false;
    }
    constexpr uint16_t kFileKinds =
        console::faReadOnly | console::faHidden | console::faSysFile | console::faArchive;
    if (FindingFirst) {
        console::FindFirst(SearchMask, kFileKinds, SearchRec);
        if (console::dosState.DosError == 18) {
            Port->ReportError(FolderMissing(SearchMask) ? kStatusNoSuchFolder : kStatusNoMatch);
            name.clear();
            return false;
        }
        FindingFirst = false;
    } else {
        console::FindNext(SearchRec);
    }
    if (console::dosState.DosError != 0) {
        if (console::dosState.DosError == 3) Port->ReportError(kStatusNoSuchFolder);
        name.clear();
        return false;
    }
    // A mask naming one file gives it as typed; the path is never cut.
    if (UpperCaseName(NamePart(SearchMask)) == UpperCaseName(SearchRec.Name)) {
        name = SearchMask;
    } else {
        // Rebuilt with the delimiter the mask itself used.
        std::string dir = DirectoryPart(SearchMask);
        if (!dir.empty() && dir.back() != ':' && dir.back() != '\\' && dir.back() != '/')
            dir += SearchMask[dir.size()];
        name = dir + SearchRec.Name;
    }
    return true;
}

// ---- reading ----

void ProtocolRecord::PrepareReading() {
    if (FileOpen) return;
    SetStatus(kStatusOk);
    if (PathName.empty()) {
        Fail(kStatusNoFileName);
        return;
    }
    std::unique_ptr<TransferFile> file;
    const int io = TransferFiles().OpenRead(PathName, file);
    if (io != kIoOk) {
        Fail(uint16_t(io));
        return;
    }
    const int64_t size = file->Size();
    if (size < 0) {
        Fail(kIoReadError);
        return;
    }
    if (size > 0x7FFFFFFF) {
        Fail(kStatusFileTooLarge);
        return;
    }
    WorkFile = std::move(file);
    SrcFileLen = int32_t(size);
    BytesRemaining = SrcFileLen;
    UpdateStatus(false, false);
    SrcFileDate = WorkFile->DosTime();
    BufStart = BufEnd = LastOfs = 0;
    EofInBuffer = false;
    FileOpen = true;
}

bool ProtocolRecord::ReadProtocolBlock(uint8_t* block, uint16_t& size) {
    SetStatus(kStatusOk);
    if (FileOfs >= SrcFileLen) {
        size = 0;
        return true;
    }
    if (!WorkFile) {
        Fail(kStatusNoFileOpen);
        size = 0;
        return true;
    }
    size = uint16_t(std::min<size_t>(size, kFileBufferSize));
    // Outside the window, or the engine went back: reload from FileOfs.
    if (FileOfs > BufEnd || FileOfs < LastOfs || FileOfs < BufStart) BufEnd = FileOfs;
    if (int64_t(FileOfs) + size > BufEnd) {
        const int32_t keep = BufEnd - FileOfs;
        if (keep > 0)
            std::copy_n(FileBuffer.begin() + (FileOfs - BufStart), keep, FileBuffer.begin());
        size_t got = 0;
        const int io =
            WorkFile->ReadAt(BufEnd, FileBuffer.data() + keep, kFileBufferSize - size_t(keep), got);
        if (io != kIoOk) {
            Fail(uint16_t(io));
            size = 0;
            return true;
        }
        BufStart = FileOfs;
        BufEnd = FileOfs + int32_t(kFileBufferSize);
        if (got < kFileBufferSize - size_t(keep)) {
            std::fill(FileBuffer.begin() + keep + int32_t(got), FileBuffer.end(), kPadByte);
            EndOfData = BufStart + keep + int32_t(got);
            EofInBuffer = true;
        } else {
            EofInBuffer = false;
        }
    }
    std::copy_n(FileBuffer.begin() + (FileOfs - BufStart), size, block);
    LastOfs = FileOfs;
    if (EofInBuffer && FileOfs + size >= EndOfData) {
        size = uint16_t(std::max(EndOfData - FileOfs, 0));
        return true;
    }
    return false;
}

void ProtocolRecord::FinishReading() {
    if (!FileOpen) return;
    WorkFile.reset();
    FileOpen = false;
}

// ---- writing ----

void ProtocolRecord::PrepareWriting() {
    {
        std::unique_ptr<TransferFile> existing;
        const int io = TransferFiles().OpenRead(PathName, existing);
        if (io != kIoOk && io != kIoNotFound) {
            Fail(uint16_t(io));
            return;
        }
        if (io == kIoOk) {
            existing.reset();
            if (WriteFailOption == kWriteFailRefuse) {
                Fail(kStatusRefusedExisting);
                return;
            }
            if (WriteFailOption == kWriteFailRename) {
                // The first character of the name becomes "$"; a file of
                // that name is never replaced either.
                const size_t at = PathName.size() - NamePart(PathName).size();
                if (at >= PathName.size()) {
                    Fail(kStatusRefusedExisting);
                    return;
                }
                std::string renamed = PathName;
                renamed[at] = '$';
                std::unique_ptr<TransferFile> clash;
                if (renamed == PathName ||
                    TransferFiles().OpenRead(renamed, clash) != kIoNotFound) {
                    Fail(kStatusRefusedExisting);
                    return;
                }
                PathName = renamed;
                Port->ReportError(kNoticeRenamed);
            }
        }
    }
    UpdateStatus(false, false);
    SetStatus(kStatusOk);
    std::unique_ptr<TransferFile> file;
    const int io = TransferFiles().Create(PathName, file);
    if (io != kIoOk) {
        Fail(uint16_t(io));
        return;
    }
    WorkFile = std::move(file);
    BufStart = 0;
    LastOfs = 0;
    BufEnd = int32_t(kFileBufferSize);
    FileOpen = true;
}

bool ProtocolRecord::WriteOut(const uint8_t* bytes, size_t count) {
    auto put = [&](const uint8_t* run, size_t n) {
        size_t written = 0;
        const int io = WorkFile->Write(run, n, written);
        if (io != kIoOk) {
            Fail(uint16_t(io));
            return false;
        }
        if (written != n) {
            Fail(kStatusShortWrite);
            return false;
        }
        return true;
    };
    if (!ConvertNewlines) return count == 0 || put(bytes, count);
    static const uint8_t kCrLf[2] = {0x0D, 0x0A};
    size_t from = 0;
    for (size_t i = 0; i < count; ++i) {
        if (bytes[i] != 0x0A) continue;
        if (i > from && !put(bytes + from, i - from)) return false;
        if (!put(kCrLf, 2)) return false;
        from = i + 1;
    }
    return from == count || put(bytes + from, count - from);
}

bool ProtocolRecord::WriteProtocolBlock(const uint8_t* block, uint16_t size) {
    SetStatus(kStatusOk);
    if (!FileOpen || !WorkFile) {
        Fail(kStatusNoFileOpen);
        return true;
    }
    if (FileOfs != LastOfs) {
        Fail(kStatusWriteOutOfOrder);
        return true;
    }
    if (int64_t(FileOfs) + size > BufEnd) {
        if (!WriteOut(FileBuffer.data(), size_t(LastOfs - BufStart))) return true;
        BufStart = FileOfs;
        BufEnd = FileOfs + int32_t(kFileBufferSize);
        LastOfs = FileOfs;
    }
    if (size > kFileBufferSize) {
        // Larger than the buffer: straight to the file.
        if (!WriteOut(block, size)) return true;
        BufStart = LastOfs = FileOfs + size;
        BufEnd = BufStart + int32_t(kFileBufferSize);
        return false;
    }
    std::copy_n(block, size, FileBuffer.begin() + (FileOfs - BufStart));
    LastOfs += size;
    return false;
}

bool ProtocolRecord::FinishWriting() {
    if (!FileOpen) return false;
    bool failed = WorkFile && !WriteOut(FileBuffer.data(), size_t(LastOfs - BufStart));
    if (WorkFile) {
        const int io = WorkFile->Close();
        if (io != kIoOk && !failed) {
            Fail(uint16_t(io));
            failed = true;
        }
    }
    WorkFile.reset();
    FileOpen = false;
    ConvertNewlines = false;
    return failed;
}

// ---- file CRC ----

uint32_t ProtocolRecord::FileCrc32(const std::string& name, int32_t maxLen) {
    SetStatus(kStatusOk);
    std::vector<uint8_t> buffer;
    try {
        buffer.resize(kFileBufferSize);
    } catch (const std::bad_alloc&) {
        Port->ReportError(kWarningNoCrcBuffer);
        return 0;
    }
    std::unique_ptr<TransferFile> file;
    const int io = TransferFiles().OpenRead(name, file);
    if (io != kIoOk) {
        Port->ReportError(uint16_t(kWarningOffset + io));
        return 0;
    }
    uint32_t crc = 0xFFFFFFFFu;
    int64_t offset = 0;
    for (;;) {
        size_t want = kFileBufferSize;
        if (maxLen > 0) want = size_t(std::min<int64_t>(want, maxLen - offset));
        if (want == 0) break;
        size_t got = 0;
        if (file->ReadAt(offset, buffer.data(), want, got) != kIoOk || got == 0) break;
        crc = UpdateCrc32(buffer.data(), got, crc);
        offset += int64_t(got);
    }
    return crc;
}

}  // namespace transfer
