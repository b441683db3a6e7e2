#include "connections/ssh/dss_key.h"

#include <openssl/evp.h>

#include <cstring>

namespace connections::ssh {

namespace {

struct CtxFree {
    void operator()(BN_CTX* c) const { BN_CTX_free(c); }
};

bool Digest(const EVP_MD* md, const uint8_t* data, size_t length, uint8_t* out) {
    unsigned n = 0;
    return EVP_Digest(data, length, out, &n, md, nullptr) == 1;
}

}  // namespace

std::string BnHex(const BIGNUM* n) {
    char* hex = BN_bn2hex(n);
    std::string text = hex != nullptr ? hex : "0";
    OPENSSL_free(hex);
    size_t start = 0;
    while (start + 1 < text.size() && text[start] == '0') ++start;
    text.erase(0, start);
    for (char& c : text) {
        if (c >= 'A' && c <= 'F') c = char(c - 'A' + 'a');
    }
    return text;
}

std::string HexPairs(const uint8_t* digest, size_t length) {
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        if (i > 0) text += ':';
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 15];
    }
    return text;
}

std::optional<DssKey> DssNewKey(const uint8_t* blob, size_t length) {
    WireReader r(blob, length);
    std::string name;
    DssKey key;
    if (!r.String(name) || name != "ssh-dss") return std::nullopt;
    if (!r.Mpint(key.p) || !r.Mpint(key.q) || !r.Mpint(key.g) || !r.Mpint(key.y))
        return std::nullopt;
    // A key whose numbers cannot make a group would let any signature pass
    // or divide by zero: p and q must be odd and above one, g and y in range.
    if (BN_is_zero(key.q.get()) || BN_is_one(key.q.get()) || !BN_is_odd(key.q.get()) ||
        !BN_is_odd(key.p.get()) || BN_cmp(key.q.get(), key.p.get()) >= 0 ||
        BN_cmp(key.g.get(), BN_value_one()) <= 0 || BN_cmp(key.g.get(), key.p.get()) >= 0 ||
        BN_cmp(key.y.get(), BN_value_one()) <= 0 || BN_cmp(key.y.get(), key.p.get()) >= 0)
        return std::nullopt;
    return key;
}

std::string DssKeyText(const DssKey& key) {
    return "0x" + BnHex(key.p.get()) + ",0x" + BnHex(key.q.get()) + ",0x" + BnHex(key.g.get()) +
           ",0x" + BnHex(key.y.get());
}

std::string DssFingerprint(const DssKey& key) {
    std::vector<uint8_t> blob;
    WireWriter w(blob);
    w.String("ssh-dss");
    w.Mpint(key.p.get());
    w.Mpint(key.q.get());
    w.Mpint(key.g.get());
    w.Mpint(key.y.get());
    uint8_t digest[16];
    if (!Digest(EVP_md5(), blob.data(), blob.size(), digest)) std::memset(digest, 0, 16);
    return std::to_string(BN_num_bits(key.p.get())) + " " + HexPairs(digest, 16);
}

bool DssVerify(const DssKey& key, const uint8_t* signature, size_t signatureLength,
               const uint8_t* data, size_t dataLength) {
    const uint8_t* rs = signature;
    if (signatureLength != 40) {
        WireReader r(signature, signatureLength);
        std::string name;
        size_t n = 0;
        if (!r.String(name) || name != "ssh-dss" || !r.String(rs, n) || n != 40) return false;
    }
    std::unique_ptr<BN_CTX, CtxFree> ctx(BN_CTX_new());
    Bn r = BnFromBytes(rs, 20), s = BnFromBytes(rs + 20, 20);
    Bn w = NewBn(), u1 = NewBn(), u2 = NewBn(), v = NewBn(), t1 = NewBn(), t2 = NewBn();
    if (!ctx || !r || !s || !w || !u1 || !u2 || !v || !t1 || !t2) return false;
    const BIGNUM* q = key.q.get();
    if (BN_is_zero(r.get()) || BN_is_zero(s.get()) || BN_cmp(r.get(), q) >= 0 ||
        BN_cmp(s.get(), q) >= 0)
        return false;
    uint8_t hash[20];
    if (!Digest(EVP_sha1(), data, dataLength, hash)) return false;
    Bn h = BnFromBytes(hash, 20);
    return h && BN_mod_inverse(w.get(), s.get(), q, ctx.get()) != nullptr &&
           BN_mod_mul(u1.get(), h.get(), w.get(), q, ctx.get()) &&
           BN_mod_mul(u2.get(), r.get(), w.get(), q, ctx.get()) &&
           BN_mod_exp(t1.get(), key.g.get(), u1.get(), key.p.get(), ctx.get()) &&
           BN_mod_exp(t2.get(), key.y.get(), u2.get(), key.p.get(), ctx.get()) &&
           BN_mod_mul(v.get(), t1.get(), t2.get(), key.p.get(), ctx.get()) &&
           BN_nnmod(v.get(), v.get(), q, ctx.get()) && BN_cmp(v.get(), r.get()) == 0;
}

}  // namespace connections::ssh
