#pragma once
// Key codes: reading them from the terminal window's key queue, their short
// printable names, and the folding of keypad codes back to plain keys.
//
// The queue holds raw words: a byte of typed text (0-255), or an extended key
// as scan x 256 + class (0x00 extended, 0xE0 grey key, 0xF0 keypad with
// NumLock off, 0xD0 keypad with NumLock on). A KeyCode below 256 is a
// character; from 256 on it is an extended key.

#include <cstdint>
#include <string>

namespace platform {

// The terminal window's key queue and keyboard layout, as the key reader needs
// them. The window installs its implementation; tests install a fake.
class KeySource {
  public:
    virtual ~KeySource() = default;
    // Handles at most one waiting keyboard message; true when a key waits.
    virtual bool KeyAvailable() = 0;
    // Removes and returns the first raw word, waiting (and pumping) for one.
    virtual uint16_t WaitForKey() = 0;
    // Before a wait: paints pending scroll lines and places a pending caret.
    virtual void BeforeKeyWait() {}
    // The character the key with this scan code types, unshifted, in the
    // current keyboard layout; 0 when it types none. The default is the US
    // layout.
    virtual char16_t LayoutChar(uint8_t scanCode);
};

// The source in use; null means no keys ever arrive.
void SetKeySource(KeySource* source);
KeySource* CurrentKeySource();

// The character of a scan code on the US layout (letters upper-case), 0 for none.
char16_t UsLayoutChar(uint8_t scanCode);

}  // namespace platform

namespace console {

inline constexpr uint16_t KeyF1 = 315;
inline constexpr uint16_t KeyF4 = 318;
inline constexpr uint16_t KeyF6 = 320;
inline constexpr uint16_t KeyF9 = 323;
inline constexpr uint16_t KeyF10 = 324;
inline constexpr uint16_t KeyAltA = 286;
inline constexpr uint16_t KeyAltF = 289;

// A raw queue word as a KeyCode.
uint16_t RawKeyToKeyCode(uint16_t raw);

// True when a key waits in the window's queue.
bool KeyPressed();
// The next raw queue word, waiting for one (0 when no key source is installed).
uint16_t ReadRawKey();
// The next key as a KeyCode, waiting for one; recorded while learn mode is on.
uint16_t ReadKeyCode();
// The next key that normalises to a character below 256; other keys are skipped.
uint16_t ReadCharKey();

// Keypad codes as the plain keys and characters they stand for. Bit 15 (a
// caller's marker) is cleared; the upper half of the value is kept.
uint32_t NormalizeKeyCode(uint32_t code);

// True when b is key a or its Shift, Ctrl or Alt form (F1-F12).
bool SameKeyAnyShift(uint16_t a, uint16_t b);

// The short name of a key code, at most 4 characters ("f1", "^Pup", "altA", "1234").
std::u16string KeyCodeToName(uint16_t code);

}  // namespace console
