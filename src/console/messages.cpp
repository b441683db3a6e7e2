#include "console/messages.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "commands/settings_record.h"
#include "console/system_services.h"

namespace platform {
namespace {

// Without a platform source the program's own table is the only one.
class OwnTableSource final : public StringSource {
  public:
    bool LanguageModuleReady(uint16_t) override { return false; }
    std::u16string LanguageText(uint16_t, uint16_t) override { return {}; }
    std::u16string OwnText(uint16_t id, uint16_t) override {
        return std::u16string(console::OwnMessageText(id));
    }
};

StringSource* installed = nullptr;

}  // namespace

StringSource& CurrentStringSource() {
    static OwnTableSource fallback;
    return installed ? *installed : fallback;
}

void SetStringSource(StringSource* source) {
    installed = source;
}

}  // namespace platform

namespace console {

Messages messages;

void ResetMessages() {
    messages = Messages{};
}

uint16_t MessageLanguageId() {
    return messages.languageId ? messages.languageId() : commands::Settings.LanguageId.Get();
}

namespace {

struct OwnRow {
    uint16_t id;
    const char16_t* text;
};

constexpr OwnRow kOwnTable[] = {
#include "message_table.inc"
};

// A short string's area holds 255 bytes with the terminating zero.
constexpr size_t kShortTextMax = 254;
// Widths and precisions above this come only from a damaged text.
constexpr int64_t kMaxFieldWidth = 4096;

std::u16string DefaultText() {
    return std::u16string(kResourceStringError);
}

// The wide text by the common lookup order; empty when no source has it.
std::u16string LookUp(MessageId id, bool& fromLanguage) {
    auto& source = platform::CurrentStringSource();
    uint16_t language = MessageLanguageId();
    fromLanguage = false;
    if (source.LanguageModuleReady(language)) {
        std::u16string text = source.LanguageText(id, language);
        if (!text.empty()) {
            fromLanguage = true;
            return text;
        }
    }
    return source.OwnText(id, language);
}

const char* FillBuffer(std::string& buffer, MessageId id, bool useDefault) {
    bool fromLanguage = false;
    std::u16string text = LookUp(id, fromLanguage);
    if (text.empty() && useDefault) text = DefaultText();
    buffer = AnsiFromWide(text);
    return buffer.c_str();
}

// Reads a number or "*" (an integer argument) of a directive.
bool ReadCount(std::u16string_view f, size_t& i, std::span<const FormatArg> args, size_t& argIndex,
               int64_t& value, bool& present) {
    present = false;
    if (i < f.size() && f[i] == u'*') {
        ++i;
        if (argIndex >= args.size() || !std::holds_alternative<int64_t>(args[argIndex]))
            return false;
        value = std::get<int64_t>(args[argIndex++]);
        present = true;
    } else if (i < f.size() && f[i] >= u'0' && f[i] <= u'9') {
        value = 0;
        while (i < f.size() && f[i] >= u'0' && f[i] <= u'9') {
            value = value * 10 + (f[i++] - u'0');
            if (value > kMaxFieldWidth) return false;
        }
        present = true;
    }
    return !present || (value >= 0 && value <= kMaxFieldWidth);
}

std::u16string Widen(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

std::u16string ZeroPad(std::u16string digits, int64_t precision) {
    if (precision > static_cast<int64_t>(digits.size()))
        digits.insert(0, static_cast<size_t>(precision) - digits.size(), u'0');
    return digits;
}

// The integer as an unsigned value: a negative 32-bit value as its 32-bit pattern.
uint64_t AsUnsigned(int64_t v) {
    if (v < 0 && v >= INT32_MIN) return static_cast<uint32_t>(v);
    return static_cast<uint64_t>(v);
}

}  // namespace

std::u16string_view OwnMessageText(MessageId id) {
    auto it = std::lower_bound(std::begin(kOwnTable), std::end(kOwnTable), id,
                               [](const OwnRow& row, MessageId key) { return row.id < key; });
    if (it == std::end(kOwnTable) || it->id != id) return {};
    return it->text;
}

std::u16string GetMessageW(MessageId id, bool useDefault) {
    bool fromLanguage = false;
    std::u16string text = LookUp(id, fromLanguage);
    if (text.empty() && useDefault) return DefaultText();
    return text;
}

std::string GetMessageText(MessageId id, bool useDefault) {
    auto& source = platform::CurrentStringSource();
    uint16_t language = MessageLanguageId();
    if (source.LanguageModuleReady(language)) {
        // A language text longer than the short string's area counts as missing.
        std::string text = AnsiFromWide(source.LanguageText(id, language));
        if (!text.empty() && text.size() <= kShortTextMax) return text;
    }
    std::string text = AnsiFromWide(source.OwnText(id, language));
    if (text.empty() && useDefault) text = AnsiFromWide(kResourceStringError);
    if (text.size() > kShortTextMax) text.resize(kShortTextMax);
    return text;
}

const char* GetMessagePtr(MessageId id, bool useDefault) {
    return FillBuffer(messages.buffer1, id, useDefault);
}

const char* GetMessagePtr2(MessageId id, bool useDefault) {
    return FillBuffer(messages.buffer2, id, useDefault);
}

std::u16string GetMessageFmt(MessageId id, std::span<const FormatArg> args) {
    std::u16string format = GetMessageW(id, false);
    if (format.empty()) return DefaultText();
    std::u16string result;
    if (!FormatMessageText(format, args, result)) return DefaultText();
    return result;
}

bool FormatMessageText(std::u16string_view f, std::span<const FormatArg> args,
                       std::u16string& result) {
    result.clear();
    size_t argIndex = 0;
    for (size_t i = 0; i < f.size(); ++i) {
        if (f[i] != u'%') {
            result += f[i];
            continue;
        }
        if (++i >= f.size()) return false;
        if (f[i] == u'%') {
            result += u'%';
            continue;
        }
        int64_t first = 0, width = 0, precision = -1;
        bool present = false, hasWidth = false, left = false;
        if (!ReadCount(f, i, args, argIndex, first, present)) return false;
        if (present && i < f.size() && f[i] == u':') {
            argIndex = static_cast<size_t>(first);
            ++i;
        } else if (present) {
            width = first;
            hasWidth = true;
        }
        if (!hasWidth) {
            if (i < f.size() && f[i] == u'-') {
                left = true;
                ++i;
            }
            if (!ReadCount(f, i, args, argIndex, width, present)) return false;
        }
        if (i < f.size() && f[i] == u'.') {
            ++i;
            bool hasPrecision = false;
            if (!ReadCount(f, i, args, argIndex, precision, hasPrecision)) return false;
            if (!hasPrecision) precision = 0;
        }
        if (i >= f.size() || argIndex >= args.size()) return false;
        const FormatArg& arg = args[argIndex++];
        std::u16string piece;
        switch (f[i] | 0x20) {
            case u'd': {
                if (!std::holds_alternative<int64_t>(arg)) return false;
                int64_t v = std::get<int64_t>(arg);
                uint64_t magnitude =
                    v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
                piece = (v < 0 ? u"-" : u"") + ZeroPad(Widen(std::to_string(magnitude)), precision);
                break;
            }
            case u'u':
                if (!std::holds_alternative<int64_t>(arg)) return false;
                piece =
                    ZeroPad(Widen(std::to_string(AsUnsigned(std::get<int64_t>(arg)))), precision);
                break;
            case u'x': {
                if (!std::holds_alternative<int64_t>(arg)) return false;
                char hex[32];
                std::snprintf(hex, sizeof hex, "%llX",
                              static_cast<unsigned long long>(AsUnsigned(std::get<int64_t>(arg))));
                piece = ZeroPad(Widen(hex), precision);
                break;
            }
            case u'f': {
                if (!std::holds_alternative<double>(arg)) return false;
                std::string text(static_cast<size_t>(kMaxFieldWidth) + 400, '\0');
                int n = std::snprintf(text.data(), text.size(), "%.*f",
                                      static_cast<int>(precision < 0 ? 2 : precision),
                                      std::get<double>(arg));
                if (n < 0 || static_cast<size_t>(n) >= text.size()) return false;
                text.resize(static_cast<size_t>(n));
                piece = Widen(text);
                break;
            }
            case u's':
                if (!std::holds_alternative<std::u16string>(arg)) return false;
                piece = std::get<std::u16string>(arg);
                if (precision >= 0 && piece.size() > static_cast<size_t>(precision))
                    piece.resize(static_cast<size_t>(precision));
                break;
            default:
                return false;
        }
        if (static_cast<int64_t>(piece.size()) < width) {
            size_t pad = static_cast<size_t>(width) - piece.size();
            if (left) {
                piece.append(pad, u' ');
            } else {
                piece.insert(0, pad, u' ');
            }
        }
        result += piece;
    }
    return true;
}

}  // namespace console
