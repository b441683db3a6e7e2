// The SSH-2 key exchange: algorithm negotiation, Diffie-Hellman over the
// 1024-bit Oakley group 2 with SHA-1, the "ssh-dss" host key, and the keys
// put into service.
#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <cstring>

#include "connections/ssh/dss_key.h"
#include "connections/ssh/ssh_engine.h"

namespace connections::ssh {

namespace {

// The prime of the Second Oakley Group (RFC 2409, section 6.2); g is 2.
constexpr char kGroup1Prime[] =
    "FFFFFFFFFFFFFFFFC90FDAA22168C234C4C6628B80DC1CD1"
    "29024E088A67CC74020BBEA63B139B22514A08798E3404DD"
    "EF9519B3CD3A431B302B0A6DF25F14374FE1356D6D51C245"
    "E485B576625E7EC6F44C42E9A637ED6B0BFF5CB6F406B7ED"
    "EE386BFB5A899FA5AE9F24117C4B1FE649286651ECE65381"
    "FFFFFFFFFFFFFFFF";

constexpr char kKexName[] = "diffie-hellman-group1-sha1";
constexpr char kHostKeyName[] = "ssh-dss";

struct CtxFree {
    void operator()(BN_CTX* c) const { BN_CTX_free(c); }
};

Bn Prime() {
    BIGNUM* p = nullptr;
    BN_hex2bn(&p, kGroup1Prime);
    return Bn(p);
}

std::string ClientCipherList(uint8_t cipher) {
    const std::string preferred = cipher == 1 ? "blowfish-cbc" : "3des-cbc";
    return preferred + ",blowfish-cbc,3des-cbc";
}

constexpr char kMacList[] = "hmac-sha1,hmac-md5,none";

std::string ClientCompressionList(bool compression) {
    return std::string(compression ? "zlib" : "none") + ",zlib,none";
}

// The first entry of the client's list that the server's list holds.
std::string Choose(std::string_view client, std::string_view server) {
    while (!client.empty()) {
        const size_t comma = client.find(',');
        const std::string_view name = client.substr(0, comma);
        if (NameListHas(server, name)) return std::string(name);
        if (comma == std::string_view::npos) break;
        client.remove_prefix(comma + 1);
    }
    return {};
}

void Sha1(const std::vector<uint8_t>& data, uint8_t* out) {
    unsigned n = 0;
    EVP_Digest(data.data(), data.size(), out, &n, EVP_sha1(), nullptr);
}

}  // namespace

void SshEngine::SendKexInit() {
    auto& p = Start2(20);
    WireWriter w(p);
    uint8_t cookie[16];
    if (!Random(cookie, sizeof cookie)) return;
    w.Raw(cookie, sizeof cookie);
    if (config_.cipher == 2) services_.Log("Single DES not supported in SSH2; using 3DES");
    const std::string ciphers = ClientCipherList(config_.cipher);
    const std::string compression = ClientCompressionList(config_.compression);
    w.String(kKexName);
    w.String(kHostKeyName);
    w.String(ciphers);
    w.String(ciphers);
    w.String(kMacList);
    w.String(kMacList);
    w.String(compression);
    w.String(compression);
    w.String("");
    w.String("");
    w.Bool(false);
    w.Uint32(0);
    clientKexInit_.assign(p.begin() + 5, p.end());
    Send2();
}

void SshEngine::ServerKexInit(const uint8_t* payload, size_t length) {
    serverKexInit_.assign(payload, payload + length);
    WireReader r(payload + 1, length - 1);
    const uint8_t* cookie = nullptr;
    std::string lists[10];
    if (!r.Raw(16, cookie)) {
        Fatal("Bad key exchange packet from server");
        return;
    }
    for (std::string& list : lists) {
        if (!r.String(list)) {
            Fatal("Bad key exchange packet from server");
            return;
        }
    }
    const std::string ciphers = ClientCipherList(config_.cipher);
    const std::string compression = ClientCompressionList(config_.compression);
    const std::string client[8] = {kKexName, kHostKeyName, ciphers,     ciphers,
                                   kMacList, kMacList,     compression, compression};
    static const char* const kKinds[8] = {"key exchange",
                                          "host key",
                                          "client-to-server cipher",
                                          "server-to-client cipher",
                                          "client-to-server MAC",
                                          "server-to-client MAC",
                                          "client-to-server compression",
                                          "server-to-client compression"};
    for (int i = 0; i < 8; ++i) {
        names_[i] = Choose(client[i], lists[i]);
        if (!names_[i].empty()) continue;
        services_.Log(std::string("Server offers no ") + kKinds[i] +
                      " this client knows; it offers: " + lists[i]);
        if (i < 2) {
            Fatal("internal fault: chaos in SSH 2 transport layer");
        } else {
            Fatal(std::string("No common ") + kKinds[i] + " with the server (it offers " +
                  lists[i] + ")");
        }
        return;
    }

    // The secret exponent: 1 < x < q, with q = (p - 1) / 2.
    std::unique_ptr<BN_CTX, CtxFree> ctx(BN_CTX_new());
    Bn p = Prime(), q = NewBn(), g = NewBn();
    x_ = NewBn();
    e_ = NewBn();
    if (!ctx || !p || !q || !g || !x_ || !e_ || !BN_rshift1(q.get(), p.get()) ||
        !BN_set_word(g.get(), 2)) {
        Fatal("Out of memory");
        return;
    }
    const int bits = BN_num_bits(q.get());
    std::vector<uint8_t> bytes(size_t(bits + 7) / 8);
    do {
        if (!Random(bytes.data(), bytes.size())) return;
        if (bits % 8 != 0) bytes[0] &= uint8_t((1u << (bits % 8)) - 1);
        BN_bin2bn(bytes.data(), int(bytes.size()), x_.get());
    } while (BN_cmp(x_.get(), BN_value_one()) <= 0 || BN_cmp(x_.get(), q.get()) >= 0);
    OPENSSL_cleanse(bytes.data(), bytes.size());
    BN_mod_exp(e_.get(), g.get(), x_.get(), p.get(), ctx.get());
    auto& out = Start2(30);
    WireWriter(out).Mpint(e_.get());
    Send2();
    kex_ = Kex::kWaitReply;
}

void SshEngine::KexReply(WireReader& r) {
    const uint8_t* hostKey = nullptr;
    const uint8_t* signature = nullptr;
    size_t hostKeyLength = 0, signatureLength = 0;
    Bn f;
    if (!r.String(hostKey, hostKeyLength) || !r.Mpint(f) || !r.String(signature, signatureLength)) {
        Fatal("Bad key exchange reply from server");
        return;
    }
    std::unique_ptr<BN_CTX, CtxFree> ctx(BN_CTX_new());
    Bn p = Prime(), pMinus1 = NewBn();
    k_ = NewBn();
    if (!ctx || !p || !pMinus1 || !k_ || !BN_sub(pMinus1.get(), p.get(), BN_value_one())) {
        Fatal("Out of memory");
        return;
    }
    // f outside 2..p-2 would force the shared secret to a known value.
    if (BN_cmp(f.get(), BN_value_one()) <= 0 || BN_cmp(f.get(), pMinus1.get()) >= 0) {
        Fatal("Server's Diffie-Hellman value is out of range");
        return;
    }
    BN_mod_exp(k_.get(), f.get(), x_.get(), p.get(), ctx.get());
    x_.reset();

    std::vector<uint8_t> hashed;
    WireWriter w(hashed);
    w.String(std::string_view(kClientVersion2));
    w.String(serverLine_);
    w.String(clientKexInit_.data(), clientKexInit_.size());
    w.String(serverKexInit_.data(), serverKexInit_.size());
    w.String(hostKey, hostKeyLength);
    w.Mpint(e_.get());
    w.Mpint(f.get());
    w.Mpint(k_.get());
    h_.resize(20);
    Sha1(hashed, h_.data());
    OPENSSL_cleanse(hashed.data(), hashed.size());

    const std::optional<DssKey> key = DssNewKey(hostKey, hostKeyLength);
    if (!key || !DssVerify(*key, signature, signatureLength, h_.data(), h_.size())) {
        Fatal("Server failed host key check");
        return;
    }
    if (sessionId_.empty()) sessionId_ = h_;
    keyText_ = DssKeyText(*key);
    fingerprint_ = DssFingerprint(*key);
    kex_ = Kex::kWaitNewKeys;
}

std::vector<uint8_t> SshEngine::DeriveKey(char letter, size_t length) {
    std::vector<uint8_t> input = MpintBytes(k_.get());
    std::vector<uint8_t> prefix;
    WireWriter(prefix).String(input.data(), input.size());
    prefix.insert(prefix.end(), h_.begin(), h_.end());
    std::vector<uint8_t> first = prefix;
    first.push_back(uint8_t(letter));
    first.insert(first.end(), sessionId_.begin(), sessionId_.end());
    std::vector<uint8_t> out(40);
    Sha1(first, out.data());
    std::vector<uint8_t> second = prefix;
    second.insert(second.end(), out.begin(), out.begin() + 20);
    Sha1(second, out.data() + 20);
    OPENSSL_cleanse(first.data(), first.size());
    OPENSSL_cleanse(second.data(), second.size());
    OPENSSL_cleanse(prefix.data(), prefix.size());
    OPENSSL_cleanse(input.data(), input.size());
    out.resize(std::min<size_t>(length, 40));
    return out;
}

void SshEngine::NewKeys() {
    if (!services_.VerifyHostKey("dss", keyText_, fingerprint_)) {
        Fatal("SSH connection cancelled");
        return;
    }
    services_.Log("Host key fingerprint is:");
    services_.Log(fingerprint_);
    Start2(21);
    Send2();
    if (state_ == kSshClosed) return;

    const auto log = [this](std::string_view line) { services_.Log(line); };
    auto macKind = [this](const std::string& name) {
        if (name == "hmac-md5") return SshMacKind::kHmacMd5;
        return config_.sha1Key16 ? SshMacKind::kHmacSha1ShortKey : SshMacKind::kHmacSha1;
    };
    csCipher_ = MakeSsh2Cipher(names_[2], log);
    scCipher_ = MakeSsh2Cipher(names_[3], log);
    csMac_ = names_[4] == "none" ? nullptr : MakeSshMac(macKind(names_[4]));
    scMac_ = names_[5] == "none" ? nullptr : MakeSshMac(macKind(names_[5]));
    csComp_ = names_[6] == "none" ? nullptr : MakeSshCompression(names_[6], log);
    scComp_ = names_[7] == "none" ? nullptr : MakeSshCompression(names_[7], log);
    services_.Log("Client-to-server MAC is " + names_[4]);
    services_.Log("Server-to-client MAC is " + names_[5]);
    services_.Log("Client-to-server compression is " + names_[6]);
    services_.Log("Server-to-client compression is " + names_[7]);
    if (!csCipher_ || !scCipher_ || (csComp_ && !csComp_->StartCompressor()) ||
        (scComp_ && !scComp_->StartDecompressor())) {
        Fatal("Out of memory");
        return;
    }
    auto c = DeriveKey('C', csCipher_->KeySize());
    auto d = DeriveKey('D', scCipher_->KeySize());
    auto a = DeriveKey('A', csCipher_->BlockSize());
    auto b = DeriveKey('B', scCipher_->BlockSize());
    csCipher_->SetClientToServerKey(c.data());
    scCipher_->SetServerToClientKey(d.data());
    csCipher_->SetClientToServerIv(a.data());
    scCipher_->SetServerToClientIv(b.data());
    if (csMac_) {
        auto e = DeriveKey('E', csMac_->KeySize());
        csMac_->SetClientToServerKey(e.data());
        OPENSSL_cleanse(e.data(), e.size());
    }
    if (scMac_) {
        auto f = DeriveKey('F', scMac_->KeySize());
        scMac_->SetServerToClientKey(f.data());
        OPENSSL_cleanse(f.data(), f.size());
    }
    for (auto* v : {&c, &d}) OPENSSL_cleanse(v->data(), v->size());
    k_.reset();
    e_.reset();
    kex_ = Kex::kDone;
    if (conn_ == Conn::kNotStarted) {
        auto& p = Start2(5);
        WireWriter(p).String("ssh-userauth");
        Send2();
        conn_ = Conn::kWaitServiceAccept;
    } else {
        FlushHeld();
    }
}

}  // namespace connections::ssh
