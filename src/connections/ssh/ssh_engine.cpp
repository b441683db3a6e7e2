// The engine's byte pump: version exchange and the SSH-2 and SSH-1 packet
// layers.
#include "connections/ssh/ssh_engine.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <cstring>

namespace connections::ssh {

namespace {

constexpr char kSignature[] = "SSH-";
constexpr size_t kVersionMax = 9;

uint32_t Be32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

void PutBe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}

// Moves up to want - have bytes from the input into the packet buffer.
void Take(std::vector<uint8_t>& buffer, size_t want, const uint8_t*& data, size_t& length) {
    const size_t n = std::min(want - std::min(want, buffer.size()), length);
    buffer.insert(buffer.end(), data, data + n);
    data += n;
    length -= n;
}

}  // namespace

SshEngine::SshEngine(SshServices& services, SshConfig config)
    : services_(services), config_(config) {}

SshEngine::~SshEngine() {
    OPENSSL_cleanse(in_.data(), in_.size());
    OPENSSL_cleanse(out_.data(), out_.size());
}

void SshEngine::Fatal(std::string message) {
    if (state_ == kSshClosed) return;
    state_ = kSshClosed;
    services_.Log(message);
    fatal_ = std::move(message);
}

bool SshEngine::Random(uint8_t* out, size_t length) {
    if (services_.Random(out, length)) return true;
    Fatal("No system random generator: cannot make keys");
    return false;
}

bool SshEngine::Feed(const uint8_t* data, size_t length) {
    if (state_ == kSshClosed) return false;
    if (length == 0) {
        Fatal("Server closed the connection");
        return false;
    }
    while (length > 0 && !versionDone_) {
        --length;
        if (VersionByte(*data++)) VersionDone();
    }
    while (length > 0 && state_ != kSshClosed) {
        if (version_ == 2) {
            ReadSsh2(data, length);
        } else {
            ReadSsh1(data, length);
        }
    }
    return state_ != kSshClosed;
}

// True at the line feed that ends the server's identification.
bool SshEngine::VersionByte(uint8_t b) {
    if (!inLine_) {
        // "SSH-" anywhere in the stream; a run of S letters keeps the start.
        if (b == uint8_t(kSignature[matched_])) {
            ++matched_;
        } else {
            // After "SS" another S still leaves "SS" matched.
            matched_ = b != 'S' ? 0 : matched_ == 2 ? 2 : 1;
        }
        if (matched_ == 4) {
            inLine_ = true;
            serverLine_ = kSignature;
        }
        return false;
    }
    if (b == '\n') return true;
    // The whole line goes into the exchange hash, so none of it is cut
    // below the longest line the protocol allows.
    if (serverLine_.size() < kMaxIdentification) serverLine_ += char(b);
    if (!versionEnded_) {
        if (b == '-') {
            versionEnded_ = true;
        } else if (serverVersion_.size() < kVersionMax) {
            serverVersion_ += char(b);
        }
    }
    return false;
}

void SshEngine::VersionDone() {
    versionDone_ = true;
    const size_t end = serverLine_.find_first_of("\r\n");
    if (end != std::string::npos) serverLine_.resize(end);
    services_.Log("Server version: " + serverLine_);
    const char* threshold = config_.protocolPreference == 1 ? "2.0" : "1.99";
    inSeq_ = 0;
    if (SshVersionCompare(serverVersion_, threshold) < 0) {
        const std::string claim =
            SshVersionCompare(serverVersion_, "1.5") <= 0 ? serverVersion_ : "1.5";
        const std::string line = "SSH-" + claim + "-Ozmel\n";
        version_ = 1;
        if (!services_.Write(reinterpret_cast<const uint8_t*>(line.data()), line.size())) {
            Fatal("sk_write failed");
            return;
        }
        services_.Log("We claim version: SSH-" + claim + "-Ozmel");
        services_.Log("Using SSH protocol version 1");
        return;
    }
    version_ = 2;
    const std::string line = std::string(kClientVersion2) + "\n";
    if (!services_.Write(reinterpret_cast<const uint8_t*>(line.data()), line.size())) {
        Fatal("sk_write failed");
        return;
    }
    services_.Log(std::string("We claim version: ") + kClientVersion2);
    services_.Log("Using SSH protocol version 2");
    SendKexInit();
}

