#include "connections/ssh/ssh_mac.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <cstring>

namespace connections::ssh {

namespace {

constexpr size_t kHashBlock = 64;

struct MdCtxFree {
    void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
};
using MdCtx = std::unique_ptr<EVP_MD_CTX, MdCtxFree>;

// One direction's key: the hash states after the inner and outer padded
// key, made once when the key is set and copied for every packet.
class HmacKey {
  public:
    HmacKey() : inner_(EVP_MD_CTX_new()), outer_(EVP_MD_CTX_new()), work_(EVP_MD_CTX_new()) {}

    void Set(const EVP_MD* md, const uint8_t* key, size_t length) {
        uint8_t pad[kHashBlock] = {};
        std::memcpy(pad, key, length);
        for (auto& b : pad) b ^= 0x36;
        ready_ = EVP_DigestInit_ex(inner_.get(), md, nullptr) &&
                 EVP_DigestUpdate(inner_.get(), pad, kHashBlock);
        for (auto& b : pad) b ^= 0x36 ^ 0x5c;
        ready_ = ready_ && EVP_DigestInit_ex(outer_.get(), md, nullptr) &&
                 EVP_DigestUpdate(outer_.get(), pad, kHashBlock);
        OPENSSL_cleanse(pad, sizeof pad);
    }

    // False when the hash could not run (no key yet, or libcrypto failed).
    bool Compute(const uint8_t* packet, size_t length, uint32_t sequence, uint8_t* out) {
        if (!ready_) return false;
        uint8_t seq[4] = {uint8_t(sequence >> 24), uint8_t(sequence >> 16), uint8_t(sequence >> 8),
                          uint8_t(sequence)};
        uint8_t inner[EVP_MAX_MD_SIZE];
        unsigned inner_length = 0;
        unsigned out_length = 0;
        return EVP_MD_CTX_copy_ex(work_.get(), inner_.get()) &&
               EVP_DigestUpdate(work_.get(), seq, 4) &&
               EVP_DigestUpdate(work_.get(), packet, length) &&
               EVP_DigestFinal_ex(work_.get(), inner, &inner_length) &&
               EVP_MD_CTX_copy_ex(work_.get(), outer_.get()) &&
               EVP_DigestUpdate(work_.get(), inner, inner_length) &&
               EVP_DigestFinal_ex(work_.get(), out, &out_length);
    }

  private:
    MdCtx inner_, outer_, work_;
    bool ready_ = false;
};

class Hmac final : public SshMac {
  public:
    Hmac(const EVP_MD* md, std::string_view name, size_t key_size, size_t mac_length)
        : md_(md), name_(name), key_size_(key_size), mac_length_(mac_length) {}
    void SetClientToServerKey(const uint8_t* key) override { out_.Set(md_, key, key_size_); }
    void SetServerToClientKey(const uint8_t* key) override { in_.Set(md_, key, key_size_); }
    void Generate(uint8_t* packet, size_t length, uint32_t sequence) override {
        // A MAC that could not be made must not pass for one: zeros never
        // verify at the peer, which then ends the connection.
        if (!out_.Compute(packet, length, sequence, packet + length))
            std::memset(packet + length, 0, mac_length_);
    }
    bool Verify(const uint8_t* packet, size_t length, uint32_t sequence) override {
        uint8_t mac[EVP_MAX_MD_SIZE];
        if (!in_.Compute(packet, length, sequence, mac)) return false;
        return CRYPTO_memcmp(mac, packet + length, mac_length_) == 0;
    }
    std::string_view Name() const override { return name_; }
    size_t MacLength() const override { return mac_length_; }
    size_t KeySize() const override { return key_size_; }

  private:
    const EVP_MD* md_;
    std::string_view name_;
    size_t key_size_;
    size_t mac_length_;
    HmacKey out_, in_;
};

class NoMac final : public SshMac {
  public:
    void SetClientToServerKey(const uint8_t*) override {}
    void SetServerToClientKey(const uint8_t*) override {}
    void Generate(uint8_t*, size_t, uint32_t) override {}
    bool Verify(const uint8_t*, size_t, uint32_t) override { return true; }
    std::string_view Name() const override { return "none"; }
    size_t MacLength() const override { return 0; }
    size_t KeySize() const override { return 0; }
};

}  // namespace

std::unique_ptr<SshMac> MakeSshMac(SshMacKind kind) {
    switch (kind) {
        case SshMacKind::kHmacSha1:
            return std::make_unique<Hmac>(EVP_sha1(), "hmac-sha1", 20, 20);
        case SshMacKind::kHmacSha1ShortKey:
            return std::make_unique<Hmac>(EVP_sha1(), "hmac-sha1", 16, 20);
        case SshMacKind::kHmacMd5:
            return std::make_unique<Hmac>(EVP_md5(), "hmac-md5", 16, 16);
        case SshMacKind::kNone:
            break;
    }
    return std::make_unique<NoMac>();
}

}  // namespace connections::ssh
