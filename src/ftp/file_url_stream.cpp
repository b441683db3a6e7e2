#include "ftp/file_url_stream.h"

#include <algorithm>

namespace platform {

namespace {
UrlReader* currentUrlReader = nullptr;
}

void SetUrlReader(UrlReader* reader) {
    currentUrlReader = reader;
}
UrlReader* CurrentUrlReader() {
    return currentUrlReader;
}

}  // namespace platform

namespace ftp {

bool IsUrlName(std::string_view name) {
    return name.find("://") != std::string_view::npos;
}

void StreamAssign(FileUrlStream& stream, std::string_view name) {
    StreamClose(stream);
    stream.name.assign(name);
    stream.isUrl = IsUrlName(name);
    stream.ioResult = 0;
}

int StreamReset(FileUrlStream& stream, uint32_t recordSize) {
    StreamClose(stream);
    stream.recordSize = recordSize == 0 ? 1 : recordSize;
    if (stream.isUrl) {
        platform::UrlReader* reader = platform::CurrentUrlReader();
        stream.urlData.assign(kUrlBufferSize, 0);
        size_t got = 0;
        if (reader == nullptr ||
            !reader->ReadUrl(stream.name, stream.urlData.data(), kUrlBufferSize, got)) {
            stream.urlData.clear();
            return stream.ioResult = kIoFileNotFound;
        }
        stream.urlData.resize(std::min(got, kUrlBufferSize));
        stream.urlPos = 0;
    } else {
        stream.file = stream.name.empty() ? nullptr : std::fopen(stream.name.c_str(), "rb");
        if (stream.file == nullptr) return stream.ioResult = kIoFileNotFound;
    }
    stream.open = true;
    return stream.ioResult = 0;
}

int StreamRead(FileUrlStream& stream, uint8_t* buffer, size_t count, size_t& done) {
    done = 0;
    if (!stream.open) return stream.ioResult = kIoNotOpen;
    const size_t recordSize = stream.recordSize;
    const size_t wanted =
        count > SIZE_MAX / recordSize ? SIZE_MAX / recordSize * recordSize : count * recordSize;
    size_t got = 0;
    if (stream.isUrl) {
        got = std::min(wanted, stream.urlData.size() - stream.urlPos);
        std::copy_n(stream.urlData.data() + stream.urlPos, got, buffer);
    } else {
        got = std::fread(buffer, 1, wanted, stream.file);
        if (got < wanted && std::ferror(stream.file)) {
            done = got / recordSize;
            return stream.ioResult = kIoReadError;
        }
    }
    // A trailing part of a record stays unread, as a block read leaves it.
    const size_t whole = got / recordSize * recordSize;
    if (stream.isUrl)
        stream.urlPos += whole;
    else if (whole < got)
        std::fseek(stream.file, -static_cast<long>(got - whole), SEEK_CUR);
    done = whole / recordSize;
    return stream.ioResult = 0;
}

void StreamClose(FileUrlStream& stream) {
    if (stream.file != nullptr) std::fclose(stream.file);
    stream.file = nullptr;
    stream.urlData.clear();
    stream.urlPos = 0;
    stream.open = false;
}

}  // namespace ftp
