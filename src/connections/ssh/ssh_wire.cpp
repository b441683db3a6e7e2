#include "connections/ssh/ssh_wire.h"

#include <algorithm>
#include <array>

namespace connections::ssh {

Bn NewBn() {
    return Bn(BN_new());
}

Bn BnFromBytes(const uint8_t* data, size_t length) {
    return Bn(BN_bin2bn(data, int(length), nullptr));
}

void WireWriter::Uint32(uint32_t v) {
    const uint8_t b[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    out_.insert(out_.end(), b, b + 4);
}

void WireWriter::Raw(const void* data, size_t length) {
    const auto* p = static_cast<const uint8_t*>(data);
    out_.insert(out_.end(), p, p + length);
}

void WireWriter::String(const void* data, size_t length) {
    Uint32(uint32_t(length));
    Raw(data, length);
}

std::vector<uint8_t> MpintBytes(const BIGNUM* n) {
    const int bytes = BN_num_bytes(n);
    std::vector<uint8_t> out(size_t(bytes) + 1, 0);
    BN_bn2bin(n, out.data() + 1);
    // Keep the leading zero only when the first byte has its top bit set.
    if (bytes == 0 || (out[1] & 0x80) == 0) out.erase(out.begin());
    return out;
}

void WireWriter::Mpint(const BIGNUM* n) {
    const std::vector<uint8_t> bytes = MpintBytes(n);
    String(bytes.data(), bytes.size());
}

void WireWriter::Ssh1BigNumber(const BIGNUM* n) {
    const int bits = BN_num_bits(n);
    out_.push_back(uint8_t(bits >> 8));
    out_.push_back(uint8_t(bits));
    const size_t at = out_.size();
    out_.resize(at + size_t(BN_num_bytes(n)));
    BN_bn2bin(n, out_.data() + at);
}

bool WireReader::Byte(uint8_t& b) {
    if (Remaining() < 1) return false;
    b = data_[pos_++];
    return true;
}

bool WireReader::Bool(bool& b) {
    uint8_t v = 0;
    if (!Byte(v)) return false;
    b = v != 0;
    return true;
}

bool WireReader::Uint32(uint32_t& v) {
    if (Remaining() < 4) return false;
    const uint8_t* p = data_ + pos_;
    v = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    pos_ += 4;
    return true;
}

bool WireReader::Raw(size_t length, const uint8_t*& data) {
    if (Remaining() < length) return false;
    data = data_ + pos_;
    pos_ += length;
    return true;
}

bool WireReader::String(const uint8_t*& data, size_t& length) {
    const size_t start = pos_;
    uint32_t n = 0;
    if (!Uint32(n) || Remaining() < n) {
        pos_ = start;
        return false;
    }
    data = data_ + pos_;
    length = n;
    pos_ += n;
    return true;
}

bool WireReader::String(std::string& text) {
    const uint8_t* p = nullptr;
    size_t n = 0;
    if (!String(p, n)) return false;
    text.assign(reinterpret_cast<const char*>(p), n);
    return true;
}

bool WireReader::Mpint(Bn& n) {
    const uint8_t* p = nullptr;
    size_t length = 0;
    if (!String(p, length)) return false;
    if (length > 0 && (p[0] & 0x80) != 0) return false;
    n = BnFromBytes(p, length);
    return n != nullptr;
}

bool WireReader::Ssh1BigNumber(Bn& n) {
    if (Remaining() < 2) return false;
    const size_t bits = size_t(data_[pos_]) << 8 | data_[pos_ + 1];
    const size_t bytes = (bits + 7) / 8;
    if (Remaining() - 2 < bytes) return false;
    n = BnFromBytes(data_ + pos_ + 2, bytes);
    pos_ += 2 + bytes;
    return n != nullptr;
}

bool NameListHas(std::string_view list, std::string_view name) {
    while (true) {
        const size_t comma = list.find(',');
        if (list.substr(0, comma) == name) return true;
        if (comma == std::string_view::npos) return false;
        list.remove_prefix(comma + 1);
    }
}

uint32_t SshCrc32(const uint8_t* data, size_t length) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t crc = 0;
    for (size_t i = 0; i < length; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

namespace {

void ReadVersion(std::string_view v, long& major, long& minor) {
    major = minor = 0;
    size_t i = 0;
    while (i < v.size() && v[i] >= '0' && v[i] <= '9')
        major = std::min(major * 10 + (v[i++] - '0'), 1000000000L);
    if (i < v.size() && v[i] == '.') ++i;
    while (i < v.size() && v[i] >= '0' && v[i] <= '9')
        minor = std::min(minor * 10 + (v[i++] - '0'), 1000000000L);
}

}  // namespace

int SshVersionCompare(std::string_view a, std::string_view b) {
    long am, an, bm, bn;
    ReadVersion(a, am, an);
    ReadVersion(b, bm, bn);
    if (am != bm) return am < bm ? -1 : 1;
    if (an != bn) return an < bn ? -1 : 1;
    return 0;
}

}  // namespace connections::ssh
