#pragma once
// A reader over a local file or a URL; the settings file and other files are
// read through it so that a name holding "://" can be fetched from the net.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Fetches a URL for the file-or-URL stream. The Windows side goes through the
// Internet functions; without a reader every URL fails to open.
class UrlReader {
  public:
    virtual ~UrlReader() = default;
    // Fills at most capacity bytes; false when the URL cannot be read.
    virtual bool ReadUrl(std::string_view url, uint8_t* buffer, size_t capacity, size_t& got) = 0;
};

void SetUrlReader(UrlReader* reader);
UrlReader* CurrentUrlReader();

}  // namespace platform

namespace ftp {

// A URL is fetched whole into a buffer of this size when the stream opens.
inline constexpr size_t kUrlBufferSize = 16384;

// I/O result codes in the style of the run-time library's IOResult.
inline constexpr int kIoFileNotFound = 2;
inline constexpr int kIoNotOpen = 103;
inline constexpr int kIoReadError = 100;

struct FileUrlStream {
    std::string name;
    bool isUrl = false;
    bool open = false;
    std::FILE* file = nullptr;
    std::vector<uint8_t> urlData;
    size_t urlPos = 0;
    uint32_t recordSize = 1;
    int ioResult = 0;
};

// True when the name is a URL (it holds "://").
bool IsUrlName(std::string_view name);

void StreamAssign(FileUrlStream& stream, std::string_view name);
// Opens for reading; returns the I/O result (0 on success), also kept in the stream.
int StreamReset(FileUrlStream& stream, uint32_t recordSize);
// Reads up to count records; done is how many whole records arrived. A short
// read is no error.
int StreamRead(FileUrlStream& stream, uint8_t* buffer, size_t count, size_t& done);
void StreamClose(FileUrlStream& stream);

}  // namespace ftp
