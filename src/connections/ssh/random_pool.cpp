#include "connections/ssh/random_pool.h"

#include <openssl/crypto.h>
#include <openssl/sha.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace connections::ssh {

RandomPool::~RandomPool() {
    OPENSSL_cleanse(pool_.data(), pool_.size());
    OPENSSL_cleanse(key_.data(), key_.size());
    OPENSSL_cleanse(block_.data(), block_.size());
}

bool RandomPool::Init() {
    if (seeded_) return true;
    if (source_ == nullptr) return false;
    // The whole seed record comes from the system generator: values gathered
    // from the clock or the process would add nothing it lacks, and without
    // it the pool refuses anyway.
    uint8_t record[kSeedRecordSize];
    if (!source_(record, sizeof record)) {
        OPENSSL_cleanse(record, sizeof record);
        return false;
    }
    SHA1(record, sizeof record, pool_.data());
    OPENSSL_cleanse(record, sizeof record);
    key_ = pool_;
    block_.fill(0);
    count_ = 0;
    seeded_ = true;
    return true;
}

bool RandomPool::Bytes(uint8_t* buffer, size_t count) {
    if (count == 0) return seeded_ || Init();
    if (!Init()) {
        std::memset(buffer, 0, count);
        return false;
    }
    while (count > count_) {
        std::memcpy(buffer, block_.data() + (block_.size() - count_), count_);
        buffer += count_;
        count -= count_;
        uint8_t chain[60];
        std::memcpy(chain, pool_.data(), 20);
        std::memcpy(chain + 20, block_.data(), 20);
        std::memcpy(chain + 40, key_.data(), 20);
        SHA1(chain, sizeof chain, block_.data());
        OPENSSL_cleanse(chain, sizeof chain);
        count_ = block_.size();
    }
    std::memcpy(buffer, block_.data() + (block_.size() - count_), count);
    count_ -= count;
    return true;
}

namespace {
std::unique_ptr<RandomPool>& ProgramPool() {
    static std::unique_ptr<RandomPool> pool;
    return pool;
}
}  // namespace

void InstallOsRandom(OsRandomFill source) {
    ProgramPool() = std::make_unique<RandomPool>(source);
}

bool RandomBytes(uint8_t* buffer, size_t count) {
    auto& pool = ProgramPool();
    if (!pool) {
        std::memset(buffer, 0, count);
        return false;
    }
    return pool->Bytes(buffer, count);
}

bool RandomAvailable() {
    auto& pool = ProgramPool();
    return pool && pool->Init();
}

bool RandomByte(uint8_t& out) {
    return RandomBytes(&out, 1);
}

}  // namespace connections::ssh
