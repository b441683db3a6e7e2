#pragma once
// Key macros: the definitions of keys and the playback of nested macros.
//
// A definition text is played as if typed: a NUL and a byte b is the key code
// 256 + b; "|" is Enter; "#" pauses until the user presses Enter; "{" keys
// "}" performs the keys' terminal sequences locally instead of sending them;
// "~" takes the next byte (or NUL and a byte) literally. In a UTF-8
// definition a byte of 128 or more starts a UTF-8 sequence that plays as one
// character.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace emulation {

// The longest definition text.
inline constexpr size_t MaxMacroTextLength = 65504;
// How deep macros may call each other. The bottom frame counts; a call
// beyond this is refused, so a macro that calls itself cannot exhaust memory.
inline constexpr size_t MaxMacroNesting = 32;
// All definition texts together; a definition that would pass it is refused
// as though memory had run out, so no keys file can exhaust memory.
inline constexpr size_t MacroTextBudget = 32u << 20;

// Scopes of a definition.
inline constexpr uint16_t ScopePermanent = 0;  // saved with the keys file
inline constexpr uint16_t ScopeTemporary = 1;  // command line and host

struct MacroRec {
    uint16_t Key = 0;
    uint16_t Scope = 0;
    uint8_t Utf8 = 0;  // bytes of 128 and up are UTF-8 sequences
    std::string Text;
};

// One list of definitions in KeyOrder; under each order value the nodes of
// one key, newest first.
using MacroList = std::map<uint32_t, std::vector<MacroRec>>;

// Modes of a frame.
inline constexpr int32_t MacroIdle = 0;
inline constexpr int32_t MacroPlaying = 1;
inline constexpr int32_t MacroPaused = 2;

struct MacroFrame {
    uint16_t Key = 0;
    int32_t Mode = MacroIdle;
    uint32_t Pos = 1;  // 1-based position in the text
};

struct MacroState {
    // Two sets of definitions: the user's (0) and the one a host loaded (1);
    // every lookup uses the current one.
    MacroList Sets[2];
    int CurrentSet = 0;
    bool HostSetLoaded = false;
    size_t TextBytes = 0;
    // The stack of playing macros; the bottom frame is never removed.
    std::vector<MacroFrame> Frames{MacroFrame{}};
    // The permanent definitions differ from the keys file.
    bool KeysChanged = false;
    // Length of the text GetMacroText gave last.
    uint32_t MacroTextLength = 0;
};
extern MacroState Macros;
// Every definition and frame gone, one idle frame left.
void ResetMacros();

// What playback needs from other units.
struct MacroHooks {
    // Performs a byte as if the host had sent it (the braced groups).
    void (*PerformLocally)(uint8_t byte);
    void (*MarkStatusLineDirty)();
    // The type-ahead ring of typed keys (256 and up for key codes).
    bool (*KeyRingEmpty)();
    uint16_t (*ReadKeyRing)();
    // Sleeps until a message arrives, then pumps the messages.
    void (*WaitForInput)();
};
extern MacroHooks MacroServices;
void ResetMacroHooks();

// Codes below 256 first, then the function, editing, arrow and keypad keys in
// a fixed order, then everything else.
uint32_t KeyOrder(uint16_t code);

MacroList& CurrentMacroList();

// Stores, replaces or (with an empty text) removes the key's definition of
// that scope. False when the definition cannot be stored; a text longer than
// MaxMacroTextLength only removes the old one.
bool DefineMacro(uint16_t key, std::string_view text, uint8_t utf8, uint16_t scope);
// The definition lookups use: the newest of the key's; null when none.
const MacroRec* FindMacro(uint16_t key);
bool MacroExists(uint16_t key);
// The key's text (empty when none); MacroTextLength follows it.
std::string GetMacroText(uint16_t key);
// Removes every definition of the current set whose scope is temporary.
void ClearTemporaryKeys();
// Empties both sets; the user's set becomes current.
void ClearKeyDefinitions();
// The user's set (false) or the host's (true) as the current set.
void UseSecondKeySet(bool second);
bool SecondKeySetActive();

// Starts the key's macro: nested on a new frame, or in the top frame
// (ending what played there). False when the key has no definition or the
// frames are all in use.
bool StartMacro(uint16_t key, bool nested);
// Ends every macro; only the bottom frame stays, idle.
void StopMacros();
// Starts the error key's macro in place of everything playing; false when no
// error key with a definition is set.
bool RunErrorKeyMacro();
// The top frame's mode is not idle.
bool MacroIsPlaying();
const MacroFrame& TopMacroFrame();
// Sets the top frame's mode (the keyboard resumes a pause, key transmission
// drops one).
void SetTopMacroMode(int32_t mode);

struct MacroKey {
    uint8_t IsChar = 0;  // 1 for a character, 0 for a key code
    uint16_t Code = 0;
};
// The next key of the playing macro. False when nothing is yielded: a pause,
// a braced group performed, a braced group met while batchStart is false
// (nothing moves then), the end of the text, or no macro playing.
bool NextMacroKey(bool batchStart, MacroKey& key);
// The key at the playing macro's position without moving; false when none.
bool PeekMacroKey(uint16_t& key);

// The next key for a reader that lets macros type: from the playing macro
// (with bit 15 set) when useMacro, else from the type-ahead ring, a pending
// paste (allowPaste) or the keyboard. Enter resumes a paused macro and is
// consumed. A macro character above 255 comes as "?".
uint16_t GetKey(bool useMacro, bool allowPaste);
struct KeyChar {
    uint16_t Code = 0;
    bool IsChar = false;
    bool FromMacro = false;
};
// GetKey for text input: typed bytes 128 to 255 are UTF-8 sequences read as
// one character.
KeyChar GetKeyChar(bool useMacro, bool allowPaste);

// Points the interpreter, the settings file, the command line and the main
// routine at these macros and the keys file.
void InstallMacroServices();

}  // namespace emulation
