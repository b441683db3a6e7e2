#pragma once

// Helpers the command groups share: message boxes by id, the status-row
// prompt frame, key words, UTF-8 and UTF-16 text.

#include <cstdint>
#include <string>
#include <string_view>

namespace commands {

struct FunctionCall;

// Message ids the commands show.
inline constexpr uint16_t MessageInsufficientMemory = 601;
inline constexpr uint16_t MessageUnableToReadKeyFile = 604;
inline constexpr uint16_t MessageNoOutputFile = 606;
inline constexpr uint16_t MessageInvalidFunction = 607;
inline constexpr uint16_t MessageCantClone = 624;
inline constexpr uint16_t MessageReviewScreen = 917;
inline constexpr uint16_t MessagePrinterSetup = 918;
inline constexpr uint16_t MessageFuncPrompt = 919;
inline constexpr uint16_t MessageMenuBar = 922;
inline constexpr uint16_t MessageRecordKey = 962;

// The message of the id (and a text after it) in the program's notice box.
void ShowMessage(uint16_t id, std::string_view after = {});
// The error diversion, else the message: what a failing resource does.
void DivertOrShowMessage(FunctionCall& call, uint16_t id, std::string_view after = {});

// The frame every status-row prompt shares: the cursor state saved, the
// cursor on column 1 of the status row in the prompt colour, the row
// cleared. Ending it puts the cursor back and marks the row for redrawing.
void BeginStatusPrompt();
void EndStatusPrompt();

// A key word of a command line: one character names that key (0-255), NUL
// and a character the extended key 256 + its code. False for other words.
bool ParseKeyWord(std::string_view word, uint16_t& key);

// UTF-8 to UTF-16 (a broken sequence gives U+FFFD per byte) and back.
std::u16string Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::u16string_view text);
// The UTF-8 bytes of one code point; empty for a surrogate or a value
// above U+10FFFF.
std::string CodePointToUtf8(uint32_t code);

// Two hexadecimal digits at text[0..1]; false when either is not one.
bool HexByte(std::string_view text, uint8_t& value);
// The value of a hexadecimal digit, 0 for any other character.
uint8_t HexDigitValue(char c);

}  // namespace commands
