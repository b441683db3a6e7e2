#pragma once
// Building and reading the fields of SSH packets: 32-bit big-endian values,
// length-prefixed strings, SSH-2 mpints and SSH-1 big numbers.
#include <openssl/bn.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace connections::ssh {

struct BnFree {
    void operator()(BIGNUM* n) const { BN_clear_free(n); }
};
using Bn = std::unique_ptr<BIGNUM, BnFree>;
Bn NewBn();
Bn BnFromBytes(const uint8_t* data, size_t length);

// Appends fields to a byte buffer.
class WireWriter {
  public:
    explicit WireWriter(std::vector<uint8_t>& out) : out_(out) {}
    void Byte(uint8_t b) { out_.push_back(b); }
    void Bool(bool b) { out_.push_back(b ? 1 : 0); }
    void Uint32(uint32_t v);
    void Raw(const void* data, size_t length);
    void String(std::string_view text) { String(text.data(), text.size()); }
    void String(const void* data, size_t length);
    // SSH-2 form: length, big-endian bytes, a leading zero when the top bit
    // of the first byte would be set, no other leading zeros.
    void Mpint(const BIGNUM* n);
    // SSH-1 form: 16-bit bit count, then the bytes.
    void Ssh1BigNumber(const BIGNUM* n);

  private:
    std::vector<uint8_t>& out_;
};

// The SSH-2 mpint form of n as a standalone byte string.
std::vector<uint8_t> MpintBytes(const BIGNUM* n);

// Reads fields from a payload; each getter reports false (and reads nothing
// more) when the field does not fit in what remains.
class WireReader {
  public:
    WireReader(const uint8_t* data, size_t length) : data_(data), length_(length) {}
    bool Byte(uint8_t& b);
    bool Bool(bool& b);
    bool Uint32(uint32_t& v);
    bool Raw(size_t length, const uint8_t*& data);
    bool String(const uint8_t*& data, size_t& length);
    bool String(std::string& text);
    // False also for a negative number (top bit of the first byte set).
    bool Mpint(Bn& n);
    bool Ssh1BigNumber(Bn& n);
    size_t Remaining() const { return length_ - pos_; }
    const uint8_t* Here() const { return data_ + pos_; }

  private:
    const uint8_t* data_;
    size_t length_;
    size_t pos_ = 0;
};

// Whether name is one whole element of a comma-separated list.
bool NameListHas(std::string_view list, std::string_view name);

// CRC-32 of SSH-1 packets: reflected, polynomial 0xEDB88320, started at 0
// and with no final inversion.
uint32_t SshCrc32(const uint8_t* data, size_t length);

// Compares two version texts "major.minor" as numbers: -1, 0 or 1.
int SshVersionCompare(std::string_view a, std::string_view b);

}  // namespace connections::ssh
