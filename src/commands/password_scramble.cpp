#include "commands/password_scramble.h"

#include <algorithm>
#include <chrono>
#include <random>

namespace commands {
namespace {

struct PasswordScrambleState {
    std::mt19937 Generator;
    bool Seeded = false;
};
PasswordScrambleState PasswordScramble;

// Position i (1-based) uses K[i mod 4]: 1 uses K1, 4 uses K0.
uint8_t KeyFor(std::size_t position, const std::array<uint8_t, 4>& key) {
    return key[position % 4];
}

std::array<uint8_t, 4> DrawKey() {
    // Seeded once from the system's entropy and the clock: reseeding from
    // the clock alone at each call would repeat a key within one tick.
    if (!PasswordScramble.Seeded) {
        std::random_device device;
        const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
        std::seed_seq seed{device(), device(), static_cast<unsigned>(now),
                           static_cast<unsigned>(static_cast<uint64_t>(now) >> 32)};
        PasswordScramble.Generator.seed(seed);
        PasswordScramble.Seeded = true;
    }
    std::uniform_int_distribution<int> byte(1, 255);
    std::array<uint8_t, 4> key{};
    for (auto& k : key) k = static_cast<uint8_t>(byte(PasswordScramble.Generator));
    return key;
}

}  // namespace

std::string ScramblePasswordWithKey(std::string_view clear, const std::array<uint8_t, 4>& key) {
    if (clear.empty()) return {};
    clear = clear.substr(0, MaxClearPasswordLength);
    std::string stored;
    stored.reserve(clear.size() + 4);
    for (std::size_t i = 0; i < clear.size(); ++i) {
        stored.push_back(static_cast<char>(static_cast<uint8_t>(clear[i]) + KeyFor(i + 1, key)));
    }
    for (uint8_t k : key) stored.push_back(static_cast<char>(k));
    return stored;
}

std::string ScramblePassword(std::string_view clear) {
    if (clear.empty()) return {};
    return ScramblePasswordWithKey(clear, DrawKey());
}

std::string UnscramblePassword(std::string_view stored) {
    stored = stored.substr(0, std::min<std::size_t>(stored.size(), 255));
    if (stored.size() < 4) return {};
    const std::size_t n = stored.size() - 4;
    std::array<uint8_t, 4> key{};
    for (std::size_t k = 0; k < 4; ++k) key[k] = static_cast<uint8_t>(stored[n + k]);
    std::string clear;
    clear.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        clear.push_back(static_cast<char>(static_cast<uint8_t>(stored[i]) - KeyFor(i + 1, key)));
    }
    return clear;
}

void WipeSecret(std::string& secret) {
    volatile char* p = secret.data();
    for (std::size_t i = 0; i < secret.size(); ++i) p[i] = 0;
    secret.clear();
}

}  // namespace commands
