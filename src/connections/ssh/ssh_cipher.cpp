#include "connections/ssh/ssh_cipher.h"

// The DES and Blowfish key schedules, one-block operations and DES chaining
// work without a provider, so they are there in every libcrypto the program
// links; the Blowfish chaining, in either word order, is ours.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/blowfish.h>
#include <openssl/crypto.h>
#include <openssl/des.h>

#include <cstring>
#include <utility>

namespace connections::ssh {

namespace {

constexpr size_t kBlock = 8;

// One DES key with its own chaining value: the unit all the DES objects are
// built from.
struct DesChain {
    DES_key_schedule schedule{};
    uint8_t iv[kBlock] = {};

    ~DesChain() { OPENSSL_cleanse(this, sizeof *this); }
    void SetKey(const uint8_t* key) {
        DES_cblock block;
        std::memcpy(block, key, kBlock);
        DES_set_key_unchecked(&block, &schedule);
        OPENSSL_cleanse(block, sizeof block);
        std::memset(iv, 0, sizeof iv);
    }
    // CBC over the buffer with this key, encrypting or decrypting; the
    // chaining value carries on to the next call.
    void Cbc(uint8_t* data, size_t length, bool encrypt) {
        DES_ncbc_encrypt(data, data, long(length), &schedule, reinterpret_cast<DES_cblock*>(iv),
                         encrypt ? DES_ENCRYPT : DES_DECRYPT);
    }
};

// What every cipher here shares: 8-byte blocks, lengths checked before any
// byte changes, and the "Initialized ..." lines.
class BlockCipher : public SshCipher {
  public:
    explicit BlockCipher(SshLogLine log) : log_(std::move(log)) {}
    bool Encrypt(uint8_t* data, size_t length) final {
        if (length % kBlock) return false;
        EncryptBlocks(data, length);
        return true;
    }
    bool Decrypt(uint8_t* data, size_t length) final {
        if (length % kBlock) return false;
        DecryptBlocks(data, length);
        return true;
    }
    size_t BlockSize() const final { return kBlock; }

  protected:
    virtual void EncryptBlocks(uint8_t* data, size_t length) = 0;
    virtual void DecryptBlocks(uint8_t* data, size_t length) = 0;
    void Log(std::string_view line) const {
        if (log_) log_(line);
    }

  private:
    SshLogLine log_;
};

class Ssh1TripleDes final : public BlockCipher {
  public:
    explicit Ssh1TripleDes(SshLogLine log) : BlockCipher(std::move(log)) {}
    void Ssh1SessionKey(const uint8_t* key) override {
        for (int i = 0; i < 3; ++i) {
            out_[i].SetKey(key + 8 * i);
            in_[i].SetKey(key + 8 * i);
        }
        Log("Initialized triple-DES client^.server encryption");
        Log("Initialized triple-DES server^.client encryption");
    }
    // Three whole CBC passes, each chaining on its own from packet to packet.
    void EncryptBlocks(uint8_t* data, size_t length) override {
        out_[0].Cbc(data, length, true);
        out_[1].Cbc(data, length, false);
        out_[2].Cbc(data, length, true);
    }
    void DecryptBlocks(uint8_t* data, size_t length) override {
        in_[2].Cbc(data, length, false);
        in_[1].Cbc(data, length, true);
        in_[0].Cbc(data, length, false);
    }
    std::string_view Name() const override { return "3des-cbc"; }
    size_t KeySize() const override { return 24; }

  private:
    DesChain out_[3];
    DesChain in_[3];
};

class Ssh1Des final : public BlockCipher {
  public:
    explicit Ssh1Des(SshLogLine log) : BlockCipher(std::move(log)) {}
    void Ssh1SessionKey(const uint8_t* key) override {
        out_.SetKey(key);
        in_.SetKey(key);
        Log("Initialized single-DES encryption");
    }
    void EncryptBlocks(uint8_t* data, size_t length) override { out_.Cbc(data, length, true); }
    void DecryptBlocks(uint8_t* data, size_t length) override { in_.Cbc(data, length, false); }
    std::string_view Name() const override { return "des-cbc"; }
    size_t KeySize() const override { return 8; }

  private:
    DesChain out_;
    DesChain in_;
};

// One CBC over the triple encryption, per direction.
struct TripleDesDirection {
    DES_key_schedule k[3]{};
    uint8_t iv[kBlock] = {};

    ~TripleDesDirection() { OPENSSL_cleanse(this, sizeof *this); }
    void SetKey(const uint8_t* key) {
        for (int i = 0; i < 3; ++i) {
            DES_cblock block;
            std::memcpy(block, key + 8 * i, kBlock);
            DES_set_key_unchecked(&block, &k[i]);
            OPENSSL_cleanse(block, sizeof block);
        }
        std::memset(iv, 0, sizeof iv);
    }
    // The library's CBC over the whole buffer saves a call per block on
    // the bulk path; the chaining value carries on to the next packet.
    void Encrypt(uint8_t* data, size_t length) {
        DES_ede3_cbc_encrypt(data, data, long(length), &k[0], &k[1], &k[2],
                             reinterpret_cast<DES_cblock*>(iv), DES_ENCRYPT);
    }
    void Decrypt(uint8_t* data, size_t length) {
        DES_ede3_cbc_encrypt(data, data, long(length), &k[0], &k[1], &k[2],
                             reinterpret_cast<DES_cblock*>(iv), DES_DECRYPT);
    }
};

class Ssh2TripleDes final : public BlockCipher {
  public:
    explicit Ssh2TripleDes(SshLogLine log) : BlockCipher(std::move(log)) {}
    void SetClientToServerIv(const uint8_t* iv) override { std::memcpy(out_.iv, iv, kBlock); }
    void SetClientToServerKey(const uint8_t* key) override {
        out_.SetKey(key);
        Log("Initialized triple-DES client^.server encryption");
    }
    void SetServerToClientIv(const uint8_t* iv) override { std::memcpy(in_.iv, iv, kBlock); }
    void SetServerToClientKey(const uint8_t* key) override {
        in_.SetKey(key);
        Log("Initialized triple-DES server^.client encryption");
    }
    void EncryptBlocks(uint8_t* data, size_t length) override { out_.Encrypt(data, length); }
    void DecryptBlocks(uint8_t* data, size_t length) override { in_.Decrypt(data, length); }
    std::string_view Name() const override { return "3des-cbc"; }
    size_t KeySize() const override { return 24; }

