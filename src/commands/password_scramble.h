#pragma once

// The stored form of the login password: the clear bytes, each shifted by one
// of four random key bytes, followed by the key. It keeps the password out of
// the settings file as clear text; it is no cipher and holds no secret.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace commands {

// The longest clear password whose stored form (n + 4 key bytes) still fits
// a String[255].
inline constexpr std::size_t MaxClearPasswordLength = 251;

// Scrambles with a fresh random key (every byte 1..255), so the same password
// gives a different stored text each time. Empty stays empty. A clear text
// longer than MaxClearPasswordLength is cut to it, so that the key is never
// cut off and the stored form always unscrambles.
std::string ScramblePassword(std::string_view clear);

// The same with a given key K0..K3 (each 1..255); ScramblePassword draws it.
std::string ScramblePasswordWithKey(std::string_view clear, const std::array<uint8_t, 4>& key);

// The clear text of a stored form (cut to 255 bytes first); empty when it is
// shorter than the four key bytes.
std::string UnscramblePassword(std::string_view stored);

// Overwrites the bytes of a string that held a clear password, then empties it.
void WipeSecret(std::string& secret);

}  // namespace commands
