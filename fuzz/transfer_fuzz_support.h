#pragma once
// What the transfer fuzz targets share: a link whose other end sends the
// fuzz input and swallows every answer, files kept in memory, and a clock
// that runs a second further at every reading, so that every
// wait of an engine ends after a few steps.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "console/tick_clock.h"
#include "transfer/host_link.h"
#include "transfer/port_layer.h"
#include "transfer/transfer_files.h"
#include "transfer/xmodem_engine.h"

namespace fuzz_transfer {

class InputLink final : public transfer::HostLink {
  public:
    InputLink(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    void Poll() override {}
    bool ByteReady() override { return pos_ < size_; }
    int ReadByte() override { return pos_ < size_ ? data_[pos_++] : transfer::kNoLinkByte; }
    uint32_t BytesWaiting() override { return uint32_t(size_ - pos_); }
    // Runs of at most 7 bytes, so that they end at every place in a frame.
    size_t Peek(const uint8_t*& bytes, size_t maximum) override {
        bytes = data_ + pos_;
        return std::min({size_ - pos_, maximum, size_t(7)});
    }
    void Take(size_t count) override { pos_ += std::min(count, size_ - pos_); }
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
    // Longer than any wait of the engines: a step that waits with nothing
    // left to come sleeps this long, and its time-out is over at once.
    static constexpr uint32_t kLongestWait = 120'000;

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

// One input's surroundings: the racing clock and the files in memory put in
// place, and taken away again at the end. The tick clock starts afresh each
// time, since a reading left by the previous input would hold the new clock
// still until it caught up, and each input would wait longer than the last.
class RunScope {
  public:
    RunScope() {
        console::ResetTickClock();
        platform::SetClock(&clock);
        transfer::SetTransferFileSystem(&files);
    }
    ~RunScope() {
        transfer::SetTransferFileSystem(nullptr);
        platform::SetClock(nullptr);
        console::ResetTickClock();
    }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

    RacingClock clock;
    MemoryFiles files;
};

// One input's run: its surroundings, a link that sends all of the input
// but the first byte (which the targets use to pick options), and the
// transfer port over that link.
struct InputRun {
    InputRun(const uint8_t* data, size_t size) : link(data + 1, size - 1) {
        uint16_t status = 0;
        port = transfer::TransferPort::OpenOnLink(link, status);
    }

    // Steps an engine until it finishes; aborts when it never does. A
    // waiting step finds the input used up only when the engine waits for an
    // answer that will never come, so the clock goes on to its time-out
    // there and then.
    template <class Step>
    void StepToEnd(Step step) {
        int steps = 0;
        for (;;) {
            const int result = step();
            if (result == transfer::kStepFinished) return;
            if (result == transfer::kStepWaiting && !link.ByteReady())
                scope.clock.Sleep(RacingClock::kLongestWait);
            if (++steps > 5'000'000) std::abort();
        }
    }

    RunScope scope;
    InputLink link;
    std::unique_ptr<transfer::TransferPort> port;
};

// Aborts unless every file made lies in the download folder "dl/" under a
// name without folders.
inline void CheckDownloadNames(const MemoryFiles& files) {
    for (const auto& [name, bytes] : files.files) {
        if (name.rfind("dl/", 0) != 0) std::abort();
        const std::string rest = name.substr(3);
        if (rest.empty() || rest.find_first_of("/\\:") != std::string::npos || rest == "." ||
            rest == "..")
            std::abort();
    }
}

}  // namespace fuzz_transfer
