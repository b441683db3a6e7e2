#pragma once
// Message texts by id: the language module first, then the program's own string table.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace platform {

// Where message texts come from. An empty text means the source has no entry for the id.
class StringSource {
  public:
    virtual ~StringSource() = default;
    // Makes sure the language module for the language is loaded (once per run) and says whether
    // there is one to read.
    virtual bool LanguageModuleReady(uint16_t languageId) = 0;
    // The entry of the language module's string table in that language.
    virtual std::u16string LanguageText(uint16_t id, uint16_t languageId) = 0;
    // The entry of the program's own string table.
    virtual std::u16string OwnText(uint16_t id, uint16_t languageId) = 0;
};

// The source in use: the one installed with SetStringSource, else the program's own table alone.
StringSource& CurrentStringSource();
void SetStringSource(StringSource* source);

}  // namespace platform

namespace console {

using MessageId = uint16_t;

// Given when a caller asks for a default and neither source has the id, and for a failing format.
inline constexpr std::u16string_view kResourceStringError = u"(Resource string error)";

// One argument of a formatted message: an integer, a floating-point value or a text.
using FormatArg = std::variant<int64_t, double, std::u16string>;

struct Messages {
    // The two reusable zero-terminated message buffers.
    std::string buffer1;
    std::string buffer2;
    // Stands in for the settings' LanguageId (+4972) when set (tests); 0 means the program's own
    // texts.
    uint16_t (*languageId)() = nullptr;
};
extern Messages messages;
void ResetMessages();

// The settings' LanguageId as the getters use it.
uint16_t MessageLanguageId();

// The text of the program's own table (generated from resources/strings), empty when absent.
std::u16string_view OwnMessageText(MessageId id);

std::u16string GetMessageW(MessageId id, bool useDefault);
// The message formatted with the arguments (%s, %d, %u, %x, %f, with %N: argument indexes, "-",
// widths and precisions); "(Resource string error)" when it is empty or the format fails.
std::u16string GetMessageFmt(MessageId id, std::span<const FormatArg> args);
// The message as a short string (at most 254 bytes) in the ANSI code page.
std::string GetMessageText(MessageId id, bool useDefault);
// The message zero-terminated in the first or second buffer; each call replaces its buffer's text.
const char* GetMessagePtr(MessageId id, bool useDefault);
const char* GetMessagePtr2(MessageId id, bool useDefault);

// Formats a text; false when a directive is malformed, an argument is missing or of the wrong kind.
bool FormatMessageText(std::u16string_view format, std::span<const FormatArg> args,
                       std::u16string& result);

}  // namespace console
