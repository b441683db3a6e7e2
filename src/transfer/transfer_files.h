#pragma once
// The files a transfer reads and writes, behind a seam: the program's build
// uses the C library's files; tests install fakes (a full disk, a refused
// create). Results are DOS-style I/O codes: 0 success, 2 not found, 3 no such
// folder, 5 access denied, 100 read error, 101 write error (disk full).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace transfer {

inline constexpr int kIoOk = 0;
inline constexpr int kIoNotFound = 2;
inline constexpr int kIoNoPath = 3;
inline constexpr int kIoDenied = 5;
inline constexpr int kIoReadError = 100;
inline constexpr int kIoWriteError = 101;

class TransferFile {
  public:
    virtual ~TransferFile() = default;
    // Size in bytes; -1 when it cannot be told.
    virtual int64_t Size() = 0;
    // DOS date-time of the last write; 0 when unknown.
    virtual int32_t DosTime() = 0;
    // Reads up to count bytes from offset; got says how many came.
    virtual int ReadAt(int64_t offset, uint8_t* bytes, size_t count, size_t& got) = 0;
    // Appends; written says how many bytes the file took.
    virtual int Write(const uint8_t* bytes, size_t count, size_t& written) = 0;
    // Closes, reporting a write that failed only now.
    virtual int Close() = 0;
};

class TransferFileSystem {
  public:
    virtual ~TransferFileSystem() = default;
    virtual int OpenRead(const std::string& name, std::unique_ptr<TransferFile>& file) = 0;
    // Creates or replaces the file, empty.
    virtual int Create(const std::string& name, std::unique_ptr<TransferFile>& file) = 0;
    // Opens the file for writing after what it holds (created when absent).
    virtual int OpenAppend(const std::string& name, std::unique_ptr<TransferFile>& file) {
        return kIoDenied;
    }
    // Moves a file to a name that must be free. A file system that cannot
    // (a test's) refuses this and the three below.
    virtual int Rename(const std::string& from, const std::string& to) { return kIoDenied; }
    // Deletes a file.
    virtual int Remove(const std::string& name) { return kIoDenied; }
    // Cuts a file to the given length.
    virtual int Truncate(const std::string& name, int64_t length) { return kIoDenied; }
    // Sets the time of the last write, in seconds since 1970.
    virtual int SetWriteTime(const std::string& name, int64_t seconds) { return kIoDenied; }
};

// True when a file of that name can be opened (so the name is taken).
bool TransferFileExists(const std::string& name);

// nullptr restores the C library's files.
void SetTransferFileSystem(TransferFileSystem* files);
TransferFileSystem& TransferFiles();

}  // namespace transfer
