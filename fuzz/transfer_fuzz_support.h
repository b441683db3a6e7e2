#pragma once
// What the transfer fuzz targets share: a link whose other end sends the
// fuzz input and swallows every answer, files kept in memory, and a clock
// that runs a second further at every reading, so that every
// wait of an engine ends after a few steps.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "console/tick_clock.h"
#include "transfer/host_link.h"
#include "transfer/transfer_files.h"

namespace fuzz_transfer {

class InputLink final : public transfer::HostLink {
  public:
    InputLink(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    void Poll() override {}
    bool ByteReady() override { return pos_ < size_; }
    int ReadByte() override { return pos_ < size_ ? data_[pos_++] : transfer::kNoLinkByte; }
    uint32_t BytesWaiting() override { return uint32_t(size_ - pos_); }
    bool Unread(uint32_t count) override { return count == 0; }
    bool Send(const uint8_t*, size_t) override { return true; }
    void SendBreak() override {}
    void WaitForInput(uint32_t) override {}

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

class RacingClock final : public platform::Clock {
  public:
    uint32_t Milliseconds() override { return now_ += 1000; }
    bool PerformanceFrequency(int64_t&) override { return false; }
    bool PerformanceCounter(int64_t&) override { return false; }
    void Sleep(uint32_t ms) override { now_ += ms; }

  private:
    uint32_t now_ = 1000;
};

class MemoryFiles final : public transfer::TransferFileSystem {
  public:
    std::map<std::string, std::vector<uint8_t>> files;

    class File final : public transfer::TransferFile {
      public:
        explicit File(std::vector<uint8_t>& bytes) : bytes_(bytes) {}
        int64_t Size() override { return int64_t(bytes_.size()); }
        int32_t DosTime() override { return 0; }
        int ReadAt(int64_t offset, uint8_t* out, size_t count, size_t& got) override {
            got = 0;
            for (size_t i = size_t(offset); i < bytes_.size() && got < count; ++i)
                out[got++] = bytes_[i];
            return transfer::kIoOk;
        }
        int Write(const uint8_t* in, size_t count, size_t& written) override {
            // A small disk: a long fuzzed transfer fills it and must fail cleanly.
            written = std::min(count, size_t(1 << 20) - std::min(bytes_.size(), size_t(1 << 20)));
            bytes_.insert(bytes_.end(), in, in + written);
            return written == count ? transfer::kIoOk : transfer::kIoWriteError;
        }
        int Close() override { return transfer::kIoOk; }

      private:
        std::vector<uint8_t>& bytes_;
    };

    int OpenRead(const std::string& name, std::unique_ptr<transfer::TransferFile>& file) override {
        auto it = files.find(name);
        if (it == files.end()) return transfer::kIoNotFound;
        file = std::make_unique<File>(it->second);
        return transfer::kIoOk;
    }
    int Create(const std::string& name, std::unique_ptr<transfer::TransferFile>& file) override {
        file = std::make_unique<File>(files[name] = {});
        return transfer::kIoOk;
    }
    int OpenAppend(const std::string& name,
                   std::unique_ptr<transfer::TransferFile>& file) override {
        file = std::make_unique<File>(files[name]);
        return transfer::kIoOk;
    }
    int Rename(const std::string& from, const std::string& to) override {
        if (files.count(to) || !files.count(from)) return transfer::kIoDenied;
        files[to] = std::move(files[from]);
        files.erase(from);
        return transfer::kIoOk;
    }
    int Truncate(const std::string& name, int64_t length) override {
        auto it = files.find(name);
        if (it == files.end()) return transfer::kIoNotFound;
        if (length < int64_t(it->second.size())) it->second.resize(size_t(length));
        return transfer::kIoOk;
    }
    int SetWriteTime(const std::string&, int64_t) override { return transfer::kIoOk; }
};

}  // namespace fuzz_transfer