  private:
    TripleDesDirection out_;
    TripleDesDirection in_;
};

uint32_t LoadWord(const uint8_t* p, bool big_endian) {
    if (big_endian) return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

void StoreWord(uint8_t* p, uint32_t v, bool big_endian) {
    if (big_endian) {
        p[0] = uint8_t(v >> 24), p[1] = uint8_t(v >> 16), p[2] = uint8_t(v >> 8), p[3] = uint8_t(v);
    } else {
        p[3] = uint8_t(v >> 24), p[2] = uint8_t(v >> 16), p[1] = uint8_t(v >> 8), p[0] = uint8_t(v);
    }
}

// Blowfish CBC over 32-bit words read in one byte order: big-endian for
// SSH-2, little-endian for SSH-1.
struct BlowfishDirection {
    BF_KEY key{};
    BF_LONG iv[2] = {0, 0};

    ~BlowfishDirection() { OPENSSL_cleanse(this, sizeof *this); }
    void SetKey(const uint8_t* bytes, int length) {
        BF_set_key(&key, length, bytes);
        iv[0] = iv[1] = 0;
    }
    void SetIv(const uint8_t* bytes) {
        iv[0] = LoadWord(bytes, true);
        iv[1] = LoadWord(bytes + 4, true);
    }
    void Encrypt(uint8_t* data, size_t length, bool big_endian) {
        for (size_t at = 0; at < length; at += kBlock) {
            uint8_t* p = data + at;
            BF_LONG w[2] = {LoadWord(p, big_endian) ^ iv[0], LoadWord(p + 4, big_endian) ^ iv[1]};
            BF_encrypt(w, &key);
            iv[0] = w[0], iv[1] = w[1];
            StoreWord(p, w[0], big_endian);
            StoreWord(p + 4, w[1], big_endian);
        }
    }
    void Decrypt(uint8_t* data, size_t length, bool big_endian) {
        for (size_t at = 0; at < length; at += kBlock) {
            uint8_t* p = data + at;
            BF_LONG in[2] = {LoadWord(p, big_endian), LoadWord(p + 4, big_endian)};
            BF_LONG w[2] = {in[0], in[1]};
            BF_decrypt(w, &key);
            StoreWord(p, w[0] ^ iv[0], big_endian);
            StoreWord(p + 4, w[1] ^ iv[1], big_endian);
            iv[0] = in[0], iv[1] = in[1];
        }
    }
};

class Ssh1Blowfish final : public BlockCipher {
  public:
    explicit Ssh1Blowfish(SshLogLine log) : BlockCipher(std::move(log)) {}
    void Ssh1SessionKey(const uint8_t* key) override {
        out_.SetKey(key, 32);
        in_.SetKey(key, 32);
        Log("Initialized Blowfish encryption");
    }
    void EncryptBlocks(uint8_t* data, size_t length) override { out_.Encrypt(data, length, false); }
    void DecryptBlocks(uint8_t* data, size_t length) override { in_.Decrypt(data, length, false); }
    std::string_view Name() const override { return "blowfish-cbc"; }
    size_t KeySize() const override { return 32; }

  private:
    BlowfishDirection out_;
    BlowfishDirection in_;
};

class Ssh2Blowfish final : public BlockCipher {
  public:
    explicit Ssh2Blowfish(SshLogLine log) : BlockCipher(std::move(log)) {}
    void SetClientToServerIv(const uint8_t* iv) override { out_.SetIv(iv); }
    void SetClientToServerKey(const uint8_t* key) override {
        out_.SetKey(key, 16);
        Log("Initialized Blowfish client^.server encryption");
    }
    void SetServerToClientIv(const uint8_t* iv) override { in_.SetIv(iv); }
    void SetServerToClientKey(const uint8_t* key) override {
        in_.SetKey(key, 16);
        Log("Initialized Blowfish server^.client encryption");
    }
    void EncryptBlocks(uint8_t* data, size_t length) override { out_.Encrypt(data, length, true); }
    void DecryptBlocks(uint8_t* data, size_t length) override { in_.Decrypt(data, length, true); }
    std::string_view Name() const override { return "blowfish-cbc"; }
    size_t KeySize() const override { return 16; }

  private:
    BlowfishDirection out_;
    BlowfishDirection in_;
};

}  // namespace

std::unique_ptr<SshCipher> MakeSsh1Cipher(int number, SshLogLine log) {
    switch (number) {
        case 2:
            return std::make_unique<Ssh1Des>(std::move(log));
        case 3:
            return std::make_unique<Ssh1TripleDes>(std::move(log));
        case 6:
            return std::make_unique<Ssh1Blowfish>(std::move(log));
        default:
            return nullptr;
    }
}

std::unique_ptr<SshCipher> MakeSsh2Cipher(std::string_view name, SshLogLine log) {
    if (name == "3des-cbc") return std::make_unique<Ssh2TripleDes>(std::move(log));
    if (name == "blowfish-cbc") return std::make_unique<Ssh2Blowfish>(std::move(log));
    return nullptr;
}

}  // namespace connections::ssh
