#include "connections/ssh/host_key_cache.h"

#include <map>

namespace connections::ssh {

namespace {

class MemoryStore final : public HostKeyStore {
  public:
    std::optional<std::string> Read(std::string_view name) override {
        const auto it = values_.find(std::string(name));
        if (it == values_.end()) return std::nullopt;
        return it->second;
    }
    void Write(std::string_view name, std::string_view text) override {
        values_[std::string(name)] = std::string(text);
    }

  private:
    std::map<std::string, std::string> values_;
};

MemoryStore memoryStore;
HostKeyStore* currentStore = &memoryStore;

}  // namespace

void SetHostKeyStore(HostKeyStore* store) {
    currentStore = store != nullptr ? store : &memoryStore;
}

HostKeyStore& CurrentHostKeyStore() {
    return *currentStore;
}

std::string HostKeyValueName(std::string_view host, uint16_t port, std::string_view type) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string name = std::string(type) + "@" + std::to_string(port) + ":";
    for (size_t i = 0; i < host.size(); ++i) {
        const uint8_t b = uint8_t(host[i]);
        if (b == ' ' || b == '\\' || b == '*' || b == '?' || b == '%' || b < 32 || b >= 127 ||
            (i == 0 && b == '.')) {
            name += '%';
            name += kHex[b >> 4];
            name += kHex[b & 15];
        } else {
            name += char(b);
        }
    }
    return name;
}

HostKeyMatch HostKeyLookup(std::string_view host, uint16_t port, std::string_view type,
                           std::string_view keyText) {
    const std::optional<std::string> stored =
        CurrentHostKeyStore().Read(HostKeyValueName(host, port, type));
    if (!stored) return HostKeyMatch::kUnknown;
    return *stored == keyText ? HostKeyMatch::kSame : HostKeyMatch::kChanged;
}

void HostKeyRemember(std::string_view host, uint16_t port, std::string_view type,
                     std::string_view keyText) {
    CurrentHostKeyStore().Write(HostKeyValueName(host, port, type), keyText);
}

bool HostKeyVerify(std::string_view host, uint16_t port, std::string_view type,
                   std::string_view keyText, const HostKeyQuestion& ask) {
    const HostKeyMatch match = HostKeyLookup(host, port, type, keyText);
    if (match == HostKeyMatch::kSame) return true;
    const HostKeyAnswer answer =
        ask ? ask(match == HostKeyMatch::kChanged) : HostKeyAnswer::kReject;
    if (answer == HostKeyAnswer::kAcceptAndStore) HostKeyRemember(host, port, type, keyText);
    return answer != HostKeyAnswer::kReject;
}

}  // namespace connections::ssh
