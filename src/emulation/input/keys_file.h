#pragma once
// The keys file: the permanent key definitions on disk.
//
// Binary form (first byte 0): 0x00, a version byte (2 written, 1 read too),
// then records to the end: key (16-bit little-endian), length (16-bit), the
// UTF-8 flag (version 2 only) and the text. Old text form (any other first
// byte): one definition per line, the key as the first character.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace emulation {

inline constexpr std::string_view DefaultKeysFileName = "ozmel.kys";
inline constexpr uint8_t KeysFileVersion = 2;

struct KeysFileHooks {
    // Shows a message on the status row.
    void (*ShowStatusMessage)(std::string_view text);
};
extern KeysFileHooks KeysFileServices;
void ResetKeysFileHooks();

// Loads a keys file (${NAME} variables expanded). With replace every
// definition of the current set goes first and the file becomes the
// settings' keys file. False when the name is blank, the file cannot be
// opened (nothing changes then), or it is cut short or holds more than can
// be stored (what was read before stays defined).
bool LoadKeysFile(std::string_view name, bool replace);

// Writes the permanent definitions of the current set to the named file, or
// to the settings' keys file when the name is blank ("ozmel.kys" when that is
// empty too). The old file is replaced only by a complete new one. On
// failure the error-key macro runs, else "DISK OR DIRECTORY FULL" is shown;
// the result is false.
[[nodiscard]] bool SaveKeysFile(std::string_view name);

// The host's keys file. The first time, the user's definitions are set aside
// and the file (its bare name in the folder of the settings' keys file) is
// loaded as the host's set; later calls make the host's set current again.
bool LoadHostKeysFile(std::string_view name);

// Defines what the bytes of a keys file hold, in scope 0, as LoadKeysFile
// does after opening the file.
bool ReadKeysDefinitions(std::span<const uint8_t> bytes);

// The bytes SaveKeysFile writes.
std::vector<uint8_t> KeysFileBytes();

}  // namespace emulation
