// The DSS host key (blob, signature check with its range checks, text and
// fingerprint) and the host-key cache.
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <map>

#include "connections/ssh/dss_key.h"
#include "connections/ssh/host_key_cache.h"

namespace connections::ssh {
namespace {

Bn Num(unsigned long v) {
    Bn n = NewBn();
    BN_set_word(n.get(), v);
    return n;
}

std::vector<uint8_t> Blob(unsigned long p, unsigned long q, unsigned long g, unsigned long y) {
    std::vector<uint8_t> b;
    WireWriter w(b);
    w.String("ssh-dss");
    for (unsigned long v : {p, q, g, y}) w.Mpint(Num(v).get());
    return b;
}

// A toy group: p = 23, q = 11, g = 4 (of order 11), secret x = 3, y = 18.
constexpr unsigned long kP = 23, kQ = 11, kG = 4, kY = 18, kX = 3;

std::vector<uint8_t> Field(unsigned long v) {
    std::vector<uint8_t> f(20, 0);
    BN_bn2binpad(Num(v).get(), f.data(), 20);
    return f;
}

// r and s of a signature over data with nonce k, as 40 bytes.
std::vector<uint8_t> Sign(const std::string& data, unsigned long k) {
    uint8_t hash[20];
    unsigned n = 0;
    EVP_Digest(data.data(), data.size(), hash, &n, EVP_sha1(), nullptr);
    BN_CTX* ctx = BN_CTX_new();
    Bn h = BnFromBytes(hash, 20), r = NewBn(), s = NewBn(), kinv = NewBn(), t = NewBn();
    BN_mod_exp(r.get(), Num(kG).get(), Num(k).get(), Num(kP).get(), ctx);
    BN_nnmod(r.get(), r.get(), Num(kQ).get(), ctx);
    BN_mod_inverse(kinv.get(), Num(k).get(), Num(kQ).get(), ctx);
    BN_mod_mul(t.get(), Num(kX).get(), r.get(), Num(kQ).get(), ctx);
    BN_mod_add(t.get(), t.get(), h.get(), Num(kQ).get(), ctx);
    BN_mod_mul(s.get(), t.get(), kinv.get(), Num(kQ).get(), ctx);
    BN_CTX_free(ctx);
    std::vector<uint8_t> sig = Field(BN_get_word(r.get()));
    const std::vector<uint8_t> sf = Field(BN_get_word(s.get()));
    sig.insert(sig.end(), sf.begin(), sf.end());
    return sig;
}

std::vector<uint8_t> Wrapped(const std::vector<uint8_t>& bare) {
    std::vector<uint8_t> out;
    WireWriter w(out);
    w.String("ssh-dss");
    w.String(bare.data(), bare.size());
    return out;
}

TEST(DssKey, SignaturesAndTheirRangeChecks) {
    const std::vector<uint8_t> blob = Blob(kP, kQ, kG, kY);
    const auto key = DssNewKey(blob.data(), blob.size());
    ASSERT_TRUE(key);
    EXPECT_EQ(DssKeyText(*key), "0x17,0xb,0x4,0x12");
    const std::string fp = DssFingerprint(*key);
    EXPECT_EQ(fp.substr(0, 2), "5 ");
    EXPECT_EQ(fp.size(), 2 + 47u);

    const std::string data = "exchange hash";
    const auto verify = [&](const std::vector<uint8_t>& sig, const std::string& d) {
        return DssVerify(*key, sig.data(), sig.size(), reinterpret_cast<const uint8_t*>(d.data()),
                         d.size());
    };
    const std::vector<uint8_t> good = Sign(data, 7);
    EXPECT_TRUE(verify(good, data));
    EXPECT_TRUE(verify(Wrapped(good), data));
    EXPECT_FALSE(verify(good, data + "!"));
    EXPECT_FALSE(verify(std::vector<uint8_t>(good.begin(), good.begin() + 30), data));
    // r or s of 0 or of q and above never verify, whatever the key.
    struct Bad {
        unsigned long r, s;
    } bad[] = {{0, 1}, {1, 0}, {kQ, 1}, {1, kQ}, {kQ + 1, kQ + 1}};
    for (const Bad& b : bad) {
        std::vector<uint8_t> sig = Field(b.r);
        const std::vector<uint8_t> s = Field(b.s);
        sig.insert(sig.end(), s.begin(), s.end());
        EXPECT_FALSE(verify(sig, data)) << b.r << "," << b.s;
    }
}

TEST(DssKey, BlobsThatAreNoKey) {
    struct Case {
        std::vector<uint8_t> blob;
        const char* why;
    } cases[] = {
        {Blob(kP, 0, kG, kY), "q is zero"},
        {Blob(kP, kQ, 1, kY), "g is one"},
        {Blob(kP, kQ, kG, kP), "y is p"},
        {Blob(kP, 29, kG, kY), "q above p"},
        {std::vector<uint8_t>{0, 0, 0, 7, 's', 's', 'h', '-', 'r', 's', 'a'}, "another type"},
    };
    for (const Case& c : cases) EXPECT_FALSE(DssNewKey(c.blob.data(), c.blob.size())) << c.why;
    std::vector<uint8_t> cut = Blob(kP, kQ, kG, kY);
    cut.resize(cut.size() - 2);
    EXPECT_FALSE(DssNewKey(cut.data(), cut.size()));
}

TEST(HostKeyCache, ValueNames) {
    EXPECT_EQ(HostKeyValueName("my host", 22, "dss"), "dss@22:my%20host");
    EXPECT_EQ(HostKeyValueName(".a.b", 2222, "rsa"), "rsa@2222:%2Ea.b");
    EXPECT_EQ(HostKeyValueName("a\\*?%\x7f\x01z", 1, "dss"), "dss@1:a%5C%2A%3F%25%7F%01z");
}

TEST(HostKeyCache, LookupAndQuestion) {
    struct Memory : HostKeyStore {
        std::map<std::string, std::string> v;
        std::optional<std::string> Read(std::string_view n) override {
            auto it = v.find(std::string(n));
            if (it == v.end()) return std::nullopt;
            return it->second;
        }
        void Write(std::string_view n, std::string_view t) override { v[std::string(n)] = t; }
    } store;
    SetHostKeyStore(&store);
    store.v["dss@22:h"] = "0x1,0x2";
    EXPECT_EQ(HostKeyLookup("h", 22, "dss", "0x1,0x2"), HostKeyMatch::kSame);
    EXPECT_EQ(HostKeyLookup("h", 22, "dss", "0x1,0x2,0x3"), HostKeyMatch::kChanged);
    EXPECT_EQ(HostKeyLookup("h", 22, "dss", "0x1"), HostKeyMatch::kChanged);
    EXPECT_EQ(HostKeyLookup("h", 23, "dss", "0x1,0x2"), HostKeyMatch::kUnknown);
    EXPECT_EQ(HostKeyLookup("h", 22, "rsa", "0x1,0x2"), HostKeyMatch::kUnknown);

    std::vector<bool> asked;
    auto answer = [&](HostKeyAnswer a) {
        return [&asked, a](bool changed) {
            asked.push_back(changed);
            return a;
        };
    };
    EXPECT_TRUE(HostKeyVerify("h", 22, "dss", "0x1,0x2", answer(HostKeyAnswer::kReject)));
    EXPECT_TRUE(asked.empty());  // the stored key asks nothing
    EXPECT_TRUE(HostKeyVerify("h", 22, "dss", "0x9", answer(HostKeyAnswer::kAcceptOnce)));
    EXPECT_EQ(store.v["dss@22:h"], "0x1,0x2");
    EXPECT_FALSE(HostKeyVerify("h", 22, "dss", "0x9", answer(HostKeyAnswer::kReject)));
    EXPECT_TRUE(HostKeyVerify("n", 22, "dss", "0x5", answer(HostKeyAnswer::kAcceptAndStore)));
    EXPECT_EQ(store.v["dss@22:n"], "0x5");
    EXPECT_EQ(asked, (std::vector<bool>{true, true, false}));
    SetHostKeyStore(nullptr);
}

}  // namespace
}  // namespace connections::ssh
