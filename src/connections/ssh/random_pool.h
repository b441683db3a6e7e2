#pragma once
// The random pool every secure connection draws from: padding, session keys,
// cookies and secret exponents. It is seeded once from the operating system's
// generator and then hands out a chain of SHA-1 digests.
#include <array>
#include <cstddef>
#include <cstdint>

#include "connections/ssh/os_random.h"

namespace connections::ssh {

inline constexpr size_t kSeedRecordSize = 68;

class RandomPool {
  public:
    // Without a source the pool never seeds, so it never hands out bytes.
    explicit RandomPool(OsRandomFill source = nullptr) : source_(source) {}
    ~RandomPool();
    RandomPool(const RandomPool&) = delete;
    RandomPool& operator=(const RandomPool&) = delete;

    // Seeds the pool from the system generator; false when there is no
    // generator or it failed. A seeded pool is never seeded again.
    bool Init();
    // Fills the buffer, seeding first if needed. When the pool cannot be
    // seeded the buffer is zeroed and the answer is false: a caller must not
    // make a secret from it.
    bool Bytes(uint8_t* buffer, size_t count);
    bool Seeded() const { return seeded_; }

  private:
    OsRandomFill source_;
    bool seeded_ = false;
    std::array<uint8_t, 20> pool_{};
    std::array<uint8_t, 20> key_{};
    std::array<uint8_t, 20> block_{};
    size_t count_ = 0;  // bytes of block_ not yet handed out, at its end
};

// The program's pool. Until a generator is installed (the composition root
// does so with the platform's one) RandomBytes refuses.
void InstallOsRandom(OsRandomFill source);
bool RandomBytes(uint8_t* buffer, size_t count);
// True when the program's pool is seeded or can be now: what a secure option
// checks before it goes on, to warn that no system generator is there.
bool RandomAvailable();
// One byte, for padding lengths and the like; false as RandomBytes.
bool RandomByte(uint8_t& out);

}  // namespace connections::ssh
