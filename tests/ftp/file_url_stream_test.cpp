#include "ftp/file_url_stream.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

class FakeUrlReader final : public platform::UrlReader {
  public:
    std::vector<uint8_t> content;
    std::string lastUrl;
    bool ReadUrl(std::string_view url, uint8_t* buffer, size_t capacity, size_t& got) override {
        lastUrl = url;
        got = std::min(capacity, content.size());
        std::copy_n(content.begin(), got, buffer);
        return true;
    }
};

std::string TempFileWith(const std::vector<uint8_t>& bytes) {
    char name[] = "/tmp/vz_stream_XXXXXX";
    const int fd = mkstemp(name);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(fd);
    return name;
}

TEST(FileUrlStream, ReadsALocalFileInPiecesWithShortLastRead) {
    const std::string name = TempFileWith({1, 2, 3, 4, 5});
    ftp::FileUrlStream s;
    ftp::StreamAssign(s, name);
    ASSERT_EQ(ftp::StreamReset(s, 1), 0);
    uint8_t buffer[8] = {};
    size_t done = 0;
    EXPECT_EQ(ftp::StreamRead(s, buffer, 3, done), 0);
    EXPECT_EQ(done, 3u);
    EXPECT_EQ(ftp::StreamRead(s, buffer, 8, done), 0);
    EXPECT_EQ(done, 2u);
    EXPECT_EQ(buffer[1], 5);
    EXPECT_EQ(ftp::StreamRead(s, buffer, 8, done), 0);
    EXPECT_EQ(done, 0u);
    ftp::StreamClose(s);
    std::remove(name.c_str());
}

TEST(FileUrlStream, CountsWholeRecords) {
    const std::string name = TempFileWith({1, 2, 3, 4, 5});
    ftp::FileUrlStream s;
    ftp::StreamAssign(s, name);
    ASSERT_EQ(ftp::StreamReset(s, 2), 0);
    uint8_t buffer[8] = {};
    size_t done = 0;
    EXPECT_EQ(ftp::StreamRead(s, buffer, 4, done), 0);
    EXPECT_EQ(done, 2u);
    ftp::StreamClose(s);
    std::remove(name.c_str());
}

TEST(FileUrlStream, OpenFailuresSetTheResult) {
    ftp::FileUrlStream s;
    ftp::StreamAssign(s, "/nonexistent/vz/file.def");
    EXPECT_EQ(ftp::StreamReset(s, 1), ftp::kIoFileNotFound);
    uint8_t b = 0;
    size_t done = 1;
    EXPECT_NE(ftp::StreamRead(s, &b, 1, done), 0);
    EXPECT_EQ(done, 0u);

    ftp::StreamAssign(s, "");
    EXPECT_NE(ftp::StreamReset(s, 1), 0);
    // Without a URL reader every URL fails.
    ftp::StreamAssign(s, "http://host/x.def");
    EXPECT_TRUE(s.isUrl);
    EXPECT_EQ(ftp::StreamReset(s, 1), ftp::kIoFileNotFound);
}

TEST(FileUrlStream, UrlIsFetchedIntoItsBufferWhenOpened) {
    FakeUrlReader reader;
    reader.content.assign(ftp::kUrlBufferSize + 100, 7);
    platform::SetUrlReader(&reader);
    ftp::FileUrlStream s;
    ftp::StreamAssign(s, "http://host/x.def");
    ASSERT_EQ(ftp::StreamReset(s, 1), 0);
    platform::SetUrlReader(nullptr);
    EXPECT_EQ(reader.lastUrl, "http://host/x.def");
    std::vector<uint8_t> buffer(ftp::kUrlBufferSize * 2);
    size_t done = 0;
    EXPECT_EQ(ftp::StreamRead(s, buffer.data(), 10, done), 0);
    EXPECT_EQ(done, 10u);
    EXPECT_EQ(ftp::StreamRead(s, buffer.data(), buffer.size(), done), 0);
    EXPECT_EQ(done, ftp::kUrlBufferSize - 10);
    ftp::StreamClose(s);
}

}  // namespace