// Decompresses a received payload into scratch_ (both protocol versions);
// false, with the connection failed, when the data is bad or inflates too far.
bool SshEngine::Inflate(const uint8_t*& payload, size_t& length) {
    switch (scComp_->Decompress(payload, length, scratch_)) {
        case SshCodecResult::kUnchanged:
            return true;
        case SshCodecResult::kDone:
            payload = scratch_.data();
            length = scratch_.size();
            return true;
        case SshCodecResult::kFailed:
            Fatal("Decompression failed");
            return false;
        case SshCodecResult::kTooLarge:
            Fatal("Decompressed packet too large");
            return false;
    }
    return false;
}

// SSH-2 packets: one block first, for the length; then the rest and the MAC.
void SshEngine::ReadSsh2(const uint8_t*& data, size_t& length) {
    const size_t block = std::max<size_t>(8, scCipher_ ? scCipher_->BlockSize() : 8);
    const size_t macLength = scMac_ ? scMac_->MacLength() : 0;
    if (!inHeadDone_) {
        Take(in_, block, data, length);
        if (in_.size() < block) return;
        if (scCipher_ && !scCipher_->Decrypt(in_.data(), block)) {
            Fatal("Decryption failed");
            return;
        }
        inLength_ = Be32(in_.data());
        const uint32_t padding = in_[4];
        // The length word is the server's: a value that cannot be a packet
        // ends the connection before any buffer grows to it.
        if (inLength_ > kMaxPacketLength || (inLength_ + 4) % block != 0 ||
            inLength_ < padding + 2 || padding < 4) {
            Fatal("Bad packet length " + std::to_string(inLength_) + " (padding " +
                  std::to_string(padding) + ")");
            return;
        }
        inHeadDone_ = true;
        inNeed_ = 4 + size_t(inLength_) + macLength;
        in_.reserve(inNeed_);
    }
    Take(in_, inNeed_, data, length);
    if (in_.size() < inNeed_) return;
    const size_t packetEnd = 4 + size_t(inLength_);
    if (scCipher_ && packetEnd > block &&
        !scCipher_->Decrypt(in_.data() + block, packetEnd - block)) {
        Fatal("Decryption failed");
        return;
    }
    if (scMac_ && !scMac_->Verify(in_.data(), packetEnd, inSeq_)) {
        Fatal("Incorrect MAC received on packet");
        return;
    }
    ++inSeq_;
    inHeadDone_ = false;
    const uint8_t* payload = in_.data() + 5;
    size_t payloadLength = inLength_ - in_[4] - 1;
    if (scComp_ && !Inflate(payload, payloadLength)) return;
    // A packet handler may send, so the received packet is moved aside.
    std::vector<uint8_t> packet(payload, payload + payloadLength);
    in_.clear();
    if (packet.empty()) {
        Fatal("Empty packet received");
        return;
    }
    const uint8_t type = packet[0];
    if (type == 2 || type == 4) return;  // ignore, debug
    WireReader r(packet.data() + 1, packet.size() - 1);
    Ssh2Packet(type, r);
    OPENSSL_cleanse(packet.data(), packet.size());
}

std::vector<uint8_t>& SshEngine::Start2(uint8_t type) {
    out_.assign(5, 0);
    out_.push_back(type);
    return out_;
}

bool SshEngine::Send2Checked() {
    if (state_ == kSshClosed) return false;
    if (csComp_) {
        switch (csComp_->Compress(out_.data() + 5, out_.size() - 5, scratch_)) {
            case SshCodecResult::kUnchanged:
                break;
            case SshCodecResult::kDone:
                out_.resize(5);
                out_.insert(out_.end(), scratch_.begin(), scratch_.end());
                break;
            default:
                Fatal("Compression failed");
                return false;
        }
    }
    const size_t block = std::max<size_t>(8, csCipher_ ? csCipher_->BlockSize() : 8);
    const size_t l = out_.size();  // 5 + payload
    const size_t padding = 4 + (block - (l + 4) % block) % block;
    const size_t total = l + padding;
    const size_t macLength = csMac_ ? csMac_->MacLength() : 0;
    out_.resize(total + macLength);
    if (!Random(out_.data() + l, padding)) return false;
    PutBe32(out_.data(), uint32_t(total - 4));
    out_[4] = uint8_t(padding);
    if (csMac_) csMac_->Generate(out_.data(), total, outSeq_);
    ++outSeq_;
    if (csCipher_ && !csCipher_->Encrypt(out_.data(), total)) {
        Fatal("Encryption failed");
        return false;
    }
    const bool written = services_.Write(out_.data(), out_.size());
    OPENSSL_cleanse(out_.data(), out_.size());
    if (!written) {
        Fatal("sk_write failed");
        return false;
    }
    return true;
}

