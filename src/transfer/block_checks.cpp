#include "transfer/block_checks.h"

#include <array>
#include <cstddef>

namespace transfer {

namespace {

constexpr std::array<uint16_t, 256> MakeCrc16Table() {
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i << 8;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
        table[i] = uint16_t(crc);
    }
    return table;
}

// The Kermit CRC runs low bit first (0x8408, the reversed CCITT polynomial).
constexpr std::array<uint16_t, 256> MakeKermitCrcTable() {
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0x8408 : crc >> 1;
        table[i] = uint16_t(crc);
    }
    return table;
}

constexpr std::array<uint32_t, 256> MakeCrc32Table() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t crc = i;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
        table[i] = crc;
    }
    return table;
}

// Eight tables for taking eight bytes a step: table k gives what a byte
// contributes when k more bytes follow it.
constexpr std::array<std::array<uint32_t, 256>, 8> MakeCrc32Slices() {
    std::array<std::array<uint32_t, 256>, 8> slices{};
    slices[0] = MakeCrc32Table();
    for (size_t k = 1; k < 8; ++k)
        for (size_t i = 0; i < 256; ++i) {
            const uint32_t prev = slices[k - 1][i];
            slices[k][i] = slices[0][prev & 0xFF] ^ (prev >> 8);
        }
    return slices;
}

constexpr auto kCrc16Table = MakeCrc16Table();
constexpr auto kCrc32Slices = MakeCrc32Slices();
constexpr const auto& kCrc32Table = kCrc32Slices[0];
constexpr auto kKermitCrcTable = MakeKermitCrcTable();
static_assert(kCrc16Table[1] == 0x1021 && kCrc16Table[2] == 0x2042);
static_assert(kCrc32Table[1] == 0x77073096u);

}  // namespace

uint16_t AddToChecksum(uint8_t b, uint16_t sum) {
    return uint16_t(sum + b);
}

uint16_t UpdateCrc16(uint8_t b, uint16_t crc) {
    return uint16_t(kCrc16Table[crc >> 8] ^ uint16_t(crc << 8) ^ b);
}

uint16_t UpdateKermitCrc(uint8_t b, uint16_t crc) {
    return uint16_t(kKermitCrcTable[(crc ^ b) & 0xFF] ^ (crc >> 8));
}

uint32_t UpdateCrc32(uint8_t b, uint32_t crc) {
    return kCrc32Table[(b ^ crc) & 0xFF] ^ (crc >> 8);
}

uint16_t UpdateCrc16(const uint8_t* bytes, size_t count, uint16_t crc) {
    for (size_t i = 0; i < count; ++i) crc = UpdateCrc16(bytes[i], crc);
    return crc;
}

uint32_t UpdateCrc32(const uint8_t* bytes, size_t count, uint32_t crc) {
    // A received file's check runs over every byte: eight at a step.
    const auto& t = kCrc32Slices;
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const uint32_t lo = crc ^ (uint32_t(bytes[i]) | uint32_t(bytes[i + 1]) << 8 |
                                   uint32_t(bytes[i + 2]) << 16 | uint32_t(bytes[i + 3]) << 24);
        crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
              t[3][bytes[i + 4]] ^ t[2][bytes[i + 5]] ^ t[1][bytes[i + 6]] ^ t[0][bytes[i + 7]];
    }
    for (; i < count; ++i) crc = UpdateCrc32(bytes[i], crc);
    return crc;
}

}  // namespace transfer
