#include "connections/ssh/ssh_compression.h"

#include <zlib.h>

#include <algorithm>

namespace connections::ssh {

namespace {

class NoCompression final : public SshCompression {
  public:
    std::string_view Name() const override { return "none"; }
    bool StartCompressor() override { return true; }
    SshCodecResult Compress(const uint8_t*, size_t, std::vector<uint8_t>&) override {
        return SshCodecResult::kUnchanged;
    }
    bool StartDecompressor() override { return true; }
    SshCodecResult Decompress(const uint8_t*, size_t, std::vector<uint8_t>&) override {
        return SshCodecResult::kUnchanged;
    }
};

class ZlibCompression final : public SshCompression {
  public:
    ZlibCompression(SshLogLine log, size_t cap) : log_(std::move(log)), cap_(cap) {}
    ~ZlibCompression() override {
        StopCompressor();
        StopDecompressor();
    }

    std::string_view Name() const override { return "zlib"; }

    bool StartCompressor() override {
        StopCompressor();
        deflate_ = {};
        deflating_ = deflateInit(&deflate_, Z_DEFAULT_COMPRESSION) == Z_OK;
        if (deflating_ && log_) log_("Initialised zlib (RFC1950) compression");
        return deflating_;
    }

    // Each packet ends with a partial flush so the peer can inflate it at once.
    SshCodecResult Compress(const uint8_t* data, size_t length,
                            std::vector<uint8_t>& out) override {
        out.clear();
        if (!deflating_) return SshCodecResult::kFailed;
        deflate_.next_in = const_cast<Bytef*>(data);
        deflate_.avail_in = static_cast<uInt>(length);
        do {
            size_t used = out.size();
            out.resize(used + length / 2 + 64);
            deflate_.next_out = out.data() + used;
            deflate_.avail_out = static_cast<uInt>(out.size() - used);
            int rc = deflate(&deflate_, Z_PARTIAL_FLUSH);
            out.resize(out.size() - deflate_.avail_out);
            if (rc != Z_OK && rc != Z_BUF_ERROR) return Fail(out, deflating_);
        } while (deflate_.avail_out == 0 || deflate_.avail_in != 0);
        return SshCodecResult::kDone;
    }

    bool StartDecompressor() override {
        StopDecompressor();
        inflate_ = {};
        inflating_ = inflateInit(&inflate_) == Z_OK;
        if (inflating_ && log_) log_("Initialised zlib (RFC1950) decompression");
        return inflating_;
    }

    SshCodecResult Decompress(const uint8_t* data, size_t length,
                              std::vector<uint8_t>& out) override {
        out.clear();
        if (!inflating_) return SshCodecResult::kFailed;
        inflate_.next_in = const_cast<Bytef*>(data);
        inflate_.avail_in = static_cast<uInt>(length);
        for (;;) {
            size_t used = out.size();
            // One byte beyond the cap shows that the packet passed it.
            size_t room = std::min<size_t>(length * 4 + 256, cap_ + 1 - used);
            out.resize(used + room);
            inflate_.next_out = out.data() + used;
            inflate_.avail_out = static_cast<uInt>(room);
            int rc = inflate(&inflate_, Z_SYNC_FLUSH);
            out.resize(out.size() - inflate_.avail_out);
            if (out.size() > cap_) {
                out.clear();
                return SshCodecResult::kTooLarge;
            }
            if (rc == Z_BUF_ERROR && inflate_.avail_out != 0) break;  // all input taken
            if (rc == Z_STREAM_END) {
                // The method never ends its stream; data after an end is not ours.
                if (inflate_.avail_in != 0) return Fail(out, inflating_);
                break;
            }
            if (rc != Z_OK && rc != Z_BUF_ERROR) return Fail(out, inflating_);
            if (inflate_.avail_in == 0 && inflate_.avail_out != 0) break;
        }
        return SshCodecResult::kDone;
    }

  private:
    // A broken stream stays broken: later packets fail too.
    static SshCodecResult Fail(std::vector<uint8_t>& out, bool& running) {
        out.clear();
        running = false;
        return SshCodecResult::kFailed;
    }
    void StopCompressor() {
        if (deflate_.state != nullptr) deflateEnd(&deflate_);
        deflate_ = {};
        deflating_ = false;
    }
    void StopDecompressor() {
        if (inflate_.state != nullptr) inflateEnd(&inflate_);
        inflate_ = {};
        inflating_ = false;
    }

    SshLogLine log_;
    size_t cap_;
    z_stream deflate_{};
    z_stream inflate_{};
    bool deflating_ = false;
    bool inflating_ = false;
};

}  // namespace

std::unique_ptr<SshCompression> MakeSshCompression(std::string_view name, SshLogLine log,
                                                   size_t inflate_cap) {
    if (name == "none") return std::make_unique<NoCompression>();
    if (name == "zlib") return std::make_unique<ZlibCompression>(std::move(log), inflate_cap);
    return nullptr;
}

}  // namespace connections::ssh
