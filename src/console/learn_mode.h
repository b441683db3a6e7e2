#pragma once
// Learn mode: while the recording command has it on (commands::Interpreter's
// LearnMode), every key the key reader takes is appended to LearnText in the
// form key macros are written in.
//
// Keys typed at a host's password prompt are never recorded: a recorded
// macro ends up in the keys file, which is plain text on disk. Every key from
// the first one typed at the prompt up to the Enter that ends the entry is
// left out, and that Enter is recorded as "#|", a pause for the user followed
// by Enter, so the replayed macro waits at the prompt while the user types
// the password again.

#include <cstdint>
#include <string>
#include <string_view>

namespace console {

// What the host showed last: the bytes received and already read (at most
// 255, oldest first) and where reading stands (it moves when more is read).
struct HostTextTail {
    std::string Text;
    uint32_t Position = 0;
};

struct LearnModeHooks {
    // The default reads the connection layer's receive ring.
    HostTextTail (*RecentHostText)();
};
extern LearnModeHooks LearnHooks;
void ResetLearnModeHooks();

struct LearnModeState {
    // Keys typed at a password prompt are being left out until Enter.
    bool PasswordEntry = false;
    // A password entry ended with Enter while the host text stood at
    // AnsweredAt; the same prompt does not start another entry.
    bool PromptAnswered = false;
    uint32_t AnsweredAt = 0;
};
extern LearnModeState LearnState;
void ResetLearnMode();

// Appends the key to LearnText while learn mode is on.
void RecordLearnedKey(uint16_t code);

// The macro text that replays a key: Enter as "|"; "#", "{", "|" and "~"
// behind "~"; other characters as themselves; Alt-F as F6 (NUL "@"); other
// extended keys as NUL and the low byte of the code.
std::string LearnedKeyText(uint16_t code);

// True when the last line of the host's text, without escape sequences,
// control bytes and trailing blanks, ends with one of the prompts (the
// settings' PasswordPrompts list, entries split by separator, letter case
// ignored), or holds "password" or "passphrase" and ends with ":".
bool IsPasswordPrompt(std::string_view hostText, std::string_view prompts, uint8_t separator);

}  // namespace console
