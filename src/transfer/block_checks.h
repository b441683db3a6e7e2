#pragma once
// The block checks of the transfer protocols. Each step takes one byte and the
// running value and returns the new value; the caller owns the start value and
// any final step.
#include <cstddef>
#include <cstdint>

namespace transfer {

// Additive checksum, modulo 65536; protocols keep the low byte or fold it.
uint16_t AddToChecksum(uint8_t b, uint16_t sum);

// CRC-16 with polynomial 0x1021, most significant bit first. The byte enters
// at the low end: the block's bytes then two zero bytes from 0 give the CRC a
// sender appends, and a receiver running data plus received CRC gets 0.
uint16_t UpdateCrc16(uint8_t b, uint16_t crc);

// The reflected CCITT CRC (0x8408), least significant bit first.
uint16_t UpdateKermitCrc(uint8_t b, uint16_t crc);

// One step of the reflected IEEE 802.3 CRC-32 (0xEDB88320), no inversion.
uint32_t UpdateCrc32(uint8_t b, uint32_t crc);

// The same steps over a run of bytes.
uint16_t UpdateCrc16(const uint8_t* bytes, size_t count, uint16_t crc);
uint32_t UpdateCrc32(const uint8_t* bytes, size_t count, uint32_t crc);

}  // namespace transfer
