// The SSH-1 protocol routine: public keys, the session key under the
// server's two RSA keys, password login, the pseudo-terminal, optional
// compression, the shell and its data.
#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <algorithm>
#include <cstring>

#include "connections/ssh/dss_key.h"
#include "connections/ssh/ssh_engine.h"

namespace connections::ssh {

namespace {

struct RsaKey {
    Bn exponent, modulus;
    size_t bytes = 0;
};

struct CtxFree {
    void operator()(BN_CTX* c) const { BN_CTX_free(c); }
};

bool ReadRsaKey(WireReader& r, RsaKey& key) {
    uint32_t bits = 0;
    if (!r.Uint32(bits) || !r.Ssh1BigNumber(key.exponent) || !r.Ssh1BigNumber(key.modulus))
        return false;
    key.bytes = size_t(BN_num_bytes(key.modulus.get()));
    return true;
}

std::vector<uint8_t> Bytes(const BIGNUM* n) {
    std::vector<uint8_t> out(size_t(BN_num_bytes(n)));
    BN_bn2bin(n, out.data());
    return out;
}

std::string RsaKeyText(const RsaKey& key) {
    return "0x" + BnHex(key.exponent.get()) + ",0x" + BnHex(key.modulus.get());
}

std::string RsaFingerprint(const RsaKey& key) {
    std::vector<uint8_t> data = Bytes(key.modulus.get());
    const std::vector<uint8_t> e = Bytes(key.exponent.get());
    data.insert(data.end(), e.begin(), e.end());
    uint8_t digest[16] = {};
    unsigned n = 0;
    EVP_Digest(data.data(), data.size(), digest, &n, EVP_md5(), nullptr);
    return std::to_string(BN_num_bits(key.modulus.get())) + " " + HexPairs(digest, 16);
}

constexpr char kRefusedPty[] = "Server refused to allocate pty\r\n";
constexpr char kRefusedCompression[] = "Server refused to compress\r\n";
constexpr char kCipherFallback[] = "Selected cipher not supported, falling back to 3DES\r\n";

}  // namespace

void SshEngine::Ssh1Packet(uint8_t type, WireReader& r) {
    auto output = [this](const char* text) {
        services_.Output(reinterpret_cast<const uint8_t*>(text), std::strlen(text));
    };
    switch (ssh1_) {
        case Ssh1::kWaitPublicKey:
            if (type != 2) {
                Fatal("Public key packet not received");
                return;
            }
            Ssh1PublicKey(r);
            return;
        case Ssh1::kWaitCipherSuccess: {
            if (type != 14) {
                Fatal("Encryption not successfully enabled");
                return;
            }
            services_.Log("Successfully started encryption");
            std::string user = services_.UserName();
            // A cancelled login dialog ends the connection here, as in SSH-2,
            // rather than sending an empty name and asking again.
            if (user.empty()) {
                state_ = kSshClosed;
                fatal_ = "Login cancelled";
                return;
            }
            if (user.size() > 99) user.resize(99);
            std::vector<uint8_t> body;
            WireWriter(body).String(user);
            Send1(4, body);
            services_.Log("Sent username \"" + user + "\"");
            ssh1_ = Ssh1::kWaitUserResult;
            return;
        }
        case Ssh1::kWaitUserResult:
            if (type == 14) {
                Ssh1StartSession();
            } else if (type == 15) {
                Ssh1Password();
            } else {
                Fatal("Strange packet received, type " + std::to_string(type));
            }
            return;
        case Ssh1::kWaitPasswordResult:
            if (type == 15) {
                services_.Log("Authentication refused");
                Ssh1Password();
            } else if (type == 1) {
                services_.Log("Received disconnect request");
                state_ = kSshClosed;
                fatal_ = "Server sent disconnect";
            } else if (type == 14) {
                Ssh1StartSession();
            } else {
                Fatal("Strange packet received, type " + std::to_string(type));
            }
            return;
        case Ssh1::kWaitPty:
            if (type == 14) {
                services_.Log("Allocated pty");
            } else if (type == 15) {
                output(kRefusedPty);
            } else {
                Fatal("Protocol confusion");
                return;
            }
            if (config_.compression) {
                std::vector<uint8_t> body;
                WireWriter(body).Uint32(6);
                Send1(37, body);
                ssh1_ = Ssh1::kWaitCompression;
                return;
            }
            Ssh1StartShell();
            return;
        case Ssh1::kWaitCompression:
            if (type == 15) {
                output(kRefusedCompression);
            } else if (type == 14) {
                services_.Log("Started compression");
                const auto log = [this](std::string_view line) { services_.Log(line); };
                csComp_ = MakeSshCompression("zlib", log);
                scComp_ = MakeSshCompression("zlib", log);
                if (!csComp_ || !scComp_ || !csComp_->StartCompressor() ||
                    !scComp_->StartDecompressor()) {
                    Fatal("Out of memory");
                    return;
                }
                ssh1Compress_ = true;
            } else {
                Fatal("Protocol confusion");
                return;
            }
            Ssh1StartShell();
            return;
        case Ssh1::kSession:
            switch (type) {
                case 17:
                case 18: {
                    const uint8_t* data = nullptr;
                    size_t length = 0;
                    if (r.String(data, length)) services_.Output(data, length);
                    return;
                }
                case 1:
                    services_.Log("Received disconnect request");
                    state_ = kSshClosed;
                    fatal_ = "Server sent disconnect";
                    return;
                case 31: {
                    uint32_t channel = 0;
                    r.Uint32(channel);
                    std::vector<uint8_t> body;
                    WireWriter(body).Uint32(channel);
                    Send1(22, body);
                    return;
                }
                case 23:
                case 24:
                case 25:
                    services_.Log("Not implemented: find234");
                    return;
                case 14:
                case 15:
                    return;
                case 20:
                    Send1(33, {});
                    services_.ExitStatus();
                    if (state_ != kSshClosed) {
                        state_ = kSshClosed;
                        fatal_ = "Session ended";
                    }
                    return;
                default:
                    Fatal("Strange packet received: type " + std::to_string(type));
                    return;
            }
    }
}

void SshEngine::Ssh1PublicKey(WireReader& r) {
    services_.Log("Received public keys");
    const uint8_t* cookie = nullptr;
    RsaKey serverKey, hostKey;
    uint32_t flags = 0, ciphers = 0, auths = 0;
    if (!r.Raw(8, cookie) || !ReadRsaKey(r, serverKey) || !ReadRsaKey(r, hostKey) ||
        !r.Uint32(flags) || !r.Uint32(ciphers) || !r.Uint32(auths)) {
        Fatal("Bad public key packet");
        return;
    }
    const std::string fingerprint = RsaFingerprint(hostKey);
    services_.Log("Host key fingerprint is:");
    services_.Log(("      " + fingerprint).substr(0, 79));

    RsaKey* first = serverKey.bytes < hostKey.bytes ? &serverKey : &hostKey;
    RsaKey* second = first == &serverKey ? &hostKey : &serverKey;
    // Each encryption needs room for the data and at least 8 bytes of
    // padding; smaller keys cannot carry the session key.
    if (first->bytes < 32 + 11 || second->bytes < first->bytes + 11 ||
        BN_is_zero(first->exponent.get()) || BN_is_zero(second->exponent.get())) {
        Fatal("Server's RSA keys are too small");
        return;
    }

    std::vector<uint8_t> idInput = Bytes(hostKey.modulus.get());
    const std::vector<uint8_t> serverModulus = Bytes(serverKey.modulus.get());
    idInput.insert(idInput.end(), serverModulus.begin(), serverModulus.end());
    idInput.insert(idInput.end(), cookie, cookie + 8);
    uint8_t sessionId[16] = {};
    unsigned n = 0;
    EVP_Digest(idInput.data(), idInput.size(), sessionId, &n, EVP_md5(), nullptr);

    uint8_t sessionKey[32];
    if (!Random(sessionKey, sizeof sessionKey)) return;
    if (!services_.VerifyHostKey("rsa", RsaKeyText(hostKey), fingerprint.substr(0, 99))) {
        OPENSSL_cleanse(sessionKey, sizeof sessionKey);
        Fatal("SSH connection cancelled");
        return;
    }

    // RSA with PKCS#1 block type 2 padding, twice: the shorter key first.
    std::unique_ptr<BN_CTX, CtxFree> ctx(BN_CTX_new());
    std::vector<uint8_t> data(sessionKey, sessionKey + 32);
    for (int i = 0; i < 16; ++i) data[size_t(i)] ^= sessionId[i];
    for (RsaKey* key : {first, second}) {
        const size_t b = key->bytes;
        std::vector<uint8_t> block(b, 0);
        block[1] = 2;
        for (size_t i = 2; i < b - data.size() - 1; ++i) {
            do {
                if (!Random(&block[i], 1)) return;
            } while (block[i] == 0);
        }
        std::copy(data.begin(), data.end(), block.end() - ptrdiff_t(data.size()));
        Bn m = BnFromBytes(block.data(), b), c = NewBn();
        if (!ctx || !m || !c ||
            !BN_mod_exp(c.get(), m.get(), key->exponent.get(), key->modulus.get(), ctx.get())) {
            Fatal("Out of memory");
            return;
        }
        data.assign(b, 0);
        BN_bn2binpad(c.get(), data.data(), int(b));
        OPENSSL_cleanse(block.data(), block.size());
    }
    services_.Log("Encrypted session key");

    int cipher = config_.cipher == 1 ? 6 : config_.cipher == 2 ? 2 : 3;
    if ((ciphers & (1u << cipher)) == 0) {
        const std::string text = kCipherFallback;
        services_.Output(reinterpret_cast<const uint8_t*>(text.data()), text.size());
        cipher = 3;
    }
    services_.Log(cipher == 3   ? "Using 3DES encryption"
                  : cipher == 2 ? "Using single-DES encryption"
                                : "Using Blowfish encryption");
    std::vector<uint8_t> body;
    WireWriter w(body);
    w.Byte(uint8_t(cipher));
    w.Raw(cookie, 8);
    const size_t bits = data.size() * 8;
    w.Byte(uint8_t(bits >> 8));
    w.Byte(uint8_t(bits));
    w.Raw(data.data(), data.size());
    w.Uint32(0);
    Send1(3, body);
    services_.Log("Trying to enable encryption...");
    csCipher_ = MakeSsh1Cipher(cipher, [this](std::string_view line) { services_.Log(line); });
    if (!csCipher_) {
        Fatal("Out of memory");
        return;
    }
    csCipher_->Ssh1SessionKey(sessionKey);
    OPENSSL_cleanse(sessionKey, sizeof sessionKey);
    ssh1_ = Ssh1::kWaitCipherSuccess;
}

void SshEngine::Ssh1Password() {
    std::string password;
    if (!services_.Password(password)) {
        services_.Log("No more passwords to try");
        state_ = kSshClosed;
        fatal_ = "Login cancelled";
        return;
    }
    std::vector<uint8_t> body;
    WireWriter(body).String(password);
    Send1(9, body);
    OPENSSL_cleanse(password.data(), password.size());
    OPENSSL_cleanse(body.data(), body.size());
    services_.Log("Sent password");
    ssh1_ = Ssh1::kWaitPasswordResult;
}

void SshEngine::Ssh1StartSession() {
    services_.Log("Authentication successful");
    std::vector<uint8_t> body;
    WireWriter w(body);
    w.String(services_.TermName());
    w.Uint32(uint32_t(services_.Rows()));
    w.Uint32(uint32_t(services_.Columns()));
    w.Uint32(0);
    w.Uint32(0);
    const uint8_t modes[] = {
        3, services_.EraseChar(), 51, 1, 38, 1, 50, 1, 30, 1, 33, 0, 53, 1, 70, 1, 72, 1, 36, 1, 0};
    w.Raw(modes, sizeof modes);
    Send1(10, body);
    if (state_ != kSshClosed) state_ = kSshPtyRequested;
    ssh1_ = Ssh1::kWaitPty;
}

void SshEngine::Ssh1StartShell() {
    Send1(12, {});
    services_.Log("Started session");
    if (state_ != kSshClosed) state_ = kSshSessionStarted;
    services_.Log("Not implemented: newtree234");
    ssh1_ = Ssh1::kSession;
}

}  // namespace connections::ssh