void SshEngine::Send2() {
    Send2Checked();
}

// SSH-1 packets: length word, 1 to 8 bytes of padding, type, data, CRC.
void SshEngine::ReadSsh1(const uint8_t*& data, size_t& length) {
    if (!inHeadDone_) {
        Take(in_, 4, data, length);
        if (in_.size() < 4) return;
        inLength_ = Be32(in_.data());
        if (inLength_ < 5 || inLength_ > kMaxPacketLength) {
            Fatal("Bad packet length " + std::to_string(inLength_));
            return;
        }
        inHeadDone_ = true;
        inNeed_ = 4 + (8 - inLength_ % 8) + size_t(inLength_);
        in_.reserve(inNeed_);
    }
    Take(in_, inNeed_, data, length);
    if (in_.size() < inNeed_) return;
    inHeadDone_ = false;
    uint8_t* body = in_.data() + 4;
    const size_t bodyLength = inNeed_ - 4;
    if (csCipher_ && !csCipher_->Decrypt(body, bodyLength)) {
        Fatal("Decryption failed");
        return;
    }
    if (SshCrc32(body, bodyLength - 4) != Be32(body + bodyLength - 4)) {
        Fatal("Incorrect CRC received on packet");
        return;
    }
    const uint8_t* payload = body + (8 - inLength_ % 8);
    size_t payloadLength = inLength_ - 4;
    if (ssh1Compress_ && scComp_ && !Inflate(payload, payloadLength)) return;
    std::vector<uint8_t> packet(payload, payload + payloadLength);
    in_.clear();
    if (packet.empty()) {
        Fatal("Empty packet received");
        return;
    }
    const uint8_t type = packet[0];
    WireReader r(packet.data() + 1, packet.size() - 1);
    if (type == 17 || type == 18 || type == 36 || type == 40 || type == 71) {
        if (packet.size() < 5 || size_t(Be32(packet.data() + 1)) + 4 != packet.size() - 1) {
            Fatal("Received data packet with bogus string length");
            return;
        }
    }
    if (type == 36) {
        std::string text;
        r.String(text);
        services_.Log("Remote: " + text.substr(0, 70));
        return;
    }
    if (type == 32) return;
    Ssh1Packet(type, r);
}

void SshEngine::Send1(uint8_t type, const std::vector<uint8_t>& data) {
    if (state_ == kSshClosed) return;
    std::vector<uint8_t> body;
    body.reserve(data.size() + 1);
    body.push_back(type);
    body.insert(body.end(), data.begin(), data.end());
    if (ssh1Compress_ && csComp_) {
        switch (csComp_->Compress(body.data(), body.size(), scratch_)) {
            case SshCodecResult::kUnchanged:
                break;
            case SshCodecResult::kDone:
                body = scratch_;
                break;
            default:
                Fatal("Compression failed");
                return;
        }
    }
    const size_t n = body.size();
    const size_t padding = 8 - (n + 4) % 8;
    out_.assign(4 + padding, 0);
    PutBe32(out_.data(), uint32_t(n + 4));
    if (!Random(out_.data() + 4, padding)) return;
    out_.insert(out_.end(), body.begin(), body.end());
    out_.resize(out_.size() + 4);
    PutBe32(out_.data() + out_.size() - 4, SshCrc32(out_.data() + 4, padding + n));
    if (csCipher_ && !csCipher_->Encrypt(out_.data() + 4, out_.size() - 4)) {
        Fatal("Encryption failed");
        return;
    }
    const bool written = services_.Write(out_.data(), out_.size());
    OPENSSL_cleanse(out_.data(), out_.size());
    OPENSSL_cleanse(body.data(), body.size());
    if (!written) Fatal("sk_write failed");
}

}  // namespace connections::ssh
