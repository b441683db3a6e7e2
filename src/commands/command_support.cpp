#include "commands/command_support.h"

#include "commands/command_services.h"
#include "commands/interpreter.h"
#include "console/console_primitives.h"
#include "console/messages.h"
#include "ui/message_box.h"

namespace commands {

namespace {
// Colour selections of the console's own text on the status row.
constexpr int32_t kPromptSelection = 5;
}  // namespace

void ShowMessage(uint16_t id, std::string_view after) {
    ui::LangMessageBoxShort(console::GetMessageText(id, true) + std::string(after));
}

void DivertOrShowMessage(FunctionCall& call, uint16_t id, std::string_view after) {
    if (!call.DivertToErrorKey()) ShowMessage(id, after);
}

void BeginStatusPrompt() {
    auto& l = console::ConsoleLayer;
    console::SaveCursorState();
    l.CursorVisible = true;
    l.StatusMode = true;
    l.DirectWrite = false;
    console::GotoRowCol(l.StatusRow, 1);
    l.AttrSelection = kPromptSelection;
    console::ClrEol();
}

void EndStatusPrompt() {
    auto& l = console::ConsoleLayer;
    l.CursorCol = 1;
    console::ClampCursor();
    CommandServices.MarkStatusLineDirty();
    console::RestoreCursorState();
    l.StatusMode = false;
}

bool ParseKeyWord(std::string_view word, uint16_t& key) {
    if (word.size() == 1) {
        key = static_cast<uint8_t>(word[0]);
        return true;
    }
    if (word.size() == 2 && word[0] == '\0') {
        key = static_cast<uint16_t>(256 + static_cast<uint8_t>(word[1]));
        return true;
    }
    return false;
}

std::u16string Utf8ToWide(std::string_view text) {
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const uint8_t b = static_cast<uint8_t>(text[i]);
        uint32_t code = 0;
        std::size_t length = 0;
        if (b < 0x80) {
            code = b;
            length = 1;
        } else if ((b & 0xE0) == 0xC0) {
            code = b & 0x1F;
            length = 2;
        } else if ((b & 0xF0) == 0xE0) {
            code = b & 0x0F;
            length = 3;
        } else if ((b & 0xF8) == 0xF0) {
            code = b & 0x07;
            length = 4;
        }
        bool ok = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; ok && k < length; ++k) {
            const uint8_t c = static_cast<uint8_t>(text[i + k]);
            if ((c & 0xC0) != 0x80) ok = false;
            code = (code << 6) | (c & 0x3F);
        }
        if (ok && ((length == 2 && code < 0x80) || (length == 3 && code < 0x800) ||
                   (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
                   (code >= 0xD800 && code <= 0xDFFF)))
            ok = false;
        if (!ok) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
        i += length;
    }
    return out;
}

std::string CodePointToUtf8(uint32_t code) {
    std::string out;
    if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return out;
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
    return out;
}

std::string WideToUtf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        uint32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        out += CodePointToUtf8(code);
    }
    return out;
}

namespace {
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}
}  // namespace

uint8_t HexDigitValue(char c) {
    const int v = HexValue(c);
    return static_cast<uint8_t>(v < 0 ? 0 : v);
}

bool HexByte(std::string_view text, uint8_t& value) {
    if (text.size() < 2) return false;
    const int high = HexValue(text[0]);
    const int low = HexValue(text[1]);
    if (high < 0 || low < 0) return false;
    value = static_cast<uint8_t>(high * 16 + low);
    return true;
}

}  // namespace commands
