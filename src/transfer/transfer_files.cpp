#include "transfer/transfer_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <utime.h>

#include <cerrno>
#include <cstdio>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "console/dos_time.h"

namespace transfer {

namespace {

int IoCodeOf(int error, int fallback) {
    switch (error) {
        case ENOENT:
            return kIoNotFound;
        case ENOTDIR:
            return kIoNoPath;
        case EACCES:
        case EPERM:
        case EISDIR:
            return kIoDenied;
        case ENOSPC:
            return kIoWriteError;
        default:
            return fallback;
    }
}

bool Seek(std::FILE* f, int64_t offset) {
#ifdef _WIN32
    return _fseeki64(f, offset, SEEK_SET) == 0;
#else
    return fseeko(f, off_t(offset), SEEK_SET) == 0;
#endif
}

int64_t Tell(std::FILE* f) {
#ifdef _WIN32
    return _ftelli64(f);
#else
    return int64_t(ftello(f));
#endif
}

class StdioFile final : public TransferFile {
  public:
    explicit StdioFile(std::FILE* f) : f_(f) {}
    ~StdioFile() override {
        if (f_) std::fclose(f_);
    }
    int64_t Size() override {
#ifdef _WIN32
        if (_fseeki64(f_, 0, SEEK_END) != 0) return -1;
#else
        if (fseeko(f_, 0, SEEK_END) != 0) return -1;
#endif
        return Tell(f_);
    }
    int32_t DosTime() override {
        int32_t packed = 0;
        return console::GetFTime(f_, packed) == 0 ? packed : 0;
    }
    int ReadAt(int64_t offset, uint8_t* bytes, size_t count, size_t& got) override {
        got = 0;
        if (!Seek(f_, offset)) return kIoReadError;
        got = std::fread(bytes, 1, count, f_);
        return std::ferror(f_) ? kIoReadError : kIoOk;
    }
    int Write(const uint8_t* bytes, size_t count, size_t& written) override {
        errno = 0;
        written = std::fwrite(bytes, 1, count, f_);
        return written == count ? kIoOk : IoCodeOf(errno, kIoWriteError);
    }
    int Close() override {
        errno = 0;
        const bool flushed = std::fflush(f_) == 0;
        const bool closed = std::fclose(f_) == 0;
        f_ = nullptr;
        return flushed && closed ? kIoOk : IoCodeOf(errno, kIoWriteError);
    }

  private:
    std::FILE* f_;
};

class StdioFiles final : public TransferFileSystem {
  public:
    int OpenRead(const std::string& name, std::unique_ptr<TransferFile>& file) override {
        return Open(name, "rb", kIoReadError, file);
    }
    int Create(const std::string& name, std::unique_ptr<TransferFile>& file) override {
        return Open(name, "wb", kIoWriteError, file);
    }
    int OpenAppend(const std::string& name, std::unique_ptr<TransferFile>& file) override {
        return Open(name, "ab", kIoWriteError, file);
    }

    int Rename(const std::string& from, const std::string& to) override {
        errno = 0;
        return std::rename(from.c_str(), to.c_str()) == 0 ? kIoOk : IoCodeOf(errno, kIoDenied);
    }
    int Remove(const std::string& name) override {
        errno = 0;
        return std::remove(name.c_str()) == 0 ? kIoOk : IoCodeOf(errno, kIoDenied);
    }
    int Truncate(const std::string& name, int64_t length) override {
        errno = 0;
#ifdef _WIN32
        const int fd = _open(name.c_str(), _O_RDWR | _O_BINARY);
        if (fd < 0) return IoCodeOf(errno, kIoDenied);
        const bool ok = _chsize_s(fd, length) == 0;
        _close(fd);
        return ok ? kIoOk : IoCodeOf(errno, kIoWriteError);
#else
        return ::truncate(name.c_str(), off_t(length)) == 0 ? kIoOk
                                                            : IoCodeOf(errno, kIoWriteError);
#endif
    }
    int SetWriteTime(const std::string& name, int64_t seconds) override {
        errno = 0;
        struct utimbuf times {};
        times.actime = time_t(seconds);
        times.modtime = time_t(seconds);
        return ::utime(name.c_str(), &times) == 0 ? kIoOk : IoCodeOf(errno, kIoDenied);
    }

  private:
    static int Open(const std::string& name, const char* mode, int fallback,
                    std::unique_ptr<TransferFile>& file) {
        file.reset();
        errno = 0;
        std::FILE* f = std::fopen(name.c_str(), mode);
        if (!f) return IoCodeOf(errno, fallback);
        file = std::make_unique<StdioFile>(f);
        return kIoOk;
    }
};

StdioFiles stdioFiles;
TransferFileSystem* current = &stdioFiles;

}  // namespace

void SetTransferFileSystem(TransferFileSystem* files) {
    current = files ? files : &stdioFiles;
}

TransferFileSystem& TransferFiles() {
    return *current;
}

bool TransferFileExists(const std::string& name) {
    std::unique_ptr<TransferFile> file;
    return current->OpenRead(name, file) == kIoOk;
}

}  // namespace transfer
